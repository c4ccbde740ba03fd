#include "shell/diagnostic_log.h"

#include <optional>

#include "platform/os.h"
#include "platform/text_writer.h"

namespace lumora {
namespace {

// The process-wide log; only the launcher's main thread touches it.
std::optional<os::File>& logFile() {
  static std::optional<os::File> file;
  return file;
}

}  // namespace

bool DiagnosticLog::open(const std::u16string& path) {
  std::optional<os::File> file = os::File::createExclusive(path);
  if (!file) return false;
  file->write(kUtf8ByteOrderMark.data(), kUtf8ByteOrderMark.size());
  logFile() = std::move(file);
  return true;
}

bool DiagnosticLog::isOpen() { return logFile().has_value(); }

void DiagnosticLog::write(std::u16string_view text) {
  if (!logFile()) return;
  const std::string bytes = encodeTextForFile(text);
  logFile()->write(bytes.data(), bytes.size());
}

void DiagnosticLog::close() { logFile().reset(); }

void logLabelledValue(std::u16string_view message, std::u16string_view value) {
  DiagnosticLog::write(message);
  DiagnosticLog::write(value);
  DiagnosticLog::write(u"\n");
}

}  // namespace lumora
