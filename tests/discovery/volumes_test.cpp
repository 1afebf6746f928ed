#include "discovery/volumes.h"

#include <gtest/gtest.h>

#include "support/sim_fixture.h"

namespace cendrix {
namespace {

using namespace testing;

sim::Machine TwoDisksAndAnOpticalDrive() {
    return sim::Machine{{MakeDisk(0), MakeDisk(1)},
                        {{"C:", 7, 0, 1}, {"D:", 7, 0, 2}, {"E:", 7, 1, 1}, {"F:", 2, 0, 0}}};
}

TEST(FindDiskPartitions, CollectsTheDriveNamesOfEachDisk) {
    SimWorld world(TwoDisksAndAnOpticalDrive());
    EXPECT_EQ(FindDiskPartitions(world.Storage(), world.logs, false, 0), QStringLiteral("C: D:"));
    EXPECT_EQ(FindDiskPartitions(world.Storage(), world.logs, false, 1), QStringLiteral("E:"));
    EXPECT_EQ(FindDiskPartitions(world.Storage(), world.logs, false, 2), QString());
    // The optical drive reports device number 0 but is no disk.
    EXPECT_EQ(world.Storage().OpenHandleCount(), 0u);
}

TEST(FindDiskPartitions, SkipsVolumesThatCannotBeOpened) {
    sim::Machine machine = TwoDisksAndAnOpticalDrive();
    machine.volumes[1].openFails = true;
    SimWorld world(std::move(machine));
    EXPECT_EQ(FindDiskPartitions(world.Storage(), world.logs, false, 0), QStringLiteral("C:"));
}

TEST(FindDiskPartitions, InDebugModeWritesProgressToTheFormatLogAndFindingsToTheDebugLog) {
    sim::Machine machine = TwoDisksAndAnOpticalDrive();
    machine.volumes[2].openFails = true;  // E: does not answer
    SimWorld world(std::move(machine));
    world.state.DebugMode = true;
    FindDiskPartitions(world.Storage(), world.logs, true, 0);
    const QStringList format = world.view.Lines(Pane::Format);
    ASSERT_EQ(format.size(), 2 + 4 * 2);
    EXPECT_EQ(format[0], kStamp + QStringLiteral("正在寻找分区..."));
    EXPECT_EQ(format[1], kStamp + QStringLiteral("完成."));
    EXPECT_EQ(format[2], kStamp + QStringLiteral("正在获取设备数据..."));
    EXPECT_EQ(format[3], kStamp + QStringLiteral("完成."));
    EXPECT_EQ(world.view.Lines(Pane::Debug),
              (QStringList{
                  kStamp + QStringLiteral("找到分区C:      设备类型:       7   设备编号:         0   分区:        1"),
                  kStamp + QStringLiteral("找到分区D:      设备类型:       7   设备编号:         0   分区:        2"),
                  kStamp + QStringLiteral("找到分区F:      设备类型:       2   设备编号:         0   分区:        0"),
              }));
}

TEST(QueryDeviceNumber, OpensWithoutAccessAndClosesAgain) {
    SimWorld world(TwoDisksAndAnOpticalDrive());
    VolumeDeviceInfo info;
    info.DeviceNumber = 99;
    QueryDeviceNumber(world.Storage(), QStringLiteral("E:"), info);
    EXPECT_TRUE(info.Found);
    EXPECT_EQ(info.DeviceType, 7u);
    EXPECT_EQ(info.DeviceNumber, 1u);
    EXPECT_EQ(info.PartitionNumber, 1u);
    const auto opens = world.Storage().RequestsOf(sim::Request::Kind::Open);
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0].path, "\\\\.\\E:");
    EXPECT_EQ(opens[0].access, 0u);
    EXPECT_EQ(opens[0].share, 3u);
    EXPECT_EQ(world.Storage().OpenHandleCount(), 0u);

    QueryDeviceNumber(world.Storage(), QStringLiteral("Z:"), info);
    EXPECT_FALSE(info.Found);
    EXPECT_EQ(info.DeviceNumber, 0u);
}

TEST(ListDriveLetters, FillsAtMost128SlotsAndGivesUpOnOverlongAnswers) {
    sim::Machine many;
    for (int i = 0; i < 130; ++i) many.volumes.push_back({"V" + std::to_string(i), 7, 0, 1});
    SimWorld manyWorld(std::move(many));
    DriveNameList list;
    ListDriveLetters(manyWorld.Storage(), list);
    EXPECT_EQ(list[0], QStringLiteral("V0"));
    EXPECT_EQ(list[127], QStringLiteral("V127"));

    sim::Machine overlong;
    for (int i = 0; i < 30; ++i) {
        overlong.volumes.push_back({"/media/user/a-rather-long-mount-point-" + std::to_string(i), 7, 0, 1});
    }
    SimWorld overlongWorld(std::move(overlong));
    list[0] = QStringLiteral("stale");
    ListDriveLetters(overlongWorld.Storage(), list);
    for (const QString& slot : list) EXPECT_TRUE(slot.isEmpty());
}

}  // namespace
}  // namespace cendrix
