// The data layer's process-wide state: the structure dictionary's tables
// (and, beside them, the other tables of the record-file layer), made
// current through StateScope<DataState> beside the core's state.
#pragma once

#include "core/state.h"
#include "data/dict.h"

namespace tol {

struct DataState {
  DictTables dict;
};

inline DataState& Data() {
  return Current<DataState>::Get();
}
inline DictTables& Dict() {
  return Data().dict;
}

}  // namespace tol
