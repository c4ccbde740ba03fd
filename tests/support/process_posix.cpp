#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <utility>

#include "support/process.h"

extern char** environ;

namespace lumora::testing {
namespace {

// An owned file descriptor.
class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) {
      reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  ~Fd() { reset(); }
  int get() const { return fd_; }
  void reset() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

struct Pipe {
  Fd read;
  Fd write;
};

std::optional<Pipe> makePipe() {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return std::nullopt;
  return Pipe{Fd(ends[0]), Fd(ends[1])};
}

std::string utf8(const std::u16string& text) { return std::filesystem::path(text).string(); }

// The caller's environment with the changes made, as "NAME=value" texts.
std::vector<std::string> environmentWith(const std::vector<EnvironmentChange>& changes) {
  std::map<std::string, std::string> variables;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::size_t equals = text.find('=');
    if (equals != std::string::npos) variables[text.substr(0, equals)] = text.substr(equals + 1);
  }
  for (const EnvironmentChange& change : changes) {
    if (change.value) {
      variables[change.name] = *change.value;
    } else {
      variables.erase(change.name);
    }
  }
  std::vector<std::string> result;
  for (const auto& [name, value] : variables) result.push_back(name + "=" + value);
  return result;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
  std::vector<char*> result;
  for (std::string& text : texts) result.push_back(text.data());
  result.push_back(nullptr);
  return result;
}

// Owners of the posix_spawn set-up records.
struct FileActions {
  posix_spawn_file_actions_t actions;
  FileActions() { posix_spawn_file_actions_init(&actions); }
  ~FileActions() { posix_spawn_file_actions_destroy(&actions); }
};
struct SpawnAttributes {
  posix_spawnattr_t attributes;
  SpawnAttributes() { posix_spawnattr_init(&attributes); }
  ~SpawnAttributes() { posix_spawnattr_destroy(&attributes); }
};

// Reads what is there without blocking; false once the pipe is closed or broken.
bool drainSome(Fd& fd, std::string& into) {
  char buffer[4096];
  for (;;) {
    const ssize_t got = read(fd.get(), buffer, sizeof buffer);
    if (got > 0) {
      into.append(buffer, static_cast<std::size_t>(got));
      continue;
    }
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && errno == EAGAIN) return true;
    fd.reset();
    return false;
  }
}

// posix_spawn cannot change the user, so a child that runs as another one is forked and set up by
// hand, the way the spawn below sets it up. Between fork and exec only async-signal-safe calls:
// the test program has other threads.
pid_t forkAs(const Identity& identity, const std::string& program, char* const argv[],
             char* const envp[], int output, int error, const char* workingDirectory) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  setpgid(0, 0);
  const int input = open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (input < 0 || dup2(input, STDIN_FILENO) < 0 || dup2(output, STDOUT_FILENO) < 0 ||
      dup2(error, STDERR_FILENO) < 0 || (workingDirectory && chdir(workingDirectory) != 0) ||
      setgroups(0, nullptr) != 0 || setgid(identity.group) != 0 || setuid(identity.user) != 0) {
    _exit(127);
  }
  execve(program.c_str(), argv, envp);
  _exit(127);
}

}  // namespace

struct Process::State {
  pid_t pid = -1;
  bool reaped = false;
  Fd output;
  Fd error;
};

Process::Process(std::unique_ptr<State> state) : state_(std::move(state)) {}
Process::Process(Process&& other) noexcept = default;
Process& Process::operator=(Process&& other) noexcept = default;

Process::~Process() {
  if (state_ && !state_->reaped) {
    kill(-state_->pid, SIGKILL);
    waitpid(state_->pid, nullptr, 0);
  }
}

std::optional<Process> Process::start(const ProcessOptions& options, std::string* error) {
  std::optional<Pipe> output = makePipe();
  std::optional<Pipe> errors = makePipe();
  if (!output || !errors) {
    *error = std::string("pipe: ") + std::strerror(errno);
    return std::nullopt;
  }
  FileActions files;
  posix_spawn_file_actions_addopen(&files.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&files.actions, output->write.get(), STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&files.actions, errors->write.get(), STDERR_FILENO);
  if (!options.workingDirectory.empty()) {
    posix_spawn_file_actions_addchdir_np(&files.actions, options.workingDirectory.c_str());
  }
  // A group of its own, so that a timeout also ends whatever the program started.
  SpawnAttributes attributes;
  posix_spawnattr_setflags(&attributes.attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes.attributes, 0);

  std::vector<std::string> argv{options.program.string()};
  for (const std::u16string& argument : options.arguments) argv.push_back(utf8(argument));
  std::vector<std::string> envp = environmentWith(options.environment);
  std::vector<char*> argvPointers = pointers(argv);
  std::vector<char*> envpPointers = pointers(envp);

  auto state = std::make_unique<State>();
  if (options.identity) {
    const std::string folder = options.workingDirectory.string();
    state->pid = forkAs(*options.identity, argv[0], argvPointers.data(), envpPointers.data(),
                        output->write.get(), errors->write.get(),
                        folder.empty() ? nullptr : folder.c_str());
    if (state->pid < 0) {
      *error = std::string("fork: ") + std::strerror(errno);
      return std::nullopt;
    }
    setpgid(state->pid, state->pid);  // also here, so that a kill never misses the group
  } else if (const int failed =
                 posix_spawn(&state->pid, argv[0].c_str(), &files.actions, &attributes.attributes,
                             argvPointers.data(), envpPointers.data());
             failed != 0) {
    *error = "posix_spawn " + argv[0] + ": " + std::strerror(failed);
    return std::nullopt;
  }
  fcntl(output->read.get(), F_SETFL, O_NONBLOCK);
  fcntl(errors->read.get(), F_SETFL, O_NONBLOCK);
  state->output = std::move(output->read);
  state->error = std::move(errors->read);
  return Process(std::move(state));
}

std::uint64_t Process::id() const { return static_cast<std::uint64_t>(state_->pid); }

ProcessOutcome Process::wait(std::chrono::milliseconds limit) {
  ProcessOutcome outcome;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (!state_->reaped) {
    if (waitpid(state_->pid, &status, WNOHANG) == state_->pid) {
      state_->reaped = true;
      break;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(-state_->pid, SIGKILL);
      waitpid(state_->pid, &status, 0);
      state_->reaped = true;
      outcome.timedOut = true;
      break;
    }
    pollfd fds[2] = {{state_->output.get(), POLLIN, 0}, {state_->error.get(), POLLIN, 0}};
    poll(fds, 2, 20);  // a closed pipe (-1) is passed over
    if (state_->output.get() >= 0) drainSome(state_->output, outcome.standardOutput);
    if (state_->error.get() >= 0) drainSome(state_->error, outcome.standardError);
  }
  // What the process wrote before it ended; a child it left behind may keep the pipes open, so
  // this does not wait for their end.
  if (state_->output.get() >= 0) drainSome(state_->output, outcome.standardOutput);
  if (state_->error.get() >= 0) drainSome(state_->error, outcome.standardError);
  if (!outcome.timedOut) {
    outcome.exited = true;
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  return outcome;
}

std::filesystem::path ownExecutableFolder() {
  std::error_code ignored;
  return std::filesystem::read_symlink("/proc/self/exe", ignored).parent_path();
}

std::u16string executableFileName(std::u16string_view base) { return std::u16string(base); }

std::filesystem::path jvmLibraryInJre(JvmFlavour flavour) {
  return std::filesystem::path("lib") / (flavour == JvmFlavour::kClient ? "client" : "server") /
         "libjvm.so";
}

std::optional<ExclusiveHold> ExclusiveHold::take(const std::filesystem::path&) {
  return std::nullopt;
}

ExclusiveHold::ExclusiveHold(ExclusiveHold&& other) noexcept
    : handle_(std::exchange(other.handle_, 0)) {}

ExclusiveHold::~ExclusiveHold() = default;

std::optional<Identity> unprivilegedIdentity() {
  if (geteuid() != 0) return std::nullopt;
  const passwd* nobody = getpwnam("nobody");
  if (nobody == nullptr) return Identity{65534, 65534};
  return Identity{nobody->pw_uid, nobody->pw_gid};
}

bool messageBoxesAreWindows() { return false; }

bool windowsCanBeShown() { return false; }

std::vector<EnvironmentChange> isolatedEnvironment(const std::filesystem::path& sandbox) {
  return {
      {"DISPLAY", std::nullopt},
      {"WAYLAND_DISPLAY", std::nullopt},
      {"JAVA_HOME", std::nullopt},
      {"PATH", (sandbox / "bin").string()},
      {"HOME", (sandbox / "home").string()},
      {"XDG_CONFIG_HOME", (sandbox / "user-config").string()},
      {"XDG_CONFIG_DIRS", (sandbox / "machine-config").string()},
  };
}

}  // namespace lumora::testing
