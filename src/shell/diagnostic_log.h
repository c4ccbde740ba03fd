// The optional diagnostic log: a UTF-8 text file (byte-order mark first, CR LF line ends) in which
// a run records what it did. Every part of the launcher writes to it through DiagnosticLog::write,
// which does nothing while no log is open, so callers never check.
#pragma once

#include <string>
#include <string_view>

namespace lumora {

class DiagnosticLog {
 public:
  // Creates or empties the file and makes it the log; false when it cannot (missing folder, no
  // access, another run holds it), and the run then goes on without a log.
  static bool open(const std::u16string& path);

  static bool isOpen();

  // Writes the text exactly as it is, converted to UTF-8 with each LF as CR LF; it has reached
  // the operating system when this returns. A failed write is ignored.
  static void write(std::u16string_view text);

  static void close();
};

// A labelled value: the message (ending in a line feed), the value on the next line, then a line
// feed; three separate writes.
void logLabelledValue(std::u16string_view message, std::u16string_view value);

}  // namespace lumora
