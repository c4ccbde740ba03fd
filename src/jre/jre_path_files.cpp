#include "jre/jre_path_files.h"

namespace lumora {

// The path files are not consulted yet: they give no folder.
bool readJrePathFile(std::u16string&, const std::u16string&) { return false; }
bool readInstallJrePath(std::u16string&) { return false; }
std::optional<std::u16string> userJrePathFile() { return std::nullopt; }
bool saveUserJrePath(const std::u16string&) { return false; }

}  // namespace lumora
