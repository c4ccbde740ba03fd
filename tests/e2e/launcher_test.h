// What the end-to-end tests share: the texts a user sees, the check of a run's message boxes, and
// a fixture that lays out an installation of the real launcher.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "e2e/log_checks.h"
#include "support/installation.h"
#include "support/launcher_run.h"

namespace lumora::testing {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitLaunchFailed = 1;
inline constexpr int kExitUsage = 2;

inline constexpr char kUsageText[] =
    "LumoraHost [-?] [-log:<file>] [-openfile:<file>]\r\n"
    "-? - Show usage.\r\n"
    "-log:<file> - create a log file.\r\n"
    "-openfile:<file> - open a file in Lumora.";
inline constexpr char kNoJvmText[] = "Unable to create JVM.";

inline const ShownBox kUsageBox{BoxIcon::kInformation, kUsageText};
inline const ShownBox kNoJvmBox{BoxIcon::kError, kNoJvmText};

// Whether the run showed exactly these boxes, in this order. On POSIX, where a box is a line on
// standard error, the icons cannot be told apart and the texts must be all it wrote there.
::testing::AssertionResult showedBoxes(const LaunchResult& result,
                                       const std::vector<ShownBox>& expected);

// Ends the test as skipped when the run's boxes could not be read (Wine without a usable display,
// where a message box returns at once, unseen): a box check can then only be missed, never passed.
#define LUMORA_SKIP_UNLESS_BOXES_READ(result)                          \
  if ((result).boxSource == ::lumora::testing::BoxSource::kUnreadable) \
  GTEST_SKIP() << "no usable display: Wine shows message boxes nowhere, so they cannot be read"

// A fresh installation of the launcher for each test.
class LauncherTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(install_.problem(), ""); }

  // Runs the launcher with these arguments from `workingDirectory` (default: the folder "start"
  // under the installation's root).
  LaunchResult run(const std::vector<std::u16string>& arguments,
                   const std::filesystem::path& workingDirectory = {}) const;

  std::filesystem::path startFolder() const { return install_.makeFolder(u"start"); }

  Installation install_;
};

// A launcher test whose runs write their log to run.log in the start folder.
class LoggedLauncherTest : public LauncherTest {
 protected:
  // Runs with "-log:run.log" before `arguments`, noting the clock around the run in start_.
  LaunchResult loggedRun(std::vector<std::u16string> arguments = {});
  std::string log() const;

  LogStart start_{};
};

// Whether this is a Windows build, run under Wine.
bool isWindowsBuild();

// `path` as UTF-8 text, with the platform's separators.
std::string utf8(const std::filesystem::path& path);

// The test JVM library, built beside this program.
std::filesystem::path testJvmLibrary();

// `path` as an argument text.
std::u16string argumentText(const std::filesystem::path& path);

// The entries of a folder by name, with the bytes of each file (folders as "<folder>"), for
// checking that a run left a folder alone.
std::vector<std::pair<std::string, std::string>> folderContent(const std::filesystem::path& folder);

}  // namespace lumora::testing
