#include "platform/win32_util.h"

#include <objbase.h>

#include "platform/os.h"
#include "platform/path.h"

namespace lumora::os::win32 {

CoTaskText::~CoTaskText() { CoTaskMemFree(text_); }

FindHandle::~FindHandle() {
  if (valid()) FindClose(handle_);
}

namespace {

std::u16string fullPathOf(const std::u16string& path) {
  const DWORD needed = GetFullPathNameW(wide(path), 0, nullptr, nullptr);
  if (needed == 0) return {};
  std::wstring buffer(needed, L'\0');
  const DWORD length = GetFullPathNameW(wide(path), needed, buffer.data(), nullptr);
  if (length == 0 || length >= needed) return {};
  return std::u16string(reinterpret_cast<const char16_t*>(buffer.c_str()), length);
}

using AddDllDirectoryFn = DLL_DIRECTORY_COOKIE(WINAPI*)(PCWSTR);
using RemoveDllDirectoryFn = BOOL(WINAPI*)(DLL_DIRECTORY_COOKIE);

template <typename Fn>
Fn kernelFunction(const char* name) {
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name)));
}

}  // namespace

HMODULE loadWithRuntimeFolder(const std::u16string& path) {
  const std::u16string full = fullPathOf(path);
  if (full.empty()) return nullptr;
  std::u16string runtimeFolder = full;
  pathRemoveFileSpec(runtimeFolder, u'\\');  // bin\client
  pathRemoveFileSpec(runtimeFolder, u'\\');  // bin

  static const auto addDllDirectory = kernelFunction<AddDllDirectoryFn>("AddDllDirectory");
  static const auto removeDllDirectory =
      kernelFunction<RemoveDllDirectoryFn>("RemoveDllDirectory");
  if (addDllDirectory != nullptr && removeDllDirectory != nullptr) {
    // The runtime's folder joins the search for this one load only; the dependencies found for
    // it stay loaded with it.
    DLL_DIRECTORY_COOKIE cookie = addDllDirectory(wide(runtimeFolder));
    HMODULE module = LoadLibraryExW(wide(full), nullptr,
                                    LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR |
                                        LOAD_LIBRARY_SEARCH_USER_DIRS |
                                        LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (cookie != nullptr) removeDllDirectory(cookie);
    return module;
  }
  // Systems without the directory functions: the runtime's folder takes the current directory's
  // place in the search while the library loads.
  SetDllDirectoryW(wide(runtimeFolder));
  HMODULE module = LoadLibraryExW(wide(full), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  SetDllDirectoryW(nullptr);
  return module;
}

}  // namespace lumora::os::win32
