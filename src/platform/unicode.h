// Conversions between UTF-8 and UTF-16 that never fail silently: every malformed input has one
// defined outcome, given with each function.
#pragma once

#include <string>
#include <string_view>

namespace lumora {

inline constexpr char16_t kReplacementCharacter = u'\uFFFD';

// Decodes UTF-8. Each malformed sequence (a stray continuation byte, a truncated or overlong
// sequence, an encoded surrogate, a value beyond U+10FFFF) becomes one U+FFFD; `malformed`, when
// given, is set when that happened.
std::u16string utf8ToUtf16(std::string_view text, bool* malformed = nullptr);

// Encodes UTF-16 as UTF-8. A lone surrogate becomes U+FFFD (EF BF BD); `malformed`, when given,
// is set when that happened.
std::string utf16ToUtf8(std::u16string_view text, bool* malformed = nullptr);

// Incremental UTF-8 decoder for streams: bytes go in one at a time, code units come out.
class Utf8Decoder {
 public:
  // Feeds one byte; appends the code units it completes to `out`. Returns false when the byte
  // ended a malformed sequence (a U+FFFD has then been appended for it).
  bool feed(unsigned char byte, std::u16string& out);

  // Ends the input: a sequence left unfinished becomes U+FFFD. Returns false when that happened.
  bool finish(std::u16string& out);

 private:
  char32_t value_ = 0;
  int needed_ = 0;     // continuation bytes still expected
  int length_ = 0;     // bytes of the sequence under way
};

}  // namespace lumora
