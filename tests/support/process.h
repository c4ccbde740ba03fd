// Child processes for the end-to-end tests: start a program with its arguments, working directory
// and environment, capture what it writes, and wait for it with a time limit. process_posix.cpp
// and process_win32.cpp implement this; CMake picks one. Also the few facts about the platform
// that the tests need to lay out files the way the launcher expects them.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lumora::testing {

// One change to the environment a child inherits: set the variable (UTF-8) or, with no value,
// remove it.
struct EnvironmentChange {
  std::string name;
  std::optional<std::string> value;
};

// POSIX: a user and group to run a child as.
struct Identity {
  std::uint32_t user = 0;
  std::uint32_t group = 0;
};

struct ProcessOptions {
  std::filesystem::path program;
  // The arguments after the program's name. On Windows they are quoted by the C runtime's rules
  // unless `commandTail` is given.
  std::vector<std::u16string> arguments;
  // Windows only: the command line after the program's quoted name, exactly as given.
  std::optional<std::u16string> commandTail;
  std::filesystem::path workingDirectory;  // empty: the caller's
  std::vector<EnvironmentChange> environment;
  // POSIX: the child runs as this user and group, without supplementary groups (the caller must
  // be allowed to switch); none: as the caller. Windows refuses to start a child with one.
  std::optional<Identity> identity;
};

struct ProcessOutcome {
  bool exited = false;    // the process ended by itself within the time limit
  bool timedOut = false;  // it was killed because it ran too long
  int exitCode = -1;      // valid when `exited`; a POSIX death by signal N gives 128 + N
  std::string standardOutput;
  std::string standardError;
};

// A started child process; standard input reads nothing, standard output and standard error go to
// pipes that the process drains. Destroying a process that still runs kills it.
class Process {
 public:
  ~Process();
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  // Starts the program; nothing, with the reason in `error`, when it cannot be started.
  static std::optional<Process> start(const ProcessOptions& options, std::string* error);

  // The operating system's id of the process.
  std::uint64_t id() const;

  // Waits until the process has ended or `limit` has passed, collecting its output; kills it (on
  // POSIX with its whole process group) when the limit passes. Call once.
  ProcessOutcome wait(std::chrono::milliseconds limit);

 private:
  struct State;
  explicit Process(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

// The folder of the running test program, where the build puts the programs under test.
std::filesystem::path ownExecutableFolder();

// ---------------------------------------------------------------------------------------------
// Platform facts

// The file name of a program called `base` ("LumoraHost" -> "LumoraHost.exe" on Windows).
std::u16string executableFileName(std::u16string_view base);

// The JVM library's place inside a JRE folder: client or server.
enum class JvmFlavour { kClient, kServer };
std::filesystem::path jvmLibraryInJre(JvmFlavour flavour);

// Windows: a file held open without sharing, so that no other process can open it, to read or
// otherwise, until the hold goes (where file permissions cannot deny reading, as under Wine).
// POSIX has no such lock: there take() gives nothing, and permissions serve instead.
class ExclusiveHold {
 public:
  static std::optional<ExclusiveHold> take(const std::filesystem::path& path);
  ExclusiveHold(ExclusiveHold&& other) noexcept;
  ExclusiveHold& operator=(ExclusiveHold&&) = delete;
  ExclusiveHold(const ExclusiveHold&) = delete;
  ExclusiveHold& operator=(const ExclusiveHold&) = delete;
  ~ExclusiveHold();

 private:
  explicit ExclusiveHold(std::intptr_t handle) : handle_(handle) {}
  std::intptr_t handle_;
};

// POSIX, when the caller runs as root, which file permissions do not bind: an identity that they
// bind (the user "nobody"). Nothing otherwise: the caller's own permissions already hold, or (on
// Windows) there is no such identity.
std::optional<Identity> unprivilegedIdentity();

// Whether a message box is a window of its own (Windows) rather than a line on standard error.
bool messageBoxesAreWindows();

// Windows: whether windows can be shown at all, that is, a display is there and the desktop has
// a driver for it; under Wine without one a message box returns at once, unseen. False on POSIX.
bool windowsCanBeShown();

// The environment changes that keep a launcher run to the test's own folder `sandbox`: no Java,
// per-user or machine-wide settings of this machine, and no dialog on the developer's display.
// Empty on Windows, where the Wine session's prefix plays that part.
std::vector<EnvironmentChange> isolatedEnvironment(const std::filesystem::path& sandbox);

}  // namespace lumora::testing
