// The integer system variables: the first 44 records of value table 7.
#include "lang/sysvars.h"

#include <cstring>

#include "lang/tables.h"

namespace tol {

int16_t SysGet(uint16_t n) {
  void* rec = TableGet(kTableIntegers, n);
  int16_t v = 0;
  if (rec) std::memcpy(&v, rec, sizeof v);
  return v;
}

void SysSet(uint16_t n, int16_t value) {
  void* rec = TableGet(kTableIntegers, n);
  if (rec) std::memcpy(rec, &value, sizeof value);
}

bool SysTest(uint16_t n, uint16_t mask) {
  return (static_cast<uint16_t>(SysGet(n)) & mask) != 0;
}

bool SysSetBits(uint16_t n, uint16_t mask, bool on) {
  auto v = static_cast<uint16_t>(SysGet(n));
  v = on ? static_cast<uint16_t>(v | mask) : static_cast<uint16_t>(v & ~mask);
  SysSet(n, static_cast<int16_t>(v));
  return SysTest(n, mask);
}

}  // namespace tol
