// Selections: growth past one step, the eight shared rows, nesting and
// freeing, an empty result.
#include "data/selection.h"

#include <gtest/gtest.h>

#include "file_fixture.h"

namespace tol::testing {
namespace {

class SelectionTest : public FileTest {
 protected:
  void SetUp() override {
    FileTest::SetUp();
    ASSERT_EQ(FileOpen(kClientes, MODE_CURRENT), ST_PAST);
    for (int i = 0; i < 40; ++i) {
      char code[8];
      snprintf(code, sizeof code, "C%03d", i);
      ASSERT_EQ(AddCustomer(code, i % 2 ? "odd" : "even"), 0);
    }
  }
};

TEST_F(SelectionTest, GrowsPastThirtyTwoAndReadsInKeyOrder) {
  ASSERT_EQ(SelectionBuild(kClientes, 1, "", "", "", 0), 0);
  EXPECT_EQ(SelectionCount(kClientes), 40);
  ASSERT_EQ(SelectionRead(kClientes, HALF_BOTH, 33), ST_ON_RECORD);
  EXPECT_EQ(Get(kClientes, "CODE"), "C033");
  EXPECT_EQ(SelectionRead(kClientes, HALF_BOTH, 40), ST_PAST);
  ASSERT_EQ(SelectionFree(kClientes), 0);
  ASSERT_EQ(SelectionBuild(kClientes, 1, "C01", "C02", "NAME{1}<'f'", 3), 0);
  EXPECT_EQ(SelectionCount(kClientes), 3) << "the maximum";
  ASSERT_EQ(SelectionRead(kClientes, HALF_BOTH, 2), ST_ON_RECORD);
  EXPECT_EQ(Get(kClientes, "CODE"), "C014");
  ASSERT_EQ(SelectionFree(kClientes), 0);
  ASSERT_EQ(SelectionBuild(kClientes, 1, "C01", "", "", 1, 2), 0);
  ASSERT_EQ(SelectionRead(kClientes, HALF_BOTH, 0), ST_ON_RECORD);
  EXPECT_EQ(Get(kClientes, "CODE"), "C020") << "how 2 starts after the prefix";
}

// Selections and counts read the record file as it is when they begin,
// even when another station changed a record after earlier passes and
// searches had read it.
TEST_F(SelectionTest, PassesSeeAnotherStationsChanges) {
  ASSERT_EQ(SelectionBuild(kClientes, 1, "", "", "NAME{1}<'f'", 0), 0);
  EXPECT_EQ(SelectionCount(kClientes), 20);
  ASSERT_EQ(SelectionFree(kClientes), 0);
  ASSERT_EQ(FileFind(kClientes, 1, "C004", 0), ST_ON_RECORD);
  const uint16_t length = StructAt(kClientes)->record_length;
  const uint16_t name_at = FieldAt(kClientes, FieldFind(kClientes, "NAME"))->offset;
  {
    std::fstream other(Path("DATOS/clientes.FD"), std::ios::in | std::ios::out | std::ios::binary);
    other.seekp(4 * length + name_at);
    other.write("zebra", 5);
  }
  EXPECT_EQ(FileCount(kClientes, 1, "", "", "NAME{1}<'f'"), 19u);
  ASSERT_EQ(SelectionBuild(kClientes, 1, "", "", "NAME{1}<'f'", 0), 0);
  EXPECT_EQ(SelectionCount(kClientes), 19);
  for (uint16_t i = 0; i < SelectionCount(kClientes); ++i) {
    ASSERT_EQ(SelectionRead(kClientes, HALF_BOTH, i), ST_ON_RECORD);
    EXPECT_NE(Get(kClientes, "CODE"), "C004");
  }
}

TEST_F(SelectionTest, EmptyResultKeepsTheBuffer) {
  ASSERT_EQ(FileFind(kClientes, 1, "C005", 0), ST_ON_RECORD);
  EXPECT_EQ(SelectionBuild(kClientes, 1, "D", "", "", 0), ST_PAST);
  EXPECT_EQ(Get(kClientes, "CODE"), "C005");
  EXPECT_EQ(SelectionCount(kClientes), 0);
}

TEST_F(SelectionTest, EightRowsNestingAndSeparateStructures) {
  ASSERT_EQ(FileOpen(kArticulos, kReadWrite), ST_PAST);
  ASSERT_EQ(FileMove(kArticulos, NAV_NEW), ST_NEW);
  Set(kArticulos, {{"REF", "R1"}});
  ASSERT_EQ(FileInsert(kArticulos), 0);

  ASSERT_EQ(SelectionBuild(kClientes, 1, "C00", "C00", "", 0), 0);  // 10
  ASSERT_EQ(SelectionBuild(kArticulos, 1, "", "", "", 0), 0);       // 1
  EXPECT_EQ(SelectionCount(kClientes), 10);
  EXPECT_EQ(SelectionCount(kArticulos), 1);
  ASSERT_EQ(SelectionBuild(kClientes, 1, "C01", "C01", "", 0), 0);
  ASSERT_EQ(SelectionBuild(kClientes, 1, "C0", "C0", "", 0), 0);
  EXPECT_EQ(SelectionBuild(kClientes, 1, "C", "C", "", 0), E_DATAOUTBOUND)
      << "two selections put aside at most";
  EXPECT_EQ(SelectionCount(kClientes), 40) << "the innermost";
  ASSERT_EQ(SelectionFree(kClientes), 0);
  EXPECT_EQ(SelectionCount(kClientes), 10) << "the one put aside comes back";
  ASSERT_EQ(SelectionRead(kClientes, HALF_BOTH, 0), ST_ON_RECORD);
  EXPECT_EQ(Get(kClientes, "CODE"), "C010");
  ASSERT_EQ(SelectionFree(kClientes), 0);
  EXPECT_EQ(SelectionCount(kClientes), 10);
  ASSERT_EQ(SelectionRead(kClientes, HALF_BOTH, 0), ST_ON_RECORD);
  EXPECT_EQ(Get(kClientes, "CODE"), "C000");
  EXPECT_EQ(SelectionCount(kArticulos), 1) << "other structures keep their rows";

  // Rows are shared: with two in use, six more fit and the ninth fails.
  for (uint16_t s : {kFacturas, kLinFact, kIvas}) ASSERT_EQ(FileOpen(s, kReadWrite), ST_PAST);
  int built = 0;
  for (uint16_t s : {kClientes, kClientes, kFacturas, kFacturas, kFacturas, kLinFact}) {
    ErrCode rc = SelectionBuild(s, 1, "", "", "", 0);
    ASSERT_LE(rc, ST_PAST) << built;
    ++built;
  }
  ClearError();
  EXPECT_EQ(SelectionBuild(kIvas, 1, "", "", "", 0), E_DATAOUTBOUND);
  EXPECT_EQ(LastErrorCode(), E_DATAOUTBOUND);
  FileClose(kFacturas);  // closing frees its rows
  EXPECT_LE(SelectionBuild(kIvas, 1, "", "", "", 0), ST_PAST);
}

}  // namespace
}  // namespace tol::testing
