// What a format run works with, and how it ended.
#pragma once

#include <cstddef>
#include <functional>

#include "platform/aligned_buffer.h"
#include "platform/storage_api.h"

namespace cendrix {

struct AppState;
class Clock;
class FormatView;
class Logs;

// Hands out the zero buffer of a run: zero-filled, aligned for direct I/O,
// or invalid when the memory cannot be had. Tests put a failing one in.
using ZeroBufferSource = std::function<platform::AlignedBuffer(std::size_t size)>;

struct FormatContext {
    AppState& state;
    platform::StorageApi& storage;
    Logs& logs;
    Clock& clock;
    FormatView& view;
    ZeroBufferSource zeroBuffer = &platform::AlignedBuffer::Allocate;
};

enum class FormatOutcome {
    Declined,             // the confirmation was not given; nothing happened
    LockFailed,           // a volume of the disk could not be locked; nothing written
    NoBuffer,             // the zero buffer could not be obtained; nothing written
    Completed,            // every block of the extent was written
    CompletedWithErrors,  // the extent was covered, but some blocks were skipped
    Cancelled,            // stopped on request
    Aborted,              // the medium went away
};

}  // namespace cendrix
