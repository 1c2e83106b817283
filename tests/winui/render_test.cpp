// The headless picture of the screen and the window tree, compared with
// what a user would see.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <string>

#include "core/core.h"
#include "lang/lang.h"
#include "winui/backend_headless.h"
#include "winui/controls.h"
#include "winui/render.h"
#include "winui/window.h"

namespace tol {
namespace {

class RenderTest : public ::testing::Test {
 protected:
  RenderTest() {
    auto b = std::make_unique<HeadlessBackend>();
    b->SetScreen(40, 10);
    headless = b.get();
    scope = std::make_unique<WinScope>(std::move(b));
  }
  // A small form: a framed window two cells in and one down, with a label,
  // an edit field, a check box, a button and a progress bar.
  void BuildForm() {
    form = WindowCreate("Form", "Datos", WS_CAPTION | WS_SYSMENU, 24, 24, 24 * 12, 7 * 24, 0,
                        RuntimeWndProc);
    LabelCreate(form, 0, 0, 7 * 12, 24, "Nombre:");
    name = win::CreateWindowEx(0, "EDIT", "Ana", EditStyle('A', true), 8 * 12, 0, 10 * 12, 24, form,
                               2001);
    amount = win::CreateWindowEx(0, "EDIT", "12,5", EditStyle('N', true), 8 * 12, 24, 6 * 12, 24,
                                 form, 2002);
    Hwnd box = win::CreateWindowEx(0, "BUTTON", "SI", WS_CHILD | WS_VISIBLE | BS_CHECKBOX, 0, 48,
                                   8 * 12, 24, form, 2003);
    win::Get(box)->checked = true;
    win::CreateWindowEx(0, "BUTTON", "Grabar", WS_CHILD | WS_VISIBLE, 12 * 12, 48, 8 * 12, 24, form,
                        1);
    Hwnd bar = win::CreateWindowEx(0, "msctls_progress32", "", WS_CHILD | WS_VISIBLE, 0, 96,
                                   20 * 12, 24, form, 3);
    win::SetProgressPos(bar, 50);
    WindowShowTop(-1);
  }
  std::string Picture() {
    CellGrid g;
    RenderScreen(Sys(), 40, 10, &g);
    return GridText(g);
  }
  LangScope lang;
  std::unique_ptr<WinScope> scope;
  HeadlessBackend* headless;
  Hwnd form = 0, name = 0, amount = 0;
};

TEST_F(RenderTest, SmallFormPicture) {
  BuildForm();
  win::SetFocus(name);
  const char* want =
      "\n"
      "  + Datos ---------------+\n"
      "  |Nombre: Ana_______    |\n"
      "  |        __12,5        |\n"
      "  |[X] SI      [Grabar]  |\n"
      "  |                      |\n"
      "  |##########__________  |\n"
      "  +----------------------+\n"
      "\n"
      "\n";
  EXPECT_EQ(Picture(), want);
  // The backend is shown the same picture when the loop has nothing to do.
  win::Idle(0);
  EXPECT_EQ(headless->last_picture(), want);
  const char* tree =
      "FORM #256 id=0 (24,24 288x168) style=00C80000 \"Datos\"\n"
      "  STATIC #257 id=0 (0,0 84x24) style=50000000 \"Nombre:\"\n"
      "  EDIT #258 id=2001 (96,0 120x24) style=50010080 \"Ana\" focus\n"
      "  EDIT #259 id=2002 (96,24 72x24) style=50010082 \"12,5\"\n"
      "  BUTTON #260 id=2003 (0,48 96x24) style=50000002 \"SI\" checked\n"
      "  BUTTON #261 id=1 (144,48 96x24) style=50000000 \"Grabar\"\n"
      "  MSCTLS_PROGRESS32 #262 id=3 (0,96 240x24) style=50000000 \"\"\n";
  EXPECT_EQ(WindowTree(Sys()), tree);
}

TEST_F(RenderTest, PanelTextIsCentredAcrossTheClientArea) {
  Hwnd w = WindowCreate("Panel", "Aviso", WS_CAPTION, 0, 0, 20 * 12, 4 * 24, 0, RuntimeWndProc);
  ASSERT_EQ(PanelPaint(w, "Espere"), E_OK);
  WindowShowTop(-1);
  EXPECT_EQ(Picture(),
            "+ Aviso -----------+\n"
            "|      Espere      |\n"
            "|                  |\n"
            "+------------------+\n"
            "\n\n\n\n\n\n");
  EXPECT_EQ(PanelPaint(0, "x"), E_DATA);
}

TEST_F(RenderTest, BackendIsChosenByTheEnvironment) {
  const char* was = std::getenv("TOLVINA_DISPLAY");
  std::string keep = was ? was : "";
  setenv("TOLVINA_DISPLAY", "headless", 1);
  EXPECT_STREQ(MakeBackend()->Name(), "headless");
  // Standard input is no terminal under the test runner.
  unsetenv("TOLVINA_DISPLAY");
  if (!isatty(0)) {
    EXPECT_STREQ(MakeBackend()->Name(), "headless");
  }
  if (was) setenv("TOLVINA_DISPLAY", keep.c_str(), 1);
}

TEST_F(RenderTest, TypingShowsInTheFieldAndPasswordsStayHidden) {
  BuildForm();
  win::SetWindowText(name, "");
  win::Get(name)->style |= ES_PASSWORD;
  win::SetFocus(name);
  headless->QueueText("clave");
  RunWindow(0);
  EXPECT_EQ(win::GetWindowText(name), "clave");
  EXPECT_NE(headless->last_picture().find("|Nombre: *****_____    |"), std::string::npos)
      << headless->last_picture();
}

TEST_F(RenderTest, MenuBarListViewAndScrolledDialog) {
  Hmenu bar = win::CreateMenu(), sub = win::CreatePopupMenu();
  ASSERT_EQ(MenuAppend(sub, 1500, "Clientes", "MantMain CLI"), E_OK);
  ASSERT_EQ(MenuAppend(bar, 0, "Archivo", StrRef(), sub), E_OK);
  ASSERT_EQ(MenuAppend(bar, 1501, "Ayuda", "Help"), E_OK);
  Hwnd main = WindowCreate("Main", "Tolvina", WS_CAPTION, 0, 0, 40 * 12, 10 * 24, bar, MainWndProc);
  uint16_t lv = ListViewCreate(main, 0, 0, 20 * 12, 5 * 24);
  ASSERT_EQ(ListViewColumn(lv, 0, "Art", 'A', 4 * 12 - 2), E_OK);
  ASSERT_EQ(ListViewColumn(lv, 1, "Euros", 'N', 6 * 12), E_OK);
  ASSERT_EQ(ListViewCell(lv, 0, 0, "A1"), E_OK);
  ASSERT_EQ(ListViewCell(lv, 0, 1, "9,95"), E_OK);
  ASSERT_EQ(ListViewCell(lv, 1, 0, "B2"), E_OK);
  ASSERT_EQ(ListViewSelect(lv, 1, true), E_OK);
  WindowShowTop(-1);
  EXPECT_EQ(Picture(),
            "+ Tolvina -----------------------------+\n"
            "| Archivo  Ayuda                       |\n"
            "|+------------------+                  |\n"
            "||Art | Euros       |                  |\n"
            "||A1  |  9,95       |                  |\n"
            "||B2  |             |                  |\n"
            "|+------------------+                  |\n"
            "|                                      |\n"
            "|                                      |\n"
            "+--------------------------------------+\n");
  // A dialog taller than the screen is cut to it with a vertical bar.
  Hwnd dlg = WindowOpenKind(5, 0, "Big", 0, 20, 12, DialogWndProc);
  ASSERT_NE(dlg, 0u);
  win::CreateWindowEx(0, "EDIT", "top", WS_CHILD | WS_VISIBLE, 0, 0, 5 * 12, 24, dlg, 2001);
  WindowShowTop(-1);
  EXPECT_EQ(Picture(),
            "+ Tolvin+ Big -----------------+-------+\n"
            "| Archiv|top__                ^|       |\n"
            "|+------|                     :|       |\n"
            "||Art | |                     :|       |\n"
            "||A1  | |                     :|       |\n"
            "||B2  | |                     :|       |\n"
            "|+------|                     :|       |\n"
            "|       |                     :|       |\n"
            "|       |                     v|       |\n"
            "+-------+----------------------+-------+\n");
}

}  // namespace
}  // namespace tol
