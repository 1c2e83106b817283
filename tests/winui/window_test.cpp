// The runtime's window layer: the window stack, kinds and placement, the
// message loop and the default window procedure, driven through the
// headless backend's input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/core.h"
#include "lang/lang.h"
#include "lang/sysvars.h"
#include "winui/backend_headless.h"
#include "winui/controls.h"
#include "winui/window.h"

namespace tol {
namespace {

class WindowTest : public ::testing::Test {
 protected:
  WindowTest() : ws(std::make_unique<HeadlessBackend>()) {
    headless = static_cast<HeadlessBackend*>(ws->backend.get());
  }
  Hwnd Open(StrRef title, uint32_t style = WS_CAPTION | WS_SYSMENU, WndProc proc = RuntimeWndProc) {
    return WindowCreate("Scr", title, style, 24, 24, 480, 240, 0, proc);
  }
  bool QueueHas(uint32_t msg) {
    for (const Msg& m : Sys().queue)
      if (m.message == msg) return true;
    return false;
  }
  LangScope lang;
  WinScope ws;
  HeadlessBackend* headless;
};

TEST_F(WindowTest, DestroyingTheOnlyWindowPostsQuitAndTheLoopReturns) {
  Hwnd a = Open("a");
  Hwnd b = Open("b", WS_CAPTION | kModalFlag);
  EXPECT_EQ(WindowDestroy(b), 0);
  EXPECT_FALSE(QueueHas(WM_QUIT));  // a window is left
  EXPECT_EQ(WindowDestroy(b), 65535);
  EXPECT_EQ(WindowDestroy(a), 0);
  EXPECT_TRUE(QueueHas(WM_QUIT));
  EXPECT_EQ(WindowCount(), 0);
  EXPECT_EQ(PumpMessages(0), 1);
}

TEST_F(WindowTest, RunWindowEndsWhenItsWindowCloses) {
  Hwnd a = Open("a");
  Hwnd b = Open("b", WS_CAPTION | kModalFlag);
  EXPECT_FALSE(win::IsWindowEnabled(a));  // modal: the window below is disabled
  win::PostMessage(b, WM_CLOSE, 0, 0);
  RunWindow(b);
  EXPECT_FALSE(win::IsWindow(b));
  EXPECT_FALSE(Win().quitting);  // it ended because b left, not for want of input
  EXPECT_EQ(WindowTop(), a);
  EXPECT_TRUE(win::IsWindowEnabled(a));
  EXPECT_EQ(win::GetFocus(), a);
}

TEST_F(WindowTest, EscapeClosesARuntimeWindowAndReactivatesTheOneBelow) {
  Hwnd a = Open("a");
  Hwnd b = Open("b", WS_CAPTION | kModalFlag);
  win::SetFocus(b);
  headless->QueueKey(VK_ESCAPE, 27);
  RunWindow(b);
  EXPECT_FALSE(win::IsWindow(b));
  EXPECT_EQ(WindowTop(), a);
  EXPECT_TRUE(win::IsWindowEnabled(a));
  EXPECT_EQ(win::GetFocus(), a);
  EXPECT_EQ(WindowCount(), 1);
}

TEST_F(WindowTest, PushingAWindowAlreadyOnTheStackMovesItToTheTop) {
  Hwnd a = Open("a"), b = Open("b"), c = Open("c");
  EXPECT_EQ(WindowValue(a), kNoValue);
  ASSERT_EQ(WindowPush(a, 7), E_OK);
  EXPECT_EQ(WindowTop(), a);
  EXPECT_EQ(WindowValue(a), 7);
  EXPECT_EQ(WindowCount(), 3);
  // Popping now goes a, c, b, each re-activating the new top.
  WindowPop(a);
  EXPECT_EQ(WindowTop(), c);
  EXPECT_EQ(win::GetFocus(), c);
  WindowPop(c);
  EXPECT_EQ(WindowTop(), b);
  WindowPop(b);
  EXPECT_EQ(WindowTop(), 0u);
  WindowPop(b);  // an empty stack stays empty
  EXPECT_EQ(WindowCount(), 0);
  EXPECT_EQ(WindowValue(12345), kNoValue);
}

TEST_F(WindowTest, PoppingAWindowBelowTheTopLeavesTheTopAlone) {
  Hwnd a = Open("a"), b = Open("b"), c = Open("c");
  win::SetFocus(c);
  WindowPop(b);
  EXPECT_EQ(WindowTop(), c);
  WindowPop(c);
  EXPECT_EQ(WindowTop(), a);
  WindowPop(99999);  // not on the stack: nothing moves
  EXPECT_EQ(WindowTop(), a);
}

TEST_F(WindowTest, TheStackRefusesAThirtyThirdWindowWithoutHarm) {
  std::vector<Hwnd> open;
  for (int i = 0; i < kStackSize; ++i) open.push_back(Open("w", WS_CAPTION | kModalFlag));
  for (Hwnd h : open) ASSERT_NE(h, 0u);
  EXPECT_EQ(WindowCount(), kStackSize);
  size_t windows = Sys().windows.size();
  EXPECT_EQ(Open("extra", WS_CAPTION | kModalFlag), 0u);
  EXPECT_EQ(WindowPush(12345, 0), E_NOTFOUND);
  EXPECT_EQ(Sys().windows.size(), windows);  // the refused window is gone again
  EXPECT_EQ(WindowTop(), open.back());
  EXPECT_TRUE(win::IsWindowEnabled(open.back()));  // not left disabled by the refused one
  EXPECT_EQ(WindowCount(), kStackSize);
}

TEST_F(WindowTest, KindsGiveClassNamesAndStyles) {
  ASSERT_EQ(Slots().Set(0, 2, "RAZAVIZ1:AdminLocal"), E_OK);
  struct Case {
    uint16_t kind;
    const char* cls;
    uint32_t style;
  };
  const uint32_t cap = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  const uint32_t dlg = WS_POPUP | WS_CAPTION | WS_SYSMENU | kModalFlag;
  const Case cases[] = {{0, "RAZAVIZ1", cap}, {1, "LnMant", cap},   {3, "MantDlg", dlg},
                        {5, "Dialogx", dlg},  {7, "Progress", dlg}, {8, "RAZAVIZ1", cap},
                        {9, "RAZAVIZ1", dlg}, {11, "RAZAVIZ1", 0}};
  for (const Case& c : cases) {
    std::string cls;
    uint32_t style = 1;
    ASSERT_TRUE(WindowKind(c.kind, &cls, &style)) << c.kind;
    EXPECT_EQ(cls, c.cls) << c.kind;
    EXPECT_EQ(style, c.style) << c.kind;
  }
  ClearError();
  EXPECT_EQ(WindowOpenKind(12, 0, "x", 0, 10, 5, RuntimeWndProc), 0u);
  EXPECT_EQ(LastErrorCode(), E_DATA);
}

TEST_F(WindowTest, WindowPlacedWithXZeroIsCentred) {
  Hwnd a = Open("a");
  Size screen = ScreenSize();  // 80 x 25 cells of 12 x 24
  ASSERT_EQ(screen.w, 960);
  ASSERT_EQ(screen.h, 600);
  ASSERT_EQ(WindowPlace(0, 0, 300, 200), E_OK);
  Rect r = win::GetWindowRect(a);
  EXPECT_EQ(r.x, (960 - 300) / 2);
  EXPECT_EQ(r.y, (600 - 200) / 2);
  EXPECT_FALSE(win::GetScrollInfo(a, SB_VERT).shown || win::GetScrollInfo(a, SB_HORZ).shown);
  // 65535 keeps the place, moved back inside the screen.
  win::MoveWindow(a, 900, 550, 300, 200);
  ASSERT_EQ(WindowPlace(65535, 0, 300, 200), E_OK);
  r = win::GetWindowRect(a);
  EXPECT_EQ(r.x, 660);
  EXPECT_EQ(r.y, 400);
}

TEST_F(WindowTest, WindowLargerThanTheScreenGetsScrollBarsOverTheOverflow) {
  struct Case {
    uint16_t cols, rows;
    bool hbar, vbar;
  };
  const Case cases[] = {{60, 40, false, true}, {120, 10, true, false}, {200, 50, true, true}};
  for (const Case& c : cases) {
    Hwnd h = WindowOpenKind(2, 0, "big", 0, c.cols, c.rows, RuntimeWndProc);
    ASSERT_NE(h, 0u);
    Rect r = win::GetWindowRect(h);
    EXPECT_LE(r.w, 960);
    EXPECT_LE(r.h, 600);
    Rect client = win::GetClientRect(h);
    ScrollInfo hs = win::GetScrollInfo(h, SB_HORZ), vs = win::GetScrollInfo(h, SB_VERT);
    EXPECT_EQ(hs.shown, c.hbar) << c.cols;
    EXPECT_EQ(vs.shown, c.vbar) << c.cols;
    // The range is what the client area cannot show of the content.
    if (c.hbar) {
      EXPECT_EQ(hs.max, c.cols * 12 - client.w) << c.cols;
    }
    if (c.vbar) {
      EXPECT_EQ(vs.max, c.rows * 24 - client.h) << c.cols;
    }
    WindowDestroy(h);
  }
}

TEST_F(WindowTest, ScrollingMovesTheContentsWithinTheRange) {
  Hwnd h = WindowOpenKind(2, 0, "big", 0, 60, 40, RuntimeWndProc);
  Hwnd field = win::CreateWindowEx(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 12, 480, 120, 24, h, 2001);
  int32_t max = win::GetScrollInfo(h, SB_VERT).max;
  win::SendMessage(h, WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(win::GetScrollInfo(h, SB_VERT).pos, 24);
  EXPECT_EQ(win::Get(field)->rc.y, 456);
  win::SendMessage(h, WM_VSCROLL, SB_LINEUP, 0);
  EXPECT_EQ(win::GetScrollInfo(h, SB_VERT).pos, 22);
  win::SendMessage(h, WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(win::GetScrollInfo(h, SB_VERT).pos, max);
  win::SendMessage(h, WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(win::GetScrollInfo(h, SB_VERT).pos, max);
  win::SendMessage(h, WM_VSCROLL, win::MakeWParam(SB_THUMBTRACK, 10), 0);
  EXPECT_EQ(win::GetScrollInfo(h, SB_VERT).pos, 10);
  EXPECT_EQ(win::Get(field)->rc.y, 470);
}

TEST_F(WindowTest, FocusOnAFieldOutOfSightScrollsItIntoView) {
  Hwnd h = WindowOpenKind(2, 0, "big", 0, 60, 40, RuntimeWndProc);
  Hwnd low = win::CreateWindowEx(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 12, 900, 120, 24, h, 2001);
  Hwnd high = win::CreateWindowEx(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 12, 0, 120, 24, h, 2002);
  int32_t visible = win::GetClientRect(h).h;
  win::SetFocus(low);
  EXPECT_EQ(win::GetScrollInfo(h, SB_VERT).pos, 924 - visible);
  EXPECT_EQ(win::Get(low)->rc.bottom(), visible);
  win::SetFocus(high);
  EXPECT_EQ(win::GetScrollInfo(h, SB_VERT).pos, 0);
  EXPECT_EQ(win::Get(high)->rc.y, 0);
}

TEST_F(WindowTest, FirstFocusTakesTheCurrentScreensNumber) {
  Win().link.current_screen = [] { return uint16_t{4}; };
  Hwnd a = Open("a");
  win::SetFocus(a);
  EXPECT_EQ(WindowValue(a), 4);
  win::SetFocus(0);
  win::SetFocus(a);
  std::vector<RecordedAction> want = {{0, 95}, {0, 91}};
  EXPECT_EQ(Win().actions, want);
  win::SendMessage(a, WM_RUNTIME_ACTION, 2, 0);
  EXPECT_EQ(Win().actions.back(), (RecordedAction{0, 2 * 256 + 23}));
}

TEST_F(WindowTest, TextIsCutToTheAskedLength) {
  Hwnd a = Open(StrRef::Of(std::string(500, 'x')));
  EXPECT_EQ(WindowText(a, 65535).size(), 384);
  EXPECT_EQ(WindowText(a, 3), StrRef("xxx"));
  EXPECT_EQ(WindowText(0, 10).err(), E_DATA);
  ASSERT_EQ(WindowSetText(a, "T\xEDtulo"), E_OK);
  EXPECT_EQ(WindowText(a, 65535), StrRef("T\xEDtulo"));
}

TEST_F(WindowTest, MenuItemsKeepTheirCommands) {
  Hmenu bar = win::CreateMenu(), sub = win::CreatePopupMenu();
  ASSERT_EQ(MenuAppend(sub, 1500, "Clientes", "MantMain CLI"), E_OK);
  ASSERT_EQ(MenuAppend(bar, 0, "Archivo", StrRef(), sub), E_OK);
  ASSERT_EQ(MenuAppend(bar, 1501, "Ayuda", "Help"), E_OK);
  EXPECT_EQ(Slots().Get(5, 0), StrRef("MantMain CLI"));
  EXPECT_EQ(Slots().Get(5, 1), StrRef("Help"));
  EXPECT_EQ(win::GetMenu(bar)->items.size(), 2u);
  EXPECT_NE(MenuAppend(9999, 1502, "x"), E_OK);
}

TEST_F(WindowTest, MainWindowTurnsCloseAndMenuCommandsIntoEvents) {
  static std::vector<uint16_t> events;
  events.clear();
  Win().link.main_event = [](uint16_t code) {
    events.push_back(code);
    return uint16_t{0};
  };
  Hmenu bar = win::CreateMenu(), sub = win::CreatePopupMenu();
  ASSERT_EQ(MenuAppend(sub, 1502, "Salir", "ExpEval A%=1"), E_OK);
  ASSERT_EQ(MenuAppend(bar, 0, "Archivo", StrRef(), sub), E_OK);
  Hwnd m = WindowCreate("Main", "Tolvina", WS_CAPTION, 0, 0, 960, 600, bar, MainWndProc);
  WindowShowTop(-1);
  headless->QueuePopupChoice(0);
  headless->QueueKey(VK_F12);  // opens the menu bar's first menu
  win::PostMessage(m, WM_CLOSE, 0, 0);
  RunWindow(0);
  std::vector<uint16_t> want = {17, 16 | (2 << 8)};
  EXPECT_EQ(events, want);
  EXPECT_TRUE(win::IsWindow(m));  // closing is the main window's own decision
}

TEST_F(WindowTest, ClicksReachMenusScrollBarsAndOnlyEnabledWindows) {
  static std::vector<uint16_t> events;
  events.clear();
  Win().link.main_event = [](uint16_t code) {
    events.push_back(code);
    return uint16_t{0};
  };
  Hmenu bar = win::CreateMenu(), sub = win::CreatePopupMenu();
  ASSERT_EQ(MenuAppend(sub, 1500, "Clientes", "MantMain CLI"), E_OK);
  ASSERT_EQ(MenuAppend(bar, 0, "Archivo", StrRef(), sub), E_OK);
  ASSERT_EQ(MenuAppend(bar, 1501, "Ayuda", "Help"), E_OK);
  Hwnd m = WindowCreate("Main", "Tolvina", WS_CAPTION, 0, 0, 960, 600, bar, MainWndProc);
  WindowShowTop(-1);
  auto click = [&](int32_t col, int32_t row) {
    InputEvent ev;
    ev.kind = InputEvent::CLICK;
    ev.col = col;
    ev.row = row;
    headless->QueueInput(ev);
  };
  // The menu row is the second: " Archivo  Ayuda" from column 1.
  click(11, 1);  // Ayuda
  headless->QueuePopupChoice(0);
  click(3, 1);   // Archivo, then its first item
  click(30, 1);  // past the items: nothing
  RunWindow(m);
  std::vector<uint16_t> want = {16 | (1 << 8), 16};
  EXPECT_EQ(events, want);
  // A modal window disables the main window: clicks on it do nothing.
  Win().quitting = false;
  Sys().input_ended = false;
  Hwnd dlg = WindowOpenKind(5, 0, "d", 0, 60, 40, DialogWndProc);
  WindowShowTop(-1);
  events.clear();
  click(11, 1);
  // The dialog's vertical bar is the last column but one of the window.
  Rect r = win::GetWindowRect(dlg);
  int32_t bar_col = (r.right() - 12) / 12 - 1;
  click(bar_col, r.bottom() / 24 - 3);  // lower half: a page down
  RunWindow(dlg);
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(win::GetScrollInfo(dlg, SB_VERT).pos, 24);
}

}  // namespace
}  // namespace tol
