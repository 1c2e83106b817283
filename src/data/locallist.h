// Local lists: in-memory sorted lists of fixed-width items that the
// expression language holds as an opaque 24-byte value, and the one-call
// sort of a separated list.
#pragma once

#include <cstdint>

#include "core/strref.h"

namespace tol {

enum LocalListFlags : uint8_t {
  LIST_UNIQUE = 0x01,      // equal items are refused (result 5)
  LIST_DESCENDING = 0x02,  // greatest first
};

// ListSort flags beyond the list's own.
enum ListSortFlags : uint8_t {
  SORT_NUL_SEPARATED = 0x40,  // items separated by NUL bytes instead of ","
  SORT_TRIM = 0x80,           // trailing blanks removed from each item
};

// The value the expression language keeps.  The storage is a memory block
// of module LocalLists; its room in items follows from the block's size.
struct LocalList {
  char* storage = nullptr;
  uint16_t compare_length = 0;  // bytes compared
  uint16_t width = 0;           // bytes per item
  uint16_t count = 0;
  uint16_t cursor = 0;
  uint8_t flags = 0;
  uint8_t reserved[7] = {};
};
static_assert(sizeof(LocalList) == 24, "a local list travels as a 24-byte text");

inline constexpr uint16_t kListHandleSize = 24;
inline constexpr uint32_t kListInitialItems = 256;

// Width max(a, b), compare length min(a, b), room for 256 items.  163 when
// both sizes are 0; 145 when the storage cannot be had.
[[nodiscard]] ErrCode ListNew(uint16_t a, uint16_t b, uint8_t flags, LocalList* out);
// Inserts item (padded with blanks to the width) in order, a duplicate right
// behind the first equal item; 5 (nothing added) for an equal item in a
// unique list; 163 for an item longer than the width or a list that is not
// alive; 145 when full storage cannot be doubled; 168 past 65535 items.
[[nodiscard]] ErrCode ListAdd(LocalList* list, StrRef item);
// flags & 0x34: 0x10 next, 0x14 previous, 0x20 last, 0x24 first, else stay.
// 0, or 2 with the cursor set to the last item when it fell outside (0 for
// an empty list).
ErrCode ListMove(LocalList* list, uint8_t flags);
// The item at the cursor (full width) as a scratch copy; the empty text
// outside; 163 for a list that is not alive.
StrRef ListGet(const LocalList& list);
// Frees the storage and empties the value; 163 for a list that is not alive.
ErrCode ListFree(LocalList* list);
// Sorts a separated list in one call: see ListSortFlags and the list flags.
// The empty text when adding fails; 146 when the result would be too long.
StrRef ListSort(StrRef text, uint8_t flags);

// The 24-byte text of a list (a scratch copy) and back.  ListFromText gives
// 147 for a text that is not 24 bytes long and 163 for one that names no
// live list (freed, forged or stale after growth), so a handle from a
// variable never reaches memory the list does not own.
StrRef ListToText(const LocalList& list);
[[nodiscard]] ErrCode ListFromText(StrRef text, LocalList* out);

}  // namespace tol
