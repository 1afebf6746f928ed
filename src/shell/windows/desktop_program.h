// The desktop program put together: the program's state, its log panes and
// its three windows, created in the order main window, chooser, debug
// window. The windows forward their events here; the start-up decisions are
// the core's (shell/startup.h), which this class serves as StartUpView.
#pragma once

#include <QLocale>
#include <memory>
#include <optional>

#include "platform/storage_api.h"
#include "shell/app_state.h"
#include "shell/clock.h"
#include "shell/disk_utility.h"
#include "shell/logs.h"
#include "shell/startup.h"
#include "shell/windows/fm_choose.h"
#include "shell/windows/fm_debug.h"
#include "shell/windows/fm_main.h"
#include "shell/windows/format_page.h"
#include "shell/windows/launcher.h"

namespace cendrix::windows {

// What the desktop program takes from outside; tests put a simulated machine,
// a fake clock and recording hooks here.
struct DesktopInputs {
    platform::StorageApi& storage;
    Clock& clock;
    Launcher& launcher;
    ProgramEnd end;
    StartUpInputs startUp;
    ExecutableFinder findExecutable;
    QLocale locale = QLocale();
};

class DesktopProgram final : private StartUpView, private LogView, private MainWindowEvents {
public:
    explicit DesktopProgram(DesktopInputs inputs);
    ~DesktopProgram() override;

    // Shows the main window; its first showing runs the start-up.
    void Start();

    // Set once the start-up has run to its end.
    std::optional<StartUpOutcome> Outcome() const { return outcome_; }
    // Whether a format is under way (from the question to the controls
    // given back).
    bool FormatRunning() const { return formatRunning_; }

    AppState& State() { return state_; }
    Logs& Log() { return logs_; }
    TFmMain& Main() { return *main_; }
    TFmChoose& Chooser() { return *chooser_; }
    TFmDebug& Debug() { return *debug_; }

private:
    // StartUpView
    void ShowDebugWindow() override;
    void ShowDebugWindowModal() override;
    void SetChooserCaption(const QString& text) override;
    void SetChooserProgramName(const QString& text) override;
    void SetMainCaption(const QString& text) override;
    void SetCopyrightLines(const QString& text) override;
    void SetChooserStatusText(const QString& text) override;
    bool ChooseDevice() override;
    void ShowDiskName(const QString& diskName) override;
    void SetStatusDiskName(const QString& diskName) override;
    void FatalError(const QString& text, const QString& caption) override;
    void EndProgram() override;

    // LogView: the four panes.
    void AppendLine(Pane pane, const QString& line) override;

    // MainWindowEvents
    void FormShow() override;
    void FormClose(QCloseEvent* event) override;
    void btRunBenchmarksClick() override;
    void btStopClick() override;
    void btGetSmartClick() override;
    void lbCopyrightClick() override;

    DesktopInputs inputs_;
    AppState state_;
    Logs logs_;
    std::unique_ptr<TFmMain> main_;
    std::unique_ptr<TFmChoose> chooser_;
    std::unique_ptr<TFmDebug> debug_;
    std::unique_ptr<FormatPage> formatPage_;
    std::optional<StartUpOutcome> outcome_;
    // A format runs inside the format button's click, and the window's
    // events (a close among them) are handled inside it, once per block.
    bool formatRunning_ = false;
    // The window was asked to close during a run: it closes once the run
    // has ended.
    bool closeAfterRun_ = false;
};

}  // namespace cendrix::windows
