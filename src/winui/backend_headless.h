// The headless display backend: draws nothing.  Used by tests and batch
// runs and whenever standard input or output is not a terminal.  Message
// boxes are written to standard error and answered from a queue that tests
// fill, else with the box's default button.
#pragma once

#include <cstddef>
#include <deque>

#include "core/display.h"

namespace tol {

class HeadlessBackend final : public Display {
 public:
  BoxAnswer MessageBox(StrRef text, StrRef caption, BoxStyle style) override;

  // The answer for a coming box; answers are used in the order queued, one
  // per box.  One the box does not offer is used up and the default button
  // answers instead.
  void QueueAnswer(BoxAnswer a) { answers_.push_back(a); }
  size_t queued() const { return answers_.size(); }
  size_t boxes_shown() const { return shown_; }

 private:
  std::deque<BoxAnswer> answers_;
  size_t shown_ = 0;
};

}  // namespace tol
