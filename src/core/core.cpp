// Core set-up and shutdown.
#include "core/core.h"

namespace tol {

ErrCode CoreInit() {
  CoreState& c = Core();
  ErrCode e = c.mem.Initialize();
  if (e) return e;
  e = c.scratch.Create(c.mem, c.mem.scratch_kb());
  if (e) return e;
  return c.slots.Create(c.mem);
}

uint16_t CoreShutdown() {
  CoreState& c = Core();
  uint16_t leak = c.mem.Shutdown();
  if (leak == 0) {
    c.scratch.Forget();
    c.slots.Forget();
  }
  return leak;
}

CoreScope::CoreScope(uint16_t scratch_kb, uint16_t capacity) {
  state_->mem.Configure(capacity, scratch_kb);
  (void)CoreInit();
}

}  // namespace tol
