// What the test JVM is told to do, from the `key=value` lines of testjvm.cfg. No file, or an empty
// one, means every step succeeds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lumora::testjvm {

enum class CreateOutcome { kSucceed, kRefuse, kPositive };

struct Config {
  CreateOutcome create = CreateOutcome::kSucceed;  // create=succeed|refuse|positive
  bool stringClassMissing = false;                 // stringclass=missing
  bool mainClassMissing = false;                   // mainclass=missing
  bool mainMethodMissing = false;                  // mainmethod=missing
  bool newArrayFails = false;                      // newarray=fail
  bool newStringFails = false;                     // newstring=fail
  bool mainThrows = false;                         // main=throw
  // options=unrecorded: the option texts are left out of the report (benchmarks, where escaping a
  // long class path would be the test JVM's cost, not the launcher's).
  bool optionTextsUnrecorded = false;
  std::uint32_t mainSleepMs = 0;                   // main.sleep_ms=<n>
  std::uint32_t destroySleepMs = 0;                // destroy.sleep_ms=<n>
};

// Parses the file's text. Blank lines and lines starting with '#' are skipped; spaces around keys
// and values and a CR before the line feed do not matter. On a line it does not understand it
// returns nothing and puts the line in *badLine, so that a mistyped test fails instead of
// silently testing the default.
std::optional<Config> parseConfig(std::string_view text, std::string* badLine);

}  // namespace lumora::testjvm
