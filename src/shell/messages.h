// The message catalogue: message references ("0023", optionally followed by
// a blank and a default wording), the built-in Spanish texts, the language
// module that replaces them, the language index and the LANGVARS file.
#pragma once

#include <cstdint>

#include "core/strref.h"

namespace tol {

// Language module file names and the runtime's language codes.
inline constexpr char kLangModulePattern[] = "OV_LANG_%s.MSJ";
inline constexpr StrRef kLanguageCodes("EN,ES,FR,DE,IT");
inline constexpr StrRef kLanguageSuffixes("_en,_es,_fr,_de,_it");

enum LangLoad : uint8_t {
  LANG_NOT_LOOKED = 0,  // no look-up yet this run
  LANG_NONE = 1,        // looked for: no file, or no numbered line in it
  LANG_LOADED = 2,
};

// A module holds at most this many numbers, counted from its first.
inline constexpr uint16_t kModuleNumbers = 256;
// Bounds that keep a damaged or oversized module from filling the slot
// table: all texts together, and one text after "\n" became CR LF.  A text
// over kMessageMax reads as empty; the line that would pass kModuleTextMax
// ends the load, so its number and the later ones come from the built-in
// catalogue.
inline constexpr uint16_t kModuleTextMax = 16384;
inline constexpr uint16_t kMessageMax = 2048;

// Runs one assignment text ("NAME$='value'") for the LANGVARS file; the
// expression layer installs it.  Without it each line fails with 148.
using LangVarAssign = ErrCode (*)(StrRef assignment);

// Per run.  The module's texts live in slot group 9 item 2, packed; ends[k]
// is the end offset of number first + k.
struct MessageState {
  uint8_t load = LANG_NOT_LOOKED;
  uint16_t first = 0;
  uint16_t last = 0;
  uint16_t ends[kModuleNumbers] = {};
  LangVarAssign assign = nullptr;
};

// Installs the assignment runner for LANGVARS in the current MessageState.
void SetLangVarAssign(LangVarAssign fn);

// The number of a reference: its first four characters read as a decimal
// number (leading blanks allowed); 0 when they do not read as a positive
// number.
uint16_t MessageNumber(StrRef reference);

// The text of the reference in the run's language.  The first call of a run
// looks for the language module.  A number the loaded module does not hold
// (outside its range) is answered as if no module were loaded: the default
// wording when the reference has one, else the built-in text.  No entry
// gives an empty text.  The result is constant text, part of the reference
// or a scratch copy, so it survives changes of the slot table.  Without a
// current MessageState only the built-in catalogue and default wordings are
// used.
StrRef Message(StrRef reference);
// The same for a number (1-9999); for the core's error report, which cannot
// depend on the shell.
StrRef MessageText(uint16_t number);
// The built-in Spanish text for the reference's four characters.
StrRef BuiltinMessage(StrRef reference);

// Looks for and loads the language module once per run (Message does this
// on its first call).  The file is "OV_LANG_<code>.MSJ" with the language
// code (environment value 4), or the first name matching "OV_LANG_*.MSJ"
// when the code is empty, in the definitions folder (environment value 5),
// or the current folder when that is empty.  A missing or unreadable module
// is not an error: the built-in catalogue serves.  Returns the load state.
uint8_t LoadLanguageModule();

// 1-based position of the language code in "EN,ES,FR,DE,IT", 0 when absent.
uint16_t LanguageIndex();
// name with the language's suffix ("_fr") before its extension; index -1
// means the run's language index, 0 or an unknown index leaves the name.
StrRef TranslatedFileName(StrRef name, int index);

// Environment value 0: message 0019, NUL, message 0117, NUL, one blank.
// This is the run's first message look-up, so it chooses the module.
[[nodiscard]] ErrCode BuildLocaleTexts();

// Runs the application's "<prefix>LANGVARS.DAT" (found as given or in the
// definitions folder): each line "NAME=reference" assigns the message text
// to the variable.  No file: 0.  A failing line does not stop the file; the
// result is that of the last assignment.
ErrCode LoadLanguageVariables();

}  // namespace tol
