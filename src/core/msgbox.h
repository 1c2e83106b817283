// Message boxes as the runtime asks for them: seven kinds, each with its
// icon, buttons and default caption, answered by a letter; and the two
// common uses, showing an error and asking yes or no.
#pragma once

#include <cstdint>

#include "core/display.h"
#include "core/strref.h"

namespace tol {

enum MsgKind : uint8_t {
  MSG_INFO = 0,         // information, OK
  MSG_WARNING = 1,      // warning, OK
  MSG_OKCANCEL = 2,     // information, OK and Cancel
  MSG_ERROR = 3,        // error, OK
  MSG_RETRYCANCEL = 4,  // error, Retry and Cancel
  MSG_YESNO = 5,        // information, Yes and No
  MSG_YESNOCANCEL = 6,  // information, Yes, No and Cancel
};                      // any other kind: no icon, OK

// The value answering Cancel, Abort and Ignore.
inline constexpr uint8_t kAnswerCancel = 3;

BoxStyle KindStyle(int kind);
// Message 0012, 0013 or 0014.
StrRef KindCaption(int kind);

// Shows text in a box of kind (an empty caption takes the kind's default)
// and answers with the first letter of the first item of message 0011 for
// OK, Retry and Yes, the first letter of its second item for No, and
// kAnswerCancel for Cancel, Abort and Ignore.  A failed text shows its
// error text.
uint8_t MessageBox(StrRef text, StrRef caption, int kind);
// Yes or no (kind 5); true on yes.
bool Ask(StrRef text);
// The full error text of code in a box of kind 1 below 128 and kind 3 from
// 128, then an empty error detail; the last error record stays.
void ShowError(ErrCode code);

}  // namespace tol
