// Definition files, the definitions stack and the program parameters.
#include "shell/progdef.h"

#include <string>

#include "core/core.h"
#include "core/lists.h"
#include "core/text.h"
#include "host/fs.h"
#include "lang/eval.h"
#include "lang/sysvars.h"
#include "shell/env.h"
#include "shell/paths.h"

namespace tol {

namespace {

struct TagLayout {
  int16_t tag_at, tag_len, content_at, content_cut;
};

TagLayout Layout(uint8_t kind) {
  switch (kind) {
    case DEF_PROGRAM:
      return {0, 2, 3, 0};
    case DEF_SCREEN:
      return {1, 2, 3, 1};
    case DEF_HELP:
      return {0, 4, 5, 0};
    case DEF_RELATION:
      return {0, 2, 2, 0};
    case DEF_TAGGED5:
      return {0, 5, 0, 0};
    default:
      return {-1, 0, 0, 0};
  }
}

// The tag read as an integer once every blank in it is a "0".
int32_t TagValue(StrRef line, const TagLayout& l) {
  ScratchFrame f;
  StrRef tag = Translate(Slice(line, l.tag_at, l.tag_len), " ", "0");
  return ToInteger(tag);
}

struct Base {
  uint16_t base;
  const char* names;
};
const Base kParameterLists[] = {
    {0, "MODULES$,MENU$,CALLER$,SUBMENU$,LOAD$,EXEC$,COUNTER$,MAX_IDS_ATTR%,STATMSG$"},
    {10,
     "SCREENSIZE$,SET$,OPEN$,EDIT$,NOEDIT$,WRITE$,DOC$,DOCSETS$,HELP$,SAVED$,HIDDEN$,RELOPT%,"
     "UNICNDX%,AUTONDX%,KEYMAP%,SCANDEF$,SCANWIN$,SCANSET$,VOIDMODE%"},
    {30,
     "NUMCAB$,WRITECAB0$,WRITECABS$,WRITELINS$,FITCLC$,FTCLC$,READCABS$,READLINS$,LNINS$,LNDEL$,"
     "ALARMLINS$,BOUNDS$,DOCTYPETXT$,MODE$,FASTFIND$,FLDUPDATE$,BEGINFLD%,MAXLIN%"},
    {50,
     "FD$,ALARM$,ASSIGN$,LNASSIGN$,FILEDEF$,PERFORM$,UPDFIELDS$,WIDTHS$,TYPES$,WINDOWS$,CLEAR$,"
     "ON_CONFIRM$,ON_CANCEL$,USR_COND$,IK$(1),IK$(2),IK$(3)"},
    {70,
     "ATEND$,BRKEND$,BREAK$,COND$,MAXLINE%,LINESTEP%,TOTALBASE%,CONTINUE%,EXTRASTEP%,TITLE$,WD"},
    {90, "DEVICE$,DOCNAME$,ACBOUND$,INDEX%,LIMITS$,AUXLOAD$,RESET$,STEPS$,PRCNAME$"},
    {100,
     "ACCEPT_PRC%,WINNAME$,PROG_MODE$,PARM_FILE$,PARM_FILE_WRITE$,SOURCEFILE%,IMP_MODE%,RD_EXP$,"
     "WR_EXP$,EOT_EXP$,RD_COND$,TARGET$,LOAD_IMPORT$,MNU_IMPORT$,AUTO_IMPORT$,STRUCT$"},
};

// Value of key in the current definition: quotes kept for names with "%".
bool LookUp(StrRef key, StrRef* value) {
  StrRef def = CurrentDefinition();
  ParmSpan s = ParmLocate(def, key);
  if (!s.found()) return false;
  StrRef v(def.data() + s.offset, s.length);
  *value = Copy(FindByte(key, '%') != kNpos ? v : Unquote(v));
  return true;
}

}  // namespace

StrRef KindFileName(StrRef name, uint16_t file_kind) {
  ScratchMark m = Scratch().Mark();
  return Scratch().CopyOut(m, Join(name, ".", ListItem(kFileKindExtensions, ',', file_kind)));
}

StrRef DefinitionPath(StrRef file) {
  if (!file.ok()) return file;
  ScratchMark m = Scratch().Mark();
  if (host::Exists(file.view()) || FindAny(file, "\\:") != kNpos) return Copy(file);
  return Scratch().CopyOut(m, JoinPath(EnvValue(ENV_DOCPATH), file));
}

uint16_t ReadTextFile(StrRef file, uint8_t kind, int32_t section) {
  ScratchFrame f;
  std::string text;
  StrRef path = DefinitionPath(file);
  if (!path.ok() || !host::ReadAll(path.view(), &text)) return kNpos;
  if (!text.empty() && text.back() == '\x1A') text.pop_back();
  TagLayout l = Layout(kind);
  uint16_t count = 0;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find_first_of("\r\n", at);
    if (end == std::string::npos) end = text.size();
    std::string_view raw(text.data() + at, std::min<size_t>(end - at, 0xFFFF));
    at = end + (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n' ? 2 : 1);
    StrRef line = StrRef::Of(raw);
    if (l.tag_at >= 0) {
      if (TagValue(line, l) != section) continue;
      line = Slice(line, l.content_at);
      if (l.content_cut && line.size()) line = Slice(line, 0, line.size() - l.content_cut);
    }
    if (Slots().Push(kGroupLines, line)) return kNpos;
    ++count;
  }
  return count;
}

StrRef JoinLines(uint16_t count, StrRef sep) {
  ScratchMark m = Scratch().Mark();
  StrRef acc = Copy(StrRef());
  for (uint16_t i = 0; i < count && acc.ok(); ++i) {
    StrRef line = Slots().Take(kGroupLines);
    acc = Scratch().CopyOut(m, i ? Concat(Concat(acc, sep), line) : Copy(line));
  }
  return acc;
}

ErrCode LoadSection(StrRef file, uint8_t kind, int32_t section) {
  ScratchFrame f;
  uint16_t n = ReadTextFile(file, kind, section);
  if (n == kNpos || n == 0) return E_NOTFOUND;
  StrRef text = JoinLines(n, ":");
  if (!text.ok()) return text.err();
  return Slots().Push(kGroupDefinitions, text);
}

ErrCode LoadSectionOrEmpty(StrRef file, uint8_t kind, int32_t section) {
  ErrCode e = LoadSection(file, kind, section);
  if (e == E_NOTFOUND) return Slots().Push(kGroupDefinitions, StrRef());
  return e;
}

ErrCode DropDefinition() {
  return Slots().Drop(kGroupDefinitions);
}

StrRef CurrentDefinition() {
  return Slots().Top(kGroupDefinitions);
}

StrRef ParameterName(uint16_t n) {
  const Base* list = nullptr;
  for (const Base& b : kParameterLists)
    if (b.base <= n) list = &b;
  if (list == nullptr || n == list->base) return StrRef();
  StrRef name = ListItem(StrRef::FromC(list->names), ',', n - list->base);
  int16_t aux = SysGet(_AUX);
  if (aux == 0 || name.size() == 0) return name;
  ScratchMark m = Scratch().Mark();
  StrRef prefix = ListItem(Slots().Get(9, 8), ',', static_cast<uint16_t>(aux));
  return Scratch().CopyOut(m, Concat(Concat(prefix, "."), name));
}

StrRef Parameter(uint16_t n, int32_t item) {
  ScratchMark m = Scratch().Mark();
  StrRef name = ParameterName(n);
  StrRef value;
  if (name.size() == 0) return Scratch().CopyOut(m, StrRef());
  bool found = LookUp(name, &value);
  if (!found && SysGet(_AUX) != 0) {
    uint16_t dot = FindByte(name, '.');
    if (dot != kNpos) found = LookUp(Slice(name, dot + 1), &value);
  }
  if (!found) {
    if (FindByte(name, '(') != kNpos) return Scratch().CopyOut(m, StrRef());
    value = EvaluateText(ReplaceAll(name, "%", ""));
  }
  if (value.ok() && item != 0 && item != -1)
    value = ListItem(value, ',', static_cast<uint16_t>(item));
  return Scratch().CopyOut(m, value);
}

int32_t ParameterInt(uint16_t n, int32_t item) {
  ScratchFrame f;
  StrRef v = Parameter(n, item);
  return v.ok() && v.size() ? EvaluateInteger(v) : 0;
}

}  // namespace tol
