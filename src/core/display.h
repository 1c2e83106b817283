// The display boundary: what the runtime asks of whatever shows windows and
// message boxes (a terminal, a test's recorder, nothing at all).  Backends
// live in the window layer; the core only knows this interface and the
// current display on CoreState.
#pragma once

#include <cstdint>

#include "core/strref.h"

namespace tol {

enum BoxIcon : uint8_t { ICON_NONE, ICON_INFORMATION, ICON_WARNING, ICON_ERROR };
// The buttons of a box, in the order they are shown; the first is the
// default button.
enum BoxButtons : uint8_t {
  BUTTONS_OK,
  BUTTONS_OKCANCEL,
  BUTTONS_RETRYCANCEL,
  BUTTONS_YESNO,
  BUTTONS_YESNOCANCEL,
};
// The button pressed, numbered as the Win32 dialog answers are.
enum BoxAnswer : uint8_t {
  ANSWER_OK = 1,
  ANSWER_CANCEL = 2,
  ANSWER_ABORT = 3,
  ANSWER_RETRY = 4,
  ANSWER_IGNORE = 5,
  ANSWER_YES = 6,
  ANSWER_NO = 7,
};

struct BoxStyle {
  BoxIcon icon = ICON_NONE;
  BoxButtons buttons = BUTTONS_OK;
};

// The buttons of a set in display order; returns how many (1-3).
uint8_t ButtonsOf(BoxButtons set, BoxAnswer out[3]);
inline BoxAnswer DefaultAnswer(BoxButtons set) {
  BoxAnswer b[3];
  ButtonsOf(set, b);
  return b[0];
}
bool Offers(BoxButtons set, BoxAnswer answer);

class Display {
 public:
  virtual ~Display() = default;
  // Shows a modal box over the main window (or alone when there is none)
  // and answers with the button pressed, which must be one the style offers.
  // Text and caption are CP1252; the text may hold CR LF line breaks.
  virtual BoxAnswer MessageBox(StrRef text, StrRef caption, BoxStyle style) = 0;
  // A box shown before the main window exists must not be answered by
  // input meant for the program (keys typed ahead, a pending close), so
  // the queue is emptied first.
  virtual bool HasMainWindow() const { return false; }
  virtual void DiscardPendingMessages() {}
};

// The current core's display; when none is installed, a stand-in that
// writes the box to standard error and answers with the default button.
Display& CurrentDisplay();

// Installs a display on the current core for the scope's lifetime.
class DisplayScope {
 public:
  explicit DisplayScope(Display& d);
  ~DisplayScope();
  DisplayScope(const DisplayScope&) = delete;
  DisplayScope& operator=(const DisplayScope&) = delete;

 private:
  Display* prev_;
};

}  // namespace tol
