// The variable store's name lists (slot group 12, items 0-3): look-up by
// exact name and the creation of a variable with its first value.
#pragma once

#include <cstdint>

#include "core/strref.h"

namespace tol {

// 0-based position of name in list, 0xFFFF when absent.
uint16_t NameLookup(uint16_t list, StrRef name);
// Forgets the look-up index (it is rebuilt on the next look-up).  For code
// that cuts the lists back; appends need nothing.
void NameIndexReset();
// Number of names in list.
uint16_t NameCount(uint16_t list);
// Appends name to list and creates its value: for integers, numbers and
// arrays a record of the list's value table (bytes bytes of record), for
// strings item text of slot group 13.  157 when the list cannot take the
// name, the value's own failure otherwise; on failure nothing changes.
[[nodiscard]] ErrCode VarAddName(uint16_t list, StrRef name, const void* record, uint16_t bytes,
                                 StrRef text, uint16_t* index);

// The store's size, so that the variables created after it can be removed
// again (a procedure run that keeps its variables to itself).
struct VarStoreMark {
  uint16_t names[4];
  uint16_t list_bytes[4];
  uint16_t texts;
};
VarStoreMark VarStoreSize();
// Removes the variables created since mark: their names, values and array
// elements.  Variables that existed keep their current values.
[[nodiscard]] ErrCode VarStoreCutBack(const VarStoreMark& mark);

}  // namespace tol
