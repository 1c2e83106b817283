// The real binary picks the language module from the folder it starts in:
// the error box of a failed start speaks the module's language.
#include <gtest/gtest.h>

#include <fstream>

#include "support/run.h"

namespace tol::testing {
namespace {

std::string ShippedModule(const std::string& code) {
  std::ifstream in(std::string(TOLVINA_SOURCE_DIR) + "/apps/sample/lang/OV_LANG_" + code + ".MSJ",
                   std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(LanguageE2E, ModuleInTheStartFolderReplacesTheBuiltinTexts) {
  TempDir plain;
  RunResult r = RunTolvina({"/DPATH=" + plain.path()}, plain.path());
  EXPECT_EQ(r.exit_code, 164);
  EXPECT_NE(r.err.find("[Alerta de Mensaje Fatal] Error "), std::string::npos) << r.err;

  TempDir french;
  french.Write("OV_LANG_FR.MSJ", ShippedModule("FR"));
  r = RunTolvina({"/DPATH=" + french.path()}, french.path());
  EXPECT_EQ(r.exit_code, 164);
  EXPECT_NE(r.err.find("[Alerte de message fatal] Erreur "), std::string::npos) << r.err;
}

}  // namespace
}  // namespace tol::testing
