// LinuxStorage over a fake sysfs and mountinfo: the numbering, the
// allow-list and the volume requests, without root and without a disk.
#include "platform/linux/linux_storage.h"

#include <gtest/gtest.h>

#include <QFile>
#include <cerrno>
#include <cstring>

#include "discovery/volumes.h"
#include "fake_sysfs.h"
#include "platform/byte_order.h"
#include "platform/control_codes.h"
#include "platform/text_codec.h"
#include "platform/unique_handle.h"
#include "platform/win32_errors.h"

namespace cendrix::platform::linux_backend {
namespace {

using cendrix::testing::FakeSysfs;

LinuxStorageConfig Config(const FakeSysfs& fake, const char* allow) {
    LinuxStorageConfig config;
    config.allowDisks = ParseAllowList(allow);
    config.sysRoot = fake.SysRoot();
    config.devRoot = fake.DevRoot();
    config.mountInfoPath = fake.MountInfo();
    return config;
}

QStringList Drives(StorageApi& storage) {
    DriveNameList list;
    ListDriveLetters(storage, list);
    QStringList drives;
    for (const QString& d : list) {
        if (!d.isEmpty()) drives << d;
    }
    return drives;
}

TEST(LinuxStorage, NumbersTheDisksAndMapsTheirMountPoints) {
    FakeSysfs fake;
    LinuxStorage storage(Config(fake, nullptr));
    EXPECT_EQ(storage.NumberedDisks(), (std::vector<std::string>{"sda", "nvme0n1", "loop3"}));
    // The zram file system is on no numbered disk.
    EXPECT_EQ(Drives(storage), (QStringList{"/mnt/loop p2", "/"}));

    VolumeDeviceInfo info;
    QueryDeviceNumber(storage, QStringLiteral("/"), info);
    EXPECT_TRUE(info.Found);
    EXPECT_EQ(info.DeviceType, 7u);
    EXPECT_EQ(info.DeviceNumber, 0u);
    EXPECT_EQ(info.PartitionNumber, 1u);
    QueryDeviceNumber(storage, QStringLiteral("/mnt/loop p2"), info);
    EXPECT_TRUE(info.Found);
    EXPECT_EQ(info.DeviceNumber, 2u);
    EXPECT_EQ(info.PartitionNumber, 2u);
    QueryDeviceNumber(storage, QStringLiteral("/var/cache"), info);
    EXPECT_FALSE(info.Found);
}

TEST(LinuxStorage, AllowListLeavesEverythingElseUnreachable) {
    FakeSysfs fake;
    LinuxStorage storage(Config(fake, "loop3"));
    EXPECT_EQ(storage.NumberedDisks(), std::vector<std::string>{"loop3"});
    EXPECT_EQ(Drives(storage), QStringList{"/mnt/loop p2"});

    VolumeDeviceInfo info;
    QueryDeviceNumber(storage, QStringLiteral("/mnt/loop p2"), info);
    EXPECT_TRUE(info.Found);
    EXPECT_EQ(info.DeviceNumber, 0u);  // numbered among the allowed disks
    EXPECT_EQ(info.PartitionNumber, 2u);

    // The root file system's volume and the other disks cannot even be opened.
    for (const char16_t* path : {u"\\\\.\\/", u"\\\\.\\PhysicalDrive1", u"\\\\.\\PhysicalDrive2"}) {
        EXPECT_EQ(storage.CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0),
                  INVALID_HANDLE_VALUE);
        EXPECT_EQ(storage.GetLastError(), ERROR_FILE_NOT_FOUND);
    }

    LinuxStorage none(Config(fake, ""));
    EXPECT_TRUE(none.NumberedDisks().empty());
    EXPECT_TRUE(Drives(none).isEmpty());
}

TEST(LinuxStorage, DiskPathsAndTheirFailures) {
    FakeSysfs fake;
    LinuxStorage storage(Config(fake, nullptr));
    // The fake /dev has no node: the open fails with the system's own text.
    EXPECT_EQ(storage.CreateFileW(u"\\\\.\\PhysicalDrive2", GENERIC_READ, 3, OPEN_EXISTING, 0), INVALID_HANDLE_VALUE);
    EXPECT_EQ(storage.GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(storage.LastErrno(), ENOENT);
    EXPECT_EQ(storage.FormatMessageW(ERROR_FILE_NOT_FOUND), Utf8ToUtf16(std::strerror(ENOENT)));
    // Another code than the last one gets its Windows text.
    EXPECT_EQ(storage.FormatMessageW(ERROR_IO_DEVICE), Win32ErrorText(ERROR_IO_DEVICE));

    // A node that is not a block device is not the disk.
    fake.Write("../dev/loop3", "not a disk");
    EXPECT_EQ(storage.CreateFileW(u"\\\\.\\PhysicalDrive2", GENERIC_READ, 3, OPEN_EXISTING, 0), INVALID_HANDLE_VALUE);
    EXPECT_EQ(storage.GetLastError(), ERROR_FILE_NOT_FOUND);

    // Numbers that are not spelled canonically, or that no disk has.
    for (const char16_t* path : {u"\\\\.\\PhysicalDrive02", u"\\\\.\\PhysicalDrive3", u"\\\\.\\PhysicalDrive",
                                 u"\\\\.\\PhysicalDrive1x", u"\\\\.\\C:", u"C:\\"}) {
        EXPECT_EQ(storage.CreateFileW(path, GENERIC_READ, 3, OPEN_EXISTING, 0), INVALID_HANDLE_VALUE);
        EXPECT_EQ(storage.GetLastError(), ERROR_FILE_NOT_FOUND);
    }
}

TEST(LinuxStorage, VolumeRequests) {
    FakeSysfs fake;
    LinuxStorage storage(Config(fake, nullptr));
    UniqueHandle query(storage, storage.CreateFileW(u"\\\\.\\/mnt/loop p2", 0, 3, OPEN_EXISTING, 0));
    ASSERT_TRUE(query.Valid());
    // Opened for queries only: no lock.
    EXPECT_FALSE(storage.DeviceIoControl(query.Get(), FSCTL_LOCK_VOLUME, nullptr, 0, nullptr, 0, nullptr));
    EXPECT_EQ(storage.GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(storage.DeviceIoControl(query.Get(), FSCTL_ALLOW_EXTENDED_DASD_IO, nullptr, 0, nullptr, 0, nullptr));
    std::uint8_t small[8] = {};
    std::uint32_t returned = 99;
    EXPECT_FALSE(storage.DeviceIoControl(query.Get(), IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, small, 8, &returned));
    EXPECT_EQ(storage.GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(returned, 0u);
    // Writing to a volume handle is not a thing.
    EXPECT_FALSE(storage.WriteFile(query.Get(), small, 8, &returned));
    EXPECT_EQ(storage.GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_TRUE(storage.CloseHandle(query.Release()));
    EXPECT_FALSE(storage.CloseHandle(0x1234));
    EXPECT_EQ(storage.GetLastError(), ERROR_INVALID_HANDLE);

    // Drive strings: the size needed when the buffer is too small.
    char16_t tiny[4] = {};
    EXPECT_EQ(storage.GetLogicalDriveStringsW(4, tiny), std::u16string(u"/mnt/loop p2").size() + 1 + 2 + 1);
}

}  // namespace
}  // namespace cendrix::platform::linux_backend
