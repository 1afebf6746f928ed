// The backing file of a simulated disk: positioned writes, direct I/O where
// the file system allows it, and freeing the blocks of a zero range.
#pragma once

#include <cstdint>
#include <string>

namespace cendrix::platform::sim {

class ImageFile {
public:
    explicit ImageFile(std::string path) : path_(std::move(path)) {}
    ImageFile(const ImageFile&) = delete;
    ImageFile& operator=(const ImageFile&) = delete;
    ~ImageFile();

    // Writes `length` bytes at `offset`; false on any failure.
    bool WriteAt(std::int64_t offset, const std::uint8_t* data, std::uint32_t length);
    // Turns the range into a hole that reads as zeros; false where the file
    // system cannot (the caller then writes the zeros).
    bool PunchZeros(std::int64_t offset, std::uint32_t length);

    // Creates a sparse file of `size` bytes; false when it cannot.
    static bool CreateSparse(const std::string& path, std::int64_t size);

private:
    bool Open();

    std::string path_;
    int directFd_ = -1;    // opened with O_DIRECT, or -1 where refused
    int bufferedFd_ = -1;
    bool opened_ = false;
};

}  // namespace cendrix::platform::sim
