// The public JRE's record on Windows: a value of the registry.
#include <utility>

#include "platform/os.h"
#include "platform/win32_util.h"

namespace lumora::os {
namespace {

HKEY asKey(std::intptr_t handle) { return reinterpret_cast<HKEY>(handle); }

void closeKey(std::intptr_t handle) {
  if (handle != 0) RegCloseKey(asKey(handle));
}

}  // namespace

PublicJreKey::PublicJreKey(PublicJreKey&& other) noexcept
    : handle_(std::exchange(other.handle_, 0)), home_(std::move(other.home_)) {}

PublicJreKey& PublicJreKey::operator=(PublicJreKey&& other) noexcept {
  if (this != &other) {
    closeKey(handle_);
    handle_ = std::exchange(other.handle_, 0);
    home_ = std::move(other.home_);
  }
  return *this;
}

PublicJreKey::~PublicJreKey() { closeKey(handle_); }

std::optional<PublicJreKey> PublicJreKey::open() {
  // No view flag: a 32-bit launcher reads the 32-bit view, where a 32-bit JRE registers itself.
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.7", 0,
                    KEY_READ, &key) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  PublicJreKey opened;
  opened.handle_ = reinterpret_cast<std::intptr_t>(key);
  return opened;
}

PublicJreValue PublicJreKey::readJavaHome(char16_t* buffer, std::size_t bufferBytes) const {
  DWORD type = REG_NONE;
  DWORD size = static_cast<DWORD>(bufferBytes);
  if (RegQueryValueExW(asKey(handle_), L"JavaHome", nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                       &size) != ERROR_SUCCESS) {
    return {};
  }
  return {.read = true, .isText = type == REG_SZ, .byteCount = size};
}

}  // namespace lumora::os
