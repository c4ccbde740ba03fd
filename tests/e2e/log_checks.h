// Checks of the diagnostic log a run leaves: the lines every logged run begins with, and the
// whole log.
#pragma once

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

namespace lumora::testing {

// What the first lines of a run's log must hold.
struct LogStart {
  std::string folder;     // the installation folder as the launcher logs it (UTF-8)
  std::time_t notBefore;  // the clock just before the run started ...
  std::time_t notAfter;   // ... and just after it ended, for the time line
};

// The installation folder as the launcher names it: the folder of its own executable, links
// resolved, with no separator at the end.
std::string loggedFolder(const std::filesystem::path& installationFolder);

// Whether `log` begins with a run's first lines: the UTF-8 byte-order mark, "Starting Lumora",
// the local time (between notBefore and notAfter), a blank line, "Current directory setup
// successfully." and the folder, each line ending in CR LF. `rest` receives what follows.
::testing::AssertionResult logStartsRun(const std::string& log, const LogStart& start,
                                        std::string* rest = nullptr);

// Whether `log` is a run's whole log: its first lines and then exactly `afterStart` (the texts of
// the JRE search and later steps, each LF as CR LF).
::testing::AssertionResult logIs(const std::string& log, const LogStart& start,
                                 std::string_view afterStart);

}  // namespace lumora::testing
