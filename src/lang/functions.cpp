// The call mechanism: arguments evaluated left to right into a frame of
// stack group 35, the count checked against the function's row, the
// handler run, one result kept, and the frame cut off whatever happened.
#include "lang/functions.h"

#include "core/core.h"
#include "core/errors.h"
#include "core/lists.h"
#include "core/text.h"
#include "lang/eval.h"
#include "lang/fncontrol.h"
#include "lang/fntext.h"
#include "lang/lang.h"
#include "lang/numbers.h"
#include "lang/scanner.h"
#include "lang/sysvars.h"
#include "lang/tables.h"
#include "lang/variables.h"

namespace tol {

namespace {

constexpr uint8_t kAll = 255;
constexpr uint16_t kFnSqlChild = 33;
constexpr int16_t kMaxSqlNesting = 7;

struct Row {
  uint8_t evaluated;        // arguments evaluated before the handler runs
  uint8_t min, max;         // arguments that may be written
  FunctionHandler handler;  // null: the function's layer is not built
};

// Numbered from 1 in the order of kBuiltinFunctions.
constexpr Row kRows[kBuiltinFunctionCount] = {
    {kAll, 1, 3, FnAccumulator},   // _#
    {kAll, 0, 16, nullptr},        // FN#FLEN: streams and record files
    {kAll, 1, 1, FnTextLength},    // FN#SLEN
    {kAll, 1, 3, FnListPosition},  // FN#PARM
    {kAll, 1, 3, FnValueOf},       // FN#VALN
    {0, 2, 4, FnAccumulate},       // FN#ACUM
    {1, 2, 16, FnCheckNumber},     // CHK#
    {kAll, 0, 16, nullptr},        // FILEFIND: record files
    {4, 0, 16, nullptr},           // FILEREL: relations
    {kAll, 0, 16, nullptr},        // FILELOCATE: record files
    {kAll, 0, 16, nullptr},        // FILESEL: streams and record files
    {kAll, 2, 4, FnChange},        // FN$CHNG
    {kAll, 1, 2, FnCharacters},    // FN$CHRS
    {kAll, 0, 2, FnDate},          // FN$DATE
    {0, 1, 2, FnFieldValue},       // FN$FLDS
    {kAll, 2, 3, FnMask},          // FN$MASK
    {kAll, 2, 3, FnMiddle},        // FN$MIDS
    {kAll, 1, 3, FnListItem},      // FN$PARM
    {kAll, 1, 2, FnTrim},          // FN$TRIM
    {kAll, 1, 2, FnEnvelop},       // ENVELOP$
    {1, 2, 16, FnCheckText},       // CHK$
    {kAll, 0, 16, nullptr},        // SORT$: local lists
    {kAll, 1, 2, FnExec},          // EXEC$
    {kAll, 0, 16, nullptr},        // READ$: streams
    {kAll, 0, 16, nullptr},        // WRITE: streams
    {kAll, 1, 3, FnMacro},         // MACRO$
    {kAll, 1, 2, FnEnviron},       // ENVRON$
    {kAll, 0, 3, FnSlot},          // _$
    {kAll, 0, 16, nullptr},        // KEY$: record files
    {kAll, 0, 2, FnTime},          // TIME$
    {kAll, 0, 16, nullptr},        // IER: record files
    {1, 1, 16, FnExpand},          // EXP$
    {kAll, 0, 16, FnSqlChild},     // SQLCHILD
};

bool Stops(ErrCode c) {
  return c >= E_CANCEL && c != E_NULLEXPR;
}

// End of the statement that begins at from: the next ";" or "," outside
// quotes and brackets, or the text's end.
uint16_t StatementEnd(StrRef text, uint16_t from) {
  uint32_t n = text.size(), depth = 0;
  for (uint32_t i = from; i < n; ++i) {
    uint8_t c = text[i];
    if (c == '\'' || c == '"') {
      uint32_t j = i + 1;
      while (j < n && text[j] != c) ++j;
      i = j;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (depth) --depth;
    } else if ((c == ';' || c == ',') && depth == 0) {
      return static_cast<uint16_t>(i);
    }
  }
  return static_cast<uint16_t>(n);
}

// Counts the statements written in args from pos on.
uint16_t CountStatements(StrRef args, uint16_t pos) {
  if (pos > args.size() || (pos == 0 && args.size() == 0)) return 0;
  uint16_t n = 0;
  for (;;) {
    ++n;
    uint16_t end = StatementEnd(args, pos);
    if (end >= args.size()) return n;
    pos = static_cast<uint16_t>(end + 1);
  }
}

// Evaluates up to want arguments into the frame; raw_at is left where the
// rest begins.
ErrCode EvaluateArguments(FnCall& call, uint8_t want) {
  StrRef args = call.args;
  uint16_t pos = 0;
  bool more = args.size() > 0;
  while (more && call.count < want && call.count < kMaxArguments) {
    uint16_t end = StatementEnd(args, pos);
    ScratchMark m = Scratch().Mark();
    uint8_t kind = ARG_ABSENT;
    ErrCode e = E_OK;
    if (end > pos) {
      uint16_t at = pos;
      ErrCode c = EvaluateStatement(args, &at);
      if (Stops(c)) return c;
      if (c != E_NULLEXPR) {
        kind = static_cast<uint8_t>(c);
        e = Slots().Push(kGroupArguments, Scratch().Top());
      }
    }
    if (kind == ARG_ABSENT) e = Slots().Push(kGroupArguments, StrRef(&kAbsentMark, 1));
    Scratch().Release(m);
    if (e) return e;
    call.kinds[call.count++] = kind;
    more = end < args.size();
    pos = static_cast<uint16_t>(more ? end + 1 : args.size());
  }
  call.raw_at = pos;
  call.raw_count = more ? CountStatements(args, pos) : 0;
  return E_OK;
}

StrRef FrameItem(const FnCall& c, uint16_t i) {
  return Slots().Get(kGroupArguments, static_cast<uint16_t>(c.base + i - 1));
}

uint8_t KindOf(const FnCall& c, uint16_t i) {
  return i >= 1 && i <= c.count ? c.kinds[i - 1] : uint8_t{ARG_ABSENT};
}

// A call of a name beginning with "_" that is no function.
ErrCode UserFunction(const FnCall& call) {
  auto* handler = CallbackGetAs<UserFunctionHandler>(kSlotUserFunction);
  if (!handler) {
    ScratchFrame f;
    SetDetail(0, Concat(call.name, "()"));
    return E_SINTAXERROR;
  }
  StrRef r = handler(call.name, call);
  if (!r.ok()) return r.err();
  if (r.data() != Scratch().Top().data() || r.size() != Scratch().Top().size()) {
    if (Scratch().PushCopy(r)) return E_OUTOFMEMORY;
  }
  return kValueText;
}

ErrCode SqlChildEnter(int16_t* saved_row, int16_t* saved_ier) {
  int16_t level = SysGet(_SQLSTK);
  if (level >= kMaxSqlNesting) return E_STROUTBOUND;
  SysSet(_SQLSTK, static_cast<int16_t>(level + 1));
  *saved_row = SysGet(_CURROW);
  *saved_ier = SysGet(_IER);
  SysSet(_CURROW, 0);
  return E_OK;
}

ErrCode RunCall(FnCall& call) {
  if (call.number == 0) {
    if (ErrCode e = EvaluateArguments(call, kAll)) return e;
    return UserFunction(call);
  }
  if (call.number <= kBuiltinFunctionCount) {
    const Row& row = kRows[call.number - 1];
    FunctionHandler handler = row.handler ? row.handler : Lang().expr.layer_functions[call.number];
    if (!handler) return FunctionNotAvailable(call.name);
    int16_t row_saved = 0, ier_saved = 0;
    bool sql = call.number == kFnSqlChild;
    if (sql) {
      if (ErrCode e = SqlChildEnter(&row_saved, &ier_saved)) return e;
    }
    ErrCode e = EvaluateArguments(call, row.evaluated);
    if (sql) {
      // The level goes down again whatever the arguments did, so that a
      // failed child cannot use up the nesting for the rest of the run.
      SysSet(_SQLSTK, static_cast<int16_t>(SysGet(_SQLSTK) - 1));
      SysSet(_CURROW, row_saved);
      if (!e) SysSet(_IER, ier_saved);
    }
    if (e) return e;
    if ((e = CheckCount(call, row.min, row.max))) return e;
    return handler(call);
  }
  uint16_t k = static_cast<uint16_t>(call.number - kFirstAppFunction);
  FunctionHandler h = call.number <= kFirstAppFunction + kMaxAppFunctions - 1
                          ? Lang().expr.app_functions[k]
                          : nullptr;
  if (!h) return E_SINTAXERROR;
  if (ErrCode e = EvaluateArguments(call, kAll)) return e;
  return h(call);
}

}  // namespace

void SetLayerFunction(uint16_t number, FunctionHandler handler) {
  if (number >= 1 && number <= kBuiltinFunctionCount) Lang().expr.layer_functions[number] = handler;
}

ErrCode CallFunction(uint16_t number, StrRef name, StrRef args) {
  ScratchMark m = Scratch().Mark();
  uint16_t depth = Slots().Count(kGroupArguments);
  FnCall call;
  call.number = number;
  call.name = name;
  call.args = args;
  call.base = depth;
  ErrCode c = RunCall(call);
  if (c == E_NULLEXPR) c = kValueNumber;
  if (Slots().Count(kGroupArguments) > depth) (void)Slots().Truncate(kGroupArguments, depth);
  if (Stops(c) || c > kValueText) {
    Scratch().Release(m);
    return Stops(c) ? c : E_INTERNAL;
  }
  if (Scratch().Mark() == m) {
    if (c == kValueText ? Scratch().PushCopy(StrRef()) : PushNumber(0)) return E_OUTOFMEMORY;
  } else if (Scratch().Mark() > m + 1) {
    if (!Scratch().CopyOut(m, Scratch().Top()).ok()) return E_OUTOFMEMORY;
  }
  return c;
}

ErrCode RegisterFunction(StrRef name, FunctionHandler handler, uint16_t* number) {
  ExprState& x = Lang().expr;
  if (!handler || !name.ok() || name.size() == 0 || name.size() > 32 || name[0] < 'A')
    return E_SINTAXERROR;
  for (uint16_t i = 0; i < name.size(); ++i) {
    uint8_t ch = name[i];
    if (ch <= ' ' || ch == '\'' || ch == '"' || ch == '{' || ch == '}' ||
        FindByte(StrRef("*/!%\xF7+-(;,:)=><&@|"), ch) != kNpos)
      return E_SINTAXERROR;
  }
  if (IsFunction(name) != 0) return E_DATAEXISTS;
  uint16_t k = 0;
  while (k < kMaxAppFunctions && x.app_functions[k]) ++k;
  if (k == kMaxAppFunctions) return E_DATAOUTBOUND;
  ScratchFrame f;
  StrRef list = FunctionList();
  if (!list.ok() || list.size() == 0) return E_OUTOFMEMORY;
  // The list must end at the last function numbered so far, so that the
  // new name's position is its number.
  if (ListCount(list, 0) != kFirstAppFunction + k - 1) return E_INTERNAL;
  StrRef joined = Concat(Concat(list, StrRef("\0", 1)), name);
  if (!joined.ok()) return joined.err();
  if (ErrCode e = Slots().Set(kGroupEnvironment, kEnvFunctionList, joined)) return e;
  x.app_functions[k] = handler;
  if (number) *number = static_cast<uint16_t>(kFirstAppFunction + k);
  return E_OK;
}

uint16_t ArgCount(const FnCall& c) {
  return c.count;
}

ErrCode CheckCount(const FnCall& c, uint16_t min, uint16_t max) {
  uint32_t n = uint32_t{c.count} + c.raw_count;
  return n < min || n > max ? E_SINTAXERROR : E_OK;
}

bool ArgPresent(const FnCall& c, uint16_t i) {
  return KindOf(c, i) != ARG_ABSENT;
}

ErrCode ArgInteger(const FnCall& c, uint16_t i, int64_t def, int64_t* out) {
  *out = def;
  switch (KindOf(c, i)) {
    case ARG_NUMBER:
      *out = NumberToInteger(ItemNumber(FrameItem(c, i)));
      return E_OK;
    case ARG_TEXT:
      return FrameItem(c, i).size() == 0 ? E_OK : E_TYPES;
    default:
      return E_OK;
  }
}

StrRef ArgText(const FnCall& c, uint16_t i, StrRef def) {
  switch (KindOf(c, i)) {
    case ARG_TEXT:
      return Copy(FrameItem(c, i));
    case ARG_NUMBER:
      return StrRef::Fail(E_TYPES);
    default:
      return Copy(def);
  }
}

StrRef ArgAsText(const FnCall& c, uint16_t i, StrRef def) {
  if (KindOf(c, i) == ARG_NUMBER) return NumberText(ItemNumber(FrameItem(c, i)), Places());
  return ArgText(c, i, def);
}

ArgVal ArgValue(const FnCall& c, uint16_t i) {
  ArgVal v;
  v.kind = KindOf(c, i);
  if (v.kind == ARG_NUMBER) v.number = ItemNumber(FrameItem(c, i));
  if (v.kind == ARG_TEXT) v.text = Copy(FrameItem(c, i));
  return v;
}

uint16_t RawArgAt(const FnCall& c, uint16_t k) {
  if (k == 0 || k > c.raw_count) return kNpos;
  uint16_t pos = c.raw_at;
  for (uint16_t j = 1; j < k; ++j) pos = static_cast<uint16_t>(StatementEnd(c.args, pos) + 1);
  return pos;
}

StrRef RawArg(const FnCall& c, uint16_t k) {
  uint16_t at = RawArgAt(c, k);
  if (at == kNpos) return StrRef();
  return Slice(c.args, at, static_cast<uint16_t>(StatementEnd(c.args, at) - at));
}

ErrCode EvaluateRawArg(const FnCall& c, uint16_t k) {
  uint16_t at = RawArgAt(c, k);
  if (at == kNpos || StatementEnd(c.args, at) == at)
    return PushNumber(0) ? E_OUTOFMEMORY : E_NULLEXPR;
  return EvaluateStatement(c.args, &at);
}

ErrCode FunctionNotAvailable(StrRef name) {
  ScratchFrame f;
  SetDetail(0, Concat(Upper(name), "()"));
  return E_FEATUREREMOVED;
}

}  // namespace tol
