// The variable store.  Names live in four comma lists (slot group 12), so a
// variable's index is its position in the list of its kind; values live in
// value tables 7 (int16) and 8 (int64) and in slot group 13 (texts).
#include "lang/variables.h"

#include <cstring>

#include "core/core.h"
#include "core/errors.h"
#include "core/lists.h"
#include "core/text.h"
#include "lang/names.h"
#include "lang/numbers.h"
#include "lang/sysvars.h"
#include "lang/tables.h"

namespace tol {
namespace {

bool IsLetter(uint8_t c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Rejects texts that cannot be a list item: failures, empty names and names
// holding the list separator.
bool WellFormed(StrRef name) {
  return name.ok() && !name.empty() && std::memchr(name.data(), ',', name.size()) == nullptr;
}

bool IsDotConstant(StrRef name) {
  return DotConstant(name).found;
}

ErrCode StoreFail(ErrCode code) {
  return Fail(M_VARNMASSIGN, code);
}

// Offers a "_" name to the hook.  163 when there is no hook or it does not
// handle the name; otherwise 0 with the answer (a text) pushed, or the
// hook's failure code with nothing pushed.
ErrCode OfferHook(StrRef name, uint8_t mode, StrRef value) {
  if (name.empty() || name[0] != '_') return E_DATA;
  SysVarHook* hook = CallbackGetAs<SysVarHook>(kSlotSysVarHook);
  if (hook == nullptr) return E_DATA;
  ScratchMark m = Scratch().Mark();
  StrRef answer = hook(name, mode, value);
  if (!answer.ok()) {
    Scratch().Release(m);
    return answer.err();
  }
  if (!Scratch().CopyOut(m, answer).ok()) return E_OUTOFMEMORY;
  return E_OK;
}

ErrCode Store(StrRef name, uint8_t kind, int64_t number, StrRef text) {
  VarRef r = VarFind(name);
  if (kind == KIND_INTEGER) {
    auto v = static_cast<int16_t>(static_cast<uint16_t>(NumberToInteger(number) & 0xFFFF));
    if (!r.found()) return VarAddName(kListIntegers, name, &v, sizeof v, StrRef(), nullptr);
    return TablePut(kTableIntegers, r.index, &v, sizeof v) ? E_OK : E_OUTOFMEMORY;
  }
  if (kind == KIND_NUMBER) {
    if (!r.found())
      return VarAddName(kListNumbers, name, &number, sizeof number, StrRef(), nullptr);
    return TablePut(kTableNumbers, r.index, &number, sizeof number) ? E_OK : E_OUTOFMEMORY;
  }
  if (!r.found()) return VarAddName(kListStrings, name, nullptr, 0, text, nullptr);
  return Slots().Set(kGroupVarTexts, r.index, text);
}

ErrCode Assign(StrRef name, bool is_number, int64_t number, StrRef text) {
  if (!name.ok()) return StoreFail(name.err());
  if (!text.ok()) return StoreFail(text.err());
  uint8_t kind = VarKind(name);
  if (kind == KIND_NONE || kind == KIND_ARRAY || !WellFormed(name) || IsDotConstant(name))
    return StoreFail(E_SINTAXERROR);
  if (is_number != (kind != KIND_STRING)) return StoreFail(E_TYPES);
  ScratchFrame frame;
  char bytes[sizeof number];
  std::memcpy(bytes, &number, sizeof number);
  ErrCode hook = OfferHook(name, kHookAssign, is_number ? StrRef(bytes, sizeof bytes) : text);
  if (hook != E_DATA) return hook ? StoreFail(hook) : E_OK;
  ErrCode e = Store(name, kind, number, text);
  return e ? StoreFail(e) : E_OK;
}

}  // namespace

uint8_t VarKind(StrRef name) {
  if (!name.ok()) return KIND_NONE;
  const char* p = name.data();
  size_t n = name.size();
  if (std::memchr(p, '@', n)) return KIND_NONE;
  if (std::memchr(p, '(', n)) return KIND_ARRAY;
  if (std::memchr(p, '$', n)) return KIND_STRING;
  if (std::memchr(p, '#', n)) return KIND_NUMBER;
  return KIND_INTEGER;
}

uint16_t KindList(uint8_t kind) {
  switch (kind) {
    case KIND_INTEGER:
      return kListIntegers;
    case KIND_NUMBER:
      return kListNumbers;
    case KIND_STRING:
      return kListStrings;
    case KIND_ARRAY:
      return kListArrays;
    default:
      return 0xFFFF;
  }
}

VarRef VarFind(StrRef name) {
  VarRef r;
  r.kind = VarKind(name);
  uint16_t list = KindList(r.kind);
  if (list == 0xFFFF || !WellFormed(name)) return r;
  r.index = NameLookup(list, name);
  return r;
}

int64_t Scale() {
  int32_t p = TableCount(kTableIntegers) > _PRECIS ? SysGet(_PRECIS) : 2;
  if (p < 0) p = 0;
  if (p > 18) p = 18;
  int64_t s = 1;
  while (p-- > 0) s *= 10;
  return s;
}

int64_t NumberToInteger(int64_t number) {
  return DivRound(number, Scale());
}

int64_t IntegerToNumber(int64_t integer) {
  int64_t r;
  if (__builtin_mul_overflow(integer, Scale(), &r)) return integer < 0 ? INT64_MIN : INT64_MAX;
  return r;
}

int64_t TextToNumber(StrRef text) {
  int places = 0;
  for (int64_t s = Scale(); s > 1; s /= 10) ++places;
  int64_t v;
  return ReadNumber(text, places, &v) ? 0 : v;
}

ErrCode PushNumber(int64_t number) {
  ErrCode e = Scratch().Push(sizeof number, MemBlocks::kNoFill);
  if (e) return e;
  std::memcpy(Scratch().TopBytes(), &number, sizeof number);
  return E_OK;
}

int64_t ItemNumber(StrRef item) {
  int64_t v = 0;
  if (item.ok() && item.size() == sizeof v) std::memcpy(&v, item.data(), sizeof v);
  return v;
}

ErrCode VarRead(StrRef name) {
  if (!name.ok()) return StoreFail(name.err());
  uint8_t kind = VarKind(name);
  if (kind == KIND_NONE || kind == KIND_ARRAY || !WellFormed(name)) return StoreFail(E_SINTAXERROR);
  bool text = kind == KIND_STRING;
  ScratchMark m = Scratch().Mark();
  ErrCode hook = OfferHook(name, kHookRead, StrRef());
  if (hook == E_OK) {
    if (text) return E_OK;
    int64_t v = TextToNumber(Scratch().Top());
    Scratch().Release(m);
    return PushNumber(v);
  }
  if (hook != E_DATA) return StoreFail(hook);
  if (name[0] == '.') {
    DotValue d = DotConstant(name);
    if (d.found) return d.text ? Scratch().PushCopy(d.str) : PushNumber(IntegerToNumber(d.value));
  }
  VarRef r = VarFind(name);
  if (!r.found()) return text ? Scratch().PushCopy(StrRef()) : PushNumber(0);
  switch (kind) {
    case KIND_INTEGER:
      return PushNumber(IntegerToNumber(SysGet(r.index)));
    case KIND_NUMBER:
      return PushNumber(NumGet(r.index));
    default: {
      // The view lies in the slot table, which a push does not change.
      return Scratch().PushCopy(Slots().Get(kGroupVarTexts, r.index));
    }
  }
}

ErrCode VarAssign(StrRef name) {
  StrRef item = Scratch().Top();
  if (VarKind(name) == KIND_STRING) return Assign(name, false, 0, item);
  if (item.size() != sizeof(int64_t)) return StoreFail(E_TYPES);
  return Assign(name, true, ItemNumber(item), StrRef());
}

ErrCode VarAssignNumber(StrRef name, int64_t number) {
  return Assign(name, true, number, StrRef());
}

ErrCode VarAssignText(StrRef name, StrRef text) {
  return Assign(name, false, 0, text);
}

int64_t NumGet(uint16_t n) {
  void* rec = TableGet(kTableNumbers, n);
  int64_t v = 0;
  if (rec) std::memcpy(&v, rec, sizeof v);
  return v;
}

void NumSet(uint16_t n, int64_t value) {
  void* rec = TableGet(kTableNumbers, n);
  if (rec) std::memcpy(rec, &value, sizeof value);
}

DotValue DotConstant(StrRef name) {
  static constexpr int32_t kValues[] = {0,  0,   1,     2,  3,  4,  5,  5,  7,    8,    9,
                                        10, 100, 10000, 9,  1,  3,  7,  31, 32,   33,   34,
                                        35, 36,  37,    38, 36, 16, 20, 32, 8192, 16384};
  static constexpr const char* kTexts[] = {"\r\n", "\t", "\\", ""};
  DotValue d;
  if (!name.ok() || name.size() < 2 || name[0] != '.' || !IsLetter(name[1])) return d;
  StrRef rest = Slice(name, 1);
  if (uint16_t k = ListIndex(kDotTextNames, rest, ',')) {
    d.found = d.text = true;
    d.str = StrRef::FromC(kTexts[k - 1]);
    return d;
  }
  if (uint16_t k = ListIndex(kDotNames, rest, ',')) {
    static_assert(sizeof kValues / sizeof kValues[0] == 32);
    d.found = true;
    d.value = kValues[k - 1];
  }
  return d;
}

LetterNumber VarLetterNumber(uint16_t n) {
  LetterNumber r;
  ScratchFrame frame;
  StrRef name = Concat(Concat("_V", IntToText(n)), "$");
  VarRef v = VarFind(name);
  if (!v.found()) return r;
  StrRef value = Slots().Get(kGroupVarTexts, v.index);
  r.found = true;
  if (!value.empty()) {
    r.letter = value[0];
    r.number = ToInteger(Slice(value, 1));
  }
  return r;
}

}  // namespace tol
