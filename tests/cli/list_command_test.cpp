#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "cli/cli_runner.h"

namespace cendrix::testing {
namespace {

struct ListCommand : ::testing::Test {
    QTemporaryDir dir;
    QString Manifest(const QByteArray& json) {
        const QString path = dir.filePath(QStringLiteral("machine.json"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(json);
        return path;
    }
};

const QByteArray kMachine = R"({
  "disks": [
    {"number": 0, "size": 500107862016, "bus": 11, "product": "WDC WD5000AAKX-00ERMA0",
     "revision": "15.01H15", "serial": "WD-WCC2EU123456", "slave": true},
    {"number": 2, "size": 512000, "serialRaw": "3132333435363738393041424344454647484950"},
    {"number": 3, "size": 1048576, "sectorSize": 256, "bus": 7, "vendor": "Generic",
     "product": "Reader", "removable": true}
  ],
  "volumes": [{"name": "C:", "deviceNumber": 0, "partition": 1},
              {"name": "F:", "deviceType": 2, "deviceNumber": 0},
              {"name": "E:", "deviceNumber": 0, "partition": 2}]
})";

TEST_F(ListCommand, PrintsTheTableAsJson) {
    const CliRun run = RunCli({"--machine", Manifest(kMachine), "list", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonArray entries = QJsonDocument::fromJson(run.out.toUtf8()).array();
    ASSERT_EQ(entries.size(), 3);
    const QJsonObject sata = entries[0].toObject();
    EXPECT_EQ(sata["index"].toInt(), 1);
    EXPECT_EQ(sata["deviceNumber"].toInt(), 0);
    EXPECT_EQ(sata["devicePath"].toString(), QStringLiteral("\\\\.\\PhysicalDrive0"));
    EXPECT_EQ(sata["bus"].toString(), QStringLiteral("SATA"));
    EXPECT_EQ(sata["busType"].toInt(), 11);
    EXPECT_EQ(sata["model"].toString(), QStringLiteral(" WDC WD5000AAKX-00ERMA0"));
    EXPECT_EQ(sata["firmware"].toString(), QStringLiteral("15.01H15"));
    EXPECT_EQ(sata["serial"].toString(), QStringLiteral("WD-WCC2EU123456"));
    EXPECT_EQ(sata["lba"].toInteger(), 976773168);
    EXPECT_EQ(sata["sectorSize"].toInt(), 512);
    EXPECT_EQ(sata["capacity"].toString(), QStringLiteral("500.1 GB"));
    EXPECT_EQ(sata["partitions"].toString(), QStringLiteral("C: E:"));  // the optical F: is no part of it
    EXPECT_EQ(sata["caption"].toString(),
              QStringLiteral("[0]  WDC WD5000AAKX-00ERMA0    15.01H15    [500.1 GB]    (976773168 512-字节扇区)"));
    EXPECT_FALSE(sata["removable"].toBool());
    EXPECT_TRUE(sata["slave"].toBool());
    EXPECT_EQ(sata["maxSectorsTransfer"].toInt(), 250);

    // No adapter answer: FLASH with the default transfer limit; the hex serial repaired.
    const QJsonObject flash = entries[1].toObject();
    EXPECT_EQ(flash["bus"].toString(), QStringLiteral("FLASH"));
    EXPECT_EQ(flash["busType"].toInt(), 201);
    EXPECT_EQ(flash["maxSectorsTransfer"].toInt(), 128);
    EXPECT_EQ(flash["serial"].toString(), QStringLiteral("2143658709BADCFEHGPI"));
    EXPECT_EQ(flash["model"].toString(), QStringLiteral("存储设备"));
    EXPECT_EQ(flash["firmware"].toString(), QStringLiteral("0000"));

    // A sector size below 512: no sectors, shown as 512.
    const QJsonObject reader = entries[2].toObject();
    EXPECT_EQ(reader["lba"].toInt(), 0);
    EXPECT_EQ(reader["sectorSize"].toInt(), 512);
    EXPECT_EQ(reader["serial"].toString(), QStringLiteral("000000"));
    EXPECT_TRUE(reader["removable"].toBool());
}

TEST_F(ListCommand, PrintsOneLinePerDiskWithTheChoosersColumns) {
    const CliRun run = RunCli({"list", "--machine", Manifest(kMachine)});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], QStringLiteral(
        "[0]  SATA | WDC WD5000AAKX-00ERMA0 (C: E:) | 15.01H15 | WD-WCC2EU123456 | 976773168 | 500.1 GB"));
    EXPECT_TRUE(run.err.isEmpty());
}

TEST_F(ListCommand, TakesTheMachineFromTheEnvironmentToo) {
    QProcessEnvironment env;
    env.insert(QStringLiteral("CENDRIX_MACHINE"), Manifest(kMachine));
    const CliRun run = RunCli({"list"}, {}, env);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.count(QLatin1Char('\n')), 3);
}

TEST_F(ListCommand, DebugWritesTheNarrationWithTimestampsToStderr) {
    const CliRun run = RunCli({"--debug", "--machine", Manifest(kMachine), "list"});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.err.contains(QStringLiteral("   正在尝试设备 \\\\.\\PhysicalDrive0\n")));
    EXPECT_TRUE(run.err.contains(QStringLiteral("   正在寻找分区...\n")));  // debug-only format-log line
    EXPECT_EQ(run.out.count(QLatin1Char('\n')), 3);
}

TEST_F(ListCommand, RefusesAnUnusableManifestWithStatus2) {
    const QString path = Manifest(R"({"disks": [{"number": 0, "size": 1000}]})");
    const CliRun run = RunCli({"--machine", path, "list"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains(path + QStringLiteral(": disks[0].size"))) << run.err.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("machine.json")});
}

TEST_F(ListCommand, EndsWithTheMessageOfAFatalDeviceQuery) {
    const CliRun run = RunCli(
        {"--machine", Manifest(R"({"disks": [{"number": 0, "size": 512000, "deviceQueryError": 5}]})"), "list"});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.err.contains(QStringLiteral("访问设备时出错: Access is denied."))) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
}

TEST_F(ListCommand, RejectsUnknownCommandsAndArguments) {
    EXPECT_EQ(RunCli({"--machine", Manifest(kMachine), "wipe"}).exitCode, 2);
    EXPECT_EQ(RunCli({"--machine", Manifest(kMachine), "list", "--xml"}).exitCode, 2);
    EXPECT_EQ(RunCli({"--machine"}).exitCode, 2);
}

}  // namespace
}  // namespace cendrix::testing
