#include "e2e/log_checks.h"

#include <array>
#include <cctype>
#include <optional>

namespace lumora::testing {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::array<std::string_view, 7> kDays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// The log's bytes with the control characters spelt out, for failure messages.
std::string shown(std::string_view bytes) {
  std::string text;
  for (const char c : bytes) {
    text += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n\n") : std::string(1, c);
  }
  return text;
}

int indexOf(std::string_view name, const auto& names) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i] == name) return static_cast<int>(i);
  }
  return -1;
}

int number(std::string_view digits) {
  int value = 0;
  for (const char c : digits) value = value * 10 + (c - '0');
  return value;
}

// "Www Mmm dd hh:mm:ss yyyy" as local time, or nothing when the text has another form. The
// weekday must be the date's.
std::optional<std::time_t> parseLogTime(std::string_view text) {
  static constexpr std::string_view kForm = "Aaa Aaa 99 99:99:99 9999";
  if (text.size() != kForm.size()) return std::nullopt;
  for (std::size_t i = 0; i < kForm.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const bool fits = kForm[i] == '9'   ? std::isdigit(c) != 0
                      : kForm[i] == 'A' ? std::isupper(c) != 0
                      : kForm[i] == 'a' ? std::islower(c) != 0
                                        : text[i] == kForm[i];
    if (!fits) return std::nullopt;
  }
  const int weekday = indexOf(text.substr(0, 3), kDays);
  const int month = indexOf(text.substr(4, 3), kMonths);
  if (weekday < 0 || month < 0) return std::nullopt;
  std::tm parts{};
  parts.tm_mday = number(text.substr(8, 2));
  parts.tm_hour = number(text.substr(11, 2));
  parts.tm_min = number(text.substr(14, 2));
  parts.tm_sec = number(text.substr(17, 2));
  parts.tm_year = number(text.substr(20, 4)) - 1900;
  parts.tm_mon = month;
  parts.tm_isdst = -1;
  const std::tm asGiven = parts;
  const std::time_t moment = std::mktime(&parts);
  // mktime normalises a day that does not exist (Feb 30) into another one.
  if (moment == -1 || parts.tm_mday != asGiven.tm_mday || parts.tm_wday != weekday) {
    return std::nullopt;
  }
  return moment;
}

// Passes over `expected` at the front of `rest`.
bool consume(std::string_view& rest, std::string_view expected) {
  if (!rest.starts_with(expected)) return false;
  rest.remove_prefix(expected.size());
  return true;
}

::testing::AssertionResult badLog(const std::string& log, const std::string& what) {
  return ::testing::AssertionFailure() << what << "; the log is:\n" << shown(log);
}

}  // namespace

std::string loggedFolder(const std::filesystem::path& installationFolder) {
  std::error_code error;
  std::filesystem::path folder = std::filesystem::canonical(installationFolder, error);
  if (error) folder = installationFolder;
  const std::u8string text = folder.make_preferred().u8string();
  return std::string(text.begin(), text.end());
}

::testing::AssertionResult logStartsRun(const std::string& log, const LogStart& start,
                                        std::string* rest) {
  std::string_view text = log;
  if (!consume(text, kByteOrderMark)) return badLog(log, "no UTF-8 byte-order mark first");
  if (!consume(text, "Starting Lumora\r\n")) return badLog(log, "no banner line");
  const std::size_t timeEnd = text.find("\r\n");
  const std::optional<std::time_t> time =
      timeEnd == std::string_view::npos ? std::nullopt : parseLogTime(text.substr(0, timeEnd));
  if (!time) return badLog(log, "no time line of the form \"Www Mmm dd hh:mm:ss yyyy\"");
  // The log's clock has whole seconds; a second on either side is rounding, not lateness.
  if (*time < start.notBefore - 1 || *time > start.notAfter + 1) {
    return badLog(log, "the time line is not the time of the run");
  }
  text.remove_prefix(timeEnd + 2);
  if (!consume(text, "\r\n")) return badLog(log, "no blank line after the time");
  if (!consume(text, "Current directory setup successfully.\r\n")) {
    return badLog(log, "no working-directory line");
  }
  if (!consume(text, start.folder + "\r\n")) {
    return badLog(log, "the working directory is not the installation folder " + start.folder);
  }
  if (rest != nullptr) *rest = std::string(text);
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult logIs(const std::string& log, const LogStart& start,
                                 std::string_view afterStart) {
  std::string rest;
  if (::testing::AssertionResult starts = logStartsRun(log, start, &rest); !starts) return starts;
  std::string expected;
  for (const char c : afterStart) expected += c == '\n' ? std::string("\r\n") : std::string(1, c);
  if (rest != expected) {
    return badLog(log, "after its first lines the log should hold\n" + shown(expected));
  }
  return ::testing::AssertionSuccess();
}

}  // namespace lumora::testing
