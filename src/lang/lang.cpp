// Start-up and shutdown of the variable store.
#include "lang/lang.h"

#include "core/lists.h"
#include "core/text.h"
#include "lang/names.h"
#include "lang/sysvars.h"
#include "lang/tables.h"
#include "lang/variables.h"

namespace tol {
namespace {

// Creation order fixes the numbers of SysVar; "=n" gives the default.
constexpr const char kSysIntegers[] =
    "_AUXSTAT,_RELRES,_CURFIL,_CUREDFLD,_DEVHIG=24,_DEVWID=80,_DEVLIN,_DEVPOS,_DEVPAG,_CURROW,"
    "_STAT,_LASTKEY=4,_SGN,_UPSTAT=1,_IER,_SYSCOMPAT,_SQLSTK,_COUNT,_HCOUNT,_ADMSTAT,_COMPAT,"
    "_SCRSTAT,_LMAX,_LNUM,_LLST,_HNUM,_SAFE,_LB=128,_AUX,_KEYMAP,_SERIAL,_TRACE=1,_PRECIS=2,"
    "_BYEAR=2000,_BKYEAR=80,_DX,_INHND,_OUTHND,_DATE,_DOCST,_WMAXROW,_USER01,_USER02,_USER03";
constexpr const char kSysStrings[] = "_ACUM$,_ACUMX$,_LTEXT$";

}  // namespace

ErrCode LangInit() {
  if (ErrCode e = TablesCreate()) return e;
  // The four name lists exist from the start, empty.
  if (ErrCode e = Slots().Set(kGroupVarNames, kListArrays, StrRef())) return e;
  ScratchFrame frame;
  ListArray ints = ListToArray(kSysIntegers, ',');
  for (uint16_t k = 1; k <= ints.count; ++k) {
    StrRef item = ints[k];
    uint16_t eq = FindByte(item, '=');
    auto v = static_cast<int16_t>(eq == kNpos ? 0 : ToInteger(Slice(item, eq + 1)));
    StrRef name = eq == kNpos ? item : Slice(item, 0, eq);
    if (ErrCode e = VarAddName(kListIntegers, name, &v, sizeof v, StrRef(), nullptr)) return e;
  }
  ListArray strs = ListToArray(kSysStrings, ',');
  for (uint16_t k = 1; k <= strs.count; ++k) {
    if (ErrCode e = VarAddName(kListStrings, strs[k], nullptr, 0, StrRef(), nullptr)) return e;
  }
  return E_OK;
}

void LangShutdown() {
  NameIndexReset();
  TablesFree();
}

LangScope::LangScope(uint16_t scratch_kb, uint16_t capacity) : core_(scratch_kb, capacity) {
  init_ = LangInit();
}

LangScope::~LangScope() {
  LangShutdown();
}

}  // namespace tol
