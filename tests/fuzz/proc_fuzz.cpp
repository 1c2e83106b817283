// Fuzz target for procedure loading and running: any bytes as a procedure
// file must load or fail with a code, run to an end (a cancel after a
// bounded number of message-loop turns stops endless loops), and leave no
// procedure loaded, no memory block held and the scratch stack as it was.
//
// Build with clang and libFuzzer (from the repository root):
//   cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOLVINA_TESTS=OFF  (continued)
//     -DCMAKE_CXX_COMPILER=clang++  (continued)
//     -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all"
//   cmake --build build/fuzz -j2 --target tolvina_rt
//   clang++ -std=c++20 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -Isrc  (continued)
//     tests/fuzz/proc_fuzz.cpp build/fuzz/libtolvina_rt.a $(pkg-config --libs ncursesw)  (continued)
//     -o build/fuzz/proc_fuzz
//   build/fuzz/proc_fuzz -max_len=4096 -timeout=10
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/context.h"
#include "core/core.h"
#include "lang/lang.h"
#include "proc/procedures.h"
#include "shell/env.h"

namespace {

int g_turns = 0;
bool CancelAfterSomeTurns() {
  return ++g_turns > 64;
}

void Check(bool ok) {
  if (!ok) std::abort();
}

std::string Folder() {
  static std::string folder = [] {
    char tmpl[] = "/tmp/tolprcfuzzXXXXXX";
    const char* made = mkdtemp(tmpl);
    return std::string(made ? made : "/tmp");
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path = Folder() + "/F.PRC";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);

  tol::RuntimeContext rt;
  rt.core->mem.Configure(0, 128);
  if (tol::CoreInit() || tol::LangInit()) return 0;
  if (tol::SetEnvValue(tol::ENV_DOCPATH, tol::StrRef::Of(Folder()))) return 0;
  g_turns = 0;
  tol::Proc().hooks.message_poll = CancelAfterSomeTurns;
  uint16_t held = tol::Core().mem.held();
  tol::ScratchMark m = tol::Scratch().Mark();
  tol::ErrCode c = tol::RunProcedure(tol::StrRef(), "F.PRC", tol::RUN_RESTORE);
  Check(c == tol::E_OK || c >= tol::E_DETAIL);
  Check(tol::Scratch().Mark() == m);
  Check(tol::LoadedProcedures() == 0);
  Check(tol::Core().mem.held() <= held + 1);  // at most a rebuilt name index
  Check(tol::Proc().run_depth == 0);
  tol::LangShutdown();
  return 0;
}
