// Value tables and the callback table.  A table is one block of the variable
// store: a head {record bytes, record count} and the records, with
// spare room behind them so that growing by one record rarely copies.
#include "lang/tables.h"

#include <cstring>

#include "lang/arrays.h"

namespace tol {
namespace {

// Padded to 8 bytes so that records of 64-bit values or pointers are aligned.
struct TableHead {
  uint16_t bytes;
  uint16_t count;
  uint32_t unused;
};

constexpr uint32_t kHead = sizeof(TableHead);

unsigned char* Block(uint16_t table) {
  LangState& l = Lang();
  if (l.tables == nullptr || table >= kValueTables) return nullptr;
  return static_cast<unsigned char*>(l.tables[table]);
}
TableHead* Head(unsigned char* b) {
  return reinterpret_cast<TableHead*>(b);
}
uint32_t Capacity(unsigned char* b) {
  return (Core().mem.SizeOf(b) - kHead) / Head(b)->bytes;
}

// Moves the table into a block with room for at least need records.
unsigned char* Grow(uint16_t table, unsigned char* old, uint16_t bytes, uint32_t need) {
  uint32_t have = old ? Head(old)->count : 0;
  uint32_t cap = have + have / 2;
  if (cap < need) cap = need;
  if (cap < 4) cap = 4;
  if (cap > 0xFFFF) cap = 0xFFFF;
  auto* b = static_cast<unsigned char*>(
      Core().mem.Allocate(kModVarStore, kHead + uint32_t{bytes} * cap, 0));
  if (b == nullptr) return nullptr;
  Head(b)->bytes = bytes;
  Head(b)->count = static_cast<uint16_t>(have);
  if (old) {
    std::memcpy(b + kHead, old + kHead, size_t{have} * bytes);
    (void)Core().mem.Free(kModVarStore, old);
  }
  Lang().tables[table] = b;
  return b;
}

}  // namespace

ErrCode TablesCreate() {
  LangState& l = Lang();
  if (l.tables) return E_UNDEFWARN;
  l.tables =
      static_cast<void**>(Core().mem.Allocate(kModVarStore, sizeof(void*) * kValueTables, 0));
  return l.tables ? E_OK : E_OUTOFMEMORY;
}

bool TablesExist() {
  return Lang().tables != nullptr;
}

void* TablePut(uint16_t table, uint16_t index, const void* record, uint16_t bytes) {
  if (Lang().tables == nullptr || table >= kValueTables || bytes == 0 || index == 0xFFFF)
    return nullptr;
  unsigned char* b = Block(table);
  if (b && Head(b)->bytes != bytes) return nullptr;
  if (b == nullptr || index >= Capacity(b)) {
    b = Grow(table, b, bytes, uint32_t{index} + 1);
    if (b == nullptr) return nullptr;
  }
  TableHead* h = Head(b);
  if (index >= h->count) {
    std::memset(b + kHead + size_t{h->count} * bytes, 0, size_t{index + 1u - h->count} * bytes);
    h->count = static_cast<uint16_t>(index + 1);
  }
  unsigned char* rec = b + kHead + size_t{index} * bytes;
  if (record)
    std::memmove(rec, record, bytes);
  else
    std::memset(rec, 0, bytes);
  return rec;
}

void* TableGet(uint16_t table, uint16_t index) {
  unsigned char* b = Block(table);
  if (b == nullptr || index >= Head(b)->count) return nullptr;
  return b + kHead + size_t{index} * Head(b)->bytes;
}

uint16_t TableCount(uint16_t table) {
  unsigned char* b = Block(table);
  return b ? Head(b)->count : 0;
}

uint16_t TableRecordBytes(uint16_t table) {
  unsigned char* b = Block(table);
  return b ? Head(b)->bytes : 0;
}

ErrCode TableRemove(uint16_t table, uint16_t index) {
  unsigned char* b = Block(table);
  if (b == nullptr || index >= Head(b)->count) return E_STRUCTMEM;
  TableHead* h = Head(b);
  if (table == kTableArrays) ArrayDataFree(b + kHead + size_t{index} * h->bytes);
  if (h->count == 1) {
    TableFree(table);
    return E_OK;
  }
  unsigned char* rec = b + kHead + size_t{index} * h->bytes;
  std::memmove(rec, rec + h->bytes, size_t{h->count - index - 1u} * h->bytes);
  --h->count;
  return E_OK;
}

void TableTruncate(uint16_t table, uint16_t n) {
  unsigned char* b = Block(table);
  if (b == nullptr || Head(b)->count <= n) return;
  if (n == 0) {
    (void)Core().mem.Free(kModVarStore, b);
    Lang().tables[table] = nullptr;
    return;
  }
  Head(b)->count = n;
}

void TableFree(uint16_t table) {
  unsigned char* b = Block(table);
  if (b == nullptr) return;
  if (table == kTableArrays) {
    for (uint16_t i = 0; i < Head(b)->count; ++i)
      ArrayDataFree(b + kHead + size_t{i} * Head(b)->bytes);
  }
  (void)Core().mem.Free(kModVarStore, b);
  Lang().tables[table] = nullptr;
}

void TablesFree() {
  LangState& l = Lang();
  if (l.tables == nullptr) return;
  for (uint16_t t = 0; t < kValueTables; ++t) TableFree(t);
  (void)Core().mem.Free(kModVarStore, l.tables);
  l.tables = nullptr;
}

uint16_t CallbackSet(uint16_t slot, Callback fn) {
  if (slot >= kCallbackSlots) return 255;
  Lang().callbacks[slot] = fn;
  return slot;
}

Callback CallbackGet(uint16_t slot) {
  return slot < kCallbackSlots ? Lang().callbacks[slot] : nullptr;
}

}  // namespace tol
