// Message catalogue: references, the built-in texts, language modules (file
// format, look-up, fallback, damaged files), translated names, the locale
// texts and the LANGVARS file.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/core.h"
#include "core/text.h"
#include "host/path.h"
#include "shell/env.h"
#include "shell/messages.h"

namespace tol {
namespace {

namespace fs = std::filesystem;

std::string Text(StrRef t) {
  return t.ok() ? t.str() : "<failure " + std::to_string(t.err()) + ">";
}

class MessagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("tolvina_msg_" + std::to_string(getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    SetEnv(ENV_DOCPATH, host::RuntimePath(dir_.string()));
  }
  void TearDown() override { fs::remove_all(dir_); }

  void SetEnv(uint16_t item, const std::string& v) {
    ASSERT_EQ(SetEnvValue(item, StrRef::Of(v)), E_OK);
  }
  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }
  std::string Msg(const std::string& ref) { return Text(Message(StrRef::Of(ref))); }
  std::string Builtin(const std::string& ref) { return Text(BuiltinMessage(StrRef::Of(ref))); }
  MessageState& state() { return *msgs_; }

  CoreScope core_;
  StateScope<MessageState> msgs_;
  fs::path dir_;
};

TEST_F(MessagesTest, ReferenceNumbers) {
  struct Case {
    const char* ref;
    uint16_t number;
  } cases[] = {
      {"0023", 23},   {"0023 Otro texto", 23},
      {"9999", 9999}, {"0000", 0},
      {"abcd", 0},    {"SI", 0},
      {"Y", 0},       {"-001", 0},
      {"", 0},        {" 12 x", 12},
  };
  for (const Case& c : cases) EXPECT_EQ(MessageNumber(StrRef::FromC(c.ref)), c.number) << c.ref;
}

TEST_F(MessagesTest, BuiltinCatalogueWithoutModule) {
  struct Case {
    const char* ref;
    std::string text;
  } cases[] = {
      {"0031", "Proceso no definido"},
      {"0023 Otro texto", "Otro texto"},  // the default wording wins over the catalogue
      {"0001", "Error al inicializar la Memoria"},
      {"0008", "Precauci\xF3n "},
      {"0039",
       "\xBF"
       "Continuar?"},
      {"0040",
       "\xBF"
       "Desea ver Incidencias?"},
      {"0088", "Selecci\xF3n de Fichero"},
      {"0089", "Relativa,Secuencial,Delimitada,Listado"},
      {"0130", "Salir,Imprimir,Grabar"},
      {"1001", "N\xBA de Factura existente. Cambie el N\xFAmero"},
      {"1012", "ALBARA_VENTAS,REGISTRO,VENCIMIENTOS"},
      {"0017", "Parametros incorrectos para campo de pantalla%s\r\n (%s)"},
      {"0033",
       "Recuerde sus Copias de Seguridad\n\r\xBF"
       "Desea Cerrar la aplicacion? (%i Pantallas, %i Ventanas)"},
      {"0110", "'Informes','\tCrear Nuevo,[$]','\tInformes,[$]%APNAME%report.ppn'"},
      {"0120", "'Ayuda','\tAyuda,Help','\tAcerca de,Help About'"},
      {"0069", ""},  // numbers without an entry
      {"0131", ""},
      {"1000", ""},
      {"0000 Texto", ""},  // number 0: no default wording, no entry
      {"Hola", ""},
      {"SI", ""},
      {"00", ""},
      {"0999 Sin entrada", "Sin entrada"},
  };
  for (const Case& c : cases) EXPECT_EQ(Msg(c.ref), c.text) << c.ref;
  EXPECT_EQ(state().load, LANG_NONE);
  EXPECT_EQ(Text(MessageText(31)), "Proceso no definido");
  EXPECT_EQ(Text(MessageText(0)), "");
  EXPECT_EQ(Text(MessageText(10000)), "");
}

TEST_F(MessagesTest, QuotedListsKeepTheirTabsInOneEntry) {
  std::string t = Builtin("0111");
  EXPECT_EQ(t.rfind("'Transacciones','\tExportaciones','\t\tRelativa,[$]4'", 0), 0u) << t;
  std::string tail = ",'\tPredefinidas,[$]0'";
  EXPECT_EQ(t.substr(t.size() - tail.size()), tail);
  EXPECT_EQ(Builtin("0112"), "Un Programa Externo ha terminado con un error %s");
}

TEST_F(MessagesTest, FailedReferencePassesThrough) {
  EXPECT_EQ(Message(StrRef::Fail(E_DATA)).err(), E_DATA);
}

TEST_F(MessagesTest, ModuleGapsCommentsAndLineBreaks) {
  Write("OV_LANG_XX.MSJ",
        "Language module for tests\r\n"
        "\r\n"
        "0005 A\r\n"
        "; 0006 is a comment\r\n"
        "0007 B\r\n"
        "0012 Uno\\nDos\n"
        "0013\r\n"
        "0014 Trailing blank \r\n"
        "0020 \tTab");
  EXPECT_EQ(Msg("0006"), "");
  EXPECT_EQ(Msg("0007"), "B");
  EXPECT_EQ(state().load, LANG_LOADED);
  EXPECT_EQ(state().first, 5);
  EXPECT_EQ(state().last, 20);
  EXPECT_EQ(Msg("0005"), "A");
  EXPECT_EQ(Msg("0012"), "Uno\r\nDos");
  EXPECT_EQ(Msg("0013"), "");
  EXPECT_EQ(Msg("0014"), "Trailing blank ");
  EXPECT_EQ(Msg("0015"), "");  // a gap inside the range is empty, not the built-in text
  EXPECT_EQ(Msg("0020"), "\tTab");
  EXPECT_EQ(Msg("0007 Otro"), "B");  // the module wins over the default wording
  // Outside the module's range: the built-in text, or the default wording.
  EXPECT_EQ(Msg("0004"), "Fichero no encontrado:%s");
  EXPECT_EQ(Msg("0031"), "Proceso no definido");
  EXPECT_EQ(Msg("0031 Otro"), "Otro");
}

TEST_F(MessagesTest, ModuleHoldsAtMost256Numbers) {
  std::string file;
  for (int n = 1; n <= 300; ++n) {
    char line[32];
    std::snprintf(line, sizeof line, "%04d T%d\r\n", n, n);
    file += line;
  }
  file += "1001 Invoice number exists\r\n";
  Write("OV_LANG_XX.MSJ", file);
  EXPECT_EQ(Msg("0001"), "T1");
  EXPECT_EQ(Msg("0256"), "T256");
  EXPECT_EQ(state().last, 256);
  EXPECT_EQ(Msg("0257"), "");
  EXPECT_EQ(Msg("0257 Default"), "Default");
  EXPECT_EQ(Msg("1001"), "N\xBA de Factura existente. Cambie el N\xFAmero");
}

TEST_F(MessagesTest, ModuleFileIsChosenByLanguageCode) {
  struct Case {
    const char* code;
    const char* files;  // comma-separated names, each holding "0031 <name>"
    std::string expect;
  } cases[] = {
      {"", "OV_LANG_EN.MSJ,OV_LANG_DE.MSJ", "OV_LANG_DE.MSJ"},  // "*": first by name
      {"EN", "OV_LANG_EN.MSJ,OV_LANG_DE.MSJ", "OV_LANG_EN.MSJ"},
      {"ES", "OV_LANG_ES.MSJ,OV_LANG_ESX.MSJ", "OV_LANG_ES.MSJ"},
      {"PT", "OV_LANG_EN.MSJ", "Proceso no definido"},
      {"", "OV_LANG.MSJ,LANG_EN.MSJ,OV_LANG_EN.TXT", "Proceso no definido"},
  };
  for (const Case& c : cases) {
    CoreScope core;
    StateScope<MessageState> msgs;
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    SetEnv(ENV_DOCPATH, host::RuntimePath(dir_.string()));
    SetEnv(ENV_LANGMODULE, c.code);
    std::string files = c.files;
    for (size_t at = 0; at <= files.size();) {
      size_t comma = std::min(files.find(',', at), files.size());
      std::string name = files.substr(at, comma - at);
      Write(name, "0031 " + name + "\r\n");
      at = comma + 1;
    }
    EXPECT_EQ(Msg("0031"), c.expect) << c.code << " " << c.files;
  }
}

TEST_F(MessagesTest, MissingModuleKeepsBuiltinAndIsLookedForOnce) {
  EXPECT_EQ(Msg("0031"), "Proceso no definido");
  EXPECT_EQ(state().load, LANG_NONE);
  Write("OV_LANG_EN.MSJ", "0031 Process not defined\r\n");
  EXPECT_EQ(Msg("0031"), "Proceso no definido");
  EXPECT_EQ(LoadLanguageModule(), LANG_NONE);
}

TEST_F(MessagesTest, ModuleWithoutNumberedLinesIsNoModule) {
  Write("OV_LANG_EN.MSJ", "only a comment\r\n0000 zero is no number\r\n");
  EXPECT_EQ(Msg("0031"), "Proceso no definido");
  EXPECT_EQ(state().load, LANG_NONE);
}

TEST_F(MessagesTest, FirstLookupSearchesTheCurrentFolder) {
  SetEnv(ENV_DOCPATH, "");
  Write("OV_LANG_EN.MSJ", "0031 Process not defined\r\n");
  std::string cwd = fs::current_path().string();
  ASSERT_EQ(chdir(dir_.c_str()), 0);
  std::string got = Msg("0031");
  ASSERT_EQ(chdir(cwd.c_str()), 0);
  EXPECT_EQ(got, "Process not defined");
}

TEST_F(MessagesTest, DamagedModuleLoadsWhatItCan) {
  std::string huge(5000, 'x');
  Write("OV_LANG_XX.MSJ",
        "12 not four digits\r\n"
        "00a1 not a number\r\n"
        "0010 ten\r\n"
        "0008 out of order\r\n"
        "0010 duplicate\r\n"
        "0011 " +
            huge +
            "\r\n"
            "0012 twelve\r\n"
            "0013" +
            std::string("\0\xFF\r", 3) +
            "nul and high bytes\r\n"
            "0014 fourteen");  // no line end
  EXPECT_EQ(Msg("0010"), "ten");
  EXPECT_EQ(Msg("0011"), "");  // over-long text reads empty
  EXPECT_EQ(Msg("0012"), "twelve");
  EXPECT_EQ(Msg("0013"), std::string("\xFF\rnul and high bytes"));
  EXPECT_EQ(Msg("0014"), "fourteen");
  EXPECT_EQ(Msg("0008"), "Precauci\xF3n ");
  EXPECT_EQ(state().last, 14);
}

TEST_F(MessagesTest, ModuleTextsPastTheLimitFallBack) {
  std::string file, text(1500, 'y');
  for (int n = 1; n <= 20; ++n) {
    char num[8];
    std::snprintf(num, sizeof num, "%04d ", n);
    file += num + text + "\r\n";
  }
  Write("OV_LANG_XX.MSJ", file);
  EXPECT_EQ(Msg("0001"), text);
  uint16_t held = kModuleTextMax / 1500;
  EXPECT_EQ(state().last, held);
  EXPECT_EQ(Msg("0020"), "Cancelar");
  EXPECT_LE(Slots().Get(kGroupRuntime, kItemLangModule).size(), kModuleTextMax);
}

TEST_F(MessagesTest, GarbageModuleNeverCrashes) {
  std::string junk;
  uint32_t x = 12345;
  for (int i = 0; i < 200000; ++i) {
    x = x * 1103515245 + 12345;
    char c = static_cast<char>(x >> 16);
    junk += (i % 97 == 0) ? '\n' : (i % 89 == 0) ? '0' : c;
  }
  Write("OV_LANG_XX.MSJ", junk);
  for (int n = 1; n < 300; ++n) (void)MessageText(static_cast<uint16_t>(n));
  EXPECT_NE(state().load, LANG_NOT_LOOKED);
  EXPECT_LE(Slots().Get(kGroupRuntime, kItemLangModule).size(), kModuleTextMax);
}

TEST_F(MessagesTest, FullSlotTableLeavesTheBuiltinCatalogue) {
  ASSERT_EQ(Slots().Set(38, 0, StrRef::Of(std::string(SlotTable::kTextBytes - 200, 'z'))), E_OK);
  Write("OV_LANG_EN.MSJ", "0031 " + std::string(1000, 'p') + "\r\n");
  EXPECT_EQ(Msg("0031"), "Proceso no definido");
  EXPECT_EQ(state().load, LANG_NONE);
}

TEST_F(MessagesTest, LanguageIndexAndTranslatedNames) {
  struct Case {
    const char* code;
    const char* name;
    int index;
    std::string expect;
    uint16_t language;
  } cases[] = {
      {"FR", "index.html", -1, "index_fr.html", 3},
      {"PT", "index.html", -1, "index.html", 0},
      {"", "index.html", -1, "index.html", 0},
      {"it", "help.html", -1, "help_it.html", 5},
      {"EN", "help.html", 2, "help_es.html", 1},
      {"EN", "help.html", 0, "help.html", 1},
      {"EN", "help.html", 6, "help.html", 1},
      {"DE", "C:\\doc.v2\\readme", -1, "C:\\doc.v2\\readme_de", 4},
      {"DE", "C:\\doc\\page.old.htm", -1, "C:\\doc\\page.old_de.htm", 4},
  };
  for (const Case& c : cases) {
    SetEnv(ENV_LANGMODULE, c.code);
    EXPECT_EQ(LanguageIndex(), c.language) << c.code;
    EXPECT_EQ(Text(TranslatedFileName(StrRef::FromC(c.name), c.index)), c.expect)
        << c.code << " " << c.name;
  }
}

TEST_F(MessagesTest, LocaleTextsFromTheBuiltinCatalogue) {
  ASSERT_EQ(BuildLocaleTexts(), E_OK);
  std::string expect = Builtin("0019") + '\0' + Builtin("0117") + '\0' + ' ';
  EXPECT_EQ(Text(EnvValue(ENV_LOCALE)), expect);
}

TEST_F(MessagesTest, LocaleTextsChooseTheModule) {
  fs::copy_file(fs::path(TOLVINA_SOURCE_DIR) / "apps/sample/lang/OV_LANG_DE.MSJ",
                dir_ / "OV_LANG_DE.MSJ");
  ASSERT_EQ(BuildLocaleTexts(), E_OK);
  std::string env = Text(EnvValue(ENV_LOCALE));
  EXPECT_EQ(env.rfind(",.'0123456789,-D',' NJ','  ,NEIN,JA'", 0), 0u) << env;
  EXPECT_NE(env.find(std::string("'Januar,Februar,M\xE4rz,")), std::string::npos) << env;
  EXPECT_EQ(env.substr(env.size() - 2), std::string("\0 ", 2));
  EXPECT_EQ(state().load, LANG_LOADED);
}

std::vector<std::string>* g_assignments = nullptr;
ErrCode RecordAssignment(StrRef a) {
  g_assignments->push_back(a.str());
  return a.str().rfind("BAD", 0) == 0 ? E_BADEXPRESION : E_OK;
}

TEST_F(MessagesTest, LanguageVariables) {
  SetEnv(ENV_APNAME, "RAZAVIZ1:AdminLocal");
  EXPECT_EQ(LoadLanguageVariables(), E_OK);  // no file yet
  Write("RALANGVARS.DAT",
        "TITLE$=0034\r\n"
        "comment line without assignment\r\n"
        " COUNT% = 0069\r\n"
        "FIELDS$=0056\r\n"
        "LIST$(2)=0023 Clave\r\n"
        "BAD$=0005 it's \"both\"\r\n"
        "BADNUM#=0101\r\n"
        "LAST$=0031\r\n");
  std::vector<std::string> seen;
  g_assignments = &seen;
  SetLangVarAssign(RecordAssignment);
  EXPECT_EQ(LoadLanguageVariables(), E_OK);
  std::vector<std::string> expect = {
      "TITLE$='Selecci\xF3n de Aplicaci\xF3n'",  "COUNT%=0",
      "FIELDS$=\"'Nombre del Archivo:':'A40'\"", "LIST$(2)='Clave'",
      "BADNUM#=Contados %s registros en %s",     "LAST$='Proceso no definido'",
  };
  EXPECT_EQ(seen, expect);

  Write("RALANGVARS.DAT", "LAST$=0031\r\nBAD$=0031\r\n");
  seen.clear();
  EXPECT_EQ(LoadLanguageVariables(), E_BADEXPRESION);
  EXPECT_EQ(seen.size(), 2u);

  Write("RALANGVARS.DAT", "LAST$=0031\r\nLONG$=0031 " + std::string(5000, 'w') + "\r\n");
  EXPECT_EQ(LoadLanguageVariables(), E_STRINGTOOLONG);
  g_assignments = nullptr;
}

TEST_F(MessagesTest, LanguageVariablesWithoutEvaluator) {
  SetEnv(ENV_APNAME, "RAZAVIZ1");
  Write("RALANGVARS.DAT", "TITLE$=0034\r\n");
  EXPECT_EQ(LoadLanguageVariables(), E_FEATUREREMOVED);
  EXPECT_EQ(LastErrorCode(), E_FEATUREREMOVED);
  EXPECT_NE(Text(ErrorDetail()).find("LANGVARS"), std::string::npos);
}

}  // namespace
}  // namespace tol
