// Which lettered volumes lie on which disk: a volume belongs to disk N when
// the storage stack reports it on a disk device (type 7) numbered N.
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <functional>

#include "platform/storage_api.h"

namespace cendrix {

class Logs;

// Drive names in the order the system lists them ("C:", no trailing
// backslash); unused slots are empty.
using DriveNameList = std::array<QString, 128>;

struct VolumeDeviceInfo {
    bool Found = false;
    std::uint32_t DeviceType = 0;
    std::uint32_t DeviceNumber = 0;
    std::uint32_t PartitionNumber = 0;
};

void ListDriveLetters(platform::StorageApi& storage, DriveNameList& list);

void QueryDeviceNumber(platform::StorageApi& storage, const QString& drive, VolumeDeviceInfo& info);

// Whether a volume that answered lies on disk `diskNumber`.
bool VolumeOnDisk(const VolumeDeviceInfo& info, std::int64_t diskNumber);

// The line that names a volume that answered its device-number query.
QString FoundVolumeLine(const QString& drive, const VolumeDeviceInfo& info);

// Walks the lettered volumes: lists the drive names, asks each for its
// device number and hands every volume that answered to `visit`, which
// returns false to end the walk there. `progress` receives the narration
// ("正在寻找分区...", "完成.", and per drive "正在获取设备数据...", "完成.");
// the caller decides where it goes. False when `visit` ended the walk.
bool WalkVolumes(platform::StorageApi& storage, const std::function<void(const QString&)>& progress,
                 const std::function<bool(const QString& drive, const VolumeDeviceInfo& info)>& visit);

// The drive names of the volumes on disk N, separated by single blanks
// ("C: E:"), or an empty text.
QString FindDiskPartitions(platform::StorageApi& storage, Logs& logs, bool debugMode,
                           std::int64_t diskNumber);

}  // namespace cendrix
