#include "escape.h"

namespace lumora::testjvm {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

bool isSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }
bool isHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void appendEscapedByte(std::string& out, unsigned char b) {
  if (b == '\\') {
    out += "\\\\";
  } else if (b >= 0x20 && b <= 0x7E) {
    out += static_cast<char>(b);
  } else {
    out += "\\x";
    out += kHex[b >> 4];
    out += kHex[b & 0x0F];
  }
}

// UTF-8, also for surrogate code points (the generalised form), so that unescaping "\uDXXX" into
// bytes has a defined result.
void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::optional<unsigned> hexDigit(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
  return std::nullopt;
}

std::optional<unsigned> hexNumber(std::string_view digits) {
  unsigned value = 0;
  for (char c : digits) {
    auto d = hexDigit(c);
    if (!d) return std::nullopt;
    value = value * 16 + *d;
  }
  return value;
}

int continuationCount(unsigned char lead) {
  if (lead < 0x80) return 0;
  if ((lead & 0xE0) == 0xC0) return 1;
  if ((lead & 0xF0) == 0xE0) return 2;
  if ((lead & 0xF8) == 0xF0) return 3;
  return -1;
}

// Decodes one UTF-8 sequence at `pos` (surrogates allowed, as appendUtf8 writes them).
std::optional<char32_t> decodeUtf8(std::string_view s, std::size_t& pos) {
  auto lead = static_cast<unsigned char>(s[pos]);
  int extra = continuationCount(lead);
  if (extra < 0 || s.size() - pos <= static_cast<std::size_t>(extra)) return std::nullopt;
  char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
  for (int i = 1; i <= extra; ++i) {
    auto b = static_cast<unsigned char>(s[pos + i]);
    if ((b & 0xC0) != 0x80) return std::nullopt;
    c = (c << 6) | (b & 0x3F);
  }
  constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  if (c < kMin[extra] || c > 0x10FFFF) return std::nullopt;
  pos += extra + 1;
  return c;
}

}  // namespace

std::string escapeBytes(std::string_view bytes) {
  std::string out;
  for (char c : bytes) appendEscapedByte(out, static_cast<unsigned char>(c));
  return out;
}

std::string escapeUtf16(std::u16string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t unit = text[i];
    if (isHigh(unit) && i + 1 < text.size() && isLow(text[i + 1])) {
      char32_t c = 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      std::string utf8;
      appendUtf8(utf8, c);
      out += escapeBytes(utf8);
      ++i;
    } else if (isSurrogate(unit)) {
      out += "\\u";
      for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0x0F];
    } else {
      std::string u;
      appendUtf8(u, unit);
      out += escapeBytes(u);
    }
  }
  return out;
}

std::optional<std::string> unescapeBytes(std::string_view escaped) {
  std::string out;
  for (std::size_t i = 0; i < escaped.size(); ++i) {
    char c = escaped[i];
    if (c != '\\') {
      if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) {
        return std::nullopt;
      }
      out += c;
      continue;
    }
    std::string_view rest = escaped.substr(i + 1);
    if (rest.starts_with('\\')) {
      out += '\\';
      i += 1;
    } else if (rest.starts_with('x') && rest.size() >= 3) {
      auto b = hexNumber(rest.substr(1, 2));
      if (!b) return std::nullopt;
      out += static_cast<char>(*b);
      i += 3;
    } else if (rest.starts_with('u') && rest.size() >= 5) {
      auto unit = hexNumber(rest.substr(1, 4));
      if (!unit || !isSurrogate(*unit)) return std::nullopt;
      appendUtf8(out, *unit);
      i += 5;
    } else {
      return std::nullopt;
    }
  }
  return out;
}

std::optional<std::u16string> unescapeUtf16(std::string_view escaped) {
  auto bytes = unescapeBytes(escaped);
  if (!bytes) return std::nullopt;
  std::u16string out;
  for (std::size_t pos = 0; pos < bytes->size();) {
    auto c = decodeUtf8(*bytes, pos);
    if (!c) return std::nullopt;
    if (*c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((*c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((*c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(*c);
    }
  }
  return out;
}

}  // namespace lumora::testjvm
