#include "shell/command_line.h"

namespace lumora {
namespace {

constexpr std::u16string_view kUsageOption = u"-?";
constexpr std::u16string_view kLogOption = u"-log:";
constexpr std::u16string_view kOpenFileOption = u"-openfile:";

bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }

// Passes over the rest of an argument from `i`: up to the next blank outside double quotes.
std::size_t skipArgument(std::u16string_view text, std::size_t i, bool quoted = false) {
  for (; i < text.size(); ++i) {
    if (text[i] == u'"') {
      quoted = !quoted;
    } else if (isBlank(text[i]) && !quoted) {
      break;
    }
  }
  return i;
}

// Reads the value of an option whose name ends at `p` into `field`, and returns the position
// after the value, its closing quote and the rest of its argument.
std::size_t readValueInto(std::u16string_view text, std::size_t p,
                          std::optional<std::u16string>& field) {
  OptionValue option = readOptionValue(text, p);
  field = std::move(option.value);
  std::size_t next = option.end;
  if (option.quoted && next < text.size() && text[next] == u'"') ++next;
  return skipArgument(text, next);
}

}  // namespace

OptionValue readOptionValue(std::u16string_view text, std::size_t p) {
  std::size_t start = p;
  bool quoting = false;
  std::size_t k = p;
  for (; k < text.size(); ++k) {
    const char16_t c = text[k];
    if (c == u'"' && k == start) {
      quoting = true;
      ++start;
    } else if ((c == u'"' && quoting) || (isBlank(c) && !quoting)) {
      break;
    }
  }
  OptionValue result{std::nullopt, k, quoting};
  if (k > start) result.value.emplace(text.substr(start, k - start));
  return result;
}

LaunchOptions parseCommandLine(std::u16string_view tail) {
  LaunchOptions options;
  std::size_t i = 0;
  while (i < tail.size()) {
    const std::u16string_view rest = tail.substr(i);
    if (isBlank(tail[i])) {
      ++i;
    } else if (tail[i] != u'-') {
      i = skipArgument(tail, i);
    } else if (rest.starts_with(kLogOption)) {
      i = readValueInto(tail, i + kLogOption.size(), options.logPath);
    } else if (rest.starts_with(kOpenFileOption)) {
      i = readValueInto(tail, i + kOpenFileOption.size(), options.openFilePath);
    } else {
      options.showUsage = true;
      if (!rest.starts_with(kUsageOption)) options.unknownOption = true;
      i = skipArgument(tail, i);
    }
  }
  return options;
}

std::u16string_view commandLineTail(std::u16string_view commandLine) {
  std::size_t i = 0;
  bool quoted = false;
  for (; i < commandLine.size() && commandLine[i] != u'\0'; ++i) {
    if (commandLine[i] == u'"') {
      quoted = !quoted;
    } else if (commandLine[i] <= u' ' && !quoted) {
      break;
    }
  }
  while (i < commandLine.size() && commandLine[i] >= 1 && commandLine[i] <= u' ') ++i;
  return commandLine.substr(i);
}

std::u16string joinArguments(const std::vector<std::u16string>& arguments) {
  std::u16string tail;
  for (const std::u16string& argument : arguments) {
    if (argument.empty()) continue;
    if (!tail.empty()) tail += u' ';
    const bool hasBlank = argument.find_first_of(u" \t") != std::u16string::npos;
    if (!hasBlank) {
      tail += argument;
      continue;
    }
    // An option keeps its name in front and has its value quoted; anything else is quoted whole.
    std::size_t valueStart = 0;
    if (argument.front() == u'-') {
      const std::size_t colon = argument.find(u':');
      valueStart = colon == std::u16string::npos ? 0 : colon + 1;
    }
    tail += argument.substr(0, valueStart);
    tail += u'"';
    tail += argument.substr(valueStart);
    tail += u'"';
  }
  return tail;
}

}  // namespace lumora
