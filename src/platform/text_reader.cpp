#include "platform/text_reader.h"

#include <utility>

namespace lumora {
namespace {
constexpr char16_t kCtrlZ = 0x1A;
}

std::optional<TextReader> TextReader::open(const std::u16string& path) {
  std::optional<ByteReader> bytes = ByteReader::open(path, ByteReader::Mode::kBinary);
  if (!bytes) return std::nullopt;

  // Up to three bytes decide the encoding; whatever is not a byte-order mark is read again.
  std::optional<unsigned char> first = bytes->next();
  if (first == 0xFE || first == 0xFF) {
    std::optional<unsigned char> second = bytes->next();
    if (first == 0xFE && second == 0xFF) return std::nullopt;
    if (first == 0xFF && second == 0xFE) return TextReader(std::move(*bytes), Encoding::kUtf16le);
    TextReader reader(std::move(*bytes), Encoding::kUtf8);
    reader.decoder_.feed(*first, reader.decoded_);  // never valid UTF-8: becomes U+FFFD
    reader.malformed_ = true;
    if (second) reader.bytes_.unget();
    return reader;
  }
  if (first == 0xEF) {
    std::optional<unsigned char> second = bytes->next();
    std::optional<unsigned char> third = second == 0xBB ? bytes->next() : std::nullopt;
    if (second == 0xBB && third == 0xBF) return TextReader(std::move(*bytes), Encoding::kUtf8);
    TextReader reader(std::move(*bytes), Encoding::kUtf8);
    bool clean = reader.decoder_.feed(0xEF, reader.decoded_);
    if (second) clean &= reader.decoder_.feed(*second, reader.decoded_);
    if (third) reader.bytes_.unget();
    reader.malformed_ = !clean;
    return reader;
  }
  if (first) bytes->unget();
  return TextReader(std::move(*bytes), Encoding::kUtf8);
}

TextReader::Unit TextReader::decodeUnit() {
  while (decodedAt_ == decoded_.size()) {
    decoded_.clear();
    decodedAt_ = 0;
    if (encoding_ == Encoding::kUtf16le) {
      std::optional<unsigned char> low = bytes_.next();
      std::optional<unsigned char> high = low ? bytes_.next() : std::nullopt;
      if (!high) return kEnd;  // a lone last byte is no code unit
      return *low | (*high << 8);
    }
    std::optional<unsigned char> byte = bytes_.next();
    if (!byte) {
      if (!decoder_.finish(decoded_)) malformed_ = true;
      if (decoded_.empty()) return kEnd;
      continue;
    }
    if (!decoder_.feed(*byte, decoded_)) malformed_ = true;
  }
  return decoded_[decodedAt_++];
}

TextReader::Unit TextReader::nextUnit() {
  if (ended_) return kEnd;
  Unit unit = peeked_ != kNoUnit ? std::exchange(peeked_, kNoUnit) : decodeUnit();
  if (unit == u'\r') {
    const Unit following = decodeUnit();
    if (following == u'\n') {
      unit = following;
    } else {
      peeked_ = following;
    }
  }
  if (unit == kEnd || unit == kCtrlZ) {
    ended_ = true;
    return kEnd;
  }
  return unit;
}

TextReader::Piece TextReader::readPiece(std::u16string& piece, std::size_t limit) {
  piece.clear();
  while (piece.size() < limit) {
    const Unit unit = nextUnit();
    if (unit == kEnd) break;
    piece += static_cast<char16_t>(unit);
    if (unit == u'\n') break;
  }
  if (piece.empty()) return Piece::kEnd;
  const bool malformed = malformed_;
  malformed_ = false;
  return malformed ? Piece::kMalformed : Piece::kText;
}

}  // namespace lumora
