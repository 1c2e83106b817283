// The last error record (first failure, forcing) and the error detail.
#include <gtest/gtest.h>

#include <string>

#include "core/core.h"
#include "core/errors.h"

namespace tol {
namespace {

class ErrorsTest : public ::testing::Test {
 protected:
  CoreScope core;
};

TEST_F(ErrorsTest, FirstHardFailureStaysUntilForced) {
  struct Step {
    int flag;
    uint16_t module;
    ErrCode code;
    uint32_t want;  // record after the step
  } steps[] = {
      {1, M_SCREENS, E_CANCEL, 0},                         // soft: not recorded
      {1, M_SCREENS, 120, 0},                              // notice: not recorded
      {0, M_SCREENS, E_FILENOTFOUND, 0},                   // flag 0: nothing
      {1, M_DATAFILE, E_FILENOTFOUND, (18u << 16) | 164},  // first hard failure
      {1, M_STREAMS, E_DISKIO, (18u << 16) | 164},         // later one does not replace
      {2, M_STREAMS, E_DISKIO, (17u << 16) | 130},         // forced
      {2, M_SCREENS, E_CANCEL, (20u << 16) | 122},         // forced soft
      {1, M_DATAFILE, E_FILENOTFOUND, (20u << 16) | 122},  // a record is there already
  };
  for (const Step& s : steps) {
    uint32_t back = Report(s.flag, s.module, s.code, 77);
    EXPECT_EQ(back, s.flag ? 77u : 0u);
    EXPECT_EQ(LastError(), s.want) << s.flag << " " << s.code;
  }
}

TEST_F(ErrorsTest, FailHelpersPassTheirValuesThrough) {
  EXPECT_EQ(Fail(M_DATAFILE, E_BADDATA), E_BADDATA);
  EXPECT_EQ(LastError(), 0u);
  StrRef t = FailText(0, M_DATAFILE, E_DATA, "ok");
  EXPECT_EQ(t, StrRef("ok"));
  t = FailText(1, M_DATAFILE, E_DATA, "ok");
  EXPECT_EQ(t.err(), E_DATA);
  EXPECT_EQ(LastErrorModule(), M_DATAFILE);
  EXPECT_EQ(LastErrorCode(), E_DATA);
}

TEST_F(ErrorsTest, ClearEmptiesRecordAndDetailOnly) {
  ASSERT_EQ(Slots().Set(kGroupRuntime, kItemLogName, "mi.log"), E_OK);
  Fail(M_DATAFILE, E_FILENOTFOUND);
  SetDetail(0, "x.dat");
  ClearError();
  EXPECT_EQ(LastError(), 0u);
  EXPECT_EQ(ErrorDetail(), StrRef(""));
  EXPECT_EQ(Slots().Get(kGroupRuntime, kItemLogName), StrRef("mi.log"));
}

TEST_F(ErrorsTest, AppendKeepsAboutTheFirstKilobyteByWholeLines) {
  std::string a(500, 'a'), b(500, 'b'), c(500, 'c');
  struct Case {
    std::string before, want;
  } cases[] = {
      {"", "new"},
      {"old", "old\r\nnew"},
      {a + "\r\n" + b, a + "\r\n" + b + "\r\nnew"},               // 1002 bytes: kept
      {a + "\r\n" + b + "\r\n" + c, a + "\r\n" + b + "\r\nnew"},  // third line cut
      {std::string(1500, 'x'), "new"},                            // no CR: dropped
      {std::string(1100, 'x') + "\r\n" + c, "new"},               // first line alone too long
  };
  for (const Case& k : cases) {
    SetDetail(0, StrRef::Of(k.before));
    EXPECT_EQ(SetDetail(9, "new", true), 9u);
    EXPECT_EQ(ErrorDetail().str(), k.want) << k.before.size();
  }
}

TEST_F(ErrorsTest, ReplaceAndFailedText) {
  SetDetail(0, "uno");
  SetDetail(0, "dos");
  EXPECT_EQ(ErrorDetail(), StrRef("dos"));
  EXPECT_EQ(SetDetail(5, StrRef::Fail(E_DATA)), 5u);  // a failure leaves the detail alone
  EXPECT_EQ(ErrorDetail(), StrRef("dos"));
}

}  // namespace
}  // namespace tol
