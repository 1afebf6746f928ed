// cendrix-cli format: the format page on a terminal. The question is asked
// on the terminal, the format log goes to stdout line by line, the progress
// is one live line on stderr, and Ctrl-C is the Stop button.
#include <QString>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "cli/commands.h"
#include "format/format_view.h"
#include "format/run_format.h"

namespace cendrix::cli {

namespace {

// Set by the SIGINT handler, read by ProcessMessages: the handler may do
// nothing but store into a flag of this type.
volatile std::sig_atomic_t gInterrupted = 0;

void OnInterrupt(int) { gInterrupted = 1; }

bool IsTerminal(std::FILE* stream) {
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

void WriteErr(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

// The columns a text takes on a terminal: CJK characters take two.
int Columns(const QString& text) {
    int columns = 0;
    for (const QChar c : text) columns += c.unicode() >= 0x1100 ? 2 : 1;
    return columns;
}

// Turns the first Ctrl-C into a flag while it is armed; the handler then
// falls back to the default, so a second Ctrl-C ends the program at once.
class InterruptToStop {
public:
    InterruptToStop() = default;
    InterruptToStop(const InterruptToStop&) = delete;
    InterruptToStop& operator=(const InterruptToStop&) = delete;
    ~InterruptToStop() { Disarm(); }

    void Arm() {
        if (armed_) return;
        gInterrupted = 0;
#ifdef _WIN32
        // Windows resets the handler to the default before calling it.
        previous_ = std::signal(SIGINT, OnInterrupt);
#else
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND | SA_RESTART;
        sigaction(SIGINT, &action, &previous_);
#endif
        armed_ = true;
    }

    void Disarm() {
        if (!armed_) return;
#ifdef _WIN32
        std::signal(SIGINT, previous_);
#else
        sigaction(SIGINT, &previous_, nullptr);
#endif
        armed_ = false;
    }

private:
    bool armed_ = false;
#ifdef _WIN32
    void (*previous_)(int) = SIG_DFL;
#else
    struct sigaction previous_ {};
#endif
};

struct FormatOptions {
    QString disk;
    bool quick = false;
    bool yes = false;
};

class TerminalFormatView final : public FormatView {
public:
    TerminalFormatView(AppState& state, const FormatOptions& options, bool liveLine)
        : state_(state), options_(options), liveLine_(liveLine) {}

    int ShowTaskMessage(const QString& title, const QString& instruction, const QString& content, int,
                        int) override {
        if (options_.yes) return kTaskResultYes;
        ClearLiveLine();
        QString text = content;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        WriteErr(title + QStringLiteral(": ") + instruction + QStringLiteral("\n") + text +
                 QStringLiteral("\n[y/N] "));
        char answer[256];
        if (std::fgets(answer, sizeof answer, stdin) == nullptr) {
            WriteErr(QStringLiteral("\n"));
            return kTaskResultCancel;
        }
        // A terminal echoes the answer and its line break; a pipe does not.
        if (!IsTerminal(stdin)) WriteErr(QStringLiteral("\n"));
        const QString given = QString::fromUtf8(answer).trimmed().toLower();
        return given == QLatin1String("y") || given == QLatin1String("yes") ? kTaskResultYes : kTaskResultCancel;
    }

    bool QuickWipeChecked() override { return options_.quick; }
    void SetActionsEnabled(bool) override {}
    void SetStopEnabled(bool enabled) override {
        // Ctrl-C stays a stop request from the moment the wipe starts until
        // the command returns, so that one pressed while the run finishes
        // does not cut off its closing lines.
        if (enabled) interrupts_.Arm();
    }
    void FocusStop() override {}
    void SetProgress(int) override {}
    void SetProgressState(ProgressState) override {}
    void SetPercentText(const QString& text) override { percent_ = text; }
    void SetPositionText(const QString& text) override { position_ = text; }
    void SetSpeedText(const QString& text) override { speed_ = text; }
    QString SpeedText() const override { return speed_; }

    void ProcessMessages() override {
        if (gInterrupted != 0 && !stopHandled_) {
            stopHandled_ = true;
            RequestStop(state_);
            ClearLiveLine();
            WriteErr(QStringLiteral("cendrix-cli: stopping after this block; Ctrl-C again ends the program at once\n"));
        }
        DrawLiveLine();
    }

    // Called before any other line goes to the terminal.
    void ClearLiveLine() {
        if (shownColumns_ == 0) return;
        WriteErr(QStringLiteral("\r") + QString(shownColumns_, QLatin1Char(' ')) + QStringLiteral("\r"));
        shownColumns_ = 0;
    }

private:
    void DrawLiveLine() {
        if (!liveLine_ || percent_.isEmpty()) return;  // nothing to show before the first block
        // A terminal needs no more than about ten pictures a second.
        const auto now = std::chrono::steady_clock::now();
        if (shownColumns_ > 0 && now - drawnAt_ < std::chrono::milliseconds(100)) return;
        drawnAt_ = now;
        const QString line = percent_ + QStringLiteral("   ") + position_ + QStringLiteral("   ") + speed_;
        const int columns = Columns(line);
        QString text = QStringLiteral("\r") + line;
        if (columns < shownColumns_) text += QString(shownColumns_ - columns, QLatin1Char(' '));
        WriteErr(text);
        shownColumns_ = std::max(columns, 1);
    }

    AppState& state_;
    const FormatOptions& options_;
    const bool liveLine_;
    InterruptToStop interrupts_;
    bool stopHandled_ = false;
    QString percent_, position_, speed_;
    int shownColumns_ = 0;
    std::chrono::steady_clock::time_point drawnAt_;
};

}  // namespace

int RunFormatCommand(Session& session, const QStringList& args) {
    FormatOptions options;
    for (const QString& arg : args) {
        if (arg == QLatin1String("--quick")) {
            options.quick = true;
        } else if (arg == QLatin1String("--yes")) {
            options.yes = true;
        } else if (options.disk.isEmpty() && !arg.startsWith(QLatin1Char('-'))) {
            options.disk = arg;
        } else {
            PrintError(QStringLiteral("cendrix-cli format: unknown argument \"%1\"").arg(arg));
            return kExitUsage;
        }
    }
    if (options.disk.isEmpty()) {
        PrintError(QStringLiteral("cendrix-cli format: which disk? give its number, as \"cendrix-cli list\" shows it"));
        return kExitUsage;
    }
    // The answer must come from a person: a pipe or a file on stdin answers
    // only where the caller says so explicitly.
    const bool stdinAnswers = IsTerminal(stdin) || qEnvironmentVariable("CENDRIX_CONFIRM_STDIN") == QLatin1String("1");
    if (!options.yes && !stdinAnswers) {
        PrintError(QStringLiteral("cendrix-cli format: stdin is not a terminal, so the confirmation cannot be "
                                  "asked; nothing was written (add --yes to wipe without asking)"));
        return kExitFailed;
    }

    const int opened = SelectAndOpenDisk(session, options.disk);
    if (opened != kExitOk) return opened;

    TerminalFormatView view(session.state, options, IsTerminal(stderr));
    session.view.SetFormatLogToStdout(true);
    session.view.SetBeforeLine([&view] { view.ClearLiveLine(); });
    FormatContext run{session.state, *session.storage, session.logs, session.clock, view};
    const FormatOutcome outcome = RunFormat(run);
    view.ClearLiveLine();
    session.view.SetBeforeLine({});

    switch (outcome) {
        case FormatOutcome::Completed:
            return kExitOk;
        case FormatOutcome::Declined:
            PrintError(QStringLiteral("cendrix-cli format: not confirmed; nothing was written"));
            return kExitFailed;
        default:
            return kExitFailed;
    }
}

}  // namespace cendrix::cli
