// Name lists of the variable store.  A list is one comma-separated text, so
// a name's position is its index; appending never moves earlier names.  A
// hash index beside the lists (LangState) spares look-ups the list walk.
#include "lang/names.h"

#include <cstring>

#include "core/core.h"
#include "core/errors.h"
#include "lang/lang.h"
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

uint16_t LinearLookup(StrRef names, StrRef name) {
  const char* p = names.data();
  uint16_t n = names.size();
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

uint32_t Hash(uint16_t list, const char* p, uint16_t n) {
  uint32_t h = 2166136261u ^ list;
  for (uint16_t i = 0; i < n; ++i) h = (h ^ static_cast<uint8_t>(p[i])) * 16777619u;
  return h;
}

void Insert(NameIndex& ix, uint16_t list, uint16_t pos, uint16_t offset, uint16_t len,
            const char* p) {
  uint32_t mask = ix.capacity - 1, h = Hash(list, p, len) & mask;
  while (ix.slots[h].list) h = (h + 1) & mask;
  ix.slots[h] = NameSlot{pos, offset, len, static_cast<uint8_t>(list + 1), 0};
  ++ix.used;
}

// Indexes the items of list from byte start on, numbering them from pos.
void IndexItems(NameIndex& ix, uint16_t list, StrRef names, uint32_t start, uint16_t pos) {
  const char* p = names.data();
  uint32_t n = names.size();
  for (uint32_t i = start; i <= n && n > 0; ++i) {
    if (i == n || p[i] == ',') {
      Insert(ix, list, pos++, static_cast<uint16_t>(start), static_cast<uint16_t>(i - start),
             p + start);
      start = i + 1;
    }
  }
  ix.counts[list] = pos;
  ix.sizes[list] = static_cast<uint16_t>(n);
}

// A fresh index of all four lists, with room to grow; false without memory.
bool Build(NameIndex& ix) {
  NameIndexReset();
  uint32_t total = 0;
  for (uint16_t l = 0; l < 4; ++l) total += NameCount(l);
  uint32_t cap = 64;
  while (cap < total * 4) cap <<= 1;
  ix.slots = static_cast<NameSlot*>(
      Core().mem.Allocate(kModVarStore, static_cast<uint32_t>(sizeof(NameSlot)) * cap, 0));
  if (ix.slots == nullptr) return false;
  ix.capacity = cap;
  for (uint16_t l = 0; l < 4; ++l) IndexItems(ix, l, Slots().Get(kGroupVarNames, l), 0, 0);
  return true;
}

// Brings the index up to date with list: names appended since it last looked
// are added, any other change rebuilds it.
bool Ensure(NameIndex& ix, uint16_t list, StrRef names) {
  uint16_t seen = ix.sizes[list];
  if (ix.capacity && seen == names.size()) return true;
  if (ix.capacity && names.size() > seen && (seen == 0 || names[seen] == ',')) {
    uint32_t added = 1;
    for (uint32_t i = seen + 1u; i < names.size(); ++i) added += names[i] == ',';
    if ((ix.used + added) * 2 <= ix.capacity) {
      IndexItems(ix, list, names, seen == 0 ? 0 : seen + 1u, seen == 0 ? 0 : ix.counts[list]);
      return true;
    }
  }
  return Build(ix);
}

}  // namespace

void NameIndexReset() {
  NameIndex& ix = Lang().names;
  if (ix.slots) (void)Core().mem.Free(kModVarStore, ix.slots);
  ix = NameIndex{};
}

uint16_t NameLookup(uint16_t list, StrRef name) {
  if (list >= 4 || !name.ok()) return 0xFFFF;
  StrRef names = Slots().Get(kGroupVarNames, list);
  if (names.empty()) return 0xFFFF;
  NameIndex& ix = Lang().names;
  if (!Ensure(ix, list, names)) return LinearLookup(names, name);
  uint32_t mask = ix.capacity - 1, h = Hash(list, name.data(), name.size()) & mask;
  for (; ix.slots[h].list; h = (h + 1) & mask) {
    const NameSlot& e = ix.slots[h];
    if (e.list == list + 1 && e.len == name.size() &&
        std::memcmp(names.data() + e.offset, name.data(), name.size()) == 0)
      return e.pos;
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

VarStoreMark VarStoreSize() {
  VarStoreMark m{};
  for (uint16_t l = 0; l < 4; ++l) {
    m.names[l] = NameCount(l);
    m.list_bytes[l] = Slots().Get(kGroupVarNames, l).size();
  }
  m.texts = Slots().Count(kGroupVarTexts);
  return m;
}

ErrCode VarStoreCutBack(const VarStoreMark& mark) {
  // Array elements are freed record by record; the others hold no blocks.
  while (TableCount(kTableArrays) > mark.names[kListArrays])
    (void)TableRemove(kTableArrays, TableCount(kTableArrays) - 1);
  TableTruncate(kTableIntegers, mark.names[kListIntegers]);
  TableTruncate(kTableNumbers, mark.names[kListNumbers]);
  ErrCode e = Slots().Truncate(kGroupVarTexts, mark.texts);
  // Names are only ever appended, so the old list is a prefix of the new.
  for (uint16_t l = 0; l < 4 && !e; ++l) {
    StrRef names = Slots().Get(kGroupVarNames, l);
    if (names.size() > mark.list_bytes[l])
      e = Slots().Set(kGroupVarNames, l, StrRef(names.data(), mark.list_bytes[l]));
  }
  NameIndexReset();
  return e;
}

}  // namespace tol
