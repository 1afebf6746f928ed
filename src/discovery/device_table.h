// The device table: the one picture of the machine's disks, filled once by
// the enumeration and read by everything after the choice.
#pragma once

#include <QString>
#include <array>
#include <cstdint>

namespace cendrix {

// Identity of one disk as the storage stack reports it.
struct TIdentifyDeviceData {
    QString Model;                          // vendor + " " + product, or "存储设备"
    QString FW;                             // revision, or "0000"
    QString SN;                             // serial after the probe's repairs, or "000000"
    std::int64_t LBA = 0;                   // sectors; 0 when the sector size is below 512
    std::int64_t SectorSize = 0;            // bytes per sector, at least 512
    std::int64_t BusType = 0;               // storage bus type; 201 when the adapter was silent
    std::int64_t MaximumSectorsTransfer = 0;
    bool RemovableMedia = false;
    std::uint8_t IsIDESlave = 0;            // 1 for the slave on an ATA channel
};

struct TDeviceTable {
    QString DevicePath;                     // \\.\PhysicalDriveN
    std::uint32_t DeviceNumber = 0;         // N
    TIdentifyDeviceData IdentifyData;
    bool IsFile = false;                    // never set: always false
    QString FilePath;                       // never set: always empty
    std::int64_t FileSize = 0;              // never set: always 0
    bool IsCompressed = false;              // never set: always false
    QString FileVersion;                    // never set: always empty
    QString AssociatedPartitions;           // drive names of the disk's volumes, "C: E:"
};

// Sixteen entries indexed 1..16; index 0 does not exist.
class TDeviceTables {
public:
    static constexpr std::int64_t kFirst = 1;
    static constexpr std::int64_t kLast = 16;

    static bool ValidIndex(std::int64_t index) { return index >= kFirst && index <= kLast; }

    // The index must be valid (1..16).
    TDeviceTable& operator[](std::int64_t index) { return entries_.at(Slot(index)); }
    const TDeviceTable& operator[](std::int64_t index) const { return entries_.at(Slot(index)); }

private:
    static std::size_t Slot(std::int64_t index) {
        // An index outside 1..16 maps past the end and makes at() refuse it.
        return ValidIndex(index) ? static_cast<std::size_t>(index - kFirst) : std::size_t{kLast};
    }
    std::array<TDeviceTable, 16> entries_{};
};

// The enumeration stops once this many entries are filled (slot 16 stays empty).
inline constexpr std::int64_t kMaxTableEntries = 15;

}  // namespace cendrix
