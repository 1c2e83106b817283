// Fuzz target for the evaluator: any byte sequence given to Evaluate (and to
// bracket substitution) must come back with a code, leave the scratch stack
// as the entry points promise and the nesting count at zero.
//
// Build with clang and libFuzzer (from the repository root):
//   cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOLVINA_TESTS=OFF \
//     -DCMAKE_CXX_COMPILER=clang++ \
//     -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all"
//   cmake --build build/fuzz -j2 --target tolvina_rt
//   clang++ -std=c++20 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -Isrc \
//     tests/fuzz/eval_fuzz.cpp build/fuzz/libtolvina_rt.a $(pkg-config --libs ncursesw) \
//     -o build/fuzz/eval_fuzz
//   build/fuzz/eval_fuzz -max_len=2048 -timeout=5
#include <cstdint>
#include <cstdlib>

#include "core/core.h"
#include "lang/eval.h"
#include "lang/lang.h"
#include "lang/scanner.h"
#include "lang/subst.h"

namespace {

// Stands in for the built-in functions: evaluates every argument in turn,
// as the calling convention does, and yields the last value.
tol::ErrCode EvaluateArguments(uint16_t, tol::StrRef, tol::StrRef args) {
  tol::ScratchMark m = tol::Scratch().Mark();
  uint16_t pos = 0;
  tol::ErrCode c = tol::kValueNumber;
  while (pos < args.size()) {
    tol::Scratch().Release(m);
    c = tol::EvaluateStatement(args, &pos);
    if (c >= tol::E_CANCEL && c != tol::E_NULLEXPR) return c;
  }
  if (tol::Scratch().Mark() == m) return tol::Scratch().PushCopy("") ? tol::E_OUTOFMEMORY : 1;
  return c == tol::E_NULLEXPR ? tol::kValueNumber : c;
}

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0xFFFF) return 0;
  tol::LangScope lang(64);
  if (lang.init_result()) return 0;
  tol::Lang().expr.hooks.call = EvaluateArguments;
  tol::StrRef text(reinterpret_cast<const char*>(data), static_cast<uint16_t>(size));
  tol::ScratchMark m = tol::Scratch().Mark();
  tol::ErrCode c = tol::Evaluate(text);
  Check(c <= 1 ? tol::Scratch().Mark() == m + 1 : tol::Scratch().Mark() == m);
  Check(c <= 1 || c >= tol::E_CANCEL);
  tol::Scratch().Release(m);
  uint16_t flags = size ? data[0] | (size > 1 ? data[1] << 8 : 0) : 0;
  tol::StrRef r = tol::BracketSubstitute(text, flags, "A=1,B=[A]");
  Check(r.ok() ? tol::Scratch().Mark() == m + 1 : tol::Scratch().Mark() == m);
  tol::Scratch().Release(m);
  Check(tol::Lang().expr.depth == 0);
  return 0;
}
