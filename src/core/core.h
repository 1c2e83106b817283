// The runtime core's process-wide state: memory blocks, the scratch stack,
// the string slot table and the last error record, created together by
// CoreInit and released together by CoreShutdown; and the two hooks the
// upper layers install: the message catalogue and the display.
#pragma once

#include "core/errors.h"
#include "core/memory.h"
#include "core/scratch.h"
#include "core/slots.h"
#include "core/state.h"

namespace tol {

class Display;

struct CoreState {
  MemBlocks mem;
  ScratchStack scratch;
  SlotTable slots;
  ErrorState err;
  // The message catalogue's look-up (see core/coremsg.h); null until the
  // catalogue is built.
  StrRef (*message)(uint16_t number) = nullptr;
  // Where message boxes go (see core/display.h); null until a backend is
  // chosen.  Not owned.
  Display* display = nullptr;
};

inline CoreState& Core() {
  return Current<CoreState>::Get();
}
inline ScratchStack& Scratch() {
  return Core().scratch;
}
inline SlotTable& Slots() {
  return Core().slots;
}

// Core set-up: block table, scratch stack and slot table, in that order,
// with the sizes configured on Core().mem.
[[nodiscard]] ErrCode CoreInit();
// Leak check and release (see MemBlocks::Shutdown); 0 when clean.
uint16_t CoreShutdown();

// Working convention for operations that return an ErrCode: the frame's
// destructor releases the scratch stack to the mark taken on entry.  An
// operation that returns a text hands it back with Keep.
class ScratchFrame {
 public:
  ScratchFrame() : mark_(Scratch().Mark()) {}
  ~ScratchFrame() {
    if (!kept_) Scratch().Release(mark_);
  }
  ScratchFrame(const ScratchFrame&) = delete;
  ScratchFrame& operator=(const ScratchFrame&) = delete;
  ScratchMark mark() const { return mark_; }
  StrRef Keep(StrRef result) {
    kept_ = true;
    return Scratch().CopyOut(mark_, result);
  }

 private:
  ScratchMark mark_;
  bool kept_ = false;
};

// A fresh core for tests and tools: made current and initialized.
class CoreScope {
 public:
  explicit CoreScope(uint16_t scratch_kb = 512, uint16_t capacity = 64);
  CoreState& operator*() { return *state_; }
  CoreState* operator->() { return &*state_; }

 private:
  StateScope<CoreState> state_;
};

}  // namespace tol
