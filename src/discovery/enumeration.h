// The walk over the machine's disks at start: open, probe, find volumes,
// fill the device table.
#pragma once

#include <QString>

#include "platform/storage_api.h"

namespace cendrix {

struct AppState;
class Logs;

struct EnumerationResult {
    // Set when a probe met a failure that ends the program: the text of the
    // error box (caption "错误").
    QString fatalError;
    bool Fatal() const { return !fatalError.isEmpty(); }
};

// The device path of disk N: \\.\PhysicalDriveN.
QString PhysicalDrivePath(unsigned number);

// Fills state.DeviceTables and state.DeviceCount, which must be 0 on entry.
EnumerationResult EnumerateDevices(AppState& state, platform::StorageApi& storage, Logs& logs);

}  // namespace cendrix
