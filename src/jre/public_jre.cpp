#include "jre/public_jre.h"

#include <algorithm>
#include <optional>

#include "platform/os.h"
#include "shell/diagnostic_log.h"

namespace lumora {
namespace {

// The last element of a kMaxPath buffer, where a text of the longest allowed length ends.
constexpr std::size_t kLastUnit = os::kMaxPath - 1;

using FolderBuffer = char16_t[os::kMaxPath];

// The text a buffer holds: up to its first terminator, and never beyond its last element.
std::u16string terminatedText(FolderBuffer& buffer) {
  buffer[kLastUnit] = u'\0';
  return std::u16string(buffer);
}

}  // namespace

bool queryPublicJre(std::u16string& jreFolder) {
  DiagnosticLog::write(u"Looking for JavaSoft 1.7 JRE in registry.\n");
  const std::optional<os::PublicJreKey> key = os::PublicJreKey::open();
  if (!key) return false;
  DiagnosticLog::write(u"Successfully opened registry key.\n");

  // The value is read over the folder's current text in a fixed buffer, as the registry wants
  // it. The folder then takes the text that buffer holds, up to its first terminator and never
  // beyond 259 code units, also when the read failed or the value was refused: a later candidate
  // finds a refused value's data in the folder, as the registry call left it, and however much
  // of the buffer a failed call overwrote, the folder stays a terminated text within the limit.
  FolderBuffer buffer = {};
  std::copy_n(jreFolder.begin(), std::min(jreFolder.size(), kLastUnit), buffer);
  const os::PublicJreValue value = key->readJavaHome(buffer, sizeof buffer);
  const bool accepted = value.read && value.isText;
  if (accepted) {
    // A value stored without its terminator ends right after its last code unit.
    buffer[std::min(value.byteCount / sizeof(char16_t), kLastUnit)] = u'\0';
  }
  jreFolder = terminatedText(buffer);
  if (!accepted) return false;
  logLabelledValue(u"Successfully queried JavaHome.\n", jreFolder);
  return true;
}

bool promptForJre(std::u16string& jreFolder) {
  DiagnosticLog::write(u"Prompting for JRE location.\n");
  os::FolderChoice choice = os::browseForFolder(u"Select JRE location");
  if (!choice.itemChosen) return false;
  DiagnosticLog::write(u"Successfully prompted.\n");
  if (!choice.path || choice.path->size() > kLastUnit) return false;
  jreFolder = std::move(*choice.path);
  logLabelledValue(u"Successfully retrieved path.\n", jreFolder);
  return true;
}

}  // namespace lumora
