// cendrix-cli on the real disks, limited by the allow-list to a loop device
// the test made. Needs root; skipped with the reason otherwise.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include "cli/cli_runner.h"
#include "loop_disks.h"

namespace cendrix::testing {
namespace {

constexpr qint64 kMiB = 1 << 20;

QProcessEnvironment Allow(const QString& names) {
    QProcessEnvironment env;
    env.insert(QStringLiteral("CENDRIX_ALLOW_DISKS"), names);
    return env;
}

TEST(LoopCli, ListsTheAllowedLoopDeviceAsJson) {
    if (const QString reason = PartitionToolsSkipReason(); !reason.isEmpty()) GTEST_SKIP() << reason.toStdString();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString error;
    auto loop = LoopDevice::Partitioned(dir.filePath(QStringLiteral("cli.img")), 80, "label: dos\n,,L\n", 1, -1, &error);
    ASSERT_TRUE(loop) << error.toStdString();
    auto mount = MountGuard::Mount(loop->PartitionNode(1), dir.filePath(QStringLiteral("mnt")), {}, &error);
    ASSERT_TRUE(mount) << error.toStdString();

    const CliRun run = RunCli({QStringLiteral("list"), QStringLiteral("--json")}, {}, Allow(loop->Name()));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonArray entries = QJsonDocument::fromJson(run.out.toUtf8()).array();
    ASSERT_EQ(entries.size(), 1) << run.out.toStdString();
    const QJsonObject disk = entries[0].toObject();
    EXPECT_EQ(disk["devicePath"].toString(), QStringLiteral("\\\\.\\PhysicalDrive0"));
    EXPECT_EQ(disk["deviceNumber"].toInt(), 0);
    EXPECT_EQ(disk["bus"].toString(), QStringLiteral("FBVIRTUAL"));
    EXPECT_EQ(disk["busType"].toInt(), 15);
    EXPECT_EQ(disk["model"].toString(), QStringLiteral("Linux Loop device"));
    EXPECT_EQ(disk["serial"].toString(), loop->Name());
    EXPECT_EQ(disk["lba"].toInteger(), 80 * kMiB / 512);
    EXPECT_EQ(disk["sectorSize"].toInt(), 512);
    EXPECT_EQ(disk["capacity"].toString(), QStringLiteral("83.88 MB"));
    EXPECT_EQ(disk["partitions"].toString(), mount->Folder());

    // The same line the chooser shows, in the plain listing.
    const CliRun plain = RunCli({QStringLiteral("list")}, {}, Allow(loop->Name()));
    ASSERT_EQ(plain.exitCode, 0);
    EXPECT_TRUE(plain.out.startsWith(QStringLiteral("[0]  FBVIRTUAL | Linux Loop device (") + mount->Folder() + ")"))
        << plain.out.toStdString();
}

TEST(LoopCli, AnEmptyAllowListListsNothing) {
    const CliRun run = RunCli({QStringLiteral("list"), QStringLiteral("--json")}, {}, Allow(QString()));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(run.out.toUtf8()).array().size(), 0) << run.out.toStdString();
}

}  // namespace
}  // namespace cendrix::testing
