#include "platform/linux/errno_map.h"

#include <cerrno>

#include "platform/win32_errors.h"

namespace cendrix::platform::linux_backend {

std::uint32_t Win32ErrorFromErrno(int error) {
    switch (error) {
        case 0: return ERROR_SUCCESS;
        // The device or its medium is not there (any more): the wipe loop
        // must abort rather than skip.
        case ENOMEDIUM:
        case ENODEV:
        case ENXIO: return ERROR_DEV_NOT_EXIST;
        case ENOENT: return ERROR_FILE_NOT_FOUND;
        case ENOTDIR: return ERROR_PATH_NOT_FOUND;
        case EROFS: return ERROR_WRITE_PROTECT;
        case EIO:
        case EREMOTEIO: return ERROR_IO_DEVICE;
        case ETIMEDOUT: return ERROR_SEM_TIMEOUT;
        case EACCES:
        case EPERM: return ERROR_ACCESS_DENIED;
        // A sharing conflict proper (another holder of the disk's lock) is
        // reported as ERROR_SHARING_VIOLATION where it is detected; a busy
        // resource in general is this.
        case EBUSY:
        case EAGAIN: return ERROR_BUSY;
        case EINVAL:
        case EFAULT:
        case EOVERFLOW: return ERROR_INVALID_PARAMETER;
        case ENOSPC:
        case EFBIG: return ERROR_DISK_FULL;
        case ENOTTY:
        case ENOSYS:
        case EOPNOTSUPP: return ERROR_INVALID_FUNCTION;
        case EBADF: return ERROR_INVALID_HANDLE;
        case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
        case ENOBUFS: return ERROR_NO_SYSTEM_RESOURCES;
        case ESPIPE: return ERROR_SEEK;
        case EILSEQ: return ERROR_CRC;
        default: return ERROR_GEN_FAILURE;
    }
}

}  // namespace cendrix::platform::linux_backend
