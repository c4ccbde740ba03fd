#include "jre/properties_reader.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "support/temp_dir.h"

namespace lumora {
namespace {

using testing::TempDir;
using namespace std::string_literals;

// The pairs that a file of these bytes gives.
PropertyMap pairsOf(const std::string& bytes) {
  TempDir dir;
  PropertyMap map;
  EXPECT_TRUE(PropertiesReader::read(dir.write(u"vsmpreferences.txt", bytes), map));
  return map;
}

struct Case {
  std::string bytes;
  PropertyMap expected;
};

void expectPairs(const std::vector<Case>& cases) {
  for (const Case& c : cases) EXPECT_EQ(pairsOf(c.bytes), c.expected) << "bytes: " << c.bytes;
}

TEST(PropertiesReaderTest, SeparatorsAndBlanks) {
  const PropertyMap ab{{u"a", u"b"}};
  expectPairs({
      {"", {}},
      {"a=b\n", ab},
      {"a:b\n", ab},
      {"a b\n", ab},
      {"a = b\n", ab},
      {"a : b\n", ab},
      {"a\tb\n", ab},
      {"a\f\t=  b\n", ab},
      {"  \ta=b\n", ab},
      {"a==b\n", {{u"a", u"=b"}}},  // one separator only
      {"a:=b\n", {{u"a", u"=b"}}},
      {"a=b=c\n", {{u"a", u"b=c"}}},
      {"a=b  \n", {{u"a", u"b  "}}},  // trailing blanks belong to the value
      {"a=b :c\t\n", {{u"a", u"b :c\t"}}},
      {"a\n", {{u"a", u""}}},
      {"a=\n", {{u"a", u""}}},
      {"=b\n:b\n \n \t = b\n", {}},  // an empty key drops the pair
  });
}

TEST(PropertiesReaderTest, CommentsOnlyAtTheStartOfALine) {
  expectPairs({
      {"#a=b\n!a=b\n", {}},
      {" #a=b\n", {{u"#a", u"b"}}},
      {"\t!a=b\n", {{u"!a", u"b"}}},
      {"a=b#c\n", {{u"a", u"b#c"}}},
      {"#a=b\\\nc=d\n", {{u"c", u"d"}}},  // a comment ends at its line end, backslash or not
      {"#only a comment", {}},
      {"\n\n#x\r\n\r\na=1\n", {{u"a", u"1"}}},
  });
}

TEST(PropertiesReaderTest, Escapes) {
  expectPairs({
      {"a\\ b=c\n", {{u"a b", u"c"}}},
      {"p=C\\:\\\\Apps\n", {{u"p", u"C:\\Apps"}}},
      {"k\\=x\\:y=z\n", {{u"k=x:y", u"z"}}},
      {"a=\\t\\n\\f\\r\\q\\#\\!\\ \n", {{u"a", u"\t\n\f\rq#! "}}},
      {"\\#a=b\n", {{u"#a", u"b"}}},
      {"a=b\\", {{u"a", u"b"}}},  // a lone backslash at the end of the file adds nothing
  });
}

TEST(PropertiesReaderTest, ContinuationSkipsEveryLineEndAndBlank) {
  expectPairs({
      {"a=one\\\n   two\n", {{u"a", u"onetwo"}}},
      {"a=one\\\n\nb=2\n", {{u"a", u"oneb=2"}}},  // empty lines included
      {"a=one\\\r\n \t\r\n\r\f two\r\nc=3\r\n", {{u"a", u"onetwo"}, {u"c", u"3"}}},
      {"a=x\\\n#y\n", {{u"a", u"x#y"}}},     // the next character is an ordinary one
      {"a=x\\\n\\ty\n", {{u"a", u"x\ty"}}},  // ... or starts another escape
      {"ke\\\n  y=v\n", {{u"key", u"v"}}},
      {"k\\\n  =v\n", {{u"k", u"v"}}},  // ... or ends the key
      {"a=x\\\rb\rc=d\r", {{u"a", u"xb"}, {u"c", u"d"}}},
      {"a=one\\\n  \n", {{u"a", u"one"}}},  // cut short by the end of the file
  });
}

TEST(PropertiesReaderTest, UnicodeEscapesTakeUpToFourDigits) {
  expectPairs({
      {"a=\\u0041\n", {{u"a", u"A"}}},
      {"a=\\u00e9|\\u00E9\n", {{u"a", u"\u00e9|\u00e9"}}},
      {"a=\\u00411\n", {{u"a", u"A1"}}},
      {"a=\\uD83D\\uDE00\n", {{u"a", u"\U0001F600"}}},  // two code units, in their order
      {"a=\\u12", {{u"a", u"\u0012"}}},
      {"a=\\u", {{u"a", u"\0"s}}},
      // A short escape gives the character that stopped it back to the text.
      {"a=\\u4g\n", {{u"a", u"\u0004g"}}},
      {"a=\\u41\nb=2\n", {{u"a", u"A"}, {u"b", u"2"}}},
      {"\\u41=x\n", {{u"A", u"x"}}},
      {"a=\\u\\u41\n", {{u"a", u"\0A"s}}},
      {"a=\\u41 \n", {{u"a", u"A "}}},
  });
}

TEST(PropertiesReaderTest, BytesAreReadAsIso88591) {
  expectPairs({
      // UTF-8 is read byte by byte, a byte-order mark included.
      {"k=\xC3\xA9\n", {{u"k", u"\u00C3\u00A9"}}},
      {"\xEF\xBB\xBFk=v\n", {{u"\u00EF\u00BB\u00BFk", u"v"}}},
      {"\xFF=\x80\xA0\n", {{u"\u00FF", u"\u0080\u00A0"}}},
      {"a\0b=c\0d\n"s, {{u"a\0b"s, u"c\0d"s}}},
  });
}

TEST(PropertiesReaderTest, LineEndsAndTheEndOfTheFile) {
  expectPairs({
      {"a=b", {{u"a", u"b"}}},
      {"a=", {{u"a", u""}}},
      {"a", {{u"a", u""}}},
      {"a=1\r\nb=2\r\n", {{u"a", u"1"}, {u"b", u"2"}}},
      {"a=1\rb=2\r", {{u"a", u"1"}, {u"b", u"2"}}},
      {"a=1\r\rb=2\n\rc=3", {{u"a", u"1"}, {u"b", u"2"}, {u"c", u"3"}}},
      {"a=1\n\x1A"
       "b=2\n",
       {{u"a", u"1"}}},  // Ctrl-Z ends the file
      {"a=1\x1A"
       "b=2\n",
       {{u"a", u"1"}}},
      {"a=1\\\x1A"
       "b=2\n",
       {{u"a", u"1"}}},
      {"a=1\r\x1A\nb=2", {{u"a", u"1"}}},
  });
}

TEST(PropertiesReaderTest, TheLastDefinitionWins) {
  expectPairs({
      {"a=1\nb=2\na=3\n", {{u"a", u"3"}, {u"b", u"2"}}},
      {"a=1\na\n", {{u"a", u""}}},
      {"A=1\na=2\n", {{u"A", u"1"}, {u"a", u"2"}}},  // keys are case-sensitive
  });
}

TEST(PropertiesReaderTest, AddsToTheCallersMap) {
  TempDir dir;
  PropertyMap map{{u"kept", u"1"}, {u"a", u"old"}};
  ASSERT_TRUE(PropertiesReader::read(dir.write(u"p.txt", "a=new\n"), map));
  EXPECT_EQ(map, (PropertyMap{{u"kept", u"1"}, {u"a", u"new"}}));
}

TEST(PropertiesReaderTest, AFileThatCannotBeOpenedLeavesTheMapAlone) {
  TempDir dir;
  const PropertyMap before{{u"a", u"b"}};
  for (const std::u16string& path : {dir.file(u"missing.txt"), dir.u16()}) {
    PropertyMap map = before;
    EXPECT_FALSE(PropertiesReader::read(path, map));
    EXPECT_EQ(map, before);
  }
}

// The reader reads through a buffer; pairs that straddle its edges come out whole.
TEST(PropertiesReaderTest, LongLinesAcrossBufferEdges) {
  const std::string tail = "\\\r\n  x\r\nb=\\u41\r\nc=d\\\r\n\r\ne\r\n";
  for (std::size_t filler = 65520; filler < 65540; ++filler) {
    const std::string value(filler, 'v');
    const PropertyMap expected{
        {u"a", std::u16string(value.begin(), value.end()) + u"x"}, {u"b", u"A"}, {u"c", u"de"}};
    ASSERT_EQ(pairsOf("a=" + value + tail), expected) << "filler " << filler;
  }
  const std::string key(3 << 20, 'k');
  const PropertyMap huge = pairsOf(key + "=1\n" + key + "\\\n =2");
  ASSERT_EQ(huge.size(), 1u);
  EXPECT_EQ(huge.begin()->first.size(), key.size());
  EXPECT_EQ(huge.begin()->second, u"2");  // the continuation gave "=" back to end the key
}

// Every byte sequence gives some pairs, NUL bytes and all, and each pair has a key.
TEST(PropertiesReaderTest, BinaryGarbageIsReadToItsEnd) {
  std::uint32_t state = 12345;
  std::string bytes;
  for (int i = 0; i < 200000; ++i) {
    state = state * 1103515245u + 12345u;
    bytes += static_cast<char>(state >> 24);
  }
  for (char& byte : bytes) {
    if (byte == '\x1A') byte = '\0';  // Ctrl-Z would end the file early
  }
  const PropertyMap map = pairsOf(bytes);
  EXPECT_GT(map.size(), 10u);
  for (const auto& [key, value] : map) EXPECT_FALSE(key.empty());
}

}  // namespace
}  // namespace lumora
