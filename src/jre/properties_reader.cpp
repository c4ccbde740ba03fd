#include "jre/properties_reader.h"

#include <array>
#include <optional>

#include "platform/byte_reader.h"

namespace lumora {
namespace {

// Every byte goes through this table: entry n holds U+00nn, so the file is read as ISO 8859-1.
constexpr std::array<char16_t, 256> makeByteTable() {
  std::array<char16_t, 256> table{};
  for (std::size_t byte = 0; byte < table.size(); ++byte) table[byte] = static_cast<char16_t>(byte);
  return table;
}
constexpr std::array<char16_t, 256> kByteTable = makeByteTable();

bool isLineEnd(char16_t c) { return c == u'\r' || c == u'\n'; }
bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\f'; }
bool isKeyEnd(char16_t c) { return isBlank(c) || isLineEnd(c) || c == u'=' || c == u':'; }
bool isCommentMarker(char16_t c) { return c == u'#' || c == u'!'; }

// The value of a hexadecimal digit, or nothing.
std::optional<unsigned> hexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return std::nullopt;
}

// The state of one read: the file, the current character and whether the end has been met. Each
// step starts with the current character and leaves in it the character that stopped it. No step
// calls itself, and each character is looked at a bounded number of times, so a read takes time
// in proportion to the file and memory in proportion to the pairs it keeps.
class Grammar {
 public:
  explicit Grammar(ByteReader bytes) : bytes_(std::move(bytes)) {}

  void readAll(PropertyMap& map) {
    for (;;) {
      next();
      if (ended_) return;
      if (isCommentMarker(current_)) {
        skipComment();
      } else if (!isLineEnd(current_)) {  // a line end alone is an empty line
        readPair(map);
      }
    }
  }

 private:
  // Reads the next character; at the end of the file (or on a read error) sets the end condition,
  // after which nothing more is read.
  void next() {
    if (ended_) return;
    std::optional<unsigned char> byte = bytes_.next();
    if (byte) {
      current_ = kByteTable[*byte];
    } else {
      ended_ = true;
    }
  }

  // Hands the current character back, so that the next read returns it again.
  void giveBack() {
    if (!ended_) bytes_.unget();
  }

  void skipComment() {
    do {
      next();
    } while (!ended_ && !isLineEnd(current_));
  }

  void skipBlanks() {
    while (!ended_ && isBlank(current_)) next();
  }

  void readPair(PropertyMap& map) {
    std::u16string key;
    std::u16string value;
    skipBlanks();
    readText(key, isKeyEnd);
    skipBlanks();
    if (!ended_ && (current_ == u'=' || current_ == u':')) next();  // one separator only
    skipBlanks();
    readText(value, isLineEnd);
    if (!key.empty()) map.insert_or_assign(std::move(key), std::move(value));
  }

  // Reads a key or a value up to the character that ends it, which stays current. A character
  // that comes out of an escape never ends the text.
  void readText(std::u16string& text, bool (*ends)(char16_t)) {
    while (!ended_ && !ends(current_)) {
      if (current_ == u'\\') {
        readEscape(text);
      } else {
        text += current_;
      }
      next();
    }
  }

  // The current character is a backslash. A backslash with nothing after it adds nothing.
  void readEscape(std::u16string& text) {
    next();
    if (ended_) return;
    switch (current_) {
      case u'\r':
      case u'\n':
        continueLine();
        return;
      case u't':
        text += u'\t';
        return;
      case u'n':
        text += u'\n';
        return;
      case u'f':
        text += u'\f';
        return;
      case u'r':
        text += u'\r';
        return;
      case u'u':
        readUnicodeEscape(text);
        return;
      default:
        text += current_;
        return;
    }
  }

  // A continuation goes on after every following line end and blank, empty lines included; the
  // first other character is given back, to be read as an ordinary character.
  void continueLine() {
    do {
      next();
    } while (!ended_ && (isLineEnd(current_) || isBlank(current_)));
    giveBack();
  }

  // Up to four hexadecimal digits make one code unit; the escape stops early at any other
  // character, and at the end of the file, with the digits read so far (none: U+0000).
  void readUnicodeEscape(std::u16string& text) {
    unsigned value = 0;
    for (int count = 0; count < 4; ++count) {
      next();
      if (ended_) break;
      std::optional<unsigned> digit = hexDigit(current_);
      if (!digit) {
        // The character that stopped a short escape is given back and read as it would be
        // without the escape, so that a line end there still ends the value instead of joining
        // the next line to it, and "=" or ":" there still ends the key.
        giveBack();
        break;
      }
      value = value * 16 + *digit;
    }
    text += static_cast<char16_t>(value);
  }

  ByteReader bytes_;
  char16_t current_ = 0;
  bool ended_ = false;
};

}  // namespace

bool PropertiesReader::read(const std::u16string& path, PropertyMap& map) {
  // Text mode on every target, as the Windows runtime reads the file: CR LF arrives as LF and a
  // Ctrl-Z byte ends the file, so that both targets give the same pairs.
  std::optional<ByteReader> bytes = ByteReader::open(path, ByteReader::Mode::kText);
  if (!bytes) return false;
  Grammar(std::move(*bytes)).readAll(map);
  return true;
}

}  // namespace lumora
