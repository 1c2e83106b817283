// Subclassed controls, key codes and typed commands, fonts and the cell,
// list views and combo boxes, driven through the headless backend's input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/core.h"
#include "core/errors.h"
#include "lang/lang.h"
#include "lang/sysvars.h"
#include "winui/backend_headless.h"
#include "winui/controls.h"
#include "winui/window.h"

namespace tol {
namespace {

class ControlsTest : public ::testing::Test {
 protected:
  ControlsTest() : ws(std::make_unique<HeadlessBackend>()) {
    headless = static_cast<HeadlessBackend*>(ws->backend.get());
    window = WindowCreate("Scr", "form", WS_CAPTION, 0, 0, 960, 480, 0, RuntimeWndProc);
    field = win::CreateWindowEx(0, "EDIT", "", EditStyle('A', true), 12, 0, 240, 24, window, 2001);
    EXPECT_EQ(ControlSubclass(field, SUB_EDIT), E_OK);
    win::SetFocus(field);
    Win().actions.clear();
  }
  // Runs the loop over the queued input.
  void Run() { RunWindow(0); }
  std::vector<uint16_t> Actions() {
    std::vector<uint16_t> v;
    for (const RecordedAction& a : Win().actions) v.push_back(a.action);
    return v;
  }
  LangScope lang;
  WinScope ws;
  HeadlessBackend* headless;
  Hwnd window = 0, field = 0;
};

TEST_F(ControlsTest, EditFieldKeysBecomeRuntimeCodesAndKeyMapEvents) {
  struct Case {
    uint16_t vk;
    bool shift, ctrl;
    int16_t code;
    uint16_t event;  // keymap 0; 0 none
  };
  const Case cases[] = {
      {VK_TAB, true, false, 8, 2},    // Shift+Tab: previous field
      {VK_END, false, true, 32, 22},  // Ctrl+End
      {VK_TAB, false, false, 9, 1},
      {VK_RETURN, false, false, 0, 1},
      {VK_NEXT, false, false, 29, 25 + 256 * 5},
      {VK_F1 + 2, false, false, 13, 25 + 256 * 13},
      {VK_TAB, true, true, 9, 1},     // Shift+Tab with Ctrl held is a plain Tab
      {VK_LEFT, false, false, 4, 0},  // passed on to the field
  };
  for (const Case& c : cases) {
    Win().actions.clear();
    headless->QueueKey(c.vk, c.vk == VK_RETURN ? 13 : 0, c.shift, c.ctrl);
    Run();
    Win().quitting = false;
    Sys().input_ended = false;
    EXPECT_EQ(SysGet(_LASTKEY), c.code) << c.vk;
    if (c.event)
      EXPECT_EQ(Actions(), std::vector<uint16_t>{c.event}) << c.vk;
    else
      EXPECT_TRUE(Actions().empty()) << c.vk;
  }
  // Keymap 1 gives F3 another command; other keymaps give no events.
  EXPECT_EQ(KeyMapEvent(1, 13), 25 + 256 * 15);
  EXPECT_EQ(KeyMapEvent(2, 0), 0);
  EXPECT_FALSE(Win().keys.shift || Win().keys.ctrl);  // released with the keys
}

TEST_F(ControlsTest, TypedCommandIsPushedOnItsStackAndAnnounced) {
  headless->QueueKey(0xDD, 29, false, true);  // Ctrl+]
  headless->QueueText("abc");
  headless->QueueKey(VK_RETURN, 13);
  Run();
  EXPECT_EQ(Slots().Top(30), StrRef("abc"));
  EXPECT_EQ(Slots().Count(30), 1);
  // Enter ended the command instead of moving to the next field.
  EXPECT_EQ(Actions(), std::vector<uint16_t>{24});
  EXPECT_EQ(win::GetWindowText(field), "abc");  // the characters reach the field too
  EXPECT_FALSE(Win().keys.command);
}

TEST_F(ControlsTest, TypedCommandKeepsNineteenCharacters) {
  win::SendMessage(field, WM_CHAR, 29, 0);
  for (char c : std::string(25, 'x')) win::SendMessage(field, WM_CHAR, static_cast<uint8_t>(c), 0);
  win::SendMessage(field, WM_CHAR, 13, 0);
  EXPECT_EQ(Slots().Top(30), StrRef::Of(std::string(19, 'x')));
}

TEST_F(ControlsTest, FocusChangesAndSelectionRequestsAreActions) {
  static uint16_t answer = 0;
  Win().link.action = [](uint32_t, uint16_t a) { return a == 91 ? answer : uint16_t{0}; };
  Hwnd other =
      win::CreateWindowEx(0, "EDIT", "", EditStyle('N', true), 12, 24, 120, 24, window, 2002);
  ASSERT_EQ(ControlSubclass(other, SUB_EDIT), E_OK);
  win::SetFocus(other);
  win::SendMessage(other, WM_FIELD_SELECT, 0, 0);
  std::vector<RecordedAction> want = {{2001, 92}, {2002, 91}, {2002, 18}};
  EXPECT_EQ(Win().actions, want);
  EXPECT_TRUE(win::Get(other)->style & ES_RIGHT);
}

TEST_F(ControlsTest, SubclassingIsOffWithCompatibilityBit512) {
  SysSetBits(_COMPAT, 512, true);
  Hwnd e = win::CreateWindowEx(0, "EDIT", "", EditStyle('A', true), 0, 48, 120, 24, window, 2003);
  ASSERT_EQ(ControlSubclass(e, SUB_EDIT), E_OK);
  win::SetFocus(e);
  Win().actions.clear();
  win::SendMessage(e, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_TRUE(Win().actions.empty());
}

TEST_F(ControlsTest, EditStylesFollowTheFieldType) {
  EXPECT_EQ(EditStyle('A', true), WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL);
  EXPECT_TRUE(EditStyle('P', true) & ES_PASSWORD);
  EXPECT_TRUE(EditStyle('5', false) & ES_RIGHT);
  EXPECT_TRUE(EditStyle('D', false) & ES_READONLY);
  EXPECT_FALSE(EditStyle('D', true) & ES_RIGHT);
}

TEST_F(ControlsTest, CheckBoxTogglesWithSpaceAndClickShowingTheYesWord) {
  Hwnd box = win::CreateWindowEx(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | BS_CHECKBOX, 0, 72, 60,
                                 24, window, 2004);
  ASSERT_EQ(ControlSubclass(box, SUB_CHECK), E_OK);
  // The Spanish conventions: the words for blank, no and yes.
  ASSERT_EQ(Slots().Set(0, 0, ",.'0123456789,-D',' NS','  ,NO,SI'"), E_OK);
  win::SendMessage(box, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_TRUE(win::IsDlgButtonChecked(window, 2004));
  EXPECT_EQ(win::GetWindowText(box), "SI");
  win::SendMessage(box, WM_LBUTTONDOWN, 0, 0);
  win::SendMessage(box, WM_LBUTTONUP, 0, 0);
  EXPECT_FALSE(win::IsDlgButtonChecked(window, 2004));
  EXPECT_EQ(win::GetWindowText(box), "");
  Win().actions.clear();
  win::SendMessage(box, WM_KEYDOWN, VK_RETURN, 0);
  win::SendMessage(box, WM_KILLFOCUS, 0, 0);
  std::vector<RecordedAction> want = {{2004, 21}, {2004, 92}};
  EXPECT_EQ(Win().actions, want);
}

TEST_F(ControlsTest, FifthListViewIsRefused) {
  for (uint16_t i = 0; i < kListViews; ++i) EXPECT_EQ(ListViewCreate(window, 0, 0, 200, 100), i);
  EXPECT_EQ(ListViewCreate(window, 0, 0, 200, 100), 65535);
  EXPECT_EQ(win::Get(ListViewHandle(2))->id, kListViewId + 2);
  ListViewDestroy(1);
  EXPECT_EQ(ListViewCreate(window, 0, 0, 200, 100), 1);
  ListViewDestroy(65535);
  EXPECT_EQ(ListViewHandle(0), 0u);
  EXPECT_EQ(ListViewCreate(0, 0, 0, 10, 10), 65535);  // no parent
}

TEST_F(ControlsTest, ListViewCellsAppendRowsAndSelectionIsReported) {
  uint16_t lv = ListViewCreate(window, 0, 100, 400, 200);
  ASSERT_EQ(ListViewColumn(lv, 0, "Art", 'A', 60), E_OK);
  ASSERT_EQ(ListViewColumn(lv, 1, "Importe", 'N', 80), E_OK);
  Window* w = win::Get(ListViewHandle(lv));
  EXPECT_EQ(w->columns[0].width, 62);
  EXPECT_TRUE(w->columns[1].right);
  EXPECT_FALSE(w->visible);
  ASSERT_EQ(ListViewCell(lv, 2, 1, "12,50"), E_OK);
  EXPECT_EQ(w->rows.size(), 3u);
  EXPECT_TRUE(w->visible);
  EXPECT_EQ(ListViewSelected(lv), 65535);
  ASSERT_EQ(ListViewSelect(lv, 2, true), E_OK);
  EXPECT_EQ(ListViewSelected(lv), 2);
  EXPECT_NE(ListViewSelect(lv, 3, true), E_OK);
  EXPECT_EQ(ListViewScroll(lv, 5), 2);  // never past the last row
  ASSERT_EQ(ListViewClear(lv), E_OK);
  EXPECT_EQ(w->rows.size(), 1u);
  EXPECT_EQ(ListViewSelected(lv), 65535);
  EXPECT_NE(ListViewCell(3, 0, 0, "x"), E_OK);  // an unused slot
}

TEST_F(ControlsTest, ClickOnAListViewRowSelectsItAndIsHit) {
  // The window's client area starts one cell in and one down; the list
  // view's frame and header take its first two lines.
  uint16_t lv = ListViewCreate(window, 0, 48, 240, 6 * 24);
  ASSERT_EQ(ListViewColumn(lv, 0, "Art", 'A', 60), E_OK);
  for (uint16_t r = 0; r < 3; ++r) ASSERT_EQ(ListViewCell(lv, r, 0, "x"), E_OK);
  InputEvent click;
  click.kind = InputEvent::CLICK;
  click.col = 3;
  click.row = 1 + 2 + 2 + 1;  // client row 2 is the view's top; then frame, header, row 1
  headless->QueueInput(click);
  Run();
  EXPECT_EQ(ListViewSelected(lv), 1);
  EXPECT_EQ(ListViewHit(lv), 1);
  EXPECT_EQ(win::GetFocus(), ListViewHandle(lv));
  Sys().cursor_y = 1 * 24;  // above the view
  EXPECT_EQ(ListViewHit(lv), 65535);
}

TEST_F(ControlsTest, CombosTakeTheirItemsAndSizeFromTheList) {
  uint16_t a = ComboCreate(window, 48, 24, "'Contado', Tarjeta ,\"Vale\"", false);
  uint16_t b = ComboCreate(window, 72, 24, "uno,dos", true);
  ASSERT_EQ(a, 0);
  ASSERT_EQ(b, 1);
  Window* wa = win::Get(ComboHandle(a));
  std::vector<std::string> items = {"Contado", "Tarjeta", "Vale"};
  EXPECT_EQ(wa->items, items);
  EXPECT_EQ(wa->id, kComboId);
  EXPECT_EQ(wa->rc.w, 7 * 12 + 20);
  EXPECT_EQ(wa->rc.h, 3 * 24);
  EXPECT_EQ(wa->style & 3, CBS_SIMPLE);
  Window* wb = win::Get(ComboHandle(b));
  EXPECT_EQ(wb->rc.w, 3 * 12 + 40);
  EXPECT_EQ(wb->rc.h, 5 * 24);
  ASSERT_EQ(ComboSet(a, 2), E_OK);
  EXPECT_EQ(ComboGet(a), 2);
  EXPECT_NE(ComboSet(a, 3), E_OK);
  ComboDestroy(a);
  EXPECT_EQ(ComboGet(a), -1);
  EXPECT_EQ(ComboCreate(window, 0, 0, "x", false), 0);  // the slot is free again
  for (int i = 0; i < kCombos; ++i) ComboCreate(window, 0, 0, "x", false);
  EXPECT_EQ(ComboCreate(window, 0, 0, "x", false), 65535);
}

TEST_F(ControlsTest, ComboEnterCommandsTheParent) {
  static std::vector<WParam> commands;
  commands.clear();
  Win().link.command = [](Hwnd, WParam wp, LParam) {
    commands.push_back(wp);
    return uint16_t{0};
  };
  Hwnd dlg = WindowCreate("Dlg", "d", WS_CAPTION, 0, 0, 480, 240, 0, DialogWndProc);
  uint16_t slot = ComboCreate(dlg, 0, 0, "a,b", false);
  ASSERT_EQ(ComboFocus(slot), E_OK);
  headless->QueueKey(VK_DOWN);
  headless->QueueKey(VK_RETURN, 13);
  RunWindow(0);
  EXPECT_EQ(ComboGet(slot), 0);
  ASSERT_FALSE(commands.empty());
  EXPECT_EQ(commands.back(), 3100u);
}

TEST_F(ControlsTest, FontsDefineTheCell) {
  EXPECT_EQ(CellSize().w, 12);
  EXPECT_EQ(CellSize().h, 24);
  FontDefine(24, 12, 0, "Lucida Console");
  ControlFont f;
  ASSERT_TRUE(ActiveFont(&f));
  EXPECT_EQ(f.height, 21);
  EXPECT_EQ(f.width, 11);
  EXPECT_EQ(f.weight, 400);
  EXPECT_EQ(f.face, "Lucida Console");
  FontDefine(65535, 10, 1, StrRef::Of(std::string(32, 'F')));
  ASSERT_TRUE(ActiveFont(&f));
  EXPECT_EQ(f.height, 21);  // the cell's height
  EXPECT_EQ(f.width, 9);
  EXPECT_EQ(f.weight, 700);
  EXPECT_EQ(f.face, "");  // too long a name is left out
  EXPECT_EQ(CellSize().w, 10);
  EXPECT_EQ(Sys().cell_w, 10);  // one character, one cell on the screen
  for (int i = 0; i < 10; ++i) FontDefine(30, 15, 0, "X");
  EXPECT_EQ(Win().fonts.count, kFonts);
  EXPECT_EQ(CellSize().w, 15);
}

TEST_F(ControlsTest, FontApplyGivesStockOrCreatedFonts) {
  ASSERT_EQ(FontApply(field, 0), E_OK);
  EXPECT_EQ(win::Get(field)->font, kSystemFont);
  ASSERT_EQ(FontApply(field, 2), E_OK);
  EXPECT_EQ(win::Get(field)->font, kOemFixedFont);  // no font defined yet
  FontDefine(24, 12, 0, "Lucida Console");
  ASSERT_EQ(FontApply(field, 2), E_OK);
  uint32_t first = win::Get(field)->font;
  ASSERT_EQ(FontApply(field, 2), E_OK);
  EXPECT_NE(win::Get(field)->font, first);  // created anew each time
  ClearError();
  EXPECT_EQ(FontApply(field, 1), E_DATA);
  EXPECT_EQ(LastErrorCode(), E_DATA);
}

TEST_F(ControlsTest, ImageNeedsItsParentAndItsFile) {
  EXPECT_EQ(ImageShow(0, ""), E_DATA);
  EXPECT_EQ(ImageShow(window, "Z:\\no\\such\\logo.bmp"), E_DATA);
  ASSERT_EQ(ImageShow(window, ""), E_OK);
  uint32_t first = Win().image;
  ASSERT_EQ(ImageShow(window, ""), E_OK);
  EXPECT_EQ(Sys().images.count(first), 0u);  // the previous image is released
  EXPECT_EQ(Sys().images.size(), 1u);
  EXPECT_EQ(win::Get(window)->children.size(), 2u);  // the field and one image
  Rect r = win::Get(Win().image_static)->rc;
  EXPECT_EQ(r.x, 3);
  EXPECT_EQ(r.w, win::GetClientRect(window).w - 6);
}

}  // namespace
}  // namespace tol
