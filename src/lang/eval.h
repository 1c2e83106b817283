// The evaluator: runs an expression text left to right on the scratch
// stack (precedence climbing over the scanner's tokens), with every numeric
// and string operator, assignment, and the entry points the rest of the
// runtime uses for conditions, counts, texts and totals.
#pragma once

#include <cstdint>

#include "core/strref.h"

namespace tol {

// Result codes of Evaluate besides the error codes (121 and above).
inline constexpr ErrCode kValueNumber = 0, kValueText = 1;

// Evaluates the statement list; the last statement's value is left on top
// of the scratch stack (one item above the caller's mark) and its type
// returned, 0 number or 1 text, or an error code (then nothing is left).
// Codes above 121 are reported against ExpExec, those of 128 and above with
// the failing statement as the error detail.
[[nodiscard]] ErrCode Evaluate(StrRef text);
// The code when it is 128 or above, else 0; leaves nothing.
ErrCode EvaluateCheck(StrRef text);
// 1 true, 0 false, or a code of 122 and above; an empty text is true
// without evaluation and a text value is false.  Leaves nothing.
ErrCode EvaluateCondition(StrRef text);
// The value as a signed 16-bit integer (rounded division by the scale); 0
// for a text value or an error.  Leaves nothing.
int16_t EvaluateInteger(StrRef text);
// The value as text (numbers written by NumberText), or the error.
StrRef EvaluateText(StrRef text);
// Adds the value (a text read as a number) to *total; codes of 122 and
// above are returned with the total unchanged, 155 when the sum overflows.
ErrCode EvaluateAccumulate(StrRef text, int64_t* total);

// One statement of an already prepared text from *pos: its value pushed
// (one item), *pos moved past the statement and its separator.  Answers 0
// or 1 by the value's type, 123 for an empty statement (the number 0 is
// pushed), or an error code (nothing pushed).  For callers that evaluate
// argument lists themselves (the built-in functions, array indexes).
[[nodiscard]] ErrCode EvaluateStatement(StrRef prepared, uint16_t* pos);

// The number of decimals the numbers carry now (_PRECIS taken as 0 to 18).
int Places();

}  // namespace tol
