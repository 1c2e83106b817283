// FILEFIND, FILELOCATE, KEY$, IER and SORT$ from expressions, on the
// fixture's customer file.
#include <gtest/gtest.h>

#include "data/fnfiles.h"
#include "data/fnrecords.h"
#include "file_fixture.h"
#include "lang/eval.h"
#include "lang/sysvars.h"

namespace tol::testing {
namespace {

class FnRecordsTest : public FileTest {
 protected:
  void SetUp() override {
    FileTest::SetUp();
    ConnectFileFunctions();
    ConnectRecordFunctions();
    ASSERT_EQ(FileOpen(kClientes, kReadWrite | MODE_CURRENT), ST_PAST);
  }
  std::string Text(const std::string& expr) {
    ScratchFrame f;
    StrRef r = EvaluateText(StrRef::Of(expr));
    return r.ok() ? r.str() : "error " + std::to_string(r.err());
  }
  ErrCode Run(const std::string& expr) { return EvaluateCheck(StrRef::Of(expr)); }
  // A numeric value, or the failure as "error n".
  std::string Num(const std::string& expr) {
    ErrCode e = Run("R#=" + expr);
    return e ? "error " + std::to_string(e) : std::to_string(EvaluateInteger("R#"));
  }
  void Customers(std::initializer_list<std::pair<const char*, const char*>> list) {
    for (auto [code, name] : list) ASSERT_EQ(AddCustomer(code, name), 0) << code;
  }
};

TEST_F(FnRecordsTest, FindReadsPreparesAndInserts) {
  Customers({{"C2", "Bernal"}, {"C4", "Duran"}});
  struct Case {
    const char* expr;
    const char* value;  // the function's value
    const char* name;   // NAME in the current half afterwards
    uint32_t records;   // records in the file afterwards
  } cases[] = {
      {"FILEFIND('C4')", "0", "Duran", 2},
      {"FILEFIND('C3';1;1)", "1", "Duran", 2},    // stays on the last record read
      {"FILEFIND('C3';1;1;2)", "1", "Duran", 2},  // the next greater, read
      {"FILEFIND('C1';;;2)", "1", "Bernal", 2},
      {"FILEFIND('C9';1;1;1)", "2", "", 2},  // prepared: buffer cleared
      {"FILEFIND('C3';;;4)", "1", "", 2},    // not past the end: no insert
      {"FILEFIND('';;;4)", "1", "", 2},      // blank key sorts first
      {"FILEFIND('C9';;;5)", "0", "", 3},    // past the end: inserted
      {"FILEFIND('C9')", "0", "", 3},
      {"FILEFIND('C95';;;5)", "0", "", 4},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Num(c.expr), c.value) << c.expr;
    EXPECT_EQ(Get(kClientes, "NAME"), c.name) << c.expr;
    EXPECT_EQ(FileRecords(kClientes), c.records) << c.expr;
  }
  EXPECT_EQ(Get(kClientes, "CODE"), "C95");  // the key spread into the new record
  EXPECT_EQ(Num("IER()"), "0");
  // Flag 8 walks to the record after the first in key order.
  EXPECT_EQ(Num("FILEFIND('';1;1;8)"), "0");
  EXPECT_EQ(Get(kClientes, "CODE"), "C4");
  EXPECT_EQ(Run("FILEFIND('C2';'CLIENTES')"), E_TYPES);
  EXPECT_EQ(Run("FILEFIND('C2';1;9)"), E_DATAOUTBOUND);
  EXPECT_EQ(Run("FILEFIND()"), E_SINTAXERROR);
}

TEST_F(FnRecordsTest, FindByASecondKeyAndWalkWithLocate) {
  Customers({{"C1", "Zamora"}, {"C2", "Alonso"}, {"C3", "Medina"}});
  EXPECT_EQ(Num("FILEFIND('Med';1;2)"), "0");
  EXPECT_EQ(Get(kClientes, "CODE"), "C3");
  std::string walked;
  EXPECT_EQ(Num("FILELOCATE('TOP')"), "0");
  for (int i = 0; i < 4; ++i) {
    walked += Get(kClientes, "CODE") + "/";
    EXPECT_EQ(Run("S=FILELOCATE()"), E_OK);  // NXT by default, key 2 still active
  }
  EXPECT_EQ(walked, "C2/C3/C1//");
  EXPECT_EQ(Num("IER(1)"), "2");
  EXPECT_EQ(Num("FILELOCATE('BOTTOM';1)"), "0");
  EXPECT_EQ(Get(kClientes, "CODE"), "C1");
  EXPECT_EQ(Num("FILELOCATE('PREVIOUS')"), "0");
  EXPECT_EQ(Get(kClientes, "CODE"), "C3");
  EXPECT_EQ(Num("FILELOCATE('DEL')"), "0");
  EXPECT_EQ(Num("FN#FLEN('CLIENTES')"), "2");
  std::string fd = Slurp("DATOS/clientes.FD");
  ASSERT_EQ(FileRecords(kClientes), 3u);  // the deleted record keeps its place
  EXPECT_EQ(fd[2 * fd.size() / 3], '\x1b');
  EXPECT_EQ(Run("FILELOCATE('PRN')"), E_SINTAXERROR);
  EXPECT_EQ(Run("IER(-1)"), E_DATAOUTBOUND);
}

TEST_F(FnRecordsTest, KeyTextsOfTheCurrentRecord) {
  Customers({{"C7", "Garcia"}});
  ASSERT_EQ(Num("FILEFIND('C7')"), "0");
  EXPECT_EQ(Text("KEY$()"), "C7    ");
  EXPECT_EQ(Num("FN#SLEN(KEY$(1;2))"), "36");  // NAME then CODE
  EXPECT_EQ(Text("FN$TRIM(KEY$(1;2;1))"), "Garcia");
  ASSERT_EQ(Run("NAME{CLIENTES}='Lopez'"), E_OK);
  EXPECT_EQ(Text("FN$TRIM(KEY$(1;2;1;1))"), "Lopez");
  EXPECT_EQ(Text("FN$TRIM(KEY$(1;2;1;2))"), "Garcia");  // as read
  EXPECT_EQ(Run("KEY$(1;7)"), E_DATAOUTBOUND);
  EXPECT_EQ(Text("KEY$(2)"), "");  // no record buffer: not open
}

TEST_F(FnRecordsTest, LocalListsThroughTheirHandle) {
  ASSERT_EQ(Run("L$=SORT$('NEW';4;4;1)"), E_OK);
  EXPECT_EQ(Num("FN#SLEN(L$)"), "24");
  for (const char* item : {"pera", "kiwi", "lima", "kiwi"})
    ASSERT_EQ(Run(std::string("L$=SORT$('ADD';L$;'") + item + "')"), E_OK) << item;
  EXPECT_EQ(SysGet(_IER), 5);  // the second kiwi was refused
  ASSERT_EQ(Run("L$=SORT$('MOVE';L$;'TOP')"), E_OK);
  std::string order;
  for (int i = 0; i < 3; ++i) {
    order += Text("SORT$('GET';L$)") + ",";
    ASSERT_EQ(Run("L$=SORT$('MOVE';L$;'NEXT')"), E_OK);
  }
  EXPECT_EQ(order, "kiwi,lima,pera,");
  EXPECT_EQ(SysGet(_IER), 2);  // moved past the last item
  EXPECT_EQ(Run("SORT$('KILL';L$)"), E_OK);
  EXPECT_EQ(Run("SORT$('GET';L$)"), E_DATA);  // freed: the handle names no list
  EXPECT_EQ(Run("SORT$('GET';'short')"), E_SINTAXERROR);
  EXPECT_EQ(Run("SORT$('MOVE';L$)"), E_SINTAXERROR);
  EXPECT_EQ(Text("SORT$('pera,kiwi,lima')"), "kiwi,lima,pera");
  EXPECT_EQ(Text("SORT$('b,a,c';2)"), "c,b,a");
}

TEST_F(FnRecordsTest, AListThatGrowsGivesANewHandle) {
  ASSERT_EQ(Run("L$=SORT$('NEW';6;6)"), E_OK);
  ASSERT_EQ(Run("OLD$=L$"), E_OK);
  for (int i = 0; i < 300; ++i) {
    std::string item = std::to_string(1000 - i);
    item.insert(0, 6 - item.size(), '0');
    ASSERT_EQ(Run("L$=SORT$('ADD';L$;'" + item + "')"), E_OK) << i;
  }
  EXPECT_EQ(Run("SORT$('GET';OLD$)"), E_DATA);  // stale after growth
  ASSERT_EQ(Run("L$=SORT$('MOVE';L$;'TOP')"), E_OK);
  EXPECT_EQ(Text("SORT$('GET';L$)"), "000701");
  EXPECT_EQ(Run("SORT$('KILL';L$)"), E_OK);
}

}  // namespace
}  // namespace tol::testing
