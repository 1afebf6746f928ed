#include "discovery/enumeration.h"

#include "discovery/probe.h"
#include "discovery/volumes.h"
#include "platform/unique_handle.h"
#include "shell/app_state.h"
#include "shell/logs.h"

namespace cendrix {

QString PhysicalDrivePath(unsigned number) {
    return QStringLiteral("\\\\.\\PhysicalDrive") + QString::number(number);
}

EnumerationResult EnumerateDevices(AppState& state, platform::StorageApi& storage, Logs& logs) {
    EnumerationResult result;
    // One identity record for the whole walk: a failed probe leaves the last
    // good disk's model and serial in it, and its status line shows them.
    TIdentifyDeviceData identity;
    for (unsigned n = 0; n <= 255 && state.DeviceCount < kMaxTableEntries; ++n) {
        const QString path = PhysicalDrivePath(n);
        logs.AddDebugLog(QStringLiteral("正在尝试设备 ") + path);
        platform::UniqueHandle disk(
            storage, storage.CreateFileW(path.toStdU16String(), platform::GENERIC_READ,
                                         platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE,
                                         platform::OPEN_EXISTING, 0));
        if (!disk) {
            logs.AddDebugLog(QStringLiteral("无效句柄，正在跳过"));
            continue;
        }
        logs.AddDebugLog(QStringLiteral("正在识别设备..."));
        const ProbeResult probe = ProbeDevice(storage, logs, disk.Get(), identity);
        if (probe.Fatal()) {
            result.fatalError = probe.fatalError;
            return result;
        }
        const bool status = probe.code == 0;
        logs.AddDebugLog(QStringLiteral("完成. 状态 =       ") +
                         (status ? QStringLiteral("-1") : QStringLiteral("0")) + QStringLiteral("; ") +
                         identity.Model + QStringLiteral("  ") + identity.SN);
        logs.AddDebugLog(QStringLiteral("正在获取分区信息..."));
        const QString partitions = FindDiskPartitions(storage, logs, state.DebugMode, n);
        logs.AddDebugLog(QStringLiteral("分区:         ") + partitions);
        if (status) {
            state.DeviceCount += 1;
            TDeviceTable& entry = state.DeviceTables[state.DeviceCount];
            entry.DevicePath = path;
            entry.DeviceNumber = n;
            entry.IdentifyData = identity;
            entry.IsFile = false;
            entry.FilePath.clear();
            entry.FileSize = 0;
            entry.IsCompressed = false;
            entry.FileVersion.clear();
            entry.AssociatedPartitions = partitions;
        }
    }
    return result;
}

}  // namespace cendrix
