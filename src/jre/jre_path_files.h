// The JRE path files: jrepath.cfg beside the executable, and lumorajrepath.cfg in the user's
// application-data folder, each naming a JRE folder on its first line.
#pragma once

#include <optional>
#include <string>

namespace lumora {

// Reads the first line of the path file at `path` into `jreFolder` (at most 259 code units, the
// line feed removed); a relative folder is made absolute against the executable's folder. True
// when `jreFolder` holds a non-empty folder; on false it may still hold what the read put there.
bool readJrePathFile(std::u16string& jreFolder, const std::u16string& path);

// readJrePathFile on jrepath.cfg beside the executable.
bool readInstallJrePath(std::u16string& jreFolder);

// The location of the per-user path file, or nothing when it cannot be formed.
std::optional<std::u16string> userJrePathFile();

// Replaces the per-user path file's content with `jreFolder`.
bool saveUserJrePath(const std::u16string& jreFolder);

}  // namespace lumora
