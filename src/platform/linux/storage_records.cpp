#include "platform/linux/storage_records.h"

#include <algorithm>

#include "platform/ata_serial.h"
#include "platform/byte_order.h"

namespace cendrix::platform::linux_backend {

namespace {

constexpr std::uint32_t kHeads = 255;
constexpr std::uint32_t kSectorsPerTrack = 63;
constexpr std::uint32_t kRemovableMedia = 11;
constexpr std::uint32_t kFixedMedia = 12;
constexpr std::size_t kDeviceDescriptorHeader = 36;

bool Blank(char c) { return c == ' ' || c == '\0'; }

std::string TrimBlanks(std::string text) {
    while (!text.empty() && Blank(text.back())) text.pop_back();
    const auto first = std::find_if_not(text.begin(), text.end(), Blank);
    text.erase(text.begin(), first);
    return text;
}

}  // namespace

std::vector<std::uint8_t> DiskGeometryRecord(std::uint32_t sectorSize, std::uint64_t length,
                                             bool removable) {
    std::vector<std::uint8_t> record(24, 0);
    const std::uint64_t perCylinder = std::uint64_t{kHeads} * kSectorsPerTrack * std::max(sectorSize, 1u);
    StoreLe64(record.data(), length / perCylinder);
    StoreLe32(record.data() + 8, removable ? kRemovableMedia : kFixedMedia);
    StoreLe32(record.data() + 12, kHeads);
    StoreLe32(record.data() + 16, kSectorsPerTrack);
    StoreLe32(record.data() + 20, sectorSize);
    return record;
}

std::vector<std::uint8_t> LengthRecord(std::uint64_t length) {
    std::vector<std::uint8_t> record(8, 0);
    StoreLe64(record.data(), length);
    return record;
}

std::vector<std::uint8_t> AdapterDescriptorRecord(std::uint32_t maxTransferBytes,
                                                  std::uint32_t maxPhysicalPages,
                                                  std::uint32_t alignmentMask, std::uint8_t busType) {
    std::vector<std::uint8_t> record(32, 0);
    StoreLe32(record.data(), 32);       // Version
    StoreLe32(record.data() + 4, 32);   // Size
    StoreLe32(record.data() + 8, maxTransferBytes);
    StoreLe32(record.data() + 12, maxPhysicalPages);
    StoreLe32(record.data() + 16, alignmentMask);
    record[24] = busType;
    return record;
}

std::vector<std::uint8_t> DeviceDescriptorRecord(const DeviceTexts& texts, bool removable,
                                                 std::uint8_t busType) {
    std::vector<std::uint8_t> record(kDeviceDescriptorHeader, 0);
    StoreLe32(record.data(), static_cast<std::uint32_t>(kDeviceDescriptorHeader));  // Version
    record[8] = 0;  // direct-access device
    record[10] = removable ? 1 : 0;
    StoreLe32(record.data() + 28, busType);
    const std::string* fields[] = {&texts.vendor, &texts.product, &texts.revision, &texts.serial};
    for (int i = 0; i < 4; ++i) {
        if (fields[i]->empty()) continue;
        StoreLe32(record.data() + 12 + 4 * i, static_cast<std::uint32_t>(record.size()));
        record.insert(record.end(), fields[i]->begin(), fields[i]->end());
        record.push_back(0);
    }
    StoreLe32(record.data() + 4, static_cast<std::uint32_t>(record.size()));  // Size
    return record;
}

std::vector<std::uint8_t> SmartVersionRecord() {
    std::vector<std::uint8_t> record(24, 0);
    record[0] = 1;     // bVersion
    record[1] = 1;     // bRevision
    record[3] = 0x01;  // bIDEDeviceMap: the master of the primary channel, never a slave
    StoreLe32(record.data() + 4, 0x1 | 0x4);  // CAP_ATA_ID_CMD | CAP_SMART_CMD
    return record;
}

std::vector<std::uint8_t> DeviceNumberRecord(std::uint32_t deviceType, std::uint32_t number,
                                             std::uint32_t partition) {
    std::vector<std::uint8_t> record(12, 0);
    StoreLe32(record.data(), deviceType);
    StoreLe32(record.data() + 4, number);
    StoreLe32(record.data() + 8, partition);
    return record;
}

std::string IdentifyText(const std::uint8_t* identify, int firstWord, int words) {
    std::string text;
    for (int w = firstWord; w < firstWord + words; ++w) {
        text.push_back(static_cast<char>(identify[2 * w + 1]));
        text.push_back(static_cast<char>(identify[2 * w]));
    }
    return TrimBlanks(std::move(text));
}

void RestoreIdentifyTextOrder(std::uint8_t* identify) {
    // Serial (words 10-19), firmware (23-26) and model (27-46).
    for (int w = 10; w <= 46; ++w) {
        if (w >= 20 && w <= 22) continue;
        std::swap(identify[2 * w], identify[2 * w + 1]);
    }
}

DeviceTexts TextsFromIdentify(const std::uint8_t* identify) {
    DeviceTexts texts;
    texts.product = IdentifyText(identify, 27, 20);
    texts.revision = IdentifyText(identify, 23, 4);
    texts.serial = EncodeSerialAtaOrder(IdentifyText(identify, 10, 10));
    return texts;
}

}  // namespace cendrix::platform::linux_backend
