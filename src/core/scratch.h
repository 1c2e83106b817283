// The scratch stack: one preallocated area where every text operation leaves
// its result.  Callers mark, work, and copy their one result out below the
// mark; nothing is allocated per text.
#pragma once

#include <cstdint>

#include "core/strref.h"

namespace tol {

class MemBlocks;

using ScratchMark = uint16_t;

class ScratchStack {
 public:
  // Data block of kb KB and an item table of kb entries, both module 9.
  [[nodiscard]] ErrCode Create(MemBlocks& mem, uint16_t kb);
  // Gives the blocks back (module 9).
  void Destroy(MemBlocks& mem);
  // Forgets the blocks without freeing them (the manager already has).
  void Forget();
  bool exists() const { return data_ != nullptr; }

  ScratchMark Mark() const { return top_; }
  // Drops every item above mark; the mark's own item stays.
  ScratchMark Release(ScratchMark mark);
  // A new item of size bytes, filled unless fill is 255; 145 when full.
  [[nodiscard]] ErrCode Push(uint16_t size, uint8_t fill = 255);
  [[nodiscard]] ErrCode PushCopy(StrRef text);
  StrRef Top() const { return Item(top_); }
  char* TopBytes() const { return data_ + items_[top_].offset; }
  StrRef Item(ScratchMark i) const;
  // Release to mark, then push a copy of text (which may lie in the area
  // just released) and return it.
  StrRef CopyOut(ScratchMark mark, StrRef text);
  // 145 when fewer than n further items fit.
  [[nodiscard]] ErrCode Room(uint16_t n) const;
  // Bytes left in the data block, less one word.
  uint32_t FreeBytes() const;

  uint16_t capacity() const { return capacity_; }
  uint32_t peak_bytes() const { return peak_bytes_; }
  uint16_t peak_items() const { return peak_items_; }

 private:
  struct Entry {
    uint32_t offset;
    uint16_t len;
    uint16_t unused;
  };
  static uint32_t Room4(uint32_t n) { return (n + 3) & ~3u; }

  char* data_ = nullptr;
  Entry* items_ = nullptr;
  uint16_t capacity_ = 0;
  uint16_t top_ = 0;
  uint32_t next_free_ = 0;
  uint32_t byte_size_ = 0;
  uint32_t peak_bytes_ = 0;
  uint16_t peak_items_ = 0;
};

}  // namespace tol
