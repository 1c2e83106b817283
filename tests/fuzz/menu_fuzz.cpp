// Fuzz target for menu files: any bytes as a list-form file (PMT) or as a
// structured one (PPN, whose LOAD$ items may name the file itself) must
// build a menu or fail with a code, and leave the scratch stack as it was,
// no block held, _COMPAT as it was, and a tree whose chosen entries carry
// 1500 + n in file order (entries past the 200 kept but disabled).
//
// Build with clang and libFuzzer as tests/fuzz/proc_fuzz.cpp describes,
// with tests/fuzz/menu_fuzz.cpp in its place:
//   build/fuzz/menu_fuzz -max_len=4096 -timeout=10
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/context.h"
#include "core/core.h"
#include "lang/lang.h"
#include "lang/sysvars.h"
#include "shell/env.h"
#include "shell/menus.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

std::string Folder() {
  static std::string folder = [] {
    char tmpl[] = "/tmp/tolmenufuzzXXXXXX";
    const char* made = mkdtemp(tmpl);
    return std::string(made ? made : "/tmp");
  }();
  return folder;
}

// Walks the tree: every command entry has the next identifier in order.
void CheckEntries(const std::vector<tol::MenuEntry>& items, uint16_t* n) {
  for (const tol::MenuEntry& e : items) {
    if (e.popup()) {
      CheckEntries(e.children, n);
      continue;
    }
    Check(e.children.empty());
    if (e.enabled) {
      Check(e.id == tol::kMenuFirstId + *n);
      Check(*n < tol::kMenuCommands);
    }
    ++*n;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte chooses the form; the rest is the file.
  const char* name = data[0] & 1 ? "M.PPN" : "M.PMT";
  std::string path = Folder() + "/" + name;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data + 1, 1, size - 1, f);
  std::fclose(f);

  tol::RuntimeContext rt;
  rt.core->mem.Configure(0, 128);
  if (tol::CoreInit() || tol::LangInit()) return 0;
  if (tol::SetEnvValue(tol::ENV_DOCPATH, tol::StrRef::Of(Folder()))) return 0;
  uint16_t held = tol::Core().mem.held();
  int16_t compat = tol::SysGet(tol::_COMPAT);
  tol::ScratchMark m = tol::Scratch().Mark();
  tol::MenuTree menu;
  tol::ErrCode c = tol::BuildMenuFile(tol::StrRef::FromC(name), &menu);
  Check(c == tol::E_OK || c >= tol::E_DETAIL);
  Check(tol::Scratch().Mark() == m);
  Check(tol::SysGet(tol::_COMPAT) == compat);
  Check(tol::Core().mem.held() <= held + 1);  // at most a rebuilt name index
  if (c == tol::E_OK) {
    uint16_t n = 0;
    CheckEntries(menu.items, &n);
    Check(n == menu.entries);
  }
  tol::LangShutdown();
  return 0;
}
