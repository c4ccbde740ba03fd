#include "jvmconfig/class_path.h"

#include "platform/os.h"
#include "platform/path.h"

namespace lumora {

std::optional<std::string> buildClassPathOption(const std::u16string& installFolder) {
  std::u16string pattern = installFolder;
  std::u16string libFolder = installFolder;
  if (!pathAppend(pattern, localPath(u"lib\\*.jar")) || !pathAppend(libFolder, u"lib")) {
    return std::nullopt;
  }
  std::optional<std::string> narrowLibFolder = os::toNarrow(libFolder);
  if (!narrowLibFolder) return std::nullopt;

  std::string option = "-Djava.class.path=";
  bool first = true;
  for (const std::u16string& name : os::findEntries(pattern)) {
    // Each entry is the lib folder, one separator and the name, within the path limit; the
    // folder's narrow form is made once for all entries.
    if (libFolder.size() + 1 + name.size() >= os::kMaxPath) return std::nullopt;
    std::optional<std::string> narrowName = os::toNarrow(name);
    if (!narrowName) return std::nullopt;
    if (!first) option += os::kClassPathSeparator;
    option += *narrowLibFolder;
    option += static_cast<char>(os::kPathSeparator);
    option += *narrowName;
    first = false;
  }
  return option;
}

bool appendClassPathOption(JvmOptionList& list) {
  std::optional<std::u16string> folder = executableFolder();
  if (!folder) return false;
  std::optional<std::string> option = buildClassPathOption(*folder);
  return option && list.append(std::move(*option));
}

}  // namespace lumora
