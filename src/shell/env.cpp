// Environment values, command-line normalization and option look-up.
#include "shell/env.h"

#include "core/core.h"
#include "core/lists.h"
#include "core/text.h"

namespace tol {

StrRef EnvValue(uint16_t item) {
  return Slots().Get(0, item);
}

ErrCode SetEnvValue(uint16_t item, StrRef text, bool overwrite) {
  if (!overwrite && EnvValue(item).size()) return E_OK;
  return Slots().Set(0, item, text);
}

StrRef AppPrefix() {
  return Slice(EnvValue(ENV_APNAME), 0, 2);
}

StrRef NormalizeCommandLine(StrRef line) {
  if (!line.ok()) return line;
  ScratchMark m = Scratch().Mark();
  StrRef t = Copy(Trim(line));
  while (t.ok() && FindText(t, "  ") != kNpos) t = Scratch().CopyOut(m, ReplaceAll(t, "  ", " "));
  t = Scratch().CopyOut(m, ReplaceAll(t, " --", " /"));
  return Scratch().CopyOut(m, ReplaceAll(t, " -", " /"));
}

StrRef OptionValueIn(StrRef command_line, uint16_t option) {
  StrRef name = ListItem(kOptionNames, ',', option);
  if (name.size() == 0) return StrRef();
  ScratchMark m = Scratch().Mark();
  ParmSpan s = ParmLocate(command_line, name);
  if (!s.found()) s = ParmLocate(command_line, Lower(name));
  Scratch().Release(m);
  if (!s.found()) return StrRef();
  return CleanValue(StrRef(command_line.data() + s.offset, s.length));
}

StrRef OptionValue(uint16_t option) {
  return OptionValueIn(EnvValue(ENV_COMMANDLINE), option);
}

uint16_t OptionInList(uint16_t option, StrRef list) {
  ScratchFrame f;
  StrRef v = OptionValue(option);
  return v.size() ? ListIndex(list, v, ',') : 0;
}

}  // namespace tol
