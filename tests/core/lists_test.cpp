// Lists, brackets, parameter texts, message formatting and number helpers.
#include <gtest/gtest.h>

#include <string>

#include "core/core.h"
#include "core/lists.h"
#include "core/text.h"

namespace tol {
namespace {

class ListsTest : public ::testing::Test {
 protected:
  CoreScope core;
};

TEST_F(ListsTest, CountAndItem) {
  EXPECT_EQ(ListCount("", ','), 0);
  EXPECT_EQ(ListCount("a", ','), 1);
  EXPECT_EQ(ListCount("a,", ','), 2);
  EXPECT_EQ(ListCount("'a,b',c", ','), 2);
  EXPECT_EQ(ListItem("x,'y,z',w", ',', 2), StrRef("'y,z'"));
  EXPECT_EQ(ListItem("a,b", ',', 5), StrRef(""));
  EXPECT_EQ(ListItem("a,b", ',', 0), StrRef(""));
  EXPECT_EQ(ListItem("a,,c", ',', 3), StrRef("c"));
  EXPECT_EQ(ListItem(StrRef("a\0'b\0c", 6), 0, 3), StrRef("c"));  // NUL searched plainly
  EXPECT_EQ(ListItemInt("a, 'x', 7 ,si", ',', 4), 1);
  EXPECT_EQ(ListItemInt("a, 7 ", ',', 2), 7);
}

TEST_F(ListsTest, IndexOfWholeItems) {
  EXPECT_EQ(ListIndex("YES,SI,Y,S,ON", "S", ','), 4);
  EXPECT_EQ(ListIndex("YES,SI,Y,S,ON", "si", ','), 0);
  EXPECT_EQ(ListIndex("a,bb", "abb", ','), 0);
  EXPECT_EQ(ListIndex("a,,b", "", ','), 2);
}

TEST_F(ListsTest, EditingOperations) {
  struct Case {
    const char* got;
    const char* want;
  };
  std::string r[] = {
      ListSet("a,b", ',', 5, "x").str(),
      ListSet("a,b", ',', 0, "x").str(),
      ListSet("a,b,c", ',', 2, "").str(),
      ListSet("", ',', 3, "x").str(),
      ListDelete("a,b,c", ',', 2).str(),
      ListDelete("a,b,c", ',', 1).str(),
      ListDelete("a,b,c", ',', 3).str(),
      ListDelete("a", ',', 1).str(),
      ListDelete("a,b", ',', 4).str(),
      ListUnion("a,b", ',', "b;c", ';').str(),
      ListDifference("a,b,c", ',', "b", ',').str(),
      ListCollapse("a,,,b,,c", ',').str(),
  };
  const char* want[] = {"a,b,,,x", "a,b,x", "a,,c", ",,x",   "a,c", "b,c",
                        "a,b",     "",      "a,b",  "a,b,c", "a,c", "a,b,c"};
  for (size_t i = 0; i < std::size(want); ++i) EXPECT_EQ(r[i], want[i]) << i;
  EXPECT_EQ(ListLongest("ab,'abcd',x", ','), 4);
  EXPECT_EQ(ListShortest("ab,'abcd',x", ','), 1);
  ListArray a = ListToArray("p,q", ',');
  EXPECT_EQ(a.count, 2);
  EXPECT_EQ(a[2], StrRef("q"));
  EXPECT_EQ(a[3], StrRef(""));
  EXPECT_EQ(InRanges("1-3,5-9,7", 7), 2);
  EXPECT_EQ(InRanges("1-3,5-9,7", 4), 0);
}

TEST_F(ListsTest, CleanValuesAndBrackets) {
  EXPECT_EQ(CleanValue("abc"), StrRef("ABC"));
  EXPECT_EQ(CleanValue(" abc "), StrRef("abc"));
  EXPECT_EQ(CleanValue("'Abc'"), StrRef("Abc"));
  EXPECT_EQ(Inner("f(a(b)c)d", '('), StrRef("a(b)c"));
  EXPECT_EQ(Inner("x%APNAME%y", '%'), StrRef("APNAME"));
  EXPECT_EQ(Inner("f(a(b", '('), StrRef(""));
  EXPECT_EQ(Wrap("a", '['), StrRef("[a]"));
  EXPECT_TRUE(Enclosed("{x}", '{'));
  EXPECT_FALSE(Enclosed("{", '{'));
  EXPECT_EQ(Quote("it's", '\''), StrRef("\"it's\""));
  EXPECT_EQ(Quote("a", '"'), StrRef("\"a\""));
  EXPECT_EQ(Quote("'\"", '\'').err(), E_DATA);
}

TEST_F(ListsTest, ParameterTexts) {
  EXPECT_EQ(ParmValue("/ROW=5/COL=10", "ROW", PARM_RAW), StrRef("5"));
  EXPECT_EQ(ParmValue("/ROW=5/COL=10", "COL", PARM_RAW), StrRef("10"));
  EXPECT_FALSE(ParmLocate("XROW=5", "ROW").found());
  EXPECT_EQ(ParmValue("ROW:1 ROW=2", "ROW", PARM_RAW), StrRef("1"));
  EXPECT_EQ(ParmValue("ROW=2 ROW:1", "ROW", PARM_RAW), StrRef("1"));  // ":" form first
  EXPECT_EQ(ParmValue("A='x:y' B=2", "A", PARM_UNQUOTED), StrRef("x:y"));
  EXPECT_EQ(ParmValue("A=abc", "A", PARM_CLEAN), StrRef("ABC"));
  EXPECT_EQ(ParmValue("Q='A=1' A=2", "A", PARM_RAW), StrRef("2"));  // skips quoted hits
  StrRef nul("K=v\0X=w", 7);
  ParmSpan s = ParmLocate(nul, "X", PARM_NUL);
  ASSERT_TRUE(s.found());
  EXPECT_EQ(s.offset, 6);
  ScratchMark m = Scratch().Mark();
  EXPECT_EQ(ParmHas("A='q'", "A"), E_OK);
  EXPECT_EQ(Scratch().Top(), StrRef("q"));
  Scratch().Release(m);
  EXPECT_EQ(ParmHas("A='q'", "%A"), E_NOTFOUND);
  EXPECT_EQ(ParmHas("%A='q'", "%A"), E_OK);
  EXPECT_EQ(Scratch().Top(), StrRef("'q'"));
}

TEST_F(ListsTest, FormatMessageIsBounded) {
  EXPECT_EQ(FormatMessage(20, "%s-%i", "ab", 7), StrRef("ab-7"));
  ClearError();
  StrRef f = FormatMessage(4, "%s", "abcd");
  EXPECT_EQ(f.err(), E_STRINGTOOLONG);
  EXPECT_EQ(LastErrorCode(), E_STRINGTOOLONG);
  EXPECT_EQ(LastErrorModule(), M_FORMATSTRINGS);
  EXPECT_EQ(FormatMessage(5, "%s", "abcd"), StrRef("abcd"));
}

TEST_F(ListsTest, NumberHelpers) {
  struct Div {
    int64_t x, y, want;
  } divs[] = {{7, 2, 4},
              {-7, 2, -4},
              {4, 3, 1},
              {5, 3, 2},
              {10, 3, 3},
              {5, -4, -1},
              {9, 0, 0},
              {1, 2, 1},
              {-1, 2, -1},
              {3, 2, 2},
              {2, 3, 1},
              {1, 3, 0},
              {INT64_MAX, 1, INT64_MAX},
              {INT64_MIN, 1, INT64_MIN}};
  for (const Div& d : divs) EXPECT_EQ(DivRound(d.x, d.y), d.want) << d.x << "/" << d.y;
  EXPECT_EQ(RoundPlaces(12345, 3, 1), 12300);
  EXPECT_EQ(RoundPlaces(-12350, 3, 1), -12400);
  EXPECT_EQ(RoundPlaces(15, 1, 3), 1500);
  DivRem q = DivWithRemainder(-7, 2);
  EXPECT_EQ(q.quotient, -3);
  EXPECT_EQ(q.remainder, 1);
  EXPECT_EQ(ParseInteger("-12"), -12);
  EXPECT_EQ(Parse64(" -9223372036854775808"), INT64_MIN);
  EXPECT_EQ(Parse64("99999999999999999999"), INT64_MAX);
  char recs[] = "cbab";  // records of one byte; stable and unsigned
  SortRecords(recs, 1, 4);
  EXPECT_STREQ(recs, "abbc");
  unsigned char hi[] = {0xF0, 0x10};
  SortRecords(hi, 1, 2);
  EXPECT_EQ(hi[0], 0x10);
}

}  // namespace
}  // namespace tol
