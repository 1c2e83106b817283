// Field type codes: the stored form of a value in a record field, the
// normalising of typed text, the shown form, and the edit mask of a type.
#pragma once

#include <cstdint>

#include "core/strref.h"

namespace tol {

// Width that InputFormat takes as "do not align".
inline constexpr uint16_t kNoAlign = 65535;

// Stored form of value in a field of the type and width; 168 when a number's
// integer part does not fit.
StrRef StoreFormat(uint8_t type, StrRef value, uint16_t width);
// Typed text normalised for the type, then aligned as StoreFormat does
// (unless width is kNoAlign).
StrRef InputFormat(uint8_t type, StrRef value, uint16_t width);
// A stored value as shown in width characters.
StrRef DisplayFormat(uint8_t type, StrRef value, uint16_t width);
// width mask characters of the type ("\" for text, "#" for numbers) with a
// decimal point for the types "1" to "9"; fixed chooses "." over the
// conventions' separator.  Masks handed to NumberMask take the fixed form:
// it reads "." as the decimal position and puts the separator there.
StrRef TypeMask(uint8_t type, uint16_t width, bool fixed);

}  // namespace tol
