// The dispatch chain and the runtime's program handlers.
#include "shell/dispatch.h"

#include "core/core.h"
#include "core/lists.h"
#include "core/text.h"
#include "lang/eval.h"
#include "lang/exprfile.h"
#include "lang/subst.h"
#include "shell/messages.h"
#include "shell/progdef.h"
#include "shell/startup.h"

namespace tol {

namespace {

// Types that reach the dispatcher without a handler.
ErrCode NotDefined() {
  SetDetail(0, MessageText(31));
  return Fail(M_NONE, E_DATA);
}

// MantAux: 0 writes the PARM_FILE_WRITE$ variables into PARM_FILE$; 1 with a
// second item pushes the current window's definition again; 1 alone pops.
ErrCode MantAux(StrRef parameters) {
  ScratchFrame f;
  StrRef first = Trim(ListItem(parameters, ',', 1));
  StrRef second = Trim(ListItem(parameters, ',', 2));
  int32_t what = ToInteger(first);
  if (first.size() && what == 0) {
    StrRef file = Copy(Parameter(104));
    StrRef names = Copy(Parameter(105));
    if (file.size() && names.size()) return SaveVariablesToFile(file, names);
    return E_OK;
  }
  if (what == 1 && ToInteger(second) != 0) return NotAvailable("MantAux window definition");
  if (what == 1) return DropDefinition();
  return Fail(M_NONE, E_DATA);
}

// Only hard failures end an ExpEval.
ErrCode ExpEval(StrRef parameters) {
  return EvaluateCheck(parameters);
}

}  // namespace

ParsedCommand ParseCommand(StrRef command) {
  ParsedCommand pc;
  StrRef text = BracketSubstitute(command, 0);
  if (!text.ok()) {
    pc.parameters = text;
    return pc;
  }
  uint8_t sep = FindByte(text, ' ', 0, false) != kNpos ? ' ' : ',';
  StrRef name = ListItem(text, sep, 1);
  pc.type = ListIndex(kProgramTypes, name, ',');
  pc.parameters = Slice(text, name.size() + 1);
  return pc;
}

void RegisterDispatcher(ProgramDispatcher d) {
  Shell().dispatcher = d;
}

ProgramDispatcher RegisteredDispatcher() {
  if (Shell().dispatcher == nullptr) Shell().dispatcher = DefaultDispatcher;
  return Shell().dispatcher;
}

ErrCode Dispatch(StrRef command) {
  ScratchFrame f;
  ParsedCommand pc = ParseCommand(command);
  if (!pc.parameters.ok()) return pc.parameters.err();
  if (pc.type == PT_UNKNOWN) {
    SetDetail(0, command);
    return Fail(M_NONE, E_DATA);
  }
  return RegisteredDispatcher()(pc.type, pc.parameters);
}

ErrCode DefaultDispatcher(uint16_t type, StrRef parameters) {
  switch (type) {
    case PT_ACCEPTRUN:
      return NotAvailable("AcceptRun");
    case PT_MANTAUX:
      return MantAux(parameters);
    case PT_PRCEXEC:
      return Shell().prcexec ? Shell().prcexec(parameters) : NotAvailable("PrcExec");
    case PT_REPORT:
      return NotAvailable("Report");
    case PT_REORG:
      return NotAvailable("Reorg");
    case PT_COPY:
      return NotAvailable("Copy");
    case PT_FILETRANS:
      return NotAvailable("FileTransWizzard");
    case PT_HELP:
      return NotAvailable("Help");
    case PT_FONTSET:
      return NotAvailable("FontSet");
    case PT_EXPEVAL:
      return ExpEval(parameters);
    default:
      return NotDefined();
  }
}

ErrCode RunCommandList(StrRef list, uint16_t start, StrRef excluded, uint16_t* reached) {
  if (start < 1) start = 1;
  uint16_t n = ListCount(list, ',');
  uint16_t at = start;
  ErrCode e = E_OK;
  for (; at <= n && e == E_OK; ++at) {
    ScratchFrame f;
    StrRef cmd = EvaluateText(ListItem(list, ',', at));
    if (!cmd.ok()) {
      e = cmd.err();
      break;
    }
    ParsedCommand pc = ParseCommand(cmd);
    if (!pc.parameters.ok()) {
      e = pc.parameters.err();
      break;
    }
    uint8_t t = static_cast<uint8_t>(pc.type);
    if (FindByte(excluded, t) != kNpos) {
      e = E_UNDEFWARN;
      break;
    }
    e = pc.type == PT_UNKNOWN ? Fail(M_NONE, E_DATA) : DefaultDispatcher(pc.type, pc.parameters);
    if (e) break;
  }
  if (reached) *reached = at;
  return e;
}

StrRef ProgramDescription(StrRef command, uint16_t type) {
  ScratchMark m = Scratch().Mark();
  uint8_t sep = FindByte(command, ' ', 0, false) != kNpos ? ' ' : ',';
  if (ListIndex(kProgramTypes, ListItem(command, sep, 1), ',')) return Copy(command);
  StrRef name = ListItem(kProgramTypes, ',', type);
  return Scratch().CopyOut(m, Concat(Concat(name, " "), command));
}

}  // namespace tol
