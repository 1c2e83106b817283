// The fixed-point arithmetic of the expression language: reading a number
// from text (the literal rules), writing a number as text, and the scaled
// products and rounded divisions done in 128 bits so that no result that
// fits in 64 bits is ever wrong and none that does not fit is ever returned.
#pragma once

#include <cstdint>

#include "core/strref.h"

namespace tol {

// 10^p for p taken as 0 to 18.
int64_t PowerOfTen(int p);

// Reads text as a number scaled by 10^p: blanks trimmed, optional sign,
// digits, optional "." and decimals, optional "D" and a count of zeros.
// The reading is positional: the characters before the point followed by
// exactly p decimals (padded with "0", extra ones rounded half away from
// zero), read as far as they are digits, so "12abc" is 12 raw units.
// 155 when more than 20 characters stand before the point or the digits do
// not fit in 64 bits; *out is then 0.
[[nodiscard]] ErrCode ReadNumber(StrRef text, int p, int64_t* out);

// The number as text with p decimals: trailing decimal zeros dropped, no
// zero before the point, "-" when negative; 0 is the empty text (the digit
// 0 when p is 0).  On the scratch stack.
StrRef NumberText(int64_t value, int p);

// x / y rounded half away from zero, the half judged exactly; a quotient
// whose truncated value is 0 rounds too.  0 when y is 0.
__int128 DivRound128(__int128 x, __int128 y);

// Checked 64-bit results: false when the value does not fit.
inline bool Fits64(__int128 v) {
  return v >= INT64_MIN && v <= INT64_MAX;
}

// The scaling operators on raw values with scale s; each answers false
// when its result does not fit in 64 bits.
bool NumMultiply(int64_t a, int64_t r, int64_t s, int64_t* out);  // RDIV(a*r, s)
bool NumDivide(int64_t a, int64_t r, int64_t s, int64_t* out);    // RDIV(s*a, r); r 0 gives 0
bool NumPercent(int64_t a, int64_t r, int64_t s, int64_t* out);   // RDIV(RDIV(a*r, 100), s)
bool NumLessPercent(int64_t a, int64_t r, int64_t s, int64_t* out);
// a rounded to n decimals when the numbers carry p of them.
bool NumRoundTo(int64_t a, int64_t n, int p, int64_t* out);

}  // namespace tol
