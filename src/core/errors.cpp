// Last error record and error detail (slot group 9, item 9).
#include "core/errors.h"

#include "core/core.h"
#include "core/text.h"

namespace tol {

uint32_t Report(int flag, uint16_t module, ErrCode code, uint32_t value) {
  if (flag == 0) return 0;
  ErrorState& e = Core().err;
  if (flag == 2 || (e.code == 0 && code >= 128)) {
    e.code = code;
    e.module = module;
  }
  return value;
}

StrRef FailText(int flag, uint16_t module, ErrCode code, StrRef text) {
  if (flag == 0) return text;
  Report(flag, module, code, code);
  return StrRef::Fail(code);
}

uint32_t LastError() {
  const ErrorState& e = Core().err;
  return (uint32_t{e.module} << 16) | e.code;
}

void ClearError() {
  Report(2, 0, 0, 0);
  SetDetail(0, StrRef());
}

StrRef ErrorDetail() {
  return Slots().Get(kGroupRuntime, kItemDetail);
}

uint32_t DetailSerial() {
  return Core().err.detail_serial;
}

uint32_t SetDetail(uint32_t value, StrRef text, bool append) {
  if (!text.ok()) return value;
  ScratchFrame frame;
  StrRef next = text;
  if (append) {
    StrRef cur = Copy(ErrorDetail());
    while (cur.ok() && cur.size() > 1024) {
      uint16_t cr = FindLast(cur, '\r');
      cur = cr == kNpos ? StrRef() : Slice(cur, 0, cr);
    }
    if (cur.ok() && cur.size()) next = Concat(Concat(cur, "\r\n"), text);
  }
  (void)Slots().Set(kGroupRuntime, kItemDetail, next);
  ++Core().err.detail_serial;
  return value;
}

}  // namespace tol
