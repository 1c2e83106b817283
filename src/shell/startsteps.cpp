// Start-up steps that hand over to other subsystems.
#include "shell/startsteps.h"

#include <cstdio>

#include "core/core.h"
#include "core/coremsg.h"
#include "core/lists.h"
#include "core/msgbox.h"
#include "core/text.h"
#include "data/dict.h"
#include "data/fieldexpr.h"
#include "data/fnfiles.h"
#include "data/fnrecords.h"
#include "data/streams.h"
#include "lang/eval.h"
#include "lang/lang.h"
#include "lang/sysvars.h"
#include "shell/dispatch.h"
#include "shell/env.h"
#include "shell/messages.h"
#include "shell/paths.h"
#include "shell/startup.h"

namespace tol {

// The variable store, then the seams through which expressions reach the
// record buffers, the files and the path expansion.
ErrCode StepVariables() {
  if (ErrCode e = LangInit()) return e;
  ConnectFieldReferences();
  ConnectFileFunctions();
  ConnectRecordFunctions();
  Lang().expr.hooks.expand_path = ExpandPath;
  return E_OK;
}

ErrCode StepLocaleTexts() {
  SetMessageHook(MessageText);
  SetLangVarAssign(EvaluateCheck);
  return BuildLocaleTexts();
}

ErrCode StepLoadDictionary() {
  return DictLoad(EnvValue(ENV_DOCPATH), AppPrefix(), StrRef());
}

ErrCode StepDeclareFileVariables() {
  return E_OK;
}

void StepAboutBox() {}

void StepShowError(ErrCode code) {
  ShowError(code);
}

ErrCode StepRunInputFile(StrRef name) {
  if (name.size() == 0) return E_OK;
  uint16_t h = StreamOpen(name, OPEN_READONLY | OPEN_QUIET);
  if (h == kStreamFail) return E_OK;  // an INPUT file that cannot be opened is ignored
  SysSet(_INHND, static_cast<int16_t>(h));
  ErrCode e = E_OK;
  while (e == E_OK) {
    ScratchFrame f;
    // Dialogs run by a command read their answers from the same handle.
    StrRef line = StreamReadLine(h);
    if (!line.ok()) break;
    if (Trim(line).size()) e = Dispatch(line);
  }
  StreamClose(h);
  SysSet(_INHND, 0);
  return e;
}

ErrCode StepOpenMainWindow(StrRef name) {
  ShellState& sh = Shell();
  return sh.open_main_window ? sh.open_main_window(name) : NotAvailable("main window");
}

ErrCode StepDispatch(StrRef command) {
  return Dispatch(command);
}

void StepMessageLoop() {
  if (Shell().message_loop) Shell().message_loop();
}

uint16_t StepShutdown() {
  LangShutdown();
  return CoreShutdown();
}

}  // namespace tol
