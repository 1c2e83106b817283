// Field type codes: stored, typed and shown forms of every type at widths
// that cut and pad, in Spanish and English conventions.
#include "format/types.h"

#include "core/errors.h"
#include "format/dates.h"
#include "format/fixture.h"

namespace tol {
namespace {

using TypesTest = FormatTest;

struct Case {
  Lang lang;
  char type;
  const char* value;
  uint16_t width;
  const char* want;  // "!168" for a failure with that code
};

TEST_F(TypesTest, TypeMasks) {
  Use(Lang::ES);
  EXPECT_EQ(Show(TypeMask('2', 7, true)), "####.##");
  EXPECT_EQ(Show(TypeMask('2', 7, false)), "####,##");
  EXPECT_EQ(Show(TypeMask('N', 3, true)), "###");
  EXPECT_EQ(Show(TypeMask('A', 3, true)), "\\\\\\");
  EXPECT_EQ(Show(TypeMask('L', 1, true)), "\\");
  EXPECT_EQ(Show(TypeMask('1', 2, true)), "##");  // no room for a point and a digit
  EXPECT_EQ(Show(TypeMask('9', 11, true)), "#.#########");
}

TEST_F(TypesTest, StoreFormat) {
  const Case cases[] = {
      {Lang::ES, '2', "12.5", 7, "  12.50"},
      {Lang::ES, 'N', "12.5", 5, " 12.5"},
      {Lang::ES, 'N', "12.5", 3, " 13"},  // re-laid, rounded
      {Lang::ES, 'N', "12.5", 1, "!168"},
      {Lang::ES, 'N', "12345", 3, "!168"},
      {Lang::ES, 'N', "-12.5", 4, " -13"},
      {Lang::ES, 'N', "12.345", 5, "12.35"},  // keeps the decimals that fit
      {Lang::ES, 'N', " 7 ", 3, "  7"},
      {Lang::ES, '2', "1.23456789", 7, "   1.23"},
      {Lang::ES, '2', "-123.4", 6, "-123.4"},  // the sign keeps its place
      {Lang::ES, '2', "12345678", 7, "!168"},
      {Lang::ES, '2', "", 5, "     "},
      {Lang::ES, 'A', "abc", 5, "abc  "},
      {Lang::ES, 'A', "abcdef", 4, "abcd"},
      {Lang::ES, 'B', " 12", 4, " 12 "},
      {Lang::ES, 'P', "x", 2, "x "},
      {Lang::ES, 'C', "12 3", 6, "120300"},
      {Lang::ES, 'C', "", 3, "   "},
      {Lang::ES, 'D', "20240105", 8, "20240105"},
      {Lang::ES, 'D', "20240105", 6, "240105"},  // the century is dropped
      {Lang::ES, 'D', "", 8, "        "},
      {Lang::ES, 'F', "20240105", 6, "240105"},
      {Lang::ES, 'L', "1", 1, "1"},
      {Lang::ES, 'L', " ", 1, " "},
      {Lang::ES, 'V', "xyz", 3, "   "},
      {Lang::ES, 'Z', "xyz", 2, "  "},
  };
  for (const Case& c : cases) {
    Use(c.lang);
    EXPECT_EQ(Show(StoreFormat(c.type, StrRef::FromC(c.value), c.width)), c.want)
        << c.type << " " << c.value << " w" << c.width;
  }
  EXPECT_EQ(StoreFormat('A', StrRef::Fail(E_DATA), 3).err(), E_DATA);
}

TEST_F(TypesTest, TooLongNumberIsReportedWithItsText) {
  ClearError();
  EXPECT_EQ(StoreFormat('N', "123456", 4).err(), E_DATAOUTBOUND);
  EXPECT_EQ(LastErrorCode(), E_DATAOUTBOUND);
  EXPECT_EQ(ErrorDetail().str(), "123456");
}

TEST_F(TypesTest, CompactDatesInTypeF) {
  SysSetBits(_COMPAT, 4, true);
  EXPECT_EQ(Show(StoreFormat('F', "20050101", 6)), "A5 1 1");
  EXPECT_EQ(Show(StoreFormat('F', "19991231", 6)), "991231");
  EXPECT_EQ(Show(StoreFormat('F', "", 6)), "      ");
  EXPECT_EQ(Show(StoreFormat('F', "20050101", 8)), "20050101");
  EXPECT_EQ(Show(StoreFormat('D', "20050101", 6)), "050101");  // only type F
  Use(Lang::ES);
  EXPECT_EQ(Show(DisplayFormat('F', "A5 1 1", 10)), "01-01-2005");
  EXPECT_EQ(Show(InputFormat('F', "5/1/24", 6)), "A4 1 5");
}

TEST_F(TypesTest, InputFormat) {
  const Case cases[] = {
      {Lang::ES, '2', "1.234,5", 9, "  1234.50"},
      {Lang::ES, '2', "-3,456", 7, "  -3.46"},
      {Lang::ES, 'N', "1.234,5", 8, "    1235"},  // type N keeps no decimals
      {Lang::EN, '2', "3.256", 6, "  3.26"},
      {Lang::EN, '2', "1,234.5", 6, "  1.00"},  // "," ends an English number
      {Lang::ES, '2', "123456", 5, "!168"},     // would lose its first digit
      {Lang::ES, 'N', "-123", 3, "!168"},
      {Lang::ES, '2', "abc", 5, "     "},
      {Lang::ES, 'N', "12,5", kNoAlign, "13"},
      {Lang::ES, '2', "12,5", kNoAlign, "12.50"},
      {Lang::ES, 'A', "Hola", 6, "Hola  "},
      {Lang::ES, 'P', "Hola", 2, "Ho"},
      {Lang::ES, 'A', "Hola", kNoAlign, "Hola"},
      {Lang::ES, 'B', "12a 3", 6, "12 3  "},
      {Lang::ES, 'C', "1a2", 4, "1200"},
      {Lang::ES, 'L', "s", 1, "1"},
      {Lang::ES, 'L', "No", 1, "0"},
      {Lang::ES, 'L', "y", 1, " "},
      {Lang::ES, 'L', "", 1, " "},
      {Lang::EN, 'L', "y", 1, "1"},
      {Lang::EN, 'L', "s", 1, " "},
      {Lang::EN, 'L', "n", 3, "  0"},
      {Lang::ES, 'D', "5/1/24", 8, "20240105"},
      {Lang::ES, 'D', "5/1/24", 6, "240105"},
      {Lang::EN, 'D', "5/1/24", 8, "20240501"},
      {Lang::ES, 'D', "31/2/24", 8, "        "},
      {Lang::ES, 'V', "x", 3, "   "},
      {Lang::ES, 'V', "x", kNoAlign, ""},
  };
  for (const Case& c : cases) {
    Use(c.lang);
    EXPECT_EQ(Show(InputFormat(c.type, StrRef::FromC(c.value), c.width)), c.want)
        << c.type << " " << c.value << " w" << c.width;
  }
}

TEST_F(TypesTest, DisplayFormat) {
  const Case cases[] = {
      {Lang::ES, '2', "12.50", 8, "   12,50"},
      {Lang::EN, '2', "12.50", 8, "   12.50"},
      {Lang::ES, '2', "-1234.5", 6, " -1235"},
      {Lang::ES, '3', "1.5", 6, " 1,500"},
      {Lang::ES, 'N', "1234567", 9, "  1234567"},
      {Lang::ES, 'N', "", 4, "    "},
      {Lang::ES, 'A', "abc", 5, "abc  "},
      {Lang::ES, 'C', "abcdef", 3, "abc"},
      {Lang::ES, 'L', "1", 2, "SI"},
      {Lang::ES, 'L', "0", 2, "NO"},
      {Lang::ES, 'L', " ", 2, "  "},
      {Lang::ES, 'L', "1", 4, "SI  "},
      {Lang::ES, 'L', "x", 2, "  "},
      {Lang::EN, 'L', "1", 3, "YES"},
      {Lang::Builtin, 'L', "1", 3, "YES"},
      {Lang::ES, 'D', "20240105", 8, "05-01-24"},
      {Lang::ES, 'D', "20240105", 10, "05-01-2024"},
      {Lang::EN, 'D', "20240105", 10, "01-05-2024"},
      {Lang::ES, 'D', "20240105", 7, "       "},
      {Lang::ES, 'D', "240105", 8, "05-01-24"},
      {Lang::ES, 'D', "800105", 10, "05-01-1980"},
      {Lang::ES, 'D', "20240231", 10, "          "},
      {Lang::ES, 'F', "        ", 8, "        "},
      {Lang::ES, 'F', "", 10, "          "},
      {Lang::ES, 'Q', "abc", 3, "abc"},
      {Lang::ES, 'Q', "abc", 4, "    "},
  };
  for (const Case& c : cases) {
    Use(c.lang);
    EXPECT_EQ(Show(DisplayFormat(c.type, StrRef::FromC(c.value), c.width)), c.want)
        << c.type << " " << c.value << " w" << c.width;
  }
}

TEST_F(TypesTest, EmptyDateFieldShowsToday) {
  Use(Lang::ES);
  std::string today = Show(DateDisplay(DateValidate(DateToday()), DATE_SHORT));
  EXPECT_EQ(Show(DisplayFormat('D', "        ", 8)), today);
  SysSetBits(_AUXSTAT, 64, true);
  EXPECT_EQ(Show(DisplayFormat('D', "        ", 8)), "        ");
}

TEST_F(TypesTest, ChangeOfLanguageTakesEffectAtOnce) {
  Use(Lang::ES);
  EXPECT_EQ(Show(DisplayFormat('2', "1.5", 5)), " 1,50");
  Use(Lang::EN);
  EXPECT_EQ(Show(DisplayFormat('2', "1.5", 5)), " 1.50");
}

}  // namespace
}  // namespace tol
