// The local-time line at the top of the diagnostic log.
#pragma once

#include <optional>
#include <string>

#include "platform/os.h"

namespace lumora {

// The 25-character text "Www Mmm dd hh:mm:ss yyyy\n" (the day of the month with a leading zero),
// or nothing when the time is out of the range that form can hold.
std::optional<std::u16string> formatLogTime(const os::LocalTime& time);

}  // namespace lumora
