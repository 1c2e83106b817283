// Built-in functions that evaluate further or reach the runtime's state:
// the accumulator array _#, FN#ACUM, CHK# and CHK$, FN$FLDS, EXEC$,
// MACRO$, ENVRON$, the slot-table access _$ and SQLCHILD.
#pragma once

#include "lang/functions.h"

namespace tol {

ErrCode FnAccumulator(const FnCall& c);  // _#
ErrCode FnAccumulate(const FnCall& c);   // FN#ACUM
ErrCode FnCheckNumber(const FnCall& c);  // CHK#
ErrCode FnCheckText(const FnCall& c);    // CHK$
ErrCode FnFieldValue(const FnCall& c);   // FN$FLDS
ErrCode FnExec(const FnCall& c);         // EXEC$
ErrCode FnMacro(const FnCall& c);        // MACRO$
ErrCode FnEnviron(const FnCall& c);      // ENVRON$
ErrCode FnSlot(const FnCall& c);         // _$
ErrCode FnSqlChild(const FnCall& c);     // SQLCHILD

}  // namespace tol
