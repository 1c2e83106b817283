// The runtime's window stack, window kinds, placement, scrolling, the
// polling message loop and the default window procedures.
#include "winui/window.h"

#include <algorithm>

#include "core/core.h"
#include "core/errors.h"
#include "core/lists.h"
#include "core/text.h"
#include "winui/controls.h"

namespace tol {

namespace {

constexpr uint16_t kNotHandled = E_DATA;  // 163: the screen layer did not take it
constexpr uint32_t kCaptionStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr uint32_t kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | kModalFlag;

int FindEntry(Hwnd h) {
  if (h == 0) return -1;
  WindowStack& s = Win().stack;
  for (int i = 0; i < kStackSize; ++i)
    if (s.entries[i].hwnd == h) return i;
  return -1;
}

StackEntry* TopEntry() {
  WindowStack& s = Win().stack;
  return s.count ? &s.entries[s.order[s.count - 1]] : nullptr;
}

void RemoveFromOrder(uint8_t entry) {
  WindowStack& s = Win().stack;
  for (uint8_t i = 0; i < s.count; ++i) {
    if (s.order[i] != entry) continue;
    std::copy(s.order + i + 1, s.order + s.count, s.order + i);
    --s.count;
    return;
  }
}

// The application name up to its first ":" (environment value 2).
std::string AppClassName() {
  std::string name = Slots().exists() ? Slots().Get(0, 2).str() : std::string();
  size_t colon = name.find(':');
  if (colon != std::string::npos) name.resize(colon);
  return name;
}

bool ScreenConfigured() {
  return Win().config_w > 0 && Win().config_h > 0;
}

// Moves the contents back to the origin and hides the bar.
void ResetBar(Hwnd h, int bar) {
  ScrollInfo si = win::GetScrollInfo(h, bar);
  if (si.pos != 0) win::ScrollWindowEx(h, bar == SB_HORZ ? si.pos : 0, bar == SB_VERT ? si.pos : 0);
  win::SetScrollRange(h, bar, 0, 0);
  win::SetScrollPos(h, bar, 0);
  win::ShowScrollBar(h, bar, false);
}

// A height cut gives the width room for the vertical bar and a width cut
// the height room for the horizontal one, each once; the result never
// exceeds the screen.
Size CutToScreen(Size s, Size screen, bool* wide, bool* tall) {
  bool w_cut = false, h_cut = false;
  if (s.h > screen.h) {
    s.h = screen.h;
    s.w += kScrollBarPixels;
    h_cut = true;
  }
  if (s.w > screen.w) {
    s.w = screen.w;
    s.h = std::min(s.h + kScrollBarPixels, screen.h);
    w_cut = true;
  }
  if (wide) *wide = w_cut;
  if (tall) *tall = h_cut;
  return s;
}

void ShowBar(Hwnd h, int bar, int32_t range) {
  win::ShowScrollBar(h, bar, true);
  win::SetScrollRange(h, bar, 0, range);
}

}  // namespace

uint16_t ScreenSend(uint32_t control, uint16_t action) {
  WinState& st = Win();
  // The recent actions only: a long run must not grow the record.
  if (st.actions.size() >= kRecordedActions) st.actions.erase(st.actions.begin());
  st.actions.push_back(RecordedAction{control, action});
  return st.link.action ? st.link.action(control, action) : kNotHandled;
}

// ---- the window stack ----

ErrCode WindowPush(Hwnd h, uint16_t value) {
  WindowStack& s = Win().stack;
  int i = FindEntry(h);
  if (i >= 0) {
    RemoveFromOrder(static_cast<uint8_t>(i));
  } else {
    for (int k = 0; k < kStackSize && i < 0; ++k)
      if (s.entries[k].hwnd == 0) i = k;
    if (i < 0 || h == 0) return E_NOTFOUND;
    s.entries[i] = StackEntry{h, value, 0};
  }
  s.entries[i].value = value;
  s.order[s.count++] = static_cast<uint8_t>(i);
  return E_OK;
}

void WindowPop(Hwnd h) {
  WindowStack& s = Win().stack;
  int i = FindEntry(h);
  // A window that is not on the stack leaves it alone; one that is not the
  // top leaves only its own place.
  if (i < 0) return;
  bool was_top = s.count && s.order[s.count - 1] == i;
  s.entries[i] = StackEntry{};
  RemoveFromOrder(static_cast<uint8_t>(i));
  if (was_top && s.count) WindowActivate(TopEntry()->hwnd);
}

Hwnd WindowTop() {
  StackEntry* e = TopEntry();
  return e ? e->hwnd : 0;
}

uint16_t WindowValue(Hwnd h) {
  int i = FindEntry(h);
  return i < 0 ? kNoValue : Win().stack.entries[i].value;
}

uint16_t WindowCount() {
  return Win().stack.count;
}

// ---- creation ----

bool WindowKind(uint16_t kind, std::string* cls, uint32_t* style) {
  if (kind >= kKinds) return false;
  static constexpr StrRef kNames(",LnMant,Mant,MantDlg,Grid,Dialogx,DevSel,Progress");
  *cls = ListItem(kNames, ',', kind + 1).str();
  if (cls->empty()) *cls = AppClassName();
  switch (kind) {
    case 0:
    case 1:
    case 2:
    case 8:
      *style = kCaptionStyle;
      break;
    case 11:
      *style = 0;
      break;
    default:
      *style = kDialogStyle;
      break;
  }
  return true;
}

Hwnd WindowCreate(StrRef cls, StrRef title, uint32_t style, int32_t x, int32_t y, int32_t w,
                  int32_t h, uint32_t menu_or_id, WndProc proc) {
  if (!cls.ok() || cls.empty()) {
    win::SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return 0;
  }
  if (!win::GetClassInfo(cls) &&
      !win::RegisterClass(cls, CS_HREDRAW | CS_VREDRAW, proc ? proc : win::DefWindowProc))
    return 0;
  Hwnd top = WindowTop();
  bool disabled = false;
  if ((style & kModalFlag) && top != 0 && win::IsWindowEnabled(top)) {
    win::EnableWindow(top, false);
    disabled = true;
  }
  if (w == 65535 || h == 65535) w = CW_USEDEFAULT;
  Hwnd made = win::CreateWindowEx(WS_EX_DLGMODALFRAME, cls, title.ok() ? title : StrRef(), style,
                                  w == CW_USEDEFAULT ? CW_USEDEFAULT : x, y, w, h, top, menu_or_id);
  if (made != 0) {
    // Windows of one class may come with their own procedures.
    if (proc != nullptr) win::SetWindowProc(made, proc);
    if (WindowPush(made, kNoValue) == E_OK) return made;
    win::DestroyWindow(made);
    made = 0;
    win::SetLastError(ERROR_INVALID_PARAMETER);
  }
  // A window that could not be opened must not leave the one below disabled.
  if (disabled) win::EnableWindow(top, true);
  return 0;
}

Size ScreenSize(Hwnd owner) {
  if (owner != 0 && win::IsWindow(owner)) {
    Rect c = win::GetClientRect(owner);
    return Size{c.w, c.h};
  }
  WinState& st = Win();
  if (ScreenConfigured()) return Size{st.config_w, st.config_h};
  return Size{st.sys.screen_cols * st.sys.cell_w, st.sys.screen_rows * st.sys.cell_h};
}

Size WindowFrameSize(int32_t client_w, int32_t client_h, uint16_t kind, bool has_menu) {
  uint32_t style = kind == 5 ? kDialogStyle : kCaptionStyle;
  if (ScreenConfigured()) {
    // The dialog frame on each side; the caption is the top one.
    int32_t fx = Sys().cell_w, fy = Sys().cell_h;
    return Size{client_w + 2 * fx, client_h + 2 * fy + (has_menu ? CellSize().h : 0)};
  }
  Rect r = win::AdjustWindowRect(Rect{0, 0, client_w, client_h}, style, has_menu);
  return Size{r.w, r.h};
}

Hwnd WindowOpenKind(uint16_t kind, uint16_t flags, StrRef title, Hwnd owner, uint16_t columns,
                    uint16_t rows, WndProc proc, StrRef cls) {
  std::string name;
  uint32_t style = 0;
  if (!WindowKind(kind, &name, &style)) {
    Fail(M_SCREENS, E_DATA);
    return 0;
  }
  if (name.empty()) name = cls.str();
  Size screen = ScreenSize(owner);
  CellMetrics cell = CellSize();
  if (columns == 65535) columns = Win().geom_cols;
  if (rows == 65535) rows = Win().geom_rows;
  Size full = WindowFrameSize(columns * cell.w, rows * cell.h, kind, false);
  bool wide = false, tall = false;
  Size size = CutToScreen(full, screen, &wide, &tall);
  if (wide) style |= WS_HSCROLL;
  if (tall) style |= WS_VSCROLL;
  int32_t x = 0, y = 0;
  if ((flags & kPlaceBelowFocus) && win::GetFocus() != 0 &&
      win::TopLevelOf(win::GetFocus()) == WindowTop()) {
    Rect f = win::GetWindowRect(win::GetFocus());
    // Below the field, but kept on the screen.
    x = std::clamp(f.x, 0, std::max(0, screen.w - size.w));
    y = std::clamp(f.bottom(), 0, std::max(0, screen.h - size.h));
    if (x == 0) x = 1;  // 0 would centre it
  } else {
    x = std::max(0, screen.w - size.w) / 2;
    y = std::max(0, screen.h - size.h) / 2;
  }
  Hwnd h = WindowCreate(StrRef::Of(name), title, style, x, y, size.w, size.h, 0, proc);
  if (h == 0) return 0;
  WindowShowTop(kind == 11 ? 4 : 0);
  (void)WindowPlace((flags & kPlaceBelowFocus) ? x : 0, y, full.w, full.h);
  return h;
}

void WindowShowTop(int how) {
  StackEntry* e = TopEntry();
  if (e == nullptr) return;
  if (how == -1) {
    win::ShowWindow(e->hwnd, e->show == 4 && !ScreenConfigured() ? SW_MAXIMIZE : SW_SHOW);
    win::Present();
  } else if (how == 2) {
    win::ShowWindow(e->hwnd, SW_SHOWNORMAL);
  } else {
    e->show = static_cast<uint8_t>(how == 1 ? 0 : how);
  }
}

void WindowActivate(Hwnd h) {
  win::EnableWindow(h, true);
  win::SetFocus(h);
}

uint16_t WindowDestroy(Hwnd h) {
  return win::DestroyWindow(h) ? 0 : 65535;
}

StrRef WindowText(Hwnd h, uint16_t max) {
  if (!win::IsWindow(h)) return StrRef::Fail(E_DATA);
  std::string t = win::GetWindowText(h);
  size_t limit = max == 65535 ? 384 : max;
  if (t.size() > limit) t.resize(limit);
  ErrCode e = Scratch().PushCopy(StrRef::Of(t));
  if (e) return StrRef::Fail(e);
  return Scratch().Top();
}

ErrCode WindowSetText(Hwnd h, StrRef text) {
  if (!text.ok()) return text.err();
  return win::SetWindowText(h, text) ? E_OK : E_DATA;
}

ErrCode WindowPlace(int32_t x, int32_t y, int32_t w, int32_t h) {
  Hwnd top = WindowTop();
  Window* win = win::Get(top);
  if (win == nullptr) return E_DATA;
  Size screen = ScreenSize();
  if (w == 65535) {
    Rect c = win::GetClientRect(top);
    Size f = WindowFrameSize(c.w, c.h, 0, false);
    w = f.w;
    h = f.h;
  }
  int32_t content_w = w, content_h = h;
  Size cut = CutToScreen(Size{w, h}, screen, nullptr, nullptr);
  w = cut.w;
  h = cut.h;
  if (x == 0) {
    x = std::max(0, screen.w - w) / 2;
    y = std::max(0, screen.h - h) / 2;
  } else if (x == 65535) {
    Rect r = win->rc;
    x = std::max(0, std::min(r.x, screen.w - w));
    y = std::max(0, std::min(r.y, screen.h - h));
  }
  win::SetWindowPos(top, x, y, w, h, true);
  // Scroll bars over what does not fit; a shown bar takes room from the
  // other direction.
  CellMetrics cell = CellSize();
  int32_t over_w = content_w - w, over_h = content_h - h;
  bool vbar = over_h > cell.h / 2;
  if (vbar) over_w += kScrollBarPixels;
  bool hbar = over_w > cell.w;
  if (hbar) {
    over_h += kScrollBarPixels;
    if (!vbar && over_h > cell.h / 2) {
      vbar = true;
      over_w += kScrollBarPixels;
    }
  }
  ResetBar(top, SB_HORZ);
  ResetBar(top, SB_VERT);
  if (hbar) ShowBar(top, SB_HORZ, over_w);
  if (vbar) ShowBar(top, SB_VERT, over_h);
  return E_OK;
}

int32_t WindowScroll(Hwnd h, int bar, uint16_t request, int32_t track) {
  ScrollInfo si = win::GetScrollInfo(h, bar);
  CellMetrics cell = CellSize();
  int32_t page = bar == SB_HORZ ? cell.w : cell.h;
  int32_t pos = si.pos;
  switch (request) {
    case SB_LINEUP:
      pos -= 2;
      break;
    case SB_LINEDOWN:
      pos += 2;
      break;
    case SB_PAGEUP:
      pos -= page;
      break;
    case SB_PAGEDOWN:
      pos += page;
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      pos = track;
      break;
    case SB_TOP:
      pos = si.min;
      break;
    case SB_BOTTOM:
      pos = si.max;
      break;
    default:
      break;
  }
  pos = std::clamp(pos, si.min, si.max);
  int32_t delta = si.pos - pos;
  if (delta != 0) win::ScrollWindowEx(h, bar == SB_HORZ ? delta : 0, bar == SB_VERT ? delta : 0);
  win::SetScrollPos(h, bar, pos);
  return pos;
}

ErrCode MenuAppend(Hmenu menu, uint32_t id, StrRef text, StrRef command, Hmenu submenu) {
  if (!text.ok()) return text.err();
  bool ok = submenu != 0 ? win::AppendMenu(menu, MF_POPUP, submenu, text)
                         : win::AppendMenu(menu, MF_STRING, id, text);
  if (!ok) return E_DATA;
  if (command.ok() && !command.empty() && submenu == 0) {
    if (id < 1500) return E_DATA;
    return Slots().Set(5, static_cast<uint16_t>(id - 1500), command);
  }
  return E_OK;
}

// ---- the message loop ----

uint16_t PumpMessages(Hwnd window) {
  (void)window;
  WinState& st = Win();
  Msg m;
  while (!st.quitting && win::PeekMessage(&m, true)) {
    if (m.message == WM_QUIT) return 1;
    win::TranslateMessage(m);
    win::DispatchMessage(m);
  }
  if (st.quitting) return 1;
  return WindowCount() == 0 ? 1 : 0;
}

void RunWindow(Hwnd window) {
  WindowShowTop(-1);
  while (PumpMessages(window) == 0) {
    if (window != 0 && WindowTop() != window) break;
    win::Idle(10);
    if (Win().quitting) break;
  }
  if (!Win().quitting) {
    Msg m;
    while (win::PeekMessage(&m, true) && m.message != WM_QUIT) {
      win::TranslateMessage(m);
      win::DispatchMessage(m);
    }
  }
  win::Present();
}

void PostQuit(Hwnd window) {
  if (!win::PostMessage(window, WM_QUIT, 0, 0)) win::PostQuitMessage(0);
}

// ---- window procedures ----

namespace {

bool CommonMessage(Hwnd h, uint32_t msg, WParam wp, LParam lp, LResult* result) {
  (void)lp;
  *result = 0;
  switch (msg) {
    case WM_DESTROY:
      WindowPop(h);
      if (WindowCount() == 0) PostQuit(0);
      return true;
    case WM_SETFOCUS: {
      uint16_t screen = Win().link.current_screen ? Win().link.current_screen() : kNoValue;
      int i = FindEntry(h);
      if (i >= 0 && Win().stack.entries[i].value == kNoValue && screen != kNoValue) {
        Win().stack.entries[i].value = screen;
        ScreenSend(0, 95);
      } else {
        ScreenSend(0, 91);
      }
      return true;
    }
    case WM_KEYDOWN:
      if (wp == VK_ESCAPE) {
        win::SendMessage(h, WM_CLOSE, 0, 0);
        return true;
      }
      return false;
    case WM_RUNTIME_ACTION:
      ScreenSend(0, static_cast<uint16_t>(wp * 256 + 23));
      return true;
    case WM_HSCROLL:
    case WM_VSCROLL:
      WindowScroll(h, msg == WM_HSCROLL ? SB_HORZ : SB_VERT, static_cast<uint16_t>(wp & 0xFFFF),
                   static_cast<int16_t>((wp >> 16) & 0xFFFF));
      return true;
    default:
      return false;
  }
}

}  // namespace

LResult RuntimeWndProc(Hwnd h, uint32_t msg, WParam wp, LParam lp) {
  LResult r;
  if (CommonMessage(h, msg, wp, lp, &r)) return r;
  return win::DefWindowProc(h, msg, wp, lp);
}

LResult DialogWndProc(Hwnd h, uint32_t msg, WParam wp, LParam lp) {
  WinState& st = Win();
  if (msg == WM_CLOSE) {
    // The screen layer closes its own windows; without one the window goes.
    if (ScreenSend(0, 28) == kNotHandled || !st.link.action) win::DestroyWindow(h);
    return 0;
  }
  if (msg == WM_COMMAND && st.link.command) return st.link.command(h, wp, lp);
  return RuntimeWndProc(h, msg, wp, lp);
}

LResult MainWndProc(Hwnd h, uint32_t msg, WParam wp, LParam lp) {
  WinState& st = Win();
  if (msg == WM_CLOSE && st.link.main_event) {
    st.link.main_event(17);
    return 0;
  }
  if (msg == WM_COMMAND && st.link.main_event) {
    uint32_t id = static_cast<uint32_t>(wp & 0xFFFF);
    if (id >= 1500 && id < 1700) {
      st.link.main_event(static_cast<uint16_t>(16 | ((id - 1500) << 8)));
      return 0;
    }
  }
  return RuntimeWndProc(h, msg, wp, lp);
}

ErrCode PanelPaint(Hwnd h, StrRef text) {
  Window* w = win::Get(h);
  if (w == nullptr) return E_DATA;
  if (!text.ok()) return text.err();
  w->panel = text.str();
  Sys().dirty = true;
  return E_OK;
}

}  // namespace tol
