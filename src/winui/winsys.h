// The in-process window system: windows and their classes, the controls the
// runtime uses, menus, scroll bars, timers and the one message queue.  It
// stands where the desktop's window manager would, with its message
// numbers, so the layers above keep their window logic; geometry is in
// pixels of a virtual character cell.  It draws nothing and reads no input
// itself: a backend (backend.h) does that through the state below.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "core/strref.h"

namespace tol {

using Hwnd = uint32_t;   // 0: no window
using Hmenu = uint32_t;  // 0: no menu
using WParam = uint64_t;
using LParam = int64_t;
using LResult = int64_t;
using WndProc = LResult (*)(Hwnd, uint32_t, WParam, LParam);

// Messages.  The numbers are the desktop's; 0x88E0 and 0x88E1 are the
// runtime's own.
inline constexpr uint32_t WM_NULL = 0x0000, WM_CREATE = 0x0001, WM_DESTROY = 0x0002,
                          WM_MOVE = 0x0003, WM_SIZE = 0x0005, WM_SETFOCUS = 0x0007,
                          WM_KILLFOCUS = 0x0008, WM_ENABLE = 0x000A, WM_PAINT = 0x000F,
                          WM_CLOSE = 0x0010, WM_QUIT = 0x0012, WM_SETFONT = 0x0030,
                          WM_KEYDOWN = 0x0100, WM_KEYUP = 0x0101, WM_CHAR = 0x0102,
                          WM_COMMAND = 0x0111, WM_TIMER = 0x0113, WM_HSCROLL = 0x0114,
                          WM_VSCROLL = 0x0115, WM_LBUTTONDOWN = 0x0201, WM_LBUTTONUP = 0x0202,
                          WM_LBUTTONDBLCLK = 0x0203;
// wparam: the argument of the screen action wparam * 256 + 23.
inline constexpr uint32_t WM_RUNTIME_ACTION = 0x88E0;
// A field asks for its selection window.
inline constexpr uint32_t WM_FIELD_SELECT = 0x88E1;

// Window styles.
inline constexpr uint32_t WS_OVERLAPPED = 0, WS_POPUP = 0x80000000u, WS_CHILD = 0x40000000u,
                          WS_VISIBLE = 0x10000000u, WS_DISABLED = 0x08000000u,
                          WS_CAPTION = 0x00C00000u, WS_BORDER = 0x00800000u,
                          WS_DLGFRAME = 0x00400000u, WS_VSCROLL = 0x00200000u,
                          WS_HSCROLL = 0x00100000u, WS_SYSMENU = 0x00080000u,
                          WS_MINIMIZEBOX = 0x00020000u, WS_TABSTOP = 0x00010000u;
inline constexpr uint32_t WS_EX_DLGMODALFRAME = 0x1, WS_EX_TOPMOST = 0x8;
// Control styles (the low 16 bits belong to the class).
inline constexpr uint32_t ES_LEFT = 0, ES_RIGHT = 0x2, ES_PASSWORD = 0x20, ES_AUTOHSCROLL = 0x80,
                          ES_READONLY = 0x800;
inline constexpr uint32_t BS_PUSHBUTTON = 0, BS_DEFPUSHBUTTON = 1, BS_CHECKBOX = 2,
                          BS_AUTOCHECKBOX = 3;
inline constexpr uint32_t SS_LEFT = 0, SS_CENTER = 1, SS_BITMAP = 0xE;
inline constexpr uint32_t LBS_NOTIFY = 1;
inline constexpr uint32_t CBS_SIMPLE = 1, CBS_DROPDOWN = 2, CBS_DROPDOWNLIST = 3;
inline constexpr uint32_t LVS_REPORT = 1, LVS_SINGLESEL = 4;
inline constexpr uint32_t CS_VREDRAW = 1, CS_HREDRAW = 2;

// Notification codes carried in the high word of WM_COMMAND's wparam.
inline constexpr uint16_t BN_CLICKED = 0, LBN_SELCHANGE = 1, LBN_DBLCLK = 2, CBN_SELCHANGE = 1;

// Virtual keys.
inline constexpr uint16_t VK_BACK = 8, VK_TAB = 9, VK_RETURN = 13, VK_SHIFT = 16, VK_CONTROL = 17,
                          VK_MENU = 18, VK_ESCAPE = 27, VK_SPACE = 32, VK_PRIOR = 33, VK_NEXT = 34,
                          VK_END = 35, VK_HOME = 36, VK_LEFT = 37, VK_UP = 38, VK_RIGHT = 39,
                          VK_DOWN = 40, VK_INSERT = 45, VK_DELETE = 46, VK_F1 = 112, VK_F12 = 123;

// ShowWindow commands.
inline constexpr int SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_MAXIMIZE = 3, SW_SHOW = 5;
// Scroll bars and scroll requests.
inline constexpr int SB_HORZ = 0, SB_VERT = 1;
inline constexpr uint16_t SB_LINEUP = 0, SB_LINEDOWN = 1, SB_PAGEUP = 2, SB_PAGEDOWN = 3,
                          SB_THUMBPOSITION = 4, SB_THUMBTRACK = 5, SB_TOP = 6, SB_BOTTOM = 7;
inline constexpr int32_t CW_USEDEFAULT = INT32_MIN;
// Menu item flags.
inline constexpr uint32_t MF_STRING = 0, MF_POPUP = 0x10, MF_SEPARATOR = 0x800;
// Platform error codes kept as the last error.
inline constexpr uint32_t ERROR_INVALID_WINDOW_HANDLE = 1400, ERROR_CANNOT_FIND_WND_CLASS = 1407,
                          ERROR_CLASS_ALREADY_EXISTS = 1410, ERROR_INVALID_PARAMETER = 87;

struct Rect {
  int32_t x = 0, y = 0, w = 0, h = 0;
  int32_t right() const { return x + w; }
  int32_t bottom() const { return y + h; }
};

struct Msg {
  Hwnd hwnd = 0;
  uint32_t message = 0;
  WParam wparam = 0;
  LParam lparam = 0;
};

struct WndClass {
  std::string name;
  uint32_t style = 0;
  WndProc proc = nullptr;
};

struct ScrollInfo {
  int32_t min = 0, max = 0, pos = 0;
  bool shown = false;
};

struct ListColumn {
  std::string title;
  bool right = false;
  int32_t width = 0;  // pixels
};

struct MenuItem {
  uint32_t flags = 0;
  uint32_t id = 0;  // the command identifier, or the submenu for MF_POPUP
  std::string text;
};

struct Menu {
  bool popup = false;
  std::vector<MenuItem> items;
};

struct Window {
  Hwnd self = 0;
  std::string cls;  // the class name as registered (upper-cased for look-up)
  uint32_t style = 0, ex_style = 0;
  Rect rc;           // top level: screen pixels; child: pixels of the parent's client area
  std::string text;  // CP1252
  Hwnd parent = 0;   // child: its parent; top level: its owner
  std::vector<Hwnd> children;
  uint32_t id = 0;  // control identifier
  WndProc proc = nullptr;
  Hmenu menu = 0;
  uint32_t font = 0;
  bool enabled = true, visible = false, destroying = false;
  uint64_t z = 0;  // top-level stacking order, higher above
  ScrollInfo hbar, vbar;
  std::string panel;  // text painted across the client area (message panels)
  // Control contents.
  std::vector<std::string> items;                 // list box, combo box
  int32_t sel = -1;                               // list box, combo box and list view selection
  int32_t top_row = 0;                            // first row shown (list box, list view)
  bool checked = false;                           // check box
  uint16_t caret = 0;                             // edit
  bool sel_all = false;                           // edit: the whole text is selected
  std::vector<ListColumn> columns;                // list view
  std::vector<std::vector<std::string>> rows;     // list view
  int32_t range_lo = 0, range_hi = 100, pos = 0;  // progress bar
  uint32_t image = 0;                             // static with SS_BITMAP
};

struct Timer {
  Hwnd hwnd = 0;
  uint32_t id = 0;
  uint32_t interval = 0;
  int64_t due = 0;
};

// The kinds of built-in control classes.
enum class Ctl : uint8_t { NONE, EDIT, BUTTON, STATIC, LISTBOX, COMBOBOX, LISTVIEW, PROGRESS };

// The window system's tables.  Handles are never reused, so a stale handle
// simply names no window.
struct WinSys {
  // The virtual character cell: one terminal cell on a character screen.
  int32_t cell_w = 12, cell_h = 24;
  // The desktop in character cells (the backend keeps it current).
  int32_t screen_cols = 80, screen_rows = 25;

  std::map<std::string, WndClass> classes;
  std::map<Hwnd, Window> windows;
  std::map<Hmenu, Menu> menus;
  std::vector<Timer> timers;
  std::deque<Msg> queue;
  Hwnd next_handle = 0x100;
  uint64_t next_z = 1;
  Hwnd focus = 0;
  uint32_t last_error = 0;
  uint32_t next_image = 1;
  std::map<uint32_t, std::string> images;  // handle to the file or resource it came from
  bool input_ended = false;                // the backend will deliver no more input
  bool dirty = true;                       // something changed since the screen was last drawn
  int64_t clock_ms = 0;                    // the time when no backend keeps it
  bool common_controls = false;
  int32_t cursor_x = 0, cursor_y = 0;  // the mouse, screen pixels, where it last clicked
};

namespace win {

// Classes.  The built-in control classes need no registration.
bool GetClassInfo(StrRef name, WndClass* out = nullptr);
bool RegisterClass(StrRef name, uint32_t style, WndProc proc);

// Windows.  A child's rectangle is relative to its parent's client area.
Hwnd CreateWindowEx(uint32_t ex_style, StrRef cls, StrRef text, uint32_t style, int32_t x,
                    int32_t y, int32_t w, int32_t h, Hwnd parent, uint32_t menu_or_id);
bool DestroyWindow(Hwnd h);
bool IsWindow(Hwnd h);
Window* Get(Hwnd h);
Ctl ControlKind(Hwnd h);
Hwnd GetParent(Hwnd h);
// The top-level window a window belongs to.
Hwnd TopLevelOf(Hwnd h);
Hwnd GetDlgItem(Hwnd parent, uint32_t id);
bool SetWindowText(Hwnd h, StrRef text);
std::string GetWindowText(Hwnd h);
bool EnableWindow(Hwnd h, bool on);
bool IsWindowEnabled(Hwnd h);
// Previous visibility.
bool ShowWindow(Hwnd h, int cmd);
bool IsWindowVisible(Hwnd h);
bool SetWindowPos(Hwnd h, int32_t x, int32_t y, int32_t w, int32_t h_, bool to_top);
bool MoveWindow(Hwnd h, int32_t x, int32_t y, int32_t w, int32_t h_);
Rect GetWindowRect(Hwnd h);  // screen pixels
Rect GetClientRect(Hwnd h);  // x, y 0
// The client area's top left in screen pixels.
void ClientOrigin(Hwnd h, int32_t* x, int32_t* y);
// The frame around a client area of the style, as the window rectangle
// grown from the client one.
Rect AdjustWindowRect(Rect client, uint32_t style, bool has_menu);
int32_t FrameWidth(uint32_t style);  // left plus right
int32_t FrameHeight(uint32_t style, bool has_menu);
int32_t FrameLeft(uint32_t style);
int32_t FrameTop(uint32_t style, bool has_menu);
WndProc SetWindowProc(Hwnd h, WndProc proc);  // returns the previous one
Hwnd SetFocus(Hwnd h);                        // returns the previous focus
Hwnd GetFocus();
// Top-level windows from the bottom of the z-order to the top.
std::vector<Hwnd> TopLevelWindows();
Hwnd ActiveWindow();                         // the visible top-level window highest in the z-order
Hwnd WindowFromPoint(int32_t x, int32_t y);  // screen pixels, the deepest visible window
uint32_t GetLastError();
void SetLastError(uint32_t e);

// Messages.
bool PostMessage(Hwnd h, uint32_t msg, WParam wp, LParam lp);
void PostQuitMessage(int code);
LResult SendMessage(Hwnd h, uint32_t msg, WParam wp, LParam lp);
// Input from the backend first, then the queue, then due timers.
bool PeekMessage(Msg* out, bool remove);
// A key down that carries a character posts that WM_CHAR.
bool TranslateMessage(const Msg& m);
LResult DispatchMessage(const Msg& m);
LResult DefWindowProc(Hwnd h, uint32_t msg, WParam wp, LParam lp);
// The key down message of a key carrying a character: the character is
// kept in bits 32-39 of lparam for TranslateMessage.
inline LParam KeyLParam(uint8_t ch) {
  return static_cast<LParam>(static_cast<uint64_t>(ch) << 32);
}
inline WParam MakeWParam(uint16_t lo, uint16_t hi) {
  return static_cast<WParam>(lo) | (static_cast<WParam>(hi) << 16);
}

// Timers.
bool SetTimer(Hwnd h, uint32_t id, uint32_t ms);
bool KillTimer(Hwnd h, uint32_t id);
int64_t Now();
// Nothing to do: draw what changed and wait a little for input (the clock
// moves on by ms when no backend keeps it).
void Idle(int ms);
// Draws the screen now when something changed.
void Present();

// Scroll bars.
ScrollInfo GetScrollInfo(Hwnd h, int bar);
void SetScrollRange(Hwnd h, int bar, int32_t lo, int32_t hi);
void SetScrollPos(Hwnd h, int bar, int32_t pos);
void ShowScrollBar(Hwnd h, int bar, bool show);
// Moves the client contents (the children) by dx, dy.
void ScrollWindowEx(Hwnd h, int32_t dx, int32_t dy);

// Menus.
Hmenu CreateMenu();
Hmenu CreatePopupMenu();
bool AppendMenu(Hmenu m, uint32_t flags, uint32_t id, StrRef text);
bool DestroyMenu(Hmenu m);
bool SetMenu(Hwnd h, Hmenu m);
Menu* GetMenu(Hmenu m);
// Shows a popup menu through the backend and answers the chosen command
// identifier, 0 when dismissed.
uint32_t TrackPopupMenu(Hmenu m, int32_t x, int32_t y, Hwnd owner);

// Controls.
bool IsDlgButtonChecked(Hwnd parent, uint32_t id);
bool CheckDlgButton(Hwnd parent, uint32_t id, bool on);
int32_t AddString(Hwnd h, StrRef text);  // list box and combo box; index
bool ResetContent(Hwnd h);
int32_t GetCurSel(Hwnd h);
bool SetCurSel(Hwnd h, int32_t i);
int32_t InsertColumn(Hwnd lv, int32_t col, StrRef title, bool right, int32_t width);
int32_t InsertItem(Hwnd lv, int32_t row);
bool SetItemText(Hwnd lv, int32_t row, int32_t col, StrRef text);
bool DeleteAllItems(Hwnd lv);
int32_t ItemCount(Hwnd lv);
bool SetProgressRange(Hwnd h, int32_t lo, int32_t hi);
bool SetProgressPos(Hwnd h, int32_t pos);
uint32_t LoadImage(StrRef name);  // an image handle for the named file or resource
// Selects the whole text of an edit field: typing replaces it.
bool EditSelectAll(Hwnd h);
bool DeleteObject(uint32_t image);
bool SetImage(Hwnd st, uint32_t image);

}  // namespace win
}  // namespace tol
