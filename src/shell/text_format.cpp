#include "shell/text_format.h"

#include "discovery/device_table.h"

namespace cendrix {

QString GroupThousands(std::int64_t value) {
    const QString digits = QString::number(value);
    if (digits.size() <= 4) return digits;
    QString result;
    int k = 0;
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        result.prepend(digits[i]);
        ++k;
        if (k % 3 == 0) result.prepend(QLatin1Char(','));
    }
    if (result.startsWith(QLatin1Char(','))) result.remove(0, 1);
    // A negative number may leave "-," at its front.
    if (result.startsWith(QLatin1String("-,"))) result.remove(1, 1);
    return result;
}

QString FormatCapacity(std::int64_t bytes, const QLocale& locale) {
    auto number = [&locale](double value) {
        QString text = QString::number(value, 'g', 15);
        text.replace(QLatin1Char('.'), locale.decimalPoint());
        return text;
    };
    if (bytes < 99999) return QString::number(bytes) + QStringLiteral(" 字节");
    if (bytes < 9999999) return number(static_cast<double>(bytes / 10 * 10) / 1000.0) + QStringLiteral(" KB");
    if (bytes < 9999999999) {
        return number(static_cast<double>(bytes / 10000 * 10000) / 1000000.0) + QStringLiteral(" MB");
    }
    return number(static_cast<double>(bytes / 10000000 * 10000000) / 1000000000.0) + QStringLiteral(" GB");
}

QString DeviceCaption(const TDeviceTables& table, std::int64_t index, const QLocale& locale) {
    const TDeviceTable& e = table[index];
    const TIdentifyDeviceData& d = e.IdentifyData;
    return QStringLiteral("[") + QString::number(e.DeviceNumber) + QStringLiteral("]  ") +
           TrimControl(d.Model) + QStringLiteral("    ") + TrimControl(d.FW) + QStringLiteral("    [") +
           FormatCapacity(d.LBA * d.SectorSize, locale) + QStringLiteral("]    (") +
           QString::number(d.LBA) + QStringLiteral(" ") + QString::number(d.SectorSize) +
           QStringLiteral("-字节扇区)");
}

QString BusTypeName(std::int64_t code) {
    switch (static_cast<std::uint32_t>(code)) {
        case 1: return QStringLiteral("SCSI");
        case 2: return QStringLiteral("ATAPI");
        case 3: return QStringLiteral("ATA");
        case 4: return QStringLiteral("IEEE 1394");
        case 5: return QStringLiteral("SSA");
        case 6: return QStringLiteral("FIBRE");
        case 7: return QStringLiteral("USB");
        case 8: return QStringLiteral("RAID");
        case 9: return QStringLiteral("ISCSI");
        case 10: return QStringLiteral("SAS");
        case 11: return QStringLiteral("SATA");
        case 12: return QStringLiteral("SD");
        case 13: return QStringLiteral("MMC");
        case 14: return QStringLiteral("VIRTUAL");
        case 15: return QStringLiteral("FBVIRTUAL");
        case 200: return QStringLiteral("IMAGE");
        case 201: return QStringLiteral("FLASH");
        default: return QStringLiteral("未知");
    }
}

namespace {

template <typename Drop>
QString TrimEnds(const QString& text, Drop drop) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && drop(text[first])) ++first;
    while (last > first && drop(text[last - 1])) --last;
    return text.mid(first, last - first);
}

}  // namespace

QString TrimControl(const QString& text) {
    return TrimEnds(text, [](QChar c) { return c.unicode() <= 32; });
}

QString TrimBlanks(const QString& text) {
    return TrimEnds(text, [](QChar c) { return c == QLatin1Char(' '); });
}

}  // namespace cendrix
