// The variable store: how a name's kind follows from its characters, the
// name lists (slot group 12) and values (tables 7 and 8, slot group 13),
// reading and assignment with the system-variable hook, the scaled 64-bit
// numbers, integer conversion and the dot constants.
#pragma once

#include <cstdint>

#include "core/strref.h"

namespace tol {

enum VarKindCode : uint8_t {
  KIND_NONE = 0,  // names holding "@": not a variable
  KIND_INTEGER = 2,
  KIND_STRING = 3,
  KIND_NUMBER = 6,
  KIND_ARRAY = 16,
};

// Slot table groups of the store: the four name lists, the string values.
inline constexpr uint16_t kGroupVarNames = 12, kGroupVarTexts = 13;
// Items of group 12 (also the name index's list numbers).
inline constexpr uint16_t kListIntegers = 0, kListNumbers = 1, kListStrings = 2, kListArrays = 3;

// First that matches, anywhere in the name: "@" none, "(" array, "$"
// string, "#" number, otherwise integer.
uint8_t VarKind(StrRef name);
// The list a kind's names live in; 0xFFFF for KIND_NONE.
uint16_t KindList(uint8_t kind);

struct VarRef {
  uint8_t kind = KIND_NONE;
  uint16_t index = 0xFFFF;  // 0-based position in the kind's list
  bool found() const { return index != 0xFFFF; }
};
// Looks the name up in the list of its kind; creates nothing.
VarRef VarFind(StrRef name);

// Numbers: value times S = 10^_PRECIS (the exponent is taken as 0 to 18).
int64_t Scale();
// Number to integer: rounded division by S (halves away from zero).
int64_t NumberToInteger(int64_t number);
// Integer to number: times S, saturating at the 64-bit limits.
int64_t IntegerToNumber(int64_t integer);
// A text read as a number at _PRECIS places, exactly as the evaluator
// reads number literals (ReadNumber); 0 when it does not fit.
int64_t TextToNumber(StrRef text);
// A number on the scratch stack is an item of exactly 8 bytes.
[[nodiscard]] ErrCode PushNumber(int64_t number);
// The value of an 8-byte item (0 for anything else).
int64_t ItemNumber(StrRef item);

// Pushes the value: a number for integer and numeric names (integers
// converted to numbers), the text for string names; absent variables read
// as 0 or empty and are not created.  147 for a name of kind 0 or an array
// name; the hook's failure other than 163 is passed on.
[[nodiscard]] ErrCode VarRead(StrRef name);

// Assigns the item on top of the scratch stack (left where it is); for an
// integer or numeric name it must be a number (128 otherwise).  Creates the
// variable when absent (157 when its name list cannot take it).  Integers
// store the rounded integer's low 16 bits.  Failures are reported against
// module VARNMASSIGN; the variable keeps its old value.
[[nodiscard]] ErrCode VarAssign(StrRef name);
// The same with the value as an argument: 128 when the kinds disagree.
[[nodiscard]] ErrCode VarAssignNumber(StrRef name, int64_t number);
[[nodiscard]] ErrCode VarAssignText(StrRef name, StrRef text);

// Numeric variable n (table 8): 0 when it does not exist; NumSet stores
// only into an existing variable.
int64_t NumGet(uint16_t n);
void NumSet(uint16_t n, int64_t value);

// Dot constants: "." followed by a letter.
struct DotValue {
  bool found = false;
  bool text = false;
  int32_t value = 0;  // an integer (push it as a number: times S)
  StrRef str;
};
// The constants' names after the dot, in their list order.
inline constexpr const char kDotNames[] =
    "envron,lang,cmdline,apname,apdesc,langmodule,docpath,docroot,helppath,funclist,"
    "butlabels,maskparms,datem,datey,envvar,maincond,pdfhead,dialog,aux,scrbuf,fsel,wret,"
    "fnparm,usrfil,fileln,usrfif,top,next,previous,bottom,noprint,iscgi";
inline constexpr const char kDotTextNames[] = "lf$,tab$,pchr$,null$";
DotValue DotConstant(StrRef name);

// Settings read as a letter and a number from the string variable "_V"
// n "$": the value's first character and the rest read as an integer.
struct LetterNumber {
  bool found = false;  // false when the variable does not exist
  uint8_t letter = 0;
  int32_t number = 0;
};
LetterNumber VarLetterNumber(uint16_t n);

}  // namespace tol
