#include <cstdlib>

#include "platform/linux/linux_storage.h"
#include "platform/real_storage.h"

namespace cendrix::platform {

std::unique_ptr<StorageApi> MakeRealStorage(std::string* /*error*/) {
    linux_backend::LinuxStorageConfig config;
    config.allowDisks = linux_backend::ParseAllowList(std::getenv("CENDRIX_ALLOW_DISKS"));
    return std::make_unique<linux_backend::LinuxStorage>(std::move(config));
}

}  // namespace cendrix::platform
