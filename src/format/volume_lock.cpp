#include "format/volume_lock.h"

#include "discovery/volumes.h"
#include "platform/control_codes.h"
#include "platform/unique_handle.h"
#include "shell/app_state.h"
#include "shell/logs.h"

namespace cendrix {

bool LockDiskVolumes(AppState& state, platform::StorageApi& storage, Logs& logs,
                     std::int64_t diskNumber) {
    auto debug = [&](const QString& line) {
        if (state.DebugMode) logs.AddFormatLog(line);
    };
    // Each request gets a place for its byte count, which nobody reads.
    std::uint32_t returned = 0;

    debug(QStringLiteral("正在寻找分区..."));
    DriveNameList drives;
    ListDriveLetters(storage, drives);
    debug(QStringLiteral("完成."));

    for (const QString& drive : drives) {
        if (drive.isEmpty()) continue;
        debug(QStringLiteral("正在获取设备数据..."));
        VolumeDeviceInfo info;
        QueryDeviceNumber(storage, drive, info);
        debug(QStringLiteral("完成."));
        if (!info.Found) continue;
        debug(FoundVolumeLine(drive, info));
        if (!VolumeOnDisk(info, diskNumber)) continue;

        const QString path = QStringLiteral("\\\\.\\") + drive;
        debug(QStringLiteral("Locking ") + path);
        platform::UniqueHandle volume(
            storage, storage.CreateFileW(path.toStdU16String(), platform::GENERIC_READ,
                                         platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE,
                                         platform::OPEN_EXISTING, 0));
        if (!volume) {
            // Written whatever the debug switch says: the run's own failure
            // line follows, and this says which step failed.
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
        if (!storage.DeviceIoControl(volume.Get(), platform::FSCTL_DISMOUNT_VOLUME, nullptr, 0, nullptr,
                                     0, &returned)) {
            return false;
        }
        debug(QStringLiteral("完成."));
        debug(QStringLiteral("正在扩展 I/O..."));
        // Extended access only lets writes reach the volume's last sectors;
        // the volume is locked and dismounted whether or not it is granted.
        storage.DeviceIoControl(volume.Get(), platform::FSCTL_ALLOW_EXTENDED_DASD_IO, nullptr, 0,
                                nullptr, 0, &returned);
        debug(QStringLiteral("完成."));
        state.LockedVolumeHandles.push_back(volume.Release());
    }
    return true;
}

void ReleaseDiskVolumes(AppState& state, platform::StorageApi& storage) {
    for (const platform::Handle handle : state.LockedVolumeHandles) storage.CloseHandle(handle);
    state.LockedVolumeHandles.clear();
}

}  // namespace cendrix
