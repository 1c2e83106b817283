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
std::string RuntimePath(std::string_view host_path);

std::string Cp1252ToUtf8(std::string_view cp1252);
// Characters outside code page 1252 become "?".
std::string Utf8ToCp1252(std::string_view utf8);

}  // namespace tol::host
