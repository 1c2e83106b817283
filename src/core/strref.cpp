// StrRef comparison and printing for diagnostics.
#include "core/strref.h"

#include <ostream>

namespace tol {

bool operator==(StrRef a, StrRef b) {
  if (!a.ok() || !b.ok()) return !a.ok() && !b.ok() && a.err() == b.err();
  return a.view() == b.view();
}

std::ostream& operator<<(std::ostream& os, StrRef t) {
  if (!t.ok()) return os << "<failure " << t.err() << ">";
  os << '"';
  for (char c : t.view()) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 32 || u >= 127) {
      static const char hex[] = "0123456789abcdef";
      os << "\\x" << hex[u >> 4] << hex[u & 15];
    } else {
      os << c;
    }
  }
  return os << '"';
}

}  // namespace tol
