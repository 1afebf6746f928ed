// The two report pages of the main window: the details report written at
// the end of the start-up, and the S.M.A.R.T. report of each button click.
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include "desktop_fixture.h"
#include "platform/control_codes.h"
#include "platform/sim/sim_sectors.h"
#include "support/sample_identify.h"

namespace cendrix {
namespace {

using namespace testing;

QString Blanks(int n) { return QString(n, QLatin1Char(' ')); }

// A 500 GB SATA disk that answers IDENTIFY DEVICE and SMART READ DATA.
sim::Disk Disk500() {
    sim::Disk d = MakeDisk(0, 976773168, 512, 11);
    d.product = "WDC WD5000AAKX-00ERMA0";
    d.revision = "15.01H15";
    sim::IdentifyFields fields = Identify500GB();
    fields.security = true;
    d.identify = sim::BuildIdentifySector(fields);
    d.smart = sim::BuildSmartSector({{5, 0x33, 100, 100, 0}, {194, 0x22, 35, 45, 0x2D00140023}});
    return d;
}

const QString kCaption500 =
    QStringLiteral("[0]  WDC WD5000AAKX-00ERMA0    15.01H15    [500.1 GB]    (976773168 512-字节扇区)");

QStringList DetailsHeader(const QString& caption) {
    return {Blanks(1), QStringLiteral("当前日期和时间:") + Blanks(15) + QStringLiteral("2024/12/17 09:05:03"),
            QStringLiteral("设备详细信息") + Blanks(13) + caption, Blanks(1)};
}

TEST(DetailsPageGui, ShowsTheReportOfTheChosenDiskOnceTheStartUpIsDone) {
    DesktopFixture f(sim::Machine{{Disk500()}, {}});
    ASSERT_TRUE(f.StartWithLastDisk());
    windows::TFmMain& m = f.Program().Main();
    ASSERT_EQ(f.State().DiskName, kCaption500);
    const QStringList expected = DetailsHeader(kCaption500) + QStringList{
        QStringLiteral("型号:") + Blanks(4) + QStringLiteral("WDC WD5000AAKX-00ERMA0"),
        QStringLiteral("固件版本:") + Blanks(14) + QStringLiteral("15.01H15"),
        QStringLiteral("序列号:") + Blanks(11) + QStringLiteral("WD-WCC2EU123456"),
        QStringLiteral("缓冲区大小:") + Blanks(7) + QStringLiteral("16.77 MB"),
        Blanks(1),
        QStringLiteral("物理参数:") + Blanks(15),
        QStringLiteral("支持 LBA 模式"),
        QStringLiteral("支持 LBA-48 模式"),
        QStringLiteral("LBA 命令可用扇区:") + Blanks(26) + QStringLiteral("268,435,455"),
        QStringLiteral("LBA48 命令可用扇区:") + Blanks(26) + QStringLiteral("976,773,168"),
        QStringLiteral("设备全容量:") + Blanks(16) + QStringLiteral("500,107,862,016 字节"),
        Blanks(1),
        QStringLiteral("安全:") + Blanks(6),
        QStringLiteral("支持安全功能"),
        QStringLiteral("该设备当前未锁定"),
        Blanks(1),
        QStringLiteral("特征:") + Blanks(6),
        QStringLiteral("支持 SMART"),
        QStringLiteral("支持 HPA (主机保护区域)"),
        QStringLiteral("不支持 AAM (自动噪声管理)"),
        QStringLiteral("不支持流式处理功能集"),
        Blanks(1),
        QStringLiteral("队列:") + Blanks(5),
        QStringLiteral("设备支持命令队列"),
        QStringLiteral("最大队列深度:") + Blanks(14) + QStringLiteral("32"),
    };
    EXPECT_EQ(MemoLines(m.Log_Details), expected);
    // The page it is on is the one showing, and the other panes stay as they were.
    EXPECT_EQ(m.pages->currentIndex(), 0);
    EXPECT_TRUE(m.Log_Smart->toPlainText().isEmpty());
    EXPECT_EQ(MemoLines(m.Log_BenchMark).size(), 3);
    // Asked through the handle the program keeps.
    const auto identify = f.Storage().RequestsOf(sim::Request::Kind::Control, platform::SMART_RCV_DRIVE_DATA);
    ASSERT_FALSE(identify.empty());
    EXPECT_EQ(identify.back().handle, f.State().DeviceHandle.Get());
}

TEST(DetailsPageGui, SaysSoWhenTheDiskGivesNoDetails) {
    DesktopFixture f(ThreeDisks());  // a SAS disk without IDENTIFY data is preselected
    ASSERT_TRUE(f.StartWithLastDisk());
    EXPECT_EQ(MemoLines(f.Program().Main().Log_Details),
              DetailsHeader(f.State().DiskName) + QStringList{QStringLiteral("此设备详细信息不可用.")});
}

TEST(SmartPageGui, EachClickAppendsOneFullReportWithTheActionControlsOffMeanwhile) {
    DesktopFixture f(sim::Machine{{Disk500()}, {}});
    ASSERT_TRUE(f.StartWithLastDisk());
    windows::TFmMain& m = f.Program().Main();
    const QString details = m.Log_Details->toPlainText();
    m.pages->setCurrentIndex(2);
    QTest::qWait(10);

    // What the action controls were when each request of the report reached the disk.
    struct Seen {
        bool format, smart, quick;
    };
    std::vector<Seen> seen;
    f.onControl = [&](std::uint32_t code) {
        if (code == platform::SMART_RCV_DRIVE_DATA || code == platform::SMART_SEND_DRIVE_COMMAND) {
            seen.push_back({m.btRunBenchmarks->isEnabled(), m.btGetSmart->isEnabled(), m.cbQuickWipe->isEnabled()});
        }
    };
    QTest::mouseClick(m.btGetSmart, Qt::LeftButton);
    ASSERT_FALSE(seen.empty());
    const std::size_t firstReportRequests = seen.size();
    QTest::mouseClick(m.btGetSmart, Qt::LeftButton);
    EXPECT_EQ(seen.size(), 2 * firstReportRequests);
    for (const Seen& s : seen) {
        EXPECT_FALSE(s.format);
        EXPECT_FALSE(s.smart);
        EXPECT_FALSE(s.quick);
    }
    EXPECT_TRUE(m.btRunBenchmarks->isEnabled());
    EXPECT_TRUE(m.btGetSmart->isEnabled());
    EXPECT_TRUE(m.cbQuickWipe->isEnabled());

    const QString row5 = Blanks(1) + QStringLiteral("5") + Blanks(4) + QStringLiteral("05") + Blanks(2) +
                         QStringLiteral("Reallocated sectors count ") + Blanks(7) + QStringLiteral("100") +
                         Blanks(6) + QStringLiteral("100") + Blanks(17) + QStringLiteral("0");
    const QString row194 = Blanks(1) + QStringLiteral("194") + Blanks(2) + QStringLiteral("C2") + Blanks(2) +
                           QStringLiteral("HDA Temperature           ") + Blanks(8) + QStringLiteral("35") +
                           Blanks(7) + QStringLiteral("45") + Blanks(6) + QStringLiteral("193274839075") +
                           QStringLiteral("  (35 度) ");
    const QStringList report{
        Blanks(1),
        QStringLiteral("当前日期和时间:") + Blanks(15) + QStringLiteral("2024/12/17 09:05:03"),
        QStringLiteral("SMART 数据") + Blanks(7) + kCaption500,
        Blanks(1),
        QStringLiteral("          属性") + Blanks(29) + QStringLiteral("当前") + Blanks(6) + QStringLiteral("最差") +
            Blanks(13) + QStringLiteral("原始") + Blanks(7) + QStringLiteral("注释"),
        QString(88, QLatin1Char('-')),
        row5,
        row194,
        Blanks(1),
    };
    EXPECT_EQ(MemoLines(m.Log_Smart), report + report);
    // The page shown and the other panes are left alone.
    EXPECT_EQ(m.pages->currentIndex(), 2);
    EXPECT_EQ(m.Log_Details->toPlainText(), details);
    EXPECT_EQ(MemoLines(m.Log_BenchMark).size(), 3);
}

TEST(SmartPageGui, ADiskWithoutSmartDataGetsTheShortReportAndTheControlsComeBack) {
    DesktopFixture f(ThreeDisks());
    ASSERT_TRUE(f.StartWithLastDisk());
    windows::TFmMain& m = f.Program().Main();
    m.pages->setCurrentIndex(2);
    QTest::qWait(10);
    QTest::mouseClick(m.btGetSmart, Qt::LeftButton);
    const QStringList lines = MemoLines(m.Log_Smart);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[2], QStringLiteral("SMART 数据") + Blanks(7) + f.State().DiskName);
    EXPECT_EQ(lines[4], QStringLiteral("此设备不支持 SMART."));
    EXPECT_TRUE(m.btRunBenchmarks->isEnabled());
    EXPECT_TRUE(m.btGetSmart->isEnabled());
    EXPECT_TRUE(m.cbQuickWipe->isEnabled());
}

}  // namespace
}  // namespace cendrix
