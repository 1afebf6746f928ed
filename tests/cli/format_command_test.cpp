#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>

#include "cli/cli_runner.h"

namespace cendrix::testing {
namespace {

constexpr std::int64_t kSize = 70000 * 512;  // just above the smallest disk the chooser takes
constexpr char kOld = '\x5A';

// One disk whose image is full of old bytes, with C: on it; `extra` adds
// keys to the disk, `volume` to C:.
struct FormatCommand : ::testing::Test {
    QTemporaryDir dir;

    QString Machine(const QByteArray& extra = {}, const QByteArray& volume = {}) {
        QFile image(dir.filePath(QStringLiteral("disk0.img")));
        EXPECT_TRUE(image.open(QIODevice::WriteOnly));
        const QByteArray chunk(1 << 20, kOld);
        for (std::int64_t at = 0; at < kSize; at += chunk.size()) image.write(chunk.constData(), std::min<std::int64_t>(chunk.size(), kSize - at));
        image.close();
        const QString path = dir.filePath(QStringLiteral("machine.json"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(R"({"disks": [{"number": 0, "size": )" + QByteArray::number(kSize) +
                   R"(, "bus": 11, "product": "TEST DISK", "revision": "1.0", "serial": "X1")" + extra +
                   R"(}], "volumes": [{"name": "C:", "deviceNumber": 0)" + volume + "}]}");
        return path;
    }

    // Whether the image holds zeros over [from, to) and its old bytes elsewhere.
    ::testing::AssertionResult Zeroed(std::int64_t from, std::int64_t to) {
        QFile image(dir.filePath(QStringLiteral("disk0.img")));
        if (!image.open(QIODevice::ReadOnly)) return ::testing::AssertionFailure() << "no image";
        const QByteArray bytes = image.readAll();
        if (bytes.size() != kSize) return ::testing::AssertionFailure() << "image of " << bytes.size() << " bytes";
        for (std::int64_t i = 0; i < kSize; ++i) {
            if (bytes.constData()[i] != (i >= from && i < to ? '\0' : kOld)) {
                return ::testing::AssertionFailure() << "byte " << i << " differs (zeros expected from " << from
                                                     << " to " << to << ")";
            }
        }
        return ::testing::AssertionSuccess();
    }
    ::testing::AssertionResult ZeroedUpTo(std::int64_t to) { return Zeroed(0, to); }
};

// The format log's texts: each stdout line without its timestamp and the
// three blanks after it.
QStringList Texts(const QString& out) {
    QStringList texts;
    for (const QString& line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const qsizetype gap = line.indexOf(QStringLiteral("   "));
        texts << (gap < 0 ? QStringLiteral("<no timestamp> ") + line : line.mid(gap + 3));
    }
    return texts;
}

QProcessEnvironment Env(const char* key, const char* value) {
    QProcessEnvironment env;
    env.insert(QString::fromUtf8(key), QString::fromUtf8(value));
    return env;
}

TEST_F(FormatCommand, WithYesWipesTheWholeDiskAndPrintsTheLogAsItGoes) {
    const CliRun run = RunCli({"--machine", Machine(), "format", "0", "--yes"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList texts = Texts(run.out);
    ASSERT_EQ(texts.size(), 10) << run.out.toStdString();
    EXPECT_EQ(texts[0], QStringLiteral(" "));
    EXPECT_EQ(texts[1], QString(49, QLatin1Char('=')));
    EXPECT_EQ(texts[2], QStringLiteral("低级格式化:            [0]  TEST DISK    1.0    [35.84 MB]    (70000 512-字节扇区)"));
    EXPECT_EQ(texts[3], QStringLiteral("设备容量:            70,000 扇区"));
    EXPECT_EQ(texts[4], QStringLiteral("正在锁定设备... "));
    EXPECT_EQ(texts[5], QStringLiteral("正在格式化..."));
    EXPECT_TRUE(texts[6].contains(QRegularExpression(QStringLiteral("^平均速度:          \\d+\\.\\d MB/s$")))) << texts[6].toStdString();
    EXPECT_EQ(texts.mid(7), (QStringList{QStringLiteral("低级格式化完成."), QString(), QStringLiteral("请记住创建新分区.")}));
    // stderr is no terminal here: no live progress line, nothing at all.
    EXPECT_EQ(run.err, QString());
    EXPECT_TRUE(ZeroedUpTo(kSize));
}

TEST_F(FormatCommand, AsksOnStdinAndGoesOnOnlyForYes) {
    struct {
        QByteArray answer;
        int exitCode;
    } const cases[] = {{"n\n", 1}, {"\n", 1}, {"", 1}, {"yess\n", 1}, {"y\n", 0}, {" YES \n", 0}};
    for (const auto& c : cases) {
        const CliRun run = RunCli({"--machine", Machine(), "format", "0", "--quick"}, c.answer,
                                  Env("CENDRIX_CONFIRM_STDIN", "1"));
        EXPECT_EQ(run.exitCode, c.exitCode) << c.answer.toStdString() << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("你是否绝对确定要不可逆地销毁此设备上的所有数据?\n\n[0]  TEST DISK")));
        EXPECT_TRUE(run.err.contains(QStringLiteral("[y/N] ")));
        if (c.exitCode == 0) {
            EXPECT_TRUE(Texts(run.out).contains(QStringLiteral("低级格式化完成.")));
            EXPECT_TRUE(ZeroedUpTo(10240000));
        } else {
            // Declined: not a line of the format log, not a byte written.
            EXPECT_EQ(run.out, QString());
            EXPECT_TRUE(run.err.contains(QStringLiteral("nothing was written")));
            EXPECT_TRUE(ZeroedUpTo(0));
        }
    }
}

TEST_F(FormatCommand, RefusesToRunWithoutATerminalToAskOn) {
    const CliRun run = RunCli({"--machine", Machine(), "format", "0"}, "y\n");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("--yes"))) << run.err.toStdString();
    EXPECT_EQ(run.out, QString());
    EXPECT_TRUE(ZeroedUpTo(0));
}

TEST_F(FormatCommand, EndsWithStatus1UnlessEveryBlockWasWritten) {
    struct {
        QByteArray disk, volume;
        QString line;
        std::int64_t zeroFrom, zeroTo;
    } const cases[] = {
        // Nothing written at all.
        {{}, R"(, "lock": "refuse")", QStringLiteral("无法锁定设备. 请确保您在此设备上没有打开的文件, 然后重试. "), 0, 0},
        // The first block, refused, keeps its old bytes; the rest is zero.
        {R"(, "writeErrors": [{"offset": 0, "length": 512, "code": 1117}])", {},
         QStringLiteral("低级格式化结束, 但有 1 个块写入失败, 65,536 字节未被擦除."), 65536, kSize},
        {R"(, "removeAfterBytes": 131072)", {}, QStringLiteral("操作在偏移处终止                       131,072    LBA 256"), 0, 131072},
    };
    for (const auto& c : cases) {
        const CliRun run = RunCli({"--machine", Machine(c.disk, c.volume), "format", "0", "--yes"});
        EXPECT_EQ(run.exitCode, 1) << c.line.toStdString();
        EXPECT_TRUE(Texts(run.out).contains(c.line)) << run.out.toStdString();
        EXPECT_TRUE(Zeroed(c.zeroFrom, c.zeroTo)) << c.line.toStdString();
    }
}

TEST_F(FormatCommand, TheFirstCtrlCStopsTheRunAfterItsCurrentBlock) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("CENDRIX_MACHINE"));
    process.setProcessEnvironment(env);
    // A slow disk: the run is still going when the signal comes.
    process.start(QStringLiteral(CENDRIX_CLI_PATH),
                  {"--machine", Machine(R"(, "writeDelayMs": 40)"), "format", "0", "--yes"});
    ASSERT_TRUE(process.waitForStarted());
    QByteArray out;
    while (!out.contains("正在格式化...") && process.waitForReadyRead(10000)) out += process.readAllStandardOutput();
    ASSERT_TRUE(out.contains("正在格式化...")) << out.toStdString();
    // Let a few blocks go by; a signal that comes before the first block is
    // handled as well (the run then ends at offset 0).
    QThread::msleep(200);
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(30000));
    out += process.readAllStandardOutput();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1);

    const QStringList texts = Texts(QString::fromUtf8(out));
    ASSERT_EQ(texts.size(), 10) << out.toStdString();
    const QRegularExpressionMatch cancelled =
        QRegularExpression(QStringLiteral("^操作在偏移处被取消                     ([\\d,]+)    LBA ([\\d,]+)$")).match(texts[7]);
    ASSERT_TRUE(cancelled.hasMatch()) << texts[7].toStdString();
    const std::int64_t offset = cancelled.captured(1).remove(QLatin1Char(',')).toLongLong();
    EXPECT_GE(offset, 0);
    EXPECT_LT(offset, kSize);
    EXPECT_EQ(cancelled.captured(2).remove(QLatin1Char(',')).toLongLong(), offset / 512);
    EXPECT_EQ(texts.mid(8), (QStringList{QString(), QStringLiteral("请记住创建新分区.")}));
    EXPECT_TRUE(ZeroedUpTo(offset));
}

TEST_F(FormatCommand, RefusesBadArguments) {
    const QString machine = Machine();
    for (const QStringList& args : {QStringList{"format"}, QStringList{"format", "0", "--fast"},
                                    QStringList{"format", "0", "1"}}) {
        const CliRun run = RunCli(QStringList{"--machine", machine} + args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_EQ(run.out, QString());
    }
    EXPECT_TRUE(ZeroedUpTo(0));
}

}  // namespace
}  // namespace cendrix::testing
