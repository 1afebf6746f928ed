// The program's process-wide state, in one object that is handed to the
// operations instead of living in globals: each test builds a fresh one.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "discovery/device_table.h"
#include "platform/unique_handle.h"

namespace cendrix {

struct AppState {
    TDeviceTables DeviceTables;
    std::int64_t DeviceCount = 0;
    std::int64_t SelectedDevice = -1;       // 1-based, -1 until a disk is chosen
    platform::UniqueHandle DeviceHandle;    // the chosen disk, read/write, not shared
    QString DiskName;                       // DeviceCaption of the chosen entry
    bool DebugMode = false;
    bool DeviceChosen = false;              // set by an accepted choice only
    bool StopRequested = false;             // the Stop button's request to the wipe loop
    std::vector<platform::Handle> LockedVolumeHandles;  // volumes locked for the current run
    // Whether the chosen disk's IDENTIFY data, read once it was opened, said
    // SMART was enabled; empty when the disk gave no IDENTIFY data. When it
    // holds true, the S.M.A.R.T. report does not switch SMART off afterwards.
    std::optional<bool> SmartEnabledAtStart;

    // The chosen entry; SelectedDevice must be a valid index.
    const TDeviceTable& Selected() const { return DeviceTables[SelectedDevice]; }
};

}  // namespace cendrix
