#include "platform/sim/manifest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <cmath>
#include <limits>

#include "platform/control_codes.h"
#include "platform/sim/sim_sectors.h"
#include "platform/sim/sim_storage.h"

namespace cendrix::platform::sim {
namespace {

// A problem found while reading; the loader stops at the first one.
struct Problem {
    QString where;
    QString what;
};

// Reads typed values out of one JSON object, refusing unknown keys and
// values of the wrong type. `where` names the object in messages.
class Fields {
public:
    Fields(const QJsonObject& object, QString where, QStringList known)
        : object_(object), where_(std::move(where)) {
        for (auto it = object.begin(); it != object.end(); ++it) {
            if (!known.contains(it.key())) {
                Fail(it.key(), QStringLiteral("unknown key"));
                break;
            }
        }
    }

    bool Has(const QString& key) const { return object_.contains(key); }
    const std::optional<Problem>& Error() const { return problem_; }
    QString Where(const QString& key) const { return where_.isEmpty() ? key : where_ + "." + key; }
    void Fail(const QString& key, const QString& what) {
        if (!problem_) problem_ = Problem{Where(key), what};
    }

    std::optional<std::int64_t> Integer(const QString& key, std::int64_t min, std::int64_t max) {
        if (!Has(key)) return std::nullopt;
        const QJsonValue v = object_.value(key);
        const double d = v.toDouble();
        if (!v.isDouble() || std::floor(d) != d) {
            Fail(key, QStringLiteral("must be a whole number"));
            return std::nullopt;
        }
        if (d < static_cast<double>(min) || d > static_cast<double>(max)) {
            Fail(key, QStringLiteral("must lie between %1 and %2").arg(min).arg(max));
            return std::nullopt;
        }
        return static_cast<std::int64_t>(d);
    }

    std::optional<bool> Boolean(const QString& key) {
        if (!Has(key)) return std::nullopt;
        const QJsonValue v = object_.value(key);
        if (!v.isBool()) {
            Fail(key, QStringLiteral("must be true or false"));
            return std::nullopt;
        }
        return v.toBool();
    }

    std::optional<QString> Text(const QString& key) {
        if (!Has(key)) return std::nullopt;
        const QJsonValue v = object_.value(key);
        if (!v.isString()) {
            Fail(key, QStringLiteral("must be a text"));
            return std::nullopt;
        }
        return v.toString();
    }

    // A text of single-byte characters (U+0000..U+00FF), each the byte of its code.
    std::optional<std::string> Bytes(const QString& key) {
        auto text = Text(key);
        if (!text) return std::nullopt;
        std::string bytes;
        for (QChar c : *text) {
            if (c.unicode() > 0xFF) {
                Fail(key, QStringLiteral("may hold only characters U+0000 to U+00FF"));
                return std::nullopt;
            }
            bytes.push_back(static_cast<char>(c.unicode()));
        }
        return bytes;
    }

    std::optional<QJsonArray> Array(const QString& key) {
        if (!Has(key)) return std::nullopt;
        const QJsonValue v = object_.value(key);
        if (!v.isArray()) {
            Fail(key, QStringLiteral("must be an array"));
            return std::nullopt;
        }
        return v.toArray();
    }

    std::optional<QJsonObject> Object(const QString& key) {
        if (!Has(key)) return std::nullopt;
        const QJsonValue v = object_.value(key);
        if (!v.isObject()) {
            Fail(key, QStringLiteral("must be an object"));
            return std::nullopt;
        }
        return v.toObject();
    }

    std::optional<VolumeAnswer> Answer(const QString& key) {
        auto text = Text(key);
        if (!text) return std::nullopt;
        if (*text == QLatin1String("refuse")) return VolumeAnswer::Refuse;
        if (*text == QLatin1String("accept")) return VolumeAnswer::Accept;
        Fail(key, QStringLiteral("must be \"refuse\" or \"accept\""));
        return std::nullopt;
    }

    QJsonValue Value(const QString& key) const { return object_.value(key); }

private:
    QJsonObject object_;
    QString where_;
    std::optional<Problem> problem_;
};

constexpr std::int64_t kMaxU32 = std::numeric_limits<std::uint32_t>::max();
constexpr std::int64_t kMaxSize = std::int64_t{1} << 53;  // exact in JSON numbers

class Reader {
public:
    explicit Reader(QString folder) : folder_(std::move(folder)) {}

    std::optional<Problem> problem;

    bool Take(const Fields& fields) {
        if (fields.Error() && !problem) problem = fields.Error();
        return !problem;
    }
    void Fail(const QString& where, const QString& what) {
        if (!problem) problem = Problem{where, what};
    }

    QString Resolve(const QString& path) const {
        return QDir::cleanPath(QDir(folder_).absoluteFilePath(path));
    }

    std::optional<Sector> SectorFile(const QString& where, const QString& path) {
        QFile file(Resolve(path));
        if (!file.open(QIODevice::ReadOnly)) {
            Fail(where, QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString()));
            return std::nullopt;
        }
        const QByteArray bytes = file.readAll();
        if (bytes.size() != 512) {
            Fail(where, QStringLiteral("%1 holds %2 bytes, not 512").arg(file.fileName()).arg(bytes.size()));
            return std::nullopt;
        }
        Sector s{};
        std::copy(bytes.begin(), bytes.end(), s.begin());
        return s;
    }

    std::vector<FaultRange> Faults(Fields& disk, const QString& key) {
        std::vector<FaultRange> faults;
        const auto array = disk.Array(key);
        if (!Take(disk) || !array) return faults;
        for (int i = 0; i < array->size(); ++i) {
            const QString where = disk.Where(key) + QStringLiteral("[%1]").arg(i);
            if (!array->at(i).isObject()) {
                Fail(where, QStringLiteral("must be an object"));
                return faults;
            }
            Fields f(array->at(i).toObject(), where, {"offset", "length", "code"});
            FaultRange r;
            r.offset = f.Integer("offset", 0, kMaxSize).value_or(0);
            r.length = f.Integer("length", 0, kMaxSize).value_or(1);
            r.code = static_cast<std::uint32_t>(f.Integer("code", 0, kMaxU32).value_or(0));
            if (!f.Has("offset") || !f.Has("code")) f.Fail(f.Has("offset") ? "code" : "offset", "is missing");
            if (!Take(f)) return faults;
            faults.push_back(r);
        }
        return faults;
    }

    std::optional<Sector> Identify(Fields& disk, const Disk& d) {
        const QJsonValue v = disk.Value("identify");
        const QString where = disk.Where("identify");
        if (v.isString()) return SectorFile(where, v.toString());
        if (!v.isObject()) {
            Fail(where, QStringLiteral("must be a file path or an object"));
            return std::nullopt;
        }
        Fields f(v.toObject(), where,
                 {"model", "serial", "firmware", "sectors", "lba", "lba48", "smart", "smartEnabled",
                  "security", "locked", "securityLevel", "hpa", "aam", "streaming", "queueDepth",
                  "udmaSupported", "udmaSelected", "dma", "bufferSize", "readMultiple"});
        IdentifyFields id;
        id.model = f.Bytes("model").value_or(d.product);
        id.serial = f.Bytes("serial").value_or(userSerial_);
        id.firmware = f.Bytes("firmware").value_or(d.revision);
        const std::int64_t logical = d.sectorSize >= 512 ? d.size / d.sectorSize : 0;
        id.sectors = f.Integer("sectors", 0, std::int64_t{1} << 48).value_or(logical);
        id.lba = f.Boolean("lba").value_or(true);
        id.lba48 = f.Boolean("lba48").value_or(true);
        id.smart = f.Boolean("smart").value_or(true);
        id.smartEnabled = f.Boolean("smartEnabled").value_or(true);
        id.security = f.Boolean("security").value_or(false);
        id.locked = f.Boolean("locked").value_or(false);
        if (auto level = f.Text("securityLevel")) {
            if (*level == QLatin1String("maximum")) id.securityMaximum = true;
            else if (*level != QLatin1String("high")) f.Fail("securityLevel", "must be \"high\" or \"maximum\"");
        }
        id.hpa = f.Boolean("hpa").value_or(true);
        id.aam = f.Boolean("aam").value_or(false);
        id.streaming = f.Boolean("streaming").value_or(false);
        id.queueDepth = static_cast<std::uint16_t>(f.Integer("queueDepth", 0, 0xFFFF).value_or(0));
        id.udmaSupported = static_cast<int>(f.Integer("udmaSupported", -1, 6).value_or(6));
        id.udmaSelected = static_cast<int>(f.Integer("udmaSelected", -1, 6).value_or(id.udmaSupported));
        id.dma = f.Boolean("dma").value_or(true);
        id.bufferBytes = static_cast<std::uint32_t>(f.Integer("bufferSize", 0, 0xFFFF * 512).value_or(0));
        id.readMultiple = static_cast<std::uint8_t>(f.Integer("readMultiple", 0, 255).value_or(16));
        if (!Take(f)) return std::nullopt;
        return BuildIdentifySector(id);
    }

    std::optional<Sector> Smart(Fields& disk) {
        const QJsonValue v = disk.Value("smart");
        const QString where = disk.Where("smart");
        if (v.isString()) return SectorFile(where, v.toString());
        if (!v.isObject()) {
            Fail(where, QStringLiteral("must be a file path or an object"));
            return std::nullopt;
        }
        Fields f(v.toObject(), where, {"attributes"});
        const auto list = f.Array("attributes");
        if (!Take(f)) return std::nullopt;
        std::vector<SmartAttribute> attributes;
        const QJsonArray array = list.value_or(QJsonArray{});
        if (array.size() > 30) {
            Fail(f.Where("attributes"), QStringLiteral("holds %1 entries; the table has room for 30").arg(array.size()));
            return std::nullopt;
        }
        for (int i = 0; i < array.size(); ++i) {
            const QString at = f.Where("attributes") + QStringLiteral("[%1]").arg(i);
            if (!array.at(i).isObject()) {
                Fail(at, QStringLiteral("must be an object"));
                return std::nullopt;
            }
            Fields a(array.at(i).toObject(), at, {"id", "flags", "current", "worst", "raw"});
            SmartAttribute attr;
            attr.id = static_cast<std::uint8_t>(a.Integer("id", 1, 255).value_or(0));
            attr.flags = static_cast<std::uint16_t>(a.Integer("flags", 0, 0xFFFF).value_or(0x000F));
            attr.current = static_cast<std::uint8_t>(a.Integer("current", 0, 255).value_or(100));
            attr.worst = static_cast<std::uint8_t>(a.Integer("worst", 0, 255).value_or(attr.current));
            attr.raw = static_cast<std::uint64_t>(a.Integer("raw", 0, (std::int64_t{1} << 48) - 1).value_or(0));
            if (!a.Has("id")) a.Fail("id", "is missing");
            if (!Take(a)) return std::nullopt;
            attributes.push_back(attr);
        }
        return BuildSmartSector(attributes);
    }

    std::optional<Disk> ReadDisk(const QJsonValue& value, int index) {
        const QString where = QStringLiteral("disks[%1]").arg(index);
        if (!value.isObject()) {
            Fail(where, QStringLiteral("must be an object"));
            return std::nullopt;
        }
        Fields f(value.toObject(), where,
                 {"number", "image", "size", "sectorSize", "bus", "maxTransfer", "vendor", "product",
                  "revision", "serial", "serialRaw", "removable", "slave", "openFails", "inUse",
                  "geometryError", "lengthError", "deviceQueryError", "identify", "smart", "refuse",
                  "answerBytes", "writeErrors", "seekErrors", "removeAfterBytes", "punchZeros",
                  "writeDelayMs"});
        Disk d;
        const auto number = f.Integer("number", 0, 255);
        if (!f.Has("number")) f.Fail("number", "is missing");
        d.number = static_cast<std::uint32_t>(number.value_or(0));
        const auto size = f.Integer("size", std::numeric_limits<std::int64_t>::min() / 2, kMaxSize);
        if (!f.Has("size")) f.Fail("size", "is missing");
        d.size = size.value_or(0);
        d.sectorSize = static_cast<std::uint32_t>(f.Integer("sectorSize", 0, 65536).value_or(512));
        const auto image = f.Text("image");
        d.imagePath = Resolve(image.value_or(QStringLiteral("disk%1.img").arg(d.number))).toStdString();
        if (auto bus = f.Integer("bus", 0, 255)) d.bus = static_cast<std::uint8_t>(*bus);
        d.maxTransfer = static_cast<std::uint32_t>(f.Integer("maxTransfer", 0, kMaxU32).value_or(131072));
        d.vendor = f.Bytes("vendor").value_or("");
        d.product = f.Bytes("product").value_or("");
        d.revision = f.Bytes("revision").value_or("");
        userSerial_ = f.Bytes("serial").value_or("");
        if (f.Has("serial") && f.Has("serialRaw")) f.Fail("serialRaw", "cannot stand beside serial");
        d.serialRaw = f.Has("serialRaw") ? f.Bytes("serialRaw").value_or("") : EncodeSerialAtaOrder(userSerial_);
        d.removable = f.Boolean("removable").value_or(false);
        d.slave = f.Boolean("slave").value_or(false);
        d.openFails = f.Boolean("openFails").value_or(false);
        d.inUse = f.Boolean("inUse").value_or(false);
        d.punchZeros = f.Boolean("punchZeros").value_or(false);
        d.writeDelayMs = static_cast<std::uint32_t>(f.Integer("writeDelayMs", 0, 60000).value_or(0));
        if (auto e = f.Integer("geometryError", 0, kMaxU32)) d.geometryError = static_cast<std::uint32_t>(*e);
        if (auto e = f.Integer("lengthError", 0, kMaxU32)) d.lengthError = static_cast<std::uint32_t>(*e);
        if (auto e = f.Integer("deviceQueryError", 0, kMaxU32)) d.deviceQueryError = static_cast<std::uint32_t>(*e);
        if (auto e = f.Integer("removeAfterBytes", 0, kMaxSize)) d.removeAfterBytes = *e;
        if (!Take(f)) return std::nullopt;

        if (d.size < 0) {
            Fail(f.Where("size"), QStringLiteral("must not be negative"));
            return std::nullopt;
        }
        if (d.sectorSize > 0 && d.size % d.sectorSize != 0) {
            Fail(f.Where("size"), QStringLiteral("%1 is not a multiple of the sector size %2")
                                      .arg(d.size).arg(d.sectorSize));
            return std::nullopt;
        }
        if (const auto refuse = f.Array("refuse")) {
            for (int i = 0; i < refuse->size(); ++i) {
                const auto code = ControlCodeByName(refuse->at(i).toString().toStdString());
                if (!refuse->at(i).isString() || !code) {
                    Fail(f.Where("refuse") + QStringLiteral("[%1]").arg(i),
                         QStringLiteral("must name a control code such as SMART_GET_VERSION"));
                    return std::nullopt;
                }
                d.refuse.insert(*code);
            }
        }
        if (const auto answers = f.Object("answerBytes")) {
            for (auto it = answers->begin(); it != answers->end(); ++it) {
                const auto code = ControlCodeByName(it.key().toStdString());
                const double n = it.value().toDouble();
                if (!code) {
                    Fail(f.Where("answerBytes." + it.key()), QStringLiteral("is not a control code name"));
                    return std::nullopt;
                }
                if (!it.value().isDouble() || std::floor(n) != n || n < 0 || n > kMaxU32) {
                    Fail(f.Where("answerBytes." + it.key()), QStringLiteral("must be a byte count"));
                    return std::nullopt;
                }
                d.answerBytes[*code] = static_cast<std::uint32_t>(n);
            }
        }
        if (!Take(f)) return std::nullopt;
        d.writeErrors = Faults(f, "writeErrors");
        d.seekErrors = Faults(f, "seekErrors");
        if (problem) return std::nullopt;
        if (f.Has("identify")) {
            d.identify = Identify(f, d);
            if (problem) return std::nullopt;
        }
        if (f.Has("smart")) {
            d.smart = Smart(f);
            if (problem) return std::nullopt;
        }
        return d;
    }

    std::optional<Volume> ReadVolume(const QJsonValue& value, int index) {
        const QString where = QStringLiteral("volumes[%1]").arg(index);
        if (!value.isObject()) {
            Fail(where, QStringLiteral("must be an object"));
            return std::nullopt;
        }
        Fields f(value.toObject(), where,
                 {"name", "deviceType", "deviceNumber", "partition", "openFails", "lock", "dismount",
                  "extendedIo"});
        Volume v;
        const auto name = f.Text("name");
        if (!f.Has("name")) f.Fail("name", "is missing");
        else if (name && name->isEmpty()) f.Fail("name", "must not be empty");
        v.name = name.value_or(QString()).toStdString();
        v.deviceType = static_cast<std::uint32_t>(f.Integer("deviceType", 0, kMaxU32).value_or(7));
        v.deviceNumber = static_cast<std::uint32_t>(f.Integer("deviceNumber", 0, kMaxU32).value_or(0));
        v.partition = static_cast<std::uint32_t>(f.Integer("partition", 0, kMaxU32).value_or(1));
        v.openFails = f.Boolean("openFails").value_or(false);
        v.lock = f.Answer("lock").value_or(VolumeAnswer::Accept);
        v.dismount = f.Answer("dismount").value_or(VolumeAnswer::Accept);
        v.extendedIo = f.Answer("extendedIo").value_or(VolumeAnswer::Accept);
        if (!Take(f)) return std::nullopt;
        return v;
    }

private:
    QString folder_;
    std::string userSerial_;
};

QString Message(const QString& file, const Problem& p) {
    return QStringLiteral("%1: %2: %3").arg(file, p.where, p.what);
}

}  // namespace

ManifestResult ParseManifest(const QByteArray& json, const QString& folder,
                             const QString& nameForMessages) {
    ManifestResult result;
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        result.error = QStringLiteral("%1: not valid JSON at offset %2: %3")
                           .arg(nameForMessages).arg(parseError.offset).arg(parseError.errorString());
        return result;
    }
    if (!doc.isObject()) {
        result.error = QStringLiteral("%1: the manifest must be a JSON object").arg(nameForMessages);
        return result;
    }
    Reader reader(folder);
    Fields top(doc.object(), QString(), {"disks", "volumes"});
    const auto disks = top.Array("disks");
    const auto volumes = top.Array("volumes");
    if (!reader.Take(top)) {
        result.error = Message(nameForMessages, *reader.problem);
        return result;
    }
    Machine machine;
    QSet<std::uint32_t> numbers;
    QSet<QString> images;
    const QJsonArray diskArray = disks.value_or(QJsonArray{});
    for (int i = 0; i < diskArray.size(); ++i) {
        auto disk = reader.ReadDisk(diskArray.at(i), i);
        if (!disk) break;
        if (numbers.contains(disk->number)) {
            reader.Fail(QStringLiteral("disks[%1].number").arg(i),
                        QStringLiteral("disk %1 is listed twice").arg(disk->number));
            break;
        }
        const QString image = QString::fromStdString(disk->imagePath);
        if (images.contains(image)) {
            reader.Fail(QStringLiteral("disks[%1].image").arg(i),
                        QStringLiteral("%1 backs another disk already").arg(image));
            break;
        }
        numbers.insert(disk->number);
        images.insert(image);
        machine.disks.push_back(std::move(*disk));
    }
    const QJsonArray volumeArray = volumes.value_or(QJsonArray{});
    for (int i = 0; !reader.problem && i < volumeArray.size(); ++i) {
        auto volume = reader.ReadVolume(volumeArray.at(i), i);
        if (!volume) break;
        machine.volumes.push_back(std::move(*volume));
    }
    if (reader.problem) {
        result.error = Message(nameForMessages, *reader.problem);
        return result;
    }
    result.machine = std::move(machine);
    return result;
}

ManifestResult LoadManifest(const QString& path) {
    ManifestResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("%1: cannot be read: %2").arg(path, file.errorString());
        return result;
    }
    const QString folder = QFileInfo(path).absolutePath();
    result = ParseManifest(file.readAll(), folder, path);
    if (!result.machine) return result;
    std::string problem = CheckImagesCreatable(*result.machine);
    if (problem.empty()) problem = PrepareImages(*result.machine);
    if (!problem.empty()) {
        result.machine.reset();
        result.error = QStringLiteral("%1: %2").arg(path, QString::fromStdString(problem));
    }
    return result;
}

}  // namespace cendrix::platform::sim
