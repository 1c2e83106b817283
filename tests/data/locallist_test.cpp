// Local lists: ordered insertion, duplicates and unique lists, growth, the
// cursor at both ends, handles that are forged, freed or stale, and the
// one-call sort of a separated list.
#include "data/locallist.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/core.h"
#include "core/memory.h"

namespace tol::testing {
namespace {

using namespace std::string_literals;

class LocalListTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (LocalList& l : made) (void)ListFree(&l);
    EXPECT_EQ(core->mem.held(), held_before);  // every block given back
  }
  LocalList& New(uint16_t a, uint16_t b, uint8_t flags = 0) {
    made.emplace_back();
    EXPECT_EQ(ListNew(a, b, flags, &made.back()), 0);
    return made.back();
  }
  std::vector<std::string> Items(LocalList& l) {
    std::vector<std::string> out;
    if (ListMove(&l, 0x24) != 0) return out;
    do {
      ScratchFrame frame;
      out.push_back(ListGet(l).str());
    } while (ListMove(&l, 0x10) == 0);
    return out;
  }

  CoreScope core;
  uint16_t held_before = core->mem.held();
  std::vector<LocalList> made;
};

TEST_F(LocalListTest, SortTable) {
  struct Case {
    std::string text;
    uint8_t flags;
    std::string want;
  } cases[] = {
      {"pear,apple,fig", 0, "apple,fig  ,pear "},
      {"pear,apple,fig", 0x80, "apple,fig,pear"},
      {"pear,apple,fig", 0x82, "pear,fig,apple"},
      {"b,a,b,c,a", 0x81, "a,b,c"},
      {"b,a,b,c,a", 0x80, "a,a,b,b,c"},
      {"b\0a\0c"s, 0xC0, "a\0b\0c"s},
      {"b,,a,", 0x80, "a,b"},  // empty items are dropped by the join
      {"b,,a", 0, " ,a,b"},    // without trimming they come back as blanks
      {"", 0, ""},
      {",,", 0x80, ""},
      {"Zeta,alpha,\xC9mile", 0x80, "Zeta,alpha,\xC9mile"},  // unsigned byte order
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ListSort(StrRef::Of(c.text), c.flags).str(), c.want);
  }
}

TEST_F(LocalListTest, SortTooLongForATextFails) {
  // One long item pads every short one to its length.
  std::string text(3000, 'x');
  for (int i = 0; i < 100; ++i) text += ",y";
  EXPECT_EQ(ListSort(StrRef::Of(text), 0).err(), E_STRINGTOOLONG);
  EXPECT_EQ(ListSort(StrRef::Of(text), 0x80).size(), 3000u + 200u);
}

TEST_F(LocalListTest, AddKeepsOrderAndPlacesDuplicatesBehindTheFirstEqual) {
  // Compare length 1 of width 3: "B1", "B2", "B3" are equal items.
  LocalList& l = New(1, 3);
  EXPECT_EQ(l.width, 3);
  EXPECT_EQ(l.compare_length, 1);
  for (const char* x : {"C", "B1", "A", "B2", "B3", ""})
    ASSERT_EQ(ListAdd(&l, StrRef::FromC(x)), 0);
  EXPECT_EQ(Items(l), (std::vector<std::string>{"   ", "A  ", "B1 ", "B3 ", "B2 ", "C  "}));
  EXPECT_EQ(ListAdd(&l, "ABCD"), E_DATA);
  EXPECT_EQ(l.count, 6);

  LocalList& d = New(2, 2, LIST_DESCENDING | LIST_UNIQUE);
  for (const char* x : {"b", "d", "a", "c"}) ASSERT_EQ(ListAdd(&d, StrRef::FromC(x)), 0);
  EXPECT_EQ(ListAdd(&d, "c"), 5);
  EXPECT_EQ(ListAdd(&d, "c "), 5);
  EXPECT_EQ(d.count, 4);
  EXPECT_EQ(Items(d), (std::vector<std::string>{"d ", "c ", "b ", "a "}));
}

TEST_F(LocalListTest, GrowsPastItsFirstStorage) {
  LocalList& l = New(4, 4);
  std::string stale = ListToText(l).str();
  std::mt19937 rng(7);
  std::vector<std::string> model;
  for (int i = 0; i < 1500; ++i) {
    std::string x = std::to_string(rng() % 10000);
    x.resize(4, ' ');
    model.push_back(x);
    ASSERT_EQ(ListAdd(&l, StrRef::Of(x)), 0);
  }
  std::stable_sort(model.begin(), model.end());
  EXPECT_EQ(l.count, 1500);
  EXPECT_EQ(Items(l), model);
  // The handle taken before the storage moved names a freed block.
  LocalList old;
  EXPECT_EQ(ListFromText(StrRef::Of(stale), &old), E_DATA);
  EXPECT_EQ(ListAdd(&old, "1"), E_DATA);
}

TEST_F(LocalListTest, MoveAtTheEnds) {
  LocalList& e = New(1, 1);
  for (uint8_t f : {0x24, 0x20, 0x10, 0x14, 0x00}) {
    EXPECT_EQ(ListMove(&e, f), 2);
    EXPECT_EQ(e.cursor, 0);
  }
  EXPECT_EQ(ListGet(e), StrRef(""));
  LocalList& l = New(1, 1);
  for (const char* x : {"a", "b", "c"}) ASSERT_EQ(ListAdd(&l, StrRef::FromC(x)), 0);
  struct Case {
    uint8_t flags;
    ErrCode result;
    uint16_t cursor;
  } cases[] = {
      {0x24, 0, 0}, {0x14, 2, 2},  // before the first: set to the last
      {0x24, 0, 0}, {0x10, 0, 1}, {0x00, 0, 1}, {0x30, 0, 1},
      {0x20, 0, 2}, {0x10, 2, 2}, {0x16, 0, 1}, {0x12, 0, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.flags));
    EXPECT_EQ(ListMove(&l, c.flags), c.result);
    EXPECT_EQ(l.cursor, c.cursor);
    EXPECT_EQ(ListGet(l).str(), std::string(1, char('a' + c.cursor)));
  }
}

TEST_F(LocalListTest, HandlesThatNameNoListAreRefused) {
  LocalList& l = New(3, 3);
  ASSERT_EQ(ListAdd(&l, "x"), 0);
  StrRef text = ListToText(l);
  ASSERT_EQ(text.size(), 24u);
  LocalList back;
  ASSERT_EQ(ListFromText(text, &back), 0);
  EXPECT_EQ(ListGet(back), StrRef("x  "));

  EXPECT_EQ(ListFromText("short", &back), E_SINTAXERROR);
  EXPECT_EQ(ListFromText(StrRef::Of(std::string(25, 'a')), &back), E_SINTAXERROR);
  EXPECT_EQ(ListFromText(StrRef::Of(std::string(24, 'a')), &back), E_DATA);  // forged pointer
  // A block of another module is not a list's storage.
  LocalList other = l;
  other.storage = static_cast<char*>(core->mem.Allocate(M_VARSTRUCT, 64, 0));
  std::string forged = ListToText(other).str();
  EXPECT_EQ(ListFromText(StrRef::Of(forged), &back), E_DATA);
  EXPECT_EQ(core->mem.Free(M_VARSTRUCT, other.storage), 0);
  // A count beyond the storage.
  LocalList big = l;
  big.count = 60000;
  EXPECT_EQ(ListFromText(StrRef::Of(ListToText(big).str()), &back), E_DATA);
  // Freed.
  std::string before = text.str();
  LocalList copy = l;
  ASSERT_EQ(ListFree(&l), 0);
  EXPECT_EQ(ListFromText(StrRef::Of(before), &back), E_DATA);
  EXPECT_EQ(ListFree(&copy), E_DATA);
  EXPECT_EQ(ListGet(copy).err(), E_DATA);
}

TEST_F(LocalListTest, NewRefusesAWidthOfNothing) {
  LocalList l;
  EXPECT_EQ(ListNew(0, 0, 0, &l), E_DATA);
  EXPECT_EQ(l.storage, nullptr);
  LocalList& m = New(0, 5);
  EXPECT_EQ(m.width, 5);
  EXPECT_EQ(m.compare_length, 0);  // every item compares equal: kept in arrival order
  for (const char* x : {"c", "a", "b"}) ASSERT_EQ(ListAdd(&m, StrRef::FromC(x)), 0);
  EXPECT_EQ(Items(m), (std::vector<std::string>{"c    ", "b    ", "a    "}));
}

}  // namespace
}  // namespace tol::testing
