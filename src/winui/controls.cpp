// Subclassed controls and key codes, fonts and the character cell, labels,
// the logo image, list views and combo boxes.
#include "winui/controls.h"

#include <algorithm>
#include <cstring>

#include "core/core.h"
#include "core/errors.h"
#include "core/lists.h"
#include "core/text.h"
#include "format/locale.h"
#include "host/fs.h"
#include "lang/sysvars.h"
#include "winui/window.h"

namespace tol {

namespace {

constexpr uint16_t kNoSlot = 0xFFFF;
constexpr uint16_t kRefused = 126;  // the screen layer keeps the focus elsewhere

uint16_t Cmd(uint16_t n) {
  return static_cast<uint16_t>(25 + 256 * n);
}

// Keymap x 33 + key code.
const uint16_t kKeyMaps[2][33] = {
    {1,  0,      0,       21,      0,       0,      0,       0,       2,      1,       0,
     19, 20,     Cmd(13), Cmd(12), Cmd(17), Cmd(7), Cmd(14), Cmd(10), Cmd(9), Cmd(16), Cmd(16),
     32, Cmd(3), 0,       0,       0,       0,      31,      Cmd(5),  0,      0,       22},
    {1,  0,      0,       21, 0,       0,      0,       0,       2,      1,       0,
     19, 20,     Cmd(15), 0,  Cmd(17), Cmd(7), Cmd(14), Cmd(10), Cmd(9), Cmd(16), Cmd(15),
     32, Cmd(3), 0,       0,  0,       0,      31,      Cmd(5),  0,      0,       22},
};

LResult CallPrevious(uint8_t kind, Hwnd h, uint32_t msg, WParam wp, LParam lp) {
  WndProc prev = Win().prev_proc[kind];
  return (prev ? prev : win::DefWindowProc)(h, msg, wp, lp);
}

uint32_t IdOf(Hwnd h) {
  Window* w = win::Get(h);
  return w ? w->id : 0;
}

// Shift and Ctrl as held while a subclassed control has the keyboard.
bool TrackModifiers(uint32_t msg, WParam wp) {
  KeyState& k = Win().keys;
  if (msg != WM_KEYDOWN && msg != WM_KEYUP) return false;
  bool down = msg == WM_KEYDOWN;
  if (wp == VK_SHIFT)
    k.shift = down;
  else if (wp == VK_CONTROL)
    k.ctrl = down;
  else
    return false;
  return true;
}

LResult EditProc(Hwnd h, uint32_t msg, WParam wp, LParam lp) {
  KeyState& k = Win().keys;
  uint32_t id = IdOf(h);
  if (TrackModifiers(msg, wp)) return CallPrevious(SUB_EDIT, h, msg, wp, lp);
  switch (msg) {
    case WM_KEYDOWN: {
      if (k.command) break;
      uint16_t code;
      if (wp == VK_TAB && k.shift && !k.ctrl)
        code = 8;
      else if (wp == VK_END && k.ctrl && !k.shift)
        code = 32;
      else
        code = RuntimeKeyCode(static_cast<uint16_t>(wp));
      SysSet(_LASTKEY, static_cast<int16_t>(code));
      if (code == 4) break;
      if (uint16_t ev = KeyEvent(code)) {
        k.ctrl = false;
        ScreenSend(id, ev);
      }
      return 0;
    }
    case WM_SETFOCUS:
      if (ScreenSend(id, 91) == kRefused) return 0;
      break;
    case WM_KILLFOCUS:
      ScreenSend(id, 92);
      break;
    case WM_CHAR: {
      uint8_t ch = static_cast<uint8_t>(wp);
      if (!k.command) {
        if (ch == 29) {
          k.command = true;
          k.len = 0;
        }
        break;
      }
      if (ch >= 32) {
        // Room for 19 characters and the end mark; the rest are dropped.
        if (k.len < sizeof k.buf - 1) k.buf[k.len++] = static_cast<char>(ch);
        break;
      }
      k.buf[k.len] = 0;
      k.command = false;
      (void)Slots().Push(30, StrRef(k.buf, k.len));
      ScreenSend(id, 24);
      break;
    }
    case WM_FIELD_SELECT:
      ScreenSend(id, 18);
      return 0;
    default:
      break;
  }
  return CallPrevious(SUB_EDIT, h, msg, wp, lp);
}

LResult ComboProc(Hwnd h, uint32_t msg, WParam wp, LParam lp) {
  if (msg == WM_KEYDOWN) {
    uint16_t code = RuntimeKeyCode(static_cast<uint16_t>(wp));
    if (code == 0) {
      win::SendMessage(win::GetParent(h), WM_COMMAND, 3100, static_cast<LParam>(h));
      return 0;
    }
    if (code == 3) {
      if (uint16_t ev = KeyEvent(3)) ScreenSend(IdOf(h), ev);
      return 0;
    }
  }
  return CallPrevious(SUB_COMBO, h, msg, wp, lp);
}

// The logical display of "1": the third of the language's logical words.
std::string LogicalYes() {
  WinState& st = Win();
  if (st.link.logical_yes) return st.link.logical_yes();
  ScratchFrame frame;
  return Trim(Unquote(ListItem(CurrentNumberLocale().logical_words, ',', 3))).str();
}

void ToggleCheck(Hwnd h) {
  Hwnd parent = win::GetParent(h);
  uint32_t id = IdOf(h);
  bool on = !win::IsDlgButtonChecked(parent, id);
  win::CheckDlgButton(parent, id, on);
  win::SetWindowText(h, on ? StrRef::Of(LogicalYes()) : StrRef());
}

LResult CheckProc(Hwnd h, uint32_t msg, WParam wp, LParam lp) {
  KeyState& k = Win().keys;
  if (TrackModifiers(msg, wp)) return CallPrevious(SUB_CHECK, h, msg, wp, lp);
  switch (msg) {
    case WM_KILLFOCUS:
      ScreenSend(IdOf(h), 92);
      break;
    case WM_KEYDOWN: {
      if (wp == VK_SPACE) {
        ToggleCheck(h);
        return 0;
      }
      uint16_t code = wp == VK_TAB && k.shift ? 8 : RuntimeKeyCode(static_cast<uint16_t>(wp));
      if (code == 0 || code == 1 || code == 3 || code == 8 || code == 9) {
        if (uint16_t ev = KeyEvent(3)) ScreenSend(IdOf(h), ev);
        return 0;
      }
      break;
    }
    case WM_LBUTTONDOWN:
      ToggleCheck(h);
      return 0;
    case WM_LBUTTONUP:
      return 0;
    default:
      break;
  }
  return CallPrevious(SUB_CHECK, h, msg, wp, lp);
}

ListViewSlot* LvSlot(uint16_t slot) {
  if (slot >= kListViews) return nullptr;
  ListViewSlot* s = &Win().listviews[slot];
  return win::IsWindow(s->hwnd) ? s : nullptr;
}

}  // namespace

// ---- keys ----

uint16_t RuntimeKeyCode(uint16_t vk) {
  switch (vk) {
    case VK_RETURN:
      return 0;
    case VK_TAB:
      return 9;
    case VK_ESCAPE:
      return 3;
    case 239:
      return 6;
    case VK_UP:
      return 22;
    case VK_PRIOR:
      return 23;
    case VK_DOWN:
      return 28;
    case VK_NEXT:
      return 29;
    default:
      if (vk >= VK_F1 && vk <= VK_F1 + 10) return static_cast<uint16_t>(11 + vk - VK_F1);
      return 4;
  }
}

uint16_t KeyMapEvent(uint16_t keymap, uint16_t code) {
  if (keymap > 1 || code > 32) return 0;
  return kKeyMaps[keymap][code];
}

uint16_t KeyEvent(uint16_t code) {
  WinState& st = Win();
  if (st.link.key_event) return st.link.key_event(code);
  return KeyMapEvent(static_cast<uint16_t>(SysGet(_KEYMAP)), code);
}

ErrCode ControlSubclass(Hwnd control, uint8_t kind) {
  if (kind < SUB_EDIT || kind > SUB_CHECK) return E_DATA;
  if (!win::IsWindow(control)) return E_DATA;
  if (SysTest(_COMPAT, 512)) return E_OK;
  static constexpr WndProc kProcs[4] = {nullptr, EditProc, ComboProc, CheckProc};
  WndProc prev = win::SetWindowProc(control, kProcs[kind]);
  if (prev != kProcs[kind]) Win().prev_proc[kind] = prev;
  return E_OK;
}

bool IsNumericType(uint8_t type) {
  return type != 0 && std::strchr("NL123456789", type) != nullptr;
}

uint32_t EditStyle(uint8_t type, bool editable) {
  uint32_t s = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
  if (!editable) s |= ES_READONLY;
  if (type == 'P') s |= ES_PASSWORD;
  if (IsNumericType(type)) s |= ES_RIGHT;
  return s;
}

// ---- fonts ----

CellMetrics CellSize() {
  WinState& st = Win();
  if (st.fonts.count > 0) {
    const FontDef& f = st.fonts.fonts[st.fonts.count - 1];
    if (f.height != 0) return CellMetrics{f.width, f.height};
  }
  // The screen's text metrics: one cell less the spacing the runtime adds.
  int32_t ave = st.sys.cell_w - 1, height = st.sys.cell_h - 3;
  return CellMetrics{ave + 1, height + 3};
}

void FontDefine(uint16_t height, uint16_t width, uint16_t bold, StrRef face) {
  WinState& st = Win();
  if (st.fonts.count >= kFonts) return;
  CellMetrics cell = CellSize();
  FontDef f;
  f.height = height == 65535 ? static_cast<uint16_t>(cell.h) : height;
  f.width = width == 65535 ? static_cast<uint16_t>(cell.w) : width;
  f.weight = bold == 0 ? 400 : bold == 1 ? 700 : bold;
  if (face.ok() && face.size() < sizeof f.face) std::memcpy(f.face, face.data(), face.size());
  st.fonts.fonts[st.fonts.count++] = f;
  // The virtual cell follows the active font: one character, one cell.
  if (f.height != 0 && f.width != 0) {
    st.sys.cell_w = f.width;
    st.sys.cell_h = f.height;
    st.sys.dirty = true;
  }
}

bool ActiveFont(ControlFont* out) {
  WinState& st = Win();
  if (st.fonts.count == 0) return false;
  const FontDef& f = st.fonts.fonts[st.fonts.count - 1];
  out->height = f.height - 3;
  out->width = f.width - std::max(f.width / 16, 1);
  out->weight = f.weight == 0 ? 400 : f.weight == 1 ? 700 : f.weight;
  out->charset = 1;
  out->face = std::string(f.face, strnlen(f.face, 31));
  return true;
}

ErrCode FontApply(Hwnd control, uint16_t which) {
  WinState& st = Win();
  st.sys.common_controls = true;
  uint32_t font;
  ControlFont spec;
  if (which == 0)
    font = kSystemFont;
  else if (which == 2)
    font = ActiveFont(&spec) ? st.next_font++ : kOemFixedFont;
  else
    return Fail(M_SCREENS, E_DATA);
  if (control != 0) win::SendMessage(control, WM_SETFONT, font, 1);
  return E_OK;
}

// ---- static controls ----

Hwnd LabelCreate(Hwnd parent, int32_t y, int32_t x, int32_t w, int32_t h, StrRef text,
                 uint32_t id) {
  return win::CreateWindowEx(0, "STATIC", text, WS_CHILD | WS_VISIBLE, x, y, w, h, parent, id);
}

ErrCode ImageShow(Hwnd parent, StrRef bitmap) {
  WinState& st = Win();
  if (!win::IsWindow(parent)) return Fail(M_SCREENS, E_DATA);
  if (!bitmap.ok()) return bitmap.err();
  std::string name = bitmap.empty() ? std::string("#102") : bitmap.str();
  if (!bitmap.empty() && !host::Exists(name)) {
    SetDetail(0, bitmap);
    return Fail(M_SCREENS, E_DATA);
  }
  if (st.image != 0) win::DeleteObject(st.image);
  if (win::IsWindow(st.image_static)) win::DestroyWindow(st.image_static);
  st.image = win::LoadImage(StrRef::Of(name));
  Rect c = win::GetClientRect(parent);
  Hwnd img = win::CreateWindowEx(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_BITMAP, 3, 3,
                                 std::max(0, c.w - 6), std::max(0, c.h - 6), parent, 0);
  if (img == 0 || !win::SetImage(img, st.image)) return Fail(M_SCREENS, E_WINCONTROL);
  st.image_static = img;
  return E_OK;
}

// ---- list views ----

uint16_t ListViewCreate(Hwnd parent, int32_t x, int32_t y, int32_t w, int32_t h) {
  WinState& st = Win();
  if (!win::IsWindow(parent)) return kNoSlot;
  for (uint16_t i = 0; i < kListViews; ++i) {
    ListViewSlot& s = st.listviews[i];
    if (win::IsWindow(s.hwnd)) continue;
    st.sys.common_controls = true;
    Hwnd lv = win::CreateWindowEx(0, "SysListView32", "",
                                  LVS_REPORT | LVS_SINGLESEL | WS_TABSTOP | WS_DLGFRAME | WS_CHILD,
                                  x, y, w, h, parent, kListViewId + i);
    if (lv == 0) return kNoSlot;
    (void)FontApply(lv, 2);
    s = ListViewSlot{lv, 0, 0, Rect{x, y, w, h}};
    return i;
  }
  return kNoSlot;
}

Hwnd ListViewHandle(uint16_t slot) {
  ListViewSlot* s = LvSlot(slot);
  return s ? s->hwnd : 0;
}

ErrCode ListViewColumn(uint16_t slot, uint16_t column, StrRef title, uint8_t type, int32_t width) {
  ListViewSlot* s = LvSlot(slot);
  if (s == nullptr || !title.ok()) return E_DATA;
  int32_t px = width + (column == 0 ? 2 : 0);
  if (win::InsertColumn(s->hwnd, column, title, IsNumericType(type), px) < 0) return E_DATA;
  ++s->columns;
  return E_OK;
}

ErrCode ListViewCell(uint16_t slot, uint16_t row, uint16_t column, StrRef text) {
  ListViewSlot* s = LvSlot(slot);
  if (s == nullptr || !text.ok()) return E_DATA;
  while (win::ItemCount(s->hwnd) <= row) win::InsertItem(s->hwnd, win::ItemCount(s->hwnd));
  if (!win::SetItemText(s->hwnd, row, column, text)) return E_DATA;
  s->items = static_cast<uint16_t>(win::ItemCount(s->hwnd));
  win::ShowWindow(s->hwnd, SW_SHOW);
  return E_OK;
}

ErrCode ListViewClear(uint16_t slot) {
  ListViewSlot* s = LvSlot(slot);
  if (s == nullptr) return E_DATA;
  win::DeleteAllItems(s->hwnd);
  win::InsertItem(s->hwnd, 0);
  s->items = 1;
  return E_OK;
}

uint16_t ListViewSelected(uint16_t slot) {
  ListViewSlot* s = LvSlot(slot);
  if (s == nullptr) return kNoSlot;
  int32_t sel = win::GetCurSel(s->hwnd);
  return sel < 0 ? kNoSlot : static_cast<uint16_t>(sel);
}

ErrCode ListViewSelect(uint16_t slot, uint16_t row, bool on) {
  ListViewSlot* s = LvSlot(slot);
  if (s == nullptr || row >= win::ItemCount(s->hwnd)) return E_DATA;
  if (on) return win::SetCurSel(s->hwnd, row) ? E_OK : E_DATA;
  if (win::GetCurSel(s->hwnd) == row) win::SetCurSel(s->hwnd, -1);
  return E_OK;
}

uint16_t ListViewScroll(uint16_t slot, int32_t rows) {
  ListViewSlot* s = LvSlot(slot);
  if (s == nullptr) return 0;
  Window* w = win::Get(s->hwnd);
  int32_t last = std::max(0, static_cast<int32_t>(w->rows.size()) - 1);
  w->top_row = std::clamp(w->top_row + rows, 0, last);
  Sys().dirty = true;
  return static_cast<uint16_t>(w->top_row);
}

uint16_t ListViewHit(uint16_t slot) {
  ListViewSlot* s = LvSlot(slot);
  if (s == nullptr) return kNoSlot;
  Window* w = win::Get(s->hwnd);
  Rect r = win::GetWindowRect(s->hwnd);
  WinSys& sys = Sys();
  int32_t frame = (w->style & (WS_BORDER | WS_DLGFRAME)) ? sys.cell_h : 0;
  int32_t y = sys.cursor_y - r.y - frame - sys.cell_h;  // below the header line
  if (sys.cursor_x < r.x || sys.cursor_x >= r.right() || y < 0) return kNoSlot;
  int32_t row = y / sys.cell_h + w->top_row;
  return row < static_cast<int32_t>(w->rows.size()) ? static_cast<uint16_t>(row) : kNoSlot;
}

void ListViewDestroy(uint16_t slot) {
  WinState& st = Win();
  for (uint16_t i = 0; i < kListViews; ++i) {
    if (slot != kNoSlot && slot != i) continue;
    if (win::IsWindow(st.listviews[i].hwnd)) win::DestroyWindow(st.listviews[i].hwnd);
    st.listviews[i] = ListViewSlot{};
  }
}

// ---- combo boxes ----

uint16_t ComboCreate(Hwnd parent, int32_t y, int32_t x, StrRef items, bool editable) {
  WinState& st = Win();
  if (!win::IsWindow(parent) || !items.ok()) return kNoSlot;
  uint16_t slot = kNoSlot;
  for (uint16_t i = 0; i < kCombos && slot == kNoSlot; ++i)
    if (!win::IsWindow(st.combos[i])) slot = i;
  if (slot == kNoSlot) return kNoSlot;
  ScratchFrame frame;
  CellMetrics cell = CellSize();
  uint16_t n = ListCount(items, ',');
  uint16_t longest = 0;
  for (uint16_t i = 1; i <= n; ++i)
    longest = std::max(longest, Unquote(Trim(ListItem(items, ',', i))).size());
  int32_t w = longest * cell.w + 20 + (editable ? 20 : 0);
  int32_t h = cell.h * (editable ? 5 : std::max<int32_t>(n, 1));
  uint32_t style =
      WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | (editable ? CBS_DROPDOWN : CBS_SIMPLE);
  Hwnd cb = win::CreateWindowEx(0, "COMBOBOX", "", style, x, y, w, h, parent, kComboId + slot);
  if (cb == 0) return kNoSlot;
  for (uint16_t i = 1; i <= n; ++i) win::AddString(cb, Unquote(Trim(ListItem(items, ',', i))));
  (void)ControlSubclass(cb, SUB_COMBO);
  st.combos[slot] = cb;
  return slot;
}

Hwnd ComboHandle(uint16_t slot) {
  if (slot >= kCombos) return 0;
  Hwnd h = Win().combos[slot];
  return win::IsWindow(h) ? h : 0;
}

int32_t ComboGet(uint16_t slot) {
  Hwnd h = ComboHandle(slot);
  return h ? win::GetCurSel(h) : -1;
}

ErrCode ComboSet(uint16_t slot, int32_t index) {
  Hwnd h = ComboHandle(slot);
  return h && win::SetCurSel(h, index) ? E_OK : E_DATA;
}

ErrCode ComboFocus(uint16_t slot) {
  Hwnd h = ComboHandle(slot);
  if (h == 0) return E_DATA;
  win::SetFocus(h);
  return E_OK;
}

void ComboDestroy(uint16_t slot) {
  Hwnd h = ComboHandle(slot);
  if (h) win::DestroyWindow(h);
  if (slot < kCombos) Win().combos[slot] = 0;
}

}  // namespace tol
