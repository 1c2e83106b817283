// The expression scanner: preparation of a text (macro expansion, bracket
// and blank checks, blank removal), the single-pass token reader, operator
// numbers and precedences, bracket matching and the function-name list
// (environment value 8, NUL-separated).
#pragma once

#include <cstdint>

#include "core/strref.h"

namespace tol {

// Operand kind bits.
enum OperandKind : uint16_t {
  OPK_NUMBER = 0,  // number literal or dot constant
  OPK_STRING = 1,  // bit 0: the value is a string
  OPK_INTVAR = 2,
  OPK_STRVAR = 3,
  OPK_NUMVAR = 6,
  OPK_FIELD = 8,      // 9 when the field holds text
  OPK_ARRAY = 16,     // array element, or a call of a name beginning with "_"
  OPK_FUNCTION = 32,  // built-in or application function
  OPK_SUBEXPR = 64,   // bracketed sub-expression
};

// Operator numbers: 1-based positions in "*,/,!,%,÷,+,-,=,>,<,==,>=,<=,<>,&,|,@,&&,||,@@".
enum Operator : uint16_t {
  OP_NONE = 0,
  OP_MUL = 1,
  OP_DIV,
  OP_ROUND,
  OP_PERCENT,
  OP_LESSPERCENT,
  OP_ADD,
  OP_SUB,
  OP_ASSIGN,
  OP_GT,
  OP_LT,
  OP_EQ,
  OP_GE,
  OP_LE,
  OP_NE,
  OP_AND,
  OP_OR,
  OP_AT,
  OP_LAND,
  OP_LOR,
  OP_XOR,
};

// Environment value 8 (slot group 0): the function-name list.
inline constexpr uint16_t kGroupEnvironment = 0, kEnvFunctionList = 8;
// The built-in names, numbered from 1.
inline constexpr char kBuiltinFunctions[] =
    "_#,FN#FLEN,FN#SLEN,FN#PARM,FN#VALN,FN#ACUM,CHK#,FILEFIND,FILEREL,FILELOCATE,FILESEL,"
    "FN$CHNG,FN$CHRS,FN$DATE,FN$FLDS,FN$MASK,FN$MIDS,FN$PARM,FN$TRIM,ENVELOP$,CHK$,SORT$,"
    "EXEC$,READ$,WRITE,MACRO$,ENVRON$,_$,KEY$,TIME$,IER,EXP$,SQLCHILD";
inline constexpr uint16_t kBuiltinFunctionCount = 33;

// One scanning step: an operand and the operator or separator after it.
struct Token {
  StrRef text;         // the whole (prepared) expression
  uint16_t op = 0;     // Operator after the operand; 0 at a separator or the end
  uint16_t kind = 0;   // OperandKind bits
  uint16_t start = 0;  // operand text; for a bracketed operand the name before "("
  uint16_t len = 0;
  uint16_t next = 0;     // where scanning continues
  uint16_t bracket = 0;  // length of the text inside the operand's brackets
  uint16_t prec = 0;     // precedence of op
  uint16_t func = 0;     // function number of a call, else 0
  uint16_t err = 0;      // scanning error (128 or above), else 0

  StrRef Operand() const { return StrRef(text.data() + start, len); }
  bool HasBracket() const { return (kind & (OPK_ARRAY | OPK_FUNCTION | OPK_SUBEXPR)) != 0; }
  // The text between the operand's brackets.
  StrRef Inner() const { return StrRef(text.data() + start + len + 1, bracket); }
  bool Empty() const { return len == 0 && !HasBracket(); }
};

// Precedence of operator op (1 to 20), 0 for none.
uint16_t Precedence(uint16_t op);

// Preparation: _ACCEPT#( and _ACCEPT$( expanded, brackets balanced (129),
// blanks only next to operator characters (147), blanks outside quotes
// removed.  The prepared text is one new scratch item; errors are reported
// against ExpExec with their detail.
StrRef Prepare(StrRef text);

// Reads the operand at token.next and the operator after it.
void Scan(Token& token);

// Length of the text inside the bracket opening at position, counting
// nested brackets outside quotes; the rest of the text when it never closes.
uint16_t MatchBracket(StrRef text, uint16_t position);

// The n-th operand (from 1) of a prepared text, with its bracketed part;
// failure 0xFFFF when there are fewer.
StrRef FindOperand(StrRef text, uint16_t n);

// Function number (1-based position in the function-name list) or 0: the
// name as written first, then folded to upper case.
uint16_t IsFunction(StrRef name);
// The function-name list, made from the built-in names on first use.
StrRef FunctionList();

}  // namespace tol
