#include "platform/sim/image_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "platform/aligned_buffer.h"

namespace cendrix::platform::sim {
namespace {

bool WriteAll(int fd, std::int64_t offset, const std::uint8_t* data, std::uint32_t length) {
    std::uint32_t done = 0;
    while (done < length) {
        const ssize_t n = ::pwrite(fd, data + done, length - done, offset + done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::uint32_t>(n);
    }
    return true;
}

bool DirectIoFits(std::int64_t offset, const std::uint8_t* data, std::uint32_t length) {
    constexpr std::uint64_t kBlock = 512;
    return offset % kBlock == 0 && length % kBlock == 0 &&
           reinterpret_cast<std::uintptr_t>(data) % AlignedBuffer::kAlignment == 0;
}

}  // namespace

ImageFile::~ImageFile() {
    if (directFd_ >= 0) ::close(directFd_);
    if (bufferedFd_ >= 0) ::close(bufferedFd_);
}

bool ImageFile::Open() {
    if (opened_) return bufferedFd_ >= 0;
    opened_ = true;
    bufferedFd_ = ::open(path_.c_str(), O_RDWR | O_CLOEXEC);
#ifdef O_DIRECT
    directFd_ = ::open(path_.c_str(), O_RDWR | O_CLOEXEC | O_DIRECT);
#endif
    return bufferedFd_ >= 0;
}

bool ImageFile::WriteAt(std::int64_t offset, const std::uint8_t* data, std::uint32_t length) {
    if (!Open()) return false;
    // Direct I/O keeps a simulated wipe as fast as the file's own disk and
    // out of the page cache; unaligned pieces go through the cache.
    if (directFd_ >= 0 && DirectIoFits(offset, data, length) &&
        WriteAll(directFd_, offset, data, length)) {
        return true;
    }
    return WriteAll(bufferedFd_, offset, data, length);
}

bool ImageFile::PunchZeros(std::int64_t offset, std::uint32_t length) {
#if defined(FALLOC_FL_PUNCH_HOLE) && defined(FALLOC_FL_KEEP_SIZE)
    if (!Open()) return false;
    return ::fallocate(bufferedFd_, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, offset, length) == 0;
#else
    (void)offset;
    (void)length;
    return false;
#endif
}

bool ImageFile::CreateSparse(const std::string& path, std::int64_t size) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool ok = ::ftruncate(fd, size) == 0;
    ::close(fd);
    if (!ok) ::unlink(path.c_str());
    return ok;
}

}  // namespace cendrix::platform::sim
