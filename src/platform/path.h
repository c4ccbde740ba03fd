// Path helpers with the rules of the Windows shell's path functions, over either separator, so
// that both targets join, shorten and judge paths alike and share the 260-unit limit.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/os.h"

namespace lumora {

// Appends `more` to `path` with exactly one separator between them (none when `path` is empty or
// already ends in one). Fails, leaving `path` unchanged, when the result would not fit in
// os::kMaxPath - 1 code units.
bool pathAppend(std::u16string& path, std::u16string_view more,
                char16_t separator = os::kPathSeparator);

// Removes the last element and the separator before it; a root ("C:\", "\", "/") is kept.
// Returns whether anything was removed.
bool pathRemoveFileSpec(std::u16string& path, char16_t separator = os::kPathSeparator);

// Whether `path` is relative: it does not start with a separator and, with backslashes, has no
// drive letter and colon.
bool pathIsRelative(std::u16string_view path, char16_t separator = os::kPathSeparator);

// A relative path written with backslashes (the launcher's fixed relative paths, such as
// "lib\\*.jar") in this platform's form.
std::u16string localPath(std::u16string_view windowsPath);

// The running executable's folder, or nothing when it cannot be had.
std::optional<std::u16string> executableFolder();

// The executable's folder with `name` appended, or nothing when either step fails.
std::optional<std::u16string> executableRelativePath(std::u16string_view name);

}  // namespace lumora
