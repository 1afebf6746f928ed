#include "platform/real_storage.h"

namespace cendrix::platform {

std::unique_ptr<StorageApi> MakeRealStorage(std::string* error) {
    if (error != nullptr) {
        *error = "this build has no backend for real disks; choose a simulated machine "
                 "with CENDRIX_MACHINE or --machine";
    }
    return nullptr;
}

}  // namespace cendrix::platform
