// Test doubles for the views and the clock: they record what the core wrote
// and let a test pin and step time.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <map>

#include "shell/clock.h"
#include "shell/logs.h"
#include "shell/platform_info.h"

namespace cendrix::testing {

class RecordingLogView : public LogView {
public:
    void AppendLine(Pane pane, const QString& line) override { panes[pane].append(line); }
    QStringList Lines(Pane pane) const {
        auto it = panes.find(pane);
        return it == panes.end() ? QStringList{} : it->second;
    }
    std::map<Pane, QStringList> panes;
};

// A clock that stands still unless the test moves it; every reading of
// NowMs() may also advance it by a fixed step.
class FakeClock : public Clock {
public:
    explicit FakeClock(QDateTime start = QDateTime(QDate(2024, 12, 17), QTime(9, 5, 3)))
        : now_(std::move(start)) {}
    QDateTime LocalNow() override { return now_; }
    std::int64_t NowMs() override {
        const std::int64_t reading = ms_;
        ms_ += stepPerReading;
        return reading;
    }
    void Sleep(std::int64_t ms) override { slept += ms; }

    void Advance(std::int64_t ms) { ms_ += ms; now_ = now_.addMSecs(ms); }
    void Set(QDateTime moment) { now_ = std::move(moment); }
    void SetMs(std::int64_t ms) { ms_ = ms; }

    std::int64_t stepPerReading = 0;
    std::int64_t slept = 0;

private:
    QDateTime now_;
    std::int64_t ms_ = 1000000;
};

// The locale the tests pin timestamps and separators to: short dates
// yyyy/M/d and long times HH:mm:ss.
QLocale TestLocale();

// The platform the tests pin: 6.1.0, Debian 12, a 64-bit system.
PlatformInfo TestPlatform();

// The timestamp text of the FakeClock's default moment under TestLocale().
inline const QString kStamp = QStringLiteral("2024/12/17 09:05:03   ");

}  // namespace cendrix::testing
