// Fuzz target for the edit masks: any mask, value and mode must give a
// result of the mask's length (or an error code), never a crash or a write
// outside its buffer, and must leave the scratch stack as it found it.
//
// Not part of the test build.  From the repository root:
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -Isrc \
//     tests/fuzz/mask_fuzz.cpp src/core/*.cpp src/host/*.cpp src/lang/*.cpp \
//     src/format/*.cpp -o build/mask_fuzz
//   build/mask_fuzz -max_len=512 -max_total_time=60
// Input: one byte of mode, then the mask, a NUL, and the value.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/core.h"
#include "format/mask.h"
#include "format/types.h"
#include "lang/lang.h"

using namespace tol;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 60000) return 0;
  LangScope lang(64);
  if (lang.init_result()) return 0;
  uint8_t how = data[0];
  const char* text = reinterpret_cast<const char*>(data + 1);
  size_t n = size - 1;
  const void* nul = std::memchr(text, 0, n);
  size_t mask_len = nul ? static_cast<const char*>(nul) - text : n;
  StrRef mask(text, static_cast<uint16_t>(mask_len));
  StrRef value =
      nul ? StrRef(text + mask_len + 1, static_cast<uint16_t>(n - mask_len - 1)) : StrRef();
  // Spanish conventions on odd modes, the built-in ones on even.
  if (how & 1) {
    static const char kEs[] = ",.'0123456789,-D',' NS','  ,NO,SI'\0'E,F,M,A,M,J,J,A,S,O,N,D','[D]'";
    if (Slots().Set(0, 0, StrRef(kEs, sizeof kEs - 1))) return 0;
  }
  if (how & 2 && Slots().Set(0, 10, "2,0,5")) return 0;

  ScratchMark mark = Scratch().Mark();
  StrRef results[] = {MaskFormat(mask, value, how), MaskFormat(mask, value, kMaskIfNumeric),
                      NumberMask(mask, value, how & 4), TextMask(mask, value),
                      ExpandCompactMask(mask)};
  for (StrRef r : results)
    if (r.ok() && r.size() != mask.size()) std::abort();
  Scratch().Release(mark);

  static const char kTypes[] = "ABCPDFLNV0123456789Z";
  uint8_t type = static_cast<uint8_t>(kTypes[how % (sizeof kTypes - 1)]);
  uint16_t width = static_cast<uint16_t>(mask.size() % 40);
  StrRef stored = StoreFormat(type, value, width);
  if (stored.ok() && stored.size() != width) std::abort();
  StrRef typed = InputFormat(type, value, width);
  if (typed.ok() && typed.size() != width) std::abort();
  (void)InputFormat(type, value, kNoAlign);
  (void)DisplayFormat(type, value, width);
  (void)NumberClean(value);
  Scratch().Release(mark);
  if (Scratch().Mark() != mark) std::abort();
  return 0;
}
