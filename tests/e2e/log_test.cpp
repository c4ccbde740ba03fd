// The diagnostic log of a run: where it lands, what it begins with, and runs whose log cannot be
// written.
#include <gtest/gtest.h>

#include <ctime>

#include "e2e/file_holder.h"
#include "e2e/launcher_test.h"
#include "e2e/log_checks.h"
#include "support/temp_dir.h"

namespace lumora::testing {
namespace {

// A log's text with its CR LF line ends as LF, the way the launcher's texts are written.
std::string withoutCarriageReturns(const std::string& text) {
  std::string result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 2, "\r\n") != 0) result += text[i];
  }
  return result;
}

class LogTest : public LauncherTest {
 protected:
  // Runs with these arguments from the start folder, noting the time around the run.
  LaunchResult timedRun(const std::vector<std::u16string>& arguments) {
    start_.folder = loggedFolder(install_.folder());
    start_.notBefore = std::time(nullptr);
    LaunchResult result = run(arguments);
    start_.notAfter = std::time(nullptr);
    return result;
  }

  LogStart start_{};
};

TEST_F(LogTest, ARelativeLogLandsInTheStartDirectory) {
  const LaunchResult result = timedRun({u"-log:run.log"});
  ASSERT_TRUE(result.finished) << ::testing::PrintToString(result);
  EXPECT_EQ(result.exitCode, kExitLaunchFailed);
  EXPECT_FALSE(std::filesystem::exists(install_.folder() / "run.log"));
  EXPECT_TRUE(logStartsRun(readBytes(startFolder() / "run.log"), start_));

  LUMORA_SKIP_UNLESS_BOXES_READ(result);
  EXPECT_TRUE(showedBoxes(result, {kNoJvmBox}));
}

TEST_F(LogTest, EachRunEmptiesTheLogFirst) {
  const std::filesystem::path log = startFolder() / "run.log";
  std::string stale;
  while (stale.size() < 64 * 1024) stale += "left from an earlier run\r\n";  // more than a run logs
  ASSERT_TRUE(writeFile(log, stale));

  ASSERT_TRUE(timedRun({u"-log:run.log"}).finished);
  std::string firstRest;
  ASSERT_TRUE(logStartsRun(readBytes(log), start_, &firstRest));
  EXPECT_EQ(firstRest.find("earlier run"), std::string::npos) << "the old content is still there";

  ASSERT_TRUE(timedRun({u"-log:run.log"}).finished);
  // Only the second run's text: its first lines, then what the first run logged after them.
  EXPECT_TRUE(logIs(readBytes(log), start_, withoutCarriageReturns(firstRest)));
}

// A -log: path that cannot be a log: the run goes as it does without -log:, and leaves the path
// as it was.
struct UnusableLogCase {
  const char* name;
  const char16_t* logPath;  // relative to the installation's root
  std::vector<std::pair<std::string, std::string>> folderBefore;  // made there first, if any
};

void PrintTo(const UnusableLogCase& c, std::ostream* out) { *out << c.name; }

class UnusableLogTest : public LogTest, public ::testing::WithParamInterface<UnusableLogCase> {};

TEST_P(UnusableLogTest, RunsAsWithoutALog) {
  const std::filesystem::path path = install_.root() / std::filesystem::path(GetParam().logPath);
  for (const auto& [name, bytes] : GetParam().folderBefore) {
    ASSERT_TRUE(writeFile(path / name, bytes));
  }
  const LaunchResult result = run({u"-log:" + argumentText(path)});
  ASSERT_TRUE(result.finished) << ::testing::PrintToString(result);
  EXPECT_EQ(result.exitCode, kExitLaunchFailed);
  if (GetParam().folderBefore.empty()) {
    EXPECT_FALSE(std::filesystem::exists(path.parent_path())) << "a folder was made";
  } else {
    EXPECT_EQ(folderContent(path), GetParam().folderBefore);
  }
  EXPECT_TRUE(folderContent(startFolder()).empty());

  LUMORA_SKIP_UNLESS_BOXES_READ(result);
  EXPECT_TRUE(showedBoxes(result, {kNoJvmBox}));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, UnusableLogTest,
    ::testing::Values(UnusableLogCase{"InAMissingFolder", u"missing/run.log", {}},
                      UnusableLogCase{"AFolder", u"logs", {{"keep.txt", "kept\n"}}}),
    [](const ::testing::TestParamInfo<UnusableLogCase>& info) { return info.param.name; });

TEST_F(LogTest, ALogHeldByAnotherProcessIsLeftAlone) {
  const std::filesystem::path log = startFolder() / "run.log";
  std::optional<HeldFile> holder = HeldFile::hold(log, "held by another process\r\n");
  ASSERT_TRUE(holder);
  const LaunchResult result = run({u"-log:run.log"});
  holder.reset();
  ASSERT_TRUE(result.finished) << ::testing::PrintToString(result);
  EXPECT_EQ(result.exitCode, kExitLaunchFailed);
  EXPECT_EQ(readBytes(log), "held by another process\r\n");

  LUMORA_SKIP_UNLESS_BOXES_READ(result);
  EXPECT_TRUE(showedBoxes(result, {kNoJvmBox}));
}

}  // namespace
}  // namespace lumora::testing
