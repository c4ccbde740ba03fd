#include "platform/os_posix_util.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/os.h"
#include "platform/unicode.h"

extern char** environ;

namespace lumora::os::posix {

std::optional<std::string> nativePath(const std::u16string& path) {
  bool malformed = false;
  std::string native = utf16ToUtf8(path, &malformed);
  if (malformed || native.find('\0') != std::string::npos) return std::nullopt;
  return native;
}

std::optional<std::u16string> absoluteFolderFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/') return std::nullopt;
  std::u16string folder = utf8ToUtf16(value);
  if (folder.size() >= kMaxPath) return std::nullopt;
  return folder;
}

bool hasDisplay() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}

std::optional<std::string> findOnPath(const std::string& program) {
  const char* value = std::getenv("PATH");
  std::string_view path = value != nullptr ? value : "";
  while (!path.empty()) {
    const std::size_t colon = path.find(':');
    std::string folder(path.substr(0, colon));
    path = colon == std::string_view::npos ? std::string_view() : path.substr(colon + 1);
    if (folder.empty()) continue;  // an empty entry would mean the current directory
    std::string candidate = folder + "/" + program;
    struct stat info {};
    if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
  }
  return std::nullopt;
}

std::optional<int> runProgram(const std::vector<std::string>& argv, std::string* output) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);

  int pipeEnds[2] = {-1, -1};
  if (output != nullptr && pipe2(pipeEnds, O_CLOEXEC) != 0) return std::nullopt;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (output != nullptr) posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);

  pid_t child = 0;
  const int spawned = posix_spawn(&child, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (output != nullptr) {
    close(pipeEnds[1]);
    if (spawned == 0) {
      char buffer[4096];
      ssize_t count;
      while ((count = read(pipeEnds[0], buffer, sizeof buffer)) != 0) {
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) break;
        output->append(buffer, static_cast<std::size_t>(count));
      }
    }
    close(pipeEnds[0]);
  }
  if (spawned != 0) return std::nullopt;
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return std::nullopt;
  }
  if (!WIFEXITED(status)) return std::nullopt;
  return WEXITSTATUS(status);
}

}  // namespace lumora::os::posix
