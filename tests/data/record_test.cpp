// Record buffers: halves, clearing and copying, field reads and writes in
// the stored forms of every type, keys taken from and spread into fields.
#include "data/record.h"

#include <string>

#include "core/text.h"
#include "data/dict.h"
#include "data_fixture.h"

namespace tol::testing {
namespace {

enum : uint16_t { CLIENTES = 1, ARTICULOS = 2, FACTURAS = 3, LINFACT = 4 };

class RecordTest : public DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    ASSERT_EQ(LoadFixture(), 0) << ErrorDetail();
    for (uint16_t s = 1; s <= StructCount(); ++s) ASSERT_EQ(BufferAlloc(s), 0);
  }
  uint16_t F(uint16_t s, const char* name) { return FieldFind(s, StrRef::FromC(name)); }
  std::string Raw(uint16_t s, const char* name) { return FieldRaw(s, F(s, name)).str(); }
  std::string Current(uint16_t s) { return BufferHalf(s, HALF_CURRENT).str(); }
};

TEST_F(RecordTest, UnopenedStructureHasNoBuffer) {
  BufferForget(CLIENTES);
  EXPECT_EQ(BufferHalf(CLIENTES, HALF_CURRENT).err(), E_FILENOTINIT);
  EXPECT_EQ(FieldRaw(CLIENTES, 1).err(), E_FILENOTINIT);
  EXPECT_EQ(LastErrorCode(), E_BADFILENUMBER);
  EXPECT_EQ(LastErrorModule(), M_BUFFERFLD);
  EXPECT_EQ(FieldSet(CLIENTES, 1, "x"), E_FILENOTINIT);
  EXPECT_FALSE(BufferModified(CLIENTES));
}

TEST_F(RecordTest, HalvesClearAndCopy) {
  EXPECT_EQ(BufferHalf(CLIENTES, HALF_BOTH).str(), std::string(2 * 89, ' '));
  ASSERT_EQ(FieldSet(CLIENTES, 1, "C00001"), 0);
  EXPECT_TRUE(BufferModified(CLIENTES));
  ASSERT_EQ(BufferCopy(CLIENTES, 1), 0);
  EXPECT_FALSE(BufferModified(CLIENTES));
  EXPECT_EQ(FieldRaw(CLIENTES, 1, HALF_READ), StrRef("C00001"));
  ASSERT_EQ(FieldSet(CLIENTES, 1, "C00002"), 0);
  ASSERT_EQ(BufferCopy(CLIENTES, 2), 0);
  EXPECT_EQ(Raw(CLIENTES, "CODE"), "C00001");
  ASSERT_EQ(BufferClear(CLIENTES, 2), 0);
  EXPECT_EQ(Current(CLIENTES), "\x1B" + std::string(88, ' '));
  EXPECT_EQ(BufferHalf(CLIENTES, HALF_READ).str(), std::string(89, ' '));
  ASSERT_EQ(BufferClear(CLIENTES), 0);
  EXPECT_EQ(BufferHalf(CLIENTES, HALF_BOTH).str(), std::string(2 * 89, ' '));
}

TEST_F(RecordTest, StoreRecordIntoHalves) {
  ASSERT_EQ(BufferStore(FACTURAS, HALF_BOTH, "A 000042C00001"), 0);
  EXPECT_FALSE(BufferModified(FACTURAS));
  EXPECT_EQ(Raw(FACTURAS, "CUSTOMER"), "C00001");
  EXPECT_EQ(Raw(FACTURAS, "DATE"), "        ");
  ASSERT_EQ(BufferStore(FACTURAS, HALF_CURRENT, StrRef::Of(std::string(50, 'z'))), 0);  // cut to 35
  EXPECT_EQ(Current(FACTURAS), std::string(35, 'z'));
}

TEST_F(RecordTest, FieldSetStoresEachType) {
  struct Case {
    uint16_t s;
    const char* field;
    std::string value, stored;
  } cases[] = {
      {CLIENTES, "CODE", "C00042", "C00042"},
      {CLIENTES, "NAME",
       "Ferreter\xED"
       "a L\xF3"
       "pez",
       "Ferreter\xED"
       "a L\xF3"
       "pez" +
           std::string(14, ' ')},
      {CLIENTES, "NIF", "1234 567", "123405670"},  // C: blanks become zeros
      {CLIENTES, "ZIP", "28001", "28001"},
      {CLIENTES, "BALANCE", "1234.5", "     1234.50"},
      {CLIENTES, "SINCE", "20240105", "20240105"},
      {CLIENTES, "ACTIVE", "1", "1"},
      {CLIENTES, "LASTVISIT", "20240105", "240105"},  // without compact dates: YYMMDD
      {CLIENTES, "PHONE", "+34 915550", "+34 915550  "},
      {ARTICULOS, "STOCK", "42", "    42"},
      {ARTICULOS, "DISCOUNT", "5", " 5.0"},
      {ARTICULOS, "UNUSED", "abc", "   "},  // V holds nothing
      {LINFACT, "QTY", "1.5", "    1.500"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    ASSERT_EQ(FieldSet(c.s, F(c.s, c.field), StrRef::Of(c.value)), 0) << ErrorDetail();
    EXPECT_EQ(Raw(c.s, c.field), c.stored);
  }
}

TEST_F(RecordTest, FieldSetStaysInsideItsField) {
  ASSERT_EQ(BufferStore(ARTICULOS, HALF_BOTH, StrRef::Of(std::string(78, '#'))), 0);
  ASSERT_EQ(FieldSet(ARTICULOS, F(ARTICULOS, "FAMILY"), "TORNILLO"), 0);
  EXPECT_EQ(Current(ARTICULOS), std::string(50, '#') + "TORN" + std::string(24, '#'));
  // A value that does not fit a numeric field is refused; nothing changes.
  ClearError();
  EXPECT_EQ(FieldSet(ARTICULOS, F(ARTICULOS, "STOCK"), "12345678"), E_DATAOUTBOUND);
  EXPECT_EQ(Raw(ARTICULOS, "STOCK"), "######");
  EXPECT_NE(LastErrorCode(), 0);
  // A field that does not exist: its own code back, 151 pending.
  ClearError();
  EXPECT_EQ(FieldSet(ARTICULOS, 99, "x"), E_DATAOUTBOUND);
  EXPECT_EQ(ErrorDetail(), StrRef("(File:2, Field:99)"));
  EXPECT_EQ(LastErrorCode(), E_BADFILENUMBER);
  EXPECT_EQ(LastErrorModule(), M_BUFFERFLD);
  ClearError();
  EXPECT_EQ(FieldRaw(ARTICULOS, 0).err(), E_BADFILENUMBER);
  EXPECT_EQ(ErrorDetail(), StrRef("(File:2, Field:0)"));
  EXPECT_EQ(LastErrorModule(), M_BUFFERFLD);
}

TEST_F(RecordTest, ModifiedOnlyWhenAByteChanges) {
  ASSERT_EQ(FieldSet(FACTURAS, F(FACTURAS, "NUMBER"), "42"), 0);
  ASSERT_EQ(BufferCopy(FACTURAS, 1), 0);  // as if just read
  EXPECT_FALSE(BufferModified(FACTURAS));
  ASSERT_EQ(FieldSet(FACTURAS, F(FACTURAS, "NUMBER"), "42"), 0);
  EXPECT_FALSE(BufferModified(FACTURAS));
  ASSERT_EQ(FieldSet(FACTURAS, F(FACTURAS, "NUMBER"), "43"), 0);
  EXPECT_TRUE(BufferModified(FACTURAS));
}

TEST_F(RecordTest, CompactDates) {
  SysSet(_COMPAT, 4);
  uint16_t f = F(CLIENTES, "LASTVISIT");
  struct Case {
    const char* date;
    std::string stored, read;
  } cases[] = {
      {"20050101", "A5 1 1", "20050101"},
      {"19991231", "991231", "19991231"},
      {"", "      ", "        "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.date);
    ASSERT_EQ(FieldSet(CLIENTES, f, StrRef::FromC(c.date)), 0);
    EXPECT_EQ(FieldRaw(CLIENTES, f).str(), c.stored);
    EXPECT_EQ(FieldGet(CLIENTES, f).str(), c.read);
  }
  // Type "D" fields are never compact.
  ASSERT_EQ(FieldSet(FACTURAS, F(FACTURAS, "DATE"), "20050101"), 0);
  EXPECT_EQ(FieldGet(FACTURAS, F(FACTURAS, "DATE")), StrRef("20050101"));
}

TEST_F(RecordTest, DNumberForm) {
  uint16_t f = F(ARTICULOS, "STOCK");
  struct Case {
    std::string stored;
    const char* read;
  } cases[] = {
      {"D3    ", "9"},       // 3 xor 10
      {"    D3", "9"},       // right-aligned as numbers are stored
      {"D1240 ", "1234"},    // 1240 xor 10
      {"D     ", "10"},      // no digits: 0 xor 10
      {"    12", "    12"},  // a plain number is left alone
  };
  for (const Case& c : cases) {
    ASSERT_EQ(BufferStore(ARTICULOS, HALF_CURRENT, StrRef::Of(std::string(65, ' ') + c.stored)), 0);
    EXPECT_EQ(FieldGet(ARTICULOS, f), StrRef::FromC(c.read)) << c.stored;
  }
  // Only type "N" is decoded.
  ASSERT_EQ(FieldSet(ARTICULOS, F(ARTICULOS, "REF"), "D3"), 0);
  EXPECT_EQ(FieldGet(ARTICULOS, F(ARTICULOS, "REF")), StrRef("D3        "));
}

TEST_F(RecordTest, CurrentStructureAndReferences) {
  SysSet(_CURFIL, ARTICULOS);
  ASSERT_EQ(FieldSet(0, 1, "T-100"), 0);
  EXPECT_EQ(Raw(ARTICULOS, "REF"), "T-100     ");
  EXPECT_EQ(FieldGet(kCurrentStruct, 1), StrRef("T-100     "));
  ASSERT_EQ(FieldSetByRef("DESC{}", "Tornillo 4x40"), 0);
  EXPECT_EQ(FieldGetByRef("DESC{articulos}").str(), "Tornillo 4x40" + std::string(27, ' '));
  EXPECT_EQ(FieldSetByRef("DESC{9}", "x"), E_FILEOUTBOUND);
  EXPECT_EQ(FieldGetByRef("DESC").err(), E_SINTAXERROR);
  SysSet(_CURFIL, 0);
  EXPECT_EQ(FieldSet(0, 1, "x"), E_DATAOUTBOUND);  // no current structure
}

TEST_F(RecordTest, KeyValuesAndLengths) {
  uint16_t cust = F(FACTURAS, "CUSTOMER"), date = F(FACTURAS, "DATE");
  ASSERT_EQ(FieldSet(FACTURAS, 1, "A"), 0);
  ASSERT_EQ(FieldSet(FACTURAS, 2, "42"), 0);
  ASSERT_EQ(FieldSet(FACTURAS, cust, "C00007"), 0);
  ASSERT_EQ(FieldSet(FACTURAS, date, "20240105"), 0);
  EXPECT_EQ(KeyValue(FACTURAS, 1), StrRef("A     42"));
  EXPECT_EQ(KeyValue(FACTURAS, 2), StrRef("C0000720240105A     42"));
  EXPECT_EQ(KeyLength(FACTURAS, 2), 22);
  EXPECT_EQ(KeyLength(FACTURAS, 2, 2), 14);
  EXPECT_EQ(KeyLength(FACTURAS, 2, 0xFFFF), 22);
  EXPECT_EQ(KeyLength(FACTURAS, 3), 0);
  // From a record given as text; what lies beyond it reads as blanks.
  EXPECT_EQ(KeyValue(FACTURAS, 1, "B 000001"), StrRef("B 000001"));
  EXPECT_EQ(KeyValue(FACTURAS, 2, "B 0000").str(), std::string(14, ' ') + "B 0000  ");
  EXPECT_EQ(KeyValue(FACTURAS, 3).err(), E_DATAOUTBOUND);
  EXPECT_EQ(KeyValue(LINFACT, 1).str(), std::string(12, ' '));
}

TEST_F(RecordTest, KeyFieldsAndSpread) {
  KeyFieldList list;
  ASSERT_EQ(KeyFields(FACTURAS, 2, &list), 0);
  ASSERT_EQ(list.count, 4);
  EXPECT_EQ(list.field[0], F(FACTURAS, "CUSTOMER"));
  EXPECT_EQ(list.field[1], F(FACTURAS, "DATE"));
  EXPECT_EQ(list.field[2], F(FACTURAS, "SERIES"));
  EXPECT_EQ(list.field[3], F(FACTURAS, "NUMBER"));
  ASSERT_EQ(KeyFields(LINFACT, 1, &list), 0);  // the default key starts in field 1
  EXPECT_EQ(list.count, 1);
  EXPECT_EQ(list.field[0], 1);

  ASSERT_EQ(KeySpread(FACTURAS, 2, "C0000720240105B     77"), 0);
  EXPECT_EQ(Raw(FACTURAS, "CUSTOMER"), "C00007");
  EXPECT_EQ(Raw(FACTURAS, "DATE"), "20240105");
  EXPECT_EQ(Raw(FACTURAS, "SERIES"), "B ");
  EXPECT_EQ(Raw(FACTURAS, "NUMBER"), "    77");
  // A shorter value fills only the fields it reaches.
  ASSERT_EQ(BufferClear(FACTURAS), 0);
  ASSERT_EQ(KeySpread(FACTURAS, 2, "C00009"), 0);
  EXPECT_EQ(Raw(FACTURAS, "CUSTOMER"), "C00009");
  EXPECT_EQ(Raw(FACTURAS, "DATE"), "        ");
  EXPECT_EQ(KeyValue(FACTURAS, 2).str(), "C00009" + std::string(16, ' '));
}

TEST_F(RecordTest, KeysBeyondTheFieldsAndWithoutSegments) {
  ASSERT_EQ(StructDefine(9, "odd", ""), 0);
  ASSERT_EQ(FieldDefine("A", 4, 'A'), 0);
  KeySeg far[] = {{0, 2}, {10, 3}};
  ASSERT_EQ(KeyDefine(7, far, 2), 0);
  ASSERT_EQ(KeyDefine(7, nullptr, 0), 0);
  ASSERT_EQ(BufferAlloc(7), 0);
  KeyFieldList list;
  EXPECT_EQ(KeyFields(7, 1, &list), E_INTERNAL);
  EXPECT_EQ(KeySpread(7, 1, "abcdefg"), E_INTERNAL);
  EXPECT_EQ(KeyValue(7, 1), StrRef("     "));  // never reads past the record
  ASSERT_EQ(KeyFields(7, 2, &list), 0);
  EXPECT_EQ(list.count, 1);
  EXPECT_EQ(list.field[0], 1);
  EXPECT_EQ(KeyValue(7, 2), StrRef(""));
}

TEST_F(RecordTest, LargestRecordCannotOverflowTheSlotTable) {
  ASSERT_EQ(StructDefine(9, "big", ""), 0);
  for (int i = 0; i < 32; ++i) ASSERT_EQ(FieldDefine("F", 999, 'A'), 0);
  ASSERT_EQ(FieldDefine("G", 799, 'A'), 0);
  ASSERT_EQ(StructAt(7)->record_length, kMaxRecord);
  EXPECT_NE(BufferAlloc(7), 0);
  EXPECT_EQ(FieldSet(7, 1, "x"), E_FILENOTINIT);
  // The other buffers are untouched.
  EXPECT_EQ(BufferHalf(CLIENTES, HALF_BOTH).str(), std::string(2 * 89, ' '));
}

}  // namespace
}  // namespace tol::testing
