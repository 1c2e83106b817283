// Runtime start, start program and runtime end.
#include "shell/startup.h"

#include <cstring>
#include <string>

#include "core/core.h"
#include "core/lists.h"
#include "core/text.h"
#include "host/fs.h"
#include "lang/sysvars.h"
#include "shell/env.h"
#include "shell/paths.h"
#include "shell/startsteps.h"

namespace tol {

namespace {

const StrRef kLanguages("EN,ES,FR,DE,IT");

uint16_t StageCode(uint16_t stage) {
  return static_cast<uint16_t>(stage | (Shell().start_flags << 4));
}

ErrCode CallStage(AppCallback cb, uint16_t stage) {
  return cb ? cb(StageCode(stage)) : E_OK;
}

// Step 7: trace bits, application name and description, folders.
ErrCode SetNames(StrRef default_name, StrRef description) {
  ScratchFrame f;
  StrRef trace = OptionValue(OPT_TRACE);
  SysSet(_TRACE, static_cast<int16_t>(ToInteger(trace) | 1));
  StrRef name = FirstNonEmpty(OptionValue(OPT_APNAME), default_name);
  if (name.size()) {
    StrRef topic = Copy(ListItem(EnvValue(ENV_APNAME), ':', 2));
    StrRef full = topic.size() ? Concat(Concat(name, ":"), topic) : name;
    if (ErrCode e = SetEnvValue(ENV_APNAME, full)) return e;
  }
  if (description.size())
    if (ErrCode e = SetEnvValue(ENV_APDESCRIP, description)) return e;
  return FolderSetup(1);
}

// Step 8: the structure dictionary, with one retry under kind 2 folders.
ErrCode DictionaryStep(StrRef default_name) {
  uint8_t flags = Shell().start_flags;
  bool wanted = (flags & START_DICTIONARY) ||
                ((flags & START_DICT_IF_RENAMED) && !Equal(EnvValue(ENV_APNAME), default_name));
  if (!wanted) return E_OK;
  ClearError();
  ErrCode code = E_LOADSTRERROR;
  if (AppPrefix().size() == 2) {
    code = StepLoadDictionary();
    if (code) {
      if (ErrCode e = FolderSetup(2)) return e;
      code = StepLoadDictionary();
    }
  }
  if ((flags & START_DICT_OPTIONAL) && (code == E_LOADSTRERROR || code == E_FILENOTFOUND))
    code = E_OK;
  if (code == E_OK) code = StepDeclareFileVariables();
  return code;
}

// Step 9: the first line of "OVFONT.PPN": height;width;weight word;face.
void LoadFontSet() {
  ScratchFrame f;
  StrRef path = FindFile(EnvValue(ENV_DOCPATH), "OVFONT.PPN");
  std::string text;
  if (path.size() == 0 || !host::ReadAll(path.view(), &text)) return;
  StrRef all = StrRef::Of(std::string_view(text).substr(0, 0xFFFF));
  StrRef line = ListItem(all, '\n', 1);
  line = Trim(line, TRIM_RIGHT, "\r");
  FontSetLine& font = Shell().font_set;
  font.height = static_cast<int16_t>(ToInteger(ListItem(line, ';', 1)));
  font.width = static_cast<int16_t>(ToInteger(ListItem(line, ';', 2)));
  font.weight = FindText(Upper(ListItem(line, ';', 3)), "BOLD") != kNpos ? 700 : 400;
  StrRef face = Trim(ListItem(line, ';', 4));
  size_t n = face.size() < sizeof font.face - 1 ? face.size() : sizeof font.face - 1;
  std::memcpy(font.face, face.data(), n);
  font.face[n] = '\0';
  font.defined = true;
}

}  // namespace

ErrCode NotAvailable(StrRef feature) {
  SetDetail(0, feature);
  return Fail(M_NONE, E_FEATUREREMOVED);
}

StrRef CommandLineText(uint16_t count, const char* const* args) {
  if (count == 0xFFFF) return StrRef::FromC(args ? args[0] : nullptr);
  ScratchMark m = Scratch().Mark();
  StrRef line = Copy(StrRef());
  for (uint16_t i = 1; i < count && line.ok(); ++i) {
    StrRef arg = StrRef::FromC(args[i]);
    if (arg.ok() && arg.size() && arg[arg.size() - 1] <= 32) arg = Slice(arg, 0, arg.size() - 1);
    line = Scratch().CopyOut(m, i == 1 ? Copy(arg) : Concat(Concat(line, " "), arg));
  }
  return Scratch().CopyOut(m, line);
}

ErrCode FolderSetup(int kind) {
  ScratchFrame f;
  ErrCode e;
  if (kind == 1) {
    e = SetEnvValue(ENV_DOCPATH, Folder(APPPATH_RUNPATH), false);
  } else {
    StrRef apps = ResolveRelative(CurrentFolder(), "..\\APPS");
    e = SetEnvValue(ENV_DOCPATH, FirstNonEmpty(OptionValue(OPT_DPATH), apps), true);
  }
  if (e) return e;
  return SetEnvValue(ENV_HELPPATH, Folder(APPPATH_HELP), kind == 2);
}

ErrCode RuntimeStart(void* instance, uint16_t count, const char* const* args, StrRef default_name,
                     StrRef description, uint8_t flags, AppCallback callback) {
  ShellState& sh = Shell();
  sh.instance = instance;
  sh.start_flags = flags;
  sh.callback = callback;

  ErrCode code = CoreInit();
  if (code == E_OK) code = StepVariables();
  if (code) return code;
  ScratchFrame frame;
  if (code == E_OK) code = StepLocaleTexts();
  if (code == E_OK)
    code = SetEnvValue(ENV_COMMANDLINE, NormalizeCommandLine(CommandLineText(count, args)));
  if (code == E_OK) code = CallStage(callback, 1);
  if (code == E_OK && EnvValue(ENV_LANGMODULE).size() == 0)
    code = SetEnvValue(ENV_LANGMODULE, ListItem(kLanguages, ',', 2));
  if (code == E_OK) code = SetNames(default_name, description);
  if (code == E_OK) code = DictionaryStep(default_name);
  if (code == E_OK) LoadFontSet();
  if (code == E_OK && SysTest(_TRACE, 0x100) && !SysTest(_TRACE, 0x10)) StepAboutBox();
  if (code == E_OK || code == E_LOADSTRERROR) code = CallStage(callback, 2);
  if (code == E_OK) ClearError();
  if (code > E_DETAIL) StepShowError(code);
  return code;
}

StrRef ChooseStartProgram(StrRef name) {
  if (name.size()) return name;
  ScratchMark m = Scratch().Mark();
  StrRef spec = OptionValue(OPT_APSTART);
  if (spec.size() == 0) spec = Concat(AppPrefix(), "MENU");
  StrRef first = ListItem(spec, ',', 1);
  for (StrRef ext : {StrRef(".PMT"), StrRef(".PPN")}) {
    if (FindFile(EnvValue(ENV_DOCPATH), Concat(first, ext)).size())
      return Scratch().CopyOut(m, first);
  }
  return Scratch().CopyOut(m, StrRef());
}

ErrCode RunStartProgram(StrRef name) {
  ScratchFrame f;
  StrRef run = Copy(OptionValue(OPT_RUN));
  ErrCode code = E_OK;
  if (name.size() == 0 && run.size() == 0) code = Fail(M_NONE, E_DATA);
  if (code == E_OK) code = StepRunInputFile(OptionValue(OPT_INPUT));
  if (code == E_OK && OptionValue(OPT_OUTPUT).size()) SysSet(_OUTHND, 1);
  if (code == E_OK) {
    if (run.size() == 0) {
      code = StepOpenMainWindow(name);
    } else {
      SysSetBits(_SCRSTAT, 8, true);
      code = StepDispatch(run);
    }
  }
  if (code) StepShowError(code);
  if (code == E_OK) StepMessageLoop();
  return code;
}

int RuntimeEnd(AppCallback callback, ErrCode run_result) {
  ErrCode stage3 = CallStage(callback, 3);
  uint16_t leak = StepShutdown();
  if (run_result >= 128) return run_result;
  if (run_result != 0) return 0;
  ErrCode later = stage3 ? stage3 : leak;
  return later >= 128 ? later : 0;
}

}  // namespace tol
