// The stream table and its operations, the whole-file operations and the
// file-system operations of the data layer.
#include "data/streams.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/core.h"
#include "core/lists.h"
#include "core/text.h"
#include "data/data.h"
#include "host/env.h"
#include "host/fs.h"

namespace tol {

namespace {

constexpr uint32_t kChunk = 512;

host::File* EntryOf(uint16_t h) {
  return Data().streams.Entry(h);
}

bool IsConsole(uint16_t h) {
  return h < 3;
}

// The failure of an open: reported against Streams with the name in the
// detail, or with OPEN_QUIET handed back as it is.
uint16_t OpenFailed(StrRef name, uint8_t flags, ErrCode code) {
  if (flags & OPEN_QUIET) return code;
  if (name.ok() && name.size()) SetDetail(0, name, true);
  Fail(M_STREAMS, code);
  return kStreamFail;
}

bool BadName(StrRef name) {
  return !name.ok() || name.size() == 0 || name.size() >= kStreamNameMax;
}

// Host open flags for a mode: "r", "w" or "a", "+" unless read-only.
unsigned HostMode(uint8_t flags) {
  unsigned update = (flags & OPEN_READONLY) ? 0u : unsigned{host::OPEN_READ};
  if (flags & OPEN_WRITE)
    return host::OPEN_WRITE | host::OPEN_CREATE | host::OPEN_TRUNCATE | update;
  if (flags & OPEN_APPEND) return host::OPEN_WRITE | host::OPEN_CREATE | host::OPEN_APPEND | update;
  return host::OPEN_READ | (update ? unsigned{host::OPEN_WRITE} : 0u);
}

bool IsOpened(uint16_t h) {
  return h < kStreamCount;
}

// A scratch item as large as a line may be; 145 when there is no room.
ErrCode PushLineBuffer(uint16_t* cap) {
  uint32_t free_bytes = Scratch().FreeBytes() & ~3u;
  *cap = static_cast<uint16_t>(std::min<uint32_t>(free_bytes, 65532));
  if (*cap == 0) return E_OUTOFMEMORY;
  return Scratch().Push(*cap);
}

// Reads into a fresh scratch item and hands it back as the one result.
StrRef ReadToScratch(uint16_t h, int64_t offset, uint16_t count) {
  if (EntryOf(h) == nullptr) return StrRef::Fail(E_BADFILENUMBER);
  ScratchMark m = Scratch().Mark();
  uint16_t cap = count;
  ErrCode e = count == kLineMode ? PushLineBuffer(&cap) : Scratch().Push(count);
  if (e) return StrRef::Fail(e);
  char* p = Scratch().TopBytes();
  uint16_t n = StreamRead(h, offset, count, p, cap);
  if (n == kStreamFail) {
    Scratch().Release(m);
    return StrRef::Fail(E_DISKIO);
  }
  return Scratch().CopyOut(m, StrRef(p, n));
}

// The folder part of a pattern (with its separator) and the name part.
void SplitPattern(std::string_view p, std::string_view* folder, std::string_view* name) {
  size_t cut = p.find_last_of("\\/");
  if (cut == std::string_view::npos && p.size() >= 2 && p[1] == ':') cut = 1;
  if (cut == std::string_view::npos) {
    *folder = std::string_view();
    *name = p;
  } else {
    *folder = p.substr(0, cut + 1);
    *name = p.substr(cut + 1);
  }
}

bool HasWildcard(std::string_view p) {
  return p.find_first_of("*?") != std::string_view::npos;
}

// What the platform's find-first tells of a name, which may hold wildcards.
struct Found {
  bool found = false;
  bool hidden = false;
  host::FileInfo info;
};

Found FindFirst(StrRef name) {
  Found r;
  if (!name.ok() || name.size() == 0) return r;
  std::string_view folder, pat;
  SplitPattern(name.view(), &folder, &pat);
  std::string path(name.view());
  std::string leaf(pat);
  if (HasWildcard(pat)) {
    std::vector<std::string> names = host::DirList(folder, pat);
    if (names.empty()) return r;
    leaf = names.front();
    path = std::string(folder) + leaf;
  }
  r.info = host::Stat(path);
  r.found = r.info.exists;
  r.hidden = !leaf.empty() && leaf[0] == '.';
  return r;
}

StrRef CopyText(const std::string& s) {
  if (s.size() > 65535) return StrRef::Fail(E_STRINGTOOLONG);
  return Copy(StrRef(s.data(), static_cast<uint16_t>(s.size())));
}

uint32_t Clamp32(int64_t v) {
  return v < 0 ? 0 : v > 0xFFFFFFFF ? 0xFFFFFFFFu : static_cast<uint32_t>(v);
}

}  // namespace

// The table.

StreamTable::~StreamTable() {
  for (uint16_t h = 3; h < kStreamCount; ++h) host::Close(files_[h]);
}

void StreamTable::Fill() {
  for (int h = 0; h < 3; ++h) files_[h] = host::ConsoleFile(h);
  for (uint16_t h = 3; h < kStreamCount; ++h) files_[h] = host::File{};
  filled_ = true;
}

host::File* StreamTable::Entry(uint16_t h) {
  if (!filled_) Fill();
  if (h >= kStreamCount || !files_[h].ok()) return nullptr;
  return &files_[h];
}

uint16_t StreamTable::FreeEntry() {
  if (!filled_) Fill();
  for (uint16_t h = 0; h < kStreamCount; ++h)
    if (!files_[h].ok()) return h;
  return kStreamCount;
}

void StreamTable::Empty(uint16_t h) {
  if (h < 3 || h >= kStreamCount) return;
  host::Close(files_[h]);
}

// Handle operations.

uint16_t StreamOpen(StrRef name, uint8_t flags) {
  if (BadName(name)) return OpenFailed(name, flags, E_DATA);
  StreamTable& t = Data().streams;
  uint16_t h = t.FreeEntry();
  if (h == kStreamCount) return OpenFailed(name, flags, E_DATAOUTBOUND);
  if (name.view() == "CON") return (flags & 0x1F) == OPEN_WRITE ? 1 : 0;
  unsigned mode = HostMode(flags);
  host::File f = host::Open(name.view(), mode);
  if (!f.ok() && !(flags & OPEN_READONLY)) {
    // Update mode does not create a missing file by itself.  The file is
    // created without emptying it, so a file that failed to open for
    // another reason keeps its content.
    host::File c = host::Open(name.view(), host::OPEN_WRITE | host::OPEN_CREATE);
    if (c.ok()) {
      host::Close(c);
      f = host::Open(name.view(), mode);
    }
  }
  if (!f.ok()) return OpenFailed(name, flags, E_FILENOTFOUND);
  t.Put(h, f);
  return h;
}

void StreamClose(uint16_t h) {
  Data().streams.Empty(h);
}

uint16_t StreamRead(uint16_t h, int64_t offset, uint16_t count, char* buf, uint16_t capacity) {
  host::File* f = EntryOf(h);
  // The console output streams cannot be read.
  if (f == nullptr || buf == nullptr || capacity == 0 || h == 1 || h == 2) return kStreamFail;
  bool line = count == kLineMode;
  if (!line && count == 0) return 0;
  if (line && capacity == kStreamFail) --capacity;  // a line's length must not read as the end
  bool console = IsConsole(h);
  int64_t start = 0;
  if (!console) {
    start = offset == STREAM_HERE ? host::Seek(*f, 0, SEEK_CUR)
            : offset < 0          ? -1
                                  : host::Seek(*f, offset, SEEK_SET);
    if (start < 0) return kStreamFail;
  }
  int64_t size = console ? kStreamFail : host::Size(*f);
  int64_t pos = start;
  uint32_t total = 0;
  bool done = false;
  while (!done && pos < size) {
    uint32_t want = (line ? capacity : std::min<uint32_t>(count, capacity)) - total;
    if (h == 0) want = 1;  // the console returns as soon as the user ends a line
    want = static_cast<uint32_t>(std::min<int64_t>({want, kChunk, size - pos}));
    if (want == 0 || total + want > capacity) break;
    int64_t got = host::Read(*f, buf + total, want);
    if (got < 0 || (got == 0 && total == 0)) break;
    if (got == 0) size = pos;  // the file ended sooner than it said
    total += static_cast<uint32_t>(got);
    pos += got;
    done = (!line && total == count) || pos >= size;
    if (!line) continue;
    const void* crp = std::memchr(buf, '\r', total);
    const void* lfp = std::memchr(buf, '\n', total);
    uint32_t cr = crp ? static_cast<uint32_t>(static_cast<const char*>(crp) - buf) : total;
    uint32_t lf = lfp ? static_cast<uint32_t>(static_cast<const char*>(lfp) - buf) : total;
    uint32_t cut = std::min(cr, lf), term = 1;
    if (cut < total) {
      if (cr < lf && lf < total && lf == cr + 1) term = 2;
      // A CR closing the chunk may have its LF in the next one.
      char next;
      if (cr == cut && cr + 1 == total && !console && pos < size &&
          host::ReadAt(*f, &next, 1, pos) == 1 && next == '\n')
        term = 2;
      if (!console) host::Seek(*f, start + cut + term, SEEK_SET);
      return static_cast<uint16_t>(cut);
    }
    if (total == 1 && buf[0] == 26) {
      total = 0;  // a lone Ctrl-Z: the file ends here
      done = false;
    }
  }
  if (done) return static_cast<uint16_t>(total);
  return total < capacity ? kStreamFail : static_cast<uint16_t>(total);
}

StrRef StreamReadLine(uint16_t h) {
  return ReadToScratch(h, STREAM_HERE, kLineMode);
}

StrRef StreamReadBlock(uint16_t h, int64_t offset, uint16_t count) {
  if (count == 0) return EntryOf(h) ? StrRef() : StrRef::Fail(E_BADFILENUMBER);
  return ReadToScratch(h, offset, count);
}

uint16_t StreamWrite(uint16_t h, int64_t offset, const void* data, uint16_t length) {
  host::File* f = EntryOf(h);
  if (f == nullptr || data == nullptr) return kStreamFail;
  if (!IsConsole(h)) {
    int64_t at = offset == STREAM_HERE ? host::Seek(*f, 0, SEEK_END)
                 : offset < 0          ? -1
                                       : host::Seek(*f, offset, SEEK_SET);
    if (at < 0) return kStreamFail;
  }
  const char* p = static_cast<const char*>(data);
  for (uint32_t done = 0; done < length;) {
    uint32_t n = std::min<uint32_t>(kChunk, length - done);
    if (host::Write(*f, p + done, n) != n) return kStreamFail;
    done += n;
  }
  return length;
}

ErrCode StreamWriteText(uint16_t h, int64_t offset, StrRef text) {
  if (!text.ok()) return text.err();
  return StreamWrite(h, offset, text.data(), text.size()) == text.size() ? E_OK : kStreamFail;
}

ErrCode StreamSeek(uint16_t h, int64_t offset) {
  host::File* f = EntryOf(h);
  if (f == nullptr) return E_BADFILENUMBER;
  if (offset == STREAM_HERE) return E_OK;
  if (offset < 0 || host::Seek(*f, offset, SEEK_SET) < 0) return E_DISKIO;
  return E_OK;
}

uint32_t StreamTell(uint16_t h) {
  host::File* f = EntryOf(h);
  if (f == nullptr || h == 0) return 0;
  return Clamp32(host::Seek(*f, 0, SEEK_CUR));
}

uint32_t StreamSize(uint16_t h) {
  host::File* f = EntryOf(h);
  if (f == nullptr || IsConsole(h)) return kStreamFail;
  int64_t n = host::Size(*f);
  return n < 0 ? kStreamFail : Clamp32(n);
}

bool StreamAtEnd(uint16_t h) {
  if (EntryOf(h) == nullptr) return true;
  return StreamTell(h) >= StreamSize(h);
}

// Whole-file operations.

uint16_t FileReadPart(StrRef name, int64_t offset, uint16_t count, char* buf, uint16_t capacity) {
  uint16_t h = StreamOpen(name, OPEN_READONLY);
  if (!IsOpened(h)) return kStreamFail;
  if (count == kToEnd) {
    int64_t left = int64_t{StreamSize(h)} - offset;
    count =
        static_cast<uint16_t>(std::clamp<int64_t>(left, 0, std::min<uint16_t>(capacity, 65534)));
  }
  uint16_t n = StreamRead(h, offset, count, buf, capacity);
  StreamClose(h);
  return n;
}

StrRef FileLoad(StrRef name, int64_t offset, uint16_t count) {
  if (offset < 0) return StrRef::Fail(E_DATA);
  uint16_t h = StreamOpen(name, OPEN_READONLY);
  if (!IsOpened(h)) return StrRef::Fail(E_FILENOTFOUND);
  host::File f = *EntryOf(h);
  int64_t n = count;
  if (count == kToEnd) n = std::max<int64_t>(0, host::Size(f) - offset);
  StrRef r;
  if (n > 65535) {
    r = StrRef::Fail(E_STRINGTOOLONG);
  } else if (n > 0 && Scratch().FreeBytes() < n) {
    r = StrRef::Fail(E_OUTOFMEMORY);
  } else if (n > 0) {
    ScratchMark m = Scratch().Mark();
    ErrCode e = Scratch().Push(static_cast<uint16_t>(n));
    if (e) {
      r = StrRef::Fail(e);
    } else if (host::ReadAt(f, Scratch().TopBytes(), n, offset) != n) {
      Scratch().Release(m);
      r = StrRef::Fail(E_NOTFOUND);
    } else {
      r = Scratch().Top();
    }
  }
  StreamClose(h);
  return r;
}

StrRef FileLoadText(StrRef name, StrRef separator) {
  ScratchMark m = Scratch().Mark();
  StrRef t = ReplaceAll(ReplaceAll(FileLoad(name), "\r\n", separator), "\n", separator);
  return Scratch().CopyOut(m, t);
}

uint16_t FileStore(StrRef name, int64_t offset, const void* data, uint16_t length) {
  if (length == 0 || data == nullptr) return kStreamFail;
  if (offset == STREAM_REPLACE) {
    // The new content goes in whole or not at all: deleting first and then
    // failing to write would lose the file.
    if (BadName(name)) return OpenFailed(name, 0, E_DATA);
    if (!host::WriteAll(name.view(), std::string_view(static_cast<const char*>(data), length)))
      return OpenFailed(name, 0, E_FILENOTFOUND);
    return length;
  }
  uint16_t h = StreamOpen(name, OPEN_UPDATE);
  if (!IsOpened(h)) return kStreamFail;
  uint16_t n = StreamWrite(h, offset, data, length);
  StreamClose(h);
  return n;
}

ErrCode FileStoreChecked(StrRef name, int64_t offset, const void* data, uint16_t length) {
  return FileStore(name, offset, data, length) == length ? E_OK : E_FILEIO;
}

uint32_t FileSize(StrRef name) {
  uint16_t h = StreamOpen(name, OPEN_READONLY);
  if (!IsOpened(h)) return 0;
  uint32_t n = StreamSize(h);
  StreamClose(h);
  return n;
}

uint16_t FileDelete(StrRef name) {
  return name.ok() && host::Remove(name.view()) ? 0 : kStreamFail;
}

uint16_t FileRename(StrRef from, StrRef to) {
  return from.ok() && to.ok() && host::Rename(from.view(), to.view()) ? 0 : kStreamFail;
}

// File-system operations.

StrRef EnvValue(StrRef name) {
  if (!name.ok()) return name;
  if (name.size() == 0) return StrRef();
  return CopyText(host::GetEnv(name.view()));
}

uint16_t DirChange(StrRef path) {
  return path.ok() && host::ChangeDir(path.view()) ? 0 : kStreamFail;
}

uint16_t DirMake(StrRef path) {
  return path.ok() && host::MakeDir(path.view()) ? 0 : kStreamFail;
}

StrRef DirCurrent() {
  std::string d = host::CurrentDir();
  if (d.size() >= kStreamNameMax) return StrRef();
  return CopyText(d);
}

StrRef DirList(StrRef pattern) {
  if (!pattern.ok()) return pattern;
  if (pattern.size() == 0) return StrRef::Fail(E_FILENOTFOUND);
  std::string_view folder, pat;
  SplitPattern(pattern.view(), &folder, &pat);
  std::vector<std::string> names = host::DirList(folder, pat);
  if (names.empty()) return StrRef::Fail(E_FILENOTFOUND);
  uint32_t total = static_cast<uint32_t>(names.size()) - 1;
  for (const std::string& n : names) total += static_cast<uint32_t>(n.size());
  if (total > 65535 || total > Scratch().FreeBytes()) return StrRef::Fail(E_OUTOFMEMORY);
  ErrCode e = Scratch().Push(static_cast<uint16_t>(total));
  if (e) return StrRef::Fail(e);
  char* p = Scratch().TopBytes();
  for (size_t i = 0; i < names.size(); ++i) {
    if (i) *p++ = '\0';
    std::memcpy(p, names[i].data(), names[i].size());
    p += names[i].size();
  }
  return Scratch().Top();
}

ErrCode FileExists(StrRef name) {
  return FindFirst(name).found ? E_OK : E_FILENOTFOUND;
}

uint32_t FileFoundSize(StrRef name) {
  Found f = FindFirst(name);
  return f.found ? Clamp32(f.info.size) : 0;
}

uint32_t FileAttributes(StrRef name) {
  Found f = FindFirst(name);
  if (!f.found) return E_FILENOTFOUND;
  uint32_t bits = f.info.dir ? 0x10 : 0x20;
  if (f.info.readonly) bits |= 0x01;
  if (f.hidden) bits |= 0x02;
  return bits;
}

int32_t FileTime(StrRef name, uint8_t which, uint8_t form) {
  Found f = FindFirst(name);
  if (!f.found || which > FILETIME_WRITTEN || form > 1) return 0;
  int64_t t = which == FILETIME_CREATED    ? f.info.btime
              : which == FILETIME_ACCESSED ? f.info.atime
                                           : f.info.mtime;
  if (t < 0) return 0;
  host::LocalTime lt = host::LocalTimeOf(t);
  if (form == 0) return lt.hour * 3600000 + lt.minute * 60000 + lt.second * 1000;
  return lt.year * 10000 + lt.month * 100 + lt.day;
}

StrRef TempName() {
  std::string full = host::TempName(host::GetEnv("TEMP"), "TOL");
  size_t cut = full.find_last_of("\\/:");
  std::string name = cut == std::string::npos ? full : full.substr(cut + 1);
  name.erase(std::remove(name.begin(), name.end(), '.'), name.end());
  return CopyText(name);
}

StrRef TempFile(StrRef extension) {
  if (!extension.ok()) return extension;
  ScratchMark m = Scratch().Mark();
  StrRef name = TempName();
  if (extension.size()) name = Concat(Concat(name, "."), extension);
  if (name.ok()) {
    std::string folder = host::GetEnv("TEMP");
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
    host::Remove(folder + std::string(name.view()));
  }
  return Scratch().CopyOut(m, name);
}

StrRef PathSlashes(StrRef path) {
  return Translate(path, "/", "\\");
}

StrRef DataFileExtension(uint8_t kind) {
  static constexpr StrRef kKinds(",FD,DIR,NDX,TMP,TXT");
  uint8_t k = kind & 0x7F;
  if (k < 1 || k > 6) return StrRef();
  StrRef ext = ListItem(kKinds, ',', k);
  return (kind & 0x80) ? Lower(ext) : ext;
}

}  // namespace tol
