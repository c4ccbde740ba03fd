// Real files and folders for tests, in a fresh temporary folder removed afterwards.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace lumora::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::u16string u16() const { return path_.u16string(); }

  // The path of `relative` inside the folder, as UTF-16 text.
  std::u16string file(std::u16string_view relative) const;

  // Writes `bytes` to `relative`, making the folders on the way. Returns its path.
  std::u16string write(std::u16string_view relative, std::string_view bytes) const;

 private:
  std::filesystem::path path_;
};

// The whole content of a file, or an empty text when it cannot be read.
std::string readBytes(const std::filesystem::path& path);

}  // namespace lumora::testing
