// Chooses the storage backend: the simulated machine named by a manifest
// path or "demo", or the platform's real disks.
#pragma once

#include <QString>
#include <memory>

#include "platform/storage_api.h"

namespace cendrix::platform {

struct BackendChoice {
    std::unique_ptr<StorageApi> storage;
    QString description;  // what was chosen, for the debug log
    QString error;        // why nothing could be chosen (storage is then empty)
};

// `machine` is a manifest path, "demo", or empty for the variable
// CENDRIX_MACHINE, which when unset too means the real disks.
BackendChoice ChooseBackend(const QString& machine);

// The folder that holds the demo machine's images.
QString DemoImageFolder();

}  // namespace cendrix::platform
