// StrRef: the text value passed by value everywhere.  A view of code page
// 1252 bytes (not terminated, may hold NUL) with a 16-bit length; a null
// pointer makes it a failure whose length field carries the ErrCode, so an
// error travels through a chain of text operations and is tested once.
#pragma once

#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <string>
#include <string_view>

#include "core/errcode.h"

namespace tol {

class StrRef {
 public:
  // The empty text (valid, length 0).
  constexpr StrRef() : p_(""), n_(0) {}
  constexpr StrRef(const char* p, uint16_t n) : p_(p), n_(n) {}
  // A literal; its length is the array's, less the terminating NUL.
  template <size_t N>
  constexpr StrRef(const char (&lit)[N]) : p_(lit), n_(static_cast<uint16_t>(N - 1)) {}

  // Over a C text: null gives code 163, the length is cut to 16 bits.
  static StrRef FromC(const char* c) {
    if (c == nullptr) return Fail(E_DATA);
    return StrRef(c, static_cast<uint16_t>(std::strlen(c)));
  }
  static StrRef Of(std::string_view v) { return StrRef(v.data(), static_cast<uint16_t>(v.size())); }
  static constexpr StrRef Fail(ErrCode code) { return StrRef(nullptr, code); }

  bool ok() const { return p_ != nullptr; }
  // 0 for a text; the code of a failure (0xFFFF for a null with length 0).
  ErrCode err() const { return p_ ? E_OK : (n_ ? n_ : E_NOTFOUND); }
  // Length of a text; 0 for a failure.
  uint16_t size() const { return p_ ? n_ : 0; }
  bool empty() const { return size() == 0; }
  const char* data() const { return p_; }
  uint8_t operator[](size_t i) const { return static_cast<uint8_t>(p_[i]); }
  std::string_view view() const { return p_ ? std::string_view(p_, n_) : std::string_view(); }
  std::string str() const { return std::string(view()); }

 private:
  const char* p_;
  uint16_t n_;
};

// Same validity and same bytes (two failures are equal when their codes are).
bool operator==(StrRef a, StrRef b);
std::ostream& operator<<(std::ostream& os, StrRef t);

}  // namespace tol
