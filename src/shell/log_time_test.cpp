#include "shell/log_time.h"

#include <gtest/gtest.h>

namespace lumora {
namespace {

TEST(LogTimeTest, IsTwentyFiveCharactersWithALeadingZeroDay) {
  EXPECT_EQ(formatLogTime({2026, 12, 5, 7, 3, 9, 6}), u"Sat Dec 05 07:03:09 2026\n");
  EXPECT_EQ(formatLogTime({1999, 1, 31, 23, 59, 60, 0}), u"Sun Jan 31 23:59:60 1999\n");
  EXPECT_EQ(formatLogTime({2026, 12, 5, 7, 3, 9, 6})->size(), 25u);
}

TEST(LogTimeTest, RefusesWhatTheFormCannotHold) {
  EXPECT_FALSE(formatLogTime({10000, 1, 1, 0, 0, 0, 0}));
  EXPECT_FALSE(formatLogTime({2026, 13, 1, 0, 0, 0, 0}));
  EXPECT_FALSE(formatLogTime({2026, 1, 1, 0, 0, 0, 7}));
}

TEST(LogTimeTest, NowConvertsOnThisMachine) {
  const std::optional<std::int64_t> now = os::secondsSinceEpoch();
  ASSERT_TRUE(now);
  const std::optional<os::LocalTime> local = os::toLocalTime(*now);
  ASSERT_TRUE(local);
  EXPECT_TRUE(formatLogTime(*local));
}

}  // namespace
}  // namespace lumora
