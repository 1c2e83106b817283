// Built-in functions: the call mechanism (argument counts and types, empty
// arguments, raw arguments, argument frames on stack group 35), the text,
// list, date and time functions, the checking and accumulating functions,
// the slot and environment access, and the registry of application
// functions.
#include "lang/functions.h"

#include <gtest/gtest.h>

#include <string>

#include "core/core.h"
#include "core/errors.h"
#include "core/text.h"
#include "format/dates.h"
#include "lang/arrays.h"
#include "lang/eval.h"
#include "lang/lang.h"
#include "lang/numbers.h"
#include "lang/scanner.h"
#include "lang/sysvars.h"
#include "lang/tables.h"
#include "lang/variables.h"
#include "support/host_temp.h"

namespace tol {
namespace {

struct Result {
  ErrCode code;
  std::string value;  // numbers written as text
};

struct Case {
  const char* text;
  ErrCode code;  // kValueNumber, kValueText or the failure
  const char* value;
};

class FunctionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(lang.init_result(), E_OK);
    ASSERT_EQ(Slots().Set(kGroupEnvironment, 4, "ES"), E_OK);
  }

  // Evaluates; checks that exactly the result (or nothing) is left on the
  // scratch stack and that no argument frame outlives the evaluation.
  Result Eval(const std::string& text) {
    ScratchMark m = Scratch().Mark();
    uint16_t frames = Slots().Count(kGroupArguments);
    ErrCode c = Evaluate(StrRef::Of(text));
    Result r{c, ""};
    if (c == kValueNumber || c == kValueText) {
      EXPECT_EQ(Scratch().Mark(), m + 1) << text;
      StrRef top = Scratch().Top();
      r.value = c == kValueNumber ? NumberText(ItemNumber(top), Places()).str() : top.str();
    } else {
      EXPECT_EQ(Scratch().Mark(), m) << text;
    }
    EXPECT_EQ(Slots().Count(kGroupArguments), frames) << text;
    Scratch().Release(m);
    return r;
  }
  void Run(const Case* cases, size_t n) {
    for (size_t i = 0; i < n; ++i) {
      const Case& k = cases[i];
      Result r = Eval(k.text);
      EXPECT_EQ(r.code, k.code) << k.text;
      if (r.code == kValueNumber || r.code == kValueText) {
        EXPECT_EQ(r.value, k.value) << k.text;
      }
    }
  }
  template <size_t N>
  void Run(const Case (&cases)[N]) {
    Run(cases, N);
  }
  std::string Value(const char* text) { return Eval(text).value; }

  LangScope lang;
};

constexpr ErrCode N = kValueNumber, T = kValueText;

TEST_F(FunctionsTest, TextFunctions) {
  ASSERT_EQ(EvaluateCheck("Q$=\"'abc'\";P$='abc'"), 0);
  Run({
      {"FN$MIDS('ABCDE';2;3)", T, "BCD"},
      {"FN$MIDS('ABCDE';-2)", T, "DE"},
      {"FN$MIDS('ABCDE';)", T, "E"},  // an empty start is the default -1
      {"FN$MIDS('ABCDE';-9;2)", T, "AB"},
      {"FN$MIDS('ABCDE';-2;1)", T, "D"},
      {"FN$MIDS('ABCDE';9)", T, ""},
      {"FN$MIDS('ABCDE';2;0)", T, ""},
      {"FN$MIDS('ABCDE';4;99)", T, "DE"},
      {"FN#SLEN('abc')+FN#SLEN('')", N, "3"},
      {"FN$TRIM('  x  ';'LEFTTRIM')", T, "x  "},
      {"FN$TRIM('  x  ';'RIGHTRIM')", T, "  x"},
      {"FN$TRIM('  x  ')", T, "x"},
      {"FN$TRIM(Q$;'FIT')", T, "abc"},
      {"FN$TRIM(P$;'fit')", T, "ABC"},  // no quotes: upper case
      {"FN$TRIM(1.50)", T, "1.5"},
      {"FN$TRIM('x';'SIDES')", E_SINTAXERROR, ""},
      {"FN$CHNG('a  b   c';'CLEAN')", T, "a b c"},
      {"FN$CHNG('  a \"x  y\"  b';'CLEAN')", T, " a \"x  y\" b"},
      {"FN$CHNG('x-y';'-';'+')", T, "x+y"},
      {"FN$CHNG('a-\"-\"';'-';'+')", T, "a+\"-\""},  // quoted parts kept
      {"FN$CHNG('a-\"-\"';'-';'+';1)", T, "a+\"+\""},
      {"FN$CHNG('x-y';'-')", T, "xy"},
      {"FN$CHNG('aBc';'UCASE')", T, "ABC"},
      {"FN$CHNG('aBc';'lcase')", T, "abc"},
      {"FN$CHNG('a1b2c3';'FILTER';'123')", T, "123"},
      {"FN$CHNG('xAAyBBz';'FILTER';'AABB';'12')", T, "x1y2z"},
      {"FN$CHNG('ABB';'FILTER';'AB1B';'12')", T, "1B"},  // one pass: no piece is read twice
      {"FN$CHRS(65;3)", T, "AAA"},
      {"FN$CHRS('ab';2)", T, "abab"},
      {"FN$CHRS('a';0)", T, ""},
      {"FN$CHRS('abc';30000)", E_STRINGTOOLONG, ""},
      {"ENVELOP$('x')", T, "'x'"},
      {"ENVELOP$('x';40)", T, "(x)"},
      {"ENVELOP$('x';'[')", T, "[x]"},
      {"FN$MASK('##0.00';.5)", T, "  0.50"},
      {"FN$MASK('\\-\\';'ab')", T, "a-b"},
  });
}

TEST_F(FunctionsTest, ListFunctions) {
  Run({
      {"FN#PARM('A,B,C')", N, "3"},
      {"FN#PARM('')", N, ""},
      {"FN#PARM('A,B,C';'B')", N, "2"},
      {"FN#PARM('A,B,C';'X')", N, ""},
      {"FN#PARM('A,B,C';'B';'10,20,30')", N, "20"},
      {"FN#PARM('A,B,C';'X';'10,20,30')", N, ""},
      {"FN#PARM('1-5,6-9';7;0)", N, "2"},
      {"FN#PARM('1-5,6-9,12';12;0)", N, "3"},
      {"FN#PARM('1-5,6-9';10;0)", N, ""},
      {"FN#PARM('1-5';'x';0)", E_TYPES, ""},
      {"FN$PARM('A;B;C';2;59)", T, "B"},
      {"FN$PARM('A,B,C';3)", T, "C"},
      {"FN$PARM('A,B,C';4)", T, ""},
      {"FN$PARM('A,B,C';0)", T, ""},
      {"FN$PARM('A,B,C')", T, ""},
      {"FN$PARM(\"'a,b',c\";1)", T, "'a,b'"},  // separators inside quotes do not count
  });
}

TEST_F(FunctionsTest, ExpandTakesOperandsAsWritten) {
  Run({
      {"EXP$('$1_+$2_';A#;B#)", T, "A#+B#"},
      {"EXP$('$1_/$2_';A#+1)", T, "A#/1"},  // one argument, two operands
      {"EXP$('[$2_]';X;FN$TRIM(Y$))", T, "[FN$TRIM(Y$)]"},
      {"EXP$('$3_ $1_';A)", T, "$3_ A"},  // no third operand: the marker stays
      {"EXP$('$_ $x_ $1';A)", T, "$_ $x_ $1"},
      {"EXP$('plain')", T, "plain"},
  });
}

TEST_F(FunctionsTest, NumbersDatesAndTimes) {
  Run({
      {"FN#VALN('1234.50')", N, "1234.5"},
      {"FN#VALN('  -12.345 ';'N')", N, "-12.35"},
      {"FN#VALN('20240105';'D')", N, "5"},
      {"FN#VALN('20240105';'M')", N, "1"},
      {"FN#VALN('20240105';'Y')", N, "2024"},
      {"FN#VALN('20240105';'V')", N, "20240105"},
      {"FN#VALN('20240131';'M';1)", N, "20240229"},
      {"FN#VALN('20241231';'D';1)", N, "20250101"},
      {"FN#VALN('20240310';'D';20240301)", N, "9"},
      {"FN#VALN('20240310';'D';'20240301')", N, "9"},
      {"FN#VALN('20240301';'Q')", E_SINTAXERROR, ""},
      {"FN$DATE(20240105;2)", T, "05-01-2024"},
      {"FN$DATE('5/1/24';0)", T, "20240105"},
      {"FN$DATE('5/1/24';1)", T, "05-01-24"},
      {"FN$DATE('31/02/2024';1)", T, "        "},  // invalid: blanks, not today
      {"FN$DATE('20240105';9)", T, ""},
      {"FN$DATE('x';128)", E_FEATUREREMOVED, ""},
      {"TIME$('01:02:03.5';7)", T, "01:02:03.500"},
      {"TIME$('2:30';3)", T, "00:02:30"},
      {"TIME$('90';1)", T, "00:01"},
      {"TIME$('3723.5';6)", T, "010203.500"},
      {"TIME$(90;3)", E_TYPES, ""},  // a number is no time
      {"TIME$('1:00';128)", E_FEATUREREMOVED, ""},
  });
  EXPECT_EQ(Value("FN$DATE()"), DateValidate(DateToday()).str());
  EXPECT_EQ(Eval("FN#SLEN(TIME$())").value, "4");
}

TEST_F(FunctionsTest, EditedNumbersInTheLanguagesConventions) {
  std::string es = std::string(",.'0123456789,-D',' NS','  ,NO,SI'") + '\0' + "'x','y'" + '\0';
  ASSERT_EQ(Slots().Set(0, 0, StrRef::Of(es)), E_OK);
  Run({
      {"FN#VALN('12,5')", N, "12.5"},
      {"FN#VALN('1.234,50')", N, "1234.5"},  // the last mark is the decimal point
      {"FN#VALN('1.234.567,5')", N, "1234567.5"},
      {"FN#VALN('12.5')", N, "12.5"},  // the stored form reads unchanged
  });
}

TEST_F(FunctionsTest, CheckedBranches) {
  Run({
      {"CHK#(1;5;6)", N, "5"},
      {"CHK#(0;5)", N, ""},
      {"CHK#(0;5;6)", N, "6"},
      {"CHK#(1;)", N, ""},
      {"CHK#('yes';5;6)", N, "6"},  // a text is never true
      {"CHK#(1;'a';6)", E_ATYPICAL, ""},
      {"CHK#(0;5;'b')", E_ATYPICAL, ""},
      {"CHK$(1;'a';'b')", T, "a"},
      {"CHK$(0;'a';'b')", T, "b"},
      {"CHK$(0;'a')", T, ""},
      {"CHK$(1;;'b')", T, ""},
      {"CHK$(1;5;'b')", E_ATYPICAL, ""},
      {"CHK#(1+'a';5)", E_TYPES, ""},
  });
  ASSERT_EQ(EvaluateCheck("X=7;Y=0;Z=0"), 0);
  EXPECT_EQ(Value("CHK#(0;X=1;2)"), "2");
  EXPECT_EQ(Value("X"), "7");  // the branch not chosen is not evaluated
  EXPECT_EQ(Value("CHK#(1;Y=4;X=1)"), "4");
  EXPECT_EQ(Value("X"), "7");
  // In the false case every later argument runs, the last one counts.
  EXPECT_EQ(Value("CHK#(0;X=1;Z=2;3)"), "3");
  EXPECT_EQ(Value("X*100+Z"), "702");
}

TEST_F(FunctionsTest, AccumulateCountingAndConditionForms) {
  Run({
      {"FN#ACUM(I*2;I;1;3)", N, "12"},
      {"I", N, "4"},
      {"FN#ACUM(I;I;5;4)", N, ""},       // start above the limit: nothing added
      {"FN#ACUM(1;I;;2)", N, "3"},       // an empty start is 0
      {"FN#ACUM('2.5';J;1;2)", N, "5"},  // a text value is read as a number
      {"FN#ACUM(1;X#;1;3)", E_SINTAXERROR, ""},
      {"FN#ACUM(1;5;1;3)", E_SINTAXERROR, ""},
      {"FN#ACUM(1;I;1;'x')", E_TYPES, ""},
      {"FN#ACUM(1;I;32766;40000)", N, "2"},  // stops before the counter wraps
      {"N=0;FN#ACUM(N;(N=N+1)<4)", N, "6"},
      {"N=1;FN#ACUM(N;N<5;(N=N*2)<5)", N, "7"},
      {"FN#ACUM(5;0)", N, ""},
      {"FN#ACUM(5;)", N, ""},
      {"FN#ACUM(1+'x';I;1;2)", E_TYPES, ""},
      {"FN#ACUM(5)", E_SINTAXERROR, ""},
  });
}

TEST_F(FunctionsTest, AccumulatorArray) {
  Run({
      {"_#(5)=7;_#(5)", N, "7"},
      {"_#(3;2)", N, "7"},  // key plus offset
      {"_#(1)=4;_#(2)=5;_#(3)=6;_#('CLS';3;2);_#(1)+_#(2)+_#(3)", N, "10"},
      {"_#('CLS');_#(1)+_#(3)+_#(5)", N, ""},
      {"_ACUMX$='NET,VAT';_#(1)=3;_#('VAT')", N, "3"},
      {"_#('GROSS')", N, ""},
      {"_#(-1)", E_DATAOUTBOUND, ""},
      {"_#(300)", E_DATAOUTBOUND, ""},
  });
  const ArrayDesc* d = ArrayFind(kAccumulatorArray);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->count, 257);
}

TEST_F(FunctionsTest, AccumulatorArrayCreatedByDimAndNotByCls) {
  EXPECT_EQ(Value("_#('CLS')"), "");
  EXPECT_EQ(ArrayFind(kAccumulatorArray), nullptr);
  EXPECT_EQ(Eval("_#('DIM';9)").code, kValueNumber);
  ASSERT_NE(ArrayFind(kAccumulatorArray), nullptr);
  EXPECT_EQ(ArrayFind(kAccumulatorArray)->count, 10);
  EXPECT_EQ(Eval("_#(10)").code, E_DATAOUTBOUND);
}

TEST_F(FunctionsTest, SqlChildNesting) {
  ASSERT_EQ(EvaluateCheck("_CURROW=5;_IER=3"), 0);
  EXPECT_EQ(Value("SQLCHILD(X=_CURROW;Y=_SQLSTK;_IER=9)"), "");
  EXPECT_EQ(Value("X*100+Y*10"), "10");  // inside: row 0, level 1
  EXPECT_EQ(Value("_CURROW*100+_IER*10+_SQLSTK"), "530");

  auto nested = [](int depth) {
    std::string t = "1";
    for (int i = 0; i < depth; ++i) t = "SQLCHILD(" + t + ")";
    return t;
  };
  EXPECT_EQ(Eval(nested(7)).code, kValueNumber);
  EXPECT_EQ(Eval(nested(8)).code, E_STROUTBOUND);
  // A failed child leaves neither the level raised nor the row cleared.
  EXPECT_EQ(Value("_SQLSTK*100+_CURROW"), "5");
  EXPECT_EQ(Eval("SQLCHILD(1+'a')").code, E_TYPES);
  EXPECT_EQ(Value("_SQLSTK*100+_CURROW"), "5");
  ASSERT_EQ(EvaluateCheck("_SQLSTK=7"), 0);
  EXPECT_EQ(Eval("SQLCHILD(1)").code, E_STROUTBOUND);
}

TEST_F(FunctionsTest, SlotGroupsAndEnvironment) {
  ASSERT_EQ(Slots().Set(kGroupEnvironment, 1, "tolvina /USER=ana /DEVICE=\"PDF\""), 0);
  ASSERT_EQ(Slots().Set(kGroupEnvironment, 2, "RAZAVIZ1:AdminLocal"), 0);
  Run({
      {"_$(30;0;'a');_$(30)", T, "a"},
      {"_$()", T, "a"},
      {"_$(31;0;'x');_$(31;0;'y');_$(31;-2)", T, "x"},  // the last entry popped
      {"_$(31;-1)", E_NODATA, ""},
      {"_$(5;3;'v');_$(5;3)", T, "v"},
      {"_$(5;3;12.5);_$(5;3)", T, "12.5"},
      {"_$(5;-1)", E_SINTAXERROR, ""},
      {"_$(35;0;'x')", E_SINTAXERROR, ""},  // the call frames are not the caller's
      {"_$(35;-1)", E_SINTAXERROR, ""},
      {"_$(39)", E_SINTAXERROR, ""},
      {"_$('a')", E_TYPES, ""},
      {"ENVRON$('USER')", T, "ana"},
      {"ENVRON$('user')", T, "ana"},
      {"ENVRON$('DEVICE')", T, "PDF"},
      {"ENVRON$('NONE')", T, ""},
      {"ENVRON$('';2)", T, "RAZAVIZ1:AdminLocal"},
      {"ENVRON$('ignored';2)", T, "RAZAVIZ1:AdminLocal"},
  });
  EXPECT_EQ(Slots().Count(31), 0);
}

TEST_F(FunctionsTest, MacroSubstitutesAndEvaluates) {
  ASSERT_EQ(EvaluateCheck("A#=1.5"), 0);
  Run({
      {"MACRO$('Total: [A#*2]')", T, "Total: 3"},
      {"MACRO$('[N]-[A#]';4;'N=seven')", T, "seven-1.5"},
      {"MACRO$('1+[A#]';8)", T, "2.5"},
      {"MACRO$('[1+''x'']')", E_TYPES, ""},
  });
}

TEST_F(FunctionsTest, FieldValueReadsNamesAsWritten) {
  ASSERT_EQ(EvaluateCheck("A$='x';N#=2.5;K=B#(2);B#(1)=4"), 0);
  Run({
      {"FN$FLDS(A$)", T, "x"},
      {"FN$FLDS(N#)+'!'", T, "2.5!"},
      {"FN$FLDS('A$')", T, "x"},
      {"FN$FLDS(B#(1))", T, "4"},
      {"FN$FLDS(B#(1+1))", T, ""},
      {"FN$FLDS(C#(1))", E_SINTAXERROR, ""},  // no such array, and none is made
      {"FN$FLDS(NOPE$)", E_SINTAXERROR, ""},
      {"FN$FLDS(.tab$)", T, "\t"},
      {"FN$FLDS(NAME{CLIENTS})", E_FEATUREREMOVED, ""},
      {"FN$FLDS(_SCR$;3)", E_SINTAXERROR, ""},
  });
  EXPECT_EQ(ArrayFind("C#("), nullptr);
  (void)CallbackSetFn<SysVarHook>(kSlotSysVarHook, [](StrRef name, uint8_t mode, StrRef) {
    if (!Equal(name, "_SCR$")) return StrRef::Fail(E_DATA);
    return Concat("screen:", IntToText(mode));
  });
  EXPECT_EQ(Value("FN$FLDS(_SCR$;3)"), "screen:3");
  EXPECT_EQ(Value("FN$FLDS(_SCR$)"), "screen:1");
  EXPECT_EQ(Value("FN$FLDS(_IER)"), "");
}

std::string seen_run;
ErrCode FakeRunner(StrRef entry, StrRef file, uint16_t mode) {
  seen_run = entry.str() + "|" + file.str() + "|" + std::to_string(mode);
  if (Equal(entry, "FAIL")) return E_PROCEXEC;
  if (Equal(entry, "SILENT")) return E_OK;
  return Slots().Push(30, "done");
}

TEST_F(FunctionsTest, ExecNeedsAProcedureRunner) {
  ClearError();
  EXPECT_EQ(Eval("EXEC$('START')").code, E_FEATUREREMOVED);
  EXPECT_NE(ErrorDetail().view().find("EXEC$()"), std::string::npos);
  (void)CallbackSetFn<ProcRunner>(kSlotProcRunner, FakeRunner);
  EXPECT_EQ(Value("EXEC$('START';'P.PRC')"), "done");
  EXPECT_EQ(seen_run, "START|P.PRC|2");
  EXPECT_EQ(Slots().Count(30), 0);
  EXPECT_EQ(Value("EXEC$('SILENT')"), "");
  EXPECT_EQ(Eval("EXEC$('FAIL')").code, E_PROCEXEC);
}

TEST_F(FunctionsTest, ExecRunsAnExpressionFileWithoutARunner) {
  host::testing::TempDir dir;
  dir.Touch("SET.DAT", "A=4\r\nB$='x'\r\n");
  ASSERT_EQ(Slots().Set(kGroupEnvironment, 5, StrRef::Of(dir.host())), E_OK);
  EXPECT_EQ(Value("EXEC$('SET.DAT')"), "");
  EXPECT_EQ(Value("B$+FN$CHRS(64+A)"), "xD");
  EXPECT_EQ(Eval("EXEC$('NONE.DAT')").code, E_FILENOTFOUND);
  EXPECT_EQ(Eval("EXEC$('SET.DAT';'P.PRC')").code, E_FEATUREREMOVED);  // a procedure file
}

TEST_F(FunctionsTest, FunctionsOfMissingLayersAreNotAvailable) {
  const char* calls[][2] = {
      {"FN#FLEN('X')", "FN#FLEN()"},   {"FILEFIND('K')", "FILEFIND()"},
      {"FILEREL(1;2;3)", "FILEREL()"}, {"FILELOCATE('NXT')", "FILELOCATE()"},
      {"FILESEL('X')", "FILESEL()"},   {"SORT$('NEW';1;2)", "SORT$()"},
      {"READ$('a.txt')", "READ$()"},   {"WRITE('a';0;'x')", "WRITE()"},
      {"KEY$(1)", "KEY$()"},           {"ier(1)", "IER()"},
  };
  for (auto& c : calls) {
    ClearError();
    EXPECT_EQ(Eval(c[0]).code, E_FEATUREREMOVED) << c[0];
    EXPECT_NE(ErrorDetail().view().find(c[1]), std::string::npos) << ErrorDetail();
  }
  ASSERT_EQ(EvaluateCheck("X=1"), 0);
  EXPECT_EQ(Eval("READ$(X=2)").code, E_FEATUREREMOVED);
  EXPECT_EQ(Value("X"), "1");  // arguments are not evaluated for nothing
}

TEST_F(FunctionsTest, ArgumentCountsAndTypes) {
  Run({
      {"FN$MIDS('ABCDE')", E_SINTAXERROR, ""},
      {"FN$MIDS('ABCDE';1;2;3)", E_SINTAXERROR, ""},
      {"FN#SLEN()", E_SINTAXERROR, ""},
      {"FN#SLEN('a';'b')", E_SINTAXERROR, ""},
      {"FN$CHRS()", E_SINTAXERROR, ""},
      {"FN$TRIM('a';'FIT';1)", E_SINTAXERROR, ""},
      {"CHK#(1)", E_SINTAXERROR, ""},
      {"_#()", E_SINTAXERROR, ""},
      {"ENVELOP$('a';1;2)", E_SINTAXERROR, ""},
      {"FN$DATE(1;2;3)", E_SINTAXERROR, ""},
      {"FN$PARM(1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;16;17;18)", E_SINTAXERROR, ""},
      // A text where a number is wanted, and a number where a text is.
      {"FN$MIDS('ABC';'x')", E_TYPES, ""},
      {"FN$CHRS('a';'b')", E_TYPES, ""},
      {"FN$PARM('A,B';'x')", E_TYPES, ""},
      {"FN$DATE('';'x')", E_TYPES, ""},
      {"FN#SLEN(5)", E_TYPES, ""},
      {"FN$MIDS(12345;2)", E_TYPES, ""},
      // An empty text counts as absent for a number.
      {"FN$MIDS('ABC';'')", T, "C"},
      // Nested calls and a failure inside them.
      {"FN$TRIM(FN$MIDS('  AB  ';2;3))", T, "AB"},
      {"FN#SLEN(FN$MIDS('ABC';1+'a'))", E_TYPES, ""},
  });
}

ErrCode Twice(const FnCall& c) {
  int64_t v;
  if (ErrCode e = CheckCount(c, 1, 2)) return e;
  if (ErrCode e = ArgInteger(c, 1, 0, &v)) return e;
  int64_t add;
  if (ErrCode e = ArgInteger(c, 2, 0, &add)) return e;
  return PushNumber(IntegerToNumber(2 * v + add)) ? E_OUTOFMEMORY : kValueNumber;
}
std::string seen_kinds;
ErrCode Kinds(const FnCall& c) {
  seen_kinds.clear();
  for (uint16_t i = 0; i < ArgCount(c); ++i) seen_kinds += static_cast<char>('0' + c.kinds[i]);
  StrRef t = ArgText(c, 1, "none");
  if (!t.ok()) return t.err();
  return Scratch().PushCopy(t) ? E_OUTOFMEMORY : kValueText;
}
ErrCode Refuses(const FnCall&) {
  return E_DATA;
}

TEST_F(FunctionsTest, RegistryOfApplicationFunctions) {
  uint16_t number = 0;
  ASSERT_EQ(RegisterFunction("VATv", Twice, &number), E_OK);
  EXPECT_EQ(number, 34);
  EXPECT_EQ(IsFunction("VATv"), 34);
  ASSERT_EQ(RegisterFunction("DOC$", Kinds, &number), E_OK);
  ASSERT_EQ(RegisterFunction("FAILS", Refuses), E_OK);
  Run({
      {"VATv(3)+1", N, "7"},
      {"VATv(3;1.4)", N, "7"},
      {"VATv()", E_SINTAXERROR, ""},
      {"VATv('a')", E_TYPES, ""},
      {"DOC$(;2)", T, "none"},
      {"doc$(5)", E_TYPES, ""},
      {"DOC$('x';2;)", T, "x"},
      {"FAILS(1;2)", E_DATA, ""},
      {"FN$TRIM(' a ')", T, "a"},  // the built-ins keep their numbers
  });
  EXPECT_EQ(seen_kinds, "102");  // the last argument written empty
  EXPECT_EQ(RegisterFunction("FN$TRIM", Twice), E_DATAEXISTS);
  EXPECT_EQ(RegisterFunction("A B", Twice), E_SINTAXERROR);
  EXPECT_EQ(RegisterFunction("X+Y", Twice), E_SINTAXERROR);
  EXPECT_EQ(RegisterFunction("", Twice), E_SINTAXERROR);
  EXPECT_EQ(RegisterFunction("NULL", nullptr), E_SINTAXERROR);
  for (int k = 3; k < 16; ++k) {
    std::string name = "APP" + std::to_string(k) + "#";
    ASSERT_EQ(RegisterFunction(StrRef::Of(name), Twice, &number), E_OK) << k;
    EXPECT_EQ(number, 34 + k);
  }
  EXPECT_EQ(RegisterFunction("SEVENTEEN#", Twice), E_DATAOUTBOUND);
  EXPECT_EQ(IsFunction("SEVENTEEN#"), 0);
  EXPECT_EQ(Value("APP15#(4)"), "8");
  EXPECT_EQ(Eval("SEVENTEEN#(4)").code, kValueNumber);  // an array element, not a call
}

std::string seen_user;
StrRef GridCell(StrRef name, const FnCall& c) {
  int64_t row;
  if (ErrCode e = ArgInteger(c, 1, -1, &row)) return StrRef::Fail(e);
  seen_user = name.str() + ":" + std::to_string(row);
  return Copy("41");
}

TEST_F(FunctionsTest, CallsOfUnderscoreNamesGoToTheUserFunctionHandler) {
  ClearError();
  EXPECT_EQ(Eval("_GRID3#(2)").code, E_SINTAXERROR);
  EXPECT_EQ(ErrorDetail().str(), "_GRID3#()\r\n_GRID3#(2)");  // the call, then its statement
  (void)CallbackSetFn<UserFunctionHandler>(kSlotUserFunction, GridCell);
  EXPECT_EQ(Value("_GRID3#(2)+1"), "42");
  EXPECT_EQ(seen_user, "_GRID3#:2");
  EXPECT_EQ(Value("_GRID3$()"), "41");
  EXPECT_EQ(seen_user, "_GRID3$:-1");
  EXPECT_EQ(Eval("_GRID3#('x')").code, E_TYPES);
}

TEST_F(FunctionsTest, FramesAreCutBackWhateverTheOutcome) {
  ASSERT_EQ(Slots().Push(kGroupArguments, "outer"), E_OK);  // a frame of a call still running
  for (const char* text : {"FN$MIDS('ABC';2)", "FN$MIDS('ABC';'x')", "FN$TRIM(FN$MIDS(1+'a'))",
                           "CHK#(1;FN$MIDS('A';'b'))", "READ$('x')", "SQLCHILD(SQLCHILD(1+'a'))",
                           "FN#ACUM(FN$CHRS('a';'b');I;1;2)"}) {
    Eval(text);
    EXPECT_EQ(Slots().Count(kGroupArguments), 1) << text;
    EXPECT_EQ(Slots().Top(kGroupArguments).str(), "outer") << text;
  }
}

}  // namespace
}  // namespace tol
