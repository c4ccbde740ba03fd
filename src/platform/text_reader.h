// Reading of the launcher's line-oriented text files (jvmoptions.cfg, the JRE path files) with the
// rules of the Windows runtime's "r,ccs=UTF-8" mode, on every target:
//  - a leading EF BB BF is skipped and the rest read as UTF-8;
//  - a leading FF FE is skipped and the rest read as UTF-16LE;
//  - a leading FE FF makes the file unreadable, as if it were absent;
//  - anything else is UTF-8 from the first byte;
//  - CR LF reads as LF, and a Ctrl-Z code unit ends the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/byte_reader.h"
#include "platform/unicode.h"

namespace lumora {

class TextReader {
 public:
  // Nothing when the file cannot be opened or begins with FE FF.
  static std::optional<TextReader> open(const std::u16string& path);

  enum class Piece {
    kText,       // `piece` holds the next piece
    kMalformed,  // the piece held bytes that are not valid UTF-8; `piece` has U+FFFD for them
    kEnd,        // nothing more: the end of the file, or a read error
  };

  // Reads the next piece of a line into `piece`: code units up to and including the next line
  // feed, but at most `limit` units (a longer line comes in several pieces).
  Piece readPiece(std::u16string& piece, std::size_t limit);

 private:
  enum class Encoding { kUtf8, kUtf16le };
  TextReader(ByteReader bytes, Encoding encoding)
      : bytes_(std::move(bytes)), encoding_(encoding) {}

  // A code unit, or one of the markers below. Not an std::optional: the compiler may compare an
  // empty optional's undefined value before it tests for emptiness, which is harmless but makes
  // memory checkers report a use of an undefined value.
  using Unit = std::int32_t;
  static constexpr Unit kEnd = -1;      // the end of the file, or a read error
  static constexpr Unit kNoUnit = -2;   // nothing peeked

  Unit nextUnit();
  Unit decodeUnit();

  ByteReader bytes_;
  Encoding encoding_;
  Utf8Decoder decoder_;
  std::u16string decoded_;     // units decoded but not yet delivered
  std::size_t decodedAt_ = 0;
  Unit peeked_ = kNoUnit;
  bool malformed_ = false;
  bool ended_ = false;
};

}  // namespace lumora
