// String slot table: packing, moves, stacks, queues and limits.
#include <gtest/gtest.h>

#include <string>

#include "core/core.h"
#include "core/text.h"

namespace tol {
namespace {

class SlotsTest : public ::testing::Test {
 protected:
  CoreScope core;
  SlotTable& t = Slots();
};

TEST_F(SlotsTest, LayoutSizes) {
  EXPECT_EQ(SlotTable::kTextBytes, 61361u);
}

TEST_F(SlotsTest, SettingAnItemCreatesTheOnesBefore) {
  ASSERT_EQ(t.Set(5, 3, "x"), E_OK);
  EXPECT_EQ(t.Count(5), 4);
  for (uint16_t i = 0; i < 3; ++i) EXPECT_EQ(t.Get(5, i), StrRef(""));
  EXPECT_EQ(t.Get(5, 3), StrRef("x"));
  EXPECT_EQ(t.Get(5, 9), StrRef(""));
  EXPECT_EQ(t.Get(6, 0), StrRef(""));
}

TEST_F(SlotsTest, ChangesMoveLaterItemsAndKeepOthers) {
  ASSERT_EQ(t.Set(0, 0, "locale"), E_OK);
  ASSERT_EQ(t.Set(0, 2, "app"), E_OK);
  ASSERT_EQ(t.Set(9, 9, "detail"), E_OK);
  ASSERT_EQ(t.Push(31, "top"), E_OK);
  ASSERT_EQ(t.Set(0, 1, "a much longer command line"), E_OK);
  EXPECT_EQ(t.Get(0, 0), StrRef("locale"));
  EXPECT_EQ(t.Get(0, 2), StrRef("app"));
  EXPECT_EQ(t.Get(9, 9), StrRef("detail"));
  EXPECT_EQ(t.Top(31), StrRef("top"));
  ASSERT_EQ(t.Set(0, 1, "c"), E_OK);
  EXPECT_EQ(t.Get(9, 9), StrRef("detail"));
  EXPECT_EQ(t.bytes_used(), 6u + 1 + 3 + 6 + 3);
  // A view into the table itself.
  ASSERT_EQ(t.Set(0, 1, t.Get(9, 9)), E_OK);
  EXPECT_EQ(t.Get(0, 1), StrRef("detail"));
  ASSERT_EQ(t.Set(9, 9, Slice(t.Get(9, 9), 1)), E_OK);
  EXPECT_EQ(t.Get(9, 9), StrRef("etail"));
}

TEST_F(SlotsTest, StacksAndQueues) {
  EXPECT_EQ(t.Top(31), StrRef(""));
  EXPECT_EQ(t.Drop(31), E_OK);
  for (const char* s : {"a", "b", "c"}) {
    ASSERT_EQ(t.Push(37, StrRef::FromC(s)), E_OK);
    ASSERT_EQ(t.Push(31, StrRef::FromC(s)), E_OK);
  }
  std::string q, st;
  for (int i = 0; i < 3; ++i) {
    q += t.Take(37).str();
    st += t.Take(31).str();
  }
  EXPECT_EQ(q, "abc");
  EXPECT_EQ(st, "cba");
  EXPECT_EQ(t.Count(37), 0);
  for (int i = 0; i < 5; ++i) ASSERT_EQ(t.Push(33, "x"), E_OK);
  ASSERT_EQ(t.Truncate(33, 2), E_OK);
  EXPECT_EQ(t.Count(33), 2);
}

TEST_F(SlotsTest, LimitsFailWithoutChange) {
  EXPECT_EQ(t.Set(39, 0, "x"), E_STROUTBOUND);
  EXPECT_EQ(t.Set(1, 2048, "x"), E_STROUTBOUND);
  EXPECT_EQ(LastErrorCode(), E_STROUTBOUND);
  EXPECT_EQ(LastErrorModule(), M_DYNSTRINGS);
  StrRef big = Repeat("z", 61000);
  ASSERT_EQ(t.Set(2, 0, big), E_OK);
  EXPECT_EQ(t.Set(3, 0, Repeat("y", 360)), E_OK);  // 61360 bytes in use
  EXPECT_EQ(t.Set(3, 1, "y"), E_STROUTBOUND);      // would reach 61361
  EXPECT_EQ(t.Count(3), 1);
  EXPECT_EQ(t.bytes_used(), 61360u);
  EXPECT_EQ(t.Set(2, 0, StrRef::Fail(E_DATA)), E_DATA);
  EXPECT_EQ(t.Get(2, 0).size(), 61000);
}

TEST_F(SlotsTest, ItemCountLimit) {
  ASSERT_EQ(t.Set(4, 2046, ""), E_OK);  // 2047 items
  EXPECT_EQ(t.Push(4, ""), E_STROUTBOUND);
  EXPECT_EQ(t.items_used(), 2047);
}

}  // namespace
}  // namespace tol
