// The headless backend: message boxes as one line on standard error per
// box, in UTF-8; queued input; the picture kept as text.
#include "winui/backend_headless.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <thread>

#include "host/path.h"
#include "winui/winsys.h"

namespace tol {

namespace {

const char* IconWord(BoxIcon icon) {
  switch (icon) {
    case ICON_INFORMATION:
      return "info";
    case ICON_WARNING:
      return "warning";
    case ICON_ERROR:
      return "error";
    default:
      return "box";
  }
}

// Line breaks of the text become " | " so that one box stays one line.
std::string OneLine(StrRef text) {
  std::string_view v = text.view();
  std::string out;
  for (size_t i = 0; i < v.size(); ++i) {
    if (v[i] == '\r' || v[i] == '\n') {
      out += " | ";
      if (v[i] == '\r' && i + 1 < v.size() && v[i + 1] == '\n') ++i;
    } else {
      out += v[i];
    }
  }
  return out;
}

}  // namespace

BoxAnswer HeadlessBackend::MessageBox(StrRef text, StrRef caption, BoxStyle style) {
  ++shown_;
  std::string line = std::string(IconWord(style.icon)) + ": [" +
                     host::Cp1252ToUtf8(caption.view()) + "] " + host::Cp1252ToUtf8(OneLine(text)) +
                     "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
  BoxAnswer a = DefaultAnswer(style.buttons);
  if (!answers_.empty()) {
    if (Offers(style.buttons, answers_.front())) a = answers_.front();
    answers_.pop_front();
  }
  return a;
}

void HeadlessBackend::QueueKey(uint16_t vk, uint8_t ch, bool shift, bool ctrl) {
  InputEvent ev;
  ev.kind = InputEvent::KEY;
  ev.vk = vk;
  ev.ch = ch;
  ev.shift = shift;
  ev.ctrl = ctrl;
  QueueInput(ev);
}

void HeadlessBackend::QueueText(const std::string& cp1252) {
  for (char c : cp1252) {
    uint8_t ch = static_cast<uint8_t>(c);
    uint16_t vk = ch;
    if (ch >= 'a' && ch <= 'z')
      vk = static_cast<uint16_t>(ch - 'a' + 'A');
    else if (!((ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == ' '))
      vk = 0xDE;
    QueueKey(vk, ch, ch >= 'A' && ch <= 'Z', false);
  }
}

void HeadlessBackend::ScreenCells(int32_t* cols, int32_t* rows) {
  *cols = cols_;
  *rows = rows_;
}

void HeadlessBackend::Present(const CellGrid& grid) {
  picture_ = GridText(grid);
  ++presents_;
}

bool HeadlessBackend::PollInput(InputEvent* ev) {
  if (!input_.empty()) {
    *ev = input_.front();
    input_.pop_front();
    return true;
  }
  if (ended_) return false;
  ended_ = true;
  *ev = InputEvent{};
  ev->kind = InputEvent::END;
  return true;
}

void HeadlessBackend::Idle(int ms) {
  // Only timers can still bring messages: wait for them in real time.
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

int64_t HeadlessBackend::NowMillis() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int32_t HeadlessBackend::TrackPopup(const Menu& menu, int32_t col, int32_t row) {
  (void)col;
  (void)row;
  if (popups_.empty()) return -1;
  int32_t i = popups_.front();
  popups_.pop_front();
  return i >= 0 && i < static_cast<int32_t>(menu.items.size()) ? i : -1;
}

}  // namespace tol
