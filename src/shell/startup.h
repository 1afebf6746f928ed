// The program's start: the debug switch, the program-path and platform
// lines, the captions, the enumeration, the warning lines, then the choice
// and the exclusive open of a disk. The windows only display what this
// sequence tells them through StartUpView.
#pragma once

#include <QString>
#include <QStringList>

#include "platform/storage_api.h"
#include "shell/platform_info.h"

namespace cendrix {

struct AppState;
class Clock;
class Logs;

// What the start-up asks of the windows.
class StartUpView {
public:
    virtual ~StartUpView() = default;

    // The debug window, shown without blocking, before the enumeration.
    virtual void ShowDebugWindow() = 0;
    // Closes the debug window and shows it again modally; returns when the
    // user has closed it.
    virtual void ShowDebugWindowModal() = 0;

    virtual void SetChooserCaption(const QString& text) = 0;
    virtual void SetChooserProgramName(const QString& text) = 0;
    // The main window's caption, the application's title and panel 0 of the
    // main window's status bar.
    virtual void SetMainCaption(const QString& text) = 0;
    // The copyright labels of the main window and of the chooser.
    virtual void SetCopyrightLines(const QString& text) = 0;
    // The chooser's status bar, switched to one simple panel.
    virtual void SetChooserStatusText(const QString& text) = 0;

    // Fills the chooser from the device table and shows it modally; true
    // when a disk was accepted (then SelectedDevice is set).
    virtual bool ChooseDevice() = 0;
    virtual void ShowDiskName(const QString& diskName) = 0;      // lbDiskName
    virtual void SetStatusDiskName(const QString& diskName) = 0;  // status bar panel 1

    // A modal error box (error icon) after which the program ends with a
    // failure status; the sequence does nothing more after calling it.
    virtual void FatalError(const QString& text, const QString& caption) = 0;
    // Ends the program normally (the user declined to choose a disk); the
    // sequence does nothing more after asking.
    virtual void EndProgram() = 0;
};

// What the start-up reads from outside.
struct StartUpInputs {
    QStringList arguments;  // the command line after the program's own name
    QString programPath;    // the program file, with the system's separators
    PlatformInfo platform;
    // Why no disk can be opened, when the program found that out before its
    // start-up (shell/elevation.h); a line of the debug log after the
    // enumeration, which then finds no disk.
    QString diskAccessNote = QString();
};

enum class StartUpOutcome {
    Ready,  // a disk is chosen and open; the main window is usable
    Ended,  // the program was asked to end
};

// Debug mode is switched on only by "--调试" as the first argument, in any
// mix of capital and small letters.
bool DebugSwitchGiven(const QStringList& arguments);

// The folder of a program path, with its trailing separator ("/" or "\").
QString ProgramFolder(const QString& programPath);

// The start-up sequence up to the warning lines of the format log.
StartUpOutcome StartUp(AppState& state, platform::StorageApi& storage, Logs& logs, Clock& clock,
                       StartUpView& view, const StartUpInputs& inputs);

// Everything the main window's first showing does: StartUp, the modal
// debug window, the chooser, the disk's caption, the exclusive open and,
// last, the device details report.
StartUpOutcome RunFirstShow(AppState& state, platform::StorageApi& storage, Logs& logs,
                            Clock& clock, StartUpView& view, const StartUpInputs& inputs);

}  // namespace cendrix
