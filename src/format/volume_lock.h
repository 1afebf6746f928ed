// Taking the lettered volumes of a disk out of the file system's hands for
// a wipe: each is opened, locked and dismounted, and its handle kept (which
// keeps the lock) until the release.
#pragma once

#include <cstdint>

#include "platform/storage_api.h"

namespace cendrix {

struct AppState;
class Logs;

// Locks and dismounts every lettered volume on disk `diskNumber`, appending
// each handle to state.LockedVolumeHandles. False at the first volume that
// cannot be opened, locked or dismounted; the volumes locked before it stay
// held. In debug mode each step is narrated in the format log.
bool LockDiskVolumes(AppState& state, platform::StorageApi& storage, Logs& logs,
                     std::int64_t diskNumber);

// Closes every handle in state.LockedVolumeHandles (ending their locks) and
// empties it.
void ReleaseDiskVolumes(AppState& state, platform::StorageApi& storage);

}  // namespace cendrix
