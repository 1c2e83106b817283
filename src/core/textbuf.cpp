// Fixed-capacity text buffers.
#include "core/textbuf.h"

#include <cstring>

#include "core/core.h"

namespace tol {

TextBuffer TextBufferCreate(uint16_t module, uint16_t capacity) {
  TextBuffer b;
  b.data = static_cast<char*>(Core().mem.Allocate(module, capacity, MemBlocks::kNoFill));
  if (b.data == nullptr) {
    b.error = E_OUTOFMEMORY;
    b.data = const_cast<char*>("");
    return b;
  }
  b.capacity = capacity;
  return b;
}

ErrCode TextBufferFree(uint16_t module, TextBuffer& buf) {
  ErrCode e = buf.capacity ? Core().mem.Free(module, buf.data) : E_OK;
  if (e == E_OK) buf = TextBuffer{};
  return e;
}

StrRef TextBufferWrite(TextBuffer& buf, StrRef text, uint16_t position) {
  StrRef none(buf.data ? buf.data : "", 0);
  if (buf.error) return none;
  if (!text.ok()) {
    buf.error = text.err();
    return none;
  }
  uint32_t at = position == kTextAppend ? buf.used : position;
  if (at + text.size() > buf.capacity) {
    buf.error = E_STRCONCATERR;
    return none;
  }
  std::memmove(buf.data + at, text.data(), text.size());
  if (at + text.size() > buf.used) buf.used = static_cast<uint16_t>(at + text.size());
  return StrRef(buf.data + at, text.size());
}

}  // namespace tol
