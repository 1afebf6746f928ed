// `info DISK` and `smart DISK`: the desktop program's two reports on one
// disk, printed line by line to stdout.
#include "cli/commands.h"
#include "info/device_details.h"
#include "smart/smart_report.h"

namespace cendrix::cli {

namespace {

// Selects and opens the disk named by the command's one argument; returns
// kExitOk or the status to end with (the reason already printed).
int OpenDiskFromArguments(Session& session, const QStringList& args, const QString& command) {
    if (args.size() != 1) {
        PrintError(QStringLiteral("cendrix-cli %1: needs exactly one argument, the disk number DISK")
                       .arg(command));
        return kExitUsage;
    }
    return SelectAndOpenDisk(session, args.front());
}

}  // namespace

int RunInfo(Session& session, const QStringList& args) {
    if (const int status = OpenDiskFromArguments(session, args, QStringLiteral("info")); status != kExitOk) {
        return status;
    }
    WriteDeviceDetails(session.state, *session.storage, session.logs);
    return kExitOk;
}

int RunSmart(Session& session, const QStringList& args) {
    if (const int status = OpenDiskFromArguments(session, args, QStringLiteral("smart")); status != kExitOk) {
        return status;
    }
    // The desktop program has read the IDENTIFY data before any report; it
    // tells whether SMART was on, which the report must leave as it found it.
    IdentifySelectedDevice(session.state, *session.storage);
    SmartReport(session.state, *session.storage, session.logs);
    return kExitOk;
}

}  // namespace cendrix::cli
