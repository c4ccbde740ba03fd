// The public JRE's record on POSIX: JAVA_HOME, else the Java home of the `java` command on PATH.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>

#include "platform/os.h"
#include "platform/os_posix_util.h"
#include "platform/unicode.h"

namespace lumora::os {
namespace {

// The folder part of a path: everything before its last slash ("/" for a top-level entry).
std::string_view parentOf(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return {};
  return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

std::string_view lastElementOf(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The home of the `java` found on PATH. Distributions reach the real command through a chain of
// links (/usr/bin/java -> /etc/alternatives/java -> .../bin/java), so the home is judged on the
// real path only.
std::optional<std::string> javaHomeOnPath() {
  std::optional<std::string> java = posix::findOnPath("java");
  if (!java) return std::nullopt;
  std::unique_ptr<char, decltype(&std::free)> real(realpath(java->c_str(), nullptr), &std::free);
  if (!real) return std::nullopt;
  const std::string_view bin = parentOf(real.get());
  if (lastElementOf(bin) != "bin") return std::nullopt;
  return std::string(parentOf(bin));
}

std::optional<std::string> javaHome() {
  const char* variable = std::getenv("JAVA_HOME");
  if (variable != nullptr && *variable != '\0') return std::string(variable);
  return javaHomeOnPath();
}

}  // namespace

PublicJreKey::PublicJreKey(PublicJreKey&& other) noexcept
    : handle_(std::exchange(other.handle_, 0)), home_(std::move(other.home_)) {}

PublicJreKey& PublicJreKey::operator=(PublicJreKey&& other) noexcept {
  handle_ = std::exchange(other.handle_, 0);
  home_ = std::move(other.home_);
  return *this;
}

PublicJreKey::~PublicJreKey() = default;

std::optional<PublicJreKey> PublicJreKey::open() {
  std::optional<std::string> home = javaHome();
  if (!home) return std::nullopt;
  PublicJreKey key;
  key.home_ = utf8ToUtf16(*home);
  return key;
}

// The folder is given as the registry stores a text value: its code units and a terminator.
PublicJreValue PublicJreKey::readJavaHome(char16_t* buffer, std::size_t bufferBytes) const {
  const std::size_t byteCount = (home_.size() + 1) * sizeof(char16_t);
  if (byteCount > bufferBytes) return {};
  std::memcpy(buffer, home_.c_str(), byteCount);
  return {.read = true, .isText = true, .byteCount = byteCount};
}

}  // namespace lumora::os
