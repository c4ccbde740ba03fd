#include "jvmconfig/class_path.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/os.h"
#include "support/temp_dir.h"

namespace lumora {
namespace {

using testing::TempDir;

constexpr std::string_view kPrefix = "-Djava.class.path=";
const bool kOnWindows = os::kPathSeparator == u'\\';

std::vector<std::string> entriesOf(const std::string& option) {
  std::vector<std::string> entries;
  std::string_view rest = std::string_view(option).substr(kPrefix.size());
  while (!rest.empty()) {
    const std::size_t separator = rest.find(os::kClassPathSeparator);
    entries.emplace_back(rest.substr(0, separator));
    rest = separator == std::string_view::npos ? std::string_view() : rest.substr(separator + 1);
  }
  return entries;
}

std::string narrowPath(const TempDir& dir, std::u16string_view relative) {
  return *os::toNarrow(dir.file(relative));
}

TEST(ClassPathTest, WithoutJarsTheClassPathIsEmpty) {
  TempDir install;
  EXPECT_EQ(buildClassPathOption(install.u16()), kPrefix);
  install.write(u"lib/readme.txt", "not a jar");
  EXPECT_EQ(buildClassPathOption(install.u16()), kPrefix);
}

TEST(ClassPathTest, ListsEveryJarOfLibIncludingFoldersNamedLikeJars) {
  TempDir install;
  install.write(u"lib/b.jar", "");
  install.write(u"lib/A.JAR", "");
  install.write(u"lib/x.jar/inner.class", "");
  install.write(u"lib/c.jar", "");
  install.write(u"lib/notes.txt", "");
  const std::optional<std::string> option = buildClassPathOption(install.u16());
  ASSERT_TRUE(option);
  ASSERT_TRUE(option->starts_with(kPrefix));
  std::vector<std::string> entries = entriesOf(*option);
  std::vector<std::string> expected = {narrowPath(install, u"lib/A.JAR"),
                                       narrowPath(install, u"lib/b.jar"),
                                       narrowPath(install, u"lib/c.jar"),
                                       narrowPath(install, u"lib/x.jar")};
  // POSIX lists names sorted without regard to case; Windows as its directory search gives them.
  if (kOnWindows) std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, expected);
  EXPECT_EQ(std::count(option->begin(), option->end(), os::kClassPathSeparator), 3);
}

TEST(ClassPathTest, NarrowsTheFolderAndNamesForTheJvm) {
  TempDir install;
  install.write(u"caf\u00e9/lib/a.jar", "");
  const std::optional<std::string> option = buildClassPathOption(install.file(u"caf\u00e9"));
  ASSERT_TRUE(option);
  // Windows hands the JVM Latin-1 bytes; POSIX hands it UTF-8.
  EXPECT_NE(option->find(kOnWindows ? "caf\xE9" : "caf\xC3\xA9"), std::string::npos);

  install.write(u"wide/lib/\u4e2d.jar", "");
  const std::optional<std::string> wide = buildClassPathOption(install.file(u"wide"));
  if (kOnWindows) {
    EXPECT_FALSE(wide);  // no narrow form: no JVM may start
  } else {
    ASSERT_TRUE(wide);
    EXPECT_NE(wide->find("\xE4\xB8\xAD.jar"), std::string::npos);
  }
}

TEST(ClassPathTest, AnEntryPathBeyond259CodeUnitsFailsTheOption) {
  TempDir install;
  const std::u16string folder = install.file(u"fits");
  // The entry is the folder, "/lib/" and the name: 259 code units with this stem and ".jar".
  const std::u16string stem(259 - folder.size() - 5 - 4, u'j');
  install.write(u"fits/lib/" + stem + u".jar", "");
  const std::optional<std::string> option = buildClassPathOption(folder);
  ASSERT_TRUE(option);
  EXPECT_EQ(entriesOf(*option).at(0).size(), 259u);

  install.write(u"long/lib/" + stem + u"j.jar", "");
  EXPECT_FALSE(buildClassPathOption(install.file(u"long")));
}

}  // namespace
}  // namespace lumora
