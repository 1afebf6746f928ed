// The IDENTIFY DEVICE data of a disk, decoded into what the details report
// shows: identity texts, addressable capacity and feature flags.
#pragma once

#include <QString>
#include <array>
#include <cstdint>

namespace cendrix {

struct T_IDE_PASSPORT {
    QString name;                            // model number
    QString fw;                              // firmware revision
    QString sn;                              // serial number
    bool lba28support = false;
    bool lba48support = false;               // and more sectors through it than through 28 bits
    std::int64_t lba28sectors = 0;
    std::int64_t lba48sectors = 0;
    std::int64_t lbasectors = 0;             // the count used for the total capacity
    std::uint8_t readmultiplesectors = 0;
    bool securitysupport = false;
    bool locked = false;                     // a user password is set
    bool lockedmax = false;                  // security level Maximum (false: High)
    bool hpasupport = false;
    bool smartsupport = false;
    bool smartenabled = false;
    bool aamsupport = false;
    bool dmasupport = false;                 // DMA supported and the Ultra DMA word valid
    std::uint8_t dmamodesupport = 0;         // highest Ultra DMA mode supported
    std::uint8_t dmamodeselected = 0;        // Ultra DMA mode selected
    bool isremovable = false;                // not decoded: always false
    bool ispacket = false;                   // not decoded: always false
    std::uint32_t buffersize = 0;            // bytes
    std::int64_t sectorsize = 0;             // always 512 once decoded
    bool QueueSupported = false;
    std::int64_t QueueDepth = 0;             // word 75 as reported: the depth less one
    bool StreamingSupported = false;
};

// Decodes the 512 bytes of IDENTIFY DEVICE data. Any 512 bytes decode to
// some record; the input is only read.
T_IDE_PASSPORT DecodeIdentifyData(const std::array<std::uint8_t, 512>& data);

}  // namespace cendrix
