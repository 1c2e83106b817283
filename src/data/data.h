// The data layer's process-wide state: the stream table now, the structure
// and record tables as they come.  One instance is current at a time; a
// test makes a fresh one with StateScope<DataState>.
#pragma once

#include "core/state.h"
#include "data/streams.h"

namespace tol {

struct DataState {
  StreamTable streams;
};

inline DataState& Data() {
  return Current<DataState>::Get();
}

}  // namespace tol
