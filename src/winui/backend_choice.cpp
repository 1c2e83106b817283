// Choosing the display backend, and what every backend answers the same
// way about the runtime's windows.
#include <unistd.h>

#include "host/env.h"
#include "winui/backend.h"
#include "winui/backend_headless.h"
#include "winui/window.h"
#include "winui/winui.h"

namespace tol {

bool Backend::HasMainWindow() const {
  return Current<WinState>::Exists() && WindowCount() > 0;
}

void Backend::DiscardPendingMessages() {
  if (Current<WinState>::Exists()) Sys().queue.clear();
}

std::unique_ptr<Backend> MakeHeadlessBackend() {
  return std::make_unique<HeadlessBackend>();
}

std::unique_ptr<Backend> MakeBackend() {
  std::string want = host::GetEnv("TOLVINA_DISPLAY");
  if (want == "headless") return MakeHeadlessBackend();
  if (want == "term" || (want.empty() && isatty(0) && isatty(1))) {
    if (auto t = MakeTermBackend()) return t;
  }
  return MakeHeadlessBackend();
}

}  // namespace tol
