#include "jvmconfig/jvm_options.h"

#include "jvmconfig/class_path.h"
#include "platform/os.h"
#include "platform/path.h"
#include "platform/text_reader.h"

namespace lumora {
namespace {
// The line buffer holds 8192 code units with its terminator.
constexpr std::size_t kPieceLimit = 8191;
}  // namespace

bool appendTokenOption(const JvmContext& context, JvmOptionList& list) {
  if (!context.token) return false;
  return list.append(std::string(kTokenOptionPrefix) + *context.token);
}

void appendOptionsFile(const std::u16string& path, JvmOptionList& list) {
  std::optional<TextReader> reader = TextReader::open(path);
  if (!reader) return;
  std::u16string piece;
  for (;;) {
    const TextReader::Piece kind = reader->readPiece(piece, kPieceLimit);
    if (kind == TextReader::Piece::kEnd) break;
    if (kind == TextReader::Piece::kMalformed) continue;
    if (piece.back() == u'\n') piece.pop_back();
    if (std::optional<std::string> option = os::toNarrow(piece)) list.append(std::move(*option));
  }
}

bool buildJvmOptions(const JvmContext& context, JvmOptionList& list) {
  if (!appendClassPathOption(list) || !appendTokenOption(context, list)) return false;
  std::optional<std::u16string> optionsFile = executableRelativePath(u"jvmoptions.cfg");
  if (!optionsFile) return false;
  appendOptionsFile(*optionsFile, list);
  return true;
}

}  // namespace lumora
