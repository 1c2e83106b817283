// Bracket substitution: every [expression] of a text replaced by its value,
// as procedure lines, screens, reports and MACRO$ use it.
#pragma once

#include <cstdint>

#include "core/strref.h"

namespace tol {

enum SubstFlags : uint16_t {
  SUBST_QUOTES = 1,      // brackets inside quoted text are left alone
  SUBST_NOTRIM = 2,      // values keep their blanks
  SUBST_LOOKUP = 4,      // the content is first a name: values list, options, environment
  SUBST_EMPTYZERO = 16,  // a zero number stays the empty text (else "0")
  SUBST_QUOTE = 32,      // the value is enclosed in "'"
  SUBST_DOUBLE = 64,     // ... in the double quote instead
  SUBST_RESCAN = 128,    // values are searched again for brackets
  SUBST_ESCAPES = 256,   // at the end "\{" becomes "[" and "\}" becomes "]"
};

// At most this many replacements per text: a value that keeps producing
// brackets under SUBST_RESCAN fails with 129 instead of running forever.
inline constexpr uint16_t kMaxSubstitutions = 4096;

// values is a comma list of name=value items for SUBST_LOOKUP.  The result
// is one scratch item, or the failure of the first evaluation that failed.
StrRef BracketSubstitute(StrRef text, uint16_t flags, StrRef values = StrRef());

}  // namespace tol
