// The runtime's window layer: the stack of its open top-level windows, the
// window kinds the screen layer opens, placement and scrolling in pixels of
// the character cell, the polling message loop, the default window
// procedures and the one entry through which actions reach the screen
// layer.
#pragma once

#include <cstdint>

#include "core/strref.h"
#include "winui/winui.h"

namespace tol {

// A runtime style flag, not a window style: the window is modal, so the
// window below it is disabled while it is open.
inline constexpr uint32_t kModalFlag = 0x80;
inline constexpr uint16_t kKinds = 12;
// Placement flag of WindowOpenKind: below the control with the focus.
inline constexpr uint16_t kPlaceBelowFocus = 0x40;
inline constexpr int32_t kScrollBarPixels = 24;

// The screen layer's entry: the action is recorded and handed to the
// installed link; 163 (not handled) without one.
uint16_t ScreenSend(uint32_t control, uint16_t action);

// The window stack.
[[nodiscard]] ErrCode WindowPush(Hwnd h, uint16_t value);  // 0xFFFF when all 32 are in use
void WindowPop(Hwnd h);
Hwnd WindowTop();
uint16_t WindowValue(Hwnd h);  // 65535 when not on the stack
uint16_t WindowCount();

// The kind's class name and style; false for kind 12 and above.
bool WindowKind(uint16_t kind, std::string* cls, uint32_t* style);
Hwnd WindowCreate(StrRef cls, StrRef title, uint32_t style, int32_t x, int32_t y, int32_t w,
                  int32_t h, uint32_t menu_or_id, WndProc proc);
// cls is used when the kind has no class name and the application name is
// empty.  Kind 12 and above: none, with 163 reported.
Hwnd WindowOpenKind(uint16_t kind, uint16_t flags, StrRef title, Hwnd owner, uint16_t columns,
                    uint16_t rows, WndProc proc, StrRef cls = StrRef());
// how: -1 show (maximised when the show state is 4 and no screen size is
// configured), 2 show normally, anything else stores the show state.
void WindowShowTop(int how);
void WindowActivate(Hwnd h);
uint16_t WindowDestroy(Hwnd h);  // 0, or 65535 when there is no such window
// At most max characters (65535: 384) on the scratch stack; 163 without a
// window.
StrRef WindowText(Hwnd h, uint16_t max);
[[nodiscard]] ErrCode WindowSetText(Hwnd h, StrRef text);

struct Size {
  int32_t w = 0, h = 0;
};
// The window size for a client size of kind (5: the dialog kind).
Size WindowFrameSize(int32_t client_w, int32_t client_h, uint16_t kind, bool has_menu);
// The screen size: the owner's client area, the configured size or the
// desktop.
Size ScreenSize(Hwnd owner = 0);
// Places the top window; x = 0 centres it, x = 65535 keeps its place moved
// inside the screen; a larger size is cut to the screen and gets scroll
// bars over the part that does not fit.
[[nodiscard]] ErrCode WindowPlace(int32_t x, int32_t y, int32_t w, int32_t h);
// Scrolls on WM_HSCROLL / WM_VSCROLL; the new position.
int32_t WindowScroll(Hwnd h, int bar, uint16_t request, int32_t track = 0);

// Appends the item; a command is kept as slot group 5 item id - 1500, and
// with a submenu the item opens it.
[[nodiscard]] ErrCode MenuAppend(Hmenu menu, uint32_t id, StrRef text, StrRef command = StrRef(),
                                 Hmenu submenu = 0);

// The message loop.  1 when WM_QUIT arrived or no window is left.
uint16_t PumpMessages(Hwnd window);
// Shows the top window and pumps until the loop ends or, with a window,
// until it is no longer the top one.
void RunWindow(Hwnd window);
void PostQuit(Hwnd window);

// The runtime's window procedures: screens, dialogs and the main window.
LResult RuntimeWndProc(Hwnd h, uint32_t msg, WParam wp, LParam lp);
LResult DialogWndProc(Hwnd h, uint32_t msg, WParam wp, LParam lp);
LResult MainWndProc(Hwnd h, uint32_t msg, WParam wp, LParam lp);

// Message panels: the text white on gray, centred across the client area.
[[nodiscard]] ErrCode PanelPaint(Hwnd h, StrRef text);

}  // namespace tol
