#include "platform/sim/sim_storage.h"

#include <gtest/gtest.h>

#include "platform/aligned_buffer.h"
#include "platform/control_codes.h"
#include "platform/win32_errors.h"
#include "support/sim_fixture.h"

namespace cendrix::platform {
namespace {

using testing::MakeDisk;
using testing::SimWorld;

constexpr std::uint32_t kShareBoth = FILE_SHARE_READ | FILE_SHARE_WRITE;

Handle Open(sim::SimStorage& s, std::u16string path, std::uint32_t access, std::uint32_t share) {
    return s.CreateFileW(path, access, share, OPEN_EXISTING, 0);
}

TEST(SimStorage, AppliesTheSharingRulesOfOpenHandles) {
    SimWorld world(sim::Machine{{MakeDisk(0)}, {}});
    auto& s = world.Storage();
    const Handle probe = Open(s, u"\\\\.\\PhysicalDrive0", GENERIC_READ, kShareBoth);
    ASSERT_NE(probe, INVALID_HANDLE_VALUE);
    EXPECT_EQ(s.GetLastError(), 0u);
    // An exclusive open must wait until the probing handle is closed.
    EXPECT_EQ(Open(s, u"\\\\.\\PhysicalDrive0", GENERIC_READ | GENERIC_WRITE, 0), INVALID_HANDLE_VALUE);
    EXPECT_EQ(s.GetLastError(), ERROR_SHARING_VIOLATION);
    s.CloseHandle(probe);
    const Handle exclusive = Open(s, u"\\\\.\\PhysicalDrive0", GENERIC_READ | GENERIC_WRITE, 0);
    ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
    // While it is held nobody else may read or write.
    EXPECT_EQ(Open(s, u"\\\\.\\physicaldrive0", GENERIC_READ, kShareBoth), INVALID_HANDLE_VALUE);
    EXPECT_EQ(s.GetLastError(), ERROR_SHARING_VIOLATION);
    s.CloseHandle(exclusive);
    EXPECT_EQ(s.OpenHandleCount(), 0u);
}

TEST(SimStorage, RefusesUnknownPathsAndDisksMarkedInUseOrClosed) {
    sim::Disk busy = MakeDisk(1);
    busy.inUse = true;
    sim::Disk closed = MakeDisk(2);
    closed.openFails = true;
    SimWorld world(sim::Machine{{MakeDisk(0), busy, closed}, {}});
    auto& s = world.Storage();
    EXPECT_EQ(Open(s, u"\\\\.\\PhysicalDrive9", GENERIC_READ, kShareBoth), INVALID_HANDLE_VALUE);
    EXPECT_EQ(s.GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Open(s, u"\\\\.\\PhysicalDrive00", GENERIC_READ, kShareBoth), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Open(s, u"\\\\.\\PhysicalDrive2", GENERIC_READ, kShareBoth), INVALID_HANDLE_VALUE);
    EXPECT_EQ(s.GetLastError(), ERROR_ACCESS_DENIED);
    // Another program holds disk 1 with sharing: probing works, exclusive use does not.
    const Handle probe = Open(s, u"\\\\.\\PhysicalDrive1", GENERIC_READ, kShareBoth);
    EXPECT_NE(probe, INVALID_HANDLE_VALUE);
    s.CloseHandle(probe);
    EXPECT_EQ(Open(s, u"\\\\.\\PhysicalDrive1", GENERIC_READ | GENERIC_WRITE, 0), INVALID_HANDLE_VALUE);
    EXPECT_EQ(s.GetLastError(), ERROR_SHARING_VIOLATION);
}

TEST(SimStorage, WritesWholeSectorsIntoTheImageAtTheSeekPosition) {
    SimWorld world(sim::Machine{{MakeDisk(0, 64)}, {}});
    world.FillImage(0, 0xAB);
    auto& s = world.Storage();
    const Handle h = Open(s, u"\\\\.\\PhysicalDrive0", GENERIC_READ | GENERIC_WRITE, 0);
    AlignedBuffer zeros = AlignedBuffer::Allocate(4096);
    ASSERT_TRUE(zeros.Valid());
    std::int64_t position = -1;
    ASSERT_TRUE(s.SetFilePointerEx(h, 1024, &position, FILE_BEGIN));
    EXPECT_EQ(position, 1024);
    std::uint32_t written = 0;
    ASSERT_TRUE(s.WriteFile(h, zeros.Data(), 1024, &written));
    EXPECT_EQ(written, 1024u);
    EXPECT_EQ(world.ReadImage(0, 0, 1024), QByteArray(1024, '\xAB'));
    EXPECT_EQ(world.ReadImage(0, 1024, 1024), QByteArray(1024, '\0'));
    EXPECT_EQ(world.ReadImage(0, 2048, 64 * 512 - 2048), QByteArray(64 * 512 - 2048, '\xAB'));
    // Part sectors and writes past the end are refused and change nothing.
    ASSERT_TRUE(s.SetFilePointerEx(h, 100, &position, FILE_BEGIN));
    EXPECT_FALSE(s.WriteFile(h, zeros.Data(), 512, &written));
    EXPECT_EQ(s.GetLastError(), ERROR_INVALID_PARAMETER);
    ASSERT_TRUE(s.SetFilePointerEx(h, 63 * 512, &position, FILE_BEGIN));
    EXPECT_FALSE(s.WriteFile(h, zeros.Data(), 1024, &written));
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(world.ReadImage(0, 63 * 512, 512), QByteArray(512, '\xAB'));
    EXPECT_EQ(s.DiskBytesWritten(0), 1024);
    s.CloseHandle(h);
}

TEST(SimStorage, RecordsWhetherEachWriteWasZerosUnlessRecordingIsOff) {
    SimWorld world(sim::Machine{{MakeDisk(0, 64)}, {}});
    world.FillImage(0, 0xAB);
    auto& s = world.Storage();
    const Handle h = Open(s, u"\\\\.\\PhysicalDrive0", GENERIC_READ | GENERIC_WRITE, 0);
    AlignedBuffer data = AlignedBuffer::Allocate(1024);
    std::uint32_t written = 0;
    ASSERT_TRUE(s.WriteFile(h, data.Data(), 1024, &written));
    data.Data()[1000] = 1;
    ASSERT_TRUE(s.WriteFile(h, data.Data(), 1024, &written));
    const auto writes = s.RequestsOf(sim::Request::Kind::Write);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_TRUE(writes[0].allZero);
    EXPECT_FALSE(writes[1].allZero);

    // Without the record the writes still land.
    s.ClearRequests();
    s.SetRecording(false);
    ASSERT_TRUE(s.SetFilePointerEx(h, 4096, nullptr, FILE_BEGIN));
    ASSERT_TRUE(s.WriteFile(h, data.Data(), 1024, &written));
    EXPECT_TRUE(s.Requests().empty());
    EXPECT_EQ(world.ReadImage(0, 4096 + 1000, 2), QByteArray("\x01\0", 2));
    EXPECT_EQ(s.DiskBytesWritten(0), 3 * 1024);
    s.CloseHandle(h);
}

TEST(SimStorage, RefusesWritesThroughAReadOnlyHandle) {
    SimWorld world(sim::Machine{{MakeDisk(0, 64)}, {}});
    auto& s = world.Storage();
    const Handle h = Open(s, u"\\\\.\\PhysicalDrive0", GENERIC_READ, kShareBoth);
    AlignedBuffer zeros = AlignedBuffer::Allocate(512);
    std::uint32_t written = 7;
    EXPECT_FALSE(s.WriteFile(h, zeros.Data(), 512, &written));
    EXPECT_EQ(s.GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(written, 0u);
    s.CloseHandle(h);
}

TEST(SimStorage, AnswersRequestsOnlyWithinTheOutputSizeAndRecordsTheirInput) {
    sim::Disk d = MakeDisk(0);
    d.answerBytes[IOCTL_DISK_GET_LENGTH_INFO] = 4;
    SimWorld world(sim::Machine{{d}, {}});
    auto& s = world.Storage();
    const Handle h = Open(s, u"\\\\.\\PhysicalDrive0", GENERIC_READ, kShareBoth);
    std::uint8_t out[16] = {};
    std::uint32_t returned = 0;
    const std::uint8_t in[3] = {1, 2, 3};
    ASSERT_TRUE(s.DeviceIoControl(h, IOCTL_DISK_GET_LENGTH_INFO, in, 3, out, 16, &returned));
    EXPECT_EQ(returned, 4u);
    EXPECT_EQ(out[4], 0);  // only the reported bytes arrive
    const auto requests = s.RequestsOf(sim::Request::Kind::Control, IOCTL_DISK_GET_LENGTH_INFO);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].input, (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(requests[0].outSize, 16u);
    s.CloseHandle(h);
}

TEST(SimStorage, ListsItsVolumesAsDriveStrings) {
    SimWorld world(sim::Machine{{}, {{"C:", 7, 0, 1}, {"D:", 7, 0, 2}}});
    char16_t buffer[16] = {};
    const std::uint32_t count = world.Storage().GetLogicalDriveStringsW(16, buffer);
    EXPECT_EQ(count, 8u);
    EXPECT_EQ(std::u16string(buffer, 9), std::u16string(u"C:\\\0D:\\\0\0", 9));
    EXPECT_EQ(world.Storage().GetLogicalDriveStringsW(8, buffer), 9u);  // too small: size needed
}

}  // namespace
}  // namespace cendrix::platform
