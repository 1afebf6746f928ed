#include "shell/clock.h"

#include <QThread>

namespace cendrix {

void SystemClock::Sleep(std::int64_t ms) { QThread::msleep(static_cast<unsigned long>(ms)); }

}  // namespace cendrix
