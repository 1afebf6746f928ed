// One format, from the confirmation to the controls given back: what the
// format button does.
#pragma once

#include "format/format_context.h"

namespace cendrix {

struct AppState;

// Asks the user to confirm, announces the run in the format log, locks the
// volumes of the selected disk, wipes it (quick or whole, as the view's
// check box says), asks the disk to re-read its properties, releases the
// volumes and enables the controls again. Needs a selected entry and an
// open DeviceHandle. Returns how the run ended.
FormatOutcome RunFormat(FormatContext& run);

// What the Stop button does: asks the wipe loop to end the run before its
// next block. Nothing else changes.
void RequestStop(AppState& state);

}  // namespace cendrix
