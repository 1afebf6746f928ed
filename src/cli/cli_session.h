// Everything one run of cendrix-cli works with, and the steps that several
// commands share: choosing the backend, enumerating, selecting and opening
// a disk.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "platform/storage_api.h"
#include "shell/app_state.h"
#include "shell/clock.h"
#include "shell/logs.h"

namespace cendrix::cli {

// Exit statuses of cendrix-cli.
enum ExitStatus : int {
    kExitOk = 0,
    kExitFailed = 1,      // declined, cancelled, aborted or incomplete work
    kExitUsage = 2,       // bad arguments, unknown disk, unusable manifest
    kExitTooSmall = 3,    // the disk is below 65535 sectors
    kExitOpenFailed = 4,  // the disk could not be opened for reading and writing
    kExitFatal = 5,       // the system answered in a way that ends the program
};

// Writes the panes to the terminal: reports on stdout, the debug log (in
// debug mode) on stderr, the format log on stdout or stderr.
class TerminalView final : public LogView {
public:
    void AppendLine(Pane pane, const QString& line) override;
    void SetFormatLogToStdout(bool toStdout) { formatToStdout_ = toStdout; }
    // Called before a line is printed, e.g. to clear a live progress line.
    void SetBeforeLine(std::function<void()> hook) { beforeLine_ = std::move(hook); }

private:
    bool formatToStdout_ = false;
    std::function<void()> beforeLine_;
};

struct Session {
    std::unique_ptr<platform::StorageApi> storage;
    AppState state;
    SystemClock clock;
    TerminalView view;
    Logs logs{view, clock, state};
};

// Prints to stderr with a trailing line break.
void PrintError(const QString& text);
// Prints to stdout with a trailing line break.
void PrintLine(const QString& text);

// Runs the enumeration; on a fatal answer prints it and returns false.
bool Enumerate(Session& session);

// Takes disk number `diskArgument` as the selected entry the way the chooser
// would, then opens it as the desktop program does. Returns kExitOk or the
// status to end with (the reason already printed).
int SelectAndOpenDisk(Session& session, const QString& diskArgument);

}  // namespace cendrix::cli
