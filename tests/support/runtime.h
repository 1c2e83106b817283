// Test support: a fresh runtime context with the core and the variable store
// set up as the runtime start leaves them, before any application names.
#pragma once

#include "app/context.h"
#include "core/core.h"
#include "lang/lang.h"

namespace tol::testing {

class TestRuntime {
 public:
  TestRuntime() {
    ctx_.core->mem.Configure(0, 512);
    init_ = CoreInit();
    if (init_ == E_OK) init_ = LangInit();
  }
  ~TestRuntime() { LangShutdown(); }
  ErrCode init_result() const { return init_; }
  RuntimeContext& context() { return ctx_; }

 private:
  RuntimeContext ctx_;
  ErrCode init_ = E_OK;
};

}  // namespace tol::testing
