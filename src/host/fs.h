// Files and folders of the host, addressed by runtime paths (host/path.h
// maps every name).  Plain descriptors-with-results: no exceptions, errno
// kept in the result so callers can choose their code.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tol::host {

enum OpenFlags : unsigned {
  OPEN_READ = 1,
  OPEN_WRITE = 2,
  OPEN_CREATE = 4,    // create when missing
  OPEN_TRUNCATE = 8,  // empty on open
  OPEN_APPEND = 16,   // every write goes to the end
  OPEN_EXCL = 32,     // fail when it exists
};

struct File {
  int fd = -1;
  bool ok() const { return fd >= 0; }
};

// The console streams: 0 input, 1 output, 2 error output.  Never closed.
inline File ConsoleFile(int n) {
  return File{n};
}

// On failure the File is not ok and *err (when given) holds errno.
File Open(std::string_view path, unsigned flags, int* err = nullptr);
void Close(File& f);
// Bytes read or written, -1 on failure.  Read fills the buffer unless the
// end comes first; Write writes everything or fails.
int64_t Read(File f, void* buf, int64_t n);
int64_t ReadAt(File f, void* buf, int64_t n, int64_t offset);
int64_t Write(File f, const void* buf, int64_t n);
int64_t WriteAt(File f, const void* buf, int64_t n, int64_t offset);
int64_t Seek(File f, int64_t offset, int whence);  // whence as SEEK_SET/CUR/END
int64_t Size(File f);
bool Truncate(File f, int64_t size);
bool Sync(File f);  // data on disk before returning

bool Exists(std::string_view path);
bool IsDir(std::string_view path);
int64_t FileSize(std::string_view path);  // -1 when missing
struct FileInfo {
  bool exists = false;
  bool dir = false;
  bool readonly = false;
  int64_t size = 0;
  int64_t mtime = 0;  // seconds since the epoch
  int64_t atime = 0;  // last access
  int64_t btime = 0;  // creation; the write time where the file system keeps none
};
FileInfo Stat(std::string_view path);
bool SetTimes(std::string_view path, int64_t mtime);
bool Remove(std::string_view path);
// Replaces the target atomically when it exists.
bool Rename(std::string_view from, std::string_view to);
bool MakeDir(std::string_view path);
bool RemoveDir(std::string_view path);
// The copy is made under a temporary name beside the target and renamed
// over it, so a failed copy leaves the target as it was.
bool CopyFile(std::string_view from, std::string_view to);

// Names in a folder (no "." or ".."), in the runtime's CP1252, sorted by
// byte order; pattern with "*" and "?" matched case-insensitively.
std::vector<std::string> DirList(std::string_view folder, std::string_view pattern);

// Whole-file helpers.
bool ReadAll(std::string_view path, std::string* out);
// Replaces the whole file atomically (temporary beside it, then rename).
bool WriteAll(std::string_view path, std::string_view bytes);
bool AppendAll(std::string_view path, std::string_view bytes);

// The current folder in runtime form; ChangeDir takes a runtime path.
std::string CurrentDir();
bool ChangeDir(std::string_view path);
// A name in folder (runtime form) that does not exist yet, beginning with
// prefix: folder, "\" and the name (just the name when folder is empty).
std::string TempName(std::string_view folder, std::string_view prefix);

}  // namespace tol::host
