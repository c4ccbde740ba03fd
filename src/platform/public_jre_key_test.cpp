// The public JRE lookup on this platform, through the record it really reads (the registry under
// Windows and Wine; JAVA_HOME and PATH on POSIX), with the log texts the JRE search sees.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "jre/public_jre.h"
#include "platform/os.h"
#include "platform/unicode.h"
#include "shell/diagnostic_log.h"
#include "support/log_texts.h"
#include "support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#include <fstream>
#endif

namespace lumora {
namespace {


constexpr std::size_t kLongest = os::kMaxPath - 1;

constexpr char kLooking[] = "Looking for JavaSoft 1.7 JRE in registry.\n";
constexpr char kOpened[] = "Successfully opened registry key.\n";

std::string queriedLog(const std::u16string& value) {
  return std::string(kLooking) + kOpened + "Successfully queried JavaHome.\n" + utf16ToUtf8(value) +
         "\n";
}

class PublicJreTest : public testing::LoggedUnitTest {};

#ifdef _WIN32

constexpr wchar_t kKeyPath[] = L"SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.7";

// The key HKEY_LOCAL_MACHINE\SOFTWARE\JavaSoft\Java Runtime Environment\1.7, made for one test
// and removed afterwards together with the parent keys it had to make.
class JavaSoftKey {
 public:
  JavaSoftKey() {
    HKEY probe = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKeyPath, 0, KEY_READ, &probe) == ERROR_SUCCESS) {
      RegCloseKey(probe);
      problem_ = "this machine has a JRE 1.7 registered, which the tests leave alone";
      return;
    }
    std::wstring path;
    for (const wchar_t* part : {L"SOFTWARE", L"JavaSoft", L"Java Runtime Environment", L"1.7"}) {
      if (!path.empty()) path += L"\\";
      path += part;
      if (!create(path)) return;
    }
  }
  ~JavaSoftKey() {
    if (key_ != nullptr) RegCloseKey(key_);
    for (auto made = made_.rbegin(); made != made_.rend(); ++made) {
      RegDeleteKeyW(HKEY_LOCAL_MACHINE, made->c_str());
    }
  }
  JavaSoftKey(const JavaSoftKey&) = delete;
  JavaSoftKey& operator=(const JavaSoftKey&) = delete;

  // Why the key could not be made, or nothing.
  const std::optional<std::string>& problem() const { return problem_; }

  // Stores JavaHome with the given type and the first `bytes` bytes of `units`.
  bool setJavaHome(DWORD type, const std::u16string& units, DWORD bytes) const {
    return RegSetValueExW(key_, L"JavaHome", 0, type, reinterpret_cast<const BYTE*>(units.data()),
                          bytes) == ERROR_SUCCESS;
  }

 private:
  bool create(const std::wstring& path) {
    if (key_ != nullptr) RegCloseKey(key_);
    key_ = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key_, &disposition) != ERROR_SUCCESS) {
      problem_ = "HKEY_LOCAL_MACHINE cannot be written here";
      return false;
    }
    if (disposition == REG_CREATED_NEW_KEY) made_.push_back(path);
    return true;
  }

  HKEY key_ = nullptr;
  std::vector<std::wstring> made_;
  std::optional<std::string> problem_;
};

TEST_F(PublicJreTest, WithoutTheKeyOnlyTheSearchIsLogged) {
  HKEY probe = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKeyPath, 0, KEY_READ, &probe) == ERROR_SUCCESS) {
    RegCloseKey(probe);
    GTEST_SKIP() << "this machine has a JRE 1.7 registered";
  }
  std::u16string folder = u"C:\\earlier";
  EXPECT_FALSE(queryPublicJre(folder));
  EXPECT_EQ(folder, u"C:\\earlier");
  EXPECT_EQ(log(), kLooking);
}

TEST_F(PublicJreTest, AKeyWithoutTheValueGivesNothing) {
  const JavaSoftKey key;
  if (key.problem()) GTEST_SKIP() << *key.problem();
  std::u16string folder = u"C:\\earlier";
  EXPECT_FALSE(queryPublicJre(folder));
  EXPECT_EQ(folder, u"C:\\earlier");
  EXPECT_EQ(log(), std::string(kLooking) + kOpened);
}

struct StoredValue {
  const char* name;
  DWORD type;
  std::u16string units;  // what is stored: its first `bytes` bytes
  DWORD bytes;
  std::u16string before;  // the folder's text before the lookup
  bool found;
  std::optional<std::u16string> folder;  // its text after the lookup; nothing: not said
};

void PrintTo(const StoredValue& value, std::ostream* out) { *out << value.name; }

DWORD withTerminator(const std::u16string& text) {
  return static_cast<DWORD>((text.size() + 1) * sizeof(char16_t));
}

DWORD withoutTerminator(const std::u16string& text) {
  return static_cast<DWORD>(text.size() * sizeof(char16_t));
}

// The registry adds the terminator that a caller left out of the byte count when it follows the
// text in memory (as Windows does); a unit after the text keeps the value unterminated.
std::u16string unterminated(const std::u16string& text) { return text + u'#'; }

std::vector<StoredValue> storedValues() {
  const std::u16string jre7 = u"C:\\Program Files\\Java\\jre7";
  const std::u16string x259 = u"C:\\" + std::u16string(256, u'x');
  const std::u16string x260 = x259 + u"y";
  const std::u16string older = u"D:\\" + std::u16string(200, u'o');
  const std::u16string embedded(u"C:\\a\0junk", 9);
  const std::u16string expandable = u"%JAVA_HOME%";
  return {
      {"AFolder", REG_SZ, jre7, withTerminator(jre7), u"", true, jre7},
      {"AnEmptyText", REG_SZ, u"", 2, older, true, u""},
      // A value stored without its terminator ends after its last unit, whatever came before.
      {"WithoutTerminator", REG_SZ, unterminated(jre7), withoutTerminator(jre7), older, true, jre7},
      {"AnOddByteCountDropsTheHalfUnit", REG_SZ, unterminated(jre7), withoutTerminator(jre7) + 1,
       older, true, jre7},
      {"ATextEndsAtItsFirstTerminator", REG_SZ, embedded, withTerminator(embedded), u"", true,
       u"C:\\a"},
      {"TheLongestTextIsReadWhole", REG_SZ, x259, withTerminator(x259), older, true, x259},
      // 260 units without a terminator fill the buffer exactly: the last one gives way.
      {"AFullBufferLosesItsLastUnit", REG_SZ, unterminated(x260), withoutTerminator(x260), older,
       true, x259},
      {"AValueBeyondTheBufferIsRefused", REG_SZ, x260, withTerminator(x260), older, false,
       std::nullopt},
      // Refused types: the data stays as the folder's text (nothing expanded), cut to fit.
      {"AnExpandableTextIsRefused", REG_EXPAND_SZ, expandable, withTerminator(expandable), older,
       false, expandable},
      {"AFullExpandableTextIsRefusedAndCut", REG_EXPAND_SZ, unterminated(x260),
       withoutTerminator(x260), older, false, x259},
      {"ANumberIsRefused", REG_DWORD, std::u16string(u"\x0001\0", 2), 4, u"", false, u"\x0001"},
  };
}

class StoredValueTest : public PublicJreTest, public ::testing::WithParamInterface<StoredValue> {};

TEST_P(StoredValueTest, GivesTheFolderAsTheBufferHoldsIt) {
  const StoredValue& value = GetParam();
  const JavaSoftKey key;
  if (key.problem()) GTEST_SKIP() << *key.problem();
  ASSERT_TRUE(key.setJavaHome(value.type, value.units, value.bytes));

  std::u16string folder = value.before;
  EXPECT_EQ(queryPublicJre(folder), value.found);
  // Whatever the registry left, the folder is a terminated text within the path limit.
  EXPECT_LE(folder.size(), kLongest);
  EXPECT_EQ(folder.find(u'\0'), std::u16string::npos);
  if (value.folder) {
    EXPECT_EQ(folder, *value.folder);
  }
  EXPECT_EQ(log(), value.found ? queriedLog(folder) : std::string(kLooking) + kOpened);
}

INSTANTIATE_TEST_SUITE_P(Registry, StoredValueTest, ::testing::ValuesIn(storedValues()),
                         [](const auto& info) { return std::string(info.param.name); });

#else  // POSIX

namespace fs = std::filesystem;

// Sets or unsets an environment variable for one test and puts the old value back afterwards.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    set(value);
  }
  ~ScopedVariable() { set(old_); }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  void set(const std::optional<std::string>& value) const {
    if (value) {
      setenv(name_, value->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

  const char* name_;
  std::optional<std::string> old_;
};

void makeProgram(const fs::path& file) {
  fs::create_directories(file.parent_path());
  std::ofstream(file) << "#!/bin/sh\nexit 0\n";
  fs::permissions(file, fs::perms::owner_all);
}

// A JDK stand-in, jdk/bin/java, that the folder on PATH reaches through a chain of links the way
// distributions install it: path/java -> alternatives/java -> jdk/bin/java.
class PosixPublicJreTest : public PublicJreTest {
 protected:
  PosixPublicJreTest() {
    makeProgram(root() / "jdk" / "bin" / "java");
    fs::create_directories(root() / "alternatives");
    fs::create_symlink(root() / "jdk" / "bin" / "java", root() / "alternatives" / "java");
    fs::create_directories(root() / "path");
    fs::create_symlink("../alternatives/java", root() / "path" / "java");
  }

  fs::path root() const { return dir_.path(); }
  std::u16string jdkHome() const { return fs::canonical(root() / "jdk").u16string(); }

  ScopedVariable path_{"PATH", (root() / "path").string()};
  ScopedVariable javaHome_{"JAVA_HOME", std::nullopt};
};

TEST_F(PosixPublicJreTest, JavaHomeIsTakenAsItIs) {
  const ScopedVariable javaHome("JAVA_HOME", "/opt/jdk 17-\xC3\xA9/");
  std::u16string folder = u"/earlier";
  EXPECT_TRUE(queryPublicJre(folder));
  EXPECT_EQ(folder, u"/opt/jdk 17-\u00e9/");
  EXPECT_EQ(log(), queriedLog(folder));
}

TEST_F(PosixPublicJreTest, WithoutJavaHomeTheJavaOnPathNamesTheHome) {
  for (const std::optional<std::string>& unsetOrEmpty :
       std::initializer_list<std::optional<std::string>>{std::nullopt, ""}) {
    SCOPED_TRACE(unsetOrEmpty ? "JAVA_HOME empty" : "JAVA_HOME unset");
    const ScopedVariable javaHome("JAVA_HOME", unsetOrEmpty);
    std::u16string folder;
    EXPECT_TRUE(queryPublicJre(folder));
    EXPECT_EQ(folder, jdkHome());
  }
  EXPECT_EQ(log(), queriedLog(jdkHome()) + queriedLog(jdkHome()));
}

TEST_F(PosixPublicJreTest, AJavaThatIsNotInABinFolderNamesNoHome) {
  makeProgram(root() / "tools" / "java");
  makeProgram(root() / "bin-not" / "java");
  for (const char* folderOnPath : {"tools", "bin-not", "empty"}) {
    SCOPED_TRACE(folderOnPath);
    fs::create_directories(root() / "empty");
    const ScopedVariable path("PATH", (root() / folderOnPath).string());
    std::u16string folder = u"/earlier";
    EXPECT_FALSE(queryPublicJre(folder));
    EXPECT_EQ(folder, u"/earlier");
  }
  EXPECT_EQ(log(), std::string(kLooking) + kLooking + kLooking);
}

TEST_F(PosixPublicJreTest, AHomeBeyondThePathLimitIsRefused) {
  const std::string longest = "/" + std::string(kLongest - 1, 'j');
  {
    const ScopedVariable javaHome("JAVA_HOME", longest);
    std::u16string folder;
    EXPECT_TRUE(queryPublicJre(folder));
    EXPECT_EQ(folder, utf8ToUtf16(longest));
  }
  const ScopedVariable javaHome("JAVA_HOME", longest + "j");
  std::u16string folder = u"/earlier";
  EXPECT_FALSE(queryPublicJre(folder));
  EXPECT_EQ(folder, u"/earlier");
  EXPECT_EQ(log(), queriedLog(utf8ToUtf16(longest)) + kLooking + kOpened);
}

// The seam gives the folder as the registry gives a text value: its units and a terminator, and
// nothing written beyond them.
TEST_F(PosixPublicJreTest, TheKeyReadsTheHomeWithItsTerminator) {
  const ScopedVariable javaHome("JAVA_HOME", "/j");
  std::optional<os::PublicJreKey> key = os::PublicJreKey::open();
  ASSERT_TRUE(key);
  const os::PublicJreKey moved = std::move(*key);
  char16_t buffer[4] = {u'?', u'?', u'?', u'?'};
  const os::PublicJreValue value = moved.readJavaHome(buffer, sizeof buffer);
  EXPECT_TRUE(value.read);
  EXPECT_TRUE(value.isText);
  EXPECT_EQ(value.byteCount, 6u);
  EXPECT_EQ(std::u16string(buffer, 4), std::u16string(u"/j\0?", 4));
  EXPECT_FALSE(moved.readJavaHome(buffer, 5).read);
}

#endif

}  // namespace
}  // namespace lumora
