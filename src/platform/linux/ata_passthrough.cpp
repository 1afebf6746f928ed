#include "platform/linux/ata_passthrough.h"

#include <algorithm>
#include <cstring>

#include "platform/byte_order.h"
#include "platform/control_codes.h"
#include "platform/win32_errors.h"

namespace cendrix::platform::linux_backend {

namespace {

constexpr std::uint8_t kAtaIdentify = 0xEC;
constexpr std::uint8_t kAtaSmart = 0xB0;
constexpr std::uint8_t kSmartReadData = 0xD0;
constexpr std::uint8_t kSmartReadThresholds = 0xD1;
constexpr std::uint8_t kSmartEnable = 0xD8;
constexpr std::uint8_t kSmartDisable = 0xD9;
constexpr std::uint8_t kSmartReturnStatus = 0xDA;

constexpr std::uint8_t kAtaPassThrough16 = 0x85;

// SCSI status, host and driver codes of SG_IO.
constexpr std::uint8_t kStatusGood = 0x00;
constexpr std::uint8_t kStatusCheckCondition = 0x02;
constexpr std::uint8_t kStatusBusy = 0x08;
constexpr std::uint8_t kStatusReservationConflict = 0x18;
constexpr std::uint16_t kHostNoConnect = 0x01;
constexpr std::uint16_t kHostTimeOut = 0x03;
constexpr std::uint16_t kHostBadTarget = 0x04;
constexpr std::uint16_t kDriverTimeout = 0x06;
constexpr std::uint16_t kDriverSense = 0x08;

// Sense keys.
constexpr std::uint8_t kNoSense = 0x0;
constexpr std::uint8_t kRecoveredError = 0x1;
constexpr std::uint8_t kNotReady = 0x2;
constexpr std::uint8_t kIllegalRequest = 0x5;

constexpr std::uint8_t kAtaStatusErr = 0x01;

struct Sense {
    std::uint8_t key = 0;
    std::uint8_t asc = 0;
    std::uint8_t ascq = 0;
    bool hasAta = false;
    std::uint8_t ataError = 0;
    std::uint8_t ataStatus = 0;
};

Sense ReadSense(const std::uint8_t* s, std::size_t length) {
    Sense sense;
    if (s == nullptr || length < 4) return sense;
    const std::uint8_t response = s[0] & 0x7F;
    if (response == 0x72 || response == 0x73) {
        // Descriptor format; the ATA Status Return descriptor (type 9)
        // carries the registers.
        sense.key = s[1] & 0x0F;
        sense.asc = s[2];
        sense.ascq = s[3];
        const std::size_t end = length < 8 ? length : std::min<std::size_t>(length, 8u + s[7]);
        for (std::size_t at = 8; at + 2 <= end;) {
            const std::uint8_t type = s[at];
            const std::size_t size = 2u + s[at + 1];
            if (type == 0x09 && at + 14 <= end) {
                sense.hasAta = true;
                sense.ataError = s[at + 3];
                sense.ataStatus = s[at + 13];
            }
            at += size;
        }
    } else if ((response == 0x70 || response == 0x71) && length >= 14) {
        // Fixed format; the information field holds error and status.
        sense.key = s[2] & 0x0F;
        sense.asc = s[12];
        sense.ascq = s[13];
        sense.hasAta = sense.asc == 0x00 && sense.ascq == 0x1D;
        sense.ataError = s[3];
        sense.ataStatus = s[4];
    }
    return sense;
}

}  // namespace

AtaPlan PlanSmartRequest(std::uint32_t controlCode, const SendCmdIn& request) {
    AtaPlan plan;
    const IdeRegisters& r = request.regs;
    bool dataIn = false;
    if (r.command == kAtaIdentify) {
        if (controlCode != SMART_RCV_DRIVE_DATA) plan.error = ERROR_INVALID_FUNCTION;
        dataIn = true;
    } else if (r.command == kAtaSmart && r.cylLow == 0x4F && r.cylHigh == 0xC2) {
        switch (r.features) {
            case kSmartReadData:
            case kSmartReadThresholds:
                dataIn = true;
                break;
            case kSmartEnable:
            case kSmartDisable:
            case kSmartReturnStatus:
                if (controlCode != SMART_SEND_DRIVE_COMMAND) plan.error = ERROR_INVALID_FUNCTION;
                break;
            default:
                plan.error = ERROR_INVALID_FUNCTION;
        }
    } else {
        plan.error = ERROR_INVALID_FUNCTION;
    }
    if (plan.error != 0) return plan;
    if (dataIn) {
        // One sector, into the 512 bytes the request said it has room for.
        if (request.bufferSize < kAtaSectorSize) plan.error = ERROR_INSUFFICIENT_BUFFER;
        else if (r.sectorCount != 1) plan.error = ERROR_INVALID_PARAMETER;
        plan.protocol = AtaProtocol::PioDataIn;
    }
    return plan;
}

std::array<std::uint8_t, 16> Ata16Cdb(const IdeRegisters& regs, AtaProtocol protocol) {
    std::array<std::uint8_t, 16> cdb{};
    cdb[0] = kAtaPassThrough16;
    cdb[1] = static_cast<std::uint8_t>(static_cast<std::uint8_t>(protocol) << 1);  // extend 0
    if (protocol == AtaProtocol::PioDataIn) {
        // T_DIR from the device, BYT_BLOK blocks, T_LENGTH in the sector
        // count field.
        cdb[2] = 0x08 | 0x04 | 0x02;
    }
    cdb[4] = regs.features;
    cdb[6] = regs.sectorCount;
    cdb[8] = regs.sectorNumber;
    cdb[10] = regs.cylLow;
    cdb[12] = regs.cylHigh;
    cdb[13] = regs.driveHead;
    cdb[14] = regs.command;
    return cdb;
}

AtaOutcome JudgeAtaPassThrough(const SgStatus& sg) {
    AtaOutcome outcome;
    if (sg.hostStatus == kHostTimeOut || (sg.driverStatus & 0x0F) == kDriverTimeout) {
        outcome.error = ERROR_SEM_TIMEOUT;
        return outcome;
    }
    if (sg.hostStatus == kHostNoConnect || sg.hostStatus == kHostBadTarget) {
        outcome.error = ERROR_DEV_NOT_EXIST;
        return outcome;
    }
    const std::uint16_t driver = sg.driverStatus & 0x0F;
    if (sg.hostStatus != 0 || (driver != 0 && driver != kDriverSense)) {
        outcome.error = ERROR_IO_DEVICE;
        return outcome;
    }
    switch (sg.status & 0xFE) {
        case kStatusGood:
            return outcome;
        case kStatusBusy:
        case kStatusReservationConflict:
            outcome.error = ERROR_BUSY;
            return outcome;
        case kStatusCheckCondition:
            break;
        default:
            outcome.error = ERROR_IO_DEVICE;
            return outcome;
    }
    const Sense sense = ReadSense(sg.sense, sg.senseLength);
    outcome.ataError = sense.ataError;
    outcome.ataStatus = sense.ataStatus;
    if (sense.key == kNoSense || sense.key == kRecoveredError) {
        // "ATA pass-through information available": the command finished
        // and the registers came back; it failed only if the drive said so.
        if (sense.hasAta && (sense.ataStatus & kAtaStatusErr) != 0) outcome.error = ERROR_IO_DEVICE;
        return outcome;
    }
    if (sense.key == kIllegalRequest) outcome.error = ERROR_INVALID_FUNCTION;
    else if (sense.key == kNotReady) outcome.error = ERROR_NOT_READY;
    else outcome.error = ERROR_IO_DEVICE;
    return outcome;
}

std::vector<std::uint8_t> SendCmdOutRecord(const std::uint8_t* sector, const AtaOutcome& outcome) {
    std::vector<std::uint8_t> record(kSendCmdOutHeaderSize + (sector != nullptr ? kAtaSectorSize : 0), 0);
    record[5] = outcome.ataError;  // DRIVERSTATUS.bIDEError
    if (sector != nullptr) {
        StoreLe32(record.data(), static_cast<std::uint32_t>(kAtaSectorSize));
        std::memcpy(record.data() + kSendCmdOutHeaderSize, sector, kAtaSectorSize);
    }
    return record;
}

bool IsMiniportIdentify(const std::uint8_t* in, std::size_t size) {
    if (in == nullptr || size < kSrbHeaderSize + kSendCmdInHeaderSize) return false;
    if (std::memcmp(in + 4, "SCSIDISK", 8) != 0) return false;
    if (LoadLe32(in + 16) != IOCTL_SCSI_MINIPORT_IDENTIFY) return false;
    const auto request = ParseSendCmdIn(in + kSrbHeaderSize, size - kSrbHeaderSize);
    return request && request->regs.command == kAtaIdentify;
}

std::vector<std::uint8_t> MiniportIdentifyAnswer(const std::uint8_t* header, const std::uint8_t* sector) {
    std::vector<std::uint8_t> answer(kMiniportIdentifySize, 0);
    std::memcpy(answer.data(), header, kSrbHeaderSize);
    StoreLe32(answer.data() + 20, 0);  // ReturnCode
    const std::vector<std::uint8_t> out = SendCmdOutRecord(sector, AtaOutcome{});
    std::memcpy(answer.data() + kSrbHeaderSize, out.data(), out.size());
    return answer;
}

}  // namespace cendrix::platform::linux_backend
