// Field seams of the evaluator over the dictionary and the record buffers.
#include "data/fieldexpr.h"

#include "core/core.h"
#include "data/dict.h"
#include "data/record.h"
#include "lang/lang.h"

namespace tol {

namespace {

// The field's type letter, 0 when the reference names no field.
uint8_t FieldType(StrRef ref) {
  ScratchFrame f;
  FieldRef r;
  if (FieldRefParse(ref, &r)) return 0;
  const FieldDef* def = FieldAt(r.structure, r.field);
  return def ? def->type : 0;
}

// The value as text, one item on the scratch stack.
ErrCode FieldRead(StrRef ref) {
  StrRef v = FieldGetByRef(ref);
  return v.ok() ? E_OK : v.err();
}

ErrCode FieldWrite(StrRef ref, StrRef text) {
  return FieldSetByRef(ref, text);
}

}  // namespace

void ConnectFieldReferences() {
  ExprHooks& h = Lang().expr.hooks;
  h.field_type = FieldType;
  h.field_read = FieldRead;
  h.field_write = FieldWrite;
}

}  // namespace tol
