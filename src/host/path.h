// Runtime paths to host paths.  Inside the runtime paths keep the Windows
// form ("\" separators, optional drive "X:") in code page 1252; on disk
// they are POSIX paths in UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace tol::host {

// "\" becomes "/"; a drive "X:" becomes $TOLVINA_DRIVE_X when set, else the
// root; each existing component is matched case-insensitively when its
// exact case does not exist; names are converted from CP1252 to UTF-8.  A
// relative path stays relative to the current folder.
std::string HostPath(std::string_view runtime_path);
// A host path in the runtime's form: "/" becomes "\", UTF-8 becomes CP1252.
// A path inside a folder named by some $TOLVINA_DRIVE_X gets that drive
// back (the longest such folder wins), so the two functions undo each other.
std::string RuntimePath(std::string_view host_path);

std::string Cp1252ToUtf8(std::string_view cp1252);
// Characters outside code page 1252 become "?".  A byte that is not part of
// valid UTF-8 is taken as a CP1252 byte, so names written by older
// programs in a single-byte code page still come through.
std::string Utf8ToCp1252(std::string_view utf8);

// Upper case of a CP1252 byte (ASCII and the accented letters).
char FoldCase(char c);
bool EqualNoCase(std::string_view a, std::string_view b);
// "*" any run of characters, "?" any one character, compared without case;
// a pattern ending in ".*" also matches the name without an extension, as
// Windows folder listings do ("*.*" matches every name).
bool MatchPattern(std::string_view pattern, std::string_view name);

}  // namespace tol::host
