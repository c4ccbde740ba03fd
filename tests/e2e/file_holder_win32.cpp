#include <windows.h>

#include <utility>

#include "e2e/file_holder.h"

namespace lumora::testing {
namespace {

HANDLE handleOf(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }

}  // namespace

std::optional<HeldFile> HeldFile::hold(const std::filesystem::path& path,
                                       std::string_view content) {
  const HANDLE file = CreateFileW(path.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  HeldFile held(reinterpret_cast<std::intptr_t>(file));
  DWORD written = 0;
  if (!WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) ||
      written != content.size()) {
    return std::nullopt;
  }
  return held;
}

HeldFile::HeldFile(HeldFile&& other) noexcept : handle_(std::exchange(other.handle_, 0)) {}

HeldFile::~HeldFile() {
  if (handle_ != 0) CloseHandle(handleOf(handle_));
}

}  // namespace lumora::testing
