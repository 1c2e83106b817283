// Folders and path texts of the application.
#include "shell/paths.h"

#include <string>

#include "core/core.h"
#include "core/lists.h"
#include "core/text.h"
#include "host/env.h"
#include "host/fs.h"
#include "shell/env.h"

namespace tol {

namespace {

const StrRef kEnvVars(
    "ALLUSERSPROFILE,APPDATA,CommonProgramFiles,HOMEDRIVE,HOMEPATH,ProgramFiles,SYSTEMDRIVE,"
    "SystemRoot,TEMP,USERPROFILE");
const StrRef kRuntimeNames("COMMANDLINE,APNAME,APDESCRIP,LANGMODULE,DOCPATH,DATAPATH,HELPPATH");
const StrRef kDatabaseNames("DATABASE_HOST,DATABASE_DBNAME,DATABASE_USER,DATABASE_PASSW");
// A value that names itself again must not expand for ever.
constexpr int kMaxExpansions = 64;

StrRef NoTrailingSlash(StrRef t) {
  if (t.ok() && t.size() > 1 && t[t.size() - 1] == '\\') return Slice(t, 0, t.size() - 1);
  return t;
}

StrRef DropLastStep(StrRef path) {
  uint16_t at = FindLast(path, '\\');
  return at == kNpos ? StrRef() : Slice(path, 0, at);
}

StrRef FromStd(const std::string& s) {
  return Copy(StrRef(s.data(), static_cast<uint16_t>(s.size() > 0xFFFF ? 0xFFFF : s.size())));
}

StrRef EnvVar(StrRef name) {
  std::string v = host::GetEnv(name.view());
  return FromStd(v);
}

// Stage one: folder names and environment variables; empty when the name is
// neither (stage two takes over).
bool StageOneValue(StrRef name, StrRef* value) {
  uint16_t kind = ListIndex(kFolderNames, name, ',');
  if (kind) {
    *value = Folder(kind);
    return true;
  }
  if (ListIndex(kEnvVars, name, ',')) {
    *value = EnvVar(name);
    return true;
  }
  StrRef lower = Lower(name);
  uint16_t n = ListCount(kEnvVars, ',');
  for (uint16_t k = 1; k <= n; ++k) {
    StrRef var = ListItem(kEnvVars, ',', k);
    if (Equal(Lower(var), lower)) {
      *value = EnvVar(var);
      return true;
    }
  }
  return false;
}

StrRef StageTwoValue(StrRef name) {
  uint16_t k = ListIndex(kRuntimeNames, name, ',');
  if (k == 2) return AppPrefix();
  if (k == 1) return EnvValue(ENV_COMMANDLINE);
  if (k >= 3) return EnvValue(k);
  k = ListIndex(kDatabaseNames, name, ',');
  if (k) return CleanValue(ListItem(EnvValue(ENV_DATABASE), ',', k));
  return StrRef();
}

}  // namespace

StrRef CurrentFolder() {
  return FromStd(host::CurrentDir());
}

StrRef JoinPath(StrRef a, StrRef b) {
  if (!a.ok()) return a;
  if (!b.ok()) return b;
  bool slash = a.size() && a[a.size() - 1] != '\\' && b.size() && b[0] != '\\';
  ScratchMark m = Scratch().Mark();
  return Scratch().CopyOut(m, slash ? Concat(Concat(a, "\\"), b) : Concat(a, b));
}

StrRef ResolveRelative(StrRef base, StrRef relative) {
  if (!base.ok()) return base;
  if (!relative.ok()) return relative;
  ScratchMark m = Scratch().Mark();
  StrRef b = base, r = relative;
  while (r.size() >= 2 && r[0] == '.' && r[1] == '.' && (r.size() == 2 || r[2] == '\\')) {
    b = DropLastStep(b);
    r = Slice(r, 3);
  }
  StrRef joined = JoinPath(b, r);
  return Scratch().CopyOut(m, ReplaceAll(joined, "\\.\\", "\\"));
}

StrRef PathParts(StrRef path, uint8_t mask) {
  if (!path.ok()) return path;
  ScratchMark m = Scratch().Mark();
  uint16_t colon = FindByte(path, ':');
  uint16_t drive_end = colon == kNpos ? 0 : colon + 1;
  uint16_t slash = FindLast(path, '\\');
  uint16_t name_start = slash == kNpos ? drive_end : slash + 1;
  if (name_start < drive_end) name_start = drive_end;
  uint16_t dot = FindLast(path, '.');
  if (dot != kNpos && dot < name_start) dot = kNpos;
  StrRef r;
  if (mask & PATH_DRIVE) r = Slice(path, 0, drive_end);
  if (mask & PATH_FOLDER) {
    uint16_t end = slash == kNpos || slash < drive_end ? drive_end : slash;
    r = Concat(r, Slice(path, drive_end, end - drive_end));
  }
  if (mask & PATH_NAME) {
    StrRef name = Slice(path, name_start, dot == kNpos ? kNpos : dot - name_start);
    bool sep = r.size() && r[r.size() - 1] != ':';
    r = sep ? Concat(Concat(r, "\\"), name) : Concat(r, name);
  }
  if ((mask & PATH_EXT) && dot != kNpos) r = Join(r, ".", Slice(path, dot + 1));
  return Scratch().CopyOut(m, r);
}

StrRef Folder(uint16_t kind) {
  ScratchMark m = Scratch().Mark();
  StrRef r;
  switch (kind) {
    case APPPATH_RUNPATH: {
      StrRef first = Unquote(Trim(ListItem(EnvValue(ENV_COMMANDLINE), ' ', 1)));
      r = PathParts(first, PATH_DRIVE | PATH_FOLDER);
      break;
    }
    case APPPATH_DEFAULT:
      r = EnvValue(ENV_DOCPATH);
      break;
    case APPPATH_DATA: {
      StrRef run = Folder(APPPATH_RUNPATH);
      StrRef base = run.size() && run[0] >= 'F' ? EnvValue(ENV_DOCPATH) : Folder(APPPATH_DOCS);
      r = ResolveRelative(base, "..\\data");
      break;
    }
    case APPPATH_DOCS:
      r = FirstNonEmpty(EnvValue(ENV_DATAPATH), CurrentFolder());
      break;
    case APPPATH_HELP:
      r = EnvValue(ENV_HELPPATH);
      if (r.size() == 0) r = ResolveRelative(EnvValue(ENV_DOCPATH), "Help");
      break;
    case APPPATH_BACKUP:
      r = ResolveRelative(EnvValue(ENV_DATAPATH), "Backups");
      break;
    case APPPATH_BACKREL: {
      StrRef db = EnvValue(ENV_DATABASE);
      r = JoinPath(JoinPath(JoinPath(CurrentFolder(), "Backups"), CleanValue(ListItem(db, ',', 1))),
                   CleanValue(ListItem(db, ',', 2)));
      break;
    }
    default:
      break;
  }
  return Scratch().CopyOut(m, NoTrailingSlash(r));
}

StrRef FileInFolder(StrRef name, uint16_t kind) {
  ScratchMark m = Scratch().Mark();
  return Scratch().CopyOut(m, JoinPath(Folder(kind), name));
}

StrRef ExpandPath(StrRef text) {
  if (!text.ok()) return text;
  ScratchMark m = Scratch().Mark();
  StrRef t = Copy(text);
  bool stage_two = false;
  for (int pass = 0; pass < kMaxExpansions && t.ok(); ++pass) {
    StrRef name = Copy(Inner(t, '%', true));
    uint16_t open = FindByte(t, '%');
    if (open == kNpos || FindByte(t, '%', open + 1) == kNpos) break;
    StrRef value;
    if (!stage_two && !StageOneValue(name, &value)) stage_two = true;
    if (stage_two) value = StageTwoValue(name);
    StrRef ref = Concat(Concat("%", name), "%");
    t = Scratch().CopyOut(m, ReplaceAll(t, ref, value));
  }
  return Scratch().CopyOut(m, t);
}

StrRef FindFile(StrRef folders, StrRef name) {
  if (!name.ok()) return name;
  if (!folders.ok()) return folders;
  ScratchMark m = Scratch().Mark();
  if (name.size() && host::Exists(name.view())) return Copy(name);
  uint16_t n = ListCount(folders, ',');
  for (uint16_t k = 1; k <= n; ++k) {
    StrRef path = JoinPath(Trim(ListItem(folders, ',', k)), name);
    if (path.ok() && host::Exists(path.view())) return Scratch().CopyOut(m, path);
    Scratch().Release(m);
  }
  return Scratch().CopyOut(m, StrRef());
}

}  // namespace tol
