#include "shell/text_format.h"

#include <gtest/gtest.h>

#include "discovery/device_table.h"

namespace cendrix {
namespace {

TEST(GroupThousands, GroupsFromTheRightAndLeavesFourDigitsAlone) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "0"},
        {7, "7"},
        {1234, "1234"},
        {9999, "9999"},
        {10000, "10,000"},
        {12345, "12,345"},
        {100000, "100,000"},
        {123456, "123,456"},
        {1234567, "1,234,567"},
        {10240000, "10,240,000"},
        {999999999999, "999,999,999,999"},
        {500107862016, "500,107,862,016"},
        {INT64_MAX, "9,223,372,036,854,775,807"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(GroupThousands(value), QString::fromUtf8(text)) << value;
    }
}

TEST(GroupThousands, NegativeNumbersKeepTheirSignWithoutALeadingSeparator) {
    EXPECT_EQ(GroupThousands(-12345), QStringLiteral("-12,345"));
    EXPECT_EQ(GroupThousands(-123456), QStringLiteral("-123,456"));
}

TEST(FormatCapacity, UsesDecimalUnitsCutToHundredths) {
    const QLocale c(QLocale::C);
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "0 字节"},
        {512, "512 字节"},
        {99998, "99998 字节"},
        {99999, "99.99 KB"},
        {123456, "123.45 KB"},
        {9999998, "9999.99 KB"},
        {9999999, "9.99 MB"},
        {12345678, "12.34 MB"},
        {9999999999, "9.99 GB"},
        {500107862016, "500.1 GB"},
        {1000204886016, "1000.2 GB"},
        {2000000000000, "2000 GB"},
        {4000787030016, "4000.78 GB"},
        {-5, "-5 字节"},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(FormatCapacity(bytes, c), QString::fromUtf8(text)) << bytes;
    }
}

TEST(FormatCapacity, WritesTheLocalesDecimalSeparator) {
    EXPECT_EQ(FormatCapacity(500107862016, QLocale(QLocale::German, QLocale::Germany)),
              QStringLiteral("500,1 GB"));
}

TEST(DeviceCaption, JoinsTheEntrysPiecesWithTheirBlanks) {
    TDeviceTables table;
    TDeviceTable& e = table[2];
    e.DeviceNumber = 1;
    e.IdentifyData.Model = QStringLiteral(" ABC");  // vendor-less models begin with a blank
    e.IdentifyData.FW = QStringLiteral("1.0");
    e.IdentifyData.SN = QStringLiteral("not shown");
    e.IdentifyData.LBA = 976773168;
    e.IdentifyData.SectorSize = 512;
    EXPECT_EQ(DeviceCaption(table, 2, QLocale(QLocale::C)),
              QStringLiteral("[1]  ABC    1.0    [500.1 GB]    (976773168 512-字节扇区)"));
}

TEST(BusTypeName, NamesTheKnownCodesAndCallsTheRestUnknown) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {1, "SCSI"}, {2, "ATAPI"}, {3, "ATA"}, {4, "IEEE 1394"}, {5, "SSA"}, {6, "FIBRE"},
        {7, "USB"}, {8, "RAID"}, {9, "ISCSI"}, {10, "SAS"}, {11, "SATA"}, {12, "SD"},
        {13, "MMC"}, {14, "VIRTUAL"}, {15, "FBVIRTUAL"}, {200, "IMAGE"}, {201, "FLASH"},
        {0, "未知"}, {16, "未知"}, {17, "未知"}, {199, "未知"}, {202, "未知"},
        // Only the low 32 bits select the name.
        {(std::int64_t{1} << 32) | 11, "SATA"},
    };
    for (const auto& [code, name] : cases) {
        EXPECT_EQ(BusTypeName(code), QString::fromUtf8(name)) << code;
    }
}

TEST(TrimControl, RemovesControlCharactersAndBlanksAtTheEndsOnly) {
    const QString text = QString(QChar(0)) + QStringLiteral("\t A\0B C \r\n") + QChar(0x1F);
    EXPECT_EQ(TrimControl(text), QStringLiteral("A\0B C"));
    EXPECT_EQ(TrimControl(QStringLiteral("    ")), QString());
    EXPECT_EQ(TrimBlanks(QStringLiteral(" \tC: D: ")), QStringLiteral("\tC: D:"));
}

}  // namespace
}  // namespace cendrix
