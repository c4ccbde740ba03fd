// The operating-system seam: every call the launcher makes into the operating system goes through
// the functions and types declared here. os_win32.cpp implements them with the Win32 API, and
// os_posix.cpp with POSIX; CMake picks one. Nothing above src/platform includes a system header.
//
// Texts are UTF-16 (`std::u16string`), exactly as the Windows API holds them; the POSIX backend
// converts to and from UTF-8 at the system boundary. Path limits are those of Windows on every
// target: a path holds at most kMaxPath - 1 code units.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumora::os {

// MAX_PATH: a path buffer's size in code units, the terminator included.
inline constexpr std::size_t kMaxPath = 260;

// The separator between path elements: a backslash on Windows, a slash on POSIX.
extern const char16_t kPathSeparator;

// The separator between class path entries that the JVM expects: ';' on Windows, ':' on POSIX.
extern const char kClassPathSeparator;

// Where a JRE keeps its JVM library, relative to the JRE folder: bin\client\jvm.dll and
// bin\server\jvm.dll on Windows; lib/client/libjvm.so and lib/server/libjvm.so on POSIX (the
// layout of Java 9 and later).
extern const std::u16string_view kClientJvmLibrary;
extern const std::u16string_view kServerJvmLibrary;

// ---------------------------------------------------------------------------------------------
// Process

// The running executable's full file name, or nothing when it cannot be had or does not fit in
// kMaxPath - 1 code units.
std::optional<std::u16string> executablePath();

// Makes `folder` the process's current directory.
bool setCurrentDirectory(const std::u16string& folder);

// Initialises COM on the calling thread (a single-threaded apartment) where there is COM; its
// outcome is not reported because the launcher runs on whatever it gives.
void initializeCom();

// Seconds since 1970-01-01 00:00 UTC, or nothing when the clock cannot be read.
std::optional<std::int64_t> secondsSinceEpoch();

struct LocalTime {
  int year;     // e.g. 2026
  int month;    // 1-12
  int day;      // 1-31
  int hour;     // 0-23
  int minute;   // 0-59
  int second;   // 0-60
  int weekday;  // 0 = Sunday
};

// The local time of a moment given in seconds since the epoch, or nothing when it cannot be
// converted.
std::optional<LocalTime> toLocalTime(std::int64_t secondsSinceEpoch);

// A new random GUID in the registry form: 38 characters, braces, upper-case hexadecimal digits,
// e.g. {0F8FAD5B-D9CB-469F-A165-70867728950E}. Nothing when no GUID can be made.
std::optional<std::u16string> newGuidText();

// ---------------------------------------------------------------------------------------------
// Texts handed to the JVM

// The narrow form of a wide text, as JVM option strings need it: on Windows each code unit up to
// U+00FF becomes the byte of the same value and any other code unit fails the conversion; on
// POSIX the text becomes UTF-8, and a lone surrogate fails it.
std::optional<std::string> toNarrow(std::u16string_view text);

// The wide form of a narrow text: the inverse of toNarrow (a malformed UTF-8 sequence on POSIX
// becomes U+FFFD).
std::u16string fromNarrow(std::string_view text);

// ---------------------------------------------------------------------------------------------
// User interface

enum class BoxIcon { kInformation, kError };

// Shows a modal message box with an OK button and no owner window, and returns when it is
// closed. On POSIX the text goes to standard error (and to a zenity dialog when a display is
// there and zenity is installed).
void showMessageBox(std::u16string_view text, std::u16string_view caption, BoxIcon icon);

// The outcome of the folder-browse prompt.
struct FolderChoice {
  bool itemChosen = false;             // false: the user cancelled
  std::optional<std::u16string> path;  // the chosen item's file-system path (at most
                                       // kMaxPath - 1 code units), if it has one
};

// Asks the user for a folder, with `title` above the choice. Modal. Windows: the shell's
// folder-browse dialog. POSIX: zenity when a display is there and zenity is on PATH; else, when
// standard input is a terminal, a prompt on standard error answered by one line of standard
// input (relative answers resolved against the current directory); else cancelled.
FolderChoice browseForFolder(std::u16string_view title);

// ---------------------------------------------------------------------------------------------
// Files

// An open file; closes it when destroyed. Reads and writes go straight to the operating system
// (no buffering here), so a successful write has reached it when the call returns.
class File {
 public:
  File() = default;
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File();

  // Opens an existing regular file for reading, sharing it with other readers and writers as the
  // runtime's own file streams do. Folders, devices and pipes are refused.
  static std::optional<File> openForReading(const std::u16string& path);

  // Creates the file, or empties an existing one, for writing; while it is open others may read
  // it but not write it. Fails without touching the file when another process holds it for
  // writing (on POSIX: holds the advisory lock that this open takes).
  static std::optional<File> createExclusive(const std::u16string& path);

  // Reads up to `size` bytes: the count read, 0 at the end of the file, nothing on an error.
  std::optional<std::size_t> read(void* buffer, std::size_t size);

  // Writes all `size` bytes; false when the system reports an error.
  bool write(const void* data, std::size_t size);

  bool isOpen() const;
  void close();

 private:
  explicit File(std::intptr_t handle) : handle_(handle) {}
  std::intptr_t handle_ = -1;
};

// Replaces the file at `path` with `content` so that a reader sees either the old file or the
// new one, never a part: the bytes go to a new file in the same folder, reach the disk, and only
// then take the old file's place. On failure the old file is left as it was.
bool replaceFileAtomically(const std::u16string& path, std::string_view content);

// The names of the entries of `folder` that match "*" + `suffix` (e.g. ".jar") without regard to
// case. Windows gives them in the order of its directory search; POSIX sorts them by name without
// regard to case (ASCII letters folded, then by code point), so that the order is the same on
// every machine. Empty when the folder is missing, unreadable or holds no such entry. `pattern`
// is the folder joined with "*" + suffix, the text the search is made with.
std::vector<std::u16string> findEntries(const std::u16string& pattern);

// ---------------------------------------------------------------------------------------------
// Known folders

// The current user's application-data folder (Windows: CSIDL_APPDATA; POSIX: $XDG_CONFIG_HOME,
// else $HOME/.config), not created when missing.
std::optional<std::u16string> userDataFolder();

// The machine-wide application-data folder (Windows: CSIDL_COMMON_APPDATA; POSIX: the first
// folder of $XDG_CONFIG_DIRS, else /etc/xdg).
std::optional<std::u16string> machineDataFolder();

// ---------------------------------------------------------------------------------------------
// Libraries

// A loaded dynamic library; unloads it when destroyed unless told to stay loaded.
class Library {
 public:
  Library() = default;
  Library(Library&& other) noexcept;
  Library& operator=(Library&& other) noexcept;
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
  ~Library();

  // Loads a Java runtime's JVM library by its path as given (relative paths resolve against the
  // current directory). On Windows the runtime's own binary folder, the parent of the library's
  // folder, is searched for the library's dependencies, and the current directory is not.
  static std::optional<Library> loadJvm(const std::u16string& path);

  // The address of an exported symbol, or null.
  void* symbol(const char* name) const;

  // Gives up ownership: the library stays loaded until the process ends.
  void keepLoaded();

 private:
  explicit Library(void* handle) : handle_(handle) {}
  void* handle_ = nullptr;
};

// ---------------------------------------------------------------------------------------------
// The public JRE's record

// What reading the public JRE's home folder gave.
struct PublicJreValue {
  bool read = false;          // the value was read into the buffer
  bool isText = false;        // it is a plain text value (REG_SZ)
  std::size_t byteCount = 0;  // the size of what was read, in bytes
};

// The record that names the public JRE 1.7: on Windows the registry key
// HKEY_LOCAL_MACHINE\SOFTWARE\JavaSoft\Java Runtime Environment\1.7 (opened with KEY_READ in the
// process's own view); on POSIX the JAVA_HOME variable when it is set and not empty, else the
// Java home of the `java` command found on PATH (its real path, links resolved, must lie in a
// `bin` folder; the home is the folder above). Closes the key when destroyed.
class PublicJreKey {
 public:
  PublicJreKey(PublicJreKey&& other) noexcept;
  PublicJreKey& operator=(PublicJreKey&& other) noexcept;
  PublicJreKey(const PublicJreKey&) = delete;
  PublicJreKey& operator=(const PublicJreKey&) = delete;
  ~PublicJreKey();

  // Nothing when there is no such record (or it cannot be read).
  static std::optional<PublicJreKey> open();

  // Reads the value "JavaHome" into `buffer`, whose size is `bufferBytes` bytes; fails when the
  // value is larger. The text is not terminated here: the stored bytes are copied as they are
  // (on POSIX, the folder and its terminator), and whether a terminator follows them is not
  // said. What a failed read leaves in the buffer is not said either.
  PublicJreValue readJavaHome(char16_t* buffer, std::size_t bufferBytes) const;

 private:
  PublicJreKey() = default;
  std::intptr_t handle_ = 0;  // Windows: the open registry key
  std::u16string home_;       // POSIX: the folder found
};

}  // namespace lumora::os
