// Program commands and the dispatcher: a program type name followed by its
// parameter text, parsed and handed to the application's dispatcher, which
// handles its own types and passes the others to the runtime's handlers.
#pragma once

#include <cstdint>

#include "core/strref.h"
#include "shell/startup.h"

namespace tol {

enum ProgramType : uint16_t {
  PT_UNKNOWN = 0,
  PT_MENU = 1,
  PT_ACCEPT,
  PT_ACCEPTRUN,
  PT_MANTAUX,
  PT_MANTMAIN,
  PT_MANTAUTO,
  PT_MANTMOVS,
  PT_LNMANMAIN,
  PT_LNNAVMAIN,
  PT_PRCEXEC,
  PT_REPORT,
  PT_REORG,
  PT_COPY,
  PT_FILETRANS,
  PT_HELP,
  PT_PERFORM,
  PT_FONTSET,
  PT_WIZZSELECT,
  PT_EXPEVAL,
};
inline constexpr StrRef kProgramTypes(
    "Menu,Accept,AcceptRun,MantAux,MantMain,MantAuto,MantMovs,LnManMain,LnNavMain,PrcExec,Report,"
    "Reorg,Copy,FileTrans,Help,Perform,FontSet,WizzSelect,ExpEval");

struct ParsedCommand {
  uint16_t type = PT_UNKNOWN;
  StrRef parameters;  // on the scratch stack
};
// Bracket substitution, then the type name (exact case) and the rest.
ParsedCommand ParseCommand(StrRef command);

// The dispatcher the entry registers; dispatch always goes through it.
void RegisterDispatcher(ProgramDispatcher d);
ProgramDispatcher RegisteredDispatcher();
// Parse and call the registered dispatcher (the default one when none).
[[nodiscard]] ErrCode Dispatch(StrRef command);
// The runtime's own handlers.
[[nodiscard]] ErrCode DefaultDispatcher(uint16_t type, StrRef parameters);
// Each comma item from start on, evaluated and run through the default
// dispatcher until one fails; an excluded type ends the run with 124.
// *reached is the position the run got to.
[[nodiscard]] ErrCode RunCommandList(StrRef list, uint16_t start, StrRef excluded,
                                     uint16_t* reached);
// The command, or the type's name, a blank and the command when the
// command does not start with a type name.
StrRef ProgramDescription(StrRef command, uint16_t type);

}  // namespace tol
