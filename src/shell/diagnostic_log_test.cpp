#include "shell/diagnostic_log.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace lumora {
namespace {

using testing::readBytes;
using testing::TempDir;

class DiagnosticLogTest : public ::testing::Test {
 protected:
  void TearDown() override { DiagnosticLog::close(); }
  TempDir dir_;
};

TEST_F(DiagnosticLogTest, WritesUtf8WithByteOrderMarkAndCrLf) {
  const std::u16string path = dir_.file(u"run.log");
  ASSERT_TRUE(DiagnosticLog::open(path));
  DiagnosticLog::write(u"a\n");
  logLabelledValue(u"Path:\n", u"C:\\100%\\\u00e9\u4e2d\U0001F600");
  DiagnosticLog::write(u"\n");
  DiagnosticLog::close();
  EXPECT_EQ(readBytes(path),
            "\xEF\xBB\xBF"
            "a\r\nPath:\r\nC:\\100%\\\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80\r\n\r\n");
}

TEST_F(DiagnosticLogTest, EveryWriteHasReachedTheFileWhenItReturns) {
  const std::u16string path = dir_.file(u"run.log");
  ASSERT_TRUE(DiagnosticLog::open(path));
  EXPECT_EQ(readBytes(path), "\xEF\xBB\xBF");
  DiagnosticLog::write(u"Starting Lumora\n");
  EXPECT_EQ(readBytes(path), "\xEF\xBB\xBFStarting Lumora\r\n");
}

TEST_F(DiagnosticLogTest, ASecondOpenEmptiesTheFile) {
  const std::u16string path = dir_.write(u"run.log", "an earlier run's text, rather long\r\n");
  ASSERT_TRUE(DiagnosticLog::open(path));
  DiagnosticLog::write(u"b\n");
  DiagnosticLog::close();
  EXPECT_EQ(readBytes(path), "\xEF\xBB\xBF" "b\r\n");
}

TEST_F(DiagnosticLogTest, WritesWithoutALogAreDropped) {
  EXPECT_FALSE(DiagnosticLog::isOpen());
  DiagnosticLog::write(u"nothing\n");  // must not crash
  EXPECT_FALSE(DiagnosticLog::open(dir_.file(u"missing-folder/run.log")));
  EXPECT_FALSE(DiagnosticLog::isOpen());
  EXPECT_FALSE(DiagnosticLog::open(dir_.u16()));  // a folder is no log
}

TEST_F(DiagnosticLogTest, ALoneSurrogateIsWrittenAsReplacementCharacter) {
  const std::u16string path = dir_.file(u"run.log");
  ASSERT_TRUE(DiagnosticLog::open(path));
  DiagnosticLog::write(std::u16string(1, char16_t(0xD800)) + u"x");
  DiagnosticLog::close();
  EXPECT_EQ(readBytes(path), "\xEF\xBB\xBF\xEF\xBF\xBDx");
}

}  // namespace
}  // namespace lumora
