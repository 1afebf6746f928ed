// cendrix-cli: the disk engine of Cendrix from a terminal.
#include <QCoreApplication>
#include <QStringList>
#include <functional>
#include <map>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "platform/backend_choice.h"

namespace {

using namespace cendrix::cli;

const char* const kUsage =
    "usage: cendrix-cli [--machine FILE|demo] [--debug] COMMAND [ARGS]\n"
    "\n"
    "commands:\n"
    "  list [--json]                 the disks found, one line each\n"
    "  info DISK                     the device details report of disk DISK (the N of [N]\n"
    "                                in the list)\n"
    "  smart DISK                    one S.M.A.R.T. report of disk DISK\n"
    "  format DISK [--quick] [--yes] overwrite disk DISK (its number in list) with zeros: the\n"
    "                                whole disk, or with --quick its first 10,240,000 bytes;\n"
    "                                asks first unless --yes; Ctrl-C stops after the current block\n"
    "\n"
    "options:\n"
    "  --machine FILE|demo           work on a simulated machine (a manifest, or the demo)\n"
    "                                instead of the real disks; CENDRIX_MACHINE does the same\n"
    "  --debug                       write the debug log to stderr\n"
    "\n"
    "environment:\n"
    "  CENDRIX_CONFIRM_STDIN=1       let format read its confirmation from a stdin that is not\n"
    "                                a terminal (a pipe or a file)\n";

using Command = std::function<int(Session&, const QStringList&)>;

const std::map<QString, Command>& Commands() {
    static const std::map<QString, Command> commands{
        {QStringLiteral("list"), RunList},
        {QStringLiteral("info"), RunInfo},
        {QStringLiteral("smart"), RunSmart},
        {QStringLiteral("format"), RunFormatCommand},
    };
    return commands;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();

    QString machine;
    bool debug = false;
    QString command;
    QStringList commandArgs;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--machine")) {
            if (i + 1 >= args.size()) {
                PrintError(QStringLiteral("cendrix-cli: --machine needs a manifest path or \"demo\""));
                return kExitUsage;
            }
            machine = args[++i];
        } else if (arg.startsWith(QLatin1String("--machine="))) {
            machine = arg.mid(10);
        } else if (arg == QLatin1String("--debug")) {
            debug = true;
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            std::fputs(kUsage, stdout);
            return kExitOk;
        } else if (command.isEmpty() && !arg.startsWith(QLatin1Char('-'))) {
            command = arg;
        } else if (!command.isEmpty()) {
            commandArgs.append(arg);
        } else {
            PrintError(QStringLiteral("cendrix-cli: unknown option \"%1\"").arg(arg));
            std::fputs(kUsage, stderr);
            return kExitUsage;
        }
    }
    const auto found = Commands().find(command);
    if (found == Commands().end()) {
        if (command.isEmpty()) PrintError(QStringLiteral("cendrix-cli: no command given"));
        else PrintError(QStringLiteral("cendrix-cli: unknown command \"%1\"").arg(command));
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }

    cendrix::platform::BackendChoice backend = cendrix::platform::ChooseBackend(machine);
    if (!backend.storage) {
        PrintError(QStringLiteral("cendrix-cli: ") + backend.error);
        return kExitUsage;
    }
    Session session;
    session.storage = std::move(backend.storage);
    session.state.DebugMode = debug;
    return found->second(session, commandArgs);
}
