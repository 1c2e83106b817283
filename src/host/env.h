// Environment, program location, command line and clock of the host.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tol::host {

// An environment variable in CP1252; unset Windows variables fall back to
// their Linux counterparts (TEMP to TMPDIR or /tmp, USERPROFILE and HOMEPATH
// to HOME, APPDATA to XDG_DATA_HOME or ~/.local/share).  Empty when unset.
std::string GetEnv(std::string_view name);
bool HasEnv(std::string_view name);

// The program file (from /proc/self/exe) in runtime form.
std::string ProgramPath();

// The one command-line text the runtime sees: program path first, then the
// arguments joined by one blank.  An option value holding a blank or a
// character that ends a value (":", "/", "&") is wrapped in double quotes,
// unless the user already quoted it.
std::string CommandLineFromArgv(int argc, const char* const* argv);

struct LocalTime {
  int year, month, day, hour, minute, second, millis;
  int weekday;  // 0 Sunday
};
LocalTime Now();
int64_t MonotonicMillis();
void SleepMillis(int ms);

}  // namespace tol::host
