// The terminal backend: the window system's picture drawn with ncurses, one
// character cell per terminal cell; keys and mouse clicks read back as
// virtual keys; CP1252 shown as UTF-8; message boxes and popup menus as
// framed boxes of their own.  A terminal too small, resized or gone must
// never bring the program down: drawing clips, and a lost terminal ends
// the input.
#define NCURSES_WIDECHAR 1
#include <ncursesw/curses.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstring>
#include <string>
#include <vector>

#include "host/path.h"
#include "winui/backend.h"
#include "winui/winsys.h"

namespace tol {

namespace {

volatile sig_atomic_t g_hangup = 0;

void OnHangup(int) {
  g_hangup = 1;
}

// Spanish button words, the built-in language of the runtime.
const char* AnswerWord(BoxAnswer a) {
  switch (a) {
    case ANSWER_OK:
      return "Aceptar";
    case ANSWER_CANCEL:
      return "Cancelar";
    case ANSWER_ABORT:
      return "Anular";
    case ANSWER_RETRY:
      return "Reintentar";
    case ANSWER_IGNORE:
      return "Omitir";
    case ANSWER_YES:
      return "S\xED";
    case ANSWER_NO:
      return "No";
  }
  return "?";
}

std::vector<std::string> SplitLines(StrRef text, size_t width) {
  std::vector<std::string> out;
  std::string cur;
  std::string_view v = text.view();
  for (size_t i = 0; i <= v.size(); ++i) {
    if (i == v.size() || v[i] == '\n' || v[i] == '\r') {
      out.push_back(cur);
      cur.clear();
      if (i < v.size() && v[i] == '\r' && i + 1 < v.size() && v[i + 1] == '\n') ++i;
      if (i == v.size()) break;
      continue;
    }
    if (v[i] == 0) break;  // the text ends at a NUL, as the C text it is
    cur += v[i];
    if (cur.size() >= width) {
      out.push_back(cur);
      cur.clear();
    }
  }
  while (!out.empty() && out.back().empty()) out.pop_back();
  if (out.empty()) out.emplace_back();
  return out;
}

class TermBackend final : public Backend {
 public:
  bool Start();
  ~TermBackend() override;

  const char* Name() const override { return "term"; }
  void ScreenCells(int32_t* cols, int32_t* rows) override;
  void Present(const CellGrid& grid) override;
  bool PollInput(InputEvent* ev) override;
  void Idle(int ms) override;
  int64_t NowMillis() override;
  int32_t TrackPopup(const Menu& menu, int32_t col, int32_t row) override;
  bool Interactive() const override { return true; }
  BoxAnswer MessageBox(StrRef text, StrRef caption, BoxStyle style) override;

 private:
  bool Alive();
  void Draw(const CellGrid& grid);
  void PutCell(int r, int c, const Cell& cell);
  attr_t Attr(uint8_t a) const;
  void Box(int r0, int c0, int h, int w, uint8_t attr);
  void Text(int r, int c, const std::string& cp1252, uint8_t attr, int max);
  // One key or click; false when none came within ms (-1 waits).
  bool ReadEvent(InputEvent* ev, int ms);
  bool KeyFromCode(int code, InputEvent* ev);

  SCREEN* screen_ = nullptr;
  bool colours_ = false;
  bool dead_ = false;
  bool ended_once_ = false;
  CellGrid last_;
};

bool TermBackend::Start() {
  std::setlocale(LC_ALL, "");
  screen_ = newterm(nullptr, stdout, stdin);
  if (screen_ == nullptr) return false;
  set_term(screen_);
  raw();
  noecho();
  nonl();
  keypad(stdscr, TRUE);
  nodelay(stdscr, TRUE);
  set_escdelay(25);
  // Cursor keys come in either form, whatever the terminal description says.
  static const struct {
    const char* seq;
    int key;
  } kArrows[] = {{"\033[A", KEY_UP},   {"\033[B", KEY_DOWN}, {"\033[C", KEY_RIGHT},
                 {"\033[D", KEY_LEFT}, {"\033[H", KEY_HOME}, {"\033[F", KEY_END},
                 {"\033OA", KEY_UP},   {"\033OB", KEY_DOWN}, {"\033OC", KEY_RIGHT},
                 {"\033OD", KEY_LEFT}, {"\033OH", KEY_HOME}, {"\033OF", KEY_END}};
  for (const auto& a : kArrows) define_key(a.seq, a.key);
  mousemask(BUTTON1_CLICKED | BUTTON1_PRESSED | BUTTON1_DOUBLE_CLICKED, nullptr);
  mouseinterval(200);
  if (has_colors()) {
    start_color();
    colours_ = true;
    struct Pair {
      short fg, bg;
    };
    const Pair pairs[ATTR_COUNT] = {
        {COLOR_WHITE, COLOR_BLUE},    // normal
        {COLOR_CYAN, COLOR_BLUE},     // frame
        {COLOR_YELLOW, COLOR_BLUE},   // active
        {COLOR_BLACK, COLOR_CYAN},    // menu
        {COLOR_BLACK, COLOR_WHITE},   // field
        {COLOR_BLACK, COLOR_YELLOW},  // focus
        {COLOR_BLACK, COLOR_CYAN},    // button
        {COLOR_WHITE, COLOR_BLACK},   // selected line
        {COLOR_WHITE, COLOR_BLACK},   // panel
        {COLOR_BLACK, COLOR_BLUE},    // disabled
        {COLOR_CYAN, COLOR_BLUE},     // scroll bar
        {COLOR_BLACK, COLOR_WHITE},   // list view
        {COLOR_WHITE, COLOR_BLACK},   // desktop
    };
    for (int i = 0; i < ATTR_COUNT; ++i)
      init_pair(static_cast<short>(i + 1), pairs[i].fg, pairs[i].bg);
  }
  signal(SIGHUP, OnHangup);
  curs_set(0);
  return true;
}

TermBackend::~TermBackend() {
  if (screen_ != nullptr) {
    if (!dead_) endwin();
    delscreen(screen_);
  }
}

bool TermBackend::Alive() {
  if (!dead_ && (g_hangup || !isatty(0) || !isatty(1))) dead_ = true;
  return !dead_;
}

void TermBackend::ScreenCells(int32_t* cols, int32_t* rows) {
  int r = 0, c = 0;
  if (Alive()) getmaxyx(stdscr, r, c);
  *cols = std::max(c, 1);
  *rows = std::max(r, 1);
}

attr_t TermBackend::Attr(uint8_t a) const {
  if (a >= ATTR_COUNT) a = ATTR_NORMAL;
  if (colours_) {
    attr_t extra = (a == ATTR_ACTIVE || a == ATTR_PANEL) ? A_BOLD : A_NORMAL;
    if (a == ATTR_DISABLED) extra = A_DIM;
    return COLOR_PAIR(a + 1) | extra;
  }
  switch (a) {
    case ATTR_FIELD:
    case ATTR_GRID:
      return A_UNDERLINE;
    case ATTR_FOCUS:
    case ATTR_SELECT:
    case ATTR_MENU:
    case ATTR_BUTTON:
    case ATTR_PANEL:
      return A_REVERSE;
    case ATTR_ACTIVE:
      return A_BOLD;
    case ATTR_DISABLED:
      return A_DIM;
    default:
      return A_NORMAL;
  }
}

void TermBackend::PutCell(int r, int c, const Cell& cell) {
  attr_t a = Attr(cell.attr);
  if (cell.line != LINE_NONE) {
    chtype ch = ACS_PLUS;
    switch (cell.line) {
      case LINE_H:
        ch = ACS_HLINE;
        break;
      case LINE_V:
        ch = ACS_VLINE;
        break;
      case LINE_TOP_LEFT:
        ch = ACS_ULCORNER;
        break;
      case LINE_TOP_RIGHT:
        ch = ACS_URCORNER;
        break;
      case LINE_BOTTOM_LEFT:
        ch = ACS_LLCORNER;
        break;
      case LINE_BOTTOM_RIGHT:
        ch = ACS_LRCORNER;
        break;
      default:
        break;
    }
    mvaddch(r, c, ch | a);
    return;
  }
  char b = static_cast<char>(cell.ch < 32 ? '?' : cell.ch);
  std::string u = host::Cp1252ToUtf8(std::string_view(&b, 1));
  attrset(a);
  mvaddstr(r, c, u.c_str());
}

void TermBackend::Draw(const CellGrid& grid) {
  int rows = 0, cols = 0;
  getmaxyx(stdscr, rows, cols);
  for (int r = 0; r < std::min(rows, grid.rows); ++r)
    for (int c = 0; c < std::min(cols, grid.cols); ++c) {
      // The bottom right cell scrolls some terminals when written.
      if (r == rows - 1 && c == cols - 1) continue;
      PutCell(r, c, grid.cells[static_cast<size_t>(r) * grid.cols + c]);
    }
  attrset(A_NORMAL);
  if (grid.cursor_col >= 0 && grid.cursor_row >= 0 && grid.cursor_col < cols &&
      grid.cursor_row < rows) {
    curs_set(1);
    move(grid.cursor_row, grid.cursor_col);
  } else {
    curs_set(0);
  }
}

void TermBackend::Present(const CellGrid& grid) {
  bool resized = grid.cols != last_.cols || grid.rows != last_.rows;
  last_ = grid;
  if (!Alive()) return;
  if (resized) clear();
  Draw(grid);
  refresh();
}

void TermBackend::Box(int r0, int c0, int h, int w, uint8_t attr) {
  attr_t a = Attr(attr);
  for (int r = r0; r < r0 + h; ++r)
    for (int c = c0; c < c0 + w; ++c) {
      chtype ch = ' ';
      bool top = r == r0, bottom = r == r0 + h - 1, left = c == c0, right = c == c0 + w - 1;
      if (top && left)
        ch = ACS_ULCORNER;
      else if (top && right)
        ch = ACS_URCORNER;
      else if (bottom && left)
        ch = ACS_LLCORNER;
      else if (bottom && right)
        ch = ACS_LRCORNER;
      else if (top || bottom)
        ch = ACS_HLINE;
      else if (left || right)
        ch = ACS_VLINE;
      mvaddch(r, c, ch | a);
    }
}

void TermBackend::Text(int r, int c, const std::string& cp1252, uint8_t attr, int max) {
  attrset(Attr(attr));
  int n = std::min<int>(static_cast<int>(cp1252.size()), std::max(0, max));
  for (int i = 0; i < n; ++i) {
    char b = cp1252[i] >= 0 && cp1252[i] < 32 ? ' ' : cp1252[i];
    mvaddstr(r, c + i, host::Cp1252ToUtf8(std::string_view(&b, 1)).c_str());
  }
  attrset(A_NORMAL);
}

bool TermBackend::KeyFromCode(int code, InputEvent* ev) {
  ev->kind = InputEvent::KEY;
  ev->ch = 0;
  ev->shift = ev->ctrl = false;
  if (code >= KEY_F(1) && code <= KEY_F(36)) {
    int n = code - KEY_F(1);  // xterm: 12 shifted, then 12 with Ctrl
    ev->vk = static_cast<uint16_t>(VK_F1 + n % 12);
    ev->shift = n / 12 == 1;
    ev->ctrl = n / 12 == 2;
    return true;
  }
  switch (code) {
    case KEY_UP:
      ev->vk = VK_UP;
      return true;
    case KEY_DOWN:
      ev->vk = VK_DOWN;
      return true;
    case KEY_LEFT:
      ev->vk = VK_LEFT;
      return true;
    case KEY_RIGHT:
      ev->vk = VK_RIGHT;
      return true;
    case KEY_PPAGE:
      ev->vk = VK_PRIOR;
      return true;
    case KEY_NPAGE:
      ev->vk = VK_NEXT;
      return true;
    case KEY_HOME:
      ev->vk = VK_HOME;
      return true;
    case KEY_END:
      ev->vk = VK_END;
      return true;
    case KEY_IC:
      ev->vk = VK_INSERT;
      return true;
    case KEY_DC:
      ev->vk = VK_DELETE;
      return true;
    case KEY_BTAB:
      ev->vk = VK_TAB;
      ev->shift = true;
      return true;
    case KEY_BACKSPACE:
      ev->vk = VK_BACK;
      ev->ch = 8;
      return true;
    case KEY_ENTER:
      ev->vk = VK_RETURN;
      ev->ch = 13;
      return true;
    case KEY_SUSPEND:
    case KEY_SEND:
      ev->vk = VK_END;
      ev->shift = true;
      return true;
    case KEY_SHOME:
      ev->vk = VK_HOME;
      ev->shift = true;
      return true;
    default:
      break;
  }
  // Modified keys the terminal describes by name: kEND5 is Ctrl+End.
  const char* name = keyname(code);
  if (name == nullptr || name[0] != 'k') return false;
  std::string n = name + 1;
  if (n.empty() || n.back() < '2' || n.back() > '8') return false;
  int mod = n.back() - '1';  // bit 0 Shift, bit 1 Alt, bit 2 Ctrl
  n.pop_back();
  static const struct {
    const char* name;
    uint16_t vk;
  } kNamed[] = {{"UP", VK_UP},     {"DN", VK_DOWN},  {"LFT", VK_LEFT},  {"RIT", VK_RIGHT},
                {"HOM", VK_HOME},  {"END", VK_END},  {"PRV", VK_PRIOR}, {"NXT", VK_NEXT},
                {"DC", VK_DELETE}, {"IC", VK_INSERT}};
  for (const auto& k : kNamed)
    if (n == k.name) {
      ev->vk = k.vk;
      ev->shift = (mod & 1) != 0;
      ev->ctrl = (mod & 4) != 0;
      return true;
    }
  return false;
}

// An Esc that ncurses hands over with "[" or "O" right behind it is a key
// sequence the terminal description does not know (a key this program has
// no use for): it is read to its final byte and dropped, so that it never
// arrives as Esc (which asks to close) followed by stray characters.  An
// Esc with anything else behind it stays an Esc.
bool SkipUnknownSequence() {
  wint_t next = 0;
  if (get_wch(&next) != OK) return false;
  if (next != '[' && next != 'O') {
    unget_wch(static_cast<wchar_t>(next));
    return false;
  }
  bool csi = next == '[';
  for (int i = 0; i < 32; ++i) {
    wint_t c = 0;
    if (get_wch(&c) != OK) return true;
    if (!csi || (c >= 0x40 && c <= 0x7E)) return true;
  }
  return true;
}

bool TermBackend::ReadEvent(InputEvent* ev, int ms) {
  if (!Alive()) return false;
  timeout(ms);
  wint_t wc = 0;
  int r = get_wch(&wc);
  nodelay(stdscr, TRUE);
  if (r == ERR) return false;
  *ev = InputEvent{};
  if (r == KEY_CODE_YES) {
    if (wc == KEY_RESIZE) {
      ev->kind = InputEvent::RESIZE;
      return true;
    }
    if (wc == KEY_MOUSE) {
      MEVENT me;
      if (getmouse(&me) != OK) return false;
      if (!(me.bstate & (BUTTON1_CLICKED | BUTTON1_PRESSED | BUTTON1_DOUBLE_CLICKED))) return false;
      ev->kind = (me.bstate & BUTTON1_DOUBLE_CLICKED) ? InputEvent::DBLCLICK : InputEvent::CLICK;
      ev->col = me.x;
      ev->row = me.y;
      return true;
    }
    return KeyFromCode(static_cast<int>(wc), ev);
  }
  ev->kind = InputEvent::KEY;
  if (wc == '\r' || wc == '\n') {
    ev->vk = VK_RETURN;
    ev->ch = 13;
  } else if (wc == '\t') {
    ev->vk = VK_TAB;
    ev->ch = 9;
  } else if (wc == 27) {
    if (SkipUnknownSequence()) return false;
    ev->vk = VK_ESCAPE;
    ev->ch = 27;
  } else if (wc == 127 || wc == 8) {
    ev->vk = VK_BACK;
    ev->ch = 8;
  } else if (wc < 32) {
    // Ctrl with a letter or one of @[\]^_ : the control character.
    ev->ctrl = true;
    ev->ch = static_cast<uint8_t>(wc);
    ev->vk = wc >= 1 && wc <= 26 ? static_cast<uint16_t>('A' + wc - 1)
                                 : static_cast<uint16_t>(0xDB + (wc - 27));
  } else {
    wchar_t w[2] = {static_cast<wchar_t>(wc), 0};
    char mb[16] = {};
    size_t n = wcstombs(mb, w, sizeof mb);
    std::string cp = n == static_cast<size_t>(-1) ? std::string("?")
                                                  : host::Utf8ToCp1252(std::string_view(mb, n));
    uint8_t ch = cp.empty() ? '?' : static_cast<uint8_t>(cp[0]);
    ev->ch = ch;
    if (ch >= 'a' && ch <= 'z')
      ev->vk = static_cast<uint16_t>(ch - 'a' + 'A');
    else if ((ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == ' ')
      ev->vk = ch;
    else
      ev->vk = 0xDE;
    ev->shift = ch >= 'A' && ch <= 'Z';
  }
  return true;
}

bool TermBackend::PollInput(InputEvent* ev) {
  if (!Alive()) {
    *ev = InputEvent{};
    ev->kind = InputEvent::END;
    if (ended_once_) return false;
    ended_once_ = true;
    return true;
  }
  return ReadEvent(ev, 0);
}

void TermBackend::Idle(int ms) {
  if (!Alive()) {
    usleep(static_cast<useconds_t>(ms) * 1000);
    return;
  }
  // Wait for input without taking it: it is read again by PollInput.
  timeout(ms);
  int c = getch();
  nodelay(stdscr, TRUE);
  if (c != ERR) ungetch(c);
}

int64_t TermBackend::NowMillis() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int32_t TermBackend::TrackPopup(const Menu& menu, int32_t col, int32_t row) {
  if (!Alive() || menu.items.empty()) return -1;
  int rows = 0, cols = 0;
  getmaxyx(stdscr, rows, cols);
  int w = 4;
  for (const MenuItem& it : menu.items) w = std::max<int>(w, static_cast<int>(it.text.size()) + 4);
  int h = static_cast<int>(menu.items.size()) + 2;
  int c0 = std::clamp(col, 0, std::max(0, cols - w));
  int r0 = std::clamp(row, 0, std::max(0, rows - h));
  int sel = 0;
  auto skip = [&](int step) {
    for (size_t n = 0; n < menu.items.size(); ++n) {
      sel =
          (sel + step + static_cast<int>(menu.items.size())) % static_cast<int>(menu.items.size());
      if (!(menu.items[sel].flags & MF_SEPARATOR)) return;
    }
  };
  if (menu.items[0].flags & MF_SEPARATOR) skip(1);
  for (;;) {
    Box(r0, c0, h, w, ATTR_MENU);
    for (size_t i = 0; i < menu.items.size(); ++i) {
      const MenuItem& it = menu.items[i];
      std::string t = it.text;
      std::erase(t, '&');
      if (it.flags & MF_SEPARATOR)
        t = std::string(w - 2, '-');
      else
        t = " " + t + std::string(std::max<int>(0, w - 3 - static_cast<int>(t.size())), ' ');
      if (it.flags & MF_POPUP) t.back() = '>';
      Text(r0 + 1 + static_cast<int>(i), c0 + 1, t,
           static_cast<int>(i) == sel ? ATTR_SELECT : ATTR_MENU, w - 2);
    }
    refresh();
    InputEvent ev;
    if (!ReadEvent(&ev, 200)) {
      if (!Alive()) return -1;
      continue;
    }
    int chosen = -2;
    if (ev.kind == InputEvent::KEY) {
      if (ev.vk == VK_UP)
        skip(-1);
      else if (ev.vk == VK_DOWN)
        skip(1);
      else if (ev.vk == VK_RETURN || ev.vk == VK_RIGHT)
        chosen = sel;
      else if (ev.vk == VK_ESCAPE || ev.vk == VK_LEFT || ev.vk == VK_F12)
        chosen = -1;
    } else if (ev.kind == InputEvent::CLICK || ev.kind == InputEvent::DBLCLICK) {
      int i = ev.row - r0 - 1;
      bool inside =
          ev.col >= c0 && ev.col < c0 + w && i >= 0 && i < static_cast<int>(menu.items.size());
      chosen = inside && !(menu.items[i].flags & MF_SEPARATOR) ? i : -1;
    } else if (ev.kind == InputEvent::RESIZE) {
      getmaxyx(stdscr, rows, cols);
    }
    if (chosen != -2) {
      Draw(last_);
      refresh();
      return chosen;
    }
  }
}

BoxAnswer TermBackend::MessageBox(StrRef text, StrRef caption, BoxStyle style) {
  BoxAnswer buttons[3];
  uint8_t nb = ButtonsOf(style.buttons, buttons);
  if (!Alive()) return buttons[0];
  int sel = 0;
  for (;;) {
    int rows = 0, cols = 0;
    getmaxyx(stdscr, rows, cols);
    int maxw = std::max(10, std::min(cols - 4, 70));
    std::vector<std::string> lines = SplitLines(text, static_cast<size_t>(maxw - 4));
    std::string buttons_line;
    std::vector<std::pair<int, int>> spots;  // start and width of each button
    for (uint8_t i = 0; i < nb; ++i) {
      std::string b = std::string("[ ") + AnswerWord(buttons[i]) + " ]";
      if (i) buttons_line += "  ";
      spots.emplace_back(static_cast<int>(buttons_line.size()), static_cast<int>(b.size()));
      buttons_line += b;
    }
    int w = static_cast<int>(buttons_line.size()) + 4;
    std::string cap = caption.ok()
                          ? std::string(caption.view().substr(0, caption.view().find('\0')))
                          : std::string();
    w = std::max<int>(w, static_cast<int>(cap.size()) + 6);
    for (const std::string& l : lines) w = std::max<int>(w, static_cast<int>(l.size()) + 4);
    w = std::min(w, std::max(4, cols));
    int h = std::min(static_cast<int>(lines.size()) + 4, std::max(3, rows));
    int r0 = std::max(0, (rows - h) / 2), c0 = std::max(0, (cols - w) / 2);
    Box(r0, c0, h, w, ATTR_ACTIVE);
    if (!cap.empty()) Text(r0, c0 + 2, " " + cap + " ", ATTR_ACTIVE, w - 4);
    for (size_t i = 0; i < lines.size() && static_cast<int>(i) + 1 < h - 2; ++i)
      Text(r0 + 1 + static_cast<int>(i), c0 + 2, lines[i], ATTR_NORMAL, w - 4);
    int br = r0 + h - 2, bc = c0 + std::max(2, (w - static_cast<int>(buttons_line.size())) / 2);
    for (uint8_t i = 0; i < nb; ++i)
      Text(br, bc + spots[i].first, buttons_line.substr(spots[i].first, spots[i].second),
           static_cast<int>(i) == sel ? ATTR_FOCUS : ATTR_BUTTON, cols - bc - spots[i].first);
    curs_set(0);
    refresh();
    InputEvent ev;
    if (!ReadEvent(&ev, 200)) {
      if (!Alive()) return buttons[0];
      continue;
    }
    int chosen = -1;
    if (ev.kind == InputEvent::KEY) {
      if (ev.vk == VK_LEFT || (ev.vk == VK_TAB && ev.shift))
        sel = (sel + nb - 1) % nb;
      else if (ev.vk == VK_RIGHT || ev.vk == VK_TAB)
        sel = (sel + 1) % nb;
      else if (ev.vk == VK_RETURN || ev.vk == VK_SPACE)
        chosen = sel;
      else if (ev.vk == VK_ESCAPE) {
        for (uint8_t i = 0; i < nb; ++i)
          if (buttons[i] == ANSWER_CANCEL || buttons[i] == ANSWER_NO) chosen = i;
        if (chosen < 0 && nb == 1) chosen = 0;
      } else if (ev.ch != 0) {
        // The first letter of a button's word chooses it.
        for (uint8_t i = 0; i < nb && chosen < 0; ++i)
          if ((ev.ch | 0x20) == (AnswerWord(buttons[i])[0] | 0x20)) chosen = i;
      }
    } else if (ev.kind == InputEvent::CLICK && ev.row == br) {
      for (uint8_t i = 0; i < nb; ++i)
        if (ev.col >= bc + spots[i].first && ev.col < bc + spots[i].first + spots[i].second)
          chosen = i;
    } else if (ev.kind == InputEvent::RESIZE) {
      clear();
    }
    if (chosen >= 0) {
      clear();
      Draw(last_);
      refresh();
      return buttons[chosen];
    }
    if (ev.kind == InputEvent::RESIZE) {
      Draw(last_);
    }
  }
}

}  // namespace

std::unique_ptr<Backend> MakeTermBackend() {
  auto t = std::make_unique<TermBackend>();
  if (!t->Start()) return nullptr;
  return t;
}

}  // namespace tol
