// Record files: the names of a structure's files, the per-structure access
// state, opening and closing (open modes, the lock companion of exclusive
// use, the temporary working mode), the set of open structures with its
// stack, record transfers and the maintenance command words.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/strref.h"
#include "data/dict.h"
#include "data/recordcache.h"

namespace tol {

// Open mode bits.
enum OpenMode : uint8_t {
  MODE_CLOSED = 0x00,
  MODE_READONLY = 0x01,
  MODE_EXCLUSIVE = 0x02,
  MODE_CURRENT = 0x08,
  MODE_NOINDEX = 0x10,
};

// Navigation flags (one byte).
enum NavFlags : uint8_t {
  NAV_RELOAD = 0x00,
  NAV_NEW = 0x01,
  NAV_CLAMP = 0x02,
  NAV_BACKWARD = 0x04,
  NAV_NEXT = 0x10,
  NAV_PREV = 0x14,
  NAV_BOTTOM = 0x20,
  NAV_TOP = 0x24,
  NAV_SCANNING = 0x80,  // scans: the current record has been tested
};
inline constexpr uint8_t kNavMoveMask = 0x34;

// Positioning statuses.
enum FileStatus : ErrCode {
  ST_ON_RECORD = 0,
  ST_BEFORE = 1,  // before the first record, or on the next greater key
  ST_PAST = 2,    // past the last record, or nothing found
  ST_NEW = 3,     // cleared for a new record
  ST_REFUSED = 5,
  ST_DUPLICATE = 6,  // inserted although the key existed
};

// _COMPAT and _UPSTAT bits that change the files' names.
inline constexpr uint16_t kCompatNdx = 2;        // _COMPAT: index extension "NDX"
inline constexpr uint16_t kCompatShort = 8;      // _COMPAT: names cut to 8 characters
inline constexpr uint16_t kUpstatTemporary = 2;  // _UPSTAT: temporary working mode

// A record file whose size is not a whole number of records is damaged: the
// open fails with this code (against DataFile, the file name as detail) and
// neither file is written.  An index that does not fit its record file
// fails the open with E_INDEXCMDERROR in the same way.
inline constexpr ErrCode E_DAMAGED = E_DATA;

inline constexpr uint16_t kNoHandle = 0xFFFF;
inline constexpr uint16_t kNoRow = 0xFFFF;
inline constexpr uint16_t kSelectionRows = 8;
inline constexpr uint16_t kSelectionStep = 32;
inline constexpr uint16_t kGroupOpenSets = 33;  // slot-table stack of FileSelect sets

struct DataFileCtrl {
  uint16_t active_key = 1;
  uint16_t status = ST_PAST;
  uint16_t handle = kNoHandle;  // record file
  uint16_t relation = 0xFFFF;   // relations' marker
  // The selection row in use, then the rows put aside by nested selections.
  uint16_t rows[3] = {kNoRow, kNoRow, kNoRow};
  uint8_t mode = MODE_CLOSED;
  bool locked = false;      // this open made the lock companion
  uint32_t sequential = 0;  // position of moves without an index: a record number
  // The record the buffer was last read from; none after a clear.
  uint32_t recno = 0xFFFFFFFF;
  // While an insert enters a record already written, the record count the
  // index is told (the count before the write); 0xFFFFFFFF otherwise.
  uint32_t records_seen = 0xFFFFFFFF;
  // Records are read through the read buffer (see BufferedPass).
  bool buffered = false;
  // Temporary working mode: the names chosen at the open, kept until the close.
  std::string temp_record;
  std::string temp_index;
};

struct SelectionRow {
  uint32_t* numbers = nullptr;  // memory block of DataFile
  uint16_t count = 0;
  uint16_t capacity = 0;
  bool in_use = false;
};

// The record layer's part of the data state (data/data.h).
// The open modes of every structure and the current structure, as a
// procedure run found them.
struct OpenFilesSnapshot {
  uint8_t mode[kMaxStructs + 1] = {};
  int16_t current = 0;
};

struct FileTables {
  DataFileCtrl ctrl[kMaxStructs + 1];  // by structure number; 0 unused
  SelectionRow rows[kSelectionRows];
  std::vector<OpenFilesSnapshot> marks;  // OpenFilesMark, innermost last
  // The pages of each open record file read by the index's probes and by
  // selection passes (data/recordcache.h); emptied at every open, close
  // and reopen.
  RecordCache cache[kMaxStructs + 1];
};

// The access state of a structure (resolved as in the dictionary); null
// when the structure is not defined.
DataFileCtrl* FileCtrl(uint16_t s);

// File names.
enum FileKind : uint8_t { KIND_RECORD = 2, KIND_INDEX = 3, KIND_REBUILD = 5, KIND_LOCK = 0x40 };
// The name of a structure's file of the given kind; in the temporary working
// mode the names of an open structure's record and index files are the
// temporary ones chosen when it was opened.
StrRef DataFileName(uint16_t s, uint8_t kind);

// Opening and closing; structure numbers 0 and 255 mean the current one.
// FileOpen answers the status of the first positioning.
[[nodiscard]] ErrCode FileOpen(uint16_t s, uint8_t mode);
ErrCode FileClose(uint16_t s);
[[nodiscard]] ErrCode FileReopen(uint16_t s, ErrCode code);
bool FileIsOpen(uint16_t s);
// Sets the whole set of open structures from "A;1,B" (or "RESTORE").
[[nodiscard]] ErrCode FileSelect(StrRef list);
// Closes every structure and forgets the open-set stack.
void FileCloseAll();
// Takes note of which structures are open in which mode, and of the current
// one; OpenFilesRestore(mark) closes what was opened since, reopens what
// was closed or reopened in another mode, and forgets the notes taken
// after the mark.  A run that nests its own mark inside is undone with it.
uint32_t OpenFilesMark();
void OpenFilesRestore(uint32_t mark);

// Record transfers: half 1 current, 2 as read, 3 both.
[[nodiscard]] ErrCode FileRead(uint16_t s, uint32_t recno, uint8_t half);
[[nodiscard]] ErrCode FileWrite(uint16_t s, uint32_t recno);
// Record recno's bytes on the scratch stack; 136 on a short read.
StrRef RecordLoad(uint16_t s, uint32_t recno);
// While one lives, structure s's records are read through the read buffer
// of its file, which it first empties, so that a pass over many records
// (a selection, a count) costs few reads and still meets the file as it is
// when the pass begins.  Nested passes share the outer one's buffer.
class BufferedPass {
 public:
  explicit BufferedPass(uint16_t s);
  ~BufferedPass();
  BufferedPass(const BufferedPass&) = delete;
  BufferedPass& operator=(const BufferedPass&) = delete;

 private:
  uint16_t s_ = 0;
  bool outer_ = false;
};
// Records in the file (size / record length).
uint32_t FileRecords(uint16_t s);
// Cuts the record file back to records whole records (undoing an append).
void FileCutBack(uint16_t s, uint32_t records);
// Writes bytes (a whole record as it was) back at recno, undoing a change;
// false when the disk refused.
bool FilePutBack(uint16_t s, uint32_t recno, StrRef bytes);

// The 16-bit command code of a maintenance command word; 0x00FF for words
// that do not move.
uint16_t CommandCode(StrRef word);

}  // namespace tol
