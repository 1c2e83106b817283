// Evaluation by precedence climbing.  Every operand pushes exactly one item
// on the scratch stack; applying an operator replaces the two top items by
// its result.  Types are known from the tokens, never from the items.
#include "lang/eval.h"

#include <cassert>
#include <cstring>

#include "core/core.h"
#include "core/errors.h"
#include "core/lists.h"
#include "core/text.h"
#include "lang/arrays.h"
#include "lang/lang.h"
#include "lang/numbers.h"
#include "lang/scanner.h"
#include "lang/sysvars.h"
#include "lang/variables.h"

namespace tol {

namespace {

// Nesting of statements and operator chains (sub-expressions, calls that
// evaluate again); deeper texts fail instead of exhausting the stack.
constexpr uint16_t kMaxDepth = 256;
constexpr uint16_t kMaxIndexes = 16;
constexpr uint16_t kAuxNoPatterns = 128;

// A token with what the evaluation knows about the value it stands for.
struct Node {
  Token tk;
  uint8_t type = 0;       // 0 number, 1 text
  bool computed = false;  // the value is an operator's result, not the operand's
};

class DepthGuard {
 public:
  DepthGuard() : depth_(Lang().expr.depth) { ++depth_; }
  ~DepthGuard() { --depth_; }
  bool too_deep() const { return depth_ > kMaxDepth; }

 private:
  uint16_t& depth_;
};

bool Stops(ErrCode c) {
  return c >= E_CANCEL && c != E_NULLEXPR;
}

int64_t TopNumber() {
  return ItemNumber(Scratch().Top());
}

// Replaces the two items at top - 1 and top (the mark when the operands
// were topmost) by the result, which may lie above them.
ErrCode ReplaceTwo(ScratchMark top, StrRef result) {
  return Scratch().CopyOut(top - 2, result).ok() ? E_OK : E_OUTOFMEMORY;
}
ErrCode ReplaceTwoNumber(int64_t v) {
  Scratch().Release(Scratch().Mark() - 2);
  return PushNumber(v) ? E_OUTOFMEMORY : E_OK;
}

// Replaces the top item (a text) by the number it reads as.
ErrCode TopToNumber() {
  int64_t v;
  if (ErrCode e = ReadNumber(Scratch().Top(), Places(), &v)) return e;
  Scratch().Release(Scratch().Mark() - 1);
  return PushNumber(v) ? E_OUTOFMEMORY : E_OK;
}
ErrCode TopToText() {
  ScratchMark m = Scratch().Mark();
  StrRef t = NumberText(TopNumber(), Places());
  return Scratch().CopyOut(m - 1, t).ok() ? E_OK : E_OUTOFMEMORY;
}

ErrCode NotAvailable(StrRef what) {
  ScratchFrame f;
  SetDetail(0, what);
  return E_FEATUREREMOVED;
}

// The text of the statement that begins at start: up to the next ";" or
// "," outside quotes and brackets.
StrRef StatementAt(StrRef text, uint16_t start) {
  uint32_t n = text.size(), depth = 0;
  uint32_t i = start;
  for (; i < n; ++i) {
    uint8_t c = text[i];
    if (c == '\'' || c == '"') {
      const void* q = std::memchr(text.data() + i + 1, c, n - i - 1);
      if (!q) {
        i = n;
        break;
      }
      i = static_cast<uint32_t>(static_cast<const char*>(q) - text.data());
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (depth) --depth;
    } else if ((c == ';' || c == ',') && depth == 0) {
      break;
    }
  }
  return StrRef(text.data() + start, static_cast<uint16_t>(i - start));
}

ErrCode RunStatements(StrRef text, uint16_t* fail_at);
ErrCode Chain(Node& t, uint16_t min_prec);

// Indexes of an array reference, each converted to an integer.
ErrCode EvalIndexes(StrRef inner, int32_t* idx, uint16_t* count) {
  *count = 0;
  uint16_t pos = 0;
  while (pos < inner.size()) {
    if (*count == kMaxIndexes) return E_SINTAXERROR;
    ErrCode c = EvaluateStatement(inner, &pos);
    if (Stops(c)) return c;
    int64_t v = c == kValueText ? 0 : NumberToInteger(TopNumber());
    Scratch().Release(Scratch().Mark() - 1);
    if (c == kValueText) return E_TYPES;
    idx[(*count)++] = v < INT32_MIN   ? INT32_MIN
                      : v > INT32_MAX ? INT32_MAX
                                      : static_cast<int32_t>(v);
  }
  return E_OK;
}

// The name of an array as the store knows it: the operand and its "(".
StrRef ArrayName(const Token& tk) {
  return StrRef(tk.text.data() + tk.start, static_cast<uint16_t>(tk.len + 1));
}

// A function call through the seam; the value is made one item of the
// type the name's suffix gives.
ErrCode CallThroughSeam(const Token& tk, uint16_t number) {
  const ExprHooks& h = Lang().expr.hooks;
  StrRef name = tk.Operand();
  if (!h.call) {
    ScratchFrame f;
    return NotAvailable(Concat(name, "()"));
  }
  ScratchMark m = Scratch().Mark();
  ErrCode c = h.call(number, name, tk.Inner());
  if (Stops(c)) {
    Scratch().Release(m);
    return c;
  }
  if (Scratch().Mark() == m) {
    if (tk.kind & OPK_STRING ? Scratch().PushCopy(StrRef()) : PushNumber(0)) return E_OUTOFMEMORY;
    c = tk.kind & OPK_STRING;
  } else if (Scratch().Mark() > m + 1) {
    if (!Scratch().CopyOut(m, Scratch().Top()).ok()) return E_OUTOFMEMORY;
  }
  uint8_t want = tk.kind & OPK_STRING;
  uint8_t got = c == kValueText ? 1 : 0;
  if (want != got) {
    ErrCode e = want ? TopToText() : TopToNumber();
    if (e) return e;
  }
  return want;
}

// Whether the operand is only a place to assign to: then it is not read.
bool IsAssignTarget(const Token& tk) {
  if (tk.op != OP_ASSIGN) return false;
  switch (tk.kind & ~OPK_STRING) {
    case OPK_INTVAR:
    case OPK_NUMVAR:
    case OPK_FIELD:
      return true;
    default:
      if (tk.kind & OPK_ARRAY) return tk.Operand()[0] != '_';
      return (tk.kind & OPK_FUNCTION) && tk.func == 1;
  }
}

// Scans the next operand of t's text and pushes its value.
ErrCode Operand(Node& n) {
  Scan(n.tk);
  Token& tk = n.tk;
  if (tk.err) return tk.err;
  n.type = tk.kind & OPK_STRING;
  n.computed = false;
  if (tk.Empty()) return PushNumber(0) ? E_OUTOFMEMORY : E_NULLEXPR;
  if (IsAssignTarget(tk)) {
    if (n.type ? Scratch().PushCopy(StrRef()) : PushNumber(0)) return E_OUTOFMEMORY;
    return n.type;
  }
  StrRef name = tk.Operand();
  ErrCode c;
  if (tk.kind == OPK_SUBEXPR) {
    uint16_t ignored;
    c = RunStatements(tk.Inner(), &ignored);
    if (c == E_NULLEXPR) c = kValueNumber;
    if (!Stops(c)) n.type = static_cast<uint8_t>(c);
    return c;
  }
  if (tk.kind & OPK_FUNCTION) return CallThroughSeam(tk, tk.func);
  if (tk.kind & OPK_ARRAY) {
    if (name[0] == '_') return CallThroughSeam(tk, 0);
    int32_t idx[kMaxIndexes];
    uint16_t count;
    if ((c = EvalIndexes(tk.Inner(), idx, &count))) return c;
    if ((c = ArrayRead(ArrayName(tk), idx, count))) return c;
    return n.type;
  }
  switch (tk.kind) {
    case OPK_FIELD:
    case OPK_FIELD | OPK_STRING: {
      const ExprHooks& h = Lang().expr.hooks;
      if (!h.field_read) return NotAvailable(name);
      ScratchMark m = Scratch().Mark();
      if ((c = h.field_read(name))) {
        Scratch().Release(m);
        return c;
      }
      return n.type ? kValueText : TopToNumber();
    }
    case OPK_INTVAR:
    case OPK_STRVAR:
    case OPK_NUMVAR:
      if ((c = VarRead(name))) return c;
      return n.type;
    case OPK_STRING: {
      // Folding to upper case makes a copy of its own: keep one item.
      ScratchMark m = Scratch().Mark();
      return Scratch().CopyOut(m, CleanValue(name)).ok() ? kValueText : E_OUTOFMEMORY;
    }
    default: {
      if (name[0] == '.' && name.size() > 1 &&
          ((name[1] | 0x20) >= 'a' && (name[1] | 0x20) <= 'z')) {
        DotValue d = DotConstant(name);
        if (d.found && d.text) {
          n.type = kValueText;
          return Scratch().PushCopy(d.str) ? E_OUTOFMEMORY : kValueText;
        }
        if (d.found) return PushNumber(IntegerToNumber(d.value)) ? E_OUTOFMEMORY : kValueNumber;
      }
      int64_t v;
      if ((c = ReadNumber(name, Places(), &v))) return c;
      return PushNumber(v) ? E_OUTOFMEMORY : kValueNumber;
    }
  }
}

// "==" on texts: equal, or y a pattern with "*" (unless _AUXSTAT says not).
bool TextEquals(StrRef x, StrRef y) {
  if (Equal(x, y)) return true;
  if (SysTest(_AUXSTAT, kAuxNoPatterns)) return false;
  uint16_t star = FindByte(y, '*', 0, false);
  if (star == kNpos) return false;
  auto up = [](uint8_t c) { return c >= 'a' && c <= 'z' ? c - 32 : c; };
  if (star > 0) {
    if (x.size() < star) return false;
    for (uint16_t i = 0; i < star; ++i)
      if (up(x[i]) != up(y[i])) return false;
    return true;
  }
  uint16_t next = FindByte(y, '*', 1, false);
  StrRef part = Slice(y, 1, next == kNpos ? kNpos : static_cast<uint16_t>(next - 1));
  if (part.size() == 0) return true;
  if (part.size() > x.size()) return false;
  for (uint32_t at = 0; at + part.size() <= x.size(); ++at) {
    uint16_t k = 0;
    while (k < part.size() && up(x[at + k]) == part[k]) ++k;
    if (k == part.size()) return true;
  }
  return false;
}

ErrCode TextOperator(uint16_t op) {
  ScratchMark top = Scratch().Mark();
  StrRef x = Scratch().Item(top - 1), y = Scratch().Item(top);
  bool r;
  switch (op) {
    case OP_ADD: {
      StrRef joined = Concat(x, y);
      if (!joined.ok()) return joined.err();
      return ReplaceTwo(top, joined) ? E_OUTOFMEMORY : kValueText;
    }
    case OP_EQ:
      r = TextEquals(x, y);
      break;
    case OP_NE:
      r = !Equal(x, y);
      break;
    case OP_GT:
      r = Compare(x, y) == 1;
      break;
    case OP_LT:
      r = Compare(x, y) == 0xFFFF;
      break;
    case OP_GE:
      r = Compare(x, y) != 0xFFFF;
      break;
    case OP_LE:
      r = Compare(x, y) != 1;
      break;
    default:
      return E_SINTAXERROR;
  }
  return ReplaceTwoNumber(r ? Scale() : 0) ? E_OUTOFMEMORY : kValueNumber;
}

ErrCode NumberOperator(uint16_t op) {
  ScratchMark top = Scratch().Mark();
  int64_t a = ItemNumber(Scratch().Item(top - 1)), r = ItemNumber(Scratch().Item(top));
  int64_t s = Scale();
  int64_t v = 0;
  bool ok = true;
  auto I = [s](int64_t x) { return x / s; };
  auto scaled = [&](int64_t x) { ok = !__builtin_mul_overflow(x, s, &v); };
  switch (op) {
    case OP_MUL:
      ok = NumMultiply(a, r, s, &v);
      break;
    case OP_DIV:
      ok = NumDivide(a, r, s, &v);
      break;
    case OP_ROUND:
      ok = NumRoundTo(a, I(r), Places(), &v);
      break;
    case OP_PERCENT:
      ok = NumPercent(a, r, s, &v);
      break;
    case OP_LESSPERCENT:
      ok = NumLessPercent(a, r, s, &v);
      break;
    case OP_ADD:
      ok = !__builtin_add_overflow(a, r, &v);
      break;
    case OP_SUB:
      ok = !__builtin_sub_overflow(a, r, &v);
      break;
    case OP_GT:
      v = a > r ? s : 0;
      break;
    case OP_LT:
      v = a < r ? s : 0;
      break;
    case OP_EQ:
      v = a == r ? s : 0;
      break;
    case OP_GE:
      v = a >= r ? s : 0;
      break;
    case OP_LE:
      v = a <= r ? s : 0;
      break;
    case OP_NE:
      v = a != r ? s : 0;
      break;
    case OP_AND:
      scaled(I(a) & I(r));
      break;
    case OP_OR:
    case OP_AT:
      if ((I(a) & I(r)) == 0)
        scaled(I(a) | I(r));
      else
        v = 0;
      break;
    case OP_LAND:
      v = (a != 0 && r != 0) ? s : 0;
      break;
    case OP_LOR:
      v = (a != 0 || r != 0) ? s : 0;
      break;
    case OP_XOR:
      v = ((I(a) | I(r)) != 0 && (I(a) & I(r)) == 0) ? s : 0;
      break;
    default:
      return E_SINTAXERROR;
  }
  if (!ok) return E_EXPCALCERROR;
  return ReplaceTwoNumber(v) ? E_OUTOFMEMORY : kValueNumber;
}

// "=": the value on top assigned to the left operand, which is replaced.
ErrCode Assign(const Node& l, uint8_t type) {
  const Token& tk = l.tk;
  if (l.computed) return E_SINTAXERROR;
  ErrCode c;
  bool element =
      (tk.kind & OPK_ARRAY && tk.Operand()[0] != '_') || (tk.kind & OPK_FUNCTION && tk.func == 1);
  if (element) {
    if ((tk.kind & OPK_STRING) != type) return E_TYPES;
    int32_t idx[kMaxIndexes];
    uint16_t count;
    if ((c = EvalIndexes(tk.Inner(), idx, &count))) return c;
    StrRef name = tk.kind & OPK_FUNCTION ? StrRef(kAccumulatorArray) : ArrayName(tk);
    if ((c = ArrayWrite(name, idx, count))) return c;
  } else if ((tk.kind & ~OPK_STRING) == OPK_FIELD) {
    const ExprHooks& h = Lang().expr.hooks;
    if (!h.field_write) return NotAvailable(tk.Operand());
    ScratchFrame f;
    StrRef text = type ? Scratch().Top() : NumberText(TopNumber(), Places());
    if (!text.ok()) return text.err();
    if ((c = h.field_write(tk.Operand(), text))) return c;
  } else if (tk.kind == OPK_INTVAR || tk.kind == OPK_NUMVAR || tk.kind == OPK_STRVAR) {
    if ((tk.kind & OPK_STRING) != type) return E_TYPES;
    if ((c = VarAssign(tk.Operand()))) return c;
  } else {
    return E_SINTAXERROR;
  }
  return ReplaceTwo(Scratch().Mark(), Scratch().Top()) ? E_OUTOFMEMORY : type;
}

ErrCode Apply(Node& t, Node& u) {
  if (t.tk.op == OP_ASSIGN) return Assign(t, u.type);
  if (t.type != u.type) {
    bool numeric_field = !t.computed && t.tk.kind == OPK_FIELD;
    if (!(numeric_field && u.type == kValueText)) return E_TYPES;
    if (ErrCode e = TopToNumber()) return e;
    u.type = kValueNumber;
  }
  return t.type ? TextOperator(t.tk.op) : NumberOperator(t.tk.op);
}

// Applies the operators from t (its left value on top) while they bind at
// least min_prec; t ends as the token the chain stopped at.
ErrCode Chain(Node& t, uint16_t min_prec) {
  DepthGuard depth;
  if (depth.too_deep()) return E_STROUTBOUND;
  while (t.tk.op != OP_NONE && t.tk.prec >= min_prec) {
    Node u;
    u.tk.text = t.tk.text;
    u.tk.next = t.tk.next;
    [[maybe_unused]] ScratchMark before = Scratch().Mark();
    ErrCode c = Operand(u);
    if (Stops(c)) return c;
    assert(Scratch().Mark() == before + 1 && "an operand pushes exactly one item");
    if (c == E_NULLEXPR && (t.type == kValueText || u.tk.op == OP_NONE)) return E_SINTAXERROR;
    while (u.tk.op != OP_NONE && (u.tk.prec > t.tk.prec || (!u.computed && u.tk.Empty()) ||
                                  (t.tk.op == OP_ASSIGN && u.tk.op == OP_ASSIGN))) {
      c = Chain(u, u.tk.prec);
      if (Stops(c)) return c;
      assert(Scratch().Mark() == before + 1 && "a chain leaves exactly its value");
    }
    c = Apply(t, u);
    if (Stops(c)) return c;
    u.type = static_cast<uint8_t>(c);
    u.computed = true;
    t = u;
  }
  return t.type;
}

ErrCode RunStatements(StrRef text, uint16_t* fail_at) {
  ScratchMark m = Scratch().Mark();
  if (Scratch().PushCopy(StrRef())) return E_OUTOFMEMORY;
  ErrCode code = kValueText;
  uint16_t pos = 0;
  while (pos < text.size()) {
    *fail_at = pos;
    code = EvaluateStatement(text, &pos);
    if (code >= E_TYPES || code == E_CANCEL) {
      Scratch().Release(m);
      return code;
    }
    if (Stops(code) && Scratch().PushCopy(StrRef())) return E_OUTOFMEMORY;
    if (!Scratch().CopyOut(m, Scratch().Top()).ok()) return E_OUTOFMEMORY;
  }
  return code;
}

}  // namespace

int Places() {
  int p = 0;
  for (int64_t s = Scale(); s > 1; s /= 10) ++p;
  return p;
}

ErrCode EvaluateStatement(StrRef text, uint16_t* pos) {
  ScratchMark m = Scratch().Mark();
  DepthGuard depth;
  if (depth.too_deep()) return E_STROUTBOUND;
  Node t;
  t.tk.text = text;
  t.tk.next = *pos;
  ErrCode c = Operand(t);
  if (!Stops(c)) {
    bool lone = t.tk.op == OP_NONE;
    ErrCode chained = Chain(t, 0);
    if (!lone || Stops(chained)) c = chained;
  }
  *pos = t.tk.next > *pos ? t.tk.next : text.size();
  if (Stops(c)) {
    Scratch().Release(m);
    return c;
  }
  if (Scratch().Mark() != m + 1 && !Scratch().CopyOut(m, Scratch().Top()).ok())
    return E_OUTOFMEMORY;
  return c;
}

ErrCode Evaluate(StrRef text) {
  ScratchMark m = Scratch().Mark();
  StrRef prepared = Prepare(text);
  if (!prepared.ok()) {
    Scratch().Release(m);
    return prepared.err();
  }
  uint16_t fail_at = 0;
  uint32_t explained = DetailSerial();
  ErrCode code = RunStatements(prepared, &fail_at);
  if (code > E_DETAIL) {
    Report(1, M_EXPEXEC, code, code);
    if (code >= E_TYPES) {
      // What a lower layer said about the failure (a file's name) stays in
      // front of the statement.
      StrRef stmt = StatementAt(prepared, fail_at);
      SetDetail(0, stmt, code == E_FEATUREREMOVED || DetailSerial() != explained);
    }
  }
  if (code == E_NULLEXPR) code = kValueNumber;
  if (code >= E_CANCEL) {
    Scratch().Release(m);
    return code;
  }
  if (!Scratch().CopyOut(m, Scratch().Top()).ok()) return Fail(M_EXPEXEC, E_OUTOFMEMORY);
  return code;
}

ErrCode EvaluateCheck(StrRef text) {
  ScratchFrame f;
  ErrCode c = Evaluate(text);
  return c >= E_TYPES ? c : E_OK;
}

ErrCode EvaluateCondition(StrRef text) {
  if (text.ok() && text.size() == 0) return 1;
  ScratchFrame f;
  ErrCode c = Evaluate(text);
  if (c >= E_CANCEL) return c;
  return c == kValueNumber && TopNumber() != 0 ? 1 : 0;
}

int16_t EvaluateInteger(StrRef text) {
  ScratchFrame f;
  ErrCode c = Evaluate(text);
  if (c != kValueNumber) return 0;
  return static_cast<int16_t>(static_cast<uint16_t>(NumberToInteger(TopNumber()) & 0xFFFF));
}

StrRef EvaluateText(StrRef text) {
  ScratchFrame f;
  ErrCode c = Evaluate(text);
  if (c >= E_CANCEL) return StrRef::Fail(c);
  if (c == kValueText) return f.Keep(Scratch().Top());
  return f.Keep(NumberText(TopNumber(), Places()));
}

ErrCode EvaluateAccumulate(StrRef text, int64_t* total) {
  ScratchFrame f;
  ErrCode c = Evaluate(text);
  if (c >= E_CANCEL) return c;
  int64_t v = TopNumber();
  if (c == kValueText) {
    if (ErrCode e = ReadNumber(Scratch().Top(), Places(), &v)) return Fail(M_EXPEXEC, e);
  }
  int64_t sum;
  if (__builtin_add_overflow(*total, v, &sum)) {
    SetDetail(0, text);
    return Fail(M_EXPEXEC, E_EXPCALCERROR);
  }
  *total = sum;
  return E_OK;
}

}  // namespace tol
