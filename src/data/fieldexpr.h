// Field references of the expression language ("NAME{FILE}" operands): the
// record layer answers the evaluator's field seams from the record buffers.
#pragma once

namespace tol {

// Installs the field seams into the current language state.
void ConnectFieldReferences();

}  // namespace tol
