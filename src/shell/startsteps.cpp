// Start-up steps that hand over to other subsystems.
#include "shell/startsteps.h"

#include <cstdio>

#include "core/core.h"
#include "core/lists.h"
#include "core/msgbox.h"
#include "core/text.h"
#include "lang/lang.h"
#include "shell/env.h"
#include "shell/paths.h"
#include "shell/startup.h"

namespace tol {

ErrCode StepVariables() {
  return LangInit();
}

ErrCode StepLocaleTexts() {
  return E_OK;
}

ErrCode StepLoadDictionary() {
  ScratchFrame f;
  StrRef folders = EnvValue(ENV_DOCPATH);
  StrRef name = Concat(AppPrefix(), "DICC.DAT");
  if (FindFile(folders, name).size() == 0) {
    SetDetail(0, Concat(Concat(Concat(name, " ["), folders), "]"));
    return Fail(M_DATAFILE, E_FILENOTFOUND);
  }
  return NotAvailable("structure dictionary");
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
  return NotAvailable("program dispatcher (INPUT file)");
}

ErrCode StepOpenMainWindow(StrRef) {
  return NotAvailable("main window");
}

ErrCode StepDispatch(StrRef) {
  return NotAvailable("program dispatcher");
}

void StepMessageLoop() {}

uint16_t StepShutdown() {
  LangShutdown();
  return CoreShutdown();
}

}  // namespace tol
