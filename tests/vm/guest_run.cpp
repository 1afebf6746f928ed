#include "guest_run.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

namespace cendrix::testing {

namespace {

QString ReadText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll()).remove(QLatin1Char('\r'));
}

// Splits the guest's report into its commands' outputs.
std::map<int, GuestCommand> ParseResults(const QString& results) {
    std::map<int, GuestCommand> commands;
    static const QRegularExpression begin(QStringLiteral("^@@@ BEGIN (\\d+)$"));
    static const QRegularExpression stderrMark(QStringLiteral("^@@@ STDERR (\\d+)$"));
    static const QRegularExpression end(QStringLiteral("^@@@ END (\\d+) rc=(\\d+)$"));
    GuestCommand* current = nullptr;
    QString* sink = nullptr;
    for (const QString& line : results.split(QLatin1Char('\n'))) {
        if (const auto m = begin.match(line); m.hasMatch()) {
            current = &commands[m.captured(1).toInt()];
            sink = &current->out;
        } else if (const auto m = stderrMark.match(line); m.hasMatch() && current != nullptr) {
            sink = &current->err;
        } else if (const auto m = end.match(line); m.hasMatch() && current != nullptr) {
            current->exitCode = m.captured(2).toInt();
            current = nullptr;
            sink = nullptr;
        } else if (sink != nullptr) {
            *sink += line + QLatin1Char('\n');
        }
    }
    return commands;
}

}  // namespace

GuestRun RunGuest(const std::vector<GuestDisk>& disks, const QStringList& programs,
                  const QStringList& commands, const QString& work) {
    GuestRun run;
    const QString commandFile = work + QStringLiteral("/commands");
    {
        QFile file(commandFile);
        if (!file.open(QIODevice::WriteOnly)) {
            run.error = QStringLiteral("cannot write ") + commandFile;
            return run;
        }
        file.write((commands.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    }
    QStringList args = {QStringLiteral("--cli"), QStringLiteral(CENDRIX_CLI_PATH), QStringLiteral("--commands"),
                        commandFile, QStringLiteral("--work"), work + QStringLiteral("/guest")};
    for (const GuestDisk& disk : disks) {
        args << QStringLiteral("--disk")
             << (disk.kind == GuestDisk::Kind::Sata ? QStringLiteral("sata") : QStringLiteral("pata")) << disk.image
             << disk.model << disk.serial << disk.firmware;
    }
    for (const QString& program : programs) args << QStringLiteral("--program") << program;
    QProcess process;
    process.start(QStringLiteral(CENDRIX_RUN_GUEST), args);
    if (!process.waitForStarted() || !process.waitForFinished(600000)) {
        process.kill();
        run.error = QStringLiteral("run-guest did not run to its end: ") + process.errorString();
        return run;
    }
    const QString err = QString::fromUtf8(process.readAllStandardError());
    const int status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.results = ReadText(work + QStringLiteral("/guest/results.log"));
    run.console = ReadText(work + QStringLiteral("/guest/console.log"));
    if (status == 77) {
        run.skipReason = err.trimmed();
        return run;
    }
    if (status != 0) {
        run.error = QStringLiteral("run-guest ended with %1: %2").arg(status).arg(err.trimmed());
        return run;
    }
    for (const QString& line : ReadText(work + QStringLiteral("/guest/timing")).split(QLatin1Char('\n'))) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals > 0) run.timing.insert(line.left(equals), line.mid(equals + 1));
    }
    run.commands = ParseResults(run.results);
    return run;
}

}  // namespace cendrix::testing
