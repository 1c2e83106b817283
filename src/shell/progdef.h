// Definition files and the definitions stack: tagged text files whose
// sections become parameter texts (KEY=value entries joined with ":"), and
// the numbered program parameters read from the current definition.
#pragma once

#include <cstdint>

#include "core/strref.h"

namespace tol {

// Where a line of a definition file carries its section tag.
enum DefKind : uint8_t {
  DEF_WHOLE = 0,     // no tag: every line is section 0 (menus, procedures, templates)
  DEF_PROGRAM = 1,   // tag 0-1, content from 3 (.PPN program definitions)
  DEF_SCREEN = 2,    // tag 1-2, content from 3 to one before the end (.PAN)
  DEF_HELP = 3,      // tag 0-3, content from 5 (help texts)
  DEF_RELATION = 4,  // tag 0-1, content from 2 (relation files)
  DEF_PLAIN = 5,     // no tag
  DEF_TAGGED5 = 6,   // tag 0-4, whole line
};

// File kinds by 1-based position of their extension.
inline constexpr StrRef kFileKindExtensions(
    "PPN,PAN,STP,DAT,DAT,PDC,PRX,OVA,PMT,PDF,TXT,PDI,HLP,CFG");
enum AppFileKind : uint16_t { FK_PPN = 1, FK_PAN = 2, FK_PMT = 9, FK_HLP = 13 };

inline constexpr uint16_t kGroupDefinitions = 31;  // the definitions stack
inline constexpr uint16_t kGroupLines = 37;        // the line queue

// name + "." + the kind's extension.
StrRef KindFileName(StrRef name, uint16_t file_kind);
// The file as given, else in the definitions folder when it names no folder.
StrRef DefinitionPath(StrRef file);

// Matching lines pushed in order onto the line queue; their count, or
// 0xFFFF when the file cannot be read.
uint16_t ReadTextFile(StrRef file, uint8_t kind, int32_t section);
// count lines taken from the front of the line queue, joined with sep.
StrRef JoinLines(uint16_t count, StrRef sep);

// Pushes the section's lines joined with ":" on the definitions stack;
// 0xFFFF (nothing pushed) when the file or the section is missing.
[[nodiscard]] ErrCode LoadSection(StrRef file, uint8_t kind, int32_t section);
// As LoadSection, but an empty definition is pushed when nothing is found.
[[nodiscard]] ErrCode LoadSectionOrEmpty(StrRef file, uint8_t kind, int32_t section);
[[nodiscard]] ErrCode DropDefinition();
StrRef CurrentDefinition();

// Parameter number n names item n - base of the list with the largest base
// not above n; with _AUX set the name carries its prefix ("ALT.MENU$").
StrRef ParameterName(uint16_t n);
// Parameter n of the current definition; item 0 or -1 the whole value,
// otherwise that comma item.  Not found: the variable of that name.
StrRef Parameter(uint16_t n, int32_t item = 0);
int32_t ParameterInt(uint16_t n, int32_t item = 0);

}  // namespace tol
