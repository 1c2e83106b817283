// Text operations: views, copies on the scratch stack, and the searches
// with their quote-aware flavour.
#include "core/text.h"

#include <cstring>

#include "core/core.h"

namespace tol {

namespace {

bool IsQuote(uint8_t c) {
  return c == '\'' || c == '"';
}

// A fresh scratch item of n bytes; null when the stack is full.
char* NewItem(uint16_t n, ErrCode* err) {
  *err = Scratch().Push(n);
  return *err ? nullptr : Scratch().TopBytes();
}

// Calls hit(pos) for every position outside quoted sections, from 'from',
// until it answers true; returns that position or kNpos.  With plain every
// position is offered.
template <class Hit>
uint16_t Scan(StrRef t, uint16_t from, bool plain, Hit hit) {
  uint32_t n = t.size();
  for (uint32_t i = from; i < n; ++i) {
    if (!plain && IsQuote(t[i])) {
      uint8_t q = t[i];
      const void* close = std::memchr(t.data() + i + 1, q, n - i - 1);
      if (close == nullptr) return kNpos;
      i = static_cast<uint32_t>(static_cast<const char*>(close) - t.data());
      continue;
    }
    if (hit(i)) return static_cast<uint16_t>(i);
  }
  return kNpos;
}

bool InSet(StrRef set, uint8_t c) {
  return set.size() && std::memchr(set.data(), c, set.size()) != nullptr;
}

const char* const kYesWords[] = {"YES", "SI", "Y", "S", "ON"};

}  // namespace

StrRef FirstNonEmpty(StrRef a, StrRef b) {
  return a.ok() && a.size() != 0 ? a : b;
}

StrRef Slice(StrRef t, int32_t start, uint16_t count) {
  if (!t.ok()) return t;
  int32_t n = t.size();
  if (start < 0) {
    start += n;
    if (start < 0) start = 0;
    count = kNpos;
  }
  if (start >= n) return StrRef(t.data() + n, 0);
  int32_t left = n - start;
  int32_t len = (count == kNpos || count > left) ? left : count;
  return StrRef(t.data() + start, static_cast<uint16_t>(len));
}

ErrCode Overwrite(StrRef dest, int32_t pos, StrRef source) {
  if (!dest.ok()) return dest.err();
  if (!source.ok()) return source.err();
  int32_t n = dest.size();
  if (pos < 0) {
    pos += n;
    if (pos < 0) pos = 0;
  }
  if (pos >= n) return E_OK;
  int32_t len = source.size() < n - pos ? source.size() : n - pos;
  std::memmove(const_cast<char*>(dest.data()) + pos, source.data(), len);
  return E_OK;
}

StrRef Copy(StrRef t) {
  if (!t.ok()) return t;
  ErrCode e = Scratch().PushCopy(t);
  return e ? StrRef::Fail(e) : Scratch().Top();
}

StrRef Concat(StrRef a, StrRef b) {
  if (!a.ok()) return a;
  if (!b.ok()) return b;
  uint32_t n = uint32_t{a.size()} + b.size();
  if (n > 0xFFFF) return StrRef::Fail(E_STRINGTOOLONG);
  ErrCode e;
  char* p = NewItem(static_cast<uint16_t>(n), &e);
  if (!p) return StrRef::Fail(e);
  std::memmove(p, a.data(), a.size());
  std::memmove(p + a.size(), b.data(), b.size());
  return Scratch().Top();
}

StrRef Join(StrRef a, StrRef sep, StrRef b) {
  if (!a.ok()) return a;
  if (!b.ok()) return b;
  if (!sep.ok()) return sep;
  ScratchMark m = Scratch().Mark();
  StrRef r = (a.size() && b.size()) ? Concat(Concat(a, sep), b) : Concat(a, b);
  return Scratch().CopyOut(m, r);
}

StrRef Repeat(StrRef t, uint16_t n) {
  if (!t.ok()) return t;
  uint32_t total = uint32_t{t.size()} * n;
  if (total > 0xFFFF) return StrRef::Fail(E_STRINGTOOLONG);
  ErrCode e;
  char* p = NewItem(static_cast<uint16_t>(total), &e);
  if (!p) return StrRef::Fail(e);
  for (uint16_t i = 0; i < n; ++i) std::memcpy(p + size_t{i} * t.size(), t.data(), t.size());
  return Scratch().Top();
}

StrRef OneChar(uint8_t c) {
  ErrCode e;
  char* p = NewItem(1, &e);
  if (!p) return StrRef::Fail(e);
  *p = static_cast<char>(c);
  return Scratch().Top();
}

static StrRef MapCase(StrRef t, char lo, char hi, int delta) {
  StrRef r = Copy(t);
  if (!r.ok()) return r;
  char* p = const_cast<char*>(r.data());
  for (uint16_t i = 0; i < r.size(); ++i)
    if (p[i] >= lo && p[i] <= hi) p[i] = static_cast<char>(p[i] + delta);
  return r;
}

StrRef Upper(StrRef t) {
  return MapCase(t, 'a', 'z', 'A' - 'a');
}
StrRef Lower(StrRef t) {
  return MapCase(t, 'A', 'Z', 'a' - 'A');
}

StrRef Trim(StrRef t, uint8_t which, StrRef set) {
  if (!t.ok()) return t;
  uint16_t b = 0, e = t.size();
  if (which & TRIM_LEFT)
    while (b < e && InSet(set, t[b])) ++b;
  if (which & TRIM_RIGHT)
    while (e > b && InSet(set, t[e - 1])) --e;
  return StrRef(t.data() + b, static_cast<uint16_t>(e - b));
}

StrRef Unquote(StrRef t) {
  if (!t.ok() || t.size() < 2) return t;
  uint8_t c = t[0];
  if (IsQuote(c) && t[t.size() - 1] == c) return StrRef(t.data() + 1, t.size() - 2);
  return t;
}

StrRef KeepOnly(StrRef t, StrRef set) {
  if (!t.ok()) return t;
  ScratchMark m = Scratch().Mark();
  StrRef r = Copy(t);
  if (!r.ok()) return r;
  char* p = const_cast<char*>(r.data());
  uint16_t n = 0;
  for (uint16_t i = 0; i < r.size(); ++i)
    if (InSet(set, static_cast<uint8_t>(p[i]))) p[n++] = p[i];
  return Scratch().CopyOut(m, StrRef(p, n));
}

StrRef Translate(StrRef t, StrRef from, StrRef to) {
  StrRef r = Copy(t);
  if (!r.ok()) return r;
  char* p = const_cast<char*>(r.data());
  for (uint16_t i = 0; i < r.size(); ++i) {
    const void* hit = from.size() ? std::memchr(from.data(), p[i], from.size()) : nullptr;
    if (!hit) continue;
    size_t k = static_cast<const char*>(hit) - from.data();
    if (k < to.size()) p[i] = to.data()[k];
  }
  return r;
}

uint16_t Compare(StrRef a, StrRef b) {
  if (!a.ok() || !b.ok()) return E_STROUTBOUND;
  size_t n = a.size() < b.size() ? a.size() : b.size();
  int c = n ? std::memcmp(a.data(), b.data(), n) : 0;
  if (c == 0) c = (a.size() > b.size()) - (a.size() < b.size());
  return c > 0 ? 1 : c < 0 ? 0xFFFF : 0;
}

uint16_t FindByte(StrRef t, uint8_t byte, uint16_t from, bool plain) {
  if (!t.ok()) return kNpos;
  if (plain || IsQuote(byte)) {
    if (from >= t.size()) return kNpos;
    const void* hit = std::memchr(t.data() + from, byte, t.size() - from);
    return hit ? static_cast<uint16_t>(static_cast<const char*>(hit) - t.data()) : kNpos;
  }
  return Scan(t, from, false, [&](uint32_t i) { return t[i] == byte; });
}

uint16_t FindAny(StrRef t, StrRef set, uint16_t from, bool plain) {
  if (!t.ok() || !set.ok()) return kNpos;
  return Scan(t, from, plain, [&](uint32_t i) { return InSet(set, t[i]); });
}

uint16_t FindText(StrRef t, StrRef pattern, bool plain, uint16_t from) {
  if (!t.ok() || !pattern.ok() || pattern.size() > t.size()) return kNpos;
  if (pattern.size() == 1) return FindByte(t, pattern[0], from, plain);
  uint32_t last = t.size() - pattern.size();
  return Scan(t, from, plain, [&](uint32_t i) {
    return i <= last && std::memcmp(t.data() + i, pattern.data(), pattern.size()) == 0;
  });
}

uint16_t FindLast(StrRef t, uint8_t byte, bool plain) {
  return FindLastAny(t, StrRef(reinterpret_cast<const char*>(&byte), 1), plain);
}

uint16_t FindLastAny(StrRef t, StrRef set, bool plain) {
  if (!t.ok() || !set.ok()) return kNpos;
  if (plain || (set.size() == 1 && IsQuote(set[0]))) {
    for (uint32_t i = t.size(); i-- > 0;)
      if (InSet(set, t[i])) return static_cast<uint16_t>(i);
    return kNpos;
  }
  uint16_t found = kNpos;
  Scan(t, 0, false, [&](uint32_t i) {
    if (InSet(set, t[i])) found = static_cast<uint16_t>(i);
    return false;
  });
  return found;
}

uint16_t CountOf(StrRef t, StrRef pattern) {
  if (!t.ok() || !pattern.ok() || pattern.size() == 0) return 0;
  uint16_t n = 0;
  uint32_t from = 0;
  while (from + pattern.size() <= t.size()) {
    uint16_t at = FindText(t, pattern, true, static_cast<uint16_t>(from));
    if (at == kNpos) break;
    ++n;
    from = uint32_t{at} + pattern.size();
  }
  return n;
}

StrRef ReplaceAll(StrRef t, StrRef pattern, StrRef replacement, bool plain) {
  if (!t.ok()) return t;
  if (!pattern.ok()) return pattern;
  if (!replacement.ok()) return replacement;
  if (pattern.size() == 0) return Copy(t);
  if (pattern.size() == 1 && IsQuote(pattern[0])) plain = true;
  // One result item rebuilt per hit and copied out to the mark each pass, so
  // the stack does not grow with the number of hits.
  ScratchMark m = Scratch().Mark();
  StrRef acc = Copy(StrRef());
  uint32_t from = 0;
  for (;;) {
    uint16_t at = FindText(t, pattern, plain, static_cast<uint16_t>(from));
    acc = Concat(acc, Slice(t, static_cast<int32_t>(from), at == kNpos ? kNpos : at - from));
    if (at != kNpos) acc = Concat(acc, replacement);
    acc = Scratch().CopyOut(m, acc);
    if (!acc.ok()) return StrRef::Fail(Fail(M_STRCONCAT, acc.err()));
    if (at == kNpos) return acc;
    from = uint32_t{at} + pattern.size();
  }
}

bool IsYes(StrRef t) {
  if (!t.ok() || t.size() > 3) return false;
  char up[4] = {0};
  for (uint16_t i = 0; i < t.size(); ++i) {
    char c = t.data()[i];
    up[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
  }
  for (const char* w : kYesWords)
    if (std::strlen(w) == t.size() && std::memcmp(w, up, t.size()) == 0) return true;
  return false;
}

int32_t ToInteger(StrRef t) {
  if (!t.ok()) return 0;
  if (IsYes(t)) return 1;
  uint16_t i = 0, n = t.size();
  while (i < n && (t[i] == ' ' || (t[i] >= '\t' && t[i] <= '\r'))) ++i;
  bool neg = false;
  if (i < n && (t[i] == '+' || t[i] == '-')) neg = t[i++] == '-';
  int64_t v = 0;
  for (; i < n && t[i] >= '0' && t[i] <= '9'; ++i) {
    v = v * 10 + (t[i] - '0');
    if (v > 2147483648LL) v = 2147483648LL;
  }
  if (neg) v = -v;
  if (v > 2147483647LL) v = 2147483647LL;
  return static_cast<int32_t>(v);
}

StrRef IntToText(int64_t v) {
  return IntToTextPadded(v, 0, ' ');
}

StrRef IntToTextPadded(int64_t v, uint16_t width, uint8_t fill) {
  char digits[24];
  int len = 0;
  uint64_t u = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
  do {
    digits[len++] = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u);
  if (v < 0) digits[len++] = '-';
  uint16_t total = width > len ? width : static_cast<uint16_t>(len);
  ErrCode e;
  char* p = NewItem(total, &e);
  if (!p) return StrRef::Fail(e);
  std::memset(p, fill, total - len);
  for (int i = 0; i < len; ++i) p[total - 1 - i] = digits[i];
  return Scratch().Top();
}

int64_t DigitsValue(StrRef t, uint8_t base) {
  static const char kDigits[] = "0123456789abcdef";
  if (!t.ok() || base < 2 || base > 16) return 0;
  uint64_t v = 0;
  for (uint16_t i = 0; i < t.size(); ++i) {
    const void* d = std::memchr(kDigits, t.data()[i], base);
    if (!d) break;
    v = v * base + static_cast<uint64_t>(static_cast<const char*>(d) - kDigits);
  }
  return static_cast<int64_t>(v);
}

const char* CText(StrRef t) {
  if (!t.ok()) return nullptr;
  if (t.size() == 0xFFFF) return nullptr;
  ErrCode e;
  char* p = NewItem(static_cast<uint16_t>(t.size() + 1), &e);
  if (!p) return nullptr;
  std::memmove(p, t.data(), t.size());
  p[t.size()] = '\0';
  return p;
}

}  // namespace tol
