// Log file name, appended lines, report blocks and assertions.
#include "core/log.h"

#include <cstdlib>
#include <string>

#include "core/core.h"
#include "core/errors.h"
#include "core/errtext.h"
#include "core/lists.h"
#include "core/msgbox.h"
#include "core/text.h"
#include "host/env.h"
#include "host/fs.h"

namespace tol {

namespace {

// Environment values (slot group 0) read here.
constexpr uint16_t kGroupEnv = 0, kEnvApName = 2, kEnvLanguage = 4;

std::string TwoDigits(int v) {
  return std::string{static_cast<char>('0' + v / 10 % 10), static_cast<char>('0' + v % 10)};
}

// Today's date with a four-digit year, day first for the languages that
// write day-month-year, month first for the others.  The runtime's default
// language (Spanish) applies while none is set.
std::string DateText(const host::LocalTime& t) {
  StrRef lang = Upper(Slots().Get(kGroupEnv, kEnvLanguage));
  bool day_first = lang.empty() || ListIndex("ES,FR,IT", lang, ',') != 0;
  std::string year = std::to_string(t.year);
  if (year.size() < 4) year.insert(0, 4 - year.size(), '0');
  std::string d = TwoDigits(t.day), m = TwoDigits(t.month);
  return (day_first ? d + "-" + m : m + "-" + d) + "-" + year;
}

}  // namespace

StrRef LogFileName() {
  StrRef set = Slots().Get(kGroupRuntime, kItemLogName);
  if (!set.empty()) return Copy(set);
  return Concat(Slice(Slots().Get(kGroupEnv, kEnvApName), 0, 2), "log.txt");
}

void AppendLine(StrRef file, StrRef text) {
  if (file.empty() || !text.ok()) return;
  std::string line(text.view());
  line += "\r\n";
  (void)host::AppendAll(file.view(), line);
}

ErrCode ReportBlock(StrRef text, StrRef file) {
  ScratchFrame frame;
  if (file.empty()) file = LogFileName();
  if (!file.ok()) return file.err();
  host::LocalTime now = host::Now();
  std::string block = "*****************************\r\n Date:" + DateText(now) +
                      " - Time:" + TwoDigits(now.hour) + ":" + TwoDigits(now.minute) +
                      " - User:0\r\n";
  block += text.ok() ? text.view() : ErrorText(text.err()).view();
  block += "\r\n**********************\r\n\r\n";
  host::File f = host::Open(file.view(), host::OPEN_WRITE | host::OPEN_CREATE | host::OPEN_APPEND);
  if (!f.ok()) return static_cast<ErrCode>(SetDetail(E_FILENOTFOUND, file));
  int64_t n = host::Write(f, block.data(), static_cast<int64_t>(block.size()));
  host::Close(f);
  if (n != static_cast<int64_t>(block.size()))
    return static_cast<ErrCode>(SetDetail(E_WRITE, file));
  return E_OK;
}

void Assert(bool condition, StrRef text) {
  if (condition) return;
  (void)MessageBox(text, "Assertion Fail", MSG_ERROR);
  (void)ReportBlock(text, "assertions.log");
  std::abort();
}

}  // namespace tol
