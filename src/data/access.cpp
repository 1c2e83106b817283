// The access methods over a structure's record file and index.  Every
// change reaches the record file before the index, so that the index never
// holds a number whose record was not written; a change the index then
// refuses is taken back from the record file.
#include "data/access.h"

#include <cstring>

#include "core/core.h"
#include "core/text.h"
#include "data/data.h"
#include "data/index.h"
#include "data/record.h"
#include "data/selection.h"
#include "format/dates.h"
#include "lang/eval.h"

namespace tol {

namespace {

constexpr uint32_t kNone = 0xFFFFFFFF;

// The structure resolved and checked, with its open access state; *rc
// holds the failure otherwise.
DataFileCtrl* Open(uint16_t* s, ErrCode* rc) {
  *s = StructResolve(*s);
  if ((*rc = CheckField(*s, kStructOnly))) return nullptr;
  DataFileCtrl* c = &Data().files.ctrl[*s];
  if (c->handle == kNoHandle) {
    *rc = E_FILENOTINIT;
    return nullptr;
  }
  *rc = 0;
  return c;
}

bool Indexed(const DataFileCtrl& c) {
  return c.mode != MODE_CLOSED && !(c.mode & MODE_NOINDEX);
}

ErrCode FailFile(ErrCode code, uint16_t s) {
  ScratchFrame frame;
  SetDetail(0, DataFileName(s, KIND_RECORD));
  return Fail(M_DATAFILE, code);
}

// Reads record recno into half and remembers it as the record read.
ErrCode ReadInto(uint16_t s, DataFileCtrl& c, uint32_t recno, uint8_t half) {
  ErrCode rc = FileRead(s, recno, half);
  if (rc == 0 && (half & HALF_CURRENT)) c.recno = recno;
  return rc;
}

ErrCode Clear(uint16_t s, DataFileCtrl& c) {
  c.recno = kNone;
  return BufferClear(s);
}

// Writes the current half at recno; when the write fails over a record
// that was there, its previous bytes are put back as far as the disk lets.
ErrCode WriteOver(uint16_t s, const DataFileCtrl& c, uint32_t recno, StrRef previous) {
  ErrCode rc = FileWrite(s, recno);
  if (rc && c.handle != kNoHandle && previous.ok() && previous.size())
    (void)FilePutBack(s, recno, previous);
  return rc;
}

bool HasLineField(uint16_t s) {
  return FieldFind(s, "N_LINE") != 0xFFFF;
}

// Sets the active key (0xFFFF and 0 keep it); 168 for a key out of range.
ErrCode UseKey(uint16_t s, DataFileCtrl& c, uint16_t key) {
  if (key == 0xFFFF || key == 0) return 0;
  if (ErrCode rc = CheckKey(s, key)) return rc;
  c.active_key = key;
  return 0;
}

// Searches value in the active key (an empty value from the top).
ErrCode Position(uint16_t s, DataFileCtrl& c, StrRef value, IndexHit* hit) {
  if (!value.ok()) return value.err();
  if (!Indexed(c)) return E_FILENOTINIT;
  if (value.empty()) return IndexMove(s, c.active_key, NAV_TOP, hit);
  return IndexSearch(s, c.active_key, value, INDEX_FIRST, hit);
}

// The value of the active key's first field that scans hand their routine.
StrRef ScanValue(uint16_t s, const DataFileCtrl& c) {
  KeyFieldList fields;
  if (ErrCode rc = KeyFields(s, c.active_key, &fields)) return StrRef::Fail(rc);
  const FieldDef* fd = FieldAt(s, fields.field[0]);
  StrRef raw = FieldGet(s, fields.field[0]);
  if (fd != nullptr && fd->type == 'D' && raw.ok()) return DateDisplay(raw, 2);
  return raw;
}

// After an insert: the cursor on the new record's entry in the active key.
void CursorOn(uint16_t s, DataFileCtrl& c, uint32_t recno, const IndexHit& first) {
  IndexCtrl* ix = IndexOf(s);
  for (uint32_t p = first.position; p < ix->entries(); ++p) {
    if (ix->KeyEntry(c.active_key, p) == recno) {
      ix->set_cursor(p);
      return;
    }
  }
}

// Without an index, moves go through the record numbers of the file.
void SequentialMove(DataFileCtrl& c, uint32_t n, uint8_t flags, IndexHit* hit) {
  int64_t p = c.sequential;
  switch (flags & kNavMoveMask) {
    case NAV_TOP:
      p = 0;
      break;
    case NAV_BOTTOM:
      p = int64_t{n} - 1;
      break;
    case NAV_PREV:
      --p;
      break;
    case NAV_NEXT:
      ++p;
      break;
    default:
      break;
  }
  hit->status = ST_ON_RECORD;
  if (n == 0) {
    hit->status = ST_PAST;
    p = 0;
  } else if (p < 0) {
    hit->status = ST_BEFORE;
    p = 0;
  } else if (p >= n) {
    hit->status = ST_PAST;
    p = n - 1;
  }
  c.sequential = static_cast<uint32_t>(p);
  hit->position = c.sequential;
  hit->recno = n ? c.sequential : kNoRecord;
}

// The search both finds share: the structure open with an index, the key
// made active, the first entry whose key begins with value (an empty value
// searched as one blank).
ErrCode FindEntry(uint16_t* s, uint16_t key, StrRef value, DataFileCtrl** ctrl, IndexHit* hit) {
  ErrCode rc;
  DataFileCtrl* c = Open(s, &rc);
  if (c == nullptr) return rc;
  if ((rc = UseKey(*s, *c, key))) return rc;
  if (!value.ok()) return value.err();
  if (!Indexed(*c)) return E_FILENOTINIT;
  *ctrl = c;
  rc = IndexSearch(*s, c->active_key, value.empty() ? StrRef(" ") : value, INDEX_FIRST, hit);
  return rc >= 128 ? rc : E_OK;
}

}  // namespace

ErrCode FileMove(uint16_t s, uint8_t flags) {
  ErrCode rc;
  DataFileCtrl* c = Open(&s, &rc);
  if (c == nullptr) return rc;
  if (flags & NAV_NEW) {
    if ((rc = Clear(s, *c))) return rc;
    return c->status = ST_NEW;
  }
  IndexHit hit;
  if (Indexed(*c)) {
    rc = IndexMove(s, c->active_key, flags & kNavMoveMask, &hit);
    if (rc >= 128) return rc;
  } else {
    SequentialMove(*c, FileRecords(s), flags, &hit);
  }
  if (hit.status == ST_ON_RECORD || (hit.status == ST_BEFORE && (flags & NAV_CLAMP))) {
    if (hit.recno == kNoRecord) return E_INTERNAL;
    if ((rc = ReadInto(s, *c, hit.recno, HALF_BOTH))) return rc;
  } else if ((rc = Clear(s, *c))) {
    return rc;
  }
  return c->status = hit.status;
}

ErrCode FileFind(uint16_t s, uint16_t key, StrRef value, uint8_t flags) {
  DataFileCtrl* c = nullptr;
  IndexHit hit;
  ErrCode rc = FindEntry(&s, key, value, &c, &hit);
  if (rc) return rc;
  if (hit.status == ST_ON_RECORD || (hit.status == ST_BEFORE && (flags & NAV_CLAMP))) {
    if ((rc = ReadInto(s, *c, hit.recno, HALF_BOTH))) return rc;
  } else if (flags & NAV_NEW) {
    if ((rc = Clear(s, *c))) return rc;
    if ((rc = KeySpread(s, c->active_key, value))) return rc;
  }
  return c->status = hit.status;
}

ErrCode FileFindInto(uint16_t s, uint16_t key, StrRef value, uint8_t half) {
  if (half > HALF_BOTH) return E_DATA;
  DataFileCtrl* c = nullptr;
  IndexHit hit;
  ErrCode rc = FindEntry(&s, key, value, &c, &hit);
  if (rc) return rc;
  bool read =
      half != 0 && (hit.status == ST_ON_RECORD || (hit.status == ST_BEFORE && (half & HALF_READ)));
  if (read && (rc = ReadInto(s, *c, hit.recno, half))) return rc;
  return c->status = hit.status;
}

ErrCode FileInsert(uint16_t s) {
  ErrCode rc;
  DataFileCtrl* c = Open(&s, &rc);
  if (c == nullptr) return rc;
  if (!Indexed(*c)) return E_FILENOTINIT;
  IndexCtrl* ix = IndexOf(s);
  uint32_t records = FileRecords(s);
  // The number the index will hand out: the most recently freed one, else
  // the first past the end of the file.  The record is written there first.
  uint32_t recno = ix->free_count() ? ix->FreeEntry(ix->free_count() - 1) : records;
  ScratchFrame frame;
  StrRef before;  // a freed record's bytes, put back when the index refuses
  if (recno < records) {
    before = RecordLoad(s, recno);
    if (!before.ok()) return before.err();
  }
  if ((rc = WriteOver(s, *c, recno, before))) return rc;
  uint32_t taken = kNone;
  c->records_seen = records;
  rc = IndexTake(s, &taken);
  c->records_seen = kNone;
  if (rc == 0 && taken != recno) {
    (void)IndexDrop(s, taken);
    rc = E_INTERNAL;
  }
  if (rc) {
    if (recno >= records) {
      FileCutBack(s, records);
    } else {
      (void)FilePutBack(s, recno, before);
    }
    return rc >= 128 ? FailFile(rc, s) : rc;
  }
  (void)BufferCopy(s, 1);
  c->recno = recno;
  c->status = ST_ON_RECORD;
  if (HasLineField(s)) return 0;
  IndexHit hit;
  StrRef key = KeyValue(s, c->active_key);
  rc = IndexSearch(s, c->active_key, key, INDEX_FIRST, &hit);
  if (rc >= 128) return rc;
  CursorOn(s, *c, recno, hit);
  return hit.status == INDEX_ON && hit.recno != recno ? ST_DUPLICATE : 0;
}

ErrCode FileUpdate(uint16_t s) {
  ErrCode rc;
  DataFileCtrl* c = Open(&s, &rc);
  if (c == nullptr) return rc;
  if (!BufferModified(s)) return 0;
  if (!Indexed(*c)) return E_FILENOTINIT;
  // Only the record the buffer was read from may be written over.
  if (c->recno == kNone) return FailFile(E_DATA, s);
  ScratchFrame frame;
  StrRef previous = Copy(BufferHalf(s, HALF_READ));
  if ((rc = WriteOver(s, *c, c->recno, previous))) return rc;
  if ((rc = IndexRekey(s, c->recno))) {
    // The index keeps the old key values: so does the record.
    (void)FilePutBack(s, c->recno, previous);
    return FailFile(rc, s);
  }
  (void)BufferCopy(s, 1);
  return 0;
}

ErrCode FileDelete(uint16_t s, uint8_t flags) {
  ErrCode rc;
  DataFileCtrl* c = Open(&s, &rc);
  if (c == nullptr) return rc;
  if (!Indexed(*c)) return E_FILENOTINIT;
  if (c->recno == kNone) return FailFile(E_DATA, s);
  ScratchFrame frame;
  StrRef read = BufferHalf(s, HALF_READ);
  if (!read.ok()) return read.err();
  StrRef kept = Copy(KeyValue(s, c->active_key, read));
  if (!kept.ok()) return kept.err();
  uint32_t recno = c->recno;
  // The current half becomes the record as read with the deletion mark.
  if ((rc = BufferCopy(s, 2))) return rc;
  StrRef cur = BufferHalf(s, HALF_CURRENT);
  if (cur.size()) const_cast<char*>(cur.data())[0] = static_cast<char>(kDeletedMark);
  StrRef previous = Copy(read);
  if ((rc = WriteOver(s, *c, recno, previous))) {
    (void)BufferCopy(s, 2);
    return rc;
  }
  if ((rc = IndexDrop(s, recno))) {
    (void)BufferCopy(s, 2);
    (void)FileWrite(s, recno);
    return FailFile(rc, s);
  }
  c->recno = kNone;
  if (flags & NAV_CLAMP) return FileFind(s, 0xFFFF, kept, NAV_CLAMP);
  return 0;
}

uint32_t FileRecno(uint16_t s) {
  ErrCode rc;
  DataFileCtrl* c = Open(&s, &rc);
  if (c == nullptr || !Indexed(*c)) return kNone;
  return IndexRecno(s, c->active_key);
}

ErrCode FileInRange(uint16_t s, uint8_t flags, StrRef limit) {
  ErrCode rc;
  DataFileCtrl* c = Open(&s, &rc);
  if (c == nullptr) return rc;
  if (c->status > ST_BEFORE) return c->status;
  if (!limit.ok()) return limit.err();
  if (limit.empty()) return 0;
  ScratchFrame frame;
  StrRef key = KeyValue(s, c->active_key);
  if (!key.ok()) return key.err();
  uint16_t n = key.size() < limit.size() ? key.size() : limit.size();
  int cmp = std::memcmp(limit.data(), key.data(), n);
  if (cmp == 0 && limit.size() != n) cmp = 1;  // a longer limit lies beyond a key it begins
  if (flags & NAV_BACKWARD) return cmp > 0 ? ST_PAST : 0;
  return cmp < 0 ? ST_PAST : 0;
}

ErrCode FileScanNext(uint16_t s, uint8_t* flags, StrRef condition, StrRef limit,
                     ScanRoutine routine, void* context) {
  ErrCode rc;
  DataFileCtrl* c = Open(&s, &rc);
  if (c == nullptr) return rc;
  bool move = (*flags & NAV_SCANNING) != 0;
  *flags |= NAV_SCANNING;
  uint8_t step = *flags & (kNavMoveMask | NAV_CLAMP);
  for (;;) {
    if (move) {
      rc = FileMove(s, step);
      if (rc >= 128) return rc;
      if (routine != nullptr && rc <= ST_BEFORE) {
        ScratchFrame frame;
        if (ErrCode answer = routine(ScanValue(s, *c), context)) return answer;
      }
    }
    move = true;
    rc = FileInRange(s, *flags, limit);
    if (rc) return rc;
    // A condition that cannot be evaluated ends the scan with its failure:
    // taken as true it would select (and FileDeleteAll delete) every record.
    ErrCode ok = EvaluateCondition(condition);
    if (ok == 1) return 0;
    if (ok >= E_CANCEL) return ok;
  }
}

uint32_t FileCount(uint16_t s, uint16_t key, StrRef from, StrRef to, StrRef condition,
                   ErrCode* err) {
  if (err) *err = 0;
  ErrCode rc;
  DataFileCtrl* c = Open(&s, &rc);
  if (c == nullptr) {
    if (err) *err = rc;
    return 0;
  }
  if (c->mode & MODE_NOINDEX) return FileRecords(s);
  if ((rc = UseKey(s, *c, key))) {
    if (err) *err = rc;
    return 0;
  }
  FilePosition saved = PositionSave(s);
  BufferedPass pass(s);
  uint32_t count = 0;
  IndexHit hit;
  rc = Position(s, *c, from, &hit);
  if (rc < 128 && hit.status <= ST_BEFORE && hit.recno != kNoRecord) {
    rc = ReadInto(s, *c, hit.recno, HALF_BOTH);
    c->status = hit.status;
    if (rc == 0 && FileInRange(s, NAV_NEXT, to) == 0) {
      uint8_t flags = NAV_NEXT;
      while ((rc = FileScanNext(s, &flags, condition, to)) == 0) ++count;
    }
  }
  if (rc >= E_CANCEL) count = 0;
  if (err && rc >= E_CANCEL) *err = rc;
  (void)PositionRestore(s, saved);
  return count;
}

ErrCode FileDeleteAll(uint16_t s, uint16_t key, StrRef prefix, StrRef condition) {
  s = StructResolve(s);
  ErrCode rc = SelectionBuild(s, key, prefix, prefix, condition, 0);
  if (rc >= 128) return rc;
  for (uint16_t i = 0, n = SelectionCount(s); rc < 128 && i < n; ++i) {
    rc = SelectionRead(s, HALF_BOTH, i);
    if (rc == 0) rc = FileDelete(s, 0);
  }
  (void)SelectionFree(s);
  return rc >= 128 ? rc : 0;
}

FilePosition PositionSave(uint16_t s) {
  FilePosition p;
  s = StructResolve(s);
  p.structure = s;
  DataFileCtrl* c = FileCtrl(s);
  if (c == nullptr) return p;
  p.active_key = c->active_key;
  p.status = c->status;
  p.recno = c->recno;
  if (IndexCtrl* ix = IndexOf(s)) p.cursor = ix->cursor();
  StrRef whole = BufferHalf(s, HALF_BOTH);
  if (whole.ok()) p.buffer = whole.str();
  return p;
}

ErrCode PositionRestore(uint16_t s, const FilePosition& saved) {
  s = StructResolve(s);
  if (ErrCode rc = CheckField(s, kStructOnly)) return rc;
  DataFileCtrl& c = Data().files.ctrl[s];
  c.active_key = saved.active_key;
  c.status = saved.status;
  c.recno = saved.recno;
  if (IndexCtrl* ix = IndexOf(s)) ix->set_cursor(saved.cursor);
  if (saved.buffer.empty()) return 0;
  StrRef b = StrRef::Of(saved.buffer);
  uint16_t half = static_cast<uint16_t>(b.size() / 2);
  if (ErrCode rc = BufferStore(s, HALF_CURRENT, Slice(b, 0, half))) return rc;
  return BufferStore(s, HALF_READ, Slice(b, half, half));
}

}  // namespace tol
