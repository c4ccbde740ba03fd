// Writing of the launcher's text files with the rules of the Windows runtime's "w,ccs=UTF-8"
// mode, on every target: the UTF-8 byte-order mark first, texts converted from UTF-16 to UTF-8,
// and each LF written as CR LF.
#pragma once

#include <string>
#include <string_view>

namespace lumora {

// The bytes that a text becomes in such a file (without the byte-order mark). A lone surrogate
// becomes U+FFFD.
std::string encodeTextForFile(std::u16string_view text);

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

}  // namespace lumora
