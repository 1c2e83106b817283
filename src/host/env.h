// Environment, program location, command line and clock of the host.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tol::host {

// An environment variable in CP1252; unset Windows variables fall back to
// their Linux counterparts (TEMP to TMPDIR or /tmp, USERPROFILE and HOMEPATH
// to HOME, APPDATA to XDG_DATA_HOME or ~/.local/share).  Empty when unset.
// Names are looked up with their exact case first, then without regard to
// case, as on Windows.  A variable set to the empty text counts as unset.
std::string GetEnv(std::string_view name);
// Whether the variable itself is set, perhaps to the empty text (fallbacks
// not counted).
bool HasEnv(std::string_view name);

// The program file (from /proc/self/exe) in runtime form.
std::string ProgramPath();

// The one command-line text the runtime sees: program path first, then the
// arguments joined by one blank.  An option value holding a blank or a
// character that ends a value (":", "/", "&") is wrapped in double quotes,
// unless the user already quoted it; a value holding a double quote is
// wrapped in apostrophes instead.  A non-option argument holding a blank is
// quoted whole.  argv is UTF-8, the result CP1252.
std::string CommandLineFromArgv(int argc, const char* const* argv);

struct LocalTime {
  int year, month, day, hour, minute, second, millis;
  int weekday;  // 0 Sunday
};
LocalTime Now();
// The local time of a moment given in seconds since the epoch.
LocalTime LocalTimeOf(int64_t seconds);
int64_t MonotonicMillis();
void SleepMillis(int ms);

}  // namespace tol::host
