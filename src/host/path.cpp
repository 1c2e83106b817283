// Mapping of runtime paths (Windows form, CP1252) to host paths (POSIX,
// UTF-8) and back, with the case-insensitive name lookup that Windows
// programs expect of their file system.
#include "host/path.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace tol::host {

namespace {

// Code points of CP1252 bytes 0x80-0x9F.  The five unassigned bytes map to
// the C1 control with their own number, so every byte survives a round trip.
const uint16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                            0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void PutUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// The CP1252 byte of a code point, or -1 when the code page has none.
int ByteOf(uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] == cp) return 0x80 + i;
  return -1;
}

// Length of the valid UTF-8 sequence at s[i] and its code point; 0 when the
// bytes there are not one.
size_t DecodeUtf8(std::string_view s, size_t i, uint32_t* cp) {
  uint8_t b = static_cast<uint8_t>(s[i]);
  size_t len;
  uint32_t v, min;
  if (b >= 0xC2 && b <= 0xDF) {
    len = 2, v = b & 0x1F, min = 0x80;
  } else if (b >= 0xE0 && b <= 0xEF) {
    len = 3, v = b & 0x0F, min = 0x800;
  } else if (b >= 0xF0 && b <= 0xF4) {
    len = 4, v = b & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  for (size_t k = 1; k < len; ++k) {
    uint8_t c = static_cast<uint8_t>(s[i + k]);
    if ((c & 0xC0) != 0x80) return 0;
    v = (v << 6) | (c & 0x3F);
  }
  if (v < min || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return 0;
  *cp = v;
  return len;
}

// CP1252 form of a name on disk; *lossy tells whether a character had no
// CP1252 byte (such a name cannot be asked for by the runtime).
std::string ToCp1252(std::string_view utf8, bool* lossy) {
  std::string out;
  out.reserve(utf8.size());
  *lossy = false;
  for (size_t i = 0; i < utf8.size();) {
    uint8_t b = static_cast<uint8_t>(utf8[i]);
    if (b < 0x80) {
      out += static_cast<char>(b);
      ++i;
      continue;
    }
    uint32_t cp = 0;
    size_t len = DecodeUtf8(utf8, i, &cp);
    if (len == 0) {
      out += static_cast<char>(b);
      ++i;
      continue;
    }
    int byte = ByteOf(cp);
    if (byte < 0) *lossy = true;
    out += byte < 0 ? '?' : static_cast<char>(byte);
    i += len;
  }
  return out;
}

bool IsSep(char c) {
  return c == '\\' || c == '/';
}

std::string JoinHost(const std::string& folder, std::string_view name) {
  if (folder.empty()) return std::string(name);
  std::string out = folder;
  if (out.back() != '/') out += '/';
  out += name;
  return out;
}

bool NameExists(const std::string& p) {
  struct stat st;
  return lstat(p.c_str(), &st) == 0;
}

// The first entry of folder, in byte order, whose CP1252 name equals name
// without regard to case; empty when none does.
std::string FindNoCase(const std::string& folder, std::string_view name) {
  DIR* d = opendir(folder.empty() ? "." : folder.c_str());
  if (d == nullptr) return std::string();
  std::string best;
  while (dirent* e = readdir(d)) {
    std::string_view n = e->d_name;
    if (n == "." || n == "..") continue;
    bool lossy;
    std::string c = ToCp1252(n, &lossy);
    if (lossy || !EqualNoCase(c, name)) continue;
    if (best.empty() || n < best) best = std::string(n);
  }
  closedir(d);
  return best;
}

// The folder a drive letter stands for, "" when no variable names one.
std::string DriveFolder(char letter) {
  char var[] = "TOLVINA_DRIVE_X";
  var[sizeof(var) - 2] = static_cast<char>(FoldCase(letter));
  const char* v = std::getenv(var);
  return v != nullptr ? std::string(v) : std::string();
}

bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool MatchFrom(std::string_view p, std::string_view n) {
  size_t pi = 0, ni = 0, star = std::string_view::npos, back = 0;
  while (ni < n.size()) {
    if (pi < p.size() && p[pi] == '*') {
      star = pi++;
      back = ni;
    } else if (pi < p.size() && (p[pi] == '?' || FoldCase(p[pi]) == FoldCase(n[ni]))) {
      ++pi, ++ni;
    } else if (star != std::string_view::npos) {
      pi = star + 1;
      ni = ++back;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}

}  // namespace

char FoldCase(char ch) {
  uint8_t c = static_cast<uint8_t>(ch);
  if (c >= 'a' && c <= 'z') return static_cast<char>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char>(c - 32);
  switch (c) {
    case 0x9A:
    case 0x9C:
    case 0x9E:
      return static_cast<char>(c - 0x10);
    case 0xFF:
      return static_cast<char>(0x9F);
    default:
      return ch;
  }
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  return true;
}

bool MatchPattern(std::string_view pattern, std::string_view name) {
  if (MatchFrom(pattern, name)) return true;
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
      name.find('.') == std::string_view::npos)
    return MatchFrom(pattern.substr(0, pattern.size() - 2), name);
  return false;
}

std::string Cp1252ToUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size() + s.size() / 4);
  for (char ch : s) {
    uint8_t c = static_cast<uint8_t>(ch);
    if (c >= 0x80 && c < 0xA0)
      PutUtf8(out, kHigh[c - 0x80]);
    else
      PutUtf8(out, c);
  }
  return out;
}

std::string Utf8ToCp1252(std::string_view s) {
  bool lossy;
  return ToCp1252(s, &lossy);
}

std::string HostPath(std::string_view rp) {
  std::string out;
  std::string_view rest = rp;
  if (rp.size() >= 2 && rp[1] == ':' && IsAsciiLetter(rp[0])) {
    out = DriveFolder(rp[0]);
    if (out.empty()) out.assign(1, '/');
    rest = rp.substr(2);
  } else if (!rest.empty() && IsSep(rest[0])) {
    out.assign(1, '/');
  }
  // Once a component is missing nothing below it can exist, so the rest
  // keeps the case it is given.
  bool walking = true;
  size_t i = 0;
  while (i < rest.size()) {
    if (IsSep(rest[i])) {
      ++i;
      continue;
    }
    size_t j = i;
    while (j < rest.size() && !IsSep(rest[j])) ++j;
    std::string_view comp = rest.substr(i, j - i);
    std::string u = Cp1252ToUtf8(comp);
    if (walking && comp != "." && comp != "..") {
      std::string exact = JoinHost(out, u);
      if (NameExists(exact)) {
        out = std::move(exact);
      } else if (std::string m = FindNoCase(out, comp); !m.empty()) {
        out = JoinHost(out, m);
      } else {
        walking = false;
        out = std::move(exact);
      }
    } else {
      out = JoinHost(out, u);
    }
    i = j;
  }
  if (!rest.empty() && IsSep(rest.back()) && !out.empty() && out.back() != '/') out += '/';
  return out;
}

std::string RuntimePath(std::string_view hp) {
  std::string prefix;
  std::string_view rest = hp;
  if (!hp.empty() && hp[0] == '/') {
    size_t best = 0;
    for (char d = 'A'; d <= 'Z'; ++d) {
      std::string f = DriveFolder(d);
      if (f.empty() || f[0] != '/') continue;
      while (f.size() > 1 && f.back() == '/') f.pop_back();
      size_t len = f == "/" ? 0 : f.size();
      bool inside = hp.substr(0, len) == std::string_view(f).substr(0, len) &&
                    (hp.size() == len || hp[len] == '/');
      if (inside && (prefix.empty() || len + 1 > best)) {
        best = len + 1;
        prefix = std::string(1, d) + ":";
        rest = hp.substr(len);
      }
    }
    if (!prefix.empty() && rest.empty()) rest = "/";
  }
  std::string out = prefix + Utf8ToCp1252(rest);
  std::replace(out.begin(), out.end(), '/', '\\');
  return out;
}

}  // namespace tol::host
