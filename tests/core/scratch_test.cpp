// Scratch stack, memory blocks and text buffer behaviour.
#include <gtest/gtest.h>

#include "core/core.h"
#include "core/text.h"

namespace tol {
namespace {

TEST(Scratch, ItemsTakeRoomInWordsAndTheLastItemFails) {
  CoreScope core(512);
  ScratchStack& s = Scratch();
  uint32_t free0 = s.FreeBytes();
  ASSERT_EQ(s.Push(0), E_OK);
  EXPECT_EQ(s.FreeBytes(), free0);
  ASSERT_EQ(s.Push(1), E_OK);
  EXPECT_EQ(s.FreeBytes(), free0 - 4);
  ASSERT_EQ(s.Push(5), E_OK);
  EXPECT_EQ(s.FreeBytes(), free0 - 12);
  s.Release(0);
  for (int i = 1; i <= 511; ++i) ASSERT_EQ(s.Push(1), E_OK) << i;
  EXPECT_EQ(s.Push(1), E_OUTOFMEMORY);
  EXPECT_EQ(s.Mark(), 511);
}

TEST(Scratch, DataBlockFullFailsWithoutChange) {
  CoreScope core(1);  // 1 KB, one item above the base
  EXPECT_EQ(Scratch().Push(1024), E_OUTOFMEMORY);
  EXPECT_EQ(Scratch().Mark(), 0);
}

TEST(Scratch, CopyOutMovesTheResultDownToTheMark) {
  CoreScope core;
  ScratchStack& s = Scratch();
  ScratchMark m = s.Mark();
  StrRef junk = Copy("12345678");
  StrRef r = Concat(junk, "abc");
  StrRef out = s.CopyOut(m, r);
  EXPECT_EQ(out, StrRef("12345678abc"));
  EXPECT_EQ(s.Mark(), m + 1);
  EXPECT_EQ(out.data(), s.Item(m).data() + 0);  // starts at the mark's end
  StrRef f = s.CopyOut(m, StrRef::Fail(E_DATA));
  EXPECT_EQ(f.err(), E_DATA);
  EXPECT_EQ(s.Mark(), m);
}

TEST(MemBlocks, GuardModuleAndLeakCheck) {
  CoreScope core;
  MemBlocks& mem = Core().mem;
  void* b = mem.Allocate(M_SCREENS, 8, 0);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(mem.WriteInto(b, 6, "xyz"), E_DATAOUTBOUND);
  EXPECT_EQ(mem.Free(M_DATAFILE, b), E_INTERNAL);
  static_cast<char*>(b)[8] = 'x';  // one byte past the end
  EXPECT_EQ(mem.Free(M_SCREENS, b), E_MEMOVERFLOW);
  EXPECT_EQ(mem.SizeOf(b), 8u);  // still allocated
  static_cast<char*>(b)[8] = 0;
  int other;
  EXPECT_EQ(mem.Free(M_SCREENS, &other), E_MEMORYALLOCERR);
  EXPECT_EQ(CoreShutdown(), M_SCREENS);  // held above the slot table
  EXPECT_EQ(mem.Free(M_SCREENS, b), E_OK);
  EXPECT_EQ(CoreShutdown(), 0);
  EXPECT_EQ(mem.held(), 0);
}

TEST(MemBlocks, InitializeTwiceAndFullTable) {
  StateScope<CoreState> st;
  st->mem.Configure(3, 4);
  ASSERT_EQ(CoreInit(), E_OK);  // scratch takes two slots, the slot table one
  EXPECT_EQ(st->mem.Initialize(), E_UNDEFWARN);
  EXPECT_EQ(st->mem.Allocate(M_SCREENS, 4, 0), nullptr);
}

}  // namespace
}  // namespace tol
