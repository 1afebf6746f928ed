#include "platform/storage_records.h"

#include <algorithm>

#include "platform/byte_order.h"

namespace cendrix::platform {

namespace {

constexpr std::uint32_t kHeads = 255;
constexpr std::uint32_t kSectorsPerTrack = 63;
constexpr std::uint32_t kRemovableMedia = 11;
constexpr std::uint32_t kFixedMedia = 12;
constexpr std::size_t kDeviceDescriptorHeader = 36;

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

std::vector<std::uint8_t> SmartVersionRecord(std::uint8_t ideDeviceMap) {
    std::vector<std::uint8_t> record(24, 0);
    record[0] = 1;  // bVersion
    record[1] = 1;  // bRevision
    record[3] = ideDeviceMap;
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

}  // namespace cendrix::platform
