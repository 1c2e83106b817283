// Text operations: views, copies, case, searches and conversions.
#include <gtest/gtest.h>

#include "core/core.h"
#include "core/text.h"

namespace tol {
namespace {

class TextTest : public ::testing::Test {
 protected:
  CoreScope core;
};

TEST_F(TextTest, MakeFromCText) {
  EXPECT_EQ(StrRef::FromC(nullptr).err(), E_DATA);
  StrRef e = StrRef::FromC("");
  EXPECT_TRUE(e.ok());
  EXPECT_EQ(e.size(), 0);
  EXPECT_EQ(StrRef(nullptr, 0).err(), E_NOTFOUND);
}

TEST_F(TextTest, Slices) {
  struct Case {
    int32_t start;
    uint16_t count;
    const char* want;
  } cases[] = {{-2, 1, "ef"}, {-2, kNpos, "ef"}, {1, kNpos, "bcdef"}, {9, 2, ""},
               {2, 2, "cd"},  {4, 9, "ef"},      {-9, 1, "abcdef"}};
  for (const Case& c : cases)
    EXPECT_EQ(Slice("abcdef", c.start, c.count), StrRef::FromC(c.want)) << c.start;
}

TEST_F(TextTest, FailuresPassThrough) {
  StrRef f = StrRef::Fail(E_FILENOTFOUND);
  EXPECT_EQ(Concat("a", f).err(), E_FILENOTFOUND);
  EXPECT_EQ(Upper(Trim(Slice(f, 1))).err(), E_FILENOTFOUND);
  EXPECT_EQ(ReplaceAll(f, "a", "b").err(), E_FILENOTFOUND);
  EXPECT_EQ(Compare(f, "a"), E_STROUTBOUND);
}

TEST_F(TextTest, CompareAndCase) {
  EXPECT_EQ(Compare("ab", "abc"), 0xFFFF);
  EXPECT_EQ(Compare("b", "abc"), 1);
  EXPECT_EQ(Compare("abc", "abc"), 0);
  EXPECT_EQ(Compare("\xE9", "z"), 1);  // unsigned bytes
  EXPECT_EQ(Upper("\xF1"
                  "and\xFA"),
            StrRef("\xF1"
                   "AND\xFA"));
  EXPECT_EQ(Lower("ABC\xD1"), StrRef("abc\xD1"));
}

TEST_F(TextTest, UnquoteTrimJoin) {
  EXPECT_EQ(Unquote("'a'"), StrRef("a"));
  EXPECT_EQ(Unquote("'a\""), StrRef("'a\""));
  EXPECT_EQ(Unquote("'"), StrRef("'"));
  EXPECT_EQ(Trim(" \ta b\t "), StrRef("a b"));
  EXPECT_EQ(Trim("  a  ", TRIM_LEFT), StrRef("a  "));
  EXPECT_EQ(Join("a", "=", ""), StrRef("a"));
  EXPECT_EQ(Join("a", "=", "b"), StrRef("a=b"));
  EXPECT_EQ(Join("", "=", "b"), StrRef("b"));
}

TEST_F(TextTest, QuoteAwareSearch) {
  EXPECT_EQ(FindByte("a','b,c", ',', 0, false), 5);
  EXPECT_EQ(FindByte("a','b,c", ',', 0, true), 2);
  EXPECT_EQ(FindByte("a'b,c", ',', 0, false), kNpos);  // unclosed quote hides the rest
  EXPECT_EQ(FindByte("a'b'c'", '\'', 2, false), 3);    // quotes are searched plainly
  EXPECT_EQ(FindText("x\"ab\"ab", "ab", false), 5);
  EXPECT_EQ(FindText("ab", "abc", true), kNpos);
  EXPECT_EQ(FindLast("a,b','c", ',', false), 1);
  EXPECT_EQ(FindLast("a,b','c", ',', true), 4);
  EXPECT_EQ(FindAny("ab:c/d", ":/", 3), 4);
}

TEST_F(TextTest, ReplaceAllAndCount) {
  struct Case {
    const char *text, *pat, *rep, *want;
    bool plain;
  } cases[] = {
      {"aaa", "aa", "b", "ba", true},        {"a.b.c", ".", "", "abc", true},
      {"x'.'.y", ".", "-", "x'.'-y", false}, {"a'b'c", "'", "\"", "a\"b\"c", false},
      {"abc", "", "z", "abc", true},         {"", "a", "b", "", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(
        ReplaceAll(StrRef::FromC(c.text), StrRef::FromC(c.pat), StrRef::FromC(c.rep), c.plain),
        StrRef::FromC(c.want))
        << c.text;
  EXPECT_EQ(CountOf("aaaa", "aa"), 2);
  // The stack does not grow with the number of hits.
  ScratchMark m = Scratch().Mark();
  StrRef big = Repeat("a", 5000);
  StrRef r = ReplaceAll(big, "a", "bb");
  EXPECT_EQ(r.size(), 10000);
  EXPECT_EQ(Scratch().Mark(), m + 2);
}

TEST_F(TextTest, Conversions) {
  EXPECT_EQ(ToInteger("si"), 1);
  EXPECT_EQ(ToInteger(" 12x"), 12);
  EXPECT_EQ(ToInteger("x"), 0);
  EXPECT_EQ(ToInteger("-7"), -7);
  EXPECT_TRUE(IsYes("on"));
  EXPECT_FALSE(IsYes("yess"));
  EXPECT_EQ(IntToText(0), StrRef("0"));
  EXPECT_EQ(IntToText(-45), StrRef("-45"));
  EXPECT_EQ(IntToText(INT64_MIN), StrRef("-9223372036854775808"));
  EXPECT_EQ(IntToTextPadded(42, 5, '0'), StrRef("00042"));
  EXPECT_EQ(IntToTextPadded(123456, 3, ' '), StrRef("123456"));
  EXPECT_EQ(DigitsValue("ff", 16), 255);
  EXPECT_EQ(DigitsValue("12z", 10), 12);
  EXPECT_EQ(KeepOnly("a1b2c3", "0123456789"), StrRef("123"));
  EXPECT_EQ(Translate("a-b-c", "-", "+"), StrRef("a+b+c"));
}

TEST_F(TextTest, OverwriteCutsAtTheEnd) {
  StrRef d = Copy("abcdef");
  EXPECT_EQ(Overwrite(d, 4, "XYZ"), E_OK);
  EXPECT_EQ(d, StrRef("abcdXY"));
  EXPECT_EQ(Overwrite(d, -1, "Q"), E_OK);
  EXPECT_EQ(d, StrRef("abcdXQ"));
  EXPECT_EQ(Overwrite(d, 6, "Q"), E_OK);
  EXPECT_EQ(d, StrRef("abcdXQ"));
}

}  // namespace
}  // namespace tol
