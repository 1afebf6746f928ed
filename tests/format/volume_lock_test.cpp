#include "format/volume_lock.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include "platform/control_codes.h"
#include "support/sim_fixture.h"

namespace cendrix {
namespace {

using namespace testing;
using sim::Request;

// C: and D: on disk 0, an optical drive that claims device number 0, a
// drive that does not answer its query, and E: on disk 1.
sim::Machine Machine() {
    sim::Volume optical{"F:", 2, 0, 0};
    sim::Volume silent{"G:", 7, 0, 3};
    silent.openFails = true;
    return sim::Machine{{MakeDisk(0), MakeDisk(1)},
                        {{"C:", 7, 0, 1}, optical, silent, {"D:", 7, 0, 2}, {"E:", 7, 1, 1}}};
}

TEST(LockDiskVolumes, LocksAndDismountsExactlyTheVolumesOfTheDiskUntilTheRelease) {
    SimWorld world(Machine());
    sim::SimStorage& sim = world.Storage();
    ASSERT_TRUE(LockDiskVolumes(world.state, sim, world.logs, 0));

    EXPECT_EQ(world.state.LockedVolumeHandles.size(), 2u);
    for (const char* name : {"C:", "D:"}) {
        EXPECT_TRUE(sim.VolumeLocked(name)) << name;
        EXPECT_TRUE(sim.VolumeDismounted(name)) << name;
    }
    for (const char* name : {"E:", "F:", "G:"}) EXPECT_FALSE(sim.VolumeLocked(name)) << name;
    // Without debug mode a successful lock writes nothing at all.
    EXPECT_TRUE(world.view.Lines(Pane::Format).isEmpty());

    // The lock opens ask for reading with both sharing bits; each held
    // volume got lock, dismount and extended access, in that order.
    std::vector<Request> lockOpens;
    for (const Request& r : sim.RequestsOf(Request::Kind::Open)) {
        if (r.access != 0) lockOpens.push_back(r);
    }
    ASSERT_EQ(lockOpens.size(), 2u);
    EXPECT_EQ(lockOpens[0].path, "\\\\.\\C:");
    EXPECT_EQ(lockOpens[1].path, "\\\\.\\D:");
    for (const Request& open : lockOpens) {
        EXPECT_EQ(open.access, platform::GENERIC_READ);
        EXPECT_EQ(open.share, 3u);
        std::vector<std::uint32_t> codes;
        for (const Request& r : sim.RequestsOf(Request::Kind::Control)) {
            if (r.handle == open.handle) codes.push_back(r.code);
        }
        EXPECT_EQ(codes, (std::vector<std::uint32_t>{platform::FSCTL_LOCK_VOLUME, platform::FSCTL_DISMOUNT_VOLUME,
                                                     platform::FSCTL_ALLOW_EXTENDED_DASD_IO}));
    }
    EXPECT_EQ(world.state.LockedVolumeHandles,
              (std::vector<platform::Handle>{lockOpens[0].handle, lockOpens[1].handle}));

    ReleaseDiskVolumes(world.state, sim);
    EXPECT_TRUE(world.state.LockedVolumeHandles.empty());
    EXPECT_FALSE(sim.VolumeLocked("C:"));
    EXPECT_FALSE(sim.VolumeLocked("D:"));
    EXPECT_EQ(sim.OpenHandleCount(), 0u);
}

TEST(LockDiskVolumes, ADiskWithoutLetteredVolumesLocksNothingAndSucceeds) {
    SimWorld world(Machine());
    EXPECT_TRUE(LockDiskVolumes(world.state, world.Storage(), world.logs, 2));
    EXPECT_TRUE(world.state.LockedVolumeHandles.empty());
    EXPECT_EQ(world.Storage().OpenHandleCount(), 0u);
}

TEST(LockDiskVolumes, InDebugModeNarratesEveryStepInTheFormatLog) {
    SimWorld world(Machine());
    world.state.DebugMode = true;
    ASSERT_TRUE(LockDiskVolumes(world.state, world.Storage(), world.logs, 1));
    QStringList expected{
        "正在寻找分区...", "完成.",
        "正在获取设备数据...", "完成.", "找到分区C:      设备类型:       7   设备编号:         0   分区:        1",
        "正在获取设备数据...", "完成.", "找到分区F:      设备类型:       2   设备编号:         0   分区:        0",
        "正在获取设备数据...", "完成.",  // G: does not answer
        "正在获取设备数据...", "完成.", "找到分区D:      设备类型:       7   设备编号:         0   分区:        2",
        "正在获取设备数据...", "完成.", "找到分区E:      设备类型:       7   设备编号:         1   分区:        1",
        "Locking \\\\.\\E:", "有句柄!", "正在锁定卷...", "完成.", "正在卸载卷...", "完成.", "正在扩展 I/O...",
        "完成.",
    };
    for (QString& line : expected) line.prepend(kStamp);
    EXPECT_EQ(world.view.Lines(Pane::Format), expected);
    EXPECT_TRUE(world.view.Lines(Pane::Debug).isEmpty());
    ReleaseDiskVolumes(world.state, world.Storage());
}

// Two volumes on the disk; the second one misbehaves.
struct SecondVolumeCase {
    const char* name;
    void (*spoil)(sim::Volume&);
    bool heldElsewhere;           // another program holds D: locked
    bool result;
    std::size_t held;             // handles in LockedVolumeHandles afterwards
    const char* lastDebugLine;    // the last line written in debug mode
};

class SecondVolume : public ::testing::TestWithParam<std::tuple<SecondVolumeCase, bool>> {};

TEST_P(SecondVolume, KeepsWhatWasLockedBeforeAndReleasesExactlyThat) {
    const auto& [c, debug] = GetParam();
    sim::Volume second{"D:", 7, 0, 2};
    if (c.spoil != nullptr) c.spoil(second);
    SimWorld world(sim::Machine{{MakeDisk(0)}, {{"C:", 7, 0, 1}, second}});
    sim::SimStorage& sim = world.Storage();
    world.state.DebugMode = debug;
    platform::UniqueHandle other;
    if (c.heldElsewhere) {
        other = platform::UniqueHandle(sim, sim.CreateFileW(u"\\\\.\\D:", platform::GENERIC_READ, 3,
                                                            platform::OPEN_EXISTING, 0));
        ASSERT_TRUE(sim.DeviceIoControl(other.Get(), platform::FSCTL_LOCK_VOLUME, nullptr, 0, nullptr, 0,
                                        nullptr));
    }
    const std::size_t before = sim.OpenHandleCount();

    EXPECT_EQ(LockDiskVolumes(world.state, sim, world.logs, 0), c.result);
    EXPECT_EQ(world.state.LockedVolumeHandles.size(), c.held);
    EXPECT_TRUE(sim.VolumeLocked("C:"));
    // Only the held handles stay open; a refused volume's own handle is closed.
    EXPECT_EQ(sim.OpenHandleCount(), before + c.held);

    const QStringList lines = world.view.Lines(Pane::Format);
    const QString invalid = QStringLiteral("无效句柄");
    if (c.heldElsewhere) {
        // Unstamped, whatever the debug switch says.
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_EQ(lines.last(), invalid);
        EXPECT_EQ(lines.count(invalid), 1);
    } else {
        EXPECT_FALSE(lines.contains(invalid));
    }
    if (debug) {
        const QStringList stamped = lines.filter(QRegularExpression(QStringLiteral("^") + kStamp));
        ASSERT_FALSE(stamped.isEmpty());
        EXPECT_EQ(stamped.last(), kStamp + QString::fromUtf8(c.lastDebugLine));
    } else {
        EXPECT_EQ(lines.size(), c.heldElsewhere ? 1 : 0);
    }

    ReleaseDiskVolumes(world.state, sim);
    EXPECT_TRUE(world.state.LockedVolumeHandles.empty());
    EXPECT_FALSE(sim.VolumeLocked("C:"));
    EXPECT_EQ(sim.OpenHandleCount(), before);
}

const SecondVolumeCase kSecondVolumeCases[] = {
    {"LockRefused", [](sim::Volume& v) { v.lock = sim::VolumeAnswer::Refuse; }, false, false, 1, "正在锁定卷..."},
    {"DismountRefused", [](sim::Volume& v) { v.dismount = sim::VolumeAnswer::Refuse; }, false, false, 1,
     "正在卸载卷..."},
    {"ExtendedAccessRefused", [](sim::Volume& v) { v.extendedIo = sim::VolumeAnswer::Refuse; }, false, true, 2,
     "完成."},
    {"HeldByAnotherProgram", nullptr, true, false, 1, "Locking \\\\.\\D:"},
};

INSTANTIATE_TEST_SUITE_P(LockDiskVolumes, SecondVolume,
                         ::testing::Combine(::testing::ValuesIn(kSecondVolumeCases), ::testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "Debug" : "Quiet");
                         });

}  // namespace
}  // namespace cendrix
