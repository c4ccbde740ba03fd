#include "report.h"

#include <fstream>
#include <iterator>

namespace lumora::testjvm {

std::vector<std::string> readReport(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return {};
  std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::vector<std::string> records;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    records.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return records;
}

}  // namespace lumora::testjvm
