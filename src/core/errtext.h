// Names of error codes and modules, and the texts a code becomes for the
// user: the short error text and the full text with module and detail.
#pragma once

#include <cstdint>

#include "core/strref.h"

namespace tol {

// Code 121 plus the 1-based position gives the code of each name.  Position
// 61 (code 182) is reserved and has no name.
inline constexpr StrRef kErrorNames(
    "Cancelado por el usuario,Expresion Nula,Aviso Indefinido,Tipo Atipico,Datos incorrectos,"
    "No hay datos,Tipos Incompatibles,Fallo de loop,Disco (I/O),Fichero I/O,"
    "Ejecuci\xF3n de Procedimiento,PRCSTCKERROR,TRANSUPERROR,VARHANDLERROR,de Lectura,"
    "de Escritura,de Apertura,de Red,BADEXPRESION,Interno,FARHEAPINIERR,"
    "de Entorno de Pantalla,INDEXCMDERROR,OUTOFMEMORY,STRINGTOOLONG,SINTAXERROR,"
    "FEATUREREMOVED,DIMSTRUCERROR,BADSTRINGTYPE,BADFILENUMBER,FORMATFAILURE,STRCONCATERR,"
    "MEMORYALLOCERR,EXPCALCERROR,LOADSTRERROR,VARNAMEERROR,BADCOMMANDLINE,STROUTBOUND,"
    "MEMTESTERROR,FILEOUTBOUND,SQLERROR,de Datos,Fichero no encontrado,Fichero Existente,"
    "Apertura de Ficheros,CHILDEXECERROR,DATAOUTBOUND,FILENOTINIT,COMMONCTLERROR,"
    "DEVICETIMEOUT,DEVICEIOERROR,SYSTEMCMDERROR,Chequeo de usuario,Permiso denegado,"
    "StructMemError,ScreenStructErr,Memory Leaks,Windows Control Error,Memory Overflow,"
    "Variable ScreenField,,Datos Existentes,Solamente Acceso Local,"
    "Soporte Grafico Insuficiente");

// Numbered from 1, as in errcode.h's Module.
inline constexpr StrRef kModuleNames(
    "STRINGINIT,STRINGASSIGN,STRCONCAT,VARNMASSIGN,SQLCONNECT,SQLEXEC,EXEC_COMPILER,"
    "Malloc-MemAcums,ExecRunTime,VarStruct,ExpExec,Sort,BufferFld,DynStrings,StructFuncs,"
    "FormatStrings,Streams,DataFile,LocalLists,Screens,Devices,HtmlScan");

inline constexpr StrRef kUndefinedName("Indefinido");

// The name of code; "Indefinido" outside 122-185 and for the reserved code.
// A view into kErrorNames.
StrRef ErrorName(ErrCode code);
// The name of module n (1-22); "Indefinido" for any other number.
StrRef ModuleName(uint16_t n);

// What code means to the user: message 0005 for 0, message 0008 for 1-120,
// the error detail (or the name when it is empty) for 121 and 126, the name
// otherwise.  Code 0xFFFF stands for the code in the last error record.
StrRef ErrorText(ErrCode code);
// The error text; from 128 on preceded by message 0009 and followed by the
// recorded module's name in brackets and ": " with the detail.
StrRef FullErrorText(ErrCode code);

}  // namespace tol
