// Selections: the record numbers of a key range that satisfy a condition,
// kept in one of eight rows shared by all structures; a structure may put
// two selections aside while it builds a nested one.
#pragma once

#include <cstdint>

#include "core/strref.h"

namespace tol {

// how = 2 starts after every key that begins with from.  max 0: no maximum
// (a selection holds at most 65535 numbers).  0 with at least one number
// selected; 2 (the buffer as it was) when none.
[[nodiscard]] ErrCode SelectionBuild(uint16_t s, uint16_t key, StrRef from, StrRef to,
                                     StrRef condition, uint16_t max, uint8_t how = 0);
// Reads selected record i (from 0) into half; 2 beyond the count.
[[nodiscard]] ErrCode SelectionRead(uint16_t s, uint8_t half, uint16_t i);
uint16_t SelectionCount(uint16_t s);
// Frees the structure's selection and brings back the one put aside last.
ErrCode SelectionFree(uint16_t s);

}  // namespace tol
