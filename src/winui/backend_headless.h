// The headless display backend: draws nothing.  Used by tests and batch
// runs and whenever standard input or output is not a terminal.  Message
// boxes are written to standard error and answered from a queue that tests
// fill, else with the box's default button.  Input comes only from what a
// test queues; once that is used up, no more will come.  The screen it
// would show can be printed as text.
#pragma once

#include <cstddef>
#include <deque>
#include <string>

#include "winui/backend.h"

namespace tol {

class HeadlessBackend final : public Backend {
 public:
  BoxAnswer MessageBox(StrRef text, StrRef caption, BoxStyle style) override;

  // The answer for a coming box; answers are used in the order queued, one
  // per box.  One the box does not offer is used up and the default button
  // answers instead.
  void QueueAnswer(BoxAnswer a) { answers_.push_back(a); }
  size_t queued() const { return answers_.size(); }
  size_t boxes_shown() const { return shown_; }

  // The screen size it pretends to have, in character cells.
  void SetScreen(int32_t cols, int32_t rows) {
    cols_ = cols;
    rows_ = rows;
  }
  // Input for the window system, in order.
  void QueueInput(const InputEvent& ev) {
    input_.push_back(ev);
    ended_ = false;
  }
  void QueueKey(uint16_t vk, uint8_t ch = 0, bool shift = false, bool ctrl = false);
  void QueueText(const std::string& cp1252);
  // The item a coming popup menu chooses (-1 dismisses it); without one
  // popups are dismissed.
  void QueuePopupChoice(int32_t index) { popups_.push_back(index); }
  // The picture last presented, one line per row.
  const std::string& last_picture() const { return picture_; }
  size_t presents() const { return presents_; }

  const char* Name() const override { return "headless"; }
  void ScreenCells(int32_t* cols, int32_t* rows) override;
  void Present(const CellGrid& grid) override;
  bool PollInput(InputEvent* ev) override;
  void Idle(int ms) override;
  int64_t NowMillis() override;
  int32_t TrackPopup(const Menu& menu, int32_t col, int32_t row) override;

 private:
  std::deque<BoxAnswer> answers_;
  size_t shown_ = 0;
  std::deque<InputEvent> input_;
  std::deque<int32_t> popups_;
  std::string picture_;
  size_t presents_ = 0;
  int32_t cols_ = 80, rows_ = 25;
  bool ended_ = false;
};

}  // namespace tol
