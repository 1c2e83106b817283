// Headless message boxes: one line on standard error per box, in UTF-8.
#include "winui/backend_headless.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "host/path.h"

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

}  // namespace tol
