// The structure dictionary: loading the fixture shop, includes, default
// keys, damaged dictionaries, name lookups and field references.
#include "data/dict.h"

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/text.h"
#include "data_fixture.h"

namespace tol::testing {
namespace {

using DictTest = DataTest;

// A field line in the dictionary's fixed columns.
std::string FieldLine(int nn, int width, char type, const std::string& name) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%02d F     %03d %c", nn, width, type);
  return buf + name;
}

std::string Segments(const KeyDef& k) {
  std::string out;
  for (uint8_t i = 0; i < k.segment_count; ++i) {
    if (i) out += ' ';
    out += std::to_string(k.seg[i].offset) + "+" + std::to_string(k.seg[i].length);
  }
  return out;
}

std::string AllKeys(uint16_t s) {
  std::string out;
  for (uint16_t k = 1; KeyAt(s, k); ++k) out += (k > 1 ? " | " : "") + Segments(*KeyAt(s, k));
  return out;
}

TEST_F(DictTest, FixtureStructures) {
  ASSERT_EQ(LoadFixture(), 0) << ErrorDetail();
  ASSERT_EQ(StructCount(), 6);
  struct Case {
    const char* name;
    uint8_t given;
    uint16_t fields, length;
    const char* folder;
    const char* keys;
  } cases[] = {
      {"clientes", 1, 9, 89, "DATOS", "0+6 | 6+30 0+6"},
      {"articulos", 2, 8, 78, "", "0+10 | 50+4 0+10"},
      {"facturas", 3, 6, 35, "", "0+2 2+6 | 8+6 14+8 0+2 2+6"},
      {"linfact", 4, 6, 41, "", "0+12"},  // default key: up to the end of N_LINE
      {"ivas", 1, 3, 26, "", "0+1"},      // the included dictionary's own key line
      {"fpago", 2, 3, 35, "", "0+2"},     // keyed by the line after the include
  };
  for (uint16_t s = 1; s <= 6; ++s) {
    const Case& c = cases[s - 1];
    const StructDef* st = StructAt(s);
    SCOPED_TRACE(c.name);
    EXPECT_EQ(st->number, s);
    EXPECT_EQ(st->name, c.name);
    EXPECT_EQ(st->given, c.given);
    EXPECT_EQ(st->field_count, c.fields);
    EXPECT_EQ(st->record_length, c.length);
    EXPECT_EQ(st->folder, c.folder);
    EXPECT_EQ(AllKeys(s), c.keys);
  }
  EXPECT_EQ(StructNames(), StrRef("clientes,articulos,facturas,linfact,ivas,fpago"));
}

TEST_F(DictTest, FixtureFieldsFollowEachOther) {
  ASSERT_EQ(LoadFixture(), 0) << ErrorDetail();
  struct Case {
    uint16_t s, f;
    const char* name;
    uint16_t offset, width;
    char type;
  } cases[] = {
      {1, 1, "CODE", 0, 6, 'A'},       {1, 3, "NIF", 36, 9, 'C'},    {1, 5, "BALANCE", 50, 12, '2'},
      {1, 8, "LASTVISIT", 71, 6, 'F'}, {1, 9, "PHONE", 77, 12, 'P'}, {2, 8, "UNUSED", 75, 3, 'V'},
      {4, 3, "N_LINE", 8, 4, 'N'},     {5, 2, "RATE", 1, 5, '2'},    {6, 3, "DAYS", 32, 3, 'N'},
  };
  for (const Case& c : cases) {
    const FieldDef* fd = FieldAt(c.s, c.f);
    ASSERT_NE(fd, nullptr) << c.name;
    EXPECT_EQ(fd->name, c.name);
    EXPECT_EQ(fd->structure, c.s);
    EXPECT_EQ(fd->number, c.f);
    EXPECT_EQ(fd->offset, c.offset) << c.name;
    EXPECT_EQ(fd->width, c.width) << c.name;
    EXPECT_EQ(fd->type, c.type) << c.name;
  }
  // Fields of one structure are contiguous in the global table.
  EXPECT_EQ(StructAt(2)->first_field, 9);
  EXPECT_EQ(StructAt(6)->first_field, 9 + 8 + 6 + 6 + 3);
  EXPECT_EQ(KeyGlobalIndex(3, 2), 2 + 2 + 1);
}

TEST_F(DictTest, FixtureRelations) {
  ASSERT_EQ(LoadFixture(), 0) << ErrorDetail();
  EXPECT_EQ(StructRelations(1), StrRef(""));
  EXPECT_EQ(StructRelations(2), StrRef(":5R1K1=VATCODE{}"));
  EXPECT_EQ(StructRelations(4), StrRef(":3R1K1=SERIES{}+NUMBER{}:2R1K1=REF{}"));
}

TEST_F(DictTest, FilesFoundInAnyLetterCase) {
  TempDir dir;
  for (const char* name : {"RADICC.DAT", "RAREL.DAT", "CMDICC.DAT"}) {
    std::string lower = Lower(StrRef::FromC(name)).str();
    std::filesystem::copy_file(FixtureApp() + "/" + name, dir.host(lower));
  }
  std::string folders = "\\nonexistent," + dir.rt();
  ASSERT_EQ(DictLoad(StrRef::Of(folders), "RA", ""), 0) << ErrorDetail();
  EXPECT_EQ(StructCount(), 6);
  EXPECT_EQ(StructRelations(3), StrRef(":1R1K1=CUSTOMER{}"));
}

TEST_F(DictTest, MissingDictionaryIs164WithNameAndFolders) {
  EXPECT_EQ(DictLoad("\\nowhere,\\else", "ZZX", ""), E_FILENOTFOUND);
  EXPECT_EQ(LastErrorCode(), E_FILENOTFOUND);
  EXPECT_EQ(LastErrorModule(), M_DATAFILE);
  EXPECT_EQ(ErrorDetail(), StrRef("ZZDICC.DAT [\\nowhere,\\else]"));
  EXPECT_EQ(StructCount(), 0);
}

TEST_F(DictTest, MissingIncludeStopsTheLoad) {
  TempDir dir;
  dir.Touch("RADICC.DAT", "01**01A\r\n" + FieldLine(1, 3, 'A', "X") + "\r\n02*$*00QQ\r\n");
  EXPECT_EQ(DictLoad(StrRef::Of(dir.rt()), "RA", ""), E_FILENOTFOUND);
  EXPECT_EQ(ErrorDetail().str(), "QQDICC.DAT [" + dir.rt() + "]");
  EXPECT_EQ(StructCount(), 1);  // what was defined stays
}

TEST_F(DictTest, IncludeCycleIsRefused) {
  TempDir dir;
  dir.Touch("AADICC.DAT", "01**01A\r\n" + FieldLine(1, 3, 'A', "X") + "\r\n02*$*00BB\r\n");
  dir.Touch("BBDICC.DAT", "01**01B\r\n" + FieldLine(1, 3, 'A', "Y") + "\r\n02*$*00AA\r\n");
  EXPECT_EQ(DictLoad(StrRef::Of(dir.rt()), "AA", ""), E_LOADSTRERROR);
  EXPECT_EQ(ErrorDetail(), StrRef("AADICC.DAT"));
  EXPECT_EQ(StructCount(), 2);
}

TEST_F(DictTest, DefaultKeys) {
  struct Case {
    const char* what;
    std::string text;
    std::vector<std::string> keys;  // per structure
  } cases[] = {
      {"a keyless structure skipped by a later key line gets the default key",
       "01**01A\r\n" + FieldLine(1, 3, 'A', "X") + "\r\n" + FieldLine(1, 4, 'N', "N_LINE") +
           "\r\n" + FieldLine(1, 5, 'A', "Y") + "\r\n02**02B\r\n" + FieldLine(2, 2, 'A', "Z") +
           "\r\n32 <0001002>\r\n",
       {"0+7", "0+2"}},
      {"without N_LINE the default key is the first field",
       "01**01A\r\n" + FieldLine(1, 3, 'A', "X") + "\r\n" + FieldLine(1, 5, 'A', "Y") + "\r\n",
       {"0+3"}},
      {"structures left at the end after a field line get it",
       "01**01A\r\n" + FieldLine(1, 3, 'A', "X") + "\r\n31 <0002002>\r\n02**02B\r\n" +
           FieldLine(2, 4, 'A', "Z") + "\r\n03**03C\r\n",
       {"1+2", "0+4", "0+0"}},
      {"a sixth segment is ignored; a key line adds a key, not a default",
       "01**01A\r\n" + FieldLine(1, 40, 'A', "X") +
           "\r\n31 <0001001000200100030010004001000500100060010>\r\n31 <0010005>\r\n",
       {"0+1 1+1 2+1 3+1 4+1 | 9+5"}},
      {"NN above 90 is skipped; a line that ends without '>' keeps its last group",
       "99 comment <0001001>\r\n01**01A\r\n" + FieldLine(1, 9, 'A', "X") +
           "\r\n31 <00010030004002\r\n",
       {"0+3 3+2"}},
  };
  for (const Case& c : cases) {
    StateScope<DataState> fresh;
    SCOPED_TRACE(c.what);
    ASSERT_EQ(LoadText(c.text), 0) << ErrorDetail();
    ASSERT_EQ(StructCount(), c.keys.size());
    for (uint16_t s = 1; s <= StructCount(); ++s) EXPECT_EQ(AllKeys(s), c.keys[s - 1]);
  }
}

TEST_F(DictTest, DamagedLinesGiveCodeAndLine) {
  const std::string head = "01**01A\r\n" + FieldLine(1, 3, 'A', "X") + "\r\n";
  std::string many_structs, wide;
  for (int i = 0; i < 31; ++i) many_structs += "01**01S" + std::to_string(i) + "\r\n";
  wide = "01**01W\r\n";
  for (int i = 0; i < 33; ++i) wide += FieldLine(1, 999, 'A', "F" + std::to_string(i)) + "\n";
  struct Case {
    const char* what;
    std::string text;
    ErrCode code;
    const char* detail;
    uint16_t structs;  // what was defined before the failure stays
  } cases[] = {
      {"field before any structure", FieldLine(1, 3, 'A', "X"), E_FILEOUTBOUND, "T.DAT(1)", 0},
      {"width not digits", head + "01 F     0x3 AY", E_LOADSTRERROR, "T.DAT(3)", 1},
      {"line without digits", head + "hello", E_LOADSTRERROR, "T.DAT(3)", 1},
      {"truncated field line", head + "01 F     00", E_LOADSTRERROR, "T.DAT(3)", 1},
      {"key for a structure beyond the count", head + "32 <0001003>", E_DATA, "T.DAT(3)", 1},
      {"key line without '<'", head + "31 0001003", E_LOADSTRERROR, "T.DAT(3)", 1},
      {"key group cut short", head + "31 <00010>", E_LOADSTRERROR, "T.DAT(3)", 1},
      {"key position 0", head + "31 <0000003>", E_LOADSTRERROR, "T.DAT(3)", 1},
      {"relation beyond the count", head + "62:1R1K1=X{}", E_BADFILENUMBER, "T.DAT(3)", 1},
      {"include without a prefix", head + "02*$*00Q", E_LOADSTRERROR, "T.DAT(3)", 1},
      {"31st structure", many_structs, E_FILEOUTBOUND, "T.DAT(31)", 30},
      {"record beyond 32767 bytes", wide, E_DATAOUTBOUND, "T.DAT(34)", 1},
      {"line over 512 bytes", head + "01 F     003 A" + std::string(600, 'N'), E_LOADSTRERROR,
       "T.DAT(3)", 1},
  };
  for (const Case& c : cases) {
    StateScope<DataState> fresh;
    ClearError();
    SCOPED_TRACE(c.what);
    EXPECT_EQ(LoadText(c.text), c.code);
    EXPECT_EQ(LastErrorCode(), c.code);
    EXPECT_EQ(LastErrorModule(), M_DATAFILE);
    EXPECT_EQ(ErrorDetail(), StrRef::FromC(c.detail));
    EXPECT_EQ(StructCount(), c.structs);
  }
}

TEST_F(DictTest, DamagedFilesOnDisk) {
  std::string binary;
  std::mt19937 rng(11);
  for (int i = 0; i < 100000; ++i) binary += char(rng() % 256 | 0x20);  // no line ends
  std::string many;  // far more than any real dictionary: 40000 empty fields
  for (int i = 0; i < 40000; ++i) many += FieldLine(1, 0, 'A', "F") + "\r\n";
  struct Case {
    const char* what;
    std::string bytes;
    ErrCode code;
    int line;  // of the detail; 0: no failure
    uint16_t fields;
  } cases[] = {
      {"empty file", "", 0, 0, 0},
      {"cut inside a field line", "01**01A\r\n" + FieldLine(1, 3, 'A', "X") + "\r\n01 F  ",
       E_LOADSTRERROR, 3, 1},
      {"line over 512 bytes", "01**01A\r\n" + std::string(513, '0') + "\r\n", E_LOADSTRERROR, 2, 0},
      {"binary without line ends", binary, E_LOADSTRERROR, 1, 0},
      {"oversized but well formed", "01**01A\r\n" + many, 0, 0, 40000},
  };
  for (const Case& c : cases) {
    StateScope<DataState> fresh;
    ClearError();
    SCOPED_TRACE(c.what);
    TempDir dir;
    dir.Touch("RADICC.DAT", c.bytes);
    EXPECT_EQ(DictLoad(StrRef::Of(dir.rt()), "RA", ""), c.code);
    if (c.line) {
      EXPECT_EQ(ErrorDetail().str(), dir.rt() + "RADICC.DAT(" + std::to_string(c.line) + ")");
      EXPECT_EQ(LastErrorModule(), M_DATAFILE);
    }
    EXPECT_EQ(Dict().fields.size(), c.fields);
  }
}

TEST_F(DictTest, LineEndsBlankLinesAndCtrlZ) {
  // CR, LF and CR LF all end lines; blank lines carry nothing; a Ctrl-Z
  // after the last line ends the file.
  std::string text = "01**01A\r" + FieldLine(1, 3, 'A', "X") + "\n\n   \r\n" +
                     FieldLine(1, 2, 'N', "Y  \t") + "\r\n\x1A";
  ASSERT_EQ(LoadText(text), 0) << ErrorDetail();
  ASSERT_EQ(StructAt(1)->field_count, 2);
  EXPECT_EQ(FieldAt(1, 2)->name, "Y");
  EXPECT_EQ(FieldAt(1, 2)->offset, 3);
}

TEST_F(DictTest, BinaryGarbageNeverBreaksTheTables) {
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    StateScope<DataState> fresh;
    std::string text = "01**01A\r\n" + FieldLine(1, 3, 'A', "X") + "\r\n";
    size_t n = rng() % 2000;
    for (size_t i = 0; i < n; ++i) {
      uint32_t r = rng() % 10;
      text += r < 2 ? "\r\n" : r < 3 ? "31 <" : r < 4 ? "0*" : std::string(1, char(rng() % 256));
    }
    (void)LoadText(text);
    uint32_t fields = 0;
    for (uint16_t s = 1; s <= StructCount(); ++s) {
      const StructDef* st = StructAt(s);
      uint32_t length = 0;
      for (uint16_t f = 1; f <= st->field_count; ++f) {
        ASSERT_EQ(FieldAt(s, f)->offset, length);
        length += FieldAt(s, f)->width;
      }
      ASSERT_EQ(length, st->record_length);
      ASSERT_LE(length, kMaxRecord);
      fields += st->field_count;
    }
    ASSERT_LE(StructCount(), kMaxStructs);
    ASSERT_EQ(fields, Dict().fields.size());
  }
}

TEST_F(DictTest, StructuresByNameAnyCaseFieldsExactly) {
  ASSERT_EQ(LoadFixture(), 0) << ErrorDetail();
  SysSet(_CURFIL, 3);
  EXPECT_EQ(StructFind("clientes"), 1);
  EXPECT_EQ(StructFind("ArticuloS"), 2);
  EXPECT_EQ(StructFind("FPAGO"), 6);
  EXPECT_EQ(StructFind("nada"), 0);
  EXPECT_EQ(StructFind("4"), 4);
  EXPECT_EQ(StructFind(""), 3);
  EXPECT_EQ(FieldFind(1, "NAME"), 2);
  EXPECT_EQ(FieldFind(1, "name"), kNpos);
  EXPECT_EQ(FieldFind(9, "NAME"), kNpos);
  EXPECT_EQ(StructResolve(0), 3);
  EXPECT_EQ(StructResolve(kCurrentStruct), 3);
  EXPECT_EQ(StructResolve(2), 2);
}

TEST_F(DictTest, NamesKeepTheirCaseWithAuxstatBit8) {
  SysSet(_AUXSTAT, 8);
  ASSERT_EQ(LoadText("01**01Clientes\r\n"), 0);
  EXPECT_EQ(StructAt(1)->name, "Clientes");
  EXPECT_EQ(StructFind("Clientes"), 1);
  EXPECT_EQ(StructFind("clientes"), 0);
}

TEST_F(DictTest, FieldReferences) {
  ASSERT_EQ(LoadFixture(), 0) << ErrorDetail();
  SysSet(_CURFIL, 4);
  struct Case {
    const char* ref;
    ErrCode code;
    uint16_t s, f;
  } cases[] = {
      {"NAME{1}", 0, 1, 2},
      {"NAME{clientes}", 0, 1, 2},
      {"N_LINE{}", 0, 4, 3},
      {"3{2}", 0, 2, 3},
      {"{1}", 0, 1, 0},
      {"NAME{9}", E_FILEOUTBOUND, 0, 0},
      {"NAME{nada}", E_FILEOUTBOUND, 0, 0},
      {"NAME", E_SINTAXERROR, 0, 0},
      {"NAME{1}x", E_SINTAXERROR, 0, 0},
      {"NA}ME{1}", E_SINTAXERROR, 0, 0},
      {"XYZ{1}", E_SINTAXERROR, 0, 0},
      {"3a{1}", E_SINTAXERROR, 0, 0},
  };
  for (const Case& c : cases) {
    FieldRef r;
    SCOPED_TRACE(c.ref);
    EXPECT_EQ(FieldRefParse(StrRef::FromC(c.ref), &r), c.code);
    EXPECT_EQ(r.structure, c.s);
    EXPECT_EQ(r.field, c.f);
    if (c.code == E_SINTAXERROR) {
      EXPECT_EQ(ErrorDetail().str(), std::string("Field:") + c.ref);
    }
  }
  // An empty field part parses, and validation refuses it.
  FieldRef r;
  ASSERT_EQ(FieldRefParse("{1}", &r), 0);
  EXPECT_EQ(CheckField(r.structure, r.field), E_DATAOUTBOUND);
  EXPECT_EQ(ErrorDetail(), StrRef("(File:1, Field:0)"));
  EXPECT_EQ(CheckField(7, kStructOnly), E_DATAOUTBOUND);
  EXPECT_EQ(ErrorDetail(), StrRef("(File:7, Field:65535)"));
  EXPECT_EQ(CheckField(6, kStructOnly), 0);
  EXPECT_EQ(CheckKey(1, 3), E_DATAOUTBOUND);
  EXPECT_EQ(CheckKey(1, 2), 0);
}

TEST_F(DictTest, FieldRefTextRoundTrips) {
  ASSERT_EQ(LoadFixture(), 0) << ErrorDetail();
  // A second field of the same name and one without a name cannot be
  // written by name.
  ASSERT_EQ(StructDefine(7, "extra", ""), 0);
  ASSERT_EQ(FieldDefine("CODE", 2, 'A'), 0);
  ASSERT_EQ(FieldDefine("CODE", 2, 'A'), 0);
  ASSERT_EQ(FieldDefine("", 2, 'A'), 0);
  ASSERT_EQ(FieldDefine(StrRef("A\0B", 3), 2, 'A'), 0);  // damaged names keep every byte
  EXPECT_EQ(FieldRefText(1, 2), StrRef("NAME{1}"));
  EXPECT_EQ(FieldRefText(7, 2), StrRef("2{7}"));
  EXPECT_EQ(FieldRefText(7, 3), StrRef("3{7}"));
  EXPECT_EQ(FieldRefText(7, 4), StrRef("A\0B{7}", 6));
  EXPECT_FALSE(FieldRefText(1, 10).ok());
  for (uint16_t s = 1; s <= StructCount(); ++s) {
    for (uint16_t f = 1; f <= StructAt(s)->field_count; ++f) {
      FieldRef r;
      StrRef text = FieldRefText(s, f);
      ASSERT_EQ(FieldRefParse(text, &r), 0) << text;
      EXPECT_EQ(r.structure, s) << text;
      EXPECT_EQ(r.field, f) << text;
    }
  }
}

TEST_F(DictTest, DefinitionLimits) {
  EXPECT_EQ(FieldDefine("X", 3, 'A'), E_FILEOUTBOUND);
  for (int i = 0; i < 30; ++i) ASSERT_EQ(StructDefine(1, "s", ""), 0);
  EXPECT_EQ(StructDefine(1, "s", ""), E_FILEOUTBOUND);
  EXPECT_EQ(KeyDefine(31, nullptr, 0), E_DATA);
  EXPECT_EQ(FieldDefine("X", 1000, 'A'), E_DATAOUTBOUND);
  EXPECT_EQ(RelationAppend(31, "x"), E_BADFILENUMBER);
}

}  // namespace
}  // namespace tol::testing
