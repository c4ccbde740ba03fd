// Buffered reading of a file's bytes, optionally with the text-mode rules of the Windows runtime
// (a CR LF pair arrives as one LF, and a Ctrl-Z byte ends the file), which the launcher applies
// on every target so that both read its files alike.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/os.h"

namespace lumora {

class ByteReader {
 public:
  enum class Mode { kBinary, kText };

  // Opens `path` for reading; nothing when it cannot be opened (missing, a folder, no access).
  static std::optional<ByteReader> open(const std::u16string& path, Mode mode);

  // The next byte, or nothing at the end of the file; a read error counts as the end.
  std::optional<unsigned char> next();

  // Gives the byte that next() returned last back, so that next() returns it again. One byte of
  // push-back is enough for every reader of the launcher.
  void unget();

 private:
  ByteReader(os::File file, Mode mode)
      : file_(std::move(file)), mode_(mode), buffer_(16 * 1024) {}
  std::optional<unsigned char> nextRaw();
  bool refill();

  os::File file_;
  Mode mode_;
  std::vector<unsigned char> buffer_;
  std::size_t position_ = 0;
  std::size_t size_ = 0;
  bool atEnd_ = false;
  std::optional<unsigned char> last_;
  bool ungot_ = false;
};

}  // namespace lumora
