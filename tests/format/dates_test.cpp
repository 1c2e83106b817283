// Dates: parsing in day-month and month-day languages, two-digit years,
// validation with the Gregorian leap rule, shifting and differences across
// month ends and leap days, every display kind, and the compact form.
#include "format/dates.h"

#include "core/errors.h"
#include "format/fixture.h"

namespace tol {
namespace {

using DatesTest = FormatTest;

std::string Today() {
  return DateValidate(DateToday()).str();
}

TEST_F(DatesTest, ParseTypedDates) {
  struct Case {
    Conv lang;
    const char* typed;
    const char* want;
  } cases[] = {
      {Conv::ES, "5/1/24", "20240105"},
      {Conv::EN, "5/1/24", "20240501"},
      {Conv::ES, "050124", "20240105"},  // DDMMYY in every language
      {Conv::EN, "050124", "20240105"},
      {Conv::ES, "05-01-2024", "20240105"},
      {Conv::ES, " 5.1.24 ", "20240105"},
      {Conv::ES, "1/1/79", "20790101"},  // around the pivot
      {Conv::ES, "1/1/80", "19800101"},
      {Conv::ES, "1/1/00", "20000101"},
      {Conv::ES, "29/2/2024", "20240229"},
      {Conv::ES, "29/2/2000", "20000229"},
      {Conv::ES, "20240105", "20240105"},  // already YYYYMMDD
      // not dates
      {Conv::ES, "31/02/2024", ""},
      {Conv::ES, "29/2/1900", ""},
      {Conv::ES, "29/2/2100", ""},
      {Conv::ES, "5/13/24", ""},
      {Conv::EN, "13/5/24", ""},
      {Conv::ES, "105/1/24", ""},
      {Conv::ES, "0/1/24", ""},
      {Conv::ES, "5/1", ""},
      {Conv::ES, "5/1/", ""},
      {Conv::ES, "5//24", ""},
      {Conv::ES, "a/1/24", ""},
      {Conv::ES, "5/1/24/7", ""},
      {Conv::ES, "5/1/99999999999", ""},
      {Conv::ES, "310224", ""},
      {Conv::ES, "20240231", ""},
      {Conv::ES, "abc", ""},
      {Conv::ES, "        ", "        "},  // a blank date stays blank
  };
  for (const Case& c : cases) {
    Use(c.lang);
    EXPECT_EQ(Show(DateParse(StrRef::FromC(c.typed))), c.want) << c.typed;
  }
}

TEST_F(DatesTest, EmptyTextIsToday) {
  EXPECT_EQ(Show(DateParse("")), Today());
  SysSetBits(_AUXSTAT, 64, true);
  EXPECT_EQ(Show(DateParse("")), "        ");
  EXPECT_EQ(DateParse(StrRef::Fail(E_DATA)).err(), E_DATA);
}

TEST_F(DatesTest, YearExpandFollowsItsSettings) {
  EXPECT_EQ(YearExpand(79), 2079);
  EXPECT_EQ(YearExpand(80), 1980);
  EXPECT_EQ(YearExpand(99), 1999);
  SysSet(_BKYEAR, 50);
  EXPECT_EQ(YearExpand(49), 2049);
  EXPECT_EQ(YearExpand(50), 1950);
  SysSet(_BYEAR, 1900);
  EXPECT_EQ(YearExpand(49), 1949);
  EXPECT_EQ(YearExpand(50), 1850);
}

TEST_F(DatesTest, MonthLengthsAndValidation) {
  struct Case {
    int month, year, days;
  } months[] = {{2, 1900, 28}, {2, 2000, 29},  {2, 2100, 28}, {2, 2024, 29}, {2, 2023, 28},
                {4, 2024, 30}, {12, 2024, 31}, {0, 2024, 0},  {13, 2024, 0}};
  for (const Case& c : months)
    EXPECT_EQ(DaysInMonth(c.month, c.year), c.days) << c.month << "/" << c.year;

  struct Valid {
    int64_t n;
    const char* want;
  } valid[] = {{20240229, "20240229"}, {20230229, ""}, {99991231, "99991231"}, {100000101, ""},
               {101, "00000101"},      {20241301, ""}, {20240100, ""},         {-20240101, ""}};
  for (const Valid& c : valid) EXPECT_EQ(Show(DateValidate(c.n)), c.want) << c.n;
}

TEST_F(DatesTest, DatePart) {
  EXPECT_EQ(DatePart("20240105", DATE_DAY), 5);
  EXPECT_EQ(DatePart("20240105", DATE_MONTH), 1);
  EXPECT_EQ(DatePart("20240105", DATE_YEAR), 2024);
  EXPECT_EQ(DatePart("20240105", DATE_NUMBER), 20240105);
  EXPECT_EQ(DatePart("20240105", 3), 0);
  EXPECT_EQ(DatePart("5", DATE_DAY), 5);
  EXPECT_EQ(DatePart("", DATE_NUMBER), 0);
}

TEST_F(DatesTest, ShiftByDaysMonthsAndYears) {
  struct Case {
    const char* date;
    int64_t amount;
    int unit;
    int64_t want;
  } cases[] = {
      {"20240131", 1, DATE_MONTHS, 20240229},  // cut to the month's length
      {"20230131", 1, DATE_MONTHS, 20230228},
      {"20240331", -1, DATE_MONTHS, 20240229},
      {"20240115", 13, DATE_MONTHS, 20250215},
      {"20240115", -13, DATE_MONTHS, 20221215},
      {"20241231", 1, DATE_DAYS, 20250101},
      {"20240101", -1, DATE_DAYS, 20231231},
      {"20240228", 1, DATE_DAYS, 20240229},
      {"20240301", -1, DATE_DAYS, 20240229},
      {"20250301", -1, DATE_DAYS, 20250228},
      {"20240101", 366, DATE_DAYS, 20250101},
      {"20240229", 4, DATE_YEARS, 20280229},
      {"20240229", 1, DATE_YEARS, 20250301},  // no 29 February: the next day
      {"20240231", 0, 15, 20240302},          // other units only normalise
      {"20240105", 7, 15, 20240105},
      // differences against a second date
      {"20240301", 20230301, DATE_DAYS, 366},
      {"20250301", 20240301, DATE_DAYS, 365},
      {"20230301", 20240301, DATE_DAYS, -366},
      {"20240315", 20240110, DATE_DAYS, 65},
      {"20240315", 20231120, DATE_MONTHS, 4},
      {"20240315", 20231120, DATE_YEARS, 1},
      {"20240105", 20230105, 15, 0},
      {"", 1, DATE_DAYS, 0},
      {"2024-01-05", 1, DATE_DAYS, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DateShift(StrRef::FromC(c.date), c.amount, c.unit), c.want)
        << c.date << " " << c.amount << " unit " << c.unit;
}

TEST_F(DatesTest, DayShiftAndDifferenceAgree) {
  for (int64_t days : {1, 28, 59, 60, 365, 366, 1461, 10000, -1, -60, -366, -10000}) {
    int64_t shifted = DateShift("20231215", days, DATE_DAYS);
    StrRef text = DateValidate(shifted);
    ASSERT_EQ(text.size(), 8) << days;
    EXPECT_EQ(DateShift(text, 20231215, DATE_DAYS), days) << days;
  }
}

TEST_F(DatesTest, DisplayKinds) {
  struct Case {
    Conv lang;
    const char* date;
    int kind;
    const char* want;
  } cases[] = {
      {Conv::ES, "20240105", DATE_AS_IS, "20240105"},
      {Conv::ES, "20240105", DATE_SHORT, "05-01-24"},
      {Conv::ES, "20240105", DATE_FULL, "05-01-2024"},
      {Conv::ES, "20240105", DATE_MONTH_YEAR, "Ene 2024"},
      {Conv::ES, "20240105", DATE_LONG, "05 de Enero de 2024"},
      {Conv::ES, "20240105", 5, ""},
      {Conv::EN, "20240105", DATE_SHORT, "01-05-24"},
      {Conv::EN, "20240105", DATE_FULL, "01-05-2024"},
      {Conv::EN, "20241205", DATE_MONTH_YEAR, "Dec 2024"},
      {Conv::EN, "20240105", DATE_LONG, "January 05, 2024"},
      // before the start-up: built-in month names, month first
      {Conv::Builtin, "20240105", DATE_SHORT, "01-05-24"},
      {Conv::Builtin, "20240905", DATE_LONG, "05 de Septiembre de 2024"},
      // invalid dates
      {Conv::ES, "20241301", DATE_SHORT, "        "},
      {Conv::ES, "20240230", DATE_FULL, "          "},
      {Conv::ES, "2024010", DATE_FULL, "          "},
      {Conv::ES, "20241301", DATE_MONTH_YEAR, ""},
      {Conv::ES, "20241301", DATE_AS_IS, ""},
  };
  for (const Case& c : cases) {
    Use(c.lang);
    EXPECT_EQ(Show(DateDisplay(StrRef::FromC(c.date), c.kind)), c.want)
        << c.date << " kind " << c.kind;
  }
}

TEST_F(DatesTest, DisplayOfEmptyDate) {
  Use(Conv::ES);
  EXPECT_EQ(Show(DateDisplay("", DATE_AS_IS)), Today());
  EXPECT_EQ(Show(DateDisplay("        ", DATE_FULL)),
            Show(DateDisplay(StrRef::Of(Today()), DATE_FULL)));
  SysSetBits(_AUXSTAT, 64, true);
  EXPECT_EQ(Show(DateDisplay("", DATE_SHORT)), "        ");
  EXPECT_EQ(Show(DateDisplay("", DATE_LONG)), "");
}

TEST_F(DatesTest, MonthNameHoldingAPatternIsNotReplaced) {
  std::string text = std::string(",.'0123456789,-D',' NS','  ,NO,SI'") + '\0' +
                     "'[Y],F,M,A,M,J,J,A,S,O,N,D','[D]/[M]/[Y]'" + '\0' + ' ';
  ASSERT_EQ(Slots().Set(0, 0, StrRef::Of(text)), E_OK);
  EXPECT_EQ(Show(DateDisplay("20240105", DATE_LONG)), "05/[Y]/2024");
}

TEST_F(DatesTest, CompactForm) {
  struct Case {
    const char* stored;
    const char* date;
  } cases[] = {{"A5 1 1", "20050101"},
               {"99 1 1", "19990101"},
               {"      ", "        "},
               {"J91231", "20991231"},
               {"A411 5", "20041105"}};
  for (const Case& c : cases) {
    EXPECT_EQ(Show(CompactDateRead(StrRef::FromC(c.stored))), c.date) << c.stored;
    EXPECT_EQ(Show(CompactDateStore(StrRef::FromC(c.date))), c.stored) << c.date;
  }
  EXPECT_EQ(Show(CompactDateStore("21000101")), "000101");  // no compact form: plain YYMMDD
  EXPECT_EQ(Show(CompactDateStore("18991231")), "991231");
  EXPECT_EQ(Show(CompactDateRead("A41105")), "20041105");
  EXPECT_EQ(Show(CompactDateRead("12345")), "12345");
}

}  // namespace
}  // namespace tol
