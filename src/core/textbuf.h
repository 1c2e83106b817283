// The text buffer: a fixed-capacity text that report lines and device
// output fill piece by piece.  The first failed write is kept and every
// later write does nothing, so a caller tests the buffer once at the end.
#pragma once

#include <cstdint>

#include "core/strref.h"

namespace tol {

struct TextBuffer {
  ErrCode error = 0;
  uint16_t capacity = 0;
  char* data = nullptr;  // a memory block of the owner's module
  uint16_t used = 0;     // the highest end of any write
};

inline constexpr uint16_t kTextAppend = 0xFFFF;  // position: at the used length

// A buffer with a new block of the module (not filled); on no memory the
// buffer's error is 145.
TextBuffer TextBufferCreate(uint16_t module, uint16_t capacity);
[[nodiscard]] ErrCode TextBufferFree(uint16_t module, TextBuffer& buf);
// Copies text in at position and answers a view of the written bytes; an
// empty text when the error is set, or (setting it to 153) when the text
// would pass the capacity.
StrRef TextBufferWrite(TextBuffer& buf, StrRef text, uint16_t position = kTextAppend);
inline StrRef TextBufferText(const TextBuffer& buf) {
  return StrRef(buf.data, buf.used);
}

}  // namespace tol
