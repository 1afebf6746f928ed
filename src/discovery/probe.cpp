#include "discovery/probe.h"

#include <array>

#include "platform/byte_order.h"
#include "platform/control_codes.h"
#include "shell/logs.h"
#include "shell/text_format.h"

namespace cendrix {
namespace {

using platform::StorageApi;
using WorkBuffer = std::array<std::uint8_t, 512>;

QString StatusText(bool ok) { return ok ? QStringLiteral("-1") : QStringLiteral("0"); }

// The bytes of a NUL-terminated text at `offset` in a device descriptor,
// read no further than the descriptor's Size field and the buffer.
QByteArray DescriptorBytes(const WorkBuffer& buffer, std::uint32_t offset) {
    QByteArray bytes;
    if (offset == 0) return bytes;
    const std::uint32_t size = platform::LoadLe32(buffer.data() + 4);
    for (std::uint32_t i = offset; i <= size && i < buffer.size() && buffer[i] != 0; ++i) {
        bytes.append(static_cast<char>(buffer[i]));
    }
    return bytes;
}

QString DescriptorText(const WorkBuffer& buffer, std::uint32_t offset) {
    return QString::fromLatin1(DescriptorBytes(buffer, offset));
}

QString HexDump(const WorkBuffer& buffer) {
    QString dump = QStringLiteral("缓冲区:    ") + QStringLiteral("512") + QStringLiteral(" 字节") +
                   QLatin1Char('\n');
    for (std::size_t i = 0; i < buffer.size(); ++i) {
        dump += QStringLiteral(" %1").arg(buffer[i], 2, 16, QLatin1Char('0')).toUpper();
        if ((i + 1) % 16 == 0) dump += QLatin1Char('\n');
    }
    return dump;
}

bool IsDigitOrLatinLetterOrNul(QChar c) {
    const char16_t u = c.unicode();
    return u == 0 || (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
}

QChar HexByte(const QString& text, qsizetype high, qsizetype low) {
    const QString pair = QString(text[high]) + text[low];
    return QChar(static_cast<char16_t>(pair.toUInt(nullptr, 16)));
}

}  // namespace

QString RepairHexSerial(const QString& serial, Logs& logs) {
    logs.AddDebugLog(QStringLiteral("正在执行 WinXP SN trick..."));
    QString t = serial.toUpper();
    t.replace(QLatin1Char('_'), QLatin1Char('2'));
    t.replace(QLatin1Char(' '), QLatin1Char('2'));
    if (t.size() != 40) return serial;
    for (QChar c : t) {
        const char16_t u = c.unicode();
        if (!((u >= '0' && u <= '9') || (u >= 'A' && u <= 'F'))) return serial;
    }
    // Each group of four digits holds two characters; step 1 reads them as
    // two bytes in swapped order, step 2 also swaps the digits of each byte.
    logs.AddDebugLog(QStringLiteral("步骤 1..."));
    QString result;
    for (qsizetype k = 0; k < 10; ++k) {
        result += HexByte(t, 4 * k + 2, 4 * k + 3);
        result += HexByte(t, 4 * k, 4 * k + 1);
    }
    bool plain = true;
    for (QChar c : result) plain = plain && IsDigitOrLatinLetterOrNul(c);
    if (!plain) {
        logs.AddDebugLog(QStringLiteral("步骤 2..."));
        result.clear();
        for (qsizetype k = 0; k < 10; ++k) {
            result += HexByte(t, 4 * k + 3, 4 * k + 2);
            result += HexByte(t, 4 * k + 1, 4 * k);
        }
    }
    return TrimControl(result);
}

bool DetectIDESlave(StorageApi& storage, platform::Handle handle) {
    std::array<std::uint8_t, 28> version{};
    std::uint32_t returned = 0;
    if (storage.DeviceIoControl(handle, platform::SMART_GET_VERSION, nullptr, 0, version.data(),
                                static_cast<std::uint32_t>(version.size()), &returned)) {
        // bIDEDeviceMap: bits 1, 3, 5 and 7 mark the slaves of the two channels.
        return (version[3] & 0xAA) != 0;
    }
    WorkBuffer inquiry{};
    if (storage.DeviceIoControl(handle, platform::IOCTL_SCSI_GET_INQUIRY_DATA, nullptr, 0,
                                inquiry.data(), static_cast<std::uint32_t>(inquiry.size()), &returned)) {
        // With one bus, offset 13 is the first device's TargetId.
        return (inquiry[13] & 1) != 0;
    }
    return false;
}

ProbeResult ProbeDevice(StorageApi& storage, Logs& logs, platform::Handle handle,
                        TIdentifyDeviceData& record) {
    ProbeResult result;
    TIdentifyDeviceData local;
    WorkBuffer buffer{};
    std::uint32_t returned = 0;
    const auto size = static_cast<std::uint32_t>(buffer.size());

    // Geometry: the sector size. A failure with error code 0 counts as a
    // sector size of 0.
    logs.AddDebugLog(QStringLiteral("正在获取几何图形..."));
    bool ok = storage.DeviceIoControl(handle, platform::IOCTL_DISK_GET_DRIVE_GEOMETRY, buffer.data(),
                                      size, buffer.data(), size, &returned);
    if (!ok && storage.GetLastError() != 0) return result;
    logs.AddDebugLog(QStringLiteral("完成 ") + StatusText(ok));
    const std::int64_t reportedSectorSize = ok ? platform::LoadLe32(buffer.data() + 20) : 0;
    logs.AddDebugLog(QStringLiteral("扇区大小 =        ") + QString::number(reportedSectorSize));

    // Length in bytes.
    buffer.fill(0);
    logs.AddDebugLog(QStringLiteral("正在获取磁盘长度..."));
    ok = storage.DeviceIoControl(handle, platform::IOCTL_DISK_GET_LENGTH_INFO, buffer.data(), size,
                                 buffer.data(), size, &returned);
    if (!ok) {
        const std::uint32_t error = storage.GetLastError();
        if (error != 0) {
            logs.AddDebugLog(QStringLiteral("访问设备时出错: ") +
                             QString::fromStdU16String(storage.FormatMessageW(error)));
            return result;
        }
    }
    logs.AddDebugLog(QStringLiteral("完成 ") + StatusText(ok));
    const std::int64_t length = ok ? static_cast<std::int64_t>(platform::LoadLe64(buffer.data())) : 0;
    logs.AddDebugLog(QStringLiteral("介质 \"长度\" =        ") + QString::number(length));

    // Adapter: bus type and transfer limit, with defaults when it is silent.
    std::array<std::uint8_t, 12> query{};
    platform::StoreLe32(query.data(), platform::StorageAdapterProperty);
    std::array<std::uint8_t, 32> adapter{};
    buffer.fill(0);
    logs.AddDebugLog(QStringLiteral("正在查询存储属性 (适配器)..."));
    if (storage.DeviceIoControl(handle, platform::IOCTL_STORAGE_QUERY_PROPERTY, query.data(),
                                static_cast<std::uint32_t>(query.size()), buffer.data(), size, &returned)) {
        logs.AddDebugLog(QStringLiteral("完成 ") + StatusText(true));
        std::copy_n(buffer.begin(), adapter.size(), adapter.begin());
    } else {
        logs.AddDebugLog(QStringLiteral("跳过 ") + StatusText(false));
        platform::StoreLe32(adapter.data(), 32);
        platform::StoreLe32(adapter.data() + 4, 32);
        platform::StoreLe32(adapter.data() + 8, 65536);
        platform::StoreLe32(adapter.data() + 12, 1);
        platform::StoreLe32(adapter.data() + 16, 1);
        adapter[24] = 201;
    }

    // Device descriptor: identity texts and the removable flag.
    platform::StoreLe32(query.data(), platform::StorageDeviceProperty);
    buffer.fill(0);
    logs.AddDebugLog(QStringLiteral("正在查询存储属性 (设备)..."));
    ok = storage.DeviceIoControl(handle, platform::IOCTL_STORAGE_QUERY_PROPERTY, query.data(),
                                 static_cast<std::uint32_t>(query.size()), buffer.data(), size, &returned);
    if (!ok) {
        const std::uint32_t error = storage.GetLastError();
        if (error != 0) {
            result.fatalError = QStringLiteral("访问设备时出错: ") +
                                QString::fromStdU16String(storage.FormatMessageW(error));
            return result;
        }
    }
    logs.AddDebugLog(QStringLiteral("完成 ") + StatusText(ok));
    logs.AddDebugLog(HexDump(buffer));

    logs.AddDebugLog(QStringLiteral("正在解析数据..."));
    const QString vendor = TrimControl(DescriptorText(buffer, platform::LoadLe32(buffer.data() + 12))) +
                           QLatin1Char(' ');
    const QString product = TrimControl(DescriptorText(buffer, platform::LoadLe32(buffer.data() + 16)));
    const QString revision = TrimControl(DescriptorText(buffer, platform::LoadLe32(buffer.data() + 20)));
    logs.AddDebugLog(QStringLiteral("供应商 ID:   ") + vendor);
    logs.AddDebugLog(QStringLiteral("产品 ID:     ") + product);
    logs.AddDebugLog(QStringLiteral("产品修订版:           ") + revision);

    // The storage layer hands the serial over in ATA byte order: swap every
    // pair back. NULs inside stay; the trim takes those at the ends.
    std::array<std::uint8_t, 512> serialBytes{};
    const QByteArray rawSerial = DescriptorBytes(buffer, platform::LoadLe32(buffer.data() + 24));
    std::copy(rawSerial.begin(), rawSerial.end(), serialBytes.begin());
    QString serial;
    for (std::size_t k = 0; k < serialBytes.size() / 2; ++k) {
        serial += QChar(static_cast<char16_t>(serialBytes[2 * k + 1]));
        serial += QChar(static_cast<char16_t>(serialBytes[2 * k]));
    }
    serial = TrimControl(serial);
    logs.AddDebugLog(QStringLiteral("序列号:          ") + serial);

    const std::int64_t sectorCount = reportedSectorSize < 512 ? 0 : length / reportedSectorSize;
    logs.AddDebugLog(QStringLiteral("扇区:      ") + QString::number(sectorCount));
    logs.AddDebugLog(QStringLiteral("扇区大小:       ") + QString::number(reportedSectorSize));

    const bool removable = buffer[10] != 0;
    local.BusType = adapter[24];
    if (local.BusType == 3 || local.BusType == 11) {
        local.IsIDESlave = DetectIDESlave(storage, handle) ? 1 : 0;
    }
    local.RemovableMedia = removable;

    const std::int64_t sectorSize = std::max<std::int64_t>(reportedSectorSize, 512);
    const std::int64_t maxTransfer = platform::LoadLe32(adapter.data() + 8);
    local.MaximumSectorsTransfer = std::min<std::int64_t>(maxTransfer / sectorSize, 250);
    logs.AddDebugLog(QStringLiteral("最大传输:        ") + QString::number(local.MaximumSectorsTransfer));

    local.LBA = sectorCount;
    local.SectorSize = sectorSize;
    local.Model = TrimControl(vendor) + QLatin1Char(' ') + product;
    if (TrimControl(local.Model).isEmpty()) local.Model = QStringLiteral("存储设备");
    local.FW = revision.isEmpty() ? QStringLiteral("0000") : revision;
    if (serial.size() == 40) serial = RepairHexSerial(serial, logs);
    local.SN = TrimControl(serial).isEmpty() ? QStringLiteral("000000") : serial;

    record = local;
    result.code = 0;
    return result;
}

}  // namespace cendrix
