// Built-in functions on texts, lists, numbers, dates and times: FN#SLEN,
// FN#PARM, FN#VALN, FN$CHNG, FN$CHRS, FN$DATE, FN$MASK, FN$MIDS, FN$PARM,
// FN$TRIM, ENVELOP$, TIME$ and EXP$ (handlers of lang/functions.h).
#pragma once

#include "lang/functions.h"

namespace tol {

ErrCode FnTextLength(const FnCall& c);    // FN#SLEN
ErrCode FnListPosition(const FnCall& c);  // FN#PARM
ErrCode FnValueOf(const FnCall& c);       // FN#VALN
ErrCode FnChange(const FnCall& c);        // FN$CHNG
ErrCode FnCharacters(const FnCall& c);    // FN$CHRS
ErrCode FnDate(const FnCall& c);          // FN$DATE
ErrCode FnMask(const FnCall& c);          // FN$MASK
ErrCode FnMiddle(const FnCall& c);        // FN$MIDS
ErrCode FnListItem(const FnCall& c);      // FN$PARM
ErrCode FnTrim(const FnCall& c);          // FN$TRIM
ErrCode FnEnvelop(const FnCall& c);       // ENVELOP$
ErrCode FnTime(const FnCall& c);          // TIME$
ErrCode FnExpand(const FnCall& c);        // EXP$

// Results pushed as the one value of a handler.
ErrCode ResultText(StrRef t);
ErrCode ResultNumber(int64_t number);
ErrCode ResultInteger(int64_t integer);

}  // namespace tol
