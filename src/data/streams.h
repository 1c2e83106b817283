// The stream layer: a table of 40 numbered handles over the host's files
// (0-2 the console), chunked reads and writes, text lines with any of the
// three line ends, whole-file operations and the runtime's few file-system
// operations.  Every name is a runtime path and goes through host/.
#pragma once

#include <cstdint>

#include "core/strref.h"
#include "host/fs.h"

namespace tol {

inline constexpr uint16_t kStreamCount = 40;
inline constexpr uint16_t kStreamNameMax = 384;  // names this long or longer fail
inline constexpr uint16_t kStreamFail = 0xFFFF;  // failure or end of file
inline constexpr uint16_t kLineMode = 0xFFFF;    // read count: one text line
inline constexpr uint16_t kToEnd = 0xFFFF;       // whole-file count: to the end
// Offsets: the current position for reads, the end of the file for writes.
inline constexpr int64_t STREAM_HERE = -1;
// FileStore offset: the file's whole content is replaced.
inline constexpr int64_t STREAM_REPLACE = -2;

// Open flags.  The mode is "w" with OPEN_WRITE, else "a" with OPEN_APPEND,
// else "r"; then "b"; then "+" unless OPEN_READONLY.
enum StreamFlags : uint8_t {
  OPEN_UPDATE = 0x01,  // no meaning of its own: callers set it for read and write
  OPEN_WRITE = 0x02,
  OPEN_APPEND = 0x04,
  OPEN_READONLY = 0x08,
  OPEN_QUIET = 0x80,
};

class StreamTable {
 public:
  StreamTable() = default;
  // Closes what is still open (never the console).
  ~StreamTable();
  StreamTable(const StreamTable&) = delete;
  StreamTable& operator=(const StreamTable&) = delete;

  // The entry of a handle, filling the console entries on first use; null
  // for a handle out of range or an empty entry.
  host::File* Entry(uint16_t h);
  // The first empty entry, kStreamCount when all are in use.
  uint16_t FreeEntry();
  void Put(uint16_t h, host::File f) { files_[h] = f; }
  void Empty(uint16_t h);

 private:
  void Fill();
  host::File files_[kStreamCount];
  bool filled_ = false;
};

// A handle, or kStreamFail after reporting 163 (empty or too long name),
// 168 (no free handle) or 164 (cannot be opened) against Streams with the
// name added to the error detail; with OPEN_QUIET the code itself and no
// report.  "CON" gives the console: 1 when the low five flag bits are
// exactly OPEN_WRITE, else 0.  A missing file opened for update is created.
[[nodiscard]] uint16_t StreamOpen(StrRef name, uint8_t flags);
// Handles 0-2 and empty entries are left alone.
void StreamClose(uint16_t h);

// Reads into buf (capacity bytes) from offset (STREAM_HERE: the current
// position) count bytes, or with kLineMode one line without its end (CR LF,
// CR or LF; a lone Ctrl-Z at the end ends the file).  Bytes placed, or
// kStreamFail at the end of the file.  A line longer than the buffer comes
// back cut at capacity and the next read goes on after the cut.
uint16_t StreamRead(uint16_t h, int64_t offset, uint16_t count, char* buf, uint16_t capacity);
// The next line on the scratch stack; at the end the failure 130.
StrRef StreamReadLine(uint16_t h);
// count bytes (kLineMode: a line) from offset on the scratch stack; at the
// end the failure 130.
StrRef StreamReadBlock(uint16_t h, int64_t offset, uint16_t count);
// Writes at offset (STREAM_HERE: appends at the end of the file whatever the
// position); length, or kStreamFail on a short write or without data.
uint16_t StreamWrite(uint16_t h, int64_t offset, const void* data, uint16_t length);
// 0 when the whole text is written; a failed text's code; kStreamFail when
// the write is short.
ErrCode StreamWriteText(uint16_t h, int64_t offset, StrRef text);
// 0, or 130 when positioning fails (151 for a handle with no stream).
ErrCode StreamSeek(uint16_t h, int64_t offset);
uint32_t StreamTell(uint16_t h);  // handle 0 gives 0
uint32_t StreamSize(uint16_t h);  // the console gives kStreamFail
bool StreamAtEnd(uint16_t h);

// Whole-file operations: open, act, close.
// count kToEnd: from offset to the end (as much as fits in capacity).
uint16_t FileReadPart(StrRef name, int64_t offset, uint16_t count, char* buf, uint16_t capacity);
// The part on the scratch stack: 164 when the file cannot be opened, 145
// when scratch space is short, 146 for a part longer than a text can be,
// 0xFFFF when the file holds less than asked.
StrRef FileLoad(StrRef name, int64_t offset = 0, uint16_t count = kToEnd);
// The whole file with every CR LF, then every LF, replaced by separator.
StrRef FileLoadText(StrRef name, StrRef separator);
// Writes at offset (STREAM_HERE appends; STREAM_REPLACE replaces the whole
// content atomically), creating the file; length, or kStreamFail (also for
// length 0, which touches nothing).
uint16_t FileStore(StrRef name, int64_t offset, const void* data, uint16_t length);
// As FileStore: 0 on a complete write, else 131.
ErrCode FileStoreChecked(StrRef name, int64_t offset, const void* data, uint16_t length);
uint32_t FileSize(StrRef name);    // 0 when it cannot be opened
uint16_t FileDelete(StrRef name);  // 0 or kStreamFail
uint16_t FileRename(StrRef from, StrRef to);

// File-system operations.
StrRef EnvValue(StrRef name);     // empty when unset or the name is empty
uint16_t DirChange(StrRef path);  // 0 or kStreamFail
uint16_t DirMake(StrRef path);
StrRef DirCurrent();  // empty when it is 384 bytes or longer
// The names matching a pattern ("folder\*.FD"), separated by single NUL
// bytes, in byte order; 164 when none, 145 when they do not fit.
StrRef DirList(StrRef pattern);
// 0 when the name (which may hold "*" and "?") is found, else 164.
ErrCode FileExists(StrRef name);
uint32_t FileFoundSize(StrRef name);  // 0 when nothing is found
// Windows attribute bits: 0x01 read-only, 0x02 hidden (a name beginning
// with "."), 0x10 folder, 0x20 a file; 164 when nothing is found.
uint32_t FileAttributes(StrRef name);
enum FileTimeWhich : uint8_t { FILETIME_CREATED = 0, FILETIME_ACCESSED = 1, FILETIME_WRITTEN = 2 };
// form 0: local time of day in milliseconds; form 1: local date YYYYMMDD;
// 0 when nothing is found or for another form.
int32_t FileTime(StrRef name, uint8_t which, uint8_t form);
// A plain file name (no folder, no ".") free in the folder $TEMP.
StrRef TempName();
// TempName, "." and extension; the file of that name in $TEMP is deleted.
StrRef TempFile(StrRef extension);
StrRef PathSlashes(StrRef path);  // every "/" becomes "\"
// Kinds 1-6: "", "FD", "DIR", "NDX", "TMP", "TXT"; with 0x80 in lower case.
StrRef DataFileExtension(uint8_t kind);

}  // namespace tol
