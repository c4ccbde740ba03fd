#include "jre/jre_path_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <forward_list>
#include <fstream>
#include <map>
#include <vector>

#include "platform/os.h"
#include "platform/path.h"
#include "platform/text_writer.h"
#include "platform/unicode.h"
#include "shell/diagnostic_log.h"
#include "support/temp_dir.h"
#include "support/test_libraries.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using testing::onWindows;
using testing::readBytes;
using testing::TempDir;
using namespace std::string_literals;

constexpr std::u16string_view kPathRead = u"Path read from config file.\n";
constexpr std::u16string_view kConverting = u"Converting relative path to an absolute path.\n";
constexpr std::u16string_view kSaved = u"User specified JRE path saved.\n";
constexpr std::string_view kBom = kUtf8ByteOrderMark;

// The log bytes that a sequence of texts gives.
std::string logged(std::initializer_list<std::u16string_view> texts) {
  std::string bytes(kUtf8ByteOrderMark);
  for (std::u16string_view text : texts) bytes += encodeTextForFile(text);
  return bytes;
}

std::string utf8(std::u16string_view text) { return utf16ToUtf8(text); }

std::string utf16(std::u16string_view text, bool bigEndian = false) {
  std::string bytes;
  for (char16_t unit : text) {
    const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
  }
  return bytes;
}

std::u16string withSeparator(std::u16string folder, std::u16string_view name) {
  return folder + os::kPathSeparator + std::u16string(name);
}

// putenv keeps the text it is given, which must therefore live as long as the process.
void putEnvironment(std::string assignment) {
  static std::forward_list<std::string> kept;
  kept.push_front(std::move(assignment));
  putenv(kept.front().data());
}

// Puts back, when destroyed, what was at a path outside any TempDir when it was made: jrepath.cfg
// beside the test program, the per-user file in the user's folder on Windows. Starts with nothing
// at the path.
class RestoredPath {
 public:
  explicit RestoredPath(fs::path path) : path_(std::move(path)) {
    if (fs::is_regular_file(path_)) earlier_ = readBytes(path_);
    fs::remove_all(path_);
  }
  ~RestoredPath() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
    if (earlier_) std::ofstream(path_, std::ios::binary) << *earlier_;
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
  std::optional<std::string> earlier_;
};

// The user's application-data folder for one test: on POSIX a temporary folder that
// XDG_CONFIG_HOME names; on Windows the user's real folder (the Wine prefix's), whose per-user
// file is put back afterwards.
class UserDataFolder {
 public:
  explicit UserDataFolder(const TempDir& dir)
      : folder_(onWindows() ? fs::path(os::userDataFolder().value()) : dir.path() / "config"),
        file_(folder_ / "lumorajrepath.cfg") {
    if (onWindows()) return;
    fs::create_directories(folder_);
    const char* earlier = std::getenv("XDG_CONFIG_HOME");
    if (earlier != nullptr) earlier_ = earlier;
    redirect(folder_);
  }
  ~UserDataFolder() {
    if (onWindows()) return;
    // Without "=", glibc's putenv removes the variable.
    putEnvironment(earlier_ ? "XDG_CONFIG_HOME=" + *earlier_ : "XDG_CONFIG_HOME");
  }

  // POSIX: makes `folder` the user's application-data folder.
  static void redirect(const fs::path& folder) {
    putEnvironment("XDG_CONFIG_HOME=" + folder.string());
  }

  const fs::path& folder() const { return folder_; }
  const fs::path& file() const { return file_.path(); }

 private:
  fs::path folder_;
  RestoredPath file_;
  std::optional<std::string> earlier_;
};

// The entries of a folder, each with its content ("/" for a folder). Not recursive: Wine links
// folders of the user's own folder to the home folder.
std::map<fs::path, std::string> snapshot(const fs::path& folder) {
  std::map<fs::path, std::string> entries;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    entries[entry.path().filename()] = entry.is_directory() ? "/" : readBytes(entry.path());
  }
  return entries;
}

class JrePathFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { openLog(); }
  void TearDown() override { DiagnosticLog::close(); }

  // A fresh, empty log.
  void openLog() {
    DiagnosticLog::close();
    ASSERT_TRUE(DiagnosticLog::open(dir_.file(u"run.log")));
  }
  std::string log() {
    DiagnosticLog::close();
    return readBytes(dir_.path() / "run.log");
  }

  TempDir dir_;
};

TEST_F(JrePathFilesTest, ReadsTheFolderFromTheFirstLine) {
  const std::u16string folder = localPath(u"\\opt\\j\u00e4va\\\u4e2d \U0001F600\\jre 7");
  const std::string f = utf8(folder);
  const std::u16string longFolder = localPath(u"\\") + std::u16string(299, u'\u4e2d');
  const std::u16string earlier = u"earlier";
  const struct {
    std::string bytes;
    bool found;
    std::u16string expected;  // the folder buffer afterwards
  } cases[] = {
      {f, true, folder},
      {f + "\n", true, folder},
      {f + "\r\nsecond\r\n", true, folder},
      {std::string(kBom) + f + "\r\n", true, folder},
      {"\xFF\xFE" + utf16(folder + u"\r\nsecond"), true, folder},
      {f + " \t\"\n", true, folder + u" \t\""},  // nothing is trimmed
      {f + "\rx\n", true, folder + u"\rx"},      // a lone CR is no line end
      {f + "\x1A"
           "more\n",
       true, folder},
      {f + "\0more\n"s, true, folder},
      {f + "\n\xFF\xFE\n", true, folder},  // only the first line counts
      {utf8(longFolder), true, longFolder.substr(0, 259)},
      {utf8(longFolder.substr(0, 259)) + "\n", true, longFolder.substr(0, 259)},
      {utf8(longFolder.substr(0, 258)) + "\n", true, longFolder.substr(0, 258)},
      // An empty first line: the buffer holds the empty text.
      {"\n" + f, false, u""},
      {"\r\n" + f, false, u""},
      {std::string(kBom) + "\n", false, u""},
      {"\0"s + f, false, u""},
      // Nothing read: the buffer keeps what it held.
      {"", false, earlier},
      {std::string(kBom), false, earlier},
      {"\xFF\xFE", false, earlier},
      {"\x1A" + f, false, earlier},
      {"\xFE\xFF" + utf16(folder, /*bigEndian=*/true), false, earlier},
      {"\xC3(" + f, false, earlier},  // not UTF-8
      {f + "\xE9\n", false, earlier},
      {"\xEF\xBB" + f, false, earlier},
  };
  for (const auto& c : cases) {
    openLog();
    std::u16string buffer = earlier;
    EXPECT_EQ(readJrePathFile(buffer, dir_.write(u"jrepath.cfg", c.bytes)), c.found)
        << "bytes: " << c.bytes;
    EXPECT_EQ(buffer, c.expected) << "bytes: " << c.bytes;
    EXPECT_EQ(log(), c.found ? logged({kPathRead, c.expected, u"\n"}) : logged({}))
        << "bytes: " << c.bytes;
  }
}

TEST_F(JrePathFilesTest, AFileThatCannotBeOpenedGivesNothing) {
  RestoredPath besideExecutable(fs::path(executableRelativePath(u"jrepath.cfg").value()));
  for (const std::u16string& path : {dir_.file(u"missing.cfg"), dir_.u16()}) {
    std::u16string buffer = u"earlier";
    EXPECT_FALSE(readJrePathFile(buffer, path));
    EXPECT_EQ(buffer, u"earlier");
  }
  std::u16string buffer = u"earlier";
  EXPECT_FALSE(readInstallJrePath(buffer));
  EXPECT_EQ(buffer, u"earlier");
  EXPECT_EQ(log(), logged({}));
}

// Both files name a relative folder from the executable's folder (here the test program's),
// never from the folder the file lies in.
TEST_F(JrePathFilesTest, RelativeFoldersAreResolvedAgainstTheExecutablesFolder) {
  const std::u16string executableFolder = lumora::executableFolder().value();
  UserDataFolder userFolder(dir_);
  RestoredPath besideExecutable(fs::path(executableRelativePath(u"jrepath.cfg").value()));
  const std::u16string relative = localPath(u"..\\runtimes\\jre \u00e9");
  const struct {
    const char* file;
    const fs::path& path;
    bool (*read)(std::u16string&);
  } files[] = {
      {"jrepath.cfg", besideExecutable.path(), readInstallJrePath},
      {"lumorajrepath.cfg", userFolder.file(),
       [](std::u16string& buffer) { return readJrePathFile(buffer, userJrePathFile().value()); }},
  };
  for (const auto& file : files) {
    for (std::u16string_view text : {std::u16string_view(u"jre7"), std::u16string_view(relative)}) {
      openLog();
      std::ofstream(file.path, std::ios::binary) << kBom << utf8(text) << "\r\n";
      std::u16string buffer;
      EXPECT_TRUE(file.read(buffer)) << file.file;
      EXPECT_EQ(buffer, withSeparator(executableFolder, text)) << file.file;
      EXPECT_EQ(log(), logged({kPathRead, text, u"\n", kConverting})) << file.file;
    }
  }
}

TEST_F(JrePathFilesTest, AFailedResolutionKeepsTheRelativeText) {
  // Too long to fit after the executable's folder.
  const std::u16string relative(259, u'r');
  std::u16string buffer;
  EXPECT_FALSE(readJrePathFile(buffer, dir_.write(u"lumorajrepath.cfg", utf8(relative))));
  EXPECT_EQ(buffer, relative);
  EXPECT_EQ(log(), logged({kPathRead, relative, u"\n", kConverting}));
}

TEST_F(JrePathFilesTest, ThePerUserFileLiesInTheUsersApplicationDataFolder) {
  UserDataFolder userFolder(dir_);
  EXPECT_EQ(userJrePathFile(), userFolder.file().u16string());
  if (onWindows()) return;

  // POSIX: nothing when the location would be too long, and then nothing is saved.
  const fs::path deep = dir_.path() / std::string(250 - dir_.path().string().size(), 'd');
  UserDataFolder::redirect(deep);
  EXPECT_EQ(userJrePathFile(), std::nullopt);
  EXPECT_FALSE(saveUserJrePath(u"/opt/jre"));
  EXPECT_EQ(log(), logged({}));
}

TEST_F(JrePathFilesTest, ASavedFolderReadsBackUnchanged) {
  UserDataFolder userFolder(dir_);
  std::ofstream(userFolder.file(), std::ios::binary) << kBom << std::string(600, 'x') << "\r\n";
  const auto entries = snapshot(userFolder.folder());
  // A file made in the same folder the ordinary way, for the permissions a new file gets there.
  const fs::path reference = userFolder.folder() / "lumora-reference.txt";
  std::ofstream(reference) << "x";
  const fs::perms newFilePermissions = fs::status(reference).permissions();
  fs::remove(reference);

  const std::u16string folders[] = {
      localPath(u"\\Program Files\\Java\\jre7"),
      localPath(u"\\opt\\J\u00e4v\u00e4 \u4e2d\u6587\\\U0001F600\\jre"),
      localPath(u"\\") + std::u16string(258, u'\u00e9'),
  };
  for (const std::u16string& folder : folders) {
    openLog();
    ASSERT_TRUE(saveUserJrePath(folder));
    EXPECT_EQ(log(), logged({kSaved}));
    EXPECT_EQ(readBytes(userFolder.file()), std::string(kBom) + utf8(folder));
    EXPECT_EQ(snapshot(userFolder.folder()).size(), entries.size()) << "a temporary file is left";
    EXPECT_EQ(fs::status(userFolder.file()).permissions(), newFilePermissions);

    std::u16string buffer;
    EXPECT_TRUE(readJrePathFile(buffer, userJrePathFile().value()));
    EXPECT_EQ(buffer, folder);
  }
}

// The content goes to a new file first, which replaces the earlier file only once it is whole: a
// save that cannot complete keeps the earlier folder and leaves no temporary file behind.
TEST_F(JrePathFilesTest, ASaveThatCannotCompleteKeepsTheEarlierFolder) {
  UserDataFolder userFolder(dir_);
  enum class Obstacle { kFolderInTheWay, kNoDescriptorsLeft };
  std::vector<Obstacle> obstacles{Obstacle::kFolderInTheWay};
  if (!onWindows()) obstacles.push_back(Obstacle::kNoDescriptorsLeft);

  for (Obstacle obstacle : obstacles) {
    SCOPED_TRACE(static_cast<int>(obstacle));
    fs::remove_all(userFolder.file());
    if (obstacle == Obstacle::kFolderInTheWay) {
      fs::create_directory(userFolder.file());
      std::ofstream(userFolder.file() / "kept.txt") << "kept";
    } else {
      std::ofstream(userFolder.file(), std::ios::binary) << kBom << "/earlier/jre";
    }
    const auto before = snapshot(userFolder.folder());
    openLog();

    bool saved = true;
    if (obstacle == Obstacle::kNoDescriptorsLeft) {
      // The temporary file cannot be made when the process has no file descriptor left; this
      // stops root too, whom folder permissions would not stop.
      std::vector<os::File> open;
      while (open.size() < (1u << 20)) {
        std::optional<os::File> file = os::File::openForReading(dir_.file(u"run.log"));
        if (!file) break;
        open.push_back(std::move(*file));
      }
      if (open.size() == (1u << 20)) GTEST_SKIP() << "no limit on open files";
      saved = saveUserJrePath(u"/new/jre");
    } else {
      saved = saveUserJrePath(localPath(u"\\new\\jre"));
    }

    EXPECT_FALSE(saved);
    EXPECT_EQ(log(), logged({}));
    EXPECT_EQ(snapshot(userFolder.folder()), before);
    if (obstacle == Obstacle::kFolderInTheWay) {
      EXPECT_EQ(readBytes(userFolder.file() / "kept.txt"), "kept");
    }
  }
  fs::remove_all(userFolder.file());
}

// The earlier file is replaced, never emptied and rewritten: on POSIX a reader that has it open
// goes on reading the earlier content whole; Windows refuses to replace a file that a reader holds
// without sharing its deletion (as the C runtime opens files), and the save then fails.
TEST_F(JrePathFilesTest, AReaderOfTheEarlierFileNeverSeesAPart) {
  UserDataFolder userFolder(dir_);
  const std::string earlier = std::string(kBom) + utf8(localPath(u"\\earlier\\jre"));
  std::ofstream(userFolder.file(), std::ios::binary) << earlier;
  const auto before = snapshot(userFolder.folder());
  const std::u16string folder = localPath(u"\\new\\jre");

  std::ifstream reader(userFolder.file(), std::ios::binary);
  ASSERT_TRUE(reader.is_open());
  const bool saved = saveUserJrePath(folder);
  const std::string seen{std::istreambuf_iterator<char>(reader), {}};
  reader.close();

  EXPECT_EQ(seen, earlier);
  if (onWindows()) {
    EXPECT_FALSE(saved);
    EXPECT_EQ(log(), logged({}));
    EXPECT_EQ(snapshot(userFolder.folder()), before);
  } else {
    EXPECT_TRUE(saved);
    EXPECT_EQ(readBytes(userFolder.file()), std::string(kBom) + utf8(folder));
    EXPECT_EQ(snapshot(userFolder.folder()).size(), before.size()) << "a temporary file is left";
  }
}

// POSIX: a missing application-data folder is not made, nor is a path through a file used.
TEST_F(JrePathFilesTest, ASaveWithoutTheFolderWritesNothing) {
  if (onWindows()) GTEST_SKIP() << "the user's folder cannot be moved on Windows";
  UserDataFolder userFolder(dir_);
  dir_.write(u"plain-file", "x");
  for (const char* name : {"missing", "plain-file"}) {
    openLog();
    const fs::path folder = dir_.path() / name / "config";
    UserDataFolder::redirect(folder);
    EXPECT_FALSE(saveUserJrePath(u"/opt/jre")) << name;
    EXPECT_EQ(log(), logged({})) << name;
    EXPECT_FALSE(fs::exists(folder.parent_path() / "config")) << name;
  }
}

}  // namespace
}  // namespace lumora
