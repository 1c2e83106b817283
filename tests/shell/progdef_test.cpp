// Definition files, the definitions stack, program parameters and the
// parsing and dispatch of program commands.
#include <gtest/gtest.h>

#include "app/context.h"
#include "core/core.h"
#include "core/text.h"
#include "host/fs.h"
#include "host/path.h"
#include "lang/sysvars.h"
#include "shell/dispatch.h"
#include "shell/env.h"
#include "shell/progdef.h"
#include "support/run.h"
#include "support/runtime.h"

namespace tol {
namespace {

class ProgDefTest : public ::testing::Test {
 protected:
  testing::TestRuntime rt;
  testing::TempDir dir;
  std::string Def(const std::string& name, const std::string& text) {
    dir.Write(name, text);
    return host::RuntimePath(dir / name);
  }
};

TEST_F(ProgDefTest, ParameterNumbering) {
  struct Case {
    uint16_t n;
    const char* name;
  } cases[] = {{1, "MODULES$"},
               {2, "MENU$"},
               {10, ""},
               {11, "SCREENSIZE$"},
               {13, "OPEN$"},
               {31, "NUMCAB$"},
               {45, "FASTFIND$"},
               {51, "FD$"},
               {71, "ATEND$"},
               {80, "TITLE$"},
               {91, "DEVICE$"},
               {93, "ACBOUND$"},
               {101, "ACCEPT_PRC%"},
               {102, "WINNAME$"},
               {116, "STRUCT$"},
               {100, ""},
               {117, ""},
               {0, ""}};
  for (const Case& c : cases) EXPECT_EQ(ParameterName(c.n), StrRef::FromC(c.name)) << c.n;
}

TEST_F(ProgDefTest, SectionsWithBlankTags) {
  std::string f = Def("P.PPN", "01 A=1\r\n02 B=2\r\n 1 C=3\r\n");
  ASSERT_EQ(LoadSection(StrRef::Of(f), DEF_PROGRAM, 1), E_OK);
  EXPECT_EQ(CurrentDefinition(), StrRef("A=1:C=3"));
  EXPECT_EQ(LoadSection(StrRef::Of(f), DEF_PROGRAM, 7), E_NOTFOUND);
  EXPECT_EQ(LoadSection("missing.ppn", DEF_PROGRAM, 1), E_NOTFOUND);
  ASSERT_EQ(LoadSectionOrEmpty(StrRef::Of(f), DEF_PROGRAM, 7), E_OK);
  EXPECT_EQ(CurrentDefinition(), StrRef(""));
  ASSERT_EQ(DropDefinition(), E_OK);
  EXPECT_EQ(CurrentDefinition(), StrRef("A=1:C=3"));
  std::string s = Def("S.PAN", "x01abc;\nx02zz;\n");
  ASSERT_EQ(LoadSection(StrRef::Of(s), DEF_SCREEN, 2), E_OK);
  EXPECT_EQ(CurrentDefinition(), StrRef("zz"));
}

TEST_F(ProgDefTest, ParametersFromTheDefinitionAndVariables) {
  std::string f = Def("P.PPN", "01 MENU$='Ventas,Compras' ALT.MENU$=Otro MAX_IDS_ATTR%='7'\n");
  ASSERT_EQ(LoadSection(StrRef::Of(f), DEF_PROGRAM, 1), E_OK);
  EXPECT_EQ(Parameter(2), StrRef("Ventas,Compras"));
  EXPECT_EQ(Parameter(2, 2), StrRef("Compras"));
  EXPECT_EQ(Parameter(8), StrRef("'7'"));  // a name with "%" keeps the quotes
  ASSERT_EQ(Slots().Set(9, 8, "X,ALT"), E_OK);
  SysSet(_AUX, 2);
  EXPECT_EQ(ParameterName(2), StrRef("ALT.MENU$"));
  EXPECT_EQ(Parameter(2), StrRef("Otro"));
  EXPECT_EQ(Parameter(1), StrRef(""));  // ALT.MODULES$, then MODULES$, then the variable
  SysSet(_AUX, 0);
}

TEST_F(ProgDefTest, ParseCommand) {
  struct Case {
    const char* command;
    uint16_t type;
    const char* parameters;
  } cases[] = {
      {"Report VENTAS.PPN,3", PT_REPORT, "VENTAS.PPN,3"},
      {"Report,X", PT_REPORT, "X"},
      {"Informe X", PT_UNKNOWN, "X"},
      {"ExpEval A%=1", PT_EXPEVAL, "A%=1"},
      {"report X", PT_UNKNOWN, "X"},
      {"PrcExec 'a b.prc'", PT_PRCEXEC, "'a b.prc'"},
  };
  for (const Case& c : cases) {
    ParsedCommand pc = ParseCommand(StrRef::FromC(c.command));
    EXPECT_EQ(pc.type, c.type) << c.command;
    EXPECT_EQ(pc.parameters, StrRef::FromC(c.parameters)) << c.command;
  }
}

TEST_F(ProgDefTest, DispatchResults) {
  EXPECT_EQ(Dispatch("Informe X"), E_DATA);
  EXPECT_EQ(Dispatch("Perform X"), E_DATA);
  EXPECT_EQ(ErrorDetail(), StrRef("Proceso no definido"));
  EXPECT_EQ(Dispatch("FileTrans x"), E_FEATUREREMOVED);
  EXPECT_EQ(ErrorDetail(), StrRef("FileTransWizzard"));
  EXPECT_EQ(Dispatch("MantAux 7"), E_DATA);
  EXPECT_EQ(ProgramDescription("VENTAS.PPN,3", PT_REPORT), StrRef("Report VENTAS.PPN,3"));
  EXPECT_EQ(ProgramDescription("Report X", PT_REPORT), StrRef("Report X"));
}

}  // namespace
}  // namespace tol
