// Expression files: texts of assignments kept in files of the definitions
// folder (settings, saved variables), run line by line as one statement
// list, and written back with the current values of chosen variables.
#pragma once

#include "core/strref.h"

namespace tol {

// Runs the file's text (line ends read as ";") with EvaluateCheck.  A name
// without a folder is looked for in the definitions folder (environment
// value 5).  A missing file is 164, reported with the name, only when
// report_missing is set; otherwise it is no error.
ErrCode RunExpressionFile(StrRef name, bool report_missing);

// list: comma list of variable names, each optionally "=expression".  The
// file is rewritten with one entry per listed name (name=value, texts
// quoted, zero as 0), then the file's earlier entries for other names
// unchanged, all separated by ";"; then it is run.  The new content
// replaces the old in one step, so a failure leaves the old file whole.
ErrCode SaveVariablesToFile(StrRef name, StrRef list);

}  // namespace tol
