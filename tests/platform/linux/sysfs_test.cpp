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

TEST(Sysfs, IdentityOfADisk) {
    FakeSysfs fake;
    EXPECT_EQ(ReadDiskIdentity(fake.SysRoot(), "loop3"), (DiskIdentity{"7:3", "41"}));
    EXPECT_EQ(ReadDiskIdentity(fake.SysRoot(), "nvme0n1"), (DiskIdentity{"259:0", ""}));
}

}  // namespace
}  // namespace cendrix::platform::linux_backend
