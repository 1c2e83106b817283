// Text operations on StrRef.  Results that are new texts live on the scratch
// stack; slices, trims and unquote are views into the same bytes.  Every
// operation hands a failed input back unchanged.
#pragma once

#include <cstdint>

#include "core/strref.h"

namespace tol {

constexpr uint16_t kNpos = 0xFFFF;  // "not found" position; "to the end" count

// The text's code: 0 for a text, the code for a failure.
inline ErrCode ErrorOf(StrRef t) {
  return t.err();
}
// a when it is not empty, else b.
StrRef FirstNonEmpty(StrRef a, StrRef b);
// View of count bytes from start; a negative start counts from the end.
StrRef Slice(StrRef t, int32_t start, uint16_t count = kNpos);
// Copies source into dest's bytes at pos (negative from the end), as much
// as fits.  dest must be writable bytes (usually a scratch item).
[[nodiscard]] ErrCode Overwrite(StrRef dest, int32_t pos, StrRef source);

StrRef Copy(StrRef t);
StrRef Concat(StrRef a, StrRef b);
// a, sep, b when both are non-empty, else a followed by b.
StrRef Join(StrRef a, StrRef sep, StrRef b);
StrRef Repeat(StrRef t, uint16_t n);
StrRef OneChar(uint8_t c);
StrRef Upper(StrRef t);
StrRef Lower(StrRef t);

enum TrimWhich : uint8_t { TRIM_LEFT = 1, TRIM_RIGHT = 2, TRIM_BOTH = 3 };
inline constexpr StrRef kBlanks(" \t", 2);
StrRef Trim(StrRef t, uint8_t which = TRIM_BOTH, StrRef set = kBlanks);
StrRef Unquote(StrRef t);
StrRef KeepOnly(StrRef t, StrRef set);
StrRef Translate(StrRef t, StrRef from, StrRef to);

// Unsigned bytes over the common length, then the shorter is smaller:
// 1, 0xFFFF (minus one) or 0; 159 when either is a failure.
uint16_t Compare(StrRef a, StrRef b);
inline bool Equal(StrRef a, StrRef b) {
  return a.ok() && b.ok() && a.view() == b.view();
}

// Searches.  A quote-aware search (plain = false) skips sections enclosed in
// apostrophes or double quotes; a quote that never closes hides the rest.
uint16_t FindByte(StrRef t, uint8_t byte, uint16_t from = 0, bool plain = true);
uint16_t FindAny(StrRef t, StrRef set, uint16_t from = 0, bool plain = true);
uint16_t FindText(StrRef t, StrRef pattern, bool plain = true, uint16_t from = 0);
uint16_t FindLast(StrRef t, uint8_t byte, bool plain = true);
uint16_t FindLastAny(StrRef t, StrRef set, bool plain = true);
uint16_t CountOf(StrRef t, StrRef pattern);
StrRef ReplaceAll(StrRef t, StrRef pattern, StrRef replacement, bool plain = true);

// 1 for a yes word ("YES,SI,Y,S,ON" in upper case), else the leading decimal
// number by the C rules (blanks, sign, digits).
int32_t ToInteger(StrRef t);
bool IsYes(StrRef t);
StrRef IntToText(int64_t v);
StrRef IntToTextPadded(int64_t v, uint16_t width, uint8_t fill);
// The text read as digits of "0123456789abcdef" in base; stops at the first
// byte that is not one.
int64_t DigitsValue(StrRef t, uint8_t base);

// A NUL-terminated copy on the scratch stack, for C interfaces.
const char* CText(StrRef t);

}  // namespace tol
