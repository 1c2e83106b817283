// The steps of the runtime start and of the start program that belong to
// other subsystems, gathered in one place so the start-up reads as the
// sequence it is.  A step whose subsystem is not in this build answers 148
// with the missing feature named in the error detail.
#pragma once

#include <cstdint>

#include "core/strref.h"

namespace tol {

// Core set-up: the variable store and the system variables.
[[nodiscard]] ErrCode StepVariables();
// Environment value 0 from messages 0019 and 0117 (the language module is
// chosen here).
[[nodiscard]] ErrCode StepLocaleTexts();
// The application prefix's dictionary from the definitions folder.
[[nodiscard]] ErrCode StepLoadDictionary();
// The variables of the record files once the dictionary is loaded.
[[nodiscard]] ErrCode StepDeclareFileVariables();
// The about box, shown when tracing asks for it at start.
void StepAboutBox();
// A result above 121 as an error message.
void StepShowError(ErrCode code);
// Each line of the INPUT file through the program dispatcher.
[[nodiscard]] ErrCode StepRunInputFile(StrRef name);
// The start program in the main window with its menu bar.
[[nodiscard]] ErrCode StepOpenMainWindow(StrRef name);
// One program command through the program dispatcher.
[[nodiscard]] ErrCode StepDispatch(StrRef command);
// The message loop until the main window is gone.
void StepMessageLoop();
// Variable store and memory manager released; the leak check's module.
uint16_t StepShutdown();

}  // namespace tol
