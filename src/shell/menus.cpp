// MenuTree files in list and structured form.
#include "shell/menus.h"

#include "core/core.h"
#include "core/lists.h"
#include "core/text.h"
#include "lang/sysvars.h"
#include "shell/env.h"
#include "shell/paths.h"
#include "shell/progdef.h"

namespace tol {

namespace {

// Submenus open while a list-form file is read, innermost last.
struct OpenMenu {
  std::string title;
  MenuEntry node;
};

void CloseInnermost(std::vector<OpenMenu>& open, MenuTree* menu) {
  OpenMenu done = std::move(open.back());
  open.pop_back();
  done.node.caption = done.title;
  (open.empty() ? menu->items : open.back().node.children).push_back(std::move(done.node));
}

std::vector<MenuEntry>& CurrentItems(std::vector<OpenMenu>& open, MenuTree* menu) {
  return open.empty() ? menu->items : open.back().node.children;
}

// MenuTree modules nest through CALLER$ and LOAD$; a file that loads itself
// must not recurse for ever.
constexpr int kMaxModuleDepth = 16;

struct ModuleReader {
  std::vector<std::string>* lines;
  int depth = 0;

  // A value of the current definition by its key (for the old key names).
  std::string Key(StrRef key) {
    ScratchFrame f;
    return ParmValue(CurrentDefinition(), key, PARM_UNQUOTED).str();
  }

  void Line(int level, StrRef text) { lines->push_back(std::string(level, '\t') + text.str()); }

  ErrCode Open(StrRef file, int32_t section, StrRef caption, StrRef command, int level, StrRef base,
               int32_t start) {
    if (++depth > kMaxModuleDepth) {
      SetDetail(0, file, true);
      return Fail(M_NONE, E_LOOP);
    }
    ErrCode e = Module(file, section, caption, command, level, base, start);
    --depth;
    return e;
  }

  ErrCode Module(StrRef file, int32_t section, StrRef caption, StrRef command, int level,
                 StrRef base, int32_t start) {
    ScratchFrame f;
    if (LoadSection(file, DEF_PROGRAM, section) != E_OK) {
      SetDetail(0, file, true);
      return Fail(M_NONE, E_FILENOTFOUND);
    }
    StrRef menu = Copy(Parameter(2));
    StrRef caller = Copy(Parameter(3));
    StrRef load = Copy(Parameter(5));
    StrRef exec = Copy(Parameter(6));
    if (SysTest(_COMPAT, 16)) {
      if (menu.size() == 0) menu = Copy(Parameter(4));
      if (menu.size() == 0) {
        std::string old = Key("MODULO$") + "," + Key("OPTIONS$");
        if (old != ",") menu = Copy(StrRef::Of(old));
      }
      if (caller.size() == 0) caller = Copy(StrRef::Of(Key("MODULOS$")));
    }
    StrRef own = FirstNonEmpty(caption, ListItem(menu, ',', 1));
    ErrCode e = E_OK;
    if (menu.size() || caller.size()) {
      Line(level, FindByte(own, ',', 0, false) != kNpos ? Quote(own, '\'') : own);
      if (caller.size()) {
        uint16_t n = ListCount(caller, ',');
        for (uint16_t k = 1; k <= n && e == E_OK; ++k) {
          int32_t sub = ListItemInt(caller, ',', k);
          if (sub == 0) continue;
          e = Open(file, sub, ListItem(menu, ',', k + 1), StrRef(), level + 1, StrRef(), 0);
        }
      } else {
        e = Entries(menu, exec, load, level + 1, base, start);
      }
    } else {
      StrRef cmd = FirstNonEmpty(command, CleanValue(ListItem(exec, ',', 1)));
      Line(level, Concat(Concat(own, ","), cmd));
    }
    ErrCode d = DropDefinition();
    return e ? e : d;
  }

  ErrCode Entries(StrRef menu, StrRef exec, StrRef load, int level, StrRef base, int32_t start) {
    uint16_t items = ListCount(menu, ',');
    uint16_t count = base.size() ? items : (items ? items - 1 : 0);
    for (uint16_t i = 1; i <= count; ++i) {
      ScratchFrame f;
      StrRef caption = ListItem(menu, ',', base.size() ? i : i + 1);
      StrRef cmd = CleanValue(ListItem(exec, ',', i));
      if (cmd.size() == 0) {
        StrRef number = IntToText(start + i);
        cmd = base.size() ? Concat(Concat(base, ","), number) : number;
      }
      StrRef target = Trim(ListItem(load, ',', 2 * i - 1));
      int32_t target_section = ListItemInt(load, ',', 2 * i);
      if (target.size() && target_section) {
        // The entry's command a,b,n gives the module its base "a b" and start n.
        StrRef sub_base = Join(ListItem(cmd, ',', 1), " ", ListItem(cmd, ',', 2));
        int32_t sub_start = ListItemInt(cmd, ',', 3);
        ErrCode e = Open(target, target_section, caption, cmd, level, sub_base, sub_start);
        if (e) return e;
        continue;
      }
      Line(level, Concat(Concat(caption, ","), cmd));
    }
    return E_OK;
  }
};

}  // namespace

ErrCode BuildMenuFromLines(const std::vector<std::string>& lines, MenuTree* menu) {
  *menu = MenuTree{};
  std::vector<OpenMenu> open;
  size_t previous_level = 0;
  for (const std::string& raw : lines) {
    if (Scratch().Room(12)) return Fail(M_NONE, E_OUTOFMEMORY);
    ScratchFrame f;
    size_t level = 0;
    while (level < raw.size() && raw[level] == '\t') ++level;
    StrRef entry = StrRef::Of(std::string_view(raw).substr(level, 0xFFFF));
    for (size_t k = level; k < previous_level && !open.empty(); ++k) CloseInnermost(open, menu);
    previous_level = level;
    uint16_t comma = FindByte(entry, ',', 0, false);
    if (comma == kNpos) {
      open.push_back(OpenMenu{Unquote(Trim(entry)).str(), MenuEntry{}});
      continue;
    }
    MenuEntry item;
    item.caption = Unquote(Trim(Slice(entry, 0, comma))).str();
    uint16_t n = menu->entries++;
    if (n < kMenuCommands) {
      item.id = kMenuFirstId + n;
      if (ErrCode e = Slots().Set(kGroupMenuCommands, n, Slice(entry, comma + 1))) return e;
    } else {
      item.enabled = false;  // beyond the identifiers a menu can dispatch
    }
    CurrentItems(open, menu).push_back(std::move(item));
  }
  while (!open.empty()) CloseInnermost(open, menu);
  return E_OK;
}

ErrCode StructuredMenuLines(StrRef file, std::vector<std::string>* lines) {
  ScratchFrame f;
  bool compat = SysTest(_COMPAT, 16);
  SysSetBits(_COMPAT, 16, true);
  ModuleReader reader{lines};
  ErrCode e = E_OK;
  if (LoadSection(file, DEF_PROGRAM, 1) != E_OK) {
    SetDetail(0, file, true);
    e = Fail(M_NONE, E_FILENOTFOUND);
  } else {
    StrRef caller = Copy(Parameter(3));
    if (caller.size() == 0) caller = Copy(StrRef::Of(reader.Key("MODULOS$")));
    uint16_t n = ListCount(caller, ',');
    for (uint16_t k = 1; k <= n && e == E_OK; ++k) {
      int32_t sub = ListItemInt(caller, ',', k);
      if (sub) e = reader.Open(file, sub, StrRef(), StrRef(), 0, StrRef(), 0);
    }
    ErrCode d = DropDefinition();
    if (e == E_OK) e = d;
  }
  SysSetBits(_COMPAT, 16, compat);
  return e;
}

ErrCode BuildMenuFile(StrRef file, MenuTree* menu) {
  ScratchFrame f;
  std::vector<std::string> lines;
  if (Equal(Upper(PathParts(file, PATH_EXT)), "PPN")) {
    if (ErrCode e = StructuredMenuLines(file, &lines)) return e;
  } else {
    uint16_t n = ReadTextFile(file, DEF_WHOLE, 0);
    if (n == kNpos) {
      SetDetail(0, file);
      return Fail(M_NONE, E_FILENOTFOUND);
    }
    for (uint16_t i = 0; i < n; ++i) {
      ScratchFrame g;
      lines.push_back(Slots().Take(kGroupLines).str());
    }
  }
  return BuildMenuFromLines(lines, menu);
}

StrRef MenuFileOf(StrRef start_program) {
  ScratchMark m = Scratch().Mark();
  // The first comma item up to its ";" names the definition; what follows
  // the ";" is the start screen's caption.
  StrRef first = ListItem(ListItem(start_program, ',', 1), ';', 1);
  for (uint16_t kind : {FK_PMT, FK_PPN}) {
    StrRef found = FindFile(EnvValue(ENV_DOCPATH), KindFileName(first, kind));
    if (found.size()) return Scratch().CopyOut(m, found);
  }
  return Scratch().CopyOut(m, StrRef());
}

StrRef MenuCommand(uint16_t n) {
  return Slots().Get(kGroupMenuCommands, n);
}

}  // namespace tol
