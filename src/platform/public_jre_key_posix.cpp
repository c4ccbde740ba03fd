// The public JRE's record on POSIX.
#include "platform/os.h"

namespace lumora::os {

PublicJreKey::PublicJreKey(PublicJreKey&& other) noexcept
    : handle_(other.handle_), home_(std::move(other.home_)) {}

PublicJreKey& PublicJreKey::operator=(PublicJreKey&& other) noexcept {
  handle_ = other.handle_;
  home_ = std::move(other.home_);
  return *this;
}

PublicJreKey::~PublicJreKey() = default;

// Not yet consulted on POSIX: there is no record.
std::optional<PublicJreKey> PublicJreKey::open() { return std::nullopt; }

PublicJreValue PublicJreKey::readJavaHome(char16_t*, std::size_t) const { return {}; }

}  // namespace lumora::os
