// A file that the test process holds open for writing, as another run of the launcher holding its
// log would: others may read it but not write it (Windows: no write sharing; POSIX: an exclusive
// flock, the lock the launcher's log takes). file_holder_win32.cpp and file_holder_posix.cpp
// implement it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

namespace lumora::testing {

class HeldFile {
 public:
  // Creates the file with `content` and holds it; nothing when it cannot.
  static std::optional<HeldFile> hold(const std::filesystem::path& path, std::string_view content);

  HeldFile(HeldFile&& other) noexcept;
  HeldFile& operator=(HeldFile&&) = delete;
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;
  ~HeldFile();

 private:
  explicit HeldFile(std::intptr_t handle) : handle_(handle) {}
  std::intptr_t handle_;
};

}  // namespace lumora::testing
