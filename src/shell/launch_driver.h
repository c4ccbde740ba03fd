// The launcher's run from start to end.
#pragma once

#include <string_view>

namespace lumora {

// Exit codes of a run.
inline constexpr int kExitSuccess = 0;       // the application ran, or the usage box was asked for
inline constexpr int kExitLaunchFailed = 1;  // no JVM, main could not be called, or main threw
inline constexpr int kExitUsage = 2;         // an unrecognised option

// Runs the launcher on a command-line tail and returns the process's exit code.
int runLauncher(std::u16string_view commandLineTail);

}  // namespace lumora
