// The folder prompt on POSIX: zenity's folder chooser on a display, else a question on the
// terminal, else nothing to ask with (the same outcome as a cancelled dialog).
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "platform/os.h"
#include "platform/os_posix_util.h"
#include "platform/unicode.h"

namespace lumora::os {
namespace {

std::optional<std::string> currentDirectory() {
  char buffer[PATH_MAX];
  if (getcwd(buffer, sizeof buffer) == nullptr) return std::nullopt;
  return std::string(buffer);
}

// What the user answered, as the dialog's outcome: a relative answer is taken from the current
// directory; an answer that gives no usable path (empty, not UTF-8, beyond the path limit) is a
// chosen item without a file-system path, as a virtual folder is on Windows.
FolderChoice choiceOf(const std::string& answer) {
  FolderChoice choice;
  choice.itemChosen = true;
  if (answer.empty()) return choice;
  std::string path = answer;
  if (path.front() != '/') {
    std::optional<std::string> base = currentDirectory();
    if (!base) return choice;
    path = *base + (base->back() == '/' ? "" : "/") + answer;
  }
  bool malformed = false;
  std::u16string folder = utf8ToUtf16(path, &malformed);
  if (!malformed && folder.size() < kMaxPath) choice.path = std::move(folder);
  return choice;
}

// zenity's folder chooser, or nothing when there is no display or no zenity. zenity exits with 0
// when a folder was chosen (printing it and a line feed) and with 1 when cancelled; any other
// outcome counts as cancelled too.
std::optional<FolderChoice> chooseWithZenity(std::u16string_view title) {
  if (!posix::hasDisplay()) return std::nullopt;
  std::optional<std::string> zenity = posix::findOnPath("zenity");
  if (!zenity) return std::nullopt;
  std::string output;
  const std::optional<int> exitCode = posix::runProgram(
      {*zenity, "--file-selection", "--directory", "--title=" + utf16ToUtf8(title)}, &output);
  if (exitCode != 0) return FolderChoice{};
  if (!output.empty() && output.back() == '\n') output.pop_back();
  return choiceOf(output);
}

// One line from standard input, without its line feed; nothing at the end of the input or on an
// error. Read a byte at a time so that nothing beyond the line is taken from the terminal.
std::optional<std::string> readLine() {
  std::string line;
  for (;;) {
    char byte;
    const ssize_t count = read(STDIN_FILENO, &byte, 1);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return std::nullopt;
    if (count == 0) return line.empty() ? std::nullopt : std::optional<std::string>(line);
    if (byte == '\n') return line;
    line += byte;
  }
}

// The question on the terminal: an empty line or the end of the input cancels.
FolderChoice askOnTerminal(std::u16string_view title) {
  const std::string question = utf16ToUtf8(title) + ": ";
  [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, question.data(), question.size());
  std::optional<std::string> answer = readLine();
  if (!answer || answer->empty()) return {};
  return choiceOf(*answer);
}

}  // namespace

FolderChoice browseForFolder(std::u16string_view title) {
  if (std::optional<FolderChoice> chosen = chooseWithZenity(title)) return *chosen;
  if (isatty(STDIN_FILENO)) return askOnTerminal(title);
  return {};
}

}  // namespace lumora::os
