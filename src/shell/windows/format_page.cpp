#include "shell/windows/format_page.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>

#include "shell/windows/dialogs.h"
#include "shell/windows/fm_main.h"

namespace cendrix::windows {

int FormatPage::ShowTaskMessage(const QString& title, const QString& instruction, const QString& content,
                                int icon, int buttons) {
    return windows::ShowTaskMessage(&main_, title, instruction, content, icon, buttons);
}

bool FormatPage::QuickWipeChecked() { return main_.cbQuickWipe->isChecked(); }

void FormatPage::SetActionsEnabled(bool enabled) { main_.SetActionsEnabled(enabled); }

void FormatPage::SetStopEnabled(bool enabled) { main_.btStop->setEnabled(enabled); }

void FormatPage::FocusStop() { main_.btStop->setFocus(Qt::OtherFocusReason); }

void FormatPage::SetProgress(int percent) { main_.SetProgressPosition(percent); }

void FormatPage::SetProgressState(ProgressState state) { main_.SetProgressPaused(state == ProgressState::Paused); }

void FormatPage::SetPercentText(const QString& text) { main_.lbCurrentPercent->setText(text); }

void FormatPage::SetPositionText(const QString& text) { main_.lbCurrentPosition->setText(text); }

void FormatPage::SetSpeedText(const QString& text) { main_.lbSpeed->setText(text); }

QString FormatPage::SpeedText() const { return main_.lbSpeed->text(); }

void FormatPage::ProcessMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

}  // namespace cendrix::windows
