// Expression files: running settings files, saving variables and running
// them back, and the failures that must leave the file whole.
#include "lang/exprfile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/core.h"
#include "core/errors.h"
#include "lang/eval.h"
#include "lang/lang.h"
#include "lang/numbers.h"
#include "lang/scanner.h"
#include "lang/variables.h"

namespace tol {
namespace {

namespace fs = std::filesystem;

class ExprFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(lang.init_result(), E_OK);
    dir = fs::temp_directory_path() /
          ("tolvina_exprfile_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
           "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    ASSERT_EQ(Slots().Set(kGroupEnvironment, 5, StrRef::Of(dir.string())), 0);
  }
  void TearDown() override { fs::remove_all(dir); }

  void Write(const char* name, const std::string& text) {
    std::ofstream(dir / name, std::ios::binary) << text;
  }
  std::string Read(const char* name) {
    std::ifstream in(dir / name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::string Value(const char* expr) {
    ScratchFrame f;
    StrRef t = EvaluateText(StrRef::FromC(expr));
    return t.ok() ? t.str() : "<error>";
  }

  LangScope lang;
  fs::path dir;
};

TEST_F(ExprFileTest, LinesRunAsStatements) {
  Write("SET.DAT", "A=1\r\nB$='x;y'\nC#=2.5\r\n\r\n");
  EXPECT_EQ(RunExpressionFile("SET.DAT", true), 0);
  EXPECT_EQ(Value("A"), "1");
  EXPECT_EQ(Value("B$"), "x;y");
  EXPECT_EQ(Value("C#"), "2.5");
  Write("BAD.DAT", "A=2\nA$=1\nA=3\n");
  EXPECT_EQ(RunExpressionFile("BAD.DAT", true), E_TYPES);
  EXPECT_EQ(Value("A"), "2");
}

TEST_F(ExprFileTest, MissingFileOnlyWhenAsked) {
  ClearError();
  EXPECT_EQ(RunExpressionFile("NONE.DAT", false), 0);
  EXPECT_EQ(LastErrorCode(), 0);
  EXPECT_EQ(RunExpressionFile("NONE.DAT", true), E_FILENOTFOUND);
  EXPECT_EQ(ErrorDetail().str(), "NONE.DAT");
}

TEST_F(ExprFileTest, SavedVariablesAreRestored) {
  Write("VARS.DAT", "OLD=4;N$='keep';Z=9");
  ASSERT_EQ(EvaluateCheck("N$='It''s';T#=12.5;Z=0;K=3"), 0);
  ASSERT_EQ(SaveVariablesToFile("VARS.DAT", "N$,T#,Z,D#=T#*2,Q$=FN$TRIM(1,2)"), E_FEATUREREMOVED);
  EXPECT_EQ(Read("VARS.DAT"), "OLD=4;N$='keep';Z=9");  // a failed save changes nothing
  ASSERT_EQ(SaveVariablesToFile("VARS.DAT", "N$,T#,Z,D#=T#*2"), 0);
  EXPECT_EQ(Read("VARS.DAT"), "N$=\"It''s\";T#=12.5;Z=0;D#=25;OLD=4");
  ASSERT_EQ(EvaluateCheck("N$='';T#=0;Z=5;D#=0;OLD=0"), 0);
  ASSERT_EQ(RunExpressionFile("VARS.DAT", true), 0);
  EXPECT_EQ(Value("N$"), "It''s");
  EXPECT_EQ(Value("T#"), "12.5");
  EXPECT_EQ(Value("Z"), "");
  EXPECT_EQ(Value("D#"), "25");
  EXPECT_EQ(Value("OLD"), "4");
}

TEST_F(ExprFileTest, TextsThatCannotBeWrittenBackAreRefused) {
  Write("V.DAT", "A=1");
  ASSERT_EQ(EvaluateCheck("L$='a'+.lf$+'b'"), 0);
  EXPECT_EQ(SaveVariablesToFile("V.DAT", "L$"), E_DATA);
  EXPECT_EQ(Read("V.DAT"), "A=1");
}

}  // namespace
}  // namespace tol
