#include "discovery/chooser_rules.h"

#include <gtest/gtest.h>

namespace cendrix {
namespace {

TDeviceTable Entry(std::int64_t lba, QString partitions = {}) {
    TDeviceTable e;
    e.DeviceNumber = 3;
    e.IdentifyData.Model = QStringLiteral(" WDC WD5000AAKX");
    e.IdentifyData.FW = QStringLiteral("15.01H15");
    e.IdentifyData.SN = QStringLiteral("WD-WCC2EU123456");
    e.IdentifyData.LBA = lba;
    e.IdentifyData.SectorSize = 512;
    e.IdentifyData.BusType = 11;
    e.AssociatedPartitions = std::move(partitions);
    return e;
}

TEST(ChooserRules, AcceptsDisksFrom65535SectorsOn) {
    EXPECT_FALSE(DiskLargeEnough(Entry(0)));
    EXPECT_FALSE(DiskLargeEnough(Entry(65534)));
    EXPECT_TRUE(DiskLargeEnough(Entry(65535)));
    EXPECT_EQ(kSmallDiskText, QStringLiteral("无法访问此设备, 因为它小于 65535 个扇区.  "));
}

TEST(ChooserRules, ShowsTheModelWithItsVolumesInBrackets) {
    const QLocale c(QLocale::C);
    const auto with = ChooserColumns(Entry(976773168, QStringLiteral("C: E:")), c);
    EXPECT_EQ(with[0], QStringLiteral("SATA"));
    EXPECT_EQ(with[1], QStringLiteral("WDC WD5000AAKX (C: E:)"));
    EXPECT_EQ(with[2], QStringLiteral("15.01H15"));
    EXPECT_EQ(with[3], QStringLiteral("WD-WCC2EU123456"));
    EXPECT_EQ(with[4], QStringLiteral("976773168"));
    EXPECT_EQ(with[5], QStringLiteral("500.1 GB"));
    EXPECT_EQ(ChooserColumns(Entry(976773168), c)[1], QStringLiteral("WDC WD5000AAKX"));
}

TEST(ChooserRules, CountsTheDisksFound) {
    EXPECT_EQ(FoundDisksText(0), QStringLiteral("找到磁盘:        0"));
    EXPECT_EQ(FoundDisksText(3), QStringLiteral("找到磁盘:        3"));
}

}  // namespace
}  // namespace cendrix
