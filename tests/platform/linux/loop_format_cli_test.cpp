// cendrix-cli format on partitioned loop devices with mounted ext4 file
// systems, the whole program as a user runs it, limited by the allow-list
// to the loop device the test made. Needs root; skipped with the reason
// otherwise.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>

#include "cli/cli_runner.h"
#include "loop_disks.h"
#include "loop_fixture.h"
#include "shell/open_device.h"

namespace cendrix::testing {
namespace {

constexpr qint64 kMiB = 1 << 20;
constexpr qint64 kQuickExtent = 10240000;

const QString kLockFailedLine =
    QStringLiteral("无法锁定设备. 请确保您在此设备上没有打开的文件, 然后重试. ");

// The texts of the format log on stdout, each line without its time stamp
// (the date and time, then three blanks).
QStringList LogTexts(const QString& out) {
    QStringList texts;
    for (const QString& line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const qsizetype blanks = line.indexOf(QStringLiteral("   "));
        texts << (blanks < 0 ? line : line.mid(blanks + 3));
    }
    return texts;
}

// Whether `log` holds `expected` in this order (other lines between them).
::testing::AssertionResult InOrder(const QStringList& log, const QStringList& expected) {
    qsizetype from = 0;
    for (const QString& text : expected) {
        const qsizetype at = log.indexOf(text, from);
        if (at < 0) {
            return ::testing::AssertionFailure() << "no \"" << text.toStdString() << "\" after line " << from
                                                 << " of the log:\n" << log.join('\n').toStdString();
        }
        from = at + 1;
    }
    return ::testing::AssertionSuccess();
}

struct LoopFormatCli : LoopFixture {
    void SetUp() override {
        if (const QString reason = PartitionToolsSkipReason(); !reason.isEmpty()) GTEST_SKIP() << reason.toStdString();
        ASSERT_TRUE(dir.isValid());
    }

    // `cendrix-cli --debug format 0 ARGS --yes` with only `loop` allowed: in
    // debug mode the format log narrates the locking of each volume.
    static CliRun Format(const LoopDevice& loop, const QStringList& args) {
        QProcessEnvironment env;
        env.insert(QStringLiteral("CENDRIX_ALLOW_DISKS"), loop.Name());
        return RunCli(QStringList{QStringLiteral("--debug"), QStringLiteral("format"), QStringLiteral("0")} + args +
                          QStringList{QStringLiteral("--yes")},
                      {}, env);
    }

    static bool PartitionListed(const LoopDevice& loop, int n) {
        return QFileInfo::exists(QStringLiteral("/sys/block/") + loop.Name() + "/" + loop.PartitionName(n));
    }

    static void Sync() { ASSERT_TRUE(RunTool(QStringLiteral("sync"), {}).Ok()); }
};

TEST_F(LoopFormatCli, QuickFormatUnmountsZerosTheQuickExtentAndRereadsThePartitionTable) {
    // Two file systems inside the quick extent (1 to 5 MiB and 5 to 9 MiB),
    // the second mounted inside the first, and the rest of the disk outside
    // any file system, so that nothing but the wipe can have changed it.
    const QString image = Path("quick.img");
    auto loop = PartitionedDisk(image, 64, "label: dos\n2048,8192,L\n10240,8192,L\n", 2);
    ASSERT_TRUE(loop);
    const QString outer = Path("vol one");
    const NestedMounts mounts = MountNested(*loop, outer);
    ASSERT_TRUE(mounts.inner);
    ASSERT_TRUE(CreateImage(outer + "/data.bin", 64 * 1024, 'd'));
    Sync();
    const qint64 size = 64 * kMiB;
    ASSERT_EQ(ReadBytes(image, kQuickExtent, size - kQuickExtent), QByteArray(size - kQuickExtent, 0x5A));

    const CliRun run = Format(*loop, {QStringLiteral("--quick")});
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    // The deeper volume is locked first: the outer one cannot be unmounted
    // while another file system is mounted inside it.
    EXPECT_TRUE(InOrder(LogTexts(run.out),
                        {QStringLiteral("正在锁定设备... "), QStringLiteral("Locking \\\\.\\") + outer + "/inner",
                         QStringLiteral("正在卸载卷..."), QStringLiteral("Locking \\\\.\\") + outer,
                         QStringLiteral("正在卸载卷..."), QStringLiteral("正在格式化..."),
                         QStringLiteral("低级格式化完成."), QStringLiteral("请记住创建新分区.")}));
    EXPECT_FALSE(mounts.outer->Mounted());
    EXPECT_FALSE(mounts.inner->Mounted());
    // The partition table re-read after the wipe found no table any more.
    EXPECT_FALSE(PartitionListed(*loop, 1));
    EXPECT_FALSE(PartitionListed(*loop, 2));

    EXPECT_EQ(ReadBytes(image, 0, kQuickExtent), QByteArray(kQuickExtent, '\0'));
    EXPECT_EQ(ReadBytes(image, kQuickExtent, size - kQuickExtent), QByteArray(size - kQuickExtent, 0x5A));
}

TEST_F(LoopFormatCli, FullFormatZerosTheWholeDisk) {
    const QString image = Path("full.img");
    auto loop = PartitionedDisk(image, 48, "label: dos\n,,L\n", 1);
    ASSERT_TRUE(loop);
    auto mount = Mount(loop->PartitionNode(1), Path("full"));
    ASSERT_TRUE(mount);
    ASSERT_TRUE(CreateImage(Path("full/data.bin"), 4 * kMiB, 'd'));

    const CliRun run = Format(*loop, {});
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    EXPECT_TRUE(InOrder(LogTexts(run.out),
                        {QStringLiteral("正在锁定设备... "), QStringLiteral("Locking \\\\.\\") + mount->Folder(),
                         QStringLiteral("正在格式化..."), QStringLiteral("低级格式化完成."),
                         QStringLiteral("请记住创建新分区.")}));
    EXPECT_FALSE(mount->Mounted());
    EXPECT_FALSE(PartitionListed(*loop, 1));
    EXPECT_EQ(ReadBytes(image, 0, 48 * kMiB), QByteArray(48 * kMiB, '\0'));
}

TEST_F(LoopFormatCli, LockRefusedWhileAFileIsOpenLeavesEveryByte) {
    const BusyDisk busy = MountedDiskWithAnOpenFile(QStringLiteral("busy"));
    ASSERT_TRUE(busy.holder);
    const LoopDevice* loop = busy.loop.get();
    const MountGuard* mount = busy.mount.get();
    const QString image = Path("busy.img");
    Sync();
    const QByteArray before = Sha256(image);

    const CliRun run = Format(*loop, {QStringLiteral("--quick")});
    EXPECT_EQ(run.exitCode, 1) << run.out.toStdString() << run.err.toStdString();
    const QStringList log = LogTexts(run.out);
    EXPECT_TRUE(InOrder(log, {QStringLiteral("正在锁定设备... "), QStringLiteral("Locking \\\\.\\") + mount->Folder(),
                              QStringLiteral("正在锁定卷..."), kLockFailedLine}));
    EXPECT_FALSE(log.contains(QStringLiteral("正在格式化...")));
    EXPECT_FALSE(log.contains(QStringLiteral("请记住创建新分区.")));
    EXPECT_TRUE(mount->Mounted());
    EXPECT_TRUE(PartitionListed(*loop, 1));

    Sync();
    EXPECT_EQ(Sha256(image), before) << "the refused format changed the disk";
}

TEST_F(LoopFormatCli, ExclusiveOpenRefusedWhileAnotherProcessHoldsTheDisksLock) {
    const QString image = Path("locked.img");
    ASSERT_TRUE(CreateImage(image, 64 * kMiB, 0x5A));
    QString error;
    auto loop = LoopDevice::Attach(image, 512, false, &error);
    ASSERT_TRUE(loop) << error.toStdString();
    auto holder = HolderProcess::HoldLock(loop->Node(), &error);
    ASSERT_TRUE(holder) << error.toStdString();
    const QByteArray before = Sha256(image);

    const CliRun run = Format(*loop, {QStringLiteral("--quick")});
    EXPECT_EQ(run.exitCode, 4) << run.out.toStdString() << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("错误: ") + kOpenErrorPrefix + QString::fromUtf8(std::strerror(EBUSY))))
        << run.err.right(500).toStdString();
    EXPECT_FALSE(run.out.contains(QStringLiteral("正在格式化...")));
    EXPECT_EQ(Sha256(image), before) << "the refused open changed the disk";
}

}  // namespace
}  // namespace cendrix::testing
