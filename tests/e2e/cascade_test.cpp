// The JRE search with every real source: the jre folder beside the launcher, jrepath.cfg, the
// deployed JRE, the public JRE, the per-user lumorajrepath.cfg and the folder prompt. Each run's
// whole log is compared, and the test JVM's report tells which library created the JVM.
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

// Windows: runs reg.exe (Wine's, in the session's prefix) and gives its exit code; -1 when it
// could not be run.
int runReg(const std::vector<std::u16string>& arguments) {
  const char* systemRoot = std::getenv("SystemRoot");
  ProcessOptions options;
  options.program = std::filesystem::path(systemRoot != nullptr ? systemRoot : "C:\\windows") /
                    "system32" / "reg.exe";
  options.arguments = arguments;
  std::string error;
  std::optional<Process> reg = Process::start(options, &error);
  if (!reg) return -1;
  const ProcessOutcome outcome = reg->wait(std::chrono::seconds(60));
  return outcome.exited ? outcome.exitCode : -1;
}

// The public JRE's record for the runs of one test. POSIX: JAVA_HOME in the run's environment.
// Windows: the registry value, added with reg.exe and removed again with the keys it made when the
// record goes, however the test ends.
class PublicJreRecord {
 public:
  PublicJreRecord() = default;
  ~PublicJreRecord() {
    if (madeKey_) runReg({u"delete", *madeKey_, u"/f"});
  }
  PublicJreRecord(const PublicJreRecord&) = delete;
  PublicJreRecord& operator=(const PublicJreRecord&) = delete;

  ::testing::AssertionResult set(const std::filesystem::path& folder) {
    if (!isWindowsBuild()) {
      environment_.push_back({"JAVA_HOME", utf8(folder)});
      return ::testing::AssertionSuccess();
    }
    static constexpr std::u16string_view kKeys[] = {
        u"HKLM\\SOFTWARE\\JavaSoft",
        u"HKLM\\SOFTWARE\\JavaSoft\\Java Runtime Environment",
        u"HKLM\\SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.7",
    };
    for (std::u16string_view key : kKeys) {
      if (runReg({u"query", std::u16string(key)}) != 0) {
        madeKey_ = std::u16string(key);  // this key and the ones below it are this test's
        break;
      }
    }
    if (!madeKey_) {
      return ::testing::AssertionFailure() << "the prefix already records a public JRE 1.7";
    }
    if (runReg({u"add", std::u16string(kKeys[2]), u"/v", u"JavaHome", u"/t", u"REG_SZ", u"/d",
                folder.u16string(), u"/f"}) != 0) {
      return ::testing::AssertionFailure() << "reg add failed";
    }
    return ::testing::AssertionSuccess();
  }

  const std::vector<EnvironmentChange>& environment() const { return environment_; }

 private:
  std::optional<std::u16string> madeKey_;
  std::vector<EnvironmentChange> environment_;
};

// The texts a run logs after its first lines, put together step by step.
class ExpectedLog {
 public:
  ExpectedLog& text(std::string_view text) {
    text_ += text;
    return *this;
  }
  ExpectedLog& labelled(std::string_view label, std::string_view value) {
    return text(label).text(value).text("\n");
  }
  // The loader finds no library in `folder`.
  ExpectedLog& noJvmIn(std::string_view folder) {
    return labelled(kAttempt, library(folder, JvmFlavour::kClient))
        .labelled(kAttempt, library(folder, JvmFlavour::kServer));
  }
  // The loader creates the JVM from the client library of `folder`.
  ExpectedLog& jvmCreatedIn(std::string_view folder) {
    return labelled(kAttempt, library(folder, JvmFlavour::kClient))
        .text("Successfully loaded library. Attempting to create JVM.\n")
        .text("JVM Created successfully.\n")
        .text("Hooray!!!\n");
  }
  ExpectedLog& attempt(std::string_view folder, bool createsJvm) {
    return createsJvm ? jvmCreatedIn(folder) : noJvmIn(folder);
  }
  const std::string& str() const { return text_; }

 private:
  static constexpr std::string_view kAttempt = "Attempting to load jvm.dll.\n";

  static std::string library(std::string_view folder, JvmFlavour flavour) {
    const std::string relative = utf8(jvmLibraryInJre(flavour).make_preferred());
    if (folder.empty()) return relative;
    return std::string(folder) + (isWindowsBuild() ? "\\" : "/") + relative;
  }

  std::string text_;
};

// What a source offers the search.
enum class Offer {
  kNothing,           // it is not set up
  kFolderWithoutJvm,  // it names a folder that holds no JVM library
  kJvm,               // it names a folder with the test JVM
};

// The deployment registry that records `location` as the deployed JRE 9.4's folder.
std::string deploymentRegistry(std::string_view location) {
  std::string data;
  for (const char c : location) {
    data += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '"' ? "&quot;" : std::string(1, c);
  }
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<Registry>\n"
         "  <Key name=\"Machine\">\n"
         "    <Key name=\"INSTALL\">\n"
         "      <Key name=\"win\">\n"
         "        <Key name=\"javaruntime\">\n"
         "          <Key name=\"9.4\">\n"
         "            <Value name=\"location\" data=\"" +
         data +
         "\"/>\n"
         "          </Key>\n"
         "        </Key>\n"
         "      </Key>\n"
         "    </Key>\n"
         "  </Key>\n"
         "</Registry>\n";
}

// The same registry, with entities that would grow to a thousand million "ha"s if expanded.
std::string laughingRegistry(std::string_view location) {
  std::string entities = "  <!ENTITY laugh0 \"ha\">\n";
  for (int level = 1; level <= 9; ++level) {
    entities += "  <!ENTITY laugh" + std::to_string(level) + " \"";
    for (int i = 0; i < 10; ++i) entities += "&laugh" + std::to_string(level - 1) + ";";
    entities += "\">\n";
  }
  std::string registry = deploymentRegistry(location);
  const std::size_t root = registry.find("<Registry>");
  registry.insert(root, "<!DOCTYPE Registry [\n" + entities + "]>\n");
  registry.insert(registry.find("          </Key>"),
                  "            <Value name=\"laughter\" data=\"&laugh9;\"/>\n");
  return registry;
}

// The properties format's escapes for a value: backslashes doubled, colons escaped.
std::string propertyValue(std::string_view value) {
  std::string escaped;
  for (const char c : value) {
    if (c == '\\' || c == ':') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

constexpr char kQuery[] =
    "/Registry/Key[@name='Machine']/Key[@name='INSTALL']/Key[@name='win']"
    "/Key[@name='javaruntime']/Key[@name='9.4']/Value[@name='location']";

class CascadeTest : public LauncherTest {
 protected:
  void SetUp() override {
    LauncherTest::SetUp();
    ASSERT_FALSE(userDataFolder(install_).empty()) << "no per-user application-data folder";
    ASSERT_FALSE(machineDataFolder(install_).empty()) << "no machine-wide application-data folder";
  }

  // A JRE folder outside the installation, with the test JVM in it when `offer` says so.
  std::filesystem::path jreFolder(std::u16string_view name, Offer offer) const {
    std::filesystem::path folder = install_.makeFolder(u"jres/" + std::u16string(name));
    if (offer == Offer::kJvm) {
      EXPECT_TRUE(Installation::installJvm(testJvmLibrary(), folder, JvmFlavour::kClient));
    }
    return folder;
  }

  std::string separator() const { return isWindowsBuild() ? "\\" : "/"; }

  // The text of the jre folder beside the launcher, as the launcher names it.
  std::string privateJreText() const { return "." + separator() + "jre"; }

  std::string preferencesText() const { return utf8(preferences_.path()); }

  // Writes the preferences file and the deployment registry, which records `location`.
  void setUpDeployedJre(const std::filesystem::path& location, bool laughing = false) {
    const std::filesystem::path root = install_.makeFolder(u"veltra");
    registry_ = root / "setupledger" / "registry.xml";
    ASSERT_TRUE(writeFile(preferences_.path(), "VeltraHome=" + propertyValue(utf8(root)) + "\n"));
    ASSERT_TRUE(writeFile(registry_, laughing ? laughingRegistry(utf8(location))
                                              : deploymentRegistry(utf8(location))));
  }

  // The deployed JRE's texts up to the loaded registry; the rest when the lookup went through.
  void expectDeployedLookup(ExpectedLog& log) const {
    log.labelled("Attempting to read vsmpreferences.txt.\n", preferencesText())
        .text("vsmpreferences.txt read successfully.\n")
        .text("VeltraHome property found successfully.\n")
        .labelled("Looking for deployment registry.\n", utf8(registry_))
        .text("Successfully created MSXML document.\n");
  }
  void expectDeployedLocation(ExpectedLog& log, const std::filesystem::path& location) const {
    log.text("Successfully loaded XML.\n")
        .labelled("Successfully created query.\n", kQuery)
        .text("Successfully selected node.\n")
        .text("Successfully selected attributes.\n")
        .text("Successfully retrieved data attribute.\n")
        .labelled("Successfully retrieved JRE location.\n", utf8(location));
  }

  // Writes lumorajrepath.cfg as the launcher itself would: a byte-order mark and the folder.
  void writeUserJrePath(const std::filesystem::path& folder) {
    ASSERT_TRUE(writeFile(userFile_.path(), "\xEF\xBB\xBF" + utf8(folder)));
  }

  // Runs the launcher with a log and the public JRE's record; the log lands in logText_.
  LaunchResult runLogged(LaunchRequest request = {}) {
    const std::filesystem::path logFile = install_.root() / "run.log";
    request.arguments.push_back(u"-log:" + argumentText(logFile));
    request.environment.insert(request.environment.end(), publicJre_.environment().begin(),
                               publicJre_.environment().end());
    start_.folder = loggedFolder(install_.folder());
    start_.notBefore = std::time(nullptr);
    LaunchResult result = runLauncher(install_, request);
    start_.notAfter = std::time(nullptr);
    logText_ = readBytes(logFile);
    return result;
  }

  // The records of the test JVM in `jreFolder`; none when it was never loaded.
  static std::vector<std::string> reportOf(const std::filesystem::path& jreFolder) {
    return testjvm::readReport(
        Installation::jvmLibraryPath(jreFolder, JvmFlavour::kClient).parent_path() /
        testjvm::kReportFileName);
  }

  static bool createdJvm(const std::vector<std::string>& report) {
    const bool called = std::any_of(report.begin(), report.end(), [](const std::string& record) {
      return record.starts_with("create version=");
    });
    return called && std::find(report.begin(), report.end(), "create-result 0") != report.end();
  }

  PlacedOutside userFile_{userDataFolder(install_) / "lumorajrepath.cfg"};
  PlacedOutside preferences_{machineDataFolder(install_) / "Veltra" / "VeltraSetupManager" /
                            "vsmpreferences.txt"};
  PublicJreRecord publicJre_;
  std::filesystem::path registry_;
  LogStart start_{};
  std::string logText_;
};

// Whether a test can see the run through to a cancelled prompt: under Wine the prompt helper
// needs windows it can find.
#define LUMORA_SKIP_UNLESS_PROMPT_ANSWERED()                        \
  if (messageBoxesAreWindows() && !windowsCanBeShown())             \
  GTEST_SKIP() << "no usable display: the folder prompt cannot be answered"

// ---------------------------------------------------------------------------------------------
// Each source in turn the first to work

struct CascadeCase {
  const char* name;
  Offer privateJre = Offer::kNothing;
  Offer installPath = Offer::kNothing;
  bool relativeInstallPath = false;
  Offer deployedJre = Offer::kNothing;
  Offer publicJre = Offer::kNothing;
  Offer userPath = Offer::kNothing;
};

void PrintTo(const CascadeCase& c, std::ostream* out) { *out << c.name; }

class FirstWorkingSourceTest : public CascadeTest,
                               public ::testing::WithParamInterface<CascadeCase> {
 protected:
  // The folder each source names, made (with a JVM where it offers one) and set up.
  struct Folders {
    std::filesystem::path privateJre, installPath, deployedJre, publicJre, userPath;
  };

  void setUpSources(const CascadeCase& c) {
    if (c.privateJre != Offer::kNothing) {
      folders_.privateJre = install_.privateJre();
      std::filesystem::create_directories(folders_.privateJre);
      if (c.privateJre == Offer::kJvm) {
        ASSERT_TRUE(
            Installation::installJvm(testJvmLibrary(), folders_.privateJre, JvmFlavour::kClient));
      }
    }
    if (c.installPath != Offer::kNothing) {
      if (c.relativeInstallPath) {
        installPathText_ = "jres" + separator() + "relative";
        folders_.installPath = install_.folder() / "jres" / "relative";
        std::filesystem::create_directories(folders_.installPath);
        if (c.installPath == Offer::kJvm) {
          ASSERT_TRUE(Installation::installJvm(testJvmLibrary(), folders_.installPath,
                                               JvmFlavour::kClient));
        }
      } else {
        folders_.installPath = jreFolder(u"install", c.installPath);
        installPathText_ = utf8(folders_.installPath);
      }
      ASSERT_TRUE(install_.writeJrePath(installPathText_ + "\r\n"));
    }
    if (c.deployedJre != Offer::kNothing) {
      folders_.deployedJre = jreFolder(u"deployed", c.deployedJre);
      setUpDeployedJre(folders_.deployedJre);
    }
    if (c.publicJre != Offer::kNothing) {
      folders_.publicJre = jreFolder(u"public", c.publicJre);
      ASSERT_TRUE(publicJre_.set(folders_.publicJre));
    }
    if (c.userPath != Offer::kNothing) {
      folders_.userPath = jreFolder(u"user", c.userPath);
      writeUserJrePath(folders_.userPath);
    }
  }

  // Each source's texts in the search's order, up to the first that creates the JVM.
  std::string expectedLog(const CascadeCase& c) const {
    ExpectedLog log;
    log.text("Looking for Lumora private JRE.\n")
        .attempt(privateJreText(), c.privateJre == Offer::kJvm);
    if (c.privateJre == Offer::kJvm) return log.str();

    log.text("Looking for JRE configured in install directory.\n");
    if (c.installPath != Offer::kNothing) {
      log.labelled("Path read from config file.\n", installPathText_);
      if (c.relativeInstallPath) {
        log.text("Converting relative path to an absolute path.\n");
        log.attempt(loggedFolder(install_.folder()) + separator() + installPathText_,
                    c.installPath == Offer::kJvm);
      } else {
        log.attempt(installPathText_, c.installPath == Offer::kJvm);
      }
      if (c.installPath == Offer::kJvm) return log.str();
    }

    log.text("Looking for Veltra Deployed private JRE.\n");
    if (c.deployedJre == Offer::kNothing) {
      log.labelled("Attempting to read vsmpreferences.txt.\n", preferencesText());
    } else {
      expectDeployedLookup(log);
      expectDeployedLocation(log, folders_.deployedJre);
      log.attempt(utf8(folders_.deployedJre), c.deployedJre == Offer::kJvm);
      if (c.deployedJre == Offer::kJvm) return log.str();
    }

    log.text("Looking for public JRE in registry.\n").text("Looking for JavaSoft 1.7 JRE in registry.\n");
    if (c.publicJre != Offer::kNothing) {
      log.text("Successfully opened registry key.\n")
          .labelled("Successfully queried JavaHome.\n", utf8(folders_.publicJre))
          .attempt(utf8(folders_.publicJre), c.publicJre == Offer::kJvm);
      if (c.publicJre == Offer::kJvm) return log.str();
    }

    // Every case has a source that works by now, and the per-user file is its last chance.
    log.text("Looking for JRE specified in user profile.\n")
        .labelled("Path read from config file.\n", utf8(folders_.userPath))
        .jvmCreatedIn(utf8(folders_.userPath));
    return log.str();
  }

  // The folder of the first source that offers a JVM.
  std::filesystem::path winner(const CascadeCase& c) const {
    if (c.privateJre == Offer::kJvm) return folders_.privateJre;
    if (c.installPath == Offer::kJvm) return folders_.installPath;
    if (c.deployedJre == Offer::kJvm) return folders_.deployedJre;
    if (c.publicJre == Offer::kJvm) return folders_.publicJre;
    return folders_.userPath;
  }

  Folders folders_;
  std::string installPathText_;
};

TEST_P(FirstWorkingSourceTest, CreatesTheJvmThereAndConsultsNothingLater) {
  const CascadeCase& c = GetParam();
  ASSERT_NO_FATAL_FAILURE(setUpSources(c));
  const std::string userFileBefore = readBytes(userFile_.path());

  const LaunchResult result = runLogged();
  ASSERT_TRUE(result.finished) << ::testing::PrintToString(result);
  EXPECT_EQ(result.exitCode, kExitSuccess) << ::testing::PrintToString(result);
  EXPECT_TRUE(logIs(logText_, start_, expectedLog(c)));

  const std::filesystem::path created = winner(c);
  EXPECT_TRUE(createdJvm(reportOf(created))) << ::testing::PrintToString(reportOf(created));
  for (const std::filesystem::path& other :
       {folders_.privateJre, folders_.installPath, folders_.deployedJre, folders_.publicJre,
        folders_.userPath}) {
    if (other.empty() || other == created) continue;
    EXPECT_EQ(reportOf(other), std::vector<std::string>{}) << utf8(other) << " was loaded";
  }
  // Only a prompted folder is saved: the per-user file stays as it was, or absent.
  EXPECT_EQ(readBytes(userFile_.path()), userFileBefore);
  EXPECT_EQ(std::filesystem::exists(userFile_.path()), c.userPath != Offer::kNothing);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, FirstWorkingSourceTest,
    ::testing::Values(
        CascadeCase{.name = "PrivateJreBeforeEveryOtherWorkingSource",
                    .privateJre = Offer::kJvm,
                    .installPath = Offer::kJvm,
                    .deployedJre = Offer::kJvm,
                    .publicJre = Offer::kJvm,
                    .userPath = Offer::kJvm},
        CascadeCase{.name = "AbsoluteInstallPath",
                    .privateJre = Offer::kFolderWithoutJvm,
                    .installPath = Offer::kJvm,
                    .deployedJre = Offer::kJvm,
                    .publicJre = Offer::kJvm,
                    .userPath = Offer::kJvm},
        CascadeCase{.name = "RelativeInstallPathFromTheLauncherFolder",
                    .installPath = Offer::kJvm,
                    .relativeInstallPath = true,
                    .publicJre = Offer::kJvm},
        CascadeCase{.name = "DeployedJreAfterAnInstallPathWithoutJvm",
                    .installPath = Offer::kFolderWithoutJvm,
                    .deployedJre = Offer::kJvm,
                    .publicJre = Offer::kJvm,
                    .userPath = Offer::kJvm},
        CascadeCase{.name = "DeployedJreAfterARelativeInstallPathWithoutJvm",
                    .installPath = Offer::kFolderWithoutJvm,
                    .relativeInstallPath = true,
                    .deployedJre = Offer::kJvm},
        CascadeCase{.name = "PublicJreAfterADeployedJreWithoutJvm",
                    .deployedJre = Offer::kFolderWithoutJvm,
                    .publicJre = Offer::kJvm,
                    .userPath = Offer::kJvm},
        CascadeCase{.name = "PublicJreWithNothingBefore", .publicJre = Offer::kJvm},
        CascadeCase{.name = "UserPathAfterEveryEarlierSourceWithoutJvm",
                    .privateJre = Offer::kFolderWithoutJvm,
                    .installPath = Offer::kFolderWithoutJvm,
                    .deployedJre = Offer::kFolderWithoutJvm,
                    .publicJre = Offer::kFolderWithoutJvm,
                    .userPath = Offer::kJvm},
        CascadeCase{.name = "UserPathWithNothingBefore", .userPath = Offer::kJvm}),
    [](const ::testing::TestParamInfo<CascadeCase>& info) { return info.param.name; });

// ---------------------------------------------------------------------------------------------
// The fifth step's attempt, made whether or not the per-user file gave a folder

TEST_F(CascadeTest, APublicJreWithoutJvmIsTriedAgainBeforeThePrompt) {
  LUMORA_SKIP_UNLESS_PROMPT_ANSWERED();
  const std::filesystem::path folder = jreFolder(u"public", Offer::kFolderWithoutJvm);
  ASSERT_TRUE(publicJre_.set(folder));

  const LaunchResult result = runLogged();
  ASSERT_TRUE(result.finished) << ::testing::PrintToString(result);
  EXPECT_EQ(result.exitCode, kExitLaunchFailed);
  ExpectedLog log;
  log.text("Looking for Lumora private JRE.\n")
      .noJvmIn(privateJreText())
      .text("Looking for JRE configured in install directory.\n")
      .text("Looking for Veltra Deployed private JRE.\n")
      .labelled("Attempting to read vsmpreferences.txt.\n", preferencesText())
      .text("Looking for public JRE in registry.\n")
      .text("Looking for JavaSoft 1.7 JRE in registry.\n")
      .text("Successfully opened registry key.\n")
      .labelled("Successfully queried JavaHome.\n", utf8(folder))
      .noJvmIn(utf8(folder))
      .text("Looking for JRE specified in user profile.\n")
      .noJvmIn(utf8(folder))
      .text("Prompting for JRE.\n")
      .text("Prompting for JRE location.\n");
  EXPECT_TRUE(logIs(logText_, start_, log.str()));
  EXPECT_FALSE(std::filesystem::exists(userFile_.path()));

  LUMORA_SKIP_UNLESS_BOXES_READ(result);
  EXPECT_TRUE(showedBoxes(result, {kNoJvmBox}));
}

// With nothing configured the attempt runs with the empty folder, that is with the libraries'
// relative names, which the loader resolves from the launcher's folder (the current directory).
// (The same run without a JVM there goes on to the prompt: see the folder prompt's tests.)
TEST_F(CascadeTest, TheRelativeLibraryNamesFindAJvmInTheLauncherFolder) {
  // The launcher's own folder laid out as a JRE: only the bare library names can reach it.
  ASSERT_TRUE(Installation::installJvm(testJvmLibrary(), install_.folder(), JvmFlavour::kClient));
  const LaunchResult result = runLogged();
  ASSERT_TRUE(result.finished) << ::testing::PrintToString(result);
  EXPECT_EQ(result.exitCode, kExitSuccess) << ::testing::PrintToString(result);
  ExpectedLog log;
  log.text("Looking for Lumora private JRE.\n")
      .noJvmIn(privateJreText())
      .text("Looking for JRE configured in install directory.\n")
      .text("Looking for Veltra Deployed private JRE.\n")
      .labelled("Attempting to read vsmpreferences.txt.\n", preferencesText())
      .text("Looking for public JRE in registry.\n")
      .text("Looking for JavaSoft 1.7 JRE in registry.\n")
      .text("Looking for JRE specified in user profile.\n")
      .jvmCreatedIn("");
  EXPECT_TRUE(logIs(logText_, start_, log.str()));
  EXPECT_TRUE(createdJvm(reportOf(install_.folder())));
  EXPECT_FALSE(std::filesystem::exists(userFile_.path()));
}

// ---------------------------------------------------------------------------------------------
// A deployment registry that declares entities

TEST_F(CascadeTest, ARegistryWithAnEntityBombIsRefusedAndTheSearchGoesOn) {
  // The registry names a working JRE: only refusing the whole document keeps it from being used.
  const std::filesystem::path deployed = jreFolder(u"deployed", Offer::kJvm);
  ASSERT_NO_FATAL_FAILURE(setUpDeployedJre(deployed, /*laughing=*/true));
  const std::filesystem::path user = jreFolder(u"user", Offer::kJvm);
  ASSERT_NO_FATAL_FAILURE(writeUserJrePath(user));

  const LaunchResult result = runLogged();
  ASSERT_TRUE(result.finished) << ::testing::PrintToString(result);
  EXPECT_EQ(result.exitCode, kExitSuccess) << ::testing::PrintToString(result);
  ExpectedLog log;
  log.text("Looking for Lumora private JRE.\n")
      .noJvmIn(privateJreText())
      .text("Looking for JRE configured in install directory.\n")
      .text("Looking for Veltra Deployed private JRE.\n");
  expectDeployedLookup(log);
  log.text("Looking for public JRE in registry.\n")
      .text("Looking for JavaSoft 1.7 JRE in registry.\n")
      .text("Looking for JRE specified in user profile.\n")
      .labelled("Path read from config file.\n", utf8(user))
      .jvmCreatedIn(utf8(user));
  EXPECT_TRUE(logIs(logText_, start_, log.str()));
  EXPECT_EQ(reportOf(deployed), std::vector<std::string>{});
  EXPECT_TRUE(createdJvm(reportOf(user)));
}

#if !defined(_WIN32)
// libxml2 is loaded only when the registry is read. A machine where it cannot be had (here a
// library without its entry points stands in for it) loses only this source of the JRE.
TEST_F(CascadeTest, WithoutAUsableLibxml2TheDeployedJreIsPassedOverAndTheSearchGoesOn) {
  const std::filesystem::path standIn = install_.makeFolder(u"libraries");
  std::error_code error;
  std::filesystem::copy_file(ownExecutableFolder() / "libnotjvm.so", standIn / "libxml2.so.2",
                             error);
  ASSERT_FALSE(error) << error.message();
  const std::filesystem::path deployed = jreFolder(u"deployed", Offer::kJvm);
  ASSERT_NO_FATAL_FAILURE(setUpDeployedJre(deployed));
  const std::filesystem::path user = jreFolder(u"user", Offer::kJvm);
  ASSERT_NO_FATAL_FAILURE(writeUserJrePath(user));

  LaunchRequest request;
  request.environment.push_back({"LD_LIBRARY_PATH", standIn.string()});
  const LaunchResult result = runLogged(request);
  ASSERT_TRUE(result.finished) << ::testing::PrintToString(result);
  EXPECT_EQ(result.exitCode, kExitSuccess) << ::testing::PrintToString(result);
  ExpectedLog log;
  log.text("Looking for Lumora private JRE.\n")
      .noJvmIn(privateJreText())
      .text("Looking for JRE configured in install directory.\n")
      .text("Looking for Veltra Deployed private JRE.\n")
      .labelled("Attempting to read vsmpreferences.txt.\n", preferencesText())
      .text("vsmpreferences.txt read successfully.\n")
      .text("VeltraHome property found successfully.\n")
      .labelled("Looking for deployment registry.\n", utf8(registry_))
      .text("Looking for public JRE in registry.\n")
      .text("Looking for JavaSoft 1.7 JRE in registry.\n")
      .text("Looking for JRE specified in user profile.\n")
      .labelled("Path read from config file.\n", utf8(user))
      .jvmCreatedIn(utf8(user));
  EXPECT_TRUE(logIs(logText_, start_, log.str()));
  EXPECT_EQ(reportOf(deployed), std::vector<std::string>{});
  EXPECT_TRUE(createdJvm(reportOf(user)));
}
#endif

}  // namespace
}  // namespace lumora::testing
