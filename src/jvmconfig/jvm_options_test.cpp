#include "jvmconfig/jvm_options.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "jvmconfig/single_user_token.h"
#include "platform/os.h"
#include "support/temp_dir.h"

namespace lumora {
namespace {

using testing::TempDir;
using namespace std::string_literals;
using Options = std::vector<std::string>;

const bool kOnWindows = os::kPathSeparator == u'\\';

Options optionsFromFile(const std::string& bytes) {
  TempDir dir;
  JvmOptionList list;
  appendOptionsFile(dir.write(u"jvmoptions.cfg", bytes), list);
  return list.options();
}

TEST(OptionsFileTest, EachLineBecomesOneOptionAsItStands) {
  const struct {
    std::string bytes;
    Options expected;
  } cases[] = {
      {"", {}},
      {"-Xmx512m\n-Dfoo=bar\n", {"-Xmx512m", "-Dfoo=bar"}},
      {"-Xmx512m\r\n-Dfoo=bar", {"-Xmx512m", "-Dfoo=bar"}},
      {"\xEF\xBB\xBF-Xmx512m\n", {"-Xmx512m"}},
      {"\xFF\xFE-\0X\0\r\0\n\0"s, {"-X"}},
      {"a\n\nb\n", {"a", "", "b"}},                       // a blank line is an empty option
      {"  -Dpad=1 \t\n# not a comment\n", {"  -Dpad=1 \t", "# not a comment"}},
      {"lone\rcr\n", {"lone\rcr"}},
      {"-Da=1\x1A-Db=2\n", {"-Da=1"}},                    // Ctrl-Z ends the file
      {"good\nb\xFFyte\nalso\n", {"good", "also"}},       // not UTF-8: that line is skipped
  };
  for (const auto& c : cases) EXPECT_EQ(optionsFromFile(c.bytes), c.expected) << c.bytes;
}

TEST(OptionsFileTest, LongLinesArriveInPiecesOf8191) {
  Options options = optionsFromFile(std::string(10000, 'x') + "\n" + std::string(8191, 'y') + "\n");
  ASSERT_EQ(options.size(), 4u);
  EXPECT_EQ(options[0].size(), 8191u);
  EXPECT_EQ(options[1].size(), 1809u);
  EXPECT_EQ(options[2], std::string(8191, 'y'));
  EXPECT_EQ(options[3], "");
}

TEST(OptionsFileTest, CharactersAreNarrowedForTheJvm) {
  // e-acute reaches the JVM as Latin-1 on Windows and as UTF-8 on POSIX; a character beyond
  // U+00FF has no narrow form on Windows, so its line is skipped and the reading goes on.
  EXPECT_EQ(optionsFromFile("-Dname=\xC3\xA9\n"),
            Options{kOnWindows ? "-Dname=\xE9" : "-Dname=\xC3\xA9"});
  const Options beyondLatin1 =
      kOnWindows ? Options{"-Dnext=1"} : Options{"-Dcjk=\xE4\xB8\xAD", "-Dnext=1"};
  EXPECT_EQ(optionsFromFile("-Dcjk=\xE4\xB8\xAD\n-Dnext=1\n"), beyondLatin1);
  // A lone surrogate has no narrow form anywhere.
  EXPECT_EQ(optionsFromFile("\xFF\xFE" "a\0\x00\xD8\n\0b\0"s), Options{"b"});
}

TEST(OptionsFileTest, MissingOrBigEndianFilesContributeNothing) {
  TempDir dir;
  JvmOptionList list;
  appendOptionsFile(dir.file(u"missing.cfg"), list);
  appendOptionsFile(dir.write(u"be.cfg", "\xFE\xFF\0-\0X"s), list);
  appendOptionsFile(dir.u16(), list);
  EXPECT_TRUE(list.options().empty());
}

TEST(JvmOptionsTest, ClassPathComesFirstThenTheToken) {
  JvmContext context;
  ASSERT_TRUE(makeSingleUserToken(context));
  JvmOptionList list;
  ASSERT_TRUE(buildJvmOptions(context, list));
  ASSERT_EQ(list.options().size(), 2u);  // no jvmoptions.cfg beside the test program
  EXPECT_TRUE(list.options()[0].starts_with("-Djava.class.path="));
  EXPECT_EQ(list.options()[1], "-Dkorvex.singleUser.token=" + *context.token);

  const jni::JavaVMInitArgs* args = list.initArgs();
  EXPECT_EQ(args->version, 0x00010006);
  EXPECT_EQ(args->ignoreUnrecognized, 1);
  ASSERT_EQ(args->nOptions, 2);
  EXPECT_EQ(std::string(args->options[1].optionString), list.options()[1]);
  EXPECT_EQ(args->options[0].extraInfo, nullptr);
}

TEST(JvmOptionsTest, WithoutATokenNoOptionsAreBuilt) {
  JvmContext context;
  JvmOptionList list;
  EXPECT_FALSE(appendTokenOption(context, list));
  EXPECT_TRUE(list.options().empty());
}

TEST(SingleUserTokenTest, IsANewGuidTextEachTime) {
  const std::regex form("\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}");
  std::set<std::string> seen;
  for (int i = 0; i < 50; ++i) {
    JvmContext context;
    ASSERT_TRUE(makeSingleUserToken(context));
    EXPECT_TRUE(std::regex_match(*context.token, form)) << *context.token;
    seen.insert(*context.token);
  }
  EXPECT_EQ(seen.size(), 50u);
}

}  // namespace
}  // namespace lumora
