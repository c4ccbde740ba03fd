// The JVM's creation and the Java application's start, through the test JVM library: the options
// the JVM is created with, the arguments main receives, the log of a run, and the teardown that
// follows main however it went.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "e2e/launcher_test.h"
#include "e2e/log_checks.h"
#include "support/installation.h"
#include "support/launcher_run.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "testjvm/report.h"

namespace lumora::testing {
namespace {

using Records = std::vector<std::string>;

constexpr char kTokenPrefix[] = "-Dkorvex.singleUser.token=";
constexpr char kClassPathPrefix[] = "-Djava.class.path=";
constexpr char kLaunchFailedText[] = "Failed to launch main().";
const ShownBox kLaunchFailedBox{BoxIcon::kError, kLaunchFailedText};

// A library built beside this program.
std::filesystem::path builtLibrary(std::string_view windowsName, std::string_view posixName) {
  return ownExecutableFolder() / (isWindowsBuild() ? windowsName : posixName);
}

// A text as the JVM receives it inside an option: on Windows each code unit up to U+00FF as the
// byte of the same value; on POSIX UTF-8.
std::string optionBytes(std::u16string_view text) {
  if (isWindowsBuild()) return std::string(text.begin(), text.end());
  const std::u8string utf8 = std::filesystem::path(text).u8string();
  return std::string(utf8.begin(), utf8.end());
}

// The path of the client library as the launcher logs its first attempt at the jre folder.
std::string clientAttempt() {
  return isWindowsBuild() ? ".\\jre\\bin\\client\\jvm.dll" : "./jre/lib/client/libjvm.so";
}
std::string serverAttempt() {
  return isWindowsBuild() ? ".\\jre\\bin\\server\\jvm.dll" : "./jre/lib/server/libjvm.so";
}

std::string attempt(const std::string& libraryPath) {
  return "Attempting to load jvm.dll.\n" + libraryPath + "\n";
}

constexpr char kLookingForPrivateJre[] = "Looking for Lumora private JRE.\n";
constexpr char kCreated[] =
    "Successfully loaded library. Attempting to create JVM.\n"
    "JVM Created successfully.\n"
    "Hooray!!!\n";

// What the log holds after its first lines when the jre folder's client library starts the JVM.
std::string createdFromClientLog() { return kLookingForPrivateJre + attempt(clientAttempt()) + kCreated; }

// The texts that follow `prefix` in the records that begin with it, in order.
std::vector<std::string> valuesAfter(const Records& records, std::string_view prefix) {
  std::vector<std::string> values;
  for (const std::string& record : records) {
    if (record.starts_with(prefix)) values.push_back(record.substr(prefix.size()));
  }
  return values;
}

// The options the JVM was created with, as the bytes the launcher passed.
std::vector<std::string> jvmOptions(const Records& records) {
  std::vector<std::string> options;
  for (const std::string& escaped : valuesAfter(records, "option ")) {
    options.push_back(testjvm::unescapeBytes(escaped).value_or("<not a recorded text>"));
  }
  return options;
}

// The token of each run recorded in the report, from its token option.
std::vector<std::string> tokens(const Records& records) {
  std::vector<std::string> found;
  for (const std::string& option : jvmOptions(records)) {
    if (option.starts_with(kTokenPrefix)) found.push_back(option.substr(sizeof kTokenPrefix - 1));
  }
  return found;
}

::testing::AssertionResult isToken(const std::string& token) {
  static const std::regex kGuid(
      R"(\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\})");
  if (std::regex_match(token, kGuid)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "\"" << token << "\" is no upper-case {8-4-4-4-12} GUID";
}

std::string shown(const Records& records) {
  std::string text;
  for (const std::string& record : records) text += "  " + record + "\n";
  return text;
}

// The test JVM found nothing wrong with the launcher's calls: no bad reference, no call from
// another thread or without a JVM, no unexpected function, no string left pinned.
::testing::AssertionResult noComplaints(const Records& records) {
  static constexpr std::string_view kComplaints[] = {
      "bad-", "wrong-thread", "no-jvm", "unexpected", "unreleased", "extraInfo"};
  for (const std::string& record : records) {
    for (std::string_view complaint : kComplaints) {
      if (record.starts_with(complaint)) {
        return ::testing::AssertionFailure() << "the test JVM complains: " << record << "\n"
                                             << shown(records);
      }
    }
  }
  return ::testing::AssertionSuccess();
}

// The JVM was destroyed once, as the last call into it, after the record `after` (when given),
// and the process then ended.
::testing::AssertionResult destroyedLast(const Records& records,
                                         std::optional<std::string_view> after = std::nullopt) {
  const Records ending{"DestroyJavaVM", "detach"};
  if (records.size() < 2 || !std::equal(ending.begin(), ending.end(), records.end() - 2) ||
      std::count(records.begin(), records.end(), "DestroyJavaVM") != 1) {
    return ::testing::AssertionFailure() << "the report does not end with DestroyJavaVM:\n"
                                         << shown(records);
  }
  if (after && std::none_of(records.begin(), records.end(), [&](const std::string& record) {
        return record.starts_with(*after);
      })) {
    return ::testing::AssertionFailure() << "no \"" << *after << "\" before DestroyJavaVM:\n"
                                         << shown(records);
  }
  return ::testing::AssertionSuccess();
}

// Whether `texts` appear in `text` in this order.
::testing::AssertionResult appearInOrder(const std::string& text,
                                         const std::vector<std::string>& texts) {
  std::size_t from = 0;
  for (const std::string& wanted : texts) {
    const std::size_t at = text.find(wanted, from);
    if (at == std::string::npos) {
      return ::testing::AssertionFailure() << "\"" << wanted << "\" does not follow in:\n" << text;
    }
    from = at + wanted.size();
  }
  return ::testing::AssertionSuccess();
}

// LF as CR LF, the way the log writes its texts.
std::string asLogged(std::string_view text) {
  std::string logged;
  for (const char c : text) logged += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return logged;
}

class JvmLaunchTest : public LoggedLauncherTest {
 protected:
  // Puts `library` into the installation's jre folder as its client or server JVM library, with
  // these test JVM settings beside it. The report is then read from beside it.
  ::testing::AssertionResult installJvm(const std::filesystem::path& library,
                                        std::string_view config = {},
                                        JvmFlavour flavour = JvmFlavour::kClient) {
    jvmLibrary_ = Installation::jvmLibraryPath(install_.privateJre(), flavour);
    ::testing::AssertionResult done = Installation::installJvm(library, install_.privateJre(),
                                                               flavour);
    if (done && !config.empty()) done = Installation::writeTestJvmConfig(jvmLibrary_, config);
    return done;
  }

  Records report() const {
    return testjvm::readReport(jvmLibrary_.parent_path() / testjvm::kReportFileName);
  }

  std::filesystem::path jvmLibrary_;
};

// -------------------------------------------------------------------------------------------
// The JVM's options

TEST_F(JvmLaunchTest, TheJvmGetsTheClassPathTheTokenAndTheOptionsFileInThatOrder) {
  ASSERT_TRUE(installJvm(testJvmLibrary()));
  ASSERT_TRUE(install_.addJars({u"c.JAR", u"a.jar", u"B.jar"}));
  std::filesystem::create_directories(install_.folder() / "lib" / "x.jar");
  ASSERT_TRUE(writeFile(install_.folder() / "lib" / "notes.txt", "not a jar"));
  // CR LF line ends, a blank line, blanks around an option, a comment, é (U+00E9), 中 (U+4E2D)
  // and a last line without a line end.
  ASSERT_TRUE(install_.writeJvmOptions(
      "-Xmx64m\r\n"
      "\r\n"
      "  -Dpadded=yes \t\r\n"
      "# comment\r\n"
      "-Dname=caf\xC3\xA9\r\n"
      "-Dwide=\xE4\xB8\xAD\r\n"
      "-Dlast=1"));

  const LaunchResult result = run({});
  ASSERT_TRUE(result.finished) << ::testing::PrintToString(result);
  EXPECT_EQ(result.exitCode, kExitSuccess);

  const Records records = report();
  ASSERT_TRUE(noComplaints(records));
  std::vector<std::string> options = jvmOptions(records);
  std::vector<std::string> fileOptions{"-Xmx64m", "", "  -Dpadded=yes \t", "# comment",
                                       "-Dname=" + optionBytes(u"caf\u00E9")};
  // Windows hands the JVM Latin-1 texts: a line beyond it is left out, and the next one still
  // comes. POSIX hands it UTF-8.
  if (!isWindowsBuild()) fileOptions.push_back("-Dwide=" + optionBytes(u"\u4E2D"));
  fileOptions.push_back("-Dlast=1");
  EXPECT_EQ(valuesAfter(records, "create "),
            std::vector<std::string>{"version=00010006 ignoreUnrecognized=1 nOptions=" +
                                     std::to_string(2 + fileOptions.size())});
  ASSERT_EQ(options.size(), 2 + fileOptions.size()) << shown(records);

  // The jars of lib, absolute, a folder named like one included; the non-jar left out.
  const std::string lib =
      optionBytes(std::filesystem::canonical(install_.folder()).make_preferred().u16string()) +
      (isWindowsBuild() ? "\\lib\\" : "/lib/");
  const char separator = isWindowsBuild() ? ';' : ':';
  std::vector<std::string> jars{lib + "a.jar", lib + "B.jar", lib + "c.JAR", lib + "x.jar"};
  ASSERT_TRUE(options[0].starts_with(kClassPathPrefix)) << options[0];
  const std::string classPath = options[0].substr(sizeof kClassPathPrefix - 1);
  if (isWindowsBuild()) {
    // In the order of the directory search, which is the file system's under Wine.
    std::vector<std::string> entries;
    for (std::size_t from = 0;;) {
      const std::size_t end = classPath.find(separator, from);
      entries.push_back(classPath.substr(from, end - from));
      if (end == std::string::npos) break;
      from = end + 1;
    }
    std::sort(entries.begin(), entries.end());
    std::sort(jars.begin(), jars.end());
    EXPECT_EQ(entries, jars) << classPath;
  } else {
    // By name without regard to case.
    EXPECT_EQ(classPath, jars[0] + separator + jars[1] + separator + jars[2] + separator + jars[3]);
  }

  ASSERT_TRUE(options[1].starts_with(kTokenPrefix)) << options[1];
  EXPECT_TRUE(isToken(options[1].substr(sizeof kTokenPrefix - 1)));
  EXPECT_EQ(std::vector<std::string>(options.begin() + 2, options.end()), fileOptions);
}

TEST_F(JvmLaunchTest, EachRunGetsItsOwnTokenAlsoAsMainsFirstArgument) {
  ASSERT_TRUE(installJvm(testJvmLibrary()));
  ASSERT_TRUE(run({}).finished);
  ASSERT_TRUE(run({}).finished);

  // The report keeps both runs.
  const Records records = report();
  const std::vector<std::string> runTokens = tokens(records);
  ASSERT_EQ(runTokens.size(), 2u) << shown(records);
  EXPECT_TRUE(isToken(runTokens[0]));
  EXPECT_TRUE(isToken(runTokens[1]));
  EXPECT_NE(runTokens[0], runTokens[1]);
  EXPECT_EQ(valuesAfter(records, "arg 0 "), runTokens);
}

// -------------------------------------------------------------------------------------------
// The arguments of main

struct ArgumentsCase {
  const char* name;
  std::vector<std::u16string> windowsArguments;
  std::vector<std::u16string> posixArguments;
  std::optional<std::u16string> windowsFile;  // what main gets after the token, if anything
  std::optional<std::u16string> posixFile;
};

void PrintTo(const ArgumentsCase& c, std::ostream* out) { *out << c.name; }

class MainArgumentsTest : public JvmLaunchTest,
                          public ::testing::WithParamInterface<ArgumentsCase> {};

TEST_P(MainArgumentsTest, MainGetsTheTokenAndTheFileCodeUnitForCodeUnit) {
  const ArgumentsCase& c = GetParam();
  ASSERT_TRUE(installJvm(testJvmLibrary()));
  const LaunchResult result = run(isWindowsBuild() ? c.windowsArguments : c.posixArguments);
  ASSERT_TRUE(result.finished) << ::testing::PrintToString(result);
  EXPECT_EQ(result.exitCode, kExitSuccess);

  const Records records = report();
  ASSERT_TRUE(noComplaints(records));
  const std::vector<std::string> runTokens = tokens(records);
  ASSERT_EQ(runTokens.size(), 1u) << shown(records);
  std::vector<std::string> arguments{"0 " + runTokens[0]};
  if (const auto& file = isWindowsBuild() ? c.windowsFile : c.posixFile) {
    arguments.push_back("1 " + testjvm::escapeUtf16(*file));
  }
  EXPECT_EQ(valuesAfter(records, "main "),
            std::vector<std::string>{std::to_string(arguments.size())});
  EXPECT_EQ(valuesAfter(records, "arg "), arguments);
  EXPECT_TRUE(destroyedLast(records, "main "));
}

INSTANTIATE_TEST_SUITE_P(
    OpenFile, MainArgumentsTest,
    ::testing::Values(
        ArgumentsCase{"NoFile", {}, {}, std::nullopt, std::nullopt},
        ArgumentsCase{"EmptyValue", {u"-openfile:"}, {u"-openfile:"}, std::nullopt, std::nullopt},
        ArgumentsCase{"AbsoluteBeyondLatin1",
                      {u"-openfile:C:\\docs\\caf\u00E9 \u4E2D.lum"},
                      {u"-openfile:/tmp/caf\u00E9 \u4E2D.lum"},
                      u"C:\\docs\\caf\u00E9 \u4E2D.lum",
                      u"/tmp/caf\u00E9 \u4E2D.lum"},
        // Beyond the Basic Multilingual Plane: a surrogate pair in UTF-16.
        ArgumentsCase{"RelativeWithEmoji",
                      {u"-openfile:notes\\\U0001F3B5 \u00FC.lum"},
                      {u"-openfile:notes/\U0001F3B5 \u00FC.lum"},
                      u"notes\\\U0001F3B5 \u00FC.lum",
                      u"notes/\U0001F3B5 \u00FC.lum"}),
    [](const ::testing::TestParamInfo<ArgumentsCase>& info) { return info.param.name; });

// -------------------------------------------------------------------------------------------
// Runs that start the application

struct StartedRunCase {
  const char* name;
  JvmFlavour flavour;  // the one JVM library of the jre folder
  bool serverAttempted;
};

void PrintTo(const StartedRunCase& c, std::ostream* out) { *out << c.name; }

class StartedRunTest : public JvmLaunchTest,
                       public ::testing::WithParamInterface<StartedRunCase> {};

TEST_P(StartedRunTest, LogsEachStepAndDestroysTheJvmAfterMain) {
  ASSERT_TRUE(installJvm(testJvmLibrary(), {}, GetParam().flavour));
  ASSERT_TRUE(writeFile(startFolder() / "notes.lum", "a document\n"));

  const LaunchResult result = loggedRun({u"-openfile:notes.lum"});
  ASSERT_TRUE(result.finished) << ::testing::PrintToString(result);
  EXPECT_EQ(result.exitCode, kExitSuccess);
  // The client library comes first; the server library only when there is no client library.
  // Nothing follows the creation: the log is closed before the JVM is destroyed.
  std::string afterStart = kLookingForPrivateJre + attempt(clientAttempt());
  if (GetParam().serverAttempted) afterStart += attempt(serverAttempt());
  EXPECT_TRUE(logIs(log(), start_, afterStart + kCreated));

  const Records records = report();
  EXPECT_TRUE(noComplaints(records));
  EXPECT_EQ(valuesAfter(records, "arg 1 "), std::vector<std::string>{"notes.lum"});
  EXPECT_TRUE(destroyedLast(records, "main 2"));

  LUMORA_SKIP_UNLESS_BOXES_READ(result);
  EXPECT_TRUE(showedBoxes(result, {}));
}

INSTANTIATE_TEST_SUITE_P(
    JreFolder, StartedRunTest,
    ::testing::Values(StartedRunCase{"ClientLibrary", JvmFlavour::kClient, false},
                      StartedRunCase{"OnlyTheServerLibrary", JvmFlavour::kServer, true}),
    [](const ::testing::TestParamInfo<StartedRunCase>& info) { return info.param.name; });

// DestroyJavaVM stands for the JVM's wait for the application's last non-daemon thread: the
// launcher's process must not end before it returns.
TEST_F(JvmLaunchTest, TheProcessEndsOnlyAfterDestroyJavaVMReturns) {
  constexpr std::chrono::milliseconds kDestroyTakes{1500};
  ASSERT_TRUE(installJvm(testJvmLibrary(),
                         "destroy.sleep_ms=" + std::to_string(kDestroyTakes.count()) + "\n"));
  const auto started = std::chrono::steady_clock::now();
  const LaunchResult result = run({});
  const auto took = std::chrono::steady_clock::now() - started;
  ASSERT_TRUE(result.finished) << ::testing::PrintToString(result);
  EXPECT_EQ(result.exitCode, kExitSuccess);
  EXPECT_TRUE(destroyedLast(report(), "main 1"));
  EXPECT_GE(took, kDestroyTakes) << "the launcher ended while DestroyJavaVM was still waiting";
}

// Windows: a JVM library whose own DLL lies in the JRE's bin folder, as the real jvm.dll's
// runtime DLLs do, and nowhere else the loader looks by default.
TEST_F(JvmLaunchTest, AJvmLibraryFindsItsDependencyInTheJreBinFolder) {
  if (!isWindowsBuild()) GTEST_SKIP() << "a Windows DLL search rule";
  ASSERT_TRUE(installJvm(builtLibrary("testjvm_needsdep.dll", "")));
  std::error_code error;
  std::filesystem::copy_file(builtLibrary("lumoradep.dll", ""),
                             install_.privateJre() / "bin" / "lumoradep.dll", error);
  ASSERT_FALSE(error) << error.message();

  const LaunchResult result = run({});
  ASSERT_TRUE(result.finished) << ::testing::PrintToString(result);
  EXPECT_EQ(result.exitCode, kExitSuccess);
  const Records records = report();
  EXPECT_EQ(valuesAfter(records, "dependency "), std::vector<std::string>{"42"});
  EXPECT_TRUE(destroyedLast(records, "main 1"));
}

// -------------------------------------------------------------------------------------------
// Runs in which main cannot be called, or ends by throwing

struct TeardownCase {
  const char* name;
  const char* config;
  std::vector<ShownBox> boxes;
  const char* loggedAfterCreation;  // the log's texts after the JVM's creation
  const char* described;            // what the test JVM writes to standard error, if anything
  bool mainCalled;
};

void PrintTo(const TeardownCase& c, std::ostream* out) { *out << c.name; }

class TeardownTest : public JvmLaunchTest, public ::testing::WithParamInterface<TeardownCase> {};

TEST_P(TeardownTest, TheJvmIsStillDestroyed) {
  const TeardownCase& c = GetParam();
  ASSERT_TRUE(installJvm(testJvmLibrary(), c.config));
  const LaunchResult result = loggedRun();
  ASSERT_TRUE(result.finished) << ::testing::PrintToString(result);
  EXPECT_EQ(result.exitCode, kExitLaunchFailed);
  EXPECT_TRUE(logIs(log(), start_, createdFromClientLog() + c.loggedAfterCreation));

  const Records records = report();
  EXPECT_TRUE(noComplaints(records));
  EXPECT_EQ(valuesAfter(records, "main ").size(), c.mainCalled ? 1u : 0u) << shown(records);
  EXPECT_TRUE(destroyedLast(records));

  // The exception as the JVM describes it, on standard error; then the boxes, which on POSIX are
  // lines there too.
  LaunchResult boxesOnly = result;
  std::erase(boxesOnly.standardError, '\r');  // a Windows JVM ends the line with CR LF
  const std::string_view described = c.described;
  if (!described.empty()) {
    const std::size_t at = boxesOnly.standardError.find(described);
    ASSERT_NE(at, std::string::npos) << ::testing::PrintToString(result);
    boxesOnly.standardError.erase(at, described.size());
  }
  LUMORA_SKIP_UNLESS_BOXES_READ(result);
  EXPECT_TRUE(showedBoxes(boxesOnly, c.boxes));
}

INSTANTIATE_TEST_SUITE_P(
    Main, TeardownTest,
    ::testing::Values(
        TeardownCase{"ClassMissing", "mainclass=missing\n", {kLaunchFailedBox}, "", "", false},
        TeardownCase{"MethodMissing", "mainmethod=missing\n", {kLaunchFailedBox}, "", "", false},
        TeardownCase{"Throws", "main=throw\n", {},
                     "Java main() ended with an exception.\n"
                     "java.lang.IllegalStateException: thrown by the test main\n",
                     "Exception in thread \"main\" java.lang.IllegalStateException: thrown by "
                     "the test main\n",
                     true}),
    [](const ::testing::TestParamInfo<TeardownCase>& info) { return info.param.name; });

// -------------------------------------------------------------------------------------------
// A JVM library that refuses to create the JVM

class RefusedJvmTest : public JvmLaunchTest {
 protected:
  void SetUp() override {
    JvmLaunchTest::SetUp();
    if (HasFatalFailure()) return;
    // Without a display Wine's folder prompt cannot be answered, nor its boxes read.
    if (isWindowsBuild() && !windowsCanBeShown()) GTEST_SKIP() << "no usable display";
    ASSERT_TRUE(installJvm(testJvmLibrary(), "create=refuse\n"));
  }
};

TEST_F(RefusedJvmTest, TheSearchGoesOnToTheCancelledPromptAndTheLibraryIsUnloaded) {
  const LaunchResult result = loggedRun();
  ASSERT_TRUE(result.finished) << ::testing::PrintToString(result);
  EXPECT_EQ(result.exitCode, kExitLaunchFailed);

  std::string afterStart;
  ASSERT_TRUE(logStartsRun(log(), start_, &afterStart));
  EXPECT_TRUE(afterStart.starts_with(asLogged(kLookingForPrivateJre + attempt(clientAttempt()) +
                                              "Successfully loaded library. Attempting to "
                                              "create JVM.\n"
                                              "Unable to create JVM. Unloading library.\n")))
      << afterStart;
  EXPECT_TRUE(appearInOrder(afterStart, {asLogged("Looking for JRE configured in install "
                                                  "directory.\n"),
                                         asLogged("Looking for Veltra Deployed private JRE.\n"),
                                         asLogged("Looking for public JRE in registry.\n"),
                                         asLogged("Looking for JRE specified in user profile.\n"),
                                         asLogged("Prompting for JRE.\n")}));
  // The prompt came once, was cancelled, and ended the search.
  EXPECT_TRUE(afterStart.ends_with(asLogged("Prompting for JRE.\nPrompting for JRE location.\n")))
      << afterStart;

  const Records records = report();
  EXPECT_TRUE(noComplaints(records));
  EXPECT_EQ(valuesAfter(records, "create-result "), std::vector<std::string>{"-1"});
  EXPECT_TRUE(valuesAfter(records, "FindClass ").empty()) << shown(records);
  ASSERT_FALSE(records.empty());
  EXPECT_EQ(records.back(), "detach");

  LUMORA_SKIP_UNLESS_BOXES_READ(result);
  EXPECT_TRUE(showedBoxes(result, {kNoJvmBox}));
}

// The library is unloaded as soon as it refuses, not when the process ends: the next candidate,
// jrepath.cfg naming the same folder, loads it afresh.
TEST_F(RefusedJvmTest, TheNextCandidateLoadsTheRefusingLibraryAfresh) {
  const std::u8string jre = std::filesystem::path(install_.privateJre()).make_preferred().u8string();
  ASSERT_TRUE(install_.writeJrePath(std::string(jre.begin(), jre.end()) + "\n"));
  const LaunchResult result = run({});
  ASSERT_TRUE(result.finished) << ::testing::PrintToString(result);
  EXPECT_EQ(result.exitCode, kExitLaunchFailed);

  // Each attempt is a load, a refusal and an unload of its own.
  Records lifecycle;
  for (const std::string& record : report()) {
    if (record == "attach" || record == "detach" || record.starts_with("create-result")) {
      lifecycle.push_back(record);
    }
  }
  ASSERT_GE(lifecycle.size(), 6u) << shown(lifecycle);
  for (std::size_t i = 0; i < lifecycle.size(); ++i) {
    static const char* const kCycle[] = {"attach", "create-result -1", "detach"};
    EXPECT_EQ(lifecycle[i], kCycle[i % 3]) << "record " << i << " of\n" << shown(lifecycle);
  }
  EXPECT_EQ(lifecycle.size() % 3, 0u) << shown(lifecycle);
}

}  // namespace
}  // namespace lumora::testing
