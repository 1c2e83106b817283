// Separated lists, brackets and quotes, KEY=value parameter texts, message
// formatting into a bounded result, and the fixed-point number helpers.
// Lists are addressed from 1 and their separators are searched outside
// quotes (a NUL separator plainly).
#pragma once

#include <cstdint>

#include "core/strref.h"

namespace tol {

// Lists.  Item, count and index-of allocate nothing; the others build new
// texts on the scratch stack.
StrRef ListItem(StrRef list, uint8_t sep, uint16_t n);
uint16_t ListCount(StrRef list, uint8_t sep);
uint16_t ListIndex(StrRef list, StrRef word, uint8_t sep);  // 0 when absent
int32_t ListItemInt(StrRef list, uint8_t sep, uint16_t n);
StrRef ListSet(StrRef list, uint8_t sep, uint16_t n, StrRef text);  // n = 0 appends
StrRef ListDelete(StrRef list, uint8_t sep, uint16_t n);
StrRef ListUnion(StrRef a, uint8_t sep_a, StrRef b, uint8_t sep_b);
StrRef ListDifference(StrRef a, uint8_t sep_a, StrRef b, uint8_t sep_b);
StrRef ListCollapse(StrRef text, uint8_t sep);
uint16_t ListLongest(StrRef list, uint8_t sep);
uint16_t ListShortest(StrRef list, uint8_t sep);
// Item n of an array made by ListToArray; empty beyond the count.
struct ListArray {
  const StrRef* items = nullptr;
  uint16_t count = 0;
  StrRef operator[](uint16_t n) const { return n >= 1 && n <= count ? items[n - 1] : StrRef(); }
};
ListArray ListToArray(StrRef list, uint8_t sep);  // array lives on the scratch stack
uint16_t InRanges(StrRef list, int64_t value);    // «low-high» items; 0 when none

// Clean value: trimmed of blanks and tabs and of one pair of matching
// quotes; folded to upper case when neither removed anything.
StrRef CleanValue(StrRef word);

// Brackets "[](){}<>"; every other character is its own partner.
uint8_t Partner(uint8_t c);
StrRef Wrap(StrRef text, uint8_t c);
bool Enclosed(StrRef text, uint8_t c);
StrRef Inner(StrRef text, uint8_t c, bool plain = false);
StrRef Quote(StrRef text, uint8_t c);  // 163 when it holds both quotes

// Parameter texts: KEY=value or KEY:value entries.
constexpr uint8_t PARM_NUL = 4;  // NUL-separated entries
struct ParmSpan {
  uint16_t offset = 0xFFFF;  // 0xFFFF: not found
  uint16_t length = 0;
  bool found() const { return offset != 0xFFFF; }
};
ParmSpan ParmLocate(StrRef text, StrRef key, uint8_t flags = 0);
enum ParmMode : uint8_t { PARM_RAW = 0, PARM_UNQUOTED = 1, PARM_CLEAN = 3 };
StrRef ParmValue(StrRef text, StrRef key, uint8_t mode = PARM_CLEAN);
// 0 with the value pushed when present, 0xFFFF when absent.
ErrCode ParmHas(StrRef text, StrRef key);

// printf-style into at most max bytes; 146 (recorded against module 16)
// when the result would not fit.  Text arguments are C texts (CText).
StrRef FormatMessage(uint16_t max, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Numbers.
int32_t ParseInteger(StrRef text);
int64_t Parse64(StrRef text);
int64_t DivRound(int64_t x, int64_t y);  // halves away from zero; 0 when y is 0
int64_t RoundPlaces(int64_t x, int from, int to);
struct DivRem {
  int64_t quotient;
  int64_t remainder;
};
DivRem DivWithRemainder(int64_t x, int64_t y);
void SortRecords(void* records, uint16_t size, uint16_t count);

}  // namespace tol
