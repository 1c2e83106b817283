// The window layer's state scope.
#include "winui/winui.h"

namespace tol {

WinScope::WinScope(std::unique_ptr<Backend> backend) {
  state_->backend = std::move(backend);
  if (state_->backend)
    state_->backend->ScreenCells(&state_->sys.screen_cols, &state_->sys.screen_rows);
}

}  // namespace tol
