// The last error record and the error detail.  The first hard failure of an
// operation (128 and above) is kept together with the module that reported
// it until something forces a new value; the detail holds the words that go
// with it (a file name, a feature, an expression).
#pragma once

#include <cstdint>

#include "core/strref.h"

namespace tol {

struct ErrorState {
  ErrCode code = 0;
  uint16_t module = 0;
  uint32_t detail_serial = 0;  // counts the changes of the detail
};

// Slot table group 9 holds the runtime's texts.
inline constexpr uint16_t kGroupRuntime = 9, kItemLangModule = 2, kItemDetail = 9,
                          kItemLogName = 10;

// flag 0: nothing (0 is returned).  Otherwise code and module are recorded
// when nothing is yet and code >= 128, or always with flag 2 (forced); the
// value is returned unchanged so that a call can wrap a return statement.
uint32_t Report(int flag, uint16_t module, ErrCode code, uint32_t value);
inline ErrCode Fail(uint16_t module, ErrCode code) {
  return static_cast<ErrCode>(Report(1, module, code, code));
}
// With flag set: report and return the failure; else return text.
StrRef FailText(int flag, uint16_t module, ErrCode code, StrRef text);
// Module in the high half, code in the low half; 0 when none.
uint32_t LastError();
inline ErrCode LastErrorCode() {
  return static_cast<ErrCode>(LastError() & 0xFFFF);
}
inline uint16_t LastErrorModule() {
  return static_cast<uint16_t>(LastError() >> 16);
}
// Forced report of 0 against module 0, and an empty detail.
void ClearError();

// Replaces the detail, or with append adds text on a new line, keeping at
// most about 1024 bytes of what was there; returns value unchanged.
uint32_t SetDetail(uint32_t value, StrRef text, bool append = false);
StrRef ErrorDetail();
// Changes with every SetDetail: a caller that adds its own context can tell
// whether a lower layer has explained the failure already.
uint32_t DetailSerial();

}  // namespace tol
