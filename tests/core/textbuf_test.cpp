// Text buffers keep their first failure and never write past their capacity.
#include <gtest/gtest.h>

#include "core/core.h"
#include "core/text.h"
#include "core/textbuf.h"

namespace tol {
namespace {

TEST(TextBuffer, FirstFailureStopsLaterWrites) {
  CoreScope core;
  TextBuffer b = TextBufferCreate(M_DEVICES, 10);
  ASSERT_EQ(b.error, E_OK);
  EXPECT_EQ(TextBufferWrite(b, "0123456789", 0), StrRef("0123456789"));
  EXPECT_EQ(TextBufferWrite(b, "x"), StrRef(""));  // an append past the end
  EXPECT_EQ(b.error, E_STRCONCATERR);
  EXPECT_EQ(TextBufferWrite(b, "y", 0), StrRef(""));  // does nothing now
  EXPECT_EQ(TextBufferText(b), StrRef("0123456789"));
  EXPECT_EQ(TextBufferFree(M_DEVICES, b), E_OK);  // the guard bytes are intact
}

TEST(TextBuffer, UsedIsTheHighestEnd) {
  CoreScope core;
  TextBuffer b = TextBufferCreate(M_DEVICES, 8);
  TextBufferWrite(b, "abc");
  TextBufferWrite(b, "Z", 6);
  TextBufferWrite(b, "B", 1);
  EXPECT_EQ(b.used, 7);
  EXPECT_EQ(Slice(TextBufferText(b), 0, 3), StrRef("aBc"));
  TextBufferWrite(b, StrRef::Fail(E_DATA));
  EXPECT_EQ(b.error, E_DATA);
  EXPECT_EQ(TextBufferFree(M_DEVICES, b), E_OK);
}

}  // namespace
}  // namespace tol
