// The test libraries' one seam to the operating system: where their own file lies, the report and
// configuration beside it, and the few process services the fake JVM needs. Loading writes the
// record "attach" and unloading "detach" (DllMain on Windows, ELF constructor and destructor
// elsewhere), so that every library built with this file tells when it is in the process.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#if defined(_WIN32)
#define LUMORA_TESTJVM_EXPORT extern "C" __declspec(dllexport)
#else
#define LUMORA_TESTJVM_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace lumora::testjvm {

// Appends `line` and a line feed to the report beside this library, written through at once so
// that a crash right after loses nothing. Without a known folder the line goes to standard error.
void record(std::string_view line);

// Records `line`, then ends the process at once (no handlers, no message box).
[[noreturn]] void recordAndDie(std::string_view line);

// The bytes of the configuration file beside this library; empty when there is none.
std::optional<std::string> readConfigFile();

std::uint64_t currentThreadId();
void sleepMilliseconds(std::uint32_t milliseconds);

}  // namespace lumora::testjvm
