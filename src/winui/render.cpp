// Drawing the window system into character cells: one cell per virtual
// character cell, framed top-level windows, their menu bars, scroll bars
// and controls; and the text forms of the picture and the window tree.
#include "winui/render.h"

#include <algorithm>
#include <cstdio>

#include "winui/winsys.h"

namespace tol {

void CellGrid::Reset(int32_t c, int32_t r) {
  cols = std::max(0, c);
  rows = std::max(0, r);
  cells.assign(static_cast<size_t>(cols) * rows, Cell{});
  cursor_col = cursor_row = -1;
}

Cell* CellGrid::At(int32_t c, int32_t r) {
  if (c < 0 || r < 0 || c >= cols || r >= rows) return nullptr;
  return &cells[static_cast<size_t>(r) * cols + c];
}

void CellGrid::Put(int32_t c, int32_t r, uint8_t ch, uint8_t attr, uint8_t line) {
  if (Cell* cell = At(c, r)) *cell = Cell{ch, attr, line};
}

void CellGrid::Text(int32_t c, int32_t r, const std::string& s, uint8_t attr, int32_t max) {
  int32_t n = std::min<int32_t>(static_cast<int32_t>(s.size()), max);
  for (int32_t i = 0; i < n; ++i) Put(c + i, r, static_cast<uint8_t>(s[i]), attr);
}

namespace {

constexpr int32_t kScrollBar = 24;

struct Box {
  int32_t c0 = 0, r0 = 0, c1 = 0, r1 = 0;  // c1, r1 past the end
  bool Has(int32_t c, int32_t r) const { return c >= c0 && c < c1 && r >= r0 && r < r1; }
  Box Cut(const Box& o) const {
    return Box{std::max(c0, o.c0), std::max(r0, o.r0), std::min(c1, o.c1), std::min(r1, o.r1)};
  }
};

class Painter {
 public:
  Painter(const WinSys& s, CellGrid* g) : s_(s), g_(g) {}

  void TopLevel(const Window& w, bool active);

 private:
  int32_t Col(int32_t x) const { return FloorDiv(x + s_.cell_w / 2, s_.cell_w); }
  int32_t Row(int32_t y) const { return FloorDiv(y + s_.cell_h / 2, s_.cell_h); }
  static int32_t FloorDiv(int32_t a, int32_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
  Box CellsOf(int32_t x, int32_t y, int32_t w, int32_t h) const {
    return Box{Col(x), Row(y), Col(x + w), Row(y + h)};
  }
  const Window* Find(Hwnd h) const {
    auto it = s_.windows.find(h);
    return it == s_.windows.end() ? nullptr : &it->second;
  }
  void Put(const Box& clip, int32_t c, int32_t r, uint8_t ch, uint8_t attr,
           uint8_t line = LINE_NONE) {
    if (clip.Has(c, r)) g_->Put(c, r, ch, attr, line);
  }
  void Text(const Box& clip, int32_t c, int32_t r, const std::string& t, uint8_t attr,
            int32_t max) {
    int32_t n = std::min<int32_t>(static_cast<int32_t>(t.size()), max);
    for (int32_t i = 0; i < n; ++i) Put(clip, c + i, r, static_cast<uint8_t>(t[i]), attr);
  }
  void Fill(const Box& b, const Box& clip, uint8_t ch, uint8_t attr) {
    for (int32_t r = b.r0; r < b.r1; ++r)
      for (int32_t c = b.c0; c < b.c1; ++c) Put(clip, c, r, ch, attr);
  }
  void Frame(const Box& b, const Box& clip, uint8_t attr) {
    for (int32_t c = b.c0 + 1; c < b.c1 - 1; ++c) {
      Put(clip, c, b.r0, '-', attr, LINE_H);
      Put(clip, c, b.r1 - 1, '-', attr, LINE_H);
    }
    for (int32_t r = b.r0 + 1; r < b.r1 - 1; ++r) {
      Put(clip, b.c0, r, '|', attr, LINE_V);
      Put(clip, b.c1 - 1, r, '|', attr, LINE_V);
    }
    Put(clip, b.c0, b.r0, '+', attr, LINE_TOP_LEFT);
    Put(clip, b.c1 - 1, b.r0, '+', attr, LINE_TOP_RIGHT);
    Put(clip, b.c0, b.r1 - 1, '+', attr, LINE_BOTTOM_LEFT);
    Put(clip, b.c1 - 1, b.r1 - 1, '+', attr, LINE_BOTTOM_RIGHT);
  }
  void Bars(const Window& w, const Box& client, const Box& clip);
  void Child(const Window& w, int32_t ox, int32_t oy, const Box& clip);
  void Edit(const Window& w, const Box& b, const Box& clip, bool focus);
  void Lines(const std::vector<std::string>& items, int32_t sel, int32_t top, const Box& b,
             const Box& clip, bool focus);
  void ListView(const Window& w, const Box& b, const Box& clip, bool focus);

  const WinSys& s_;
  CellGrid* g_;
};

std::string Fit(const std::string& t, int32_t n, bool right) {
  if (n <= 0) return std::string();
  if (static_cast<int32_t>(t.size()) >= n) return t.substr(0, n);
  std::string pad(n - t.size(), ' ');
  return right ? pad + t : t + pad;
}

void Painter::Edit(const Window& w, const Box& b, const Box& clip, bool focus) {
  uint8_t attr = !w.enabled ? ATTR_DISABLED : focus ? ATTR_FOCUS : ATTR_FIELD;
  int32_t width = b.c1 - b.c0;
  std::string t = w.text;
  if (w.style & ES_PASSWORD) t.assign(t.size(), '*');
  int32_t caret = std::min<int32_t>(w.caret, static_cast<int32_t>(t.size()));
  // Scrolled so the caret stays inside the field.
  int32_t first = 0;
  if (focus && width > 0 && caret >= width) first = caret - width + 1;
  std::string shown = t.substr(std::min<size_t>(first, t.size()));
  bool right = (w.style & ES_RIGHT) != 0 && static_cast<int32_t>(shown.size()) < width;
  Fill(b, clip, ' ', attr);
  std::string line = Fit(shown, width, right);
  Text(clip, b.c0, b.r0, line, attr, width);
  if (focus) {
    int32_t cc =
        right ? b.c1 - static_cast<int32_t>(shown.size()) + caret - first : b.c0 + caret - first;
    if (clip.Has(std::min(cc, b.c1 - 1), b.r0)) {
      g_->cursor_col = std::min(cc, b.c1 - 1);
      g_->cursor_row = b.r0;
    }
  }
}

void Painter::Lines(const std::vector<std::string>& items, int32_t sel, int32_t top, const Box& b,
                    const Box& clip, bool focus) {
  int32_t h = b.r1 - b.r0, width = b.c1 - b.c0;
  if (h <= 0) return;
  if (sel >= 0 && sel < top) top = sel;
  if (sel >= top + h) top = sel - h + 1;
  Fill(b, clip, ' ', focus ? ATTR_FOCUS : ATTR_FIELD);
  for (int32_t i = 0; i < h && top + i < static_cast<int32_t>(items.size()); ++i) {
    uint8_t attr = top + i == sel ? ATTR_SELECT : focus ? ATTR_FOCUS : ATTR_FIELD;
    Text(clip, b.c0, b.r0 + i, Fit(items[top + i], width, false), attr, width);
  }
}

void Painter::ListView(const Window& w, const Box& b, const Box& clip, bool focus) {
  Box in = b;
  if ((w.style & (WS_BORDER | WS_DLGFRAME)) && b.c1 - b.c0 > 2 && b.r1 - b.r0 > 2) {
    Frame(b, clip, focus ? ATTR_ACTIVE : ATTR_FRAME);
    in = Box{b.c0 + 1, b.r0 + 1, b.c1 - 1, b.r1 - 1};
  }
  Fill(in, clip, ' ', ATTR_GRID);
  int32_t h = in.r1 - in.r0;
  if (h <= 0) return;
  std::vector<int32_t> widths;
  for (const ListColumn& c : w.columns) widths.push_back(std::max(1, Col(c.width)));
  auto row_text = [&](auto cell) {
    std::string line;
    for (size_t i = 0; i < w.columns.size(); ++i) {
      if (i) line += '|';
      line += Fit(cell(i), widths[i], w.columns[i].right);
    }
    return line;
  };
  int32_t width = in.c1 - in.c0;
  Text(clip, in.c0, in.r0,
       Fit(row_text([&](size_t i) { return w.columns[i].title; }), width, false), ATTR_MENU, width);
  int32_t top = w.top_row, rows = h - 1, sel = w.sel;
  if (sel >= 0 && sel < top) top = sel;
  if (sel >= 0 && rows > 0 && sel >= top + rows) top = sel - rows + 1;
  for (int32_t i = 0; i < rows && top + i < static_cast<int32_t>(w.rows.size()); ++i) {
    const auto& r = w.rows[top + i];
    std::string line = row_text([&](size_t c) { return c < r.size() ? r[c] : std::string(); });
    uint8_t attr = top + i == sel ? ATTR_SELECT : ATTR_GRID;
    Text(clip, in.c0, in.r0 + 1 + i, Fit(line, width, false), attr, width);
  }
}

void Painter::Child(const Window& w, int32_t ox, int32_t oy, const Box& parent_clip) {
  if (!w.visible) return;
  int32_t x = ox + w.rc.x, y = oy + w.rc.y;
  Box b = CellsOf(x, y, w.rc.w, w.rc.h);
  if (b.r1 <= b.r0 && w.rc.h > 0) b.r1 = b.r0 + 1;
  Box clip = b.Cut(parent_clip);
  bool focus = s_.focus == w.self;
  int32_t width = b.c1 - b.c0;
  if (w.cls == "EDIT") {
    Edit(w, b, clip, focus);
  } else if (w.cls == "BUTTON") {
    uint32_t kind = w.style & 0xF;
    uint8_t attr = !w.enabled ? ATTR_DISABLED : focus ? ATTR_FOCUS : ATTR_BUTTON;
    if (kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX) {
      std::string t = std::string(w.checked ? "[X]" : "[ ]") + (w.text.empty() ? "" : " ") + w.text;
      Fill(b, clip, ' ', ATTR_NORMAL);
      Text(clip, b.c0, b.r0, t, attr, width);
    } else {
      Fill(b, clip, ' ', attr);
      std::string t = w.text;
      std::erase(t, '&');
      if (width >= 2) {
        int32_t room = width - 2;
        if (static_cast<int32_t>(t.size()) > room) t.resize(std::max(0, room));
        int32_t at = b.c0 + 1 + (room - static_cast<int32_t>(t.size())) / 2;
        Put(clip, b.c0, b.r0, '[', attr);
        Put(clip, b.c1 - 1, b.r0, ']', attr);
        Text(clip, at, b.r0, t, attr, room);
      } else {
        Text(clip, b.c0, b.r0, t, attr, width);
      }
    }
  } else if (w.cls == "STATIC") {
    if ((w.style & 0x1F) != SS_BITMAP) {
      bool centre = (w.style & 0x1F) == SS_CENTER;
      int32_t at =
          centre ? b.c0 + std::max(0, (width - static_cast<int32_t>(w.text.size())) / 2) : b.c0;
      Text(clip, at, b.r0, w.text, w.enabled ? ATTR_NORMAL : ATTR_DISABLED, b.c1 - at);
    }
  } else if (w.cls == "LISTBOX") {
    Lines(w.items, w.sel, w.top_row, b, clip, focus);
  } else if (w.cls == "COMBOBOX") {
    if ((w.style & 3) == CBS_SIMPLE) {
      Lines(w.items, w.sel, w.top_row, b, clip, focus);
    } else {
      uint8_t attr = focus ? ATTR_FOCUS : ATTR_FIELD;
      Box line{b.c0, b.r0, b.c1, b.r0 + 1};
      Fill(line, clip, ' ', attr);
      Text(clip, b.c0, b.r0, Fit(w.text, width - 1, false), attr, width - 1);
      Put(clip, b.c1 - 1, b.r0, 'v', attr);
      if (focus && b.r1 > b.r0 + 1)
        Lines(w.items, w.sel, w.top_row, Box{b.c0, b.r0 + 1, b.c1, b.r1}, clip, false);
      if (focus && w.sel < 0 && (w.style & 3) == CBS_DROPDOWN) {
        g_->cursor_col = std::min(b.c0 + static_cast<int32_t>(w.caret), b.c1 - 2);
        g_->cursor_row = b.r0;
      }
    }
  } else if (w.cls == "SYSLISTVIEW32") {
    ListView(w, b, clip, focus);
  } else if (w.cls == "MSCTLS_PROGRESS32") {
    int64_t span = std::max(1, w.range_hi - w.range_lo);
    int64_t done = std::clamp<int64_t>(w.pos - w.range_lo, 0, span);
    int32_t full = static_cast<int32_t>(done * width / span);
    Fill(b, clip, ' ', ATTR_FIELD);
    for (int32_t r = b.r0; r < b.r1; ++r)
      for (int32_t c = b.c0; c < b.c0 + full; ++c) Put(clip, c, r, '#', ATTR_SELECT);
  } else {
    Text(clip, b.c0, b.r0, w.text, ATTR_NORMAL, width);
  }
  for (Hwnd k : w.children)
    if (const Window* kw = Find(k)) Child(*kw, x, y, clip);
}

void Painter::Bars(const Window& w, const Box& client, const Box& clip) {
  auto thumb = [](const ScrollInfo& si, int32_t len) {
    int32_t span = std::max(1, si.max - si.min);
    return static_cast<int32_t>(static_cast<int64_t>(si.pos - si.min) * std::max(0, len - 1) /
                                span);
  };
  if (w.vbar.shown) {
    int32_t c = client.c1 + std::max(1, Col(kScrollBar)) - 1;
    int32_t len = client.r1 - client.r0;
    for (int32_t r = client.r0; r < client.r1; ++r) {
      for (int32_t cc = client.c1; cc < c; ++cc) Put(clip, cc, r, ' ', ATTR_SCROLL);
      Put(clip, c, r, ':', ATTR_SCROLL);
    }
    if (len > 0) {
      Put(clip, c, client.r0 + thumb(w.vbar, len), '#', ATTR_SCROLL);
      Put(clip, c, client.r0, '^', ATTR_SCROLL);
      Put(clip, c, client.r1 - 1, 'v', ATTR_SCROLL);
    }
  }
  if (w.hbar.shown) {
    int32_t r = client.r1;
    int32_t len = client.c1 - client.c0;
    for (int32_t c = client.c0; c < client.c1; ++c) Put(clip, c, r, '.', ATTR_SCROLL);
    if (len > 0) {
      Put(clip, client.c0 + thumb(w.hbar, len), r, '#', ATTR_SCROLL);
      Put(clip, client.c0, r, '<', ATTR_SCROLL);
      Put(clip, client.c1 - 1, r, '>', ATTR_SCROLL);
    }
  }
}

void Painter::TopLevel(const Window& w, bool active) {
  Box screen{0, 0, g_->cols, g_->rows};
  Box b = CellsOf(w.rc.x, w.rc.y, w.rc.w, w.rc.h);
  Box clip = b.Cut(screen);
  bool framed = (w.style & (WS_CAPTION | WS_BORDER | WS_DLGFRAME)) != 0;
  bool enabled = w.enabled;
  Fill(b, clip, ' ', ATTR_NORMAL);
  if (framed && b.c1 - b.c0 >= 2 && b.r1 - b.r0 >= 2) {
    uint8_t attr = active && enabled ? ATTR_ACTIVE : ATTR_FRAME;
    Frame(b, clip, attr);
    int32_t room = b.c1 - b.c0 - 4;
    if (room > 0 && !w.text.empty()) {
      std::string t = " " + w.text + " ";
      Text(clip, b.c0 + 1, b.r0, t, attr, room + 2);
    }
  }
  int32_t cx = w.rc.x + (framed ? s_.cell_w : 0);
  int32_t cy = w.rc.y + (framed ? s_.cell_h : 0);
  auto mit = s_.menus.find(w.menu);
  if (w.menu != 0 && mit != s_.menus.end()) {
    int32_t r = Row(cy);
    Box bar{Col(cx), r, b.c1 - (framed ? 1 : 0), r + 1};
    Fill(bar, clip, ' ', ATTR_MENU);
    int32_t c = bar.c0 + 1;
    for (const MenuItem& it : mit->second.items) {
      std::string t = it.text;
      std::erase(t, '&');
      Text(clip, c, r, t, ATTR_MENU, bar.c1 - c);
      c += static_cast<int32_t>(t.size()) + 2;
    }
    cy += s_.cell_h;
  }
  int32_t cw = w.rc.w - (framed ? 2 * s_.cell_w : 0) - (w.vbar.shown ? kScrollBar : 0);
  int32_t ch = w.rc.h - (framed ? s_.cell_h : 0) - (cy - w.rc.y) - (w.hbar.shown ? kScrollBar : 0);
  Box client = CellsOf(cx, cy, std::max(0, cw), std::max(0, ch));
  Box cclip = client.Cut(clip);
  if (!w.panel.empty()) {
    Fill(client, cclip, ' ', ATTR_PANEL);
    int32_t width = client.c1 - client.c0;
    int32_t at = client.c0 + std::max(0, (width - static_cast<int32_t>(w.panel.size())) / 2);
    Text(cclip, at, client.r0, w.panel, ATTR_PANEL, client.c1 - at);
  }
  Bars(w, client, clip);
  for (Hwnd k : w.children)
    if (const Window* kw = Find(k)) Child(*kw, cx, cy, cclip);
}

}  // namespace

void RenderScreen(const WinSys& sys, int32_t cols, int32_t rows, CellGrid* grid) {
  grid->Reset(cols, rows);
  std::vector<std::pair<uint64_t, const Window*>> tops;
  for (const auto& [h, w] : sys.windows)
    if ((w.style & WS_CHILD) == 0 && w.visible) tops.emplace_back(w.z, &w);
  std::sort(tops.begin(), tops.end());
  Painter p(sys, grid);
  for (size_t i = 0; i < tops.size(); ++i) {
    grid->cursor_col = grid->cursor_row = -1;
    p.TopLevel(*tops[i].second, i + 1 == tops.size());
  }
}

std::string GridText(const CellGrid& grid) {
  std::string out;
  for (int32_t r = 0; r < grid.rows; ++r) {
    std::string line;
    for (int32_t c = 0; c < grid.cols; ++c) {
      const Cell& cell = grid.cells[static_cast<size_t>(r) * grid.cols + c];
      char ch = static_cast<char>(cell.ch);
      // Empty field cells show, so a picture tells a field from blank space.
      if (ch == ' ' && (cell.attr == ATTR_FIELD || cell.attr == ATTR_FOCUS)) ch = '_';
      line += ch;
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out += line;
    out += '\n';
  }
  return out;
}

namespace {

void TreeLine(const WinSys& sys, const Window& w, int depth, std::string* out) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "%*s%s #%u id=%u (%d,%d %dx%d) style=%08X", depth * 2, "",
                w.cls.c_str(), w.self, w.id, w.rc.x, w.rc.y, w.rc.w, w.rc.h, w.style);
  *out += buf;
  *out += " \"" + w.text + "\"";
  if (!w.visible) *out += " hidden";
  if (!w.enabled) *out += " disabled";
  if (sys.focus == w.self) *out += " focus";
  if (w.checked) *out += " checked";
  if (w.hbar.shown) *out += " hscroll=" + std::to_string(w.hbar.max);
  if (w.vbar.shown) *out += " vscroll=" + std::to_string(w.vbar.max);
  for (const std::string& it : w.items) *out += " [" + it + "]";
  *out += '\n';
  for (Hwnd k : w.children) {
    auto it = sys.windows.find(k);
    if (it != sys.windows.end()) TreeLine(sys, it->second, depth + 1, out);
  }
}

}  // namespace

std::string WindowTree(const WinSys& sys) {
  std::vector<std::pair<uint64_t, const Window*>> tops;
  for (const auto& [h, w] : sys.windows)
    if ((w.style & WS_CHILD) == 0) tops.emplace_back(w.z, &w);
  std::sort(tops.begin(), tops.end());
  std::string out;
  for (auto& t : tops) TreeLine(sys, *t.second, 0, &out);
  return out;
}

}  // namespace tol
