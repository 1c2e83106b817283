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

// Hash index of the variable names beside the comma lists, so that a look-up
// does not walk a list.  Each entry names one list item by list, position
// and byte offset; a hit is confirmed against the list text itself.  The
// index follows appends as they are made and is rebuilt whenever a list's
// size is not the one it last saw.
struct NameSlot {
  uint16_t pos;
  uint16_t offset;
  uint16_t len;
  uint8_t list;  // list + 1; 0 marks a free entry
  uint8_t unused;
};
struct NameIndex {
  NameSlot* slots = nullptr;  // block of the variable store
  uint32_t capacity = 0;      // a power of two, 0 when not built
  uint32_t used = 0;
  uint16_t sizes[4] = {};   // list text sizes the index covers
  uint16_t counts[4] = {};  // names indexed per list
};

// Seams of the evaluator (lang/eval.h) that later layers fill; an empty
// one makes its operand fail with 148 and the name in the error detail.
struct ExprHooks {
  // A call of function number n (0 for a name beginning with "_" that is no
  // function) with the text between its brackets: pushes one value and
  // answers 0 (number), 1 (text) or a code of 122 and above.
  ErrCode (*call)(uint16_t number, StrRef name, StrRef args) = nullptr;
  // Field references: the type letter of the field (0 when unknown), its
  // value pushed as text, and the assignment of a text to it.
  uint8_t (*field_type)(StrRef ref) = nullptr;
  ErrCode (*field_read)(StrRef ref) = nullptr;
  ErrCode (*field_write)(StrRef ref, StrRef text) = nullptr;
  // A file's last-written date (form 1, YYYYMMDD) or time of day in
  // milliseconds (form 0); 0 when there is no such file.
  int32_t (*file_time)(StrRef name, uint8_t form) = nullptr;
  // Path expansion of file names (%NAME% references), a scratch item.
  StrRef (*expand_path)(StrRef name) = nullptr;
};
// The scanner's table of the function-name list (environment value 8),
// rebuilt whenever the list is no longer the text it was built from.
struct FunctionIndex {
  static constexpr uint16_t kBytes = 1024, kNames = 64;
  char text[kBytes];
  uint16_t size = 0xFFFF;  // 0xFFFF: not built
  uint16_t count = 0;
  uint16_t offset[kNames];
  uint8_t len[kNames];
};
struct FnCall;
struct ExprState {
  ExprHooks hooks;
  // Handlers of the application's functions 34 to 49 (lang/functions.h).
  ErrCode (*app_functions[16])(const FnCall& call) = {};
  // Handlers of built-in functions 1 to 33 whose layer sits above the
  // language (streams, record files), filled by that layer at start-up.
  ErrCode (*layer_functions[34])(const FnCall& call) = {};
  uint16_t depth = 0;  // nesting of the evaluation running now
  FunctionIndex functions;
};

struct LangState {
  // Block of kValueTables table pointers; null before the registry exists.
  void** tables = nullptr;
  Callback callbacks[kCallbackSlots] = {};
  NameIndex names;
  ExprState expr;
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
