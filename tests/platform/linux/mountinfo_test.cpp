#include "platform/linux/mountinfo.h"

#include <gtest/gtest.h>

namespace cendrix::platform::linux_backend {
namespace {

TEST(MountInfo, DecodesTheKernelsOctalEscapes) {
    EXPECT_EQ(DecodeMountText("/mnt/my\\040disk"), "/mnt/my disk");
    EXPECT_EQ(DecodeMountText("/a\\011b\\012c\\134d"), "/a\tb\nc\\d");
    EXPECT_EQ(DecodeMountText("/\\346\\225\\260\\346\\215\\256"), "/\xE6\x95\xB0\xE6\x8D\xAE");
    // Not an escape: left as it is.
    EXPECT_EQ(DecodeMountText("/x\\08y\\9\\04"), "/x\\08y\\9\\04");
    EXPECT_EQ(DecodeMountText("/end\\"), "/end\\");
}

TEST(MountInfo, ParsesLinesWithAndWithoutOptionalFields) {
    const std::string text =
        "28 1 254:0 / / rw,relatime - ext4 /dev/vda rw,discard\n"
        "22 28 0:21 / /proc rw,relatime shared:5 - proc proc rw\n"
        "91 28 7:17 / /tmp/cendrix\\040test/p1 rw,relatime shared:50 master:2 - ext4 /dev/loop1p1 rw\n"
        "this line is not a mount\n"
        "92 28 7:18 /sub /srv/bind rw - ext4 /dev/loop1p2 rw\n"
        "93 28 x:18 / /broken rw - ext4 /dev/loop1p2 rw\n";
    const std::vector<MountEntry> entries = ParseMountInfo(text);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].mountPoint, "/");
    EXPECT_EQ(entries[0].major, 254u);
    EXPECT_EQ(entries[0].source, "/dev/vda");
    EXPECT_EQ(entries[1].major, 0u);
    EXPECT_EQ(entries[1].fsType, "proc");
    EXPECT_EQ(entries[2].id, 91);
    EXPECT_EQ(entries[2].parentId, 28);
    EXPECT_EQ(entries[2].minor, 17u);
    EXPECT_EQ(entries[2].mountPoint, "/tmp/cendrix test/p1");
    EXPECT_EQ(entries[2].fsType, "ext4");
    EXPECT_EQ(entries[2].source, "/dev/loop1p1");
    EXPECT_EQ(entries[3].root, "/sub");
    EXPECT_EQ(entries[3].mountPoint, "/srv/bind");
}

TEST(MountInfo, VolumesAreEachMountPointOnceDeeperOnesFirst) {
    const std::string text =
        "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
        "2 1 0:21 / /proc rw - proc proc rw\n"
        "3 1 8:2 / /data rw - ext4 /dev/sda2 rw\n"
        "4 3 8:3 / /data/inner rw - ext4 /dev/sda3 rw\n"
        "5 1 8:17 / /media/usb rw - vfat /dev/sdb1 rw\n"
        "6 1 8:18 / /media/usb rw - vfat /dev/sdb2 rw\n"  // mounted over the one before
        "7 1 8:33 / /other rw - ext4 /dev/sdc1 rw\n";
    const auto volumes = VolumeMounts(ParseMountInfo(text), [](const MountEntry& e) {
        return e.major == 8 && e.minor < 32;  // block devices of the disks asked for
    });
    std::vector<std::string> points;
    for (const MountEntry& e : volumes) points.push_back(e.mountPoint);
    EXPECT_EQ(points, (std::vector<std::string>{"/data/inner", "/media/usb", "/data", "/"}));
    EXPECT_EQ(volumes[1].minor, 18u);  // the mount on top
}

}  // namespace
}  // namespace cendrix::platform::linux_backend
