#include "platform/text_writer.h"

#include "platform/unicode.h"

namespace lumora {

std::string encodeTextForFile(std::u16string_view text) {
  std::string utf8 = utf16ToUtf8(text);
  std::string out;
  out.reserve(utf8.size() + 8);
  for (char c : utf8) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

}  // namespace lumora
