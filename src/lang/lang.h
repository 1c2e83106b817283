// The expression language's process-wide state: the value-table registry,
// the callback table and the variable store's name index, made current
// through StateScope<LangState> beside the core's state.
#pragma once

#include <cstdint>

#include "core/core.h"
#include "core/state.h"

namespace tol {

// Memory blocks of the variable store and its registries carry this module.
inline constexpr uint16_t kModVarStore = M_STRUCTFUNCS;

inline constexpr uint16_t kValueTables = 24;
inline constexpr uint16_t kCallbackSlots = 25;

// A callback slot holds any function; each slot's users agree on its type
// (see CallbackSet / CallbackGetAs in lang/tables.h).
using Callback = void (*)();

// Open-addressing index of variable names beside the comma lists: entries
// hold (list + 1) << 16 | position, 0 marks a free entry.  Rebuilt from the
// lists whenever it fills up or is found stale.
struct NameIndex {
  uint32_t* entries = nullptr;  // block of the variable store
  uint32_t capacity = 0;        // a power of two, 0 when not built
  uint32_t used = 0;
};

struct LangState {
  // Block of kValueTables table pointers; null before the registry exists.
  void** tables = nullptr;
  Callback callbacks[kCallbackSlots] = {};
  NameIndex names;
};

inline LangState& Lang() {
  return Current<LangState>::Get();
}

// Start-up of the variable store: the value-table registry, the four name
// lists and the system variables with their defaults.  Needs the core.
[[nodiscard]] ErrCode LangInit();
// Frees the variable store's blocks (value tables, array data, name index).
void LangShutdown();

// A fresh core and language state for tests and tools, with the start-up's
// variable set-up done; released again in reverse order.
class LangScope {
 public:
  explicit LangScope(uint16_t scratch_kb = 512, uint16_t capacity = 64);
  ~LangScope();
  LangScope(const LangScope&) = delete;
  LangScope& operator=(const LangScope&) = delete;
  ErrCode init_result() const { return init_; }
  CoreState& core() { return *core_; }

 private:
  CoreScope core_;
  StateScope<LangState> lang_;
  ErrCode init_;
};

}  // namespace tol
