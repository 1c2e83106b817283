// Environment variables with their Windows fallbacks, the program's own
// path, the command line built from argv, and the clock.
#include "host/env.h"

#include <time.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "host/path.h"

extern char** environ;

namespace tol::host {

namespace {

// The raw value: exact name first, then any case.
const char* Lookup(std::string_view name) {
  std::string n(name);
  if (const char* v = std::getenv(n.c_str())) return v;
  for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
    const char* eq = std::strchr(*e, '=');
    if (eq == nullptr) continue;
    if (EqualNoCase(std::string_view(*e, eq - *e), name)) return eq + 1;
  }
  return nullptr;
}

std::string Set(const char* v) {
  return v != nullptr && *v != '\0' ? std::string(v) : std::string();
}

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = FoldCase(c);
  return out;
}

// The Linux stand-in for an unset Windows variable, in runtime form.
std::string Fallback(std::string_view name) {
  std::string up = Upper(name);
  std::string host;
  if (up == "TEMP" || up == "TMP") {
    host = Set(std::getenv("TMPDIR"));
    if (host.empty()) host = "/tmp";
  } else if (up == "USERPROFILE" || up == "HOMEPATH") {
    host = Set(std::getenv("HOME"));
  } else if (up == "APPDATA") {
    host = Set(std::getenv("XDG_DATA_HOME"));
    std::string home = Set(std::getenv("HOME"));
    if (host.empty() && !home.empty()) host = home + "/.local/share";
  }
  return host.empty() ? host : RuntimePath(host);
}

bool EndsValue(char c) {
  return c == ' ' || c == '\t' || c == ':' || c == '/' || c == '&';
}

// Where the value of an option argument begins ("/NAME=", "-NAME:",
// "--NAME=" ...), or npos when the argument is not one.
size_t ValueStart(std::string_view a) {
  size_t i = 0;
  if (a.substr(0, 2) == "--")
    i = 2;
  else if (!a.empty() && (a[0] == '/' || a[0] == '-'))
    i = 1;
  else
    return std::string_view::npos;
  size_t name = i;
  while (i < a.size() && (std::isalnum(static_cast<unsigned char>(a[i])) || a[i] == '_')) ++i;
  if (i == name || i >= a.size() || (a[i] != '=' && a[i] != ':')) return std::string_view::npos;
  return i + 1;
}

// Quotes text the way a Windows shell passes it: double quotes, or
// apostrophes when the text holds a double quote (the runtime's option
// scanner honours both).
std::string Quoted(std::string_view text) {
  char q = text.find('"') != std::string_view::npos && text.find('\'') == std::string_view::npos
               ? '\''
               : '"';
  std::string out(1, q);
  out += text;
  out += q;
  return out;
}

std::string Argument(std::string_view a) {
  if (a.empty()) return "\"\"";
  size_t v = ValueStart(a);
  if (v != std::string_view::npos) {
    std::string_view value = a.substr(v);
    if (value.empty() || value[0] == '"' || value[0] == '\'') return std::string(a);
    for (char c : value)
      if (EndsValue(c)) return std::string(a.substr(0, v)) + Quoted(value);
    return std::string(a);
  }
  if (a[0] != '"' && a[0] != '\'' && a.find_first_of(" \t") != std::string_view::npos)
    return Quoted(a);
  return std::string(a);
}

LocalTime FromTm(const struct tm& t, int millis) {
  return LocalTime{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour,
                   t.tm_min,         t.tm_sec,     millis,    t.tm_wday};
}

}  // namespace

std::string GetEnv(std::string_view name) {
  if (name.empty() || name.find('=') != std::string_view::npos) return std::string();
  std::string v = Set(Lookup(name));
  return v.empty() ? Fallback(name) : Utf8ToCp1252(v);
}

bool HasEnv(std::string_view name) {
  return !name.empty() && name.find('=') == std::string_view::npos && Lookup(name) != nullptr;
}

std::string ProgramPath() {
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
  if (n <= 0) return std::string();
  return RuntimePath(std::string_view(buf, static_cast<size_t>(n)));
}

std::string CommandLineFromArgv(int argc, const char* const* argv) {
  std::string prog = ProgramPath();
  if (prog.empty() && argc > 0 && argv != nullptr && argv[0] != nullptr)
    prog = RuntimePath(argv[0]);
  std::string out = prog.find_first_of(" \t") != std::string::npos ? Quoted(prog) : prog;
  for (int i = 1; argv != nullptr && i < argc; ++i) {
    if (argv[i] == nullptr) break;
    out += ' ';
    out += Argument(Utf8ToCp1252(argv[i]));
  }
  return out;
}

LocalTime Now() {
  struct timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  struct tm t;
  localtime_r(&ts.tv_sec, &t);
  return FromTm(t, static_cast<int>(ts.tv_nsec / 1000000));
}

LocalTime LocalTimeOf(int64_t seconds) {
  time_t s = static_cast<time_t>(seconds);
  struct tm t;
  if (localtime_r(&s, &t) == nullptr) return LocalTime{};
  return FromTm(t, 0);
}

int64_t MonotonicMillis() {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t{ts.tv_sec} * 1000 + ts.tv_nsec / 1000000;
}

void SleepMillis(int ms) {
  if (ms <= 0) return;
  struct timespec left {
    ms / 1000, (ms % 1000) * 1000000L
  };
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

}  // namespace tol::host
