// Installing the display backend and the window layer's state scope.
#include "winui/winui.h"

namespace tol {

void InstallBackend(std::unique_ptr<Backend> b) {
  WinState& st = Win();
  st.backend = std::move(b);
  st.sys.input_ended = false;
  st.sys.dirty = true;
  if (st.backend) st.backend->ScreenCells(&st.sys.screen_cols, &st.sys.screen_rows);
}

WinScope::WinScope(std::unique_ptr<Backend> backend) {
  InstallBackend(std::move(backend));
}

}  // namespace tol
