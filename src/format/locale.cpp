// The conventions of the active language, parsed from the locale texts each
// time they are asked for, so a change of language takes effect at once.
#include "format/locale.h"

#include "core/core.h"
#include "core/lists.h"
#include "core/text.h"

namespace tol {

namespace {

// Item k (1-based) of the NUL-separated locale texts.
StrRef LocaleItem(uint16_t k) {
  return ListItem(Slots().Get(0, kEnvLocale), 0, k);
}

StrRef MonthTexts() {
  StrRef t = LocaleItem(2);
  return t.size() ? t : kBuiltinMonths;
}

}  // namespace

NumberLocale CurrentNumberLocale() {
  StrRef t = LocaleItem(1);
  if (t.size() < 2) t = kBuiltinNumberLocale;
  NumberLocale loc;
  loc.decimal = t[0];
  loc.thousands = t[1];
  StrRef rest = Slice(t, 2);
  loc.numeric = Unquote(ListItem(rest, ',', 1));
  loc.logical_in = Unquote(ListItem(rest, ',', 2));
  loc.logical_words = Unquote(ListItem(rest, ',', 3));
  return loc;
}

StrRef MonthName(int month) {
  if (month < 1 || month > 12) return StrRef();
  return ListItem(Unquote(ListItem(MonthTexts(), ',', 1)), ',', static_cast<uint16_t>(month));
}

StrRef LongDatePattern() {
  return Unquote(ListItem(MonthTexts(), ',', 2));
}

bool DayFirst() {
  StrRef code = Trim(Slots().Get(0, kEnvLanguage));
  if (code.size() != 2) return false;
  char a = static_cast<char>(code[0] & ~0x20), b = static_cast<char>(code[1] & ~0x20);
  return (a == 'E' && b == 'S') || (a == 'F' && b == 'R') || (a == 'I' && b == 'T');
}

int MaskDecimals(int n) {
  StrRef table = Slots().Get(0, kEnvMaskParms);
  if (table.size() == 0 || n < 0 || n + 1 > ListCount(table, ',')) return n;
  int32_t d = ListItemInt(table, ',', static_cast<uint16_t>(n + 1));
  return d < 0 ? 0 : d;
}

}  // namespace tol
