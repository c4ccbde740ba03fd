// The usage box: asked for with -?, or shown for an option the launcher does not know. It is all
// such a run does.
#include <gtest/gtest.h>

#include "e2e/launcher_test.h"

namespace lumora::testing {
namespace {

struct UsageCase {
  const char* name;
  std::vector<std::u16string> arguments;
  int exitCode;
};

void PrintTo(const UsageCase& c, std::ostream* out) { *out << c.name; }

class UsageTest : public LauncherTest, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(UsageTest, ShowsOnlyTheUsageBoxAndWritesNoLog) {
  // An existing file to open, so that nothing but the unknown option can be wrong.
  ASSERT_TRUE(writeFile(startFolder() / "notes.txt", "a document\n"));
  const LaunchResult result = run(GetParam().arguments);
  ASSERT_TRUE(result.finished) << ::testing::PrintToString(result);
  EXPECT_EQ(result.exitCode, GetParam().exitCode);
  const std::vector<std::pair<std::string, std::string>> onlyTheDocument{
      {"notes.txt", "a document\n"}};
  EXPECT_EQ(folderContent(startFolder()), onlyTheDocument) << "no log in the start directory";
  EXPECT_FALSE(std::filesystem::exists(install_.folder() / "x.log"));

  LUMORA_SKIP_UNLESS_BOXES_READ(result);
  EXPECT_TRUE(showedBoxes(result, {kUsageBox}));
}

INSTANTIATE_TEST_SUITE_P(
    Options, UsageTest,
    ::testing::Values(
        UsageCase{"AskedForWithALog", {u"-?", u"-log:x.log"}, kExitSuccess},
        UsageCase{"AskedForAfterALog", {u"-log:x.log", u"-?"}, kExitSuccess},
        UsageCase{"UnknownOptionWithAFileToOpen", {u"-bogus", u"-openfile:notes.txt"}, kExitUsage},
        UsageCase{"OptionNamesAreCaseSensitive", {u"-LOG:x.log"}, kExitUsage},
        UsageCase{"UnknownOptionAfterALog", {u"-log:x.log", u"-x"}, kExitUsage}),
    [](const ::testing::TestParamInfo<UsageCase>& info) { return info.param.name; });

}  // namespace
}  // namespace lumora::testing
