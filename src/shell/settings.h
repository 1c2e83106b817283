// Settings files: expression texts of assignments, one per line, that the
// application loads at its second start stage, followed by the language
// variables.
#pragma once

#include "core/strref.h"

namespace tol {

// list: comma items "name[;flags]".  Each name is path-expanded, found as
// given or in the definitions folder and run as one assignment text (its
// lines joined with ";").  A missing or empty file is skipped unless flag 1
// asks for it (164 with the expanded name in the detail).  Stops at the
// first failure; when all succeed the language variables are loaded.
[[nodiscard]] ErrCode LoadSettingsFiles(StrRef list);

}  // namespace tol
