// Local lists: ordered insertion into fixed-width items held in a memory
// block of module LocalLists, the cursor, the handle's text form with its
// checks, and the one-call sort of a separated list.
#include "data/locallist.h"

#include <algorithm>
#include <cstring>

#include "core/core.h"
#include "core/memory.h"
#include "core/scratch.h"
#include "core/text.h"

namespace tol {

namespace {

uint32_t RoomOf(const LocalList& l) {
  return l.width ? Core().mem.SizeOf(l.storage) / l.width : 0;
}

// The storage belongs to this module and holds what the value claims.
bool Alive(const LocalList& l) {
  if (l.storage == nullptr || l.width == 0 || l.compare_length > l.width) return false;
  if (Core().mem.ModuleOf(l.storage) != M_LOCALLISTS) return false;
  return l.count <= RoomOf(l);
}

const char* ItemAt(const LocalList& l, uint32_t i) {
  return l.storage + size_t(i) * l.width;
}

// Where the scan from the first item stops: the first item that is not
// smaller than x (not greater, descending).  The items are in that order,
// so a bisection stops at the same place.
uint32_t StopAt(const LocalList& l, const char* x) {
  bool desc = l.flags & LIST_DESCENDING;
  uint32_t lo = 0, hi = l.count;
  while (lo < hi) {
    uint32_t mid = lo + (hi - lo) / 2;
    int c = std::memcmp(ItemAt(l, mid), x, l.compare_length);
    if (desc ? c > 0 : c < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

ErrCode Double(LocalList* l) {
  uint64_t bytes = uint64_t(std::max<uint32_t>(RoomOf(*l), 1)) * 2 * l->width;
  if (bytes > 0xFFFFFFFFu) return E_OUTOFMEMORY;
  void* fresh = Core().mem.Allocate(M_LOCALLISTS, static_cast<uint32_t>(bytes), MemBlocks::kNoFill);
  if (fresh == nullptr) return E_OUTOFMEMORY;
  std::memcpy(fresh, l->storage, size_t(l->count) * l->width);
  (void)Core().mem.Free(M_LOCALLISTS, l->storage);
  l->storage = static_cast<char*>(fresh);
  return 0;
}

}  // namespace

ErrCode ListNew(uint16_t a, uint16_t b, uint8_t flags, LocalList* out) {
  *out = LocalList{};
  uint16_t width = std::max(a, b);
  if (width == 0) return E_DATA;
  void* p = Core().mem.Allocate(M_LOCALLISTS, kListInitialItems * width, MemBlocks::kNoFill);
  if (p == nullptr) return E_OUTOFMEMORY;
  out->storage = static_cast<char*>(p);
  out->width = width;
  out->compare_length = std::min(a, b);
  out->flags = flags & (LIST_UNIQUE | LIST_DESCENDING);
  return 0;
}

ErrCode ListAdd(LocalList* list, StrRef item) {
  if (!item.ok()) return item.err();
  if (!Alive(*list) || item.size() > list->width) return E_DATA;
  ScratchFrame frame;
  if (ErrCode e = Scratch().Push(list->width, ' ')) return e;
  char* x = Scratch().TopBytes();
  std::memcpy(x, item.data(), item.size());
  uint32_t at = StopAt(*list, x);
  bool equal = at < list->count && std::memcmp(ItemAt(*list, at), x, list->compare_length) == 0;
  if (equal && (list->flags & LIST_UNIQUE)) return 5;
  if (equal) ++at;
  if (list->count == 0xFFFF) return E_DATAOUTBOUND;
  if (list->count >= RoomOf(*list))
    if (ErrCode e = Double(list)) return e;
  char* base = list->storage + size_t(at) * list->width;
  std::memmove(base + list->width, base, size_t(list->count - at) * list->width);
  std::memcpy(base, x, list->width);
  ++list->count;
  return 0;
}

ErrCode ListMove(LocalList* list, uint8_t flags) {
  int32_t p = list->cursor;
  switch (flags & 0x34) {
    case 0x10:
      ++p;
      break;
    case 0x14:
      --p;
      break;
    case 0x20:
      p = int32_t(list->count) - 1;
      break;
    case 0x24:
      p = 0;
      break;
    default:
      break;
  }
  if (p < 0 || p >= int32_t(list->count)) {
    list->cursor = list->count ? list->count - 1 : 0;
    return 2;
  }
  list->cursor = static_cast<uint16_t>(p);
  return 0;
}

StrRef ListGet(const LocalList& list) {
  if (!Alive(list)) return StrRef::Fail(E_DATA);
  if (list.cursor >= list.count) return StrRef();
  return Copy(StrRef(ItemAt(list, list.cursor), list.width));
}

ErrCode ListFree(LocalList* list) {
  if (!Alive(*list)) return E_DATA;
  ErrCode e = Core().mem.Free(M_LOCALLISTS, list->storage);
  *list = LocalList{};
  return e;
}

StrRef ListToText(const LocalList& list) {
  char bytes[kListHandleSize];
  std::memcpy(bytes, &list, sizeof bytes);
  return Copy(StrRef(bytes, kListHandleSize));
}

ErrCode ListFromText(StrRef text, LocalList* out) {
  if (!text.ok()) return text.err();
  if (text.size() != kListHandleSize) return E_SINTAXERROR;
  LocalList l;
  std::memcpy(&l, text.data(), sizeof l);
  if (!Alive(l)) return E_DATA;
  *out = l;
  return 0;
}

StrRef ListSort(StrRef text, uint8_t flags) {
  if (!text.ok()) return text;
  const char sep = (flags & SORT_NUL_SEPARATED) ? '\0' : ',';
  std::string_view all = text.view();
  size_t longest = 0;
  for (size_t from = 0;;) {
    size_t to = all.find(sep, from);
    size_t end = to == std::string_view::npos ? all.size() : to;
    longest = std::max(longest, end - from);
    if (to == std::string_view::npos) break;
    from = to + 1;
  }
  if (longest == 0) return StrRef();
  ScratchFrame frame;
  LocalList list;
  uint16_t width = static_cast<uint16_t>(longest);
  if (ListNew(width, width, flags & (LIST_UNIQUE | LIST_DESCENDING), &list)) return StrRef();
  for (size_t from = 0;;) {
    size_t to = all.find(sep, from);
    size_t end = to == std::string_view::npos ? all.size() : to;
    ErrCode e = ListAdd(&list, StrRef(all.data() + from, static_cast<uint16_t>(end - from)));
    if (e >= 128) {
      (void)ListFree(&list);
      return StrRef();
    }
    if (to == std::string_view::npos) break;
    from = to + 1;
  }
  // The joined length first: padded items can make it longer than a text.
  auto length_of = [&](uint32_t i) {
    uint32_t n = list.width;
    if (flags & SORT_TRIM)
      while (n && ItemAt(list, i)[n - 1] == ' ') --n;
    return n;
  };
  uint64_t total = 0;
  uint32_t kept = 0;
  for (uint32_t i = 0; i < list.count; ++i) {
    uint32_t n = length_of(i);
    if (n == 0) continue;
    total += n + (kept ? 1 : 0);
    ++kept;
  }
  StrRef result;
  if (total > 0xFFFF) {
    result = StrRef::Fail(E_STRINGTOOLONG);
  } else if (Scratch().Push(static_cast<uint16_t>(total)) != 0) {
    result = StrRef::Fail(E_OUTOFMEMORY);
  } else {
    char* out = Scratch().TopBytes();
    size_t at = 0;
    for (uint32_t i = 0; i < list.count; ++i) {
      uint32_t n = length_of(i);
      if (n == 0) continue;
      if (at) out[at++] = sep;
      std::memcpy(out + at, ItemAt(list, i), n);
      at += n;
    }
    result = StrRef(out, static_cast<uint16_t>(total));
  }
  (void)ListFree(&list);
  return result.ok() ? frame.Keep(result) : result;
}

}  // namespace tol
