// GetSystemTime over the POSIX real-time clock, broken down in UTC, with an
// optional fixed answer for reproducible runs.
#include "platform/kernel/clock.h"

#include <ctime>
#include <optional>

namespace {

std::optional<SYSTEMTIME> g_fixedTime;

SYSTEMTIME RealUtcTime() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm parts{};
    gmtime_r(&now.tv_sec, &parts);
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(parts.tm_year + 1900);
    time.wMonth = static_cast<WORD>(parts.tm_mon + 1);
    time.wDayOfWeek = static_cast<WORD>(parts.tm_wday);
    time.wDay = static_cast<WORD>(parts.tm_mday);
    time.wHour = static_cast<WORD>(parts.tm_hour);
    time.wMinute = static_cast<WORD>(parts.tm_min);
    // A leap second (tm_sec 60) is reported as the last second of its minute.
    time.wSecond = static_cast<WORD>(parts.tm_sec > 59 ? 59 : parts.tm_sec);
    time.wMilliseconds = static_cast<WORD>(now.tv_nsec / 1000000);
    return time;
}

} // namespace

void GetSystemTime(LPSYSTEMTIME systemTime) {
    if (!systemTime) return;
    *systemTime = g_fixedTime ? *g_fixedTime : RealUtcTime();
}

namespace gleamkit::platform {

void SetFixedSystemTime(const SYSTEMTIME* time) {
    if (time)
        g_fixedTime = *time;
    else
        g_fixedTime.reset();
}

} // namespace gleamkit::platform
