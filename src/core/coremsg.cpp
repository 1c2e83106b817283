// Built-in texts of the messages the core shows, and the catalogue hook.
#include "core/coremsg.h"

#include "core/core.h"

namespace tol {

namespace {

struct BuiltIn {
  uint16_t number;
  StrRef text;
};

constexpr BuiltIn kBuiltIn[] = {
    {kMsgDone, "Proceso Completado Satisfactoriamente"},
    {kMsgCaution, "Precauci\xF3n "},
    {kMsgError, "Error "},
    {kMsgYesNo, "Ss,Nn"},
    {kMsgInfoCaption, "Mensaje Informativo"},
    {kMsgFatalCaption, "Alerta de Mensaje Fatal"},
    {kMsgAskCaption, "Solicitud de Informaci\xF3n"},
};

}  // namespace

StrRef CoreMessage(uint16_t number) {
  if (auto lookup = Core().message) {
    StrRef t = lookup(number);
    if (t.ok()) return t;
  }
  for (const BuiltIn& b : kBuiltIn)
    if (b.number == number) return b.text;
  return StrRef();
}

void SetMessageHook(StrRef (*lookup)(uint16_t number)) {
  Core().message = lookup;
}

}  // namespace tol
