// LinuxStorage on real block devices: loop devices made from image files in
// a temporary folder, attached and detached by the test itself. With the
// allow-list naming only those devices, nothing else can be opened.
// Needs root; skipped with the reason otherwise.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "discovery/enumeration.h"
#include "discovery/volumes.h"
#include "format/volume_lock.h"
#include "loop_disks.h"
#include "loop_fixture.h"
#include "platform/aligned_buffer.h"
#include "platform/control_codes.h"
#include "platform/linux/linux_storage.h"
#include "platform/linux/sysfs.h"
#include "platform/text_codec.h"
#include "platform/unique_handle.h"
#include "platform/win32_errors.h"
#include "shell/app_state.h"
#include "shell/open_device.h"
#include "support/recording_view.h"

namespace cendrix::testing {
namespace {

namespace p = platform;
namespace lb = platform::linux_backend;

constexpr qint64 kMiB = 1 << 20;

QString SystemText(int error) { return QString::fromUtf8(std::strerror(error)); }

struct LoopDisks : LoopFixture {
    void SetUp() override {
        if (const QString reason = LoopSkipReason(); !reason.isEmpty()) GTEST_SKIP() << reason.toStdString();
        ASSERT_TRUE(dir.isValid());
    }

    // The backend as the programs make it, limited to `allowed`.
    std::unique_ptr<lb::LinuxStorage> Storage(const QStringList& allowed) {
        lb::LinuxStorageConfig config;
        config.allowDisks = lb::ParseAllowList(allowed.join(',').toUtf8().constData());
        return std::make_unique<lb::LinuxStorage>(std::move(config));
    }

    std::unique_ptr<LoopDevice> Attach(const QString& image, int sectorSize = 512, bool partitions = false) {
        QString error;
        auto loop = LoopDevice::Attach(image, sectorSize, partitions, &error);
        if (!loop) ADD_FAILURE() << error.toStdString();
        return loop;
    }

    // The enumeration of the programs, into `state`.
    void Enumerate(p::StorageApi& storage) {
        state = AppState{};
        ASSERT_FALSE(EnumerateDevices(state, storage, logs).Fatal());
    }

    // The backend limited to `loop`, the enumeration, and `loop` chosen and
    // opened as the program opens the chosen disk; null after a failure. The
    // fixture keeps the backend, so that it outlives the state's handles
    // also when a test ends half-way.
    lb::LinuxStorage* OpenChosen(const LoopDevice& loop) {
        chosen = Storage({loop.Name()});
        Enumerate(*chosen);
        Select(loop);
        if (state.SelectedDevice == -1 || !OpenSelectedDevice(state, *chosen).ok) {
            ADD_FAILURE() << "cannot open " << loop.Name().toStdString();
            return nullptr;
        }
        return chosen.get();
    }

    // Locks and dismounts every volume of the chosen disk as a format run
    // does, into state.LockedVolumeHandles.
    bool LockChosenDisksVolumes() {
        return LockDiskVolumes(state, *chosen, logs, static_cast<std::int64_t>(state.Selected().DeviceNumber));
    }

    // Closes the volumes and the disk, and lets the backend go with every
    // hold it had.
    void CloseChosen() {
        if (!chosen) return;
        ReleaseDiskVolumes(state, *chosen);
        state.DeviceHandle.Reset();
        chosen.reset();
    }

    // The table entry whose serial is the loop device's name.
    const TDeviceTable* Entry(const LoopDevice& loop) const {
        for (std::int64_t i = 1; i <= state.DeviceCount; ++i) {
            if (state.DeviceTables[i].IdentifyData.SN == loop.Name()) return &state.DeviceTables[i];
        }
        return nullptr;
    }

    void Select(const LoopDevice& loop) {
        for (std::int64_t i = 1; i <= state.DeviceCount; ++i) {
            if (state.DeviceTables[i].IdentifyData.SN == loop.Name()) state.SelectedDevice = i;
        }
        EXPECT_NE(state.SelectedDevice, -1) << loop.Name().toStdString() << " is not in the table";
    }

    std::unique_ptr<lb::LinuxStorage> chosen;  // see OpenChosen
    AppState state;
    RecordingLogView view;
    FakeClock clock;
    Logs logs{view, clock, state, TestLocale()};
};

TEST_F(LoopDisks, ProbesDisksOf512And4096ByteSectors) {
    ASSERT_TRUE(CreateImage(Path("small.img"), 64 * kMiB));
    ASSERT_TRUE(CreateImage(Path("large.img"), 96 * kMiB));
    auto small = Attach(Path("small.img"), 512);
    auto large = Attach(Path("large.img"), 4096);
    ASSERT_TRUE(small && large);
    auto storage = Storage({small->Name(), large->Name()});
    ASSERT_EQ(storage->NumberedDisks().size(), 2u);
    Enumerate(*storage);
    ASSERT_EQ(state.DeviceCount, 2);

    const struct {
        const LoopDevice& loop;
        std::int64_t sectorSize;
        std::int64_t sectors;
    } expected[] = {{*small, 512, 64 * kMiB / 512}, {*large, 4096, 96 * kMiB / 4096}};
    for (const auto& e : expected) {
        const TDeviceTable* entry = Entry(e.loop);
        ASSERT_NE(entry, nullptr) << e.loop.Name().toStdString();
        const TIdentifyDeviceData& d = entry->IdentifyData;
        EXPECT_EQ(d.SectorSize, e.sectorSize);
        EXPECT_EQ(d.LBA, e.sectors);
        EXPECT_EQ(d.BusType, 15);  // file-backed virtual disk
        EXPECT_EQ(d.Model, QStringLiteral("Linux Loop device"));
        EXPECT_EQ(d.FW, QStringLiteral("0000"));
        EXPECT_FALSE(d.RemovableMedia);
        EXPECT_EQ(d.IsIDESlave, 0);
        const std::int64_t kb = std::stoll(lb::ReadSysText("/sys/block/" + e.loop.Name().toStdString() +
                                                           "/queue/max_hw_sectors_kb"));
        EXPECT_EQ(d.MaximumSectorsTransfer, std::min<std::int64_t>(kb * 1024 / e.sectorSize, 250));
        EXPECT_EQ(entry->DevicePath, PhysicalDrivePath(entry->DeviceNumber));
        EXPECT_TRUE(entry->AssociatedPartitions.isEmpty());
    }
    // Natural order of the kernel names gives the numbers.
    const bool smallFirst = lb::NaturalLess(small->Name().toStdString(), large->Name().toStdString());
    EXPECT_EQ(Entry(*small)->DeviceNumber, smallFirst ? 0u : 1u);

    // A loop device has no ATA behind it: the SMART requests fail plainly.
    p::UniqueHandle disk(*storage, storage->CreateFileW(u"\\\\.\\PhysicalDrive0", p::GENERIC_READ, 3,
                                                        p::OPEN_EXISTING, 0));
    ASSERT_TRUE(disk.Valid());
    std::uint8_t answer[28] = {};
    std::uint32_t returned = 0;
    EXPECT_FALSE(storage->DeviceIoControl(disk.Get(), p::SMART_GET_VERSION, nullptr, 0, answer, 28, &returned));
    EXPECT_EQ(storage->GetLastError(), p::ERROR_INVALID_FUNCTION);
    EXPECT_FALSE(storage->DeviceIoControl(disk.Get(), p::IOCTL_SCSI_GET_INQUIRY_DATA, nullptr, 0, answer, 28, &returned));
}

TEST_F(LoopDisks, MountedPartitionsAreTheVolumesOfTheirDisk) {
    if (const QString reason = PartitionToolsSkipReason(); !reason.isEmpty()) GTEST_SKIP() << reason.toStdString();
    auto loop = PartitionedDisk(Path("parted.img"), 96, "label: dos\n,32MiB,L\n,,L\n", 2);
    ASSERT_TRUE(loop);
    // A blank in the mount point (written \040 by the kernel) and a mount
    // inside another.
    const QString outer = Path("vol one");
    const NestedMounts mounts = MountNested(*loop, outer);
    ASSERT_TRUE(mounts.inner);

    auto storage = Storage({loop->Name()});
    Enumerate(*storage);
    ASSERT_EQ(state.DeviceCount, 1);
    EXPECT_EQ(state.DeviceTables[1].AssociatedPartitions, outer + "/inner " + outer);

    VolumeDeviceInfo info;
    QueryDeviceNumber(*storage, outer, info);
    EXPECT_TRUE(info.Found);
    EXPECT_EQ(info.DeviceType, 7u);
    EXPECT_EQ(info.DeviceNumber, 0u);
    EXPECT_EQ(info.PartitionNumber, 1u);
    QueryDeviceNumber(*storage, outer + "/inner", info);
    EXPECT_EQ(info.PartitionNumber, 2u);

    // Without the disk in the allow-list its volumes are not there at all.
    auto other = Storage({QStringLiteral("loop999")});
    Enumerate(*other);
    EXPECT_EQ(state.DeviceCount, 0);
    QueryDeviceNumber(*other, outer, info);
    EXPECT_FALSE(info.Found);
}

TEST_F(LoopDisks, LockIsRefusedWhileAFileIsOpenAndNothingIsWritten) {
    if (const QString reason = PartitionToolsSkipReason(); !reason.isEmpty()) GTEST_SKIP() << reason.toStdString();
    const BusyDisk busy = MountedDiskWithAnOpenFile(QStringLiteral("busy"));
    ASSERT_TRUE(busy.holder);
    const LoopDevice& loop = *busy.loop;
    const MountGuard& mount = *busy.mount;
    ASSERT_TRUE(RunTool(QStringLiteral("sync"), {}).Ok());
    const QByteArray before = Sha256(Path("busy.img"));

    auto* storage = OpenChosen(loop);
    ASSERT_TRUE(storage);
    EXPECT_FALSE(LockChosenDisksVolumes());
    EXPECT_EQ(storage->GetLastError(), p::ERROR_BUSY);
    EXPECT_EQ(QString::fromStdU16String(storage->FormatMessageW(p::ERROR_BUSY)), SystemText(EBUSY));
    EXPECT_TRUE(state.LockedVolumeHandles.empty());
    EXPECT_TRUE(mount.Mounted());
    CloseChosen();

    ASSERT_TRUE(RunTool(QStringLiteral("sync"), {}).Ok());
    EXPECT_EQ(Sha256(Path("busy.img")), before) << "the refused lock changed the disk";
}

TEST_F(LoopDisks, LockDismountWriteZerosAndRereadThePartitionTable) {
    if (const QString reason = PartitionToolsSkipReason(); !reason.isEmpty()) GTEST_SKIP() << reason.toStdString();
    auto loop = PartitionedDisk(Path("wipe.img"), 64, "label: dos\n,24MiB,L\n,,L\n", 2);
    ASSERT_TRUE(loop);
    auto first = Mount(loop->PartitionNode(1), Path("p1"));
    auto second = Mount(loop->PartitionNode(2), Path("p2"));
    ASSERT_TRUE(first && second);

    auto* storage = OpenChosen(*loop);
    ASSERT_TRUE(storage);
    ASSERT_TRUE(LockChosenDisksVolumes());
    EXPECT_EQ(state.LockedVolumeHandles.size(), 2u);
    EXPECT_FALSE(first->Mounted());
    EXPECT_FALSE(second->Mounted());

    // The partitions are held: nothing can mount them meanwhile.
    struct stat st {};
    ASSERT_EQ(::stat(loop->PartitionNode(1).toLocal8Bit().constData(), &st), 0);
    EXPECT_TRUE(storage->Holding(major(st.st_rdev), minor(st.st_rdev)));
    const ToolRun remount = RunTool(QStringLiteral("mount"), {loop->PartitionNode(1), Path("p1")});
    EXPECT_FALSE(remount.Ok()) << "a locked volume could be mounted again";
    if (remount.Ok()) RunTool(QStringLiteral("umount"), {Path("p1")});

    // Zeros over the first 10,240,000 bytes, in blocks as the wipe writes
    // them: seek, then write from the aligned buffer.
    ASSERT_TRUE(RunTool(QStringLiteral("sync"), {}).Ok());
    const qint64 extent = 10240000;
    const QByteArray tailBefore = ReadBytes(Path("wipe.img"), extent, 64 * kMiB - extent);
    p::AlignedBuffer zeros = p::AlignedBuffer::Allocate(4 * kMiB);
    ASSERT_TRUE(zeros.Valid());
    const p::Handle disk = state.DeviceHandle.Get();
    for (qint64 position = 0; position < extent;) {
        const auto block = static_cast<std::uint32_t>(std::min<qint64>(4 * kMiB, extent - position));
        std::int64_t reached = -1;
        ASSERT_TRUE(storage->SetFilePointerEx(disk, position, &reached, p::FILE_BEGIN));
        ASSERT_EQ(reached, position);
        std::uint32_t written = 0;
        ASSERT_TRUE(storage->WriteFile(disk, zeros.Data(), block, &written)) << storage->GetLastError();
        ASSERT_EQ(written, block);
        position += block;
    }
    ASSERT_TRUE(storage->DeviceIoControl(disk, p::IOCTL_DISK_UPDATE_PROPERTIES, nullptr, 0, nullptr, 0, nullptr))
        << "re-read refused: " << QString::fromStdU16String(storage->FormatMessageW(storage->GetLastError())).toStdString();
    // The table is gone, and with it the partitions.
    const QString sysDisk = "/sys/block/" + loop->Name();
    EXPECT_FALSE(QFileInfo::exists(sysDisk + "/" + loop->PartitionName(1)));
    EXPECT_FALSE(QFileInfo::exists(sysDisk + "/" + loop->PartitionName(2)));
    CloseChosen();

    EXPECT_EQ(ReadBytes(Path("wipe.img"), 0, extent), QByteArray(extent, '\0'));
    EXPECT_EQ(ReadBytes(Path("wipe.img"), extent, 64 * kMiB - extent), tailBefore);
}

// A volume the lock step did not reach (its mount point not listed, a
// device-mapper volume, ...) is not overwritten under its file system.
TEST_F(LoopDisks, WritesIntoAPartitionSomethingElseHoldsAreRefused) {
    if (const QString reason = PartitionToolsSkipReason(); !reason.isEmpty()) GTEST_SKIP() << reason.toStdString();
    // Partition 1 from 1 MiB to 17 MiB, partition 2 from 17 MiB to the end.
    auto loop = PartitionedDisk(Path("guard.img"), 48, "label: dos\n2048,32768,L\n,,L\n", 2);
    ASSERT_TRUE(loop);
    auto mount = Mount(loop->PartitionNode(1), Path("guarded"));
    ASSERT_TRUE(mount);
    auto* storage = OpenChosen(*loop);
    ASSERT_TRUE(storage);
    p::AlignedBuffer block = p::AlignedBuffer::Allocate(1 << 20);
    ASSERT_TRUE(block.Valid());
    const p::Handle disk = state.DeviceHandle.Get();
    auto writeAt = [&](std::int64_t offset, std::uint32_t length) {
        std::uint32_t written = 0;
        return storage->SetFilePointerEx(disk, offset, nullptr, p::FILE_BEGIN) &&
               storage->WriteFile(disk, block.Data(), length, &written) && written == length;
    };
    ASSERT_TRUE(RunTool(QStringLiteral("sync"), {}).Ok());
    const QByteArray inside = ReadBytes(Path("guard.img"), 9 * kMiB, kMiB);

    EXPECT_TRUE(writeAt(512 * 1024, 512 * 1024));       // before partition 1
    EXPECT_FALSE(writeAt(9 * kMiB, kMiB));              // inside the mounted one
    EXPECT_EQ(storage->GetLastError(), p::ERROR_ACCESS_DENIED);
    EXPECT_FALSE(writeAt(512 * 1024, kMiB));            // reaching into it
    EXPECT_TRUE(writeAt(20 * kMiB, kMiB));              // partition 2, not mounted
    EXPECT_EQ(ReadBytes(Path("guard.img"), 9 * kMiB, kMiB), inside);

    // Once its volume is locked, the partition is the wipe's to write.
    ASSERT_TRUE(LockChosenDisksVolumes());
    EXPECT_TRUE(writeAt(9 * kMiB, kMiB));
    CloseChosen();
    EXPECT_EQ(ReadBytes(Path("guard.img"), 9 * kMiB, kMiB), QByteArray(kMiB, '\0'));
}

TEST_F(LoopDisks, ExclusiveOpenIsRefusedWhileAnotherProcessHoldsTheDisksLock) {
    if (const QString reason = PartitionToolsSkipReason(); !reason.isEmpty()) GTEST_SKIP() << reason.toStdString();
    ASSERT_TRUE(CreateImage(Path("locked.img"), 64 * kMiB));
    auto loop = Attach(Path("locked.img"));
    ASSERT_TRUE(loop);
    QString error;
    auto holder = HolderProcess::HoldLock(loop->Node(), &error);
    ASSERT_TRUE(holder) << error.toStdString();

    auto storage = Storage({loop->Name()});
    Enumerate(*storage);  // probing needs no lock
    ASSERT_EQ(state.DeviceCount, 1);
    Select(*loop);
    const OpenDeviceResult refused = OpenSelectedDevice(state, *storage);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(storage->GetLastError(), p::ERROR_SHARING_VIOLATION);
    EXPECT_EQ(refused.errorText, kOpenErrorPrefix + SystemText(EBUSY));

    holder->Stop();
    EXPECT_TRUE(OpenSelectedDevice(state, *storage).ok);
    // And while it is ours, the lock keeps others out.
    EXPECT_FALSE(RunTool(QStringLiteral("flock"), {QStringLiteral("--nonblock"), loop->Node(), QStringLiteral("true")}).Ok());
    state.DeviceHandle.Reset();
    EXPECT_TRUE(RunTool(QStringLiteral("flock"), {QStringLiteral("--nonblock"), loop->Node(), QStringLiteral("true")}).Ok());
}

TEST_F(LoopDisks, DirectWritesAndTheFallbackForWhatDirectIoRefuses) {
    ASSERT_TRUE(CreateImage(Path("direct.img"), 16 * kMiB, 0x33));
    auto loop = Attach(Path("direct.img"), 4096);
    ASSERT_TRUE(loop);
    auto storage = Storage({loop->Name()});
    p::UniqueHandle disk(*storage, storage->CreateFileW(u"\\\\.\\PhysicalDrive0", p::GENERIC_READ | p::GENERIC_WRITE,
                                                        0, p::OPEN_EXISTING, 0));
    ASSERT_TRUE(disk.Valid());
    p::AlignedBuffer buffer = p::AlignedBuffer::Allocate(128 * 1024);
    ASSERT_TRUE(buffer.Valid());
    std::memset(buffer.Data(), 0xC4, buffer.Size());
    auto writeAt = [&](std::int64_t offset, const std::uint8_t* data, std::uint32_t length) {
        std::uint32_t written = 0;
        return storage->SetFilePointerEx(disk.Get(), offset, nullptr, p::FILE_BEGIN) &&
               storage->WriteFile(disk.Get(), data, length, &written) && written == length;
    };
    // Aligned: direct I/O.
    EXPECT_TRUE(writeAt(0, buffer.Data(), 65536));
    // A buffer address that direct I/O cannot use, and a part of a 4096-byte
    // sector: through the page cache instead.
    EXPECT_TRUE(writeAt(1 * kMiB, buffer.Data() + 1, 8192));
    EXPECT_TRUE(writeAt(2 * kMiB + 512, buffer.Data(), 512));
    // After a fallback the next aligned write is direct again and lands too.
    EXPECT_TRUE(writeAt(3 * kMiB, buffer.Data(), 4096));
    // Beyond the end of the disk.
    EXPECT_FALSE(writeAt(16 * kMiB, buffer.Data(), 4096));
    EXPECT_EQ(storage->GetLastError(), p::ERROR_DISK_FULL);
    disk.Reset();

    const QByteArray c4(65536, static_cast<char>(0xC4));
    EXPECT_EQ(ReadBytes(Path("direct.img"), 0, 65536), c4);
    EXPECT_EQ(ReadBytes(Path("direct.img"), 1 * kMiB, 8192), c4.left(8192));
    EXPECT_EQ(ReadBytes(Path("direct.img"), 2 * kMiB, 1024), QByteArray(512, 0x33) + c4.left(512));
    EXPECT_EQ(ReadBytes(Path("direct.img"), 3 * kMiB, 4096), c4.left(4096));
    EXPECT_EQ(ReadBytes(Path("direct.img"), 3 * kMiB + 4096, 4), QByteArray(4, 0x33));
}

TEST_F(LoopDisks, ANumberStaysWithItsDiskAndNeverReachesAnother) {
    ASSERT_TRUE(CreateImage(Path("first.img"), 8 * kMiB));
    ASSERT_TRUE(CreateImage(Path("second.img"), 8 * kMiB));
    auto loop = Attach(Path("first.img"));
    ASSERT_TRUE(loop);
    const QString name = loop->Name();
    auto storage = Storage({name});
    ASSERT_EQ(storage->NumberedDisks(), std::vector<std::string>{name.toStdString()});
    ASSERT_TRUE(loop->Detach());
    // Gone: the number no longer opens.
    EXPECT_EQ(storage->CreateFileW(u"\\\\.\\PhysicalDrive0", p::GENERIC_READ, 3, p::OPEN_EXISTING, 0),
              p::INVALID_HANDLE_VALUE);
    EXPECT_EQ(storage->GetLastError(), p::ERROR_FILE_NOT_FOUND);
    // The same name on another file is another disk.
    QString error;
    auto again = LoopDevice::AttachAs(name, Path("second.img"), &error);
    if (!again) GTEST_SKIP() << error.toStdString();  // another test took the name meanwhile
    EXPECT_EQ(storage->CreateFileW(u"\\\\.\\PhysicalDrive0", p::GENERIC_READ | p::GENERIC_WRITE, 0,
                                   p::OPEN_EXISTING, 0),
              p::INVALID_HANDLE_VALUE);
    EXPECT_EQ(storage->GetLastError(), p::ERROR_FILE_NOT_FOUND);
}

}  // namespace
}  // namespace cendrix::testing
