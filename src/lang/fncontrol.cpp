// Functions that evaluate their raw arguments themselves (loops, checked
// branches, names read as written) or reach the runtime's state (the
// accumulator array, slot groups, environment values, procedures).
#include "lang/fncontrol.h"

#include <cstring>

#include "core/core.h"
#include "core/errors.h"
#include "core/lists.h"
#include "core/text.h"
#include "lang/arrays.h"
#include "lang/eval.h"
#include "lang/exprfile.h"
#include "lang/fntext.h"
#include "lang/lang.h"
#include "lang/numbers.h"
#include "lang/scanner.h"
#include "lang/subst.h"
#include "lang/sysvars.h"
#include "lang/tables.h"
#include "lang/variables.h"

namespace tol {

namespace {

constexpr uint16_t kGroupFirstStack = 30, kGroupProcResult = 30, kGroupLast = 38;
constexpr uint16_t kSubstLookupFlags = SUBST_QUOTES | SUBST_LOOKUP | SUBST_EMPTYZERO;

bool Stops(ErrCode c) {
  return c >= E_CANCEL && c != E_NULLEXPR;
}

int32_t ClampIndex(int64_t v) {
  return v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : static_cast<int32_t>(v);
}

// The value on top (a number, or a text read as one), dropped.
ErrCode TakeNumber(ErrCode type, int64_t* out) {
  StrRef top = Scratch().Top();
  ErrCode e = E_OK;
  if (type == kValueText)
    e = ReadNumber(top, Places(), out);
  else
    *out = ItemNumber(top);
  Scratch().Release(Scratch().Mark() - 1);
  return e;
}

// Raw argument k evaluated as a condition: a number that is not 0.
ErrCode RawCondition(const FnCall& c, uint16_t k, bool* truth) {
  ErrCode r = EvaluateRawArg(c, k);
  if (Stops(r)) return r;
  *truth = r != kValueText && ItemNumber(Scratch().Top()) != 0;
  Scratch().Release(Scratch().Mark() - 1);
  return E_OK;
}

// Raw argument k (the expression) added to *total.
ErrCode AddRaw(const FnCall& c, uint16_t k, int64_t* total) {
  ErrCode r = EvaluateRawArg(c, k);
  if (Stops(r)) return r;
  int64_t v;
  if (ErrCode e = TakeNumber(r, &v)) return e;
  if (__builtin_add_overflow(*total, v, total)) return E_EXPCALCERROR;
  return E_OK;
}

// A name that the scanner reads as an integer variable.
bool IntegerVariable(StrRef name) {
  if (name.size() == 0 || name[0] < 'A' || VarKind(name) != KIND_INTEGER) return false;
  for (uint16_t i = 0; i < name.size(); ++i)
    if (FindByte("*/!%\xF7+-(;,:)=><&@|'\"{}", name[i]) != kNpos) return false;
  return true;
}

// CHK# and CHK$: the chosen branch, of the type want.
ErrCode Check(const FnCall& c, uint8_t want) {
  ArgVal cond = ArgValue(c, 1);
  bool truth = cond.kind == ARG_NUMBER && cond.number != 0;
  ErrCode r;
  if (truth) {
    r = EvaluateRawArg(c, 1);
  } else if (c.raw_count < 2) {
    r = E_NULLEXPR;
    if (PushNumber(0)) return E_OUTOFMEMORY;
  } else {
    ScratchMark m = Scratch().Mark();
    r = E_NULLEXPR;
    for (uint16_t k = 2; k <= c.raw_count; ++k) {
      Scratch().Release(m);
      r = EvaluateRawArg(c, k);
      if (Stops(r)) return r;
    }
  }
  if (Stops(r)) return r;
  if (r == E_NULLEXPR) {
    Scratch().Release(Scratch().Mark() - 1);
    return want == kValueText ? ResultText(StrRef()) : ResultNumber(0);
  }
  return r == want ? r : E_ATYPICAL;
}

bool HasExtension(StrRef name) {
  uint16_t dot = FindLast(name, '.');
  uint16_t sep = FindLastAny(name, "\\/:");
  return dot != kNpos && (sep == kNpos || dot > sep) && dot + 1u < name.size();
}

// FN$FLDS of an array element written as name(indexes).
ErrCode ArrayElement(StrRef written) {
  uint16_t open = FindByte(written, '(');
  uint16_t inner = MatchBracket(written, open);
  if (uint32_t{open} + inner + 2 != written.size()) return E_SINTAXERROR;
  StrRef name = Slice(written, 0, static_cast<uint16_t>(open + 1));
  if (!ArrayFind(name)) return E_SINTAXERROR;
  StrRef text = Slice(written, open + 1, inner);
  int32_t idx[kMaxArguments];
  uint16_t n = 0;
  for (uint16_t pos = 0; pos < text.size();) {
    if (n == kMaxArguments) return E_SINTAXERROR;
    ErrCode r = EvaluateStatement(text, &pos);
    if (Stops(r)) return r;
    int64_t v;
    if (r == kValueText) {
      Scratch().Release(Scratch().Mark() - 1);
      return E_TYPES;
    }
    if (ErrCode e = TakeNumber(r, &v)) return e;
    idx[n++] = ClampIndex(NumberToInteger(v));
  }
  if (ErrCode e = ArrayRead(name, idx, n)) return e;
  return ElementKind(name) == KIND_STRING ? kValueText : kValueNumber;
}

}  // namespace

ErrCode FnAccumulator(const FnCall& c) {
  ArgVal key = ArgValue(c, 1);
  int64_t k = 0;
  if (key.kind == ARG_NUMBER) k = NumberToInteger(key.number);
  if (key.kind == ARG_TEXT) {
    StrRef word = Upper(Trim(key.text));
    if (Equal(word, "CLS")) {
      int64_t end, start;
      if (ErrCode e = ArgInteger(c, 2, 0, &end)) return e;
      if (ErrCode e = ArgInteger(c, 3, 0, &start)) return e;
      const ArrayDesc* d = ArrayFind(kAccumulatorArray);
      if (d) {
        if (end <= 0 || end > d->count) end = d->count;
        if (start < 0) start = 0;
        if (start < end)
          std::memset(d->data + start * d->elem_bytes, 0, (end - start) * d->elem_bytes);
      }
      return ResultNumber(0);
    }
    if (!Equal(word, "DIM")) {
      if (ErrCode e = VarRead("_ACUMX$")) return e;
      uint16_t pos = ListIndex(Scratch().Top(), key.text, ',');
      if (pos == 0) return ResultNumber(0);
      k = pos - 1;
    }
  }
  int64_t offset;
  if (ErrCode e = ArgInteger(c, 2, 0, &offset)) return e;
  int32_t index = ClampIndex(k + offset);
  if (ErrCode e = ArrayRead(kAccumulatorArray, &index, 1)) return e;
  return kValueNumber;
}

ErrCode FnAccumulate(const FnCall& c) {
  int64_t total = 0;
  if (RawArg(c, 4).size() == 0) {
    bool truth;
    uint16_t next = RawArg(c, 3).size() ? 3 : 2;
    if (ErrCode e = RawCondition(c, 2, &truth)) return e;
    while (truth) {
      if (ErrCode e = AddRaw(c, 1, &total)) return e;
      if (ErrCode e = RawCondition(c, next, &truth)) return e;
    }
    return ResultNumber(total);
  }
  StrRef var = RawArg(c, 2);
  if (!IntegerVariable(var)) return E_SINTAXERROR;
  {
    ScratchFrame f;
    StrRef start = RawArg(c, 3);
    StrRef assign = Concat(Concat(var, "="), start.size() ? start : StrRef("0"));
    if (!assign.ok()) return assign.err();
    uint16_t pos = 0;
    ErrCode r = EvaluateStatement(assign, &pos);
    if (Stops(r)) return r;
  }
  ErrCode r = EvaluateRawArg(c, 4);
  if (Stops(r)) return r;
  if (r == kValueText) {
    Scratch().Release(Scratch().Mark() - 1);
    return E_TYPES;
  }
  int64_t limit;
  (void)TakeNumber(r, &limit);
  VarRef ref = VarFind(var);
  if (!ref.found()) return E_SINTAXERROR;
  while (IntegerToNumber(SysGet(ref.index)) <= limit) {
    if (ErrCode e = AddRaw(c, 1, &total)) return e;
    int16_t v = SysGet(ref.index);
    if (v == INT16_MAX) break;  // one more step would wrap round
    SysSet(ref.index, static_cast<int16_t>(v + 1));
  }
  return ResultNumber(total);
}

ErrCode FnCheckNumber(const FnCall& c) {
  return Check(c, kValueNumber);
}

ErrCode FnCheckText(const FnCall& c) {
  return Check(c, kValueText);
}

ErrCode FnFieldValue(const FnCall& c) {
  StrRef name = Trim(RawArg(c, 1));
  if (Enclosed(name, '\'') || Enclosed(name, '"')) name = Slice(name, 1, name.size() - 2);
  if (name.size() == 0) return E_SINTAXERROR;
  int64_t mode = 1;
  if (RawArg(c, 2).size()) {
    ErrCode r = EvaluateRawArg(c, 2);
    if (Stops(r)) return r;
    if (r == kValueText) {
      Scratch().Release(Scratch().Mark() - 1);
      return E_TYPES;
    }
    (void)TakeNumber(r, &mode);
    mode = NumberToInteger(mode);
  }
  if (FindByte(name, '{') != kNpos) {
    auto read = Lang().expr.hooks.field_read;
    if (!read) {
      ScratchFrame f;
      SetDetail(0, name);
      return E_FEATUREREMOVED;
    }
    ScratchMark m = Scratch().Mark();
    if (ErrCode e = read(name)) {
      Scratch().Release(m);
      return e;
    }
    return kValueText;
  }
  if (name[0] == '_') {
    if (auto* hook = CallbackGetAs<SysVarHook>(kSlotSysVarHook)) {
      StrRef r = hook(name, static_cast<uint8_t>(mode), StrRef());
      if (r.ok()) return ResultText(r);
      if (r.err() != E_DATA) return r.err();
    }
  }
  if (FindByte(name, '(') != kNpos) return ArrayElement(name);
  uint8_t kind = VarKind(name);
  bool dot_text = name[0] == '.' && DotConstant(name).found;
  if (!dot_text && (kind == KIND_NONE || !VarFind(name).found())) return E_SINTAXERROR;
  if (ErrCode e = VarRead(name)) return e;
  return kind == KIND_STRING || (dot_text && DotConstant(name).text) ? kValueText : kValueNumber;
}

ErrCode FnExec(const FnCall& c) {
  StrRef entry = ArgText(c, 1);
  StrRef file = ArgText(c, 2);
  if (!entry.ok()) return entry.err();
  if (!file.ok()) return file.err();
  if (file.size() == 0 && HasExtension(entry)) {
    ErrCode e = RunExpressionFile(entry, true);
    if (e >= E_TYPES) return e;
    return ResultText(StrRef());
  }
  auto* run = CallbackGetAs<ProcRunner>(kSlotProcRunner);
  if (!run) return FunctionNotAvailable(c.name);
  uint16_t before = Slots().Count(kGroupProcResult);
  ErrCode e = run(entry, file, kProcFunctionMode);
  if (Stops(e)) return e;
  if (Slots().Count(kGroupProcResult) <= before) return ResultText(StrRef());
  StrRef r = Slots().Take(kGroupProcResult);
  return r.ok() ? kValueText : r.err();
}

ErrCode FnMacro(const FnCall& c) {
  StrRef text = ArgText(c, 1);
  int64_t flags;
  if (ErrCode e = ArgInteger(c, 2, 0, &flags)) return e;
  StrRef values = ArgAsText(c, 3);
  if (!text.ok()) return text.err();
  if (!values.ok()) return values.err();
  bool lookup = flags & SUBST_LOOKUP;
  StrRef r =
      BracketSubstitute(text, lookup ? kSubstLookupFlags : static_cast<uint16_t>(flags & 0xFF),
                        lookup ? values : StrRef());
  if (r.ok() && (flags & 8)) r = EvaluateText(Trim(r));
  return ResultText(r);
}

ErrCode FnEnviron(const FnCall& c) {
  StrRef name = ArgAsText(c, 1);
  if (!name.ok()) return name.err();
  int64_t number;
  if (ErrCode e = ArgInteger(c, 2, 1, &number)) return e;
  if (number < 0 || number >= SlotTable::kItems) return ResultText(StrRef());
  StrRef env = Slots().Get(kGroupEnvironment, static_cast<uint16_t>(number));
  if (number > 1) return ResultText(env);
  if (name.size() == 0) return ResultText(StrRef());
  if (!ParmLocate(env, name).found()) name = Upper(name);
  return ResultText(ParmValue(env, name, PARM_UNQUOTED));
}

ErrCode FnSlot(const FnCall& c) {
  int64_t group, item;
  if (ErrCode e = ArgInteger(c, 1, kGroupFirstStack, &group)) return e;
  if (ErrCode e = ArgInteger(c, 2, 0, &item)) return e;
  if (group < 0 || group > kGroupLast) return E_SINTAXERROR;
  auto g = static_cast<uint16_t>(group);
  bool stack = g >= kGroupFirstStack;
  bool store = ArgCount(c) >= 3;
  // The call frames' own group: pushing or popping there would break the
  // frames of the calls still running.
  if (g == kGroupArguments && (store || item < 0)) return E_SINTAXERROR;
  if (item < 0 && !stack) return E_SINTAXERROR;
  if (!stack && item >= SlotTable::kItems) return E_SINTAXERROR;
  if (store) {
    StrRef value = ArgAsText(c, 3);
    if (!value.ok()) return value.err();
    ErrCode e = stack ? Slots().Push(g, value) : Slots().Set(g, static_cast<uint16_t>(item), value);
    if (e) return e;
  }
  if (item >= 0) {
    return ResultText(Copy(stack ? Slots().Top(g) : Slots().Get(g, static_cast<uint16_t>(item))));
  }
  ScratchMark m = Scratch().Mark();
  StrRef last;
  for (int64_t k = 0; k < -item; ++k) {
    if (Slots().Count(g) == 0) {
      Scratch().Release(m);
      return E_NODATA;
    }
    last = Scratch().CopyOut(m, Slots().Take(g));
    if (!last.ok()) return last.err();
  }
  return kValueText;
}

ErrCode FnSqlChild(const FnCall&) {
  return ResultNumber(0);
}

}  // namespace tol
