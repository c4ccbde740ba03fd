// Reading back what the diagnostic log wrote, for tests that check its texts rather than its bytes.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "shell/diagnostic_log.h"
#include "support/temp_dir.h"

namespace lumora::testing {

// The log file's texts as the launcher passed them: without the byte-order mark, each CR LF back
// to LF. Empty when the file cannot be read.
std::string logTexts(const std::filesystem::path& path);

// A unit test that runs with the diagnostic log open in its own temporary folder, so that the
// texts the code under test writes can be checked.
class LoggedUnitTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(DiagnosticLog::open(logPath_)); }
  void TearDown() override { DiagnosticLog::close(); }

  // Closes the log and gives its texts.
  std::string log() {
    DiagnosticLog::close();
    return logTexts(std::filesystem::path(logPath_));
  }

  TempDir dir_;
  const std::u16string logPath_ = dir_.file(u"run.log");
};

}  // namespace lumora::testing
