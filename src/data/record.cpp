// Record buffers in the string slot table and the field and key operations
// on them.  Field writes change the buffer's bytes in place (the buffer's
// length never changes after its allocation), so no slot moves happen.
#include "data/record.h"

#include <cstring>

#include "core/core.h"
#include "core/text.h"
#include "data/dict.h"
#include "format/dates.h"
#include "format/types.h"
#include "lang/sysvars.h"

namespace tol {

namespace {

constexpr uint16_t kCompatCompactDates = 4;  // _COMPAT bit

bool Allocated(uint16_t s) {
  return Slots().Count(kGroupRecords) > s;
}

// The buffer of s when it has the size of two records; else null, *err 169.
char* Buffer(uint16_t s, ErrCode* err) {
  const StructDef* st = StructAt(s);
  if (st == nullptr) {
    *err = CheckField(s, kStructOnly);
    return nullptr;
  }
  StrRef b = Slots().Get(kGroupRecords, s);
  if (Slots().Count(kGroupRecords) <= s || b.size() != 2u * st->record_length) {
    *err = E_FILENOTINIT;
    return nullptr;
  }
  *err = 0;
  // The slot table's own bytes: written in place, never resized here.
  return const_cast<char*>(b.data());
}

// Field of s (resolved) and its bytes in the buffer; *err on failure.
struct FieldSpot {
  const FieldDef* def = nullptr;
  char* cur = nullptr;  // current half
  uint16_t length = 0;  // record length
};

ErrCode Locate(uint16_t s, uint16_t f, FieldSpot* out) {
  ErrCode rc = CheckField(s, f);
  if (rc) return rc;
  char* b = Buffer(s, &rc);
  if (b == nullptr) return rc;
  out->def = FieldAt(s, f);
  out->cur = b;
  out->length = StructAt(s)->record_length;
  return 0;
}

uint16_t ToUint16(StrRef digits) {
  uint32_t v = 0;
  for (uint16_t i = 0; i < digits.size() && digits[i] >= '0' && digits[i] <= '9'; ++i) {
    v = (v * 10 + (digits[i] - '0')) & 0xFFFF;
  }
  return static_cast<uint16_t>(v);
}

}  // namespace

ErrCode BufferAlloc(uint16_t s) {
  s = StructResolve(s);
  ErrCode rc = CheckField(s, kStructOnly);
  if (rc) return rc;
  ScratchFrame frame;
  StrRef blanks = Repeat(" ", static_cast<uint16_t>(2u * StructAt(s)->record_length));
  if (!blanks.ok()) return blanks.err();
  return Slots().Set(kGroupRecords, s, blanks);
}

void BufferForget(uint16_t s) {
  if (Allocated(s)) (void)Slots().Set(kGroupRecords, s, StrRef());
}

ErrCode BufferClear(uint16_t s, uint8_t how) {
  s = StructResolve(s);
  ErrCode rc;
  char* b = Buffer(s, &rc);
  if (b == nullptr) return rc;
  uint16_t len = StructAt(s)->record_length;
  std::memset(b, ' ', 2u * len);
  if (how == 2 && len > 0) b[0] = static_cast<char>(kDeletedMark);
  return 0;
}

StrRef BufferHalf(uint16_t s, uint8_t half) {
  s = StructResolve(s);
  ErrCode rc;
  char* b = Buffer(s, &rc);
  if (b == nullptr) return StrRef::Fail(rc);
  uint16_t len = StructAt(s)->record_length;
  if (half == HALF_CURRENT) return StrRef(b, len);
  if (half == HALF_READ) return StrRef(b + len, len);
  if (half == HALF_BOTH) return StrRef(b, static_cast<uint16_t>(2u * len));
  return StrRef::Fail(E_DATA);
}

ErrCode BufferCopy(uint16_t s, uint8_t direction) {
  s = StructResolve(s);
  ErrCode rc;
  char* b = Buffer(s, &rc);
  if (b == nullptr) return rc;
  uint16_t len = StructAt(s)->record_length;
  if (direction == 1) {
    std::memcpy(b + len, b, len);
  } else if (direction == 2) {
    std::memcpy(b, b + len, len);
  } else {
    return E_DATA;
  }
  return 0;
}

ErrCode BufferStore(uint16_t s, uint8_t half, StrRef record) {
  if (!record.ok()) return record.err();
  s = StructResolve(s);
  ErrCode rc;
  char* b = Buffer(s, &rc);
  if (b == nullptr) return rc;
  if (half < HALF_CURRENT || half > HALF_BOTH) return E_DATA;
  uint16_t len = StructAt(s)->record_length;
  uint16_t n = record.size() < len ? record.size() : len;
  for (uint8_t h = HALF_CURRENT; h <= HALF_READ; ++h) {
    if (!(half & h)) continue;
    char* dst = b + (h == HALF_READ ? len : 0);
    std::memmove(dst, record.data(), n);
    std::memset(dst + n, ' ', len - n);
  }
  return 0;
}

bool BufferModified(uint16_t s) {
  s = StructResolve(s);
  ErrCode rc;
  char* b = Buffer(s, &rc);
  if (b == nullptr) return false;
  uint16_t len = StructAt(s)->record_length;
  return std::memcmp(b, b + len, len) != 0;
}

StrRef FieldRaw(uint16_t s, uint16_t f, uint8_t half) {
  s = StructResolve(s);
  FieldSpot at;
  ErrCode rc = Locate(s, f, &at);
  if (rc == E_DATAOUTBOUND) rc = E_BADFILENUMBER;
  if (rc) {
    Report(1, M_BUFFERFLD, E_BADFILENUMBER, 0);
    return StrRef::Fail(rc);
  }
  const char* p = at.cur + at.def->offset + (half == HALF_READ ? at.length : 0);
  return Copy(StrRef(p, at.def->width));
}

StrRef FieldGet(uint16_t s, uint16_t f) {
  s = StructResolve(s);
  StrRef raw = FieldRaw(s, f, HALF_CURRENT);
  if (!raw.ok()) return raw;
  const FieldDef* fd = FieldAt(s, f);
  ScratchMark mark = Scratch().Mark();
  if (fd->type == 'F' && fd->width == 6 && SysTest(_COMPAT, kCompatCompactDates)) {
    return Scratch().CopyOut(mark, CompactDateRead(raw));
  }
  if (fd->type == 'N') {
    // The "D" form: the digits of the value exclusive-or 10.
    StrRef t = Trim(raw, TRIM_LEFT);
    if (t.size() && t[0] == 'D') {
      return Scratch().CopyOut(mark, IntToText(ToUint16(Slice(t, 1)) ^ 10));
    }
  }
  return raw;
}

ErrCode FieldSet(uint16_t s, uint16_t f, StrRef value) {
  s = StructResolve(s);
  ScratchFrame frame;
  FieldSpot at;
  ErrCode rc = value.ok() ? Locate(s, f, &at) : value.err();
  if (rc == 0) {
    StrRef stored = StoreFormat(at.def->type, value, at.def->width);
    if (stored.ok()) {
      uint16_t n = stored.size() < at.def->width ? stored.size() : at.def->width;
      char* dst = at.cur + at.def->offset;
      std::memcpy(dst, stored.data(), n);
      std::memset(dst + n, ' ', at.def->width - n);
    } else {
      rc = stored.err();
    }
  }
  if (rc) Report(1, M_BUFFERFLD, E_BADFILENUMBER, 0);
  return rc;
}

StrRef FieldGetByRef(StrRef ref) {
  FieldRef r;
  ErrCode rc = FieldRefParse(ref, &r);
  if (rc) return StrRef::Fail(rc);
  return FieldGet(r.structure, r.field);
}

ErrCode FieldSetByRef(StrRef ref, StrRef value) {
  FieldRef r;
  ErrCode rc = FieldRefParse(ref, &r);
  if (rc) return rc;
  return FieldSet(r.structure, r.field, value);
}

StrRef KeyValue(uint16_t s, uint16_t k) {
  s = StructResolve(s);
  StrRef cur = BufferHalf(s, HALF_CURRENT);
  if (!cur.ok()) return cur;
  return KeyValue(s, k, cur);
}

StrRef KeyValue(uint16_t s, uint16_t k, StrRef record) {
  if (!record.ok()) return record;
  s = StructResolve(s);
  ErrCode rc = CheckKey(s, k);
  if (rc) return StrRef::Fail(rc);
  const KeyDef* key = KeyAt(s, k);
  ErrCode e = Scratch().Push(key->Length(), ' ');
  if (e) return StrRef::Fail(e);
  char* out = Scratch().TopBytes();
  for (uint8_t i = 0; i < key->segment_count; ++i) {
    const KeySeg& g = key->seg[i];
    if (g.offset < record.size()) {
      uint16_t n = g.length;
      if (uint32_t{g.offset} + n > record.size())
        n = static_cast<uint16_t>(record.size() - g.offset);
      std::memcpy(out, record.data() + g.offset, n);
    }
    out += g.length;
  }
  return Scratch().Top();
}

uint16_t KeyLength(uint16_t s, uint16_t k, uint16_t count) {
  const KeyDef* key = KeyAt(StructResolve(s), k);
  if (key == nullptr) return 0;
  if (count == 0 || count == 0xFFFF || count > kMaxSegments) count = kMaxSegments;
  return key->Length(static_cast<uint8_t>(count));
}

ErrCode KeyFields(uint16_t s, uint16_t k, KeyFieldList* out) {
  *out = KeyFieldList();
  s = StructResolve(s);
  ErrCode rc = CheckKey(s, k);
  if (rc) return rc;
  const KeyDef* key = KeyAt(s, k);
  if (key->segment_count == 0) {
    out->count = 1;
    out->field[0] = 1;
    return 0;
  }
  const StructDef* st = StructAt(s);
  for (uint8_t i = 0; i < key->segment_count; ++i) {
    uint16_t f = 1;
    while (f <= st->field_count) {
      const FieldDef* fd = FieldAt(s, f);
      if (fd->offset + fd->width > key->seg[i].offset) break;
      ++f;
    }
    if (f > st->field_count) return E_INTERNAL;
    out->field[out->count++] = f;
  }
  return 0;
}

ErrCode KeySpread(uint16_t s, uint16_t k, StrRef value) {
  if (!value.ok()) return value.err();
  s = StructResolve(s);
  KeyFieldList list;
  ErrCode rc = KeyFields(s, k, &list);
  if (rc) return rc;
  uint16_t used = 0;
  for (uint8_t i = 0; i < list.count && used < value.size(); ++i) {
    const FieldDef* fd = FieldAt(s, list.field[i]);
    rc = FieldSet(s, list.field[i], Slice(value, used, fd->width));
    if (rc) return rc;
    used = static_cast<uint16_t>(used + fd->width);
  }
  return 0;
}

}  // namespace tol
