// Index files and the in-memory index of a structure: for each key the
// numbers of the live records in key order, and the free record numbers.
// The index holds numbers only; searches read the probed records through
// the record-file layer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/strref.h"
#include "data/dict.h"

namespace tol {

// A list of n entries gets room for (n / kIndexStep + 1) * kIndexStep.
inline constexpr uint32_t kIndexStep = 64;
// Numbers per file transfer.
inline constexpr uint32_t kIndexChunk = 8192;
// Positions and record numbers where none applies.
inline constexpr uint32_t kNoRecord = 0xFFFFFFFF;

// Which of several equal keys a search stops on.
enum IndexWhich : uint8_t { INDEX_FIRST = 0, INDEX_LAST = 1 };

// Index statuses (the record layer's): 0 on an entry, 1 before the first
// entry or on the next greater key, 2 past the last entry or nothing found.
enum IndexStatus : ErrCode { INDEX_ON = 0, INDEX_BEFORE = 1, INDEX_PAST = 2 };

struct IndexHit {
  ErrCode status = INDEX_PAST;
  uint32_t position = 0;       // in the key's list; the insertion point on a miss
  uint32_t recno = kNoRecord;  // the number at the position when status < 2
};

// Where an index gets the key values of the records it probes.  The
// record-file layer supplies one per open structure.
class KeySource {
 public:
  // The value of key k (1-based) of record recno: KeyLength(k) bytes, a view
  // valid until the next call; a failure (136 on a short read) otherwise.
  virtual StrRef KeyOf(uint32_t recno, uint16_t k) = 0;
  // The whole records the record file holds now.
  virtual uint32_t Records() = 0;
  // The length of key k's values.
  virtual uint16_t KeyLen(uint16_t k) = 0;

 protected:
  ~KeySource() = default;
};

// The in-memory index of one structure with its index file.
class IndexCtrl {
 public:
  IndexCtrl() = default;
  ~IndexCtrl();
  IndexCtrl(const IndexCtrl&) = delete;
  IndexCtrl& operator=(const IndexCtrl&) = delete;

  // Opens the index file name (a runtime path; created when missing) for
  // key_count keys and loads it.  The source stays in use until Close.
  // 144 (damaged index, detail: the file name) when its counts do not fit
  // its size, or it names a record number past the end of the record file
  // or twice; the file is left untouched and stays open but unloaded.
  [[nodiscard]] ErrCode Open(StrRef name, uint16_t key_count, KeySource* source);
  // Reads the index again (from_start: from offset 0; the file is always
  // read whole from the start, the flag is kept for callers).  130 on a
  // short read, 144 as in Open; the changed mark is cleared.
  [[nodiscard]] ErrCode Load(bool from_start = true);
  // When changed, writes the whole index to a temporary file in the index
  // file's folder, flushes it and renames it over the index file, so the
  // file always holds either the old or the new index; then releases the
  // lists.  A failed write leaves the old file as it was and records 130
  // against DataFile, which is also returned.
  ErrCode Save();
  // Save, then the file is closed.
  ErrCode Close();
  // Makes room: every list gets room for its entries plus one step.  Done
  // in memory; the file is written only by Save.
  [[nodiscard]] ErrCode Grow();

  // Bisection in key k's list for value (cut to the key's length, an empty
  // value read as one blank; a shorter value finds the keys it begins).
  // Sets the cursor.  The status, or a failure of the source.
  [[nodiscard]] ErrCode Search(uint16_t k, StrRef value, IndexWhich which, IndexHit* hit);
  // Moves the cursor by the navigation flags (flags & 0x34: 0x24 first,
  // 0x20 last, 0x14 back, 0x10 forward, else stay) in key k's list.
  ErrCode Move(uint16_t k, uint8_t flags, IndexHit* hit);
  // The number at the cursor in key k's list; kNoRecord outside.
  uint32_t Recno(uint16_t k) const;
  // Takes a number for a new record (the most recently freed one, else the
  // next after every number in use and every record in the file) and enters
  // it in every list after the entries with an equal key.  values holds the
  // record's K key values.  The cursor is left at its place in key K's list.
  [[nodiscard]] ErrCode Take(const StrRef* values, uint32_t* recno);
  // Removes recno from every list and appends it to the free list; 144
  // when it is not a live entry (nothing changes then).  With was (the
  // record's K key values as the lists order it, whatever the record file
  // holds now) each entry is found by bisection, else by a scan of the
  // list; an entry the bisection misses is looked for by the scan too.
  [[nodiscard]] ErrCode Drop(uint32_t recno, const StrRef* was = nullptr);
  // Moves recno within key k's list to the place of its new value; was, as
  // for Drop, is its value before the change (an empty or failed text: the
  // list is scanned).
  [[nodiscard]] ErrCode Rekey(uint32_t recno, uint16_t k, StrRef value, StrRef was = StrRef());

  bool open() const { return handle_ != kNoHandle; }
  bool loaded() const { return loaded_; }
  bool changed() const { return changed_; }
  uint16_t handle() const { return handle_; }
  uint16_t key_count() const { return key_count_; }
  uint32_t entries() const { return n_; }     // N
  uint32_t free_count() const { return f_; }  // F
  uint32_t cursor() const { return cursor_; }
  void set_cursor(uint32_t p) { cursor_ = p; }
  uint32_t key_spare() const { return key_room_ - n_; }
  uint32_t free_spare() const { return free_room_ - f_; }
  // Entry i of key k's list, of the free list (for checks and tools).
  uint32_t KeyEntry(uint16_t k, uint32_t i) const { return keys_[(k - 1) * size_t(stride_) + i]; }
  uint32_t FreeEntry(uint32_t i) const { return free_[i]; }
  const std::string& name() const { return name_; }

 private:
  static constexpr uint16_t kNoHandle = 0xFFFF;
  uint32_t* List(uint16_t k) { return keys_.data() + (k - 1) * size_t(stride_); }
  const uint32_t* List(uint16_t k) const { return keys_.data() + (k - 1) * size_t(stride_); }
  ErrCode Damaged();
  bool Consistent();
  bool ConsistentBySorting(uint32_t records);
  ErrCode WriteFile();
  // Searches the first len entries of key k's list; with skip, the list
  // without the entry at that position (len counts the others), positions
  // counted as if it were gone.
  ErrCode Bisect(uint16_t k, StrRef value, uint32_t len, IndexWhich which, IndexHit* hit,
                 uint32_t skip = kNoRecord);
  ErrCode Insert(uint16_t k, uint32_t recno, StrRef value, uint32_t len, uint32_t* pos);
  uint32_t FindIn(uint16_t k, uint32_t recno, uint32_t len) const;
  // The position of recno in the first len entries of key k's list, looked
  // for from the first entry filed under was; kNoRecord when it is not there.
  uint32_t Locate(uint16_t k, uint32_t recno, StrRef was, uint32_t len);
  // Key k of recno as the lists order it: the pinned value for the record
  // whose entry is being looked for, else the record file's.
  StrRef Probe(uint32_t recno, uint16_t k);
  void RemoveAt(uint16_t k, uint32_t pos, uint32_t len);
  ErrCode Reserve(uint32_t key_room, uint32_t free_room);
  void Release();

  std::string name_;
  KeySource* source_ = nullptr;
  // key_count_ lists of stride_ entries.  The room the capacity rule gives
  // (key_room_) is what the index reports; the block itself grows by half
  // its size at a time, so growth steps do not copy every list each time.
  std::vector<uint32_t> keys_;
  std::vector<uint32_t> free_;  // at least free_room_ entries
  uint32_t n_ = 0, f_ = 0, cursor_ = 0;
  uint32_t key_room_ = 0, free_room_ = 0, stride_ = 0;
  uint32_t pinned_ = kNoRecord;  // see Probe
  StrRef pinned_value_;
  uint32_t next_ = 0;  // one past the highest number the index holds
  uint16_t handle_ = kNoHandle;
  uint16_t key_count_ = 0;
  bool loaded_ = false, changed_ = false;
};

// The per-structure index table, part of the data layer's state.
// Structure s (1..30) uses entry s.
struct RecordReader {
  // Reads record recno of structure s (its record length in bytes) into
  // buf; 0, or the failure (136 on a short read).
  ErrCode (*read)(uint16_t s, uint32_t recno, char* buf) = nullptr;
  // The whole records in structure s's record file.
  uint32_t (*records)(uint16_t s) = nullptr;
  // When given: reads n bytes at offset within record recno into buf, so
  // that a probe touches only its key's bytes; 0 or the failure as read.
  ErrCode (*read_part)(uint16_t s, uint32_t recno, uint16_t offset, uint16_t n,
                       char* buf) = nullptr;
};

class StructKeys final : public KeySource {
 public:
  StructKeys() = default;
  StrRef KeyOf(uint32_t recno, uint16_t k) override;
  uint32_t Records() override;
  uint16_t KeyLen(uint16_t k) override;
  // Sizes the buffers for structure s; nothing is allocated per probe.
  [[nodiscard]] ErrCode Bind(uint16_t s, RecordReader reader);

 private:
  uint16_t s_ = 0;
  uint16_t record_length_ = 0;
  RecordReader reader_;
  std::vector<KeyDef> keys_;
  std::vector<char> record_, key_;  // reused by every probe
};

struct IndexTable {
  IndexCtrl ctrl[kMaxStructs + 1];
  StructKeys keys[kMaxStructs + 1];
};

// Operations by structure number (resolved as everywhere: 0 and numbers
// above the count mean the current structure).  Each checks the structure
// (168) and, where the index must be loaded, gives 169 when it is not.
// The key values of new and changed records come from the record buffer
// (current half; the as-read half for what was there before).

// Opens and loads the index file name (the caller builds it: DIR or NDX,
// or a fresh temporary name) reading records through reader.
[[nodiscard]] ErrCode IndexOpen(uint16_t s, StrRef name, RecordReader reader);
[[nodiscard]] ErrCode IndexLoad(uint16_t s, bool from_start = true);
ErrCode IndexSave(uint16_t s);
ErrCode IndexClose(uint16_t s);
[[nodiscard]] ErrCode IndexGrow(uint16_t s);
// k is the key number (1..K).
[[nodiscard]] ErrCode IndexSearch(uint16_t s, uint16_t k, StrRef value, IndexWhich which,
                                  IndexHit* hit);
ErrCode IndexMove(uint16_t s, uint16_t k, uint8_t flags, IndexHit* hit);
uint32_t IndexRecno(uint16_t s, uint16_t k);
// The key values come from the current half of the record buffer.
[[nodiscard]] ErrCode IndexTake(uint16_t s, uint32_t* recno);
[[nodiscard]] ErrCode IndexDrop(uint16_t s, uint32_t recno);
// Every key whose value in the current half differs from the as-read half.
[[nodiscard]] ErrCode IndexRekey(uint16_t s, uint32_t recno);
// The structure's index object (null for a bad structure number).
IndexCtrl* IndexOf(uint16_t s);

}  // namespace tol
