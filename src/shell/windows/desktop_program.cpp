#include "shell/windows/desktop_program.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QUrl>

#include "shell/project_links.h"
#include "shell/windows/dialogs.h"
#include "shell/windows/link_label.h"

namespace cendrix::windows {

DesktopProgram::DesktopProgram(DesktopInputs inputs)
    : inputs_(std::move(inputs)), logs_(*this, inputs_.clock, state_, inputs_.locale) {
    main_ = std::make_unique<TFmMain>(static_cast<MainWindowEvents&>(*this));
    chooser_ = std::make_unique<TFmChoose>(state_, inputs_.locale, inputs_.launcher, inputs_.end,
                                           inputs_.findExecutable);
    debug_ = std::make_unique<TFmDebug>();
}

DesktopProgram::~DesktopProgram() = default;

void DesktopProgram::Start() { main_->show(); }

void DesktopProgram::ShowDebugWindow() { debug_->show(); }

void DesktopProgram::ShowDebugWindowModal() {
    debug_->close();
    debug_->exec();
}

void DesktopProgram::SetChooserCaption(const QString& text) { chooser_->setWindowTitle(text); }

void DesktopProgram::SetChooserProgramName(const QString& text) { chooser_->lbProgramName->setText(text); }

void DesktopProgram::SetMainCaption(const QString& text) {
    main_->setWindowTitle(text);
    // The application's title: what the desktop shows for a window without
    // a title of its own.
    QCoreApplication::setApplicationName(text);
    main_->SetStatusPanel(0, text);
}

void DesktopProgram::SetCopyrightLines(const QString& text) {
    main_->lbCopyright->setText(text);
    chooser_->lbCopyright->setText(text);
}

void DesktopProgram::SetChooserStatusText(const QString& text) { chooser_->SetStatusText(text); }

bool DesktopProgram::ChooseDevice() { return chooser_->ChooseDevice(); }

void DesktopProgram::ShowDiskName(const QString& diskName) { main_->lbDiskName->setText(diskName); }

void DesktopProgram::SetStatusDiskName(const QString& diskName) { main_->SetStatusPanel(1, diskName); }

void DesktopProgram::FatalError(const QString& text, const QString& caption) {
    windows::FatalError(text, caption, inputs_.end);
}

void DesktopProgram::EndProgram() { inputs_.end(kExitNormal); }

void DesktopProgram::AppendLine(Pane pane, const QString& line) {
    switch (pane) {
        case Pane::Format: main_->Log_BenchMark->appendPlainText(line); break;
        case Pane::Debug: debug_->Memo1->appendPlainText(line); break;
        case Pane::Details: main_->Log_Details->appendPlainText(line); break;
        case Pane::Smart: main_->Log_Smart->appendPlainText(line); break;
    }
}

void DesktopProgram::FormShow() {
    outcome_ = RunFirstShow(state_, inputs_.storage, logs_, inputs_.clock, *this, inputs_.startUp);
}

void DesktopProgram::FormClose(QCloseEvent* event) {
    // TODO(format run): while a wipe runs, ask it to stop and close only once
    // it has ended (ignore `event` until then), so that the disk is never
    // written through a closed handle.
    (void)event;
    state_.DeviceHandle.Reset();
}

void DesktopProgram::btRunBenchmarksClick() {
    // TODO(format run): connect RunFormat with this window as its FormatView.
}

void DesktopProgram::btStopClick() { state_.StopRequested = true; }

void DesktopProgram::btGetSmartClick() {
    // TODO(S.M.A.R.T. report): SetActionsEnabled(false), SmartReport(state_,
    // inputs_.storage, logs_), SetActionsEnabled(true).
}

void DesktopProgram::lbCopyrightClick() { inputs_.launcher.OpenUrl(QUrl(kProjectWebPage)); }

}  // namespace cendrix::windows
