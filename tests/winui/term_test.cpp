// The terminal backend on a pseudo-terminal: keys and clicks as the
// terminal sends them become virtual keys, a resize is noticed, drawing on
// a screen smaller than the picture is safe and a terminal that goes away
// ends the input instead of the program.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "winui/backend.h"
#include "winui/render.h"
#include "winui/winsys.h"

namespace tol {
namespace {

struct Want {
  InputEvent::Kind kind;
  uint16_t vk;
  uint8_t ch;
  bool shift, ctrl;
  int32_t col, row;
};

const Want kWant[] = {
    {InputEvent::KEY, VK_TAB, 0, true, false, 0, 0},       // Shift+Tab
    {InputEvent::KEY, VK_END, 0, false, true, 0, 0},       // Ctrl+End
    {InputEvent::KEY, VK_F1, 0, false, false, 0, 0},       //
    {InputEvent::KEY, VK_NEXT, 0, false, false, 0, 0},     // Page Down
    {InputEvent::KEY, 0xDD, 29, false, true, 0, 0},        // Ctrl+]
    {InputEvent::KEY, 0xDE, 0xF1, false, false, 0, 0},     // ñ typed as UTF-8
    {InputEvent::KEY, 'A', 'A', true, false, 0, 0},        //
    {InputEvent::KEY, VK_RETURN, 13, false, false, 0, 0},  //
    {InputEvent::KEY, VK_ESCAPE, 27, false, false, 0, 0},  //
    {InputEvent::CLICK, 0, 0, false, false, 4, 2},         // left button at column 5, row 3
};
const char kBytes[] =
    "\x1b[99~"  // keys the terminal description does not know: dropped
    "\x1b[1;9Q"
    "\x1bOz"
    "\x1b[Z"
    "\x1b[1;5F"
    "\x1bOP"
    "\x1b[6~"
    "\x1d"
    "\xc3\xb1"
    "A"
    "\r";
const char kClick[] = "\x1b[<0;5;3M\x1b[<0;5;3m";

int64_t Millis() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool Next(Backend& b, InputEvent* ev, int ms) {
  int64_t end = Millis() + ms;
  while (Millis() < end) {
    if (b.PollInput(ev) && ev->kind != InputEvent::NONE) return true;
    b.Idle(10);
  }
  return false;
}

// The child's side; its exit code tells the parent what went wrong.
int Child() {
  setenv("TERM", "xterm", 1);
  std::unique_ptr<Backend> b = MakeTermBackend();
  if (!b) return 10;
  int32_t cols = 0, rows = 0;
  b->ScreenCells(&cols, &rows);
  if (cols != 80 || rows != 24) return 11;
  CellGrid g;
  g.Reset(100, 30);  // larger than the terminal
  g.Text(0, 0, "Cami\xF3n", ATTR_FIELD);
  g.Put(99, 29, '+', ATTR_FRAME, true);
  g.cursor_col = 90;
  g.cursor_row = 29;
  b->Present(g);
  for (size_t i = 0; i < std::size(kWant); ++i) {
    InputEvent ev;
    if (!Next(*b, &ev, 3000)) return 20 + static_cast<int>(i);
    const Want& w = kWant[i];
    bool ok = ev.kind == w.kind &&
              (w.kind == InputEvent::CLICK
                   ? ev.col == w.col && ev.row == w.row
                   : ev.vk == w.vk && ev.ch == w.ch && ev.shift == w.shift && ev.ctrl == w.ctrl);
    if (!ok) return 40 + static_cast<int>(i);
  }
  // A yes/no box answered with Right and Enter; a popup menu with Down
  // and Enter.
  if (b->MessageBox("\xBF"
                    "Anular?",
                    "Pregunta", BoxStyle{ICON_WARNING, BUTTONS_YESNO}) != ANSWER_NO)
    return 50;
  Menu m;
  m.items = {MenuItem{MF_STRING, 1500, "Clientes"}, MenuItem{MF_SEPARATOR, 0, ""},
             MenuItem{MF_STRING, 1501, "Salir"}};
  if (b->TrackPopup(m, 2, 2) != 2) return 51;
  InputEvent ev;
  if (!Next(*b, &ev, 3000) || ev.kind != InputEvent::RESIZE) return 60;
  b->ScreenCells(&cols, &rows);
  if (cols != 30 || rows != 8) return 61;
  b->Present(g);  // clipped, never a crash
  // The terminal goes away: the input ends.
  for (int64_t end = Millis() + 3000; Millis() < end;) {
    if (b->PollInput(&ev) && ev.kind == InputEvent::END) {
      b->Present(g);  // drawing on a lost terminal does nothing
      return 0;
    }
    b->Idle(10);
  }
  return 62;
}

// Reads what the child writes so it never blocks on a full terminal; with
// a mark, returns as soon as that has been seen.
bool Drain(int fd, int ms, const std::string& mark = std::string()) {
  int64_t end = Millis() + ms;
  std::string seen;
  char buf[4096];
  while (Millis() < end) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 10) > 0) {
      ssize_t n = read(fd, buf, sizeof buf);
      if (n <= 0) return false;
      seen.append(buf, static_cast<size_t>(n));
      if (!mark.empty() && seen.find(mark) != std::string::npos) return true;
    }
  }
  return mark.empty();
}

TEST(TermBackendTest, KeysResizeAndHangupOnAPseudoTerminal) {
  int master = -1, slave = -1;
  winsize ws{24, 80, 0, 0};
  ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, &ws), 0);
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    close(master);
    setsid();
    ioctl(slave, TIOCSCTTY, 0);
    dup2(slave, 0);
    dup2(slave, 1);
    if (slave > 1) close(slave);
    _exit(Child());
  }
  close(slave);
  // The picture shows once the terminal is set up, the CP1252 text in UTF-8.
  EXPECT_TRUE(Drain(master, 10000, "Cami\xC3\xB3n"));
  ASSERT_EQ(write(master, kBytes, sizeof kBytes - 1), static_cast<ssize_t>(sizeof kBytes - 1));
  Drain(master, 100);
  ASSERT_EQ(write(master, "\x1b", 1), 1);  // Esc alone, after the escape delay
  Drain(master, 200);
  ASSERT_EQ(write(master, kClick, sizeof kClick - 1), static_cast<ssize_t>(sizeof kClick - 1));
  EXPECT_TRUE(Drain(master, 5000, "Pregunta"));
  ASSERT_EQ(write(master, "\x1bOC\r", 4), 4);
  EXPECT_TRUE(Drain(master, 5000, "Salir"));
  ASSERT_EQ(write(master, "\x1b[B\r", 4), 4);  // arrows in either form
  Drain(master, 300);
  winsize small{8, 30, 0, 0};
  ioctl(master, TIOCSWINSZ, &small);
  Drain(master, 500);
  close(master);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status)) << "signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace tol
