// The number and date conventions of the active language, read from the
// locale texts (environment value 0) at each use: separators, numeric input
// characters, logical letters and words, month names, the long-date pattern,
// the date order (environment value 4) and the mask decimals table
// (environment value 10).
#pragma once

#include <cstdint>

#include "core/strref.h"

namespace tol {

inline constexpr uint16_t kEnvLocale = 0, kEnvLanguage = 4, kEnvMaskParms = 10;

// What applies before the start-up has built the locale texts.
inline constexpr StrRef kBuiltinNumberLocale(".,'0123456789.-D',' NY','  ,NO,YES'");
// Month names and long-date pattern of the built-in (Spanish) catalogue.
inline constexpr StrRef kBuiltinMonths(
    "'Enero,Febrero,Marzo,Abril,Mayo,Junio,Julio,Agosto,Septiembre,Octubre,Noviembre,"
    "Diciembre','[D] de [M] de [Y]'");

// Views into the slot table (or the built-in texts): valid until the table
// next changes.
struct NumberLocale {
  uint8_t decimal = '.';
  uint8_t thousands = ',';
  StrRef numeric;        // characters accepted in numeric input
  StrRef logical_in;     // letters typed for blank, no, yes
  StrRef logical_words;  // comma list of the words shown for blank, no, yes
};

NumberLocale CurrentNumberLocale();
// Item month (1-12) of the month list; empty otherwise.
StrRef MonthName(int month);
StrRef LongDatePattern();
// True for the languages that write the day first ("ES,FR,IT").
bool DayFirst();
// Decimals of the compact mask notation ",.n": item n + 1 of the decimals
// table when the table is set and has that item, else n.
int MaskDecimals(int n);

}  // namespace tol
