// The operating-system seam on Windows.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <ctime>

#include "platform/os.h"
#include "platform/path.h"
#include "platform/win32_util.h"

namespace lumora::os {

const char16_t kPathSeparator = u'\\';
const char kClassPathSeparator = ';';
const std::u16string_view kClientJvmLibrary = u"bin\\client\\jvm.dll";
const std::u16string_view kServerJvmLibrary = u"bin\\server\\jvm.dll";

using win32::wide;

// ---------------------------------------------------------------------------------------------
// Process

std::optional<std::u16string> executablePath() {
  wchar_t buffer[kMaxPath] = {};
  const DWORD length = GetModuleFileNameW(GetModuleHandleW(nullptr), buffer, kMaxPath);
  if (length == 0 || length >= kMaxPath) return std::nullopt;  // kMaxPath: truncated
  return std::u16string(reinterpret_cast<const char16_t*>(buffer), length);
}

bool setCurrentDirectory(const std::u16string& folder) {
  return SetCurrentDirectoryW(wide(folder)) != FALSE;
}

void initializeCom() { (void)CoInitialize(nullptr); }

std::optional<std::int64_t> secondsSinceEpoch() {
  const __time64_t now = _time64(nullptr);
  if (now == -1) return std::nullopt;
  return static_cast<std::int64_t>(now);
}

std::optional<LocalTime> toLocalTime(std::int64_t seconds) {
  const __time64_t moment = seconds;
  std::tm parts{};
  if (_localtime64_s(&parts, &moment) != 0) return std::nullopt;
  return LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour,
                   parts.tm_min,         parts.tm_sec,     parts.tm_wday};
}

std::optional<std::u16string> newGuidText() {
  GUID guid;
  if (FAILED(CoCreateGuid(&guid))) return std::nullopt;
  win32::CoTaskText text;
  if (FAILED(StringFromCLSID(guid, text.out()))) return std::nullopt;
  return std::u16string(reinterpret_cast<const char16_t*>(text.get()));
}

// ---------------------------------------------------------------------------------------------
// Texts handed to the JVM: the "C" locale's conversion, byte for code unit up to U+00FF.

std::optional<std::string> toNarrow(std::u16string_view text) {
  std::string narrow;
  narrow.reserve(text.size());
  for (char16_t unit : text) {
    if (unit > 0xFF) return std::nullopt;
    narrow += static_cast<char>(unit);
  }
  return narrow;
}

std::u16string fromNarrow(std::string_view text) {
  std::u16string wideText;
  wideText.reserve(text.size());
  for (char byte : text) wideText += static_cast<char16_t>(static_cast<unsigned char>(byte));
  return wideText;
}

// ---------------------------------------------------------------------------------------------
// User interface

void showMessageBox(std::u16string_view text, std::u16string_view caption, BoxIcon icon) {
  const std::u16string textCopy(text), captionCopy(caption);
  MessageBoxW(nullptr, wide(textCopy), wide(captionCopy),
              MB_OK | (icon == BoxIcon::kError ? MB_ICONERROR : MB_ICONINFORMATION));
}

// ---------------------------------------------------------------------------------------------
// Files

File::File(File&& other) noexcept : handle_(other.handle_) { other.handle_ = -1; }

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    close();
    handle_ = other.handle_;
    other.handle_ = -1;
  }
  return *this;
}

File::~File() { close(); }

bool File::isOpen() const { return handle_ != -1; }

void File::close() {
  if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = -1;
}

namespace {

HANDLE openRegular(const std::u16string& path, DWORD access, DWORD share, DWORD disposition) {
  HANDLE handle = CreateFileW(wide(path), access, share, nullptr, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return handle;
  if (GetFileType(handle) != FILE_TYPE_DISK) {  // a device or a pipe
    CloseHandle(handle);
    return INVALID_HANDLE_VALUE;
  }
  return handle;
}

bool writeAll(HANDLE handle, const void* data, std::size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(handle, bytes, chunk, &written, nullptr) || written == 0) return false;
    bytes += written;
    size -= written;
  }
  return true;
}

}  // namespace

std::optional<File> File::openForReading(const std::u16string& path) {
  HANDLE handle = openRegular(path, GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  return File(reinterpret_cast<std::intptr_t>(handle));
}

std::optional<File> File::createExclusive(const std::u16string& path) {
  // Sharing read access only: while this handle is open, nobody else can open the file for
  // writing, and an open that meets another writer fails before the file is emptied.
  HANDLE handle = openRegular(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  return File(reinterpret_cast<std::intptr_t>(handle));
}

std::optional<std::size_t> File::read(void* buffer, std::size_t size) {
  const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
  DWORD count = 0;
  if (!ReadFile(reinterpret_cast<HANDLE>(handle_), buffer, chunk, &count, nullptr)) {
    return std::nullopt;
  }
  return static_cast<std::size_t>(count);
}

bool File::write(const void* data, std::size_t size) {
  return writeAll(reinterpret_cast<HANDLE>(handle_), data, size);
}

bool replaceFileAtomically(const std::u16string& path, std::string_view content) {
  std::u16string folder = path;
  if (!pathRemoveFileSpec(folder)) return false;
  if (folder.empty()) folder.assign(1, u'.');
  wchar_t temporary[MAX_PATH] = {};
  if (GetTempFileNameW(wide(folder), L"ljp", 0, temporary) == 0) return false;

  HANDLE handle = CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  bool done = handle != INVALID_HANDLE_VALUE && writeAll(handle, content.data(), content.size()) &&
              FlushFileBuffers(handle);
  if (handle != INVALID_HANDLE_VALUE && !CloseHandle(handle)) done = false;
  done = done && MoveFileExW(temporary, wide(path),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!done) DeleteFileW(temporary);
  return done;
}

std::vector<std::u16string> findEntries(const std::u16string& pattern) {
  std::vector<std::u16string> names;
  WIN32_FIND_DATAW data;
  win32::FindHandle search(FindFirstFileW(wide(pattern), &data));
  if (!search.valid()) return names;
  do {
    names.emplace_back(reinterpret_cast<const char16_t*>(data.cFileName));
  } while (FindNextFileW(search.get(), &data));
  return names;
}

// ---------------------------------------------------------------------------------------------
// Known folders

namespace {

std::optional<std::u16string> shellFolder(int csidl) {
  wchar_t buffer[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, buffer))) return std::nullopt;
  return std::u16string(reinterpret_cast<const char16_t*>(buffer));
}

}  // namespace

std::optional<std::u16string> userDataFolder() { return shellFolder(CSIDL_APPDATA); }

std::optional<std::u16string> machineDataFolder() { return shellFolder(CSIDL_COMMON_APPDATA); }

// ---------------------------------------------------------------------------------------------
// Libraries

Library::Library(Library&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }

Library& Library::operator=(Library&& other) noexcept {
  if (this != &other) {
    if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
    handle_ = other.handle_;
    other.handle_ = nullptr;
  }
  return *this;
}

Library::~Library() {
  if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
}

std::optional<Library> Library::loadJvm(const std::u16string& path) {
  HMODULE module = win32::loadWithRuntimeFolder(path);
  if (module == nullptr) return std::nullopt;
  return Library(module);
}

void* Library::symbol(const char* name) const {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

void Library::keepLoaded() { handle_ = nullptr; }

}  // namespace lumora::os
