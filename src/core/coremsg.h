// The few catalogue messages the core itself shows (answer letters, box
// captions, the words around error names).  The catalogue lives above the
// core and installs its look-up here; until it does, built-in Spanish texts
// stand in.
#pragma once

#include <cstdint>

#include "core/strref.h"

namespace tol {

inline constexpr uint16_t kMsgDone = 5, kMsgCaution = 8, kMsgError = 9, kMsgYesNo = 11,
                          kMsgInfoCaption = 12, kMsgFatalCaption = 13, kMsgAskCaption = 14;

// The text of message number: the installed look-up's answer when it gives
// a text, else the built-in one (empty for a number the core does not use).
StrRef CoreMessage(uint16_t number);

// Installs (or with null removes) the catalogue's look-up on the current core.
void SetMessageHook(StrRef (*lookup)(uint16_t number));

}  // namespace tol
