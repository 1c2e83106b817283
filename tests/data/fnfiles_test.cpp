// READ$, WRITE, FILESEL and FN#FLEN from expressions, and file dates.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "core/text.h"
#include "data/fnfiles.h"
#include "data/streams.h"
#include "data_fixture.h"
#include "format/dates.h"
#include "host/fs.h"
#include "lang/eval.h"
#include "shell/env.h"

namespace tol::testing {
namespace {

class FnFilesTest : public DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    ConnectFileFunctions();
    ASSERT_EQ(SetEnvValue(ENV_LANGMODULE, "ES"), E_OK);
  }
  std::string Text(const std::string& expr) { return EvaluateText(StrRef::Of(expr)).str(); }
  ErrCode Run(const std::string& expr) { return EvaluateCheck(StrRef::Of(expr)); }
  std::string Q(const std::string& name) { return "'" + dir.rt() + name + "'"; }
  std::string Disk(const std::string& name) {
    std::ifstream in(dir.host(name), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  TempDir dir;
};

TEST_F(FnFilesTest, WriteAndReadNamedFiles) {
  EXPECT_EQ(Text("WRITE(" + Q("a.txt") + ";-3;'uno')"), "");  // result 0
  EXPECT_EQ(Run("WRITE(" + Q("a.txt") + ";-1;'-dos')"), E_OK);
  EXPECT_EQ(Disk("a.txt"), "uno-dos");
  EXPECT_EQ(Run("WRITE(" + Q("a.txt") + ";0;'U')"), E_OK);
  EXPECT_EQ(Text("READ$(" + Q("a.txt") + ")"), "Uno-dos");
  EXPECT_EQ(Text("READ$(" + Q("a.txt") + ";4;3)"), "dos");
  EXPECT_EQ(Text("READ$(" + Q("none.txt") + ")"), "");
  EXPECT_EQ(Run("WRITE(" + Q("a.txt") + ";'x')"), E_SINTAXERROR);  // exactly three
  EXPECT_EQ(Run("TOTAL#=12.5"), E_OK);
  EXPECT_EQ(Run("WRITE(" + Q("v.dat") + ";-2;'TOTAL#')"), E_OK);
  EXPECT_NE(Disk("v.dat").find("TOTAL#="), std::string::npos);
  EXPECT_EQ(Text("FN#FLEN(" + Q("a.txt") + ")"), "7");
}

TEST_F(FnFilesTest, StreamsThroughHandles) {
  std::ofstream(dir.host("l.txt"), std::ios::binary) << "a\r\nb\r\n";
  ASSERT_EQ(Run("H=FILESEL(" + Q("l.txt") + ";8)"), E_OK);  // read-only
  EXPECT_EQ(Text("READ$(H)"), "a");
  EXPECT_EQ(Text("READ$(H)"), "b");
  EXPECT_EQ(Text("READ$(H;0;0)"), "1");  // at its end
  EXPECT_EQ(Run("FILESEL(H)"), E_OK);
  ASSERT_EQ(Run("W=FILESEL(" + Q("o.txt") + ";2)"), E_OK);
  EXPECT_EQ(Run("WRITE(W;-1;'linea')"), E_OK);
  EXPECT_EQ(Run("FILESEL(W)"), E_OK);
  EXPECT_EQ(Disk("o.txt"), "linea");
  EXPECT_EQ(Run("FILESEL(" + Q("none/x.txt") + ";8)"), E_FILENOTFOUND);
}

TEST_F(FnFilesTest, RecordCountOfAStructure) {
  ASSERT_EQ(LoadFixture(), E_OK);
  std::string here = host::CurrentDir();
  ASSERT_TRUE(host::ChangeDir(dir.rt()));
  EXPECT_EQ(Text("FN#FLEN('clientes')"), "");  // created empty on first use
  host::ChangeDir(here);
}

TEST_F(FnFilesTest, FileDateWithFormatBit128) {
  std::ofstream(dir.host("d.txt")) << "x";
  std::string today = DateDisplay(IntToText(DateToday()), 1).str();
  EXPECT_EQ(Text("FN$DATE(" + Q("d.txt") + ";129)"), today);
  EXPECT_EQ(Text("TIME$(" + Q("d.txt") + ";129)").size(), Text("TIME$(;1)").size());
}

}  // namespace
}  // namespace tol::testing
