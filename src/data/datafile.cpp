// Record files: names, opening and closing with the lock companion and the
// temporary working mode, the open-set stack of FileSelect, the damage
// checks made at every open, record transfers and the command words.
#include "data/datafile.h"

#include <cstring>

#include "core/core.h"
#include "core/lists.h"
#include "core/text.h"
#include "data/access.h"
#include "data/data.h"
#include "data/index.h"
#include "data/record.h"
#include "data/selection.h"
#include "data/streams.h"
#include "host/fs.h"
#include "lang/sysvars.h"

namespace tol {

namespace {

bool TemporaryMode() {
  return SysTest(_UPSTAT, kUpstatTemporary);
}

uint16_t RecordLength(uint16_t s) {
  const StructDef* st = StructAt(s);
  return st ? st->record_length : 0;
}

// The structure's base name: folder, "\" and name (the name alone for the
// lock companion, which lives in the working folder).
StrRef BaseName(const StructDef& st, bool with_folder) {
  StrRef name = StrRef::Of(st.name);
  if (SysTest(_COMPAT, kCompatShort)) name = Slice(name, 0, 8);
  if (!with_folder || st.folder.empty()) return Copy(name);
  StrRef folder = StrRef::Of(st.folder);
  if (folder[folder.size() - 1] == '\\' || folder[folder.size() - 1] == '/')
    return Concat(folder, name);
  return Concat(Concat(folder, "\\"), name);
}

StrRef TempPath(StrRef extension) {
  ScratchFrame frame;
  StrRef folder = EnvValue("TEMP");
  StrRef name = TempFile(extension);
  if (!folder.ok() || !name.ok()) return frame.Keep(folder.ok() ? name : folder);
  return frame.Keep(Join(Trim(folder, TRIM_RIGHT, "\\/"), "\\", name));
}

host::File* RecordStream(const DataFileCtrl& c) {
  return c.handle == kNoHandle ? nullptr : Data().streams.Entry(c.handle);
}

// Reported against DataFile with the file name as the detail.
ErrCode FailFile(ErrCode code, uint16_t s, uint8_t kind) {
  ScratchFrame frame;
  SetDetail(0, DataFileName(s, kind));
  return Fail(M_DATAFILE, code);
}

// The lock companion: created only when absent, so that two stations that
// test at the same moment cannot both take it.
ErrCode LockTake(uint16_t s) {
  ScratchFrame frame;
  StrRef name = DataFileName(s, KIND_LOCK);
  if (!name.ok()) return name.err();
  host::File f = host::Open(name.view(), host::OPEN_WRITE | host::OPEN_CREATE | host::OPEN_EXCL);
  if (!f.ok()) return FailFile(E_DENIED, s, KIND_LOCK);
  bool written = host::Write(f, " ", 1) == 1;
  host::Close(f);
  if (!written) {
    host::Remove(name.view());
    return FailFile(E_DENIED, s, KIND_LOCK);
  }
  return 0;
}

void LockRelease(uint16_t s) {
  ScratchFrame frame;
  StrRef name = DataFileName(s, KIND_LOCK);
  if (name.ok()) (void)FileDelete(name);
}

bool HoldsLock(const DataFileCtrl& c) {
  return c.locked;
}

// Opens the record file in the stream mode of the open mode: read-only
// opens create a missing file once and try again.
uint16_t OpenRecordStream(StrRef name, uint8_t mode) {
  if (!(mode & MODE_READONLY)) return StreamOpen(name, OPEN_UPDATE);
  uint16_t h = StreamOpen(name, OPEN_UPDATE | OPEN_READONLY | OPEN_QUIET);
  if (h < kStreamCount) return h;
  uint16_t c = StreamOpen(name, OPEN_UPDATE);
  if (c == kStreamFail) return kStreamFail;
  StreamClose(c);
  h = StreamOpen(name, OPEN_UPDATE | OPEN_READONLY);
  return h < kStreamCount ? h : kStreamFail;
}

// Whole records only; a record length of 0 has no records to hold.
ErrCode CheckRecordFile(uint16_t s, const DataFileCtrl& c) {
  host::File* f = RecordStream(c);
  uint16_t len = RecordLength(s);
  int64_t size = f ? host::Size(*f) : -1;
  if (size < 0) return FailFile(E_FILEIO, s, KIND_RECORD);
  if (len == 0 || size % len != 0) return FailFile(E_DAMAGED, s, KIND_RECORD);
  return 0;
}

// The index layer reads the records it probes through these.
ErrCode ReadForIndex(uint16_t s, uint32_t recno, char* buf) {
  const DataFileCtrl& c = Data().files.ctrl[s];
  host::File* f = RecordStream(c);
  uint16_t len = RecordLength(s);
  if (f == nullptr) return E_FILENOTINIT;
  return Data().files.cache[s].Read(*f, int64_t{recno} * len, len, buf) ? 0 : E_READ;
}

ErrCode ReadPartForIndex(uint16_t s, uint32_t recno, uint16_t offset, uint16_t n, char* buf) {
  const DataFileCtrl& c = Data().files.ctrl[s];
  host::File* f = RecordStream(c);
  if (f == nullptr) return E_FILENOTINIT;
  int64_t at = int64_t{recno} * RecordLength(s) + offset;
  return Data().files.cache[s].Read(*f, at, n, buf) ? 0 : E_READ;
}

uint32_t RecordsForIndex(uint16_t s) {
  const DataFileCtrl& c = Data().files.ctrl[s];
  return c.records_seen != 0xFFFFFFFF ? c.records_seen : FileRecords(s);
}

void ResetCtrl(DataFileCtrl& c) {
  uint16_t relation = c.relation;
  c = DataFileCtrl{};
  c.relation = relation;
}

// Applies one open set: a mode byte per structure, highest number first.
ErrCode ApplyOpenSet(StrRef modes) {
  uint16_t count = StructCount();
  for (uint16_t s = count; s >= 1; --s) {
    uint8_t m = s <= modes.size() ? modes[s - 1] : 0;
    ErrCode rc = m ? FileOpen(s, m) : FileClose(s);
    if (rc >= 128 && rc != kStreamFail) return rc;
    if (rc == kStreamFail) return rc;
  }
  return 0;
}

}  // namespace

DataFileCtrl* FileCtrl(uint16_t s) {
  s = StructResolve(s);
  if (s < 1 || s > StructCount()) return nullptr;
  return &Data().files.ctrl[s];
}

StrRef DataFileName(uint16_t s, uint8_t kind) {
  s = StructResolve(s);
  const StructDef* st = StructAt(s);
  if (st == nullptr) return StrRef::Fail(CheckField(s, kStructOnly));
  const DataFileCtrl& c = Data().files.ctrl[s];
  if (kind == KIND_RECORD && !c.temp_record.empty()) return Copy(StrRef::Of(c.temp_record));
  if (kind == KIND_INDEX && !c.temp_index.empty()) return Copy(StrRef::Of(c.temp_index));
  ScratchFrame frame;
  StrRef base = BaseName(*st, kind != KIND_LOCK);
  if (kind == KIND_LOCK) return frame.Keep(Concat(base, ".lock"));
  if (kind == KIND_INDEX && SysTest(_COMPAT, kCompatNdx)) kind = 4;
  return frame.Keep(Concat(Concat(base, "."), DataFileExtension(kind)));
}

bool FileIsOpen(uint16_t s) {
  DataFileCtrl* c = FileCtrl(s);
  return c != nullptr && c->mode != MODE_CLOSED;
}

uint32_t FileRecords(uint16_t s) {
  DataFileCtrl* c = FileCtrl(s);
  uint16_t len = RecordLength(StructResolve(s));
  host::File* f = c ? RecordStream(*c) : nullptr;
  if (f == nullptr || len == 0) return 0;
  int64_t size = host::Size(*f);
  return size <= 0 ? 0 : static_cast<uint32_t>(size / len);
}

ErrCode FileOpen(uint16_t s, uint8_t mode) {
  s = StructResolve(s);
  if (ErrCode rc = CheckField(s, kStructOnly)) return rc;
  if (mode & MODE_CURRENT) SysSet(_CURFIL, static_cast<int16_t>(s));
  DataFileCtrl& c = Data().files.ctrl[s];
  if (mode == MODE_CLOSED || c.mode == mode) return 0;
  if (ErrCode rc = BufferAlloc(s)) return rc;
  bool temporary = TemporaryMode();
  bool exclusive = (mode & MODE_EXCLUSIVE) && !temporary;
  if (exclusive && !HoldsLock(c)) {
    ScratchFrame frame;
    if (FileExists(DataFileName(s, KIND_LOCK)) == 0) return FailFile(E_DENIED, s, KIND_LOCK);
  }
  if (c.mode != MODE_CLOSED || c.handle != kNoHandle) FileClose(s);
  ResetCtrl(c);
  if (exclusive) {
    if (ErrCode rc = LockTake(s)) return rc;
    c.locked = true;
  }
  ScratchFrame frame;
  if (temporary) {
    StrRef rec = TempPath(DataFileExtension(KIND_RECORD));
    StrRef idx = TempPath(DataFileExtension(SysTest(_COMPAT, kCompatNdx) ? 4 : KIND_INDEX));
    if (!rec.ok() || !idx.ok()) return rec.ok() ? idx.err() : rec.err();
    c.temp_record = rec.str();
    c.temp_index = idx.str();
  }
  // On any failure below nothing stays held: no handle, no lock companion.
  auto give_up = [&](ErrCode rc) {
    FileClose(s);
    return rc;
  };
  c.handle = OpenRecordStream(DataFileName(s, KIND_RECORD), mode);
  Data().files.cache[s].Clear();
  if (c.handle == kStreamFail) {
    c.handle = kNoHandle;
    return give_up(kStreamFail);
  }
  if (ErrCode rc = CheckRecordFile(s, c)) return give_up(rc);
  if (!(mode & MODE_NOINDEX)) {
    ErrCode rc = IndexOpen(s, DataFileName(s, KIND_INDEX),
                           {ReadForIndex, RecordsForIndex, ReadPartForIndex});
    if (rc == E_DISKIO) rc = E_INDEXCMDERROR;  // shorter than its own counts
    if (rc) {
      IndexClose(s);
      // The stream layer has reported why the index file could not be opened.
      if (rc == E_FILEOPEN) return give_up(kStreamFail);
      return give_up(FailFile(rc, s, KIND_INDEX));
    }
  }
  c.mode = mode;
  return FileMove(s, NAV_TOP);
}

ErrCode FileClose(uint16_t s) {
  s = StructResolve(s);
  if (ErrCode rc = CheckField(s, kStructOnly)) return rc;
  DataFileCtrl& c = Data().files.ctrl[s];
  if (c.handle != kNoHandle) StreamClose(c.handle);
  if (c.mode != MODE_CLOSED && !(c.mode & MODE_NOINDEX)) IndexClose(s);
  Data().files.cache[s].Clear();
  if (HoldsLock(c)) LockRelease(s);
  while (c.rows[0] != kNoRow) SelectionFree(s);
  if (!c.temp_record.empty()) host::Remove(c.temp_record);
  if (!c.temp_index.empty()) host::Remove(c.temp_index);
  ResetCtrl(c);
  return 0;
}

void FileCloseAll() {
  for (uint16_t s = StructCount(); s >= 1; --s) FileClose(s);
  (void)Slots().Truncate(kGroupOpenSets, 0);
}

uint32_t OpenFilesMark() {
  FileTables& t = Data().files;
  OpenFilesSnapshot snap;
  for (uint16_t s = 1; s <= kMaxStructs; ++s) snap.mode[s] = t.ctrl[s].mode;
  snap.current = SysGet(_CURFIL);
  t.marks.push_back(snap);
  return static_cast<uint32_t>(t.marks.size() - 1);
}

void OpenFilesRestore(uint32_t mark) {
  FileTables& t = Data().files;
  if (mark >= t.marks.size()) return;
  OpenFilesSnapshot snap = t.marks[mark];
  t.marks.resize(mark);
  uint16_t count = StructCount();
  for (uint16_t s = count; s >= 1; --s) {
    if (t.ctrl[s].mode == snap.mode[s]) continue;
    if (snap.mode[s] == MODE_CLOSED) {
      FileClose(s);
    } else {
      (void)FileOpen(s, snap.mode[s]);
    }
  }
  SysSet(_CURFIL, snap.current);
}

ErrCode FileReopen(uint16_t s, ErrCode code) {
  s = StructResolve(s);
  if (ErrCode rc = CheckField(s, kStructOnly)) return rc;
  DataFileCtrl& c = Data().files.ctrl[s];
  if (c.mode == MODE_CLOSED) return code ? code : E_FILEIO;
  if (c.handle != kNoHandle) StreamClose(c.handle);
  // Other stations may have changed the file since it was opened.
  Data().files.cache[s].Clear();
  ScratchFrame frame;
  c.handle = OpenRecordStream(DataFileName(s, KIND_RECORD), c.mode);
  if (c.handle == kStreamFail) {
    c.handle = kNoHandle;
    FileClose(s);
    return code ? code : E_FILEIO;
  }
  ErrCode rc = CheckRecordFile(s, c);
  if (!rc && !(c.mode & MODE_NOINDEX)) {
    rc = IndexSave(s);
    if (!rc) {
      rc = IndexLoad(s, true);
      if (rc == E_DISKIO) rc = E_INDEXCMDERROR;
      if (rc) rc = FailFile(rc, s, KIND_INDEX);
    }
  }
  if (rc) {
    FileClose(s);
    return code ? code : rc;
  }
  return code;
}

ErrCode FileSelect(StrRef list) {
  if (!list.ok()) return list.err();
  ScratchFrame frame;
  StrRef arg = Trim(list);
  if (Equal(Upper(arg), "RESTORE")) {
    if (Slots().Count(kGroupOpenSets) == 0) {
      SetDetail(0, "RESTORE");
      return Fail(M_DATAFILE, E_INTERNAL);
    }
    (void)Slots().Drop(kGroupOpenSets);
    if (Slots().Count(kGroupOpenSets) == 0) {
      for (uint16_t s = StructCount(); s >= 1; --s) FileClose(s);
      return 0;
    }
    StrRef top = Copy(Slots().Top(kGroupOpenSets));
    return ApplyOpenSet(top);
  }
  uint16_t count = StructCount();
  std::string modes(count, '\0');
  uint16_t items = ListCount(arg, ',');
  for (uint16_t i = 1; i <= items; ++i) {
    StrRef item = ListItem(arg, ',', i);
    StrRef name = Trim(ListItem(item, ';', 1));
    bool has_mode = ListCount(item, ';') >= 2;
    uint16_t s = name.empty() ? 0 : StructFind(name);
    if (s < 1 || s > count) {
      SetDetail(0, name);
      return Fail(M_DATAFILE, E_FILEOPEN);
    }
    uint8_t m = has_mode     ? static_cast<uint8_t>(ToInteger(ListItem(item, ';', 2)))
                : i == items ? 0
                             : MODE_READONLY;
    if (i == items) m |= MODE_CURRENT;
    modes[s - 1] = static_cast<char>(m);
  }
  StrRef set = StrRef::Of(modes);
  if (ErrCode rc = Slots().Push(kGroupOpenSets, set)) return rc;
  return ApplyOpenSet(set);
}

ErrCode FileRead(uint16_t s, uint32_t recno, uint8_t half) {
  s = StructResolve(s);
  if (ErrCode rc = CheckField(s, kStructOnly)) return rc;
  if (half < HALF_CURRENT || half > HALF_BOTH) return E_DATA;
  ScratchFrame frame;
  StrRef rec = RecordLoad(s, recno);
  if (!rec.ok()) return rec.err();
  return BufferStore(s, half, rec);
}

StrRef RecordLoad(uint16_t s, uint32_t recno) {
  s = StructResolve(s);
  if (ErrCode rc = CheckField(s, kStructOnly)) return StrRef::Fail(rc);
  const DataFileCtrl& c = Data().files.ctrl[s];
  host::File* f = RecordStream(c);
  if (f == nullptr) return StrRef::Fail(E_FILENOTINIT);
  uint16_t len = RecordLength(s);
  ScratchMark m = Scratch().Mark();
  if (ErrCode rc = Scratch().Push(len, MemBlocks::kNoFill)) return StrRef::Fail(rc);
  char* p = Scratch().TopBytes();
  int64_t at = int64_t{recno} * len;
  bool read =
      c.buffered ? Data().files.cache[s].Read(*f, at, len, p) : host::ReadAt(*f, p, len, at) == len;
  if (!read) {
    Scratch().Release(m);
    return StrRef::Fail(E_READ);
  }
  return Scratch().Top();
}

BufferedPass::BufferedPass(uint16_t s) : s_(StructResolve(s)) {
  DataFileCtrl* c = FileCtrl(s_);
  if (c == nullptr) return;
  outer_ = !c->buffered;
  if (outer_) {
    Data().files.cache[s_].Forget();
    c->buffered = true;
  }
}

BufferedPass::~BufferedPass() {
  DataFileCtrl* c = FileCtrl(s_);
  if (c != nullptr && outer_) c->buffered = false;
}

void FileCutBack(uint16_t s, uint32_t records) {
  s = StructResolve(s);
  if (CheckField(s, kStructOnly)) return;
  host::File* f = RecordStream(Data().files.ctrl[s]);
  int64_t size = int64_t{records} * RecordLength(s);
  if (f != nullptr && host::Size(*f) > size) {
    if (host::Truncate(*f, size))
      Data().files.cache[s].Cut(size);
    else
      Data().files.cache[s].Clear();
  }
}

bool FilePutBack(uint16_t s, uint32_t recno, StrRef bytes) {
  s = StructResolve(s);
  if (CheckField(s, kStructOnly) || !bytes.ok()) return false;
  host::File* f = RecordStream(Data().files.ctrl[s]);
  if (f == nullptr) return false;
  RecordCache& cache = Data().files.cache[s];
  int64_t at = int64_t{recno} * bytes.size();
  if (host::WriteAt(*f, bytes.data(), bytes.size(), at) != bytes.size()) {
    cache.Clear();
    return false;
  }
  cache.Wrote(at, bytes.data(), bytes.size());
  return true;
}

ErrCode FileWrite(uint16_t s, uint32_t recno) {
  s = StructResolve(s);
  if (ErrCode rc = CheckField(s, kStructOnly)) return rc;
  const DataFileCtrl& c = Data().files.ctrl[s];
  host::File* f = RecordStream(c);
  if (f == nullptr) return E_FILENOTINIT;
  StrRef cur = BufferHalf(s, HALF_CURRENT);
  if (!cur.ok()) return cur.err();
  uint16_t len = cur.size();
  int64_t at = int64_t{recno} * len;
  int64_t size = host::Size(*f);
  if (size < 0 || at > size) return FailFile(E_WRITE, s, KIND_RECORD);
  RecordCache& cache = Data().files.cache[s];
  if (host::WriteAt(*f, cur.data(), len, at) == len) {
    cache.Wrote(at, cur.data(), len);
    return 0;
  }
  // A write that went past the old end is cut back, so the file keeps
  // whole records only.
  cache.Clear();
  if (at == size) (void)host::Truncate(*f, size);
  return FailFile(E_WRITE, s, KIND_RECORD);
}

uint16_t CommandCode(StrRef word) {
  static constexpr struct {
    const char* word;
    uint16_t code;
  } kCodes[] = {{"NEW", 0x0F01}, {"TOP", 0x0F24}, {"PRV", 0x0F16}, {"RLD", 0x0000},
                {"NXT", 0x0F12}, {"BOT", 0x0F20}, {"FND", 0x0040}, {"SVE", 0x0F00},
                {"INS", 0x0D00}, {"DEL", 0x0642}, {"LST", 0x0042}, {"BLS", 0x0046}};
  ScratchFrame frame;
  StrRef w = Upper(Trim(word));
  StrRef synonyms = "NEXT=NXT:PREVIOUS=PRV:BOTTOM=BOT";
  for (uint16_t i = 1, n = ListCount(synonyms, ':'); i <= n; ++i) {
    StrRef pair = ListItem(synonyms, ':', i);
    if (Equal(ListItem(pair, '=', 1), w)) {
      w = ListItem(pair, '=', 2);
      break;
    }
  }
  for (const auto& e : kCodes) {
    if (Equal(StrRef::FromC(e.word), w)) return e.code;
  }
  return 0x00FF;
}

}  // namespace tol
