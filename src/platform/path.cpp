#include "platform/path.h"

namespace lumora {
namespace {

bool hasDrivePrefix(std::u16string_view path) {
  return path.size() >= 2 && path[1] == u':' &&
         ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z'));
}

// Length of the root that pathRemoveFileSpec must keep: "C:\" or "C:", "\" (or "/"), else 0.
std::size_t rootLength(std::u16string_view path, char16_t separator) {
  if (separator == u'\\' && hasDrivePrefix(path)) {
    return path.size() >= 3 && path[2] == u'\\' ? 3 : 2;
  }
  return !path.empty() && path[0] == separator ? 1 : 0;
}

}  // namespace

bool pathAppend(std::u16string& path, std::u16string_view more, char16_t separator) {
  // Leading separators of the appended part are dropped, so that exactly one stands between.
  while (!more.empty() && more.front() == separator) more.remove_prefix(1);
  const bool needsSeparator = !path.empty() && path.back() != separator && !more.empty();
  const std::size_t length = path.size() + (needsSeparator ? 1 : 0) + more.size();
  if (length >= os::kMaxPath) return false;
  if (needsSeparator) path += separator;
  path += more;
  return true;
}

bool pathRemoveFileSpec(std::u16string& path, char16_t separator) {
  const std::size_t root = rootLength(path, separator);
  const std::size_t last = path.rfind(separator);
  std::size_t keep = (last == std::u16string::npos || last < root) ? root : last;
  if (keep < root) keep = root;
  if (keep >= path.size()) return false;
  path.resize(keep);
  return true;
}

bool pathIsRelative(std::u16string_view path, char16_t separator) {
  if (!path.empty() && path[0] == separator) return false;
  return !(separator == u'\\' && hasDrivePrefix(path));
}

std::u16string localPath(std::u16string_view windowsPath) {
  std::u16string path(windowsPath);
  for (char16_t& unit : path) {
    if (unit == u'\\') unit = os::kPathSeparator;
  }
  return path;
}

std::optional<std::u16string> executableFolder() {
  std::optional<std::u16string> path = os::executablePath();
  if (!path || !pathRemoveFileSpec(*path)) return std::nullopt;
  return path;
}

std::optional<std::u16string> executableRelativePath(std::u16string_view name) {
  std::optional<std::u16string> path = executableFolder();
  if (!path || !pathAppend(*path, name)) return std::nullopt;
  return path;
}

}  // namespace lumora
