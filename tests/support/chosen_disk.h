// A simulated machine on which one disk has been enumerated, chosen and
// opened the way start-up does it: the starting point of the report tests.
#pragma once

#include <QStringList>
#include <functional>
#include <vector>

#include "support/sim_fixture.h"

namespace cendrix::testing {

class ChosenDisk : public SimWorld {
public:
    // Chooses disk `number`; the request record and the panes start empty
    // after the enumeration and the open.
    explicit ChosenDisk(sim::Machine machine, std::uint32_t number = 0);

    QStringList Details() const { return view.Lines(Pane::Details); }
    QStringList Smart() const { return view.Lines(Pane::Smart); }
    // The control requests the disk received, in order.
    std::vector<sim::Request> Controls(std::uint32_t code = 0) {
        return Storage().RequestsOf(sim::Request::Kind::Control, code);
    }
};

// Forwards every call to another StorageApi, except the control requests
// that `refuse` turns down: those fail with ERROR_INVALID_FUNCTION without
// reaching it (and are counted). For faults the machine description cannot
// express, such as a request that fails only the first time.
class InterceptingStorage final : public platform::StorageApi {
public:
    using Refuse = std::function<bool(std::uint32_t code, const std::uint8_t* in, std::uint32_t inSize)>;
    InterceptingStorage(platform::StorageApi& inner, Refuse refuse)
        : inner_(inner), refuse_(std::move(refuse)) {}

    platform::Handle CreateFileW(std::u16string_view path, std::uint32_t access, std::uint32_t share,
                                 std::uint32_t disposition, std::uint32_t flags) override {
        return inner_.CreateFileW(path, access, share, disposition, flags);
    }
    bool CloseHandle(platform::Handle handle) override { return inner_.CloseHandle(handle); }
    bool DeviceIoControl(platform::Handle handle, std::uint32_t code, const void* in, std::uint32_t inSize,
                         void* out, std::uint32_t outSize, std::uint32_t* bytesReturned) override;
    bool SetFilePointerEx(platform::Handle handle, std::int64_t distance, std::int64_t* newPosition,
                          std::uint32_t moveMethod) override {
        return inner_.SetFilePointerEx(handle, distance, newPosition, moveMethod);
    }
    bool WriteFile(platform::Handle handle, const void* buffer, std::uint32_t bytesToWrite,
                   std::uint32_t* bytesWritten) override {
        return inner_.WriteFile(handle, buffer, bytesToWrite, bytesWritten);
    }
    std::uint32_t GetLastError() override { return refusedLast_ ? 1u : inner_.GetLastError(); }
    std::u16string FormatMessageW(std::uint32_t code) override { return inner_.FormatMessageW(code); }
    std::uint32_t GetLogicalDriveStringsW(std::uint32_t capacity, char16_t* buffer) override {
        return inner_.GetLogicalDriveStringsW(capacity, buffer);
    }

    int refused = 0;

private:
    platform::StorageApi& inner_;
    Refuse refuse_;
    bool refusedLast_ = false;
};

}  // namespace cendrix::testing
