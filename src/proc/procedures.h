// The procedure interpreter: procedure files loaded into item tables with
// resolved jumps (value table 10), the runner behind callback slot 1 and
// EXEC$, CALL with its arguments, the command-handler slots, the PrcExec
// program and the procedure trace "PrcLog.txt".
#pragma once

#include <cstdint>

#include "core/state.h"
#include "core/strref.h"

namespace tol {

// Keywords, numbered from 1; 0 is an expression line.  Codes 19 to 53 are
// the commands.
enum ProcCode : uint16_t {
  PC_EXPR = 0,
  PC_GOTO = 1,
  PC_GOSUB,
  PC_CALL,
  PC_RETURN,
  PC_ENDIF,
  PC_LOOP,
  PC_LOOP_WHILE,
  PC_LOOP_UNTIL,
  PC_ELSE,
  PC_IF,
  PC_IF_TRUE,
  PC_DO_WHILE,
  PC_IF_FALSE,
  PC_DO_UNTIL,
  PC_DO,
  PC_DEF_FN,
  PC_LOCALVARS,
  PC_END,
  PC_FIRST_COMMAND = 19,  // ACCEPT
  PC_LAST_COMMAND = 53,   // SYSTEM
};

inline constexpr uint16_t kMaxLabels = 128, kMaxEntries = 128, kMaxBlocks = 16;
inline constexpr uint16_t kReturnStack = 64;
// Runs nested through CALL and EXEC$; deeper is 133 rather than a machine
// stack that runs out.
inline constexpr uint16_t kMaxRunDepth = 48;
// The message loop is given a turn every this many statements.
inline constexpr uint16_t kPollEvery = 32;
inline constexpr uint16_t kCommandSlots = 16, kMaxCommandArgs = 16;

// Run mode bits.
enum RunMode : uint16_t {
  RUN_RESTORE = 1,   // variables created during the run are removed afterwards
  RUN_FUNCTION = 2,  // the value before END is pushed on stack group 30 (EXEC$)
};

inline constexpr uint16_t kGroupFunctionResult = 30, kGroupFileSets = 33, kGroupArgs = 35;

// What callback slot 1 holds: RunProcedure.
using ProcedureRunner = ErrCode(StrRef entry, StrRef file, uint16_t mode);

// A command handler receives the command code (19 to 53), the argument
// count, each argument's kind (0 number, 1 text), the integer value of the
// numbers and every argument as text.
using CommandHandler = ErrCode(uint16_t code, uint16_t count, const uint8_t* kinds,
                               const int32_t* integers, const StrRef* texts);

// Seams to the layers above and beside the interpreter.  Each is empty
// until its layer fills it; an empty one does nothing.
struct ProcHooks {
  // Lets the message loop run once; true when the user has cancelled (the
  // progress window's cancel flag), which ends the run with 122.  The window
  // layer fills it.
  bool (*message_poll)() = nullptr;
  // The open record files and the current record-file set, taken before a
  // run from its first line and given back after it (the record layer
  // fills both).  The interpreter cuts stack group 33 back itself.
  uint32_t (*record_files_mark)() = nullptr;
  void (*record_files_restore)(uint32_t mark) = nullptr;
  // Windows created during such a run are destroyed (the window layer).
  uint32_t (*windows_mark)() = nullptr;
  void (*windows_restore)(uint32_t mark) = nullptr;
  // The selection window of the dialogs: the 1-based item chosen from the
  // comma list of quoted items, 0 when the user cancelled.  PrcExec's file
  // pattern needs it; without one that form is not available.
  uint16_t (*select_from_list)(StrRef title, StrRef items) = nullptr;
};

struct ProcState {
  CommandHandler* commands[kCommandSlots] = {};
  ProcHooks hooks;
  uint16_t run_depth = 0;
  // Kinds (0 number, 1 text, 2 absent) of the CALL arguments on group 35,
  // by their position there.
  uint8_t arg_kinds[2048] = {};
};
inline ProcState& Proc() {
  return Current<ProcState>::Get();
}

// Loads the procedure file (as given, else in the definitions folder) into
// value table 10 and installs the runner in callback slot 1.  The index of
// the new record, or a failure: 164 with the name when the file is missing,
// 147 or 145 with the texts of the loader; reported against EXEC_COMPILER.
[[nodiscard]] ErrCode LoadProcedure(StrRef name, uint16_t* index);
// Frees the procedure and its record (later records move down).
void UnloadProcedure(uint16_t index);
uint16_t LoadedProcedures();

// The procedure runner (callback slot 1).
ErrCode RunProcedure(StrRef entry, StrRef file, uint16_t mode);

// The PrcExec program: files[;libraries],entry,expression files...  The
// preparation callback, when given, runs after the expression files and
// before the procedure; its failure ends the program.
ErrCode RunPrcExec(StrRef parameter, ErrCode (*prepare)() = nullptr);

// Fills the shell's PrcExec seam (ShellState::prcexec).
void ProcInstall();

}  // namespace tol
