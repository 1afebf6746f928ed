// The simulated machine behind the storage seam. Each disk is backed by an
// image file, so a wipe really writes bytes that a test can read back; faults
// come from the machine description; every request is recorded so that tests
// can check exactly what was sent and that nothing was written.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/sim_machine.h"
#include "platform/storage_api.h"

namespace cendrix::platform::sim {

// One request as the simulated machine received it.
struct Request {
    enum class Kind { Open, Close, Control, Seek, Write, DriveStrings };
    Kind kind = Kind::Control;
    Handle handle = INVALID_HANDLE_VALUE;
    std::string path;                    // the object's path (UTF-8), for every kind
    std::uint32_t code = 0;              // control code (Control)
    std::vector<std::uint8_t> input;     // input bytes (Control)
    std::uint32_t outSize = 0;           // output capacity (Control)
    std::uint32_t access = 0;            // Open
    std::uint32_t share = 0;             // Open
    std::int64_t offset = 0;             // Seek target, Write position
    std::uint32_t length = 0;            // Write length
    bool allZero = false;                // Write: the data was all zero bytes
    bool ok = false;                     // the call's result
};

class SimStorage final : public StorageApi {
public:
    // The images named by `machine` must exist (see PrepareImages).
    explicit SimStorage(Machine machine);
    ~SimStorage() override;

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

    // Whether requests are recorded (the default). A program that uses the
    // simulated machine as its disks turns this off: nobody reads the record
    // there, and a long wipe would grow it without end and scan every block
    // for zeros.
    void SetRecording(bool on) { recording_ = on; }

    // What tests look at.
    const Machine& Description() const { return machine_; }
    const std::vector<Request>& Requests() const { return requests_; }
    void ClearRequests() { requests_.clear(); }
    // Requests of one kind (and, for Control, one code).
    std::vector<Request> RequestsOf(Request::Kind kind, std::uint32_t code = 0) const;
    std::size_t OpenHandleCount() const { return handles_.size(); }
    bool DiskRemoved(std::uint32_t number) const;
    bool DiskSmartEnabled(std::uint32_t number) const;
    std::int64_t DiskBytesWritten(std::uint32_t number) const;
    bool VolumeLocked(const std::string& name) const;
    bool VolumeDismounted(const std::string& name) const;

private:
    struct DiskState;
    struct VolumeState;
    struct OpenObject;

    void Record(Request request);
    bool Fail(std::uint32_t code);
    bool Succeed();
    bool ShareConflict(const std::string& key, std::uint32_t access, std::uint32_t share) const;
    OpenObject* Find(Handle handle);
    bool DiskControl(OpenObject& object, DiskState& disk, std::uint32_t code,
                     const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
                     std::uint32_t outSize, std::uint32_t* bytesReturned);
    bool AtaControl(DiskState& disk, std::uint32_t code, const std::uint8_t* in,
                    std::uint32_t inSize, std::uint8_t* out, std::uint32_t outSize,
                    std::uint32_t* bytesReturned);
    bool VolumeControl(Handle handle, OpenObject& object, VolumeState& volume, std::uint32_t code,
                       std::uint8_t* out, std::uint32_t outSize, std::uint32_t* bytesReturned);
    const DiskState* DiskByNumber(std::uint32_t number) const;
    const VolumeState* VolumeByName(const std::string& name) const;
    bool WriteImage(DiskState& disk, std::int64_t offset, const std::uint8_t* data,
                    std::uint32_t length, bool allZero);

    Machine machine_;
    std::vector<std::unique_ptr<DiskState>> disks_;
    std::vector<std::unique_ptr<VolumeState>> volumes_;
    std::map<Handle, std::unique_ptr<OpenObject>> handles_;
    std::vector<Request> requests_;
    Handle nextHandle_ = 0x100;
    std::uint32_t lastError_ = 0;
    bool recording_ = true;
};

// Creates every missing image of `machine` as a sparse file of the disk's
// size. Returns an empty string, or a message naming the image that could
// not be created (images created by this call are then removed again).
std::string PrepareImages(const Machine& machine);

// Whether every image of `machine` exists or its folder would let it be
// created; an empty string, or a message naming the first that cannot be.
std::string CheckImagesCreatable(const Machine& machine);

}  // namespace cendrix::platform::sim
