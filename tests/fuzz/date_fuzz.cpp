// Fuzz target for typed dates and times: any text must parse to a valid
// YYYYMMDD, blanks or the empty text, and every display, shift and compact
// conversion of it must end without a crash or a write outside a buffer.
//
// Not part of the test build.  From the repository root:
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -Isrc \
//     tests/fuzz/date_fuzz.cpp src/core/*.cpp src/host/*.cpp src/lang/*.cpp \
//     src/format/*.cpp -o build/date_fuzz
//   build/date_fuzz -max_len=256 -max_total_time=60
// Input: one byte choosing the language and options, then the text.
#include <cstdint>
#include <cstdlib>

#include "core/core.h"
#include "format/dates.h"
#include "format/times.h"
#include "lang/lang.h"
#include "lang/sysvars.h"

using namespace tol;

namespace {

// A valid YYYYMMDD, or blanks (an empty or blank date stays one).
bool ValidDate(StrRef d) {
  bool blank = true;
  for (uint16_t i = 0; i < d.size(); ++i) blank = blank && d[i] == ' ';
  if (blank) return true;
  return d.size() == 8 && DateValidate(DatePart(d, DATE_NUMBER)).size() == 8;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 60000) return 0;
  LangScope lang(64);
  if (lang.init_result()) return 0;
  uint8_t opt = data[0];
  StrRef text(reinterpret_cast<const char*>(data + 1), static_cast<uint16_t>(size - 1));
  if (Slots().Set(0, 4, opt & 1 ? StrRef("ES") : StrRef("EN"))) return 0;
  SysSetBits(_AUXSTAT, 64, opt & 2);
  SysSet(_BKYEAR, static_cast<int16_t>(opt >> 2));

  ScratchMark mark = Scratch().Mark();
  StrRef d = DateParse(text);
  if (!d.ok() || !ValidDate(d)) std::abort();
  // Text that merely looks like a date goes through every conversion too.
  for (StrRef t : {d, text}) {
    for (int kind = -1; kind <= 6; ++kind) (void)DateDisplay(t, kind);
    for (int unit : {1, 2, 4, 15})
      for (int64_t amount : {int64_t{0}, int64_t{1}, int64_t{-40000}, int64_t{9999},
                             int64_t{20240229}, int64_t{DatePart(text, DATE_NUMBER)}})
        (void)DateShift(t, amount, unit);
    StrRef c = CompactDateStore(t);
    if (c.ok() && t.size() <= 8 && c.size() != 6) std::abort();
    (void)CompactDateRead(c);
    (void)CompactDateRead(t);
  }
  int32_t ms = TimeParse(text);
  for (uint8_t code = 0; code < 8; ++code) (void)TimeFormat(ms, code);
  (void)TimeSpan(ms, TimeParse(d));
  Scratch().Release(mark);
  return 0;
}
