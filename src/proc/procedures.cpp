// Procedure loading (classification, labels, entry points, block
// resolution), the runner with its control words, calls and commands, and
// the PrcExec program.
#include "proc/procedures.h"

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/core.h"
#include "core/errors.h"
#include "core/lists.h"
#include "core/text.h"
#include "data/datafile.h"
#include "host/fs.h"
#include "lang/eval.h"
#include "lang/exprfile.h"
#include "lang/names.h"
#include "lang/numbers.h"
#include "lang/scanner.h"
#include "lang/subst.h"
#include "lang/sysvars.h"
#include "lang/tables.h"
#include "lang/variables.h"
#include "shell/env.h"
#include "shell/messages.h"
#include "shell/paths.h"
#include "shell/progdef.h"
#include "shell/startup.h"

namespace tol {

namespace {

inline constexpr uint16_t kModLoader = M_EXEC_COMPILER;
inline constexpr uint16_t kModRunner = M_MALLOC_MEMACUMS;  // module 8 of the list

// The keyword list, NUL-separated, numbered from 1.
inline constexpr char kKeywordText[] =
    "GOTO\0GOSUB\0CALL\0RETURN\0ENDIF\0LOOP\0LOOP_WHILE\0LOOP_UNTIL\0ELSE\0IF\0IF_TRUE\0"
    "DO_WHILE\0IF_FALSE\0DO_UNTIL\0DO\0DEF_FN\0LOCALVARS\0END\0"
    "ACCEPT\0BOUNDS\0COLOR\0CONNECT\0DEVICE\0DLOCATE\0DPRINT\0ENDDEVICE\0EXPORT\0FILESELECT\0"
    "IMPORT\0KILL\0LOADSTRUCT\0LOCATE\0MESSAGE\0PRINT\0SHELL\0READ\0REMOTE\0REPORT\0DOCPRINT\0"
    "WAIT\0WINMENU\0WINOPEN\0WINCLOSE\0WINSELECT\0WINPROG\0RC_DELETE\0RC_INSERT\0RC_UPDATE\0"
    "RC_WRITE\0FILESTRUCT\0FILESCAN\0STATSTEPS\0SYSTEM";
const StrRef kKeywords(kKeywordText, sizeof kKeywordText - 1);

inline constexpr uint8_t kArgNumber = 0, kArgText = 1, kArgAbsent = 2;
inline constexpr char kAbsentArg = 27;  // ESC: an empty argument

struct ProcItem {
  uint16_t code;
  uint16_t target;
};

// The record of value table 10.  Its arrays live in one memory block; the
// argument text of item n runs from arg_at[n] to one before arg_at[n + 1]
// (the texts are NUL-separated).  A run's return stack is the run's own,
// so that an entry calling into its own procedure leaves its caller's
// positions alone.
struct ProcRecord {
  void* block;
  ProcItem* items;
  uint16_t* arg_at;
  uint16_t* entry_pos;
  const char* args;
  const char* entries;  // comma-separated DEF_FN names
  uint16_t args_len;
  uint16_t entries_len;
  uint16_t count;
  uint16_t start;
  uint16_t entry_count;
  uint16_t error;
};

ProcRecord* Record(uint16_t index) {
  return static_cast<ProcRecord*>(TableGet(kTableProcedures, index));
}

StrRef ArgText(const ProcRecord* r, uint16_t n) {
  return StrRef(r->args + r->arg_at[n], static_cast<uint16_t>(r->arg_at[n + 1] - r->arg_at[n] - 1));
}

StrRef Keyword(uint16_t code) {
  return code ? ListItem(kKeywords, 0, code) : StrRef();
}

bool IsCommand(uint16_t code) {
  return code >= PC_FIRST_COMMAND && code <= PC_LAST_COMMAND;
}

// ---- Loading ---------------------------------------------------------------

struct Named {
  std::string name;
  uint16_t item;
};

struct Loader {
  std::vector<ProcItem> items;
  std::string args;  // NUL-separated
  std::vector<uint16_t> arg_at;
  std::vector<Named> labels, entries;
};

ErrCode LoadFailure(ErrCode code, const std::string& text) {
  SetDetail(0, StrRef::Of(text));
  return Fail(kModLoader, code);
}

std::string LineText(uint32_t line) {
  return std::to_string(line) + " (+ remmarks)";
}

ErrCode Classify(std::string_view text, Loader& ld) {
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find_first_of("\r\n", at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view raw = text.substr(at, end - at);
    at = end + (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n' ? 2 : 1);
    size_t b = raw.find_first_not_of(" \t"), e = raw.find_last_not_of(" \t");
    if (b == std::string_view::npos) continue;
    std::string_view line = raw.substr(b, e - b + 1);
    if (line[0] == ';' || line[0] == '#' || line[0] == '/') continue;
    size_t blank = line.find_first_of(" \t");
    std::string_view word = line.substr(0, blank);
    std::string_view rest;
    if (blank != std::string_view::npos) {
      rest = line.substr(blank);
      size_t rb = rest.find_first_not_of(" \t");
      rest = rb == std::string_view::npos ? std::string_view() : rest.substr(rb);
    }
    uint32_t next_line = static_cast<uint32_t>(ld.items.size()) + 1;
    uint16_t next = static_cast<uint16_t>(ld.items.size());
    if (word[0] == ':') {
      if (ld.labels.size() >= kMaxLabels)
        return LoadFailure(E_OUTOFMEMORY,
                           "\r\nMore than 128 labels before line " + LineText(next_line));
      ld.labels.push_back({std::string(word.substr(1)), next});
      continue;
    }
    ScratchFrame f;
    uint16_t code = word.size() <= 0xFFFF ? ListIndex(kKeywords, Upper(StrRef::Of(word)), 0) : 0;
    if (code == PC_DEF_FN) {
      if (ld.entries.size() >= kMaxEntries)
        return LoadFailure(E_OUTOFMEMORY,
                           "\r\nMore than 128 entry points before line " + LineText(next_line));
      ld.entries.push_back({std::string(rest), next});
      continue;
    }
    if (ld.items.size() >= 0xFFFE)
      return LoadFailure(E_OUTOFMEMORY,
                         "\r\nMore than 65534 statements in line " + LineText(next_line));
    std::string_view arg = code ? rest : line;
    if (ld.args.size() + arg.size() + 1 > 0xFFFF)
      return LoadFailure(E_OUTOFMEMORY, "\r\nProcedure text longer than 65535 bytes in line " +
                                            LineText(next_line));
    ld.items.push_back({code, 0});
    ld.arg_at.push_back(static_cast<uint16_t>(ld.args.size()));
    ld.args.append(arg);
    ld.args.push_back('\0');
  }
  ld.arg_at.push_back(static_cast<uint16_t>(ld.args.size()));
  return E_OK;
}

ErrCode Resolve(Loader& ld) {
  uint16_t open[kMaxBlocks];
  uint16_t depth = 0;
  for (uint16_t i = 0; i < ld.items.size(); ++i) {
    ProcItem& it = ld.items[i];
    uint32_t line = i + 1u;
    if (it.code == PC_GOTO || it.code == PC_GOSUB) {
      std::string_view label(ld.args.data() + ld.arg_at[i], ld.arg_at[i + 1] - ld.arg_at[i] - 1);
      const Named* found = nullptr;
      for (const Named& l : ld.labels)
        if (l.name == label) {
          found = &l;
          break;
        }
      if (!found)
        return LoadFailure(E_SINTAXERROR, "\r\nLabel '" + std::string(label) + "' in line " +
                                              LineText(line) + " not found");
      it.target = found->item;
    }
    if (it.code >= PC_ENDIF && it.code <= PC_ELSE) {
      if (depth == 0)
        return LoadFailure(E_SINTAXERROR,
                           "\r\nFinal of Conditional or loop without \r\nBegin (Loop, Endif...) "
                           "in line " +
                               LineText(line));
      uint16_t opener = open[--depth];
      ld.items[opener].target = static_cast<uint16_t>(i + 1);
      it.target = opener;
    }
    if (it.code >= PC_ELSE && it.code <= PC_DO) {
      if (depth >= kMaxBlocks)
        return LoadFailure(E_OUTOFMEMORY,
                           "\r\nBlocks nested deeper than 16 in line " + LineText(line));
      open[depth++] = i;
    }
  }
  // A block left open would send a false condition to the first line.
  if (depth)
    return LoadFailure(E_SINTAXERROR, "\r\nConditional or loop begun in line " +
                                          LineText(open[depth - 1] + 1u) +
                                          " without its end (Endif, Loop...)");
  return E_OK;
}

ErrCode Store(const Loader& ld, uint16_t* index) {
  size_t n = ld.items.size(), ne = ld.entries.size();
  std::string names;
  for (size_t k = 0; k < ne; ++k) {
    if (k) names += ',';
    names += ld.entries[k].name;
  }
  if (names.size() > 0xFFFF) return LoadFailure(E_OUTOFMEMORY, "\r\nEntry names too long");
  size_t bytes = n * sizeof(ProcItem) + (n + 1) * 2 + ne * 2 + ld.args.size() + names.size() + 1;
  char* block =
      static_cast<char*>(Core().mem.Allocate(kModLoader, static_cast<uint32_t>(bytes), 0));
  if (!block) return LoadFailure(E_OUTOFMEMORY, "\r\nNo memory for the procedure");
  ProcRecord rec{};
  rec.block = block;
  char* p = block;
  rec.items = reinterpret_cast<ProcItem*>(p);
  if (n) std::memcpy(p, ld.items.data(), n * sizeof(ProcItem));
  p += n * sizeof(ProcItem);
  rec.arg_at = reinterpret_cast<uint16_t*>(p);
  std::memcpy(p, ld.arg_at.data(), (n + 1) * 2);
  p += (n + 1) * 2;
  rec.entry_pos = reinterpret_cast<uint16_t*>(p);
  for (size_t k = 0; k < ne; ++k) rec.entry_pos[k] = ld.entries[k].item;
  p += ne * 2;
  rec.args = p;
  if (!ld.args.empty()) std::memcpy(p, ld.args.data(), ld.args.size());
  p += ld.args.size();
  rec.entries = p;
  if (!names.empty()) std::memcpy(p, names.data(), names.size());
  rec.args_len = static_cast<uint16_t>(ld.args.size());
  rec.entries_len = static_cast<uint16_t>(names.size());
  rec.count = static_cast<uint16_t>(n);
  rec.entry_count = static_cast<uint16_t>(ne);
  uint16_t at = TableCount(kTableProcedures);
  if (!TablePut(kTableProcedures, at, &rec, sizeof rec)) {
    (void)Core().mem.Free(kModLoader, block);
    return LoadFailure(E_OUTOFMEMORY, "\r\nNo room in the procedure table");
  }
  *index = at;
  return E_OK;
}

// ---- Running ---------------------------------------------------------------

struct Run {
  uint16_t index = 0;  // record in table 10
  uint16_t pc = 0;
  uint16_t mode = 0;
  uint16_t arg_base = 0;  // group 35 entries below this are the caller's
  uint16_t depth = 0;
  uint16_t rstack[kReturnStack] = {};
  // The failure was found by the runner itself (its line report replaces
  // the detail) rather than by a statement that has already said what
  // went wrong (the line report is added after it).
  bool own_error = false;
};

ErrCode RunFrom(StrRef entry, StrRef file, uint16_t mode, uint16_t arg_base);

void Trace(uint32_t line, uint16_t code, StrRef arg) {
  if (!SysTest(_TRACE, 8)) return;
  ScratchFrame f;
  std::string text = std::to_string(line) + "\t" + Keyword(code).str() + " " + arg.str() + "\r\n";
  (void)host::AppendAll("PrcLog.txt", text);
}

void LineReport(uint32_t line, uint16_t code, StrRef arg, bool replace) {
  ScratchFrame f;
  std::string text = "Line: " + LineText(line) + ":\r\n" + Keyword(code).str() + " " + arg.str();
  SetDetail(0, StrRef::Of(std::string_view(text).substr(0, 0xFFFF)), !replace);
}

// The CALL arguments: statements separated as in a function's brackets,
// each value pushed on group 35 with its kind noted.
ErrCode PushArguments(StrRef args) {
  if (args.size() == 0) return E_OK;
  ScratchFrame f;
  StrRef prepared = Prepare(args);
  if (!prepared.ok()) return prepared.err();
  uint16_t pos = 0, n = 0;
  while (pos < prepared.size()) {
    ScratchFrame one;
    if (n == kMaxCommandArgs) {
      SetDetail(0, args);
      return Fail(M_EXPEXEC, E_SINTAXERROR);
    }
    ErrCode c = EvaluateStatement(prepared, &pos);
    if (c >= E_CANCEL && c != E_NULLEXPR) {
      SetDetail(0, args);
      return Fail(M_EXPEXEC, c);
    }
    uint8_t kind = c == E_NULLEXPR ? kArgAbsent : c == kValueText ? kArgText : kArgNumber;
    StrRef value = kind == kArgAbsent ? StrRef(&kAbsentArg, 1) : Scratch().Top();
    uint16_t slot = Slots().Count(kGroupArgs);
    if (slot >= sizeof Proc().arg_kinds) return Fail(kModRunner, E_STROUTBOUND);
    if (ErrCode e = Slots().Push(kGroupArgs, value)) return Fail(kModRunner, e);
    Proc().arg_kinds[slot] = kind;
    ++n;
  }
  return E_OK;
}

ErrCode Call(StrRef text) {
  ScratchFrame f;
  uint16_t blank = FindByte(text, ' ', 0, false);
  StrRef spec = blank == kNpos ? text : Slice(text, 0, blank);
  StrRef args = blank == kNpos ? StrRef() : Trim(Slice(text, blank + 1));
  StrRef entry = Trim(ListItem(spec, ',', 1));
  StrRef file = Trim(ListItem(spec, ',', 2));
  StrRef flag = Trim(ListItem(spec, ',', 3));
  uint16_t mode = flag.size() == 0 || EvaluateInteger(flag) != 0 ? RUN_RESTORE : 0;
  uint16_t base = Slots().Count(kGroupArgs);
  ErrCode e = PushArguments(args);
  if (e == E_OK) e = RunFrom(entry, file, mode, base);
  bool left = Slots().Count(kGroupArgs) > base;
  (void)Slots().Truncate(kGroupArgs, base);
  if (e) return e;
  if (left) {
    SetDetail(0, "LOCALVARS");
    return Fail(kModRunner, E_SINTAXERROR);
  }
  return E_OK;
}

ErrCode LocalVars(Run& r, StrRef names) {
  uint16_t n = ListCount(names, ',');
  for (uint16_t k = n; k >= 1; --k) {
    ScratchFrame f;
    StrRef name = Trim(ListItem(names, ',', k));
    uint8_t kind = VarKind(name);
    if (kind != KIND_INTEGER && kind != KIND_STRING && kind != KIND_NUMBER) {
      SetDetail(0, name);
      return Fail(kModRunner, E_TYPES);
    }
    uint16_t top = Slots().Count(kGroupArgs);
    if (top <= r.arg_base) break;
    uint8_t vk = top - 1u < sizeof Proc().arg_kinds ? Proc().arg_kinds[top - 1] : kArgText;
    StrRef v = Slots().Take(kGroupArgs);
    if (!v.ok()) return Fail(kModRunner, v.err());
    if (vk == kArgAbsent) {
      vk = kind == KIND_STRING ? kArgText : kArgNumber;
      v = StrRef();
    }
    ErrCode e = vk == kArgNumber ? VarAssignNumber(name, v.size() == 8 ? ItemNumber(v) : 0)
                                 : VarAssignText(name, v);
    if (e >= E_TYPES) {
      SetDetail(0, name);
      return e;
    }
  }
  return E_OK;
}

ErrCode Command(uint16_t code, StrRef text) {
  CommandHandler* handler = nullptr;
  for (CommandHandler* h : Proc().commands)
    if (h) {
      handler = h;
      break;
    }
  if (!handler) return Fail(kModRunner, E_FEATUREREMOVED);
  ScratchFrame f;
  uint8_t kinds[kMaxCommandArgs] = {};
  int32_t ints[kMaxCommandArgs] = {};
  StrRef texts[kMaxCommandArgs];
  uint16_t n = text.size() ? ListCount(text, ',') : 0;
  if (n > kMaxCommandArgs) {
    SetDetail(0, text);
    return Fail(kModRunner, E_SINTAXERROR);
  }
  for (uint16_t k = 0; k < n; ++k) {
    ErrCode c = Evaluate(ListItem(text, ',', k + 1));
    if (c >= E_CANCEL) return c;
    kinds[k] = static_cast<uint8_t>(c);
    if (c == kValueNumber) {
      int64_t v = ItemNumber(Scratch().Top());
      ints[k] = static_cast<int32_t>(NumberToInteger(v));
      texts[k] = NumberText(v, Places());
    } else {
      texts[k] = Scratch().Top();
    }
  }
  return handler(code, n, kinds, ints, texts);
}

// One statement.  *next is where the run goes on; *value tells whether the
// statement left a value on top of the scratch stack (expression lines).
ErrCode Step(Run& r, ProcItem it, StrRef raw, uint16_t* next, bool* value) {
  if (IsCommand(it.code)) {
    // Without a handler the line is neither substituted nor evaluated.
    bool none = true;
    for (CommandHandler* h : Proc().commands) none = none && !h;
    if (none) {
      r.own_error = true;
      return Fail(kModRunner, E_FEATUREREMOVED);
    }
  }
  StrRef text = raw.size() ? BracketSubstitute(raw, SUBST_QUOTES) : StrRef();
  if (!text.ok()) return text.err();
  auto cond = [&](bool jump_when) -> ErrCode {
    ErrCode c = EvaluateCondition(text);
    if (c >= E_CANCEL) return c;
    if ((c == 1) == jump_when) *next = it.target;
    return E_OK;
  };
  switch (it.code) {
    case PC_EXPR: {
      ErrCode c = Evaluate(text);
      if (c >= E_TYPES || c == E_CANCEL) return c;
      *value = c == kValueNumber || c == kValueText;
      if (c == kValueNumber) {
        StrRef t = NumberText(ItemNumber(Scratch().Top()), Places());
        if (!t.ok()) return t.err();
      }
      return E_OK;
    }
    case PC_GOTO:
      *next = it.target;
      return E_OK;
    case PC_GOSUB:
      if (r.depth >= kReturnStack) {
        r.own_error = true;
        return Fail(kModRunner, E_PRCSTCKERROR);
      }
      r.rstack[r.depth++] = *next;
      *next = it.target;
      return E_OK;
    case PC_CALL:
      return Call(text);
    case PC_RETURN:
      *next = r.depth ? r.rstack[--r.depth] : 0xFFFF;
      return E_OK;
    case PC_ENDIF:
    case PC_DO:
      return E_OK;
    case PC_LOOP:
      *next = it.target;
      return E_OK;
    case PC_LOOP_WHILE:
      return cond(true);
    case PC_LOOP_UNTIL:
      return cond(false);
    case PC_ELSE:
      *next = it.target;
      return E_OK;
    case PC_IF:
    case PC_IF_TRUE:
    case PC_DO_WHILE:
      return cond(false);
    case PC_IF_FALSE:
    case PC_DO_UNTIL:
      return cond(true);
    case PC_LOCALVARS:
      return LocalVars(r, text);
    case PC_END:
      *next = 0xFFFE;
      return E_OK;
    default:
      return Command(it.code, text);
  }
}

// Walks the items from r.pc.  In function mode the value that the last
// statement before END left goes on group 30; the scratch item just above
// the entry mark holds it meanwhile (empty after any other statement).
ErrCode RunItems(Run& r) {
  ScratchFrame frame;
  ScratchMark keep = frame.mark();
  if (Scratch().PushCopy(StrRef())) return Fail(kModRunner, E_OUTOFMEMORY);
  ScratchMark above = Scratch().Mark();
  uint32_t steps = 0;
  bool returned = false;
  for (;;) {
    const ProcRecord* rec = Record(r.index);
    if (!rec) return Fail(kModRunner, E_INTERNAL);
    if (r.pc >= rec->count) {
      Trace(rec->count + 1u, PC_END, StrRef());
      break;
    }
    ProcItem it = rec->items[r.pc];
    StrRef raw = ArgText(rec, r.pc);
    uint32_t line = r.pc + 1u;
    Trace(line, it.code, raw);
    if (steps++ % kPollEvery == 0 && Proc().hooks.message_poll && Proc().hooks.message_poll())
      return E_CANCEL;
    uint16_t next = static_cast<uint16_t>(r.pc + 1);
    bool value = false;
    r.own_error = false;
    ErrCode e = Step(r, it, raw, &next, &value);
    if (e >= E_TYPES) {
      LineReport(line, it.code, raw, r.own_error);
      return e;
    }
    if (e == E_CANCEL) return e;
    if (it.code == PC_END) {
      Scratch().Release(above);
      break;
    }
    if (value) {
      if (!Scratch().CopyOut(keep, Scratch().Top()).ok()) return Fail(kModRunner, E_OUTOFMEMORY);
    } else {
      Scratch().Release(keep);
      if (Scratch().PushCopy(StrRef())) return Fail(kModRunner, E_OUTOFMEMORY);
    }
    if (it.code == PC_RETURN && next == 0xFFFF) {
      returned = true;
      break;
    }
    r.pc = next;
  }
  if (r.mode & RUN_FUNCTION) {
    // A RETURN that ends the run leaves the empty text, so that the caller
    // never takes someone else's entry of group 30 for its result.
    StrRef result = returned ? StrRef() : Scratch().Item(static_cast<ScratchMark>(keep + 1));
    if (ErrCode e = Slots().Push(kGroupFunctionResult, result)) return Fail(kModRunner, e);
  }
  return E_OK;
}

// The procedure to run: with an entry, the most recently loaded one that
// has it; without, the most recently loaded one.
bool Choose(StrRef entry, uint16_t* index, uint16_t* start) {
  uint16_t n = TableCount(kTableProcedures);
  for (uint16_t i = n; i-- > 0;) {
    const ProcRecord* rec = Record(i);
    if (entry.size() == 0) {
      *index = i;
      *start = 0;
      return true;
    }
    uint16_t k = ListIndex(StrRef(rec->entries, rec->entries_len), entry, ',');
    if (k && k <= rec->entry_count) {
      *index = i;
      *start = rec->entry_pos[k - 1];
      return true;
    }
  }
  return false;
}

struct DepthGuard {
  DepthGuard() { ++Proc().run_depth; }
  ~DepthGuard() { --Proc().run_depth; }
};

ErrCode RunFrom(StrRef entry, StrRef file, uint16_t mode, uint16_t arg_base) {
  if (Proc().run_depth >= kMaxRunDepth) {
    SetDetail(0, FirstNonEmpty(entry, file));
    return Fail(kModRunner, E_PRCSTCKERROR);
  }
  DepthGuard guard;
  ScratchFrame f;
  VarStoreMark vars = VarStoreSize();
  uint16_t loaded = kNpos;
  if (file.size())
    if (ErrCode e = LoadProcedure(file, &loaded)) return e;
  Run r;
  r.mode = mode;
  r.arg_base = arg_base;
  ErrCode code = E_OK;
  if (!Choose(entry, &r.index, &r.pc)) {
    SetDetail(0, entry);
    code = Fail(kModRunner, E_SINTAXERROR);
  } else {
    Record(r.index)->start = r.pc;
    bool from_first = entry.size() == 0;
    ProcHooks& h = Proc().hooks;
    uint16_t sets = Slots().Count(kGroupFileSets);
    uint32_t files = from_first && h.record_files_mark ? h.record_files_mark() : 0;
    uint32_t windows = from_first && h.windows_mark ? h.windows_mark() : 0;
    code = RunItems(r);
    if (ProcRecord* rec = Record(r.index)) rec->error = code;
    if (from_first && code <= E_TYPES) {
      if (h.record_files_restore) h.record_files_restore(files);
      (void)Slots().Truncate(kGroupFileSets, sets);
      if (h.windows_restore) h.windows_restore(windows);
    }
  }
  Report(1, kModRunner, code, code);
  if (loaded != kNpos) UnloadProcedure(loaded);
  if (mode & RUN_RESTORE) {
    ErrCode e = VarStoreCutBack(vars);
    if (code == E_OK) code = e;
  }
  return code;
}

constexpr size_t kMaxTitle = 200;

// A pattern file's title in the selection: its first line without the
// ";" when it is a remark, else its name; quoted so that commas stay in.
StrRef PatternTitle(const std::string& name) {
  std::string text;
  StrRef path = JoinPath(EnvValue(ENV_DOCPATH), StrRef::Of(name));
  StrRef title = StrRef::Of(name);
  if (path.ok() && host::ReadAll(path.view(), &text) && !text.empty() && text[0] == ';') {
    size_t end = text.find_first_of("\r\n");
    std::string_view line(text.data() + 1, (end == std::string::npos ? text.size() : end) - 1);
    if (line.size() > kMaxTitle) line = line.substr(0, kMaxTitle);
    title = Trim(Copy(StrRef::Of(line)));
  }
  StrRef quoted = Quote(title, '\'');
  return quoted.ok() ? quoted : Quote(StrRef::Of(name), '\'');
}

// "*" in the parameter: a pattern of the definitions folder.  The matching
// files are offered in the selection window until the user cancels; each
// chosen one runs as a PrcExec parameter, and a failure ends the loop.
ErrCode PatternForm(StrRef parameter) {
  ScratchFrame f;
  std::vector<std::string> names =
      host::DirList(EnvValue(ENV_DOCPATH).view(), Trim(parameter).view());
  if (names.empty()) {
    SetDetail(0, MessageText(31));
    return Fail(kModRunner, E_FILENOTFOUND);
  }
  auto select = Proc().hooks.select_from_list;
  if (!select) return NotAvailable("PrcExec file selection window");
  StrRef list;
  for (const std::string& name : names) {
    StrRef title = PatternTitle(name);
    list = list.size() ? Join(list, ",", title) : title;
    if (!list.ok()) return Fail(kModRunner, list.err());
  }
  for (;;) {
    ScratchFrame one;
    uint16_t choice = select(MessageText(88), list);
    if (choice == 0 || choice > names.size()) return E_OK;
    StrRef chosen = StrRef::Of(names[choice - 1]);
    if (FindByte(chosen, '*') != kNpos) return E_OK;  // never a pattern again
    if (ErrCode e = RunPrcExec(chosen)) return e;
  }
}

ErrCode PrcExecProgram(StrRef parameter) {
  return RunPrcExec(parameter);
}

}  // namespace

ErrCode LoadProcedure(StrRef name, uint16_t* index) {
  ScratchFrame f;
  if (!name.ok()) return name.err();
  StrRef path = DefinitionPath(name);
  if (!path.ok() || !host::Exists(path.view()) || host::IsDir(path.view())) {
    SetDetail(0, name);
    return Fail(kModLoader, E_FILENOTFOUND);
  }
  std::string text;
  if (!host::ReadAll(path.view(), &text)) {
    SetDetail(0, name);
    return Fail(kModLoader, E_READ);
  }
  if (!text.empty() && text.back() == '\x1A') text.pop_back();
  Loader ld;
  ErrCode e = Classify(text, ld);
  if (e == E_OK) e = Resolve(ld);
  if (e == E_OK) e = Store(ld, index);
  CallbackSetFn(kSlotProcRunner, &RunProcedure);
  return e;
}

void UnloadProcedure(uint16_t index) {
  ProcRecord* rec = Record(index);
  if (!rec) return;
  (void)Core().mem.Free(kModLoader, rec->block);
  (void)TableRemove(kTableProcedures, index);
}

uint16_t LoadedProcedures() {
  return TableCount(kTableProcedures);
}

ErrCode RunProcedure(StrRef entry, StrRef file, uint16_t mode) {
  return RunFrom(entry, file, mode, Slots().Count(kGroupArgs));
}

ErrCode RunPrcExec(StrRef parameter, ErrCode (*prepare)()) {
  if (!parameter.ok()) return parameter.err();
  if (FindByte(parameter, '*') != kNpos) return PatternForm(parameter);
  ScratchFrame f;
  StrRef files = Trim(ListItem(parameter, ',', 1));
  StrRef entry = Trim(ListItem(parameter, ',', 2));
  uint16_t n = ListCount(parameter, ',');
  for (uint16_t k = 3; k <= n; ++k) {
    ScratchFrame one;
    StrRef file = Trim(ListItem(parameter, ',', k));
    if (file.size() == 0) continue;
    if (ErrCode e = RunExpressionFile(file, true)) return e;
  }
  if (prepare)
    if (ErrCode e = prepare()) return e;
  uint16_t before = LoadedProcedures();
  ErrCode e = E_OK;
  for (uint16_t k = ListCount(files, ';'); k >= 2 && e == E_OK; --k) {
    ScratchFrame one;
    StrRef lib = Trim(ListItem(files, ';', k));
    uint16_t index;
    if (lib.size()) e = LoadProcedure(lib, &index);
  }
  if (e == E_OK) e = RunProcedure(entry, Trim(ListItem(files, ';', 1)), RUN_RESTORE);
  while (LoadedProcedures() > before)
    UnloadProcedure(static_cast<uint16_t>(LoadedProcedures() - 1));
  if (Proc().hooks.message_poll) (void)Proc().hooks.message_poll();
  return e;
}

void ProcInstall() {
  Shell().prcexec = PrcExecProgram;
  Proc().hooks.record_files_mark = OpenFilesMark;
  Proc().hooks.record_files_restore = OpenFilesRestore;
}

}  // namespace tol
