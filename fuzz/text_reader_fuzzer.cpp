// Fuzzes the line reader of jvmoptions.cfg and the path files in every encoding: the input is the
// whole file, byte-order mark included, and its first byte also picks the piece limit.
#include <cstdint>
#include <cstdlib>

#include "fuzz_input_file.h"
#include "platform/text_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::size_t limit = size > 0 ? 1 + data[0] % 64 : 8191;
  std::optional<lumora::TextReader> reader =
      lumora::TextReader::open(lumora::fuzz::writeInput(data, size));
  if (!reader) return 0;
  std::u16string piece;
  std::size_t total = 0;
  while (reader->readPiece(piece, limit) != lumora::TextReader::Piece::kEnd) {
    if (piece.empty() || piece.size() > limit) std::abort();
    // A line feed can only end a piece.
    if (piece.find(u'\n') < piece.size() - 1) std::abort();
    total += piece.size();
    if (total > size + 1) std::abort();  // never more code units than bytes (plus a U+FFFD)
  }
  return 0;
}
