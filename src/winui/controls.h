// The runtime's controls: subclassed edit fields, combo boxes and check
// boxes that turn keys and focus changes into runtime key codes and screen
// actions; fonts and the character cell; labels, the logo image, the
// report-style list views and the combo boxes with their slots.
#pragma once

#include <cstdint>

#include "core/strref.h"
#include "winui/winui.h"

namespace tol {

// Runtime key codes.
uint16_t RuntimeKeyCode(uint16_t vk);
// The built-in key maps (0 and 1; others give no events).
uint16_t KeyMapEvent(uint16_t keymap, uint16_t code);
// The active key map's event for a code (the screen link's, else the
// built-in one of _KEYMAP).
uint16_t KeyEvent(uint16_t code);

enum SubclassKind : uint8_t { SUB_EDIT = 1, SUB_COMBO = 2, SUB_CHECK = 3 };
// Not done when bit 512 of _COMPAT is set.
[[nodiscard]] ErrCode ControlSubclass(Hwnd control, uint8_t kind);
// The styles of the edit field of a screen field of type t.
uint32_t EditStyle(uint8_t type, bool editable);
bool IsNumericType(uint8_t type);

// Fonts and the character cell.
struct CellMetrics {
  int32_t w = 0, h = 0;
};
CellMetrics CellSize();
// height, width 65535: the current cell's; bold 0 or 1, or a weight.
void FontDefine(uint16_t height, uint16_t width, uint16_t bold, StrRef face);
// The font a control gets for which = 2, as it would be created.
struct ControlFont {
  int32_t height = 0, width = 0, weight = 0;
  uint8_t charset = 1;
  std::string face;
};
bool ActiveFont(ControlFont* out);
// which 0: the system font; 2: the active font; 163 for any other.
[[nodiscard]] ErrCode FontApply(Hwnd control, uint16_t which);
inline constexpr uint32_t kSystemFont = 1, kOemFixedFont = 2;

// Static controls; positions and sizes in pixels.
Hwnd LabelCreate(Hwnd parent, int32_t y, int32_t x, int32_t w, int32_t h, StrRef text,
                 uint32_t id = 0);
// bitmap: a file name, or empty for the program's own image.  163 when the
// parent or the file is missing.
[[nodiscard]] ErrCode ImageShow(Hwnd parent, StrRef bitmap);

// List views: 4 slots, controls 3200 + slot.
uint16_t ListViewCreate(Hwnd parent, int32_t x, int32_t y, int32_t w, int32_t h);
[[nodiscard]] ErrCode ListViewColumn(uint16_t slot, uint16_t column, StrRef title, uint8_t type,
                                     int32_t width);
[[nodiscard]] ErrCode ListViewCell(uint16_t slot, uint16_t row, uint16_t column, StrRef text);
[[nodiscard]] ErrCode ListViewClear(uint16_t slot);
uint16_t ListViewSelected(uint16_t slot);  // 65535 when nothing is selected
[[nodiscard]] ErrCode ListViewSelect(uint16_t slot, uint16_t row, bool on);
uint16_t ListViewScroll(uint16_t slot, int32_t rows);  // the first row shown
uint16_t ListViewHit(uint16_t slot);                   // 65535 when not over a row
void ListViewDestroy(uint16_t slot);                   // 65535: all four
Hwnd ListViewHandle(uint16_t slot);

// Combo boxes: 80 slots, controls 3500 + slot; y, x in pixels.
uint16_t ComboCreate(Hwnd parent, int32_t y, int32_t x, StrRef items, bool editable);
int32_t ComboGet(uint16_t slot);  // -1 when nothing is chosen
[[nodiscard]] ErrCode ComboSet(uint16_t slot, int32_t index);
[[nodiscard]] ErrCode ComboFocus(uint16_t slot);
void ComboDestroy(uint16_t slot);
Hwnd ComboHandle(uint16_t slot);

}  // namespace tol
