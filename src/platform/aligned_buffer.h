// A zero-filled byte buffer aligned for direct I/O, owned for its lifetime.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace cendrix::platform {

class AlignedBuffer {
public:
    // Alignment that every direct-I/O path accepts (the largest logical
    // sector size in use, and the page size).
    static constexpr std::size_t kAlignment = 4096;

    AlignedBuffer() = default;

    // A zero-filled buffer of `size` bytes, or an empty one (Valid() false)
    // when the memory cannot be obtained.
    static AlignedBuffer Allocate(std::size_t size);

    bool Valid() const { return data_ != nullptr; }
    std::uint8_t* Data() { return data_.get(); }
    const std::uint8_t* Data() const { return data_.get(); }
    std::size_t Size() const { return size_; }

    // Frees the memory now.
    void Release() {
        data_.reset();
        size_ = 0;
    }

private:
    struct Free {
        void operator()(std::uint8_t* p) const;
    };
    std::unique_ptr<std::uint8_t, Free> data_;
    std::size_t size_ = 0;
};

}  // namespace cendrix::platform
