#include "platform/aligned_buffer.h"

#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <malloc.h>
#endif

namespace cendrix::platform {

void AlignedBuffer::Free::operator()(std::uint8_t* p) const {
#ifdef _WIN32
    _aligned_free(p);
#else
    std::free(p);
#endif
}

AlignedBuffer AlignedBuffer::Allocate(std::size_t size) {
    AlignedBuffer buffer;
    const std::size_t rounded = (size + kAlignment - 1) / kAlignment * kAlignment;
    if (rounded == 0) return buffer;
#ifdef _WIN32
    void* p = _aligned_malloc(rounded, kAlignment);
#else
    void* p = std::aligned_alloc(kAlignment, rounded);
#endif
    if (p == nullptr) return buffer;
    std::memset(p, 0, rounded);
    buffer.data_.reset(static_cast<std::uint8_t*>(p));
    buffer.size_ = size;
    return buffer;
}

}  // namespace cendrix::platform
