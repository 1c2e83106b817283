// Condition texts.  The pattern comes from callers and definitions, so it
// is filled by plain "%s" substitution, never handed to printf.
#include "format/conditions.h"

#include "core/core.h"
#include "core/lists.h"
#include "core/text.h"

namespace tol {

namespace {

constexpr StrRef kOperators("==,>,>=,<,<=,<>");
constexpr StrRef kDefaultPattern("%s%s'%s'");
constexpr StrRef kAnd("&&");
constexpr StrRef kOverride("1&&");

// pattern with its "%s" taken by the arguments in turn ("%%" is "%"); a
// "%s" beyond them is left out.
StrRef Fill(StrRef pattern, StrRef a, StrRef b, StrRef c) {
  StrRef args[] = {a, b, c};
  int used = 0;
  StrRef out("");
  uint16_t from = 0, n = pattern.size();
  for (uint16_t i = 0; i + 1 < n; ++i) {
    if (pattern[i] != '%') continue;
    uint8_t k = pattern[i + 1];
    if (k != 's' && k != '%') continue;
    out = Concat(out, Slice(pattern, from, static_cast<uint16_t>(i - from)));
    if (k == '%')
      out = Concat(out, "%");
    else if (used < 3)
      out = Concat(out, args[used++]);
    from = static_cast<uint16_t>(i + 2);
    ++i;
  }
  return Concat(out, Slice(pattern, from));
}

bool StartsOverride(StrRef t) {
  return t.size() >= 3 && Slice(t, 0, 3).view() == kOverride.view();
}

}  // namespace

StrRef ConditionTerm(StrRef field, int op, StrRef value, StrRef pattern) {
  if (!field.ok()) return field;
  if (!value.ok()) return value;
  if (!pattern.ok()) return pattern;
  if (value.size() == 0) return StrRef();
  ScratchFrame f;
  int n = op < 6 ? op : 6;
  StrRef oper = n >= 1 ? ListItem(kOperators, ',', static_cast<uint16_t>(n)) : StrRef();
  return f.Keep(Fill(pattern.size() ? pattern : kDefaultPattern, field, oper, value));
}

StrRef ConditionAppend(StrRef condition, StrRef field, int op, StrRef value, StrRef joiner,
                       StrRef pattern) {
  if (!condition.ok()) return condition;
  if (!joiner.ok()) return joiner;
  ScratchFrame f;
  StrRef term = ConditionTerm(field, op, value, pattern);
  if (!term.ok()) return f.Keep(term);
  if (term.size() == 0) return f.Keep(condition);
  if (condition.size() == 0) return f.Keep(term);
  return f.Keep(Concat(Concat(condition, joiner.size() ? joiner : kAnd), term));
}

StrRef ConditionJoin(StrRef first, StrRef second, StrRef joiner) {
  if (!first.ok()) return first;
  if (!second.ok()) return second;
  if (!joiner.ok()) return joiner;
  ScratchFrame f;
  if (StartsOverride(first)) {
    first = Slice(first, 3);
    second = StrRef();
  } else if (StartsOverride(second)) {
    second = Slice(second, 3);
    first = StrRef();
  }
  if (first.size() && second.size())
    return f.Keep(Concat(Concat(Wrap(first, '('), joiner), Wrap(second, '(')));
  return f.Keep(first.size() ? first : second);
}

}  // namespace tol
