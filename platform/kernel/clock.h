// The system clock as kernel32 reports it: GetSystemTime fills a SYSTEMTIME in
// UTC. Tests and the command-line tool can fix the clock so that whatever
// reseeds from it (RippleRandom) gives reproducible results.
#pragma once

#include "platform/win32_types.h"

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;     // 1 = January
    WORD wDayOfWeek; // 0 = Sunday
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};
using LPSYSTEMTIME = SYSTEMTIME*;

// The current date and time in UTC, to the millisecond; the fixed time
// instead while one is set. A null pointer is ignored.
void GetSystemTime(LPSYSTEMTIME systemTime);

namespace gleamkit::platform {

// From now on GetSystemTime answers `*time` exactly (no field is checked or
// normalised); a null pointer returns to the real clock.
void SetFixedSystemTime(const SYSTEMTIME* time);

} // namespace gleamkit::platform
