// Settings files run as assignment texts at the application's second stage.
#include <gtest/gtest.h>

#include "core/core.h"
#include "core/errors.h"
#include "host/path.h"
#include "lang/eval.h"
#include "shell/env.h"
#include "shell/settings.h"
#include "support/run.h"
#include "support/runtime.h"

namespace tol {
namespace {

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SetEnvValue(ENV_DOCPATH, StrRef::Of(host::RuntimePath(dir.path()))), E_OK);
    ASSERT_EQ(SetEnvValue(ENV_APNAME, "XYSHOP"), E_OK);
  }
  std::string Value(const char* expr) { return EvaluateText(StrRef::FromC(expr)).str(); }
  testing::TestRuntime rt;
  testing::TempDir dir;
};

TEST_F(SettingsTest, FilesRunInOrderAndMissingOnesAreSkipped) {
  dir.Write("A.CFG", "IVA#=21\r\nNOMBRE$='Tienda'\r\n");
  dir.Write("XYB.CFG", "IVA#=IVA#+1\n");
  ASSERT_EQ(LoadSettingsFiles("A.CFG,NONE.CFG,%APNAME%B.CFG"), E_OK);
  EXPECT_EQ(Value("IVA#"), "22");
  EXPECT_EQ(Value("NOMBRE$"), "Tienda");
}

TEST_F(SettingsTest, RequiredFilesAndFailuresStopTheList) {
  dir.Write("E.CFG", "\r\n");
  EXPECT_EQ(LoadSettingsFiles("E.CFG;1,A.CFG"), E_FILENOTFOUND);
  EXPECT_EQ(ErrorDetail(), StrRef("E.CFG"));
  dir.Write("BAD.CFG", "X$=1\r\n");
  dir.Write("A.CFG", "A#=1\r\n");
  EXPECT_EQ(LoadSettingsFiles("BAD.CFG,A.CFG"), E_TYPES);
  EXPECT_EQ(Value("A#"), "");
}

}  // namespace
}  // namespace tol
