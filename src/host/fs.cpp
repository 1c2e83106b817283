// Files and folders of the host by runtime path: descriptors, positioned
// transfers, file information, atomic replacement, folder listings and
// temporary names.
#include "host/fs.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>

#include "host/path.h"

namespace tol::host {

namespace {

// The host form of a runtime path; false for a name no file can have.
bool ToHost(std::string_view path, std::string* out) {
  if (path.empty() || path.find('\0') != std::string_view::npos) return false;
  *out = HostPath(path);
  return true;
}

int64_t WriteFd(int fd, const char* p, int64_t n) {
  int64_t done = 0;
  while (done < n) {
    ssize_t w = write(fd, p + done, static_cast<size_t>(n - done));
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return -1;
    done += w;
  }
  return done;
}

// Folder part of a host path ("" for the current folder).
std::string HostFolder(const std::string& h) {
  size_t slash = h.find_last_of('/');
  if (slash == std::string::npos) return std::string();
  return h.substr(0, slash + 1);
}

// A name beside host path h that does not exist yet.
std::string TempBeside(const std::string& h) {
  std::string dir = HostFolder(h);
  for (unsigned k = 0;; ++k) {
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    char tail[48];
    std::snprintf(tail, sizeof(tail), ".tol%x%lx%x.tmp", static_cast<unsigned>(getpid()),
                  static_cast<unsigned long>(ts.tv_nsec), k);
    std::string c = dir + tail;
    struct stat st;
    if (lstat(c.c_str(), &st) != 0) return c;
  }
}

// Writes bytes to a fresh file beside h and renames it over h; the mode of
// an existing target is kept.
bool ReplaceHost(const std::string& h, std::string_view bytes, int source_fd = -1) {
  std::string tmp = TempBeside(h);
  mode_t mode = 0666;
  struct stat st;
  bool keep_mode = stat(h.c_str(), &st) == 0;
  int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) return false;
  bool ok = true;
  if (source_fd >= 0) {
    char buf[65536];
    for (;;) {
      ssize_t r = read(source_fd, buf, sizeof(buf));
      if (r < 0 && errno == EINTR) continue;
      if (r < 0) ok = false;
      if (r <= 0) break;
      if (WriteFd(fd, buf, r) != r) {
        ok = false;
        break;
      }
    }
  } else {
    ok = WriteFd(fd, bytes.data(), static_cast<int64_t>(bytes.size())) ==
         static_cast<int64_t>(bytes.size());
  }
  if (ok && keep_mode) fchmod(fd, st.st_mode & 07777);
  ok = ok && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  if (ok && rename(tmp.c_str(), h.c_str()) == 0) return true;
  unlink(tmp.c_str());
  return false;
}

}  // namespace

File Open(std::string_view path, unsigned flags, int* err) {
  std::string h;
  if (!ToHost(path, &h)) {
    if (err) *err = EINVAL;
    return File{};
  }
  int o = O_CLOEXEC;
  bool rd = flags & OPEN_READ, wr = flags & (OPEN_WRITE | OPEN_APPEND);
  o |= rd && wr ? O_RDWR : wr ? O_WRONLY : O_RDONLY;
  if (flags & OPEN_CREATE) o |= O_CREAT;
  if (flags & OPEN_TRUNCATE) o |= O_TRUNC;
  if (flags & OPEN_APPEND) o |= O_APPEND;
  if (flags & OPEN_EXCL) o |= O_CREAT | O_EXCL;
  int fd;
  do {
    fd = open(h.c_str(), o, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd >= 0 && fd <= 2) {
    // With a console stream closed the file would take its number and
    // receive console output; it gets a number above them instead.
    int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
    int saved = errno;
    close(fd);
    fd = moved;
    errno = saved;
  }
  if (fd >= 0) {
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
      close(fd);
      if (err) *err = EISDIR;
      return File{};
    }
  } else if (err) {
    *err = errno;
  }
  return File{fd};
}

void Close(File& f) {
  if (f.fd > 2) close(f.fd);
  f.fd = -1;
}

int64_t Read(File f, void* buf, int64_t n) {
  char* p = static_cast<char*>(buf);
  int64_t done = 0;
  while (done < n) {
    ssize_t r = read(f.fd, p + done, static_cast<size_t>(n - done));
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return done ? done : -1;
    if (r == 0) break;
    done += r;
  }
  return done;
}

int64_t ReadAt(File f, void* buf, int64_t n, int64_t offset) {
  char* p = static_cast<char*>(buf);
  int64_t done = 0;
  while (done < n) {
    ssize_t r = pread(f.fd, p + done, static_cast<size_t>(n - done), offset + done);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return done ? done : -1;
    if (r == 0) break;
    done += r;
  }
  return done;
}

int64_t Write(File f, const void* buf, int64_t n) {
  return WriteFd(f.fd, static_cast<const char*>(buf), n);
}

int64_t WriteAt(File f, const void* buf, int64_t n, int64_t offset) {
  const char* p = static_cast<const char*>(buf);
  int64_t done = 0;
  while (done < n) {
    ssize_t w = pwrite(f.fd, p + done, static_cast<size_t>(n - done), offset + done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return -1;
    done += w;
  }
  return done;
}

int64_t Seek(File f, int64_t offset, int whence) {
  return lseek(f.fd, offset, whence);
}

int64_t Size(File f) {
  struct stat st;
  return fstat(f.fd, &st) == 0 ? st.st_size : -1;
}

bool Truncate(File f, int64_t size) {
  return size >= 0 && ftruncate(f.fd, size) == 0;
}

bool Sync(File f) {
  return fsync(f.fd) == 0;
}

FileInfo Stat(std::string_view path) {
  FileInfo info;
  std::string h;
  struct statx sx;
  if (!ToHost(path, &h) || statx(AT_FDCWD, h.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0)
    return info;
  info.exists = true;
  info.dir = S_ISDIR(sx.stx_mode);
  info.readonly = (sx.stx_mode & 0222) == 0;
  info.size = static_cast<int64_t>(sx.stx_size);
  info.mtime = sx.stx_mtime.tv_sec;
  info.atime = sx.stx_atime.tv_sec;
  info.btime = (sx.stx_mask & STATX_BTIME) ? sx.stx_btime.tv_sec : info.mtime;
  return info;
}

bool Exists(std::string_view path) {
  return Stat(path).exists;
}

bool IsDir(std::string_view path) {
  return Stat(path).dir;
}

int64_t FileSize(std::string_view path) {
  FileInfo i = Stat(path);
  return i.exists ? i.size : -1;
}

bool SetTimes(std::string_view path, int64_t mtime) {
  std::string h;
  if (!ToHost(path, &h)) return false;
  struct timespec ts[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(mtime), 0}};
  return utimensat(AT_FDCWD, h.c_str(), ts, 0) == 0;
}

bool Remove(std::string_view path) {
  std::string h;
  return ToHost(path, &h) && unlink(h.c_str()) == 0;
}

bool Rename(std::string_view from, std::string_view to) {
  std::string hf, ht;
  if (!ToHost(from, &hf) || !ToHost(to, &ht)) return false;
  // A change of case only: the target resolves to the source itself, so
  // the new name is spelled as given beside it.
  if (hf == ht) {
    size_t cut = to.find_last_of("\\/:");
    std::string name = Cp1252ToUtf8(cut == std::string_view::npos ? to : to.substr(cut + 1));
    ht = HostFolder(hf) + name;
    if (hf == ht) return true;
  }
  return rename(hf.c_str(), ht.c_str()) == 0;
}

bool MakeDir(std::string_view path) {
  std::string h;
  return ToHost(path, &h) && mkdir(h.c_str(), 0777) == 0;
}

bool RemoveDir(std::string_view path) {
  std::string h;
  return ToHost(path, &h) && rmdir(h.c_str()) == 0;
}

bool CopyFile(std::string_view from, std::string_view to) {
  File src = Open(from, OPEN_READ);
  std::string ht;
  if (!src.ok()) return false;
  bool ok = ToHost(to, &ht) && ReplaceHost(ht, {}, src.fd);
  Close(src);
  return ok;
}

std::vector<std::string> DirList(std::string_view folder, std::string_view pattern) {
  std::vector<std::string> names;
  std::string h;
  if (folder.empty())
    h = ".";
  else if (!ToHost(folder, &h))
    return names;
  DIR* d = opendir(h.c_str());
  if (d == nullptr) return names;
  if (pattern.empty()) pattern = "*";
  while (dirent* e = readdir(d)) {
    std::string_view n = e->d_name;
    if (n == "." || n == "..") continue;
    std::string c = Utf8ToCp1252(n);
    if (MatchPattern(pattern, c)) names.push_back(std::move(c));
  }
  closedir(d);
  std::sort(names.begin(), names.end());
  return names;
}

bool ReadAll(std::string_view path, std::string* out) {
  File f = Open(path, OPEN_READ);
  if (!f.ok()) return false;
  out->clear();
  char buf[65536];
  bool ok = true;
  for (;;) {
    int64_t r = Read(f, buf, sizeof(buf));
    if (r < 0) ok = false;
    if (r <= 0) break;
    out->append(buf, static_cast<size_t>(r));
  }
  Close(f);
  return ok;
}

bool WriteAll(std::string_view path, std::string_view bytes) {
  std::string h;
  return ToHost(path, &h) && ReplaceHost(h, bytes);
}

bool AppendAll(std::string_view path, std::string_view bytes) {
  File f = Open(path, OPEN_WRITE | OPEN_CREATE | OPEN_APPEND);
  if (!f.ok()) return false;
  bool ok = Write(f, bytes.data(), static_cast<int64_t>(bytes.size())) ==
            static_cast<int64_t>(bytes.size());
  Close(f);
  return ok;
}

std::string CurrentDir() {
  char buf[PATH_MAX];
  if (getcwd(buf, sizeof(buf)) == nullptr) return std::string();
  return RuntimePath(buf);
}

bool ChangeDir(std::string_view path) {
  std::string h;
  return ToHost(path, &h) && chdir(h.c_str()) == 0;
}

std::string TempName(std::string_view folder, std::string_view prefix) {
  static const char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::string base(folder);
  if (!base.empty() && base.back() != '\\' && base.back() != '/' && base.back() != ':')
    base += '\\';
  struct timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  uint64_t seed = (static_cast<uint64_t>(ts.tv_nsec) << 20) ^ static_cast<uint64_t>(getpid()) ^
                  (static_cast<uint64_t>(ts.tv_sec) << 40);
  for (;;) {
    seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
    std::string name(prefix);
    uint64_t v = seed >> 16;
    for (int k = 0; k < 6; ++k, v /= 36) name += kDigits[v % 36];
    std::string full = base + name;
    if (!Exists(full)) return full;
  }
}

}  // namespace tol::host
