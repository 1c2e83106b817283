// Bracket substitution over one working copy on the scratch stack.
#include "lang/subst.h"

#include <string>

#include "core/core.h"
#include "core/errors.h"
#include "core/lists.h"
#include "core/text.h"
#include "host/env.h"
#include "lang/eval.h"
#include "lang/numbers.h"
#include "lang/scanner.h"
#include "lang/variables.h"

namespace tol {

namespace {

inline constexpr uint16_t kEnvCommandLine = 1;

// The content looked up as a name; false when nothing has it.
bool LookUp(StrRef name, StrRef values, StrRef* out) {
  uint16_t n = ListCount(values, ',');
  for (uint16_t k = 1; k <= n; ++k) {
    StrRef item = ListItem(values, ',', k);
    uint16_t eq = FindByte(item, '=', 0, false);
    if (eq == kNpos) continue;
    if (Equal(Trim(Slice(item, 0, eq)), name)) {
      *out = Copy(Slice(item, eq + 1));
      return out->ok();
    }
  }
  StrRef cmdline = Slots().Get(kGroupEnvironment, kEnvCommandLine);
  if (ParmLocate(cmdline, name).found()) {
    *out = Copy(ParmValue(cmdline, name, PARM_UNQUOTED));
    return out->ok();
  }
  std::string var(name.view());
  if (host::HasEnv(var)) {
    *out = Copy(StrRef::Of(host::GetEnv(var)));
    return out->ok();
  }
  return false;
}

// The replacement for one bracket's content, pushed; or the failure.
StrRef ValueOf(StrRef content, uint16_t flags, StrRef values) {
  StrRef v;
  bool percent = content.size() && content[content.size() - 1] == '%';
  if (flags & SUBST_LOOKUP && LookUp(content, values, &v)) {
    // found by name
  } else if (percent) {
    v = flags & SUBST_LOOKUP ? StrRef() : content;
  } else {
    ErrCode c = Evaluate(content);
    if (c >= E_CANCEL) return StrRef::Fail(c);
    if (c == kValueNumber) {
      int64_t num = ItemNumber(Scratch().Top());
      v = NumberText(num, Places());
      if (v.ok() && v.size() == 0 && !(flags & SUBST_EMPTYZERO)) v = "0";
    } else {
      v = Scratch().Top();
    }
  }
  if (!(flags & SUBST_NOTRIM)) v = Trim(v);
  if (flags & SUBST_QUOTE) v = Wrap(v, flags & SUBST_DOUBLE ? '"' : '\'');
  return v;
}

}  // namespace

StrRef BracketSubstitute(StrRef text, uint16_t flags, StrRef values) {
  if (!text.ok()) return text;
  ScratchMark m = Scratch().Mark();
  bool plain = !(flags & SUBST_QUOTES);
  StrRef cur = Copy(text);
  uint32_t from = 0;
  uint16_t done = 0;
  while (cur.ok()) {
    uint16_t close = FindByte(cur, ']', static_cast<uint16_t>(from), plain);
    if (close == kNpos) break;
    uint16_t open = FindLast(Slice(cur, 0, close), '[', plain);
    if (open == kNpos) {
      from = close + 1u;
      continue;
    }
    if (++done > kMaxSubstitutions) {
      Scratch().Release(m);
      SetDetail(0, text);
      return StrRef::Fail(Fail(M_EXPEXEC, E_LOOP));
    }
    StrRef content = Slice(cur, open + 1, static_cast<uint16_t>(close - open - 1));
    StrRef v = ValueOf(content, flags, values);
    if (!v.ok()) {
      Scratch().Release(m);
      return v;
    }
    StrRef next = Concat(Concat(Slice(cur, 0, open), v), Slice(cur, close + 1));
    from = flags & SUBST_RESCAN ? open : uint32_t{open} + v.size();
    cur = Scratch().CopyOut(m, next);
  }
  if (cur.ok() && (flags & SUBST_ESCAPES)) {
    cur = ReplaceAll(ReplaceAll(cur, "\\{", "["), "\\}", "]");
  }
  if (!cur.ok()) {
    Scratch().Release(m);
    return StrRef::Fail(Fail(M_EXPEXEC, cur.err()));
  }
  return Scratch().CopyOut(m, cur);
}

}  // namespace tol
