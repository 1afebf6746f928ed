#include "info/device_details.h"

#include <gtest/gtest.h>

#include "platform/control_codes.h"
#include "platform/sim/sim_sectors.h"
#include "shell/project_links.h"
#include "support/chosen_disk.h"
#include "support/sample_identify.h"

namespace cendrix {
namespace {

using namespace testing;
namespace p = platform;

// A label followed by its counted blanks.
QString Label(const char* text, int blanks) { return QString::fromUtf8(text) + QString(blanks, QLatin1Char(' ')); }

const QString kCaption500 =
    QStringLiteral("[0]  WDC WD5000AAKX-00ERMA0    15.01H15    [500.1 GB]    (976773168 512-字节扇区)");

sim::IdentifyFields Fields500() {
    sim::IdentifyFields f = Identify500GB();
    f.security = true;
    return f;
}

// The 500 GB disk on `bus`, with `identify` as its IDENTIFY data (none: refused).
sim::Disk Disk500(std::uint8_t bus, std::optional<sim::IdentifyFields> identify = Fields500()) {
    sim::Disk d = MakeDisk(0, 976773168, 512, bus);
    d.product = "WDC WD5000AAKX-00ERMA0";
    d.revision = "15.01H15";
    if (identify) d.identify = sim::BuildIdentifySector(*identify);
    return d;
}

QStringList Header(const QString& caption = kCaption500) {
    return {Label("", 1), Label("当前日期和时间:", 15) + QStringLiteral("2024/12/17 09:05:03"),
            Label("设备详细信息", 13) + caption, Label("", 1)};
}

TEST(WriteDeviceDetails, WritesTheFullReportOfA500GigabyteDisk) {
    ChosenDisk disk(sim::Machine{{Disk500(11)}, {}});
    WriteDeviceDetails(disk.state, disk.Storage(), disk.logs);
    const QStringList expected = Header() + QStringList{
        Label("型号:", 4) + QStringLiteral("WDC WD5000AAKX-00ERMA0"),
        Label("固件版本:", 14) + QStringLiteral("15.01H15"),
        Label("序列号:", 11) + QStringLiteral("WD-WCC2EU123456"),
        Label("缓冲区大小:", 7) + QStringLiteral("16.77 MB"),
        Label("", 1),
        Label("物理参数:", 15),
        QStringLiteral("支持 LBA 模式"),
        QStringLiteral("支持 LBA-48 模式"),
        Label("LBA 命令可用扇区:", 26) + QStringLiteral("268,435,455"),
        Label("LBA48 命令可用扇区:", 26) + QStringLiteral("976,773,168"),
        Label("设备全容量:", 16) + QStringLiteral("500,107,862,016 字节"),
        Label("", 1),
        Label("安全:", 6),
        QStringLiteral("支持安全功能"),
        QStringLiteral("该设备当前未锁定"),
        Label("", 1),
        Label("特征:", 6),
        QStringLiteral("支持 SMART"),
        QStringLiteral("支持 HPA (主机保护区域)"),
        QStringLiteral("不支持 AAM (自动噪声管理)"),
        QStringLiteral("不支持流式处理功能集"),
        Label("", 1),
        Label("队列:", 5),
        QStringLiteral("设备支持命令队列"),
        Label("最大队列深度:", 14) + QStringLiteral("32"),
    };
    EXPECT_EQ(disk.Details(), expected);
    EXPECT_EQ(disk.Details()[2], Label("设备详细信息", 13) + disk.state.DiskName);
    // Nothing else is written, and the disk was asked once.
    EXPECT_EQ(disk.view.panes.size(), 1u);
    EXPECT_EQ(disk.Controls(p::SMART_RCV_DRIVE_DATA).size(), 1u);
    EXPECT_EQ(disk.state.SmartEnabledAtStart, std::optional<bool>(true));
}

TEST(WriteDeviceDetails, WritesTheOppositeFlagsAndLeavesOutTheEmptyLines) {
    sim::IdentifyFields f;
    f.model = "SanDisk SDCFB-32";
    f.serial = "X0312 20021118";
    f.firmware = "HDX 4.04";
    f.lba = false;
    f.smart = false;
    f.hpa = false;
    f.aam = true;
    f.streaming = true;
    f.bufferBytes = 0;
    f.queueDepth = 0;
    ChosenDisk disk(sim::Machine{{Disk500(3, f)}, {}});
    WriteDeviceDetails(disk.state, disk.Storage(), disk.logs);
    const QStringList expected = Header() + QStringList{
        Label("型号:", 4) + QStringLiteral("SanDisk SDCFB-32"),
        Label("固件版本:", 14) + QStringLiteral("HDX 4.04"),
        Label("序列号:", 11) + QStringLiteral("X0312 20021118"),
        Label("", 1),  // no buffer size line for a buffer of 0
        Label("物理参数:", 15),
        QStringLiteral("不支持 LBA 模式"),
        QStringLiteral("不支持 LBA-48 模式"),
        Label("LBA 命令可用扇区:", 26) + QStringLiteral("0"),
        Label("LBA48 命令可用扇区:", 26) + QStringLiteral("0"),
        Label("设备全容量:", 16) + QStringLiteral("0 字节"),
        Label("", 1),
        Label("安全:", 6),
        QStringLiteral("不支持安全功能"),
        QStringLiteral("该设备当前未锁定"),
        Label("", 1),
        Label("特征:", 6),
        QStringLiteral("不支持 SMART"),
        QStringLiteral("不支持 HPA (主机保护区域)"),
        QStringLiteral("支持 AAM (自动噪声管理)"),
        QStringLiteral("支持流式处理功能集"),
        Label("", 1),
        Label("队列:", 5),
        QStringLiteral("设备不支持命令队列"),  // and the report ends here
    };
    EXPECT_EQ(disk.Details(), expected);
    EXPECT_EQ(disk.state.SmartEnabledAtStart, std::optional<bool>(false));
}

TEST(WriteDeviceDetails, ShowsTheLockedSecurityLevels) {
    struct Case {
        const char* name;
        bool locked, maximum;
        QStringList lines;
    };
    const Case cases[] = {
        {"locked at High", true, false,
         {QStringLiteral("驱动器当前已锁定"), QStringLiteral("安全级别: 高"),
          QStringLiteral("设备需要用户或主密码才能解锁.")}},
        {"locked at Maximum", true, true,
         {QStringLiteral("驱动器当前已锁定"), QStringLiteral("安全级别: 最大"),
          QStringLiteral("设备需要用户密码才能解锁."),
          QStringLiteral("如果用户密码未知, 则可以使用主密码擦除设备.")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::IdentifyFields f = Fields500();
        f.locked = c.locked;
        f.securityMaximum = c.maximum;
        ChosenDisk disk(sim::Machine{{Disk500(11, f)}, {}});
        WriteDeviceDetails(disk.state, disk.Storage(), disk.logs);
        const QStringList lines = disk.Details();
        const qsizetype at = lines.indexOf(Label("安全:", 6));
        ASSERT_GE(at, 0);
        EXPECT_EQ(lines.mid(at + 1, c.lines.size() + 2),
                  QStringList{QStringLiteral("支持安全功能")} + c.lines + QStringList{Label("", 1)});
    }
}

TEST(WriteDeviceDetails, SaysSoWhenTheDiskGivesNoIdentifyData) {
    struct Case {
        const char* name;
        std::uint8_t bus;
        QStringList lines;
        std::size_t attempts;
    };
    const QStringList unavailable{QStringLiteral("此设备详细信息不可用.")};
    const QStringList internal{QStringLiteral("详细信息不可用: 内部错误."),
                               QStringLiteral("请在 ") + kProjectForum + QStringLiteral(" 上发布这一问题")};
    const Case cases[] = {
        {"USB", 7, unavailable, 1},
        {"SCSI", 1, unavailable, 1},
        {"SATA: not asked twice", 11, unavailable, 1},
        {"ATA: asked twice", 3, internal, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ChosenDisk disk(sim::Machine{{Disk500(c.bus, std::nullopt)}, {}});
        disk.state.SmartEnabledAtStart = true;  // left over from nothing: must be cleared
        WriteDeviceDetails(disk.state, disk.Storage(), disk.logs);
        EXPECT_EQ(disk.Details(), Header() + c.lines);
        // Each attempt ends with the miniport form.
        EXPECT_EQ(disk.Controls(p::IOCTL_SCSI_MINIPORT).size(), c.attempts);
        EXPECT_FALSE(disk.state.SmartEnabledAtStart.has_value());
    }
}

TEST(WriteDeviceDetails, WritesTheFullReportWhenTheSecondAttemptAnswers) {
    ChosenDisk disk(sim::Machine{{Disk500(3)}, {}});
    // The driver refuses both forms the first time only.
    int versions = 0;
    int miniports = 0;
    InterceptingStorage flaky(disk.Storage(), [&](std::uint32_t code, const std::uint8_t*, std::uint32_t) {
        if (code == p::SMART_GET_VERSION) return ++versions == 1;
        if (code == p::IOCTL_SCSI_MINIPORT) return ++miniports == 1;
        return false;
    });
    WriteDeviceDetails(disk.state, flaky, disk.logs);
    EXPECT_EQ(flaky.refused, 2);
    const QStringList lines = disk.Details();
    ASSERT_EQ(lines.size(), 4 + 25);
    EXPECT_EQ(lines.mid(0, 4), Header());
    EXPECT_EQ(lines[4], Label("型号:", 4) + QStringLiteral("WDC WD5000AAKX-00ERMA0"));
    EXPECT_EQ(lines.back(), Label("最大队列深度:", 14) + QStringLiteral("32"));
}

TEST(WriteDeviceDetails, TakesTheDateAndTimeFromTheClock) {
    ChosenDisk disk(sim::Machine{{Disk500(11)}, {}});
    disk.clock.Set(QDateTime(QDate(2025, 1, 2), QTime(23, 59, 58)));
    WriteDeviceDetails(disk.state, disk.Storage(), disk.logs);
    disk.clock.Set(QDateTime(QDate(2025, 1, 3), QTime(0, 0)));
    WriteDeviceDetails(disk.state, disk.Storage(), disk.logs);
    const QStringList lines = disk.Details();
    ASSERT_EQ(lines.size(), 2 * 29);
    EXPECT_EQ(lines[1], Label("当前日期和时间:", 15) + QStringLiteral("2025/1/2 23:59:58"));
    EXPECT_EQ(lines[29 + 1], Label("当前日期和时间:", 15) + QStringLiteral("2025/1/3"));  // midnight: no time
}

TEST(WriteDeviceDetails, DoesNothingWithoutAChosenDisk) {
    ChosenDisk disk(sim::Machine{{Disk500(11)}, {}});
    disk.state.SelectedDevice = -1;
    WriteDeviceDetails(disk.state, disk.Storage(), disk.logs);
    EXPECT_TRUE(disk.view.panes.empty());
    EXPECT_TRUE(disk.Controls().empty());
}

}  // namespace
}  // namespace cendrix
