// Runs the real launcher of an Installation and collects what a user would see: its exit code,
// its message boxes (on Windows read from the screen by lumora_boxhelper, on POSIX the lines on
// standard error) and its standard error. On Windows lumora_prompthelper answers the JRE folder
// prompt.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "support/installation.h"
#include "support/process.h"

namespace lumora::testing {

enum class BoxIcon { kNone, kInformation, kError };

// One message box as it was shown.
struct ShownBox {
  BoxIcon icon = BoxIcon::kNone;
  std::string text;  // UTF-8, line breaks as in the box (CR LF)
  bool operator==(const ShownBox&) const = default;
};
void PrintTo(const ShownBox& box, std::ostream* out);

// How a run's message boxes can be known.
enum class BoxSource {
  kStandardError,  // POSIX: each box is its text, CR LF as LF, and a line feed on standard error
  kWindows,        // Windows: read from the screen and dismissed by the box helper
  kUnreadable,     // Windows without a usable display: Wine's boxes return at once, unseen
};

struct LaunchRequest {
  // The command line as separate arguments; on Windows they are joined into the tail the way a
  // user would type them (an option's value with blanks in double quotes).
  std::vector<std::u16string> arguments;
  // Instead of `arguments`: the exact command-line tail (on POSIX split at blanks outside double
  // quotes, as a shell would).
  std::optional<std::u16string> tail;
  std::filesystem::path workingDirectory;      // empty: the folder "start" under the root
  std::vector<EnvironmentChange> environment;  // on top of the installation's own
  // Windows: the folder chosen in the JRE folder prompt, should the launcher show it; nothing
  // cancels it. (On POSIX the prompt is always cancelled: the run has no display and no terminal.)
  std::optional<std::filesystem::path> folderPromptChoice;
  // Windows: the folders chosen, in order, in the prompts that come before the one
  // folderPromptChoice answers (a folder that yields no JVM brings the prompt back).
  std::vector<std::filesystem::path> earlierFolderPromptChoices;
  std::chrono::seconds timeLimit{60};  // then the launcher is killed
  // POSIX: the user and group the launcher runs as (see ProcessOptions::identity).
  std::optional<Identity> identity;
};

struct LaunchResult {
  bool finished = false;  // the launcher started and ended by itself within the time limit
  int exitCode = -1;
  std::string standardError;
  BoxSource boxSource = BoxSource::kUnreadable;
  std::vector<ShownBox> boxes;  // kWindows: the boxes shown, in order
  std::string diagnostics;      // why the run did not finish, and what the helpers reported
};
void PrintTo(const LaunchResult& result, std::ostream* out);

// Runs the installation's launcher and waits for it; never waits longer than the time limit.
//
// POSIX: when the environment variable LUMORA_E2E_LAUNCHER_WRAPPER holds a command (words split
// at blanks, the first an absolute path), the launcher runs under it, its path and arguments
// after the command's words (e.g. a valgrind command line), and every time limit is twenty times
// as long.
LaunchResult runLauncher(const Installation& installation, const LaunchRequest& request);

// The tail a user would type for `arguments`: joined by blanks, an argument with a blank in double
// quotes, and of an option only its value.
std::u16string tailOf(const std::vector<std::u16string>& arguments);

// The arguments a shell makes of `tail`: split at blanks, double quotes grouping and removed.
std::vector<std::u16string> argumentsOf(std::u16string_view tail);

}  // namespace lumora::testing
