// Selection rows: record numbers collected by a condition scan over a key
// range, in blocks of the memory manager that grow by 32 numbers.
#include "data/selection.h"

#include <cstring>

#include "core/core.h"
#include "core/text.h"
#include "data/access.h"
#include "data/data.h"
#include "data/record.h"

namespace tol {

namespace {

constexpr uint32_t kMaxSelected = 0xFFFF;

ErrCode Append(SelectionRow& row, uint32_t recno) {
  if (row.count == row.capacity) {
    uint32_t room = uint32_t{row.capacity} + kSelectionStep;
    if (room > kMaxSelected) room = kMaxSelected;
    auto* grown = static_cast<uint32_t*>(
        Core().mem.Allocate(M_DATAFILE, room * sizeof(uint32_t), MemBlocks::kNoFill));
    if (grown == nullptr) return E_OUTOFMEMORY;
    if (row.numbers != nullptr) {
      std::memcpy(grown, row.numbers, row.count * sizeof(uint32_t));
      (void)Core().mem.Free(M_DATAFILE, row.numbers);
    }
    row.numbers = grown;
    row.capacity = static_cast<uint16_t>(room);
  }
  row.numbers[row.count++] = recno;
  return 0;
}

void Release(SelectionRow& row) {
  if (row.numbers != nullptr) (void)Core().mem.Free(M_DATAFILE, row.numbers);
  row = SelectionRow{};
}

SelectionRow* RowOf(uint16_t s) {
  DataFileCtrl* c = FileCtrl(s);
  if (c == nullptr || c->rows[0] == kNoRow) return nullptr;
  return &Data().files.rows[c->rows[0]];
}

// The start value of how = 2: after every key that begins with from.
StrRef AfterPrefix(StrRef from) {
  if (from.empty()) return from;
  StrRef copy = Copy(from);
  if (!copy.ok()) return copy;
  char* p = const_cast<char*>(copy.data());
  p[copy.size() - 1] = static_cast<char>(static_cast<uint8_t>(p[copy.size() - 1]) + 1);
  return copy;
}

}  // namespace

ErrCode SelectionBuild(uint16_t s, uint16_t key, StrRef from, StrRef to, StrRef condition,
                       uint16_t max, uint8_t how) {
  s = StructResolve(s);
  if (ErrCode rc = CheckKey(s, key == 0 || key == 0xFFFF ? 1 : key)) return rc;
  DataFileCtrl& c = *FileCtrl(s);
  if (c.handle == kNoHandle) return E_FILENOTINIT;
  if (key != 0 && key != 0xFFFF) {
    KeyFieldList fields;
    if (KeyFields(s, key, &fields) || KeyAt(s, key)->segment_count == 0) return E_DATA;
    c.active_key = key;
  }
  if (c.rows[0] != kNoRow && c.rows[2] != kNoRow) return Fail(M_DATAFILE, E_DATAOUTBOUND);
  FileTables& t = Data().files;
  uint16_t row = kNoRow;
  for (uint16_t i = 0; i < kSelectionRows && row == kNoRow; ++i)
    if (!t.rows[i].in_use) row = i;
  if (row == kNoRow) return Fail(M_DATAFILE, E_DATAOUTBOUND);
  c.rows[2] = c.rows[1];
  c.rows[1] = c.rows[0];
  c.rows[0] = row;
  t.rows[row].in_use = true;

  FilePosition before = PositionSave(s);
  BufferedPass pass(s);
  ScratchFrame frame;
  StrRef start = how == 2 ? AfterPrefix(from) : from;
  if (!start.ok()) return start.err();
  ErrCode rc = start.empty() ? FileMove(s, NAV_TOP) : FileFind(s, 0xFFFF, start, NAV_CLAMP);
  uint32_t limit = max == 0 ? kMaxSelected : max;
  uint8_t flags = NAV_NEXT;
  while (rc < 128 && t.rows[row].count < limit) {
    rc = FileScanNext(s, &flags, condition, to);
    if (rc != 0) break;
    if (ErrCode grow = Append(t.rows[row], FileRecno(s))) {
      (void)PositionRestore(s, before);
      (void)SelectionFree(s);
      return Fail(M_DATAFILE, grow);
    }
  }
  // A failed scan (a condition that cannot be evaluated, a cancel) gives
  // its row back and leaves the selection put aside current again.
  if (rc >= E_CANCEL) {
    (void)PositionRestore(s, before);
    (void)SelectionFree(s);
    return rc;
  }
  if (t.rows[row].count == 0) {
    (void)PositionRestore(s, before);
    return ST_PAST;
  }
  c.status = ST_ON_RECORD;
  return 0;
}

ErrCode SelectionRead(uint16_t s, uint8_t half, uint16_t i) {
  s = StructResolve(s);
  if (ErrCode rc = CheckField(s, kStructOnly)) return rc;
  SelectionRow* row = RowOf(s);
  if (row == nullptr || i >= row->count) return ST_PAST;
  DataFileCtrl& c = *FileCtrl(s);
  if (ErrCode rc = FileRead(s, row->numbers[i], half)) return rc;
  if (half & HALF_CURRENT) c.recno = row->numbers[i];
  return c.status = ST_ON_RECORD;
}

uint16_t SelectionCount(uint16_t s) {
  SelectionRow* row = RowOf(s);
  return row == nullptr ? 0 : row->count;
}

ErrCode SelectionFree(uint16_t s) {
  DataFileCtrl* c = FileCtrl(s);
  if (c == nullptr) return CheckField(StructResolve(s), kStructOnly);
  if (c->rows[0] == kNoRow) return 0;
  Release(Data().files.rows[c->rows[0]]);
  c->rows[0] = c->rows[1];
  c->rows[1] = c->rows[2];
  c->rows[2] = kNoRow;
  return 0;
}

}  // namespace tol
