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

  const std::vector<std::u16string> names = os::findEntries(pattern);
  std::string option = "-Djava.class.path=";
  // Room for the longest form the entries can take (a code unit narrows to at most three bytes),
  // so that a long class path is not copied again and again while it grows.
  std::size_t room = option.size();
  for (const std::u16string& name : names) room += narrowLibFolder->size() + 2 + 3 * name.size();
  option.reserve(room);
  bool first = true;
  for (const std::u16string& name : names) {
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
