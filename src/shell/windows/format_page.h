// The format page of the main window as the run control sees it: the
// question dialog owned by the window, the action controls, the Stop
// button, the progress bar and its three labels, and the window's events.
#pragma once

#include "format/format_view.h"

namespace cendrix::windows {

class TFmMain;

class FormatPage final : public FormatView {
public:
    explicit FormatPage(TFmMain& main) : main_(main) {}

    int ShowTaskMessage(const QString& title, const QString& instruction, const QString& content, int icon,
                        int buttons) override;
    bool QuickWipeChecked() override;
    void SetActionsEnabled(bool enabled) override;
    void SetStopEnabled(bool enabled) override;
    void FocusStop() override;
    void SetProgress(int percent) override;
    void SetProgressState(ProgressState state) override;
    void SetPercentText(const QString& text) override;
    void SetPositionText(const QString& text) override;
    void SetSpeedText(const QString& text) override;
    QString SpeedText() const override;
    // Handles the events already waiting (a click on Stop, the repaint of
    // the labels) and returns at once; it never waits for new ones.
    void ProcessMessages() override;

private:
    TFmMain& main_;
};

}  // namespace cendrix::windows
