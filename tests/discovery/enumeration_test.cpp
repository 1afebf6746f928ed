#include "discovery/enumeration.h"

#include <gtest/gtest.h>

#include "support/sim_fixture.h"

namespace cendrix {
namespace {

using namespace testing;

QStringList Unstamped(const QStringList& lines) {
    QStringList out;
    for (const QString& line : lines) out.append(line.mid(kStamp.size()));
    return out;
}

std::vector<std::string> OpenedPaths(sim::SimStorage& storage) {
    std::vector<std::string> paths;
    for (const sim::Request& r : storage.RequestsOf(sim::Request::Kind::Open)) {
        if (r.path.find("PhysicalDrive") != std::string::npos) paths.push_back(r.path);
    }
    return paths;
}

TEST(EnumerateDevices, WithNoDisksTriesAll256NumbersAndFindsNothing) {
    SimWorld world(sim::Machine{});
    EnumerationResult result = EnumerateDevices(world.state, world.Storage(), world.logs);
    EXPECT_FALSE(result.Fatal());
    EXPECT_EQ(world.state.DeviceCount, 0);
    EXPECT_EQ(OpenedPaths(world.Storage()).size(), 256u);
    EXPECT_EQ(OpenedPaths(world.Storage()).back(), "\\\\.\\PhysicalDrive255");
    EXPECT_EQ(world.state.DeviceTables[1].DevicePath, QString());
}

TEST(EnumerateDevices, SkipsMissingNumbersAndKeepsTheTrueDiskNumbers) {
    SimWorld world(sim::Machine{{MakeDisk(0), MakeDisk(2)}, {}});
    EnumerateDevices(world.state, world.Storage(), world.logs);
    ASSERT_EQ(world.state.DeviceCount, 2);
    EXPECT_EQ(world.state.DeviceTables[1].DeviceNumber, 0u);
    EXPECT_EQ(world.state.DeviceTables[1].DevicePath, QStringLiteral("\\\\.\\PhysicalDrive0"));
    EXPECT_EQ(world.state.DeviceTables[2].DeviceNumber, 2u);
    EXPECT_EQ(world.state.DeviceTables[2].DevicePath, QStringLiteral("\\\\.\\PhysicalDrive2"));
    EXPECT_EQ(world.state.DeviceTables[2].IdentifyData.Model, QStringLiteral(" TEST DISK 2"));
    EXPECT_FALSE(world.state.DeviceTables[2].IsFile);
    EXPECT_EQ(world.state.DeviceTables[3].DevicePath, QString());
    // Every handle of the walk is closed again.
    EXPECT_EQ(world.Storage().OpenHandleCount(), 0u);
}

TEST(EnumerateDevices, StopsAfterFifteenEntriesWithoutOpeningHigherDisks) {
    sim::Machine machine;
    for (std::uint32_t n = 0; n < 17; ++n) machine.disks.push_back(MakeDisk(n, 1000));
    SimWorld world(std::move(machine));
    EnumerateDevices(world.state, world.Storage(), world.logs);
    EXPECT_EQ(world.state.DeviceCount, 15);
    EXPECT_EQ(world.state.DeviceTables[15].DeviceNumber, 14u);
    EXPECT_EQ(world.state.DeviceTables[16].DevicePath, QString());
    const auto opened = OpenedPaths(world.Storage());
    EXPECT_EQ(opened.size(), 15u);
    EXPECT_EQ(opened.back(), "\\\\.\\PhysicalDrive14");
}

TEST(EnumerateDevices, NarratesEachDiskAndLooksUpPartitionsOfFailedProbesToo) {
    sim::Disk good = MakeDisk(0);
    good.serialRaw = sim::EncodeSerialAtaOrder("GOOD1");
    sim::Disk failing = MakeDisk(1);
    failing.geometryError = 1117;
    sim::Disk locked = MakeDisk(2);
    locked.openFails = true;
    sim::Machine machine{{good, failing, locked}, {{"E:", 7, 1, 1}}};
    SimWorld world(std::move(machine));
    world.state.DebugMode = true;
    EnumerateDevices(world.state, world.Storage(), world.logs);

    EXPECT_EQ(world.state.DeviceCount, 1);
    const QStringList debug = Unstamped(world.view.Lines(Pane::Debug));
    const qsizetype second = debug.indexOf(QStringLiteral("正在尝试设备 \\\\.\\PhysicalDrive1"));
    ASSERT_GE(second, 0);
    // The failed probe's status line repeats the last good disk's model and serial.
    EXPECT_EQ(debug.mid(second, 7),
              (QStringList{
                  QStringLiteral("正在尝试设备 \\\\.\\PhysicalDrive1"),
                  QStringLiteral("正在识别设备..."),
                  QStringLiteral("正在获取几何图形..."),
                  QStringLiteral("完成. 状态 =       0;  TEST DISK 0  GOOD1"),
                  QStringLiteral("正在获取分区信息..."),
                  QStringLiteral("找到分区E:      设备类型:       7   设备编号:         1   分区:        1"),
                  QStringLiteral("分区:         E:"),
              }));
    EXPECT_EQ(debug[second + 7], QStringLiteral("正在尝试设备 \\\\.\\PhysicalDrive2"));
    EXPECT_EQ(debug[second + 8], QStringLiteral("无效句柄，正在跳过"));
    EXPECT_TRUE(debug.contains(QStringLiteral("完成. 状态 =       -1;  TEST DISK 0  GOOD1")));
}

TEST(EnumerateDevices, RecordsTheVolumesOfEachDisk) {
    sim::Machine machine{{MakeDisk(0), MakeDisk(1)},
                         {{"C:", 7, 0, 1}, {"D:", 7, 1, 1}, {"E:", 7, 0, 2}}};
    SimWorld world(std::move(machine));
    EnumerateDevices(world.state, world.Storage(), world.logs);
    EXPECT_EQ(world.state.DeviceTables[1].AssociatedPartitions, QStringLiteral("C: E:"));
    EXPECT_EQ(world.state.DeviceTables[2].AssociatedPartitions, QStringLiteral("D:"));
}

TEST(EnumerateDevices, EndsTheWalkAtAFatalDeviceQuery) {
    sim::Disk broken = MakeDisk(1);
    broken.deviceQueryError = 1117;
    SimWorld world(sim::Machine{{MakeDisk(0), broken, MakeDisk(2)}, {}});
    const EnumerationResult result = EnumerateDevices(world.state, world.Storage(), world.logs);
    ASSERT_TRUE(result.Fatal());
    EXPECT_EQ(result.fatalError,
              QStringLiteral("访问设备时出错: The request could not be performed because of an I/O device error."));
    EXPECT_EQ(OpenedPaths(world.Storage()).back(), "\\\\.\\PhysicalDrive1");
    EXPECT_EQ(world.Storage().OpenHandleCount(), 0u);
}

TEST(EnumerateDevices, IsSilentOutsideDebugMode) {
    SimWorld world(sim::Machine{{MakeDisk(0)}, {{"C:", 7, 0, 1}}});
    EnumerateDevices(world.state, world.Storage(), world.logs);
    EXPECT_TRUE(world.view.panes.empty());
}

}  // namespace
}  // namespace cendrix
