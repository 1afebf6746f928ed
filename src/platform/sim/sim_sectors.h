// Builds realistic IDENTIFY DEVICE and SMART READ DATA sectors from a few
// named fields, so that a manifest need not carry raw sectors.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/sim/sim_machine.h"

namespace cendrix::platform::sim {

struct IdentifyFields {
    std::string model;
    std::string serial;
    std::string firmware;
    std::int64_t sectors = 0;          // user-addressable logical sectors
    bool lba = true;                   // LBA supported (word 49 bit 9)
    bool lba48 = true;                 // 48-bit Address feature set (word 83 bit 10)
    bool smart = true;
    bool smartEnabled = true;
    bool security = false;
    bool locked = false;               // a user password is set
    bool securityMaximum = false;      // security level Maximum (else High)
    bool hpa = true;
    bool aam = false;
    bool streaming = false;
    std::uint16_t queueDepth = 0;      // word 75 as the device reports it (depth - 1)
    int udmaSupported = 6;             // highest Ultra DMA mode, -1 for none
    int udmaSelected = 6;              // selected Ultra DMA mode, -1 for none
    bool dma = true;
    std::uint32_t bufferBytes = 0;     // word 21 × 512
    std::uint8_t readMultiple = 16;
};

struct SmartAttribute {
    std::uint8_t id = 0;
    std::uint16_t flags = 0x000F;
    std::uint8_t current = 0;
    std::uint8_t worst = 0;
    std::uint64_t raw = 0;             // 48 bits, least significant byte first in the sector
};

Sector BuildIdentifySector(const IdentifyFields& fields);

// At most 30 attributes fit the table; later ones are not stored.
Sector BuildSmartSector(const std::vector<SmartAttribute>& attributes);

}  // namespace cendrix::platform::sim
