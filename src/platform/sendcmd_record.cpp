#include "platform/sendcmd_record.h"

#include "platform/byte_order.h"

namespace cendrix::platform {

std::optional<SendCmdIn> ParseSendCmdIn(const std::uint8_t* in, std::size_t size) {
    if (in == nullptr || size < kSendCmdInHeaderSize) return std::nullopt;
    SendCmdIn request;
    request.bufferSize = LoadLe32(in);
    request.regs.features = in[4];
    request.regs.sectorCount = in[5];
    request.regs.sectorNumber = in[6];
    request.regs.cylLow = in[7];
    request.regs.cylHigh = in[8];
    request.regs.driveHead = in[9];
    request.regs.command = in[10];
    request.driveNumber = in[12];
    return request;
}

}  // namespace cendrix::platform
