// Environment fallbacks, the command line built from argv, the program
// path and the clock.
#include "host/env.h"

#include <gtest/gtest.h>
#include <time.h>

#include <vector>

#include "support/host_temp.h"

namespace tol::host {
namespace {

using testing::EnvGuard;

TEST(Env, WindowsVariablesFallBackToLinuxOnes) {
  EnvGuard env;
  for (const char* n :
       {"TEMP", "TMP", "USERPROFILE", "HOMEPATH", "APPDATA", "XDG_DATA_HOME", "TOLVINA_DRIVE_C"})
    env.Set(n, nullptr);
  env.Set("TMPDIR", "/var/tmp/x");
  env.Set("HOME", "/home/ana");
  EXPECT_EQ(GetEnv("TEMP"), "\\var\\tmp\\x");
  EXPECT_EQ(GetEnv("temp"), "\\var\\tmp\\x");
  EXPECT_EQ(GetEnv("USERPROFILE"), "\\home\\ana");
  EXPECT_EQ(GetEnv("HOMEPATH"), "\\home\\ana");
  EXPECT_EQ(GetEnv("APPDATA"), "\\home\\ana\\.local\\share");
  EXPECT_FALSE(HasEnv("TEMP"));  // fallbacks do not make a variable set

  env.Set("TMPDIR", "");  // empty counts as unset
  env.Set("XDG_DATA_HOME", "/data");
  EXPECT_EQ(GetEnv("TEMP"), "\\tmp");
  EXPECT_EQ(GetEnv("APPDATA"), "\\data");

  env.Set("TOLVINA_DRIVE_C", "/");  // the drive comes back in runtime form
  EXPECT_EQ(GetEnv("TEMP"), "C:\\tmp");

  env.Set("TEMP", "D:\\Temp");  // a set variable wins and is taken as it is
  EXPECT_EQ(GetEnv("TEMP"), "D:\\Temp");
  env.Set("HOME", nullptr);
  EXPECT_EQ(GetEnv("USERPROFILE"), "");
  EXPECT_EQ(GetEnv("SystemRoot"), "");
}

TEST(Env, LookupIgnoresCaseAfterExactAndConvertsToCp1252) {
  EnvGuard env;
  env.Set("TolvinaMixed", "a\xC3\xB1o");
  env.Set("TOLVINAMIXED", nullptr);
  EXPECT_EQ(GetEnv("TolvinaMixed"), "a\xF1o");
  EXPECT_EQ(GetEnv("TOLVINAMIXED"), "a\xF1o");
  EXPECT_TRUE(HasEnv("tolvinamixed"));
  env.Set("TOLVINAMIXED", "exact");
  EXPECT_EQ(GetEnv("TOLVINAMIXED"), "exact");
  EXPECT_EQ(GetEnv(""), "");
  EXPECT_EQ(GetEnv("A=B"), "");
}

TEST(CommandLine, OptionValuesQuotedAsAWindowsShellWould) {
  struct Case {
    std::vector<const char*> args;
    const char* line;
  } cases[] = {
      {{}, ""},
      {{"/RUN=ExpEval A=1"}, " /RUN=\"ExpEval A=1\""},
      {{"/DPATH=/srv/shop/apps"}, " /DPATH=\"/srv/shop/apps\""},
      {{"--DPATH=/srv/apps", "-apname=xy"}, " --DPATH=\"/srv/apps\" -apname=xy"},
      {{"/APNAME:AB&C"}, " /APNAME:\"AB&C\""},
      {{"/INPUT=C:x"}, " /INPUT=\"C:x\""},
      {{"/DPATH=\"/srv/apps\""}, " /DPATH=\"/srv/apps\""},  // already quoted
      {{"/RUN='a b'"}, " /RUN='a b'"},
      {{"/RUN=ExpEval A$=\"x y\""}, " /RUN='ExpEval A$=\"x y\"'"},  // holds a double quote
      {{"/APNAME="}, " /APNAME="},
      {{"/TRACE=3"}, " /TRACE=3"},
      {{"my file.txt", "plain"}, " \"my file.txt\" plain"},
      {{"/srv/a b"}, " \"/srv/a b\""},  // a path, not an option
      {{"/APNAME=Espa\xC3\xB1"
        "a"},
       " /APNAME=Espa\xF1"
       "a"},
      {{"-5", ""}, " -5 \"\""},
  };
  std::string prog = ProgramPath();
  for (const Case& c : cases) {
    std::vector<const char*> argv = {"tolvina"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    EXPECT_EQ(CommandLineFromArgv(static_cast<int>(argv.size()), argv.data()), prog + c.line)
        << c.line;
  }
}

TEST(Env, ProgramPathIsThisProgramInRuntimeForm) {
  std::string p = ProgramPath();
  ASSERT_GT(p.size(), 9u);
  EXPECT_EQ(p[0], '\\');
  EXPECT_EQ(p.substr(p.size() - 9), "test_host");
}

TEST(Clock, LocalTimeAndMonotonicMillis) {
  EnvGuard env;
  env.Set("TZ", "UTC");
  tzset();
  LocalTime t = LocalTimeOf(86400 * 365 + 3600 * 13 + 61);  // 1971-01-01 13:01:01, a Friday
  EXPECT_EQ(t.year, 1971);
  EXPECT_EQ(t.month, 1);
  EXPECT_EQ(t.day, 1);
  EXPECT_EQ(t.hour, 13);
  EXPECT_EQ(t.minute, 1);
  EXPECT_EQ(t.second, 1);
  EXPECT_EQ(t.weekday, 5);
  LocalTime n = Now();
  EXPECT_GE(n.year, 2024);
  EXPECT_LT(n.millis, 1000);
  int64_t a = MonotonicMillis();
  SleepMillis(15);
  EXPECT_GE(MonotonicMillis() - a, 15);
  env.Set("TZ", nullptr);
  tzset();
}

}  // namespace
}  // namespace tol::host
