// Separated lists, brackets, parameter texts, bounded message formatting and
// the fixed-point number helpers.
#include "core/lists.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/core.h"
#include "core/text.h"

namespace tol {

namespace {

// Position of the next separator at or after from, or kNpos.
uint16_t NextSep(StrRef list, uint8_t sep, uint16_t from) {
  return FindByte(list, sep, from, sep == 0);
}

// Bounds of item n: [*b, *e).  False when n is 0 or beyond the count.
bool ItemBounds(StrRef list, uint8_t sep, uint16_t n, uint32_t* b, uint32_t* e) {
  if (!list.ok() || n == 0 || list.size() == 0) return false;
  uint32_t at = 0;
  for (uint16_t k = 1; k < n; ++k) {
    uint16_t s = at <= list.size() ? NextSep(list, sep, static_cast<uint16_t>(at)) : kNpos;
    if (s == kNpos) return false;
    at = uint32_t{s} + 1;
  }
  uint16_t s = at < list.size() ? NextSep(list, sep, static_cast<uint16_t>(at)) : kNpos;
  *b = at;
  *e = s == kNpos ? list.size() : s;
  return true;
}

StrRef SepText(const uint8_t* sep) {
  return StrRef(reinterpret_cast<const char*>(sep), 1);
}

}  // namespace

StrRef ListItem(StrRef list, uint8_t sep, uint16_t n) {
  if (!list.ok()) return list;
  uint32_t b, e;
  if (!ItemBounds(list, sep, n, &b, &e)) return StrRef(list.data() + list.size(), 0);
  return StrRef(list.data() + b, static_cast<uint16_t>(e - b));
}

uint16_t ListCount(StrRef list, uint8_t sep) {
  if (!list.ok() || list.size() == 0) return 0;
  uint16_t n = 1;
  for (uint16_t at = NextSep(list, sep, 0); at != kNpos;
       at = at + 1u < list.size() ? NextSep(list, sep, at + 1) : kNpos)
    ++n;
  return n;
}

uint16_t ListIndex(StrRef list, StrRef word, uint8_t sep) {
  if (!list.ok() || !word.ok() || word.size() > list.size()) return 0;
  uint16_t n = ListCount(list, sep);
  uint32_t at = 0;
  for (uint16_t k = 1; k <= n; ++k) {
    uint16_t s = at < list.size() ? NextSep(list, sep, static_cast<uint16_t>(at)) : kNpos;
    uint32_t e = s == kNpos ? list.size() : s;
    if (e - at == word.size() && std::memcmp(list.data() + at, word.data(), word.size()) == 0)
      return k;
    at = e + 1;
  }
  return 0;
}

int32_t ListItemInt(StrRef list, uint8_t sep, uint16_t n) {
  ScratchFrame f;
  return ToInteger(CleanValue(ListItem(list, sep, n)));
}

StrRef ListSet(StrRef list, uint8_t sep, uint16_t n, StrRef text) {
  if (!list.ok()) return list;
  if (!text.ok()) return text;
  ScratchMark m = Scratch().Mark();
  uint16_t c = ListCount(list, sep);
  if (n == 0) n = c + 1;
  StrRef r;
  if (n <= c) {
    uint32_t b, e;
    ItemBounds(list, sep, n, &b, &e);
    r = Concat(Concat(Slice(list, 0, static_cast<uint16_t>(b)), text),
               Slice(list, static_cast<int32_t>(e)));
  } else {
    uint16_t seps = c == 0 ? n - 1 : n - c;
    r = Concat(Concat(list, Repeat(SepText(&sep), seps)), text);
  }
  return Scratch().CopyOut(m, r);
}

StrRef ListDelete(StrRef list, uint8_t sep, uint16_t n) {
  if (!list.ok()) return list;
  uint16_t c = ListCount(list, sep);
  if (n == 0 || n > c) return Copy(list);
  uint32_t b, e;
  ItemBounds(list, sep, n, &b, &e);
  ScratchMark m = Scratch().Mark();
  StrRef r;
  if (c == 1)
    r = StrRef();
  else if (n == 1)
    r = Slice(list, static_cast<int32_t>(e + 1));
  else
    r = Concat(Slice(list, 0, static_cast<uint16_t>(b - 1)), Slice(list, static_cast<int32_t>(e)));
  return Scratch().CopyOut(m, r);
}

StrRef ListUnion(StrRef a, uint8_t sep_a, StrRef b, uint8_t sep_b) {
  if (!a.ok()) return a;
  if (!b.ok()) return b;
  ScratchMark m = Scratch().Mark();
  StrRef acc = Copy(a);
  uint16_t nb = ListCount(b, sep_b);
  for (uint16_t k = 1; k <= nb && acc.ok(); ++k) {
    StrRef item = ListItem(b, sep_b, k);
    if (ListIndex(acc, item, sep_a)) continue;
    acc =
        Scratch().CopyOut(m, acc.size() ? Concat(Concat(acc, SepText(&sep_a)), item) : Copy(item));
  }
  return Scratch().CopyOut(m, acc);
}

StrRef ListDifference(StrRef a, uint8_t sep_a, StrRef b, uint8_t sep_b) {
  if (!a.ok()) return a;
  if (!b.ok()) return b;
  ScratchMark m = Scratch().Mark();
  StrRef acc = Copy(StrRef());
  bool first = true;
  uint16_t na = ListCount(a, sep_a);
  for (uint16_t k = 1; k <= na && acc.ok(); ++k) {
    StrRef item = ListItem(a, sep_a, k);
    if (ListIndex(b, item, sep_b)) continue;
    acc = Scratch().CopyOut(m, first ? Copy(item) : Concat(Concat(acc, SepText(&sep_a)), item));
    first = false;
  }
  return Scratch().CopyOut(m, acc);
}

StrRef ListCollapse(StrRef text, uint8_t sep) {
  if (!text.ok()) return text;
  ScratchMark m = Scratch().Mark();
  StrRef r = Copy(text);
  if (!r.ok()) return r;
  char* p = const_cast<char*>(r.data());
  uint16_t n = 0;
  for (uint16_t i = 0; i < r.size(); ++i) {
    bool is_sep = static_cast<uint8_t>(p[i]) == sep;
    if (is_sep && n > 0 && static_cast<uint8_t>(p[n - 1]) == sep) continue;
    p[n++] = p[i];
  }
  return Scratch().CopyOut(m, StrRef(p, n));
}

uint16_t ListLongest(StrRef list, uint8_t sep) {
  uint16_t best = 0, c = ListCount(list, sep);
  for (uint16_t k = 1; k <= c; ++k) {
    uint16_t len = Unquote(ListItem(list, sep, k)).size();
    if (len > best) best = len;
  }
  return best;
}

uint16_t ListShortest(StrRef list, uint8_t sep) {
  uint16_t best = list.size(), c = ListCount(list, sep);
  for (uint16_t k = 1; k <= c; ++k) {
    uint16_t len = Unquote(ListItem(list, sep, k)).size();
    if (len < best) best = len;
  }
  return best;
}

ListArray ListToArray(StrRef list, uint8_t sep) {
  ListArray a;
  if (!list.ok()) return a;
  uint16_t c = ListCount(list, sep);
  // Items are 4-byte aligned; the array needs the alignment of a pointer.
  uint32_t bytes = uint32_t{c} * sizeof(StrRef) + alignof(StrRef);
  if (bytes > 0xFFFF || Scratch().Push(static_cast<uint16_t>(bytes))) return a;
  uintptr_t at = reinterpret_cast<uintptr_t>(Scratch().TopBytes());
  at = (at + alignof(StrRef) - 1) & ~uintptr_t{alignof(StrRef) - 1};
  auto* items = reinterpret_cast<StrRef*>(at);
  for (uint16_t k = 1; k <= c; ++k) new (&items[k - 1]) StrRef(ListItem(list, sep, k));
  a.items = items;
  a.count = c;
  return a;
}

uint16_t InRanges(StrRef list, int64_t value) {
  uint16_t c = ListCount(list, ',');
  for (uint16_t k = 1; k <= c; ++k) {
    StrRef item = ListItem(list, ',', k);
    uint16_t dash = FindByte(item, '-', 1);
    int64_t lo = Parse64(dash == kNpos ? item : Slice(item, 0, dash));
    int64_t hi = dash == kNpos ? lo : Parse64(Slice(item, dash + 1));
    if (lo <= value && value <= hi) return k;
  }
  return 0;
}

StrRef CleanValue(StrRef word) {
  if (!word.ok()) return word;
  StrRef t = Trim(word);
  StrRef u = Unquote(t);
  if (u.size() == word.size()) return Upper(word);
  return u;
}

uint8_t Partner(uint8_t c) {
  static const char kPairs[] = "[](){}<>";
  const char* p = static_cast<const char*>(std::memchr(kPairs, c, 8));
  if (p && (p - kPairs) % 2 == 0) return static_cast<uint8_t>(p[1]);
  return c;
}

StrRef Wrap(StrRef text, uint8_t c) {
  if (!text.ok()) return text;
  ScratchMark m = Scratch().Mark();
  uint8_t close = Partner(c);
  return Scratch().CopyOut(m, Concat(Concat(SepText(&c), text), SepText(&close)));
}

bool Enclosed(StrRef text, uint8_t c) {
  return text.ok() && text.size() > 1 && text[0] == c && text[text.size() - 1] == Partner(c);
}

StrRef Inner(StrRef text, uint8_t c, bool plain) {
  if (!text.ok()) return text;
  StrRef none(text.data() + text.size(), 0);
  uint8_t close = Partner(c);
  uint16_t open = FindByte(text, c, 0, plain);
  if (open == kNpos) return none;
  if (close == c) {
    uint16_t end = FindByte(text, c, open + 1, true);
    if (end == kNpos) return none;
    return Slice(text, open + 1, end - open - 1);
  }
  int depth = 0;
  for (uint32_t i = open; i < text.size(); ++i) {
    if (text[i] == c) ++depth;
    if (text[i] == close && --depth == 0)
      return Slice(text, open + 1, static_cast<uint16_t>(i - open - 1));
    if (!plain && (text[i] == '\'' || text[i] == '"')) {
      uint16_t q = FindByte(text, text[i], static_cast<uint16_t>(i + 1), true);
      if (q == kNpos) return none;
      i = q;
    }
  }
  return none;
}

StrRef Quote(StrRef text, uint8_t c) {
  if (!text.ok()) return text;
  bool has_apos = FindByte(text, '\'') != kNpos;
  bool has_dq = FindByte(text, '"') != kNpos;
  if (has_apos && has_dq) return StrRef::Fail(E_DATA);
  if (FindByte(text, c) != kNpos) c = c == '\'' ? '"' : '\'';
  return Wrap(text, c);
}

ParmSpan ParmLocate(StrRef text, StrRef key, uint8_t flags) {
  ParmSpan span;
  if (!text.ok() || !key.ok() || key.size() == 0) return span;
  bool nul = flags & PARM_NUL;
  ScratchFrame f;
  for (char mark : {':', '='}) {
    StrRef pat = Concat(key, StrRef(&mark, 1));
    if (!pat.ok()) return span;
    uint32_t from = 0;
    while (from < text.size()) {
      uint16_t at = FindText(text, pat, nul, static_cast<uint16_t>(from));
      if (at == kNpos) break;
      bool start_ok = at == 0;
      if (!start_ok) {
        uint8_t before = text[at - 1];
        start_ok =
            nul ? before == 0 : (before == ':' || before == ' ' || before == '&' || before == '/');
      }
      if (start_ok) {
        uint32_t vb = uint32_t{at} + pat.size();
        uint16_t ve = nul ? FindByte(text, 0, static_cast<uint16_t>(vb), true)
                          : FindAny(text, ": &/", static_cast<uint16_t>(vb), false);
        uint32_t end = ve == kNpos ? text.size() : ve;
        if (vb > text.size()) vb = text.size();
        span.offset = static_cast<uint16_t>(vb);
        span.length = static_cast<uint16_t>(end - vb);
        return span;
      }
      from = uint32_t{at} + 1;
    }
  }
  return span;
}

StrRef ParmValue(StrRef text, StrRef key, uint8_t mode) {
  if (!text.ok()) return text;
  ParmSpan s = ParmLocate(text, key, 0);
  if (!s.found()) return StrRef();
  StrRef v(text.data() + s.offset, s.length);
  if (mode == PARM_CLEAN) return CleanValue(v);
  if (mode == PARM_UNQUOTED) return Unquote(v);
  return v;
}

ErrCode ParmHas(StrRef text, StrRef key) {
  ParmSpan s = ParmLocate(text, key, 0);
  if (!s.found()) return E_NOTFOUND;
  StrRef v(text.data() + s.offset, s.length);
  bool keep_quotes = FindByte(key, '%') != kNpos;
  ErrCode e = Scratch().PushCopy(keep_quotes ? v : Unquote(v));
  return e;
}

StrRef FormatMessage(uint16_t max, const char* format, ...) {
  ScratchMark m = Scratch().Mark();
  uint16_t room = max == 0xFFFF ? max : static_cast<uint16_t>(max + 1);
  if (Scratch().Push(room)) return StrRef::Fail(Fail(M_FORMATSTRINGS, E_OUTOFMEMORY));
  char* buf = Scratch().TopBytes();
  va_list ap;
  va_start(ap, format);
  int n = std::vsnprintf(buf, room, format, ap);
  va_end(ap);
  if (n < 0 || n >= max) {
    Scratch().Release(m);
    return StrRef::Fail(Fail(M_FORMATSTRINGS, E_STRINGTOOLONG));
  }
  return Scratch().CopyOut(m, StrRef(buf, static_cast<uint16_t>(n)));
}

int32_t ParseInteger(StrRef text) {
  if (!text.ok() || text.size() == 0) return 0;
  bool neg = text[0] == '-';
  return static_cast<int32_t>((neg ? -1 : 1) * DigitsValue(Slice(text, neg ? 1 : 0), 10));
}

int64_t Parse64(StrRef text) {
  if (!text.ok()) return 0;
  uint16_t i = 0, n = text.size();
  while (i < n && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool neg = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) neg = text[i++] == '-';
  uint64_t v = 0;
  const uint64_t limit = neg ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
  for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i) {
    v = v * 10 + (text[i] - '0');
    if (v > limit) v = limit;  // saturate like the C conversion
  }
  return neg ? static_cast<int64_t>(0 - v) : static_cast<int64_t>(v);
}

int64_t DivRound(int64_t x, int64_t y) {
  if (y == 0) return 0;
  uint64_t ax = x < 0 ? 0 - static_cast<uint64_t>(x) : static_cast<uint64_t>(x);
  uint64_t ay = y < 0 ? 0 - static_cast<uint64_t>(y) : static_cast<uint64_t>(y);
  // Halves round away from zero, judged exactly (2r against the divisor):
  // rounding an odd divisor's truncated half up would make 4 / 3 give 2.
  uint64_t q = ax / ay, r = ax % ay;
  if (r >= ay - r) ++q;
  return (x < 0) != (y < 0) ? static_cast<int64_t>(0 - q) : static_cast<int64_t>(q);
}

int64_t RoundPlaces(int64_t x, int from, int to) {
  if (to >= from) {
    for (int i = from; i < to; ++i) x *= 10;
    return x;
  }
  int64_t u = 1;
  for (int i = to; i < from; ++i) u *= 10;
  int64_t half = u / 2;
  return (x + (x < 0 ? -half : half)) / u * u;
}

DivRem DivWithRemainder(int64_t x, int64_t y) {
  if (y == 0) return {0, 0};
  if (y == -1) return {static_cast<int64_t>(0 - static_cast<uint64_t>(x)), 0};
  int64_t r = x % y;
  return {x / y, r < 0 ? -r : r};
}

void SortRecords(void* records, uint16_t size, uint16_t count) {
  if (size == 0 || count < 2) return;
  auto* base = static_cast<unsigned char*>(records);
  ScratchFrame f;
  if (Scratch().Push(size)) return;
  unsigned char* tmp = reinterpret_cast<unsigned char*>(Scratch().TopBytes());
  // Stable insertion: equal records keep their order.
  for (uint32_t i = 1; i < count; ++i) {
    std::memcpy(tmp, base + i * size, size);
    uint32_t j = i;
    while (j > 0 && std::memcmp(base + (j - 1) * size, tmp, size) > 0) {
      std::memcpy(base + j * size, base + (j - 1) * size, size);
      --j;
    }
    std::memcpy(base + j * size, tmp, size);
  }
}

}  // namespace tol
