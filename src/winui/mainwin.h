// The main window: its title, its menu bar built from the start program's
// menu file, its events (menu commands, the close request with its
// confirmation, help), the main message loop, the popup choice menu, and
// the seams this layer fills for the shell and the procedure interpreter.
#pragma once

#include <cstdint>

#include "core/strref.h"
#include "shell/menus.h"
#include "winui/winui.h"

namespace tol {

// Popup choices take identifiers from here: at most 250 items.
inline constexpr uint32_t kPopupFirstId = 1700;
inline constexpr uint16_t kPopupItems = 250;

// The main window's events.
enum MainEvent : uint16_t {
  MAIN_MENU_COMMAND = 16,  // with the entry number in bits 8-15
  MAIN_CLOSE = 17,
  MAIN_HELP = 19,
};

// The title: " title  |  date  |  database folder |  ", with the
// application description when title is empty, today's date with a
// two-digit year, item 2 of the database settings unquoted and the last
// step of the current folder.
StrRef MainWindowTitle(StrRef title);

// The menu tree as a menu bar: popups for submenus, items 1500 + n for the
// command entries; 0 when the tree has no items.
Hmenu MenuBarOf(const MenuTree& tree);

// Sets bit 2 of _SCRSTAT, builds the menu bar from the start program's PMT
// or PPN file (none without one) and opens the main window with it.  A
// menu file that fails to build leaves the window without a menu bar; the
// failure is shown, not returned.
[[nodiscard]] ErrCode OpenMainWindow(StrRef start_program);
// The main window, 0 when it is not open.
Hwnd MainWindow();

// One event of the main window; a result of 122 and above has been shown.
ErrCode MainWindowEvent(uint16_t code);

// Runs the window loop until the main window is gone or input has ended
// for good, then dispatches what is still queued.  Nothing without a main
// window.
void MainMessageLoop();

// Where a popup choice opens, in screen pixels; false: at the mouse.
using PopupPosition = bool (*)(int32_t* x, int32_t* y);
// The 1-based number of the item of the comma list chosen, 0 when the menu
// was dismissed.  Without an owner a hidden top-most window owns it while
// it is open.
uint16_t PopupChoice(Hwnd owner, StrRef items, PopupPosition where = nullptr);

// The seams of the procedure interpreter: a mark of the windows that exist
// now, and the destruction of every window made after it.
uint32_t WindowsMark();
void WindowsRestore(uint32_t mark);
// One turn of the message loop without waiting; true when the user has
// cancelled (the cancel flag, or the terminal gone for good).
bool MessagePoll();

// Fills the shell's main window and message loop seams and the procedure
// interpreter's window seams.
void MainWindowInstall();

}  // namespace tol
