// The spine of a run: the runtime start that builds the runtime's state
// from the command line, the choice and running of the start program, and
// the orderly end with the exit-code rule.
#pragma once

#include <cstdint>

#include "core/state.h"
#include "core/strref.h"

namespace tol {

// Bits of the start flags.
enum StartFlag : uint8_t {
  START_DICTIONARY = 2,       // load the structure dictionary at start
  START_DICT_OPTIONAL = 4,    // a missing prefix (156) or dictionary (164) is success
  START_DICT_IF_RENAMED = 8,  // load it only when the name differs from the default
};

// The application's callback: low four bits the stage (1 before names and
// folders, 2 when everything is ready, 3 at the end), next four the flags.
using AppCallback = ErrCode (*)(uint16_t stage_code);

// A font line of the font set (OVFONT.PPN), kept until the window layer
// defines it.
struct FontSetLine {
  int16_t height = 0;
  int16_t width = 0;
  int16_t weight = 0;
  char face[64] = {0};
  bool defined = false;
};

using ProgramDispatcher = ErrCode (*)(uint16_t type, StrRef parameters);

struct ShellState {
  void* instance = nullptr;
  ProgramDispatcher dispatcher = nullptr;
  uint8_t start_flags = 0;
  AppCallback callback = nullptr;
  FontSetLine font_set;
  // The PrcExec program; the procedure layer, which sits above the shell,
  // fills it (ProcInstall).  Empty: PrcExec is not available.
  ErrCode (*prcexec)(StrRef parameters) = nullptr;
  // The main window and its message loop; the window layer, above the
  // shell, fills both.  Empty: the main window is not available.
  ErrCode (*open_main_window)(StrRef start_program) = nullptr;
  void (*message_loop)() = nullptr;
};
inline ShellState& Shell() {
  return Current<ShellState>::Get();
}

// Builds all runtime state; a result above 121 has been shown already.
// count 0xFFFF: args[0] is the whole command-line text; otherwise an
// argv-style array whose elements from the second on are joined.
[[nodiscard]] ErrCode RuntimeStart(void* instance, uint16_t count, const char* const* args,
                                   StrRef default_name, StrRef description, uint8_t flags,
                                   AppCallback callback);
// The command line as the runtime start sees it, for count and args.
StrRef CommandLineText(uint16_t count, const char* const* args);
// Folder set-up: kind 1 at start, kind 2 as the dictionary's fallback.
[[nodiscard]] ErrCode FolderSetup(int kind);
// The caller's name, else APSTART or prefix+"MENU" when a PMT or PPN file
// of that name exists; empty when none.
StrRef ChooseStartProgram(StrRef name);
// INPUT file, then the main window or the RUN command; the run's result.
[[nodiscard]] ErrCode RunStartProgram(StrRef name);
// Stage 3, shutdown, and the exit code: the run result when 128 or more.
int RuntimeEnd(AppCallback callback, ErrCode run_result);

// A step whose subsystem is not part of this build: 148 with the feature
// named in the error detail.
[[nodiscard]] ErrCode NotAvailable(StrRef feature);

}  // namespace tol
