// The ATA commands of the SMART requests, carried to a Linux disk as SCSI
// ATA PASS-THROUGH (16) commands through SG_IO. These pure pieces read the
// SENDCMDINPARAMS record the core sends, decide whether the backend passes
// the command on at all, build the command block, judge the answer and lay
// it out as the SENDCMDOUTPARAMS record the core reads.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/sendcmd_record.h"

namespace cendrix::platform::linux_backend {

// The SAT protocol field values this backend uses.
enum class AtaProtocol : std::uint8_t { NonData = 3, PioDataIn = 4 };

struct AtaPlan {
    std::uint32_t error = 0;  // a Windows error code when the request is refused
    AtaProtocol protocol = AtaProtocol::NonData;
    bool DataIn() const { return protocol == AtaProtocol::PioDataIn; }
};

// Only the commands the program needs reach the disk: IDENTIFY DEVICE and
// the SMART subcommands READ DATA, READ THRESHOLDS (data in, one sector),
// ENABLE, DISABLE and RETURN STATUS (no data). Anything else, a SMART
// command without its 0x4F/0xC2 signature, or a data command without room
// for its sector, is refused before anything is sent.
AtaPlan PlanSmartRequest(std::uint32_t controlCode, const SendCmdIn& request);

// The ATA PASS-THROUGH (16) command block: 28-bit registers (no extend),
// the protocol, and for data-in a transfer of sector-count blocks from the
// device.
std::array<std::uint8_t, 16> Ata16Cdb(const IdeRegisters& regs, AtaProtocol protocol);

// What SG_IO reported for a pass-through command.
struct SgStatus {
    std::uint8_t status = 0;        // SCSI status byte
    std::uint16_t hostStatus = 0;
    std::uint16_t driverStatus = 0;
    const std::uint8_t* sense = nullptr;
    std::size_t senseLength = 0;
};

struct AtaOutcome {
    std::uint32_t error = 0;        // 0 on success, else a Windows error code
    std::uint8_t ataError = 0;      // the ATA error register, where the answer told it
    std::uint8_t ataStatus = 0;
};

AtaOutcome JudgeAtaPassThrough(const SgStatus& sg);

// SENDCMDOUTPARAMS: cBufferSize (512 with data, else 0), DRIVERSTATUS with
// the ATA error register, then the sector when there is one.
std::vector<std::uint8_t> SendCmdOutRecord(const std::uint8_t* sector, const AtaOutcome& outcome);

// The miniport identify request: an SRB_IO_CONTROL header ("SCSIDISK",
// IOCTL_SCSI_MINIPORT_IDENTIFY) followed by SENDCMDINPARAMS for IDENTIFY.
inline constexpr std::size_t kSrbHeaderSize = 28;
inline constexpr std::size_t kMiniportIdentifySize = 572;
bool IsMiniportIdentify(const std::uint8_t* in, std::size_t size);
// The 572-byte answer: the request's header, then SENDCMDOUTPARAMS with the
// sector at 44..555.
std::vector<std::uint8_t> MiniportIdentifyAnswer(const std::uint8_t* header, const std::uint8_t* sector);

}  // namespace cendrix::platform::linux_backend
