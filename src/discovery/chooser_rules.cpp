#include "discovery/chooser_rules.h"

#include "shell/text_format.h"

namespace cendrix {

bool DiskLargeEnough(const TDeviceTable& entry) {
    return entry.IdentifyData.LBA >= kMinimumChoosableSectors;
}

std::array<QString, 6> ChooserColumns(const TDeviceTable& entry, const QLocale& locale) {
    const TIdentifyDeviceData& d = entry.IdentifyData;
    QString model = TrimControl(d.Model);
    if (!entry.AssociatedPartitions.isEmpty()) {
        model += QStringLiteral(" (") + entry.AssociatedPartitions + QStringLiteral(")");
    }
    return {BusTypeName(d.BusType), model, d.FW, d.SN, QString::number(d.LBA),
            FormatCapacity(d.LBA * d.SectorSize, locale)};
}

std::array<QString, 6> ChooserColumnTitles() {
    return {QStringLiteral("总线"), QStringLiteral("型号"), QStringLiteral("固件"),
            QStringLiteral("序列号"), QStringLiteral("LBA"), QStringLiteral("容量")};
}

QString FoundDisksText(std::int64_t deviceCount) {
    return QStringLiteral("找到磁盘:        ") + QString::number(deviceCount);
}

}  // namespace cendrix
