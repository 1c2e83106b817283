// The evaluator: rounding of the scaling operators, bit operators,
// comparisons and patterns, number literals and number text, precedence,
// assignment, type errors, the entry points and overflow.
#include "lang/eval.h"

#include <gtest/gtest.h>

#include <string>

#include "core/core.h"
#include "core/errors.h"
#include "core/text.h"
#include "lang/lang.h"
#include "lang/numbers.h"
#include "lang/sysvars.h"
#include "lang/variables.h"

namespace tol {
namespace {

struct Result {
  ErrCode code;
  std::string value;  // numbers written as text
};

class EvalTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(lang.init_result(), E_OK); }

  // Evaluates and checks that exactly the result (or nothing) is left.
  Result Eval(const char* text) {
    ScratchMark m = Scratch().Mark();
    ErrCode c = Evaluate(StrRef::FromC(text));
    Result r{c, ""};
    if (c == kValueNumber || c == kValueText) {
      EXPECT_EQ(Scratch().Mark(), m + 1) << text;
      StrRef top = Scratch().Top();
      if (c == kValueNumber) {
        EXPECT_EQ(top.size(), 8) << text;
        r.value = NumberText(ItemNumber(top), Places()).str();
      } else {
        r.value = top.str();
      }
    } else {
      EXPECT_EQ(Scratch().Mark(), m) << text;
    }
    Scratch().Release(m);
    return r;
  }
  std::string Num(const char* text) {
    Result r = Eval(text);
    EXPECT_EQ(r.code, kValueNumber) << text;
    return r.value;
  }

  LangScope lang;
};

struct NumCase {
  const char* text;
  const char* want;
};

TEST_F(EvalTest, ScalingOperatorsRound) {
  NumCase cases[] = {
      {"0.03*0.5", ".02"},  // 0.015 rounds up
      {"0.01*0.5", ".01"},  // a quotient of 0 rounds like any other
      {"10/3", "3.33"},
      {"2/3", ".67"},
      {"6/-3", "-2"},
      {"5/0", ""},
      {"0.01/0.03", ".33"},  // 0.333...: the half is judged exactly
      {"1.5!0", "2"},
      {"1.45!1", "1.5"},
      {"-1.45!1", "-1.5"},
      {"1.5!3", "15"},
      {"1.44!1", "1.4"},
      {"1234!-2", "1200"},
      {"200%15", "30"},
      {"200\xF7"
       "15",
       "170"},
      {"19.99%21", "4.2"},  // 4.1979 rounded twice: per cent, then scale
      {"-200%15", "-30"},
      {"7+-2", "5"},
  };
  for (const NumCase& c : cases) EXPECT_EQ(Num(c.text), c.want) << c.text;
}

TEST_F(EvalTest, BitAndLogicalOperators) {
  NumCase cases[] = {
      {"6&3", "2"},  {"4|1", "5"},   {"3|1", ""},     {"4@1", "5"},   {"3@1", ""},
      {"4@@1", "1"}, {"3@@1", ""},   {"0@@0", ""},    {"1&&2", "1"},  {"1&&0", ""},
      {"0||0", ""},  {"0||.5", "1"}, {"2*4|1", "10"},  {"2*3|1", ""}, {"6.9&3", "2"},
  };
  for (const NumCase& c : cases) EXPECT_EQ(Num(c.text), c.want) << c.text;
}

TEST_F(EvalTest, ComparisonsAndPatterns) {
  NumCase cases[] = {
      {"'abc'<'abd'", "1"},
      {"'ab'<'abc'", "1"},
      {"'b'>'B'", "1"},
      {"'\xE9'>'z'", "1"},  // bytes compare unsigned
      {"'B'=='b'", ""},
      {"'Barcelona'=='BAR*'", "1"},
      {"'Barcelona'=='*CEL*'", "1"},
      {"'Barcelona'=='*XYZ*'", ""},
      {"'Ba'=='BAR*'", ""},
      {"'abc'<>'abc'", ""},
      {"'a'>='a'", "1"},
      {"'a'<='b'", "1"},
      {"2>=2", "1"},
      {"2<>2", ""},
      {"-1<0", "1"},
  };
  for (const NumCase& c : cases) EXPECT_EQ(Num(c.text), c.want) << c.text;
  SysSet(_AUXSTAT, 128);
  EXPECT_EQ(Num("'Barcelona'=='BAR*'"), "");
  EXPECT_EQ(Num("'BAR*'=='BAR*'"), "1");
}

TEST_F(EvalTest, NumberLiterals) {
  NumCase cases[] = {
      {"1.235", "1.24"}, {"1.225", "1.23"}, {"0.005", ".01"}, {"0.004", ""},
      {"15D2", "1500"},  {"1.5D2", "1.5"},  {"0.995", "1"},   {"007", "7"},
  };
  for (const NumCase& c : cases) EXPECT_EQ(Num(c.text), c.want) << c.text;
  // Text read as a number is positional: the digits before the point and
  // exactly two decimals, as far as they are digits.
  struct TextCase {
    const char* text;
    int64_t raw;
  } texts[] = {
      {"12abc", 12}, {"abc", 0}, {"1,5", 1},   {" -1.235 ", -124},
      {"+2", 200},   {"", 0},    {"-.5", -50}, {"1.2.3", 12},
  };
  for (const TextCase& c : texts) {
    int64_t v = -1;
    EXPECT_EQ(ReadNumber(StrRef::FromC(c.text), 2, &v), E_OK) << c.text;
    EXPECT_EQ(v, c.raw) << c.text;
  }
  int64_t v;
  EXPECT_EQ(ReadNumber("123456789012345678901", 2, &v), E_EXPCALCERROR);  // 21 before the point
  EXPECT_EQ(ReadNumber("99999999999999999999", 2, &v), E_EXPCALCERROR);   // 64 bits
  EXPECT_EQ(ReadNumber("1D99999", 2, &v), E_EXPCALCERROR);
  EXPECT_EQ(ReadNumber("92233720368547758.07", 2, &v), E_OK);
  EXPECT_EQ(v, INT64_MAX);
  EXPECT_EQ(Eval("123456789012345678901").code, E_EXPCALCERROR);
}

TEST_F(EvalTest, NumberText) {
  struct Case {
    int64_t raw;
    int p;
    const char* want;
  } cases[] = {
      {1250, 2, "12.5"},
      {100, 2, "1"},
      {5, 2, ".05"},
      {-5, 2, "-.05"},
      {0, 2, ""},
      {0, 0, "0"},
      {7, 0, "7"},
      {-123456, 3, "-123.456"},
      {INT64_MIN, 2, "-92233720368547758.08"},
  };
  for (const Case& c : cases) {
    ScratchFrame f;
    EXPECT_EQ(NumberText(c.raw, c.p).str(), c.want) << c.raw;
  }
  ScratchFrame f;
  EXPECT_EQ(EvaluateText("0").str(), "");
  EXPECT_EQ(EvaluateText("1.50").str(), "1.5");
  EXPECT_EQ(EvaluateText("'x'").str(), "x");
  EXPECT_EQ(EvaluateText("5+'5'").err(), E_TYPES);
}

TEST_F(EvalTest, PrecedenceAndEmptyOperands) {
  NumCase cases[] = {
      {"10-4-3", "3"},   {"2*-3+4", "2"}, {"-3+4", "1"},     {"2+3*4", "14"},
      {"(2+3)*4", "20"}, {"-(2)", "-2"},  {"1+2>2", "1"},    {"2*(1;5)", "10"},
      {"1;2;3", "3"},    {"1:2", "2"},    {"2>1&&3>2", "1"}, {"+5", "5"},
  };
  for (const NumCase& c : cases) EXPECT_EQ(Num(c.text), c.want) << c.text;
  EXPECT_EQ(Eval("A+").code, E_SINTAXERROR);
  EXPECT_EQ(Eval("A$+").code, E_SINTAXERROR);
  EXPECT_EQ(Eval("A$=").code, E_SINTAXERROR);
  EXPECT_EQ(Eval("").code, kValueText);
  EXPECT_EQ(Eval(";").code, kValueNumber);  // an empty operand is no error at the top
}

TEST_F(EvalTest, Assignment) {
  EXPECT_EQ(Num("A=B=C=7"), "7");
  EXPECT_EQ(Num("A+B+C"), "21");
  EXPECT_EQ(Num("X#=2.5*2"), "5");
  EXPECT_EQ(Eval("N$='ab'+'cd'").value, "abcd");
  EXPECT_EQ(Eval("N$").value, "abcd");
  EXPECT_EQ(Num("X=1"), "1");  // an assignment is a value: in a condition it is true
  EXPECT_EQ(EvaluateCondition("Y=0"), 0);
  EXPECT_EQ(Num("Y"), "");
  EXPECT_EQ(Num("T#=-1.5;T#"), "-1.5");
  // Statements run in order; earlier assignments stay done after a failure.
  EXPECT_EQ(Eval("K=5;K$=K;K=6").code, E_TYPES);
  EXPECT_EQ(Num("K"), "5");
  // Arrays: elements written after the array exists; _#( is created by its
  // first write.
  EXPECT_EQ(Num("V(3)"), "");
  EXPECT_EQ(Num("V(2)=9;V(1+1)*2"), "18");
  EXPECT_EQ(Eval("W(1)=1").code, E_DIMSTRUCERROR);
  EXPECT_EQ(Num("_#(5)=1.25;A#=3"), "3");
  EXPECT_EQ(Eval("_#(300)=1").code, E_DATAOUTBOUND);
  EXPECT_EQ(Eval("V(1)='x'").code, E_TYPES);
}

TEST_F(EvalTest, TypeAndSyntaxErrors) {
  struct Case {
    const char* text;
    ErrCode code;
  } cases[] = {
      {"5+'5'", E_TYPES},         {"X$=3", E_TYPES},          {"X#='a'", E_TYPES},
      {"3=X", E_SINTAXERROR},     {"'a'=X$", E_SINTAXERROR},  {"2*X=3", E_SINTAXERROR},
      {"'a'*'b'", E_SINTAXERROR}, {"'a'-'b'", E_SINTAXERROR}, {"A=>B", E_SINTAXERROR},
      {"(1)=2", E_SINTAXERROR},   {"A B", E_SINTAXERROR},     {"(A", E_LOOP},
      {"F(1)X", E_SINTAXERROR},
  };
  for (const Case& c : cases) {
    ClearError();
    EXPECT_EQ(Eval(c.text).code, c.code) << c.text;
    EXPECT_EQ(LastErrorCode(), c.code) << c.text;
  }
  ClearError();
  EXPECT_EQ(Eval("A=1;B$=2;C=3").code, E_TYPES);
  EXPECT_EQ(LastErrorModule(), M_EXPEXEC);
  EXPECT_EQ(ErrorDetail().str(), "B$=2");  // the failing statement
  EXPECT_EQ(Num("C"), "");                 // nothing after it ran
}

TEST_F(EvalTest, EntryPoints) {
  EXPECT_EQ(EvaluateCondition(""), 1);
  EXPECT_EQ(EvaluateCondition("'YES'"), 0);
  EXPECT_EQ(EvaluateCondition("2>1"), 1);
  EXPECT_EQ(EvaluateCondition("2+'a'"), E_TYPES);
  EXPECT_EQ(EvaluateInteger("7.5"), 8);
  EXPECT_EQ(EvaluateInteger("-7.5"), -8);
  EXPECT_EQ(EvaluateInteger("'7'"), 0);
  EXPECT_EQ(EvaluateInteger("40000"), -25536);
  EXPECT_EQ(EvaluateCheck("A=1"), 0);
  EXPECT_EQ(EvaluateCheck("A$=1"), E_TYPES);
  int64_t total = 100;
  EXPECT_EQ(EvaluateAccumulate("2.5", &total), 0);
  EXPECT_EQ(EvaluateAccumulate("'1.5'", &total), 0);
  EXPECT_EQ(total, 500);
  EXPECT_EQ(EvaluateAccumulate("1+'x'", &total), E_TYPES);
  EXPECT_EQ(total, 500);
  ScratchMark m = Scratch().Mark();
  (void)EvaluateCondition("X=1;Y$='a'");
  EXPECT_EQ(Scratch().Mark(), m);
}

TEST_F(EvalTest, PrecisionIsReadEachTime) {
  EXPECT_EQ(Num("_PRECIS=3;10/3"), "3.333");
  EXPECT_EQ(Num("1.2345"), "1.235");
  EXPECT_EQ(Num("_PRECIS=0;7/2"), "4");
  EXPECT_EQ(Num("0"), "0");
}

TEST_F(EvalTest, OverflowIsAnErrorNeverAWrongNumber) {
  // The product needs more than 64 bits before scaling; the result fits.
  EXPECT_EQ(Num("50000000000000*100"), "5000000000000000");
  EXPECT_EQ(Num("90000000000000000*.5"), "45000000000000000");
  EXPECT_EQ(Num("90000000000000000%50"), "45000000000000000");
  EXPECT_EQ(Num("90000000000000000\xF7"
                "50"),
            "45000000000000000");
  EXPECT_EQ(Num("90000000000000000/90000000000000000"), "1");
  struct Case {
    const char* text;
  } cases[] = {
      {"90000000000000000*2"},
      {"90000000000000000*-2"},
      {"90000000000000000/.5"},
      {"90000000000000000%300"},
      {"90000000000000000\xF7-100"},
      {"90000000000000000+90000000000000000"},
      {"-90000000000000000-90000000000000000"},
      {"90000000000000000!4"},
  };
  for (const Case& c : cases) {
    ClearError();
    EXPECT_EQ(Eval(c.text).code, E_EXPCALCERROR) << c.text;
    EXPECT_EQ(ErrorDetail().str(), c.text);
  }
}

TEST_F(EvalTest, MissingSeamsAreNotAvailable) {
  ClearError();
  EXPECT_EQ(Eval("FN$TRIM(' a ')").code, E_FEATUREREMOVED);
  EXPECT_NE(ErrorDetail().view().find("FN$TRIM()"), std::string::npos);
  EXPECT_EQ(Eval("NOMBRE{CLIENTES}").code, E_FEATUREREMOVED);
  EXPECT_NE(ErrorDetail().view().find("NOMBRE{CLIENTES}"), std::string::npos);
}

TEST_F(EvalTest, HooksAreCalledWithTheirTexts) {
  static std::string seen;
  Lang().expr.hooks.call = [](uint16_t number, StrRef name, StrRef args) -> ErrCode {
    seen = std::to_string(number) + ":" + name.str() + ":" + args.str();
    return Scratch().PushCopy("42") ? E_OUTOFMEMORY : kValueText;  // a text, converted by kind
  };
  EXPECT_EQ(Num("fn#slen(A$;'x y')+1"), "43");
  EXPECT_EQ(seen, "3:fn#slen:A$;'x y'");
  EXPECT_EQ(Eval("_CELL$(2)").value, "42");
  EXPECT_EQ(seen, "0:_CELL$:2");
  Lang().expr.hooks.field_type = [](StrRef) -> uint8_t { return 'N'; };
  Lang().expr.hooks.field_read = [](StrRef) -> ErrCode {
    return Scratch().PushCopy("12.5") ? E_OUTOFMEMORY : E_OK;
  };
  EXPECT_EQ(Num("IMPORTE{1}+'1'"), "13.5");  // a numeric field reads a text as a number
  EXPECT_EQ(Eval("1+'1'").code, E_TYPES);
}

TEST_F(EvalTest, DeepNestingFailsCleanly) {
  std::string deep(3000, '(');
  deep += "1" + std::string(3000, ')');
  EXPECT_GE(Eval(deep.c_str()).code, E_TYPES);
  std::string minus(20000, '-');
  minus += "1";
  EXPECT_GE(Eval(minus.c_str()).code, E_TYPES);
  EXPECT_EQ(Lang().expr.depth, 0);
  EXPECT_EQ(Num("(((1)))"), "1");
}

}  // namespace
}  // namespace tol
