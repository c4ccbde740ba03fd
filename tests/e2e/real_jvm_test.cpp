// The launcher with the machine's own JDK and the Java test application (lumora-testapp.jar):
// what a real main receives, its threads, its exceptions, and a class path without it. The test
// application writes what it saw to a report, each text as its hexadecimal UTF-16 code units.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "e2e/launcher_test.h"
#include "e2e/log_checks.h"
#include "support/installation.h"
#include "support/launcher_run.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace lumora::testing {
namespace {

// The JDK's home folder, when the build found one.
#if defined(LUMORA_JAVA_HOME)
constexpr std::string_view kJavaHome = LUMORA_JAVA_HOME;
#else
constexpr std::string_view kJavaHome;
#endif

constexpr char kTestApplication[] = "lumora-testapp.jar";
// A valid zip file without entries: its end-of-central-directory record alone.
std::string emptyJar() { return std::string("PK\x05\x06") + std::string(18, '\0'); }

// The test application's report: key=value lines.
using JavaReport = std::map<std::string, std::string>;

JavaReport readJavaReport(const std::filesystem::path& file) {
  JavaReport report;
  std::istringstream lines(readBytes(file));
  for (std::string line; std::getline(lines, line);) {
    const std::size_t equals = line.find('=');
    if (equals != std::string::npos) report[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return report;
}

// A text as the report writes it: its UTF-16 code units, four upper-case hexadecimal digits each.
std::string hex(std::u16string_view text) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (const char16_t unit : text) {
    for (int shift = 12; shift >= 0; shift -= 4) out += kDigits[(unit >> shift) & 0xF];
  }
  return out;
}

std::u16string utf16(const std::filesystem::path& path) { return path.u16string(); }

class RealJvmTest : public LoggedLauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    if (HasFatalFailure()) return;
    if (kJavaHome.empty()) GTEST_SKIP() << "no JDK was found when this program was built";
    ASSERT_TRUE(std::filesystem::exists(ownExecutableFolder() / kTestApplication))
        << "the Java test application was not built";
#if defined(__SANITIZE_ADDRESS__)
    // A real JVM takes SIGSEGV for its own ends, and LeakSanitizer's end-of-process scan stops
    // its threads and crashes on them; the launcher's leaks are checked with the test JVM.
    const char* options = std::getenv("ASAN_OPTIONS");
    savedAsanOptions_ = options ? std::optional<std::string>(options) : std::nullopt;
    const std::string jvmFriendly =
        (options ? std::string(options) + ":" : std::string()) + "detect_leaks=0:handle_segv=0";
    setenv("ASAN_OPTIONS", jvmFriendly.c_str(), 1);
    asanOptionsChanged_ = true;
#endif
  }

  void TearDown() override {
#if defined(__SANITIZE_ADDRESS__)
    if (!asanOptionsChanged_) return;
    if (savedAsanOptions_) {
      setenv("ASAN_OPTIONS", savedAsanOptions_->c_str(), 1);
    } else {
      unsetenv("ASAN_OPTIONS");
    }
#endif
  }

  // The installation with the machine's JDK as its jre folder, the test application and an empty
  // jar in lib (unless `withJars` is false), and options that tell the application where to
  // report, an option value beyond ASCII, and the mode.
  ::testing::AssertionResult layOut(std::string_view mode, bool withJars = true) const {
    std::error_code error;
    std::filesystem::create_directory_symlink(std::filesystem::path(kJavaHome), install_.privateJre(), error);
    if (error) return ::testing::AssertionFailure() << "cannot link the JDK: " << error.message();
    if (withJars) {
      if (::testing::AssertionResult made = writeFile(lib() / "extra.jar", emptyJar()); !made) {
        return made;
      }
      std::filesystem::copy_file(ownExecutableFolder() / kTestApplication,
                                 lib() / kTestApplication, error);
      if (error) {
        return ::testing::AssertionFailure() << "cannot copy the application: " << error.message();
      }
    }
    const std::u8string report = reportFile().u8string();
    return install_.writeJvmOptions("-Dlumora.test.report=" +
                                    std::string(report.begin(), report.end()) +
                                    "\n-Dlumora.test.option=caf\xC3\xA9\n"
                                    "-Dlumora.test.mode=" + std::string(mode) + "\n");
  }

  std::filesystem::path lib() const {
    return std::filesystem::canonical(install_.folder()) / "lib";
  }
  std::filesystem::path reportFile() const { return install_.root() / "java-report.txt"; }

  bool asanOptionsChanged_ = false;
  std::optional<std::string> savedAsanOptions_;
};

TEST_F(RealJvmTest, MainGetsTheTokenAndTheFileOnTheMainThread) {
  ASSERT_TRUE(layOut(""));
  const std::u16string file = u"/tmp/caf\u00E9 \u4E2D \U0001F600.lum";
  const LaunchResult result = run({u"-openfile:" + file});
  ASSERT_TRUE(result.finished) << ::testing::PrintToString(result);
  EXPECT_EQ(result.exitCode, kExitSuccess) << ::testing::PrintToString(result);

  const JavaReport report = readJavaReport(reportFile());
  EXPECT_EQ(report.count("main"), 1u) << "main did not return";
  EXPECT_EQ(report.count("args") ? report.at("args") : "", "2");
  const std::string token = report.count("arg0") ? report.at("arg0") : "";
  // As code units: the token's 38 ASCII characters.
  static const std::regex kGuid(
      "007B(003[0-9]|004[1-6]){8}002D((003[0-9]|004[1-6]){4}002D){3}(003[0-9]|004[1-6]){12}007D");
  EXPECT_TRUE(std::regex_match(token, kGuid)) << token;
  EXPECT_EQ(report.count("property") ? report.at("property") : "", token);
  EXPECT_EQ(report.count("arg1") ? report.at("arg1") : "", hex(file));
  EXPECT_EQ(report.count("option") ? report.at("option") : "", hex(u"caf\u00E9"));
  // Both jars of lib, in the order of their names.
  EXPECT_EQ(report.count("classpath") ? report.at("classpath") : "",
            hex(utf16(lib() / "extra.jar") + u":" + utf16(lib() / kTestApplication)));
  EXPECT_EQ(report.count("thread") ? report.at("thread") : "", "main");
}

// The JVM's destruction waits for the application's non-daemon threads, and so does the process.
TEST_F(RealJvmTest, AThreadOfTheApplicationKeepsTheProcessAliveUntilItEnds) {
  ASSERT_TRUE(layOut("thread"));
  const LaunchResult result = run({});
  ASSERT_TRUE(result.finished) << ::testing::PrintToString(result);
  EXPECT_EQ(result.exitCode, kExitSuccess) << ::testing::PrintToString(result);
  const JavaReport report = readJavaReport(reportFile());
  EXPECT_EQ(report.count("main"), 1u) << "main did not return";
  EXPECT_EQ(report.count("worker") ? report.at("worker") : "", "finished")
      << "the launcher ended before the application's thread";
}

TEST_F(RealJvmTest, AThrowingMainIsLoggedAndDescribed) {
  ASSERT_TRUE(layOut("throw"));
  const LaunchResult result = loggedRun();
  ASSERT_TRUE(result.finished) << ::testing::PrintToString(result);
  EXPECT_EQ(result.exitCode, kExitLaunchFailed);

  std::string afterStart;
  ASSERT_TRUE(logStartsRun(log(), start_, &afterStart));
  EXPECT_TRUE(afterStart.ends_with("Hooray!!!\r\n"
                                   "Java main() ended with an exception.\r\n"
                                   "java.lang.IllegalStateException: thrown on purpose\r\n"))
      << afterStart;
  EXPECT_NE(result.standardError.find("java.lang.IllegalStateException: thrown on purpose"),
            std::string::npos)
      << result.standardError;
  EXPECT_EQ(result.standardError.find(kNoJvmText), std::string::npos) << result.standardError;
  EXPECT_EQ(result.standardError.find("Failed to launch main()."), std::string::npos)
      << result.standardError;
}

TEST_F(RealJvmTest, WithoutTheApplicationsJarMainCannotBeLaunched) {
  ASSERT_TRUE(layOut("", /*withJars=*/false));
  const LaunchResult result = run({});
  ASSERT_TRUE(result.finished) << ::testing::PrintToString(result);
  EXPECT_EQ(result.exitCode, kExitLaunchFailed);
  // The box comes last, after the JVM's description of why the class was not found.
  EXPECT_TRUE(result.standardError.ends_with("Failed to launch main().\n")) << result.standardError;
  EXPECT_FALSE(std::filesystem::exists(reportFile()));
}

}  // namespace
}  // namespace lumora::testing
