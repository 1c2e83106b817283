// Command-line normalization, option look-up and environment values.
#include <gtest/gtest.h>

#include "core/core.h"
#include "shell/env.h"

namespace tol {
namespace {

class EnvTest : public ::testing::Test {
 protected:
  CoreScope core;
  void SetLine(const char* line) {
    ASSERT_EQ(SetEnvValue(ENV_COMMANDLINE, NormalizeCommandLine(StrRef::FromC(line))), E_OK);
  }
};

TEST_F(EnvTest, Normalization) {
  struct Case {
    const char *in, *out;
  } cases[] = {
      {"  \"C:\\App\\prog.exe\"   -apname=xy  --DPATH=\"D:\\Defs\" ",
       "\"C:\\App\\prog.exe\" /apname=xy /DPATH=\"D:\\Defs\""},
      {"p    a", "p a"},
      {"p\t-x", "p\t-x"},  // only a blank before the dash makes an option
      {"", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(NormalizeCommandLine(StrRef::FromC(c.in)), StrRef::FromC(c.out)) << c.in;
}

TEST_F(EnvTest, OptionLookUp) {
  struct Case {
    const char* line;
    uint16_t option;
    const char* want;
  } cases[] = {
      {"p -apname=xy --DPATH=\"D:\\Defs\"", OPT_APNAME, "XY"},
      {"p -apname=xy --DPATH=\"D:\\Defs\"", OPT_DPATH, "D:\\Defs"},
      {"p /DPATH=D:\\Defs", OPT_DPATH, "D"},
      {"p /ApName=xy", OPT_APNAME, ""},
      {"p /APNAME:AB /APNAME=CD", OPT_APNAME, "AB"},
      {"p /RUN=\"ExpEval A=1\" /TRACE=9", OPT_RUN, "ExpEval A=1"},
      {"p /RUN=\"ExpEval A=1\" /TRACE=9", OPT_TRACE, "9"},
      {"p /X=\"/APNAME=no\"", OPT_APNAME, ""},  // hits inside quotes are skipped
      {"p /INPUT=in.txt&OUTPUT=o", OPT_OUTPUT, "O"},
      {"p", OPT_MODE, ""},
  };
  for (const Case& c : cases) {
    SetLine(c.line);
    EXPECT_EQ(OptionValue(c.option), StrRef::FromC(c.want)) << c.line;
  }
  SetLine("p /MODE=prntofile");
  EXPECT_EQ(OptionInList(OPT_MODE, "ADMIN,PRNTOFILE"), 2);
  EXPECT_EQ(OptionInList(OPT_RUN, "ADMIN,PRNTOFILE"), 0);
}

TEST_F(EnvTest, ValuesKeepTextWithoutOverwrite) {
  ASSERT_EQ(SetEnvValue(ENV_DOCPATH, "a"), E_OK);
  ASSERT_EQ(SetEnvValue(ENV_DOCPATH, "b", false), E_OK);
  EXPECT_EQ(EnvValue(ENV_DOCPATH), StrRef("a"));
  ASSERT_EQ(SetEnvValue(ENV_DOCPATH, "b", true), E_OK);
  EXPECT_EQ(EnvValue(ENV_DOCPATH), StrRef("b"));
  ASSERT_EQ(SetEnvValue(ENV_APNAME, "RAZAVIZ1:AdminLocal"), E_OK);
  EXPECT_EQ(AppPrefix(), StrRef("RA"));
}

}  // namespace
}  // namespace tol
