// The command line: `-?`, `-log:<file>` and `-openfile:<file>`.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumora {

struct LaunchOptions {
  bool showUsage = false;      // `-?` or an unrecognised option was met
  bool unknownOption = false;  // an unrecognised option was met (the run then exits with 2)
  std::optional<std::u16string> logPath;
  std::optional<std::u16string> openFilePath;
};

// Parses the command-line tail (the text after the program name). Blanks separate arguments. An
// argument that starts with a hyphen-minus is an option, recognised by its prefix ("-?",
// "-log:", "-openfile:", case-sensitive); any other option asks for the usage box. Other
// arguments are passed over whole and ignored. The last occurrence of an option wins, also when
// it has no value. Never fails.
LaunchOptions parseCommandLine(std::u16string_view tail);

// One option value read from position `p` of `text`.
struct OptionValue {
  std::optional<std::u16string> value;  // nothing for an empty value
  std::size_t end;  // the position of the character that ended the value, or the text's length
  bool quoted;      // the value was opened by a double quote
};

// Reads an option value: a double quote at the value's first position opens quoting and is not
// part of it; while quoting, a double quote ends the value and blanks belong to it; otherwise a
// blank ends it and a double quote is an ordinary character.
OptionValue readOptionValue(std::u16string_view text, std::size_t p);

// The tail of a full command line: the program name (a run of characters above U+0020, where any
// character inside double quotes counts, every double quote switching) and the blanks and control
// characters after it are passed over.
std::u16string_view commandLineTail(std::u16string_view commandLine);

// Joins separate arguments (as POSIX hands them over) into a tail that parseCommandLine reads
// back into the same options: a value or an argument that holds blanks is put in double quotes.
std::u16string joinArguments(const std::vector<std::u16string>& arguments);

}  // namespace lumora
