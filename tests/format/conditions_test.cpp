// Condition texts: terms, appending with a joiner, and joining two
// conditions with the "1&&" override.
#include "format/conditions.h"

#include "format/fixture.h"

namespace tol {
namespace {

using ConditionsTest = FormatTest;

TEST_F(ConditionsTest, Term) {
  struct Case {
    const char* field;
    int op;
    const char* value;
    const char* pattern;
    const char* want;
  } cases[] = {
      {"CODE{}", 3, "B7", "", "CODE{}>='B7'"},
      {"CODE{}", 3, "", "", ""},
      {"CODE{}", 9, "B7", "", "CODE{}<>'B7'"},  // beyond the list: the last
      {"CODE{}", 1, "B7", "", "CODE{}=='B7'"},
      {"IMP{}", 5, "100", "%s%s%s", "IMP{}<=100"},
      {"N{}", 1, "O'Neil", "", "N{}=='O'Neil'"},  // no escaping
      {"N{}", 4, "x", "%s%s%s%s %d 100%%", "N{}<x %d 100%"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Show(ConditionTerm(StrRef::FromC(c.field), c.op, StrRef::FromC(c.value),
                                 StrRef::FromC(c.pattern))),
              c.want)
        << c.field << " " << c.op;
}

TEST_F(ConditionsTest, Append) {
  EXPECT_EQ(Show(ConditionAppend("", "B{}", 1, "x", "")), "B{}=='x'");
  EXPECT_EQ(Show(ConditionAppend("A>1", "B{}", 1, "x", "")), "A>1&&B{}=='x'");
  EXPECT_EQ(Show(ConditionAppend("A>1", "B{}", 2, "x", "||")), "A>1||B{}>'x'");
  EXPECT_EQ(Show(ConditionAppend("A>1", "B{}", 2, "", "||")), "A>1");
}

TEST_F(ConditionsTest, Join) {
  struct Case {
    const char *first, *second, *want;
  } cases[] = {
      {"A>1", "B<2", "(A>1)&&(B<2)"},
      {"1&&C==3", "B<2", "C==3"},
      {"A>1", "1&&C==3", "C==3"},
      {"1&&X", "1&&Y", "X"},
      {"", "B<2", "B<2"},
      {"A>1", "", "A>1"},
      {"", "", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Show(ConditionJoin(StrRef::FromC(c.first), StrRef::FromC(c.second), "&&")), c.want)
        << c.first << " / " << c.second;
}

}  // namespace
}  // namespace tol
