// The platform's real storage backend.
#pragma once

#include <memory>
#include <string>

#include "platform/storage_api.h"

namespace cendrix::platform {

// The backend over this machine's own disks, or null with `error` set where
// the platform has none.
std::unique_ptr<StorageApi> MakeRealStorage(std::string* error);

}  // namespace cendrix::platform
