// Error and module names, error texts and full error texts.
#include <gtest/gtest.h>

#include "core/core.h"
#include "core/coremsg.h"
#include "core/errors.h"
#include "core/errtext.h"
#include "core/lists.h"

namespace tol {
namespace {

class ErrTextTest : public ::testing::Test {
 protected:
  CoreScope core;
};

TEST_F(ErrTextTest, ListsHaveOneNamePerCodeAndModule) {
  EXPECT_EQ(ListCount(kErrorNames, ','), E_GRAPHICS - E_DETAIL);
  EXPECT_EQ(ListCount(kModuleNames, ','), M_HTMLSCAN);
}

TEST_F(ErrTextTest, NamesSitAtTheirCodes) {
  struct Case {
    ErrCode code;
    const char* name;
  } cases[] = {
      {E_DETAIL, "Indefinido"},
      {E_CANCEL, "Cancelado por el usuario"},
      {E_NULLEXPR, "Expresion Nula"},
      {E_NODATA, "No hay datos"},
      {E_PROCEXEC, "Ejecuci\xF3n de Procedimiento"},
      {E_READ, "de Lectura"},
      {E_SCREENENV, "de Entorno de Pantalla"},
      {E_OUTOFMEMORY, "OUTOFMEMORY"},
      {E_FEATUREREMOVED, "FEATUREREMOVED"},
      {E_STROUTBOUND, "STROUTBOUND"},
      {E_DATA, "de Datos"},
      {E_FILENOTFOUND, "Fichero no encontrado"},
      {E_DATAOUTBOUND, "DATAOUTBOUND"},
      {E_DENIED, "Permiso denegado"},
      {E_SCREENFIELD, "Variable ScreenField"},
      {E_RESERVED, "Indefinido"},
      {E_DATAEXISTS, "Datos Existentes"},
      {E_GRAPHICS, "Soporte Grafico Insuficiente"},
      {186, "Indefinido"},
      {0, "Indefinido"},
      {E_NOTFOUND, "Indefinido"},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorName(c.code), StrRef::FromC(c.name)) << c.code;
}

TEST_F(ErrTextTest, ModuleNames) {
  struct Case {
    uint16_t n;
    const char* name;
  } cases[] = {
      {M_STRINGINIT, "STRINGINIT"},
      {M_MALLOC_MEMACUMS, "Malloc-MemAcums"},
      {M_EXECRUNTIME, "ExecRunTime"},
      {M_FORMATSTRINGS, "FormatStrings"},
      {M_DATAFILE, "DataFile"},
      {M_HTMLSCAN, "HtmlScan"},
      {0, "Indefinido"},
      {23, "Indefinido"},
  };
  for (const Case& c : cases) EXPECT_EQ(ModuleName(c.n), StrRef::FromC(c.name)) << c.n;
}

// The record holds recorded_code against module; the detail is detail.
struct TextCase {
  ErrCode code;
  uint16_t module;
  const char* detail;
  const char* text;
  const char* full;
};

TEST_F(ErrTextTest, TextAndFullTextByCodeModuleAndDetail) {
  const TextCase cases[] = {
      {0, 0, "", "Proceso Completado Satisfactoriamente", "Proceso Completado Satisfactoriamente"},
      {1, 0, "", "Precauci\xF3n ", "Precauci\xF3n "},
      {120, M_DATAFILE, "x.dat", "Precauci\xF3n ", "Precauci\xF3n "},
      {E_DETAIL, 0, "", "Indefinido", "Indefinido"},
      {E_DETAIL, M_DATAFILE, "disco lleno", "disco lleno", "disco lleno"},
      {E_CANCEL, M_SCREENS, "", "Cancelado por el usuario", "Cancelado por el usuario"},
      {E_BADDATA, 0, "", "Datos incorrectos", "Datos incorrectos"},
      {E_BADDATA, 0, "campo CODIGO", "campo CODIGO", "campo CODIGO"},
      {E_NODATA, M_DATAFILE, "x.dat", "No hay datos", "No hay datos"},
      {E_TYPES, M_MALLOC_MEMACUMS, "", "Tipos Incompatibles",
       "Error Tipos Incompatibles(Malloc-MemAcums)"},
      {E_READ, M_STREAMS, "", "de Lectura", "Error de Lectura(Streams)"},
      {E_FILENOTFOUND, M_DATAFILE, "x.dat", "Fichero no encontrado",
       "Error Fichero no encontrado(DataFile): x.dat"},
      {E_FILENOTFOUND, 0, "x.dat", "Fichero no encontrado", "Error Fichero no encontrado: x.dat"},
      {E_FILENOTFOUND, 0, "", "Fichero no encontrado", "Error Fichero no encontrado"},
      {E_GRAPHICS, M_HTMLSCAN, "", "Soporte Grafico Insuficiente",
       "Error Soporte Grafico Insuficiente(HtmlScan)"},
      {186, 0, "", "Indefinido", "Error Indefinido"},
  };
  for (const TextCase& c : cases) {
    ClearError();
    Report(2, c.module, c.code, 0);
    SetDetail(0, StrRef::FromC(c.detail));
    EXPECT_EQ(ErrorText(c.code), StrRef::FromC(c.text)) << c.code << " " << c.detail;
    EXPECT_EQ(FullErrorText(c.code), StrRef::FromC(c.full)) << c.code << " " << c.detail;
  }
}

TEST_F(ErrTextTest, NotFoundCodeStandsForTheRecordedOne) {
  EXPECT_EQ(ErrorText(E_NOTFOUND), StrRef("Proceso Completado Satisfactoriamente"));
  Fail(M_DATAFILE, E_FILENOTFOUND);
  SetDetail(0, "GADICC.DAT");
  EXPECT_EQ(ErrorText(E_NOTFOUND), StrRef("Fichero no encontrado"));
  EXPECT_EQ(FullErrorText(E_NOTFOUND), StrRef("Error Fichero no encontrado(DataFile): GADICC.DAT"));
}

TEST_F(ErrTextTest, TextOutlivesAChangeOfTheDetail) {
  SetDetail(0, "primera");
  StrRef t = ErrorText(E_DETAIL);
  SetDetail(0, "segunda, mas larga");
  EXPECT_EQ(t, StrRef("primera"));
}

StrRef EnglishError(uint16_t number) {
  if (number == kMsgError) return "Failure ";
  return StrRef::Fail(E_NOTFOUND);
}

TEST_F(ErrTextTest, InstalledCatalogueAnswersFirstAndBuiltInTextsFillItsGaps) {
  SetMessageHook(EnglishError);
  Fail(M_DATAFILE, E_FILENOTFOUND);
  EXPECT_EQ(FullErrorText(E_FILENOTFOUND), StrRef("Failure Fichero no encontrado(DataFile)"));
  EXPECT_EQ(ErrorText(0), StrRef("Proceso Completado Satisfactoriamente"));
  SetMessageHook(nullptr);
  EXPECT_EQ(FullErrorText(E_FILENOTFOUND), StrRef("Error Fichero no encontrado(DataFile)"));
}

}  // namespace
}  // namespace tol
