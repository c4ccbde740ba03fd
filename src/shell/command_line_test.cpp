#include "shell/command_line.h"

#include <gtest/gtest.h>

namespace lumora {
namespace {

struct ParseCase {
  std::u16string tail;
  bool showUsage;
  bool unknownOption;
  std::optional<std::u16string> logPath;
  std::optional<std::u16string> openFilePath;
};

std::ostream& operator<<(std::ostream& out, const ParseCase& c) {
  for (char16_t unit : c.tail) out << (unit < 0x80 ? static_cast<char>(unit) : '?');
  return out;
}

class ParseCommandLineTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseCommandLineTest, GivesTheExpectedOptions) {
  const ParseCase& c = GetParam();
  const LaunchOptions options = parseCommandLine(c.tail);
  EXPECT_EQ(options.showUsage, c.showUsage);
  EXPECT_EQ(options.unknownOption, c.unknownOption);
  EXPECT_EQ(options.logPath, c.logPath);
  EXPECT_EQ(options.openFilePath, c.openFilePath);
}

constexpr auto none = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Table, ParseCommandLineTest,
    ::testing::Values(
        ParseCase{u"", false, false, none, none},
        ParseCase{u"-?", true, false, none, none},
        ParseCase{u"-?anything", true, false, none, none},
        ParseCase{u"-x", true, true, none, none},
        ParseCase{u"--log:a", true, true, none, none},
        ParseCase{u"-LOG:a", true, true, none, none},
        ParseCase{u"-logfile:a", true, true, none, none},
        ParseCase{u"-log:a -", true, true, u"a", none},
        ParseCase{u"-log:a.log -openfile:b.txt", false, false, u"a.log", u"b.txt"},
        ParseCase{u"-log:\"C:\\My Logs\\run.log\" -openfile:x", false, false,
                  u"C:\\My Logs\\run.log", u"x"},
        ParseCase{u"-openfile:\"C:\\a b", false, false, none, u"C:\\a b"},
        ParseCase{u"-log:a", false, false, u"a", none},
        ParseCase{u"-log:a -?", true, false, u"a", none},
        ParseCase{u"-log:", false, false, none, none},
        ParseCase{u"-log: -openfile:x", false, false, none, u"x"},
        ParseCase{u"-log:a.log -log:b.log", false, false, u"b.log", none},
        ParseCase{u"-log:a.log -log:", false, false, none, none},
        ParseCase{u"-log:ab\"xy z", false, false, u"ab\"xy", none},
        // Arguments are separated by any run of blanks, tabs included.
        ParseCase{u"-log:a.log  -openfile:b", false, false, u"a.log", u"b"},
        ParseCase{u"\t-log:a\t \t-openfile:b\t", false, false, u"a", u"b"},
        // Text that does not start an argument with a hyphen-minus is never an option.
        ParseCase{u"x-log:a", false, false, none, none},
        ParseCase{u"xy-log:a", false, false, none, none},
        ParseCase{u"C:\\docs\\my-file.txt", false, false, none, none},
        ParseCase{u"\"C:\\my docs\\a -log:b\" -openfile:c", false, false, none, u"c"},
        // After a value the rest of its argument is passed over, even right behind a quote.
        ParseCase{u"-log:\"a b\"-x -openfile:c", false, false, u"a b", u"c"},
        ParseCase{u"-log:a\"b -openfile:c", false, false, u"a\"b", u"c"},
        // Every double quote at the value's first position opens quoting, so "" quotes what
        // follows it.
        ParseCase{u"-log:\"\" -openfile:c", false, false, u" -openfile:c", none},
        ParseCase{u"-openfile:\u00e9\u4e2d.txt", false, false, none, u"\u00e9\u4e2d.txt"},
        ParseCase{u"-? -bogus", true, true, none, none}));

TEST(CommandLineTailTest, PassesOverTheProgramNameAndTheBlanksAfterIt) {
  EXPECT_EQ(commandLineTail(u"LumoraHost.exe -log:a"), u"-log:a");
  EXPECT_EQ(commandLineTail(u"\"C:\\Program Files\\L\\LumoraHost.exe\"  \t-?"), u"-?");
  EXPECT_EQ(commandLineTail(u"C:\\a\"b c\"d.exe x"), u"x");
  EXPECT_EQ(commandLineTail(u"LumoraHost.exe"), u"");
  EXPECT_EQ(commandLineTail(u""), u"");
}

TEST(JoinArgumentsTest, ReadsBackAsTheSameOptions) {
  const std::u16string tail =
      joinArguments({u"-log:my logs/run.log", u"", u"-openfile:/tmp/a b.txt", u"plain word"});
  EXPECT_EQ(tail, u"-log:\"my logs/run.log\" -openfile:\"/tmp/a b.txt\" \"plain word\"");
  const LaunchOptions options = parseCommandLine(tail);
  EXPECT_FALSE(options.showUsage);
  EXPECT_EQ(options.logPath, u"my logs/run.log");
  EXPECT_EQ(options.openFilePath, u"/tmp/a b.txt");
}

}  // namespace
}  // namespace lumora
