#include "format/volume_lock.h"

#include "discovery/volumes.h"
#include "platform/control_codes.h"
#include "platform/unique_handle.h"
#include "shell/app_state.h"
#include "shell/logs.h"

namespace cendrix {

namespace {

// Opens, locks and dismounts one volume of the disk and keeps its handle in
// state.LockedVolumeHandles; false at the first refusal.
bool LockVolume(AppState& state, platform::StorageApi& storage, Logs& logs, const QString& drive,
                const std::function<void(const QString&)>& debug) {
    // Each request gets a place for its byte count, which nobody reads.
    std::uint32_t returned = 0;
    const QString path = QStringLiteral("\\\\.\\") + drive;
    debug(QStringLiteral("Locking ") + path);
    platform::UniqueHandle volume(
        storage, storage.CreateFileW(path.toStdU16String(), platform::GENERIC_READ,
                                     platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE,
                                     platform::OPEN_EXISTING, 0));
    if (!volume) {
        // Written whatever the debug switch says: the run's own failure line
        // follows, and this says which step failed.
        logs.AppendFormatLogLine(QStringLiteral("无效句柄"));
        return false;
    }
    debug(QStringLiteral("有句柄!"));
    debug(QStringLiteral("正在锁定卷..."));
    if (!storage.DeviceIoControl(volume.Get(), platform::FSCTL_LOCK_VOLUME, nullptr, 0, nullptr, 0,
                                 &returned)) {
        return false;  // the handle closes here; earlier volumes stay held
    }
    debug(QStringLiteral("完成."));
    debug(QStringLiteral("正在卸载卷..."));
    if (!storage.DeviceIoControl(volume.Get(), platform::FSCTL_DISMOUNT_VOLUME, nullptr, 0, nullptr, 0,
                                 &returned)) {
        return false;
    }
    debug(QStringLiteral("完成."));
    debug(QStringLiteral("正在扩展 I/O..."));
    // Extended access only lets writes reach the volume's last sectors; the
    // volume is locked and dismounted whether or not it is granted.
    storage.DeviceIoControl(volume.Get(), platform::FSCTL_ALLOW_EXTENDED_DASD_IO, nullptr, 0, nullptr, 0,
                            &returned);
    debug(QStringLiteral("完成."));
    state.LockedVolumeHandles.push_back(volume.Release());
    return true;
}

}  // namespace

bool LockDiskVolumes(AppState& state, platform::StorageApi& storage, Logs& logs,
                     std::int64_t diskNumber) {
    const std::function<void(const QString&)> debug = [&](const QString& line) {
        if (state.DebugMode) logs.AddFormatLog(line);
    };
    return WalkVolumes(storage, debug, [&](const QString& drive, const VolumeDeviceInfo& info) {
        debug(FoundVolumeLine(drive, info));
        return !VolumeOnDisk(info, diskNumber) || LockVolume(state, storage, logs, drive, debug);
    });
}

void ReleaseDiskVolumes(AppState& state, platform::StorageApi& storage) {
    for (const platform::Handle handle : state.LockedVolumeHandles) storage.CloseHandle(handle);
    state.LockedVolumeHandles.clear();
}

}  // namespace cendrix
