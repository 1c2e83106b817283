// Edit masks.  Every result is a new text of the mask's length on the
// scratch stack; the work buffers live above the caller's mark and are
// released with the result.
#include "format/mask.h"

#include <cstring>

#include "core/core.h"
#include "core/text.h"
#include "format/locale.h"

namespace tol {

namespace {

bool IsDigit(uint8_t c) {
  return c >= '0' && c <= '9';
}
bool IsDigitHolder(uint8_t c) {
  return c == '#' || c == '0';
}
bool InSet(StrRef set, uint8_t c) {
  return set.size() && std::memchr(set.data(), c, set.size()) != nullptr;
}

// A fresh scratch item of n bytes, filled unless fill is 255; null when the
// stack is full (the code in *err).
char* Fresh(uint16_t n, uint8_t fill, ErrCode* err) {
  *err = Scratch().Push(n, fill);
  return *err ? nullptr : Scratch().TopBytes();
}

// A writable scratch copy of t.
char* WritableCopy(StrRef t, ErrCode* err) {
  char* p = Fresh(t.size(), 255, err);
  if (p) std::memmove(p, t.data(), t.size());
  return p;
}

// The digits of a number text: sign, integer digits without leading zeros,
// decimal digits.  The integer digits sit one place into their buffer so
// that a carry out of rounding has room.
struct Digits {
  bool neg = false;
  bool any = false;    // the value held at least one digit
  bool point = false;  // the value held a decimal point
  char* ibuf = nullptr;
  uint16_t istart = 1;  // the integer digits start here in ibuf
  uint16_t ilen = 0;
  char* dec = nullptr;
  uint16_t dlen = 0;
  char* ints() const { return ibuf + istart; }
};

// Reads v (already trimmed, trailing non-digits dropped).  Of several
// points the last is the decimal point: the earlier ones are the thousands
// marks that cleaning makes of typed "1.234,5".  Other characters are
// ignored.
ErrCode ReadDigits(StrRef v, uint16_t room, Digits* out) {
  ErrCode e;
  out->ibuf = Fresh(static_cast<uint16_t>(v.size() + 1), 255, &e);
  if (!out->ibuf) return e;
  out->dec = Fresh(room, 255, &e);
  if (!out->dec) return e;
  uint16_t n = v.size();
  out->neg = n > 0 && v[0] == '-';
  uint16_t dot = FindLast(v, '.');
  for (uint16_t i = 0; i < n; ++i) {
    uint8_t c = v[i];
    if (!IsDigit(c)) continue;
    out->any = true;
    if (dot != kNpos && i > dot) {
      if (out->dlen < room) out->dec[out->dlen++] = static_cast<char>(c);
    } else if (c != '0' || out->ilen > 0) {
      out->ints()[out->ilen++] = static_cast<char>(c);
    }
  }
  out->point = dot != kNpos;
  if (!out->any) out->neg = false;
  return E_OK;
}

// Rounds the decimals to d places, halves away from zero.
void RoundTo(Digits* v, uint16_t d) {
  if (v->dlen <= d) return;
  bool up = v->dec[d] >= '5';
  v->dlen = d;
  for (int i = d - 1; up && i >= 0; --i) {
    if (v->dec[i] == '9') {
      v->dec[i] = '0';
    } else {
      ++v->dec[i];
      up = false;
    }
  }
  for (int i = v->ilen - 1; up && i >= 0; --i) {
    if (v->ints()[i] == '9') {
      v->ints()[i] = '0';
    } else {
      ++v->ints()[i];
      up = false;
    }
  }
  if (up) {
    v->ibuf[0] = '1';
    v->istart = 0;  // the integer digits now start at the carry
    ++v->ilen;
  }
}

bool AllZero(const Digits& v) {
  for (uint16_t i = 0; i < v.ilen; ++i)
    if (v.ints()[i] != '0') return false;
  for (uint16_t i = 0; i < v.dlen; ++i)
    if (v.dec[i] != '0') return false;
  return true;
}

}  // namespace

StrRef NumberClean(StrRef text) {
  if (!text.ok()) return text;
  ScratchFrame f;
  NumberLocale loc = CurrentNumberLocale();
  StrRef t = Trim(text);
  char out[20];
  uint16_t n = 0;
  for (uint16_t i = 0; i < t.size() && i < 20; ++i) {
    uint8_t c = t[i];
    if (c != '.' && !InSet(loc.numeric, c)) break;
    if (c == '-' && i != 0) break;
    if (c == '0' && n == 0 && i + 1 < t.size() && t[i + 1] != loc.decimal) continue;
    if (c == loc.decimal) c = '.';
    out[n++] = static_cast<char>(c);
  }
  return f.Keep(StrRef(out, n));
}

StrRef ExpandCompactMask(StrRef mask) {
  if (!mask.ok()) return mask;
  uint16_t len = mask.size();
  uint16_t at = 0;
  for (;;) {
    at = FindText(mask, ",.", true, at);
    if (at == kNpos) return mask;
    if (at + 2u < len && IsDigit(mask[at + 2])) break;
    ++at;
  }
  int n = 0;
  for (uint16_t i = at + 2; i < len && IsDigit(mask[i]); ++i)
    n = n < 1000 ? n * 10 + (mask[i] - '0') : n;
  int d = MaskDecimals(n);
  if (d > len - 2) d = len - 2;  // keep one integer place
  uint16_t first = FindAny(Slice(mask, 0, at), "#0");
  uint8_t fill = first == kNpos ? '#' : mask[first];
  uint8_t dfill = at > 0 && IsDigitHolder(mask[at - 1]) ? mask[at - 1] : fill;
  ScratchFrame f;
  ErrCode e;
  char* out = Fresh(len, 255, &e);
  if (!out) return f.Keep(StrRef::Fail(e));
  int pos = len - 1;
  for (int k = 0; k < d; ++k) out[pos--] = static_cast<char>(dfill);
  if (d > 0) out[pos--] = '.';
  for (int j = 1; pos >= 0; ++j, --pos)
    out[pos] = (j % 4 == 0 && pos > 0) ? ',' : static_cast<char>(fill);
  return f.Keep(StrRef(out, len));
}

StrRef NumberMask(StrRef mask, StrRef value, bool fixed) {
  if (!mask.ok()) return mask;
  if (!value.ok()) return value;
  ScratchFrame f;
  StrRef m = ExpandCompactMask(mask);
  if (!m.ok()) return f.Keep(m);
  uint8_t dsep = '.', tsep = ',';
  if (!fixed) {
    NumberLocale loc = CurrentNumberLocale();
    dsep = loc.decimal;
    tsep = loc.thousands;
  }
  ErrCode e;
  char* out = WritableCopy(m, &e);
  if (!out) return f.Keep(StrRef::Fail(e));
  uint16_t first = FindAny(m, "#0"), last = FindLastAny(m, "#0");
  if (first == kNpos) return f.Keep(StrRef(out, m.size()));

  StrRef v = Trim(value);
  uint16_t vn = v.size();
  while (vn > 0 && !IsDigit(v[vn - 1])) --vn;
  v = Slice(v, 0, vn);

  char* r = out + first;
  int rl = last - first + 1;
  int dot = -1, g = 0;
  for (int i = 0; i < rl; ++i) {
    if (r[i] == '.' && dot < 0) dot = i;
    if (r[i] == ',') ++g;
  }
  int d = dot < 0 ? 0 : rl - dot - 1;

  Digits num;
  if ((e = ReadDigits(v, static_cast<uint16_t>(vn > rl ? vn : rl), &num)))
    return f.Keep(StrRef::Fail(e));
  // The sign needs a place of its own: a negative number that only just
  // fits its digits would otherwise lose its sign.
  int need = num.ilen + (num.neg ? 1 : 0);
  auto int_places = [&] { return rl - d - (dot >= 0 ? 1 : 0) - g; };
  if (int_places() < need) {
    for (int i = 0; i < rl; ++i)
      if (r[i] == ',') r[i] = '#';
    g = 0;
    while (dot >= 0 && int_places() < need) {
      if (d <= 1) {
        r[dot] = '#';
        dot = -1;
        d = 0;
        break;
      }
      std::memmove(r + 1, r, rl - 1);
      ++dot;
      --d;
    }
  }
  RoundTo(&num, static_cast<uint16_t>(d));
  if (num.any && AllZero(num)) num.neg = false;
  if (num.any)
    while (num.dlen < d) num.dec[num.dlen++] = '0';
  bool point = num.any && dot >= 0;

  // The value as placed: sign, integer digits, point, decimals.
  uint16_t vl = static_cast<uint16_t>((num.neg ? 1 : 0) + num.ilen + (point ? 1 : 0) + num.dlen);
  char* vs = Fresh(vl, 255, &e);
  if (!vs) return f.Keep(StrRef::Fail(e));
  uint16_t k = 0;
  if (num.neg) vs[k++] = '-';
  std::memcpy(vs + k, num.ints(), num.ilen);
  k += num.ilen;
  if (point) vs[k++] = '.';
  std::memcpy(vs + k, num.dec, num.dlen);

  k = vl;
  for (int i = rl - 1; i >= 0; --i) {
    uint8_t c = r[i];
    uint8_t before = i > 0 ? r[i - 1] : 0;
    if (k == 0) {
      if (c == '#')
        r[i] = ' ';
      else if (c == '.')
        r[i] = static_cast<char>(!num.any && before == '#' ? ' ' : dsep);
      else if (c == ',')
        r[i] = static_cast<char>(before == '#' ? ' ' : tsep);
      continue;
    }
    if (k == 1 && num.neg) {
      r[i] = '-';
      k = 0;
      continue;
    }
    if (c == ',' && g > 0) {
      r[i] = static_cast<char>(tsep);
      continue;
    }
    if (!IsDigitHolder(c) && c != '.') continue;  // a literal inside the mask
    uint8_t ch = vs[--k];
    if (ch == '.') {
      r[i] = static_cast<char>(dsep);
      if (num.ilen == 0 && i > 0) r[--i] = '0';
    } else {
      r[i] = static_cast<char>(ch);
    }
  }
  return f.Keep(StrRef(out, m.size()));
}

StrRef TextMask(StrRef mask, StrRef value) {
  if (!mask.ok()) return mask;
  if (!value.ok()) return value;
  ScratchFrame f;
  ErrCode e;
  char* m = WritableCopy(mask, &e);
  if (!m) return f.Keep(StrRef::Fail(e));
  uint16_t len = mask.size();
  for (uint16_t i = 0; i < len; ++i) {
    if (m[i] != '\\') continue;
    uint16_t j = i + 1;
    while (j < len && m[j] == ' ') ++j;
    if (j < len && m[j] == '\\') std::memset(m + i + 1, '\\', j - i - 1);
    i = j - 1;
  }
  StrRef mm(m, len);
  uint16_t fp = FindAny(mm, "\\?#0");
  if (fp == kNpos) return f.Keep(mm);
  bool by_position = m[fp] == '?';
  if (IsDigitHolder(m[fp]) && FindAny(mm, "\\?") == kNpos) return f.Keep(mm);

  uint16_t vn = value.size();
  char* used = Fresh(vn, 0, &e);  // value characters placed by "?"
  if (!used) return f.Keep(StrRef::Fail(e));
  if (by_position)
    for (uint16_t i = 0; i < len && i < vn; ++i)
      if (m[i] == '?') used[i] = 1;
  uint16_t next = 0;
  for (uint16_t i = 0; i < len; ++i) {
    if (m[i] == '\\') {
      while (next < vn && used[next]) ++next;
      m[i] = next < vn ? value.data()[next++] : ' ';
    } else if (by_position && m[i] == '?') {
      m[i] = i < vn ? value.data()[i] : ' ';
    }
  }
  return f.Keep(mm);
}

bool IsNumericText(StrRef value) {
  for (uint16_t i = 0; i < value.size(); ++i)
    if (!InSet(".-1234567890,D ", value[i])) return false;
  return value.ok();
}

StrRef MaskFormat(StrRef mask, StrRef value, uint8_t how) {
  if (!mask.ok()) return mask;
  if (!value.ok()) return value;
  ScratchFrame f;
  StrRef m = ExpandCompactMask(mask);
  uint16_t fp = FindAny(m, "\\?#0");
  bool numeric_mask = fp != kNpos && IsDigitHolder(m[fp]);
  if (numeric_mask && (how != kMaskIfNumeric || IsNumericText(value)))
    return f.Keep(NumberMask(m, value, how == kMaskFixed));
  return f.Keep(TextMask(m, value));
}

}  // namespace tol
