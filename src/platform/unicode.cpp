#include "platform/unicode.h"

namespace lumora {
namespace {

void appendCodePoint(char32_t value, std::u16string& out) {
  if (value < 0x10000) {
    out += static_cast<char16_t>(value);
  } else {
    value -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (value >> 10));
    out += static_cast<char16_t>(0xDC00 + (value & 0x3FF));
  }
}

// Writes the UTF-8 form of a code point at `out` and returns the position after it.
char* encodeUtf8(char32_t value, char* out) {
  if (value < 0x80) {
    *out++ = static_cast<char>(value);
  } else if (value < 0x800) {
    *out++ = static_cast<char>(0xC0 | (value >> 6));
    *out++ = static_cast<char>(0x80 | (value & 0x3F));
  } else if (value < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (value >> 12));
    *out++ = static_cast<char>(0x80 | ((value >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (value & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (value >> 18));
    *out++ = static_cast<char>(0x80 | ((value >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((value >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (value & 0x3F));
  }
  return out;
}

bool isOverlongOrInvalid(char32_t value, int length) {
  static constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
  return value < kMinimum[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF);
}

}  // namespace

bool Utf8Decoder::feed(unsigned char byte, std::u16string& out) {
  if (needed_ > 0) {
    if ((byte & 0xC0) == 0x80) {
      value_ = (value_ << 6) | (byte & 0x3F);
      if (--needed_ > 0) return true;
      if (isOverlongOrInvalid(value_, length_)) {
        out += kReplacementCharacter;
        return false;
      }
      appendCodePoint(value_, out);
      return true;
    }
    // The sequence broke off: it becomes one U+FFFD and this byte starts afresh.
    needed_ = 0;
    out += kReplacementCharacter;
    feed(byte, out);
    return false;
  }
  if (byte < 0x80) {
    out += static_cast<char16_t>(byte);
    return true;
  }
  if (byte >= 0xC2 && byte <= 0xF4) {
    length_ = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
    needed_ = length_ - 1;
    value_ = byte & (0x7F >> length_);
    return true;
  }
  out += kReplacementCharacter;
  return false;
}

bool Utf8Decoder::finish(std::u16string& out) {
  if (needed_ == 0) return true;
  needed_ = 0;
  out += kReplacementCharacter;
  return false;
}

std::u16string utf8ToUtf16(std::string_view text, bool* malformed) {
  // ASCII, the common case, is copied through a pointer; the decoder takes the rest.
  std::u16string out(text.size(), u'\0');
  char16_t* end = out.data();
  std::size_t i = 0;
  while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80) {
    *end++ = static_cast<char16_t>(text[i++]);
  }
  out.resize(static_cast<std::size_t>(end - out.data()));
  Utf8Decoder decoder;
  bool clean = true;
  for (; i < text.size(); ++i) clean &= decoder.feed(static_cast<unsigned char>(text[i]), out);
  clean &= decoder.finish(out);
  if (malformed) *malformed = !clean;
  return out;
}

std::string utf16ToUtf8(std::u16string_view text, bool* malformed) {
  // Written through a pointer into room for the longest result (three bytes per code unit),
  // then cut to size: appending byte by byte costs several times more on long texts.
  std::string out(text.size() * 3, '\0');
  char* end = out.data();
  bool clean = true;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit < 0x80) {
      *end++ = static_cast<char>(unit);
    } else if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() &&
               text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      end = encodeUtf8(0x10000 + ((char32_t(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00), end);
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      end = encodeUtf8(kReplacementCharacter, end);
      clean = false;
    } else {
      end = encodeUtf8(unit, end);
    }
  }
  out.resize(static_cast<std::size_t>(end - out.data()));
  if (malformed) *malformed = !clean;
  return out;
}

}  // namespace lumora
