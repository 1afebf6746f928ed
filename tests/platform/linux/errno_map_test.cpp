#include "platform/linux/errno_map.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "platform/win32_errors.h"

namespace cendrix::platform::linux_backend {
namespace {

TEST(ErrnoMap, EachErrnoTakesTheWindowsCodeOfTheSameMeaning) {
    struct Case {
        int error;
        std::uint32_t code;
    };
    const Case cases[] = {
        {0, ERROR_SUCCESS},
        // Gone: the wipe loop aborts on these.
        {ENOMEDIUM, ERROR_DEV_NOT_EXIST}, {ENODEV, ERROR_DEV_NOT_EXIST}, {ENXIO, ERROR_DEV_NOT_EXIST},
        {ENOENT, ERROR_FILE_NOT_FOUND},
        // Skipped blocks, each with its own text.
        {EROFS, ERROR_WRITE_PROTECT}, {EIO, ERROR_IO_DEVICE}, {EREMOTEIO, ERROR_IO_DEVICE},
        {ETIMEDOUT, ERROR_SEM_TIMEOUT},
        {EACCES, ERROR_ACCESS_DENIED}, {EPERM, ERROR_ACCESS_DENIED},
        {EBUSY, ERROR_BUSY}, {EAGAIN, ERROR_BUSY},
        {EINVAL, ERROR_INVALID_PARAMETER}, {ENOSPC, ERROR_DISK_FULL}, {EFBIG, ERROR_DISK_FULL},
        {ENOTTY, ERROR_INVALID_FUNCTION}, {EOPNOTSUPP, ERROR_INVALID_FUNCTION},
        {ENOSYS, ERROR_INVALID_FUNCTION}, {EBADF, ERROR_INVALID_HANDLE},
        {ENOMEM, ERROR_NOT_ENOUGH_MEMORY}, {ENOTDIR, ERROR_PATH_NOT_FOUND},
        {ESPIPE, ERROR_SEEK},
        // Without a closer code: a device that does not work.
        {EPROTO, ERROR_GEN_FAILURE}, {ELOOP, ERROR_GEN_FAILURE},
    };
    for (const Case& c : cases) EXPECT_EQ(Win32ErrorFromErrno(c.error), c.code) << "errno " << c.error;
}

}  // namespace
}  // namespace cendrix::platform::linux_backend
