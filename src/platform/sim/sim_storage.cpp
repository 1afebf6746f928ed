#include "platform/sim/sim_storage.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/byte_order.h"
#include "platform/control_codes.h"
#include "platform/sendcmd_record.h"
#include "platform/sim/image_file.h"
#include "platform/storage_records.h"
#include "platform/text_codec.h"
#include "platform/win32_errors.h"

namespace cendrix::platform::sim {

namespace {

constexpr std::string_view kDiskPrefix = "\\\\.\\physicaldrive";
constexpr std::string_view kDevicePrefix = "\\\\.\\";
constexpr std::uint32_t ERROR_NEGATIVE_SEEK = 131;

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

bool IsZero(const std::uint8_t* data, std::uint32_t length) {
    // Compare word-wise where the buffer allows; this runs once per block.
    std::uint32_t i = 0;
    for (; i + 8 <= length; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, data + i, 8);
        if (word != 0) return false;
    }
    for (; i < length; ++i) {
        if (data[i] != 0) return false;
    }
    return true;
}

bool Overlaps(std::int64_t offset, std::int64_t length, const FaultRange& range) {
    return offset < range.offset + range.length && range.offset < offset + length;
}

}  // namespace

struct SimStorage::DiskState {
    explicit DiskState(const Disk& d) : desc(d), image(d.imagePath) {
        // The drive starts with SMART as its IDENTIFY data says.
        if (d.identify) {
            const std::uint16_t w82 = LoadLe16(d.identify->data() + 164);
            const std::uint16_t w85 = LoadLe16(d.identify->data() + 170);
            smartEnabled = (w82 & 1u) != 0 && (w85 & 1u) != 0;
        }
    }
    const Disk& desc;
    ImageFile image;
    bool removed = false;
    bool smartEnabled = true;
    std::int64_t bytesWritten = 0;
};

struct SimStorage::VolumeState {
    explicit VolumeState(const Volume& v) : desc(v) {}
    const Volume& desc;
    Handle lockOwner = INVALID_HANDLE_VALUE;
    bool dismounted = false;
};

struct SimStorage::OpenObject {
    std::string key;         // "disk:N" or "volume:NAME", for sharing
    std::string path;
    DiskState* disk = nullptr;
    VolumeState* volume = nullptr;
    std::uint32_t access = 0;
    std::uint32_t share = 0;
    std::int64_t position = 0;
};

SimStorage::SimStorage(Machine machine) : machine_(std::move(machine)) {
    for (const Disk& d : machine_.disks) disks_.push_back(std::make_unique<DiskState>(d));
    for (const Volume& v : machine_.volumes) volumes_.push_back(std::make_unique<VolumeState>(v));
    // A disk that another program holds: an open handle that shares reading
    // and writing, so probing works and only the exclusive open is refused.
    for (auto& d : disks_) {
        if (!d->desc.inUse) continue;
        auto holder = std::make_unique<OpenObject>();
        holder->key = "disk:" + std::to_string(d->desc.number);
        holder->disk = d.get();
        holder->access = GENERIC_READ | GENERIC_WRITE;
        holder->share = FILE_SHARE_READ | FILE_SHARE_WRITE;
        handles_.emplace(nextHandle_++, std::move(holder));
    }
}

SimStorage::~SimStorage() = default;

void SimStorage::Record(Request request) {
    if (recording_) requests_.push_back(std::move(request));
}

bool SimStorage::Fail(std::uint32_t code) {
    lastError_ = code;
    return false;
}

bool SimStorage::Succeed() {
    lastError_ = ERROR_SUCCESS;
    return true;
}

SimStorage::OpenObject* SimStorage::Find(Handle handle) {
    auto it = handles_.find(handle);
    return it == handles_.end() ? nullptr : it->second.get();
}

bool SimStorage::ShareConflict(const std::string& key, std::uint32_t access,
                               std::uint32_t share) const {
    constexpr std::uint32_t kData = GENERIC_READ | GENERIC_WRITE;
    if ((access & kData) == 0) return false;  // attribute-only opens never conflict
    for (const auto& [handle, object] : handles_) {
        if (object->key != key || (object->access & kData) == 0) continue;
        if ((access & GENERIC_READ) && !(object->share & FILE_SHARE_READ)) return true;
        if ((access & GENERIC_WRITE) && !(object->share & FILE_SHARE_WRITE)) return true;
        if ((object->access & GENERIC_READ) && !(share & FILE_SHARE_READ)) return true;
        if ((object->access & GENERIC_WRITE) && !(share & FILE_SHARE_WRITE)) return true;
    }
    return false;
}

Handle SimStorage::CreateFileW(std::u16string_view path16, std::uint32_t desiredAccess,
                               std::uint32_t shareMode, std::uint32_t creationDisposition,
                               std::uint32_t /*flagsAndAttributes*/) {
    const std::string path = Utf16ToUtf8(path16);
    Request request;
    request.kind = Request::Kind::Open;
    request.path = path;
    request.access = desiredAccess;
    request.share = shareMode;

    auto finish = [&](Handle handle) {
        request.handle = handle;
        request.ok = handle != INVALID_HANDLE_VALUE;
        Record(request);
        return handle;
    };

    if (creationDisposition != OPEN_EXISTING) {
        Fail(ERROR_ACCESS_DENIED);
        return finish(INVALID_HANDLE_VALUE);
    }

    auto object = std::make_unique<OpenObject>();
    object->path = path;
    object->access = desiredAccess;
    object->share = shareMode;
    const std::string lower = Lower(path);
    if (lower.starts_with(kDiskPrefix)) {
        const std::string digits = lower.substr(kDiskPrefix.size());
        const bool canonical = !digits.empty() && digits.size() <= 3 &&
                               std::all_of(digits.begin(), digits.end(), ::isdigit) &&
                               (digits.size() == 1 || digits[0] != '0');
        for (auto& d : disks_) {
            if (canonical && std::to_string(d->desc.number) == digits) object->disk = d.get();
        }
        if (object->disk == nullptr || object->disk->removed) {
            Fail(ERROR_FILE_NOT_FOUND);
            return finish(INVALID_HANDLE_VALUE);
        }
        if (object->disk->desc.openFails) {
            Fail(ERROR_ACCESS_DENIED);
            return finish(INVALID_HANDLE_VALUE);
        }
        object->key = "disk:" + digits;
    } else if (lower.starts_with(kDevicePrefix)) {
        const std::string name = lower.substr(kDevicePrefix.size());
        for (auto& v : volumes_) {
            if (Lower(v->desc.name) == name) object->volume = v.get();
        }
        if (object->volume == nullptr) {
            Fail(ERROR_FILE_NOT_FOUND);
            return finish(INVALID_HANDLE_VALUE);
        }
        const bool wantsData = (desiredAccess & (GENERIC_READ | GENERIC_WRITE)) != 0;
        if (object->volume->desc.openFails ||
            (wantsData && object->volume->lockOwner != INVALID_HANDLE_VALUE)) {
            Fail(ERROR_ACCESS_DENIED);
            return finish(INVALID_HANDLE_VALUE);
        }
        object->key = "volume:" + name;
    } else {
        Fail(ERROR_PATH_NOT_FOUND);
        return finish(INVALID_HANDLE_VALUE);
    }

    if (ShareConflict(object->key, desiredAccess, shareMode)) {
        Fail(ERROR_SHARING_VIOLATION);
        return finish(INVALID_HANDLE_VALUE);
    }
    const Handle handle = nextHandle_++;
    handles_.emplace(handle, std::move(object));
    Succeed();
    return finish(handle);
}

bool SimStorage::CloseHandle(Handle handle) {
    Request request;
    request.kind = Request::Kind::Close;
    request.handle = handle;
    auto it = handles_.find(handle);
    if (it == handles_.end()) {
        Record(request);
        return Fail(ERROR_INVALID_HANDLE);
    }
    request.path = it->second->path;
    request.ok = true;
    Record(request);
    // Closing the handle that locked a volume ends the lock.
    if (VolumeState* v = it->second->volume; v != nullptr && v->lockOwner == handle) {
        v->lockOwner = INVALID_HANDLE_VALUE;
    }
    handles_.erase(it);
    return Succeed();
}

bool SimStorage::DeviceIoControl(Handle handle, std::uint32_t controlCode, const void* in,
                                 std::uint32_t inSize, void* out, std::uint32_t outSize,
                                 std::uint32_t* bytesReturned) {
    Request request;
    request.kind = Request::Kind::Control;
    request.handle = handle;
    request.code = controlCode;
    request.outSize = outSize;
    if (in != nullptr && inSize > 0) {
        const auto* bytes = static_cast<const std::uint8_t*>(in);
        request.input.assign(bytes, bytes + inSize);
    }
    // The input is copied before any answer is written: callers may pass one
    // buffer as both.
    const std::vector<std::uint8_t> input = request.input;
    std::uint32_t returned = 0;
    bool ok = false;
    OpenObject* object = Find(handle);
    if (object == nullptr) {
        ok = Fail(ERROR_INVALID_HANDLE);
    } else {
        request.path = object->path;
        auto* answer = static_cast<std::uint8_t*>(out);
        if (object->disk != nullptr) {
            ok = DiskControl(*object, *object->disk, controlCode, input.data(),
                             static_cast<std::uint32_t>(input.size()), answer, outSize, &returned);
        } else {
            ok = VolumeControl(handle, *object, *object->volume, controlCode, answer, outSize,
                               &returned);
        }
    }
    if (bytesReturned != nullptr) *bytesReturned = returned;
    request.ok = ok;
    Record(std::move(request));
    return ok;
}

bool SimStorage::DiskControl(OpenObject& /*object*/, DiskState& disk, std::uint32_t code,
                             const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
                             std::uint32_t outSize, std::uint32_t* bytesReturned) {
    const Disk& d = disk.desc;
    if (disk.removed) return Fail(ERROR_DEV_NOT_EXIST);
    if (d.refuse.count(code) != 0) return Fail(ERROR_INVALID_FUNCTION);

    std::vector<std::uint8_t> answer;
    switch (code) {
        case IOCTL_DISK_GET_DRIVE_GEOMETRY:
            if (d.geometryError) return Fail(*d.geometryError);
            answer = DiskGeometryRecord(d.sectorSize, static_cast<std::uint64_t>(d.size), d.removable);
            break;
        case IOCTL_DISK_GET_LENGTH_INFO:
            if (d.lengthError) return Fail(*d.lengthError);
            answer = LengthRecord(static_cast<std::uint64_t>(d.size));
            break;
        case IOCTL_STORAGE_QUERY_PROPERTY: {
            if (inSize < 12) return Fail(ERROR_INVALID_PARAMETER);
            const std::uint32_t property = LoadLe32(in);
            if (property == StorageAdapterProperty) {
                if (!d.bus) return Fail(ERROR_INVALID_FUNCTION);
                answer = AdapterDescriptorRecord(d.maxTransfer, d.maxTransfer / 4096 + 1, 1, *d.bus);
                break;
            }
            if (property != StorageDeviceProperty) return Fail(ERROR_INVALID_FUNCTION);
            if (d.deviceQueryError) return Fail(*d.deviceQueryError);
            answer = DeviceDescriptorRecord({d.vendor, d.product, d.revision, d.serialRaw}, d.removable,
                                            d.bus.value_or(0));
            break;
        }
        case SMART_GET_VERSION:
            answer = SmartVersionRecord(d.slave ? 0x02 : 0x01);  // bIDEDeviceMap
            break;
        case IOCTL_SCSI_GET_INQUIRY_DATA: {
            answer.assign(60, 0);
            answer[0] = 1;                          // one bus
            answer[4] = 1;                          // one logical unit
            answer[5] = 7;                          // initiator id
            StoreLe32(answer.data() + 8, 12);       // first inquiry record
            answer[12] = 0;                         // PathId
            answer[13] = d.slave ? 1 : 0;           // TargetId
            answer[15] = 1;                         // DeviceClaimed
            StoreLe32(answer.data() + 16, 36);
            std::string inquiry = d.vendor.substr(0, 8);
            inquiry.resize(8, ' ');
            std::string product = d.product.substr(0, 16);
            product.resize(16, ' ');
            std::memcpy(answer.data() + 24 + 8, inquiry.data(), 8);
            std::memcpy(answer.data() + 24 + 16, product.data(), 16);
            break;
        }
        case SMART_SEND_DRIVE_COMMAND:
        case SMART_RCV_DRIVE_DATA:
        case IOCTL_SCSI_MINIPORT:
            return AtaControl(disk, code, in, inSize, out, outSize, bytesReturned);
        case IOCTL_DISK_UPDATE_PROPERTIES:
            break;
        default:
            return Fail(ERROR_INVALID_FUNCTION);
    }
    std::uint32_t count = static_cast<std::uint32_t>(answer.size());
    if (auto it = d.answerBytes.find(code); it != d.answerBytes.end()) count = it->second;
    count = std::min(count, outSize);
    if (out != nullptr) {
        std::memcpy(out, answer.data(), std::min<std::size_t>(count, answer.size()));
    } else {
        count = 0;
    }
    *bytesReturned = count;
    return Succeed();
}

bool SimStorage::AtaControl(DiskState& disk, std::uint32_t code, const std::uint8_t* in,
                            std::uint32_t inSize, std::uint8_t* out, std::uint32_t outSize,
                            std::uint32_t* bytesReturned) {
    const Disk& d = disk.desc;
    // Find the SENDCMDINPARAMS record: the request itself, or behind the
    // SRB_IO_CONTROL header of a miniport request.
    constexpr std::uint32_t kSrbHeaderSize = 28;
    std::optional<SendCmdIn> request;
    if (code == IOCTL_SCSI_MINIPORT) {
        if (inSize < kSrbHeaderSize + kSendCmdInHeaderSize || std::memcmp(in + 4, "SCSIDISK", 8) != 0 ||
            LoadLe32(in + 16) != IOCTL_SCSI_MINIPORT_IDENTIFY) {
            return Fail(ERROR_INVALID_FUNCTION);
        }
        request = ParseSendCmdIn(in + kSrbHeaderSize, inSize - kSrbHeaderSize);
    } else {
        request = ParseSendCmdIn(in, inSize);
        if (!request) return Fail(ERROR_INVALID_PARAMETER);
    }
    const std::uint32_t bufferSize = request->bufferSize;
    const std::uint8_t features = request->regs.features;
    const std::uint8_t cylLow = request->regs.cylLow;
    const std::uint8_t cylHigh = request->regs.cylHigh;
    const std::uint8_t driveHead = request->regs.driveHead;
    const std::uint8_t command = request->regs.command;

    // The command reaches the drive only when the DEV bit names it.
    if (((driveHead & 0x10) != 0) != d.slave) return Fail(ERROR_IO_DEVICE);

    const Sector* data = nullptr;
    if (command == 0xEC) {
        if (code == SMART_SEND_DRIVE_COMMAND || !d.identify) return Fail(ERROR_INVALID_FUNCTION);
        data = &*d.identify;
    } else if (command == 0xB0 && code != IOCTL_SCSI_MINIPORT && cylLow == 0x4F && cylHigh == 0xC2) {
        switch (features) {
            case 0xD8:
                if (code != SMART_SEND_DRIVE_COMMAND) return Fail(ERROR_INVALID_FUNCTION);
                disk.smartEnabled = true;
                break;
            case 0xD9:
                if (code != SMART_SEND_DRIVE_COMMAND) return Fail(ERROR_INVALID_FUNCTION);
                disk.smartEnabled = false;
                break;
            case 0xD0:
                if (!d.smart) return Fail(ERROR_INVALID_FUNCTION);
                data = &*d.smart;
                break;
            default:
                return Fail(ERROR_INVALID_FUNCTION);
        }
    } else {
        return Fail(ERROR_INVALID_FUNCTION);
    }
    if (data != nullptr && bufferSize < 512) return Fail(ERROR_INSUFFICIENT_BUFFER);

    // SENDCMDOUTPARAMS: cBufferSize, DRIVERSTATUS (all clear), then the data.
    std::vector<std::uint8_t> answer(16, 0);
    if (data != nullptr) {
        StoreLe32(answer.data(), 512);
        answer.insert(answer.end(), data->begin(), data->end());
    }
    std::size_t at = 0;
    if (code == IOCTL_SCSI_MINIPORT) {
        // The answer replaces the request behind the 28-byte header; the
        // whole 572-byte buffer counts as returned.
        std::vector<std::uint8_t> whole(in, in + 28);
        whole.resize(572, 0);
        std::memcpy(whole.data() + 28, answer.data(), answer.size());
        answer = std::move(whole);
    }
    std::uint32_t count = static_cast<std::uint32_t>(answer.size());
    if (auto it = d.answerBytes.find(code); it != d.answerBytes.end()) {
        count = it->second;
        // A driver that hands back only the bare data sector puts it first.
        if (count == 512 && data != nullptr && code != IOCTL_SCSI_MINIPORT) at = 16;
    }
    count = std::min(count, outSize);
    if (out != nullptr) {
        const std::size_t available = answer.size() - at;
        std::memcpy(out, answer.data() + at, std::min<std::size_t>(count, available));
    } else {
        count = 0;
    }
    *bytesReturned = count;
    return Succeed();
}

bool SimStorage::VolumeControl(Handle handle, OpenObject& object, VolumeState& volume,
                               std::uint32_t code,
                               std::uint8_t* out, std::uint32_t outSize,
                               std::uint32_t* bytesReturned) {
    const Volume& v = volume.desc;
    switch (code) {
        case IOCTL_STORAGE_GET_DEVICE_NUMBER: {
            if (out == nullptr || outSize < 12) return Fail(ERROR_INSUFFICIENT_BUFFER);
            const auto record = DeviceNumberRecord(v.deviceType, v.deviceNumber, v.partition);
            std::copy(record.begin(), record.end(), out);
            *bytesReturned = static_cast<std::uint32_t>(record.size());
            return Succeed();
        }
        case FSCTL_LOCK_VOLUME:
            if ((object.access & (GENERIC_READ | GENERIC_WRITE)) == 0) return Fail(ERROR_ACCESS_DENIED);
            if (v.lock == VolumeAnswer::Refuse) return Fail(ERROR_ACCESS_DENIED);
            volume.lockOwner = handle;
            return Succeed();
        case FSCTL_DISMOUNT_VOLUME:
            if (v.dismount == VolumeAnswer::Refuse) return Fail(ERROR_ACCESS_DENIED);
            volume.dismounted = true;
            return Succeed();
        case FSCTL_ALLOW_EXTENDED_DASD_IO:
            if (v.extendedIo == VolumeAnswer::Refuse) return Fail(ERROR_INVALID_FUNCTION);
            return Succeed();
        default:
            return Fail(ERROR_INVALID_FUNCTION);
    }
}

bool SimStorage::SetFilePointerEx(Handle handle, std::int64_t distance, std::int64_t* newPosition,
                                  std::uint32_t moveMethod) {
    Request request;
    request.kind = Request::Kind::Seek;
    request.handle = handle;
    OpenObject* object = Find(handle);
    auto finish = [&](bool ok) {
        request.ok = ok;
        Record(request);
        return ok;
    };
    if (object == nullptr || object->disk == nullptr) return finish(Fail(ERROR_INVALID_HANDLE));
    request.path = object->path;
    DiskState& disk = *object->disk;
    std::int64_t target = distance;
    if (moveMethod == 1) target = object->position + distance;
    else if (moveMethod == 2) target = disk.desc.size + distance;
    else if (moveMethod != FILE_BEGIN) return finish(Fail(ERROR_INVALID_PARAMETER));
    request.offset = target;
    if (disk.removed) return finish(Fail(ERROR_DEV_NOT_EXIST));
    if (target < 0) return finish(Fail(ERROR_NEGATIVE_SEEK));
    for (const FaultRange& fault : disk.desc.seekErrors) {
        if (target >= fault.offset && target < fault.offset + std::max<std::int64_t>(fault.length, 1)) {
            return finish(Fail(fault.code));
        }
    }
    object->position = target;
    if (newPosition != nullptr) *newPosition = target;
    return finish(Succeed());
}

bool SimStorage::WriteFile(Handle handle, const void* buffer, std::uint32_t bytesToWrite,
                           std::uint32_t* bytesWritten) {
    Request request;
    request.kind = Request::Kind::Write;
    request.handle = handle;
    request.length = bytesToWrite;
    if (bytesWritten != nullptr) *bytesWritten = 0;
    OpenObject* object = Find(handle);
    auto finish = [&](bool ok) {
        request.ok = ok;
        Record(request);
        return ok;
    };
    if (object == nullptr || object->disk == nullptr) return finish(Fail(ERROR_INVALID_HANDLE));
    if (object->disk->desc.writeDelayMs > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(object->disk->desc.writeDelayMs));
    }
    request.path = object->path;
    request.offset = object->position;
    const auto* data = static_cast<const std::uint8_t*>(buffer);
    DiskState& disk = *object->disk;
    const Disk& d = disk.desc;
    // Reading a 32 MiB block once more costs a good part of the time the
    // disk takes to write it: only where someone uses the answer.
    if (recording_ || d.punchZeros) request.allZero = IsZero(data, bytesToWrite);
    if ((object->access & GENERIC_WRITE) == 0) return finish(Fail(ERROR_ACCESS_DENIED));
    if (disk.removed) return finish(Fail(ERROR_DEV_NOT_EXIST));

    // A raw disk takes whole sectors inside the disk only.
    const std::int64_t position = object->position;
    const std::int64_t granule = std::max<std::int64_t>(d.sectorSize, 512);
    if (position % granule != 0 || bytesToWrite % granule != 0 ||
        position + bytesToWrite > d.size) {
        return finish(Fail(ERROR_INVALID_PARAMETER));
    }
    for (const FaultRange& fault : d.writeErrors) {
        if (bytesToWrite > 0 && Overlaps(position, bytesToWrite, fault)) {
            if (fault.code == ERROR_FILE_NOT_FOUND || fault.code == ERROR_DEV_NOT_EXIST) {
                disk.removed = true;
            }
            return finish(Fail(fault.code));
        }
    }
    if (d.removeAfterBytes && disk.bytesWritten + bytesToWrite > *d.removeAfterBytes) {
        disk.removed = true;
        return finish(Fail(ERROR_DEV_NOT_EXIST));
    }
    if (!WriteImage(disk, position, data, bytesToWrite, request.allZero)) {
        return finish(Fail(ERROR_IO_DEVICE));
    }
    disk.bytesWritten += bytesToWrite;
    object->position += bytesToWrite;
    if (bytesWritten != nullptr) *bytesWritten = bytesToWrite;
    return finish(Succeed());
}

bool SimStorage::WriteImage(DiskState& disk, std::int64_t offset, const std::uint8_t* data,
                            std::uint32_t length, bool allZero) {
    if (length == 0) return true;
    if (allZero && disk.desc.punchZeros && disk.image.PunchZeros(offset, length)) return true;
    return disk.image.WriteAt(offset, data, length);
}

std::u16string SimStorage::FormatMessageW(std::uint32_t errorCode) {
    return Win32ErrorText(errorCode);
}

std::uint32_t SimStorage::GetLogicalDriveStringsW(std::uint32_t capacity, char16_t* buffer) {
    Request request;
    request.kind = Request::Kind::DriveStrings;
    std::u16string all;
    for (const Volume& v : machine_.volumes) {
        all += Utf8ToUtf16(v.name);
        all += u'\\';
        all += u'\0';
    }
    const auto length = static_cast<std::uint32_t>(all.size());
    request.ok = true;
    Record(request);
    if (length + 1 > capacity) return length + 1;
    std::copy(all.begin(), all.end(), buffer);
    buffer[length] = u'\0';
    Succeed();
    return length;
}

std::vector<Request> SimStorage::RequestsOf(Request::Kind kind, std::uint32_t code) const {
    std::vector<Request> found;
    for (const Request& r : requests_) {
        if (r.kind == kind && (kind != Request::Kind::Control || code == 0 || r.code == code)) {
            found.push_back(r);
        }
    }
    return found;
}

const SimStorage::DiskState* SimStorage::DiskByNumber(std::uint32_t number) const {
    for (const auto& d : disks_) {
        if (d->desc.number == number) return d.get();
    }
    return nullptr;
}

const SimStorage::VolumeState* SimStorage::VolumeByName(const std::string& name) const {
    for (const auto& v : volumes_) {
        if (v->desc.name == name) return v.get();
    }
    return nullptr;
}

bool SimStorage::DiskRemoved(std::uint32_t number) const {
    const DiskState* d = DiskByNumber(number);
    return d != nullptr && d->removed;
}

bool SimStorage::DiskSmartEnabled(std::uint32_t number) const {
    const DiskState* d = DiskByNumber(number);
    return d != nullptr && d->smartEnabled;
}

std::int64_t SimStorage::DiskBytesWritten(std::uint32_t number) const {
    const DiskState* d = DiskByNumber(number);
    return d != nullptr ? d->bytesWritten : 0;
}

bool SimStorage::VolumeLocked(const std::string& name) const {
    const VolumeState* v = VolumeByName(name);
    return v != nullptr && v->lockOwner != INVALID_HANDLE_VALUE;
}

bool SimStorage::VolumeDismounted(const std::string& name) const {
    const VolumeState* v = VolumeByName(name);
    return v != nullptr && v->dismounted;
}

std::string CheckImagesCreatable(const Machine& machine) {
    for (const Disk& d : machine.disks) {
        struct stat st {};
        if (::stat(d.imagePath.c_str(), &st) == 0) {
            if (!S_ISREG(st.st_mode) && !S_ISBLK(st.st_mode)) {
                return "image " + d.imagePath + " is not a regular file";
            }
            if (::access(d.imagePath.c_str(), W_OK) != 0) {
                return "image " + d.imagePath + " cannot be written";
            }
            continue;
        }
        const auto slash = d.imagePath.find_last_of('/');
        const std::string folder = slash == std::string::npos ? "." : d.imagePath.substr(0, std::max<std::size_t>(slash, 1));
        if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
            return "image " + d.imagePath + " cannot be created: folder " + folder + " does not exist";
        }
        if (::access(folder.c_str(), W_OK) != 0) {
            return "image " + d.imagePath + " cannot be created: folder " + folder + " is not writable";
        }
    }
    return {};
}

std::string PrepareImages(const Machine& machine) {
    std::vector<std::string> created;
    for (const Disk& d : machine.disks) {
        struct stat st {};
        if (::stat(d.imagePath.c_str(), &st) == 0) continue;
        if (!ImageFile::CreateSparse(d.imagePath, d.size)) {
            for (const std::string& path : created) ::unlink(path.c_str());
            return "image " + d.imagePath + " cannot be created";
        }
        created.push_back(d.imagePath);
    }
    return {};
}

}  // namespace cendrix::platform::sim
