// The 44 integer system variables, addressed by number throughout the
// runtime.  Their values live in value table 7 at these indexes (the first
// 44 integer variables); SysGet and SysSet are the variable store's.
#pragma once

#include <cstdint>

namespace tol {

enum SysVar : uint16_t {
  _AUXSTAT = 0,
  _RELRES,
  _CURFIL,
  _CUREDFLD,
  _DEVHIG,
  _DEVWID,
  _DEVLIN,
  _DEVPOS,
  _DEVPAG,
  _CURROW,
  _STAT,
  _LASTKEY,
  _SGN,
  _UPSTAT,
  _IER,
  _SYSCOMPAT,
  _SQLSTK,
  _COUNT,
  _HCOUNT,
  _ADMSTAT,
  _COMPAT,
  _SCRSTAT,
  _LMAX,
  _LNUM,
  _LLST,
  _HNUM,
  _SAFE,
  _LB,
  _AUX,
  _KEYMAP,
  _SERIAL,
  _TRACE,
  _PRECIS,
  _BYEAR,
  _BKYEAR,
  _DX,
  _INHND,
  _OUTHND,
  _DATE,
  _DOCST,
  _WMAXROW,
  _USER01,
  _USER02,
  _USER03,
  kSysVarCount
};

int16_t SysGet(uint16_t n);
void SysSet(uint16_t n, int16_t value);
bool SysTest(uint16_t n, uint16_t mask);
// Sets or clears the bits; answers whether any of them is set afterwards.
bool SysSetBits(uint16_t n, uint16_t mask, bool on);

}  // namespace tol
