// Message boxes on POSIX: the text always goes to standard error, so that a launch from a terminal
// or a script shows it; with a display and zenity installed, a dialog of the same kind is shown too.
#include <unistd.h>

#include "platform/os.h"
#include "platform/os_posix_util.h"
#include "platform/unicode.h"

namespace lumora::os {

void showMessageBox(std::u16string_view text, std::u16string_view caption, BoxIcon icon) {
  std::string message = utf16ToUtf8(text);
  std::string plain;  // the box's CR LF line breaks, as a terminal wants them
  for (std::size_t i = 0; i < message.size(); ++i) {
    if (message[i] == '\r' && i + 1 < message.size() && message[i + 1] == '\n') continue;
    plain += message[i];
  }
  const std::string line = plain + "\n";
  [[maybe_unused]] ssize_t written = write(STDERR_FILENO, line.data(), line.size());

  if (!posix::hasDisplay()) return;
  std::optional<std::string> zenity = posix::findOnPath("zenity");
  if (!zenity) return;
  posix::runProgram({*zenity, icon == BoxIcon::kError ? "--error" : "--info", "--no-markup",
                     "--title=" + utf16ToUtf8(caption), "--text=" + plain});
}

}  // namespace lumora::os
