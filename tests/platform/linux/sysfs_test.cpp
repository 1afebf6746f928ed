#include "platform/linux/sysfs.h"

#include <gtest/gtest.h>

#include "fake_sysfs.h"
#include "platform/linux/bus_type.h"

namespace cendrix::platform::linux_backend {
namespace {

using cendrix::testing::FakeSysfs;

TEST(Sysfs, FactsOfASataDisk) {
    FakeSysfs fake;
    const DiskFacts facts = ReadDiskFacts(fake.SysRoot(), "sda");
    EXPECT_EQ(facts.busType, kBusSata);
    EXPECT_FALSE(facts.removable);
    EXPECT_EQ(facts.maxTransferBytes, 32767u * 1024u);
    EXPECT_EQ(facts.maxSegments, 168u);
    EXPECT_EQ(ReadDiskFacts(fake.SysRoot(), "nvme0n1").busType, kBusNvme);
    EXPECT_EQ(ReadDiskFacts(fake.SysRoot(), "loop3").busType, kBusFileBackedVirtual);
    // A link that never negotiated a serial speed is the parallel bus.
    fake.Write("class/ata_link/link1/sata_spd", "<unknown>\n");
    EXPECT_EQ(ReadDiskFacts(fake.SysRoot(), "sda").busType, kBusAta);
}

TEST(Sysfs, TextsOfDisksWithoutIdentifyData) {
    FakeSysfs fake;
    const DeviceTexts scsi = SysfsTexts(fake.SysRoot(), "sda");
    EXPECT_EQ(scsi.vendor, "ATA");
    EXPECT_EQ(scsi.product, "WDC WD10EZEX-08W");
    EXPECT_EQ(scsi.revision, "1A01");
    EXPECT_EQ(scsi.serial, "WD-WCC6Y3KZ1234");

    const DeviceTexts nvme = SysfsTexts(fake.SysRoot(), "nvme0n1");
    EXPECT_EQ(nvme.vendor, "");
    EXPECT_EQ(nvme.product, "Samsung SSD 970 EVO Plus 1TB");
    EXPECT_EQ(nvme.revision, "2B2QEXM7");
    EXPECT_EQ(nvme.serial, "S4EWNX0N123456K");

    const DeviceTexts loop = SysfsTexts(fake.SysRoot(), "loop3");
    EXPECT_EQ(loop.vendor + " " + loop.product, "Linux Loop device");
    EXPECT_EQ(loop.serial, "loop3");
}

TEST(Sysfs, SerialOfVpdPage80) {
    EXPECT_EQ(SerialFromVpd80(std::string("\x00\x80\x00\x0A  ZC11ABCD", 14)), "ZC11ABCD");
    EXPECT_EQ(SerialFromVpd80(std::string("\x00\x80\x00\x04" "ABCDEFGH", 12)), "ABCD");  // no further than its length
    EXPECT_EQ(SerialFromVpd80(std::string("\x00\x83\x00\x04" "ABCD", 8)), "");            // another page
    EXPECT_EQ(SerialFromVpd80(std::string("\x00\x80", 2)), "");
}

TEST(Sysfs, LocatesPartitionsOnTheirDisks) {
    FakeSysfs fake;
    const auto partition = LocateBlockDevice(fake.SysRoot(), 8, 1);
    ASSERT_TRUE(partition);
    EXPECT_EQ(partition->disk, "sda");
    EXPECT_EQ(partition->partition, 1u);
    EXPECT_EQ(partition->name, "sda1");
    const auto loopPart = LocateBlockDevice(fake.SysRoot(), 259, 7);
    ASSERT_TRUE(loopPart);
    EXPECT_EQ(loopPart->disk, "loop3");
    EXPECT_EQ(loopPart->partition, 2u);
    const auto whole = LocateBlockDevice(fake.SysRoot(), 7, 3);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->disk, "loop3");
    EXPECT_EQ(whole->partition, 0u);
    EXPECT_FALSE(LocateBlockDevice(fake.SysRoot(), 9, 9));
}

TEST(Sysfs, PartitionsAndWhereTheyLie) {
    FakeSysfs fake;
    const auto sda = ReadPartitions(fake.SysRoot(), "sda");
    ASSERT_EQ(sda.size(), 1u);
    EXPECT_EQ(sda[0].name, "sda1");
    EXPECT_EQ(sda[0].major, 8u);
    EXPECT_EQ(sda[0].minor, 1u);
    EXPECT_EQ(sda[0].start, 1048576u);
    EXPECT_EQ(sda[0].length, 8589934592ull * 512);
    const auto loop = ReadPartitions(fake.SysRoot(), "loop3");
    ASSERT_EQ(loop.size(), 1u);
    const PartitionExtent& p = loop[0];
    EXPECT_EQ(p.start, 32u << 20);
    EXPECT_EQ(p.length, 32u << 20);
    EXPECT_FALSE(p.Overlaps(0, 32u << 20));            // ends where it begins
    EXPECT_TRUE(p.Overlaps((32u << 20) - 512, 1024));
    EXPECT_TRUE(p.Overlaps((64u << 20) - 512, 512));
    EXPECT_FALSE(p.Overlaps(64u << 20, 4096));          // begins where it ends
    EXPECT_FALSE(p.Overlaps(33u << 20, 0));
    EXPECT_TRUE(ReadPartitions(fake.SysRoot(), "nvme0n1").empty());
}

TEST(Sysfs, IdentifyDataOfTheAtaInformationPage) {
    std::string page(572, '\0');
    page[1] = static_cast<char>(0x89);
    page[3] = static_cast<char>(0x38);  // 568 bytes follow the header
    page[56] = static_cast<char>(0xEC);
    for (int i = 0; i < 512; ++i) page[60 + i] = static_cast<char>(i * 3);
    std::uint8_t sector[512] = {};
    ASSERT_TRUE(IdentifyFromVpd89(page, sector));
    EXPECT_EQ(sector[0], 0);
    EXPECT_EQ(sector[1], 3);
    EXPECT_EQ(sector[511], static_cast<std::uint8_t>(511 * 3));
    EXPECT_FALSE(IdentifyFromVpd89(page.substr(0, 571), sector));
    page[1] = static_cast<char>(0x80);
    EXPECT_FALSE(IdentifyFromVpd89(page, sector));
}

TEST(Sysfs, IdentityOfADisk) {
    FakeSysfs fake;
    EXPECT_EQ(ReadDiskIdentity(fake.SysRoot(), "loop3"), (DiskIdentity{"7:3", "41"}));
    EXPECT_EQ(ReadDiskIdentity(fake.SysRoot(), "nvme0n1"), (DiskIdentity{"259:0", ""}));
}

}  // namespace
}  // namespace cendrix::platform::linux_backend
