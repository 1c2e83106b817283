// The message catalogue: the built-in Spanish texts, the language module
// loaded once per run into slot group 9 item 2, the language index and
// translated file names, the locale texts and the LANGVARS file.
#include "shell/messages.h"

#include <cstring>
#include <string>
#include <vector>

#include "core/core.h"
#include "core/lists.h"
#include "core/text.h"
#include "host/fs.h"
#include "shell/env.h"
#include "shell/paths.h"

namespace tol {

namespace {

// The built-in catalogue in four texts by number range, each a list of
// tab-separated entries "NNNN text".  Tabs inside apostrophe-quoted parts
// belong to the entry (they give the nesting level of menu items).
// clang-format off
const char kBuiltin0001[] =
    "0001 Error al inicializar la Memoria\t"
    "0002 Error al efectuar la inicializacion\t"
    "0003 Errores de Memoria detectados\t"
    "0004 Fichero no encontrado:%s\t"
    "0005 Proceso Completado Satisfactoriamente\t"
    "0006 Cancelado por el Usuario\t"
    "0007 Datos no Encontrados\t"
    "0008 Precauci\xF3n \t"
    "0009 Error \t"
    "0010 No definido\t"
    "0011 Ss,Nn\t"
    "0012 Mensaje Informativo\t"
    "0013 Alerta de Mensaje Fatal\t"
    "0014 Solicitud de Informaci\xF3n\t"
    "0015 Permiso denegado\t"
    "0016 Proceso en progreso.....\t"
    "0017 Parametros incorrectos para campo de pantalla%s\r\n (%s)\t"
    "0018 Posible perdida de datos. Por favor confirmar\t"
    "0019 ,.'0123456789,-D',' NS','  ,NO,SI'\t"
    "0020 Cancelar\t"
    "0021 Error de conexi\xF3n SQL\t"
    "0022 Mantenimiento de Ficheros,Captura de Datos\t"
    "0023 Clave no encontrada,Fin de fichero,,,Clave incorrecta,Clave Repetida,Datos Cambiados. Grabaci\xF3n canceleda,Datos Cambiados. Confirmar,Contrase\xF1" "as no coinciden\t"
    "0024 Modificaci\xF3n de Clave descartada\t"
    "0025 \xBF" "Anular Registro(s)?\t"
    "0026 Visualizar,Insertar,Eliminar,Buscar\t"
    "0027 Datos Cabecera,Tipo de Documento,Busqueda [AvPag/RePag],Edicion [AvPag/RePag],Edicion de lineas,Edicion de res\xFAmen,Datos grabados,Nueva alta,Modificaci\xF3n,Modo Inserci\xF3n,Modo Mantenimiento,Impresi\xF3n Desact.,Impresi\xF3n Activada,Solo Consulta\t"
    "0028 Nuevo,Inic.,Ant.,Sig.,Ult.,Buscar,Grabar,Borrar\t"
    "0029 Cancelar,Buscar,Grabar,Insertar,Anular Lin.,Importar,Anular Doc.,Modo Impr.\t"
    "0030 Cancelar,PgAnt.,PgSig.,Grabar,Insertar,Anular,Importar,Modo\t"
    "0031 Proceso no definido\t"
    "0032 Aun hay ventanas abiertas (%i Pantallas, %i Ventanas)\t"
    "0033 Recuerde sus Copias de Seguridad\n\r\xBF" "Desea Cerrar la aplicacion? (%i Pantallas, %i Ventanas)\t"
    "0034 Selecci\xF3n de Aplicaci\xF3n\t"
    "0035 Debe efectuar una configuraci\xF3n en la carpeta por defecto.\r\nConsulte la documentaci\xF3n\t"
    "0036 %s (Aplicaci\xF3n desconocida)\t"
    "0037 Solo disponible en Busqueda\t"
    "0038 Solo disponible en Modo Mantenimiento,Para a\xF1" "adir datos es recomendable usar el mode de Inserci\xF3n\t"
    "0039 \xBF" "Continuar?";

const char kBuiltin0040[] =
    "0040 \xBF" "Desea ver Incidencias?\t"
    "0041 Pagina Html no definida\t"
    "0042 Error en Html Parser/Nav\t"
    "0043 Html environ initialization Error\t"
    "0044 DefParms File Load Error\t"
    "0045 Parsing page Error\t"
    "0046 Control Command Error\t"
    "0047 Form Log failure\t"
    "0048 Query Params Error\t"
    "0049 Escoja Selecci\xF3n\t"
    "0050 Sobreescribir?\t"
    "0051 Confirmaci\xF3n de Transacci\xF3n\t"
    "0052 No se ha definido ning\xFAn modo de Transacci\xF3n\t"
    "0053 No se ha definido ninguna tabla de Transacci\xF3n\t"
    "0054 tabla SQL externa no definida\t"
    "0055 Datos de Transacci\xF3n necesarios\t"
    "0056 'Nombre del Archivo:':'A40'\t"
    "0057 L\xEDmites de Transacci\xF3n\t"
    "0058 Ventana de Importaci\xF3n\t"
    "0059 Eliminando %s en %s,Actualizando %s en %s\t"
    "0060 Todos (%s),%s\t"
    "0061 Ficheros de Estructura (%s),%s\t"
    "0062 Ficheros de Pantalla (%s),%s\t"
    "0063 Ficheros de Plantilla de Impresi\xF3n (%s),%s\t"
    "0064 Ficheros de Procedimientos (%s),%s\t"
    "0065 Ficheros de Selecci\xF3n de Aplicaci\xF3n (%s),%s\t"
    "0066 Ficheros de Men\xFA (%s),%s\t"
    "0067 Ficheros PDF (%s),%s\t"
    "0068 Ficheros de Texto (%s),%s\t"
    "0070 Ayuda\t"
    "0071 P\xE1ginas de Ayuda\t"
    "0072 Pagina de Ayuda no definida\t"
    "0073 Ventana Desconocida %s\t"
    "0074 Variables y Funciones\t"
    "0075 Acerca de\t"
    "0077 AvPag/RePag Disp.\t"
    "0080 (Mayor que),(Menor que), (Igual a),(Desde),(Hasta),(Distinto de)\t"
    "0081 Captura de Limites de Informe\t"
    "0082 Selecci\xF3n de Dispositivo\t"
    "0083 Vel.:,Paridad:,Lineas:,Ancho:,Paso:,Mostrar\t"
    "0084 No se ha seleccionado nada\t"
    "0085 Selecci\xF3n de Tabla\t"
    "0086 Selecci\xF3n de Campos de Limites\t"
    "0087 Actualizacion Relacional\t"
    "0088 Selecci\xF3n de Fichero";

const char kBuiltin0089[] =
    "0089 Relativa,Secuencial,Delimitada,Listado\t"
    "0090 Acceso a Datos\t"
    "0091 'Servidor:':'A30'::%s,'Base:':'A30'::%s,'Usuario:':'A30'::%s,'Contrase\xF1" "a:':'P30'::%s,'Recordar (S/N):':'L1'\t"
    "0092 'Servidor:':'A30'::%s,'Base:':'A30','Usuario:':'A30'::'postgres','Contrase\xF1" "a:':'P30'\t"
    "0093 'Servidor:':'A30'::%s,'Usuario:':'A30'::'postgres','Contrase\xF1" "a:':'P30'\t"
    "0094 'Tipo de Actualizaci\xF3n Relacional:':'N1'\t"
    "0095 'Fichero:':'A255'::'%s','Modo a\xF1" "adir:':'L1'::'1'\t"
    "0096 Selecci\xF3n de Campos\t"
    "0097 \xBFSalvar esta Configuraci\xF3n?\t"
    "0098 Selecci\xF3n de Transacci\xF3n\t"
    "0099 Expresion de Actualizaci\xF3n\t"
    "0100 'Expresion de Actualizaci\xF3n:':'A256'\t"
    "0101 Contados %s registros en %s\t"
    "0110 'Informes','\tCrear Nuevo,[$]','\tInformes,[$]%APNAME%report.ppn'\t"
    "0111 'Transacciones','\tExportaciones','\t\tRelativa,[$]4','\t\tSecuencial,[$]20','\t\tDelimitada,[$]52','\t\tListado,[$]16404','\tImportaciones','\t\tRelativa,[$]5','\t\tSecuencial,[$]21','\t\tDelimitada,[$]53','\tInternas','\t\tContador,[$]128','\t\tActualizacion,[$]1','\t\tActualizacion Relacional,[$]3','\t\tDesactualizacion Relacional,[$]11','\t\tAnulacion,[$]8','\tPredefinidas,[$]0'\t"
    "0112 Un Programa Externo ha terminado con un error %s\t"
    "0113 'Titulo del Documento:':'A40','Multilinea:':'L1','Evitar en menu:':'L1'\t"
    "0114 Selection de Informe\t"
    "0115 Ultima sesion interrumpida. Recuperacion de datos\t"
    "0116 'Nueva Aplicacion:':'A20'\t"
    "0117 'Enero,Febrero,Marzo,Abril,Mayo,Junio,Julio,Agosto,Septiembre,Octubre,Noviembre,Diciembre','[D] de [M] de [Y]'\t"
    "0118 'Carpeta Servidor SQL:':'A50'::'%s','Carpeta LAN:':'A50'::'%s'\t"
    "0119 'Reorganizacion,Reorg'\t"
    "0120 'Ayuda','\tAyuda,Help','\tAcerca de,Help About'\t"
    "0121 Solo se realiz\xF3 la copia del Servidor\t"
    "0130 Salir,Imprimir,Grabar";

const char kBuiltin1000[] =
    "1001 N\xBA de Factura existente. Cambie el N\xFAmero\t"
    "1002 Datos en Registro no encontrados\t"
    "1003 Datos redundantes. %s registros identicos. \xBF" "Confirmar Anulaci\xF3n?\t"
    "1010 Facturaci\xF3n general,Facturaci\xF3n semanal,Facturaci\xF3n quincenal,Facturaci\xF3n mensual,Facturaci\xF3n trimestral\t"
    "1011 N\xBA" "FACTURA,SERIE,CLIENTE\t"
    "1012 ALBARA_VENTAS,REGISTRO,VENCIMIENTOS";

// clang-format on

MessageState* State() {
  return Current<MessageState>::Exists() ? &Current<MessageState>::Get() : nullptr;
}

// The entry for key (four characters) in one range text: from character 6
// of the entry to the next tab outside apostrophe quotes.
StrRef FindEntry(const char* text, StrRef key) {
  size_t n = std::strlen(text);
  size_t start = 0;
  while (start < n) {
    size_t end = start;
    bool quoted = false;
    for (; end < n; ++end) {
      if (text[end] == '\'') quoted = !quoted;
      if (text[end] == '\t' && !quoted) break;
    }
    if (end - start >= 4 && std::memcmp(text + start, key.data(), 4) == 0) {
      size_t from = end - start > 5 ? start + 5 : end;
      return StrRef(text + from, static_cast<uint16_t>(end - from));
    }
    start = end + 1;
  }
  return StrRef();
}

// Reads a file a line at a time through fixed buffers.  A line longer than
// kLineMax keeps its first kLineMax bytes and is marked over-long; the rest
// of it is skipped.  The line ends at LF; a CR before it is dropped.
class LineReader {
 public:
  static constexpr uint16_t kLineMax = kMessageMax + 8;

  explicit LineReader(host::File f) : f_(f) {}

  // false at the end of the file or on a read failure.
  bool Next(StrRef* line, bool* overlong) {
    uint32_t len = 0;
    bool any = false;
    *overlong = false;
    for (;;) {
      if (pos_ == have_) {
        if (done_) break;
        int64_t got = host::Read(f_, buf_, sizeof buf_);
        if (got <= 0) {
          done_ = true;
          if (got < 0) failed_ = true;
          break;
        }
        pos_ = 0;
        have_ = static_cast<uint32_t>(got);
      }
      any = true;
      char c = buf_[pos_++];
      if (c == '\n') break;
      if (len < kLineMax)
        line_[len++] = c;
      else
        *overlong = true;
    }
    if (failed_ || !any) return false;
    if (len && line_[len - 1] == '\r' && !*overlong) --len;
    *line = StrRef(line_, static_cast<uint16_t>(len));
    return true;
  }

 private:
  host::File f_;
  char buf_[4096];
  char line_[kLineMax];
  uint32_t pos_ = 0, have_ = 0;
  bool done_ = false, failed_ = false;
};

// A module line's number: four decimal digits, not all zero; else 0.
uint16_t LineNumber(StrRef line) {
  if (line.size() < 4) return 0;
  uint16_t n = 0;
  for (int i = 0; i < 4; ++i) {
    if (line[i] < '0' || line[i] > '9') return 0;
    n = static_cast<uint16_t>(n * 10 + (line[i] - '0'));
  }
  return n;
}

// The module file to load, as a runtime path; empty when none matches.
std::string ModulePath() {
  ScratchFrame frame;
  StrRef code = Trim(EnvValue(ENV_LANGMODULE));
  std::string folder = Trim(EnvValue(ENV_DOCPATH)).str();
  std::string pattern = "OV_LANG_" + (code.empty() ? std::string("*") : code.str()) + ".MSJ";
  std::vector<std::string> names = host::DirList(folder.empty() ? "." : folder, pattern);
  if (names.empty()) return std::string();
  return JoinPath(StrRef::Of(folder), StrRef::Of(names.front())).str();
}

// Reads the module's numbered lines into texts (kModuleTextMax bytes) and
// st.ends; returns the count of numbers held.
uint16_t ReadModule(host::File f, char* texts, MessageState& st) {
  LineReader reader(f);
  StrRef line;
  bool overlong;
  uint16_t count = 0, used = 0;
  while (reader.Next(&line, &overlong)) {
    uint16_t n = LineNumber(line);
    if (n == 0) continue;
    if (count == 0) st.first = n;
    if (n < uint32_t{st.first} + count) continue;  // not ascending
    uint32_t k = n - st.first;
    if (k >= kModuleNumbers) break;
    StrRef text = overlong ? StrRef() : Slice(line, 5);
    if (text.size() > kMessageMax) text = StrRef();
    if (uint32_t{used} + text.size() > kModuleTextMax) break;
    while (count < k) st.ends[count++] = used;
    char* out = texts + used;
    std::memcpy(out, text.data(), text.size());
    for (uint16_t i = 0; i + 1 < text.size(); ++i)
      if (out[i] == '\\' && out[i + 1] == 'n') {
        out[i] = '\r';
        out[++i] = '\n';
      }
    used = static_cast<uint16_t>(used + text.size());
    st.ends[count++] = used;
  }
  return count;
}

ErrCode RunAssignment(StrRef assignment) {
  MessageState* st = State();
  if (st == nullptr || st->assign == nullptr)
    return static_cast<ErrCode>(SetDetail(Fail(M_VARNMASSIGN, E_FEATUREREMOVED), "LANGVARS"));
  return st->assign(assignment);
}

// One LANGVARS line; false when the line is no assignment.
bool LangVarLine(StrRef line, ErrCode* result) {
  ScratchFrame frame;
  uint16_t eq = FindByte(line, '=');
  if (eq == kNpos) return false;
  StrRef name = Trim(Slice(line, 0, eq));
  if (name.empty()) return false;
  StrRef value = Message(Trim(Slice(line, eq + 1)));
  uint16_t paren = FindByte(name, '(');
  StrRef base = paren == kNpos ? name : Slice(name, 0, paren);
  if (base.size() && base[base.size() - 1] == '$')
    value = Quote(value, '\'');
  else if (value.ok() && value.empty())
    value = "0";
  StrRef assignment = Concat(Concat(name, "="), value);
  *result = assignment.ok() ? RunAssignment(assignment) : Fail(M_VARNMASSIGN, assignment.err());
  return true;
}

}  // namespace

void SetLangVarAssign(LangVarAssign fn) {
  if (MessageState* st = State()) st->assign = fn;
}

uint16_t MessageNumber(StrRef reference) {
  StrRef head = Slice(reference, 0, 4);
  if (!head.ok() || IsYes(head)) return 0;
  int32_t n = ToInteger(head);
  return n > 0 ? static_cast<uint16_t>(n) : 0;
}

StrRef BuiltinMessage(StrRef reference) {
  if (!reference.ok()) return reference;
  if (reference.size() < 4) return StrRef();
  StrRef key = Slice(reference, 0, 4);
  const char* text = Compare(key, "0999") == 1        ? kBuiltin1000
                     : Compare(key, "0089") != 0xFFFF ? kBuiltin0089
                     : Compare(key, "0040") == 0xFFFF ? kBuiltin0001
                                                      : kBuiltin0040;
  return FindEntry(text, key);
}

uint8_t LoadLanguageModule() {
  MessageState* st = State();
  if (st == nullptr) return LANG_NONE;
  if (st->load != LANG_NOT_LOOKED) return st->load;
  st->load = LANG_NONE;
  ScratchFrame frame;
  std::string path = ModulePath();
  if (path.empty()) return st->load;
  host::File f = host::Open(path, host::OPEN_READ);
  if (!f.ok()) return st->load;
  uint16_t count = 0;
  if (Scratch().Push(kModuleTextMax, 0) == E_OK) {
    char* texts = Scratch().TopBytes();
    count = ReadModule(f, texts, *st);
    if (count &&
        Slots().Set(kGroupRuntime, kItemLangModule, StrRef(texts, st->ends[count - 1])) != E_OK)
      count = 0;
  }
  host::Close(f);
  if (count) {
    st->last = static_cast<uint16_t>(st->first + count - 1);
    st->load = LANG_LOADED;
  }
  return st->load;
}

StrRef Message(StrRef reference) {
  if (!reference.ok()) return reference;
  uint16_t n = MessageNumber(reference);
  if (n && LoadLanguageModule() == LANG_LOADED) {
    const MessageState& st = *State();
    if (n >= st.first && n <= st.last) {
      uint16_t k = n - st.first;
      uint16_t from = k ? st.ends[k - 1] : 0;
      return Copy(Slice(Slots().Get(kGroupRuntime, kItemLangModule), from,
                        static_cast<uint16_t>(st.ends[k] - from)));
    }
  }
  if (n && reference.size() > 4) return Slice(reference, 5);
  return BuiltinMessage(reference);
}

StrRef MessageText(uint16_t number) {
  if (number == 0 || number > 9999) return StrRef();
  char ref[4];
  for (int i = 3; i >= 0; --i, number /= 10) ref[i] = static_cast<char>('0' + number % 10);
  return Message(StrRef(ref, 4));
}

uint16_t LanguageIndex() {
  ScratchFrame frame;
  StrRef code = Trim(EnvValue(ENV_LANGMODULE));
  if (code.empty()) return 0;
  return ListIndex(kLanguageCodes, Upper(code), ',');
}

StrRef TranslatedFileName(StrRef name, int index) {
  if (!name.ok()) return name;
  if (index == -1) index = LanguageIndex();
  if (index < 1 || index > ListCount(kLanguageSuffixes, ',')) return name;
  ScratchMark mark = Scratch().Mark();
  StrRef suffix = ListItem(kLanguageSuffixes, ',', static_cast<uint16_t>(index));
  uint16_t dot = FindLast(name, '.');
  uint16_t sep = FindLastAny(name, "\\:");
  uint16_t at = dot != kNpos && (sep == kNpos || dot > sep) ? dot : name.size();
  StrRef r = Concat(Concat(Slice(name, 0, at), suffix), Slice(name, at));
  return Scratch().CopyOut(mark, r);
}

ErrCode BuildLocaleTexts() {
  ScratchFrame frame;
  StrRef numbers = Message("0019");
  StrRef dates = Message("0117");
  StrRef t = Concat(Concat(Concat(numbers, StrRef("\0", 1)), dates), StrRef("\0 ", 2));
  if (!t.ok()) return Fail(M_DYNSTRINGS, t.err());
  return SetEnvValue(ENV_LOCALE, t);
}

ErrCode LoadLanguageVariables() {
  ScratchFrame frame;
  StrRef name = Concat(AppPrefix(), "LANGVARS.DAT");
  std::string path = FindFile(Trim(EnvValue(ENV_DOCPATH)), name).str();
  if (path.empty()) return E_OK;
  host::File f = host::Open(path, host::OPEN_READ);
  if (!f.ok())
    return static_cast<ErrCode>(SetDetail(Fail(M_VARNMASSIGN, E_FILEOPEN), StrRef::Of(path)));
  ErrCode result = E_OK;
  LineReader reader(f);
  StrRef line;
  bool overlong;
  while (reader.Next(&line, &overlong)) {
    if (overlong)
      result = Fail(M_VARNMASSIGN, E_STRINGTOOLONG);
    else
      LangVarLine(line, &result);
  }
  host::Close(f);
  return result;
}

}  // namespace tol
