// The variable store: kinds, reads and assignments, system variables and
// the hook, dot constants, arrays, value tables and the callback table.
#include <gtest/gtest.h>

#include <string>

#include "core/core.h"
#include "core/errors.h"
#include "core/text.h"
#include "lang/arrays.h"
#include "lang/lang.h"
#include "lang/names.h"
#include "lang/sysvars.h"
#include "lang/tables.h"
#include "lang/variables.h"

namespace tol {
namespace {

class VarsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(lang.init_result(), E_OK); }

  // Reads a number variable; the scratch stack is left as it was.
  int64_t Num(StrRef name) {
    ScratchFrame f;
    EXPECT_EQ(VarRead(name), E_OK) << name;
    EXPECT_EQ(Scratch().Top().size(), 8) << name;
    return ItemNumber(Scratch().Top());
  }
  std::string Text(StrRef name) {
    ScratchFrame f;
    EXPECT_EQ(VarRead(name), E_OK) << name;
    return Scratch().Top().str();
  }
  int64_t Elem(StrRef name, std::initializer_list<int32_t> idx, ErrCode want = E_OK) {
    ScratchFrame f;
    EXPECT_EQ(ArrayRead(name, idx.begin(), static_cast<uint16_t>(idx.size())), want) << name;
    return want ? 0 : ItemNumber(Scratch().Top());
  }
  ErrCode Put(StrRef name, std::initializer_list<int32_t> idx, int64_t v) {
    return ArrayWriteNumber(name, idx.begin(), static_cast<uint16_t>(idx.size()), v);
  }

  LangScope lang;
};

TEST_F(VarsTest, KindFollowsTheName) {
  struct Case {
    const char* name;
    uint8_t kind;
  } cases[] = {
      {"A", KIND_INTEGER},  {"N%", KIND_INTEGER}, {"T#", KIND_NUMBER}, {"S$", KIND_STRING},
      {"B(", KIND_ARRAY},   {"S$(", KIND_ARRAY},  {"x@y$", KIND_NONE}, {"a$#", KIND_STRING},
      {"a#$(", KIND_ARRAY}, {"@(", KIND_NONE},
  };
  for (const Case& c : cases) EXPECT_EQ(VarKind(StrRef::FromC(c.name)), c.kind) << c.name;
  EXPECT_EQ(ElementKind("S$("), KIND_STRING);
  EXPECT_EQ(ElementKind("_#("), KIND_NUMBER);
  EXPECT_EQ(ElementKind("B("), KIND_INTEGER);
}

TEST_F(VarsTest, ReadingUnassignedNamesCreatesNothing) {
  uint16_t ints = NameCount(kListIntegers), texts = Slots().Count(kGroupVarTexts);
  EXPECT_EQ(Num("X#"), 0);
  EXPECT_EQ(Num("Y"), 0);
  EXPECT_EQ(Text("N$"), "");
  EXPECT_FALSE(VarFind("X#").found());
  EXPECT_FALSE(VarFind("N$").found());
  EXPECT_EQ(NameCount(kListIntegers), ints);
  EXPECT_EQ(NameCount(kListNumbers), 0);
  EXPECT_EQ(Slots().Count(kGroupVarTexts), texts);
  EXPECT_EQ(TableCount(kTableNumbers), 0);
}

TEST_F(VarsTest, IntegerAssignmentRoundsAndKeepsLow16Bits) {
  // Numbers are held times 100 at the default _PRECIS of 2.
  struct Case {
    int64_t assigned;
    int64_t reads;
  } cases[] = {
      {150, 200}, {-150, -200},        {149, 100},
      {250, 300}, {4000000, -2553600},  // 40000 wraps to -25536
      {50, 100},  {-50, -100},          // a zero quotient is rounded too
      {49, 0},    {3276700, 3276700},  {3276800, -3276800},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(VarAssignNumber("A", c.assigned), E_OK);
    EXPECT_EQ(Num("A"), c.reads) << c.assigned;
  }
  EXPECT_EQ(SysGet(VarFind("A").index), -32768);
}

TEST_F(VarsTest, StackedAssignmentLeavesTheValue) {
  ScratchFrame f;
  ASSERT_EQ(PushNumber(1250), E_OK);
  ScratchMark top = Scratch().Mark();
  ASSERT_EQ(VarAssign("T#"), E_OK);
  EXPECT_EQ(Scratch().Mark(), top);
  ASSERT_EQ(Scratch().PushCopy("hola"), E_OK);
  ASSERT_EQ(VarAssign("S$"), E_OK);
  EXPECT_EQ(Num("T#"), 1250);
  EXPECT_EQ(Text("S$"), "hola");
  // A text where a number belongs, and the reverse.
  EXPECT_EQ(VarAssign("T#"), E_TYPES);
  EXPECT_EQ(VarAssignNumber("S$", 5), E_TYPES);
  EXPECT_EQ(VarAssignText("N", "x"), E_TYPES);
  EXPECT_EQ(Num("T#"), 1250);
  EXPECT_EQ(LastErrorModule(), M_VARNMASSIGN);
}

TEST_F(VarsTest, NamesAreCaseSensitive) {
  ASSERT_EQ(VarAssignText("Abc$", "uno"), E_OK);
  ASSERT_EQ(VarAssignText("ABC$", "dos"), E_OK);
  EXPECT_EQ(Text("Abc$"), "uno");
  EXPECT_EQ(Text("ABC$"), "dos");
  EXPECT_NE(VarFind("Abc$").index, VarFind("ABC$").index);
  // A name that is a prefix or an extension of another is a third one.
  EXPECT_EQ(Text("Ab$"), "");
  EXPECT_EQ(Text("Abcd$"), "");
}

TEST_F(VarsTest, BadNamesFail147) {
  for (StrRef name : {StrRef("x@y"), StrRef("a@$"), StrRef(""), StrRef("a,b$")}) {
    ScratchFrame f;
    EXPECT_EQ(VarRead(name), E_SINTAXERROR) << name;
    EXPECT_EQ(VarAssignNumber(name, 1), E_SINTAXERROR) << name;
  }
  EXPECT_EQ(VarAssignNumber("B(", 1), E_SINTAXERROR);
  // Constants are not assignable.
  EXPECT_EQ(VarAssignText(".tab$", "x"), E_SINTAXERROR);
  EXPECT_EQ(VarAssignNumber(".cmdline", 100), E_SINTAXERROR);
}

TEST_F(VarsTest, SystemVariablesInOrderWithDefaults) {
  struct Case {
    const char* name;
    uint16_t n;
    int16_t value;
  } cases[] = {
      {"_AUXSTAT", _AUXSTAT, 0}, {"_DEVHIG", _DEVHIG, 24},  {"_DEVWID", _DEVWID, 80},
      {"_LASTKEY", _LASTKEY, 4}, {"_UPSTAT", _UPSTAT, 1},   {"_LB", _LB, 128},
      {"_TRACE", _TRACE, 1},     {"_PRECIS", _PRECIS, 2},   {"_BYEAR", _BYEAR, 2000},
      {"_BKYEAR", _BKYEAR, 80},  {"_WMAXROW", _WMAXROW, 0}, {"_USER03", _USER03, 0},
  };
  for (const Case& c : cases) {
    VarRef r = VarFind(StrRef::FromC(c.name));
    EXPECT_EQ(r.kind, KIND_INTEGER);
    EXPECT_EQ(r.index, c.n) << c.name;
    EXPECT_EQ(SysGet(c.n), c.value) << c.name;
  }
  EXPECT_EQ(NameCount(kListIntegers), kSysVarCount);
  EXPECT_EQ(VarFind("_ACUM$").index, 0);
  EXPECT_EQ(VarFind("_ACUMX$").index, 1);
  EXPECT_EQ(VarFind("_LTEXT$").index, 2);
  // The 45th integer variable follows them.
  ASSERT_EQ(VarAssignNumber("Mine", 700), E_OK);
  EXPECT_EQ(VarFind("Mine").index, 44);
  EXPECT_EQ(SysGet(44), 7);
}

TEST_F(VarsTest, SystemValueBits) {
  SysSet(_UPSTAT, 0);
  EXPECT_TRUE(SysSetBits(_UPSTAT, 4 | 32, true));
  EXPECT_EQ(SysGet(_UPSTAT), 36);
  EXPECT_TRUE(SysSetBits(_UPSTAT, 4 | 1, false) == false);
  EXPECT_EQ(SysGet(_UPSTAT), 32);
  EXPECT_TRUE(SysTest(_UPSTAT, 32 | 1));
  EXPECT_FALSE(SysTest(_UPSTAT, 1));
  SysSet(_AUXSTAT, -1);
  EXPECT_TRUE(SysTest(_AUXSTAT, 0x8000));
  ASSERT_EQ(VarAssignNumber("_COMPAT", 200), E_OK);
  EXPECT_EQ(SysGet(_COMPAT), 2);
}

TEST_F(VarsTest, PrecisReinterpretsStoredNumbers) {
  ASSERT_EQ(VarAssignNumber("T#", 125), E_OK);  // 1.25
  ASSERT_EQ(VarAssignNumber("I", 300), E_OK);   // 3
  ASSERT_EQ(VarAssignNumber("_PRECIS", 300), E_OK);
  EXPECT_EQ(SysGet(_PRECIS), 3);
  EXPECT_EQ(Scale(), 1000);
  EXPECT_EQ(Num("T#"), 125);  // now 0.125
  EXPECT_EQ(Num("I"), 3000);  // integers stay integers
  EXPECT_EQ(Num("_PRECIS"), 3000);
  EXPECT_EQ(TextToNumber("1.25"), 1250);
  // Out-of-range exponents are taken as 0 and 18.
  SysSet(_PRECIS, -4);
  EXPECT_EQ(Scale(), 1);
  SysSet(_PRECIS, 40);
  EXPECT_EQ(Scale(), 1000000000000000000);
  EXPECT_EQ(IntegerToNumber(-25536), INT64_MIN);
}

TEST_F(VarsTest, TextToNumber) {
  struct Case {
    const char* text;
    int64_t value;
  } cases[] = {
      {"12.5", 1250},
      {" -1", -100},
      {"+.05", 5},
      {"1.005", 101},
      {"1.004", 100},
      {"-1.005", -101},
      {"3D2", 30000},
      {"abc", 0},
      {"", 0},
      {"7x", 7},  // read positionally, as the evaluator reads: "7x" then "00"
      {"0.004", 0},
      {"99999999999999999999", 0},  // does not fit
      {"-99999999999999999999", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(TextToNumber(StrRef::FromC(c.text)), c.value) << c.text;
}

TEST_F(VarsTest, DotConstants) {
  EXPECT_EQ(Text(".tab$"), "\t");
  EXPECT_EQ(Text(".lf$"), "\r\n");
  EXPECT_EQ(Text(".pchr$"), "\\");
  EXPECT_EQ(Text(".null$"), "");
  struct Case {
    const char* name;
    int64_t number;
  } cases[] = {
      {".cmdline", 100},   {".envron", 0},   {".docroot", 500},   {".helppath", 700},
      {".datey", 1000000}, {".envvar", 900}, {".dialog", 700},    {".aux", 3100},
      {".usrfif", 3800},   {".top", 3600},   {".previous", 2000}, {".iscgi", 1638400},
  };
  for (const Case& c : cases) EXPECT_EQ(Num(StrRef::FromC(c.name)), c.number) << c.name;
  EXPECT_FALSE(DotConstant(".Cmdline").found);
  EXPECT_FALSE(DotConstant(".5").found);
  EXPECT_EQ(Num(".unknown"), 0);
}

TEST_F(VarsTest, LetterAndNumberSettings) {
  EXPECT_FALSE(VarLetterNumber(12).found);
  ASSERT_EQ(VarAssignText("_V12$", "R34"), E_OK);
  LetterNumber v = VarLetterNumber(12);
  EXPECT_TRUE(v.found);
  EXPECT_EQ(v.letter, 'R');
  EXPECT_EQ(v.number, 34);
}

// A hook that handles names beginning "_SCR" and refuses "_BAD".
StrRef g_assigned;
StrRef TestHook(StrRef name, uint8_t mode, StrRef value) {
  if (FindText(name, "_BAD") == 0) return StrRef::Fail(E_SCREENFIELD);
  if (FindText(name, "_SCR") != 0) return StrRef::Fail(E_DATA);
  if (mode == kHookAssign) {
    g_assigned = value;
    return StrRef();
  }
  if (Scratch().PushCopy("12.5")) return StrRef::Fail(E_OUTOFMEMORY);
  return Scratch().Top();
}

TEST_F(VarsTest, HookIsAskedFirst) {
  ASSERT_EQ(CallbackSetFn(kSlotSysVarHook, &TestHook), kSlotSysVarHook);
  ScratchMark before = Scratch().Mark();
  EXPECT_EQ(Num("_SCRX#"), 1250);
  EXPECT_EQ(Num("_SCRX"), 1250);
  EXPECT_EQ(Text("_SCRX$"), "12.5");
  EXPECT_EQ(Scratch().Mark(), before);
  ASSERT_EQ(VarAssignNumber("_SCRX#", 77), E_OK);
  EXPECT_EQ(ItemNumber(g_assigned), 77);
  EXPECT_FALSE(VarFind("_SCRX#").found());
  // Not handled (163): the store takes it.
  ASSERT_EQ(VarAssignNumber("_USER01", 500), E_OK);
  EXPECT_EQ(SysGet(_USER01), 5);
  // Another answer ends the operation with it.
  EXPECT_EQ(VarAssignNumber("_BAD", 1), E_SCREENFIELD);
  {
    ScratchFrame f;
    EXPECT_EQ(VarRead("_BAD"), E_SCREENFIELD);
  }
  EXPECT_FALSE(VarFind("_BAD").found());
  // Names not beginning with "_" never reach it.
  ASSERT_EQ(VarAssignNumber("SCR_BAD", 100), E_OK);
}

TEST_F(VarsTest, ManyNamesKeepTheirIndexes) {
  auto name = [](int i) { return "V" + std::to_string(i) + "#"; };
  for (int i = 0; i < 3000; ++i) ASSERT_EQ(VarAssignNumber(StrRef::Of(name(i)), i), E_OK) << i;
  for (int i = 0; i < 3000; i += 7) {
    VarRef r = VarFind(StrRef::Of(name(i)));
    ASSERT_EQ(r.index, i);
    EXPECT_EQ(NumGet(r.index), i);
  }
  EXPECT_FALSE(VarFind("V3000#").found());
  EXPECT_FALSE(VarFind("V30").found());
  // A list changed behind the store's back is looked up as it now stands.
  ASSERT_EQ(Slots().Set(kGroupVarNames, kListNumbers, "b#,a#"), E_OK);
  EXPECT_EQ(VarFind("a#").index, 1);
  EXPECT_FALSE(VarFind("V5#").found());
  ASSERT_EQ(Slots().Set(kGroupVarNames, kListNumbers, "b#,a#,c#"), E_OK);
  EXPECT_EQ(VarFind("c#").index, 2);
}

TEST_F(VarsTest, NameListOverflowKeepsTheOldState) {
  ASSERT_EQ(VarAssignText("Kept$", "v"), E_OK);
  // Fill the slot table's text area so that a long new name cannot go in.
  uint32_t room = SlotTable::kTextBytes - Slots().bytes_used() - 40;
  std::string filler(room, 'x');
  ASSERT_EQ(Slots().Set(38, 0, StrRef::Of(filler)), E_OK);
  std::string name(60, 'N');
  name += "#";
  uint16_t count = NameCount(kListNumbers);
  StrRef list = Slots().Get(kGroupVarNames, kListNumbers);
  std::string old = list.str();
  EXPECT_EQ(VarAssignNumber(StrRef::Of(name), 100), E_VARNAMEERROR);
  EXPECT_EQ(NameCount(kListNumbers), count);
  EXPECT_EQ(Slots().Get(kGroupVarNames, kListNumbers).str(), old);
  EXPECT_EQ(TableCount(kTableNumbers), count);
  std::string sname(60, 'S');
  sname += "$";
  uint16_t texts = Slots().Count(kGroupVarTexts);
  EXPECT_EQ(VarAssignText(StrRef::Of(sname), "x"), E_VARNAMEERROR);
  EXPECT_EQ(Slots().Count(kGroupVarTexts), texts);
  EXPECT_EQ(Text("Kept$"), "v");
  // A short name still fits.
  EXPECT_EQ(VarAssignNumber("Q#", 100), E_OK);
}

TEST_F(VarsTest, ArrayCreatedByItsFirstRead) {
  EXPECT_EQ(Elem("B(", {3, 2}), 0);
  const ArrayDesc* d = ArrayFind("B(");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->count, 12);
  EXPECT_EQ(d->dims, 2);
  EXPECT_EQ(Put("B(", {4, 0}, 100), E_DATAOUTBOUND);
  // Only the flat position is checked: B(1;5) is element 8.
  ASSERT_EQ(Put("B(", {1, 5}, 250), E_OK);
  EXPECT_EQ(Elem("B(", {2, 2}), 200);
  EXPECT_EQ(Elem("B(", {3, 3}, E_DATAOUTBOUND), 0);
  // Integer elements truncate toward zero.
  ASSERT_EQ(Put("B(", {0, 1}, -199), E_OK);
  EXPECT_EQ(Elem("B(", {0, 1}), -100);
  // Numeric elements keep the value.
  ASSERT_EQ(Put("T#(", {2}, 1), E_DIMSTRUCERROR);
  EXPECT_EQ(Elem("T#(", {2}), 0);
  ASSERT_EQ(Put("T#(", {2}, 1), E_OK);
  EXPECT_EQ(Elem("T#(", {2}), 1);
}

TEST_F(VarsTest, ArrayCreationLimits) {
  int32_t five[5] = {1, 1, 1, 1, 1}, zero[2] = {0, 0}, big[2] = {255, 256}, neg[1] = {-1};
  EXPECT_EQ(ArrayCreate("A(", five, 5), E_DIMSTRUCERROR);
  EXPECT_EQ(ArrayCreate("A(", zero, 2), E_SINTAXERROR);
  EXPECT_EQ(ArrayCreate("A(", big, 2), E_DIMSTRUCERROR);  // 65792 elements
  EXPECT_EQ(ArrayCreate("A(", neg, 1), E_DATAOUTBOUND);
  EXPECT_EQ(ArrayCreate("S$(", five, 4, ""), E_SINTAXERROR);  // width 0
  EXPECT_EQ(ArrayCreate("A((", five, 1), E_TYPES);
  EXPECT_EQ(ArrayFind("A("), nullptr);
  EXPECT_EQ(NameCount(kListArrays), 0);
  int32_t ok[4] = {1, 2, 3, 4};
  ASSERT_EQ(ArrayCreate("A(", ok, 4), E_OK);
  EXPECT_EQ(ArrayFind("A(")->count, 2 * 3 * 4 * 5);
  EXPECT_EQ(Elem("A(", {1, 2, 3, 4}), 0);
  EXPECT_EQ(Elem("A(", {1, 2, 3, 4, 0}, E_DATAOUTBOUND), 0);
}

TEST_F(VarsTest, AccumulatorArrayIsCreatedByItsFirstWrite) {
  EXPECT_EQ(Put("_#(", {300}, 100), E_DATAOUTBOUND);
  ASSERT_NE(ArrayFind("_#("), nullptr);
  EXPECT_EQ(ArrayFind("_#(")->count, 257);
  EXPECT_EQ(Put("_#(", {256}, 100), E_OK);
}

TEST_F(VarsTest, AccumulatorFirstWriteStores) {
  ASSERT_EQ(Put("_#(", {5}, 100), E_OK);
  EXPECT_EQ(Elem("_#(", {5}), 100);
  EXPECT_EQ(Elem("_#(", {4}), 0);
}

TEST_F(VarsTest, StringElementsHaveAFixedWidth) {
  int32_t lim[1] = {2};
  ASSERT_EQ(ArrayCreate("W$(", lim, 1, "...."), E_OK);
  int32_t i0[1] = {0}, i1[1] = {1};
  ASSERT_EQ(ArrayWriteText("W$(", i0, 1, "abcdefgh"), E_OK);  // cut at the width
  ASSERT_EQ(ArrayWriteText("W$(", i1, 1, "xy"), E_OK);
  auto read = [](const int32_t* i) {
    ScratchFrame f;
    EXPECT_EQ(ArrayRead("W$(", i, 1), E_OK);
    return Scratch().Top().str();
  };
  EXPECT_EQ(read(i0), "abcd");
  EXPECT_EQ(read(i1), "xy..");
  EXPECT_EQ(ArrayWriteNumber("W$(", i0, 1, 1), E_TYPES);
  int32_t i2[1] = {2};
  EXPECT_EQ(read(i2), "....");
  // Created by a read: empty elements of the implicit width.
  int32_t i3[1] = {3};
  ASSERT_EQ(ArrayWriteText("W2$(", i3, 1, "x"), E_DIMSTRUCERROR);
  {
    ScratchFrame f;
    ASSERT_EQ(ArrayRead("W2$(", i3, 1), E_OK);
  }
  EXPECT_EQ(ArrayFind("W2$(")->elem_bytes, kImplicitStringWidth);
  std::string longer(100, 'z');
  ASSERT_EQ(ArrayWriteText("W2$(", i0, 1, StrRef::Of(longer)), E_OK);
  {
    ScratchFrame f;
    ASSERT_EQ(ArrayRead("W2$(", i0, 1), E_OK);
    EXPECT_EQ(Scratch().Top().size(), kImplicitStringWidth);
    ASSERT_EQ(ArrayRead("W2$(", i1, 1), E_OK);
    EXPECT_EQ(Scratch().Top().size(), 0);  // the next element is untouched
  }
}

TEST_F(VarsTest, CutBackRemovesWhatWasCreatedSince) {
  ASSERT_EQ(VarAssignNumber("Old#", 100), E_OK);
  ASSERT_EQ(VarAssignText("Old$", "a"), E_OK);
  uint16_t held = Core().mem.held();
  VarStoreMark mark = VarStoreSize();
  ASSERT_EQ(VarAssignNumber("Old#", 200), E_OK);
  ASSERT_EQ(VarAssignNumber("New#", 300), E_OK);
  ASSERT_EQ(VarAssignNumber("NewI", 300), E_OK);
  ASSERT_EQ(VarAssignText("New$", "b"), E_OK);
  EXPECT_EQ(Elem("NewA(", {4}), 0);
  ASSERT_EQ(VarStoreCutBack(mark), E_OK);
  EXPECT_FALSE(VarFind("New#").found());
  EXPECT_FALSE(VarFind("NewI").found());
  EXPECT_FALSE(VarFind("New$").found());
  EXPECT_EQ(ArrayFind("NewA("), nullptr);
  EXPECT_EQ(Num("Old#"), 200);
  EXPECT_EQ(Text("Old$"), "a");
  EXPECT_EQ(TableCount(kTableIntegers), kSysVarCount);
  EXPECT_LE(Core().mem.held(), held + 1);  // at most the rebuilt name index
  // Created again, a name takes the first free index.
  ASSERT_EQ(VarAssignNumber("Other#", 1), E_OK);
  EXPECT_EQ(VarFind("Other#").index, 1);
}

TEST_F(VarsTest, ShutdownFreesEveryBlock) {
  int32_t lim[1] = {9};
  ASSERT_EQ(ArrayCreate("A(", lim, 1), E_OK);
  ASSERT_EQ(ArrayCreate("A(", lim, 1), E_OK);  // re-created: the old elements go
  ASSERT_EQ(VarAssignNumber("T#", 1), E_OK);
  uint16_t held = Core().mem.held();
  LangShutdown();
  EXPECT_EQ(Core().mem.held(), held - 6);  // registry, tables 6-8, array data, name index
  EXPECT_FALSE(TablesExist());
}

class TablesTest : public ::testing::Test {
 protected:
  LangScope lang;
};

TEST_F(TablesTest, PutGrowsAndRefusesOtherSizes) {
  uint32_t a = 0x11223344, b = 0x55667788;
  ASSERT_NE(TablePut(12, 0, &a, 4), nullptr);
  ASSERT_NE(TablePut(12, 40, &b, 4), nullptr);
  EXPECT_EQ(TableCount(12), 41);
  EXPECT_EQ(*static_cast<uint32_t*>(TableGet(12, 0)), a);
  EXPECT_EQ(*static_cast<uint32_t*>(TableGet(12, 20)), 0u);  // new records are zeroed
  EXPECT_EQ(*static_cast<uint32_t*>(TableGet(12, 40)), b);
  EXPECT_EQ(TableGet(12, 41), nullptr);
  // Refusals store nothing.
  uint16_t s = 1;
  EXPECT_EQ(TablePut(12, 1, &s, 2), nullptr);
  EXPECT_EQ(TablePut(12, 50, &s, 2), nullptr);
  EXPECT_EQ(TableCount(12), 41);
  EXPECT_EQ(TablePut(24, 0, &a, 4), nullptr);
  EXPECT_EQ(TablePut(13, 0, &a, 0), nullptr);
  EXPECT_EQ(TableCount(13), 0);
  EXPECT_EQ(TableGet(24, 0), nullptr);
}

TEST_F(TablesTest, RemoveMovesDownAndFreesTheLast) {
  for (uint32_t v = 10; v < 13; ++v)
    ASSERT_NE(TablePut(15, static_cast<uint16_t>(v - 10), &v, 4), nullptr);
  EXPECT_EQ(TableRemove(15, 3), E_STRUCTMEM);
  EXPECT_EQ(TableRemove(16, 0), E_STRUCTMEM);
  ASSERT_EQ(TableRemove(15, 0), E_OK);
  EXPECT_EQ(TableCount(15), 2);
  EXPECT_EQ(*static_cast<uint32_t*>(TableGet(15, 0)), 11u);
  EXPECT_EQ(*static_cast<uint32_t*>(TableGet(15, 1)), 12u);
  uint16_t held = Core().mem.held();
  ASSERT_EQ(TableRemove(15, 1), E_OK);
  ASSERT_EQ(TableRemove(15, 0), E_OK);
  EXPECT_EQ(Core().mem.held(), held - 1);
  // Freed: the next put may choose another record size.
  uint16_t s = 1;
  EXPECT_NE(TablePut(15, 0, &s, 2), nullptr);
  TablesFree();
  EXPECT_EQ(TableRemove(15, 0), E_STRUCTMEM);
  EXPECT_EQ(TablePut(15, 0, &s, 2), nullptr);
  EXPECT_EQ(TableCount(7), 0);
}

void Noop() {}

TEST_F(TablesTest, CallbackSlots) {
  EXPECT_EQ(CallbackSet(24, &Noop), 24);
  EXPECT_EQ(CallbackGet(24), &Noop);
  EXPECT_EQ(CallbackSet(25, &Noop), 255);
  EXPECT_EQ(CallbackGet(25), nullptr);
  EXPECT_EQ(CallbackGet(3), nullptr);
  EXPECT_EQ(CallbackSet(24, nullptr), 24);
  EXPECT_EQ(CallbackGet(24), nullptr);
}

}  // namespace
}  // namespace tol
