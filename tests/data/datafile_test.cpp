// Record files: names, creation on first open, open modes, the lock
// companion, the open set and its stack, the stream limit, damaged files
// and the command words.
#include "data/datafile.h"

#include <gtest/gtest.h>

#include "file_fixture.h"
#include "lang/sysvars.h"

namespace tol::testing {
namespace {

class DataFileTest : public FileTest {};

TEST_F(DataFileTest, NamesFollowFolderAndCompatBits) {
  struct Case {
    uint16_t compat, s;
    uint8_t kind;
    const char* name;
  } cases[] = {
      {0, kClientes, KIND_RECORD, "DATOS\\clientes.FD"},
      {0, kClientes, KIND_INDEX, "DATOS\\clientes.DIR"},
      {kCompatNdx, kClientes, KIND_INDEX, "DATOS\\clientes.NDX"},
      {0, kClientes, KIND_REBUILD, "DATOS\\clientes.TMP"},
      {0, kClientes, KIND_LOCK, "clientes.lock"},
      {0, kArticulos, KIND_RECORD, "articulos.FD"},
      {kCompatShort, kArticulos, KIND_RECORD, "articulo.FD"},
  };
  for (const Case& c : cases) {
    SysSet(_COMPAT, static_cast<int16_t>(c.compat));
    ScratchFrame frame;
    EXPECT_EQ(DataFileName(c.s, c.kind).str(), c.name);
  }
  SysSet(_COMPAT, 0);
  ScratchFrame frame;
  SysSet(_CURFIL, kArticulos);
  EXPECT_EQ(DataFileName(31, KIND_RECORD).err(), 0) << "31 stands for the current structure";
  SysSet(_CURFIL, 0);
  EXPECT_EQ(DataFileName(0, KIND_RECORD).err(), E_DATAOUTBOUND);
}

TEST_F(DataFileTest, FirstOpenCreatesEmptyFilesAndClearsTheBuffer) {
  EXPECT_EQ(FileOpen(kClientes, MODE_CURRENT), ST_PAST);
  EXPECT_TRUE(Exists("DATOS/clientes.FD"));
  EXPECT_TRUE(Exists("DATOS/clientes.DIR"));
  EXPECT_EQ(Current(kClientes), std::string(89, ' '));
  EXPECT_EQ(SysGet(_CURFIL), kClientes);
  EXPECT_EQ(FileCtrl(kClientes)->status, ST_PAST);
  FileClose(kClientes);
  EXPECT_EQ(Slurp("DATOS/clientes.FD").size(), 0u);
  EXPECT_EQ(FileCtrl(kClientes)->handle, kNoHandle);
}

TEST_F(DataFileTest, ReadOnlyOpenCreatesAMissingFileAndRefusesWrites) {
  EXPECT_EQ(FileOpen(kArticulos, MODE_READONLY), ST_PAST);
  EXPECT_TRUE(Exists("articulos.FD"));
  EXPECT_EQ(LastErrorCode(), 0) << "the first, quiet attempt reports nothing";
  ASSERT_EQ(FileMove(kArticulos, NAV_NEW), ST_NEW);
  EXPECT_EQ(FileInsert(kArticulos), E_WRITE);
  EXPECT_EQ(Slurp("articulos.FD").size(), 0u);
  EXPECT_EQ(IndexOf(kArticulos)->entries(), 0u) << "a refused write leaves the index alone";
}

TEST_F(DataFileTest, SameModeIsANoOpAndAnotherModeReopens) {
  ASSERT_EQ(FileOpen(kArticulos, 0), 0);
  EXPECT_FALSE(FileIsOpen(kArticulos)) << "mode 0 is the closed state";
  ASSERT_EQ(FileOpen(kArticulos, MODE_READONLY), ST_PAST);
  uint16_t h = FileCtrl(kArticulos)->handle;
  EXPECT_EQ(FileOpen(kArticulos, MODE_READONLY), 0);
  EXPECT_EQ(FileCtrl(kArticulos)->handle, h);
  EXPECT_EQ(FileOpen(kArticulos, MODE_NOINDEX), ST_PAST);
  EXPECT_EQ(FileCtrl(kArticulos)->mode, MODE_NOINDEX);
  EXPECT_FALSE(IndexOf(kArticulos)->open());
}

TEST_F(DataFileTest, OpenFilesRestoreGivesBackWhatARunFound) {
  ASSERT_EQ(FileOpen(kClientes, kReadWrite | MODE_CURRENT), ST_PAST);
  ASSERT_EQ(FileOpen(kArticulos, MODE_READONLY), ST_PAST);
  uint32_t outer = OpenFilesMark();
  FileClose(kClientes);
  ASSERT_EQ(FileOpen(kArticulos, kReadWrite), ST_PAST);  // another mode
  ASSERT_EQ(FileOpen(kFacturas, MODE_CURRENT), ST_PAST);
  uint32_t inner = OpenFilesMark();
  ASSERT_EQ(FileOpen(kLinFact, MODE_READONLY), ST_PAST);
  (void)inner;  // a nested run that ended without giving back
  OpenFilesRestore(outer);
  EXPECT_EQ(FileCtrl(kClientes)->mode, kReadWrite | MODE_CURRENT);
  EXPECT_EQ(FileCtrl(kArticulos)->mode, MODE_READONLY);
  EXPECT_FALSE(FileIsOpen(kFacturas));
  EXPECT_FALSE(FileIsOpen(kLinFact));
  EXPECT_EQ(SysGet(_CURFIL), kClientes);
  EXPECT_TRUE(Data().files.marks.empty());
  OpenFilesRestore(inner);  // forgotten with the outer mark: nothing happens
  EXPECT_TRUE(FileIsOpen(kClientes));
}

TEST_F(DataFileTest, ExclusiveOpenHoldsTheLockCompanion) {
  ASSERT_EQ(FileOpen(kArticulos, MODE_EXCLUSIVE), ST_PAST);
  EXPECT_EQ(Slurp("articulos.lock"), " ");
  // Changing the mode of the owner keeps working: its own lock is no bar.
  EXPECT_EQ(FileOpen(kArticulos, MODE_EXCLUSIVE | MODE_CURRENT), ST_PAST);
  EXPECT_TRUE(Exists("articulos.lock"));
  FileClose(kArticulos);
  EXPECT_FALSE(Exists("articulos.lock"));

  // Another station's lock.
  dir_.Touch("articulos.lock", " ");
  EXPECT_EQ(FileOpen(kArticulos, MODE_EXCLUSIVE), E_DENIED);
  EXPECT_FALSE(FileIsOpen(kArticulos));
  EXPECT_TRUE(Exists("articulos.lock")) << "someone else's lock stays";
  EXPECT_EQ(FileOpen(kArticulos, MODE_READONLY), ST_PAST) << "shared opens ignore the lock";
}

TEST_F(DataFileTest, TemporaryModeUsesFreshFilesInTemp) {
  std::string temp = dir_.host() + "/tmp";
  std::filesystem::create_directory(temp);
  setenv("TEMP", temp.c_str(), 1);
  SysSet(_UPSTAT, kUpstatTemporary);
  ASSERT_EQ(FileOpen(kArticulos, MODE_EXCLUSIVE), ST_PAST);
  EXPECT_FALSE(Exists("articulos.FD"));
  EXPECT_FALSE(Exists("articulos.lock"));
  ASSERT_EQ(FileMove(kArticulos, NAV_NEW), ST_NEW);
  Set(kArticulos, {{"REF", "A1"}});
  ASSERT_EQ(FileInsert(kArticulos), 0);
  ScratchFrame frame;
  std::string name = DataFileName(kArticulos, KIND_RECORD).str();
  EXPECT_EQ(name.rfind(temp, 0), 0u) << name;
  FileClose(kArticulos);
  SysSet(_UPSTAT, 0);
  unsetenv("TEMP");
  EXPECT_TRUE(std::filesystem::is_empty(temp)) << "temporary files go with the close";
}

TEST_F(DataFileTest, FileSelectOpensTheSetAndRestoreGoesBack) {
  ASSERT_EQ(FileSelect("ivas"), 0);
  EXPECT_EQ(FileCtrl(kIvas)->mode, MODE_CURRENT);
  ASSERT_EQ(FileSelect("articulos;1,facturas"), 0);
  EXPECT_EQ(FileCtrl(kArticulos)->mode, MODE_READONLY);
  EXPECT_EQ(FileCtrl(kFacturas)->mode, MODE_CURRENT);
  EXPECT_EQ(SysGet(_CURFIL), kFacturas);
  EXPECT_FALSE(FileIsOpen(kIvas)) << "structures outside the set are closed";
  ASSERT_EQ(FileSelect("restore"), 0);
  EXPECT_TRUE(FileIsOpen(kIvas));
  EXPECT_FALSE(FileIsOpen(kArticulos));
  EXPECT_FALSE(FileIsOpen(kFacturas));
  ASSERT_EQ(FileSelect("RESTORE"), 0);
  EXPECT_FALSE(FileIsOpen(kIvas)) << "an empty stack closes everything";
  EXPECT_EQ(FileSelect("RESTORE"), E_INTERNAL);
  EXPECT_EQ(ErrorDetail().str(), "RESTORE");
}

TEST_F(DataFileTest, FileSelectTakesNumbersAndRefusesUnknownItems) {
  ASSERT_EQ(FileSelect("2;0,3;17"), 0);
  EXPECT_EQ(FileCtrl(kArticulos)->mode, 0) << "an explicit mode 0 leaves it closed";
  EXPECT_EQ(FileCtrl(kFacturas)->mode, MODE_CURRENT | MODE_NOINDEX | MODE_READONLY);
  ClearError();
  EXPECT_EQ(FileSelect("articulos,nadie"), E_FILEOPEN);
  EXPECT_EQ(ErrorDetail().str(), "nadie");
  EXPECT_TRUE(FileIsOpen(kFacturas)) << "a refused list changes nothing";
}

TEST_F(DataFileTest, EighteenStructuresFitTheStreamTableTheNineteenthFails) {
  // Eighteen structures open with their indexes take 36 of the 37 handles.
  for (int i = 7; i <= 19; ++i) {
    ScratchFrame frame;
    ASSERT_EQ(StructDefine(static_cast<uint8_t>(i), StrRef::Of("s" + std::to_string(i)), ""), 0);
    ASSERT_EQ(FieldDefine("F", 4, 'A'), 0);
  }
  DefaultKeysUpTo(StructCount());
  for (uint16_t s = 1; s <= 18; ++s) ASSERT_EQ(FileOpen(s, kReadWrite), ST_PAST) << s;
  ClearError();
  EXPECT_EQ(FileOpen(19, kReadWrite), kStreamFail);
  EXPECT_EQ(LastErrorCode(), E_DATAOUTBOUND);
  EXPECT_EQ(LastErrorModule(), M_STREAMS);
  EXPECT_FALSE(FileIsOpen(19));
  EXPECT_EQ(FileCtrl(19)->handle, kNoHandle) << "no handle is left behind";
  FileClose(5);
  EXPECT_EQ(FileOpen(19, kReadWrite), ST_PAST);
}

TEST_F(DataFileTest, DamagedFilesAreRefusedAndLeftUntouched) {
  // 89-byte records: 100 bytes is not a whole number of them.
  std::string odd(100, 'x');
  dir_.Touch("DATOS/clientes.FD", odd);
  ClearError();
  EXPECT_EQ(FileOpen(kClientes, kReadWrite), E_DAMAGED);
  EXPECT_EQ(LastErrorModule(), M_DATAFILE);
  EXPECT_EQ(ErrorDetail().str(), "DATOS\\clientes.FD");
  EXPECT_FALSE(FileIsOpen(kClientes));
  EXPECT_EQ(Slurp("DATOS/clientes.FD"), odd);

  // One record, but an index that names record 4 of the file.
  std::string rec(89, ' ');
  dir_.Touch("DATOS/clientes.FD", rec);
  std::string idx("\0\0\0\0\1\0\0\0\4\0\0\0\4\0\0\0", 16);
  dir_.Touch("DATOS/clientes.DIR", idx);
  ClearError();
  EXPECT_EQ(FileOpen(kClientes, kReadWrite), E_INDEXCMDERROR);
  EXPECT_NE(ErrorDetail().str().find("clientes.DIR"), std::string::npos) << ErrorDetail();
  EXPECT_FALSE(FileIsOpen(kClientes));
  FileClose(kClientes);
  EXPECT_EQ(Slurp("DATOS/clientes.DIR"), idx);
  EXPECT_EQ(Slurp("DATOS/clientes.FD"), rec);
}

TEST_F(DataFileTest, ReopenSeesAnotherStationsRecords) {
  ASSERT_EQ(FileOpen(kArticulos, kReadWrite), ST_PAST);
  ASSERT_EQ(FileMove(kArticulos, NAV_NEW), ST_NEW);
  Set(kArticulos, {{"REF", "R1"}});
  ASSERT_EQ(FileInsert(kArticulos), 0);
  EXPECT_EQ(FileReopen(kArticulos, 0), 0);
  EXPECT_EQ(FileMove(kArticulos, NAV_TOP), ST_ON_RECORD);
  EXPECT_EQ(Get(kArticulos, "REF"), "R1");
  EXPECT_EQ(FileReopen(kArticulos, 7), 7) << "a given code comes back";
}

TEST(CommandCodeTest, WordsSynonymsAndOthers) {
  LangScope lang;
  struct Case {
    const char* word;
    uint16_t code;
  } cases[] = {{"NEW", 0x0F01},    {"top", 0x0F24}, {"PRV", 0x0F16},  {"PREVIOUS", 0x0F16},
               {"RLD", 0},         {"NXT", 0x0F12}, {"Next", 0x0F12}, {"BOT", 0x0F20},
               {"BOTTOM", 0x0F20}, {"FND", 0x0040}, {"SVE", 0x0F00},  {"INS", 0x0D00},
               {"DEL", 0x0642},    {"LST", 0x0042}, {"BLS", 0x0046},  {"NLS", 0x00FF},
               {"TSL", 0x00FF},    {"XYZ", 0x00FF}, {"", 0x00FF}};
  for (const Case& c : cases) EXPECT_EQ(CommandCode(StrRef::FromC(c.word)), c.code) << c.word;
}

}  // namespace
}  // namespace tol::testing
