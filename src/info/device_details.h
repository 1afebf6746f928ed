// The device details report: the date, the chosen disk's caption and what
// its IDENTIFY DEVICE data say about it, written to the details pane once
// the disk has been opened.
#pragma once

#include "info/identify_data.h"
#include "platform/storage_api.h"

namespace cendrix {

struct AppState;
class Logs;

enum class IdentifyOutcome {
    Answered,       // the data came back (at the first or the second attempt)
    Unavailable,    // refused, on a bus whose drivers commonly refuse it
    InternalError,  // refused twice by a disk on the ATA bus, which should answer
};

struct SelectedIdentify {
    IdentifyOutcome outcome = IdentifyOutcome::Unavailable;
    T_IDE_PASSPORT passport;  // decoded when answered
};

// Asks the selected disk (through state.DeviceHandle) for its IDENTIFY
// DEVICE data: once, and a second time for a disk on the ATA bus. Records in
// state.SmartEnabledAtStart whether the data said SMART was enabled (cleared
// when there was no answer), so that the S.M.A.R.T. report can leave the
// drive as it found it. Writes nothing. SelectedDevice must be 1..16.
SelectedIdentify IdentifySelectedDevice(AppState& state, platform::StorageApi& storage);

// Writes the whole details report through Logs::AddDetailsLine, with the
// date-time line from the logs' clock. Does nothing when no disk is chosen.
void WriteDeviceDetails(AppState& state, platform::StorageApi& storage, Logs& logs);

}  // namespace cendrix
