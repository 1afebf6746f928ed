#include "platform/linux/storage_records.h"

#include <gtest/gtest.h>

#include <cstring>

#include "discovery/probe.h"
#include "platform/ata_serial.h"
#include "platform/byte_order.h"
#include "platform/sim/sim_sectors.h"
#include "platform/unique_handle.h"
#include "support/sim_fixture.h"

namespace cendrix::platform::linux_backend {
namespace {

using cendrix::testing::MakeDisk;
using cendrix::testing::SimWorld;

TEST(StorageRecords, TextsOfIdentifyDataKeepTheWholeModel) {
    sim::IdentifyFields fields;
    fields.model = "WDC WD10EZEX-08WN4A0 with forty chars..";  // 40 characters, beyond INQUIRY's 16
    fields.serial = "WD-WCC6Y3KZ1234";
    fields.firmware = "01.01A01";
    const sim::Sector sector = sim::BuildIdentifySector(fields);
    const DeviceTexts texts = TextsFromIdentify(sector.data());
    EXPECT_EQ(texts.vendor, "");
    EXPECT_EQ(texts.product, fields.model);
    EXPECT_EQ(texts.revision, "01.01A01");
    EXPECT_EQ(texts.serial, EncodeSerialAtaOrder("WD-WCC6Y3KZ1234"));
    EXPECT_EQ(IdentifyText(sector.data(), 10, 10), "WD-WCC6Y3KZ1234");
}

TEST(StorageRecords, IdentityFromHdioIsPutBackIntoDriveOrder) {
    sim::IdentifyFields fields;
    fields.model = "QEMU HARDDISK";
    fields.serial = "QM00001";
    fields.firmware = "2.5+";
    const sim::Sector drive = sim::BuildIdentifySector(fields);
    // What HDIO_GET_IDENTITY hands over: the three texts in reading order,
    // every other word as the drive sent it.
    sim::Sector hdio = drive;
    std::memcpy(hdio.data() + 20, "QM00001             ", 20);
    std::memcpy(hdio.data() + 46, "2.5+    ", 8);
    std::memcpy(hdio.data() + 54, "QEMU HARDDISK                           ", 40);
    RestoreIdentifyTextOrder(hdio.data());
    EXPECT_EQ(hdio, drive);
}

// The descriptor reaches the core's probe as a disk's storage layer would
// hand it over; the user must see the texts of the drive's label.
TEST(StorageRecords, ProbeShowsTheSerialAsPrintedOnTheDrive) {
    for (const std::string serial : {"WD-WCC6Y3KZ1234", "ABC", "S3Z1NB0K123456A", "1234567890ABCDEFGHIJ"}) {
        sim::IdentifyFields fields;
        fields.model = "Samsung SSD 860 EVO 500GB";
        fields.serial = serial;
        fields.firmware = "RVT01B6Q";
        const DeviceTexts texts = TextsFromIdentify(sim::BuildIdentifySector(fields).data());
        sim::Disk disk = MakeDisk(0);
        disk.vendor = texts.vendor;
        disk.product = texts.product;
        disk.revision = texts.revision;
        disk.serialRaw = texts.serial;
        SimWorld world(sim::Machine{{disk}, {}});
        UniqueHandle handle(world.Storage(), world.Storage().CreateFileW(u"\\\\.\\PhysicalDrive0", GENERIC_READ,
                                                                          FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                                          OPEN_EXISTING, 0));
        TIdentifyDeviceData record;
        ASSERT_EQ(ProbeDevice(world.Storage(), world.logs, handle.Get(), record).code, 0);
        EXPECT_EQ(record.SN, QString::fromStdString(serial));
        EXPECT_EQ(record.Model, QStringLiteral(" Samsung SSD 860 EVO 500GB"));
        EXPECT_EQ(record.FW, QStringLiteral("RVT01B6Q"));
    }
}

}  // namespace
}  // namespace cendrix::platform::linux_backend
