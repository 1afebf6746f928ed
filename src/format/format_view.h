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

// The question dialog's buttons, icons and result codes.
#include "shell/task_message.h"

namespace cendrix {

// The two looks of the progress bar: normal while a wipe runs, paused once
// it has ended (whatever the outcome).
enum class ProgressState { Normal, Paused };

class FormatView {
public:
    virtual ~FormatView() = default;

    // A modal question: window title, main instruction, content text (which
    // may hold line breaks, "\r\n"), an icon identifier and the buttons to
    // offer (task_message.h). Returns the result code of the button pressed;
    // kTaskResultCancel when the dialog is closed without one;
    // kTaskNothingShown when it cannot be shown. It must never answer
    // kTaskResultYes unless the user chose Yes.
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
