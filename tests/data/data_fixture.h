// Shared set-up of the data tests: a fresh core, variable store and data
// state per test, the fixture application's folder, and temporary folders
// for dictionaries written by a test (support/host_temp.h).
#pragma once

#include <gtest/gtest.h>
#include <string>

#include "core/core.h"
#include "core/errors.h"
#include "data/data.h"
#include "lang/lang.h"
#include "lang/sysvars.h"
#include "support/host_temp.h"

namespace tol::testing {

inline std::string FixtureApp() {
  return TOLVINA_SOURCE_DIR "/tests/fixtures/app";
}

using host::testing::TempDir;

class DataTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(lang.init_result(), 0); }

  // Loads the fixture application; every test that needs it asserts this.
  ErrCode LoadFixture() { return DictLoad(StrRef::Of(FixtureApp()), "RAZAVIZ1:AdminLocal", ""); }
  ErrCode LoadText(const std::string& text) { return DictLoadText("T.DAT", text, "", ""); }

  LangScope lang;
  StateScope<DataState> data;
};

}  // namespace tol::testing
