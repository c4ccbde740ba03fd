#include "platform/byte_reader.h"

namespace lumora {
namespace {
constexpr unsigned char kCtrlZ = 0x1A;
}

std::optional<ByteReader> ByteReader::open(const std::u16string& path, Mode mode) {
  std::optional<os::File> file = os::File::openForReading(path);
  if (!file) return std::nullopt;
  return ByteReader(std::move(*file), mode);
}

bool ByteReader::refill() {
  if (atEnd_) return false;
  std::optional<std::size_t> count = file_.read(buffer_.data(), buffer_.size());
  if (!count || *count == 0) {
    atEnd_ = true;
    return false;
  }
  position_ = 0;
  size_ = *count;
  return true;
}

std::optional<unsigned char> ByteReader::nextRaw() {
  if (position_ == size_ && !refill()) return std::nullopt;
  return buffer_[position_++];
}

std::optional<unsigned char> ByteReader::next() {
  if (ungot_) {
    ungot_ = false;
    return last_;
  }
  std::optional<unsigned char> byte = nextRaw();
  if (mode_ == Mode::kText && byte) {
    if (*byte == kCtrlZ) {
      atEnd_ = true;
      position_ = size_;
      byte.reset();
    } else if (*byte == '\r') {
      std::optional<unsigned char> following = nextRaw();
      if (following == '\n') {
        byte = following;
      } else if (following) {
        --position_;  // not a pair: the following byte is read next
      }
    }
  }
  last_ = byte;
  return byte;
}

void ByteReader::unget() {
  if (last_) ungot_ = true;
}

}  // namespace lumora
