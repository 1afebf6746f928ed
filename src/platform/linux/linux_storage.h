// The storage seam over the real disks of a Linux machine. The core speaks
// the Windows storage interface; this backend answers each request with the
// Linux means of the same effect (see DESIGN.md, "Linux backend"):
//
// - \\.\PhysicalDriveN is the N-th numbered disk of /sys/block (disk_names.h).
//   The numbering is taken once, when the backend is made, and each disk's
//   identity (dev and diskseq) with it: a later open of N reaches that same
//   disk or fails, never a disk that took its name meanwhile.
// - With an allow-list (CENDRIX_ALLOW_DISKS) only the disks it names are
//   numbered, among themselves: no other disk, and no volume on another
//   disk, can be opened, queried, locked or written.
// - Volumes are mount points of block-device file systems on numbered disks,
//   opened as "\\.\" + mount point. Locking one unmounts it (umount2 without
//   force, so open files refuse the lock) and from then on holds its block
//   device open with O_EXCL, so nothing mounts it again, until the volume
//   handle is closed. Dismount then has nothing left to do.
// - The exclusive open of a disk takes flock(LOCK_EX) on the whole-disk node
//   (the lock udev honours); another holder is a sharing violation.
// - A write into a partition that something else holds (mounted, swap, a
//   device-mapper or RAID member), or to a disk with a file system mounted
//   right on it, is refused with ERROR_ACCESS_DENIED, as Windows refuses a
//   raw write into a mounted volume. The volumes locked through this
//   backend are its own and may be written.
// - Failures are errno values mapped to Windows codes; the message of the
//   last failure is the system's text for its original errno.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/linux/disk_names.h"
#include "platform/linux/mountinfo.h"
#include "platform/linux/sysfs.h"
#include "platform/storage_api.h"

namespace cendrix::platform::linux_backend {

struct LinuxStorageConfig {
    AllowList allowDisks;  // nullopt: every disk
    std::string sysRoot = "/sys";
    std::string devRoot = "/dev";
    std::string mountInfoPath = "/proc/self/mountinfo";
};

class LinuxStorage final : public StorageApi {
public:
    explicit LinuxStorage(LinuxStorageConfig config = {});
    ~LinuxStorage() override;
    LinuxStorage(const LinuxStorage&) = delete;
    LinuxStorage& operator=(const LinuxStorage&) = delete;

    Handle CreateFileW(std::u16string_view path, std::uint32_t desiredAccess,
                       std::uint32_t shareMode, std::uint32_t creationDisposition,
                       std::uint32_t flagsAndAttributes) override;
    bool CloseHandle(Handle handle) override;
    bool DeviceIoControl(Handle handle, std::uint32_t controlCode, const void* in,
                         std::uint32_t inSize, void* out, std::uint32_t outSize,
                         std::uint32_t* bytesReturned) override;
    bool SetFilePointerEx(Handle handle, std::int64_t distance, std::int64_t* newPosition,
                          std::uint32_t moveMethod) override;
    bool WriteFile(Handle handle, const void* buffer, std::uint32_t bytesToWrite,
                   std::uint32_t* bytesWritten) override;
    std::uint32_t GetLastError() override { return lastError_; }
    std::u16string FormatMessageW(std::uint32_t errorCode) override;
    std::uint32_t GetLogicalDriveStringsW(std::uint32_t capacity, char16_t* buffer) override;

    // The kernel names of the numbered disks: entry N is \\.\PhysicalDriveN.
    std::vector<std::string> NumberedDisks() const;
    // The errno behind the last error, 0 when it had none.
    int LastErrno() const { return lastErrno_; }
    // Whether a file system's block device is held after its volume was locked.
    bool Holding(unsigned major, unsigned minor) const;

private:
    struct Disk {
        std::string name;
        DiskIdentity identity;
    };
    struct Object;
    struct Hold;

    bool Fail(std::uint32_t code, int error);
    bool Succeed();
    Object* Find(Handle handle);
    Handle Add(std::unique_ptr<Object> object);

    Handle OpenDisk(std::size_t number, std::uint32_t access, std::uint32_t share);
    Handle OpenVolume(const std::string& mountPoint, std::uint32_t access);
    std::vector<MountEntry> ReadMounts() const;
    std::vector<MountEntry> ListedVolumes() const;
    int DiskNumber(const std::string& name) const;

    bool DiskControl(Object& disk, std::uint32_t code, const std::uint8_t* in, std::uint32_t inSize,
                     std::uint8_t* out, std::uint32_t outSize, std::uint32_t* returned);
    bool VolumeControl(Object& volume, std::uint32_t code, std::uint8_t* out, std::uint32_t outSize,
                       std::uint32_t* returned);
    bool QueryProperty(Object& disk, const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
                       std::uint32_t outSize, std::uint32_t* returned);
    bool SmartCommand(Object& disk, std::uint32_t code, const std::uint8_t* in, std::uint32_t inSize,
                      std::uint8_t* out, std::uint32_t outSize, std::uint32_t* returned);
    bool MiniportIdentify(Object& disk, const std::uint8_t* in, std::uint32_t inSize,
                          std::uint8_t* out, std::uint32_t outSize, std::uint32_t* returned);
    bool UpdateProperties(Object& disk);
    bool InUseByOthers(const Object& disk, std::uint64_t offset, std::uint64_t count);
    bool UnmountAndHold(Object& volume);
    int TakeHold(Hold& hold);
    void ReleaseHold(Object& volume);

    LinuxStorageConfig config_;
    std::vector<Disk> disks_;
    std::map<Handle, std::unique_ptr<Object>> handles_;
    std::map<dev_t, Hold> holds_;
    Handle nextHandle_ = 0x1000;
    std::uint32_t lastError_ = 0;
    int lastErrno_ = 0;
};

}  // namespace cendrix::platform::linux_backend
