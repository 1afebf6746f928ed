#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "cli/cli_runner.h"

namespace cendrix::testing {
namespace {

QString Blanks(int n) { return QString(n, QLatin1Char(' ')); }

const QByteArray kMachine = R"({
  "disks": [
    {"number": 0, "size": 500107862016, "bus": 3, "product": "WDC WD5000AAKX-00ERMA0",
     "revision": "15.01H15", "serial": "WD-WCC2EU123456",
     "identify": {"queueDepth": 31, "bufferSize": 16777216},
     "smart": {"attributes": [{"id": 5, "current": 100, "worst": 100, "raw": 0},
                              {"id": 194, "current": 35, "worst": 45, "raw": 193274839075}]}},
    {"number": 1, "size": 512000, "bus": 3},
    {"number": 2, "size": 1073741824, "bus": 11, "inUse": true},
    {"number": 3, "size": 16008609792, "bus": 7, "vendor": "SanDisk", "product": "Cruzer Blade",
     "refuse": ["SMART_GET_VERSION", "SMART_SEND_DRIVE_COMMAND", "SMART_RCV_DRIVE_DATA", "IOCTL_SCSI_MINIPORT"]}
  ]
})";

struct ReportCommands : ::testing::Test {
    QTemporaryDir dir;
    QString manifest;
    void SetUp() override {
        manifest = dir.filePath(QStringLiteral("machine.json"));
        QFile file(manifest);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(kMachine);
    }
    CliRun Run(const QStringList& args) { return RunCli(QStringList{"--machine", manifest} + args); }
    static QStringList Lines(const QString& out) {
        QStringList lines = out.split(QLatin1Char('\n'));
        if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
        return lines;
    }
};

const QString kCaption =
    QStringLiteral("[0]  WDC WD5000AAKX-00ERMA0    15.01H15    [500.1 GB]    (976773168 512-字节扇区)");

TEST_F(ReportCommands, InfoPrintsTheDetailsReportAlone) {
    const CliRun run = Run({"info", "0"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 4 + 25);
    EXPECT_EQ(lines[0], Blanks(1));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("当前日期和时间:") + Blanks(15)));
    EXPECT_GT(lines[1].size(), 23);  // followed by the date and time
    EXPECT_EQ(lines[2], QStringLiteral("设备详细信息") + Blanks(13) + kCaption);
    EXPECT_EQ(lines[3], Blanks(1));
    EXPECT_EQ(lines[4], QStringLiteral("型号:") + Blanks(4) + QStringLiteral("WDC WD5000AAKX-00ERMA0"));
    EXPECT_EQ(lines[7], QStringLiteral("缓冲区大小:") + Blanks(7) + QStringLiteral("16.77 MB"));
    EXPECT_EQ(lines[14], QStringLiteral("设备全容量:") + Blanks(16) + QStringLiteral("500,107,862,016 字节"));
    EXPECT_EQ(lines.back(), QStringLiteral("最大队列深度:") + Blanks(14) + QStringLiteral("32"));
}

TEST_F(ReportCommands, InfoOfADiskWithoutIdentifyDataSaysSo) {
    const CliRun run = Run({"info", "3"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[4], QStringLiteral("此设备详细信息不可用."));
}

TEST_F(ReportCommands, SmartPrintsOneReportAndNoDetails) {
    const CliRun run = Run({"smart", "0"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 4 + 2 + 2 + 1);
    EXPECT_EQ(lines[2], QStringLiteral("SMART 数据") + Blanks(7) + kCaption);
    EXPECT_EQ(lines[5], QString(88, QLatin1Char('-')));
    EXPECT_TRUE(lines[6].startsWith(QStringLiteral(" 5    05  Reallocated sectors count ")));
    EXPECT_TRUE(lines[7].endsWith(QStringLiteral("    193274839075  (35 度) ")));
    EXPECT_EQ(lines[8], Blanks(1));
}

TEST_F(ReportCommands, SmartOfADiskThatPassesNoCommandsSaysSo) {
    const CliRun run = Run({"smart", "3"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[4], QStringLiteral("此设备不支持 SMART."));
}

TEST_F(ReportCommands, RefuseDisksTheChooserWouldRefuse) {
    for (const char* command : {"info", "smart"}) {
        SCOPED_TRACE(command);
        const CliRun unknown = Run({command, "7"});
        EXPECT_EQ(unknown.exitCode, 2);
        EXPECT_TRUE(unknown.err.contains(QStringLiteral("there is no disk 7"))) << unknown.err.toStdString();

        const CliRun small = Run({command, "1"});
        EXPECT_EQ(small.exitCode, 3);
        EXPECT_TRUE(small.err.contains(QStringLiteral("无法访问此设备, 因为它小于 65535 个扇区."))) << small.err.toStdString();

        const CliRun busy = Run({command, "2"});
        EXPECT_EQ(busy.exitCode, 4);
        EXPECT_TRUE(busy.err.contains(QStringLiteral("错误打开设备:") + Blanks(15))) << busy.err.toStdString();

        for (const CliRun& run : {unknown, small, busy}) EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    }
}

TEST_F(ReportCommands, NeedExactlyOneDiskNumber) {
    for (const QStringList& args : {QStringList{"info"}, QStringList{"smart"}, QStringList{"info", "0", "1"},
                                    QStringList{"smart", "zero"}, QStringList{"info", "-1"}}) {
        const CliRun run = Run(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
}

}  // namespace
}  // namespace cendrix::testing
