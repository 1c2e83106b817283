// The in-process window system: focus, destruction, the queue and the
// built-in controls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/core.h"
#include "winui/winui.h"

namespace tol {
namespace {

std::vector<std::pair<Hwnd, uint32_t>>* g_log = nullptr;

LResult LoggingProc(Hwnd h, uint32_t msg, WParam wp, LParam lp) {
  if (g_log && msg != WM_CREATE && msg != WM_ENABLE) g_log->emplace_back(h, msg);
  return win::DefWindowProc(h, msg, wp, lp);
}

class WinSysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_log = &log;
    ASSERT_TRUE(win::RegisterClass("Test", 0, LoggingProc));
  }
  void TearDown() override { g_log = nullptr; }
  Hwnd Top(uint32_t style = WS_CAPTION | WS_VISIBLE, Hwnd owner = 0) {
    return win::CreateWindowEx(0, "Test", "t", style, 0, 0, 480, 240, owner, 0);
  }
  Hwnd Child(Hwnd parent, StrRef cls, uint32_t style, uint32_t id) {
    return win::CreateWindowEx(0, cls, "", WS_CHILD | WS_VISIBLE | style, 0, 0, 120, 24, parent,
                               id);
  }
  void Pump() {
    Msg m;
    while (win::PeekMessage(&m, true) && m.message != WM_QUIT) {
      win::TranslateMessage(m);
      win::DispatchMessage(m);
    }
  }
  CoreScope core;
  WinScope ws;
  std::vector<std::pair<Hwnd, uint32_t>> log;
};

TEST_F(WinSysTest, FocusMovesWithKillAndSetMessages) {
  Hwnd a = Top();
  Hwnd b = Child(a, "Test", 0, 1), c = Child(a, "Test", 0, 2);
  win::SetFocus(b);
  log.clear();
  EXPECT_EQ(win::SetFocus(c), b);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0], std::make_pair(b, WM_KILLFOCUS));
  EXPECT_EQ(log[1], std::make_pair(c, WM_SETFOCUS));
  // A disabled window cannot take the focus; disabling takes it away.
  win::EnableWindow(b, false);
  EXPECT_EQ(win::SetFocus(b), 0u);
  win::EnableWindow(a, false);
  EXPECT_EQ(win::GetFocus(), 0u);
}

TEST_F(WinSysTest, DestroyGoesOwnedFirstThenParentThenChildren) {
  Hwnd owner = Top();
  Hwnd kid = Child(owner, "Test", 0, 1);
  Hwnd owned = Top(WS_POPUP | WS_CAPTION | WS_VISIBLE, owner);
  win::SetFocus(kid);
  log.clear();
  EXPECT_TRUE(win::DestroyWindow(owner));
  std::vector<std::pair<Hwnd, uint32_t>> want = {
      {owned, WM_DESTROY}, {owner, WM_DESTROY}, {kid, WM_DESTROY}};
  EXPECT_EQ(log, want);
  EXPECT_FALSE(win::IsWindow(owner) || win::IsWindow(kid) || win::IsWindow(owned));
  EXPECT_EQ(win::GetFocus(), 0u);
  // Stale handles name nothing and fail cleanly.
  EXPECT_FALSE(win::DestroyWindow(owner));
  EXPECT_FALSE(win::PostMessage(kid, WM_CLOSE, 0, 0));
  EXPECT_EQ(win::SendMessage(kid, WM_CLOSE, 0, 0), 0);
}

TEST_F(WinSysTest, CharacterFollowsItsKeyBeforeLaterMessages) {
  Hwnd a = Top();
  Hwnd e = Child(a, "EDIT", 0, 1);
  win::PostMessage(e, WM_KEYDOWN, 'A', win::KeyLParam('a'));
  win::PostMessage(e, WM_KEYDOWN, 'B', win::KeyLParam('b'));
  Pump();
  EXPECT_EQ(win::GetWindowText(e), "ab");
}

TEST_F(WinSysTest, EditFieldKeysAndReadOnly) {
  Hwnd a = Top();
  Hwnd e = Child(a, "EDIT", 0, 1), ro = Child(a, "EDIT", ES_READONLY, 2);
  for (Hwnd h : {e, ro}) {
    for (uint8_t ch : std::string("abc")) win::SendMessage(h, WM_CHAR, ch, 0);
    win::SendMessage(h, WM_KEYDOWN, VK_LEFT, 0);
    win::SendMessage(h, WM_CHAR, 8, 0);  // backspace removes the b
    win::SendMessage(h, WM_KEYDOWN, VK_HOME, 0);
    win::SendMessage(h, WM_CHAR, 'x', 0);
  }
  EXPECT_EQ(win::GetWindowText(e), "xac");
  EXPECT_EQ(win::GetWindowText(ro), "");
  win::EditSelectAll(e);
  win::SendMessage(e, WM_CHAR, 'z', 0);
  EXPECT_EQ(win::GetWindowText(e), "z");
}

TEST_F(WinSysTest, ButtonsNotifyTheirParentAndAutoCheckBoxesToggle) {
  Hwnd a = Top();
  Hwnd push = Child(a, "BUTTON", BS_PUSHBUTTON, 7), box = Child(a, "BUTTON", BS_AUTOCHECKBOX, 8);
  log.clear();
  win::SendMessage(push, WM_KEYDOWN, VK_SPACE, 0);
  win::SendMessage(box, WM_LBUTTONUP, 0, 0);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0], std::make_pair(a, WM_COMMAND));
  EXPECT_TRUE(win::IsDlgButtonChecked(a, 8));
  EXPECT_FALSE(win::IsDlgButtonChecked(a, 7));
}

TEST_F(WinSysTest, ListKeysMoveTheSelectionWithinTheItems) {
  Hwnd a = Top();
  Hwnd lb = Child(a, "LISTBOX", 0, 1), cb = Child(a, "COMBOBOX", CBS_DROPDOWN, 2);
  for (Hwnd h : {lb, cb})
    for (StrRef t : {StrRef("uno"), StrRef("dos"), StrRef("tres")}) win::AddString(h, t);
  win::SendMessage(lb, WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(win::GetCurSel(lb), 0);
  win::SendMessage(lb, WM_KEYDOWN, VK_END, 0);
  win::SendMessage(lb, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(win::GetCurSel(lb), 2);
  win::SendMessage(cb, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(win::GetWindowText(cb), "uno");
  EXPECT_FALSE(win::SetCurSel(cb, 3));
}

TEST_F(WinSysTest, TimersFireWhenDueAndRepeat) {
  Hwnd a = Top();
  ASSERT_TRUE(win::SetTimer(a, 5, 350));
  Msg m;
  Sys().clock_ms = 349;
  EXPECT_FALSE(win::PeekMessage(&m, true) && m.message == WM_TIMER);
  Sys().clock_ms = 350;
  ASSERT_TRUE(win::PeekMessage(&m, true));
  EXPECT_EQ(m.message, WM_TIMER);
  EXPECT_EQ(m.wparam, 5u);
  EXPECT_FALSE(win::PeekMessage(&m, true));
  Sys().clock_ms = 700;
  EXPECT_TRUE(win::PeekMessage(&m, true));
  win::DestroyWindow(a);
  EXPECT_TRUE(Sys().timers.empty());
}

TEST_F(WinSysTest, UnknownClassAndOrphanChildAreRefused) {
  EXPECT_EQ(win::CreateWindowEx(0, "NoSuchClass", "", 0, 0, 0, 1, 1, 0, 0), 0u);
  EXPECT_EQ(win::GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
  EXPECT_EQ(win::CreateWindowEx(0, "EDIT", "", WS_CHILD, 0, 0, 1, 1, 0, 0), 0u);
  EXPECT_FALSE(win::RegisterClass("test", 0, nullptr));  // names ignore case
}

TEST_F(WinSysTest, ClientAreaIsTheWindowLessFrameMenuAndBars) {
  Hwnd a = Top(WS_CAPTION | WS_VISIBLE);
  Rect c = win::GetClientRect(a);
  EXPECT_EQ(c.w, 480 - 24);
  EXPECT_EQ(c.h, 240 - 48);
  win::SetMenu(a, win::CreateMenu());
  win::ShowScrollBar(a, SB_VERT, true);
  c = win::GetClientRect(a);
  EXPECT_EQ(c.w, 480 - 24 - 24);
  EXPECT_EQ(c.h, 240 - 72);
  Rect r = win::AdjustWindowRect(Rect{0, 0, 100, 100}, WS_CAPTION, true);
  EXPECT_EQ(r.w, 124);
  EXPECT_EQ(r.h, 172);
}

}  // namespace
}  // namespace tol
