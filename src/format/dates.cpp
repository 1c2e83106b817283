// Dates.  Shifting and differences work on a day count of the Gregorian
// calendar, so adding and subtracting days always agree.
#include "format/dates.h"

#include <cstring>

#include "core/core.h"
#include "core/text.h"
#include "format/locale.h"
#include "host/env.h"
#include "lang/sysvars.h"

namespace tol {

namespace {

constexpr uint16_t kEmptyDateStays = 64;  // _AUXSTAT bit
constexpr int64_t kSecondDate = 10001;

bool IsDigit(uint8_t c) {
  return c >= '0' && c <= '9';
}

bool AllDigits(StrRef t) {
  for (uint16_t i = 0; i < t.size(); ++i)
    if (!IsDigit(t[i])) return false;
  return true;
}

// An item of a typed date: blanks around digits; -1 for anything else.
int32_t ItemNumber(StrRef item) {
  StrRef t = Trim(item);
  if (t.size() == 0 || t.size() > 9 || !AllDigits(t)) return -1;
  return static_cast<int32_t>(DigitsValue(t, 10));
}

// Days since 1 March of year 0 of the proleptic Gregorian calendar for the
// first day of month m (1-12) of year y.
int64_t MonthStart(int64_t y, int64_t m) {
  if (m <= 2) --y;
  int64_t era = (y >= 0 ? y : y - 399) / 400;
  int64_t yoe = y - era * 400;
  int64_t mp = (m + 9) % 12;
  int64_t doy = (153 * mp + 2) / 5;
  int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe;
}

struct Ymd {
  int64_t y, m, d;
};

// Day count of a date whose month may lie outside 1-12 and whose day may
// lie outside the month.
int64_t DayCount(Ymd v) {
  int64_t months = v.y * 12 + (v.m - 1);
  int64_t y = months >= 0 ? months / 12 : -((-months + 11) / 12);
  int64_t m = months - y * 12 + 1;
  return MonthStart(y, m) + (v.d - 1);
}

Ymd FromDayCount(int64_t z) {
  int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  int64_t doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  int64_t d = doy - (153 * mp + 2) / 5 + 1;
  int64_t m = mp < 10 ? mp + 3 : mp - 9;
  int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
  return {y, m, d};
}

Ymd Normalise(Ymd v) {
  return FromDayCount(DayCount(v));
}

int64_t DateNumber(Ymd v) {
  return v.y * 10000 + v.m * 100 + v.d;
}

Ymd Split(int64_t n) {
  return {n / 10000, (n % 10000) / 100, n % 100};
}

// Puts v's value in width digits, leading zeros, at p.
void PutDigits(char* p, int64_t v, int width) {
  for (int i = width - 1; i >= 0; --i, v /= 10) p[i] = static_cast<char>('0' + v % 10);
}

StrRef Blanks(uint16_t n) {
  ErrCode e = Scratch().Push(n, ' ');
  return e ? StrRef::Fail(e) : Scratch().Top();
}

// Day, month and year of a parsed date in the language's order.
StrRef FromItems(StrRef a, StrRef b, StrRef c) {
  int32_t x = ItemNumber(a), y = ItemNumber(b), year = ItemNumber(c);
  if (x <= 0 || y <= 0 || Trim(c).size() == 0 || year < 0) return StrRef();
  if (Trim(c).size() == 2) year = YearExpand(year);
  int32_t day = x, month = y;
  if (!DayFirst()) {
    day = y;
    month = x;
  }
  if (month > 12 || day > 31) return StrRef();
  return DateValidate(int64_t{year} * 10000 + month * 100 + day);
}

// Replaces "[D]", "[M]" and "[Y]" in one pass, so that a month name is
// never read as a pattern.
StrRef FillPattern(StrRef pattern, StrRef day, StrRef month, StrRef year) {
  StrRef out("");
  uint16_t from = 0, n = pattern.size();
  for (uint16_t i = 0; i + 2 < n; ++i) {
    if (pattern[i] != '[' || pattern[i + 2] != ']') continue;
    uint8_t c = pattern[i + 1];
    StrRef with = c == 'D' ? day : c == 'M' ? month : c == 'Y' ? year : StrRef::Fail(E_NOTFOUND);
    if (!with.ok()) continue;
    out = Concat(Concat(out, Slice(pattern, from, static_cast<uint16_t>(i - from))), with);
    from = static_cast<uint16_t>(i + 3);
    i = static_cast<uint16_t>(i + 2);
  }
  return Concat(out, Slice(pattern, from));
}

bool ValidDateText(StrRef t, Ymd* v) {
  if (t.size() != 8 || !AllDigits(t)) return false;
  *v = Split(DatePart(t, DATE_NUMBER));
  return v->m >= 1 && v->m <= 12 && v->d >= 1 && v->d <= DaysInMonth(int(v->m), int(v->y));
}

}  // namespace

int DaysInMonth(int month, int year) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  if (month != 2) return kDays[month - 1];
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return leap ? 29 : 28;
}

int32_t YearExpand(int32_t year) {
  int32_t base = SysGet(_BYEAR);
  return year < SysGet(_BKYEAR) ? year + base : year + base - 100;
}

StrRef DateValidate(int64_t n) {
  if (n < 0) return StrRef();
  Ymd v = Split(n);
  if (v.y >= 10000 || v.m < 1 || v.m > 12 || v.d < 1 || v.d > DaysInMonth(int(v.m), int(v.y)))
    return StrRef();
  ErrCode e = Scratch().Push(8);
  if (e) return StrRef::Fail(e);
  char* p = Scratch().TopBytes();
  PutDigits(p, v.y, 4);
  PutDigits(p + 4, v.m, 2);
  PutDigits(p + 6, v.d, 2);
  return Scratch().Top();
}

int32_t DateToday() {
  host::LocalTime now = host::Now();
  return now.year * 10000 + now.month * 100 + now.day;
}

int32_t DatePart(StrRef date, int which) {
  if (!date.ok()) return 0;
  int32_t n = date.size();
  auto part = [&](int32_t start, int32_t count) {
    if (start < 0) {
      count += start;
      start = 0;
    }
    if (count <= 0) return 0;
    return ToInteger(Slice(date, start, static_cast<uint16_t>(count)));
  };
  int32_t day = part(n - 2, 2), month = part(n - 4, 2), year = part(0, n < 4 ? n : 4);
  switch (which) {
    case DATE_DAY:
      return day;
    case DATE_MONTH:
      return month;
    case DATE_YEAR:
      return year;
    case DATE_NUMBER:
      return year * 10000 + month * 100 + day;
    default:
      return 0;
  }
}

StrRef DateParse(StrRef text) {
  if (!text.ok()) return text;
  ScratchFrame f;
  if (text.size() == 0) {
    if (SysTest(_AUXSTAT, kEmptyDateStays)) return f.Keep("        ");
    return f.Keep(DateValidate(DateToday()));
  }
  StrRef t = Trim(text);
  if (t.size() == 0) return f.Keep(Blanks(text.size()));  // a blank date stays blank
  uint16_t at = FindAny(t, "-./");
  if (at == kNpos) {
    if (t.size() == 6) {
      // DDMMYY in every language, put into the language's order.
      StrRef dd = Slice(t, 0, 2), mm = Slice(t, 2, 2), yy = Slice(t, 4, 2);
      return f.Keep(DayFirst() ? FromItems(dd, mm, yy) : FromItems(mm, dd, yy));
    }
    // Taken as YYYYMMDD; anything that is not a valid one is no date.
    if (t.size() == 8 && AllDigits(t)) return f.Keep(DateValidate(DatePart(t, DATE_NUMBER)));
    return f.Keep(StrRef());
  }
  uint8_t sep = t[at];
  uint16_t second = FindByte(t, sep, at + 1);
  if (second == kNpos) return f.Keep(StrRef());
  if (FindByte(t, sep, second + 1) != kNpos) return f.Keep(StrRef());
  StrRef a = Slice(t, 0, at), b = Slice(t, at + 1, static_cast<uint16_t>(second - at - 1));
  return f.Keep(FromItems(a, b, Slice(t, second + 1)));
}

StrRef DateDisplay(StrRef date, int kind) {
  if (!date.ok()) return date;
  ScratchFrame f;
  if (kind < DATE_AS_IS || kind > DATE_LONG) return f.Keep(StrRef());
  StrRef t = Trim(date);
  Ymd v{};
  bool valid;
  if (t.size() == 0 && !SysTest(_AUXSTAT, kEmptyDateStays)) {
    t = DateValidate(DateToday());
    valid = ValidDateText(t, &v);
  } else {
    valid = ValidDateText(t, &v);
  }
  if (!valid) {
    if (kind == DATE_SHORT) return f.Keep(Blanks(8));
    if (kind == DATE_FULL) return f.Keep(Blanks(10));
    return f.Keep(StrRef());
  }
  if (kind == DATE_AS_IS) return f.Keep(t);
  StrRef dd = Slice(t, 6, 2), mm = Slice(t, 4, 2);
  StrRef year = kind == DATE_SHORT ? Slice(t, 2, 2) : Slice(t, 0, 4);
  if (kind == DATE_SHORT || kind == DATE_FULL) {
    StrRef first = DayFirst() ? dd : mm, second = DayFirst() ? mm : dd;
    return f.Keep(Concat(Concat(Concat(Concat(first, "-"), second), "-"), year));
  }
  StrRef month = MonthName(int(v.m));
  if (kind == DATE_MONTH_YEAR) return f.Keep(FillPattern("[M] [Y]", dd, Slice(month, 0, 3), year));
  return f.Keep(FillPattern(LongDatePattern(), dd, month, year));
}

int64_t DateShift(StrRef date, int64_t amount, int unit) {
  if (!date.ok()) return 0;
  StrRef t = Trim(date);
  if (t.size() != 8 || !AllDigits(t)) return 0;
  Ymd v = Split(DatePart(t, DATE_NUMBER));
  if (amount >= kSecondDate) {
    Ymd w = Split(amount);
    switch (unit) {
      case DATE_DAYS:
        return DayCount(v) - DayCount(w);
      case DATE_MONTHS:
        return 12 * (v.y - w.y) + (v.m - w.m);
      case DATE_YEARS:
        return v.y - w.y;
      default:
        return 0;
    }
  }
  // Far beyond any calendar use; keeps the arithmetic inside 64 bits.
  constexpr int64_t kLimit = 100000000;
  if (amount < -kLimit) amount = -kLimit;
  switch (unit) {
    case DATE_DAYS:
      v.d += amount;
      break;
    case DATE_MONTHS: {
      v.m += amount;
      Ymd first = Normalise({v.y, v.m, 1});
      int len = DaysInMonth(int(first.m), int(first.y));
      v = {first.y, first.m, v.d > len ? len : v.d};
      break;
    }
    case DATE_YEARS:
      v.y += amount;
      break;
    default:
      break;
  }
  return DateNumber(Normalise(v));
}

StrRef CompactDateStore(StrRef date) {
  if (!date.ok()) return date;
  ScratchFrame f;
  StrRef t = Trim(date);
  if (t.size() == 0) return f.Keep(Blanks(6));
  if (t.size() != 8 || !AllDigits(t)) return f.Keep(Slice(Concat(t, "      "), 0, 6));
  int32_t year = DatePart(t, DATE_YEAR);
  if (year < 1900 || year > 2099) return f.Keep(Slice(t, 2, 6));  // no compact form
  ErrCode e;
  if ((e = Scratch().PushCopy(Slice(t, 2, 6)))) return f.Keep(StrRef::Fail(e));
  char* p = Scratch().TopBytes();
  if (year >= 2000) p[0] = static_cast<char>('A' + (p[0] - '0'));
  if (p[2] == '0') p[2] = ' ';
  if (p[4] == '0') p[4] = ' ';
  return f.Keep(Scratch().Top());
}

StrRef CompactDateRead(StrRef stored) {
  if (!stored.ok() || stored.size() != 6) return stored;
  ScratchFrame f;
  ErrCode e;
  if ((e = Scratch().Push(8))) return f.Keep(StrRef::Fail(e));
  char* p = Scratch().TopBytes();
  std::memcpy(p + 2, stored.data(), 6);
  uint8_t c = stored[0];
  if (c >= 'A' && c <= 'Z') {
    std::memcpy(p, "20", 2);
    p[2] = static_cast<char>(c - 17);
  } else if (c == ' ') {
    std::memcpy(p, "  ", 2);
  } else {
    std::memcpy(p, "19", 2);
  }
  if (p[0] != ' ')
    for (int i = 0; i < 8; ++i)
      if (p[i] == ' ') p[i] = '0';
  return f.Keep(StrRef(p, 8));
}

}  // namespace tol
