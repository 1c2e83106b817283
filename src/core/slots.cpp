// String slot table: counts, lengths and texts in one block; every change
// moves what follows so the table stays packed.
#include "core/slots.h"

#include <cstring>

#include "core/core.h"
#include "core/text.h"

namespace tol {

ErrCode SlotTable::Create(MemBlocks& mem) {
  block_ = static_cast<unsigned char*>(mem.Allocate(M_STRINGINIT, kBlockBytes, 0));
  items_ = 0;
  bytes_ = 0;
  return block_ ? E_OK : E_OUTOFMEMORY;
}

void SlotTable::Destroy(MemBlocks& mem) {
  if (block_) (void)mem.Free(M_STRINGINIT, block_);
  block_ = nullptr;
  items_ = 0;
  bytes_ = 0;
}

uint32_t SlotTable::FlatBase(uint16_t group) const {
  uint32_t flat = 0;
  for (uint16_t g = 0; g < group; ++g) flat += counts()[g];
  return flat;
}

uint32_t SlotTable::TextStart(uint32_t flat) const {
  uint32_t at = 0;
  for (uint32_t i = 0; i < flat; ++i) at += lengths()[i];
  return at;
}

uint16_t SlotTable::Count(uint16_t group) const {
  return (block_ && group < kGroups) ? counts()[group] : 0;
}

StrRef SlotTable::Get(uint16_t group, uint16_t item) const {
  if (!block_ || group >= kGroups || item >= counts()[group]) return StrRef();
  uint32_t flat = FlatBase(group) + item;
  return StrRef(text() + TextStart(flat), lengths()[flat]);
}

ErrCode SlotTable::Set(uint16_t group, uint16_t item, StrRef value) {
  if (!value.ok()) {
    Report(1, M_STRINGASSIGN, E_LOADSTRERROR, 0);
    return value.err();
  }
  if (!block_) return Fail(M_DYNSTRINGS, E_STROUTBOUND);
  ScratchFrame frame;
  // The text may be a view into this table: take a copy before moving bytes.
  if (Scratch().PushCopy(value)) return Fail(M_STRINGASSIGN, E_LOADSTRERROR);
  StrRef t = Scratch().Top();
  if (group >= kGroups) return Fail(M_DYNSTRINGS, E_STROUTBOUND);
  uint32_t base = FlatBase(group);
  uint32_t flat = base + item;
  if (flat >= kItems) return Fail(M_DYNSTRINGS, E_STROUTBOUND);
  uint16_t count = counts()[group];
  uint32_t created = item >= count ? uint32_t{item} - count + 1 : 0;
  uint32_t old = created ? 0 : lengths()[flat];
  if (items_ + created >= kItems || bytes_ + t.size() - old >= kTextBytes)
    return Fail(M_DYNSTRINGS, E_STROUTBOUND);
  uint16_t* len = lengths();
  if (created) {
    uint32_t end = base + count;  // first entry of the next group
    std::memmove(len + end + created, len + end, (items_ - end) * sizeof(uint16_t));
    std::memset(len + end, 0, created * sizeof(uint16_t));
    items_ = static_cast<uint16_t>(items_ + created);
    counts()[group] = static_cast<uint16_t>(item + 1);
  }
  uint32_t start = TextStart(flat);
  char* tx = text();
  std::memmove(tx + start + t.size(), tx + start + old, bytes_ - start - old);
  std::memcpy(tx + start, t.data(), t.size());
  len[flat] = t.size();
  bytes_ = bytes_ + t.size() - old;
  return E_OK;
}

StrRef SlotTable::Top(uint16_t group) const {
  uint16_t n = Count(group);
  if (n == 0) return StrRef();
  return Get(group, IsQueue(group) ? 0 : n - 1);
}

ErrCode SlotTable::RemoveItem(uint16_t group, uint16_t item) {
  ErrCode e = Set(group, item, StrRef());
  if (e) return e;
  uint32_t flat = FlatBase(group) + item;
  uint16_t* len = lengths();
  std::memmove(len + flat, len + flat + 1, (items_ - flat - 1) * sizeof(uint16_t));
  len[items_ - 1] = 0;
  --items_;
  --counts()[group];
  return E_OK;
}

ErrCode SlotTable::Drop(uint16_t group) {
  uint16_t n = Count(group);
  if (n == 0) return E_OK;
  return RemoveItem(group, IsQueue(group) ? 0 : n - 1);
}

StrRef SlotTable::Take(uint16_t group) {
  ScratchMark m = Scratch().Mark();
  StrRef copy = Copy(Top(group));
  if (!copy.ok()) return copy;
  ErrCode e = Drop(group);
  if (e) {
    Scratch().Release(m);
    return StrRef::Fail(e);
  }
  return copy;
}

ErrCode SlotTable::Truncate(uint16_t group, uint16_t n) {
  while (Count(group) > n) {
    ErrCode e = Drop(group);
    if (e) return e;
  }
  return E_OK;
}

}  // namespace tol
