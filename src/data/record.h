// Record buffers: one per structure, twice the record length, in the string
// slot table (the current record, then the record as last read), with the
// field and key operations every reader and writer of a record goes through.
#pragma once

#include <cstdint>

#include "core/strref.h"

namespace tol {

// Slot table group of the record buffers; the item is the structure number.
inline constexpr uint16_t kGroupRecords = 1;
inline constexpr uint8_t kDeletedMark = 27;  // first byte of a deleted record

enum BufferHalfWhich : uint8_t { HALF_CURRENT = 1, HALF_READ = 2, HALF_BOTH = 3 };

// Structure numbers: 0 and numbers above the count mean _CURFIL.
[[nodiscard]] ErrCode BufferAlloc(uint16_t s);
// Drops the buffer of s (a structure defined anew has none).
void BufferForget(uint16_t s);
// Blanks in both halves; how = 2 then marks the current half deleted.
[[nodiscard]] ErrCode BufferClear(uint16_t s, uint8_t how = 1);
// A view of half 1, 2 or 3 (whole); valid until the slot table changes.
// 169 when the buffer does not match the record length.
StrRef BufferHalf(uint16_t s, uint8_t half);
// 1: current over as-read; 2: as-read over current.
[[nodiscard]] ErrCode BufferCopy(uint16_t s, uint8_t direction);
// Puts a record (as read from its file) into half 1, 2 or 3 (both); a
// shorter text is padded with blanks, a longer one cut.
[[nodiscard]] ErrCode BufferStore(uint16_t s, uint8_t half, StrRef record);
bool BufferModified(uint16_t s);

// The field's bytes from half 1 or 2, as a scratch copy.  A bad reference
// gives 151 and records it against BufferFld with the reference as detail.
StrRef FieldRaw(uint16_t s, uint16_t f, uint8_t half = HALF_CURRENT);
// The value as expressions see it: compact dates expanded (type "F" with
// _COMPAT bit 4), "D" numbers decoded (type "N").
StrRef FieldGet(uint16_t s, uint16_t f);
// Stores the value in the field's stored form into the current half.
[[nodiscard]] ErrCode FieldSet(uint16_t s, uint16_t f, StrRef value);
// The same through a "FIELD{STRUCT}" reference.
StrRef FieldGetByRef(StrRef ref);
[[nodiscard]] ErrCode FieldSetByRef(StrRef ref, StrRef value);

// The key's value from the current half, or from a given record text (a
// failed text passes through); bytes beyond the record read as blanks.
StrRef KeyValue(uint16_t s, uint16_t k);
StrRef KeyValue(uint16_t s, uint16_t k, StrRef record);
// Sum of the first count segment lengths (all for 0 or 0xFFFF); 0 for a bad key.
uint16_t KeyLength(uint16_t s, uint16_t k, uint16_t count = 0);
struct KeyFieldList {
  uint8_t count = 0;
  uint16_t field[5] = {};
};
// The field holding the first byte of each segment; 141 when a segment
// starts beyond the last field.  A key without segments gives field 1.
[[nodiscard]] ErrCode KeyFields(uint16_t s, uint16_t k, KeyFieldList* out);
// Writes a key value back into the fields of the key, field by field.
[[nodiscard]] ErrCode KeySpread(uint16_t s, uint16_t k, StrRef value);

}  // namespace tol
