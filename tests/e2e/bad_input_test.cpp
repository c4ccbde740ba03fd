// Bad input in the files the launcher reads: garbage with NUL bytes, empty files, folders and
// unreadable files in their place, malformed text, paths at the path limit, a line of megabytes,
// a lib folder of thousands of jars and a deployment registry of a hundred megabytes. Each case
// has a defined outcome (the JVM's options, the log of the candidate passed over, the box), and no
// run may crash, hang (the harness's time limit) or change a file it was given.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "e2e/launcher_test.h"
#include "e2e/outside_places.h"
#include "e2e/log_checks.h"
#include "support/installation.h"
#include "support/launcher_run.h"
#include "support/log_texts.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "testjvm/report.h"

namespace lumora::testing {
namespace {

using Records = std::vector<std::string>;

constexpr char kClassPathPrefix[] = "-Djava.class.path=";
constexpr char kTokenPrefix[] = "-Dkorvex.singleUser.token=";
constexpr std::size_t kPathLimit = 260;  // MAX_PATH: a path holds at most 259 code units
constexpr std::size_t kOptionPieceUnits = 8191;

// The texts that begin each candidate of the JRE search, and the prompt after them.
constexpr char kInstallCandidate[] = "Looking for JRE configured in install directory.\n";
constexpr char kDeployedCandidate[] = "Looking for Veltra Deployed private JRE.\n";
constexpr char kPublicCandidate[] = "Looking for public JRE in registry.\n";
constexpr char kUserCandidate[] = "Looking for JRE specified in user profile.\n";
constexpr char kPrompt[] = "Prompting for JRE.\n";

std::u16string utf16(const std::filesystem::path& path) {
  return std::filesystem::path(path).make_preferred().u16string();
}

std::string utf16le(std::u16string_view text) {
  std::string bytes;
  for (const char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

// Pseudo-random bytes of every value, NULs among them, from a fixed seed. Two rules keep their
// outcome known: Ctrl-Z, which would end the reading early, is left out, and every line begins
// with 0xFF, which is never UTF-8, so that the text reader counts no line of it; nor can it be
// properties that name anything, or XML.
std::string garbage(std::size_t size) {
  std::string bytes(size, '\0');
  std::uint32_t state = 0x4C554D4F;
  for (char& byte : bytes) {
    state = state * 1664525u + 1013904223u;
    const auto value = static_cast<unsigned char>(state >> 24);
    byte = static_cast<char>(value == 0x1A ? 0x00 : value);
  }
  bytes[0] = '\0';
  for (std::size_t i = 1; i < size; ++i) {
    if (i == 1 || bytes[i - 1] == '\n') bytes[i] = '\xFF';
  }
  return bytes;
}

// A value in the properties format: backslashes and colons escaped, as the deployment tool writes
// them.
std::string propertiesValue(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    if (c == '\\' || c == ':' || c == '=') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

std::string xmlAttribute(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    escaped += c == '&' ? "&amp;" : c == '"' ? "&quot;" : c == '<' ? "&lt;" : std::string(1, c);
  }
  return escaped;
}

// A deployment registry that records `jre` as the deployed JRE, with `filler` (well-formed XML
// content) ahead of the keys that lead to it.
std::string registryNaming(const std::filesystem::path& jre, std::string_view filler = {}) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Registry>";
  xml += filler;
  xml +=
      "<Key name=\"Machine\"><Key name=\"INSTALL\"><Key name=\"win\"><Key name=\"javaruntime\">"
      "<Key name=\"9.4\"><Value name=\"location\" data=\"" +
      xmlAttribute(utf8(jre)) + "\"/></Key></Key></Key></Key></Key></Registry>\n";
  return xml;
}

// The texts the loader logs when it tries the JVM libraries of `jre` and neither loads.
std::string failedAttempts(const std::filesystem::path& jre) {
  return "Attempting to load jvm.dll.\n" +
         utf8(Installation::jvmLibraryPath(jre, JvmFlavour::kClient)) +
         "\nAttempting to load jvm.dll.\n" +
         utf8(Installation::jvmLibraryPath(jre, JvmFlavour::kServer)) + "\n";
}

Records reportOf(const std::filesystem::path& jre) {
  return testjvm::readReport(Installation::jvmLibraryPath(jre, JvmFlavour::kClient).parent_path() /
                             testjvm::kReportFileName);
}

bool createdJvm(const Records& report) {
  return std::find(report.begin(), report.end(), "create-result 0") != report.end();
}

// The options the JVM was created with, as the bytes the launcher passed.
std::vector<std::string> jvmOptions(const Records& report) {
  std::vector<std::string> options;
  for (const std::string& record : report) {
    if (!record.starts_with("option ")) continue;
    options.push_back(testjvm::unescapeBytes(record.substr(7)).value_or("<not a recorded text>"));
  }
  return options;
}

// The options after the class path and the token, which must come first.
::testing::AssertionResult optionsAfterToken(const Records& report,
                                             std::vector<std::string>* rest) {
  std::vector<std::string> options = jvmOptions(report);
  if (options.size() < 2 || !options[0].starts_with(kClassPathPrefix) ||
      !options[1].starts_with(kTokenPrefix)) {
    return ::testing::AssertionFailure()
           << "the JVM did not get the class path and the token first: "
           << ::testing::PrintToString(options);
  }
  rest->assign(options.begin() + 2, options.end());
  return ::testing::AssertionSuccess();
}

// Lets every user into the temporary folder: folders open and writable (the test JVM writes its
// report, the launcher its log), files readable. For runs as an unprivileged user.
void openToEveryone(const std::filesystem::path& root) {
  using std::filesystem::perms;
  std::error_code ignored;
  std::filesystem::permissions(root, perms::all, std::filesystem::perm_options::add, ignored);
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root, ignored)) {
    const perms added = entry.is_directory() ? perms::all : perms::owner_read | perms::group_read |
                                                                perms::others_read;
    std::filesystem::permissions(entry.path(), added, std::filesystem::perm_options::add, ignored);
  }
}

// The base of every group: an installation of the launcher, and the per-user and machine-wide
// files of the JRE search kept in their place for the test.
class BadInputTest : public ::testing::Test {
 protected:
  explicit BadInputTest(std::u16string_view folderName = u"app") : install_(folderName) {}

  void SetUp() override {
    ASSERT_EQ(install_.problem(), "");
    ASSERT_TRUE(userFile_.path().is_absolute()) << "no per-user application-data folder";
    ASSERT_TRUE(veltraFolder_.path().is_absolute()) << "no machine-wide application-data folder";
  }

  std::filesystem::path root() const { return install_.root(); }
  std::filesystem::path startFolder() const { return install_.makeFolder(u"start"); }
  const std::filesystem::path& userJrePathFile() const { return userFile_.path(); }
  std::filesystem::path preferencesFile() const {
    return veltraFolder_.path() / "VeltraSetupManager" / "vsmpreferences.txt";
  }
  // Where the deployment tool's installation root is, and its registry there.
  std::filesystem::path deploymentRoot() const { return root() / "deploy"; }
  std::filesystem::path deploymentRegistry() const {
    return deploymentRoot() / "setupledger" / "registry.xml";
  }

  // The test JVM as the client JVM library of `jre`, with these settings.
  static ::testing::AssertionResult installTestJvm(const std::filesystem::path& jre,
                                                   std::string_view config = {}) {
    ::testing::AssertionResult done =
        Installation::installJvm(testJvmLibrary(), jre, JvmFlavour::kClient);
    if (done && !config.empty()) {
      done = Installation::writeTestJvmConfig(
          Installation::jvmLibraryPath(jre, JvmFlavour::kClient), config);
    }
    return done;
  }

  // A working JVM in a folder of its own, named by the per-user file: the search's last
  // candidate before the prompt.
  std::filesystem::path fallbackJre() const { return root() / "fallback"; }
  ::testing::AssertionResult useFallbackJre() const {
    ::testing::AssertionResult done = installTestJvm(fallbackJre());
    return done ? writeFile(userJrePathFile(), utf8(fallbackJre())) : done;
  }

  ::testing::AssertionResult writePreferences() const {
    return writeFile(preferencesFile(),
                     "VeltraHome=" + propertiesValue(utf8(deploymentRoot())) + "\n");
  }

  // Runs the launcher with a log in the start folder, as `identity` if given.
  LaunchResult launch(std::optional<Identity> identity = std::nullopt) const {
    LaunchRequest request;
    request.arguments = {u"-log:" + utf16(startFolder() / "run.log")};
    request.identity = identity;
    return runLauncher(install_, request);
  }

  // The run's log with its byte-order mark dropped and CR LF as LF, as the launcher's texts are.
  std::string log() const { return logTexts(startFolder() / "run.log"); }

  // What the log holds between the texts `from` and `to`.
  ::testing::AssertionResult logBetweenIs(std::string_view from, std::string_view to,
                                          std::string_view expected) const {
    const std::string text = log();
    const std::size_t start = text.find(from);
    const std::size_t end =
        start == std::string::npos ? start : text.find(to, start + from.size());
    if (end == std::string::npos) {
      return ::testing::AssertionFailure()
             << "the log does not hold \"" << from << "\" and then \"" << to << "\":\n"
             << text;
    }
    const std::string between = text.substr(start + from.size(), end - start - from.size());
    if (between == expected) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "between \"" << from << "\" and \"" << to
                                         << "\" the log holds\n"
                                         << between << "\ninstead of\n"
                                         << expected << "\nThe whole log:\n"
                                         << text;
  }

  ::testing::AssertionResult logHolds(std::string_view expected) const {
    const std::string text = log();
    if (text.find(expected) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the log does not hold\n"
                                         << expected << "\nThe log:\n"
                                         << text;
  }

  Installation install_;
  PlacedOutside userFile_{userDataFolder(install_) / "lumorajrepath.cfg"};
  PlacedOutside veltraFolder_{machineDataFolder(install_) / "Veltra"};
};

// A search that ends in the prompt can be seen through only where the prompt can be cancelled.
#define LUMORA_SKIP_UNLESS_PROMPT_ANSWERED()            \
  if (messageBoxesAreWindows() && !windowsCanBeShown()) \
  GTEST_SKIP() << "no usable display: the folder prompt cannot be answered"

// ---------------------------------------------------------------------------------------------
// Every file the launcher reads, damaged: garbage, empty, a folder in its place, unreadable.

enum class ConfigFile { kJvmOptions, kInstallJrePath, kPreferences, kRegistry, kUserJrePath };
enum class Damage { kGarbage, kEmpty, kFolder, kUnreadable };

struct DamagedFileCase {
  const char* name;
  ConfigFile file;
  Damage damage;
};

void PrintTo(const DamagedFileCase& c, std::ostream* out) { *out << c.name; }

class DamagedFileTest : public BadInputTest,
                        public ::testing::WithParamInterface<DamagedFileCase> {
 protected:
  std::filesystem::path damagedPath() const {
    switch (GetParam().file) {
      case ConfigFile::kJvmOptions:
        return install_.folder() / "jvmoptions.cfg";
      case ConfigFile::kInstallJrePath:
        return install_.folder() / "jrepath.cfg";
      case ConfigFile::kPreferences:
        return preferencesFile();
      case ConfigFile::kRegistry:
        return deploymentRegistry();
      case ConfigFile::kUserJrePath:
        return userJrePathFile();
    }
    return {};
  }

  // A JRE folder with a working JVM that the file names when it can be read; the run must not
  // use it.
  std::filesystem::path unreadJre() const { return root() / "unread"; }
  std::filesystem::path noJre() const { return root() / "nojre"; }

  // Content that would work if the launcher could read it.
  std::string workingContent() const {
    switch (GetParam().file) {
      case ConfigFile::kJvmOptions:
        return "-Dunread=1\n";
      case ConfigFile::kInstallJrePath:
      case ConfigFile::kUserJrePath:
        return utf8(unreadJre());
      case ConfigFile::kPreferences:
        return "VeltraHome=" + propertiesValue(utf8(deploymentRoot())) + "\n";
      case ConfigFile::kRegistry:
        return registryNaming(unreadJre());
    }
    return {};
  }

  // A JVM where the search reaches it after the damaged file's candidate, and what that
  // candidate needs from the other files.
  ::testing::AssertionResult arrange() const {
    switch (GetParam().file) {
      case ConfigFile::kJvmOptions:
        return installTestJvm(install_.privateJre());
      case ConfigFile::kInstallJrePath:
      case ConfigFile::kPreferences:
        return useFallbackJre();
      case ConfigFile::kRegistry: {
        ::testing::AssertionResult done = useFallbackJre();
        return done ? writePreferences() : done;
      }
      case ConfigFile::kUserJrePath:
        // jrepath.cfg leaves a folder without a JVM behind, which the per-user candidate then
        // tries again when its own file gives nothing.
        install_.makeFolder(u"nojre");
        return install_.writeJrePath(utf8(noJre()));
    }
    return ::testing::AssertionFailure();
  }

  // Damages the file; returns what it then holds ("<folder>" and the folder's entries for a
  // folder).
  ::testing::AssertionResult damage(std::string* content) const {
    const std::filesystem::path path = damagedPath();
    switch (GetParam().damage) {
      case Damage::kGarbage:
        *content = garbage(64 * 1024);
        return writeFile(path, *content);
      case Damage::kEmpty:
        *content = "";
        return writeFile(path, *content);
      case Damage::kFolder:
        *content = "<folder>";
        return writeFile(path / "kept.txt", "a file in the folder\n");
      case Damage::kUnreadable: {
        *content = workingContent();
        ::testing::AssertionResult done = installTestJvm(unreadJre());
        if (done && GetParam().file == ConfigFile::kPreferences) {
          done = writeFile(deploymentRegistry(), registryNaming(unreadJre()));
        }
        return done ? writeFile(path, *content) : done;
      }
    }
    return ::testing::AssertionFailure();
  }

  std::string contentAfterwards() const {
    const std::filesystem::path path = damagedPath();
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
      std::string listing = "<folder>";
      for (const auto& [name, bytes] : folderContent(path)) listing += " " + name + "=" + bytes;
      return listing == "<folder> kept.txt=a file in the folder\n" ? "<folder>" : listing;
    }
    std::filesystem::permissions(path, std::filesystem::perms::owner_read,
                                 std::filesystem::perm_options::add, ignored);
    return readBytes(path);
  }

  // What the log holds from the deployed JRE's candidate up to the public JRE's when the
  // preferences file was read (or not), and more.
  std::string preferencesRead(bool read) const {
    std::string text = "Attempting to read vsmpreferences.txt.\n" + utf8(preferencesFile()) + "\n";
    if (read) text += "vsmpreferences.txt read successfully.\n";
    return text;
  }

  // The defined outcome of the run for the damaged file.
  void expectOutcome(const LaunchResult& result) const {
    const bool readable =
        GetParam().damage == Damage::kGarbage || GetParam().damage == Damage::kEmpty;
    switch (GetParam().file) {
      case ConfigFile::kJvmOptions: {
        // Nothing from the file, and the launch goes on.
        EXPECT_EQ(result.exitCode, kExitSuccess);
        std::vector<std::string> fromFile;
        ASSERT_TRUE(optionsAfterToken(reportOf(install_.privateJre()), &fromFile));
        EXPECT_EQ(fromFile, std::vector<std::string>{});
        break;
      }
      case ConfigFile::kInstallJrePath:
        // No folder, no log text: the search goes on to the next candidate.
        EXPECT_EQ(result.exitCode, kExitSuccess);
        EXPECT_TRUE(createdJvm(reportOf(fallbackJre())));
        EXPECT_TRUE(logBetweenIs(kInstallCandidate, kDeployedCandidate, ""));
        break;
      case ConfigFile::kPreferences:
        EXPECT_EQ(result.exitCode, kExitSuccess);
        EXPECT_TRUE(createdJvm(reportOf(fallbackJre())));
        EXPECT_TRUE(logBetweenIs(kDeployedCandidate, kPublicCandidate, preferencesRead(readable)));
        break;
      case ConfigFile::kRegistry:
        EXPECT_EQ(result.exitCode, kExitSuccess);
        EXPECT_TRUE(createdJvm(reportOf(fallbackJre())));
        EXPECT_TRUE(logBetweenIs(kDeployedCandidate, kPublicCandidate,
                                 preferencesRead(true) +
                                     "VeltraHome property found successfully.\n"
                                     "Looking for deployment registry.\n" +
                                     utf8(deploymentRegistry()) +
                                     "\nSuccessfully created MSXML document.\n"));
        break;
      case ConfigFile::kUserJrePath:
        // The folder jrepath.cfg left is tried again, then the prompt is cancelled.
        EXPECT_EQ(result.exitCode, kExitLaunchFailed);
        EXPECT_TRUE(logBetweenIs(kUserCandidate, kPrompt, failedAttempts(noJre())));
        if (result.boxSource != BoxSource::kUnreadable) {
          EXPECT_TRUE(showedBoxes(result, {kNoJvmBox}));
        }
        break;
    }
    EXPECT_TRUE(reportOf(unreadJre()).empty()) << "the JVM of the unreadable file's content ran";
  }
};

TEST_P(DamagedFileTest, IsPassedOverAndLeftAsItWas) {
  if (GetParam().file == ConfigFile::kUserJrePath) LUMORA_SKIP_UNLESS_PROMPT_ANSWERED();
  ASSERT_TRUE(arrange());
  std::string content;
  ASSERT_TRUE(damage(&content));

  // An unreadable file: on POSIX without read permission, and as root reads any file, the
  // launcher then runs as an unprivileged user. Wine keeps no access control lists (and runs as
  // this machine's user, root here), so there the test holds the file open without sharing, and
  // the launcher's open fails alike.
  const bool unreadable = GetParam().damage == Damage::kUnreadable;
  std::optional<Identity> identity;
  std::optional<ExclusiveHold> hold =
      unreadable && isWindowsBuild() ? ExclusiveHold::take(damagedPath()) : std::nullopt;
  if (unreadable) {
    if (isWindowsBuild()) {
      ASSERT_TRUE(hold) << "cannot hold the file";
    } else {
      identity = unprivilegedIdentity();
      startFolder();  // made now, so that the unprivileged launcher can write its log there
      openToEveryone(root());
      std::error_code error;
      std::filesystem::permissions(damagedPath(), std::filesystem::perms::none, error);
      ASSERT_FALSE(error) << error.message();
    }
  }

  const LaunchResult result = launch(identity);
  hold.reset();
  ASSERT_TRUE(result.finished) << ::testing::PrintToString(result);
  expectOutcome(result);
  EXPECT_EQ(contentAfterwards(), content) << "the launcher changed the file";
}

constexpr DamagedFileCase kDamagedFileCases[] = {
    {"JvmOptionsGarbage", ConfigFile::kJvmOptions, Damage::kGarbage},
    {"JvmOptionsEmpty", ConfigFile::kJvmOptions, Damage::kEmpty},
    {"JvmOptionsFolder", ConfigFile::kJvmOptions, Damage::kFolder},
    {"JvmOptionsUnreadable", ConfigFile::kJvmOptions, Damage::kUnreadable},
    {"InstallJrePathGarbage", ConfigFile::kInstallJrePath, Damage::kGarbage},
    {"InstallJrePathEmpty", ConfigFile::kInstallJrePath, Damage::kEmpty},
    {"InstallJrePathFolder", ConfigFile::kInstallJrePath, Damage::kFolder},
    {"InstallJrePathUnreadable", ConfigFile::kInstallJrePath, Damage::kUnreadable},
    {"PreferencesGarbage", ConfigFile::kPreferences, Damage::kGarbage},
    {"PreferencesEmpty", ConfigFile::kPreferences, Damage::kEmpty},
    {"PreferencesFolder", ConfigFile::kPreferences, Damage::kFolder},
    {"PreferencesUnreadable", ConfigFile::kPreferences, Damage::kUnreadable},
    {"RegistryGarbage", ConfigFile::kRegistry, Damage::kGarbage},
    {"RegistryEmpty", ConfigFile::kRegistry, Damage::kEmpty},
    {"RegistryFolder", ConfigFile::kRegistry, Damage::kFolder},
    {"RegistryUnreadable", ConfigFile::kRegistry, Damage::kUnreadable},
    {"UserJrePathGarbage", ConfigFile::kUserJrePath, Damage::kGarbage},
    {"UserJrePathEmpty", ConfigFile::kUserJrePath, Damage::kEmpty},
    {"UserJrePathFolder", ConfigFile::kUserJrePath, Damage::kFolder},
    {"UserJrePathUnreadable", ConfigFile::kUserJrePath, Damage::kUnreadable},
};

INSTANTIATE_TEST_SUITE_P(Files, DamagedFileTest, ::testing::ValuesIn(kDamagedFileCases),
                         [](const ::testing::TestParamInfo<DamagedFileCase>& info) {
                           return info.param.name;
                         });

// ---------------------------------------------------------------------------------------------
// Malformed text in jvmoptions.cfg: a line that holds bytes that are not UTF-8, or a lone
// surrogate, is skipped, and the lines around it still reach the JVM; a NUL ends an option.

struct OptionsTextCase {
  const char* name;
  std::string bytes;
  std::vector<std::string> options;  // what the JVM gets after the class path and the token
};

void PrintTo(const OptionsTextCase& c, std::ostream* out) { *out << c.name; }

class OptionsTextTest : public BadInputTest,
                        public ::testing::WithParamInterface<OptionsTextCase> {};

TEST_P(OptionsTextTest, BadLinesAreSkippedAndTheRestArrives) {
  ASSERT_TRUE(installTestJvm(install_.privateJre()));
  ASSERT_TRUE(install_.writeJvmOptions(GetParam().bytes));

  const LaunchResult result = launch();
  ASSERT_TRUE(result.finished) << ::testing::PrintToString(result);
  EXPECT_EQ(result.exitCode, kExitSuccess);
  std::vector<std::string> fromFile;
  ASSERT_TRUE(optionsAfterToken(reportOf(install_.privateJre()), &fromFile));
  EXPECT_EQ(fromFile, GetParam().options);
}

// A line of garbage without line feeds, between two good lines.
std::string garbageLine() {
  std::string line = garbage(4000);
  std::replace(line.begin(), line.end(), '\n', '\xFF');
  return line;
}

const OptionsTextCase kOptionsTextCases[] = {
    {"GarbageBetweenGoodLines",
     "-Dbefore=1\n" + garbageLine() + "\n-Dafter=2\n",
     {"-Dbefore=1", "-Dafter=2"}},
    {"NulEndsAnOption",
     std::string("-Da=1\0tail\n\0\n-Db=2\n", 19),
     {"-Da=1", "", "-Db=2"}},
    {"InvalidUtf8",
     "-Da=1\n"
     "-Dtruncated=\xC3(\n"
     "-Doverlong=\xC0\xAF\n"
     "-Dencodedsurrogate=\xED\xA0\x80\n"
     "-Dbeyond=\xF4\x90\x80\x80\n"
     "\xFF\n"
     "-Db=2\n"
     "-Dcutatend=\xE2\x82",
     {"-Da=1", "-Db=2"}},
    {"InvalidUtf8AfterByteOrderMark", "\xEF\xBB\xBF\x80-Da=1\n-Db=2\n", {"-Db=2"}},
    {"Utf16LoneSurrogates",
     "\xFF\xFE" + utf16le(u"-Da=1\r\n-Dhigh=\xD800\r\n\xDC00-Dlow\r\n-Dswapped=\xDE00\xD83D\r\n"
                          u"-Db=2\r\n-Dlast=\xD83D"),
     {"-Da=1", "-Db=2"}},
    {"Utf16OddByteAtTheEnd", "\xFF\xFE" + utf16le(u"-Da=1\n") + "x", {"-Da=1"}},
};

INSTANTIATE_TEST_SUITE_P(Lines, OptionsTextTest, ::testing::ValuesIn(kOptionsTextCases),
                         [](const ::testing::TestParamInfo<OptionsTextCase>& info) {
                           return info.param.name;
                         });

// ---------------------------------------------------------------------------------------------
// Malformed text in the path files. A first line with bytes that are not UTF-8 gives no folder,
// even where U+FFFD in their place would name a working JRE; a lone surrogate of a UTF-16 file
// is kept, so the folder it names cannot be loaded either. A NUL ends the folder.

enum class PathFile { kInstall, kUser };

// What the launcher makes of the first line.
enum class Reading {
  kNothing,     // no folder, nothing logged: the search goes on
  kUnloadable,  // a folder that is logged and tried, and cannot be loaded
  kTheJre,      // the folder with the working JVM
};

struct PathTextCase {
  const char* name;
  // The file's bytes, given the folder that holds a working JVM: its name ends in U+FFFD, and
  // the same folder without that character is `base`.
  std::string (*bytes)(const std::filesystem::path& base, const std::filesystem::path& jre);
  Reading reading;
};

struct PathTextParam {
  PathFile file;
  PathTextCase text;
};

void PrintTo(const PathTextParam& p, std::ostream* out) { *out << p.text.name; }

class PathTextTest : public BadInputTest, public ::testing::WithParamInterface<PathTextParam> {
 protected:
  std::filesystem::path base() const { return root() / "bad"; }
  std::filesystem::path jre() const { return root() / u"bad\uFFFD"; }
};

TEST_P(PathTextTest, GivesTheDefinedFolder) {
  const bool install = GetParam().file == PathFile::kInstall;
  const Reading reading = GetParam().text.reading;
  ASSERT_TRUE(installTestJvm(jre()));
  const std::string bytes = GetParam().text.bytes(base(), jre());
  if (install) {
    ASSERT_TRUE(install_.writeJrePath(bytes));
    ASSERT_TRUE(useFallbackJre());
  } else {
    ASSERT_TRUE(writeFile(userJrePathFile(), bytes));
    if (reading != Reading::kTheJre) LUMORA_SKIP_UNLESS_PROMPT_ANSWERED();
  }

  const LaunchResult result = launch();
  ASSERT_TRUE(result.finished) << ::testing::PrintToString(result);
  EXPECT_EQ(createdJvm(reportOf(jre())), reading == Reading::kTheJre);
  if (reading == Reading::kTheJre) {
    EXPECT_EQ(result.exitCode, kExitSuccess);
    return;
  }
  if (install) {
    EXPECT_EQ(result.exitCode, kExitSuccess);  // from the next candidate
    EXPECT_TRUE(createdJvm(reportOf(fallbackJre())));
  } else {
    EXPECT_EQ(result.exitCode, kExitLaunchFailed);  // the prompt after it is cancelled
  }
  const std::string candidate = install ? kInstallCandidate : kUserCandidate;
  if (reading == Reading::kNothing) {
    // The user's candidate tries what the earlier ones left: here nothing, the empty folder.
    EXPECT_TRUE(logBetweenIs(candidate, install ? kDeployedCandidate : kPrompt,
                             install ? "" : failedAttempts("")));
  } else {
    // A lone surrogate is logged as U+FFFD.
    EXPECT_TRUE(logHolds(candidate + "Path read from config file.\n" + utf8(jre()) + "\n"));
  }
}

const PathTextCase kPathTextCases[] = {
    {"InvalidUtf8",
     [](const std::filesystem::path& base, const std::filesystem::path&) {
       return utf8(base) + "\xFF\n";
     },
     Reading::kNothing},
    {"Utf8CutShortAtTheEnd",
     [](const std::filesystem::path& base, const std::filesystem::path&) {
       return utf8(base) + "\xEF\xBF";
     },
     Reading::kNothing},
    {"Utf16LoneSurrogate",
     [](const std::filesystem::path& base, const std::filesystem::path&) {
       return "\xFF\xFE" + utf16le(utf16(base) + u"\xD800\r\n");
     },
     Reading::kUnloadable},
    // The controls: the same folder, well encoded, works.
    {"Utf16", [](const std::filesystem::path&,
                 const std::filesystem::path& jre) { return "\xFF\xFE" + utf16le(utf16(jre)); },
     Reading::kTheJre},
    {"NulEndsTheFolder",
     [](const std::filesystem::path&, const std::filesystem::path& jre) {
       return utf8(jre) + std::string("\0 and more\n", 11);
     },
     Reading::kTheJre},
};

std::vector<PathTextParam> pathTextParams() {
  std::vector<PathTextParam> params;
  for (const PathFile file : {PathFile::kInstall, PathFile::kUser}) {
    for (const PathTextCase& text : kPathTextCases) params.push_back({file, text});
  }
  return params;
}

INSTANTIATE_TEST_SUITE_P(Files, PathTextTest, ::testing::ValuesIn(pathTextParams()),
                         [](const ::testing::TestParamInfo<PathTextParam>& info) {
                           return std::string(info.param.file == PathFile::kInstall
                                                  ? "InstallJrePath"
                                                  : "UserJrePath") +
                                  info.param.text.name;
                         });

// ---------------------------------------------------------------------------------------------
// Paths at the limit, in an installation folder deep enough for them: 259 code units work, 260
// give the defined failure.

enum class Limit {
  kJvmLibraryPath,  // the JVM library of jrepath.cfg's folder (relative, resolved)
  kResolvedFolder,  // jrepath.cfg's relative folder once resolved
  kClassPathEntry,  // a jar of the lib folder
};

struct PathLimitCase {
  const char* name;
  Limit limit;
  std::size_t units;
};

void PrintTo(const PathLimitCase& c, std::ostream* out) { *out << c.name; }

// Path elements of at most 100 units: a relative path of exactly `units` code units.
std::u16string relativePathOf(std::size_t units) {
  const std::u16string separator(1, isWindowsBuild() ? u'\\' : u'/');
  std::u16string path;
  std::size_t left = units;
  for (char16_t letter = u'a'; left > 101; ++letter, left -= 101) {
    path += std::u16string(100, letter) + separator;
  }
  if (left == 101) return path + std::u16string(50, u'y') + separator + std::u16string(50, u'z');
  return path + std::u16string(left, u'z');
}

class PathLimitTest : public BadInputTest, public ::testing::WithParamInterface<PathLimitCase> {
 protected:
  PathLimitTest() : BadInputTest(u"deep/" + std::u16string(100, u'd')) {}

  // The installation folder as the launcher knows it (links resolved), in code units.
  std::u16string installFolder() const {
    const std::string folder = loggedFolder(install_.folder());
    return std::filesystem::path(std::u8string(folder.begin(), folder.end())).u16string();
  }

  // The relative text whose resolution against the installation folder has `units` code units.
  std::u16string relativeFolderOf(std::size_t units) const {
    return relativePathOf(units - installFolder().size() - 1);
  }
};

TEST_P(PathLimitTest, FitsUpTo259Units) {
  const PathLimitCase& c = GetParam();
  const bool fits = c.units < kPathLimit;
  const std::size_t librarySuffix =
      utf16(Installation::jvmLibraryPath("x", JvmFlavour::kClient)).size() - 1;
  // Room for the launcher's own files beside it, and for a JRE folder inside it.
  ASSERT_LT(installFolder().size() + 40, kPathLimit) << "the temporary folder is too deep";

  if (c.limit == Limit::kClassPathEntry) {
    const std::size_t nameUnits = c.units - installFolder().size() - 5;  // separator, lib, sep
    const std::u16string name = std::u16string(nameUnits - 4, u'j') + u".jar";
    ASSERT_TRUE(install_.addJars({name}));
    ASSERT_TRUE(installTestJvm(install_.privateJre()));
    ASSERT_EQ(utf16(std::filesystem::path(installFolder()) / "lib" / name).size(), c.units);

    const LaunchResult result = launch();
    ASSERT_TRUE(result.finished) << ::testing::PrintToString(result);
    if (fits) {
      EXPECT_EQ(result.exitCode, kExitSuccess);
      const std::vector<std::string> options = jvmOptions(reportOf(install_.privateJre()));
      ASSERT_FALSE(options.empty());
      EXPECT_EQ(options[0], kClassPathPrefix +
                                utf8(std::filesystem::path(installFolder()) / "lib" / name));
    } else {
      // No class path option, so no JVM is started at all.
      EXPECT_EQ(result.exitCode, kExitLaunchFailed);
      EXPECT_EQ(reportOf(install_.privateJre()), Records{});
      if (result.boxSource != BoxSource::kUnreadable) {
        EXPECT_TRUE(showedBoxes(result, {kNoJvmBox}));
      }
    }
    return;
  }

  const std::size_t folderUnits =
      c.limit == Limit::kJvmLibraryPath ? c.units - librarySuffix : c.units;
  const std::u16string relative = relativeFolderOf(folderUnits);
  const std::filesystem::path jre = std::filesystem::path(installFolder()) / relative;
  ASSERT_EQ(utf16(jre).size(), folderUnits);
  ASSERT_TRUE(installTestJvm(jre));
  ASSERT_TRUE(install_.writeJrePath(utf8(relative)));
  ASSERT_TRUE(useFallbackJre());

  const LaunchResult result = launch();
  ASSERT_TRUE(result.finished) << ::testing::PrintToString(result);
  EXPECT_EQ(result.exitCode, kExitSuccess);
  const bool fromJrePath = c.limit == Limit::kJvmLibraryPath && fits;
  EXPECT_EQ(createdJvm(reportOf(jre)), fromJrePath);
  EXPECT_EQ(createdJvm(reportOf(fallbackJre())), !fromJrePath);
  if (fromJrePath) return;

  std::string expected = "Path read from config file.\n" + utf8(relative) +
                         "\nConverting relative path to an absolute path.\n";
  if (c.limit == Limit::kJvmLibraryPath || fits) {
    // The library's path cannot be formed: the folder is logged in its place, and not loaded.
    expected += "Attempting to load jvm.dll.\n" + utf8(jre) + "\nAttempting to load jvm.dll.\n" +
                utf8(jre) + "\n";
  }
  EXPECT_TRUE(logBetweenIs(kInstallCandidate, kDeployedCandidate, expected));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PathLimitTest,
    ::testing::Values(PathLimitCase{"JvmLibraryOf259Units", Limit::kJvmLibraryPath, 259},
                      PathLimitCase{"JvmLibraryOf260Units", Limit::kJvmLibraryPath, 260},
                      PathLimitCase{"ResolvedJrePathOf259Units", Limit::kResolvedFolder, 259},
                      PathLimitCase{"ResolvedJrePathOf260Units", Limit::kResolvedFolder, 260},
                      PathLimitCase{"ClassPathEntryOf259Units", Limit::kClassPathEntry, 259},
                      PathLimitCase{"ClassPathEntryOf260Units", Limit::kClassPathEntry, 260}),
    [](const ::testing::TestParamInfo<PathLimitCase>& info) { return info.param.name; });

// ---------------------------------------------------------------------------------------------
// Sheer size: a line of megabytes, a lib folder of thousands of jars, a registry of a hundred
// megabytes. Each arrives whole.

class HugeInputTest : public BadInputTest {};

TEST_F(HugeInputTest, ALineOfTenMegabytesArrivesInPiecesOf8191Units) {
  std::string line(10 * 1024 * 1024, '\0');
  for (std::size_t i = 0; i < line.size(); ++i) line[i] = static_cast<char>('a' + i % 26);
  ASSERT_TRUE(installTestJvm(install_.privateJre()));
  ASSERT_TRUE(install_.writeJvmOptions("-Dbefore=1\n" + line + "\n-Dafter=2\n"));

  const LaunchResult result = launch();
  ASSERT_TRUE(result.finished) << ::testing::PrintToString(result);
  EXPECT_EQ(result.exitCode, kExitSuccess);
  std::vector<std::string> options;
  ASSERT_TRUE(optionsAfterToken(reportOf(install_.privateJre()), &options));
  const std::size_t pieces = (line.size() + kOptionPieceUnits - 1) / kOptionPieceUnits;
  ASSERT_EQ(options.size(), pieces + 2);
  EXPECT_EQ(options.front(), "-Dbefore=1");
  EXPECT_EQ(options.back(), "-Dafter=2");
  std::string joined;
  for (std::size_t i = 1; i <= pieces; ++i) {
    const std::size_t expectedSize =
        i < pieces ? kOptionPieceUnits : line.size() - (pieces - 1) * kOptionPieceUnits;
    ASSERT_EQ(options[i].size(), expectedSize) << "piece " << i;
    joined += options[i];
  }
  EXPECT_TRUE(joined == line) << "the pieces do not make up the line";
}

TEST_F(HugeInputTest, TenThousandJarsAllJoinTheClassPath) {
  std::vector<std::u16string> names;
  for (int i = 0; i < 10000; ++i) {
    const std::string number = std::to_string(100000 + i).substr(1);
    names.push_back(u"library-" + std::u16string(number.begin(), number.end()) + u".jar");
  }
  ASSERT_TRUE(install_.addJars(names));
  ASSERT_TRUE(installTestJvm(install_.privateJre()));

  const LaunchResult result = launch();
  ASSERT_TRUE(result.finished) << ::testing::PrintToString(result);
  EXPECT_EQ(result.exitCode, kExitSuccess);
  const std::vector<std::string> options = jvmOptions(reportOf(install_.privateJre()));
  ASSERT_FALSE(options.empty());
  ASSERT_TRUE(options[0].starts_with(kClassPathPrefix));

  const std::string libFolder = utf8(std::filesystem::path(loggedFolder(install_.folder())) / "lib");
  std::vector<std::string> entries;
  std::string_view rest = std::string_view(options[0]).substr(sizeof kClassPathPrefix - 1);
  const char separator = isWindowsBuild() ? ';' : ':';
  for (std::size_t end; (end = rest.find(separator)) != std::string_view::npos;) {
    entries.emplace_back(rest.substr(0, end));
    rest.remove_prefix(end + 1);
  }
  entries.emplace_back(rest);
  std::vector<std::string> expected;
  for (const std::u16string& name : names) {
    expected.push_back(utf8(std::filesystem::path(libFolder) / name));
  }
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries.size(), expected.size());
  EXPECT_TRUE(entries == expected) << "the class path does not hold every jar once";
}

enum class Filler { kComment, kKeys };

struct HugeRegistryCase {
  const char* name;
  Filler filler;
};

void PrintTo(const HugeRegistryCase& c, std::ostream* out) { *out << c.name; }

class HugeRegistryTest : public BadInputTest,
                         public ::testing::WithParamInterface<HugeRegistryCase> {};

// The registry's size. A comment of a hundred megabytes costs memory in proportion to its size,
// many keys some hundred bytes of each engine's memory per key, so the keys get less. Under
// AddressSanitizer each takes a tenth, to keep the run short. Under Wine each takes a sixteenth:
// Wine's MSXML is built on libxml2 with its default limit of ten million bytes for one comment,
// a limit of Wine's, not of the MSXML that Windows has.
std::size_t registryBytes(Filler filler) {
  const std::size_t full = filler == Filler::kComment ? 100 * 1024 * 1024 : 16 * 1024 * 1024;
#if defined(__SANITIZE_ADDRESS__)
  return full / 10;
#else
  return isWindowsBuild() ? full / 16 : full;
#endif
}

std::string filler(Filler kind, std::size_t bytes) {
  std::string text;
  text.reserve(bytes + 1024);
  if (kind == Filler::kComment) {
    text = "<!-- ";
    while (text.size() < bytes) text += "a comment that goes on and on - ";
    text += "-->";
  } else {
    // Keys named like the first one of the query, without the rest of its path.
    while (text.size() < bytes) {
      text += "<Key name=\"Machine\"><Value name=\"location\" data=\"nowhere\"/></Key>\n";
    }
  }
  return text;
}

TEST_P(HugeRegistryTest, TheLookupFinishesAndFindsTheJre) {
  const std::filesystem::path jre = root() / "deployed";
  ASSERT_TRUE(installTestJvm(jre));
  ASSERT_TRUE(writePreferences());
  {
    const Filler kind = GetParam().filler;
    ASSERT_TRUE(writeFile(deploymentRegistry(), registryNaming(jre, filler(kind, registryBytes(kind)))));
  }

  const LaunchResult result = launch();
  ASSERT_TRUE(result.finished) << ::testing::PrintToString(result);
  EXPECT_EQ(result.exitCode, kExitSuccess);
  EXPECT_TRUE(createdJvm(reportOf(jre)));
  EXPECT_TRUE(logHolds("Successfully retrieved JRE location.\n" + utf8(jre) + "\n"));
}

INSTANTIATE_TEST_SUITE_P(Registries, HugeRegistryTest,
                         ::testing::Values(HugeRegistryCase{"HugeComment", Filler::kComment},
                                           HugeRegistryCase{"ManyKeys", Filler::kKeys}),
                         [](const ::testing::TestParamInfo<HugeRegistryCase>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace lumora::testing
