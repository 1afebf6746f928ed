// Commands sent to a disk through its open node: SCSI commands through
// SG_IO, and the legacy HDIO identify of libata disks.
#pragma once

#include <cstdint>
#include <string>

#include "platform/linux/ata_passthrough.h"

namespace cendrix::platform::linux_backend {

// Whether the node takes SG_IO requests at all.
bool SgIoAvailable(int fd);

// One ATA command as ATA PASS-THROUGH (16). For data-in, `sector` receives
// the 512 bytes. When the ioctl itself fails, `errnoOut` holds its errno
// and the outcome's error the matching Windows code.
AtaOutcome RunAtaPassThrough(int fd, const IdeRegisters& regs, AtaProtocol protocol,
                             std::uint8_t* sector, int* errnoOut);

// IDENTIFY DEVICE data, as the drive sent it, through HDIO_GET_IDENTITY
// (libata's copy of it), or failing that an IDENTIFY sent with
// HDIO_DRIVE_CMD. Returns 0 or the errno of the last try.
int HdioIdentify(int fd, std::uint8_t* sector);

// The serial of VPD page 0x80 through INQUIRY, or empty.
std::string InquirySerial(int fd);

}  // namespace cendrix::platform::linux_backend
