// The JRE search's last resort, the folder prompt, with the real launcher: cancelling it, a chosen
// folder without a JVM bringing it back, and a working folder saved to the per-user
// lumorajrepath.cfg, where the next run finds it. On POSIX a stand-in for zenity answers the
// prompt; under Wine lumora_prompthelper answers the real dialog.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "e2e/launcher_test.h"
#include "e2e/outside_places.h"
#include "e2e/log_checks.h"
#include "support/installation.h"
#include "support/launcher_run.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "testjvm/report.h"

namespace lumora::testing {
namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// POSIX: stands in for zenity on the run's PATH. It notes each call of the run, one line of its arguments
// each followed by "|", answers the folder chooser with the prepared folders in turn and cancels
// it once they are used up; any other dialog (the error box) it just closes.
class ZenityStandIn {
 public:
  ZenityStandIn(const Installation& installation, const std::vector<std::filesystem::path>& answers)
      : calls_(installation.root() / "zenity-calls.txt") {
    std::error_code error;
    std::filesystem::remove(calls_, error);  // each run's calls alone
    std::string script =
        "#!/bin/sh\n"
        "calls=" + quoted(utf8(calls_)) + "\n"
        "printf '%s|' \"$@\" >>\"$calls\"\n"
        "printf '\\n' >>\"$calls\"\n"
        "[ \"$1\" = --file-selection ] || exit 0\n"
        "count=0\n"
        "while IFS= read -r call; do\n"
        "  case $call in --file-selection*) count=$((count + 1)) ;; esac\n"
        "done <\"$calls\"\n"
        "case $count in\n";
    for (std::size_t i = 0; i < answers.size(); ++i) {
      script += "  " + std::to_string(i + 1) + ") printf '%s\\n' " + quoted(utf8(answers[i])) +
                " ;;\n";
    }
    script += "  *) exit 1 ;;\nesac\n";
    const std::filesystem::path program =
        std::filesystem::path(environmentValue(installation, "PATH")) / "zenity";
    made_ = writeFile(program, script);
    std::filesystem::permissions(program, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, error);
    if (error) made_ = ::testing::AssertionFailure() << "cannot make the stand-in executable";
  }

  const ::testing::AssertionResult& made() const { return made_; }

  // The calls so far, each as its arguments joined by "|".
  std::vector<std::string> calls() const {
    std::vector<std::string> lines;
    const std::string text = readBytes(calls_);
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
      lines.push_back(text.substr(start, end - start));
    }
    return lines;
  }

  // What the stand-in needs of the run's environment: a display.
  static std::vector<EnvironmentChange> environment() { return {{"DISPLAY", ":0"}}; }

 private:
  static std::string quoted(const std::string& text) {
    std::string result = "'";
    for (const char c : text) result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
  }

  std::filesystem::path calls_;
  ::testing::AssertionResult made_ = ::testing::AssertionSuccess();
};

constexpr char kChooserCall[] = "--file-selection|--directory|--title=Select JRE location|";
constexpr char kErrorBoxCall[] = "--error|--no-markup|--title=LumoraHost|--text=Unable to create JVM.|";

constexpr char kAttempt[] = "Attempting to load jvm.dll.\n";

std::string libraryIn(const std::string& folder, JvmFlavour flavour) {
  const std::string relative = utf8(jvmLibraryInJre(flavour).make_preferred());
  if (folder.empty()) return relative;
  return folder + (isWindowsBuild() ? "\\" : "/") + relative;
}

// The loader's texts for `folder`: both libraries missing, or the client one creating the JVM.
std::string noJvmIn(const std::string& folder) {
  return kAttempt + libraryIn(folder, JvmFlavour::kClient) + "\n" + kAttempt +
         libraryIn(folder, JvmFlavour::kServer) + "\n";
}

std::string jvmCreatedIn(const std::string& folder) {
  return kAttempt + libraryIn(folder, JvmFlavour::kClient) + "\n" +
         "Successfully loaded library. Attempting to create JVM.\n"
         "JVM Created successfully.\n"
         "Hooray!!!\n";
}

// One prompt that the user answers with `folder`.
std::string promptAnswered(const std::string& folder) {
  return "Prompting for JRE.\n"
         "Prompting for JRE location.\n"
         "Successfully prompted.\n"
         "Successfully retrieved path.\n" +
         folder + "\n";
}

constexpr char kPromptCancelled[] =
    "Prompting for JRE.\n"
    "Prompting for JRE location.\n";

constexpr char kSaved[] =
    "Saving preferred JRE location to user profile.\n"
    "User specified JRE path saved.\n";

class FolderPromptTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    ASSERT_TRUE(userFile_.path().is_absolute()) << "no per-user application-data folder";
    if (messageBoxesAreWindows() && !windowsCanBeShown()) {
      GTEST_SKIP() << "no usable display: the folder prompt cannot be answered";
    }
    if (!isWindowsBuild()) {
      // The per-user folder exists, as it does on a desktop, so that a choice can be saved.
      std::filesystem::create_directories(userDataFolder(install_));
    }
  }

  // A JRE folder outside the installation, with the test JVM in it when `withJvm`.
  std::filesystem::path jreFolder(std::u16string_view name, bool withJvm) const {
    std::filesystem::path folder = install_.makeFolder(u"jres/" + std::u16string(name));
    if (withJvm) {
      EXPECT_TRUE(Installation::installJvm(testJvmLibrary(), folder, JvmFlavour::kClient));
    }
    return folder;
  }

  // What a run logs before its first prompt when no source but (maybe) the per-user file is set
  // up. Without that file, the fifth step tries the empty folder.
  std::string logBeforePrompts(const std::string& userFolder = {}) const {
    const std::filesystem::path preferences =
        machineDataFolder(install_) / "Veltra" / "VeltraSetupManager" / "vsmpreferences.txt";
    std::string log = "Looking for Lumora private JRE.\n" +
                      noJvmIn(std::string(".") + (isWindowsBuild() ? "\\" : "/") + "jre") +
                      "Looking for JRE configured in install directory.\n"
                      "Looking for Veltra Deployed private JRE.\n"
                      "Attempting to read vsmpreferences.txt.\n" +
                      utf8(preferences) +
                      "\n"
                      "Looking for public JRE in registry.\n"
                      "Looking for JavaSoft 1.7 JRE in registry.\n"
                      "Looking for JRE specified in user profile.\n";
    if (!userFolder.empty()) log += "Path read from config file.\n" + userFolder + "\n";
    return log;
  }

  // Runs the launcher with a log; the prompts shown are answered with `answers` in order, and any
  // prompt after them is cancelled (under Wine a prompt beyond a chosen last answer would stay
  // unanswered until the run's time limit).
  LaunchResult runAnswering(const std::vector<std::filesystem::path>& answers) {
    LaunchRequest request;
    const std::filesystem::path logFile = install_.root() / "run.log";
    request.arguments = {u"-log:" + argumentText(logFile)};
    if (isWindowsBuild()) {
      if (!answers.empty()) {
        request.earlierFolderPromptChoices.assign(answers.begin(), answers.end() - 1);
        request.folderPromptChoice = answers.back();
      }
    } else {
      zenity_.emplace(install_, answers);
      EXPECT_TRUE(zenity_->made());
      request.environment = ZenityStandIn::environment();
    }
    start_.folder = loggedFolder(install_.folder());
    start_.notBefore = std::time(nullptr);
    LaunchResult result = runLauncher(install_, request);
    start_.notAfter = std::time(nullptr);
    logText_ = readBytes(logFile);
    return result;
  }

  // How often the last run showed the prompt.
  int promptsShown(const LaunchResult& result) const {
    if (!isWindowsBuild()) {
      const std::vector<std::string> calls = zenity_ ? zenity_->calls() : std::vector<std::string>{};
      return static_cast<int>(std::count(calls.begin(), calls.end(), kChooserCall));
    }
    int shown = 0;
    for (std::size_t at = 0; (at = result.diagnostics.find("dialog caption=", at)) !=
                             std::string::npos;
         ++at) {
      ++shown;
    }
    return shown;
  }

  // How many JVMs the test JVM in `jreFolder` has created over the runs so far.
  static int jvmsCreatedIn(const std::filesystem::path& jreFolder) {
    const std::vector<std::string> report = testjvm::readReport(
        Installation::jvmLibraryPath(jreFolder, JvmFlavour::kClient).parent_path() /
        testjvm::kReportFileName);
    return static_cast<int>(std::count(report.begin(), report.end(), "create-result 0"));
  }

  PlacedOutside userFile_{userDataFolder(install_) / "lumorajrepath.cfg"};
  std::optional<ZenityStandIn> zenity_;
  LogStart start_{};
  std::string logText_;
};

TEST_F(FolderPromptTest, CancellingEndsTheSearchAndSavesNothing) {
  const LaunchResult result = runAnswering({});
  ASSERT_TRUE(result.finished) << ::testing::PrintToString(result);
  EXPECT_EQ(result.exitCode, kExitLaunchFailed);
  EXPECT_TRUE(logIs(logText_, start_, logBeforePrompts() + noJvmIn("") + kPromptCancelled));
  EXPECT_FALSE(std::filesystem::exists(userFile_.path()));
  EXPECT_TRUE(showedBoxes(result, {kNoJvmBox}));
  if (isWindowsBuild()) {
    EXPECT_NE(result.diagnostics.find("cancelled"), std::string::npos) << result.diagnostics;
  } else {
    EXPECT_EQ(zenity_->calls(), (std::vector<std::string>{kChooserCall, kErrorBoxCall}));
  }
}

TEST_F(FolderPromptTest, AChosenFolderIsSavedAndFoundByTheNextRunWithoutAPrompt) {
  const std::filesystem::path chosen = jreFolder(u"jr\u00e9", /*withJvm=*/true);

  const LaunchResult first = runAnswering({chosen});
  ASSERT_TRUE(first.finished) << ::testing::PrintToString(first);
  EXPECT_EQ(first.exitCode, kExitSuccess) << ::testing::PrintToString(first);
  EXPECT_TRUE(logIs(logText_, start_,
                    logBeforePrompts() + noJvmIn("") + promptAnswered(utf8(chosen)) +
                        jvmCreatedIn(utf8(chosen)) + kSaved));
  EXPECT_EQ(readBytes(userFile_.path()), kByteOrderMark + utf8(chosen));
  EXPECT_EQ(jvmsCreatedIn(chosen), 1);
  EXPECT_EQ(promptsShown(first), 1);

  // The next run would have the prompt cancelled, but never shows it.
  const LaunchResult second = runAnswering({});
  ASSERT_TRUE(second.finished) << ::testing::PrintToString(second);
  EXPECT_EQ(second.exitCode, kExitSuccess) << ::testing::PrintToString(second);
  EXPECT_TRUE(logIs(logText_, start_, logBeforePrompts(utf8(chosen)) + jvmCreatedIn(utf8(chosen))));
  EXPECT_EQ(readBytes(userFile_.path()), kByteOrderMark + utf8(chosen));
  EXPECT_EQ(jvmsCreatedIn(chosen), 2);
  EXPECT_EQ(promptsShown(second), 0);
}

TEST_F(FolderPromptTest, AChosenFolderWithoutJvmBringsThePromptBack) {
  // A per-user file from an earlier choice whose JVM has gone since.
  const std::filesystem::path stale = jreFolder(u"stale", /*withJvm=*/false);
  ASSERT_TRUE(writeFile(userFile_.path(), kByteOrderMark + utf8(stale)));
  const std::filesystem::path empty = jreFolder(u"empty", /*withJvm=*/false);
  const std::filesystem::path working = jreFolder(u"jr\u00e9", /*withJvm=*/true);

  const LaunchResult result = runAnswering({empty, working});
  ASSERT_TRUE(result.finished) << ::testing::PrintToString(result);
  EXPECT_EQ(result.exitCode, kExitSuccess) << ::testing::PrintToString(result);
  EXPECT_TRUE(logIs(logText_, start_,
                    logBeforePrompts(utf8(stale)) + noJvmIn(utf8(stale)) +
                        promptAnswered(utf8(empty)) + noJvmIn(utf8(empty)) +
                        promptAnswered(utf8(working)) + jvmCreatedIn(utf8(working)) + kSaved));
  // The working folder's text replaces the stale one, and no box was shown.
  EXPECT_EQ(readBytes(userFile_.path()), kByteOrderMark + utf8(working));
  EXPECT_EQ(jvmsCreatedIn(working), 1);
  EXPECT_EQ(promptsShown(result), 2);
  EXPECT_TRUE(showedBoxes(result, {}));
}

}  // namespace
}  // namespace lumora::testing
