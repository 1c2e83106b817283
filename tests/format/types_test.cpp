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
  Conv lang;
  char type;
  const char* value;
  uint16_t width;
  const char* want;  // "!168" for a failure with that code
};

TEST_F(TypesTest, TypeMasks) {
  Use(Conv::ES);
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
      {Conv::ES, '2', "12.5", 7, "  12.50"},
      {Conv::ES, 'N', "12.5", 5, " 12.5"},
      {Conv::ES, 'N', "12.5", 3, " 13"},  // re-laid, rounded
      {Conv::ES, 'N', "12.5", 1, "!168"},
      {Conv::ES, 'N', "12345", 3, "!168"},
      {Conv::ES, 'N', "-12.5", 4, " -13"},
      {Conv::ES, 'N', "12.345", 5, "12.35"},  // keeps the decimals that fit
      {Conv::ES, 'N', " 7 ", 3, "  7"},
      {Conv::ES, '2', "1.23456789", 7, "   1.23"},
      {Conv::ES, '2', "-123.4", 6, "-123.4"},  // the sign keeps its place
      {Conv::ES, '2', "12345678", 7, "!168"},
      {Conv::ES, '2', "", 5, "     "},
      {Conv::ES, 'A', "abc", 5, "abc  "},
      {Conv::ES, 'A', "abcdef", 4, "abcd"},
      {Conv::ES, 'B', " 12", 4, " 12 "},
      {Conv::ES, 'P', "x", 2, "x "},
      {Conv::ES, 'C', "12 3", 6, "120300"},
      {Conv::ES, 'C', "", 3, "   "},
      {Conv::ES, 'D', "20240105", 8, "20240105"},
      {Conv::ES, 'D', "20240105", 6, "240105"},  // the century is dropped
      {Conv::ES, 'D', "", 8, "        "},
      {Conv::ES, 'F', "20240105", 6, "240105"},
      {Conv::ES, 'L', "1", 1, "1"},
      {Conv::ES, 'L', " ", 1, " "},
      {Conv::ES, 'V', "xyz", 3, "   "},
      {Conv::ES, 'Z', "xyz", 2, "  "},
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
  Use(Conv::ES);
  EXPECT_EQ(Show(DisplayFormat('F', "A5 1 1", 10)), "01-01-2005");
  EXPECT_EQ(Show(InputFormat('F', "5/1/24", 6)), "C4 1 5");
}

TEST_F(TypesTest, InputFormat) {
  const Case cases[] = {
      {Conv::ES, '2', "1.234,5", 9, "  1234.50"},
      {Conv::ES, '2', "-3,456", 7, "  -3.46"},
      {Conv::ES, 'N', "1.234,5", 8, "    1235"},  // type N keeps no decimals
      {Conv::EN, '2', "3.256", 6, "  3.26"},
      {Conv::EN, '2', "1,234.5", 6, "  1.00"},  // "," ends an English number
      {Conv::ES, '2', "123456", 5, "!168"},     // would lose its first digit
      {Conv::ES, 'N', "-123", 3, "!168"},
      {Conv::ES, '2', "abc", 5, "     "},
      {Conv::ES, 'N', "12,5", kNoAlign, "13"},
      {Conv::ES, '2', "12,5", kNoAlign, "12.50"},
      {Conv::ES, 'A', "Hola", 6, "Hola  "},
      {Conv::ES, 'P', "Hola", 2, "Ho"},
      {Conv::ES, 'A', "Hola", kNoAlign, "Hola"},
      {Conv::ES, 'B', "12a 3", 6, "12 3  "},
      {Conv::ES, 'C', "1a2", 4, "1200"},
      {Conv::ES, 'L', "s", 1, "1"},
      {Conv::ES, 'L', "No", 1, "0"},
      {Conv::ES, 'L', "y", 1, " "},
      {Conv::ES, 'L', "", 1, " "},
      {Conv::EN, 'L', "y", 1, "1"},
      {Conv::EN, 'L', "s", 1, " "},
      {Conv::EN, 'L', "n", 3, "  0"},
      {Conv::ES, 'D', "5/1/24", 8, "20240105"},
      {Conv::ES, 'D', "5/1/24", 6, "240105"},
      {Conv::EN, 'D', "5/1/24", 8, "20240501"},
      {Conv::ES, 'D', "31/2/24", 8, "        "},
      {Conv::ES, 'V', "x", 3, "   "},
      {Conv::ES, 'V', "x", kNoAlign, ""},
  };
  for (const Case& c : cases) {
    Use(c.lang);
    EXPECT_EQ(Show(InputFormat(c.type, StrRef::FromC(c.value), c.width)), c.want)
        << c.type << " " << c.value << " w" << c.width;
  }
}

TEST_F(TypesTest, DisplayFormat) {
  const Case cases[] = {
      {Conv::ES, '2', "12.50", 8, "   12,50"},
      {Conv::EN, '2', "12.50", 8, "   12.50"},
      {Conv::ES, '2', "-1234.5", 6, " -1235"},
      {Conv::ES, '3', "1.5", 6, " 1,500"},
      {Conv::ES, 'N', "1234567", 9, "  1234567"},
      {Conv::ES, 'N', "", 4, "    "},
      {Conv::ES, 'A', "abc", 5, "abc  "},
      {Conv::ES, 'C', "abcdef", 3, "abc"},
      {Conv::ES, 'L', "1", 2, "SI"},
      {Conv::ES, 'L', "0", 2, "NO"},
      {Conv::ES, 'L', " ", 2, "  "},
      {Conv::ES, 'L', "1", 4, "SI  "},
      {Conv::ES, 'L', "x", 2, "  "},
      {Conv::EN, 'L', "1", 3, "YES"},
      {Conv::Builtin, 'L', "1", 3, "YES"},
      {Conv::ES, 'D', "20240105", 8, "05-01-24"},
      {Conv::ES, 'D', "20240105", 10, "05-01-2024"},
      {Conv::EN, 'D', "20240105", 10, "01-05-2024"},
      {Conv::ES, 'D', "20240105", 7, "       "},
      {Conv::ES, 'D', "240105", 8, "05-01-24"},
      {Conv::ES, 'D', "800105", 10, "05-01-1980"},
      {Conv::ES, 'D', "20240231", 10, "          "},
      {Conv::ES, 'F', "        ", 8, "        "},
      {Conv::ES, 'F', "", 10, "          "},
      {Conv::ES, 'Q', "abc", 3, "abc"},
      {Conv::ES, 'Q', "abc", 4, "    "},
  };
  for (const Case& c : cases) {
    Use(c.lang);
    EXPECT_EQ(Show(DisplayFormat(c.type, StrRef::FromC(c.value), c.width)), c.want)
        << c.type << " " << c.value << " w" << c.width;
  }
}

TEST_F(TypesTest, EmptyDateFieldShowsToday) {
  Use(Conv::ES);
  std::string today = Show(DateDisplay(DateValidate(DateToday()), DATE_SHORT));
  EXPECT_EQ(Show(DisplayFormat('D', "        ", 8)), today);
  SysSetBits(_AUXSTAT, 64, true);
  EXPECT_EQ(Show(DisplayFormat('D', "        ", 8)), "        ");
}

TEST_F(TypesTest, ChangeOfLanguageTakesEffectAtOnce) {
  Use(Conv::ES);
  EXPECT_EQ(Show(DisplayFormat('2', "1.5", 5)), " 1,50");
  Use(Conv::EN);
  EXPECT_EQ(Show(DisplayFormat('2', "1.5", 5)), " 1.50");
}

}  // namespace
}  // namespace tol
