#include "jvmconfig/class_path.h"

#include "platform/os.h"
#include "platform/path.h"

namespace lumora {

std::optional<std::string> buildClassPathOption(const std::u16string& installFolder) {
  std::u16string pattern = installFolder;
  std::u16string libFolder = installFolder;
  if (!pathAppend(pattern, localPath(u"lib\\*.jar")) || !pathAppend(libFolder, u"lib") ||
      !os::toNarrow(libFolder)) {
    return std::nullopt;
  }

  std::string option = "-Djava.class.path=";
  bool first = true;
  for (const std::u16string& name : os::findEntries(pattern)) {
    std::u16string entry = libFolder;
    if (!pathAppend(entry, name)) return std::nullopt;
    std::optional<std::string> narrow = os::toNarrow(entry);
    if (!narrow) return std::nullopt;
    if (!first) option += os::kClassPathSeparator;
    option += *narrow;
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
