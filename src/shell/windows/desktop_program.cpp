#include "shell/windows/desktop_program.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QUrl>

#include "format/run_format.h"
#include "shell/project_links.h"
#include "shell/windows/dialogs.h"
#include "shell/windows/link_label.h"
#include "smart/smart_report.h"

namespace cendrix::windows {

DesktopProgram::DesktopProgram(DesktopInputs inputs)
    : inputs_(std::move(inputs)), logs_(*this, inputs_.clock, state_, inputs_.locale) {
    main_ = std::make_unique<TFmMain>(static_cast<MainWindowEvents&>(*this));
    chooser_ = std::make_unique<TFmChoose>(state_, inputs_.locale, inputs_.launcher, inputs_.end,
                                           inputs_.findExecutable);
    debug_ = std::make_unique<TFmDebug>();
    formatPage_ = std::make_unique<FormatPage>(*main_);
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
    if (formatRunning_) {
        // Closing the disk now would leave the wipe loop writing through a
        // dead handle. Stop the run instead; the window closes when the run
        // has ended (btRunBenchmarksClick).
        RequestStop(state_);
        closeAfterRun_ = true;
        event->ignore();
        return;
    }
    state_.DeviceHandle.Reset();
    inputs_.end(kExitNormal);
}

void DesktopProgram::btRunBenchmarksClick() {
    // The button is disabled during a run; a click already queued must not
    // start a second one inside the first.
    if (formatRunning_) return;
    formatRunning_ = true;
    FormatContext run{state_, inputs_.storage, logs_, inputs_.clock, *formatPage_};
    RunFormat(run);
    formatRunning_ = false;
    if (closeAfterRun_) {
        closeAfterRun_ = false;
        main_->close();
    }
}

void DesktopProgram::btStopClick() { RequestStop(state_); }

void DesktopProgram::btGetSmartClick() {
    if (formatRunning_) return;
    // Off for the report's duration, as during a run.
    main_->SetActionsEnabled(false);
    SmartReport(state_, inputs_.storage, logs_);
    main_->SetActionsEnabled(true);
}

void DesktopProgram::lbCopyrightClick() { inputs_.launcher.OpenUrl(QUrl(kProjectWebPage)); }

}  // namespace cendrix::windows
