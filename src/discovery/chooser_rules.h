// What the device chooser shows for each disk and which disks it accepts;
// the desktop chooser and the terminal's disk selection share these rules.
#pragma once

#include <QLocale>
#include <QString>
#include <array>
#include <cstdint>

#include "discovery/device_table.h"

namespace cendrix {

// Disks with fewer sectors than this cannot be chosen.
inline constexpr std::int64_t kMinimumChoosableSectors = 65535;

inline const QString kSmallDiskText = QStringLiteral("无法访问此设备, 因为它小于 65535 个扇区.  ");
inline const QString kSmallDiskCaption = QStringLiteral("无法访问此设备");

bool DiskLargeEnough(const TDeviceTable& entry);

// The six cells of a chooser row: bus, model (with its volumes in
// brackets), firmware, serial, LBA, capacity.
std::array<QString, 6> ChooserColumns(const TDeviceTable& entry, const QLocale& locale = QLocale());

// The column titles, in the same order.
std::array<QString, 6> ChooserColumnTitles();

// The chooser's status text: "找到磁盘:        " and the count.
QString FoundDisksText(std::int64_t deviceCount);

}  // namespace cendrix
