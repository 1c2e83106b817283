// The memory block manager: a fixed table of heap blocks, each tagged with
// the module that owns it and followed by four guard bytes, so that an
// overrun, a free under the wrong module and a leak at shutdown are caught.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/strref.h"

namespace tol {

class MemBlocks {
 public:
  static constexpr uint16_t kDefaultCapacity = 64;
  static constexpr uint16_t kDefaultScratchKB = 128;
  static constexpr uint8_t kNoFill = 255;

  MemBlocks() = default;
  ~MemBlocks();
  MemBlocks(const MemBlocks&) = delete;
  MemBlocks& operator=(const MemBlocks&) = delete;

  // Settable once, before Initialize.
  void Configure(uint16_t capacity, uint16_t scratch_kb);
  uint16_t capacity() const { return capacity_; }
  uint16_t scratch_kb() const { return scratch_kb_; }

  // Creates the slot table (124 when already done, 145 when it cannot).
  // The scratch stack is created by the caller right after (CoreInit).
  [[nodiscard]] ErrCode Initialize();
  bool initialized() const { return !slots_.empty(); }

  // A block of size bytes for module; filled unless fill is kNoFill.  Null
  // when no slot is free or the heap is exhausted (callers report 145).
  void* Allocate(uint16_t module, uint32_t size, uint8_t fill);
  // 154 unknown pointer, 180 guard bytes changed, 141 other module.
  [[nodiscard]] ErrCode Free(uint16_t module, void* block);
  // 168 when the block is unknown or the text would pass its end.
  [[nodiscard]] ErrCode WriteInto(void* block, uint32_t offset, StrRef text);
  // Size of a known block, 0 otherwise.
  uint32_t SizeOf(const void* block) const;
  // The module that owns a known block, 0 otherwise.
  uint16_t ModuleOf(const void* block) const;

  // Leak check: 0 when nothing is held, else the module of the block in the
  // highest slot.  When that is module 1 (only the runtime's own long-lived
  // blocks remain on top) everything is released.
  uint16_t Shutdown();

  uint16_t held() const;
  int32_t allocations() const { return allocations_; }

 private:
  struct Slot {
    uint16_t module = 0;
    uint32_t size = 0;
    unsigned char* ptr = nullptr;
  };
  int Find(const void* block) const;
  void ReleaseAll();

  uint16_t capacity_ = kDefaultCapacity;
  uint16_t scratch_kb_ = kDefaultScratchKB;
  std::vector<Slot> slots_;
  int32_t allocations_ = 0;
};

}  // namespace tol
