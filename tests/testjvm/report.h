// Test-side reader of the report the test JVM library writes beside itself.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "escape.h"  // escapeUtf16 & co., to build expected records and read texts back

namespace lumora::testjvm {

// The name of the report file, in the folder of the library that writes it.
inline constexpr const char* kReportFileName = "testjvm-report.txt";
// The name of the configuration file, read from the same folder.
inline constexpr const char* kConfigFileName = "testjvm.cfg";

// The records of a report file, one per line, in the order written. A last line cut short by a
// crash is kept as it is. No file (the library was never loaded) gives no records.
std::vector<std::string> readReport(const std::filesystem::path& file);

}  // namespace lumora::testjvm
