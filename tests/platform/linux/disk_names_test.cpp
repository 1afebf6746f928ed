#include "platform/linux/disk_names.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/linux/sysfs.h"

namespace cendrix::platform::linux_backend {
namespace {

TEST(DiskNames, FamiliesOfWholeDisksAndOfEverythingElse) {
    struct Case {
        const char* name;
        DiskFamily family;
    };
    const Case cases[] = {
        {"sda", DiskFamily::Sd},          {"sdaa", DiskFamily::Sd},
        {"hdb", DiskFamily::Hd},          {"vda", DiskFamily::Vd},
        {"xvdc", DiskFamily::Xvd},        {"nvme0n1", DiskFamily::Nvme},
        {"nvme12n3", DiskFamily::Nvme},   {"mmcblk0", DiskFamily::Mmc},
        {"loop7", DiskFamily::Loop},      {"loop12", DiskFamily::Loop},
        // Partitions, eMMC hardware partitions, hidden multipath paths and
        // the devices that are not disks.
        {"sda1", DiskFamily::None},       {"nvme0n1p2", DiskFamily::None},
        {"nvme0c0n1", DiskFamily::None},  {"mmcblk0p1", DiskFamily::None},
        {"mmcblk0boot0", DiskFamily::None}, {"mmcblk0rpmb", DiskFamily::None},
        {"loop0p1", DiskFamily::None},    {"ram0", DiskFamily::None},
        {"zram0", DiskFamily::None},      {"dm-0", DiskFamily::None},
        {"md127", DiskFamily::None},      {"sr0", DiskFamily::None},
        {"fd0", DiskFamily::None},        {"nbd0", DiskFamily::None},
        {"sd", DiskFamily::None},         {"loop", DiskFamily::None},
        {"sdA", DiskFamily::None},        {"nvme0n", DiskFamily::None},
    };
    for (const Case& c : cases) EXPECT_EQ(FamilyOf(c.name), c.family) << c.name;
}

TEST(DiskNames, NumbersWholeDisksInNaturalOrderAndLeavesTheRestOut) {
    std::vector<DiskCandidate> found;
    for (const char* name : {"loop10", "sdb", "nvme1n1", "mmcblk0", "vda", "sda", "loop2", "hda",
                             "xvda", "nvme0n2", "nvme0n1", "sdaa", "sdz", "mmcblk0boot0",
                             "mmcblk0rpmb", "ram0", "zram0", "dm-0", "md0", "sr0", "nvme10n1",
                             "nvme2n1", "mmcblk1"}) {
        found.push_back({name, false, true});
    }
    found.push_back({"loop3", false, false});   // no backing file: not a disk
    found.push_back({"nvme3n1", true, false});  // hidden
    const std::vector<std::string> expected = {
        "sda",     "sdb",     "sdz",     "sdaa",     "hda",     "vda",     "xvda",  "nvme0n1",
        "nvme0n2", "nvme1n1", "nvme2n1", "nvme10n1", "mmcblk0", "mmcblk1", "loop2", "loop10"};
    EXPECT_EQ(NumberDisks(found, std::nullopt), expected);
}

TEST(DiskNames, AllowListNamesTheOnlyDisksThatGetNumbers) {
    EXPECT_EQ(ParseAllowList(nullptr), std::nullopt);
    EXPECT_EQ(ParseAllowList(" loop3, /dev/loop4,,sdb "), (std::set<std::string>{"loop3", "loop4", "sdb"}));
    EXPECT_EQ(ParseAllowList(""), std::set<std::string>{});

    const std::vector<DiskCandidate> found = {
        {"sda", false, false}, {"sdb", false, false},  {"sda1", false, false},
        {"loop3", false, false}, {"loop10", false, true}, {"vda", false, false}};
    // Numbered among themselves; a partition, or a loop device without its
    // file, stays out even when named.
    EXPECT_EQ(NumberDisks(found, ParseAllowList("loop10,sdb,sda1,loop3,sdx")),
              (std::vector<std::string>{"sdb", "loop10"}));
    // Set but empty: nothing at all.
    EXPECT_TRUE(NumberDisks(found, ParseAllowList(" , ")).empty());
}

TEST(DiskNames, ReadsTheCandidatesOfAFakeSysBlock) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    auto write = [&](const QString& relative, const QByteArray& text) {
        const QString path = root.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    };
    write("block/sdb/hidden", "0\n");
    write("block/sda/hidden", "0\n");
    write("block/loop0/loop/backing_file", "/tmp/disk.img\n");
    write("block/loop1/hidden", "0\n");
    write("block/nvme0n1/hidden", "1\n");
    write("block/zram0/hidden", "0\n");
    EXPECT_EQ(NumberDisks(ReadDiskCandidates(root.path().toStdString()), std::nullopt),
              (std::vector<std::string>{"sda", "sdb", "loop0"}));
}

}  // namespace
}  // namespace cendrix::platform::linux_backend
