#include "platform/win32_errors.h"

#include "platform/text_codec.h"

namespace cendrix::platform {

std::u16string Win32ErrorText(std::uint32_t code) {
    const char* text = nullptr;
    switch (code) {
        case ERROR_SUCCESS: text = "The operation completed successfully."; break;
        case ERROR_INVALID_FUNCTION: text = "Incorrect function."; break;
        case ERROR_FILE_NOT_FOUND: text = "The system cannot find the file specified."; break;
        case ERROR_PATH_NOT_FOUND: text = "The system cannot find the path specified."; break;
        case ERROR_ACCESS_DENIED: text = "Access is denied."; break;
        case ERROR_INVALID_HANDLE: text = "The handle is invalid."; break;
        case ERROR_NOT_ENOUGH_MEMORY:
            text = "Not enough memory resources are available to process this command.";
            break;
        case ERROR_WRITE_PROTECT: text = "The media is write protected."; break;
        case ERROR_NOT_READY: text = "The device is not ready."; break;
        case ERROR_CRC: text = "Data error (cyclic redundancy check)."; break;
        case ERROR_SEEK:
            text = "The drive cannot locate a specific area or track on the disk.";
            break;
        case ERROR_WRITE_FAULT: text = "The system cannot write to the specified device."; break;
        case ERROR_GEN_FAILURE: text = "A device attached to the system is not functioning."; break;
        case ERROR_SHARING_VIOLATION:
            text = "The process cannot access the file because it is being used by another process.";
            break;
        case ERROR_LOCK_VIOLATION:
            text = "The process cannot access the file because another process has locked a "
                   "portion of the file.";
            break;
        case ERROR_HANDLE_EOF: text = "Reached the end of the file."; break;
        case ERROR_NOT_SUPPORTED: text = "The request is not supported."; break;
        case ERROR_DEV_NOT_EXIST: text = "The specified network resource or device is no longer available."; break;
        case ERROR_INVALID_PARAMETER: text = "The parameter is incorrect."; break;
        case ERROR_DISK_FULL: text = "There is not enough space on the disk."; break;
        case ERROR_SEM_TIMEOUT: text = "The semaphore timeout period has expired."; break;
        case ERROR_INSUFFICIENT_BUFFER:
            text = "The data area passed to a system call is too small.";
            break;
        case ERROR_BUSY: text = "The requested resource is in use."; break;
        case ERROR_IO_DEVICE:
            text = "The request could not be performed because of an I/O device error.";
            break;
        case ERROR_NO_SYSTEM_RESOURCES:
            text = "Insufficient system resources exist to complete the requested service.";
            break;
        default: break;
    }
    if (text != nullptr) return Utf8ToUtf16(text);
    return Utf8ToUtf16("Unknown error " + std::to_string(code) + ".");
}

}  // namespace cendrix::platform
