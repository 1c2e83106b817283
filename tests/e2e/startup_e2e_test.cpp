// The real binary, headless: help, and the exit codes of failed and
// unfinished starts.
#include <gtest/gtest.h>

#include "support/run.h"

namespace tol::testing {
namespace {

TEST(StartupE2E, HelpPrintsUsageAndExitsZero) {
  TempDir dir;
  for (const char* opt : {"/?", "/HELP", "--help", "-?"}) {
    RunResult r = RunTolvina({opt}, dir.path());
    EXPECT_EQ(r.exit_code, 0) << opt;
    EXPECT_NE(r.out.find("/APNAME="), std::string::npos) << opt;
  }
}

TEST(StartupE2E, MissingDictionaryEndsWith164AndNamesTheFile) {
  TempDir dir;
  RunResult r = RunTolvina({"/DPATH=" + dir.path()}, dir.path());
  EXPECT_EQ(r.exit_code, 164);
  EXPECT_NE(r.err.find("RADICC.DAT ["), std::string::npos) << r.err;
}

TEST(StartupE2E, ShortApplicationNameSkipsTheDictionary) {
  // A one-letter name leaves the dictionary step with 156, which does not
  // stop the start; the run then needs the main window.
  TempDir dir;
  RunResult r = RunTolvina({"/APNAME=X"}, dir.path());
  EXPECT_EQ(r.exit_code, 148) << r.err;
}

}  // namespace
}  // namespace tol::testing
