// The format page as the run control and the wipe loop see it: a question
// dialog, the action controls, the Stop button, the progress bar and its
// three labels, and the window's message pump.
//
// The desktop window implements it with its widgets, cendrix-cli with the
// terminal, the tests with a recorder. Every call comes from the thread that
// runs the format (the user-interface thread), in the order the run takes;
// only ShowTaskMessage and ProcessMessages may run other event handlers.
#pragma once

#include <QString>

namespace cendrix {

// What ShowTaskMessage answers: the button the user pressed, or nothing
// shown. Only kTaskYes lets a format go on.
enum TaskResult : int {
    kTaskNothingShown = 0,  // the dialog could not be shown
    kTaskOk = 1,
    kTaskCancel = 2,        // also closing the dialog without a button
    kTaskClose = 3,         // Close (task dialog) or Abort (older message dialog)
    kTaskRetry = 4,
    kTaskYes = 6,
    kTaskNo = 7,
};

// Button flags of ShowTaskMessage (the task dialog's common-button values);
// combine them with |.
inline constexpr int kTaskButtonOk = 0x01;
inline constexpr int kTaskButtonYes = 0x02;
inline constexpr int kTaskButtonNo = 0x04;
inline constexpr int kTaskButtonCancel = 0x08;
inline constexpr int kTaskButtonRetry = 0x10;
inline constexpr int kTaskButtonClose = 0x20;

// Icon identifiers of ShowTaskMessage.
inline constexpr int kTaskIconInformation = 81;
inline constexpr int kTaskIconWarning = 84;
inline constexpr int kTaskIconError = 98;
inline constexpr int kTaskIconQuestion = 99;

// The two looks of the progress bar: normal while a wipe runs, paused once
// it has ended (whatever the outcome).
enum class ProgressState { Normal, Paused };

class FormatView {
public:
    virtual ~FormatView() = default;

    // A modal question: window title, main instruction, content text (which
    // may hold line breaks, "\r\n"), an icon identifier and the buttons to
    // offer. Returns the TaskResult of the button pressed; kTaskCancel when
    // the dialog is closed without one; kTaskNothingShown when it cannot be
    // shown. It must never answer kTaskYes unless the user chose Yes.
    virtual int ShowTaskMessage(const QString& title, const QString& instruction,
                                const QString& content, int icon, int buttons) = 0;

    // Whether the quick-wipe check box (cbQuickWipe) is checked right now.
    // Read once, when a run is started.
    virtual bool QuickWipeChecked() = 0;

    // Enables or disables the three action controls together, in this order:
    // the format button (btRunBenchmarks), the S.M.A.R.T. button (btGetSmart)
    // and the quick-wipe check box (cbQuickWipe).
    virtual void SetActionsEnabled(bool enabled) = 0;

    // Enables or disables the Stop button (btStop). Its click handler must
    // call RequestStop (run_format.h) and do nothing else.
    virtual void SetStopEnabled(bool enabled) = 0;
    // Gives the Stop button the keyboard focus (called right after enabling it).
    virtual void FocusStop() = 0;

    // The progress bar (pbCurrentTask): position 0..100 and its look.
    virtual void SetProgress(int percent) = 0;
    virtual void SetProgressState(ProgressState state) = 0;

    // The three labels under the bar: the percentage (lbCurrentPercent), the
    // sector (lbCurrentPosition) and the speed (lbSpeed). They keep their
    // text between runs.
    virtual void SetPercentText(const QString& text) = 0;
    virtual void SetPositionText(const QString& text) = 0;
    virtual void SetSpeedText(const QString& text) = 0;
    // What the speed label shows now (the last text set, empty before any).
    virtual QString SpeedText() const = 0;

    // Lets the window handle its pending events once and returns: repaint
    // the labels, and run the Stop button's handler if it was clicked. The
    // wipe loop calls it once before its first block and once per block;
    // it must not wait for new events.
    virtual void ProcessMessages() = 0;
};

}  // namespace cendrix
