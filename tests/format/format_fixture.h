// A simulated machine with its disk chosen and opened, and a format page
// that records what the run control and the wipe loop showed on it.
#pragma once

#include <QStringList>
#include <gtest/gtest.h>
#include <functional>
#include <vector>

#include "format/format_context.h"
#include "format/format_view.h"
#include "support/sim_fixture.h"

namespace cendrix::testing {

class RecordingFormatView : public FormatView {
public:
    struct Question {
        QString title, instruction, content;
        int icon = 0;
        int buttons = 0;
    };
    // What the labels and the bar showed when the window got to paint them.
    struct Painted {
        int progress;
        QString percent, position;
    };

    int ShowTaskMessage(const QString& title, const QString& instruction, const QString& content,
                        int icon, int buttons) override {
        questions.push_back({title, instruction, content, icon, buttons});
        events << QStringLiteral("ask");
        return answer;
    }
    bool QuickWipeChecked() override { return quick; }
    void SetActionsEnabled(bool enabled) override {
        actionsEnabled = enabled;
        events << QStringLiteral("actions %1").arg(enabled ? "on" : "off");
    }
    void SetStopEnabled(bool enabled) override {
        stopEnabled = enabled;
        events << QStringLiteral("stop %1").arg(enabled ? "on" : "off");
    }
    void FocusStop() override { events << QStringLiteral("focus stop"); }
    void SetProgress(int percent) override { progress = percent; }
    void SetProgressState(ProgressState state) override {
        progressState = state;
        events << (state == ProgressState::Normal ? QStringLiteral("bar normal") : QStringLiteral("bar paused"));
    }
    void SetPercentText(const QString& text) override { percent = text; }
    void SetPositionText(const QString& text) override { position = text; }
    void SetSpeedText(const QString& text) override { speed = text; }
    QString SpeedText() const override { return speed; }
    void ProcessMessages() override {
        painted.push_back({progress, percent, position});
        if (onProcessMessages) onProcessMessages(static_cast<int>(painted.size()) - 1);
    }

    // Inputs.
    int answer = kTaskResultYes;
    bool quick = false;
    // Runs inside ProcessMessages with the call's number: 0 is the call
    // before the first block, n the call of pass n.
    std::function<void(int call)> onProcessMessages;

    // Record.
    std::vector<Question> questions;
    QStringList events;
    std::vector<Painted> painted;
    bool actionsEnabled = true;
    bool stopEnabled = false;
    int progress = 0;
    ProgressState progressState = ProgressState::Normal;
    QString percent, position, speed;
};

// Moves the fake clock's milliseconds on (and leaves the local date and time,
// and so the log's timestamps, where they are).
inline void Tick(FakeClock& clock, std::int64_t ms) { clock.SetMs(clock.NowMs() + ms); }

// A world whose disk `number` is enumerated, selected and opened as the
// desktop program does after the chooser; the logs and the request record
// start empty.
class FormatWorld {
public:
    explicit FormatWorld(sim::Machine machine, std::uint32_t number = 0);

    sim::SimStorage& Storage() { return world.Storage(); }
    QStringList FormatLines() const { return world.view.Lines(Pane::Format); }
    // The format log without the timestamps of stamped lines.
    QStringList FormatTexts() const;
    // The writes the disk received, as (offset, length) of each successful one.
    std::vector<std::pair<std::int64_t, std::int64_t>> Writes();
    // Whether the image of disk `number` holds zeros exactly over `zeroed`
    // (sorted, non-overlapping byte ranges) and `pattern` everywhere else.
    ::testing::AssertionResult ImageIs(std::uint32_t number, std::uint8_t pattern,
                                       const std::vector<std::pair<std::int64_t, std::int64_t>>& zeroed);

    SimWorld world;
    RecordingFormatView view;
    FormatContext run{world.state, world.Storage(), world.logs, world.clock, view};
};

}  // namespace cendrix::testing
