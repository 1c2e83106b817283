// The in-process window system: window tables, focus and z-order, the
// message queue with its input and timers, and the built-in controls'
// behaviour.
#include "winui/winsys.h"

#include <algorithm>
#include <cctype>

#include "winui/winui.h"

namespace tol::win {

namespace {

constexpr int32_t kScrollBar = 24;  // pixels a shown scroll bar takes

std::string Key(StrRef name) {
  std::string k = name.str();
  for (char& c : k) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return k;
}

struct BuiltIn {
  const char* name;
  Ctl kind;
};
constexpr BuiltIn kBuiltIns[] = {
    {"EDIT", Ctl::EDIT},
    {"BUTTON", Ctl::BUTTON},
    {"STATIC", Ctl::STATIC},
    {"LISTBOX", Ctl::LISTBOX},
    {"COMBOBOX", Ctl::COMBOBOX},
    {"SYSLISTVIEW32", Ctl::LISTVIEW},
    {"MSCTLS_PROGRESS32", Ctl::PROGRESS},
};

Ctl BuiltInKind(const std::string& key) {
  for (const BuiltIn& b : kBuiltIns)
    if (key == b.name) return b.kind;
  return Ctl::NONE;
}

bool IsChild(const Window& w) {
  return (w.style & WS_CHILD) != 0;
}

bool Framed(uint32_t style) {
  return (style & WS_CHILD) == 0 && (style & (WS_CAPTION | WS_BORDER | WS_DLGFRAME)) != 0;
}

void Touch() {
  Sys().dirty = true;
}

// Whether a lies inside b (or is b).
bool Within(Hwnd a, Hwnd b) {
  for (Window* w = Get(a); w != nullptr; w = IsChild(*w) ? Get(w->parent) : nullptr)
    if (w->self == b) return true;
  return false;
}

void Raise(Hwnd top) {
  Window* w = Get(top);
  if (w != nullptr && !IsChild(*w)) w->z = Sys().next_z++;
}

void Notify(Hwnd h, uint16_t code) {
  Window* w = Get(h);
  if (w == nullptr || !IsChild(*w)) return;
  SendMessage(w->parent, WM_COMMAND, MakeWParam(static_cast<uint16_t>(w->id), code),
              static_cast<LParam>(h));
}

int32_t ClampSel(int32_t sel, int32_t count) {
  if (count <= 0) return -1;
  return std::clamp(sel, 0, count - 1);
}

// Keys that move a selection through n lines; false for other keys.
bool MoveSelection(int32_t* sel, int32_t n, uint16_t vk, int32_t page) {
  int32_t s = *sel;
  switch (vk) {
    case VK_UP:
      s = s < 0 ? 0 : s - 1;
      break;
    case VK_DOWN:
      s = s + 1;
      break;
    case VK_PRIOR:
      s -= page;
      break;
    case VK_NEXT:
      s = s < 0 ? page - 1 : s + page;
      break;
    case VK_HOME:
      s = 0;
      break;
    case VK_END:
      s = n - 1;
      break;
    default:
      return false;
  }
  *sel = ClampSel(s, n);
  return true;
}

int32_t LinesShown(const Window& w) {
  return std::max(1, w.rc.h / Sys().cell_h);
}

void EditChar(Window& w, uint8_t ch) {
  if (ch == 8) {
    if (w.style & ES_READONLY) return;
    if (w.sel_all) {
      w.text.clear();
      w.caret = 0;
    } else if (w.caret > 0) {
      w.text.erase(w.caret - 1, 1);
      --w.caret;
    }
  } else if (ch >= 32 && ch != 127) {
    if (w.style & ES_READONLY) return;
    if (w.sel_all) {
      w.text.clear();
      w.caret = 0;
    }
    if (w.text.size() >= 0xFFFE) return;
    w.caret = static_cast<uint16_t>(std::min<size_t>(w.caret, w.text.size()));
    w.text.insert(w.text.begin() + w.caret, static_cast<char>(ch));
    ++w.caret;
  } else {
    return;
  }
  w.sel_all = false;
  Touch();
}

bool EditKey(Window& w, uint16_t vk) {
  uint16_t n = static_cast<uint16_t>(w.text.size());
  w.caret = std::min(w.caret, n);
  switch (vk) {
    case VK_LEFT:
      if (w.caret > 0) --w.caret;
      break;
    case VK_RIGHT:
      if (w.caret < n) ++w.caret;
      break;
    case VK_HOME:
      w.caret = 0;
      break;
    case VK_END:
      w.caret = n;
      break;
    case VK_DELETE:
      if (w.style & ES_READONLY) return true;
      if (w.sel_all) {
        w.text.clear();
        w.caret = 0;
      } else if (w.caret < n) {
        w.text.erase(w.caret, 1);
      }
      break;
    default:
      return false;
  }
  w.sel_all = false;
  Touch();
  return true;
}

void ButtonClick(Hwnd h) {
  Window* w = Get(h);
  if (w == nullptr || !w->enabled) return;
  if ((w->style & 0xF) == BS_AUTOCHECKBOX) w->checked = !w->checked;
  Touch();
  Notify(h, BN_CLICKED);
}

int32_t ClickRow(LParam lp) {
  return static_cast<int32_t>((lp >> 16) & 0xFFFF) / Sys().cell_h;
}

LResult ControlProc(Window& w, uint32_t msg, WParam wp, LParam lp) {
  Hwnd h = w.self;
  Ctl kind = BuiltInKind(Key(StrRef::Of(w.cls)));
  switch (kind) {
    case Ctl::EDIT:
      if (msg == WM_CHAR) EditChar(w, static_cast<uint8_t>(wp));
      if (msg == WM_KEYDOWN) EditKey(w, static_cast<uint16_t>(wp));
      if (msg == WM_SETFOCUS) w.caret = static_cast<uint16_t>(w.text.size());
      if (msg == WM_KILLFOCUS) w.sel_all = false;
      return 0;
    case Ctl::BUTTON:
      if ((msg == WM_KEYDOWN && (wp == VK_SPACE || wp == VK_RETURN)) || msg == WM_LBUTTONUP)
        ButtonClick(h);
      return 0;
    case Ctl::LISTBOX:
    case Ctl::COMBOBOX:
    case Ctl::LISTVIEW: {
      int32_t n = kind == Ctl::LISTVIEW ? static_cast<int32_t>(w.rows.size())
                                        : static_cast<int32_t>(w.items.size());
      int32_t before = w.sel;
      if (msg == WM_KEYDOWN) {
        if (!MoveSelection(&w.sel, n, static_cast<uint16_t>(wp), LinesShown(w))) {
          if (kind == Ctl::COMBOBOX && (w.style & 3) == CBS_DROPDOWN) {
            if (EditKey(w, static_cast<uint16_t>(wp))) return 0;
          }
          return 0;
        }
      } else if (msg == WM_CHAR && kind == Ctl::COMBOBOX && (w.style & 3) == CBS_DROPDOWN) {
        EditChar(w, static_cast<uint8_t>(wp));
        return 0;
      } else if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) {
        // A list view's first line is its header, a drop-down combo box's
        // the choice.
        bool head = kind == Ctl::LISTVIEW || (kind == Ctl::COMBOBOX && (w.style & 3) != CBS_SIMPLE);
        int32_t row = ClickRow(lp) + w.top_row - (head ? 1 : 0);
        if (kind == Ctl::LISTVIEW && (w.style & (WS_BORDER | WS_DLGFRAME))) --row;  // its frame
        if (row >= 0 && row < n) w.sel = row;
        if (msg == WM_LBUTTONDBLCLK && kind == Ctl::LISTBOX && w.sel >= 0) Notify(h, LBN_DBLCLK);
      } else {
        return 0;
      }
      if (w.sel != before) {
        if (kind == Ctl::COMBOBOX && w.sel >= 0) {
          w.text = w.items[w.sel];
          w.caret = static_cast<uint16_t>(w.text.size());
        }
        Touch();
        if (kind != Ctl::LISTVIEW) Notify(h, LBN_SELCHANGE);
      }
      return 0;
    }
    default:
      return 0;
  }
}

Hwnd KeyTarget() {
  WinSys& s = Sys();
  Hwnd t = s.focus;
  if (!IsWindow(t)) t = ActiveWindow();
  if (t == 0) return 0;
  Window* top = Get(TopLevelOf(t));
  if (top == nullptr || !top->enabled) return 0;
  return t;
}

void PostKey(const InputEvent& ev) {
  Hwnd t = KeyTarget();
  if (t == 0) return;
  WinSys& s = Sys();
  // Key messages go in front of what the program posted later, as one
  // stroke: modifiers down, the key down and up, modifiers up.
  std::vector<Msg> seq;
  if (ev.shift) seq.push_back({t, WM_KEYDOWN, VK_SHIFT, 0});
  if (ev.ctrl) seq.push_back({t, WM_KEYDOWN, VK_CONTROL, 0});
  seq.push_back({t, WM_KEYDOWN, ev.vk, KeyLParam(ev.ch)});
  seq.push_back({t, WM_KEYUP, ev.vk, 0});
  if (ev.ctrl) seq.push_back({t, WM_KEYUP, VK_CONTROL, 0});
  if (ev.shift) seq.push_back({t, WM_KEYUP, VK_SHIFT, 0});
  for (const Msg& m : seq) s.queue.push_back(m);
}

bool Focusable(const Window& w) {
  switch (BuiltInKind(Key(StrRef::Of(w.cls)))) {
    case Ctl::EDIT:
    case Ctl::BUTTON:
    case Ctl::LISTBOX:
    case Ctl::COMBOBOX:
    case Ctl::LISTVIEW:
      return true;
    default:
      return false;
  }
}

// The menu bar item under a screen column of a window's menu row.
int32_t MenuBarHit(const Window& top, int32_t col) {
  Menu* m = GetMenu(top.menu);
  if (m == nullptr) return -1;
  int32_t x = (top.rc.x + FrameLeft(top.style)) / Sys().cell_w + 1;
  for (size_t i = 0; i < m->items.size(); ++i) {
    int32_t w = static_cast<int32_t>(m->items[i].text.size());
    if (col >= x - 1 && col < x + w + 1) return static_cast<int32_t>(i);
    x += w + 2;
  }
  return -1;
}

void OpenMenuItem(Hwnd top, int32_t index, int32_t col, int32_t row) {
  Window* w = Get(top);
  Menu* m = w ? GetMenu(w->menu) : nullptr;
  if (m == nullptr || index < 0 || index >= static_cast<int32_t>(m->items.size())) return;
  const MenuItem& it = m->items[index];
  uint32_t id = it.id;
  if (it.flags & MF_POPUP) id = TrackPopupMenu(it.id, col * Sys().cell_w, row * Sys().cell_h, top);
  if (id != 0 && !(it.flags & MF_SEPARATOR)) PostMessage(top, WM_COMMAND, id, 0);
}

void PostClick(const InputEvent& ev) {
  WinSys& s = Sys();
  int32_t px = ev.col * s.cell_w, py = ev.row * s.cell_h;
  s.cursor_x = px;
  s.cursor_y = py;
  Hwnd h = WindowFromPoint(px, py);
  if (h == 0) return;
  Hwnd top = TopLevelOf(h);
  Window* tw = Get(top);
  if (tw == nullptr || !tw->enabled) return;
  if (h == top) {
    Rect r = tw->rc;
    int32_t cx, cy;
    ClientOrigin(top, &cx, &cy);
    Rect c = GetClientRect(top);
    if (tw->menu != 0 && py < cy && py >= cy - s.cell_h) {
      OpenMenuItem(top, MenuBarHit(*tw, ev.col), ev.col, ev.row + 1);
      return;
    }
    if (tw->vbar.shown && px >= cx + c.w && px < cx + c.w + kScrollBar && py >= cy &&
        py < cy + c.h) {
      int32_t mid = cy + c.h / 2;
      PostMessage(top, WM_VSCROLL, py < mid ? SB_PAGEUP : SB_PAGEDOWN, 0);
      return;
    }
    if (tw->hbar.shown && py >= cy + c.h && py < cy + c.h + kScrollBar && px >= cx &&
        px < cx + c.w) {
      int32_t mid = cx + c.w / 2;
      PostMessage(top, WM_HSCROLL, px < mid ? SB_PAGEUP : SB_PAGEDOWN, 0);
      return;
    }
    (void)r;
  }
  Window* w = Get(h);
  if (!w->enabled) return;
  if (Focusable(*w)) SetFocus(h);
  int32_t ox, oy;
  ClientOrigin(h, &ox, &oy);
  LParam lp = static_cast<LParam>(static_cast<uint16_t>(px - ox)) |
              (static_cast<LParam>(static_cast<uint16_t>(py - oy)) << 16);
  if (ev.kind == InputEvent::DBLCLICK) {
    s.queue.push_back({h, WM_LBUTTONDBLCLK, 0, lp});
  } else {
    s.queue.push_back({h, WM_LBUTTONDOWN, 0, lp});
  }
  s.queue.push_back({h, WM_LBUTTONUP, 0, lp});
}

// Takes one input event from the backend and queues its messages.
void PollInput() {
  WinState& st = Win();
  WinSys& s = st.sys;
  if (!st.backend) {
    s.input_ended = true;
    return;
  }
  InputEvent ev;
  if (!st.backend->PollInput(&ev)) return;
  switch (ev.kind) {
    case InputEvent::KEY:
      if (ev.vk == VK_F12) {
        Window* a = Get(ActiveWindow());
        if (a != nullptr && a->menu != 0 && a->enabled) {
          int32_t col = (a->rc.x + FrameLeft(a->style)) / s.cell_w + 1;
          int32_t row = (a->rc.y + FrameTop(a->style, true)) / s.cell_h;
          OpenMenuItem(a->self, 0, col, row);
          return;
        }
      }
      PostKey(ev);
      break;
    case InputEvent::CLICK:
    case InputEvent::DBLCLICK:
      PostClick(ev);
      break;
    case InputEvent::RESIZE:
      st.backend->ScreenCells(&s.screen_cols, &s.screen_rows);
      Touch();
      break;
    case InputEvent::END:
      s.input_ended = true;
      break;
    default:
      break;
  }
}

}  // namespace

// ---- classes ----

bool GetClassInfo(StrRef name, WndClass* out) {
  std::string k = Key(name);
  if (BuiltInKind(k) != Ctl::NONE) {
    if (out) *out = WndClass{k, 0, DefWindowProc};
    return true;
  }
  auto it = Sys().classes.find(k);
  if (it == Sys().classes.end()) return false;
  if (out) *out = it->second;
  return true;
}

bool RegisterClass(StrRef name, uint32_t style, WndProc proc) {
  if (!name.ok() || name.empty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (GetClassInfo(name)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return false;
  }
  Sys().classes[Key(name)] = WndClass{name.str(), style, proc ? proc : DefWindowProc};
  return true;
}

// ---- windows ----

Window* Get(Hwnd h) {
  if (h == 0) return nullptr;
  auto& ws = Sys().windows;
  auto it = ws.find(h);
  return it == ws.end() ? nullptr : &it->second;
}

bool IsWindow(Hwnd h) {
  return Get(h) != nullptr;
}

Ctl ControlKind(Hwnd h) {
  Window* w = Get(h);
  return w ? BuiltInKind(Key(StrRef::Of(w->cls))) : Ctl::NONE;
}

Hwnd CreateWindowEx(uint32_t ex_style, StrRef cls, StrRef text, uint32_t style, int32_t x,
                    int32_t y, int32_t w, int32_t h, Hwnd parent, uint32_t menu_or_id) {
  WinSys& s = Sys();
  WndClass wc;
  if (!cls.ok() || !GetClassInfo(cls, &wc)) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return 0;
  }
  if ((style & WS_CHILD) && !IsWindow(parent)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (parent != 0 && !IsWindow(parent)) parent = 0;
  Hwnd self = s.next_handle++;
  Window& win = s.windows[self];
  win.self = self;
  win.cls = Key(cls);
  win.style = style;
  win.ex_style = ex_style;
  win.text = text.ok() ? text.str() : std::string();
  win.parent = parent;
  win.proc = wc.proc;
  win.enabled = (style & WS_DISABLED) == 0;
  win.visible = (style & WS_VISIBLE) != 0;
  int32_t sw = s.screen_cols * s.cell_w, sh = s.screen_rows * s.cell_h;
  size_t tops = s.windows.size() % 8;
  if (x == CW_USEDEFAULT) {
    x = static_cast<int32_t>(tops) * 2 * s.cell_w;
    y = static_cast<int32_t>(tops) * s.cell_h;
  }
  if (w == CW_USEDEFAULT) {
    w = sw / 2;
    h = sh / 2;
  }
  win.rc = Rect{x, y, std::max(0, w), std::max(0, h)};
  if (style & WS_CHILD) {
    win.id = menu_or_id;
    Get(parent)->children.push_back(self);
  } else {
    win.menu = menu_or_id;
    win.z = s.next_z++;
  }
  if (win.cls == "COMBOBOX" && (style & 3) != CBS_SIMPLE && (style & 3) != CBS_DROPDOWN)
    win.text.clear();
  Touch();
  if (SendMessage(self, WM_CREATE, 0, 0) == -1) {
    DestroyWindow(self);
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return self;
}

bool DestroyWindow(Hwnd h) {
  WinSys& s = Sys();
  Window* w = Get(h);
  if (w == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  if (w->destroying) return true;
  w->destroying = true;
  // Owned windows go first, as the desktop does it.
  if (!IsChild(*w)) {
    std::vector<Hwnd> owned;
    for (auto& [oh, o] : s.windows)
      if (!IsChild(o) && o.parent == h) owned.push_back(oh);
    for (Hwnd o : owned) DestroyWindow(o);
  }
  if (Within(s.focus, h)) s.focus = 0;
  SendMessage(h, WM_DESTROY, 0, 0);
  w = Get(h);
  std::vector<Hwnd> kids = w->children;
  for (Hwnd k : kids) DestroyWindow(k);
  w = Get(h);
  std::erase_if(s.timers, [h](const Timer& t) { return t.hwnd == h; });
  if (IsChild(*w)) {
    if (Window* p = Get(w->parent)) std::erase(p->children, h);
  } else if (w->menu != 0) {
    DestroyMenu(w->menu);
  }
  s.windows.erase(h);
  Touch();
  return true;
}

Hwnd GetParent(Hwnd h) {
  Window* w = Get(h);
  return w ? w->parent : 0;
}

Hwnd TopLevelOf(Hwnd h) {
  Window* w = Get(h);
  while (w != nullptr && IsChild(*w)) {
    Window* p = Get(w->parent);
    if (p == nullptr) break;
    w = p;
  }
  return w ? w->self : 0;
}

Hwnd GetDlgItem(Hwnd parent, uint32_t id) {
  Window* p = Get(parent);
  if (p == nullptr) return 0;
  for (Hwnd c : p->children)
    if (Get(c)->id == id) return c;
  return 0;
}

bool SetWindowText(Hwnd h, StrRef text) {
  Window* w = Get(h);
  if (w == nullptr || !text.ok()) return false;
  w->text = text.str();
  w->caret = std::min<uint16_t>(w->caret, static_cast<uint16_t>(w->text.size()));
  w->sel_all = false;
  Touch();
  return true;
}

std::string GetWindowText(Hwnd h) {
  Window* w = Get(h);
  return w ? w->text : std::string();
}

bool EnableWindow(Hwnd h, bool on) {
  Window* w = Get(h);
  if (w == nullptr) return false;
  bool was_disabled = !w->enabled;
  if (w->enabled == on) return was_disabled;
  w->enabled = on;
  if (!on && Within(Sys().focus, h)) Sys().focus = 0;
  Touch();
  SendMessage(h, WM_ENABLE, on ? 1 : 0, 0);
  return was_disabled;
}

bool IsWindowEnabled(Hwnd h) {
  Window* w = Get(h);
  return w != nullptr && w->enabled;
}

bool ShowWindow(Hwnd h, int cmd) {
  WinSys& s = Sys();
  Window* w = Get(h);
  if (w == nullptr) return false;
  bool was = w->visible;
  if (cmd == SW_HIDE) {
    w->visible = false;
    if (Within(s.focus, h)) s.focus = 0;
  } else {
    w->visible = true;
    if (cmd == SW_MAXIMIZE && !IsChild(*w))
      w->rc = Rect{0, 0, s.screen_cols * s.cell_w, s.screen_rows * s.cell_h};
    if (!IsChild(*w)) Raise(h);
  }
  Touch();
  return was;
}

bool IsWindowVisible(Hwnd h) {
  for (Window* w = Get(h); w != nullptr; w = IsChild(*w) ? Get(w->parent) : nullptr)
    if (!w->visible) return false;
  return IsWindow(h);
}

bool SetWindowPos(Hwnd h, int32_t x, int32_t y, int32_t w, int32_t h_, bool to_top) {
  Window* win = Get(h);
  if (win == nullptr) return false;
  win->rc = Rect{x, y, std::max(0, w), std::max(0, h_)};
  if (to_top) Raise(h);
  Touch();
  return true;
}

bool MoveWindow(Hwnd h, int32_t x, int32_t y, int32_t w, int32_t h_) {
  return SetWindowPos(h, x, y, w, h_, false);
}

int32_t FrameLeft(uint32_t style) {
  return Framed(style) ? Sys().cell_w : 0;
}

int32_t FrameTop(uint32_t style, bool has_menu) {
  int32_t t = Framed(style) ? Sys().cell_h : 0;
  if (has_menu && (style & WS_CHILD) == 0) t += Sys().cell_h;
  return t;
}

int32_t FrameWidth(uint32_t style) {
  return 2 * FrameLeft(style);
}

int32_t FrameHeight(uint32_t style, bool has_menu) {
  return FrameTop(style, has_menu) + (Framed(style) ? Sys().cell_h : 0);
}

Rect AdjustWindowRect(Rect client, uint32_t style, bool has_menu) {
  return Rect{client.x - FrameLeft(style), client.y - FrameTop(style, has_menu),
              client.w + FrameWidth(style), client.h + FrameHeight(style, has_menu)};
}

Rect GetClientRect(Hwnd h) {
  Window* w = Get(h);
  if (w == nullptr) return Rect{};
  int32_t cw = w->rc.w - FrameWidth(w->style) - (w->vbar.shown ? kScrollBar : 0);
  int32_t ch = w->rc.h - FrameHeight(w->style, w->menu != 0) - (w->hbar.shown ? kScrollBar : 0);
  return Rect{0, 0, std::max(0, cw), std::max(0, ch)};
}

void ClientOrigin(Hwnd h, int32_t* x, int32_t* y) {
  Window* w = Get(h);
  *x = *y = 0;
  if (w == nullptr) return;
  if (IsChild(*w)) {
    ClientOrigin(w->parent, x, y);
    *x += w->rc.x;
    *y += w->rc.y;
  } else {
    *x = w->rc.x + FrameLeft(w->style);
    *y = w->rc.y + FrameTop(w->style, w->menu != 0);
  }
}

Rect GetWindowRect(Hwnd h) {
  Window* w = Get(h);
  if (w == nullptr) return Rect{};
  if (!IsChild(*w)) return w->rc;
  int32_t x, y;
  ClientOrigin(w->parent, &x, &y);
  return Rect{x + w->rc.x, y + w->rc.y, w->rc.w, w->rc.h};
}

WndProc SetWindowProc(Hwnd h, WndProc proc) {
  Window* w = Get(h);
  if (w == nullptr || proc == nullptr) return nullptr;
  WndProc prev = w->proc;
  w->proc = proc;
  return prev;
}

namespace {
// A scrolled window asks to bring the control that takes the focus into
// view, so that typing never goes into a field out of sight.
void ScrollIntoView(Hwnd h) {
  Hwnd top = TopLevelOf(h);
  Window* t = Get(top);
  if (t == nullptr || top == h || !(t->vbar.shown || t->hbar.shown)) return;
  Rect r = GetWindowRect(h);
  int32_t cx, cy;
  ClientOrigin(top, &cx, &cy);
  Rect c = GetClientRect(top);
  auto want = [](const ScrollInfo& bar, int32_t lo, int32_t hi, int32_t size) {
    // Its end comes into view first, then its start if that is still out.
    int32_t pos = bar.pos;
    if (hi > size) {
      pos += hi - size;
      lo -= hi - size;
    }
    if (lo < 0) pos += lo;
    return std::clamp(pos, bar.min, bar.max);
  };
  if (t->vbar.shown) {
    int32_t pos = want(t->vbar, r.y - cy, r.bottom() - cy, c.h);
    if (pos != t->vbar.pos) SendMessage(top, WM_VSCROLL, MakeWParam(SB_THUMBPOSITION, pos), 0);
  }
  t = Get(top);
  if (t != nullptr && t->hbar.shown) {
    int32_t pos = want(t->hbar, r.x - cx, r.right() - cx, c.w);
    if (pos != t->hbar.pos) SendMessage(top, WM_HSCROLL, MakeWParam(SB_THUMBPOSITION, pos), 0);
  }
}
}  // namespace

Hwnd SetFocus(Hwnd h) {
  WinSys& s = Sys();
  Hwnd old = s.focus;
  if (h != 0) {
    Window* w = Get(h);
    if (w == nullptr || !w->enabled) return 0;
  }
  if (old == h) return old;
  s.focus = h;
  Touch();
  if (h != 0) {
    Hwnd top = TopLevelOf(h);
    if (top != ActiveWindow()) Raise(top);
  }
  if (IsWindow(old)) SendMessage(old, WM_KILLFOCUS, h, 0);
  if (h != 0 && s.focus == h) SendMessage(h, WM_SETFOCUS, old, 0);
  if (h != 0 && s.focus == h) ScrollIntoView(h);
  return old;
}

Hwnd GetFocus() {
  return IsWindow(Sys().focus) ? Sys().focus : 0;
}

std::vector<Hwnd> TopLevelWindows() {
  std::vector<std::pair<uint64_t, Hwnd>> v;
  for (auto& [h, w] : Sys().windows)
    if (!IsChild(w)) v.emplace_back(w.z, h);
  std::sort(v.begin(), v.end());
  std::vector<Hwnd> out;
  for (auto& p : v) out.push_back(p.second);
  return out;
}

Hwnd ActiveWindow() {
  std::vector<Hwnd> tops = TopLevelWindows();
  for (auto it = tops.rbegin(); it != tops.rend(); ++it)
    if (Get(*it)->visible) return *it;
  return 0;
}

namespace {
Hwnd ChildFromPoint(Hwnd h, int32_t x, int32_t y) {
  Window* w = Get(h);
  int32_t ox, oy;
  ClientOrigin(h, &ox, &oy);
  Rect c = GetClientRect(h);
  if (!IsChild(*w) && (x < ox || y < oy || x >= ox + c.w || y >= oy + c.h)) return h;
  for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) {
    Window* k = Get(*it);
    if (!k->visible) continue;
    Rect r = GetWindowRect(*it);
    if (x >= r.x && x < r.right() && y >= r.y && y < r.bottom()) return ChildFromPoint(*it, x, y);
  }
  return h;
}
}  // namespace

Hwnd WindowFromPoint(int32_t x, int32_t y) {
  std::vector<Hwnd> tops = TopLevelWindows();
  for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
    Window* w = Get(*it);
    if (!w->visible) continue;
    if (x >= w->rc.x && x < w->rc.right() && y >= w->rc.y && y < w->rc.bottom())
      return ChildFromPoint(*it, x, y);
  }
  return 0;
}

uint32_t GetLastError() {
  return Sys().last_error;
}

void SetLastError(uint32_t e) {
  Sys().last_error = e;
}

// ---- messages ----

bool PostMessage(Hwnd h, uint32_t msg, WParam wp, LParam lp) {
  if (h != 0 && !IsWindow(h)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  Sys().queue.push_back(Msg{h, msg, wp, lp});
  return true;
}

void PostQuitMessage(int code) {
  Sys().queue.push_back(Msg{0, WM_QUIT, static_cast<WParam>(code), 0});
}

LResult SendMessage(Hwnd h, uint32_t msg, WParam wp, LParam lp) {
  Window* w = Get(h);
  if (w == nullptr) return 0;
  return w->proc(h, msg, wp, lp);
}

bool PeekMessage(Msg* out, bool remove) {
  WinSys& s = Sys();
  if (s.queue.empty() && !s.input_ended) PollInput();
  if (!s.queue.empty()) {
    *out = s.queue.front();
    if (remove) s.queue.pop_front();
    return true;
  }
  if (!s.timers.empty()) {
    int64_t now = Now();
    Timer* due = nullptr;
    for (Timer& t : s.timers)
      if (t.due <= now && (due == nullptr || t.due < due->due)) due = &t;
    if (due != nullptr) {
      *out = Msg{due->hwnd, WM_TIMER, due->id, 0};
      if (remove) due->due = now + due->interval;
      return true;
    }
  }
  return false;
}

bool TranslateMessage(const Msg& m) {
  if (m.message != WM_KEYDOWN) return false;
  uint8_t ch = static_cast<uint8_t>((static_cast<uint64_t>(m.lparam) >> 32) & 0xFF);
  if (ch == 0) return false;
  // The character comes before anything queued after its key.
  Sys().queue.push_front(Msg{m.hwnd, WM_CHAR, ch, 0});
  return true;
}

LResult DispatchMessage(const Msg& m) {
  if (m.hwnd == 0) return 0;
  return SendMessage(m.hwnd, m.message, m.wparam, m.lparam);
}

LResult DefWindowProc(Hwnd h, uint32_t msg, WParam wp, LParam lp) {
  Window* w = Get(h);
  if (w == nullptr) return 0;
  switch (msg) {
    case WM_CLOSE:
      DestroyWindow(h);
      return 0;
    case WM_SETFONT:
      w->font = static_cast<uint32_t>(wp);
      if (lp) Touch();
      return 0;
    default:
      break;
  }
  if (IsChild(*w) && !w->enabled && msg != WM_DESTROY && msg != WM_KILLFOCUS) return 0;
  return ControlProc(*w, msg, wp, lp);
}

// ---- timers ----

int64_t Now() {
  WinState& st = Win();
  return st.backend ? st.backend->NowMillis() : st.sys.clock_ms;
}

bool SetTimer(Hwnd h, uint32_t id, uint32_t ms) {
  if (!IsWindow(h)) return false;
  KillTimer(h, id);
  Sys().timers.push_back(Timer{h, id, ms, Now() + ms});
  return true;
}

bool KillTimer(Hwnd h, uint32_t id) {
  size_t n =
      std::erase_if(Sys().timers, [h, id](const Timer& t) { return t.hwnd == h && t.id == id; });
  return n != 0;
}

void Present() {
  WinState& st = Win();
  if (!st.sys.dirty) return;
  st.sys.dirty = false;
  if (!st.backend) return;
  CellGrid grid;
  RenderScreen(st.sys, st.sys.screen_cols, st.sys.screen_rows, &grid);
  st.backend->Present(grid);
}

void Idle(int ms) {
  WinState& st = Win();
  Present();
  if (st.sys.input_ended && st.sys.queue.empty() && st.sys.timers.empty()) {
    // Nothing can happen any more: the loops end instead of waiting.
    st.quitting = true;
    return;
  }
  if (st.backend)
    st.backend->Idle(ms);
  else
    st.sys.clock_ms += ms;
}

// ---- scroll bars ----

namespace {
ScrollInfo* Bar(Hwnd h, int bar) {
  Window* w = Get(h);
  if (w == nullptr) return nullptr;
  return bar == SB_HORZ ? &w->hbar : &w->vbar;
}
}  // namespace

ScrollInfo GetScrollInfo(Hwnd h, int bar) {
  ScrollInfo* b = Bar(h, bar);
  return b ? *b : ScrollInfo{};
}

void SetScrollRange(Hwnd h, int bar, int32_t lo, int32_t hi) {
  if (ScrollInfo* b = Bar(h, bar)) {
    b->min = lo;
    b->max = std::max(lo, hi);
    b->pos = std::clamp(b->pos, b->min, b->max);
    Touch();
  }
}

void SetScrollPos(Hwnd h, int bar, int32_t pos) {
  if (ScrollInfo* b = Bar(h, bar)) {
    b->pos = std::clamp(pos, b->min, b->max);
    Touch();
  }
}

void ShowScrollBar(Hwnd h, int bar, bool show) {
  if (ScrollInfo* b = Bar(h, bar)) {
    b->shown = show;
    Touch();
  }
}

void ScrollWindowEx(Hwnd h, int32_t dx, int32_t dy) {
  Window* w = Get(h);
  if (w == nullptr) return;
  for (Hwnd c : w->children) {
    Window* k = Get(c);
    k->rc.x += dx;
    k->rc.y += dy;
  }
  Touch();
}

// ---- menus ----

namespace {
Hmenu NewMenu(bool popup) {
  WinSys& s = Sys();
  Hmenu m = s.next_handle++;
  s.menus[m].popup = popup;
  return m;
}
}  // namespace

Hmenu CreateMenu() {
  return NewMenu(false);
}

Hmenu CreatePopupMenu() {
  return NewMenu(true);
}

Menu* GetMenu(Hmenu m) {
  auto it = Sys().menus.find(m);
  return it == Sys().menus.end() ? nullptr : &it->second;
}

bool AppendMenu(Hmenu m, uint32_t flags, uint32_t id, StrRef text) {
  Menu* menu = GetMenu(m);
  if (menu == nullptr || !text.ok()) return false;
  if ((flags & MF_POPUP) && GetMenu(id) == nullptr) return false;
  menu->items.push_back(MenuItem{flags, id, text.str()});
  Touch();
  return true;
}

bool DestroyMenu(Hmenu m) {
  Menu* menu = GetMenu(m);
  if (menu == nullptr) return false;
  std::vector<MenuItem> items = std::move(menu->items);
  Sys().menus.erase(m);
  for (const MenuItem& it : items)
    if (it.flags & MF_POPUP) DestroyMenu(it.id);
  return true;
}

bool SetMenu(Hwnd h, Hmenu m) {
  Window* w = Get(h);
  if (w == nullptr || IsChild(*w) || (m != 0 && GetMenu(m) == nullptr)) return false;
  w->menu = m;
  Touch();
  return true;
}

uint32_t TrackPopupMenu(Hmenu m, int32_t x, int32_t y, Hwnd owner) {
  (void)owner;
  WinState& st = Win();
  for (int depth = 0; depth < 16; ++depth) {
    Menu* menu = GetMenu(m);
    if (menu == nullptr || !st.backend || menu->items.empty()) return 0;
    int32_t col = x / st.sys.cell_w, row = y / st.sys.cell_h;
    int32_t i = st.backend->TrackPopup(*menu, col, row);
    Touch();
    if (i < 0 || i >= static_cast<int32_t>(menu->items.size())) return 0;
    const MenuItem& it = menu->items[i];
    if (it.flags & MF_SEPARATOR) return 0;
    if (!(it.flags & MF_POPUP)) return it.id;
    m = it.id;
    x += 4 * st.sys.cell_w;
    y += (i + 1) * st.sys.cell_h;
  }
  return 0;
}

// ---- controls ----

bool IsDlgButtonChecked(Hwnd parent, uint32_t id) {
  Window* w = Get(GetDlgItem(parent, id));
  return w != nullptr && w->checked;
}

bool CheckDlgButton(Hwnd parent, uint32_t id, bool on) {
  Window* w = Get(GetDlgItem(parent, id));
  if (w == nullptr) return false;
  w->checked = on;
  Touch();
  return true;
}

int32_t AddString(Hwnd h, StrRef text) {
  Window* w = Get(h);
  Ctl k = ControlKind(h);
  if (w == nullptr || (k != Ctl::LISTBOX && k != Ctl::COMBOBOX) || !text.ok()) return -1;
  w->items.push_back(text.str());
  Touch();
  return static_cast<int32_t>(w->items.size() - 1);
}

bool ResetContent(Hwnd h) {
  Window* w = Get(h);
  if (w == nullptr) return false;
  w->items.clear();
  w->sel = -1;
  w->top_row = 0;
  Touch();
  return true;
}

int32_t GetCurSel(Hwnd h) {
  Window* w = Get(h);
  return w ? w->sel : -1;
}

bool SetCurSel(Hwnd h, int32_t i) {
  Window* w = Get(h);
  if (w == nullptr) return false;
  int32_t n = ControlKind(h) == Ctl::LISTVIEW ? static_cast<int32_t>(w->rows.size())
                                              : static_cast<int32_t>(w->items.size());
  if (i < -1 || i >= n) return false;
  w->sel = i;
  if (ControlKind(h) == Ctl::COMBOBOX) w->text = i >= 0 ? w->items[i] : std::string();
  Touch();
  return true;
}

int32_t InsertColumn(Hwnd lv, int32_t col, StrRef title, bool right, int32_t width) {
  Window* w = Get(lv);
  if (w == nullptr || ControlKind(lv) != Ctl::LISTVIEW || !title.ok()) return -1;
  int32_t at = std::clamp(col, 0, static_cast<int32_t>(w->columns.size()));
  w->columns.insert(w->columns.begin() + at, ListColumn{title.str(), right, width});
  for (auto& r : w->rows)
    if (static_cast<int32_t>(r.size()) > at) r.insert(r.begin() + at, std::string());
  Touch();
  return at;
}

int32_t InsertItem(Hwnd lv, int32_t row) {
  Window* w = Get(lv);
  if (w == nullptr || ControlKind(lv) != Ctl::LISTVIEW) return -1;
  int32_t at = std::clamp(row, 0, static_cast<int32_t>(w->rows.size()));
  w->rows.insert(w->rows.begin() + at, std::vector<std::string>());
  Touch();
  return at;
}

bool SetItemText(Hwnd lv, int32_t row, int32_t col, StrRef text) {
  Window* w = Get(lv);
  if (w == nullptr || row < 0 || col < 0 || row >= static_cast<int32_t>(w->rows.size()) ||
      !text.ok())
    return false;
  auto& r = w->rows[row];
  if (static_cast<int32_t>(r.size()) <= col) r.resize(col + 1);
  r[col] = text.str();
  Touch();
  return true;
}

bool DeleteAllItems(Hwnd lv) {
  Window* w = Get(lv);
  if (w == nullptr) return false;
  w->rows.clear();
  w->sel = -1;
  w->top_row = 0;
  Touch();
  return true;
}

int32_t ItemCount(Hwnd lv) {
  Window* w = Get(lv);
  return w ? static_cast<int32_t>(w->rows.size()) : 0;
}

bool SetProgressRange(Hwnd h, int32_t lo, int32_t hi) {
  Window* w = Get(h);
  if (w == nullptr) return false;
  w->range_lo = lo;
  w->range_hi = std::max(lo, hi);
  Touch();
  return true;
}

bool SetProgressPos(Hwnd h, int32_t pos) {
  Window* w = Get(h);
  if (w == nullptr) return false;
  w->pos = pos;
  Touch();
  return true;
}

uint32_t LoadImage(StrRef name) {
  if (!name.ok()) return 0;
  WinSys& s = Sys();
  uint32_t id = s.next_image++;
  s.images[id] = name.str();
  return id;
}

bool DeleteObject(uint32_t image) {
  WinSys& s = Sys();
  for (auto& [h, w] : s.windows)
    if (w.image == image) w.image = 0;
  return s.images.erase(image) != 0;
}

bool SetImage(Hwnd st, uint32_t image) {
  Window* w = Get(st);
  if (w == nullptr || (image != 0 && Sys().images.count(image) == 0)) return false;
  w->image = image;
  Touch();
  return true;
}

bool EditSelectAll(Hwnd h) {
  Window* w = Get(h);
  if (w == nullptr) return false;
  w->sel_all = true;
  w->caret = static_cast<uint16_t>(w->text.size());
  Touch();
  return true;
}

}  // namespace tol::win
