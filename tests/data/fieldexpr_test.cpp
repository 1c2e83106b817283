// Field references read and assigned from expressions.
#include <gtest/gtest.h>

#include "data/dict.h"
#include "data/fieldexpr.h"
#include "data/record.h"
#include "data_fixture.h"
#include "lang/eval.h"

namespace tol::testing {
namespace {

class FieldExprTest : public DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    ASSERT_EQ(LoadFixture(), E_OK);
    for (uint16_t s = 1; s <= StructCount(); ++s) ASSERT_EQ(BufferAlloc(s), E_OK);
    ConnectFieldReferences();
  }
  std::string Text(const char* expr) { return EvaluateText(StrRef::FromC(expr)).str(); }
};

TEST_F(FieldExprTest, AssignAndReadByType) {
  ASSERT_EQ(EvaluateCheck("NAME{CLIENTES}='Ferreter\xED"
                          "a Sol'"),
            E_OK)
      << ErrorDetail();
  // Text fields read as their stored, padded form.
  EXPECT_EQ(Text("NAME{CLIENTES}"),
            "Ferreter\xED"
            "a Sol                ");
  EXPECT_EQ(Text("NAME{1}"), Text("NAME{CLIENTES}"));
  EXPECT_EQ(Text("PHONE{CLIENTES}='555'+'1'"), "5551");  // type P is text
  // A number field takes a number and gives one back for arithmetic.
  ASSERT_EQ(EvaluateCheck("BALANCE{CLIENTES}=12.5*2"), E_OK);
  EXPECT_EQ(Text("BALANCE{CLIENTES}+1"), "26");
  EXPECT_EQ(FieldRaw(1, FieldFind(1, "BALANCE")).str(), "       25.00");
  // A number given to a text field is stored as its text.
  ASSERT_EQ(EvaluateCheck("NAME{CLIENTES}=5"), E_OK);
  EXPECT_EQ(Text("NAME{CLIENTES}").substr(0, 2), "5 ");
  EXPECT_EQ(Text("'x'+CODE{CLIENTES}"), "x      ");
}

TEST_F(FieldExprTest, BadReferencesFail) {
  EXPECT_GE(EvaluateCheck("NOSUCH{CLIENTES}=1"), 128);
  EXPECT_GE(EvaluateCheck("A#=NAME{99}"), 128);
}

}  // namespace
}  // namespace tol::testing
