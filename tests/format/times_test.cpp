// Times of day: reading, writing in every code, and spans across midnight.
#include "format/times.h"

#include "format/fixture.h"

namespace tol {
namespace {

using TimesTest = FormatTest;

TEST_F(TimesTest, Parse) {
  struct Case {
    const char* text;
    int32_t want;
  } cases[] = {
      {"01:02:03.5", 3723500},
      {"2:30", 150000},
      {"90", 90000},
      {"1:2:3:4", 0},
      {"12.345", 12345},
      {"0:0:1.25", 1250},
      {"0:0:1.2567", 1256},
      {".5", 500},
      {"10.", 10000},
      {"1.2.3", 1200},
      {"abc", 0},
      {"-1", -1000},
      {"23:59:59.999", 86399999},
  };
  for (const Case& c : cases) EXPECT_EQ(TimeParse(StrRef::FromC(c.text)), c.want) << c.text;
}

TEST_F(TimesTest, EmptyTextIsNow) {
  int32_t before = TimeNow();
  int32_t t = TimeParse("");
  int32_t after = TimeNow();
  EXPECT_GE(t, 0);
  EXPECT_LT(t, 86400000);
  if (after >= before) {  // not across midnight
    EXPECT_GE(t, before);
    EXPECT_LE(t, after);
  }
}

TEST_F(TimesTest, Format) {
  struct Case {
    int32_t t;
    uint8_t code;
    const char* want;
  } cases[] = {
      {3723500, 3, "01:02:03"},      {3723500, 7, "01:02:03.500"}, {3723500, 0, "0102"},
      {3723500, 1, "01:02"},         {3723500, 6, "010203.500"},   {0, 7, "00:00:00.000"},
      {86399999, 7, "23:59:59.999"},
  };
  for (const Case& c : cases) EXPECT_EQ(Show(TimeFormat(c.t, c.code)), c.want) << c.t;
}

TEST_F(TimesTest, Span) {
  EXPECT_EQ(TimeSpan(86000000, 400000), 800000);
  EXPECT_EQ(TimeSpan(1000, 5000), 4000);
  EXPECT_EQ(TimeSpan(5000, 5000), 0);
}

}  // namespace
}  // namespace tol
