// Access methods on an open structure: moving through the active key's
// order, finding by key value, reading, inserting, updating and deleting
// records, the limit test and the condition scan, counting, and saving and
// restoring a position around a scan.
#pragma once

#include <cstdint>
#include <string>

#include "core/strref.h"
#include "data/datafile.h"

namespace tol {

// Structure numbers 0 and 255 mean the current one.  Results below 128 are
// statuses (FileStatus), 128 and above failures.

// Moves by the navigation flags (NAV_NEW clears for a new record) and reads
// the record reached into both halves; off the records the buffer is
// cleared.  The status is kept in the access state.
[[nodiscard]] ErrCode FileMove(uint16_t s, uint8_t flags);
// Finds the first record whose key begins with value; key 0xFFFF keeps the
// active key.  flags 0x02: a next-greater result is read too; 0x01: on a
// miss the buffer is cleared and value spread into the key's fields.
[[nodiscard]] ErrCode FileFind(uint16_t s, uint16_t key, StrRef value, uint8_t flags);
// As FileFind, reading into half (0 nothing, 1, 2, 3); a next-greater
// result only when half has 0x02.  Never clears the buffer.
[[nodiscard]] ErrCode FileFindInto(uint16_t s, uint16_t key, StrRef value, uint8_t half);
// Writes the current half as a new record: 0, or 6 when another record has
// the same value of the active key (structures without N_LINE).
[[nodiscard]] ErrCode FileInsert(uint16_t s);
// Writes a modified buffer over the record read and moves the entries of
// its changed keys; an unmodified buffer writes nothing.
[[nodiscard]] ErrCode FileUpdate(uint16_t s);
// Deletes the record read; flags 0x02 then positions on the one after it.
[[nodiscard]] ErrCode FileDelete(uint16_t s, uint8_t flags);
// The number at the cursor of the active key; kNoRecord when none.
uint32_t FileRecno(uint16_t s);

// The limit test of scans: the status when above 1, else 2 when the active
// key of the current record lies beyond limit (forward, or backward with
// NAV_BACKWARD in flags), else 0.  An empty limit never ends a scan.
ErrCode FileInRange(uint16_t s, uint8_t flags, StrRef limit);
// Called per record a scan moves to with the first field of the active
// key; a non-zero answer ends the scan with it.
using ScanRoutine = ErrCode (*)(StrRef value, void* context);
// Moves by *flags (NAV_NEXT or NAV_PREV) until a record satisfies
// condition without passing limit: 0 then, else 2 or a failure.  Without
// NAV_SCANNING in *flags the current record is tested first and the bit is
// added.
[[nodiscard]] ErrCode FileScanNext(uint16_t s, uint8_t* flags, StrRef condition, StrRef limit,
                                   ScanRoutine routine = nullptr, void* context = nullptr);
// Records of key whose value lies from `from` to `to` that satisfy
// condition; the position is kept.  Opened without index: the file's
// records, deleted ones included.  *err (when given) gets a failure.
uint32_t FileCount(uint16_t s, uint16_t key, StrRef from, StrRef to, StrRef condition,
                   ErrCode* err = nullptr);
// Deletes every record of key with the prefix that satisfies condition.
[[nodiscard]] ErrCode FileDeleteAll(uint16_t s, uint16_t key, StrRef prefix, StrRef condition);

// A structure's position: its access state, the index cursor and the whole
// record buffer.
struct FilePosition {
  uint16_t structure = 0;
  uint16_t active_key = 1;
  uint16_t status = ST_PAST;
  uint32_t recno = 0xFFFFFFFF;
  uint32_t cursor = 0;
  std::string buffer;
};
FilePosition PositionSave(uint16_t s);
[[nodiscard]] ErrCode PositionRestore(uint16_t s, const FilePosition& saved);

}  // namespace tol
