#include "platform/unicode.h"

#include <gtest/gtest.h>

namespace lumora {
namespace {

TEST(UnicodeTest, RoundTripsEveryPlane) {
  const std::u16string text = u"a\u00e9\u4e2d\U0001F600";
  bool malformed = true;
  const std::string utf8 = utf16ToUtf8(text, &malformed);
  EXPECT_FALSE(malformed);
  EXPECT_EQ(utf8, "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80");
  EXPECT_EQ(utf8ToUtf16(utf8, &malformed), text);
  EXPECT_FALSE(malformed);
}

TEST(UnicodeTest, EachMalformedUtf8SequenceBecomesOneReplacement) {
  const struct {
    std::string bytes;
    std::u16string expected;
  } cases[] = {
      {"\x80", u"\uFFFD"},                   // stray continuation byte
      {"a\xC3", u"a\uFFFD"},                 // truncated at the end
      {"\xC3(", u"\uFFFD("},                 // broken off by an ordinary byte
      {"\xC0\xAF", u"\uFFFD\uFFFD"},         // overlong lead bytes are never valid
      {"\xE0\x80\xAF", u"\uFFFD"},           // overlong three-byte form
      {"\xED\xA0\x80", u"\uFFFD"},           // an encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD"},       // beyond U+10FFFF
      {"\xFF\xFE", u"\uFFFD\uFFFD"},
  };
  for (const auto& c : cases) {
    bool malformed = false;
    EXPECT_EQ(utf8ToUtf16(c.bytes, &malformed), c.expected);
    EXPECT_TRUE(malformed);
  }
}

TEST(UnicodeTest, LoneSurrogatesBecomeReplacementsInUtf8) {
  bool malformed = false;
  EXPECT_EQ(utf16ToUtf8(std::u16string{u'a', char16_t(0xDC00), u'b'}, &malformed),
            "a\xEF\xBF\xBD" "b");
  EXPECT_TRUE(malformed);
  EXPECT_EQ(utf16ToUtf8(std::u16string{char16_t(0xD800)}), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace lumora
