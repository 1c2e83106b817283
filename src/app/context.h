// The runtime context: one fresh instance of every subsystem's state, made
// current for its lifetime.  The program's entry makes one per run; tests
// make one per case.
#pragma once

#include "core/core.h"
#include "core/state.h"
#include "data/data.h"
#include "lang/lang.h"
#include "proc/procedures.h"
#include "shell/messages.h"
#include "shell/startup.h"
#include "winui/winui.h"

namespace tol {

struct RuntimeContext {
  StateScope<CoreState> core;
  StateScope<LangState> lang;
  StateScope<DataState> data;
  StateScope<ShellState> shell;
  StateScope<MessageState> messages;
  StateScope<ProcState> proc;
  StateScope<WinState> win;
};

}  // namespace tol
