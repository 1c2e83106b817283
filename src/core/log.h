// The runtime's diagnostic files: the application's log file, which takes
// framed report blocks (maintenance traces, failures worth keeping), plain
// appended lines (the OUTPUT file), and the assertion log.
#pragma once

#include "core/strref.h"

namespace tol {

// Slot group 9 item 10 when set, else the application prefix (the first
// two characters of the application name, environment value 2) followed by
// "log.txt", in the current folder.  On the scratch stack.
StrRef LogFileName();

// Appends text and CR LF to file, creating it; nothing when the name is
// empty or the text a failure.  A file that cannot be written is ignored.
void AppendLine(StrRef file, StrRef text);

// Appends a framed block: a line of asterisks, the date (four-digit year,
// in the language's day-month order), the time as HH:MM and the user, then
// the text, then a closing line of asterisks and a blank line.  An empty
// file name means the log file.  164 with the file name in the detail when
// the file cannot be opened; 137 likewise when it cannot be written whole.
[[nodiscard]] ErrCode ReportBlock(StrRef text, StrRef file = StrRef());

// When condition is false: a box with text, the caption "Assertion Fail"
// and the error icon; a report block into "assertions.log" in the current
// folder; then the process ends at once by abort(): no shutdown, no exit
// code of the runtime's choosing.
void Assert(bool condition, StrRef text);

}  // namespace tol
