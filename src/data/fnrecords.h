// FILEFIND, FILELOCATE, KEY$, IER and SORT$: the record files and the local
// lists as the expression language sees them.
#pragma once

namespace tol {

// Fills the rows of the five functions (the language must be initialised).
void ConnectRecordFunctions();

}  // namespace tol
