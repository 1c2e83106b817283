// Scratch stack: items packed at 4-byte boundaries in one data block.
#include "core/scratch.h"

#include <cstring>

#include "core/memory.h"

namespace tol {

ErrCode ScratchStack::Create(MemBlocks& mem, uint16_t kb) {
  byte_size_ = uint32_t{kb} * 1024;
  data_ = static_cast<char*>(mem.Allocate(M_EXECRUNTIME, byte_size_, MemBlocks::kNoFill));
  items_ = static_cast<Entry*>(
      mem.Allocate(M_EXECRUNTIME, uint32_t{kb} * sizeof(Entry), MemBlocks::kNoFill));
  if (data_ == nullptr || items_ == nullptr) {
    Destroy(mem);
    return E_OUTOFMEMORY;
  }
  capacity_ = kb;
  top_ = 0;
  items_[0] = Entry{0, 0, 0};
  next_free_ = 0;
  peak_bytes_ = 0;
  peak_items_ = 0;
  return E_OK;
}

void ScratchStack::Destroy(MemBlocks& mem) {
  if (data_) (void)mem.Free(M_EXECRUNTIME, data_);
  if (items_) (void)mem.Free(M_EXECRUNTIME, items_);
  Forget();
}

void ScratchStack::Forget() {
  data_ = nullptr;
  items_ = nullptr;
  capacity_ = top_ = 0;
  next_free_ = byte_size_ = 0;
}

StrRef ScratchStack::Item(ScratchMark i) const {
  return StrRef(data_ + items_[i].offset, items_[i].len);
}

ScratchMark ScratchStack::Release(ScratchMark mark) {
  if (mark > top_) return top_;
  next_free_ = items_[mark].offset + Room4(items_[mark].len);
  top_ = mark;
  return top_;
}

ErrCode ScratchStack::Push(uint16_t size, uint8_t fill) {
  uint32_t start = next_free_;
  uint32_t room = Room4(size);
  if (data_ == nullptr || start + room >= byte_size_) return E_OUTOFMEMORY;
  next_free_ = start + room;
  if (next_free_ > peak_bytes_) peak_bytes_ = next_free_;
  if (top_ >= capacity_ - 1) return E_OUTOFMEMORY;
  ++top_;
  if (top_ > peak_items_) peak_items_ = top_;
  items_[top_] = Entry{start, size, 0};
  if (fill != 255) std::memset(data_ + start, fill, size);
  return E_OK;
}

ErrCode ScratchStack::PushCopy(StrRef text) {
  if (!text.ok()) return text.err();
  ErrCode e = Push(text.size());
  if (e) return e;
  std::memmove(TopBytes(), text.data(), text.size());
  return E_OK;
}

StrRef ScratchStack::CopyOut(ScratchMark mark, StrRef text) {
  Release(mark);
  if (!text.ok()) return text;
  ErrCode e = PushCopy(text);
  if (e) return StrRef::Fail(e);
  return Top();
}

ErrCode ScratchStack::Room(uint16_t n) const {
  return uint32_t{top_} + n >= capacity_ ? E_OUTOFMEMORY : E_OK;
}

uint32_t ScratchStack::FreeBytes() const {
  uint32_t left = byte_size_ - next_free_;
  return left > 4 ? left - 4 : 0;
}

}  // namespace tol
