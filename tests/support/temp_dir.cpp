#include "support/temp_dir.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>

namespace lumora::testing {

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  for (;;) {
    std::ostringstream name;
    name << "lumora-test-" << stamp << "-" << counter++;
    path_ = base / name.str();
    if (std::filesystem::create_directory(path_)) break;
  }
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::u16string TempDir::file(std::u16string_view relative) const {
  return (path_ / std::filesystem::path(std::u16string(relative))).make_preferred().u16string();
}

std::u16string TempDir::write(std::u16string_view relative, std::string_view bytes) const {
  const std::filesystem::path target = path_ / std::filesystem::path(std::u16string(relative));
  std::filesystem::create_directories(target.parent_path());
  std::ofstream(target, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return target.u16string();
}

std::string readBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

}  // namespace lumora::testing
