// Shared set-up of the record-file tests: the fixture dictionary loaded in
// a fresh data state, a temporary working folder (with the clientes
// structure's DATOS folder) made current, field references wired into the
// evaluator for conditions, and helpers to fill records and read files.
#pragma once

#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/core.h"
#include "core/text.h"
#include "data/access.h"
#include "data/datafile.h"
#include "data/record.h"
#include "data/selection.h"
#include "data_fixture.h"
#include "lang/lang.h"

namespace tol::testing {

// Fixture structures.
// An open mode with none of the meaningful bits: read and write, not current.
inline constexpr uint8_t kReadWrite = 0x20;
inline constexpr uint16_t kClientes = 1, kArticulos = 2, kFacturas = 3, kLinFact = 4, kIvas = 5,
                          kFpago = 6;

inline uint8_t HookFieldType(StrRef ref) {
  FieldRef r;
  if (FieldRefParse(ref, &r)) return 0;
  const FieldDef* f = FieldAt(r.structure, r.field);
  return f ? f->type : 0;
}
inline ErrCode HookFieldRead(StrRef ref) {
  StrRef v = FieldGetByRef(ref);
  if (!v.ok()) return v.err();
  return Scratch().PushCopy(v);
}
inline ErrCode HookFieldWrite(StrRef ref, StrRef text) {
  return FieldSetByRef(ref, text);
}

class FileTest : public DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    char buf[4096];
    ASSERT_NE(getcwd(buf, sizeof buf), nullptr);
    old_cwd_ = buf;
    ASSERT_EQ(chdir(dir_.host().c_str()), 0);
    std::filesystem::create_directory(dir_.host() + "/DATOS");
    ASSERT_EQ(LoadFixture(), 0);
    ExprHooks& h = Lang().expr.hooks;
    h.field_type = HookFieldType;
    h.field_read = HookFieldRead;
    h.field_write = HookFieldWrite;
  }
  void TearDown() override {
    FileCloseAll();
    ASSERT_EQ(chdir(old_cwd_.c_str()), 0);
  }

  std::string Path(const std::string& name) const { return dir_.host() + "/" + name; }
  std::string Slurp(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  bool Exists(const std::string& name) const { return std::filesystem::exists(Path(name)); }

  // Sets fields by name into the current half.
  void Set(uint16_t s, const std::vector<std::pair<const char*, std::string>>& values) {
    for (const auto& [name, value] : values) {
      uint16_t f = FieldFind(s, StrRef::FromC(name));
      ASSERT_NE(f, 0xFFFF) << name;
      ASSERT_EQ(FieldSet(s, f, StrRef::Of(value)), 0) << name;
    }
  }
  std::string Get(uint16_t s, const char* name) {
    ScratchFrame frame;
    StrRef v = FieldRaw(s, FieldFind(s, StrRef::FromC(name)));
    return std::string(Trim(v, TRIM_RIGHT).view());
  }
  // A new customer: code and name.
  ErrCode AddCustomer(const std::string& code, const std::string& name) {
    EXPECT_EQ(FileMove(kClientes, NAV_NEW), ST_NEW);
    Set(kClientes, {{"CODE", code}, {"NAME", name}});
    return FileInsert(kClientes);
  }
  std::string Current(uint16_t s) {
    StrRef h = BufferHalf(s, HALF_CURRENT);
    return h.ok() ? h.str() : std::string();
  }

  TempDir dir_;
  std::string old_cwd_;
};

}  // namespace tol::testing
