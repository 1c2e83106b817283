// The expression language's file functions: READ$, WRITE, FILESEL and
// FN#FLEN over the stream layer and the record files, and the file times
// that FN$DATE and TIME$ read with format bit 128.
#pragma once

namespace tol {

// Fills the language's rows for these functions and its file-time seam.
void ConnectFileFunctions();

}  // namespace tol
