// Memory block manager: guarded, module-tagged heap blocks in a fixed table.
#include "core/memory.h"

#include <cstdlib>
#include <cstring>

namespace tol {

namespace {
const unsigned char kGuard[4] = {0x00, 0x21, 0x21, 0x00};
}

MemBlocks::~MemBlocks() {
  ReleaseAll();
}

void MemBlocks::Configure(uint16_t capacity, uint16_t scratch_kb) {
  if (initialized()) return;
  if (capacity) capacity_ = capacity;
  if (scratch_kb) scratch_kb_ = scratch_kb;
}

ErrCode MemBlocks::Initialize() {
  if (initialized()) return E_UNDEFWARN;
  slots_.assign(capacity_, Slot{});
  return E_OK;
}

int MemBlocks::Find(const void* block) const {
  if (block == nullptr) return -1;
  for (size_t i = 0; i < slots_.size(); ++i)
    if (slots_[i].ptr == block) return static_cast<int>(i);
  return -1;
}

void* MemBlocks::Allocate(uint16_t module, uint32_t size, uint8_t fill) {
  for (Slot& s : slots_) {
    if (s.ptr != nullptr) continue;
    auto* p = static_cast<unsigned char*>(std::malloc(size_t{size} + 4));
    if (p == nullptr) return nullptr;
    std::memcpy(p + size, kGuard, 4);
    if (fill != kNoFill) std::memset(p, fill, size);
    s = Slot{module, size, p};
    ++allocations_;
    return p;
  }
  return nullptr;
}

ErrCode MemBlocks::Free(uint16_t module, void* block) {
  int i = Find(block);
  if (i < 0) return E_MEMORYALLOCERR;
  Slot& s = slots_[i];
  if (std::memcmp(s.ptr + s.size, kGuard, 4) != 0) return E_MEMOVERFLOW;
  if (s.module != module) return E_INTERNAL;
  std::free(s.ptr);
  s = Slot{};
  --allocations_;
  return E_OK;
}

ErrCode MemBlocks::WriteInto(void* block, uint32_t offset, StrRef text) {
  if (!text.ok()) return text.err();
  int i = Find(block);
  if (i < 0 || uint64_t{offset} + text.size() > slots_[i].size) return E_DATAOUTBOUND;
  std::memcpy(slots_[i].ptr + offset, text.data(), text.size());
  return E_OK;
}

uint32_t MemBlocks::SizeOf(const void* block) const {
  int i = Find(block);
  return i < 0 ? 0 : slots_[i].size;
}

uint16_t MemBlocks::ModuleOf(const void* block) const {
  int i = Find(block);
  return i < 0 ? 0 : slots_[i].module;
}

uint16_t MemBlocks::held() const {
  uint16_t n = 0;
  for (const Slot& s : slots_) n += s.ptr != nullptr;
  return n;
}

uint16_t MemBlocks::Shutdown() {
  if (!initialized()) return 0;
  for (size_t i = slots_.size(); i-- > 0;) {
    if (slots_[i].ptr == nullptr) continue;
    if (slots_[i].module != M_STRINGINIT) return slots_[i].module;
    break;
  }
  ReleaseAll();
  return 0;
}

void MemBlocks::ReleaseAll() {
  for (Slot& s : slots_) {
    std::free(s.ptr);
    s = Slot{};
  }
  slots_.clear();
  allocations_ = 0;
}

}  // namespace tol
