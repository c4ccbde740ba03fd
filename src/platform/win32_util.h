// Owners and helpers shared by the Windows backend's files.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

namespace lumora::os::win32 {

// The Win32 view of a UTF-16 text: wchar_t and char16_t are both UTF-16 code units here.
inline const wchar_t* wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

// Owns a text in COM task memory.
class CoTaskText {
 public:
  CoTaskText() = default;
  CoTaskText(const CoTaskText&) = delete;
  CoTaskText& operator=(const CoTaskText&) = delete;
  ~CoTaskText();
  wchar_t** out() { return &text_; }
  const wchar_t* get() const { return text_; }

 private:
  wchar_t* text_ = nullptr;
};

// Owns a directory search handle.
class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  ~FindHandle();
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// Loads a JVM library by its full path (a relative path is resolved against the current
// directory first, so the loader never searches other folders for it). Its dependencies are
// looked for in the library's own folder, in the runtime's binary folder above it (older runtimes
// keep their C runtime there) and in the system folder; neither the current directory nor PATH
// is searched. Null when it cannot be loaded.
HMODULE loadWithRuntimeFolder(const std::u16string& path);

}  // namespace lumora::os::win32
