// Calls of the expression language's functions: the built-in table (which
// arguments are evaluated, how many are allowed), argument frames on slot
// stack group 35, the accessors handlers read them with, and the registry of
// the application's own functions (numbers 34 to 49).
#pragma once

#include <cstdint>

#include "core/strref.h"

namespace tol {

// Each call's evaluated arguments are one frame of this stack group, the
// first argument lowest; the frame is cut off when the call ends.
inline constexpr uint16_t kGroupArguments = 35;
inline constexpr uint16_t kMaxArguments = 16;
inline constexpr uint16_t kFirstAppFunction = 34, kMaxAppFunctions = 16;
// An empty argument stands in its frame as this one character.
inline constexpr char kAbsentMark = 27;

enum ArgKind : uint8_t { ARG_NUMBER = 0, ARG_TEXT = 1, ARG_ABSENT = 2 };

// What a handler is given.  Arguments are numbered from 1: first the
// evaluated ones (in the frame), then those left as written (raw).
struct FnCall {
  uint16_t number = 0;
  StrRef name;         // as written in the expression
  StrRef args;         // the prepared text between the brackets
  uint16_t count = 0;  // evaluated arguments
  uint8_t kinds[kMaxArguments] = {};
  uint16_t base = 0;       // frame item of argument 1
  uint16_t raw_at = 0;     // where the raw arguments begin in args
  uint16_t raw_count = 0;  // raw arguments written
};

// A handler pushes exactly one value on the scratch stack and answers 0
// (a number) or 1 (a text), or fails with a code of 122 and above.  The
// caller converts the value to the type the function's name gives.
using FunctionHandler = ErrCode (*)(const FnCall& call);

// The evaluator's seam for function operands: number 1 to 49, or 0 for a
// name beginning with "_" that is no function (the user-function handler of
// callback slot 2).  Installed by LangInit.
[[nodiscard]] ErrCode CallFunction(uint16_t number, StrRef name, StrRef args);

// Appends name to the function-name list (environment value 8) so that the
// scanner finds it, with its handler.  168 beyond 16 functions; 147 for a
// name that could not be written as a call or a null handler; 183 for a
// name the list already holds.  The function's number is stored in *number
// when given.
[[nodiscard]] ErrCode RegisterFunction(StrRef name, FunctionHandler handler,
                                       uint16_t* number = nullptr);

// Built-in functions whose layer fills them (SetLayerFunction).
enum LayerFunction : uint16_t {
  FN_FLEN = 2,
  FN_FILEFIND = 8,
  FN_FILEREL = 9,
  FN_FILELOCATE = 10,
  FN_FILESEL = 11,
  FN_SORT = 22,
  FN_READ = 24,
  FN_WRITE = 25,
  FN_KEY = 29,
  FN_IER = 31,
};
// Installs the handler of built-in function number (1 to 33) in the
// current language state; the row's argument rules still apply.
void SetLayerFunction(uint16_t number, FunctionHandler handler);

// Callback slot 1, the procedure runner: runs entry of file (the most
// recently loaded procedure when both are empty); mode bit 2 is the
// function mode that leaves the result on stack group 30.
using ProcRunner = ErrCode(StrRef entry, StrRef file, uint16_t mode);
inline constexpr uint16_t kProcFunctionMode = 2;
// Callback slot 2, the user-function handler: the text of name(args).
using UserFunctionHandler = StrRef(StrRef name, const FnCall& call);

// Argument accessors (i from 1).
uint16_t ArgCount(const FnCall& c);
// 147 when the number of arguments written is outside min..max.
[[nodiscard]] ErrCode CheckCount(const FnCall& c, uint16_t min, uint16_t max);
// Present: evaluated and not empty.
bool ArgPresent(const FnCall& c, uint16_t i);
// The argument as an integer (rounded division by the scale); absent or an
// empty text gives def; another text is 128.
[[nodiscard]] ErrCode ArgInteger(const FnCall& c, uint16_t i, int64_t def, int64_t* out);
// The argument as a text, copied to the scratch stack; absent gives def; a
// number is 128 (travelling in the result).
StrRef ArgText(const FnCall& c, uint16_t i, StrRef def = StrRef());
// Either type: a number written as the language writes numbers.
StrRef ArgAsText(const FnCall& c, uint16_t i, StrRef def = StrRef());
struct ArgVal {
  uint8_t kind = ARG_ABSENT;
  int64_t number = 0;  // ARG_NUMBER: the scaled value
  StrRef text;         // ARG_TEXT: a scratch copy
};
ArgVal ArgValue(const FnCall& c, uint16_t i);

// Raw argument k (from 1 among the raw ones): its text and where it begins
// in c.args; kNpos / the empty text beyond the last.
uint16_t RawArgAt(const FnCall& c, uint16_t k);
StrRef RawArg(const FnCall& c, uint16_t k);
// Evaluates raw argument k: one value pushed and 0 or 1 answered, or 123
// for an empty argument (the number 0 pushed), or the failure (nothing).
[[nodiscard]] ErrCode EvaluateRawArg(const FnCall& c, uint16_t k);

// The failure of a function whose layer is not there: 148 with the name
// and "()" in the error detail.
ErrCode FunctionNotAvailable(StrRef name);

}  // namespace tol
