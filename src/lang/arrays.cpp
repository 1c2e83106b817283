// Arrays: creation, element position, reads and writes.
#include "lang/arrays.h"

#include <cstring>

#include "core/core.h"
#include "core/errors.h"
#include "core/text.h"
#include "lang/names.h"
#include "lang/tables.h"
#include "lang/variables.h"

namespace tol {
namespace {

// Element data above this size is refused as out of memory rather than
// asked of the heap.
constexpr uint32_t kMaxArrayBytes = 16u << 20;

ErrCode ArrayFail(ErrCode code) {
  return Fail(M_VARNMASSIGN, code);
}

bool WellFormed(StrRef name) {
  return name.ok() && !name.empty() && std::memchr(name.data(), ',', name.size()) == nullptr &&
         VarKind(name) == KIND_ARRAY;
}

ArrayDesc* Find(StrRef name, uint16_t* index = nullptr) {
  if (!WellFormed(name)) return nullptr;
  uint16_t i = NameLookup(kListArrays, name);
  if (i == 0xFFFF) return nullptr;
  if (index) *index = i;
  return static_cast<ArrayDesc*>(TableGet(kTableArrays, i));
}

// Flat position of the indexes, or -1 when out of range.
int64_t Position(const ArrayDesc& d, const int32_t* indexes, uint16_t n) {
  if (n > d.dims) return -1;
  int64_t flat = 0;
  for (uint16_t k = 0; k < d.dims; ++k) {
    int64_t i = k < n ? indexes[k] : 0;
    flat = flat * d.size[k] + i;
  }
  return flat >= 0 && flat < d.count ? flat : -1;
}

ErrCode Write(StrRef name, const int32_t* indexes, uint16_t n, bool is_number, int64_t number,
              StrRef text) {
  if (!name.ok()) return ArrayFail(name.err());
  if (!text.ok()) return ArrayFail(text.err());
  if (!WellFormed(name)) return ArrayFail(E_SINTAXERROR);
  ArrayDesc* d = Find(name);
  if ((d == nullptr || d->data == nullptr) && Equal(name, kAccumulatorArray)) {
    if (ErrCode e = ArrayCreate(name, &kAccumulatorLimit, 1)) return e;
    d = Find(name);
  }
  if (d == nullptr || d->data == nullptr) return ArrayFail(E_DIMSTRUCERROR);
  if (is_number != (d->kind != KIND_STRING)) return ArrayFail(E_TYPES);
  int64_t flat = Position(*d, indexes, n);
  if (flat < 0) return ArrayFail(E_DATAOUTBOUND);
  unsigned char* at = d->data + flat * d->elem_bytes;
  if (d->kind == KIND_INTEGER) {
    // Truncated toward zero, unlike a variable's rounded conversion.
    auto v = static_cast<int16_t>(static_cast<uint16_t>((number / Scale()) & 0xFFFF));
    std::memcpy(at, &v, sizeof v);
  } else if (d->kind == KIND_NUMBER) {
    std::memcpy(at, &number, sizeof number);
  } else {
    // The text may be a view of an element of this same array.
    std::memmove(at, text.data(), text.size() < d->elem_bytes ? text.size() : d->elem_bytes);
  }
  return E_OK;
}

}  // namespace

uint8_t ElementKind(StrRef name) {
  if (VarKind(name) != KIND_ARRAY) return KIND_NONE;
  const char* p = name.data();
  auto open = static_cast<uint16_t>(static_cast<const char*>(std::memchr(p, '(', name.size())) - p);
  ScratchFrame frame;
  if (Scratch().Push(name.size() - 1, MemBlocks::kNoFill)) return KIND_NONE;
  char* out = Scratch().TopBytes();
  std::memcpy(out, p, open);
  std::memcpy(out + open, p + open + 1, name.size() - open - 1u);
  return VarKind(Scratch().Top());
}

const ArrayDesc* ArrayFind(StrRef name) {
  const ArrayDesc* d = Find(name);
  return d && d->data ? d : nullptr;
}

ErrCode ArrayCreate(StrRef name, const int32_t* limits, uint16_t n, StrRef init) {
  if (!name.ok()) return ArrayFail(name.err());
  if (!init.ok()) return ArrayFail(init.err());
  if (!WellFormed(name)) return ArrayFail(E_SINTAXERROR);
  if (n > kMaxDims) return ArrayFail(E_DIMSTRUCERROR);
  ArrayDesc d{};
  d.kind = ElementKind(name);
  if (d.kind == KIND_INTEGER)
    d.elem_bytes = 2;
  else if (d.kind == KIND_NUMBER)
    d.elem_bytes = 8;
  else if (d.kind == KIND_STRING)
    d.elem_bytes = init.size();
  else
    return ArrayFail(E_TYPES);
  if (d.elem_bytes == 0) return ArrayFail(E_SINTAXERROR);
  bool any = false;
  uint32_t count = 1;
  for (uint16_t k = 0; k < n; ++k) {
    if (limits[k] < 0) return ArrayFail(E_DATAOUTBOUND);
    if (limits[k] >= 0xFFFF) return ArrayFail(E_DIMSTRUCERROR);
    any = any || limits[k] > 0;
    d.size[k] = static_cast<uint16_t>(limits[k] + 1);
    count *= d.size[k];
    if (count > 0xFFFF) return ArrayFail(E_DIMSTRUCERROR);
  }
  if (!any) return ArrayFail(E_SINTAXERROR);
  d.dims = n;
  d.count = static_cast<uint16_t>(count);
  uint32_t bytes = count * d.elem_bytes;
  if (bytes > kMaxArrayBytes) return ArrayFail(E_OUTOFMEMORY);
  d.data = static_cast<unsigned char*>(Core().mem.Allocate(kModVarStore, bytes, 0));
  if (d.data == nullptr) return ArrayFail(E_OUTOFMEMORY);
  if (d.kind == KIND_STRING) {
    for (uint32_t i = 0; i < count; ++i)
      std::memcpy(d.data + size_t{i} * d.elem_bytes, init.data(), d.elem_bytes);
  }
  if (ArrayDesc* old = Find(name)) {
    ArrayDataFree(old);
    *old = d;
    return E_OK;
  }
  if (ErrCode e = VarAddName(kListArrays, name, &d, sizeof d, StrRef(), nullptr)) {
    (void)Core().mem.Free(kModVarStore, d.data);
    return ArrayFail(e);
  }
  return E_OK;
}

ErrCode ArrayRead(StrRef name, const int32_t* indexes, uint16_t n) {
  if (!name.ok()) return ArrayFail(name.err());
  if (!WellFormed(name)) return ArrayFail(E_SINTAXERROR);
  const ArrayDesc* d = ArrayFind(name);
  if (d == nullptr) {
    char nuls[kImplicitStringWidth] = {};
    StrRef init = ElementKind(name) == KIND_STRING ? StrRef(nuls, sizeof nuls) : StrRef();
    if (ErrCode e = ArrayCreate(name, indexes, n, init)) return e;
    d = ArrayFind(name);
  }
  int64_t flat = Position(*d, indexes, n);
  if (flat < 0) return ArrayFail(E_DATAOUTBOUND);
  const unsigned char* at = d->data + flat * d->elem_bytes;
  if (d->kind == KIND_INTEGER) {
    int16_t v;
    std::memcpy(&v, at, sizeof v);
    return PushNumber(IntegerToNumber(v));
  }
  if (d->kind == KIND_NUMBER) {
    int64_t v;
    std::memcpy(&v, at, sizeof v);
    return PushNumber(v);
  }
  const void* nul = std::memchr(at, 0, d->elem_bytes);
  auto len =
      static_cast<uint16_t>(nul ? static_cast<const unsigned char*>(nul) - at : d->elem_bytes);
  return Scratch().PushCopy(StrRef(reinterpret_cast<const char*>(at), len));
}

ErrCode ArrayWrite(StrRef name, const int32_t* indexes, uint16_t n) {
  StrRef item = Scratch().Top();
  if (ElementKind(name) == KIND_STRING) return Write(name, indexes, n, false, 0, item);
  if (item.size() != sizeof(int64_t)) return ArrayFail(E_TYPES);
  return Write(name, indexes, n, true, ItemNumber(item), StrRef());
}

ErrCode ArrayWriteNumber(StrRef name, const int32_t* indexes, uint16_t n, int64_t number) {
  return Write(name, indexes, n, true, number, StrRef());
}

ErrCode ArrayWriteText(StrRef name, const int32_t* indexes, uint16_t n, StrRef text) {
  return Write(name, indexes, n, false, 0, text);
}

void ArrayDataFree(void* descriptor) {
  auto* d = static_cast<ArrayDesc*>(descriptor);
  if (d->data) (void)Core().mem.Free(kModVarStore, d->data);
  d->data = nullptr;
}

}  // namespace tol
