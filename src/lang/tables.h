// The value tables (24 numbered growable tables of fixed-size records) and
// the callback table (25 numbered function slots through which the
// application and other subsystems plug into the language).
#pragma once

#include <cstdint>

#include "core/strref.h"
#include "lang/lang.h"

namespace tol {

// Tables with a fixed owner in the runtime.
inline constexpr uint16_t kTableScreens = 4, kTableScreenWindows = 5, kTableArrays = 6,
                          kTableIntegers = 7, kTableNumbers = 8, kTableProcedures = 10;

// Creates the empty registry (124 when it exists, 145 without memory).
[[nodiscard]] ErrCode TablesCreate();
bool TablesExist();

// Stores bytes bytes of record (zeros when record is null) at index and
// answers the stored record.  The first put into a table fixes its record
// size; a put beyond the end grows it to index + 1 records, the new ones
// zeroed.  Null (nothing stored) for a table above 23, no registry, a size
// of 0 or other than the table's, an index of 65535 or no memory.
// Record pointers stay valid until the table next grows or shrinks.
void* TablePut(uint16_t table, uint16_t index, const void* record, uint16_t bytes);
// The record, or null beyond the count or for a table not in use.
void* TableGet(uint16_t table, uint16_t index);
uint16_t TableCount(uint16_t table);
// Record size of a table in use, else 0.
uint16_t TableRecordBytes(uint16_t table);
// Moves the later records down one place; removing the last record frees
// the table.  176 without the registry or for an index beyond the count.
[[nodiscard]] ErrCode TableRemove(uint16_t table, uint16_t index);
// Keeps the first n records (freeing the table when n is 0).  The records
// dropped are forgotten as they are: what they point to is the caller's.
void TableTruncate(uint16_t table, uint16_t n);
void TableFree(uint16_t table);
// All 24 tables and the registry.
void TablesFree();

// The slot, or 255 for a slot above 24.  A null function empties it.
uint16_t CallbackSet(uint16_t slot, Callback fn);
// Null for an empty slot or a slot above 24.
Callback CallbackGet(uint16_t slot);

template <class F>
uint16_t CallbackSetFn(uint16_t slot, F* fn) {
  return CallbackSet(slot, reinterpret_cast<Callback>(fn));
}
template <class F>
F* CallbackGetAs(uint16_t slot) {
  return reinterpret_cast<F*>(CallbackGet(slot));
}

// Slot 0: the system-variable hook, offered every read (mode 1) and
// assignment (mode 5) of a name beginning with "_" before the variable
// store.  For an assignment, value is the value being assigned (a number as
// its 8 bytes; which one follows from the name's kind), otherwise empty.
// Answers: failure 163 when it does not handle the name; on a read, the
// value as a text; on an assignment any text for success or the failure
// code that ends the assignment.
inline constexpr uint16_t kSlotSysVarHook = 0, kSlotProcRunner = 1, kSlotUserFunction = 2,
                          kSlotRelation = 3, kSlotFieldHelp = 22, kSlotStep = 23;
inline constexpr uint8_t kHookRead = 1, kHookAssign = 5;
using SysVarHook = StrRef(StrRef name, uint8_t mode, StrRef value);

}  // namespace tol
