#include "shell/log_time.h"

#include <cstdio>

namespace lumora {

std::optional<std::u16string> formatLogTime(const os::LocalTime& t) {
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  if (t.weekday < 0 || t.weekday > 6 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 ||
      t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 ||
      t.second > 60 || t.year < 0 || t.year > 9999) {
    return std::nullopt;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%s %s %02d %02d:%02d:%02d %04d\n", kDays[t.weekday],
                kMonths[t.month - 1], t.day, t.hour, t.minute, t.second, t.year);
  return std::u16string(text, text + 25);
}

}  // namespace lumora
