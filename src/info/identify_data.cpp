#include "info/identify_data.h"

#include <utility>

#include "platform/byte_order.h"
#include "shell/text_format.h"

namespace cendrix {

namespace {

using Sector = std::array<std::uint8_t, 512>;

std::uint16_t Word(const Sector& s, int n) { return platform::LoadLe16(s.data() + 2 * n); }
bool Bit(const Sector& s, int word, int bit) { return ((Word(s, word) >> bit) & 1u) != 0; }

// ATA strings hold two characters per word, the first in the high byte.
void SwapPairs(Sector& s, int firstWord, int lastWord) {
    for (int w = firstWord; w <= lastWord; ++w) std::swap(s[2 * w], s[2 * w + 1]);
}

// One byte per character, as the system's 8-bit code page reads ASCII; the
// blank padding and any NULs at either end are dropped.
QString AtaText(const Sector& s, int firstWord, int words) {
    const auto* bytes = reinterpret_cast<const char*>(s.data() + 2 * firstWord);
    return TrimControl(QString::fromLatin1(bytes, 2 * words));
}

// The number of the highest set bit among `bits` bits from `first`; 0 when
// none is set.
std::uint8_t HighestBit(std::uint16_t value, int first, int bits) {
    std::uint8_t highest = 0;
    for (int k = 0; k < bits; ++k) {
        if ((value >> (first + k)) & 1u) highest = static_cast<std::uint8_t>(k);
    }
    return highest;
}

}  // namespace

T_IDE_PASSPORT DecodeIdentifyData(const Sector& data) {
    Sector s = data;  // the string swap below must not touch the caller's bytes
    T_IDE_PASSPORT p;

    SwapPairs(s, 10, 19);
    SwapPairs(s, 23, 26);
    SwapPairs(s, 27, 46);
    p.sn = AtaText(s, 10, 10);
    p.fw = AtaText(s, 23, 4);
    p.name = AtaText(s, 27, 20);

    if (Bit(s, 49, 9)) {
        p.lba28sectors = static_cast<std::int64_t>(Word(s, 60)) | (static_cast<std::int64_t>(Word(s, 61)) << 16);
        p.lba28support = true;
        if (Bit(s, 83, 10)) {
            // Compared as signed: a count with the top bit set is not taken.
            const auto lba48 = static_cast<std::int64_t>(platform::LoadLe64(s.data() + 200));
            if (lba48 > p.lba28sectors) {
                p.lba48sectors = lba48;
                p.lba48support = true;
            }
        }
    }
    p.lbasectors = p.lba48support ? p.lba48sectors : p.lba28sectors;

    p.readmultiplesectors = static_cast<std::uint8_t>(Word(s, 47) & 0xFF);

    if (Bit(s, 82, 1)) {
        p.securitysupport = true;
        p.locked = Bit(s, 128, 1);
        p.lockedmax = Bit(s, 128, 8);
    }
    p.hpasupport = Bit(s, 82, 10);
    p.smartsupport = Bit(s, 82, 0);
    if (p.smartsupport) p.smartenabled = Bit(s, 85, 0);
    p.aamsupport = Bit(s, 83, 9);

    p.dmasupport = Bit(s, 49, 8) && Bit(s, 53, 2);
    if (p.dmasupport) {
        p.dmamodesupport = HighestBit(Word(s, 88), 0, 7);
        p.dmamodeselected = HighestBit(Word(s, 88), 8, 7);
    }

    p.buffersize = static_cast<std::uint32_t>(Word(s, 21)) * 512u;
    p.sectorsize = 512;
    if (Word(s, 75) != 0) {
        p.QueueSupported = true;
        p.QueueDepth = Word(s, 75);
    }
    p.StreamingSupported = Bit(s, 84, 4);
    return p;
}

}  // namespace cendrix
