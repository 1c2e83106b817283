// Result codes of every runtime operation and the module numbers failures
// are recorded against.  The numbers are part of the system's behaviour:
// they reach the user, the exit code and the application's procedures.
#pragma once

#include <cstdint>

namespace tol {

using ErrCode = uint16_t;

// 0 success; 1-120 the caller's own statuses; 121 a failure whose whole
// text is the error detail; 122-127 soft failures; 128-185 hard failures,
// code 121 plus the position in the list of error names.
inline constexpr ErrCode E_OK = 0;
inline constexpr ErrCode E_DETAIL = 121;
inline constexpr ErrCode E_CANCEL = 122;     // Cancelado por el usuario
inline constexpr ErrCode E_NULLEXPR = 123;   // Expresion Nula
inline constexpr ErrCode E_UNDEFWARN = 124;  // Aviso Indefinido
inline constexpr ErrCode E_ATYPICAL = 125;   // Tipo Atipico
inline constexpr ErrCode E_BADDATA = 126;    // Datos incorrectos
inline constexpr ErrCode E_NODATA = 127;     // No hay datos
inline constexpr ErrCode E_TYPES = 128;      // Tipos Incompatibles
inline constexpr ErrCode E_LOOP = 129;       // Fallo de loop
inline constexpr ErrCode E_DISKIO = 130;     // Disco (I/O)
inline constexpr ErrCode E_FILEIO = 131;     // Fichero I/O
inline constexpr ErrCode E_PROCEXEC = 132;   // Ejecución de Procedimiento
inline constexpr ErrCode E_PRCSTCKERROR = 133;
inline constexpr ErrCode E_TRANSUPERROR = 134;
inline constexpr ErrCode E_VARHANDLERROR = 135;
inline constexpr ErrCode E_READ = 136;   // de Lectura
inline constexpr ErrCode E_WRITE = 137;  // de Escritura
inline constexpr ErrCode E_OPEN = 138;   // de Apertura
inline constexpr ErrCode E_NET = 139;    // de Red
inline constexpr ErrCode E_BADEXPRESION = 140;
inline constexpr ErrCode E_INTERNAL = 141;  // Interno
inline constexpr ErrCode E_FARHEAPINIERR = 142;
inline constexpr ErrCode E_SCREENENV = 143;  // de Entorno de Pantalla
inline constexpr ErrCode E_INDEXCMDERROR = 144;
inline constexpr ErrCode E_OUTOFMEMORY = 145;
inline constexpr ErrCode E_STRINGTOOLONG = 146;
inline constexpr ErrCode E_SINTAXERROR = 147;
inline constexpr ErrCode E_FEATUREREMOVED = 148;
inline constexpr ErrCode E_DIMSTRUCERROR = 149;
inline constexpr ErrCode E_BADSTRINGTYPE = 150;
inline constexpr ErrCode E_BADFILENUMBER = 151;
inline constexpr ErrCode E_FORMATFAILURE = 152;
inline constexpr ErrCode E_STRCONCATERR = 153;
inline constexpr ErrCode E_MEMORYALLOCERR = 154;
inline constexpr ErrCode E_EXPCALCERROR = 155;
inline constexpr ErrCode E_LOADSTRERROR = 156;
inline constexpr ErrCode E_VARNAMEERROR = 157;
inline constexpr ErrCode E_BADCOMMANDLINE = 158;
inline constexpr ErrCode E_STROUTBOUND = 159;
inline constexpr ErrCode E_MEMTESTERROR = 160;
inline constexpr ErrCode E_FILEOUTBOUND = 161;
inline constexpr ErrCode E_SQLERROR = 162;
inline constexpr ErrCode E_DATA = 163;          // de Datos: bad argument or data
inline constexpr ErrCode E_FILENOTFOUND = 164;  // Fichero no encontrado
inline constexpr ErrCode E_FILEEXISTS = 165;    // Fichero Existente
inline constexpr ErrCode E_FILEOPEN = 166;      // Apertura de Ficheros
inline constexpr ErrCode E_CHILDEXECERROR = 167;
inline constexpr ErrCode E_DATAOUTBOUND = 168;
inline constexpr ErrCode E_FILENOTINIT = 169;
inline constexpr ErrCode E_COMMONCTLERROR = 170;
inline constexpr ErrCode E_DEVICETIMEOUT = 171;
inline constexpr ErrCode E_DEVICEIOERROR = 172;
inline constexpr ErrCode E_SYSTEMCMDERROR = 173;
inline constexpr ErrCode E_USERCHECK = 174;     // Chequeo de usuario
inline constexpr ErrCode E_DENIED = 175;        // Permiso denegado
inline constexpr ErrCode E_STRUCTMEM = 176;     // StructMemError
inline constexpr ErrCode E_SCREENSTRUCT = 177;  // ScreenStructErr
inline constexpr ErrCode E_MEMLEAKS = 178;      // Memory Leaks
inline constexpr ErrCode E_WINCONTROL = 179;    // Windows Control Error
inline constexpr ErrCode E_MEMOVERFLOW = 180;   // Memory Overflow
inline constexpr ErrCode E_SCREENFIELD = 181;   // Variable ScreenField
inline constexpr ErrCode E_RESERVED = 182;
inline constexpr ErrCode E_DATAEXISTS = 183;   // Datos Existentes
inline constexpr ErrCode E_LOCALONLY = 184;    // Solamente Acceso Local
inline constexpr ErrCode E_GRAPHICS = 185;     // Soporte Grafico Insuficiente
inline constexpr ErrCode E_NOTFOUND = 0xFFFF;  // "not found" answer of look-ups

// Module numbers: they tag memory blocks and the last error record.
enum Module : uint16_t {
  M_NONE = 0,
  M_STRINGINIT = 1,
  M_STRINGASSIGN = 2,
  M_STRCONCAT = 3,
  M_VARNMASSIGN = 4,
  M_SQLCONNECT = 5,
  M_SQLEXEC = 6,
  M_EXEC_COMPILER = 7,
  M_MALLOC_MEMACUMS = 8,
  M_EXECRUNTIME = 9,
  M_VARSTRUCT = 10,
  M_EXPEXEC = 11,
  M_SORT = 12,
  M_BUFFERFLD = 13,
  M_DYNSTRINGS = 14,
  M_STRUCTFUNCS = 15,
  M_FORMATSTRINGS = 16,
  M_STREAMS = 17,
  M_DATAFILE = 18,
  M_LOCALLISTS = 19,
  M_SCREENS = 20,
  M_DEVICES = 21,
  M_HTMLSCAN = 22,
};

}  // namespace tol
