#include "module_io.h"

#include <cstdio>

#include "report.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#endif

namespace lumora::testjvm {
namespace {

#if defined(_WIN32)

using NativePath = std::wstring;

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (valid()) CloseHandle(h_);
  }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

NativePath findModuleFolder() {
  HMODULE self = nullptr;
  if (!GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCWSTR>(&findModuleFolder), &self)) {
    return {};
  }
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(self, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  auto sep = path.find_last_of(L"\\/");
  return sep == std::wstring::npos ? std::wstring{} : path.substr(0, sep + 1);
}

NativePath nativeName(const char* name) {
  std::string_view ascii(name);
  return NativePath(ascii.begin(), ascii.end());
}

void appendToFile(const NativePath& path, std::string_view bytes) {
  Handle file(CreateFileW(path.c_str(), FILE_APPEND_DATA,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return;
  DWORD written = 0;
  WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::optional<std::string> readFile(const NativePath& path) {
  Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return std::nullopt;
  std::string bytes;
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr) && n > 0) bytes.append(buffer, n);
  return bytes;
}

[[noreturn]] void dieNow() {
  // Not abort(): in a GUI process the C runtime would show a box and wait for a click.
  TerminateProcess(GetCurrentProcess(), 3);
  for (;;) {
  }
}

#else  // POSIX

using NativePath = std::string;

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (valid()) close(fd_);
  }
  bool valid() const { return fd_ >= 0; }
  int get() const { return fd_; }

 private:
  int fd_;
};

NativePath findModuleFolder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&findModuleFolder), &info) == 0 || !info.dli_fname) return {};
  // Resolved now, while the current directory is still the one a relative load name was meant for.
  char* real = realpath(info.dli_fname, nullptr);
  std::string path = real ? real : info.dli_fname;
  std::free(real);
  auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

NativePath nativeName(const char* name) { return name; }

void appendToFile(const NativePath& path, std::string_view bytes) {
  Fd file(open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
  if (!file.valid()) return;
  while (!bytes.empty()) {
    ssize_t n = write(file.get(), bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

std::optional<std::string> readFile(const NativePath& path) {
  Fd file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.valid()) return std::nullopt;
  std::string bytes;
  char buffer[4096];
  for (;;) {
    ssize_t n = read(file.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  return bytes;
}

[[noreturn]] void dieNow() { std::abort(); }

#endif

// Learnt once when the library is loaded, and freed only after the unload record, which needs it
// after the library's static objects may already be gone.
const NativePath* moduleFolder = nullptr;

const NativePath& folder() {
  if (!moduleFolder) moduleFolder = new NativePath(findModuleFolder());
  return *moduleFolder;
}

void onLoad() {
  folder();
  record("attach");
}

void onUnload() {
  record("detach");
  delete moduleFolder;  // an unloaded library must not leave its memory behind
  moduleFolder = nullptr;
}

}  // namespace

void record(std::string_view line) {
  std::string text(line);
  text += '\n';
  if (folder().empty()) {
    std::fputs(("testjvm: " + text).c_str(), stderr);
    return;
  }
  appendToFile(folder() + nativeName(kReportFileName), text);
}

void recordAndDie(std::string_view line) {
  record(line);
  dieNow();
}

std::optional<std::string> readConfigFile() {
  if (folder().empty()) return std::nullopt;
  return readFile(folder() + nativeName(kConfigFileName));
}

#if defined(_WIN32)

std::uint64_t currentThreadId() { return GetCurrentThreadId(); }

void sleepMilliseconds(std::uint32_t milliseconds) { Sleep(milliseconds); }

#else

std::uint64_t currentThreadId() { return static_cast<std::uint64_t>(pthread_self()); }

void sleepMilliseconds(std::uint32_t milliseconds) {
  timespec left{static_cast<time_t>(milliseconds / 1000),
                static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

#endif

}  // namespace lumora::testjvm

#if defined(_WIN32)

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) lumora::testjvm::onLoad();
  if (reason == DLL_PROCESS_DETACH) lumora::testjvm::onUnload();
  return TRUE;
}

#else

__attribute__((constructor)) static void lumoraTestLibraryLoaded() { lumora::testjvm::onLoad(); }
__attribute__((destructor)) static void lumoraTestLibraryUnloaded() { lumora::testjvm::onUnload(); }

#endif
