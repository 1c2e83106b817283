// Times of day as 32-bit counts of milliseconds since midnight: the clock,
// reading typed times, writing them in the hh:mm:ss.mmm family of forms,
// and spans that may cross midnight.
#pragma once

#include <cstdint>

#include "core/strref.h"

namespace tol {

int32_t TimeNow();
// "[[h:]m:]s[.fff]"; the empty text gives the time now, four or more ":"
// items give 0.
int32_t TimeParse(StrRef text);

enum TimeCode : uint8_t { TIME_COLONS = 0x01, TIME_SECONDS = 0x02, TIME_MILLIS = 0x04 };
// 0 hhmm, 1 hh:mm, 3 hh:mm:ss, 7 hh:mm:ss.mmm, 6 hhmmss.mmm.
StrRef TimeFormat(int32_t millis, uint8_t code);
// end - start, across midnight when end is earlier.
int32_t TimeSpan(int32_t start, int32_t end);

}  // namespace tol
