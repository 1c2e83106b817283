// MenuTree files as menu trees: list form, structured form, numbering and limits.
#include <gtest/gtest.h>

#include <sstream>

#include "core/core.h"
#include "host/path.h"
#include "lang/sysvars.h"
#include "shell/env.h"
#include "shell/menus.h"
#include "support/run.h"
#include "support/runtime.h"

namespace tol {
namespace {

// The tree as one line per item: indentation, caption, identifier.
std::string Dump(const std::vector<MenuEntry>& items, int depth = 0) {
  std::ostringstream os;
  for (const MenuEntry& i : items) {
    os << std::string(depth * 2, ' ') << i.caption;
    if (!i.popup()) os << " #" << i.id << (i.enabled ? "" : " off");
    os << "\n" << Dump(i.children, depth + 1);
  }
  return os.str();
}

class MenusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SetEnvValue(ENV_DOCPATH, StrRef::Of(host::RuntimePath(dir.path()))), E_OK);
  }
  testing::TestRuntime rt;
  testing::TempDir dir;
  MenuTree menu;
};

TEST_F(MenusTest, ListFormLevelsAndCommands) {
  dir.Write("M.PMT",
            "Archivo\r\n\tClientes,MantMain CLI\r\n\tSalir,ExpEval A%=1\r\nAyuda,Help\r\n");
  ASSERT_EQ(BuildMenuFile("M.PMT", &menu), E_OK);
  EXPECT_EQ(Dump(menu.items), "Archivo\n  Clientes #1500\n  Salir #1501\nAyuda #1502\n");
  EXPECT_EQ(MenuCommand(0), StrRef("MantMain CLI"));
  EXPECT_EQ(MenuCommand(1), StrRef("ExpEval A%=1"));
  EXPECT_EQ(MenuCommand(2), StrRef("Help"));
}

TEST_F(MenusTest, ListFormNesting) {
  std::vector<std::string> lines = {
      "'Ventas, compras'",       // a quoted comma keeps a title
      "Facturas,Report F",       // right after a title, even without a tab
      "\t\tAlbaranes,Report A",  // deeper: still the current menu
      "\tListados",
      "\t\tDiario,Report D",
      "Fin,ExpEval 1",  // closes both submenus
  };
  ASSERT_EQ(BuildMenuFromLines(lines, &menu), E_OK);
  // A line is closed against the previous line's level, so "Listados"
  // (one tab after two) closes the open submenu.
  EXPECT_EQ(Dump(menu.items),
            "Ventas, compras\n  Facturas #1500\n  Albaranes #1501\nListados\n"
            "  Diario #1502\nFin #1503\n");
}

TEST_F(MenusTest, EntriesPastTwoHundredAreDisabled) {
  std::vector<std::string> lines;
  for (int i = 0; i < 205; ++i) lines.push_back("E" + std::to_string(i) + ",ExpEval 1");
  ASSERT_EQ(BuildMenuFromLines(lines, &menu), E_OK);
  ASSERT_EQ(menu.items.size(), 205u);
  EXPECT_EQ(menu.items[199].id, 1699);
  EXPECT_FALSE(menu.items[200].enabled);
  EXPECT_EQ(menu.entries, 205);
}

TEST_F(MenusTest, StructuredFormWithLoad) {
  dir.Write("P.PPN",
            "01 CALLER$='2,0,3'\r\n"
            "02 MENU$='Archivo,Clientes,Articulos' EXEC$=\"'MantMain CLI',mantmain art\"\r\n"
            "03 MENU$='Informes,Ventas' EXEC$=\"'Report,VENTAS,10'\" LOAD$='OTRO.PPN,1'\r\n");
  dir.Write("OTRO.PPN", "01 MENU$='Diario,Mensual' EXEC$=\"'Report D'\"\r\n");
  ASSERT_EQ(BuildMenuFile("P.PPN", &menu), E_OK);
  // With a command base the loaded module's entries start at MENU$ item 1.
  EXPECT_EQ(Dump(menu.items),
            "Archivo\n  Clientes #1500\n  Articulos #1501\nInformes\n  Ventas\n"
            "    Diario #1502\n    Mensual #1503\n");
  // Commands are clean values: quoted ones keep their case.
  EXPECT_EQ(MenuCommand(0), StrRef("MantMain CLI"));
  EXPECT_EQ(MenuCommand(1), StrRef("MANTMAIN ART"));
  EXPECT_EQ(MenuCommand(2), StrRef("Report D"));
  // No EXEC$ item: the base "Report VENTAS", "," and the start 10 plus i.
  EXPECT_EQ(MenuCommand(3), StrRef("Report VENTAS,12"));
  EXPECT_FALSE(SysTest(_COMPAT, 16));  // restored
}

TEST_F(MenusTest, StructuredFormFailures) {
  dir.Write("S.PPN", "01 CALLER$='4'\r\n");
  EXPECT_EQ(BuildMenuFile("S.PPN", &menu), E_FILENOTFOUND);
  dir.Write("L.PPN", "01 CALLER$='2'\r\n02 MENU$='A,B' LOAD$='L.PPN,2'\r\n");
  EXPECT_EQ(BuildMenuFile("L.PPN", &menu), E_LOOP);  // a module that loads itself
  EXPECT_EQ(BuildMenuFile("NONE.PMT", &menu), E_FILENOTFOUND);
  EXPECT_EQ(MenuFileOf("NONE"), StrRef(""));
  dir.Write("P1MENU.PPN", "01 CALLER$=''\r\n");
  EXPECT_EQ(MenuFileOf("P1MENU;Caption,2"),
            StrRef::Of(host::RuntimePath(dir.path()) + "\\P1MENU.PPN"));
}

}  // namespace
}  // namespace tol
