#include "platform/storage_records.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/byte_order.h"

namespace cendrix::platform {
namespace {

TEST(StorageRecords, GeometryLengthAndAdapterLayouts) {
    const auto geometry = DiskGeometryRecord(4096, 4000787030016ull, false);
    ASSERT_EQ(geometry.size(), 24u);
    EXPECT_EQ(LoadLe64(geometry.data()), 4000787030016ull / (255ull * 63 * 4096));
    EXPECT_EQ(LoadLe32(geometry.data() + 8), 12u);  // fixed medium
    EXPECT_EQ(LoadLe32(geometry.data() + 20), 4096u);
    EXPECT_EQ(LoadLe32(DiskGeometryRecord(512, 1 << 20, true).data() + 8), 11u);

    const auto length = LengthRecord(4000787030016ull);
    ASSERT_EQ(length.size(), 8u);
    EXPECT_EQ(LoadLe64(length.data()), 4000787030016ull);

    const auto adapter = AdapterDescriptorRecord(2097152, 168, 3, 11);
    ASSERT_EQ(adapter.size(), 32u);
    EXPECT_EQ(LoadLe32(adapter.data() + 4), 32u);
    EXPECT_EQ(LoadLe32(adapter.data() + 8), 2097152u);
    EXPECT_EQ(LoadLe32(adapter.data() + 12), 168u);
    EXPECT_EQ(adapter[24], 11);

    const auto version = SmartVersionRecord();
    ASSERT_EQ(version.size(), 24u);
    EXPECT_EQ(version[3], 0x01);  // the primary channel's master, never a slave
    EXPECT_EQ(SmartVersionRecord(0x02)[3], 0x02);

    const auto number = DeviceNumberRecord(7, 3, 2);
    EXPECT_EQ(LoadLe32(number.data()), 7u);
    EXPECT_EQ(LoadLe32(number.data() + 4), 3u);
    EXPECT_EQ(LoadLe32(number.data() + 8), 2u);
}

TEST(StorageRecords, DeviceDescriptorPointsAtItsTexts) {
    const auto record = DeviceDescriptorRecord({"", "Samsung SSD 860", "RVT01B6Q", "BA C"}, true, 7);
    ASSERT_GE(record.size(), 36u);
    EXPECT_EQ(LoadLe32(record.data() + 4), record.size());
    EXPECT_EQ(record[10], 1);                    // removable
    EXPECT_EQ(LoadLe32(record.data() + 12), 0u); // no vendor text
    auto text = [&](std::size_t field) {
        const std::uint32_t offset = LoadLe32(record.data() + field);
        return std::string(reinterpret_cast<const char*>(record.data() + offset));
    };
    EXPECT_EQ(LoadLe32(record.data() + 16), 36u);
    EXPECT_EQ(text(16), "Samsung SSD 860");
    EXPECT_EQ(text(20), "RVT01B6Q");
    EXPECT_EQ(text(24), "BA C");
    EXPECT_EQ(record.back(), 0);
}

}  // namespace
}  // namespace cendrix::platform
