// A fresh runtime with its system variables for the formatting tests, and
// the locale texts of a Spanish and an English run.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "core/core.h"
#include "core/text.h"
#include "lang/lang.h"
#include "lang/sysvars.h"

namespace tol {

enum class Conv { Builtin, ES, EN };

class FormatTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(lang_.init_result(), E_OK); }

  // The locale texts (message 0019, NUL, message 0117, NUL, blank) and the
  // language code, as the start-up leaves them.
  void Use(Conv l) {
    std::string text, code;
    if (l == Conv::ES) {
      text = std::string(",.'0123456789,-D',' NS','  ,NO,SI'") + '\0' +
             "'Enero,Febrero,Marzo,Abril,Mayo,Junio,Julio,Agosto,Septiembre,Octubre,"
             "Noviembre,Diciembre','[D] de [M] de [Y]'" +
             '\0' + ' ';
      code = "ES";
    } else if (l == Conv::EN) {
      text = std::string(".,'0123456789.-D',' NY','  ,NO,YES'") + '\0' +
             "'January,February,March,April,May,June,July,August,September,October,"
             "November,December','[M] [D], [Y]'" +
             '\0' + ' ';
      code = "EN";
    }
    ASSERT_EQ(Slots().Set(0, 0, StrRef::Of(text)), E_OK);
    ASSERT_EQ(Slots().Set(0, 4, StrRef::Of(code)), E_OK);
  }
  void SetMaskDecimals(const char* table) {
    ASSERT_EQ(Slots().Set(0, 10, StrRef::FromC(table)), E_OK);
  }

  // A result as text, or "!<code>" for a failure, so that tables can hold both.
  static std::string Show(StrRef r) { return r.ok() ? r.str() : "!" + std::to_string(r.err()); }

  LangScope lang_;
};

}  // namespace tol
