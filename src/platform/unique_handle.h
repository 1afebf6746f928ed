// Owns one handle of the storage seam and closes it exactly once.
#pragma once

#include <utility>

#include "platform/storage_api.h"

namespace cendrix::platform {

class UniqueHandle {
public:
    UniqueHandle() = default;
    UniqueHandle(StorageApi& api, Handle handle) : api_(&api), handle_(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept
        : api_(other.api_), handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            api_ = other.api_;
            handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
        }
        return *this;
    }
    ~UniqueHandle() { Reset(); }

    Handle Get() const { return handle_; }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    explicit operator bool() const { return Valid(); }

    // Closes the handle now (when it is valid) and leaves this empty.
    void Reset() {
        if (api_ != nullptr && handle_ != INVALID_HANDLE_VALUE) {
            api_->CloseHandle(handle_);
        }
        handle_ = INVALID_HANDLE_VALUE;
    }

    // Gives up ownership without closing.
    Handle Release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }

private:
    StorageApi* api_ = nullptr;
    Handle handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace cendrix::platform
