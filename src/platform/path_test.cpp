#include "platform/path.h"

#include <gtest/gtest.h>

namespace lumora {
namespace {

struct AppendCase {
  char16_t separator;
  std::u16string path, more, expected;
};

TEST(PathAppendTest, PutsExactlyOneSeparatorBetween) {
  const AppendCase cases[] = {
      {u'\\', u"C:\\jre", u"bin\\client\\jvm.dll", u"C:\\jre\\bin\\client\\jvm.dll"},
      {u'\\', u"C:\\jre\\", u"bin\\client\\jvm.dll", u"C:\\jre\\bin\\client\\jvm.dll"},
      {u'\\', u".\\jre", u"bin\\server\\jvm.dll", u".\\jre\\bin\\server\\jvm.dll"},
      {u'\\', u"", u"bin\\client\\jvm.dll", u"bin\\client\\jvm.dll"},
      {u'\\', u"C:\\", u"\\lib", u"C:\\lib"},
      {u'/', u"/opt/jre", u"lib/client/libjvm.so", u"/opt/jre/lib/client/libjvm.so"},
      {u'/', u"/opt/jre/", u"lib", u"/opt/jre/lib"},
      {u'/', u"/", u"lib", u"/lib"},
  };
  for (const AppendCase& c : cases) {
    std::u16string path = c.path;
    EXPECT_TRUE(pathAppend(path, c.more, c.separator));
    EXPECT_EQ(path, c.expected);
  }
}

TEST(PathAppendTest, FailsBeyond259CodeUnitsAndLeavesThePath) {
  std::u16string path(250, u'a');
  EXPECT_TRUE(pathAppend(path, std::u16string(8, u'b'), u'\\'));  // 259
  EXPECT_EQ(path.size(), 259u);
  path.assign(250, u'a');
  EXPECT_FALSE(pathAppend(path, std::u16string(9, u'b'), u'\\'));  // 260
  EXPECT_EQ(path, std::u16string(250, u'a'));
}

TEST(PathRemoveFileSpecTest, RemovesTheLastElementButKeepsARoot) {
  const struct {
    char16_t separator;
    std::u16string path, expected;
  } cases[] = {
      {u'\\', u"C:\\Apps\\Lumora\\LumoraHost.exe", u"C:\\Apps\\Lumora"},
      {u'\\', u"C:\\LumoraHost.exe", u"C:\\"},
      {u'\\', u"LumoraHost.exe", u""},
      {u'/', u"/opt/lumora/LumoraHost", u"/opt/lumora"},
      {u'/', u"/LumoraHost", u"/"},
  };
  for (const auto& c : cases) {
    std::u16string path = c.path;
    EXPECT_TRUE(pathRemoveFileSpec(path, c.separator));
    EXPECT_EQ(path, c.expected);
  }
  std::u16string root = u"C:\\";
  EXPECT_FALSE(pathRemoveFileSpec(root, u'\\'));
}

TEST(PathIsRelativeTest, KnowsRootsAndDrives) {
  EXPECT_TRUE(pathIsRelative(u"jre", u'\\'));
  EXPECT_TRUE(pathIsRelative(u".\\jre", u'\\'));
  EXPECT_TRUE(pathIsRelative(u"", u'\\'));
  EXPECT_FALSE(pathIsRelative(u"C:\\jre", u'\\'));
  EXPECT_FALSE(pathIsRelative(u"c:jre", u'\\'));
  EXPECT_FALSE(pathIsRelative(u"\\\\server\\share", u'\\'));
  EXPECT_TRUE(pathIsRelative(u"jre", u'/'));
  EXPECT_TRUE(pathIsRelative(u"C:/jre", u'/'));
  EXPECT_FALSE(pathIsRelative(u"/opt/jre", u'/'));
}

TEST(ExecutableFolderTest, IsTheFolderOfThisProgram) {
  const std::optional<std::u16string> folder = executableFolder();
  ASSERT_TRUE(folder);
  EXPECT_FALSE(pathIsRelative(*folder));
  const std::optional<std::u16string> path = os::executablePath();
  ASSERT_TRUE(path);
  EXPECT_EQ(path->substr(0, folder->size()), *folder);
}

}  // namespace
}  // namespace lumora
