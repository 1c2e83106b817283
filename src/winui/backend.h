// The display backends' one interface: what the window system asks of
// whatever shows its windows and reads the keyboard and mouse.  `headless`
// draws nothing (tests, batch runs, no terminal); `term` draws the screen
// in character cells with ncurses.  Nothing above the window layer knows
// which one runs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/display.h"
#include "winui/render.h"

namespace tol {

struct Menu;

// One input event in the backend's terms; the window system turns it into
// messages for the window that has the focus or lies under the mouse.
struct InputEvent {
  enum Kind : uint8_t {
    NONE,
    KEY,       // vk with the character it types (0 for none) and the modifiers
    CLICK,     // left button at col, row of the screen
    DBLCLICK,  // left double click
    RESIZE,    // the screen changed size: redraw
    END,       // no input will ever come (headless input used up, terminal gone)
  };
  Kind kind = NONE;
  uint16_t vk = 0;
  uint8_t ch = 0;
  bool shift = false, ctrl = false;
  int32_t col = 0, row = 0;
};

// Message boxes come through the Display side.
class Backend : public Display {
 public:
  virtual const char* Name() const = 0;
  // The screen in character cells.
  virtual void ScreenCells(int32_t* cols, int32_t* rows) = 0;
  // Shows the picture; called whenever the windows changed.
  virtual void Present(const CellGrid& grid) = 0;
  // The next input event without waiting; false when there is none.
  virtual bool PollInput(InputEvent* ev) = 0;
  // Waits at most ms for input, so that a polling loop does not spin.
  virtual void Idle(int ms) = 0;
  virtual int64_t NowMillis() = 0;
  // A popup menu at col, row: the chosen item's index, -1 when dismissed.
  virtual int32_t TrackPopup(const Menu& menu, int32_t col, int32_t row) = 0;
  // A person is at the other end: the end of its input means they are
  // gone, not that queued input is used up.
  virtual bool Interactive() const { return false; }

  // The main window is the first one the runtime opened.
  bool HasMainWindow() const override;
  void DiscardPendingMessages() override;
};

// The backend chosen by TOLVINA_DISPLAY ("headless" or "term"), else the
// terminal when standard input and output are terminals, else headless.
// The terminal backend falls back to headless when it cannot start.
std::unique_ptr<Backend> MakeBackend();
std::unique_ptr<Backend> MakeHeadlessBackend();
// Null when the terminal cannot be used.
std::unique_ptr<Backend> MakeTermBackend();

}  // namespace tol
