#include "jre/deployed_jre.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <list>
#include <thread>
#include <vector>

#include "platform/os.h"
#include "platform/unicode.h"
#include "shell/diagnostic_log.h"
#include "support/temp_dir.h"

namespace lumora {
namespace {

using testing::readBytes;
using testing::TempDir;
using namespace std::string_literals;

constexpr std::u16string_view kQuery =
    u"/Registry/Key[@name='Machine']/Key[@name='INSTALL']/Key[@name='win']"
    u"/Key[@name='javaruntime']/Key[@name='9.4']/Value[@name='location']";
constexpr std::u16string_view kEarlierFolder = u"folder left by an earlier source";

// How far the lookup got: the last of its log texts that was written.
enum class Reached {
  kNothing,
  kPreferencesPath,  // the preferences path and "\n"
  kPreferencesRead,  // "vsmpreferences.txt read successfully.\n"
  kRootFound,        // "VeltraHome property found successfully.\n"
  kRegistryPath,     // the registry path and "\n"
  kDocumentCreated,  // "Successfully created MSXML document.\n"
  kLoaded,           // "Successfully loaded XML.\n"
  kQuery,            // the query and "\n"
  kNode,             // "Successfully selected node.\n"
  kAttributes,       // "Successfully selected attributes.\n"
  kDataAttribute,    // "Successfully retrieved data attribute.\n"
  kLocation,         // the JRE folder and "\n": found
};

// The log of a lookup that got as far as `reached`.
std::u16string expectedLog(Reached reached, const std::u16string& preferencesPath,
                           const std::u16string& registryPath, std::u16string_view folder) {
  const std::vector<std::vector<std::u16string>> steps = {
      {},
      {u"Attempting to read vsmpreferences.txt.\n", preferencesPath, u"\n"},
      {u"vsmpreferences.txt read successfully.\n"},
      {u"VeltraHome property found successfully.\n"},
      {u"Looking for deployment registry.\n", registryPath, u"\n"},
      {u"Successfully created MSXML document.\n"},
      {u"Successfully loaded XML.\n"},
      {u"Successfully created query.\n", std::u16string(kQuery), u"\n"},
      {u"Successfully selected node.\n"},
      {u"Successfully selected attributes.\n"},
      {u"Successfully retrieved data attribute.\n"},
      {u"Successfully retrieved JRE location.\n", std::u16string(folder), u"\n"},
  };
  std::u16string log;
  for (std::size_t step = 0; step <= static_cast<std::size_t>(reached); ++step) {
    for (const std::u16string& text : steps[step]) log += text;
  }
  return log;
}

// The bytes that the log file holds after `text` was written to it.
std::string logFileBytes(std::u16string_view text) {
  std::u16string lines;
  for (char16_t unit : text) {
    if (unit == u'\n') lines += u'\r';
    lines += unit;
  }
  return "\xEF\xBB\xBF" + utf16ToUtf8(lines);
}

// `text` for a properties file: ISO 8859-1, with backslashes and colons escaped and every other
// character in `escaped` preceded by a backslash; beyond ASCII, \uXXXX escapes.
std::string propertyText(std::u16string_view text, std::u16string_view escaped = u"") {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char16_t unit : text) {
    if (unit == u'\\' || unit == u':' || escaped.find(unit) != std::u16string_view::npos) {
      out += '\\';
    }
    if (unit < 0x80) {
      out += static_cast<char>(unit);
    } else {
      out += "\\u";
      for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xF];
    }
  }
  return out;
}

// `text` as the value of an XML attribute in UTF-8.
std::string attributeValue(std::u16string_view text) {
  std::string out;
  for (char unit : utf16ToUtf8(text)) {
    if (unit == '&') {
      out += "&amp;";
    } else if (unit == '<') {
      out += "&lt;";
    } else if (unit == '"') {
      out += "&quot;";
    } else {
      out += unit;
    }
  }
  return out;
}

std::string location(std::u16string_view folder) {
  return "<Value name=\"location\" data=\"" + attributeValue(folder) + "\"/>";
}

std::string key(const std::string& name, const std::string& content) {
  return "<Key name=\"" + name + "\">" + content + "</Key>\n";
}

// A deployment registry with `values` where the JRE's location belongs, and look-alike keys
// around it that the query must pass by.
std::string registry(const std::string& values, const std::string& platform = "win",
                     const std::string& version = "9.4") {
  const std::string runtimes = key("9.3", location(u"older")) +
                               key(version, "<Value name=\"vendor\" data=\"Veltra\"/>" + values);
  const std::string lookAlike =
      key("User", key("INSTALL", key("win", key("javaruntime", key("9.4", location(u"user"))))));
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Registry>\n" + lookAlike +
         key("Machine", key("INSTALL", key(platform, key("javaruntime", runtimes)))) +
         "</Registry>\n";
}

// putenv keeps the very text it is given, so each one is kept for the rest of the run.
void setEnvironment(const std::string& name, const std::string& value) {
  static std::list<std::string> texts;
  texts.push_back(name + "=" + value);
  putenv(texts.back().data());
}

enum class RegistryFile { kAbsent, kFolder, kFile };

class DeployedJreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    os::initializeCom();
    // On POSIX the machine-wide folder follows XDG_CONFIG_DIRS; Windows has its own, the Wine
    // prefix's ProgramData, in which the test leaves nothing behind.
    const char* dirs = std::getenv("XDG_CONFIG_DIRS");
    savedConfigDirs_ = dirs != nullptr ? dirs : "";
    setEnvironment("XDG_CONFIG_DIRS", machine_.path().string());
    std::optional<std::u16string> machineFolder = os::machineDataFolder();
    ASSERT_TRUE(machineFolder);
    const std::u16string separator(1, os::kPathSeparator);
    const std::filesystem::path toolFolder =
        std::filesystem::path(*machineFolder) / "Veltra" / "VeltraSetupManager";
    for (std::filesystem::path folder = toolFolder; !std::filesystem::exists(folder);
         folder = folder.parent_path()) {
      createdFolders_.push_back(folder);
    }
    std::filesystem::create_directories(toolFolder);
    preferencesPath_ = *machineFolder + separator + u"Veltra" + separator + u"VeltraSetupManager" +
                       separator + u"vsmpreferences.txt";
    ASSERT_FALSE(std::filesystem::exists(preferencesPath_)) << "left by another test";
    root_ = dir_.file(u"Veltra Apps");
    ASSERT_TRUE(DiagnosticLog::open(dir_.file(u"run.log")));
  }

  void TearDown() override {
    DiagnosticLog::close();
    std::error_code ignored;
    std::filesystem::remove(preferencesPath_, ignored);
    for (const std::filesystem::path& folder : createdFolders_) {
      std::filesystem::remove(folder, ignored);
    }
    setEnvironment("XDG_CONFIG_DIRS", savedConfigDirs_);
  }

  // Starts the next case of a table afresh: no preferences file, no registry, an empty log.
  void reset() {
    std::filesystem::remove(preferencesPath_);
    std::filesystem::remove_all(std::filesystem::path(root_));
    DiagnosticLog::close();
    ASSERT_TRUE(DiagnosticLog::open(dir_.file(u"run.log")));
  }

  void writePreferences(const std::string& content) {
    std::ofstream(std::filesystem::path(preferencesPath_), std::ios::binary) << content;
  }

  static std::u16string registryPathUnder(const std::u16string& root) {
    const std::u16string separator(1, os::kPathSeparator);
    return root + separator + u"setupledger" + separator + u"registry.xml";
  }

  void writeRegistry(RegistryFile kind, const std::string& content) {
    const std::filesystem::path path(registryPathUnder(root_));
    std::filesystem::create_directories(path.parent_path());
    if (kind == RegistryFile::kFolder) std::filesystem::create_directory(path);
    if (kind == RegistryFile::kFile) std::ofstream(path, std::ios::binary) << content;
  }

  // Runs the lookup with a JRE folder that an earlier source filled, and checks its log and
  // what it left in the folder.
  void expectLookup(Reached reached, std::u16string_view folder, const std::u16string& root,
                    const std::string& what) {
    std::u16string jreFolder(kEarlierFolder);
    EXPECT_EQ(findDeployedJre(jreFolder), reached == Reached::kLocation) << what;
    EXPECT_EQ(jreFolder, reached == Reached::kLocation ? folder : kEarlierFolder) << what;
    DiagnosticLog::close();
    EXPECT_EQ(readBytes(dir_.file(u"run.log")),
              logFileBytes(expectedLog(reached, preferencesPath_, registryPathUnder(root), folder)))
        << what;
    ASSERT_TRUE(DiagnosticLog::open(dir_.file(u"run.log")));
  }

  TempDir dir_;      // the installation roots and the log
  TempDir machine_;  // the machine-wide application-data folder on POSIX
  std::string savedConfigDirs_;
  std::vector<std::filesystem::path> createdFolders_;
  std::u16string preferencesPath_;
  std::u16string root_;
};

// Replaces each "{root}" in `preferences` with the root as a property value.
std::string withRoot(std::string preferences, const std::string& root) {
  for (std::size_t at; (at = preferences.find("{root}")) != std::string::npos;) {
    preferences.replace(at, 6, root);
  }
  return preferences;
}

struct Case {
  const char* name;
  const char* preferences;  // nullptr: no preferences file; "{root}" stands for the root
  RegistryFile registryFile;
  std::string registry;
  Reached reached;
  std::u16string folder = u"";  // the JRE folder found
};

TEST_F(DeployedJreTest, EndsAtTheFirstMissingPiece) {
  const std::string found = registry(location(u"C:\\Veltra\\jre"));
  const Case cases[] = {
      {"no preferences file", nullptr, RegistryFile::kFile, found, Reached::kPreferencesPath},
      {"no VeltraHome", "Other={root}\n", RegistryFile::kFile, found, Reached::kPreferencesRead},
      {"key differs in case", "veltrahome={root}\nVELTRAHOME={root}\n", RegistryFile::kFile, found,
       Reached::kPreferencesRead},
      {"no registry", "VeltraHome={root}\n", RegistryFile::kAbsent, "", Reached::kDocumentCreated},
      {"folder in its place", "VeltraHome={root}\n", RegistryFile::kFolder, "",
       Reached::kDocumentCreated},
      {"empty registry", "VeltraHome={root}\n", RegistryFile::kFile, "", Reached::kDocumentCreated},
      {"not well-formed", "VeltraHome={root}\n", RegistryFile::kFile,
       found.substr(0, found.size() - 12), Reached::kDocumentCreated},
      {"binary garbage", "VeltraHome={root}\n", RegistryFile::kFile,
       "\x89PNG\r\n\x1A\n\0\0\0\rIHDR\xFF\xD8\0"s, Reached::kDocumentCreated},
      {"DOCTYPE", "VeltraHome={root}\n", RegistryFile::kFile,
       "<!DOCTYPE Registry>\n" + found.substr(found.find('\n') + 1), Reached::kDocumentCreated},
      {"no 9.4 key", "VeltraHome={root}\n", RegistryFile::kFile,
       registry(location(u"C:\\jre"), "win", "9.5"), Reached::kQuery},
      {"no win key", "VeltraHome={root}\n", RegistryFile::kFile,
       registry(location(u"C:\\jre"), "linux"), Reached::kQuery},
      {"value named otherwise", "VeltraHome={root}\n", RegistryFile::kFile,
       registry("<Value name=\"Location\" data=\"C:\\jre\"/>"), Reached::kQuery},
      {"no data attribute", "VeltraHome={root}\n", RegistryFile::kFile,
       registry("<Value name=\"location\" Data=\"C:\\jre\" value=\"C:\\jre\"/>"),
       Reached::kAttributes},
      {"location of 260 units", "VeltraHome={root}\n", RegistryFile::kFile,
       registry(location(std::u16string(260, u'j'))), Reached::kDataAttribute},
  };
  for (const Case& c : cases) {
    reset();
    if (c.preferences != nullptr) writePreferences(withRoot(c.preferences, propertyText(root_)));
    writeRegistry(c.registryFile, c.registry);
    expectLookup(c.reached, c.folder, root_, c.name);
  }
}

TEST_F(DeployedJreTest, FindsTheLocation) {
  const std::u16string beyondAscii = u"D:\\Programme\\Veltra \u00e9\\\u4e2d\u6587\\jre\U0001F600";
  const std::u16string longest = u"C:\\" + std::u16string(256, u'j');
  const char* const plain = "VeltraHome={root}\n";
  const Case cases[] = {
      {"one location", plain, RegistryFile::kFile, registry(location(u"C:\\Veltra\\jre")),
       Reached::kLocation, u"C:\\Veltra\\jre"},
      {"beyond ASCII", plain, RegistryFile::kFile, registry(location(beyondAscii)),
       Reached::kLocation, beyondAscii},
      {"entity references", plain, RegistryFile::kFile,
       registry("<Value name=\"location\" data=\"C:\\A&amp;B\\&#x4E2D;&quot;\"/>"),
       Reached::kLocation, u"C:\\A&B\\\u4e2d\""},
      {"first of two", plain, RegistryFile::kFile,
       registry(location(u"C:\\first") + location(u"C:\\second")), Reached::kLocation,
       u"C:\\first"},
      {"empty location", plain, RegistryFile::kFile, registry(location(u"")), Reached::kLocation,
       u""},
      {"location of 259 units", plain, RegistryFile::kFile, registry(location(longest)),
       Reached::kLocation, longest},
      {"defined twice", "VeltraHome=nowhere\nVeltraHome={root}\n", RegistryFile::kFile,
       registry(location(u"C:\\jre")), Reached::kLocation, u"C:\\jre"},
  };
  for (const Case& c : cases) {
    reset();
    writePreferences(withRoot(c.preferences, propertyText(root_)));
    writeRegistry(c.registryFile, c.registry);
    expectLookup(c.reached, c.folder, root_, c.name);
  }
}

TEST_F(DeployedJreTest, TakesTheRootAsThePreferencesWriteIt) {
  const std::u16string separator(1, os::kPathSeparator);
  const std::u16string folder = u"C:\\Veltra\\jre";
  writeRegistry(RegistryFile::kFile, registry(location(folder)));
  const struct {
    const char* what;
    std::string root;
  } cases[] = {
      // Every separator escaped, as the Java platform's writer escapes the colon and backslashes.
      {"escaped", propertyText(root_, u"/")},
      {"trailing separator", propertyText(root_ + separator)},
  };
  for (const auto& c : cases) {
    writePreferences("# written by the deployment tool\nVeltraHome = " + c.root + "\n");
    expectLookup(Reached::kLocation, folder, root_, c.what);
  }
}

TEST_F(DeployedJreTest, UnescapesADriveRoot) {
  writePreferences("VeltraHome=C\\:\\\\Apps\\\\Veltra\n");
  expectLookup(Reached::kDocumentCreated, u"", u"C:\\Apps\\Veltra", "drive root");
}

TEST_F(DeployedJreTest, FindsARootBeyondAscii) {
  root_ = dir_.file(u"Veltra \u00e9\u4e2d");
  writeRegistry(RegistryFile::kFile, registry(location(u"C:\\jre")));
  writePreferences("VeltraHome=" + propertyText(root_) + "\n");
  expectLookup(Reached::kLocation, u"C:\\jre", root_, "root beyond ASCII");
}

TEST_F(DeployedJreTest, EndsWhenTheRegistryPathDoesNotFit) {
  // "setupledger\registry.xml" and the separator before it take 25 units of the 259.
  const struct {
    std::size_t rootLength;
    Reached reached;
  } cases[] = {
      {234, Reached::kDocumentCreated},
      {235, Reached::kRootFound},
      {259, Reached::kRootFound},
      {400, Reached::kRootFound},
  };
  for (const auto& c : cases) {
    const std::u16string base = dir_.file(u"r");
    ASSERT_LT(base.size(), 234u);
    const std::u16string root = base + std::u16string(c.rootLength - base.size(), u'r');
    writePreferences("VeltraHome=" + propertyText(root) + "\n");
    expectLookup(c.reached, u"", root, std::to_string(c.rootLength) + " units");
  }
}

TEST_F(DeployedJreTest, RefusesAnEntityBomb) {
  std::string bomb = "<?xml version=\"1.0\"?>\n<!DOCTYPE Registry [\n <!ENTITY a \"aaaaaaaaaa\">\n";
  for (char entity = 'b'; entity <= 'k'; ++entity) {
    const std::string previous = "&" + std::string(1, static_cast<char>(entity - 1)) + ";";
    std::string value;
    for (int copy = 0; copy < 10; ++copy) value += previous;
    bomb += " <!ENTITY " + std::string(1, entity) + " \"" + value + "\">\n";
  }
  bomb += "]>\n";
  const std::string document = registry("<Value name=\"location\" data=\"&k;\">&k;</Value>");
  writeRegistry(RegistryFile::kFile, bomb + document.substr(document.find('\n') + 1));
  writePreferences("VeltraHome=" + propertyText(root_) + "\n");
  expectLookup(Reached::kDocumentCreated, u"", root_, "entity bomb");
}

TEST_F(DeployedJreTest, WritesNothingWithoutAPreferencesPath) {
  setEnvironment("XDG_CONFIG_DIRS", "/lumora-machine");
  if (os::machineDataFolder() != u"/lumora-machine") {
    GTEST_SKIP() << "the machine-wide folder is the system's own on this platform";
  }
  // 220 units: the folder fits but the preferences path does not; 300: there is no folder.
  for (std::size_t length : {220, 300}) {
    reset();
    const std::string folder = "/" + std::string(length - 1, 'm');
    setEnvironment("XDG_CONFIG_DIRS", folder);
    std::u16string jreFolder(kEarlierFolder);
    EXPECT_FALSE(findDeployedJre(jreFolder)) << length;
    EXPECT_EQ(jreFolder, kEarlierFolder);
    DiagnosticLog::close();
    EXPECT_EQ(readBytes(dir_.file(u"run.log")), logFileBytes(u"")) << length;
  }
}

TEST_F(DeployedJreTest, EndsWhenNoDocumentCanBeCreated) {
  writeRegistry(RegistryFile::kFile, registry(location(u"C:\\jre")));
  writePreferences("VeltraHome=" + propertyText(root_) + "\n");
  // A thread of its own has no COM apartment, so no document can be created there.
  bool needsCom = false;
  bool found = true;
  std::u16string jreFolder(kEarlierFolder);
  std::thread([&] {
    needsCom = !xml::Document::create();
    if (needsCom) found = findDeployedJre(jreFolder);
  }).join();
  if (!needsCom) GTEST_SKIP() << "documents need no COM on this platform";
  EXPECT_FALSE(found);
  EXPECT_EQ(jreFolder, kEarlierFolder);
  DiagnosticLog::close();
  EXPECT_EQ(readBytes(dir_.file(u"run.log")),
            logFileBytes(expectedLog(Reached::kRegistryPath, preferencesPath_,
                                     registryPathUnder(root_), u"")));
}

TEST(FormatQueryTest, FillsEachPlaceholderInTurnAndLogsTheText) {
  TempDir dir;
  ASSERT_TRUE(DiagnosticLog::open(dir.file(u"run.log")));
  EXPECT_TRUE(formatQuery(u"%s/%s%s-%s", {u"a", u"", u"\u4e2d"}));
  EXPECT_TRUE(formatQuery(u"100%", {u"unused"}));
  DiagnosticLog::close();
  EXPECT_EQ(readBytes(dir.file(u"run.log")),
            logFileBytes(u"Successfully created query.\na/\u4e2d-%s\n"
                         u"Successfully created query.\n100%\n"));
}

}  // namespace
}  // namespace lumora
