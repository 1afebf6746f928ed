// The storage seam: every disk and volume access of Cendrix goes through this
// interface. Its calls mirror the Windows storage interface (CreateFileW,
// DeviceIoControl, SetFilePointerEx, WriteFile, GetLastError, FormatMessageW,
// GetLogicalDriveStringsW, CloseHandle) so that the core can build and read
// the byte records of each request exactly; each backend translates them to
// its own platform.
//
// Plain C++ only (no Qt): the Win32 backend must build with MinGW.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace cendrix::platform {

// An operating-system handle as the Windows API hands it out.
using Handle = std::uintptr_t;
inline constexpr Handle INVALID_HANDLE_VALUE = ~Handle{0};

// CreateFileW access rights, share modes and dispositions.
inline constexpr std::uint32_t GENERIC_READ = 0x80000000u;
inline constexpr std::uint32_t GENERIC_WRITE = 0x40000000u;
inline constexpr std::uint32_t FILE_SHARE_READ = 0x1u;
inline constexpr std::uint32_t FILE_SHARE_WRITE = 0x2u;
inline constexpr std::uint32_t OPEN_EXISTING = 3u;

// SetFilePointerEx move methods.
inline constexpr std::uint32_t FILE_BEGIN = 0u;

class StorageApi {
public:
    virtual ~StorageApi() = default;

    // Opens a device path such as \\.\PhysicalDrive0 or \\.\C:. Returns
    // INVALID_HANDLE_VALUE on failure; GetLastError() then tells why. On
    // success the last error is 0.
    virtual Handle CreateFileW(std::u16string_view path, std::uint32_t desiredAccess,
                               std::uint32_t shareMode, std::uint32_t creationDisposition,
                               std::uint32_t flagsAndAttributes) = 0;

    virtual bool CloseHandle(Handle handle) = 0;

    // Sends one control request. `in` and `out` may be the same buffer.
    // `bytesReturned` (may be null) receives the byte count of the answer.
    virtual bool DeviceIoControl(Handle handle, std::uint32_t controlCode, const void* in,
                                 std::uint32_t inSize, void* out, std::uint32_t outSize,
                                 std::uint32_t* bytesReturned) = 0;

    // Moves the file position of a disk handle; `newPosition` (may be null)
    // receives the position reached.
    virtual bool SetFilePointerEx(Handle handle, std::int64_t distance, std::int64_t* newPosition,
                                  std::uint32_t moveMethod) = 0;

    // Synchronous write at the handle's file position, which advances by the
    // bytes written. A buffer from AlignedBuffer is suitable for direct I/O.
    virtual bool WriteFile(Handle handle, const void* buffer, std::uint32_t bytesToWrite,
                           std::uint32_t* bytesWritten) = 0;

    // The Windows error code of the last failed call.
    virtual std::uint32_t GetLastError() = 0;

    // The system's own message text for an error code, without a trailing
    // line break.
    virtual std::u16string FormatMessageW(std::uint32_t errorCode) = 0;

    // Fills `buffer` with NUL-terminated root paths ("C:\", ...) followed by
    // an extra NUL. Returns the characters written without the final NUL, 0
    // on failure, or the size needed when `capacity` is too small.
    virtual std::uint32_t GetLogicalDriveStringsW(std::uint32_t capacity, char16_t* buffer) = 0;
};

}  // namespace cendrix::platform
