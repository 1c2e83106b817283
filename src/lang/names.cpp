// Name lists of the variable store.  A list is one comma-separated text, so
// a name's position is its index; appending never moves earlier names.
#include "lang/names.h"

#include <cstring>

#include "core/core.h"
#include "core/errors.h"
#include "lang/tables.h"
#include "lang/variables.h"

namespace tol {
namespace {

uint16_t ListTable(uint16_t list) {
  switch (list) {
    case kListIntegers:
      return kTableIntegers;
    case kListNumbers:
      return kTableNumbers;
    case kListArrays:
      return kTableArrays;
    default:
      return 0xFFFF;
  }
}

}  // namespace

uint16_t NameLookup(uint16_t list, StrRef name) {
  StrRef names = Slots().Get(kGroupVarNames, list);
  const char* p = names.data();
  uint16_t n = names.size();
  if (n == 0 || !name.ok()) return 0xFFFF;
  uint16_t pos = 0;
  uint32_t start = 0;
  for (uint32_t i = 0; i <= n; ++i) {
    if (i == n || p[i] == ',') {
      if (i - start == name.size() && std::memcmp(p + start, name.data(), name.size()) == 0)
        return pos;
      ++pos;
      start = i + 1;
    }
  }
  return 0xFFFF;
}

uint16_t NameCount(uint16_t list) {
  StrRef names = Slots().Get(kGroupVarNames, list);
  if (names.empty()) return 0;
  uint16_t count = 1;
  for (uint16_t i = 0; i < names.size(); ++i) count += names[i] == ',';
  return count;
}

ErrCode VarAddName(uint16_t list, StrRef name, const void* record, uint16_t bytes, StrRef text,
                   uint16_t* index) {
  if (!name.ok()) return name.err();
  uint16_t at = NameCount(list);
  if (at == 0xFFFF) return E_VARNAMEERROR;
  uint16_t table = ListTable(list);
  uint16_t texts_before = Slots().Count(kGroupVarTexts);
  if (table != 0xFFFF) {
    if (TablePut(table, at, record, bytes) == nullptr) return E_OUTOFMEMORY;
  } else if (ErrCode e = Slots().Set(kGroupVarTexts, at, text)) {
    return e;
  }
  StrRef names = Slots().Get(kGroupVarNames, list);
  uint32_t size = names.size() + (names.empty() ? 0 : 1) + name.size();
  ErrCode e = size > 0xFFFF ? E_VARNAMEERROR : E_OK;
  if (!e) {
    ScratchFrame frame;
    e = Scratch().Push(static_cast<uint16_t>(size), MemBlocks::kNoFill);
    if (!e) {
      char* out = Scratch().TopBytes();
      names = Slots().Get(kGroupVarNames, list);
      std::memcpy(out, names.data(), names.size());
      if (!names.empty()) out[names.size()] = ',';
      std::memcpy(out + size - name.size(), name.data(), name.size());
      e = Slots().Set(kGroupVarNames, list, Scratch().Top()) ? E_VARNAMEERROR : E_OK;
    }
  }
  if (e) {
    if (table != 0xFFFF)
      TableTruncate(table, at);
    else
      (void)Slots().Truncate(kGroupVarTexts, texts_before);
    return e;
  }
  if (index) *index = at;
  return E_OK;
}

}  // namespace tol
