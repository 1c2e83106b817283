// Arrays of the variable store: up to 4 dimensions of integer, numeric or
// fixed-width string elements in row-major order.  The descriptor is the
// record of value table 6 at the array's index; the elements live in a block
// of the variable store that the descriptor points to.
#pragma once

#include <cstdint>

#include "core/strref.h"

namespace tol {

struct ArrayDesc {
  uint16_t elem_bytes;
  uint16_t dims;
  uint16_t count;  // elements in all
  uint16_t size[4];
  uint8_t kind;  // KIND_INTEGER, KIND_NUMBER or KIND_STRING
  uint8_t unused;
  unsigned char* data;
};

inline constexpr uint16_t kMaxDims = 4;
// Width of a string array created by its first read: 64 bytes, starting as
// NULs; an element reads as its bytes up to the first NUL.
inline constexpr uint16_t kImplicitStringWidth = 64;
// The runtime's accumulator array and the limit of its implicit creation.
inline constexpr const char kAccumulatorArray[] = "_#(";
inline constexpr int32_t kAccumulatorLimit = 256;

// Kind of the elements: the name's kind without its "(".
uint8_t ElementKind(StrRef name);
// The descriptor of an existing array, null otherwise.  Valid until the
// next array is created.
const ArrayDesc* ArrayFind(StrRef name);

// Creates (or re-creates) the array with limit + 1 elements per dimension.
// A string array's elements all start as init, whose length is the element
// width.  149 for more than 4 dimensions or more than 65535 elements, 147
// for no dimension, every limit 0 or a width of 0, 168 for a negative
// limit, 128 for elements of another kind, 145 without memory.
[[nodiscard]] ErrCode ArrayCreate(StrRef name, const int32_t* limits, uint16_t n,
                                  StrRef init = StrRef());
// Pushes the element (integers as numbers); an array that does not exist is
// created first with the indexes as its limits.  168 when the flat position
// is out of range (or for more indexes than dimensions).
[[nodiscard]] ErrCode ArrayRead(StrRef name, const int32_t* indexes, uint16_t n);
// Writes the item on top of the scratch stack (a number for integer and
// numeric elements, 128 otherwise).  149 when the array does not exist,
// except the accumulator array, created here with one dimension of 256.
// Integer elements take the number divided by S truncated toward zero (low
// 16 bits); string elements are overwritten from their first byte, a text
// longer than the width being cut at the width.
[[nodiscard]] ErrCode ArrayWrite(StrRef name, const int32_t* indexes, uint16_t n);
[[nodiscard]] ErrCode ArrayWriteNumber(StrRef name, const int32_t* indexes, uint16_t n,
                                       int64_t number);
[[nodiscard]] ErrCode ArrayWriteText(StrRef name, const int32_t* indexes, uint16_t n, StrRef text);

// Frees the elements a descriptor record points to (value table 6).
void ArrayDataFree(void* descriptor);

}  // namespace tol
