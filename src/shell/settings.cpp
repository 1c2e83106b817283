// Loading of the application's settings files.
#include "shell/settings.h"

#include "core/core.h"
#include "core/lists.h"
#include "core/text.h"
#include "data/streams.h"
#include "lang/eval.h"
#include "shell/env.h"
#include "shell/messages.h"
#include "shell/paths.h"

namespace tol {

namespace {

ErrCode LoadOne(StrRef item) {
  ScratchFrame f;
  StrRef name = ExpandPath(Trim(ListItem(item, ';', 1)));
  bool required = ToInteger(ListItem(item, ';', 2)) & 1;
  StrRef path = FindFile(EnvValue(ENV_DOCPATH), name);
  StrRef text = path.size() ? FileLoadText(path, ";") : StrRef();
  if (!text.ok() || Trim(text, TRIM_BOTH, " \t;").size() == 0) {
    if (!required) return E_OK;
    SetDetail(0, name);
    return Fail(M_STREAMS, E_FILENOTFOUND);
  }
  return EvaluateCheck(text);
}

}  // namespace

ErrCode LoadSettingsFiles(StrRef list) {
  uint16_t n = ListCount(list, ',');
  for (uint16_t k = 1; k <= n; ++k) {
    ErrCode e = LoadOne(ListItem(list, ',', k));
    if (e) return e;
  }
  return LoadLanguageVariables();
}

}  // namespace tol
