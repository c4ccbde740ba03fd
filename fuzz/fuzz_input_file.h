// The fuzzers hand their input to the readers as a real file, as the launcher meets it.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace lumora::fuzz {

// A file of this process's own in the temporary folder, rewritten for each input.
inline const std::string& inputPath() {
  static const std::string path = [] {
    const char* folder = std::getenv("TMPDIR");
    return std::string(folder != nullptr ? folder : "/tmp") + "/lumora-fuzz-" +
           std::to_string(getpid());
  }();
  return path;
}

inline std::u16string writeInput(const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(inputPath().c_str(), "wb");
  if (file != nullptr) {
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  }
  return std::u16string(inputPath().begin(), inputPath().end());
}

}  // namespace lumora::fuzz
