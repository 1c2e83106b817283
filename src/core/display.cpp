// Button sets of message boxes, the current display and its stand-in.
#include "core/display.h"

#include <string>

#include "core/core.h"
#include "host/fs.h"
#include "host/path.h"

namespace tol {

namespace {

// Used while no backend is installed (early start-up, tools, tests): the
// box goes to standard error so that it is not lost, and is answered as if
// Enter had been pressed.
class StandIn final : public Display {
 public:
  BoxAnswer MessageBox(StrRef text, StrRef caption, BoxStyle style) override {
    std::string out(1, '[');
    out.append(host::Cp1252ToUtf8(caption.view())).append("] ");
    out.append(host::Cp1252ToUtf8(text.view())).push_back('\n');
    (void)host::Write(host::File{2}, out.data(), static_cast<int64_t>(out.size()));
    return DefaultAnswer(style.buttons);
  }
};

}  // namespace

uint8_t ButtonsOf(BoxButtons set, BoxAnswer out[3]) {
  switch (set) {
    case BUTTONS_OKCANCEL:
      out[0] = ANSWER_OK, out[1] = ANSWER_CANCEL;
      return 2;
    case BUTTONS_RETRYCANCEL:
      out[0] = ANSWER_RETRY, out[1] = ANSWER_CANCEL;
      return 2;
    case BUTTONS_YESNO:
      out[0] = ANSWER_YES, out[1] = ANSWER_NO;
      return 2;
    case BUTTONS_YESNOCANCEL:
      out[0] = ANSWER_YES, out[1] = ANSWER_NO, out[2] = ANSWER_CANCEL;
      return 3;
    case BUTTONS_OK:
    default:
      out[0] = ANSWER_OK;
      return 1;
  }
}

bool Offers(BoxButtons set, BoxAnswer answer) {
  BoxAnswer b[3];
  uint8_t n = ButtonsOf(set, b);
  for (uint8_t i = 0; i < n; ++i)
    if (b[i] == answer) return true;
  return false;
}

Display& CurrentDisplay() {
  static StandIn stand_in;  // stateless
  Display* d = Core().display;
  return d ? *d : stand_in;
}

DisplayScope::DisplayScope(Display& d) : prev_(Core().display) {
  Core().display = &d;
}

DisplayScope::~DisplayScope() {
  Core().display = prev_;
}

}  // namespace tol
