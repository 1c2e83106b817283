// The main window of a small application, headless: its picture, its menu
// commands, the close request and its confirmation, help, the popup
// choice, and the seams it fills for the procedures.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <string>

#include "core/core.h"
#include "core/errors.h"
#include "data/fnfiles.h"
#include "lang/sysvars.h"
#include "proc/procedures.h"
#include "shell/dispatch.h"
#include "shell/env.h"
#include "shell/startsteps.h"
#include "support/recording_display.h"
#include "support/run.h"
#include "support/runtime.h"
#include "winui/backend_headless.h"
#include "winui/mainwin.h"
#include "winui/render.h"
#include "winui/window.h"

namespace tol {
namespace {

using testing::RecordingDisplay;

const char kMenu[] =
    "Archivo\r\n"
    "\tSaludo,PrcExec SALUDO.PRC\r\n"
    "\tC\xE1lculo,PrcExec CALCULO.PRC\r\n"
    "Ayuda,Help\r\n";

// A backend with a person at the other end whose terminal has gone.
class GoneTerminal final : public Backend {
 public:
  const char* Name() const override { return "gone"; }
  void ScreenCells(int32_t* cols, int32_t* rows) override {
    *cols = 80;
    *rows = 24;
  }
  void Present(const CellGrid&) override {}
  bool PollInput(InputEvent* ev) override {
    if (told_) return false;
    told_ = true;
    *ev = InputEvent{};
    ev->kind = InputEvent::END;
    return true;
  }
  void Idle(int) override {}
  int64_t NowMillis() override { return 0; }
  int32_t TrackPopup(const Menu&, int32_t, int32_t) override { return -1; }
  bool Interactive() const override { return true; }
  BoxAnswer MessageBox(StrRef, StrRef, BoxStyle style) override {
    return DefaultAnswer(style.buttons);
  }

 private:
  bool told_ = false;
};

class MainWinTest : public ::testing::Test {
 protected:
  MainWinTest() : shown(display) {
    EXPECT_EQ(rt.init_result(), E_OK);
    EXPECT_EQ(StepLocaleTexts(), E_OK);
    EXPECT_EQ(SetEnvValue(ENV_LANGMODULE, "ES"), E_OK);  // day, month, year
    display.main_window = true;
    ConnectFileFunctions();
    ProcInstall();
    auto b = std::make_unique<HeadlessBackend>();
    b->SetScreen(70, 6);
    headless = b.get();
    InstallBackend(std::move(b));
    MainWindowInstall();
    before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    EXPECT_EQ(SetEnvValue(ENV_APNAME, "RAZAVIZ1:AdminLocal"), E_OK);
    EXPECT_EQ(SetEnvValue(ENV_APDESCRIP, "Tienda"), E_OK);
    EXPECT_EQ(SetEnvValue(ENV_DATABASE, "srv,'tienda',ana,clave"), E_OK);
    EXPECT_EQ(SetEnvValue(ENV_DOCPATH, StrRef::Of(dir.path())), E_OK);
    dir.Write("P1MENU.PMT", kMenu);
    dir.Write("SALUDO.PRC", "R=WRITE('SALUDO.TXT';-3;'hola')\r\nEND\r\n");
  }
  ~MainWinTest() override { std::filesystem::current_path(before); }

  // dd-mm-yy as the calendar says today.
  static std::string Today() {
    std::time_t t = std::time(nullptr);
    std::tm tm = *std::localtime(&t);
    char buf[16];
    std::strftime(buf, sizeof buf, "%d-%m-%y", &tm);
    return buf;
  }
  std::string Folder() const { return std::filesystem::path(dir.path()).filename().string(); }
  std::string Picture(int32_t cols, int32_t rows) {
    CellGrid g;
    RenderScreen(Sys(), cols, rows, &g);
    return GridText(g);
  }
  void Open() { ASSERT_EQ(OpenMainWindow("P1MENU"), E_OK); }

  testing::TestRuntime rt;
  RecordingDisplay display;
  DisplayScope shown;
  testing::TempDir dir;
  std::filesystem::path before;
  HeadlessBackend* headless = nullptr;
};

TEST_F(MainWinTest, OpensWithItsTitleAndTheMenuBarOfTheStartProgram) {
  Open();
  std::string title = " Tienda  |  " + Today() + "  |  tienda " + Folder() + " |  ";
  ASSERT_LT(title.size(), 60u);
  std::string want = "+ " + title + " " + std::string(70 - 4 - title.size(), '-') + "+\n" +
                     "| Archivo  Ayuda" + std::string(70 - 17, ' ') + "|\n" + "|" +
                     std::string(68, ' ') + "|\n" + "|" + std::string(68, ' ') + "|\n" + "|" +
                     std::string(68, ' ') + "|\n" + "+" + std::string(68, '-') + "+\n";
  EXPECT_EQ(Picture(70, 6), want);
  Hwnd main = MainWindow();
  ASSERT_NE(main, 0u);
  EXPECT_EQ(win::GetWindowText(main), title);
  EXPECT_EQ(win::Get(main)->cls, "RAZAVIZ1");
  EXPECT_TRUE(SysTest(_SCRSTAT, 2));
  // The submenu holds the two entries with their identifiers; the
  // commands are the entries' own.
  Menu* bar = win::GetMenu(win::Get(main)->menu);
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(bar->items.size(), 2u);
  Menu* file = win::GetMenu(bar->items[0].id);
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(file->items.size(), 2u);
  EXPECT_EQ(file->items[1].text, "C\xE1lculo");
  EXPECT_EQ(file->items[1].id, 1501u);
  EXPECT_EQ(bar->items[1].id, 1502u);
  EXPECT_EQ(MenuCommand(1), StrRef("PrcExec CALCULO.PRC"));
  EXPECT_TRUE(display.boxes.empty());
}

TEST_F(MainWinTest, WithoutAMenuFileTheWindowHasNoMenuBar) {
  ASSERT_EQ(OpenMainWindow("NOMENU"), E_OK);
  EXPECT_EQ(win::Get(MainWindow())->menu, 0u);
  EXPECT_TRUE(display.boxes.empty());
}

TEST_F(MainWinTest, ChosenEntryRunsItsProcedureAndTheLoopEndsWithTheInput) {
  Open();
  headless->QueuePopupChoice(0);
  headless->QueueKey(VK_F12);  // the first menu, its first entry
  MainMessageLoop();
  EXPECT_EQ(dir.Read("SALUDO.TXT"), "hola");
  EXPECT_TRUE(display.boxes.empty());
  // Input used up: nothing more can happen, the loop has ended.
  EXPECT_TRUE(Win().quitting);
}

TEST_F(MainWinTest, FailingCommandsAndHelpAreShownAndTheWindowStays) {
  Open();
  struct Case {
    uint16_t event;
    ErrCode code;
    const char* says;
  } cases[] = {
      {MAIN_MENU_COMMAND | (2 << 8), E_FEATUREREMOVED, "Help"},  // the entry "Ayuda,Help"
      {MAIN_HELP, E_FEATUREREMOVED, "Help"},
      {MAIN_MENU_COMMAND | (1 << 8), E_FILENOTFOUND, "CALCULO.PRC"},  // no such file
  };
  for (const Case& c : cases) {
    display.boxes.clear();
    EXPECT_EQ(MainWindowEvent(c.event), c.code) << c.event;
    ASSERT_EQ(display.boxes.size(), 1u) << c.event;
    EXPECT_NE(display.boxes[0].text.find(c.says), std::string::npos) << display.boxes[0].text;
    EXPECT_NE(MainWindow(), 0u);
  }
  // F1 in the main window is the help key.  (The polls of the runs above
  // saw the headless input end: the backend starts it afresh.)
  display.boxes.clear();
  headless->QueueKey(VK_F1);
  InstallBackend(std::move(Win().backend));
  MainMessageLoop();
  ASSERT_EQ(display.boxes.size(), 1u);
  EXPECT_NE(display.boxes[0].text.find("Help"), std::string::npos);
}

TEST_F(MainWinTest, CloseRequestAsksOnlyWithOneWindowOpen) {
  struct Case {
    const char* name;
    bool second_window, auxstat32;
    BoxAnswer answer;
    bool closed;
    const char* says;  // the box's text, or none
  } cases[] = {
      {"yes", false, false, ANSWER_YES, true,
       "Desea Cerrar la aplicacion? (0 Pantallas, 1 Ventanas)"},
      {"no", false, false, ANSWER_NO, false, "Desea Cerrar"},
      {"two windows", true, false, ANSWER_YES, false,
       "Aun hay ventanas abiertas (0 Pantallas, 2 Ventanas)"},
      {"_AUXSTAT 32", false, true, ANSWER_NO, true, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Open();
    Hwnd main = MainWindow();
    Hwnd other = c.second_window
                     ? WindowCreate("Scr", "otra", WS_CAPTION, 24, 24, 240, 120, 0, RuntimeWndProc)
                     : 0;
    SysSetBits(_AUXSTAT, 32, c.auxstat32);
    display.boxes.clear();
    display.answers = {c.answer};
    win::PostMessage(main, WM_CLOSE, 0, 0);
    // The loop would wait for the timer for ever: only the close ends it.
    if (c.closed) win::SetTimer(main, 1, 5);
    MainMessageLoop();
    EXPECT_EQ(MainWindow() == 0, c.closed);
    if (c.says) {
      ASSERT_EQ(display.boxes.size(), 1u);
      EXPECT_NE(display.boxes[0].text.find(c.says), std::string::npos) << display.boxes[0].text;
      EXPECT_EQ(display.boxes[0].style.buttons, c.second_window ? BUTTONS_OK : BUTTONS_YESNO);
    } else {
      EXPECT_TRUE(display.boxes.empty());
    }
    win::KillTimer(main, 1);
    if (other) win::DestroyWindow(other);
    if (MainWindow()) win::DestroyWindow(MainWindow());
    Sys().queue.clear();
    Win().quitting = false;
    InstallBackend(std::make_unique<HeadlessBackend>());
    headless = static_cast<HeadlessBackend*>(Win().backend.get());
  }
}

TEST_F(MainWinTest, PopupChoiceAnswersTheItemOrZero) {
  static bool asked;
  asked = false;
  struct Case {
    int32_t choose;  // the item the user picks, -1 dismisses
    bool owner;
    uint16_t want;
  } cases[] = {{-1, false, 0}, {2, false, 3}, {0, true, 1}, {-1, true, 0}};
  Open();
  for (const Case& c : cases) {
    size_t windows = Sys().windows.size();
    headless->QueuePopupChoice(c.choose);
    PopupPosition at = [](int32_t* x, int32_t* y) {
      asked = true;
      *x = 120;
      *y = 96;
      return true;
    };
    EXPECT_EQ(PopupChoice(c.owner ? MainWindow() : 0, "A,'B',C", at), c.want) << c.choose;
    // The owner made for the moment is gone again.
    EXPECT_EQ(Sys().windows.size(), windows);
    EXPECT_TRUE(asked);
  }
  EXPECT_EQ(PopupChoice(0, ""), 0);
}

TEST_F(MainWinTest, WindowsMadeAfterTheMarkAreDestroyedAndTheMainWindowStays) {
  Open();
  Hwnd main = MainWindow();
  uint32_t mark = WindowsMark();
  Hwnd screen = WindowCreate("Scr", "a", WS_CAPTION, 24, 24, 240, 120, 0, RuntimeWndProc);
  Hwnd dialog =
      WindowCreate("Dlg", "b", WS_CAPTION | kModalFlag, 48, 48, 240, 120, 0, DialogWndProc);
  Hwnd label =
      win::CreateWindowEx(0, "STATIC", "nuevo", WS_CHILD | WS_VISIBLE, 0, 0, 120, 24, main, 0);
  ASSERT_NE(dialog, 0u);
  EXPECT_FALSE(win::IsWindowEnabled(screen));  // the modal dialog disabled it
  WindowsRestore(mark);
  for (Hwnd h : {screen, dialog, label}) EXPECT_FALSE(win::IsWindow(h)) << h;
  EXPECT_TRUE(win::IsWindow(main));
  EXPECT_EQ(WindowTop(), main);
  EXPECT_EQ(WindowCount(), 1);
  EXPECT_TRUE(win::IsWindowEnabled(main));
  EXPECT_EQ(Proc().hooks.windows_mark, &WindowsMark);
  EXPECT_EQ(Proc().hooks.windows_restore, &WindowsRestore);
}

TEST_F(MainWinTest, PollEndsAnEndlessProcedureOnlyWhenTheUserIsGone) {
  dir.Write("LOOP.PRC", "I=0\r\nDO_WHILE 1\r\n  I=I+1\r\nLOOP\r\nEND\r\n");
  dir.Write("SHORT.PRC", "I=0\r\nDO_WHILE I<100\r\n  I=I+1\r\nLOOP\r\nEND\r\n");
  Open();
  // Headless input used up is not a user who left: batch runs go on.
  EXPECT_EQ(Dispatch("PrcExec SHORT.PRC"), E_OK);
  EXPECT_FALSE(Win().quitting);
  // The cancel flag ends the run once and is used up by it.
  Win().cancel = true;
  EXPECT_EQ(Dispatch("PrcExec LOOP.PRC"), E_CANCEL);
  EXPECT_FALSE(Win().cancel);
  EXPECT_EQ(Dispatch("PrcExec SHORT.PRC"), E_OK);
  // A poll hands queued messages on but leaves a quit for the loop.
  win::PostMessage(MainWindow(), WM_CLOSE, 0, 0);
  PostQuit(0);
  SysSetBits(_AUXSTAT, 32, true);
  EXPECT_FALSE(MessagePoll());
  EXPECT_EQ(MainWindow(), 0u);
  ASSERT_FALSE(Sys().queue.empty());
  EXPECT_EQ(Sys().queue.front().message, WM_QUIT);
  // A terminal that has gone ends the endless run.
  Sys().queue.clear();
  InstallBackend(std::make_unique<GoneTerminal>());
  EXPECT_EQ(Dispatch("PrcExec LOOP.PRC"), E_CANCEL);
  EXPECT_TRUE(Win().quitting);
}

TEST_F(MainWinTest, BadInputDoesNotBreakTheWindow) {
  // 250 entries: those past the 200 that identifiers can name are shown
  // but choose nothing.
  std::string big = "Muchos\r\n";
  for (int i = 0; i < 250; ++i)
    big += "\tE" + std::to_string(i) + ",ExpEval A=" + std::to_string(i) + "\r\n";
  dir.Write("BIG.PMT", big);
  ASSERT_EQ(OpenMainWindow("BIG"), E_OK);
  Menu* bar = win::GetMenu(win::Get(MainWindow())->menu);
  ASSERT_NE(bar, nullptr);
  Menu* sub = win::GetMenu(bar->items[0].id);
  ASSERT_EQ(sub->items.size(), 250u);
  EXPECT_EQ(sub->items[199].id, 1699u);
  EXPECT_EQ(sub->items[200].id, 0u);
  headless->QueuePopupChoice(210);
  headless->QueueKey(VK_F12);
  MainMessageLoop();
  EXPECT_TRUE(display.boxes.empty());
  win::DestroyWindow(MainWindow());
  // A screen smaller than 80 by 24 cuts the picture; a menu file that
  // cannot be read is shown and leaves the window without its bar.
  dir.Write("BAD.PPN", "not a definition");
  Win().quitting = false;
  headless->SetScreen(20, 3);
  InstallBackend(std::move(Win().backend));
  ASSERT_EQ(OpenMainWindow("BAD"), E_OK);
  EXPECT_EQ(win::Get(MainWindow())->menu, 0u);
  EXPECT_EQ(display.boxes.size(), 1u);
  std::string pic = Picture(20, 3);
  EXPECT_EQ(pic.substr(0, 4), "+  T") << pic;
  EXPECT_EQ(pic.size(), 3u * 21u) << pic;
}

TEST_F(MainWinTest, ShellStepsOpenTheWindowAndRunItsLoop) {
  EXPECT_EQ(StepOpenMainWindow("P1MENU"), E_OK);
  EXPECT_NE(MainWindow(), 0u);
  headless->QueueKey(VK_ESCAPE);  // asks; the default answer is yes
  StepMessageLoop();
  EXPECT_EQ(MainWindow(), 0u);
  ASSERT_EQ(display.boxes.size(), 1u);
  EXPECT_NE(display.boxes[0].text.find("Desea Cerrar"), std::string::npos);
}

}  // namespace
}  // namespace tol
