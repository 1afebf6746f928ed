#include "platform/sim/sim_sectors.h"

#include <algorithm>

#include "platform/byte_order.h"

namespace cendrix::platform::sim {
namespace {

void SetWord(Sector& s, int word, std::uint16_t value) { StoreLe16(s.data() + 2 * word, value); }
std::uint16_t Word(const Sector& s, int word) { return LoadLe16(s.data() + 2 * word); }

// ATA strings: blank-padded, two characters per word, the first in the high byte.
void SetAtaString(Sector& s, int firstWord, int words, const std::string& text) {
    std::string padded = text.substr(0, static_cast<std::size_t>(words) * 2);
    padded.resize(static_cast<std::size_t>(words) * 2, ' ');
    for (int i = 0; i < words; ++i) {
        s[2 * (firstWord + i)] = static_cast<std::uint8_t>(padded[2 * i + 1]);
        s[2 * (firstWord + i) + 1] = static_cast<std::uint8_t>(padded[2 * i]);
    }
}

// Integrity word: signature A5h and a checksum that makes the sector sum to 0.
void SealIntegrityWord(Sector& s) {
    s[510] = 0xA5;
    std::uint8_t sum = 0;
    for (int i = 0; i < 511; ++i) sum = static_cast<std::uint8_t>(sum + s[i]);
    s[511] = static_cast<std::uint8_t>(-sum);
}

}  // namespace

Sector BuildIdentifySector(const IdentifyFields& f) {
    Sector s{};
    SetWord(s, 0, 0x0040);                      // fixed device, not removable
    SetWord(s, 1, 16383);                       // legacy CHS geometry
    SetWord(s, 3, 16);
    SetWord(s, 6, 63);
    SetAtaString(s, 10, 10, f.serial);
    SetWord(s, 21, static_cast<std::uint16_t>(f.bufferBytes / 512));
    SetAtaString(s, 23, 4, f.firmware);
    SetAtaString(s, 27, 20, f.model);
    SetWord(s, 47, static_cast<std::uint16_t>(0x8000 | f.readMultiple));
    std::uint16_t caps = 0;
    if (f.lba) caps |= 1u << 9;
    if (f.dma) caps |= 1u << 8;
    SetWord(s, 49, caps);
    SetWord(s, 53, 0x0006);                     // words 64-70 and 88 valid
    const std::int64_t sectors28 = std::min<std::int64_t>(f.sectors, 0x0FFFFFFF);
    if (f.lba) {
        SetWord(s, 60, static_cast<std::uint16_t>(sectors28 & 0xFFFF));
        SetWord(s, 61, static_cast<std::uint16_t>((sectors28 >> 16) & 0xFFFF));
    }
    SetWord(s, 75, f.queueDepth);
    SetWord(s, 80, 0x01F0);                     // ATA/ATAPI-4 .. ACS
    SetWord(s, 81, 0x0028);
    std::uint16_t w82 = 0x4000 | (1u << 5) | (1u << 6);  // write cache, look-ahead
    if (f.smart) w82 |= 1u << 0;
    if (f.security) w82 |= 1u << 1;
    if (f.hpa) w82 |= 1u << 10;
    SetWord(s, 82, w82);
    std::uint16_t w83 = 0x4000 | (1u << 12) | (1u << 13);  // FLUSH CACHE (EXT)
    if (f.lba48) w83 |= 1u << 10;
    if (f.aam) w83 |= 1u << 9;
    SetWord(s, 83, w83);
    std::uint16_t w84 = 0x4000;
    if (f.streaming) w84 |= 1u << 4;
    SetWord(s, 84, w84);
    std::uint16_t w85 = Word(s, 82) & ~0x4000u;
    w85 &= ~1u;
    if (f.smart && f.smartEnabled) w85 |= 1u;
    SetWord(s, 85, w85);
    SetWord(s, 86, static_cast<std::uint16_t>(w83 & ~0x4000u));
    SetWord(s, 87, 0x4000);
    std::uint16_t w88 = 0;
    if (f.dma && f.udmaSupported >= 0) {
        for (int m = 0; m <= std::min(f.udmaSupported, 6); ++m) w88 |= 1u << m;
        if (f.udmaSelected >= 0 && f.udmaSelected <= 6) w88 |= 1u << (8 + f.udmaSelected);
    }
    SetWord(s, 88, w88);
    if (f.lba && f.lba48) {
        StoreLe64(s.data() + 200, static_cast<std::uint64_t>(f.sectors));
    }
    std::uint16_t w128 = 0;
    if (f.security) {
        w128 |= 1u << 0;
        if (f.locked) w128 |= (1u << 1) | (1u << 2);
        if (f.securityMaximum) w128 |= 1u << 8;
    }
    SetWord(s, 128, w128);
    SealIntegrityWord(s);
    return s;
}

Sector BuildSmartSector(const std::vector<SmartAttribute>& attributes) {
    Sector s{};
    SetWord(s, 0, 0x0010);                      // data structure revision
    const std::size_t count = std::min<std::size_t>(attributes.size(), 30);
    for (std::size_t k = 0; k < count; ++k) {
        std::uint8_t* e = s.data() + 2 + 12 * k;
        const SmartAttribute& a = attributes[k];
        e[0] = a.id;
        StoreLe16(e + 1, a.flags);
        e[3] = a.current;
        e[4] = a.worst;
        for (int b = 0; b < 6; ++b) e[5 + b] = static_cast<std::uint8_t>(a.raw >> (8 * b));
    }
    s[362] = 0x82;                              // off-line data collection completed
    s[367] = 0x7B;                              // off-line capabilities
    SetWord(s, 368 / 2, 0x0003);                // SMART capabilities
    s[370] = 0x01;                              // error logging supported
    std::uint8_t sum = 0;
    for (int i = 0; i < 511; ++i) sum = static_cast<std::uint8_t>(sum + s[i]);
    s[511] = static_cast<std::uint8_t>(-sum);
    return s;
}

}  // namespace cendrix::platform::sim
