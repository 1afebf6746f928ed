// Single ATA commands (IDENTIFY DEVICE and three SMART subcommands) carried
// to an open disk through the storage stack's pass-through requests. The
// transport keeps no state, writes no log line and shows nothing: every
// operation builds its request records afresh, answers success or failure,
// and fills the caller's 512-byte buffer only when it succeeds.
#pragma once

#include <array>
#include <cstdint>

#include "platform/storage_api.h"

namespace cendrix {

// The 512-byte data sector that a data command returns.
using AtaSector = std::array<std::uint8_t, 512>;

// The register set handed to the low-level operations, in the order of the
// first seven bytes of the IDEREGS record.
struct AtaRegisters {
    std::uint8_t features = 0;      // SMART subcommand; 0 for IDENTIFY DEVICE
    std::uint8_t sectorCount = 0;
    std::uint8_t sectorNumber = 0;  // LBA bits 0-7
    std::uint8_t cylinderLow = 0;   // LBA bits 8-15
    std::uint8_t cylinderHigh = 0;  // LBA bits 16-23
    std::uint8_t driveHead = 0;     // 0xA0 | (drive << 4)
    std::uint8_t command = 0;       // ATA command code
};

// The storage bus type code of a parallel ATA adapter: its drivers are the
// ones that may need a command repeated or SMART switched on before a read.
inline constexpr std::int64_t kBusTypeAta = 3;

// Drives 0..15 fit the drive/head register; the channel's master is 0 and
// its slave 1.
inline constexpr std::uint8_t kMaxAtaDrive = 15;

// 0xA0 for drive 0, 0xB0 for drive 1.
constexpr std::uint8_t DriveHeadFor(std::uint8_t drive) {
    return static_cast<std::uint8_t>(0xA0 | (drive << 4));
}

// A command without a data phase (SMART_SEND_DRIVE_COMMAND); true when the
// request was accepted.
bool SmartSendNoData(platform::StorageApi& storage, platform::Handle handle, std::uint8_t drive,
                     const AtaRegisters& registers);

// A command that returns one 512-byte sector, through SMART_RCV_DRIVE_DATA
// or SMART_SEND_DRIVE_COMMAND. True when at least 512 bytes came back; the
// last 512 of them are copied into `data`.
bool SmartReceiveSector(platform::StorageApi& storage, platform::Handle handle, std::uint8_t drive,
                        const AtaRegisters& registers, AtaSector& data);
bool SmartSendSector(platform::StorageApi& storage, platform::Handle handle, std::uint8_t drive,
                     const AtaRegisters& registers, AtaSector& data);

bool SmartEnableOperations(platform::StorageApi& storage, platform::Handle handle, std::uint8_t drive);
bool SmartDisableOperations(platform::StorageApi& storage, platform::Handle handle, std::uint8_t drive);

// SMART READ DATA: through SMART_RCV_DRIVE_DATA, then, when that brought no
// sector, through SMART_SEND_DRIVE_COMMAND.
bool SmartReadData(platform::StorageApi& storage, platform::Handle handle, std::uint8_t drive,
                   AtaSector& data);

// IDENTIFY DEVICE: through the SMART requests (when SMART_GET_VERSION
// answers), then through the SCSI miniport.
bool IdentifyDevice(platform::StorageApi& storage, platform::Handle handle, std::uint8_t drive,
                    AtaSector& data);

}  // namespace cendrix
