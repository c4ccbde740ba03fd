// The folder prompt on this platform, answered the way a user would (the browse dialog under
// Windows and Wine, by lumora_prompthelper; zenity or the terminal on POSIX), with the log texts
// the JRE search sees.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "jre/public_jre.h"
#include "platform/os.h"
#include "platform/path.h"
#include "platform/unicode.h"
#include "shell/diagnostic_log.h"
#include "support/log_texts.h"
#include "support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>

#include <thread>
#else
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#endif

namespace lumora {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;

constexpr std::size_t kLongest = os::kMaxPath - 1;

constexpr char kPrompting[] = "Prompting for JRE location.\n";
constexpr char kPrompted[] = "Successfully prompted.\n";

std::string chosenLog(const std::u16string& path) {
  return std::string(kPrompting) + kPrompted + "Successfully retrieved path.\n" +
         utf16ToUtf8(path) + "\n";
}

class FolderPromptTest : public testing::LoggedUnitTest {};

#ifdef _WIN32

bool underWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool hasDisplay() {
  wchar_t value[2];
  return GetEnvironmentVariableW(L"DISPLAY", value, 2) > 0;
}

BOOL CALLBACK cancelIfOwnDialog(HWND window, LPARAM) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (owner == GetCurrentProcessId() && std::wstring(name) == L"#32770") {
    PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
  }
  return TRUE;
}

// Closes this process's open dialogs, so that a prompt nobody answered returns.
void cancelOwnDialogs() { EnumWindows(cancelIfOwnDialog, 0); }

// lumora_prompthelper answering this process's next folder dialog. Should the helper end with
// the dialog still open, the dialog is cancelled, so that a failing test cannot hang.
class PromptHelper {
 public:
  struct Outcome {
    DWORD exitCode = 0;
    std::string output;  // what it printed
  };

  PromptHelper(const std::u16string& program, const std::wstring& action) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd_, &writeEnd, &inheritable, 0)) return;
    SetHandleInformation(readEnd_, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    std::wstring commandLine = L"\"" + std::wstring(program.begin(), program.end()) +
                               L"\" --timeout 20 --pid " + std::to_wstring(GetCurrentProcessId()) +
                               L" " + action;
    started_ = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                              nullptr, &startup, &process_) != FALSE;
    CloseHandle(writeEnd);
    if (!started_) return;
    watchdog_ = std::thread([process = process_.hProcess] {
      WaitForSingleObject(process, INFINITE);
      Sleep(500);
      cancelOwnDialogs();
    });
  }

  ~PromptHelper() {
    if (started_ && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_.hProcess, 1);
    }
    if (watchdog_.joinable()) watchdog_.join();
    if (started_) {
      CloseHandle(process_.hProcess);
      CloseHandle(process_.hThread);
    }
    if (readEnd_ != nullptr) CloseHandle(readEnd_);
  }
  PromptHelper(const PromptHelper&) = delete;
  PromptHelper& operator=(const PromptHelper&) = delete;

  bool started() const { return started_; }

  // Waits for the helper to end.
  Outcome finish() {
    Outcome outcome;
    if (WaitForSingleObject(process_.hProcess, 60000) != WAIT_OBJECT_0) return {99, "hung"};
    GetExitCodeProcess(process_.hProcess, &outcome.exitCode);
    char buffer[512];
    DWORD count = 0;
    while (ReadFile(readEnd_, buffer, sizeof buffer, &count, nullptr) && count > 0) {
      outcome.output.append(buffer, count);
    }
    return outcome;
  }

 private:
  HANDLE readEnd_ = nullptr;
  PROCESS_INFORMATION process_{};
  bool started_ = false;
  std::thread watchdog_;
};

// The dialog needs a display: under Wine these tests run in the lumora_folder_prompt_dialog test,
// on the session's display, and are skipped in the unit-test run, which goes without one.
class BrowseDialogTest : public FolderPromptTest {
 protected:
  void SetUp() override {
    if (underWine() && !hasDisplay()) GTEST_SKIP() << "no display for the dialog under Wine";
    const std::optional<std::u16string> helper = executableRelativePath(u"lumora_prompthelper.exe");
    if (!helper || !fs::exists(fs::path(*helper))) {
      GTEST_SKIP() << "lumora_prompthelper.exe missing";
    }
    helper_ = *helper;
    os::initializeCom();
    FolderPromptTest::SetUp();
  }

  // Shows the prompt while the helper gives `action`; the helper's outcome.
  PromptHelper::Outcome prompt(const std::wstring& action, std::u16string& folder, bool& result) {
    PromptHelper helper(helper_, action);
    if (!helper.started()) return {98, "not started"};
    result = promptForJre(folder);
    return helper.finish();
  }

  std::u16string helper_;
};

TEST_F(BrowseDialogTest, CancellingLogsOnlyThePrompt) {
  std::u16string folder = u"C:\\earlier";
  bool result = true;
  const PromptHelper::Outcome helper = prompt(L"--cancel", folder, result);
  EXPECT_EQ(helper.exitCode, 0u) << helper.output;
  EXPECT_NE(helper.output.find("cancelled"), std::string::npos) << helper.output;
  EXPECT_FALSE(result);
  EXPECT_EQ(folder, u"C:\\earlier");
  EXPECT_EQ(log(), kPrompting);
}

TEST_F(BrowseDialogTest, AChosenFolderIsLoggedAndGiven) {
  const std::u16string chosen = dir_.file(u"jre home");
  fs::create_directories(fs::path(chosen));
  std::u16string folder = u"C:\\earlier";
  bool result = false;
  const PromptHelper::Outcome helper =
      prompt(L"--choose \"" + std::wstring(chosen.begin(), chosen.end()) + L"\"", folder, result);
  EXPECT_EQ(helper.exitCode, 0u) << helper.output;
  EXPECT_TRUE(result);
  EXPECT_EQ(folder, chosen);
  EXPECT_EQ(log(), chosenLog(chosen));
}

// "My Computer" is an item of the shell without a file-system path.
TEST_F(BrowseDialogTest, AnItemWithoutAFileSystemPathGivesNothing) {
  std::u16string folder = u"C:\\earlier";
  bool result = true;
  const PromptHelper::Outcome helper =
      prompt(L"--choose ::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", folder, result);
  EXPECT_EQ(helper.exitCode, 0u) << helper.output;
  EXPECT_FALSE(result);
  EXPECT_EQ(folder, u"C:\\earlier");
  EXPECT_EQ(log(), std::string(kPrompting) + kPrompted);
}

#else  // POSIX

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

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// One of the process's standard streams taken from another file for a while.
class ScopedStream {
 public:
  ScopedStream(int stream, int source) : stream_(stream), saved_(dup(stream)) {
    dup2(source, stream);
  }
  ~ScopedStream() { dup2(saved_.get(), stream_); }
  ScopedStream(const ScopedStream&) = delete;
  ScopedStream& operator=(const ScopedStream&) = delete;

 private:
  int stream_;
  Descriptor saved_;
};

// A pseudo-terminal: the test types on one side, the prompt reads and writes on the other.
class Terminal {
 public:
  Terminal() : keyboard_(posix_openpt(O_RDWR | O_NOCTTY)), device_(openDevice(keyboard_.get())) {}

  bool ready() const { return device_.get() >= 0; }
  int device() const { return device_.get(); }

  void type(const std::string& keys) const {
    EXPECT_EQ(write(keyboard_.get(), keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
  }

  // What the terminal showed, once `expected` is among it or after a few seconds.
  std::string screen(const std::string& expected) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (shown_.find(expected) == std::string::npos &&
           std::chrono::steady_clock::now() < deadline) {
      pollfd ready{keyboard_.get(), POLLIN, 0};
      if (poll(&ready, 1, 100) <= 0) continue;
      char buffer[512];
      const ssize_t count = read(keyboard_.get(), buffer, sizeof buffer);
      if (count > 0) shown_.append(buffer, static_cast<std::size_t>(count));
    }
    return shown_;
  }

 private:
  static int openDevice(int keyboard) {
    if (keyboard < 0 || grantpt(keyboard) != 0 || unlockpt(keyboard) != 0) return -1;
    const char* name = ptsname(keyboard);
    return name != nullptr ? open(name, O_RDWR | O_NOCTTY) : -1;
  }

  Descriptor keyboard_;
  Descriptor device_;
  std::string shown_;
};

// PATH holds only the test's own bin folder, there is a display, and standard input is not a
// terminal (even when the tests run from one) unless a test gives it one.
class PosixFolderPromptTest : public FolderPromptTest {
 protected:
  PosixFolderPromptTest() { fs::create_directories(bin()); }

  fs::path bin() const { return dir_.path() / "bin"; }

  // A zenity stand-in that writes down its arguments, prints `output` and exits with `exitCode`.
  void installZenity(const std::string& output, int exitCode) const {
    std::ofstream(dir_.path() / "answer", std::ios::binary) << output;
    const fs::path script = bin() / "zenity";
    std::ofstream(script) << "#!/bin/sh\n"
                          << "for a in \"$@\"; do printf '%s\\n' \"$a\"; done >'"
                          << (dir_.path() / "arguments").string() << "'\n"
                          << "/bin/cat '" << (dir_.path() / "answer").string() << "'\n"
                          << "exit " << exitCode << "\n";
    fs::permissions(script, fs::perms::owner_all);
  }

  // The arguments zenity was run with, one a line; empty when it did not run.
  std::string zenityArguments() const { return readBytes(dir_.path() / "arguments"); }

  ScopedVariable path_{"PATH", bin().string()};
  ScopedVariable display_{"DISPLAY", ":77"};
  ScopedVariable wayland_{"WAYLAND_DISPLAY", std::nullopt};
  Descriptor nothing_{open("/dev/null", O_RDONLY)};
  ScopedStream input_{STDIN_FILENO, nothing_.get()};
};

constexpr char kZenityArguments[] = "--file-selection\n--directory\n--title=Select JRE location\n";

struct Answer {
  const char* name;
  std::string output;  // what the chooser gives: zenity's output, or the keys typed
  int exitCode;        // zenity's
  bool itemChosen;
  std::optional<std::u16string> path;  // the folder, when one is given
};

void PrintTo(const Answer& answer, std::ostream* out) { *out << answer.name; }

std::string expectedLog(const Answer& answer) {
  if (answer.path) return chosenLog(*answer.path);
  return answer.itemChosen ? std::string(kPrompting) + kPrompted : kPrompting;
}

class ZenityPromptTest : public PosixFolderPromptTest,
                         public ::testing::WithParamInterface<Answer> {};

TEST_P(ZenityPromptTest, AnswersThePrompt) {
  const Answer& answer = GetParam();
  installZenity(answer.output, answer.exitCode);
  std::u16string folder = u"/earlier";
  EXPECT_EQ(promptForJre(folder), answer.path.has_value());
  EXPECT_EQ(folder, answer.path.value_or(u"/earlier"));
  EXPECT_EQ(zenityArguments(), kZenityArguments);
  EXPECT_EQ(log(), expectedLog(answer));
}

const std::string kTooLong = "/" + std::string(kLongest, 'j');  // one unit beyond the limit
const std::string kLongestPath = "/" + std::string(kLongest - 1, 'j');

INSTANTIATE_TEST_SUITE_P(
    Prompt, ZenityPromptTest,
    ::testing::Values(Answer{"AFolder", "/opt/jre 7\n", 0, true, u"/opt/jre 7"},
                      Answer{"AFolderWithoutLineFeed", "/opt/jre", 0, true, u"/opt/jre"},
                      Answer{"TheLongestPath", kLongestPath + "\n", 0, true,
                             utf8ToUtf16(kLongestPath)},
                      Answer{"APathBeyondTheLimit", kTooLong + "\n", 0, true, std::nullopt},
                      Answer{"APathThatIsNotUtf8", "/opt/\xFF\n", 0, true, std::nullopt},
                      Answer{"Cancelled", "", 1, false, std::nullopt},
                      Answer{"AFailure", "/opt/jre\n", 255, false, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PosixFolderPromptTest, AWaylandDisplayIsADisplayToo) {
  const ScopedVariable x11("DISPLAY", std::nullopt);
  const ScopedVariable wayland("WAYLAND_DISPLAY", "wayland-0");
  installZenity("/opt/jre\n", 0);
  EXPECT_EQ(os::browseForFolder(u"Select JRE location").path, u"/opt/jre");
}

TEST_F(PosixFolderPromptTest, WithNothingToAskWithThePromptIsCancelled) {
  {
    SCOPED_TRACE("a display, but no zenity");
    std::u16string folder = u"/earlier";
    EXPECT_FALSE(promptForJre(folder));
    EXPECT_EQ(folder, u"/earlier");
  }
  {
    SCOPED_TRACE("zenity, but no display");
    installZenity("/opt/jre\n", 0);
    const ScopedVariable x11("DISPLAY", std::nullopt);
    std::u16string folder = u"/earlier";
    EXPECT_FALSE(promptForJre(folder));
    EXPECT_EQ(zenityArguments(), "");
  }
  EXPECT_EQ(log(), std::string(kPrompting) + kPrompting);
}

class TerminalPromptTest : public PosixFolderPromptTest,
                           public ::testing::WithParamInterface<Answer> {};

// Without a display the question goes to the terminal, even with zenity installed.
TEST_P(TerminalPromptTest, AnswersThePrompt) {
  const Answer& answer = GetParam();
  installZenity("/from/zenity\n", 0);
  const ScopedVariable x11("DISPLAY", std::nullopt);
  Terminal terminal;
  ASSERT_TRUE(terminal.ready());
  terminal.type(answer.output);
  std::u16string folder = u"/earlier";
  bool result;
  {
    const ScopedStream input(STDIN_FILENO, terminal.device());
    const ScopedStream errors(STDERR_FILENO, terminal.device());
    result = promptForJre(folder);
  }
  // A relative answer is taken from the current directory.
  std::optional<std::u16string> path = answer.path;
  if (path && path->front() != u'/') path = fs::current_path().u16string() + u"/" + *path;
  EXPECT_EQ(result, path.has_value());
  EXPECT_EQ(folder, path.value_or(u"/earlier"));
  EXPECT_NE(terminal.screen("Select JRE location: ").find("Select JRE location: "),
            std::string::npos);
  EXPECT_EQ(zenityArguments(), "");
  EXPECT_EQ(log(), expectedLog({answer.name, answer.output, 0, answer.itemChosen, path}));
}

INSTANTIATE_TEST_SUITE_P(
    Prompt, TerminalPromptTest,
    ::testing::Values(Answer{"AFolder", "/opt/jre 7\n", 0, true, u"/opt/jre 7"},
                      Answer{"ARelativeFolder", "jre 7\n", 0, true, u"jre 7"},
                      Answer{"APathBeyondTheLimit", kTooLong + "\n", 0, true, std::nullopt},
                      Answer{"AnEmptyLine", "\n", 0, false, std::nullopt},
                      Answer{"TheEndOfTheInput", "\x04", 0, false, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

#endif

}  // namespace
}  // namespace lumora
