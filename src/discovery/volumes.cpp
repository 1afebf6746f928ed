#include "discovery/volumes.h"

#include <vector>

#include "platform/byte_order.h"
#include "platform/control_codes.h"
#include "platform/unique_handle.h"
#include "shell/logs.h"
#include "shell/text_format.h"

namespace cendrix {

void ListDriveLetters(platform::StorageApi& storage, DriveNameList& list) {
    list.fill(QString());
    constexpr std::uint32_t kCapacity = 1024;
    std::vector<char16_t> buffer(kCapacity, u'\0');
    const std::uint32_t count = storage.GetLogicalDriveStringsW(kCapacity, buffer.data());
    if (count == 0 || count >= kCapacity) return;
    std::size_t slot = 0;
    std::uint32_t position = 0;
    while (position <= count && buffer[position] != u'\0' && slot < list.size()) {
        std::uint32_t end = position;
        while (end < kCapacity && buffer[end] != u'\0') ++end;
        QString name = QString::fromUtf16(buffer.data() + position, end - position);
        position += static_cast<std::uint32_t>(name.size()) + 1;
        if (name.endsWith(QLatin1Char('\\'))) name.chop(1);
        list[slot++] = name;
    }
}

void QueryDeviceNumber(platform::StorageApi& storage, const QString& drive, VolumeDeviceInfo& info) {
    info = VolumeDeviceInfo{};
    const QString path = QStringLiteral("\\\\.\\") + drive;
    platform::UniqueHandle volume(
        storage, storage.CreateFileW(path.toStdU16String(), 0,
                                     platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE,
                                     platform::OPEN_EXISTING, 0));
    if (!volume) return;
    std::vector<std::uint8_t> answer(1024, 0);
    std::uint32_t returned = 0;
    if (storage.DeviceIoControl(volume.Get(), platform::IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0,
                                answer.data(), static_cast<std::uint32_t>(answer.size()), &returned)) {
        info.DeviceType = platform::LoadLe32(answer.data());
        info.DeviceNumber = platform::LoadLe32(answer.data() + 4);
        info.PartitionNumber = platform::LoadLe32(answer.data() + 8);
        info.Found = true;
    }
}

bool VolumeOnDisk(const VolumeDeviceInfo& info, std::int64_t diskNumber) {
    return info.Found && static_cast<std::int64_t>(info.DeviceNumber) == diskNumber &&
           info.DeviceType == platform::FILE_DEVICE_DISK;
}

QString FoundVolumeLine(const QString& drive, const VolumeDeviceInfo& info) {
    return QStringLiteral("找到分区") + drive + QStringLiteral("   ") +
           QStringLiteral("   设备类型:       ") + QString::number(info.DeviceType) +
           QStringLiteral("   设备编号:         ") + QString::number(info.DeviceNumber) +
           QStringLiteral("   分区:        ") + QString::number(info.PartitionNumber);
}

bool WalkVolumes(platform::StorageApi& storage, const std::function<void(const QString&)>& progress,
                 const std::function<bool(const QString& drive, const VolumeDeviceInfo& info)>& visit) {
    progress(QStringLiteral("正在寻找分区..."));
    DriveNameList drives;
    ListDriveLetters(storage, drives);
    progress(QStringLiteral("完成."));
    for (const QString& drive : drives) {
        if (drive.isEmpty()) continue;
        progress(QStringLiteral("正在获取设备数据..."));
        VolumeDeviceInfo info;
        QueryDeviceNumber(storage, drive, info);
        progress(QStringLiteral("完成."));
        if (info.Found && !visit(drive, info)) return false;
    }
    return true;
}

QString FindDiskPartitions(platform::StorageApi& storage, Logs& logs, bool debugMode,
                           std::int64_t diskNumber) {
    QString result;
    WalkVolumes(
        storage, [&](const QString& line) { if (debugMode) logs.AddFormatLog(line); },
        [&](const QString& drive, const VolumeDeviceInfo& info) {
            logs.AddDebugLog(FoundVolumeLine(drive, info));
            if (VolumeOnDisk(info, diskNumber)) result += drive + QLatin1Char(' ');
            return true;
        });
    return TrimBlanks(result);
}

}  // namespace cendrix
