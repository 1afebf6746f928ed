// The Windows storage records a backend answers with (geometry, length,
// adapter and device descriptors, SMART version, device number), built from
// what the backend knows of a disk. Both the Linux backend and the
// simulated machine answer with these, so each layout is written once.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cendrix::platform {

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

// GETVERSIONINPARAMS (24 bytes): IDENTIFY and SMART supported, with the
// channel map `ideDeviceMap` (0x01: the primary channel's master).
std::vector<std::uint8_t> SmartVersionRecord(std::uint8_t ideDeviceMap = 0x01);

// STORAGE_DEVICE_NUMBER (12 bytes).
std::vector<std::uint8_t> DeviceNumberRecord(std::uint32_t deviceType, std::uint32_t number,
                                             std::uint32_t partition);

}  // namespace cendrix::platform
