// The main window: title, menu bar, events, the main message loop, the
// popup choice menu and the seams for the shell and the procedures.
#include "winui/mainwin.h"

#include <algorithm>
#include <string>

#include "core/core.h"
#include "core/errors.h"
#include "core/lists.h"
#include "core/msgbox.h"
#include "core/text.h"
#include "format/dates.h"
#include "lang/sysvars.h"
#include "proc/procedures.h"
#include "shell/dispatch.h"
#include "shell/env.h"
#include "shell/messages.h"
#include "shell/paths.h"
#include "shell/startup.h"
#include "winui/window.h"

namespace tol {

namespace {

// Deeper submenus could not be opened: the popup tracking stops there.
constexpr int kMaxMenuDepth = 16;
constexpr uint8_t kShowMaximised = 4;
const StrRef kPopupOwnerClass("TolvinaPopupOwner");

void Fill(Hmenu menu, const std::vector<MenuEntry>& items, int depth) {
  for (const MenuEntry& it : items) {
    StrRef caption = StrRef::Of(it.caption);
    if (it.popup()) {
      Hmenu sub = win::CreatePopupMenu();
      if (depth < kMaxMenuDepth) Fill(sub, it.children, depth + 1);
      (void)MenuAppend(menu, 0, caption, StrRef(), sub);
    } else {
      // The command is in slot group 5 already; an entry past the 200 that
      // identifiers can name keeps identifier 0 and does nothing.
      (void)MenuAppend(menu, it.id, caption);
    }
  }
}

// The message with its "%i" (or "%d", "%u") taken by the numbers in turn;
// any other "%" stays as written, so a language module's text is never a
// format that could read arguments that are not there.
StrRef WithCounts(StrRef text, uint16_t first, uint16_t second) {
  if (!text.ok()) return text;
  std::string out;
  uint16_t numbers[2] = {first, second};
  int used = 0;
  std::string_view v = text.view();
  for (size_t i = 0; i < v.size(); ++i) {
    char c = v[i];
    if (c == '%' && i + 1 < v.size()) {
      char k = v[i + 1];
      if ((k == 'i' || k == 'd' || k == 'u') && used < 2) {
        out += std::to_string(numbers[used++]);
        ++i;
        continue;
      }
      if (k == '%') {
        out += '%';
        ++i;
        continue;
      }
    }
    out += c;
  }
  return Copy(StrRef::Of(out));
}

bool& Busy() {
  return Win().main_busy;
}

void ShowIfError(ErrCode e) {
  if (e >= E_CANCEL) ShowError(e);
}

uint16_t CloseRequest() {
  WinState& st = Win();
  Hwnd main = MainWindow();
  if (main == 0) return E_OK;
  uint16_t screens = st.link.screen_count ? st.link.screen_count() : 0;
  uint16_t windows = WindowCount();
  ScratchFrame f;
  if (screens > 1 || windows > 1) {
    (void)MessageBox(WithCounts(Message("0032"), screens, windows), StrRef(), MSG_WARNING);
    return E_OK;
  }
  // Without screens the current screen is the main window itself.
  if (SysTest(_AUXSTAT, 32) || Ask(WithCounts(Message("0033"), screens, windows)))
    win::DestroyWindow(main);
  return E_OK;
}

uint16_t LinkEvent(uint16_t code) {
  return MainWindowEvent(code);
}

LResult MainWindowProc(Hwnd h, uint32_t msg, WParam wp, LParam lp) {
  if (msg == WM_KEYDOWN && wp == VK_F1) {
    (void)MainWindowEvent(MAIN_HELP);
    return 0;
  }
  if (msg == WM_DESTROY && Win().main_window == h) Win().main_window = 0;
  return MainWndProc(h, msg, wp, lp);
}

// Dispatches what is waiting; a quit message is left for the loop that
// owns it.  True when one is waiting.
bool PumpOnce() {
  WinState& st = Win();
  Msg m;
  while (!st.quitting && win::PeekMessage(&m, true)) {
    if (m.message == WM_QUIT) {
      st.sys.queue.push_front(m);
      return true;
    }
    win::TranslateMessage(m);
    win::DispatchMessage(m);
  }
  return false;
}

ErrCode OpenMainWindowHook(StrRef start_program) {
  return OpenMainWindow(start_program);
}

}  // namespace

StrRef MainWindowTitle(StrRef title) {
  ScratchMark m = Scratch().Mark();
  StrRef t = title.ok() && title.size() ? title : EnvValue(ENV_APDESCRIP);
  StrRef today = DateDisplay(DateValidate(DateToday()), DATE_SHORT);
  StrRef database = Unquote(Trim(ListItem(EnvValue(ENV_DATABASE), ',', 2)));
  StrRef folder = PathParts(CurrentFolder(), PATH_NAME | PATH_EXT);
  // A path part may come with the "\" that joins it to the parts before.
  if (folder.ok() && folder.size() && folder[0] == '\\') folder = Slice(folder, 1);
  StrRef s = Concat(" ", t);
  s = Concat(Concat(s, "  |  "), today);
  s = Concat(Concat(s, "  |  "), database);
  s = Concat(Concat(s, " "), folder);
  s = Concat(s, " |  ");
  return Scratch().CopyOut(m, s);
}

Hmenu MenuBarOf(const MenuTree& tree) {
  if (tree.items.empty()) return 0;
  Hmenu bar = win::CreateMenu();
  Fill(bar, tree.items, 1);
  return bar;
}

Hwnd MainWindow() {
  Hwnd h = Win().main_window;
  return win::IsWindow(h) ? h : 0;
}

ErrCode OpenMainWindow(StrRef start_program) {
  if (MainWindow() != 0) return E_OK;
  ScratchFrame f;
  SysSetBits(_SCRSTAT, 2, true);
  Hmenu bar = 0;
  StrRef file = MenuFileOf(start_program);
  if (file.ok() && file.size()) {
    MenuTree tree;
    if (ErrCode e = BuildMenuFile(file, &tree))
      ShowError(e);
    else
      bar = MenuBarOf(tree);
  }
  std::string cls;
  uint32_t style = 0;
  (void)WindowKind(0, &cls, &style);
  if (cls.empty()) cls = "Tolvina";
  Size screen = ScreenSize();
  Hwnd h = WindowCreate(StrRef::Of(cls), MainWindowTitle(StrRef()), style, 0, 0, screen.w, screen.h,
                        bar, MainWindowProc);
  if (h == 0) {
    if (bar != 0) win::DestroyMenu(bar);
    SetDetail(0, "main window");
    return Fail(M_NONE, E_DATA);
  }
  // The start program's own screen would open here, inside the main
  // window, and the logo would fill its client area; both belong to the
  // screen layer, which this build does not have yet.
  Win().main_window = h;
  WindowShowTop(kShowMaximised);
  WindowShowTop(-1);
  Win().link.main_event = LinkEvent;
  return E_OK;
}

ErrCode MainWindowEvent(uint16_t code) {
  ErrCode e = E_OK;
  switch (code & 0xFF) {
    case MAIN_MENU_COMMAND: {
      // A command chosen while another runs (its loop pumps messages) would
      // run inside it: it is ignored.
      if (Busy()) return E_OK;
      Busy() = true;
      ScratchFrame f;
      e = Dispatch(MenuCommand(static_cast<uint16_t>(code >> 8)));
      Busy() = false;
      break;
    }
    case MAIN_CLOSE:
      // The main window stays while one of its commands runs.
      if (Busy()) return E_OK;
      e = CloseRequest();
      break;
    case MAIN_HELP:
      // The help pages are not part of this build.
      e = NotAvailable("Help");
      break;
    default:
      break;
  }
  ShowIfError(e);
  return e;
}

void MainMessageLoop() {
  Hwnd main = MainWindow();
  if (main == 0) return;
  WinState& st = Win();
  WindowShowTop(-1);
  int32_t cols = st.sys.screen_cols, rows = st.sys.screen_rows;
  while (MainWindow() == main && PumpMessages(main) == 0) {
    if (MainWindow() != main || st.quitting) break;
    if (cols != st.sys.screen_cols || rows != st.sys.screen_rows) {
      // A maximised main window follows the terminal's size.
      cols = st.sys.screen_cols;
      rows = st.sys.screen_rows;
      if (WindowTop() == main) win::ShowWindow(main, SW_MAXIMIZE);
    }
    win::Idle(10);
  }
  if (!st.quitting) {
    Msg m;
    while (win::PeekMessage(&m, true) && m.message != WM_QUIT) {
      win::TranslateMessage(m);
      win::DispatchMessage(m);
    }
  }
  win::Present();
}

uint16_t PopupChoice(Hwnd owner, StrRef items, PopupPosition where) {
  if (!items.ok() || Trim(items).size() == 0) return 0;
  ScratchFrame f;
  WinSys& s = Sys();
  uint16_t n = std::min<uint16_t>(ListCount(items, ','), kPopupItems);
  Hmenu menu = win::CreatePopupMenu();
  for (uint16_t i = 1; i <= n; ++i) {
    ScratchFrame one;
    win::AppendMenu(menu, MF_STRING, kPopupFirstId + i - 1, Unquote(Trim(ListItem(items, ',', i))));
  }
  int32_t x = s.cursor_x, y = s.cursor_y;
  if (where != nullptr && !where(&x, &y)) {
    x = s.cursor_x;
    y = s.cursor_y;
  }
  // Bottom-aligned: the menu's lower frame lies on the position's row.
  y = std::max(0, y - (n + 1) * s.cell_h);
  Hwnd temp = 0;
  if (!win::IsWindow(owner)) {
    if (!win::GetClassInfo(kPopupOwnerClass))
      win::RegisterClass(kPopupOwnerClass, 0, win::DefWindowProc);
    temp =
        win::CreateWindowEx(WS_EX_TOPMOST, kPopupOwnerClass, StrRef(), WS_POPUP, x, y, 0, 0, 0, 0);
    owner = temp;
  }
  uint32_t id = win::TrackPopupMenu(menu, x, y, owner);
  win::DestroyMenu(menu);
  if (temp != 0) win::DestroyWindow(temp);
  if (id < kPopupFirstId || id >= kPopupFirstId + n) return 0;
  return static_cast<uint16_t>(id - kPopupFirstId + 1);
}

uint32_t WindowsMark() {
  return Sys().next_handle;
}

void WindowsRestore(uint32_t mark) {
  std::vector<Hwnd> made;
  for (const auto& [h, w] : Sys().windows)
    if (h >= mark) made.push_back(h);
  // Newest first, so windows leave the stack in the reverse order of their
  // pushes; a window already gone with its parent or owner is skipped.
  for (auto it = made.rbegin(); it != made.rend(); ++it)
    if (win::IsWindow(*it) && *it != Win().main_window) win::DestroyWindow(*it);
}

bool MessagePoll() {
  if (!Current<WinState>::Exists()) return false;
  WinState& st = Win();
  (void)PumpOnce();
  win::Present();
  // A terminal that is gone will never answer: the run stops rather than
  // going on unseen.  Headless input that is used up is not a user.
  if (st.sys.input_ended && st.sys.queue.empty() && st.backend && st.backend->Interactive())
    st.quitting = true;
  bool cancel = st.cancel || st.quitting;
  // The cancel is taken by the run it ends.
  st.cancel = false;
  return cancel;
}

void MainWindowInstall() {
  ShellState& sh = Shell();
  sh.open_main_window = OpenMainWindowHook;
  sh.message_loop = MainMessageLoop;
  ProcHooks& h = Proc().hooks;
  h.windows_mark = WindowsMark;
  h.windows_restore = WindowsRestore;
  h.message_poll = MessagePoll;
}

}  // namespace tol
