// Opening the chosen disk for the rest of the run: reading and writing, no
// sharing, so that no other program writes to it meanwhile.
#pragma once

#include <QString>

#include "platform/storage_api.h"

namespace cendrix {

struct AppState;

struct OpenDeviceResult {
    bool ok = false;
    QString errorText;  // "错误打开设备:" and the system's message, when not ok
};

inline const QString kOpenErrorPrefix = QStringLiteral("错误打开设备:               ");

// Opens the DevicePath of the selected entry into state.DeviceHandle.
OpenDeviceResult OpenSelectedDevice(AppState& state, platform::StorageApi& storage);

}  // namespace cendrix
