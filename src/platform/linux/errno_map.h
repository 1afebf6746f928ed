// The Windows error code of the same meaning as an errno value: the core
// classifies failures by Windows codes (a gone medium ends a wipe, an I/O
// error skips a block), so the Linux backend reports in those codes and
// keeps the errno beside them for the message text.
#pragma once

#include <cstdint>

namespace cendrix::platform::linux_backend {

// 0 for 0; ERROR_GEN_FAILURE for an errno without a closer code.
std::uint32_t Win32ErrorFromErrno(int error);

}  // namespace cendrix::platform::linux_backend
