// UTF-8 <-> UTF-16 conversion for the seam, which speaks UTF-16 like the
// Windows wide-character API while Linux paths are UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace cendrix::platform {

// Invalid input sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace cendrix::platform
