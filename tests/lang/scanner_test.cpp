// Preparation, the token reader, bracket matching and the function names.
#include "lang/scanner.h"

#include <gtest/gtest.h>

#include <string>

#include "core/core.h"
#include "core/errors.h"
#include "core/text.h"

namespace tol {
namespace {

class ScannerTest : public ::testing::Test {
 protected:
  CoreScope core;
};

TEST_F(ScannerTest, PrepareChecksBlanksAndRemovesThem) {
  struct Case {
    const char* in;
    const char* out;  // null: 147
    const char* detail = nullptr;
  } cases[] = {
      {"A +B", "A+B"},
      {"A+ B", "A+B"},
      {"A  =  'x  y'", "A='x  y'"},
      {"-5", "-5"},
      {" -5", "-5"},  // the blank stands before an operator
      {"A B", nullptr, " B"},
      {" A", nullptr, " A"},
      {"A ", nullptr, " "},
      {"'a b' c", nullptr, " c"},
      {"F(A; B)", "F(A;B)"},
      {"", ""},
  };
  for (const Case& c : cases) {
    ScratchFrame f;
    ClearError();
    StrRef r = Prepare(StrRef::FromC(c.in));
    if (c.out) {
      ASSERT_TRUE(r.ok()) << c.in;
      EXPECT_EQ(r.str(), c.out) << c.in;
    } else {
      EXPECT_EQ(r.err(), E_SINTAXERROR) << c.in;
      EXPECT_EQ(LastErrorCode(), E_SINTAXERROR);
      EXPECT_EQ(LastErrorModule(), M_EXPEXEC);
      EXPECT_EQ(ErrorDetail().str(), c.detail) << c.in;
    }
  }
}

TEST_F(ScannerTest, UnbalancedBracketsOutsideQuotes) {
  for (const char* bad : {"(A", "A)", "F(1;(2)", "((')')"}) {
    ScratchFrame f;
    ClearError();
    EXPECT_EQ(Prepare(StrRef::FromC(bad)).err(), E_LOOP) << bad;
    EXPECT_EQ(ErrorDetail().str(), bad);
  }
  ScratchFrame f;
  EXPECT_EQ(Prepare("A$='(('").str(), "A$='(('");
}

TEST_F(ScannerTest, AcceptMacrosExpand) {
  ScratchFrame f;
  EXPECT_EQ(Prepare("_ACCEPT$(3)").str(), "FN$TRIM(FN$PARM(_$(.envvar;.dialog);3);'FIT')");
  EXPECT_EQ(Prepare("X#=_ACCEPT#(2)*2").str(),
            "X#=FN#VALN(FN$TRIM(FN$PARM(_$(.envvar;.dialog);2);'FIT'))*2");
  // Nested: the inner one is expanded inside the outer's template.
  StrRef nested = Prepare("_ACCEPT$(_ACCEPT#(1))");
  EXPECT_EQ(FindText(nested, "_ACCEPT"), kNpos);
  EXPECT_EQ(Prepare("'_ACCEPT$(1)'").str(), "'_ACCEPT$(1)'");
  EXPECT_EQ(Prepare("_OTHER$(1)").str(), "_OTHER$(1)");
  // An unclosed macro is not expanded into a balanced text.
  EXPECT_EQ(Prepare("_ACCEPT$(3").err(), E_LOOP);
}

struct TokenCase {
  const char* text;
  uint16_t op;
  uint16_t kind;
  const char* operand;
  uint16_t next;
};

TEST_F(ScannerTest, TokensOfOneStep) {
  TokenCase cases[] = {
      {"A+B", OP_ADD, OPK_INTVAR, "A", 2},
      {"X$=='a'", OP_EQ, OPK_STRVAR, "X$", 4},
      {"T#>=1", OP_GE, OPK_NUMVAR, "T#", 4},
      {"'a+b'", OP_NONE, OPK_STRING, "'a+b'", 5},
      {"'It''s'", OP_NONE, OPK_STRING, "'It''s'", 7},
      {"1.5*2", OP_MUL, OPK_NUMBER, "1.5", 4},
      {".cmdline", OP_NONE, OPK_NUMBER, ".cmdline", 8},
      {"A;B", OP_NONE, OPK_INTVAR, "A", 2},
      {"A,B", OP_NONE, OPK_INTVAR, "A", 2},
      {"A:B", OP_NONE, OPK_INTVAR, "A", 2},
      {"-3", OP_SUB, OPK_NUMBER, "", 1},
      {"2*-3", OP_MUL, OPK_NUMBER, "2", 2},
      {"A=-1", OP_ASSIGN, OPK_INTVAR, "A", 2},
      {"A&&B", OP_LAND, OPK_INTVAR, "A", 3},
      {"A@@B", OP_XOR, OPK_INTVAR, "A", 3},
      {"A<>B", OP_NE, OPK_INTVAR, "A", 3},
      {"A\xF7"
       "B",
       OP_LESSPERCENT, OPK_INTVAR, "A", 2},
      {"(1+2)*3", OP_MUL, OPK_SUBEXPR, "", 6},
      {"B(1;2)+1", OP_ADD, OPK_ARRAY | OPK_INTVAR, "B", 7},
      {"N$(1)", OP_NONE, OPK_ARRAY | OPK_STRVAR, "N$", 5},
      {"FN$TRIM(A$)", OP_NONE, OPK_FUNCTION | OPK_STRVAR, "FN$TRIM", 11},
      {"fn#slen(A$)", OP_NONE, OPK_FUNCTION | OPK_NUMVAR, "fn#slen", 11},
      {"IER(1)", OP_NONE, OPK_FUNCTION | OPK_INTVAR, "IER", 6},
      {"_#(5)", OP_NONE, OPK_FUNCTION | OPK_NUMVAR, "_#", 5},
      {"_CELL$(1)", OP_NONE, OPK_ARRAY | OPK_STRVAR, "_CELL$", 9},
      {"NOMBRE{CLIENTES}", OP_NONE, OPK_FIELD, "NOMBRE{CLIENTES}", 16},
      {"2*3|1", OP_MUL, OPK_NUMBER, "2", 2},
  };
  for (const TokenCase& c : cases) {
    Token tk;
    tk.text = StrRef::FromC(c.text);
    Scan(tk);
    EXPECT_EQ(tk.err, 0) << c.text;
    EXPECT_EQ(tk.op, c.op) << c.text;
    EXPECT_EQ(tk.kind, c.kind) << c.text;
    EXPECT_EQ(tk.Operand().str(), c.operand) << c.text;
    EXPECT_EQ(tk.next, c.next) << c.text;
  }
}

TEST_F(ScannerTest, PrecedencesAndBrackets) {
  EXPECT_EQ(Precedence(OP_OR), 5);
  EXPECT_EQ(Precedence(OP_MUL), 4);
  EXPECT_EQ(Precedence(OP_ADD), 3);
  EXPECT_EQ(Precedence(OP_EQ), 2);
  EXPECT_EQ(Precedence(OP_LAND), 1);
  EXPECT_EQ(Precedence(OP_ASSIGN), 0);
  Token tk;
  tk.text = "F(A;(B);')')-1";
  Scan(tk);
  EXPECT_EQ(tk.Inner().str(), "A;(B);')'");
  EXPECT_EQ(tk.op, OP_SUB);
  EXPECT_EQ(MatchBracket("(a(b)c)d", 0), 5);
  EXPECT_EQ(MatchBracket("(a(b", 0), 3);  // never closes: the rest
}

TEST_F(ScannerTest, ScanningErrors) {
  for (const char* bad : {"A=>B", "A><B", "A!=B", "F(1)X", "F(1)(2)", "5(1)", "X{F"}) {
    Token tk;
    tk.text = StrRef::FromC(bad);
    Scan(tk);
    EXPECT_EQ(tk.err, E_SINTAXERROR) << bad;
    EXPECT_EQ(tk.op, OP_NONE) << bad;
  }
}

TEST_F(ScannerTest, FunctionNamesExactThenUpperCase) {
  EXPECT_EQ(IsFunction("_#"), 1);
  EXPECT_EQ(IsFunction("SQLCHILD"), kBuiltinFunctionCount);
  EXPECT_EQ(IsFunction("fn$trim"), 19);
  EXPECT_EQ(IsFunction("FN$TRIMX"), 0);
  EXPECT_EQ(IsFunction("FN$TRI"), 0);
  EXPECT_EQ(IsFunction(""), 0);
  // An application name appended to the list in mixed case is found as
  // written; its upper-case spelling does not match it.
  std::string list = FunctionList().str() + std::string("\0MyFn#", 6);
  ASSERT_EQ(Slots().Set(kGroupEnvironment, kEnvFunctionList, StrRef::Of(list)), 0);
  EXPECT_EQ(IsFunction("MyFn#"), 34);
  EXPECT_EQ(IsFunction("MYFN#"), 0);
}

TEST_F(ScannerTest, FindOperandWithBrackets) {
  StrRef t = "A#+F(1;2)*(B);C$";
  EXPECT_EQ(FindOperand(t, 1).str(), "A#");
  EXPECT_EQ(FindOperand(t, 2).str(), "F(1;2)");
  EXPECT_EQ(FindOperand(t, 3).str(), "(B)");
  EXPECT_EQ(FindOperand(t, 4).str(), "C$");
  EXPECT_EQ(FindOperand(t, 5).err(), E_NOTFOUND);
}

}  // namespace
}  // namespace tol
