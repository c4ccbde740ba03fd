// lumora_prompthelper: answers the folder-browse dialog "Select JRE location" for the tests that
// run under Wine.
//
//   lumora_prompthelper (--cancel | --choose PATH) [--timeout SECONDS] [--pid PROCESS-ID]
//
// Waits at most SECONDS (default 20) for the dialog, prints "dialog caption=<its caption>", then
// either presses Cancel and prints "cancelled", or makes the dialog select PATH, presses OK and
// prints "chose <PATH>" (one UTF-8 line each). With --pid only that process's dialog counts.
// Exits 0 when done; prints "nodialog" and exits 3 when no dialog came; exits 2 on a bad command
// line and 4 when the path could not be handed over, the tree did not select it, or the dialog
// would not close.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "browse_dialog.h"

namespace lumora::prompthelper {
namespace {

constexpr wchar_t kTitle[] = L"Select JRE location";
constexpr DWORD kPollMs = 25;
constexpr DWORD kCloseMs = 5000;
constexpr int kSelectAttempts = 40;
constexpr DWORD kSelectRetryMs = 250;

struct Options {
  std::optional<std::wstring> choice;  // nothing: cancel
  ULONGLONG timeoutMs = 20000;
  DWORD processId = 0;
};

std::optional<unsigned long> number(const std::wstring& text) {
  wchar_t* end = nullptr;
  const unsigned long value = std::wcstoul(text.c_str(), &end, 10);
  if (text.empty() || *end != L'\0') return std::nullopt;
  return value;
}

std::vector<std::wstring> arguments() {
  int count = 0;
  wchar_t** list = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::wstring> args;
  for (int i = 1; list != nullptr && i < count; ++i) args.emplace_back(list[i]);
  LocalFree(list);
  return args;
}

std::optional<Options> parseOptions(const std::vector<std::wstring>& args) {
  Options options;
  bool actionGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == L"--cancel") {
      actionGiven = true;
      continue;
    }
    if (i + 1 == args.size()) return std::nullopt;  // every other option has a value
    const std::wstring& value = args[++i];
    if (args[i - 1] == L"--choose") {
      options.choice = value;
      actionGiven = true;
    } else if (args[i - 1] == L"--timeout" && number(value)) {
      options.timeoutMs = *number(value) * 1000;
    } else if (args[i - 1] == L"--pid" && number(value)) {
      options.processId = static_cast<DWORD>(*number(value));
    } else {
      return std::nullopt;
    }
  }
  if (!actionGiven) return std::nullopt;
  return options;
}

void writeTo(DWORD stream, const std::string& text) {
  DWORD written = 0;
  WriteFile(GetStdHandle(stream), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::string toUtf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size,
                      nullptr, nullptr);
  return utf8;
}

std::optional<HWND> waitForDialog(const Options& options) {
  const ULONGLONG deadline = GetTickCount64() + options.timeoutMs;
  for (;;) {
    if (std::optional<HWND> dialog = findBrowseDialog(kTitle, options.processId)) return dialog;
    if (GetTickCount64() > deadline) return std::nullopt;
    Sleep(kPollMs);
  }
}

bool press(HWND dialog, int button) {
  if (pressButton(dialog, button, kCloseMs)) return true;
  writeTo(STD_ERROR_HANDLE, "the dialog did not close\n");
  return false;
}

// The name the folder tree shows for a file-system path: its last component. Nothing for a path
// of the shell's namespace ("::{...}"), whose display name this helper does not know.
std::optional<std::wstring> shownName(const std::wstring& path) {
  if (path.starts_with(L"::")) return std::nullopt;
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// Makes the dialog select `path` and checks that its tree did: a dialog still settling after it
// became visible may pass the request over, so it is made again until the tree shows the folder.
bool select(HWND dialog, const std::wstring& path) {
  const std::optional<std::wstring> expected = shownName(path);
  std::optional<std::wstring> selected;
  for (int attempt = 0; attempt < kSelectAttempts; ++attempt) {
    if (attempt > 0) Sleep(kSelectRetryMs);
    if (!selectPath(dialog, path)) {
      writeTo(STD_ERROR_HANDLE, "the path could not be handed to the dialog\n");
      return false;
    }
    if (!expected) return true;
    selected = selectedFolderName(dialog);
    if (selected == expected) return true;
  }
  writeTo(STD_ERROR_HANDLE, "the dialog's tree selected \"" + toUtf8(selected.value_or(L"?")) +
                                "\", not \"" + toUtf8(*expected) + "\"\n");
  return false;
}

int answer(HWND dialog, const Options& options) {
  if (!options.choice) {
    if (!press(dialog, IDCANCEL)) return 4;
    writeTo(STD_OUTPUT_HANDLE, "cancelled\n");
    return 0;
  }
  if (!select(dialog, *options.choice)) return 4;
  if (!press(dialog, IDOK)) return 4;
  writeTo(STD_OUTPUT_HANDLE, "chose " + toUtf8(*options.choice) + "\n");
  return 0;
}

int run(const Options& options) {
  const std::optional<HWND> dialog = waitForDialog(options);
  if (!dialog) {
    writeTo(STD_OUTPUT_HANDLE, "nodialog\n");
    return 3;
  }
  writeTo(STD_OUTPUT_HANDLE, "dialog caption=" + toUtf8(captionOf(*dialog)) + "\n");
  return answer(*dialog, options);
}

}  // namespace
}  // namespace lumora::prompthelper

int main() {
  using namespace lumora::prompthelper;
  const std::optional<Options> options = parseOptions(arguments());
  if (!options) {
    writeTo(STD_ERROR_HANDLE,
            "usage: lumora_prompthelper (--cancel | --choose PATH) [--timeout SECONDS] "
            "[--pid PROCESS-ID]\n");
    return 2;
  }
  return run(*options);
}
