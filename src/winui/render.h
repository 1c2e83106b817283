// The screen as a picture of character cells, drawn from the window
// system's windows: what both display backends show (the terminal paints
// it, the headless backend prints it for tests), and the window tree as
// text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tol {

struct WinSys;

// Cell looks; a backend maps them to its colours.
enum CellAttr : uint8_t {
  ATTR_NORMAL,
  ATTR_FRAME,   // frame of an inactive window
  ATTR_ACTIVE,  // frame and title of the active window
  ATTR_MENU,    // menu bar
  ATTR_FIELD,   // edit fields, lists, combo boxes
  ATTR_FOCUS,   // the control with the focus
  ATTR_BUTTON,
  ATTR_SELECT,  // selected list line
  ATTR_PANEL,   // message panels: white on gray
  ATTR_DISABLED,
  ATTR_SCROLL,
  ATTR_GRID,     // list views
  ATTR_DESKTOP,  // no window here
  ATTR_COUNT,
};

// Lines of frames: the cell's character is "-", "|" or "+" for the text
// picture; a terminal draws the line itself.
enum CellLine : uint8_t {
  LINE_NONE,
  LINE_H,
  LINE_V,
  LINE_TOP_LEFT,
  LINE_TOP_RIGHT,
  LINE_BOTTOM_LEFT,
  LINE_BOTTOM_RIGHT,
};

struct Cell {
  uint8_t ch = ' ';  // CP1252
  uint8_t attr = ATTR_DESKTOP;
  uint8_t line = LINE_NONE;
};

struct CellGrid {
  int32_t cols = 0, rows = 0;
  std::vector<Cell> cells;
  int32_t cursor_col = -1, cursor_row = -1;  // the caret of the focused edit field

  void Reset(int32_t c, int32_t r);
  Cell* At(int32_t c, int32_t r);
  void Put(int32_t c, int32_t r, uint8_t ch, uint8_t attr, uint8_t line = LINE_NONE);
  void Text(int32_t c, int32_t r, const std::string& s, uint8_t attr, int32_t max = 1 << 30);
};

// Draws every visible top-level window, bottom of the z-order first,
// clipped to the screen of cols by rows cells.
void RenderScreen(const WinSys& sys, int32_t cols, int32_t rows, CellGrid* grid);
// One line per row, trailing blanks removed.
std::string GridText(const CellGrid& grid);
// One line per window, children indented under their parent.
std::string WindowTree(const WinSys& sys);

}  // namespace tol
