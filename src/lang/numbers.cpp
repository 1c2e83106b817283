// Number reading and writing and the 128-bit scaled arithmetic.
#include "lang/numbers.h"

#include <cstring>

#include "core/core.h"

namespace tol {

namespace {

constexpr int kMaxIntegerChars = 20;

bool IsDigit(uint8_t c) {
  return c >= '0' && c <= '9';
}

// Positional digit reader: feeds characters until the first non-digit.
struct DigitReader {
  unsigned __int128 value = 0;
  bool stopped = false;   // a non-digit was met
  bool overflow = false;  // more than 64 bits
  void Feed(uint8_t c) {
    if (stopped) return;
    if (!IsDigit(c)) {
      stopped = true;
      return;
    }
    value = value * 10 + (c - '0');
    if (value > static_cast<unsigned __int128>(INT64_MAX) + 1) overflow = true, stopped = true;
  }
};

}  // namespace

int64_t PowerOfTen(int p) {
  if (p < 0) p = 0;
  if (p > 18) p = 18;
  int64_t s = 1;
  while (p-- > 0) s *= 10;
  return s;
}

ErrCode ReadNumber(StrRef text, int p, int64_t* out) {
  *out = 0;
  if (!text.ok()) return text.err();
  if (p < 0) p = 0;
  if (p > 18) p = 18;
  uint16_t b = 0, e = text.size();
  while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
  while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
  bool neg = false;
  if (b < e && (text[b] == '+' || text[b] == '-')) neg = text[b++] == '-';
  // "D" and a count: that many zeros after the text before it.
  const char* s = text.data();
  const void* dp = std::memchr(s + b, 'D', e - b);
  uint16_t base_end = dp ? static_cast<uint16_t>(static_cast<const char*>(dp) - s) : e;
  uint32_t zeros = 0;
  if (dp)
    for (uint16_t i = base_end + 1; i < e && IsDigit(text[i]) && zeros <= 0xFFFF; ++i)
      zeros = zeros * 10 + (text[i] - '0');
  const void* pp = std::memchr(s + b, '.', base_end - b);
  uint16_t int_end = pp ? static_cast<uint16_t>(static_cast<const char*>(pp) - s) : base_end;
  uint32_t int_chars = (int_end - b) + (pp ? 0 : zeros);
  if (int_chars > kMaxIntegerChars) return E_EXPCALCERROR;

  DigitReader r;
  for (uint16_t i = b; i < int_end; ++i) r.Feed(text[i]);
  if (!pp)
    for (uint32_t i = 0; i < zeros && !r.stopped; ++i) r.Feed('0');
  // The decimals: what follows the point, then the zeros of "D".
  uint32_t dec_from = pp ? int_end + 1u : base_end;
  uint32_t dec_chars = (base_end - dec_from) + (pp ? zeros : 0);
  auto dec_at = [&](uint32_t k) -> uint8_t {
    return dec_from + k < base_end ? text[dec_from + k] : '0';
  };
  for (int k = 0; k < p; ++k) r.Feed(static_cast<uint32_t>(k) < dec_chars ? dec_at(k) : '0');
  if (!r.stopped && static_cast<uint32_t>(p) < dec_chars) {
    uint8_t next = dec_at(p);
    if (IsDigit(next) && next >= '5') r.value += 1;
  }
  if (r.overflow || r.value > static_cast<unsigned __int128>(INT64_MAX) + (neg ? 1 : 0))
    return E_EXPCALCERROR;
  __int128 v = static_cast<__int128>(r.value);
  *out = static_cast<int64_t>(neg ? -v : v);
  return E_OK;
}

StrRef NumberText(int64_t value, int p) {
  if (p < 0) p = 0;
  if (p > 18) p = 18;
  char digits[24];
  int n = 0;
  uint64_t u = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  do {
    digits[n++] = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u);
  while (n < p) digits[n++] = '0';  // digits[] holds the number backwards
  char buf[48];
  int len = 0;
  if (value < 0) buf[len++] = '-';
  for (int i = n - 1; i >= p; --i) buf[len++] = digits[i];
  int first = 0;  // lowest decimal that is not a trailing zero
  while (first < p && digits[first] == '0') ++first;
  if (first < p) {
    buf[len++] = '.';
    for (int i = p - 1; i >= first; --i) buf[len++] = digits[i];
  }
  if (value == 0) len = p == 0 ? 1 : 0;
  if (Scratch().PushCopy(StrRef(buf, static_cast<uint16_t>(len))))
    return StrRef::Fail(E_OUTOFMEMORY);
  return Scratch().Top();
}

__int128 DivRound128(__int128 x, __int128 y) {
  if (y == 0) return 0;
  using U = unsigned __int128;
  U ax = x < 0 ? U(0) - U(x) : U(x);
  U ay = y < 0 ? U(0) - U(y) : U(y);
  U q = ax / ay, r = ax % ay;
  if (r >= ay - r) ++q;
  return (x < 0) != (y < 0) ? -static_cast<__int128>(q) : static_cast<__int128>(q);
}

namespace {

bool Store(__int128 v, int64_t* out) {
  if (!Fits64(v)) return false;
  *out = static_cast<int64_t>(v);
  return true;
}

}  // namespace

bool NumMultiply(int64_t a, int64_t r, int64_t s, int64_t* out) {
  return Store(DivRound128(static_cast<__int128>(a) * r, s), out);
}

bool NumDivide(int64_t a, int64_t r, int64_t s, int64_t* out) {
  if (r == 0) return Store(0, out);
  return Store(DivRound128(static_cast<__int128>(s) * a, r), out);
}

bool NumPercent(int64_t a, int64_t r, int64_t s, int64_t* out) {
  return Store(DivRound128(DivRound128(static_cast<__int128>(a) * r, 100), s), out);
}

bool NumLessPercent(int64_t a, int64_t r, int64_t s, int64_t* out) {
  __int128 part = DivRound128(DivRound128(static_cast<__int128>(a) * r, 100), s);
  return Store(static_cast<__int128>(a) - part, out);
}

bool NumRoundTo(int64_t a, int64_t n, int p, int64_t* out) {
  if (n == p) return Store(a, out);
  if (n > p) {
    __int128 v = a;
    for (int64_t k = p; k < n && v != 0; ++k) {
      v *= 10;
      if (!Fits64(v)) return false;
    }
    return Store(v, out);
  }
  // Rounding to a multiple of 10^(p - n); beyond 10^38 every value rounds to 0.
  if (n < int64_t{p} - 38) return Store(0, out);
  int64_t places = p - n;
  __int128 unit = 1;
  for (int64_t k = 0; k < places; ++k) unit *= 10;
  __int128 half = unit / 2;
  __int128 v = a;
  v = (v + (v < 0 ? -half : half)) / unit * unit;
  return Store(v, out);
}

}  // namespace tol
