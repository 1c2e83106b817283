// Times of day.  Typed parts are read as 16-bit integers; the sums are
// worked in 64 bits and kept to 32.
#include "format/times.h"

#include "core/core.h"
#include "core/text.h"
#include "host/env.h"

namespace tol {

namespace {

constexpr int64_t kHour = 3600000, kMinute = 60000, kSecond = 1000, kDay = 86400000;

// Leading blanks, a sign and digits, by the C rules (no yes words).
int32_t ReadInt(StrRef t) {
  uint16_t i = 0, n = t.size();
  while (i < n && (t[i] == ' ' || t[i] == '\t')) ++i;
  bool neg = false;
  if (i < n && (t[i] == '+' || t[i] == '-')) neg = t[i++] == '-';
  int64_t v = 0;
  for (; i < n && t[i] >= '0' && t[i] <= '9'; ++i)
    if (v < 1000000000) v = v * 10 + (t[i] - '0');
  return static_cast<int32_t>(neg ? -v : v);
}

int16_t Part(StrRef t) {
  return static_cast<int16_t>(ReadInt(t));
}

}  // namespace

int32_t TimeNow() {
  host::LocalTime now = host::Now();
  int64_t t = now.hour * kHour + now.minute * kMinute + now.second * kSecond;
  return t < 0 ? 0 : static_cast<int32_t>(t);
}

int32_t TimeParse(StrRef text) {
  if (!text.ok()) return 0;
  StrRef t = text;
  uint16_t dot = FindByte(t, '.');
  StrRef fraction;
  if (dot != kNpos) {
    uint16_t end = FindByte(t, '.', dot + 1);
    uint16_t len = static_cast<uint16_t>((end == kNpos ? t.size() : end) - dot - 1);
    fraction = Slice(t, dot + 1, len < 3 ? len : 3);
    if (fraction.size()) t = Slice(t, 0, dot);
  }
  if (text.size() == 0) return TimeNow();
  // The parts between the colons, from the left; four or more read nothing.
  StrRef parts[3];
  uint16_t n = 0, from = 0;
  for (;;) {
    uint16_t colon = FindByte(t, ':', from);
    if (n == 3) {
      n = 4;
      break;
    }
    parts[n++] = Slice(t, from, colon == kNpos ? kNpos : static_cast<uint16_t>(colon - from));
    if (colon == kNpos) break;
    from = static_cast<uint16_t>(colon + 1);
  }
  int64_t h = 0, m = 0, s = 0;
  if (n == 1) {
    s = Part(parts[0]);
  } else if (n == 2) {
    m = Part(parts[0]);
    s = Part(parts[1]);
  } else if (n == 3) {
    h = Part(parts[0]);
    m = Part(parts[1]);
    s = Part(parts[2]);
  }
  static const int64_t kFractionScale[] = {0, 100, 10, 1};
  int64_t v = h * kHour + m * kMinute + s * kSecond +
              int64_t{ReadInt(fraction)} * kFractionScale[fraction.size()];
  return static_cast<int32_t>(v);
}

StrRef TimeFormat(int32_t millis, uint8_t code) {
  int64_t t = millis < 0 ? 0 : millis;
  int64_t h = t / kHour, rest = t % kHour;
  int64_t m = rest / kMinute, s = (rest % kMinute) / kSecond, ms = rest % kSecond;
  bool colons = code & TIME_COLONS;
  char buf[32];
  int len = 0;
  auto put = [&](int64_t v, int digits) {
    char tmp[20];
    int k = 0;
    do {
      tmp[k++] = static_cast<char>('0' + v % 10);
      v /= 10;
    } while (v && k < 19);
    while (k < digits) tmp[k++] = '0';
    while (k) buf[len++] = tmp[--k];
  };
  put(h, 2);
  int extra = len - 2;  // hours of more than two digits
  if (colons) buf[len++] = ':';
  put(m, 2);
  if (colons) buf[len++] = ':';
  put(s, 2);
  buf[len++] = '.';
  put(ms, 3);
  int want = (colons ? 5 : 4) + extra;
  if (code & TIME_SECONDS) want += colons ? 3 : 2;
  if (code & TIME_MILLIS) want += 4;
  if (want > len) want = len;
  ScratchFrame f;
  return f.Keep(StrRef(buf, static_cast<uint16_t>(want)));
}

int32_t TimeSpan(int32_t start, int32_t end) {
  int64_t d = int64_t{end} - start;
  if (d < 0) d += kDay;
  return static_cast<int32_t>(d);
}

}  // namespace tol
