#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli/commands.h"
#include "discovery/chooser_rules.h"
#include "shell/text_format.h"

namespace cendrix::cli {

namespace {

QJsonObject EntryJson(const AppState& state, std::int64_t index, const QLocale& locale) {
    const TDeviceTable& e = state.DeviceTables[index];
    const TIdentifyDeviceData& d = e.IdentifyData;
    QJsonObject o;
    o.insert("index", static_cast<qint64>(index));
    o.insert("deviceNumber", static_cast<qint64>(e.DeviceNumber));
    o.insert("devicePath", e.DevicePath);
    o.insert("bus", BusTypeName(d.BusType));
    o.insert("busType", static_cast<qint64>(d.BusType));
    o.insert("model", d.Model);
    o.insert("firmware", d.FW);
    o.insert("serial", d.SN);
    o.insert("lba", static_cast<qint64>(d.LBA));
    o.insert("sectorSize", static_cast<qint64>(d.SectorSize));
    o.insert("capacity", FormatCapacity(d.LBA * d.SectorSize, locale));
    o.insert("partitions", e.AssociatedPartitions);
    o.insert("caption", DeviceCaption(state.DeviceTables, index, locale));
    o.insert("removable", d.RemovableMedia);
    o.insert("slave", d.IsIDESlave != 0);
    o.insert("maxSectorsTransfer", static_cast<qint64>(d.MaximumSectorsTransfer));
    return o;
}

}  // namespace

int RunList(Session& session, const QStringList& args) {
    bool json = false;
    for (const QString& arg : args) {
        if (arg == QLatin1String("--json")) {
            json = true;
        } else {
            PrintError(QStringLiteral("cendrix-cli list: unknown argument \"%1\"").arg(arg));
            return kExitUsage;
        }
    }
    if (!Enumerate(session)) return kExitFatal;
    const AppState& state = session.state;
    const QLocale& locale = session.logs.Locale();
    if (json) {
        QJsonArray entries;
        for (std::int64_t i = 1; i <= state.DeviceCount; ++i) entries.append(EntryJson(state, i, locale));
        PrintLine(QString::fromUtf8(QJsonDocument(entries).toJson(QJsonDocument::Indented)).trimmed());
        return kExitOk;
    }
    for (std::int64_t i = 1; i <= state.DeviceCount; ++i) {
        const TDeviceTable& e = state.DeviceTables[i];
        const auto columns = ChooserColumns(e, locale);
        PrintLine(QStringLiteral("[%1]  ").arg(e.DeviceNumber) + QStringList(columns.begin(), columns.end()).join(QStringLiteral(" | ")));
    }
    return kExitOk;
}

}  // namespace cendrix::cli
