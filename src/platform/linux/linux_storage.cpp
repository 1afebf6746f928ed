#include "platform/linux/linux_storage.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/ata_serial.h"
#include "platform/byte_order.h"
#include "platform/control_codes.h"
#include "platform/linux/ata_passthrough.h"
#include "platform/linux/bus_type.h"
#include "platform/linux/device_commands.h"
#include "platform/linux/errno_map.h"
#include "platform/linux/storage_records.h"
#include "platform/text_codec.h"
#include "platform/win32_errors.h"

namespace cendrix::platform::linux_backend {

namespace {

constexpr std::string_view kDiskPrefix = "\\\\.\\physicaldrive";
constexpr std::string_view kDevicePrefix = "\\\\.\\";

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return out;
}

// "7:3" -> dev_t; 0 when malformed.
dev_t ParseDev(const std::string& text) {
    unsigned major = 0;
    unsigned minor = 0;
    char colon = 0;
    std::istringstream in(text);
    if (!(in >> major >> colon >> minor) || colon != ':') return 0;
    return makedev(major, minor);
}

bool Answer(const std::vector<std::uint8_t>& record, std::uint8_t* out, std::uint32_t outSize,
            std::uint32_t* returned) {
    const std::uint32_t count =
        out == nullptr ? 0 : std::min<std::uint32_t>(outSize, static_cast<std::uint32_t>(record.size()));
    if (count > 0) std::memcpy(out, record.data(), count);
    *returned = count;
    return true;
}

bool IsDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

struct LinuxStorage::Object {
    enum class Kind { Disk, Volume };
    Kind kind = Kind::Disk;
    std::string path;
    // A disk.
    int fd = -1;
    std::size_t disk = 0;      // index into disks_, which is its number
    bool writable = false;
    bool direct = false;       // opened with O_DIRECT
    // A volume.
    std::string mountPoint;
    unsigned major = 0;
    unsigned minor = 0;
    BlockLocation location;
    bool dataAccess = false;   // opened for reading or writing, not only for queries
    bool unmounted = false;    // this handle unmounted the file system
    bool holding = false;      // counted among the users of holds_[dev]
};

// The O_EXCL hold on the block device of a locked volume, shared by the
// volume handles of that device.
struct LinuxStorage::Hold {
    int fd = -1;
    int users = 0;
    std::string disk;          // kernel name of the whole disk
    std::string name;          // kernel name of the device itself
    dev_t dev = 0;
};

LinuxStorage::LinuxStorage(LinuxStorageConfig config) : config_(std::move(config)) {
    for (std::string& name : NumberDisks(ReadDiskCandidates(config_.sysRoot), config_.allowDisks)) {
        Disk disk;
        disk.identity = ReadDiskIdentity(config_.sysRoot, name);
        disk.name = std::move(name);
        disks_.push_back(std::move(disk));
    }
}

LinuxStorage::~LinuxStorage() {
    for (auto& [handle, object] : handles_) {
        if (object->fd >= 0) ::close(object->fd);
    }
    for (auto& [dev, hold] : holds_) {
        if (hold.fd >= 0) ::close(hold.fd);
    }
}

std::vector<std::string> LinuxStorage::NumberedDisks() const {
    std::vector<std::string> names;
    for (const Disk& d : disks_) names.push_back(d.name);
    return names;
}

bool LinuxStorage::Holding(unsigned major, unsigned minor) const {
    const auto it = holds_.find(makedev(major, minor));
    return it != holds_.end() && it->second.fd >= 0;
}

bool LinuxStorage::Fail(std::uint32_t code, int error) {
    lastError_ = code;
    lastErrno_ = error;
    return false;
}

bool LinuxStorage::Succeed() {
    // As on Windows, a call that succeeds leaves the last error as it was;
    // only an open that succeeds clears it (see Add).
    return true;
}

LinuxStorage::Object* LinuxStorage::Find(Handle handle) {
    const auto it = handles_.find(handle);
    return it == handles_.end() ? nullptr : it->second.get();
}

Handle LinuxStorage::Add(std::unique_ptr<Object> object) {
    const Handle handle = nextHandle_++;
    handles_.emplace(handle, std::move(object));
    lastError_ = ERROR_SUCCESS;
    lastErrno_ = 0;
    return handle;
}

int LinuxStorage::DiskNumber(const std::string& name) const {
    for (std::size_t i = 0; i < disks_.size(); ++i) {
        if (disks_[i].name == name) return static_cast<int>(i);
    }
    return -1;
}

Handle LinuxStorage::CreateFileW(std::u16string_view path16, std::uint32_t desiredAccess,
                                 std::uint32_t shareMode, std::uint32_t creationDisposition,
                                 std::uint32_t /*flagsAndAttributes*/) {
    const std::string path = Utf16ToUtf8(path16);
    if (creationDisposition != OPEN_EXISTING) {
        Fail(ERROR_ACCESS_DENIED, EACCES);
        return INVALID_HANDLE_VALUE;
    }
    const std::string lower = Lower(path);
    if (lower.starts_with(kDiskPrefix)) {
        const std::string digits = lower.substr(kDiskPrefix.size());
        // Only the canonical spelling of a number names a disk.
        if (!IsDigits(digits) || digits.size() > 3 || (digits.size() > 1 && digits[0] == '0')) {
            Fail(ERROR_FILE_NOT_FOUND, ENOENT);
            return INVALID_HANDLE_VALUE;
        }
        return OpenDisk(static_cast<std::size_t>(std::stoul(digits)), desiredAccess, shareMode);
    }
    if (path.starts_with(kDevicePrefix) && path.size() > kDevicePrefix.size() &&
        path[kDevicePrefix.size()] == '/') {
        return OpenVolume(path.substr(kDevicePrefix.size()), desiredAccess);
    }
    Fail(ERROR_FILE_NOT_FOUND, ENOENT);
    return INVALID_HANDLE_VALUE;
}

Handle LinuxStorage::OpenDisk(std::size_t number, std::uint32_t access, std::uint32_t share) {
    if (number >= disks_.size()) {
        Fail(ERROR_FILE_NOT_FOUND, ENOENT);
        return INVALID_HANDLE_VALUE;
    }
    const Disk& disk = disks_[number];
    // The disk numbered N must still be the disk that was there when the
    // numbers were given; a loop device must still have its file.
    const bool same = ReadDiskIdentity(config_.sysRoot, disk.name) == disk.identity;
    const bool backed = FamilyOf(disk.name) != DiskFamily::Loop ||
                        !ReadSysText(config_.sysRoot + "/block/" + disk.name + "/loop/backing_file").empty();
    if (!same || !backed) {
        Fail(ERROR_FILE_NOT_FOUND, ENOENT);
        return INVALID_HANDLE_VALUE;
    }
    const std::string node = config_.devRoot + "/" + disk.name;
    const bool writable = (access & GENERIC_WRITE) != 0;
    const int base = (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC;
    bool direct = writable;
    int fd = ::open(node.c_str(), base | (direct ? O_DIRECT : 0));
    if (fd < 0 && direct && errno == EINVAL) {
        // The device refuses direct I/O: write through the page cache, each
        // write synchronous so that its failure is its own.
        direct = false;
        fd = ::open(node.c_str(), base | O_DSYNC);
    }
    if (fd < 0) {
        const int error = errno;
        Fail(Win32ErrorFromErrno(error), error);
        return INVALID_HANDLE_VALUE;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISBLK(st.st_mode) || st.st_rdev != ParseDev(disk.identity.dev)) {
        ::close(fd);
        Fail(ERROR_FILE_NOT_FOUND, ENOENT);
        return INVALID_HANDLE_VALUE;
    }
    if (share == 0 && (access & (GENERIC_READ | GENERIC_WRITE)) != 0 &&
        ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) Fail(ERROR_SHARING_VIOLATION, EBUSY);
        else Fail(Win32ErrorFromErrno(error), error);
        return INVALID_HANDLE_VALUE;
    }
    auto object = std::make_unique<Object>();
    object->kind = Object::Kind::Disk;
    object->path = node;
    object->fd = fd;
    object->disk = number;
    object->writable = writable;
    object->direct = direct;
    return Add(std::move(object));
}

std::vector<MountEntry> LinuxStorage::ReadMounts() const {
    std::ifstream file(config_.mountInfoPath);
    std::ostringstream text;
    text << file.rdbuf();
    return ParseMountInfo(text.str());
}

std::vector<MountEntry> LinuxStorage::ListedVolumes() const {
    return VolumeMounts(ReadMounts(), [this](const MountEntry& e) {
        if (e.major == 0) return false;  // no block device behind it
        const auto location = LocateBlockDevice(config_.sysRoot, e.major, e.minor);
        return location && DiskNumber(location->disk) >= 0;
    });
}

Handle LinuxStorage::OpenVolume(const std::string& mountPoint, std::uint32_t access) {
    for (const MountEntry& e : ListedVolumes()) {
        if (e.mountPoint != mountPoint) continue;
        auto object = std::make_unique<Object>();
        object->kind = Object::Kind::Volume;
        object->path = mountPoint;
        object->mountPoint = mountPoint;
        object->major = e.major;
        object->minor = e.minor;
        object->location = *LocateBlockDevice(config_.sysRoot, e.major, e.minor);
        object->dataAccess = (access & (GENERIC_READ | GENERIC_WRITE)) != 0;
        return Add(std::move(object));
    }
    Fail(ERROR_FILE_NOT_FOUND, ENOENT);
    return INVALID_HANDLE_VALUE;
}

bool LinuxStorage::CloseHandle(Handle handle) {
    const auto it = handles_.find(handle);
    if (it == handles_.end()) return Fail(ERROR_INVALID_HANDLE, EBADF);
    Object& object = *it->second;
    if (object.kind == Object::Kind::Volume) ReleaseHold(object);
    if (object.fd >= 0) ::close(object.fd);
    handles_.erase(it);
    return Succeed();
}

bool LinuxStorage::DeviceIoControl(Handle handle, std::uint32_t controlCode, const void* in,
                                   std::uint32_t inSize, void* out, std::uint32_t outSize,
                                   std::uint32_t* bytesReturned) {
    std::uint32_t returned = 0;
    // The request is copied first: callers may pass one buffer as both.
    std::vector<std::uint8_t> input;
    if (in != nullptr && inSize > 0) {
        const auto* bytes = static_cast<const std::uint8_t*>(in);
        input.assign(bytes, bytes + inSize);
    }
    Object* object = Find(handle);
    bool ok = false;
    if (object == nullptr) {
        ok = Fail(ERROR_INVALID_HANDLE, EBADF);
    } else if (object->kind == Object::Kind::Disk) {
        ok = DiskControl(*object, controlCode, input.data(), static_cast<std::uint32_t>(input.size()),
                         static_cast<std::uint8_t*>(out), outSize, &returned);
    } else {
        ok = VolumeControl(*object, controlCode, static_cast<std::uint8_t*>(out), outSize, &returned);
    }
    if (bytesReturned != nullptr) *bytesReturned = ok ? returned : 0;
    return ok;
}

bool LinuxStorage::DiskControl(Object& disk, std::uint32_t code, const std::uint8_t* in,
                               std::uint32_t inSize, std::uint8_t* out, std::uint32_t outSize,
                               std::uint32_t* returned) {
    const int fd = disk.fd;
    switch (code) {
        case IOCTL_DISK_GET_DRIVE_GEOMETRY:
        case IOCTL_DISK_GET_LENGTH_INFO: {
            const std::uint32_t needed = code == IOCTL_DISK_GET_LENGTH_INFO ? 8 : 24;
            if (out == nullptr || outSize < needed) return Fail(ERROR_INSUFFICIENT_BUFFER, 0);
            std::uint64_t length = 0;
            int sectorSize = 0;
            if (::ioctl(fd, BLKGETSIZE64, &length) != 0 ||
                (code == IOCTL_DISK_GET_DRIVE_GEOMETRY && ::ioctl(fd, BLKSSZGET, &sectorSize) != 0)) {
                const int error = errno;
                return Fail(Win32ErrorFromErrno(error), error);
            }
            if (code == IOCTL_DISK_GET_LENGTH_INFO) return Answer(LengthRecord(length), out, outSize, returned);
            const bool removable = ReadSysText(config_.sysRoot + "/block/" + disks_[disk.disk].name + "/removable") == "1";
            return Answer(DiskGeometryRecord(static_cast<std::uint32_t>(sectorSize), length, removable),
                          out, outSize, returned);
        }
        case IOCTL_STORAGE_QUERY_PROPERTY:
            return QueryProperty(disk, in, inSize, out, outSize, returned);
        case SMART_GET_VERSION:
            if (!SgIoAvailable(fd)) return Fail(ERROR_INVALID_FUNCTION, ENOTTY);
            return Answer(SmartVersionRecord(), out, outSize, returned);
        case SMART_RCV_DRIVE_DATA:
        case SMART_SEND_DRIVE_COMMAND:
            return SmartCommand(disk, code, in, inSize, out, outSize, returned);
        case IOCTL_SCSI_MINIPORT:
            return MiniportIdentify(disk, in, inSize, out, outSize, returned);
        case IOCTL_DISK_UPDATE_PROPERTIES:
            return UpdateProperties(disk);
        case IOCTL_STORAGE_GET_DEVICE_NUMBER:
            if (out == nullptr || outSize < 12) return Fail(ERROR_INSUFFICIENT_BUFFER, 0);
            return Answer(DeviceNumberRecord(FILE_DEVICE_DISK, static_cast<std::uint32_t>(disk.disk), 0),
                          out, outSize, returned);
        default:
            // IOCTL_SCSI_GET_INQUIRY_DATA among them: Linux has no SCSI
            // adapter map to answer it with.
            return Fail(ERROR_INVALID_FUNCTION, 0);
    }
}

bool LinuxStorage::QueryProperty(Object& disk, const std::uint8_t* in, std::uint32_t inSize,
                                 std::uint8_t* out, std::uint32_t outSize, std::uint32_t* returned) {
    if (inSize < 8) return Fail(ERROR_INVALID_PARAMETER, 0);
    const std::uint32_t property = LoadLe32(in);
    const std::uint32_t queryType = LoadLe32(in + 4);
    if (queryType != 0 || (property != StorageDeviceProperty && property != StorageAdapterProperty)) {
        return Fail(ERROR_INVALID_FUNCTION, 0);
    }
    if (out == nullptr || outSize < 8) return Fail(ERROR_INSUFFICIENT_BUFFER, 0);
    const std::string& name = disks_[disk.disk].name;
    const DiskFacts facts = ReadDiskFacts(config_.sysRoot, name);
    if (property == StorageAdapterProperty) {
        return Answer(AdapterDescriptorRecord(facts.maxTransferBytes, facts.maxSegments,
                                              facts.alignmentMask, facts.busType),
                      out, outSize, returned);
    }
    // An ATA disk tells its own texts through IDENTIFY: the full model
    // rather than the 16 characters of its SCSI translation. A libata disk
    // has its IDENTIFY data at hand (HDIO), or is asked (SG_IO). Behind a
    // USB bridge only the bridge's ATA Information page is used, which the
    // kernel already read: some bridges do not survive a pass-through
    // command they do not know, and the probe must not be the one to send it.
    DeviceTexts texts;
    bool fromIdentify = false;
    std::uint8_t sector[kAtaSectorSize] = {};
    if (facts.busType == kBusSata || facts.busType == kBusAta) {
        int error = 0;
        IdeRegisters identify;
        identify.sectorCount = 1;
        identify.sectorNumber = 1;
        identify.driveHead = 0xA0;
        identify.command = 0xEC;
        fromIdentify = HdioIdentify(disk.fd, sector) == 0 ||
                       RunAtaPassThrough(disk.fd, identify, AtaProtocol::PioDataIn, sector, &error).error == 0;
    } else if (facts.busType == kBusUsb) {
        fromIdentify = IdentifyFromVpd89(ReadSysBytes(config_.sysRoot + "/block/" + name + "/device/vpd_pg89"), sector);
    }
    if (fromIdentify) texts = TextsFromIdentify(sector);
    if (!fromIdentify) {
        texts = SysfsTexts(config_.sysRoot, name);
        if (texts.serial.empty() && SgIoAvailable(disk.fd)) texts.serial = InquirySerial(disk.fd);
        texts.serial = EncodeSerialAtaOrder(texts.serial);
    }
    return Answer(DeviceDescriptorRecord(texts, facts.removable, facts.busType), out, outSize, returned);
}

bool LinuxStorage::SmartCommand(Object& disk, std::uint32_t code, const std::uint8_t* in,
                                std::uint32_t inSize, std::uint8_t* out, std::uint32_t outSize,
                                std::uint32_t* returned) {
    const auto request = ParseSendCmdIn(in, inSize);
    if (!request) return Fail(ERROR_INVALID_PARAMETER, 0);
    const AtaPlan plan = PlanSmartRequest(code, *request);
    if (plan.error != 0) return Fail(plan.error, 0);
    const std::size_t answerSize = kSendCmdOutHeaderSize + (plan.DataIn() ? kAtaSectorSize : 0);
    if (out == nullptr || outSize < answerSize) return Fail(ERROR_INSUFFICIENT_BUFFER, 0);
    std::uint8_t sector[kAtaSectorSize] = {};
    int error = 0;
    const AtaOutcome outcome = RunAtaPassThrough(disk.fd, request->regs, plan.protocol, sector, &error);
    if (outcome.error != 0) return Fail(outcome.error, error);
    return Answer(SendCmdOutRecord(plan.DataIn() ? sector : nullptr, outcome), out, outSize, returned);
}

bool LinuxStorage::MiniportIdentify(Object& disk, const std::uint8_t* in, std::uint32_t inSize,
                                    std::uint8_t* out, std::uint32_t outSize, std::uint32_t* returned) {
    if (!IsMiniportIdentify(in, inSize)) return Fail(ERROR_INVALID_PARAMETER, 0);
    if (out == nullptr || outSize < kSrbHeaderSize + kSendCmdOutHeaderSize + kAtaSectorSize) {
        return Fail(ERROR_INSUFFICIENT_BUFFER, 0);
    }
    std::uint8_t sector[kAtaSectorSize] = {};
    if (const int error = HdioIdentify(disk.fd, sector); error != 0) {
        return Fail(Win32ErrorFromErrno(error), error);
    }
    return Answer(MiniportIdentifyAnswer(in, sector), out, outSize, returned);
}

bool LinuxStorage::UpdateProperties(Object& disk) {
    // The kernel re-reads a partition table only while no partition of the
    // disk is open, and the holds of locked volumes keep theirs open. They
    // are let go for the re-read and taken again afterwards where the
    // partition is still there.
    const std::string& name = disks_[disk.disk].name;
    std::vector<Hold*> paused;
    for (auto& [dev, hold] : holds_) {
        if (hold.disk == name && hold.fd >= 0 && hold.name != name) {
            ::close(hold.fd);
            hold.fd = -1;
            paused.push_back(&hold);
        }
    }
    const int result = ::ioctl(disk.fd, BLKRRPART);
    const int error = result == 0 ? 0 : errno;
    for (Hold* hold : paused) TakeHold(*hold);
    if (result != 0) return Fail(Win32ErrorFromErrno(error), error);
    return Succeed();
}

bool LinuxStorage::VolumeControl(Object& volume, std::uint32_t code, std::uint8_t* out,
                                 std::uint32_t outSize, std::uint32_t* returned) {
    switch (code) {
        case IOCTL_STORAGE_GET_DEVICE_NUMBER: {
            if (out == nullptr || outSize < 12) return Fail(ERROR_INSUFFICIENT_BUFFER, 0);
            const int number = DiskNumber(volume.location.disk);
            if (number < 0) return Fail(ERROR_FILE_NOT_FOUND, ENOENT);
            return Answer(DeviceNumberRecord(FILE_DEVICE_DISK, static_cast<std::uint32_t>(number),
                                             volume.location.partition),
                          out, outSize, returned);
        }
        case FSCTL_LOCK_VOLUME:
        case FSCTL_DISMOUNT_VOLUME:
            // The unmount happens at the lock; a dismount after it has
            // nothing left to do, one without it unmounts just the same.
            if (!volume.dataAccess) return Fail(ERROR_ACCESS_DENIED, EACCES);
            if (volume.unmounted) return Succeed();
            return UnmountAndHold(volume);
        case FSCTL_ALLOW_EXTENDED_DASD_IO:
            return Succeed();
        default:
            return Fail(ERROR_INVALID_FUNCTION, 0);
    }
}

bool LinuxStorage::UnmountAndHold(Object& volume) {
    const std::vector<MountEntry> mounts = ReadMounts();
    const MountEntry* here = nullptr;
    for (const MountEntry& e : mounts) {
        if (e.mountPoint == volume.mountPoint) here = &e;
    }
    if (here != nullptr) {
        // Something else mounted there since the volume was opened is none
        // of this handle's business.
        if (here->major != volume.major || here->minor != volume.minor) {
            return Fail(ERROR_ACCESS_DENIED, EACCES);
        }
        // Without force: a file system with open files stays mounted and
        // the lock is refused, as on Windows.
        if (::umount2(volume.mountPoint.c_str(), UMOUNT_NOFOLLOW) != 0) {
            const int error = errno;
            return Fail(Win32ErrorFromErrno(error), error);
        }
    }
    volume.unmounted = true;

    const dev_t dev = makedev(volume.major, volume.minor);
    Hold& hold = holds_[dev];
    if (hold.users == 0) {
        hold.dev = dev;
        hold.disk = volume.location.disk;
        hold.name = volume.location.name;
    }
    ++hold.users;
    volume.holding = true;
    if (hold.fd >= 0) return Succeed();
    const int error = TakeHold(hold);
    if (error == 0) return Succeed();
    if (error == EBUSY) return Fail(ERROR_SHARING_VIOLATION, EBUSY);
    return Fail(Win32ErrorFromErrno(error), error);
}

int LinuxStorage::TakeHold(Hold& hold) {
    // While the device is still mounted at another mount point, the volume
    // of that mount point unmounts it in its turn and the hold is taken then.
    for (const MountEntry& e : ReadMounts()) {
        if (makedev(e.major, e.minor) == hold.dev) return 0;
    }
    const std::string node = config_.devRoot + "/" + hold.name;
    const int fd = ::open(node.c_str(), O_RDONLY | O_EXCL | O_CLOEXEC);
    if (fd < 0) return errno;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISBLK(st.st_mode) || st.st_rdev != hold.dev) {
        ::close(fd);
        return ENODEV;
    }
    hold.fd = fd;
    return 0;
}

void LinuxStorage::ReleaseHold(Object& volume) {
    if (!volume.holding) return;
    volume.holding = false;
    const auto it = holds_.find(makedev(volume.major, volume.minor));
    if (it == holds_.end() || --it->second.users > 0) return;
    if (it->second.fd >= 0) ::close(it->second.fd);
    holds_.erase(it);
}

bool LinuxStorage::SetFilePointerEx(Handle handle, std::int64_t distance, std::int64_t* newPosition,
                                    std::uint32_t moveMethod) {
    Object* object = Find(handle);
    if (object == nullptr || object->kind != Object::Kind::Disk) return Fail(ERROR_INVALID_HANDLE, EBADF);
    int whence = SEEK_SET;
    if (moveMethod == 1) whence = SEEK_CUR;
    else if (moveMethod == 2) whence = SEEK_END;
    else if (moveMethod != FILE_BEGIN) return Fail(ERROR_INVALID_PARAMETER, EINVAL);
    const off_t position = ::lseek(object->fd, static_cast<off_t>(distance), whence);
    if (position < 0) {
        const int error = errno;
        return Fail(Win32ErrorFromErrno(error), error);
    }
    if (newPosition != nullptr) *newPosition = position;
    return Succeed();
}

bool LinuxStorage::InUseByOthers(const Object& disk, std::uint64_t offset, std::uint64_t count) {
    const Disk& d = disks_[disk.disk];
    for (const PartitionExtent& p : ReadPartitions(config_.sysRoot, d.name)) {
        if (!p.Overlaps(offset, count) || holds_.count(makedev(p.major, p.minor)) != 0) continue;
        // A partition that cannot be claimed is claimed already: a mounted
        // file system, active swap, a device-mapper or RAID member.
        const std::string node = config_.devRoot + "/" + p.name;
        const int fd = ::open(node.c_str(), O_RDONLY | O_EXCL | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0 && errno == EBUSY) return true;
        if (fd >= 0) ::close(fd);
    }
    // A file system right on the whole disk.
    const dev_t whole = ParseDev(d.identity.dev);
    if (holds_.count(whole) != 0) return false;
    for (const MountEntry& m : ReadMounts()) {
        if (makedev(m.major, m.minor) == whole) return true;
    }
    return false;
}

bool LinuxStorage::WriteFile(Handle handle, const void* buffer, std::uint32_t bytesToWrite,
                             std::uint32_t* bytesWritten) {
    if (bytesWritten != nullptr) *bytesWritten = 0;
    Object* object = Find(handle);
    if (object == nullptr || object->kind != Object::Kind::Disk) return Fail(ERROR_INVALID_HANDLE, EBADF);
    if (!object->writable) return Fail(ERROR_ACCESS_DENIED, EBADF);
    // As Windows refuses a raw write into a mounted volume, this refuses
    // one into a partition (or a disk) that something else still holds: a
    // volume that was not locked is not overwritten under its file system.
    const off_t position = ::lseek(object->fd, 0, SEEK_CUR);
    if (position >= 0 && InUseByOthers(*object, static_cast<std::uint64_t>(position), bytesToWrite)) {
        return Fail(ERROR_ACCESS_DENIED, EBUSY);
    }
    const auto* data = static_cast<const std::uint8_t*>(buffer);
    std::uint32_t done = 0;
    bool buffered = !object->direct;
    int error = 0;
    while (done < bytesToWrite) {
        const ssize_t n = ::write(object->fd, data + done, bytesToWrite - done);
        if (n > 0) {
            done += static_cast<std::uint32_t>(n);
            continue;
        }
        if (n == 0) {
            error = ENOSPC;
            break;
        }
        if (errno == EINTR) continue;
        if (errno == EINVAL && !buffered) {
            // Direct I/O refused this write (a buffer, length or offset it
            // cannot align): the rest goes through the page cache instead,
            // and reaches the disk before the call returns.
            const int flags = ::fcntl(object->fd, F_GETFL);
            if (flags >= 0 && ::fcntl(object->fd, F_SETFL, flags & ~O_DIRECT) == 0) {
                buffered = true;
                continue;
            }
        }
        error = errno;
        break;
    }
    if (buffered && object->direct) {
        if (error == 0 && ::fdatasync(object->fd) != 0) error = errno;
        const int flags = ::fcntl(object->fd, F_GETFL);
        if (flags >= 0) ::fcntl(object->fd, F_SETFL, flags | O_DIRECT);
    }
    if (bytesWritten != nullptr) *bytesWritten = done;
    if (error != 0) return Fail(Win32ErrorFromErrno(error), error);
    return Succeed();
}

std::u16string LinuxStorage::FormatMessageW(std::uint32_t errorCode) {
    if (errorCode != 0 && errorCode == lastError_ && lastErrno_ != 0) {
        char text[256] = {};
        return Utf8ToUtf16(::strerror_r(lastErrno_, text, sizeof text));
    }
    return Win32ErrorText(errorCode);
}

std::uint32_t LinuxStorage::GetLogicalDriveStringsW(std::uint32_t capacity, char16_t* buffer) {
    std::u16string all;
    for (const MountEntry& e : ListedVolumes()) {
        all += Utf8ToUtf16(e.mountPoint);
        all += u'\0';
    }
    const auto length = static_cast<std::uint32_t>(all.size());
    if (length + 1 > capacity || buffer == nullptr) return length + 1;
    std::copy(all.begin(), all.end(), buffer);
    buffer[length] = u'\0';
    return length;
}

}  // namespace cendrix::platform::linux_backend
