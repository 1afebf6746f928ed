// The desktop program started by a user who may open no disk: before any
// window, it restarts itself through pkexec. Here the user is "nobody", the
// only disk allowed is a loop device the test made (which nobody may not
// open), and pkexec is a stand-in that records its command line. Needs root
// (for the loop device and to become nobody); skipped with the reason
// otherwise.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "loop_disks.h"
#include "shell/elevation.h"

namespace cendrix::testing {
namespace {

constexpr qint64 kMiB = 1 << 20;

TEST(ElevationProgram, AnUnprivilegedStartRestartsThroughPkexecWithItsArgumentsAndDisplay) {
    if (const QString reason = LoopSkipReason(); !reason.isEmpty()) GTEST_SKIP() << reason.toStdString();
    const QString setpriv = QStringLiteral("setpriv");
    if (!RunTool(setpriv, {QStringLiteral("--version")}).Ok()) GTEST_SKIP() << "needs setpriv (Debian package util-linux)";
    const QString program = QFileInfo(QStringLiteral(CENDRIX_GUI_PATH)).canonicalFilePath();
    const QStringList asNobody = {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                  QStringLiteral("--clear-groups"), QStringLiteral("--")};
    if (!RunTool(setpriv, asNobody + QStringList{QStringLiteral("test"), QStringLiteral("-x"), program}).Ok()) {
        GTEST_SKIP() << "the user nobody cannot run " << program.toStdString();
    }

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                      QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                                      QFileDevice::WriteOther | QFileDevice::ExeOther));
    ASSERT_TRUE(CreateImage(dir.filePath(QStringLiteral("disk.img")), 64 * kMiB));
    QString error;
    auto loop = LoopDevice::Attach(dir.filePath(QStringLiteral("disk.img")), 512, false, &error);
    ASSERT_TRUE(loop) << error.toStdString();

    // The stand-in for pkexec: writes its arguments, one a line, and ends as
    // a restarted program might.
    const QString record = dir.filePath(QStringLiteral("pkexec-arguments"));
    {
        QFile pkexec(dir.filePath(QStringLiteral("pkexec")));
        ASSERT_TRUE(pkexec.open(QIODevice::WriteOnly));
        pkexec.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1'\nexit 42\n").arg(record).toUtf8());
    }
    ASSERT_TRUE(QFile::setPermissions(dir.filePath(QStringLiteral("pkexec")),
                                      QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                          QFileDevice::ExeOther));

    QProcessEnvironment env;
    env.insert(QStringLiteral("PATH"), dir.path() + QStringLiteral(":/usr/bin:/bin"));
    env.insert(QStringLiteral("HOME"), QStringLiteral("/nonexistent"));
    env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":5"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("CENDRIX_ALLOW_DISKS"), loop->Name());
    // Should the program not restart, it must not wait for a display that
    // is not there: it then shows its chooser offscreen and is ended below.
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess cendrix;
    cendrix.setProcessEnvironment(env);
    cendrix.start(setpriv, asNobody + QStringList{program, QStringLiteral("--调试"), QStringLiteral("two words")});
    ASSERT_TRUE(cendrix.waitForStarted());
    if (!cendrix.waitForFinished(30000)) {
        cendrix.kill();
        cendrix.waitForFinished();
        FAIL() << "the program did not restart through pkexec: " << cendrix.readAllStandardError().toStdString();
    }
    EXPECT_EQ(cendrix.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cendrix.exitCode(), 42) << cendrix.readAllStandardError().toStdString();

    QFile recorded(record);
    ASSERT_TRUE(recorded.open(QIODevice::ReadOnly)) << "pkexec was not run";
    const QStringList arguments = QString::fromUtf8(recorded.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ(arguments, (QStringList{program, QStringLiteral("--调试"), QStringLiteral("two words"), kElevatedMarker,
                                      QStringLiteral("DISPLAY=:5"), QStringLiteral("XAUTHORITY=/nonexistent/.Xauthority"),
                                      QStringLiteral("QT_QPA_PLATFORM=offscreen"),
                                      QStringLiteral("CENDRIX_ALLOW_DISKS=") + loop->Name(),
                                      QStringLiteral("LANG=C.UTF-8")}));
}

}  // namespace
}  // namespace cendrix::testing
