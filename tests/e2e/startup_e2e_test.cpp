// The real binary, headless: help, and the exit codes of failed starts
// and of starts that open the main window.
#include <gtest/gtest.h>

#include <cctype>

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

TEST(StartupE2E, DictionaryFoundInAnyLetterCase) {
  TempDir dir;
  for (const char* f : {"RADICC.DAT", "CMDICC.DAT", "RAREL.DAT"}) {
    std::string src = std::string(TOLVINA_SOURCE_DIR) + "/tests/fixtures/app/" + f;
    std::string lower = f;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    dir.Write("defs/" + lower, ReadFile(src));
  }
  // The dictionary loads; the main window opens headless and, with no
  // input to come, the run ends.
  RunResult r = RunTolvina({"/DPATH=" + dir.path() + "/defs"}, dir.path());
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.err, "");
}

TEST(StartupE2E, ShortApplicationNameSkipsTheDictionary) {
  // A one-letter name leaves the dictionary step with 156, which does not
  // stop the start; the main window opens without a menu file and the run
  // ends with the input.
  TempDir dir;
  RunResult r = RunTolvina({"/APNAME=X"}, dir.path());
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.err, "");
}

}  // namespace
}  // namespace tol::testing

namespace tol::testing {
namespace {

TEST(BatchE2E, RunOptionResults) {
  TempDir dir;
  struct Case {
    std::string run;
    int code;
    const char* says;
  } cases[] = {
      {"/RUN=ExpEval A=1", 0, ""},
      {"/RUN=ExpEval X$=5+'5'", 128, "Tipos Incompatibles(ExpExec): X$=5+'5'"},
      {"/RUN=Informe x", 163, "Error de Datos: Informe x"},
      {"/RUN=Perform x", 163, "Proceso no definido"},
  };
  for (const Case& c : cases) {
    RunResult r = RunTolvina({"/APNAME=X", c.run}, dir.path());
    EXPECT_EQ(r.exit_code, c.code) << c.run << "\n" << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << c.run << "\n" << r.err;
  }
}

TEST(BatchE2E, InputFileStopsAtTheFirstFailingCommand) {
  TempDir dir;
  dir.Write("in.txt", "ExpEval B=2\r\n\r\nExpEval C$=1\r\nInforme never\r\n");
  RunResult r = RunTolvina({"/APNAME=X", "/INPUT=in.txt", "/RUN=ExpEval A=1"}, dir.path());
  EXPECT_EQ(r.exit_code, 128) << r.err;
  EXPECT_NE(r.err.find("C$=1"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("never"), std::string::npos) << r.err;
  // A missing INPUT file is ignored.
  r = RunTolvina({"/APNAME=X", "/INPUT=none.txt", "/RUN=ExpEval A=1"}, dir.path());
  EXPECT_EQ(r.exit_code, 0) << r.err;
}

}  // namespace
}  // namespace tol::testing
