// Expression files through the host file layer.  The file's text is at
// most one scratch item (65535 bytes); a longer file is refused whole.
#include "lang/exprfile.h"

#include <string>

#include "core/core.h"
#include "core/errors.h"
#include "core/lists.h"
#include "core/text.h"
#include "host/fs.h"
#include "lang/eval.h"
#include "lang/lang.h"
#include "lang/numbers.h"
#include "lang/scanner.h"
#include "lang/variables.h"

namespace tol {

namespace {

inline constexpr uint16_t kEnvDefinitions = 5;

ErrCode FailWith(ErrCode code, StrRef name) {
  SetDetail(0, name);
  return Fail(M_EXPEXEC, code);
}

// The runtime path of an expression file.
std::string FilePath(StrRef name) {
  StrRef expanded = name;
  if (ExprHooks h = Lang().expr.hooks; h.expand_path) {
    StrRef e = h.expand_path(name);
    if (e.ok()) expanded = e;
  }
  std::string path(expanded.view());
  if (path.find_first_of("\\/:") != std::string::npos) return path;
  std::string folder(Slots().Get(kGroupEnvironment, kEnvDefinitions).view());
  if (folder.empty()) return path;
  char last = folder.back();
  if (last != '\\' && last != '/') folder += '\\';
  return folder + path;
}

// The file's text with every line end made ";": one scratch item.  164
// when the file does not exist.
StrRef ReadStatements(const std::string& path) {
  if (!host::Exists(path)) return StrRef::Fail(E_FILENOTFOUND);
  std::string bytes;
  if (!host::ReadAll(path, &bytes)) return StrRef::Fail(E_READ);
  std::string out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) {
    char c = bytes[i];
    if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    out += (c == '\r' || c == '\n') ? ';' : c;
  }
  if (out.size() > 0xFFFF) return StrRef::Fail(E_STRINGTOOLONG);
  return Copy(StrRef::Of(out));
}

// Position of the next "," outside quotes and brackets, or the end.
uint16_t NextEntry(StrRef list, uint16_t from) {
  uint32_t depth = 0, n = list.size();
  for (uint32_t i = from; i < n; ++i) {
    uint8_t c = list[i];
    if (c == '\'' || c == '"') {
      uint16_t q = FindByte(list, c, static_cast<uint16_t>(i + 1));
      if (q == kNpos) return list.size();
      i = q;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (depth) --depth;
    } else if (c == ',' && depth == 0) {
      return static_cast<uint16_t>(i);
    }
  }
  return list.size();
}

StrRef EntryName(StrRef entry) {
  uint16_t eq = FindByte(entry, '=', 0, false);
  return Trim(eq == kNpos ? entry : Slice(entry, 0, eq));
}

// "name=value" for a listed entry, the value written as the file keeps it.
StrRef SavedEntry(StrRef entry) {
  StrRef name = EntryName(entry);
  uint16_t eq = FindByte(entry, '=', 0, false);
  StrRef expr = eq == kNpos ? name : Slice(entry, eq + 1);
  ScratchMark m = Scratch().Mark();
  ErrCode c = Evaluate(expr);
  if (c >= E_CANCEL) return StrRef::Fail(c);
  StrRef v;
  if (c == kValueNumber) {
    v = NumberText(ItemNumber(Scratch().Top()), Places());
    if (v.ok() && v.size() == 0) v = "0";
  } else {
    StrRef t = Scratch().Top();
    // A line end would be read back as a statement separator.
    if (FindAny(t, "\r\n") != kNpos) return StrRef::Fail(FailWith(E_DATA, name));
    v = Quote(t, FindByte(t, '\'') == kNpos ? '\'' : '"');
    if (!v.ok()) return StrRef::Fail(FailWith(E_DATA, name));
  }
  return Scratch().CopyOut(m, Concat(Concat(name, "="), v));
}

StrRef Append(ScratchMark m, StrRef acc, StrRef entry) {
  return Scratch().CopyOut(m, acc.size() ? Concat(Concat(acc, ";"), entry) : Copy(entry));
}

}  // namespace

ErrCode RunExpressionFile(StrRef name, bool report_missing) {
  if (!name.ok()) return name.err();
  ScratchFrame f;
  StrRef text = ReadStatements(FilePath(name));
  if (!text.ok()) {
    if (text.err() == E_FILENOTFOUND && !report_missing) return E_OK;
    return FailWith(text.err(), name);
  }
  return EvaluateCheck(text);
}

ErrCode SaveVariablesToFile(StrRef name, StrRef list) {
  if (!name.ok()) return name.err();
  if (!list.ok()) return list.err();
  ScratchFrame f;
  std::string path = FilePath(name);
  StrRef old = ReadStatements(path);
  if (!old.ok() && old.err() != E_FILENOTFOUND) return FailWith(old.err(), name);
  if (!old.ok()) old = StrRef();
  // The listed names: a copy that outlives the evaluations below.
  ScratchMark m = Scratch().Mark();
  StrRef acc = Copy(StrRef());
  for (uint16_t at = 0; at < list.size() && acc.ok();) {
    uint16_t end = NextEntry(list, at);
    StrRef entry = Slice(list, at, static_cast<uint16_t>(end - at));
    at = static_cast<uint16_t>(end + 1 > list.size() ? list.size() : end + 1);
    if (EntryName(entry).size() == 0) continue;
    StrRef saved = SavedEntry(entry);
    if (!saved.ok()) return saved.err();
    acc = Append(m, acc, saved);
  }
  uint16_t count = ListCount(old, ';');
  for (uint16_t k = 1; k <= count && acc.ok(); ++k) {
    StrRef entry = ListItem(old, ';', k);
    StrRef oname = EntryName(entry);
    if (oname.size() == 0) continue;
    bool listed = false;
    for (uint16_t at = 0; at < list.size() && !listed;) {
      uint16_t end = NextEntry(list, at);
      listed = Equal(EntryName(Slice(list, at, static_cast<uint16_t>(end - at))), oname);
      at = static_cast<uint16_t>(end + 1 > list.size() ? list.size() : end + 1);
    }
    if (!listed) acc = Append(m, acc, entry);
  }
  if (!acc.ok()) return FailWith(acc.err(), name);
  // Written beside the file and renamed over it: never half a file.
  size_t slash = path.find_last_of("\\/");
  std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
  std::string temp = host::TempName(folder, "tvs");
  if (temp.empty() || !host::WriteAll(temp, acc.view())) {
    if (!temp.empty()) host::Remove(temp);
    return FailWith(E_WRITE, name);
  }
  if (!host::Rename(temp, path)) {
    host::Remove(temp);
    return FailWith(E_WRITE, name);
  }
  return RunExpressionFile(name, false);
}

}  // namespace tol
