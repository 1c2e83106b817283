// Application folders and path texts: the seven folder kinds, %NAME%
// expansion of configurable file names, joining, resolving ".." steps,
// taking paths apart and finding a file along a folder list.  Paths are in
// the runtime's Windows form; the host layer maps them when a file is used.
#pragma once

#include <cstdint>

#include "core/strref.h"

namespace tol {

enum FolderKind : uint16_t {
  APPPATH_RUNPATH = 1,  // program folder
  APPPATH_DEFAULT,      // definitions folder
  APPPATH_DATA,         // "..\data" beside the definitions or documents folder
  APPPATH_DOCS,         // documents folder, else the current folder
  APPPATH_HELP,         // help folder, else "Help" in the definitions folder
  APPPATH_BACKUP,       // "Backups" in the documents folder
  APPPATH_BACKREL,      // current folder\Backups\host\database
};
inline constexpr StrRef kFolderNames(
    "APPPATH_RUNPATH,APPPATH_DEFAULT,APPPATH_DATA,APPPATH_DOCS,APPPATH_HELP,APPPATH_BACKUP,"
    "APPPATH_BACKREL");

// The folder of a kind, without a trailing "\" (a bare root stays "\").
StrRef Folder(uint16_t kind);
StrRef FileInFolder(StrRef name, uint16_t kind);
// Every %NAME% reference replaced; never fails (unknown names vanish).
StrRef ExpandPath(StrRef text);
// a, "\" when both sides need one, b.
StrRef JoinPath(StrRef a, StrRef b);
StrRef ResolveRelative(StrRef base, StrRef relative);
enum PathPart : uint8_t { PATH_DRIVE = 1, PATH_FOLDER = 2, PATH_NAME = 4, PATH_EXT = 8 };
StrRef PathParts(StrRef path, uint8_t mask);
// The first of name, then each comma item of folders joined with name, that
// exists; an empty text when none does.
StrRef FindFile(StrRef folders, StrRef name);
// The current folder in runtime form.
StrRef CurrentFolder();

}  // namespace tol
