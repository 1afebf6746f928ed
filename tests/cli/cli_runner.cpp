#include "cli/cli_runner.h"

#include <QProcess>

namespace cendrix::testing {

CliRun RunCli(const QStringList& args, const QByteArray& stdinText, const QProcessEnvironment& extra) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("CENDRIX_MACHINE"));
    for (const QString& key : extra.keys()) env.insert(key, extra.value(key));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(CENDRIX_CLI_PATH), args);
    CliRun run;
    if (!process.waitForStarted()) {
        run.err = QStringLiteral("cendrix-cli did not start: ") + process.errorString();
        return run;
    }
    process.write(stdinText);
    process.closeWriteChannel();
    process.waitForFinished(120000);
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

}  // namespace cendrix::testing
