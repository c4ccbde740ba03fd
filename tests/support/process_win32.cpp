#include <windows.h>

#include <cwchar>
#include <utility>

#include "support/process.h"

namespace lumora::testing {
namespace {

// An owned kernel handle.
class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE handle) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
  Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  Handle& operator=(Handle&& other) noexcept {
    if (this != &other) {
      reset();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  ~Handle() { reset(); }
  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void reset() {
    if (handle_ != nullptr) CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  HANDLE handle_ = nullptr;
};

std::wstring wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

std::wstring wideFromUtf8(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring result(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size);
  return result;
}

std::string utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size,
                      nullptr, nullptr);
  return result;
}

std::string systemError(const char* call) {
  return std::string(call) + " failed with error " + std::to_string(GetLastError());
}

// One argument quoted so that the C runtime's command-line split gives it back unchanged.
std::wstring quoted(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
  std::wstring result = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes double in front of a quote, which is then escaped itself.
    result.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    result += c;
  }
  result.append(2 * backslashes, L'\\');
  return result + L"\"";
}

std::wstring commandLine(const ProcessOptions& options) {
  std::wstring line = L"\"" + options.program.wstring() + L"\"";
  if (options.commandTail) return line + L" " + wide(*options.commandTail);
  for (const std::u16string& argument : options.arguments) line += L" " + quoted(wide(argument));
  return line;
}

bool sameName(const std::wstring& entry, const std::wstring& name) {
  return entry.size() > name.size() && entry[name.size()] == L'=' &&
         CompareStringOrdinal(entry.c_str(), static_cast<int>(name.size()), name.c_str(),
                              static_cast<int>(name.size()), TRUE) == CSTR_EQUAL;
}

// The caller's environment block with the changes made.
std::wstring environmentBlock(const std::vector<EnvironmentChange>& changes) {
  std::vector<std::wstring> entries;
  if (wchar_t* block = GetEnvironmentStringsW()) {
    for (const wchar_t* entry = block; *entry != L'\0'; entry += std::wcslen(entry) + 1) {
      entries.emplace_back(entry);
    }
    FreeEnvironmentStringsW(block);
  }
  for (const EnvironmentChange& change : changes) {
    const std::wstring name = wideFromUtf8(change.name);
    std::erase_if(entries, [&](const std::wstring& entry) { return sameName(entry, name); });
    if (change.value) entries.push_back(name + L"=" + wideFromUtf8(*change.value));
  }
  std::wstring block;
  for (const std::wstring& entry : entries) block += entry + L'\0';
  return block + L'\0';
}

struct Pipe {
  Handle read;
  Handle write;  // inheritable
};

std::optional<Pipe> makePipe() {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read = nullptr;
  HANDLE write = nullptr;
  if (!CreatePipe(&read, &write, &inherit, 0)) return std::nullopt;
  Pipe pipe{Handle(read), Handle(write)};
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  return pipe;
}

// Reads what the pipe holds without blocking.
void drainAvailable(const Handle& pipe, std::string& into) {
  char buffer[4096];
  DWORD available = 0;
  while (PeekNamedPipe(pipe.get(), nullptr, 0, nullptr, &available, nullptr) && available > 0) {
    DWORD got = 0;
    const DWORD wanted = available < sizeof buffer ? available : sizeof buffer;
    if (!ReadFile(pipe.get(), buffer, wanted, &got, nullptr) || got == 0) return;
    into.append(buffer, got);
  }
}

}  // namespace

struct Process::State {
  Handle process;
  DWORD id = 0;
  bool waited = false;
  Handle output;
  Handle error;
};

Process::Process(std::unique_ptr<State> state) : state_(std::move(state)) {}
Process::Process(Process&& other) noexcept = default;
Process& Process::operator=(Process&& other) noexcept = default;

Process::~Process() {
  if (state_ && !state_->waited) {
    TerminateProcess(state_->process.get(), 1);
    WaitForSingleObject(state_->process.get(), 5000);
  }
}

std::optional<Process> Process::start(const ProcessOptions& options, std::string* error) {
  if (options.identity) {
    *error = "a child cannot be started as another user on Windows";
    return std::nullopt;
  }
  std::optional<Pipe> output = makePipe();
  std::optional<Pipe> errors = makePipe();
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  Handle input(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           OPEN_EXISTING, 0, nullptr));
  if (!output || !errors || !input) {
    *error = systemError("CreatePipe or CreateFileW(NUL)");
    return std::nullopt;
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input.get();
  startup.hStdOutput = output->write.get();
  startup.hStdError = errors->write.get();

  std::wstring line = commandLine(options);
  std::wstring environment = environmentBlock(options.environment);
  const std::wstring folder = options.workingDirectory.wstring();
  PROCESS_INFORMATION info{};
  // Wine now and then fails a process start with ERROR_INTERNAL_ERROR while its server is busy;
  // a second attempt starts it. Any other error is the test's to see.
  bool started = false;
  for (int attempt = 0; attempt < 3 && !started; ++attempt) {
    if (attempt > 0) Sleep(200);
    started = CreateProcessW(options.program.wstring().c_str(), line.data(), nullptr, nullptr,
                             TRUE, CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW,
                             environment.data(), folder.empty() ? nullptr : folder.c_str(),
                             &startup, &info);
    if (!started && GetLastError() != ERROR_INTERNAL_ERROR) break;
  }
  if (!started) {
    *error = systemError("CreateProcessW") + " for " + utf8(options.program.wstring());
    return std::nullopt;
  }
  CloseHandle(info.hThread);
  auto state = std::make_unique<State>();
  state->process = Handle(info.hProcess);
  state->id = info.dwProcessId;
  state->output = std::move(output->read);
  state->error = std::move(errors->read);
  return Process(std::move(state));
}

std::uint64_t Process::id() const { return state_->id; }

ProcessOutcome Process::wait(std::chrono::milliseconds limit) {
  ProcessOutcome outcome;
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(limit.count());
  state_->waited = true;
  for (;;) {
    drainAvailable(state_->output, outcome.standardOutput);
    drainAvailable(state_->error, outcome.standardError);
    if (WaitForSingleObject(state_->process.get(), 10) == WAIT_OBJECT_0) break;
    if (GetTickCount64() >= deadline) {
      TerminateProcess(state_->process.get(), 1);
      WaitForSingleObject(state_->process.get(), 5000);
      outcome.timedOut = true;
      break;
    }
  }
  // What the process wrote before it ended; a child it left behind may keep the pipes open, so
  // this does not wait for their end.
  drainAvailable(state_->output, outcome.standardOutput);
  drainAvailable(state_->error, outcome.standardError);
  DWORD code = 0;
  if (!outcome.timedOut && GetExitCodeProcess(state_->process.get(), &code)) {
    outcome.exited = true;
    outcome.exitCode = static_cast<int>(code);
  }
  return outcome;
}

std::filesystem::path ownExecutableFolder() {
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length < name.size()) {
      name.resize(length);
      break;
    }
    name.resize(name.size() * 2);
  }
  return std::filesystem::path(name).parent_path();
}

std::u16string executableFileName(std::u16string_view base) {
  return std::u16string(base) + u".exe";
}

std::filesystem::path jvmLibraryInJre(JvmFlavour flavour) {
  return std::filesystem::path("bin") / (flavour == JvmFlavour::kClient ? "client" : "server") /
         "jvm.dll";
}

std::optional<ExclusiveHold> ExclusiveHold::take(const std::filesystem::path& path) {
  const HANDLE file = CreateFileW(path.wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  return ExclusiveHold(reinterpret_cast<std::intptr_t>(file));
}

ExclusiveHold::ExclusiveHold(ExclusiveHold&& other) noexcept
    : handle_(std::exchange(other.handle_, 0)) {}

ExclusiveHold::~ExclusiveHold() {
  if (handle_ != 0) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

std::optional<Identity> unprivilegedIdentity() { return std::nullopt; }

bool messageBoxesAreWindows() { return true; }

bool windowsCanBeShown() {
  // Wine's windows need an X display; without a usable one creating a window fails.
  static const bool canShow = [] {
    if (GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) == 0) return false;
    HWND probe =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (probe == nullptr) return false;
    DestroyWindow(probe);
    return true;
  }();
  return canShow;
}

std::vector<EnvironmentChange> isolatedEnvironment(const std::filesystem::path&) { return {}; }

}  // namespace lumora::testing
