// The real binary keeping a shop's records from a procedure: customers
// inserted through FILEFIND, walked in name order and summed up with WRITE.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/run.h"

namespace tol::testing {
namespace {

class RecordsE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* f : {"RADICC.DAT", "CMDICC.DAT", "RAREL.DAT"})
      dir.Write(f, ReadFile(std::string(TOLVINA_SOURCE_DIR) + "/tests/fixtures/app/" + f));
    std::filesystem::create_directory(dir / "DATOS");
  }
  RunResult Run(const std::string& command) {
    return RunTolvina({"/DPATH=" + dir.path(), "/RUN=" + command}, dir.path());
  }
  TempDir dir;
};

TEST_F(RecordsE2E, ProcedureInsertsCustomersAndWritesASummary) {
  dir.Write("ALTAS.PRC",
            "; altas de clientes y resumen\r\n"
            "FILESEL('CLIENTES')\r\n"
            "I=0\r\n"
            "DO_WHILE I<5\r\n"
            "  I=I+1\r\n"
            "  NAME{CLIENTES}=FN$PARM('Zamora,Alonso,Medina,Alonso,Bernal';I)\r\n"
            "  S=FILEFIND(FN$PARM('C1,C2,C3,C4,C5';I);1;1;4)\r\n"
            "LOOP\r\n"
            "NAME{CLIENTES}='Otro'\r\n"
            "S=FILEFIND('C3';1;1;4)\r\n"
            "WRITE('RESUMEN.TXT';-3;'clientes ')\r\n"
            "WRITE('RESUMEN.TXT';-1;FN#FLEN('CLIENTES'))\r\n"
            "S=FILEFIND('';1;2)\r\n"
            "S=FILELOCATE('TOP';1)\r\n"
            "DO_WHILE IER(1)==0\r\n"
            "  WRITE('RESUMEN.TXT';-1;','+FN$TRIM(NAME{CLIENTES})+'/'+FN$TRIM(KEY$(1;1)))\r\n"
            "  S=FILELOCATE('NXT';1)\r\n"
            "LOOP\r\n"
            "END\r\n");
  const std::string summary = "clientes 5,Alonso/C2,Alonso/C4,Bernal/C5,Medina/C3,Zamora/C1";
  RunResult r = Run("PrcExec ALTAS.PRC");
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(dir.Read("RESUMEN.TXT"), summary);
  std::string records = dir.Read("DATOS/clientes.FD");
  ASSERT_EQ(records.size() % 5, 0u);
  EXPECT_EQ(records.substr(0, 6), "C1    ");
  EXPECT_NE(records.find("Medina"), std::string::npos);
  EXPECT_EQ(records.find("Otro"), std::string::npos);  // C3 existed: nothing inserted
  // A second run finds every key and adds nothing; the files are the same.
  std::string index = dir.Read("DATOS/clientes.DIR");
  r = Run("PrcExec ALTAS.PRC");
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(dir.Read("RESUMEN.TXT"), summary);
  EXPECT_EQ(dir.Read("DATOS/clientes.FD"), records);
  EXPECT_EQ(dir.Read("DATOS/clientes.DIR"), index);
}

TEST_F(RecordsE2E, ADamagedRecordFileEndsTheRunAndIsLeftAsItWas) {
  dir.Write("DATOS/clientes.FD", "not a whole record");
  dir.Write("LEE.PRC", "FILESEL('CLIENTES')\r\nWRITE('OUT.TXT';-3;FN#FLEN('CLIENTES'))\r\n");
  RunResult r = Run("PrcExec LEE.PRC");
  EXPECT_GE(r.exit_code, 128) << r.err;
  EXPECT_NE(r.err.find("clientes"), std::string::npos) << r.err;
  EXPECT_EQ(dir.Read("DATOS/clientes.FD"), "not a whole record");
  EXPECT_FALSE(std::filesystem::exists(dir / "OUT.TXT"));
}

}  // namespace
}  // namespace tol::testing
