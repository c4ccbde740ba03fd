#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <utility>

#include "e2e/file_holder.h"

namespace lumora::testing {

std::optional<HeldFile> HeldFile::hold(const std::filesystem::path& path,
                                       std::string_view content) {
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return std::nullopt;
  HeldFile held(fd);
  if (write(fd, content.data(), content.size()) != static_cast<ssize_t>(content.size()) ||
      flock(fd, LOCK_EX | LOCK_NB) != 0) {
    return std::nullopt;
  }
  return held;
}

HeldFile::HeldFile(HeldFile&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

HeldFile::~HeldFile() {
  if (handle_ >= 0) close(static_cast<int>(handle_));
}

}  // namespace lumora::testing
