// Error and module names and the error texts built from them.
#include "core/errtext.h"

#include "core/core.h"
#include "core/coremsg.h"
#include "core/errors.h"
#include "core/lists.h"
#include "core/text.h"

namespace tol {

namespace {

ErrCode Resolve(ErrCode code) {
  return code == E_NOTFOUND ? LastErrorCode() : code;
}

}  // namespace

StrRef ErrorName(ErrCode code) {
  if (code <= E_DETAIL || code > E_GRAPHICS) return kUndefinedName;
  StrRef name = ListItem(kErrorNames, ',', static_cast<uint16_t>(code - E_DETAIL));
  return name.empty() ? kUndefinedName : name;
}

StrRef ModuleName(uint16_t n) {
  if (n == 0 || n > M_HTMLSCAN) return kUndefinedName;
  return ListItem(kModuleNames, ',', n);
}

StrRef ErrorText(ErrCode code) {
  code = Resolve(code);
  if (code == E_OK) return CoreMessage(kMsgDone);
  if (code < E_DETAIL) return CoreMessage(kMsgCaution);
  if (code == E_DETAIL || code == E_BADDATA) {
    // A copy: the detail is a view into the slot table, which moves when
    // it next changes.
    StrRef detail = ErrorDetail();
    if (!detail.empty()) return Copy(detail);
  }
  return ErrorName(code);
}

StrRef FullErrorText(ErrCode code) {
  code = Resolve(code);
  if (code < E_TYPES) return ErrorText(code);
  ScratchFrame frame;
  StrRef t = Concat(CoreMessage(kMsgError), ErrorText(code));
  if (uint16_t module = LastErrorModule())
    t = Concat(Concat(Concat(t, "("), ModuleName(module)), ")");
  StrRef detail = ErrorDetail();
  if (!detail.empty()) t = Concat(Concat(t, ": "), detail);
  return frame.Keep(t);
}

}  // namespace tol
