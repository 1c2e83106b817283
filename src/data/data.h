// The data layer's process-wide state: the stream table and the structure
// dictionary's tables (the record buffers live in the string slot table),
// the structures' indexes, their record files' access states and the
// selection rows.
// One instance is current at a time; a test makes a fresh one with
// StateScope<DataState>.
#pragma once

#include "core/state.h"
#include "data/datafile.h"
#include "data/dict.h"
#include "data/index.h"
#include "data/streams.h"

namespace tol {

struct DataState {
  StreamTable streams;
  DictTables dict;
  IndexTable indexes;
  FileTables files;
};

inline DataState& Data() {
  return Current<DataState>::Get();
}
inline DictTables& Dict() {
  return Data().dict;
}

}  // namespace tol
