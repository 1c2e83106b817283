// Dates: parsing typed dates in the language's order, validating,
// splitting YYYYMMDD texts, today's date, showing dates in their display
// kinds, shifting by days, months or years, and the compact six-character
// form of type "F" fields.  Dates are YYYYMMDD texts or the number
// year * 10000 + month * 100 + day.
#pragma once

#include <cstdint>

#include "core/strref.h"

namespace tol {

// A typed date as YYYYMMDD; the empty text when it is not a valid date.
// An empty text gives today (eight blanks with _AUXSTAT bit 64).
StrRef DateParse(StrRef text);

enum DatePartWhich : int { DATE_DAY = 1, DATE_MONTH = 2, DATE_YEAR = 4, DATE_NUMBER = 15 };
int32_t DatePart(StrRef date, int which);

// Two-digit year to four digits around _BYEAR and the pivot _BKYEAR.
int32_t YearExpand(int32_t year);
// YYYYMMDD of a valid date number; the empty text otherwise.
StrRef DateValidate(int64_t n);
// Gregorian month lengths; 0 for a month outside 1-12.
int DaysInMonth(int month, int year);
int32_t DateToday();

enum DateKind : int {
  DATE_AS_IS = 0,
  DATE_SHORT = 1,  // 05-01-24
  DATE_FULL = 2,   // 05-01-2024
  DATE_MONTH_YEAR = 3,
  DATE_LONG = 4,
};
StrRef DateDisplay(StrRef date, int kind);

enum DateUnit : int { DATE_DAYS = 1, DATE_MONTHS = 2, DATE_YEARS = 4 };
// amount below 10001: added in the unit, giving the date number.
// amount 10001 or more: a second date, giving first - second in the unit.
// Another unit adds nothing: the normalised date number, or 0 against a
// second date.  0 when date is not a YYYYMMDD text.
int64_t DateShift(StrRef date, int64_t amount, int unit);

// The compact form: YYMMDD with the century in the decade ("A" to "J" for
// 2000-2099) and blanks for a leading zero of month and day.
StrRef CompactDateStore(StrRef date);
// A compact six-character form back to YYYYMMDD (blanks stay blanks).
StrRef CompactDateRead(StrRef stored);

}  // namespace tol
