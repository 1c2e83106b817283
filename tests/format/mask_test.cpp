// Edit masks: numeric masks in both separator sets, rounding, shifting and
// dropping, the compact notation with and without the decimals table, text
// masks, and the cleaning of typed numbers.
#include "format/mask.h"

#include "core/errors.h"
#include "format/fixture.h"

namespace tol {
namespace {

using MaskTest = FormatTest;

struct MaskCase {
  Conv lang;
  const char* mask;
  const char* value;
  bool fixed;
  const char* want;
};

TEST_F(MaskTest, NumberMaskLaysNumbers) {
  const MaskCase cases[] = {
      // separators: the conventions' for display, "." and "," when fixed
      {Conv::ES, "###,##0.00", "-3.456", false, "     -3,46"},
      {Conv::ES, "###,##0.00", "-3.456", true, "     -3.46"},
      {Conv::ES, "###,##0.00", "1234.5", false, "  1.234,50"},
      {Conv::EN, "###,##0.00", "1234.5", false, "  1,234.50"},
      {Conv::Builtin, "###,##0.00", "1234.5", false, "  1,234.50"},
      {Conv::ES, "#,###,###", "1234567", false, "1.234.567"},
      // no integer digits: a "0" before the separator
      {Conv::ES, "##0.00", ".5", true, "  0.50"},
      {Conv::ES, "###.##", ".5", true, "  0.50"},
      {Conv::ES, "###.##", "-.5", true, " -0.50"},
      // decimals filled and rounded, halves away from zero
      {Conv::ES, "##0.00", "7", true, "  7.00"},
      {Conv::ES, "##0.0", "2.25", true, "  2.3"},
      {Conv::ES, "##0.0", "-2.25", true, " -2.3"},
      {Conv::ES, "##0.0", "9.96", true, " 10.0"},
      {Conv::ES, "##0.0", "-0.04", true, "  0.0"},
      {Conv::ES, "###", "2.5", true, "  3"},
      // zero and nothing: "0" placeholders stay, "#" become blanks
      {Conv::ES, "###,##0.00", "", false, "      0,00"},
      {Conv::ES, "###.##", "", true, "      "},
      {Conv::ES, "###.##", "0", true, "  0.00"},
      // too many integer digits: thousands marks give way first, then
      // decimals, then digits are dropped from the left
      {Conv::ES, "###,##0.00", "1234567.891", false, "1234567,89"},
      {Conv::ES, "##0.00", "1234.567", true, "1234.6"},
      {Conv::ES, "##0.00", "12345.6", true, " 12346"},
      {Conv::ES, "#,###", "1234567", true, "34567"},
      {Conv::ES, "##.##", "-12.5", true, "-12.5"},
      // text around the placeholders stays; trailing non-digits are dropped
      {Conv::ES, "$ ##0.00 EUR", "5", true, "$   5.00 EUR"},
      {Conv::ES, "##0.00", "12.5 EUR", true, " 12.50"},
      {Conv::ES, "abc", "12", true, "abc"},
      // typed Spanish thousands marks: the last point is the decimal point
      {Conv::ES, "###,##0.00", "1.234.5", false, "  1.234,50"},
  };
  for (const MaskCase& c : cases) {
    Use(c.lang);
    EXPECT_EQ(Show(NumberMask(StrRef::FromC(c.mask), StrRef::FromC(c.value), c.fixed)), c.want)
        << c.mask << " <- " << c.value;
  }
}

TEST_F(MaskTest, CompactNotation) {
  struct Case {
    const char* table;
    const char* mask;
    const char* want;
  } cases[] = {
      {"", "#######,.2", "###,###.##"},
      {"", "0000000,.2", "000,000.00"},
      {"", "######,.0", "#,###,###"},
      {"", "##,.12", "#.####"},  // more decimals than room
      {"", "###,###.##", "###,###.##"},
      {"", "#,.x", "#,.x"},
      {"0,3,1", "#######,.2", "####,###.#"},  // item 3 of the table
      {"0,3,1", "#######,.1", "##,###.###"},
      {"0,3", "#######,.2", "###,###.##"},  // the table has no item 3
  };
  for (const Case& c : cases) {
    SetMaskDecimals(c.table);
    EXPECT_EQ(Show(ExpandCompactMask(StrRef::FromC(c.mask))), c.want) << c.mask << " " << c.table;
  }
  Use(Conv::ES);
  SetMaskDecimals("");
  EXPECT_EQ(Show(MaskFormat("#######,.2", "1234.5", 0)), "  1.234,50");
  EXPECT_EQ(Show(NumberMask("#######,.2", "-1234.567", true)), " -1,234.57");
}

TEST_F(MaskTest, TextMasks) {
  struct Case {
    const char* mask;
    const char* value;
    const char* want;
  } cases[] = {
      {"\\\\\\-\\\\", "12345", "123-45"},
      {"\\\\\\-\\\\", "1", "1  -  "},
      {"\\   \\", "abcdefg", "abcde"},  // blanks between two "\" are "\" too
      {"\\ x", "ab", "a x"},            // no closing "\": the blank is a literal
      {"\\  \\-\\ \\", "abcdefg", "abcd-efg"},
      {"??"
       "?-???",
       "abcdefg", "abc-efg"},  // split: no trigraph
      {"??", "a", "a "},
      {"\\??", "abc", "a??"},      // "?" is a literal when "\" comes first
      {"?\\\\?", "abcd", "abcd"},  // "\" takes what "?" leaves
      {"#\\#", "xy", "#x#"},
      {"", "abc", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Show(MaskFormat(StrRef::FromC(c.mask), StrRef::FromC(c.value), kMaskIfNumeric)),
              c.want)
        << c.mask;
}

TEST_F(MaskTest, MaskFormatChoosesNumericOrText) {
  Use(Conv::ES);
  struct Case {
    const char* mask;
    const char* value;
    uint8_t how;
    const char* want;
  } cases[] = {
      {"###,##0.00", "1234.5", 0, "  1.234,50"},
      {"###,##0.00", "1234.5", kMaskFixed, "  1,234.50"},
      {"###,##0.00", "1234.5", kMaskIfNumeric, "  1.234,50"},
      {"###,##0.00", "12 ab", kMaskIfNumeric, "###,##0.00"},  // not numeric: the mask itself
      {"###", "abc", 0, "   "},  // other hows: a numeric mask is always numeric
      {"#\\#", "xy", 0, " \\ "},
      {"\\\\\\", "1234.5", kMaskFixed, "123"},  // a text mask stays one
  };
  for (const Case& c : cases)
    EXPECT_EQ(Show(MaskFormat(StrRef::FromC(c.mask), StrRef::FromC(c.value), c.how)), c.want)
        << c.mask << " <- " << c.value << " how " << int(c.how);
}

TEST_F(MaskTest, ErrorValuesPassThrough) {
  StrRef bad = StrRef::Fail(E_DATAOUTBOUND);
  EXPECT_EQ(NumberMask("###", bad, true).err(), E_DATAOUTBOUND);
  EXPECT_EQ(NumberMask(bad, "1", true).err(), E_DATAOUTBOUND);
  EXPECT_EQ(MaskFormat("\\\\", bad, 0).err(), E_DATAOUTBOUND);
  EXPECT_EQ(NumberClean(bad).err(), E_DATAOUTBOUND);
}

TEST_F(MaskTest, MasksLeaveTheScratchStackAsFound) {
  Use(Conv::ES);
  ScratchMark before = Scratch().Mark();
  StrRef r = NumberMask("###,##0.00", "-1234.567", false);
  EXPECT_EQ(Scratch().Mark(), before + 1);
  EXPECT_EQ(r, Scratch().Top());
}

TEST_F(MaskTest, NumberCleanReadsTypedNumbers) {
  struct Case {
    Conv lang;
    const char* typed;
    const char* want;
  } cases[] = {
      {Conv::ES, "1.234,5", "1.234.5"},  // both marks become "."
      {Conv::ES, " \t0,5 ", "0.5"},
      {Conv::ES, "00,5", "0.5"},
      {Conv::ES, "007", "7"},
      {Conv::ES, "0", "0"},
      {Conv::ES, "-12,5", "-12.5"},
      {Conv::ES, "12-3", "12"},
      {Conv::ES, "12a3", "12"},
      {Conv::ES, "12D", "12D"},
      {Conv::EN, "1,234.5", "1"},
      {Conv::EN, "3.25", "3.25"},
      {Conv::EN, "123456789012345678901234", "12345678901234567890"},
      {Conv::ES, "", ""},
  };
  for (const Case& c : cases) {
    Use(c.lang);
    EXPECT_EQ(Show(NumberClean(StrRef::FromC(c.typed))), c.want) << c.typed;
  }
}

}  // namespace
}  // namespace tol
