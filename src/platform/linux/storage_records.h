// The Windows records the Linux backend answers with, built from what it
// learned from the kernel. Pure functions, so each layout is checked by a
// test without a disk.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cendrix::platform::linux_backend {

// DISK_GEOMETRY (24 bytes) in a conventional 255-head, 63-sector layout;
// the core reads only BytesPerSector.
std::vector<std::uint8_t> DiskGeometryRecord(std::uint32_t sectorSize, std::uint64_t length,
                                             bool removable);

// GET_LENGTH_INFORMATION (8 bytes).
std::vector<std::uint8_t> LengthRecord(std::uint64_t length);

// STORAGE_ADAPTER_DESCRIPTOR (32 bytes).
std::vector<std::uint8_t> AdapterDescriptorRecord(std::uint32_t maxTransferBytes,
                                                  std::uint32_t maxPhysicalPages,
                                                  std::uint32_t alignmentMask, std::uint8_t busType);

// The identity texts of a STORAGE_DEVICE_DESCRIPTOR, as bytes (each byte a
// character). `serial` is already in ATA byte order.
struct DeviceTexts {
    std::string vendor;
    std::string product;
    std::string revision;
    std::string serial;
};

// STORAGE_DEVICE_DESCRIPTOR: the 36-byte header, then each non-empty text
// NUL-terminated, its offset in the header (0 for an empty text).
std::vector<std::uint8_t> DeviceDescriptorRecord(const DeviceTexts& texts, bool removable,
                                                 std::uint8_t busType);

// GETVERSIONINPARAMS (24 bytes) of a single drive that is its channel's
// master: IDENTIFY and SMART supported.
std::vector<std::uint8_t> SmartVersionRecord();

// STORAGE_DEVICE_NUMBER (12 bytes).
std::vector<std::uint8_t> DeviceNumberRecord(std::uint32_t deviceType, std::uint32_t number,
                                             std::uint32_t partition);

// A text of an IDENTIFY DEVICE sector: `words` words from `firstWord`, each
// word holding its first character in the high byte; trailing blanks and
// NULs removed, leading ones too.
std::string IdentifyText(const std::uint8_t* identify, int firstWord, int words);

// HDIO_GET_IDENTITY hands the model, firmware and serial over with their
// characters in reading order, not as the drive sent them; this puts them
// back into IDENTIFY order so that the sector reads like one from the drive.
void RestoreIdentifyTextOrder(std::uint8_t* identify);

// The texts Windows reports for an ATA disk from its IDENTIFY data: no
// vendor, the 40-character model, the firmware revision, the serial.
DeviceTexts TextsFromIdentify(const std::uint8_t* identify);

}  // namespace cendrix::platform::linux_backend
