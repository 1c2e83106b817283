// The structure dictionary: the structure, field and key tables loaded from
// the application's DICC.DAT and REL.DAT, and the resolution of structures
// and fields by name, number and "FIELD{STRUCT}" reference.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/strref.h"

namespace tol {

inline constexpr uint16_t kMaxStructs = 30;
inline constexpr uint8_t kMaxSegments = 5;
inline constexpr uint16_t kMaxRecord = 32767;  // the buffer (two records) is one 16-bit text
inline constexpr uint16_t kMaxFieldWidth = 999;
inline constexpr uint16_t kCurrentStruct = 255;  // "the current structure" where a number is due
inline constexpr uint16_t kStructOnly = 0xFFFF;  // field number: check the structure only

struct KeySeg {
  uint16_t offset = 0;  // 0-based in the record
  uint16_t length = 0;
};

struct KeyDef {
  uint8_t segment_count = 0;
  KeySeg seg[kMaxSegments];
  uint16_t Length(uint8_t count = kMaxSegments) const;
};

struct FieldDef {
  uint8_t structure = 0;
  uint16_t number = 0;  // 1-based within the structure
  uint16_t offset = 0;
  uint16_t width = 0;
  uint8_t type = 'A';
  std::string name;  // compared case-sensitively
};

struct StructDef {
  uint8_t number = 0;  // position in the table, 1-based
  uint8_t given = 0;   // the number written in the dictionary line
  uint16_t field_count = 0;
  uint16_t record_length = 0;
  uint16_t first_field = 0;  // global index of field 1
  std::string name;          // lower case unless _AUXSTAT bit 8
  std::string folder;        // empty: the working folder
  std::string relations;     // ":"-prefixed texts of the relation lines
  std::vector<KeyDef> keys;
};

// The three tables; part of the data layer's state (data/data.h).
struct DictTables {
  std::vector<StructDef> structs;
  std::vector<FieldDef> fields;
  uint16_t last_keyed = 0;  // highest structure that has received keys
};

// Definition.  Each returns 0 or the code the loader stops with.
[[nodiscard]] ErrCode StructDefine(uint8_t given, StrRef name, StrRef folder);
[[nodiscard]] ErrCode FieldDefine(StrRef name, uint16_t width, uint8_t type);
// Appends a key of 0..5 segments to structure s; first every structure
// between the last keyed one and s that has no key gets its default key.
[[nodiscard]] ErrCode KeyDefine(uint16_t s, const KeySeg* segs, uint8_t count);
// The default key to every keyless structure up to and including s.
void DefaultKeysUpTo(uint16_t s);
// Appends ":" + text to the relation text of structure s (151 beyond the count).
[[nodiscard]] ErrCode RelationAppend(uint16_t s, StrRef text);

// Loads prefix (its first two characters) + "DICC.DAT", then + "REL.DAT",
// each found as given or in a folder of the comma list folders.
[[nodiscard]] ErrCode DictLoad(StrRef folders, StrRef prefix, StrRef default_folder);
// The same line handling over a text already in memory (the file name is
// used only in error details); includes are looked up in folders.  For
// tools and the fuzz target.
[[nodiscard]] ErrCode DictLoadText(StrRef file_name, std::string_view text, StrRef folders,
                                   StrRef default_folder);

// Lookup.  Null when out of range.
uint16_t StructCount();
const StructDef* StructAt(uint16_t s);
const FieldDef* FieldAt(uint16_t s, uint16_t f);
const KeyDef* KeyAt(uint16_t s, uint16_t k);
// 0 and numbers above the count stand for the current structure (_CURFIL).
uint16_t StructResolve(uint16_t s);
// Empty: the current structure; a leading letter: by name (0 when absent);
// otherwise the number written.
uint16_t StructFind(StrRef text);
// The first field of s with exactly that name; 0xFFFF when none.
uint16_t FieldFind(uint16_t s, StrRef name);
// Global position of key k of s in the key order of all structures.
uint16_t KeyGlobalIndex(uint16_t s, uint16_t k);
// The relation text of s (empty beyond the count); a view valid until the
// dictionary changes.
StrRef StructRelations(uint16_t s);

struct FieldRef {
  uint16_t structure = 0;
  uint16_t field = 0;
};
// "FIELD{STRUCT}": 147 with detail "Field:" + text for bad syntax or an
// unknown field, 161 for a structure out of range.
[[nodiscard]] ErrCode FieldRefParse(StrRef text, FieldRef* out);
StrRef FieldRefText(uint16_t s, uint16_t f);
StrRef StructNames();

// 168 with the detail "(File:s, Field:f)" unless s is a structure and f one
// of its fields (f = kStructOnly checks the structure alone).  s is taken
// as given: callers resolve it first.
[[nodiscard]] ErrCode CheckField(uint16_t s, uint16_t f);
[[nodiscard]] ErrCode CheckKey(uint16_t s, uint16_t k);

}  // namespace tol
