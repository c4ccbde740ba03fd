#include "jre/jre_path_files.h"

#include "platform/os.h"
#include "platform/path.h"
#include "platform/text_reader.h"
#include "platform/text_writer.h"
#include "shell/diagnostic_log.h"

namespace lumora {
namespace {

// The first line of the file at `path` (at most kMaxPath - 1 code units, its line feed still
// there), or nothing when the file cannot be opened or yields nothing.
std::optional<std::u16string> readFirstLine(const std::u16string& path) {
  std::optional<TextReader> reader = TextReader::open(path);
  if (!reader) return std::nullopt;
  std::u16string line;
  // A first line with bytes that are not UTF-8 cannot name a folder that a user meant (a file
  // saved in some other encoding): such a file counts as one that yields nothing.
  if (reader->readPiece(line, os::kMaxPath - 1) != TextReader::Piece::kText) return std::nullopt;
  return line;
}

// Makes a relative folder absolute against the executable's folder; false, with `jreFolder`
// unchanged, when that folder cannot be had or the result would be too long.
bool resolveAgainstExecutableFolder(std::u16string& jreFolder) {
  DiagnosticLog::write(u"Converting relative path to an absolute path.\n");
  std::optional<std::u16string> absolute = executableFolder();
  if (!absolute || !pathAppend(*absolute, jreFolder)) return false;
  jreFolder = std::move(*absolute);
  return true;
}

}  // namespace

bool readJrePathFile(std::u16string& jreFolder, const std::u16string& path) {
  std::optional<std::u16string> line = readFirstLine(path);
  if (!line) return false;
  jreFolder = std::move(*line);
  // The folder ends at a NUL character: the system calls that take it would end it there.
  if (const std::size_t nul = jreFolder.find(u'\0'); nul != std::u16string::npos) {
    jreFolder.resize(nul);
  }
  if (!jreFolder.empty() && jreFolder.back() == u'\n') jreFolder.pop_back();
  if (jreFolder.empty()) return false;
  logLabelledValue(u"Path read from config file.\n", jreFolder);
  // Both files name a relative folder from the executable's folder, whichever folder they lie in.
  if (pathIsRelative(jreFolder)) return resolveAgainstExecutableFolder(jreFolder);
  return true;
}

bool readInstallJrePath(std::u16string& jreFolder) {
  std::optional<std::u16string> path = executableRelativePath(u"jrepath.cfg");
  return path && readJrePathFile(jreFolder, *path);
}

std::optional<std::u16string> userJrePathFile() {
  std::optional<std::u16string> path = os::userDataFolder();
  if (!path || !pathAppend(*path, u"lumorajrepath.cfg")) return std::nullopt;
  return path;
}

bool saveUserJrePath(const std::u16string& jreFolder) {
  std::optional<std::u16string> path = userJrePathFile();
  if (!path) return false;
  // The new content replaces the file only once it is complete, so a save that fails keeps the
  // folder saved earlier.
  std::string content(kUtf8ByteOrderMark);
  content += encodeTextForFile(jreFolder);
  if (!os::replaceFileAtomically(*path, content)) return false;
  DiagnosticLog::write(u"User specified JRE path saved.\n");
  return true;
}

}  // namespace lumora
