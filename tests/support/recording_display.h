// A display for tests: records every box it is asked to show and answers
// from a queue (the default button when the queue is empty).
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "core/display.h"

namespace tol::testing {

class RecordingDisplay : public Display {
 public:
  struct Box {
    std::string text, caption;
    BoxStyle style;
  };

  BoxAnswer MessageBox(StrRef text, StrRef caption, BoxStyle style) override {
    boxes.push_back({text.str(), caption.str(), style});
    if (answers.empty()) return DefaultAnswer(style.buttons);
    BoxAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  bool HasMainWindow() const override { return main_window; }
  void DiscardPendingMessages() override { ++discards; }

  std::vector<Box> boxes;
  std::deque<BoxAnswer> answers;
  bool main_window = false;
  int discards = 0;
};

}  // namespace tol::testing
