// Field type codes.  Texts are left-aligned and padded, numbers
// right-aligned through their masks, dates kept as YYYYMMDD (or YYMMDD, or
// the compact form), logical values as one character of " 01".
#include "format/types.h"

#include <cstring>

#include "core/core.h"
#include "core/errors.h"
#include "core/lists.h"
#include "core/text.h"
#include "format/dates.h"
#include "format/locale.h"
#include "format/mask.h"
#include "lang/sysvars.h"

namespace tol {

namespace {

constexpr uint16_t kCompactDates = 4;  // _COMPAT bit: compact dates in type F

bool IsDigitType(uint8_t t) {
  return t >= '1' && t <= '9';
}
bool IsTextType(uint8_t t) {
  return t == 'A' || t == 'B' || t == 'C' || t == 'P';
}

// t cut or padded with blanks on the right to width.
StrRef LeftAlign(StrRef t, uint16_t width) {
  if (!t.ok()) return t;
  if (t.size() == width) return t;
  ErrCode e = Scratch().Push(width, ' ');
  if (e) return StrRef::Fail(e);
  std::memmove(Scratch().TopBytes(), t.data(), t.size() < width ? t.size() : width);
  return Scratch().Top();
}

// t (not longer than width) padded with blanks on the left.
StrRef RightAlign(StrRef t, uint16_t width) {
  if (!t.ok()) return t;
  ErrCode e = Scratch().Push(width, ' ');
  if (e) return StrRef::Fail(e);
  std::memmove(Scratch().TopBytes() + (width - t.size()), t.data(), t.size());
  return Scratch().Top();
}

StrRef Blanks(uint16_t width) {
  ErrCode e = Scratch().Push(width, ' ');
  return e ? StrRef::Fail(e) : Scratch().Top();
}

bool AllBlank(StrRef t) {
  for (uint16_t i = 0; i < t.size(); ++i)
    if (t[i] != ' ') return false;
  return true;
}

// A numeric mask of width "#" with decimals places after a point (none
// when they leave no integer place).
StrRef DigitMask(uint16_t width, uint32_t decimals, uint8_t point) {
  StrRef m = Repeat("#", width);
  if (m.ok() && decimals > 0 && decimals + 1 < width)
    const_cast<char*>(m.data())[width - (decimals + 1)] = static_cast<char>(point);
  return m;
}

// Stored numbers: trimmed and right-aligned, or re-laid through a mask when
// longer than the field, keeping the decimals that fit.
StrRef StoreNumber(uint8_t type, StrRef value, uint16_t width) {
  StrRef t = Trim(value);
  uint16_t dot = FindByte(t, '.');
  uint32_t dot_at = dot == kNpos ? t.size() + 1u : dot + 1u;  // 1-based
  if (t.size() > width && dot_at > width) {
    SetDetail(0, t);
    return StrRef::Fail(Fail(M_FORMATSTRINGS, E_DATAOUTBOUND));
  }
  if (IsDigitType(type)) return NumberMask(TypeMask(type, width, true), t, true);
  if (t.size() <= width) return RightAlign(t, width);
  return NumberMask(DigitMask(width, dot_at == width ? 0 : width - dot_at, '.'), t, true);
}

// Places a cleaned number needs left of its point: sign and integer digits
// without leading zeros (the last point is the decimal point, as in
// NumberMask).
uint32_t IntegerPlaces(StrRef clean) {
  uint16_t dot = FindLast(clean, '.');
  uint16_t end = dot == kNpos ? clean.size() : dot;
  uint32_t n = 0;
  bool lead = true;
  for (uint16_t i = 0; i < end; ++i) {
    uint8_t c = clean[i];
    if (c < '0' || c > '9') continue;
    if (c == '0' && lead) continue;
    lead = false;
    ++n;
  }
  return n + (clean.size() && clean[0] == '-' && n ? 1 : 0);
}

StrRef StoreDate(uint8_t type, StrRef value, uint16_t width) {
  if (type == 'F' && width == 6 && SysTest(_COMPAT, kCompactDates)) return CompactDateStore(value);
  if (value.size() == 8 && width == 6) return Slice(value, 2, 6);
  return LeftAlign(value, width);
}

StrRef LogicalInput(StrRef value) {
  if (value.size() == 0) return " ";
  NumberLocale loc = CurrentNumberLocale();
  uint8_t c = Upper(Slice(value, 0, 1))[0];
  uint16_t at = FindByte(loc.logical_in, c);
  return at < 3 ? Slice(" 01", at, 1) : StrRef(" ");
}

StrRef ShowDate(uint8_t type, StrRef value, uint16_t width) {
  int kind = width == 8 ? 1 : width == 10 ? 2 : -1;
  if (kind < 0) return Blanks(width);
  StrRef v = value;
  if (AllBlank(v)) return type == 'F' ? Blanks(width) : DateDisplay(StrRef(), kind);
  if (v.size() == 6) {
    if (type == 'F' && SysTest(_COMPAT, kCompactDates)) {
      v = CompactDateRead(v);
    } else {
      // YYMMDD: the century follows the two-digit year rule.
      StrRef year = IntToTextPadded(YearExpand(ToInteger(Slice(v, 0, 2))), 4, '0');
      v = Concat(year, Slice(v, 2));
    }
  }
  return DateDisplay(v, kind);
}

StrRef ShowLogical(StrRef value, uint16_t width) {
  uint8_t c = value.size() ? value[0] : ' ';
  uint16_t at = FindByte(" 01", c);
  if (at == kNpos) return Blanks(width);
  NumberLocale loc = CurrentNumberLocale();
  return LeftAlign(ListItem(loc.logical_words, ',', static_cast<uint16_t>(at + 1)), width);
}

}  // namespace

StrRef TypeMask(uint8_t type, uint16_t width, bool fixed) {
  bool numeric = type == 'N' || type < 'A';
  uint8_t point = fixed ? '.' : CurrentNumberLocale().decimal;
  if (!numeric) return Repeat("\\", width);
  return DigitMask(width, IsDigitType(type) ? type - '0' : 0, point);
}

StrRef StoreFormat(uint8_t type, StrRef value, uint16_t width) {
  if (!value.ok()) return value;
  ScratchFrame f;
  StrRef r;
  if (type == 'C') {
    r = LeftAlign(value, width);
    if (r.ok() && !AllBlank(r)) r = Translate(r, " ", "0");
  } else if (IsTextType(type)) {
    r = LeftAlign(value, width);
  } else if (type == 'D' || type == 'F') {
    r = StoreDate(type, value, width);
  } else if (type == 'N' || type == 'L' || IsDigitType(type)) {
    r = StoreNumber(type, value, width);
  } else {
    r = Blanks(width);
  }
  return f.Keep(r);
}

StrRef InputFormat(uint8_t type, StrRef value, uint16_t width) {
  if (!value.ok()) return value;
  ScratchFrame f;
  bool align = width != kNoAlign;
  StrRef r;
  if (type == 'N' || type < 'A') {
    StrRef clean = NumberClean(value);
    if (align && IntegerPlaces(clean) > width) {
      // Laid into the mask, the digits that do not fit would be dropped
      // without a word: the user's number would be stored as another one.
      SetDetail(0, clean);
      return f.Keep(StrRef::Fail(Fail(M_FORMATSTRINGS, E_DATAOUTBOUND)));
    }
    if (!align) {
      uint16_t decimals = IsDigitType(type) ? type - '0' : 0;
      uint32_t room = clean.size() + decimals + 2u;
      if (room > 0xFFF0) room = 0xFFF0;
      return f.Keep(
          Trim(NumberMask(DigitMask(static_cast<uint16_t>(room), decimals, '.'), clean, true)));
    }
    return f.Keep(StoreFormat(type, NumberMask(TypeMask(type, width, true), clean, true), width));
  }
  if (type == 'A' || type == 'P') {
    r = value;
  } else if (type == 'B' || type == 'C') {
    r = KeepOnly(value, "0123456789 ");
  } else if (type == 'D' || type == 'F') {
    r = DateParse(value);
  } else if (type == 'L') {
    r = LogicalInput(value);
  } else {
    r = align ? Blanks(width) : StrRef();
    return f.Keep(r);
  }
  return f.Keep(align ? StoreFormat(type, r, width) : r);
}

StrRef DisplayFormat(uint8_t type, StrRef value, uint16_t width) {
  if (!value.ok()) return value;
  ScratchFrame f;
  StrRef r;
  if (IsTextType(type)) {
    r = LeftAlign(value, width);
  } else if (type == 'D' || type == 'F') {
    r = ShowDate(type, value, width);
  } else if (type == 'L') {
    r = ShowLogical(value, width);
  } else if (type == 'N' || IsDigitType(type)) {
    // The mask keeps "." as its decimal position; NumberMask puts the
    // conventions' separator there.
    r = NumberMask(TypeMask(type, width, true), value, false);
  } else {
    r = value.size() == width ? value : Blanks(width);
  }
  return f.Keep(r);
}

}  // namespace tol
