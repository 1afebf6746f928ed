// SENDCMDINPARAMS, the record that carries one ATA command to a disk in the
// SMART requests, as the backends read it. The core builds it byte by byte
// (src/ata); every backend that answers those requests reads it here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace cendrix::platform {

// The first seven bytes of IDEREGS.
struct IdeRegisters {
    std::uint8_t features = 0;
    std::uint8_t sectorCount = 0;
    std::uint8_t sectorNumber = 0;  // LBA low
    std::uint8_t cylLow = 0;        // LBA mid
    std::uint8_t cylHigh = 0;       // LBA high
    std::uint8_t driveHead = 0;     // device register
    std::uint8_t command = 0;
};

struct SendCmdIn {
    std::uint32_t bufferSize = 0;
    IdeRegisters regs;
    std::uint8_t driveNumber = 0;
};

// Offsets of the fields in SENDCMDINPARAMS; a request carries at least the
// 32 bytes before its data byte.
inline constexpr std::size_t kSendCmdInHeaderSize = 32;
// SENDCMDOUTPARAMS: cBufferSize and DRIVERSTATUS before the data.
inline constexpr std::size_t kSendCmdOutHeaderSize = 16;
inline constexpr std::size_t kAtaSectorSize = 512;

std::optional<SendCmdIn> ParseSendCmdIn(const std::uint8_t* in, std::size_t size);

}  // namespace cendrix::platform
