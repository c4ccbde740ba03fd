#include "support/log_texts.h"

namespace lumora::testing {

std::string logTexts(const std::filesystem::path& path) {
  std::string bytes = readBytes(path);
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);
  std::string texts;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    texts += bytes[i];
  }
  return texts;
}

}  // namespace lumora::testing
