// The program's entry point: wWinMain on Windows, main elsewhere. Both hand the command-line tail
// to the launch driver and return its exit code.
#include <string>
#include <vector>

#include "shell/command_line.h"
#include "shell/launch_driver.h"

#ifdef _WIN32
#include <windows.h>

// The tail is taken from the full command line by the launcher's own rule rather than from the
// start-up code's argument, so that every build splits off the program name alike.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::u16string_view commandLine(reinterpret_cast<const char16_t*>(GetCommandLineW()));
  return lumora::runLauncher(lumora::commandLineTail(commandLine));
}

#else
#include "platform/os.h"

int main(int argc, char** argv) {
  std::vector<std::u16string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(lumora::os::fromNarrow(argv[i]));
  return lumora::runLauncher(lumora::joinArguments(arguments));
}
#endif
