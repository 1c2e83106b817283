// The string slot table: texts that outlive the scratch stack, addressed by
// group (0-38) and item, packed end to end in one 64 KB block.  Groups 30-36
// are stacks (last item on top), 37 and 38 queues (item 0 in front).
#pragma once

#include <cstdint>

#include "core/strref.h"

namespace tol {

class MemBlocks;

class SlotTable {
 public:
  static constexpr uint16_t kGroups = 39;
  static constexpr uint16_t kItems = 2048;
  static constexpr uint32_t kBlockBytes = 65535;
  static constexpr uint32_t kTextBytes = kBlockBytes - (kGroups + kItems) * 2;  // 61361

  // One block of module 1, all counts zero.
  [[nodiscard]] ErrCode Create(MemBlocks& mem);
  void Destroy(MemBlocks& mem);
  void Forget() { block_ = nullptr; }
  bool exists() const { return block_ != nullptr; }

  // View into the table, valid until the table next changes.
  StrRef Get(uint16_t group, uint16_t item) const;
  // Items above the group's count are created empty; text may be a view
  // into the table.  159 when out of range or full (table unchanged).
  [[nodiscard]] ErrCode Set(uint16_t group, uint16_t item, StrRef text);
  [[nodiscard]] ErrCode Push(uint16_t group, StrRef text) { return Set(group, Count(group), text); }
  StrRef Top(uint16_t group) const;
  [[nodiscard]] ErrCode Drop(uint16_t group);
  // A scratch copy of Top, then Drop.
  StrRef Take(uint16_t group);
  [[nodiscard]] ErrCode Truncate(uint16_t group, uint16_t n);
  uint16_t Count(uint16_t group) const;

  uint16_t items_used() const { return items_; }
  uint32_t bytes_used() const { return bytes_; }

 private:
  static bool IsQueue(uint16_t group) { return group >= 37; }
  uint16_t* counts() const { return reinterpret_cast<uint16_t*>(block_); }
  uint16_t* lengths() const { return counts() + kGroups; }
  char* text() const { return reinterpret_cast<char*>(lengths() + kItems); }
  uint32_t FlatBase(uint16_t group) const;
  uint32_t TextStart(uint32_t flat) const;
  ErrCode RemoveItem(uint16_t group, uint16_t item);

  unsigned char* block_ = nullptr;
  uint16_t items_ = 0;
  uint32_t bytes_ = 0;
};

}  // namespace tol
