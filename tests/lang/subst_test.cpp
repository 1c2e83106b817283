// Bracket substitution: nesting, the flags that change results, lookups and
// the failures that end it.
#include "lang/subst.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/core.h"
#include "core/errors.h"
#include "lang/eval.h"
#include "lang/lang.h"
#include "lang/scanner.h"

namespace tol {
namespace {

class SubstTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(lang.init_result(), E_OK);
    ASSERT_EQ(EvaluateCheck("A#=1.5;N=2;X2$='two';X$='[N]';S$='  pad  ';Z#=0;Q$='[Q$]'"), 0);
  }
  std::string Sub(const char* text, uint16_t flags = 0, const char* values = "") {
    ScratchFrame f;
    StrRef r = BracketSubstitute(StrRef::FromC(text), flags, StrRef::FromC(values));
    return r.ok() ? r.str() : "<" + std::to_string(r.err()) + ">";
  }
  LangScope lang;
};

TEST_F(SubstTest, ValuesReplaceBrackets) {
  struct Case {
    const char* text;
    uint16_t flags;
    const char* want;
  } cases[] = {
      {"Total: [A#*2]", 0, "Total: 3"},
      {"[X[N]$]", 0, "two"},  // the inner bracket first, then the name it forms
      {"no brackets", 0, "no brackets"},
      {"a]b[c", 0, "a]b[c"},
      {"<[S$]>", 0, "<pad>"},
      {"<[S$]>", SUBST_NOTRIM, "<  pad  >"},
      {"<[Z#]>", 0, "<0>"},
      {"<[Z#]>", SUBST_EMPTYZERO, "<>"},
      {"[N]", SUBST_QUOTE, "'2'"},
      {"[N]", SUBST_QUOTE | SUBST_DOUBLE, "\"2\""},
      {"'[N]' [N]", SUBST_QUOTES, "'[N]' 2"},
      {"'[N]' [N]", 0, "'2' 2"},
      {"[MAXLIN%]", 0, "MAXLIN%"},
      {"[MAXLIN%]", SUBST_LOOKUP, ""},
      {"[X$]", 0, "[N]"},           // values are not searched again ...
      {"[X$]", SUBST_RESCAN, "2"},  // ... unless asked
      {"\\{N\\}=[N]", SUBST_ESCAPES, "[N]=2"},
  };
  for (const Case& c : cases) EXPECT_EQ(Sub(c.text, c.flags), c.want) << c.text << " " << c.flags;
}

TEST_F(SubstTest, LookupByNameBeforeEvaluation) {
  EXPECT_EQ(Sub("[N]-[MAXLIN%]-[A#]", SUBST_LOOKUP, "N=seven,MAXLIN%=66"), "seven-66-1.5");
  ASSERT_EQ(Slots().Set(kGroupEnvironment, 1, "tolvina /USER=ana /DEVICE=PDF"), 0);
  EXPECT_EQ(Sub("[USER]@[DEVICE]", SUBST_LOOKUP), "ana@PDF");
  setenv("TOLVINA_SUBST_TEST", "from-env", 1);
  EXPECT_EQ(Sub("[TOLVINA_SUBST_TEST]", SUBST_LOOKUP), "from-env");
  unsetenv("TOLVINA_SUBST_TEST");
}

TEST_F(SubstTest, FailuresEndTheSubstitution) {
  ScratchMark m = Scratch().Mark();
  EXPECT_EQ(Sub("a [1+'x'] b"), "<128>");
  EXPECT_EQ(Sub("[Q$]", SUBST_RESCAN), "<129>");  // a value that keeps making itself
  std::string big = "[FN$CHRS('x';1)]";
  EXPECT_EQ(Sub(big.c_str()), "<148>");
  EXPECT_EQ(Scratch().Mark(), m);
}

}  // namespace
}  // namespace tol
