#include "smart/smart_report.h"

#include <cstdint>

#include "ata/ata_transport.h"
#include "shell/app_state.h"
#include "shell/logs.h"
#include "shell/text_format.h"
#include "smart/smart_catalogue.h"

namespace cendrix {

namespace {

// The attribute table of the SMART data sector: up to 30 entries of 12
// bytes from offset 2; an identifier 0 ends it early.
constexpr int kFirstEntry = 2;
constexpr int kEntrySize = 12;
constexpr int kMaxEntries = 30;
constexpr int kTemperatureAttribute = 194;

const QString kBlankLine = QStringLiteral(" ");

// Reads the data sector the way the disk's bus needs it. ATA-bus drivers
// want SMART switched on first; it is switched off again afterwards (also
// when switching on failed) unless the drive had it on when it was opened,
// so that the report does not take failure prediction away from the user.
bool ReadSmartSector(const AppState& state, platform::StorageApi& storage, AtaSector& data) {
    const TIdentifyDeviceData& entry = state.Selected().IdentifyData;
    const platform::Handle handle = state.DeviceHandle.Get();
    const std::uint8_t drive = entry.IsIDESlave;
    if (entry.BusType != kBusTypeAta) return SmartReadData(storage, handle, drive, data);
    bool ok = SmartEnableOperations(storage, handle, drive);
    if (ok) ok = SmartReadData(storage, handle, drive, data);
    if (!state.SmartEnabledAtStart.value_or(false)) SmartDisableOperations(storage, handle, drive);
    return ok;
}

// The 48-bit raw value, least significant byte first.
std::uint64_t RawValue(const std::uint8_t* entry) {
    std::uint64_t raw = 0;
    for (int b = 5; b >= 0; --b) raw = (raw << 8) | entry[5 + b];
    return raw;
}

QString AttributeRow(const std::uint8_t* entry) {
    const int id = entry[0];
    QString row = QStringLiteral(" ") + PadRight(QString::number(id), 3) + QStringLiteral("  ") +
                  QStringLiteral("%1").arg(id, 2, 16, QLatin1Char('0')).toUpper() + QStringLiteral("  ") +
                  SmartAttributeName(id) + QStringLiteral("     ") + PadLeft(QString::number(entry[3]), 5) +
                  QStringLiteral("  ") + PadLeft(QString::number(entry[4]), 7) + QStringLiteral("  ") +
                  PadLeft(QString::number(RawValue(entry)), 16);
    if (id == kTemperatureAttribute) {
        // The first raw byte is the current temperature in degrees Celsius.
        row += QStringLiteral("  (") + QString::number(entry[5]) + QStringLiteral(" 度) ");
    }
    return row;
}

}  // namespace

QString PadRight(const QString& text, int width) {
    return text.size() >= width ? text : text + QString(width - text.size(), QLatin1Char(' '));
}

QString PadLeft(const QString& text, int width) {
    return text.size() >= width ? text : QString(width - text.size(), QLatin1Char(' ')) + text;
}

void SmartReport(AppState& state, platform::StorageApi& storage, Logs& logs) {
    if (!TDeviceTables::ValidIndex(state.SelectedDevice)) return;
    AtaSector data{};

    logs.AddSmartLine(kBlankLine);
    logs.AddSmartLine(QStringLiteral("当前日期和时间:               ") + logs.NowText());
    logs.AddSmartLine(QStringLiteral("SMART 数据       ") +
                      DeviceCaption(state.DeviceTables, state.SelectedDevice, logs.Locale()));
    logs.AddSmartLine(kBlankLine);

    if (!ReadSmartSector(state, storage, data)) {
        logs.AddSmartLine(QStringLiteral("此设备不支持 SMART."));
        return;
    }
    logs.AddSmartLine(QStringLiteral("          属性                             当前      最差             原始       注释"));
    logs.AddSmartLine(QString(88, QLatin1Char('-')));
    for (int k = 0; k < kMaxEntries; ++k) {
        const std::uint8_t* entry = data.data() + kFirstEntry + kEntrySize * k;
        if (entry[0] == 0) break;
        logs.AddSmartLine(AttributeRow(entry));
    }
    logs.AddSmartLine(kBlankLine);
}

}  // namespace cendrix
