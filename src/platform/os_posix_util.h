// Helpers shared by the POSIX backend's files.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace lumora::os::posix {

// The UTF-8 form of a path for the system calls; nothing when it holds a lone surrogate or NUL.
std::optional<std::string> nativePath(const std::u16string& path);

// The value of an environment variable when it is an absolute path that fits the path limit.
std::optional<std::u16string> absoluteFolderFromEnvironment(const char* name);

// Whether a graphical display is there to show dialogs on.
bool hasDisplay();

// The full path of `program` found on PATH, or nothing.
std::optional<std::string> findOnPath(const std::string& program);

// Runs a program with an argument vector (never through a shell) and waits for it. Its standard
// output is captured into `output` when that is given. The exit code, or nothing when it could
// not be started or did not exit normally.
std::optional<int> runProgram(const std::vector<std::string>& argv, std::string* output = nullptr);

}  // namespace lumora::os::posix
