// The runtime start in process: names and folders from the command line,
// the dictionary step's flags, the start program and the exit-code rule.
#include <gtest/gtest.h>

#include "app/context.h"
#include "core/errors.h"
#include "host/path.h"
#include "lang/sysvars.h"
#include "shell/env.h"
#include "shell/startup.h"
#include "support/recording_display.h"
#include "support/run.h"

namespace tol {
namespace {

class StartupTest : public ::testing::Test {
 protected:
  ErrCode Start(const std::string& line, uint8_t flags) {
    std::string full = "\"C:\\App\\prog.exe\" " + line;
    const char* args[] = {full.c_str()};
    return RuntimeStart(nullptr, 0xFFFF, args, "RAZAVIZ1:AdminLocal", "Tolvina para Windows", flags,
                        nullptr);
  }
  RuntimeContext rt;
  testing::TempDir dir;
};

TEST_F(StartupTest, NamesFoldersAndTrace) {
  std::string defs = host::RuntimePath(dir.path());
  ASSERT_EQ(Start("-apname=X --TRACE=8 /DPATH=\"" + defs + "\"", 0), E_OK);
  EXPECT_EQ(EnvValue(ENV_APNAME), StrRef("X"));
  EXPECT_EQ(EnvValue(ENV_APDESCRIP), StrRef("Tolvina para Windows"));
  EXPECT_EQ(EnvValue(ENV_LANGMODULE), StrRef("ES"));
  EXPECT_EQ(EnvValue(ENV_DOCPATH), StrRef("C:\\App"));  // the program folder first
  EXPECT_EQ(EnvValue(ENV_HELPPATH), StrRef("C:\\App\\Help"));
  EXPECT_EQ(SysGet(_TRACE), 9);
  EXPECT_EQ(EnvValue(ENV_COMMANDLINE).str().find(" /apname=X /TRACE=8"), 17u);
}

TEST_F(StartupTest, DictionaryStepFlags) {
  // Flag 4 turns a missing dictionary into success.
  ASSERT_EQ(Start("", START_DICTIONARY | START_DICT_OPTIONAL), E_OK);
  EXPECT_EQ(LastError(), 0u);
}

TEST_F(StartupTest, MissingDictionaryAfterTheRetry) {
  std::string defs = host::RuntimePath(dir.path());
  testing::RecordingDisplay display;
  DisplayScope shown(display);
  EXPECT_EQ(Start("/DPATH=\"" + defs + "\"", START_DICTIONARY), E_FILENOTFOUND);
  EXPECT_EQ(EnvValue(ENV_DOCPATH).str(), defs);  // kind 2 folders took the DPATH
  ASSERT_EQ(display.boxes.size(), 1u);
  EXPECT_NE(display.boxes[0].text.find("RADICC.DAT [" + defs + "]"), std::string::npos);
}

TEST_F(StartupTest, StartProgramAndExitCodes) {
  ASSERT_EQ(Start("/APNAME=X", START_DICTIONARY), E_OK);  // short name: no dictionary
  EXPECT_EQ(ChooseStartProgram("P1MENU"), StrRef("P1MENU"));
  EXPECT_EQ(ChooseStartProgram(""), StrRef(""));  // no XMENU.PMT or .PPN
  testing::RecordingDisplay display;
  DisplayScope shown(display);
  EXPECT_EQ(RunStartProgram(""), E_DATA);  // neither a start program nor RUN
  EXPECT_EQ(display.boxes.size(), 1u);
  EXPECT_EQ(RuntimeEnd(nullptr, E_DATA), E_DATA);
}

TEST(ExitCodeRule, SmallResultsEndWithZero) {
  RuntimeContext rt;
  const char* args[] = {"prog /APNAME=X"};
  ASSERT_EQ(RuntimeStart(nullptr, 0xFFFF, args, "RAZAVIZ1", "", 0, nullptr), E_OK);
  EXPECT_EQ(RuntimeEnd(nullptr, 5), 0);
}

}  // namespace
}  // namespace tol
