// Preparation and the single-pass scanner.  Nothing here allocates except
// on the scratch stack; the function-name list is the only cached text.
#include "lang/scanner.h"

#include <array>
#include <cstring>

#include "core/core.h"
#include "core/text.h"
#include "lang/lang.h"

namespace tol {

namespace {

// Operator characters "*/!%÷+-(;,:)=><&@|", numbered 0 to 17; the table
// holds number + 1, 0 for any other byte.
constexpr char kOpChars[] = "*/!%\xF7+-(;,:)=><&@|";
constexpr std::array<uint8_t, 256> kOpClass = [] {
  std::array<uint8_t, 256> t{};
  for (int i = 0; kOpChars[i]; ++i)
    t[static_cast<uint8_t>(kOpChars[i])] = static_cast<uint8_t>(i + 1);
  return t;
}();
constexpr uint8_t kClassOpen = 8, kClassSemicolon = 9, kClassComma = 10, kClassColon = 11,
                  kClassClose = 12, kClassFirstPair = 13;  // "=", ">", "<", "&", "@", "|"

struct OpInfo {
  char text[3];
  uint8_t prec;
};
constexpr OpInfo kOperators[] = {
    {"*", 4}, {"/", 4}, {"!", 4}, {"%", 4},  {"\xF7", 4}, {"+", 3},  {"-", 3},
    {"=", 0}, {">", 2}, {"<", 2}, {"==", 2}, {">=", 2},   {"<=", 2}, {"<>", 2},
    {"&", 1}, {"|", 5}, {"@", 1}, {"&&", 1}, {"||", 1},   {"@@", 1},
};

bool IsQuote(uint8_t c) {
  return c == '\'' || c == '"';
}
bool IsBlank(uint8_t c) {
  return c == ' ' || c == '\t';
}

// The operator spelled by one or two characters, 0 when none is.  Single
// characters map by their class; pairs are the six listed.
uint16_t LookupOperator(const char* p, uint16_t n) {
  static constexpr uint8_t kSingle[19] = {
      0, OP_MUL, OP_DIV, OP_ROUND,  OP_PERCENT, OP_LESSPERCENT, OP_ADD, OP_SUB, 0,    0,
      0, 0,      0,      OP_ASSIGN, OP_GT,      OP_LT,          OP_AND, OP_AT,  OP_OR};
  if (n == 1) return kSingle[kOpClass[static_cast<uint8_t>(p[0])]];
  switch ((static_cast<uint8_t>(p[0]) << 8) | static_cast<uint8_t>(p[1])) {
    case ('=' << 8) | '=':
      return OP_EQ;
    case ('>' << 8) | '=':
      return OP_GE;
    case ('<' << 8) | '=':
      return OP_LE;
    case ('<' << 8) | '>':
      return OP_NE;
    case ('&' << 8) | '&':
      return OP_LAND;
    case ('|' << 8) | '|':
      return OP_LOR;
    case ('@' << 8) | '@':
      return OP_XOR;
    default:
      return OP_NONE;
  }
}

// First operator character at or after from, skipping quoted text (a quote
// that never closes hides the rest); kNpos when none.
uint16_t FindOpChar(StrRef t, uint32_t from) {
  const uint8_t* s = reinterpret_cast<const uint8_t*>(t.data());
  uint32_t n = t.size();
  for (uint32_t i = from; i < n; ++i) {
    uint8_t c = s[i];
    if (kOpClass[c]) return static_cast<uint16_t>(i);
    if (IsQuote(c)) {
      const void* close = std::memchr(s + i + 1, c, n - i - 1);
      if (!close) return kNpos;
      i = static_cast<uint32_t>(static_cast<const uint8_t*>(close) - s);
    }
  }
  return kNpos;
}

// Kind of a name written before "(": by its suffix character.
uint16_t NameKind(StrRef name) {
  if (FindByte(name, '$') != kNpos) return OPK_STRVAR;
  if (FindByte(name, '#') != kNpos) return OPK_NUMVAR;
  return OPK_INTVAR;
}

// Kind of an operand without brackets; err set for a malformed field.
uint16_t PlainKind(StrRef op, uint16_t* err) {
  if (op.size() == 0) return OPK_NUMBER;
  bool quote = false, dollar = false, hash = false, brace = false;
  for (uint16_t i = 0; i < op.size(); ++i) {
    uint8_t c = op[i];
    quote |= IsQuote(c);
    dollar |= c == '$';
    hash |= c == '#';
    brace |= c == '{';
  }
  if (quote) return OPK_STRING;
  if (dollar) return OPK_STRVAR;
  if (hash) return OPK_NUMVAR;
  if (brace) {
    if (op[op.size() - 1] != '}' || op[0] == '{') *err = E_SINTAXERROR;
    return OPK_FIELD;
  }
  return op[0] < 'A' ? OPK_NUMBER : OPK_INTVAR;
}

// A name before "(" must be able to name something: no quotes or braces,
// first character "A" or above.
bool ValidCallName(StrRef name) {
  if (name[0] < 'A') return false;
  for (uint16_t i = 0; i < name.size(); ++i)
    if (IsQuote(name[i]) || name[i] == '{' || name[i] == '}') return false;
  return true;
}

constexpr StrRef kMacroNames[] = {"_ACCEPT#(", "_ACCEPT$("};
constexpr StrRef kMacroTemplates[][2] = {
    {"FN#VALN(FN$TRIM(FN$PARM(_$(.envvar;.dialog);", ");'FIT'))"},
    {"FN$TRIM(FN$PARM(_$(.envvar;.dialog);", ");'FIT')"},
};

// Every _ACCEPT#( and then every _ACCEPT$( (outside quotes, with a closing
// bracket) replaced by its template around the bracket's text.
StrRef ExpandMacros(StrRef t) {
  ScratchMark m = Scratch().Mark();
  for (int k = 0; k < 2; ++k) {
    uint32_t from = 0;
    for (;;) {
      uint16_t at = FindText(t, kMacroNames[k], false, static_cast<uint16_t>(from));
      if (at == kNpos) break;
      uint16_t open = static_cast<uint16_t>(at + kMacroNames[k].size() - 1);
      uint16_t inner = MatchBracket(t, open);
      uint32_t close = uint32_t{open} + 1 + inner;
      if (close >= t.size()) {  // never closes: left for the bracket check
        from = at + 1u;
        continue;
      }
      StrRef r = Concat(Slice(t, 0, at), kMacroTemplates[k][0]);
      r = Concat(r, Slice(t, open + 1, inner));
      r = Concat(r, kMacroTemplates[k][1]);
      r = Concat(r, Slice(t, static_cast<int32_t>(close + 1)));
      t = Scratch().CopyOut(m, r);
      if (!t.ok()) return t;
      from = at;
    }
  }
  return t;
}

}  // namespace

uint16_t Precedence(uint16_t op) {
  return op >= 1 && op <= std::size(kOperators) ? kOperators[op - 1].prec : 0;
}

uint16_t MatchBracket(StrRef text, uint16_t position) {
  if (!text.ok() || position >= text.size()) return 0;
  uint8_t open = text[position], close = open == '('   ? ')'
                                         : open == '[' ? ']'
                                         : open == '{' ? '}'
                                                       : open;
  uint32_t n = text.size(), depth = 1;
  for (uint32_t i = uint32_t{position} + 1; i < n; ++i) {
    uint8_t c = text[i];
    if (IsQuote(c)) {
      const void* q = std::memchr(text.data() + i + 1, c, n - i - 1);
      if (!q) break;
      i = static_cast<uint32_t>(static_cast<const char*>(q) - text.data());
      continue;
    }
    if (c == close && --depth == 0) return static_cast<uint16_t>(i - position - 1);
    if (c == open && open != close) ++depth;
  }
  return static_cast<uint16_t>(n - position - 1);
}

StrRef Prepare(StrRef text) {
  if (!text.ok()) return text;
  ScratchMark m = Scratch().Mark();
  StrRef t = text;
  bool expanded = false;
  for (;;) {
    uint32_t n = t.size();
    // One pass: the copy without blanks, the bracket balance, the first
    // misplaced blank and whether a macro has to be expanded first.
    if (Scratch().Push(static_cast<uint16_t>(n))) {
      Scratch().Release(m);
      return StrRef::Fail(Fail(M_EXPEXEC, E_OUTOFMEMORY));
    }
    char* out = Scratch().TopBytes();
    uint32_t len = 0, bad_blank = kNpos;
    int32_t balance = 0;
    bool macro = false;
    for (uint32_t i = 0; i < n;) {
      uint8_t c = t[i];
      if (IsQuote(c)) {
        const void* q = std::memchr(t.data() + i + 1, c, n - i - 1);
        uint32_t end = q ? static_cast<uint32_t>(static_cast<const char*>(q) - t.data()) + 1 : n;
        std::memcpy(out + len, t.data() + i, end - i);
        len += end - i;
        i = end;
        continue;
      }
      if (!IsBlank(c)) {
        if (c == '(') {
          ++balance;
        } else if (c == ')') {
          --balance;
        } else if (c == '_' && !expanded && i + 7 <= n &&
                   std::memcmp(t.data() + i, "_ACCEPT", 7) == 0) {
          macro = true;
        }
        out[len++] = static_cast<char>(c);
        ++i;
        continue;
      }
      uint32_t j = i;
      while (j < n && IsBlank(t[j])) ++j;
      bool ok = (i > 0 && kOpClass[t[i - 1]]) || (j < n && kOpClass[t[j]]);
      if (!ok && bad_blank == kNpos) bad_blank = i;
      i = j;
    }
    if (macro) {
      Scratch().Release(Scratch().Mark() - 1);
      t = ExpandMacros(t);
      expanded = true;
      if (!t.ok()) {
        Scratch().Release(m);
        return StrRef::Fail(Fail(M_EXPEXEC, t.err()));
      }
      continue;
    }
    if (balance != 0 || bad_blank != kNpos) {
      SetDetail(0, balance != 0 ? t : Slice(t, static_cast<int32_t>(bad_blank)));
      Scratch().Release(m);
      return StrRef::Fail(Fail(M_EXPEXEC, balance != 0 ? E_LOOP : E_SINTAXERROR));
    }
    return Scratch().CopyOut(m, StrRef(out, static_cast<uint16_t>(len)));
  }
}

void Scan(Token& tk) {
  StrRef t = tk.text;
  uint16_t n = t.size();
  uint16_t p = tk.next < n ? tk.next : n;
  tk.op = OP_NONE;
  tk.kind = OPK_NUMBER;
  tk.start = p;
  tk.len = 0;
  tk.bracket = 0;
  tk.prec = 0;
  tk.func = 0;
  tk.err = 0;
  uint16_t i = FindOpChar(t, p);
  uint16_t name_end = i == kNpos ? n : i;
  tk.len = static_cast<uint16_t>(name_end - p);
  bool bracketed = i != kNpos && t[i] == '(';
  if (bracketed) {
    tk.bracket = MatchBracket(t, i);
    uint32_t after = uint32_t{i} + 1 + tk.bracket + 1;  // past the ")"
    if (after > n) after = n;
    i = FindOpChar(t, after);
    uint32_t stop = i == kNpos ? n : i;
    if (stop != after) tk.err = E_SINTAXERROR;  // characters after the ")"
  }
  if (i == kNpos) {
    tk.next = n;
  } else {
    uint8_t cls = kOpClass[t[i]];
    if (cls == kClassSemicolon || cls == kClassComma || cls == kClassColon || cls == kClassClose) {
      tk.next = static_cast<uint16_t>(i + 1);
    } else if (cls == kClassOpen) {  // "(" right after a bracket
      tk.err = E_SINTAXERROR;
      tk.next = n;
    } else {
      uint16_t w = (i + 1 < n && kOpClass[t[i + 1]] >= kClassFirstPair) ? 2 : 1;
      tk.op = LookupOperator(t.data() + i, w);
      if (tk.op == OP_NONE) tk.err = E_SINTAXERROR;  // such as "=>" or "><"
      tk.prec = Precedence(tk.op);
      tk.next = static_cast<uint16_t>(i + w);
    }
  }
  StrRef name = tk.Operand();
  if (bracketed) {
    if (name.size() == 0) {
      tk.kind = OPK_SUBEXPR;
    } else if (!ValidCallName(name)) {
      tk.err = E_SINTAXERROR;
    } else {
      tk.func = IsFunction(name);
      tk.kind = NameKind(name) | (tk.func ? OPK_FUNCTION : OPK_ARRAY);
    }
  } else {
    tk.kind = PlainKind(name, &tk.err);
    if (tk.kind == OPK_FIELD && !tk.err && Current<LangState>::Exists()) {
      if (auto type = Lang().expr.hooks.field_type) {
        uint8_t letter = type(name);
        if (letter && std::memchr("ABCDF", letter, 5)) tk.kind = OPK_FIELD | OPK_STRING;
      }
    }
  }
  if (tk.err) {
    tk.kind = OPK_NUMBER;
    tk.op = OP_NONE;
    tk.prec = 0;
  }
}

StrRef FindOperand(StrRef text, uint16_t n) {
  if (!text.ok()) return text;
  Token tk;
  tk.text = text;
  for (uint16_t k = 1; n > 0 && tk.next < text.size(); ++k) {
    Scan(tk);
    if (k == n) {
      uint32_t end = uint32_t{tk.start} + tk.len + (tk.HasBracket() ? tk.bracket + 2u : 0u);
      if (end > text.size()) end = text.size();
      return StrRef(text.data() + tk.start, static_cast<uint16_t>(end - tk.start));
    }
    if (tk.err) break;
  }
  return StrRef::Fail(E_NOTFOUND);
}

StrRef FunctionList() {
  StrRef list = Slots().Get(kGroupEnvironment, kEnvFunctionList);
  if (list.size() != 0) return list;
  ScratchFrame f;
  StrRef names = Translate(kBuiltinFunctions, ",", StrRef("\0", 1));
  if (Slots().Set(kGroupEnvironment, kEnvFunctionList, names)) return StrRef();
  return Slots().Get(kGroupEnvironment, kEnvFunctionList);
}

uint16_t IsFunction(StrRef name) {
  if (!name.ok() || name.size() == 0 || name.size() > 64) return 0;
  char upper[64];
  for (uint16_t i = 0; i < name.size(); ++i) {
    uint8_t c = name[i];
    upper[i] = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  }
  StrRef list = FunctionList();
  const char* p = list.data();
  const char* end = p + list.size();
  uint16_t number = 1, folded = 0;
  while (p <= end) {
    const char* e = static_cast<const char*>(std::memchr(p, 0, end - p));
    if (!e) e = end;
    size_t len = e - p;
    if (len == name.size()) {
      if (std::memcmp(p, name.data(), len) == 0) return number;
      if (!folded && std::memcmp(p, upper, len) == 0) folded = number;
    }
    p = e + 1;
    ++number;
  }
  return folded;
}

}  // namespace tol
