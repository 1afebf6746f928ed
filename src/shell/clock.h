// Time as the core sees it, injected so that tests can pin and step it.
#pragma once

#include <QDateTime>
#include <cstdint>

namespace cendrix {

class Clock {
public:
    virtual ~Clock() = default;
    // The local date and time, for timestamps and report headings.
    virtual QDateTime LocalNow() = 0;
    // The local wall clock in whole milliseconds; only differences are used.
    virtual std::int64_t NowMs() = 0;
    // Blocks for `ms` milliseconds (the start-up's short wait).
    virtual void Sleep(std::int64_t ms) = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime LocalNow() override { return QDateTime::currentDateTime(); }
    std::int64_t NowMs() override { return QDateTime::currentMSecsSinceEpoch(); }
    void Sleep(std::int64_t ms) override;
};

}  // namespace cendrix
