#include "platform/text_reader.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/temp_dir.h"

namespace lumora {
namespace {

using testing::TempDir;
using namespace std::string_literals;

struct Read {
  std::vector<std::u16string> pieces;
  std::vector<bool> malformed;
};

std::optional<Read> readAll(const std::u16string& path, std::size_t limit = 8191) {
  std::optional<TextReader> reader = TextReader::open(path);
  if (!reader) return std::nullopt;
  Read read;
  std::u16string piece;
  for (;;) {
    const TextReader::Piece kind = reader->readPiece(piece, limit);
    if (kind == TextReader::Piece::kEnd) break;
    read.pieces.push_back(piece);
    read.malformed.push_back(kind == TextReader::Piece::kMalformed);
  }
  return read;
}

using Pieces = std::vector<std::u16string>;

TEST(TextReaderTest, DecodesByTheByteOrderMark) {
  TempDir dir;
  const struct {
    std::string bytes;
    Pieces expected;
  } cases[] = {
      {"", {}},
      {"\xEF\xBB\xBF", {}},
      {"\xEF\xBB\xBF-Xmx512m\n", {u"-Xmx512m\n"}},
      {"-Xmx512m\r\n-Dfoo=bar", {u"-Xmx512m\n", u"-Dfoo=bar"}},
      {"\xC3\xA9\xE4\xB8\xAD\n", {u"\u00e9\u4e2d\n"}},
      {"\xFF\xFE" "a\0\r\0\n\0\xe9\0"s, {u"a\n", u"\u00e9"}},
      {"\xFF\xFE" "a\0b"s, {u"a"}},  // a lone last byte is no code unit
      {"\xFF\xFE\x00\xD8x\0"s, {std::u16string{char16_t(0xD800), u'x'}}},
      {"a\rb\r\r\nc\r", {u"a\rb\r\n", u"c\r"}},  // only CR LF pairs become LF
      {"one\ntwo\x1Athree\n", {u"one\n", u"two"}},
      {"\xFF\xFE" "a\0\x1A\0b\0"s, {u"a"}},
      {"\xEF\xBB" "x", {u"\uFFFD" "x"}},  // half a byte-order mark is malformed text
  };
  for (const auto& c : cases) {
    const std::u16string path = dir.write(u"f.cfg", c.bytes);
    const std::optional<Read> read = readAll(path);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->pieces, c.expected) << "bytes: " << c.bytes;
  }
}

TEST(TextReaderTest, Utf16BigEndianOrAMissingFileCannotBeOpened) {
  TempDir dir;
  EXPECT_FALSE(TextReader::open(dir.write(u"be.cfg", "\xFE\xFF\0a"s)));
  EXPECT_FALSE(TextReader::open(dir.file(u"missing.cfg")));
  EXPECT_FALSE(TextReader::open(dir.u16()));
  EXPECT_TRUE(TextReader::open(dir.write(u"fe.cfg", "\xFE" "a")));
}

TEST(TextReaderTest, CutsLongLinesIntoPiecesOfTheLimit) {
  TempDir dir;
  const std::u16string path =
      dir.write(u"long.cfg", std::string(10000, 'x') + "\n" + std::string(8191, 'y') + "\n");
  const std::optional<Read> read = readAll(path);
  ASSERT_TRUE(read);
  ASSERT_EQ(read->pieces.size(), 4u);
  EXPECT_EQ(read->pieces[0], std::u16string(8191, u'x'));
  EXPECT_EQ(read->pieces[1], std::u16string(1809, u'x') + u"\n");
  EXPECT_EQ(read->pieces[2], std::u16string(8191, u'y'));
  EXPECT_EQ(read->pieces[3], u"\n");
}

TEST(TextReaderTest, MarksOnlyThePieceThatHeldMalformedBytes) {
  TempDir dir;
  const std::optional<Read> read = readAll(dir.write(u"bad.cfg", "good\nb\xFFyte\nalso good\n"));
  ASSERT_TRUE(read);
  EXPECT_EQ(read->pieces, (Pieces{u"good\n", u"b\uFFFDyte\n", u"also good\n"}));
  EXPECT_EQ(read->malformed, (std::vector<bool>{false, true, false}));
}

}  // namespace
}  // namespace lumora
