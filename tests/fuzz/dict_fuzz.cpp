// Fuzz target for the dictionary loader: any bytes as a DICC.DAT, then every
// structure's buffer, fields, references and keys are exercised.
//
// Not part of the test build.  From the repository root:
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -Isrc \
//     tests/fuzz/dict_fuzz.cpp $(ls src/core/*.cpp src/host/*.cpp src/lang/*.cpp \
//     src/format/*.cpp src/data/*.cpp) -o build/dict_fuzz
//   build/dict_fuzz -max_len=70000 build/dict_corpus tests/fixtures/app
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/core.h"
#include "data/data.h"
#include "data/dict.h"
#include "data/record.h"
#include "lang/lang.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tol;
  LangScope lang;
  if (lang.init_result()) return 0;
  StateScope<DataState> state;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  (void)DictLoadText("FUZZ.DAT", text, "", "");
  for (uint16_t s = 1; s <= StructCount(); ++s) {
    ScratchFrame frame;
    if (BufferAlloc(s) != 0) continue;
    const StructDef* st = StructAt(s);
    for (uint16_t f = 1; f <= st->field_count; ++f) {
      (void)FieldSet(s, f, "20240105");
      (void)FieldGet(s, f);
      FieldRef ref;
      StrRef t = FieldRefText(s, f);
      if (t.ok() && FieldRefParse(t, &ref) == 0 && (ref.structure != s || ref.field != f)) {
        __builtin_trap();
      }
    }
    for (uint16_t k = 1; k <= st->keys.size(); ++k) {
      StrRef v = KeyValue(s, k);
      if (v.ok() && v.size() != KeyLength(s, k)) __builtin_trap();
      (void)KeySpread(s, k, v);
    }
    (void)BufferModified(s);
  }
  return 0;
}
