// The real binary running procedures: values computed by a procedure and
// saved into an expression file, the trace, and a command line's report.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/run.h"

namespace tol::testing {
namespace {

TEST(ProcE2E, ProcedureComputesValuesThatAreSavedToAnExpressionFile) {
  TempDir dir;
  dir.Write("CALC.PRC",
            "; computes a total and a label\r\n"
            "I=0\r\n"
            "DO_WHILE I<4\r\n"
            "  I=I+1\r\n"
            "  TOTAL#=TOTAL#+I*1.5\r\n"
            "LOOP\r\n"
            "CALL label,LIB.PRC,0 [I]\r\n"
            "END\r\n");
  dir.Write("LIB.PRC",
            "DEF_FN label\r\n"
            "LOCALVARS N\r\n"
            "IF N==4\r\n"
            "  NAME$='four'\r\n"
            "ELSE\r\n"
            "  NAME$='other'\r\n"
            "ENDIF\r\n");
  // The variables exist before the run (the run removes those it creates)
  // and name the file the next command writes them to.
  dir.Write("INIT.DAT",
            "I=0;TOTAL#=0;NAME$='';PARM_FILE$='.\\OUT.DAT';PARM_FILE_WRITE$='TOTAL#,NAME$,I'");
  dir.Write("in.txt", "PrcExec CALC.PRC,,.\\INIT.DAT\r\nMantAux 0\r\n");
  RunResult r =
      RunTolvina({"/APNAME=X", "/INPUT=in.txt", "/RUN=ExpEval A=1", "/TRACE=8"}, dir.path());
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(dir.Read("OUT.DAT"), "TOTAL#=15;NAME$='four';I=4");
  std::string trace = dir.Read("PrcLog.txt");
  EXPECT_EQ(trace.rfind("1\t I=0\r\n2\tDO_WHILE I<4\r\n", 0), 0u) << trace;
  EXPECT_NE(trace.find("6\tCALL label,LIB.PRC,0 [I]\r\n1\tLOCALVARS N\r\n"), std::string::npos)
      << trace;
  EXPECT_NE(trace.find("7\tEND \r\n"), std::string::npos) << trace;
}

TEST(ProcE2E, FailuresEndTheRunWithAClearCode) {
  TempDir dir;
  dir.Write("MSG.PRC", "A=1\r\nMESSAGE [X#/0]\r\n");
  dir.Write("BADLABEL.PRC", "GOTO nowhere\r\n");
  dir.Write("OPEN.PRC", "IF 1\r\nA=1\r\n");
  struct Case {
    const char* run;
    int code;
    const char* says;
  } cases[] = {
      {"/RUN=PrcExec MSG.PRC", 148, "Line: 2 (+ remmarks):"},
      {"/RUN=PrcExec MSG.PRC", 148, "MESSAGE [X#/0]"},
      {"/RUN=PrcExec NONE.PRC", 164, "NONE.PRC"},
      {"/RUN=PrcExec BADLABEL.PRC", 147, "Label 'nowhere' in line 1 (+ remmarks) not found"},
      {"/RUN=PrcExec OPEN.PRC", 147, "without its end"},
      {"/RUN=PrcExec *.NONE", 164, "Proceso no definido"},
  };
  for (const Case& c : cases) {
    RunResult r = RunTolvina({"/APNAME=X", c.run}, dir.path());
    EXPECT_EQ(r.exit_code, c.code) << c.run << "\n" << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << c.run << "\n" << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "PrcLog.txt"));  // tracing was off
}

}  // namespace
}  // namespace tol::testing
