// lumora_boxhelper: reads and dismisses the message boxes that LumoraHost shows, for the tests
// that run it under Wine.
//
//   lumora_boxhelper [--count N] [--timeout SECONDS] [--pid PROCESS-ID]
//
// Waits for N boxes (default 1) captioned "LumoraHost", one after another, for at most SECONDS
// (default 20) in all. For each it prints one UTF-8 line
//   box icon=<error|information|none> text=<text, with \ as \\, CR as \r and LF as \n>
// and presses OK. With --pid it watches only that process's boxes and stops waiting once the
// process has ended. Exits 0 after N boxes; otherwise prints "nobox" and exits 3. Exits 2 on a bad
// command line and 4 when a box would not close.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "icon_colour.h"
#include "message_box_window.h"

namespace lumora::boxhelper {
namespace {

constexpr wchar_t kCaption[] = L"LumoraHost";
constexpr DWORD kPollMs = 25;
constexpr ULONGLONG kIconPaintMs = 3000;  // how long an icon may take to reach the screen
constexpr DWORD kCloseMs = 5000;

struct Options {
  int count = 1;
  ULONGLONG timeoutMs = 20000;
  DWORD processId = 0;
};

std::optional<unsigned long> number(const char* text) {
  char* end = nullptr;
  const unsigned long value = std::strtoul(text, &end, 10);
  if (end == text || *end != '\0') return std::nullopt;
  return value;
}

std::optional<Options> parseOptions(int argc, char** argv) {
  if (argc % 2 == 0) return std::nullopt;  // an option without its value
  Options options;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::optional<unsigned long> value = number(argv[i + 1]);
    if (!value) return std::nullopt;
    if (std::strcmp(argv[i], "--count") == 0 && *value > 0) {
      options.count = static_cast<int>(*value);
    } else if (std::strcmp(argv[i], "--timeout") == 0) {
      options.timeoutMs = *value * 1000;
    } else if (std::strcmp(argv[i], "--pid") == 0) {
      options.processId = static_cast<DWORD>(*value);
    } else {
      return std::nullopt;
    }
  }
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

std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

// The icon's kind once it is on the screen; a box is visible a moment before it is painted.
IconKind iconOf(HWND box) {
  const std::optional<HWND> icon = iconControl(box);
  if (!icon) return IconKind::kNone;
  const ULONGLONG deadline = GetTickCount64() + kIconPaintMs;
  for (;;) {
    const IconPixels pixels = captureIconPixels(*icon);
    const IconKind kind = classifyIcon(pixels);
    if (kind != IconKind::kNone || GetTickCount64() > deadline) {
      writeTo(STD_ERROR_HANDLE, "icon pixels: total=" + std::to_string(pixels.total) +
                                    " red=" + std::to_string(pixels.red) +
                                    " blue=" + std::to_string(pixels.blue) + "\n");
      return kind;
    }
    Sleep(kPollMs);
  }
}

// The watched process, to stop waiting once it has ended.
class Watched {
 public:
  explicit Watched(DWORD processId)
      : handle_(processId == 0 ? nullptr : OpenProcess(SYNCHRONIZE, FALSE, processId)),
        watching_(processId != 0) {}
  ~Watched() {
    if (handle_ != nullptr) CloseHandle(handle_);
  }
  Watched(const Watched&) = delete;
  Watched& operator=(const Watched&) = delete;

  bool hasEnded() const {
    if (!watching_) return false;
    return handle_ == nullptr || WaitForSingleObject(handle_, 0) == WAIT_OBJECT_0;
  }

 private:
  HANDLE handle_;
  bool watching_;
};

int run(const Options& options) {
  const Watched watched(options.processId);
  const ULONGLONG deadline = GetTickCount64() + options.timeoutMs;
  for (int shown = 0; shown < options.count;) {
    if (const std::optional<HWND> box = findMessageBox(kCaption, options.processId)) {
      const std::string text = toUtf8(messageText(*box));
      const IconKind icon = iconOf(*box);
      writeTo(STD_OUTPUT_HANDLE,
              std::string("box icon=") + iconKindName(icon) + " text=" + escaped(text) + "\n");
      if (!pressOk(*box, kCloseMs)) {
        writeTo(STD_ERROR_HANDLE, "the box did not close\n");
        return 4;
      }
      ++shown;
      continue;
    }
    if (watched.hasEnded() || GetTickCount64() > deadline) {
      writeTo(STD_OUTPUT_HANDLE, "nobox\n");
      return 3;
    }
    Sleep(kPollMs);
  }
  return 0;
}

}  // namespace
}  // namespace lumora::boxhelper

int main(int argc, char** argv) {
  const std::optional<lumora::boxhelper::Options> options =
      lumora::boxhelper::parseOptions(argc, argv);
  if (!options) {
    lumora::boxhelper::writeTo(STD_ERROR_HANDLE,
                               "usage: lumora_boxhelper [--count N] [--timeout SECONDS] "
                               "[--pid PROCESS-ID]\n");
    return 2;
  }
  return lumora::boxhelper::run(*options);
}
