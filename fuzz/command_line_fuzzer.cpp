// Fuzzes the command-line parser with arbitrary UTF-16 tails.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "shell/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string tail;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    tail += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  }
  const lumora::LaunchOptions options = lumora::parseCommandLine(tail);
  // A value is never empty and never longer than the tail it came from.
  for (const auto* value : {&options.logPath, &options.openFilePath}) {
    if (*value && ((*value)->empty() || (*value)->size() > tail.size())) std::abort();
  }
  if (options.unknownOption && !options.showUsage) std::abort();
  (void)lumora::commandLineTail(tail);
  return 0;
}
