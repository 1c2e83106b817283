// Edit masks: cleaning of typed numbers, laying numbers into numeric masks,
// text masks, and the compact ",.n" notation that numeric masks may be
// written in.
#pragma once

#include <cstdint>

#include "core/strref.h"

namespace tol {

// Typed number to stored-number text: "." as decimal point, leading zeros
// and anything after the first character the conventions do not accept
// dropped, at most 20 characters read.
StrRef NumberClean(StrRef text);

// A mask holding ",." followed by a number n, rewritten within its own
// length into thousands groups, a point and n (or the decimals table's)
// decimals; any other mask is returned as it is.
StrRef ExpandCompactMask(StrRef mask);

// Lays a number into a numeric mask.  fixed: "." and "," (stored forms);
// otherwise the conventions' separators (display).
StrRef NumberMask(StrRef mask, StrRef value, bool fixed);

// Places a text into a text mask ("\" takes the next character, "?" the
// character at the same position, "\" blanks "\" is a run of "\").
StrRef TextMask(StrRef mask, StrRef value);

inline constexpr uint8_t kMaskFixed = 1, kMaskIfNumeric = 255;
// Applies any mask.  how 1: numeric masks with the fixed separators;
// how 255: numeric formatting only for a value made of ".-1234567890,D "
// alone; any other how: numeric masks with the conventions' separators.
StrRef MaskFormat(StrRef mask, StrRef value, uint8_t how);

// True when every character of value is one of ".-1234567890,D ".
bool IsNumericText(StrRef value);

}  // namespace tol
