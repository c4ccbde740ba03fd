// How the test JVM library writes texts into its report, and how a test reads them back.
//
// A recorded text keeps the bytes 0x20..0x7E as they are, except the backslash, which becomes
// "\\"; every other byte becomes "\xHH" (upper-case hex). UTF-16 texts are first turned into
// UTF-8, and a lone surrogate, which UTF-8 cannot hold, becomes "\uDXXX". A record is then always
// one printable line, whatever the launcher passed.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lumora::testjvm {

std::string escapeBytes(std::string_view bytes);
std::string escapeUtf16(std::u16string_view text);

// The bytes a recorded text stands for; a "\uDXXX" comes back as the three-byte form of that
// surrogate. Empty when the text is not one escapeBytes or escapeUtf16 could have written.
std::optional<std::string> unescapeBytes(std::string_view escaped);

// The UTF-16 text a recorded text stands for, lone surrogates included. Empty when the text is not
// one escapeUtf16 could have written.
std::optional<std::u16string> unescapeUtf16(std::string_view escaped);

}  // namespace lumora::testjvm
