#include "platform/linux/device_commands.h"

#include <linux/hdreg.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstring>

#include "platform/linux/errno_map.h"
#include "platform/linux/storage_records.h"
#include "platform/linux/sysfs.h"

namespace cendrix::platform::linux_backend {

namespace {

// A drive that spins up for the command may take a while.
constexpr unsigned kCommandTimeoutMs = 30000;

int SendSg(int fd, const std::uint8_t* cdb, unsigned char cdbLength, int direction, void* data,
           unsigned length, std::uint8_t* sense, unsigned char senseLength, sg_io_hdr_t& io) {
    std::memset(&io, 0, sizeof io);
    io.interface_id = 'S';
    io.cmd_len = cdbLength;
    io.cmdp = const_cast<std::uint8_t*>(cdb);
    io.dxfer_direction = direction;
    io.dxferp = data;
    io.dxfer_len = length;
    io.sbp = sense;
    io.mx_sb_len = senseLength;
    io.timeout = kCommandTimeoutMs;
    return ::ioctl(fd, SG_IO, &io) == 0 ? 0 : errno;
}

}  // namespace

bool SgIoAvailable(int fd) {
    int version = 0;
    return ::ioctl(fd, SG_GET_VERSION_NUM, &version) == 0 && version >= 30000;
}

AtaOutcome RunAtaPassThrough(int fd, const IdeRegisters& regs, AtaProtocol protocol,
                             std::uint8_t* sector, int* errnoOut) {
    *errnoOut = 0;
    const auto cdb = Ata16Cdb(regs, protocol);
    std::uint8_t data[kAtaSectorSize] = {};
    std::uint8_t sense[64] = {};
    sg_io_hdr_t io;
    const bool dataIn = protocol == AtaProtocol::PioDataIn;
    const int error = SendSg(fd, cdb.data(), static_cast<unsigned char>(cdb.size()),
                             dataIn ? SG_DXFER_FROM_DEV : SG_DXFER_NONE, dataIn ? data : nullptr,
                             dataIn ? kAtaSectorSize : 0, sense, sizeof sense, io);
    AtaOutcome outcome;
    if (error != 0) {
        *errnoOut = error;
        outcome.error = Win32ErrorFromErrno(error);
        return outcome;
    }
    outcome = JudgeAtaPassThrough(SgStatus{io.status, io.host_status, io.driver_status, sense,
                                           io.sb_len_wr});
    if (outcome.error == 0 && dataIn) std::memcpy(sector, data, kAtaSectorSize);
    return outcome;
}

int HdioIdentify(int fd, std::uint8_t* sector) {
    std::uint8_t identity[kAtaSectorSize] = {};
    if (::ioctl(fd, HDIO_GET_IDENTITY, identity) == 0) {
        RestoreIdentifyTextOrder(identity);
        std::memcpy(sector, identity, kAtaSectorSize);
        return 0;
    }
    // HDIO_DRIVE_CMD: command, sector number, feature, sector count; the
    // answer puts status, error and count first, then the data.
    std::uint8_t args[4 + kAtaSectorSize] = {0xEC, 0, 0, 1};
    if (::ioctl(fd, HDIO_DRIVE_CMD, args) == 0) {
        std::memcpy(sector, args + 4, kAtaSectorSize);
        return 0;
    }
    return errno;
}

std::string InquirySerial(int fd) {
    const std::uint8_t cdb[6] = {0x12, 0x01, 0x80, 0x00, 0xFC, 0x00};  // INQUIRY, EVPD, page 0x80
    std::uint8_t page[252] = {};
    std::uint8_t sense[32] = {};
    sg_io_hdr_t io;
    if (SendSg(fd, cdb, sizeof cdb, SG_DXFER_FROM_DEV, page, sizeof page, sense, sizeof sense, io) != 0 ||
        (io.status & 0xFE) != 0 || io.host_status != 0 || (io.driver_status & 0x0F) != 0) {
        return {};
    }
    const int got = static_cast<int>(sizeof page) - io.resid;
    if (got < 4) return {};
    return SerialFromVpd80(std::string(reinterpret_cast<const char*>(page), static_cast<std::size_t>(got)));
}

}  // namespace cendrix::platform::linux_backend
