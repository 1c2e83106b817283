// Selection condition texts built from field texts, comparison operators
// and values, for the expression evaluator and the record selection.
#pragma once

#include <cstdint>

#include "core/strref.h"

namespace tol {

// field, operator and value through pattern ("%s%s'%s'" when empty); the
// operator is item min(op, 6) of "==,>,>=,<,<=,<>".  Empty for an empty value.
StrRef ConditionTerm(StrRef field, int op, StrRef value, StrRef pattern = StrRef());
// condition joiner term ("&&" when joiner is empty), or whichever is not empty.
StrRef ConditionAppend(StrRef condition, StrRef field, int op, StrRef value, StrRef joiner,
                       StrRef pattern = StrRef());
// (first)joiner(second); a condition starting "1&&" replaces the other.
StrRef ConditionJoin(StrRef first, StrRef second, StrRef joiner);

}  // namespace tol
