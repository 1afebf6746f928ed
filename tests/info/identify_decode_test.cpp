#include "info/identify_data.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/byte_order.h"
#include "platform/sim/sim_sectors.h"
#include "support/sample_identify.h"

namespace cendrix {
namespace {

namespace sim = platform::sim;
using Sector = std::array<std::uint8_t, 512>;

void SetWord(Sector& s, int n, std::uint16_t value) { platform::StoreLe16(s.data() + 2 * n, value); }
std::uint16_t GetWord(const Sector& s, int n) { return platform::LoadLe16(s.data() + 2 * n); }

// An ATA string as a drive stores it: the first character of each pair in the high byte.
void SetAtaBytes(Sector& s, int firstWord, const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) s[2 * firstWord + (i ^ 1)] = static_cast<std::uint8_t>(text[i]);
}

sim::IdentifyFields Typical500GB() {
    sim::IdentifyFields f = testing::Identify500GB();
    f.udmaSelected = 5;
    return f;
}

TEST(DecodeIdentifyData, DecodesA500GigabyteLba48Disk) {
    const Sector s = sim::BuildIdentifySector(Typical500GB());
    const T_IDE_PASSPORT p = DecodeIdentifyData(s);
    EXPECT_EQ(p.name, QStringLiteral("WDC WD5000AAKX-00ERMA0"));
    EXPECT_EQ(p.sn, QStringLiteral("WD-WCC2EU123456"));
    EXPECT_EQ(p.fw, QStringLiteral("15.01H15"));
    EXPECT_TRUE(p.lba28support);
    EXPECT_TRUE(p.lba48support);
    EXPECT_EQ(p.lba28sectors, 0x0FFFFFFF);  // the 28-bit count saturates
    EXPECT_EQ(p.lba48sectors, 976773168);
    EXPECT_EQ(p.lbasectors, 976773168);
    EXPECT_EQ(p.readmultiplesectors, 16);  // word 47's high byte (0x80) is not part of it
    EXPECT_FALSE(p.securitysupport);
    EXPECT_TRUE(p.hpasupport);
    EXPECT_TRUE(p.smartsupport);
    EXPECT_TRUE(p.smartenabled);
    EXPECT_FALSE(p.aamsupport);
    EXPECT_TRUE(p.dmasupport);
    EXPECT_EQ(p.dmamodesupport, 6);
    EXPECT_EQ(p.dmamodeselected, 5);
    EXPECT_FALSE(p.isremovable);
    EXPECT_FALSE(p.ispacket);
    EXPECT_EQ(p.buffersize, 16u * 1024 * 1024);
    EXPECT_EQ(p.sectorsize, 512);
    EXPECT_TRUE(p.QueueSupported);
    EXPECT_EQ(p.QueueDepth, 31);
    EXPECT_FALSE(p.StreamingSupported);
}

TEST(DecodeIdentifyData, KeepsTheCallersBytesAsTheyWere) {
    const Sector s = sim::BuildIdentifySector(Typical500GB());
    const Sector copy = s;
    DecodeIdentifyData(s);
    EXPECT_EQ(s, copy);
    // The model still reads "DW" in byte order: its words were not swapped in place.
    EXPECT_EQ(s[54], 'D');
    EXPECT_EQ(s[55], 'W');
}

TEST(DecodeIdentifyData, ReadsTheCapacityOnlyWhenLbaIsSupported) {
    struct Case {
        const char* name;
        std::uint16_t word49;
        std::uint16_t word83;
        std::uint32_t sectors28;
        std::uint64_t sectors48;
        bool lba28, lba48;
        std::int64_t lba28sectors, lba48sectors, lbasectors;
    };
    const Case cases[] = {
        {"LBA48 with more sectors than 28 bits reach", 1u << 9, 1u << 10, 0x0FFFFFFF, 976773168,
         true, true, 0x0FFFFFFF, 976773168, 976773168},
        {"LBA28 only: the 48-bit count is ignored", 1u << 9, 0, 0x0FFFFFFF, 976773168,
         true, false, 0x0FFFFFFF, 0, 0x0FFFFFFF},
        {"48-bit count equal to the 28-bit one", 1u << 9, 1u << 10, 1000000, 1000000,
         true, false, 1000000, 0, 1000000},
        {"48-bit count smaller than the 28-bit one", 1u << 9, 1u << 10, 1000000, 999,
         true, false, 1000000, 0, 1000000},
        {"48-bit count with its sign bit set", 1u << 9, 1u << 10, 1000000, 0x8000000000000000ull,
         true, false, 1000000, 0, 1000000},
        {"no LBA at all", 0, 1u << 10, 0x0FFFFFFF, 976773168, false, false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Sector s{};
        SetWord(s, 49, c.word49);
        SetWord(s, 83, c.word83);
        SetWord(s, 60, static_cast<std::uint16_t>(c.sectors28));
        SetWord(s, 61, static_cast<std::uint16_t>(c.sectors28 >> 16));
        platform::StoreLe64(s.data() + 200, c.sectors48);
        const T_IDE_PASSPORT p = DecodeIdentifyData(s);
        EXPECT_EQ(p.lba28support, c.lba28);
        EXPECT_EQ(p.lba48support, c.lba48);
        EXPECT_EQ(p.lba28sectors, c.lba28sectors);
        EXPECT_EQ(p.lba48sectors, c.lba48sectors);
        EXPECT_EQ(p.lbasectors, c.lbasectors);
    }
}

TEST(DecodeIdentifyData, ReadsTheSecurityStateOnlyWhenSecurityIsSupported) {
    struct Case {
        const char* name;
        bool security, locked, maximum;
        bool support, isLocked, isMax;
    };
    const Case cases[] = {
        {"supported, not locked", true, false, false, true, false, false},
        {"locked at High", true, true, false, true, true, false},
        {"locked at Maximum", true, true, true, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim::IdentifyFields f = Typical500GB();
        f.security = c.security;
        f.locked = c.locked;
        f.securityMaximum = c.maximum;
        const T_IDE_PASSPORT p = DecodeIdentifyData(sim::BuildIdentifySector(f));
        EXPECT_EQ(p.securitysupport, c.support);
        EXPECT_EQ(p.locked, c.isLocked);
        EXPECT_EQ(p.lockedmax, c.isMax);
    }
    // Word 128 says locked at Maximum, but word 82 bit 1 says there is no security feature set.
    Sector s{};
    SetWord(s, 128, 0x0107);
    const T_IDE_PASSPORT p = DecodeIdentifyData(s);
    EXPECT_FALSE(p.securitysupport);
    EXPECT_FALSE(p.locked);
    EXPECT_FALSE(p.lockedmax);
}

TEST(DecodeIdentifyData, ReadsSmartEnabledOnlyWhenSmartIsSupported) {
    Sector s{};
    SetWord(s, 85, 0x0001);
    EXPECT_FALSE(DecodeIdentifyData(s).smartenabled);
    SetWord(s, 82, 0x0001);
    EXPECT_TRUE(DecodeIdentifyData(s).smartsupport);
    EXPECT_TRUE(DecodeIdentifyData(s).smartenabled);
    SetWord(s, 85, 0x0000);
    EXPECT_FALSE(DecodeIdentifyData(s).smartenabled);
}

TEST(DecodeIdentifyData, TakesTheHighestUltraDmaModesFromAValidWord88) {
    struct Case {
        std::uint16_t word49, word53, word88;
        bool dma;
        int supported, selected;
    };
    const Case cases[] = {
        {1u << 8, 1u << 2, 0x407F, true, 6, 6},
        {1u << 8, 1u << 2, 0x0407, true, 2, 2},
        {1u << 8, 1u << 2, 0x203F, true, 5, 5},
        {1u << 8, 1u << 2, 0x0000, true, 0, 0},   // no mode bit: the same 0 as mode 0
        {1u << 8, 1u << 2, 0x8080, true, 0, 0},   // bits 7 and 15 are not modes
        {1u << 8, 0, 0x407F, false, 0, 0},        // word 88 not valid
        {0, 1u << 2, 0x407F, false, 0, 0},        // no DMA
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word88);
        Sector s{};
        SetWord(s, 49, c.word49);
        SetWord(s, 53, c.word53);
        SetWord(s, 88, c.word88);
        const T_IDE_PASSPORT p = DecodeIdentifyData(s);
        EXPECT_EQ(p.dmasupport, c.dma);
        EXPECT_EQ(p.dmamodesupport, c.supported);
        EXPECT_EQ(p.dmamodeselected, c.selected);
    }
}

TEST(DecodeIdentifyData, TakesTheWholeQueueWord) {
    for (const std::uint16_t word75 : {std::uint16_t{0}, std::uint16_t{31}, std::uint16_t{0xFFFF}}) {
        SCOPED_TRACE(word75);
        Sector s{};
        SetWord(s, 75, word75);
        const T_IDE_PASSPORT p = DecodeIdentifyData(s);
        EXPECT_EQ(p.QueueSupported, word75 != 0);
        EXPECT_EQ(p.QueueDepth, word75);  // not masked to the five depth bits
    }
}

TEST(DecodeIdentifyData, ReadsTheSingleFeatureBits) {
    Sector s{};
    SetWord(s, 82, 1u << 10);
    SetWord(s, 83, 1u << 9);
    SetWord(s, 84, 1u << 4);
    SetWord(s, 21, 0xFFFF);
    SetWord(s, 47, 0x80FF);
    const T_IDE_PASSPORT p = DecodeIdentifyData(s);
    EXPECT_TRUE(p.hpasupport);
    EXPECT_TRUE(p.aamsupport);
    EXPECT_TRUE(p.StreamingSupported);
    EXPECT_FALSE(p.smartsupport);
    EXPECT_EQ(p.buffersize, 0xFFFFu * 512u);
    EXPECT_EQ(p.readmultiplesectors, 0xFF);
}

TEST(DecodeIdentifyData, TrimsBlanksAndControlCharactersAtTheEndsOfItsTexts) {
    Sector s{};
    SetAtaBytes(s, 27, "   Hitachi  HDS721010CLA332             ");  // 40 characters, blanks inside kept
    SetAtaBytes(s, 10, "                    ");                      // a serial of blanks only
    SetAtaBytes(s, 23, std::string("JP4O\0\0\0\0", 8));              // NUL padding
    const T_IDE_PASSPORT p = DecodeIdentifyData(s);
    EXPECT_EQ(p.name, QStringLiteral("Hitachi  HDS721010CLA332"));
    EXPECT_EQ(p.sn, QString());
    EXPECT_EQ(p.fw, QStringLiteral("JP4O"));
}

TEST(DecodeIdentifyData, ReadsTheTextsOfTheirOwnWordsOnly) {
    // Every byte set, the texts' neighbours included: each text keeps its own width.
    Sector s;
    s.fill('x');
    const T_IDE_PASSPORT p = DecodeIdentifyData(s);
    EXPECT_EQ(p.sn, QString(20, QLatin1Char('x')));
    EXPECT_EQ(p.fw, QString(8, QLatin1Char('x')));
    EXPECT_EQ(p.name, QString(40, QLatin1Char('x')));
}

TEST(DecodeIdentifyData, LeavesEverythingEmptyForZeroData) {
    const T_IDE_PASSPORT p = DecodeIdentifyData(Sector{});
    EXPECT_TRUE(p.name.isEmpty());
    EXPECT_TRUE(p.fw.isEmpty());
    EXPECT_TRUE(p.sn.isEmpty());
    EXPECT_FALSE(p.lba28support || p.lba48support || p.securitysupport || p.locked || p.lockedmax ||
                 p.hpasupport || p.smartsupport || p.smartenabled || p.aamsupport || p.dmasupport ||
                 p.isremovable || p.ispacket || p.QueueSupported || p.StreamingSupported);
    EXPECT_EQ(p.lba28sectors + p.lba48sectors + p.lbasectors + p.QueueDepth, 0);
    EXPECT_EQ(p.readmultiplesectors + p.dmamodesupport + p.dmamodeselected, 0);
    EXPECT_EQ(p.buffersize, 0u);
    EXPECT_EQ(p.sectorsize, 512);
}

// Whatever the bytes, the record keeps its own rules.
TEST(DecodeIdentifyData, DecodesAnyBytesIntoAConsistentRecord) {
    std::mt19937 random(20241217);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 3000; ++round) {
        Sector s;
        switch (round) {
            case 0: s.fill(0xFF); break;
            case 1: s.fill(0x00); break;
            case 2: s.fill(0x80); break;
            default:
                for (auto& b : s) b = static_cast<std::uint8_t>(byte(random));
                // Let half the rounds pass the gates to the deeper fields.
                if (round % 2 == 0) {
                    SetWord(s, 49, GetWord(s, 49) | 0x0300);
                    SetWord(s, 82, GetWord(s, 82) | 0x0003);
                    SetWord(s, 83, GetWord(s, 83) | 0x0400);
                    SetWord(s, 53, GetWord(s, 53) | 0x0004);
                }
        }
        const Sector copy = s;
        const T_IDE_PASSPORT p = DecodeIdentifyData(s);
        ASSERT_EQ(s, copy);
        ASSERT_EQ(p.sectorsize, 512);
        ASSERT_LE(p.name.size(), 40);
        ASSERT_LE(p.fw.size(), 8);
        ASSERT_LE(p.sn.size(), 20);
        for (const QString* text : {&p.name, &p.fw, &p.sn}) {
            if (text->isEmpty()) continue;
            ASSERT_GT(text->front().unicode(), 32);
            ASSERT_GT(text->back().unicode(), 32);
        }
        ASSERT_GE(p.lba28sectors, 0);
        ASSERT_LE(p.lba28sectors, 0xFFFFFFFFll);
        ASSERT_EQ(p.lbasectors, p.lba48support ? p.lba48sectors : p.lba28sectors);
        if (p.lba48support) {
            ASSERT_GT(p.lba48sectors, p.lba28sectors);
        }
        if (!p.lba28support) {
            ASSERT_EQ(p.lbasectors, 0);
        }
        ASSERT_LE(p.dmamodesupport, 6);
        ASSERT_LE(p.dmamodeselected, 6);
        ASSERT_EQ(p.QueueSupported, p.QueueDepth > 0);
        ASSERT_FALSE(p.isremovable || p.ispacket);
    }
}

}  // namespace
}  // namespace cendrix
