// The system clock: real time in UTC, and the fixed time reproducible runs use.
#include <gtest/gtest.h>

#include <ctime>

#include "platform/win32.h"

namespace {

TEST(KernelClockTest, RealClockIsUtcAndWellFormed) {
    const time_t before = std::time(nullptr);
    SYSTEMTIME now{};
    GetSystemTime(&now);
    const time_t after = std::time(nullptr);

    tm parts{};
    parts.tm_year = now.wYear - 1900;
    parts.tm_mon = now.wMonth - 1;
    parts.tm_mday = now.wDay;
    parts.tm_hour = now.wHour;
    parts.tm_min = now.wMinute;
    parts.tm_sec = now.wSecond;
    const time_t reported = timegm(&parts);
    EXPECT_GE(reported, before);
    EXPECT_LE(reported, after);
    EXPECT_EQ(now.wDayOfWeek, parts.tm_wday);
    EXPECT_LT(now.wMilliseconds, 1000);
}

TEST(KernelClockTest, FixedTimeIsAnsweredExactlyUntilReleased) {
    const SYSTEMTIME fixed{2001, 2, 6, 3, 12, 34, 56, 789};
    gleamkit::platform::SetFixedSystemTime(&fixed);
    SYSTEMTIME first{}, second{};
    GetSystemTime(&first);
    GetSystemTime(&second);
    gleamkit::platform::SetFixedSystemTime(nullptr);
    EXPECT_EQ(first.wHour, 12);
    EXPECT_EQ(first.wMinute, 34);
    EXPECT_EQ(first.wSecond, 56);
    EXPECT_EQ(second.wMilliseconds, 789);
    EXPECT_EQ(second.wYear, 2001);

    SYSTEMTIME real{};
    GetSystemTime(&real);
    EXPECT_GT(real.wYear, 2001);
    GetSystemTime(nullptr);
}

} // namespace
