// The operating-system seam on POSIX (Linux).
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <utility>

#include "platform/os.h"
#include "platform/os_posix_util.h"
#include "platform/unicode.h"

namespace lumora::os {

const char16_t kPathSeparator = u'/';
const char kClassPathSeparator = ':';
const std::u16string_view kClientJvmLibrary = u"lib/client/libjvm.so";
const std::u16string_view kServerJvmLibrary = u"lib/server/libjvm.so";

// ---------------------------------------------------------------------------------------------
// Process

std::optional<std::u16string> executablePath() {
  char buffer[4096];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
  if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer) return std::nullopt;
  std::u16string path = utf8ToUtf16(std::string_view(buffer, static_cast<std::size_t>(length)));
  if (path.size() >= kMaxPath) return std::nullopt;
  return path;
}

bool setCurrentDirectory(const std::u16string& folder) {
  std::optional<std::string> native = posix::nativePath(folder);
  return native && chdir(native->c_str()) == 0;
}

void initializeCom() {}

std::optional<std::int64_t> secondsSinceEpoch() {
  const std::time_t now = std::time(nullptr);
  if (now == static_cast<std::time_t>(-1)) return std::nullopt;
  return static_cast<std::int64_t>(now);
}

std::optional<LocalTime> toLocalTime(std::int64_t seconds) {
  const std::time_t moment = static_cast<std::time_t>(seconds);
  std::tm parts{};
  if (localtime_r(&moment, &parts) == nullptr) return std::nullopt;
  return LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour,
                   parts.tm_min,         parts.tm_sec,     parts.tm_wday};
}

std::optional<std::u16string> newGuidText() {
  unsigned char bytes[16];
  std::size_t filled = 0;
  while (filled < sizeof bytes) {
    const ssize_t count = getrandom(bytes + filled, sizeof bytes - filled, 0);
    if (count < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    filled += static_cast<std::size_t>(count);
  }
  bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);  // version 4
  bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
  char text[39];
  std::snprintf(text, sizeof text,
                "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                bytes[0], bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7],
                bytes[8], bytes[9], bytes[10], bytes[11], bytes[12], bytes[13], bytes[14],
                bytes[15]);
  return utf8ToUtf16(text);
}

// ---------------------------------------------------------------------------------------------
// Texts handed to the JVM

std::optional<std::string> toNarrow(std::u16string_view text) {
  bool malformed = false;
  std::string narrow = utf16ToUtf8(text, &malformed);
  if (malformed) return std::nullopt;
  return narrow;
}

std::u16string fromNarrow(std::string_view text) { return utf8ToUtf16(text); }

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

bool File::isOpen() const { return handle_ >= 0; }

void File::close() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
  handle_ = -1;
}

namespace {

// Opens without blocking (a FIFO would otherwise wait for a peer), then accepts regular files only.
int openRegular(const std::u16string& path, int flags) {
  std::optional<std::string> native = posix::nativePath(path);
  if (!native) return -1;
  const int fd = ::open(native->c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
  if (fd < 0) return -1;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return -1;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

bool writeAll(int fd, const void* data, std::size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t count = ::write(fd, bytes, size);
    if (count < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes += count;
    size -= static_cast<std::size_t>(count);
  }
  return true;
}

}  // namespace

std::optional<File> File::openForReading(const std::u16string& path) {
  const int fd = openRegular(path, O_RDONLY);
  if (fd < 0) return std::nullopt;
  return File(fd);
}

std::optional<File> File::createExclusive(const std::u16string& path) {
  const int fd = openRegular(path, O_WRONLY | O_CREAT);
  if (fd < 0) return std::nullopt;
  // The lock is taken before the file is emptied, so a run that loses the race leaves the
  // holder's content alone.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0 || ftruncate(fd, 0) != 0) {
    ::close(fd);
    return std::nullopt;
  }
  return File(fd);
}

std::optional<std::size_t> File::read(void* buffer, std::size_t size) {
  for (;;) {
    const ssize_t count = ::read(static_cast<int>(handle_), buffer, size);
    if (count >= 0) return static_cast<std::size_t>(count);
    if (errno != EINTR) return std::nullopt;
  }
}

bool File::write(const void* data, std::size_t size) {
  return writeAll(static_cast<int>(handle_), data, size);
}

namespace {

// Creates a new file for writing beside `native`, named after it with a random suffix, and stores
// its name in `temporary`. The mode 0666 lets the system apply the umask and the folder's default
// ACL, as for any new file; asking for the umask instead would mean changing it for a moment, for
// every thread of the process, and the JVM's threads run by then.
int createTemporarySibling(const std::string& native, std::string& temporary) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    unsigned char random[6];
    const ssize_t count = getrandom(random, sizeof random, 0);
    if (count < 0 && errno == EINTR) continue;
    if (count != static_cast<ssize_t>(sizeof random)) return -1;
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%02x%02x%02x%02x%02x%02x", random[0], random[1],
                  random[2], random[3], random[4], random[5]);
    temporary = native + suffix;
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

bool replaceFileAtomically(const std::u16string& path, std::string_view content) {
  std::optional<std::string> native = posix::nativePath(path);
  if (!native) return false;
  std::string temporary;
  const int fd = createTemporarySibling(*native, temporary);
  if (fd < 0) return false;
  const bool written = writeAll(fd, content.data(), content.size()) && fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (written && closed && rename(temporary.c_str(), native->c_str()) == 0) return true;
  unlink(temporary.c_str());
  return false;
}

namespace {

char foldAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Whether `name` ends with `foldedSuffix` (ASCII letters in upper case) without regard to case.
bool endsWithFolded(std::string_view name, std::string_view foldedSuffix) {
  if (name.size() < foldedSuffix.size()) return false;
  const std::size_t start = name.size() - foldedSuffix.size();
  for (std::size_t i = 0; i < foldedSuffix.size(); ++i) {
    if (foldAscii(name[start + i]) != foldedSuffix[i]) return false;
  }
  return true;
}

}  // namespace

std::vector<std::u16string> findEntries(const std::u16string& pattern) {
  std::vector<std::u16string> names;
  const std::size_t star = pattern.rfind(u'*');
  if (star == std::u16string::npos || star == 0 || pattern[star - 1] != kPathSeparator) {
    return names;
  }
  std::optional<std::string> suffix = posix::nativePath(pattern.substr(star + 1));
  std::optional<std::string> folder = posix::nativePath(pattern.substr(0, star));
  DIR* directory = suffix && folder ? opendir(folder->c_str()) : nullptr;
  if (directory == nullptr) return names;
  std::string foldedSuffix = *suffix;
  for (char& c : foldedSuffix) c = foldAscii(c);
  // The names stay in their system form (UTF-8) while they are matched and sorted. Each match is
  // kept as one text, its name with ASCII letters folded, a NUL (which no name holds), and the
  // name itself, so that plain byte order sorts by the folded names first and the names
  // themselves second; UTF-8 bytes sort in the order of their code points. The texts lie end to
  // end in one buffer, and views of them are sorted.
  std::string texts;
  std::vector<std::pair<std::size_t, std::size_t>> spans;  // offset and size in `texts`
  while (const dirent* entry = readdir(directory)) {
    const std::string_view name = entry->d_name;
    if (!endsWithFolded(name, foldedSuffix)) continue;
    spans.emplace_back(texts.size(), 2 * name.size() + 1);
    for (const char c : name) texts += foldAscii(c);
    texts += '\0';
    texts += name;
  }
  closedir(directory);
  std::vector<std::string_view> matches;
  matches.reserve(spans.size());
  for (const auto& [offset, size] : spans) matches.emplace_back(texts.data() + offset, size);
  std::sort(matches.begin(), matches.end());
  names.reserve(matches.size());
  for (const std::string_view match : matches) {
    names.push_back(utf8ToUtf16(match.substr(match.size() / 2 + 1)));
  }
  return names;
}

// ---------------------------------------------------------------------------------------------
// Known folders

std::optional<std::u16string> userDataFolder() {
  if (std::optional<std::u16string> folder = posix::absoluteFolderFromEnvironment("XDG_CONFIG_HOME")) {
    return folder;
  }
  std::optional<std::u16string> home = posix::absoluteFolderFromEnvironment("HOME");
  if (!home) return std::nullopt;
  if (home->empty() || home->back() != kPathSeparator) *home += kPathSeparator;
  *home += u".config";
  if (home->size() >= kMaxPath) return std::nullopt;
  return home;
}

std::optional<std::u16string> machineDataFolder() {
  const char* value = std::getenv("XDG_CONFIG_DIRS");
  std::string_view dirs = value != nullptr ? value : "";
  std::string_view first = dirs.substr(0, dirs.find(':'));
  if (first.empty() || first.front() != '/') first = "/etc/xdg";
  std::u16string folder = utf8ToUtf16(first);
  if (folder.size() >= kMaxPath) return std::nullopt;
  return folder;
}

// ---------------------------------------------------------------------------------------------
// Libraries

Library::Library(Library&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }

Library& Library::operator=(Library&& other) noexcept {
  if (this != &other) {
    if (handle_ != nullptr) dlclose(handle_);
    handle_ = other.handle_;
    other.handle_ = nullptr;
  }
  return *this;
}

Library::~Library() {
  if (handle_ != nullptr) dlclose(handle_);
}

std::optional<Library> Library::loadJvm(const std::u16string& path) {
  std::optional<std::string> native = posix::nativePath(path);
  if (!native) return std::nullopt;
  // A name without a slash would send dlopen through the library search path; the launcher
  // always means a path.
  if (native->find('/') == std::string::npos) native->insert(0, "./");
  void* handle = dlopen(native->c_str(), RTLD_NOW | RTLD_GLOBAL);
  if (handle == nullptr) return std::nullopt;
  return Library(handle);
}

void* Library::symbol(const char* name) const { return dlsym(handle_, name); }

void Library::keepLoaded() { handle_ = nullptr; }

}  // namespace lumora::os
