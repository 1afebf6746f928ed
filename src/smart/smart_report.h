// The S.M.A.R.T. report: reads the chosen disk's SMART data sector and
// appends a table of its attributes (identifier, name, current, worst and
// raw value, and the temperature of attribute 194) to the S.M.A.R.T. pane.
#pragma once

#include <QString>

#include "platform/storage_api.h"

namespace cendrix {

struct AppState;
class Logs;

// Blanks after (PadRight) or before (PadLeft) the text up to `width` UTF-16
// code units; a text already that long is returned as it is.
QString PadRight(const QString& text, int width);
QString PadLeft(const QString& text, int width);

// Appends one complete report through Logs::AddSmartLine, below any earlier
// one. On a disk on the ATA bus SMART is switched on for the read and off
// again afterwards, unless the disk's IDENTIFY data said it was on
// (state.SmartEnabledAtStart). Does nothing when no disk is chosen.
void SmartReport(AppState& state, platform::StorageApi& storage, Logs& logs);

}  // namespace cendrix
