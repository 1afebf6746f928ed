#include "ata/ata_transport.h"

#include <algorithm>
#include <cstring>

#include "platform/byte_order.h"
#include "platform/control_codes.h"

namespace cendrix {

namespace {

using platform::StorageApi;

// SENDCMDINPARAMS: cBufferSize, IDEREGS (seven registers and a reserved
// byte), bDriveNumber, reserved bytes, and the first byte of the input data.
constexpr std::uint32_t kCommandRecordSize = 33;
// The request without its data byte, as commands without input data send it.
constexpr std::uint32_t kCommandRequestSize = 32;
// SENDCMDOUTPARAMS: cBufferSize and DRIVERSTATUS precede the data.
constexpr std::uint32_t kAnswerHeaderSize = 16;
constexpr std::uint32_t kSectorSize = 512;
// The answer room each request offers: a status-only answer, a sector answer
// with room to spare for drivers that pad it, and the identify answer of
// exactly header plus sector.
constexpr std::uint32_t kNoDataAnswerSize = 527;
constexpr std::uint32_t kSectorAnswerSize = 1039;
constexpr std::uint32_t kIdentifyAnswerSize = kAnswerHeaderSize + kSectorSize;  // 528
constexpr std::uint32_t kVersionAnswerSize = 28;  // GETVERSIONINPARAMS

// The miniport identify buffer: SRB_IO_CONTROL, then the command record
// whose answer (header and sector) replaces it, then room to spare.
constexpr std::uint32_t kSrbHeaderSize = 28;
constexpr std::uint32_t kSrbLength = kCommandRecordSize - 1 + kSectorSize;  // 544
constexpr std::uint32_t kMiniportBufferSize = kSrbHeaderSize + kSrbLength;  // 572
constexpr std::uint32_t kMiniportTimeoutSeconds = 120;
constexpr std::uint32_t kMiniportDataOffset = kSrbHeaderSize + kAnswerHeaderSize;  // 44
constexpr std::uint32_t kMiniportNeeded = kMiniportDataOffset + kSectorSize;        // 556

constexpr std::uint8_t kSmartCommand = 0xB0;
constexpr std::uint8_t kIdentifyCommand = 0xEC;
constexpr std::uint8_t kSmartReadData = 0xD0;
constexpr std::uint8_t kSmartEnable = 0xD8;
constexpr std::uint8_t kSmartDisable = 0xD9;

using CommandRecord = std::array<std::uint8_t, kCommandRecordSize>;

// Writes a SENDCMDINPARAMS into `at` (which the caller has zeroed).
void PutCommandRecord(std::uint8_t* at, std::uint32_t bufferSize, const AtaRegisters& r,
                      std::uint8_t driveNumber) {
    platform::StoreLe32(at, bufferSize);
    at[4] = r.features;
    at[5] = r.sectorCount;
    at[6] = r.sectorNumber;
    at[7] = r.cylinderLow;
    at[8] = r.cylinderHigh;
    at[9] = r.driveHead;
    at[10] = r.command;
    at[12] = driveNumber;
}

AtaRegisters SmartRegisters(std::uint8_t subcommand, std::uint8_t drive) {
    return AtaRegisters{subcommand, 0x01, 0x01, 0x4F, 0xC2, DriveHeadFor(drive), kSmartCommand};
}

AtaRegisters IdentifyRegisters(std::uint8_t drive) {
    return AtaRegisters{0, 1, 1, 0, 0, DriveHeadFor(drive), kIdentifyCommand};
}

// A drive number whose drive/head value would not fit a byte would address
// some other device; such a command is not sent at all.
bool DriveAddressable(std::uint8_t drive) { return drive <= kMaxAtaDrive; }

bool SectorCommand(StorageApi& storage, platform::Handle handle, std::uint32_t code,
                   std::uint8_t drive, const AtaRegisters& registers, AtaSector& data) {
    if (!DriveAddressable(drive)) return false;
    CommandRecord request{};
    std::array<std::uint8_t, kSectorAnswerSize> answer{};
    PutCommandRecord(request.data(), kSectorSize, registers, drive);
    std::uint32_t returned = 0;
    if (!storage.DeviceIoControl(handle, code, request.data(), kCommandRequestSize, answer.data(),
                                 kSectorAnswerSize, &returned)) {
        return false;
    }
    // A count beyond the buffer cannot be trusted to say where the sector lies.
    if (returned < kSectorSize || returned > kSectorAnswerSize) return false;
    // The sector is the last 512 bytes that came back: after the 16-byte
    // header in the standard answer, at the start from a driver that hands
    // back the bare sector.
    std::copy_n(answer.begin() + (returned - kSectorSize), kSectorSize, data.begin());
    return true;
}

bool IdentifyThroughSmart(StorageApi& storage, platform::Handle handle, std::uint8_t drive,
                          AtaSector& data) {
    std::array<std::uint8_t, kVersionAnswerSize> version{};
    std::uint32_t returned = 0;
    if (!storage.DeviceIoControl(handle, platform::SMART_GET_VERSION, nullptr, 0, version.data(),
                                 kVersionAnswerSize, &returned)) {
        return false;
    }
    CommandRecord request{};
    std::array<std::uint8_t, kIdentifyAnswerSize> answer{};
    // The drive is named by the DEV bit of drive/head alone here.
    PutCommandRecord(request.data(), kSectorSize, IdentifyRegisters(drive), 0);
    if (!storage.DeviceIoControl(handle, platform::SMART_RCV_DRIVE_DATA, request.data(),
                                 kCommandRecordSize, answer.data(), kIdentifyAnswerSize, &returned)) {
        return false;
    }
    // Drivers differ in the count they report; whatever did not come back
    // reads as the zeros the answer started with.
    std::copy_n(answer.begin() + kAnswerHeaderSize, kSectorSize, data.begin());
    return true;
}

bool IdentifyThroughMiniport(StorageApi& storage, platform::Handle handle, std::uint8_t drive,
                             AtaSector& data) {
    std::array<std::uint8_t, kMiniportBufferSize> buffer{};
    platform::StoreLe32(buffer.data(), kSrbHeaderSize);
    std::memcpy(buffer.data() + 4, "SCSIDISK", 8);
    platform::StoreLe32(buffer.data() + 12, kMiniportTimeoutSeconds);
    platform::StoreLe32(buffer.data() + 16, platform::IOCTL_SCSI_MINIPORT_IDENTIFY);
    platform::StoreLe32(buffer.data() + 24, kSrbLength);
    PutCommandRecord(buffer.data() + kSrbHeaderSize, kSectorSize, IdentifyRegisters(drive), drive);
    std::uint32_t returned = 0;
    if (!storage.DeviceIoControl(handle, platform::IOCTL_SCSI_MINIPORT, buffer.data(),
                                 kMiniportBufferSize, buffer.data(), kMiniportBufferSize, &returned)) {
        return false;
    }
    if (returned < kMiniportNeeded) return false;
    std::copy_n(buffer.begin() + kMiniportDataOffset, kSectorSize, data.begin());
    return true;
}

}  // namespace

bool SmartSendNoData(StorageApi& storage, platform::Handle handle, std::uint8_t drive,
                     const AtaRegisters& registers) {
    if (!DriveAddressable(drive)) return false;
    CommandRecord request{};
    std::array<std::uint8_t, kNoDataAnswerSize> answer{};
    PutCommandRecord(request.data(), 0, registers, drive);
    std::uint32_t returned = 0;
    return storage.DeviceIoControl(handle, platform::SMART_SEND_DRIVE_COMMAND, request.data(),
                                   kCommandRequestSize, answer.data(), kNoDataAnswerSize, &returned);
}

bool SmartReceiveSector(StorageApi& storage, platform::Handle handle, std::uint8_t drive,
                        const AtaRegisters& registers, AtaSector& data) {
    return SectorCommand(storage, handle, platform::SMART_RCV_DRIVE_DATA, drive, registers, data);
}

bool SmartSendSector(StorageApi& storage, platform::Handle handle, std::uint8_t drive,
                     const AtaRegisters& registers, AtaSector& data) {
    return SectorCommand(storage, handle, platform::SMART_SEND_DRIVE_COMMAND, drive, registers, data);
}

bool SmartEnableOperations(StorageApi& storage, platform::Handle handle, std::uint8_t drive) {
    return SmartSendNoData(storage, handle, drive, SmartRegisters(kSmartEnable, drive));
}

bool SmartDisableOperations(StorageApi& storage, platform::Handle handle, std::uint8_t drive) {
    return SmartSendNoData(storage, handle, drive, SmartRegisters(kSmartDisable, drive));
}

bool SmartReadData(StorageApi& storage, platform::Handle handle, std::uint8_t drive, AtaSector& data) {
    if (SmartReceiveSector(storage, handle, drive, SmartRegisters(kSmartReadData, drive), data)) {
        return true;
    }
    // Some drivers carry data-in SMART commands only on the send request.
    return SmartSendSector(storage, handle, drive, SmartRegisters(kSmartReadData, drive), data);
}

bool IdentifyDevice(StorageApi& storage, platform::Handle handle, std::uint8_t drive, AtaSector& data) {
    if (!DriveAddressable(drive)) return false;
    if (IdentifyThroughSmart(storage, handle, drive, data)) return true;
    return IdentifyThroughMiniport(storage, handle, drive, data);
}

}  // namespace cendrix
