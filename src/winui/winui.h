// The window layer's process-wide state: the window system's tables, the
// runtime's window stack, fonts, control slots, the key state of the
// subclassed controls, the link to the screen layer and the display
// backend.  A WinScope makes a fresh one current, so every test starts
// from an empty desktop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/state.h"
#include "core/strref.h"
#include "winui/backend.h"
#include "winui/winsys.h"

namespace tol {

inline constexpr uint16_t kStackSize = 32;
inline constexpr uint16_t kNoValue = 0xFFFF;  // the value −1; also "not on the stack"

struct StackEntry {
  Hwnd hwnd = 0;
  uint16_t value = 0;
  uint8_t show = 0;
};

// The runtime's open top-level windows and the order they were pushed in.
struct WindowStack {
  StackEntry entries[kStackSize];
  uint8_t order[kStackSize] = {};  // entry indexes, oldest first
  uint8_t count = 0;
};

inline constexpr uint16_t kFonts = 7;
struct FontDef {
  uint16_t height = 0, width = 0, weight = 400;
  char face[32] = {};
};
struct FontTable {
  FontDef fonts[kFonts];
  uint8_t count = 0;
};

inline constexpr uint16_t kListViews = 4, kCombos = 80;
inline constexpr uint32_t kListViewId = 3200, kComboId = 3500;
struct ListViewSlot {
  Hwnd hwnd = 0;
  uint16_t items = 0, columns = 0;
  Rect pos;
};

// Shift and Ctrl as the subclassed edit fields saw them, and the typed
// command being collected after the character 29.
struct KeyState {
  bool shift = false, ctrl = false, command = false;
  char buf[20] = {};
  uint8_t len = 0;
};

// How the layer reaches the screen layer above it.  Every action goes
// through `action`; with none installed the actions are only recorded.
struct ScreenLink {
  // The answer of the screen layer (126 refuses a focus change; 163 not
  // handled).
  // control is the control's identifier, 0 for the window itself.
  uint16_t (*action)(uint32_t control, uint16_t action) = nullptr;
  // The current screen's number; 65535 when there is none.
  uint16_t (*current_screen)() = nullptr;
  // The event the active key map gives a runtime key code; 0 for none.
  // Without one the built-in maps are used (KeyMapEvent).
  uint16_t (*key_event)(uint16_t code) = nullptr;
  // The text a check box shows when ticked; without one the logical
  // display of "1" in the language's words.
  std::string (*logical_yes)() = nullptr;
  // Dialog windows' WM_COMMAND notifications (buttons, lists).
  uint16_t (*command)(Hwnd window, WParam wp, LParam lp) = nullptr;
  // The main window's events: 16 with the entry in bits 8-15, 17 close.
  uint16_t (*main_event)(uint16_t code) = nullptr;
  // The number of open screens; without a screen layer none.
  uint16_t (*screen_count)() = nullptr;
};

inline constexpr size_t kRecordedActions = 256;
struct RecordedAction {
  uint32_t control;
  uint16_t action;
  bool operator==(const RecordedAction&) const = default;
};

struct WinState {
  WinSys sys;
  WindowStack stack;
  FontTable fonts;
  ListViewSlot listviews[kListViews];
  Hwnd combos[kCombos] = {};
  KeyState keys;
  WndProc prev_proc[4] = {};  // per subclassed kind 1-3
  uint32_t image = 0;         // the one image shown
  Hwnd image_static = 0;      // the control showing it
  uint32_t next_font = 0x10;  // fonts created for controls
  // The configured screen size in pixels (0: none, the desktop counts).
  int32_t config_w = 0, config_h = 0;
  // The screen geometry's columns and rows (the screen layer keeps them).
  uint16_t geom_cols = 80, geom_rows = 24;
  ScreenLink link;
  std::vector<RecordedAction> actions;  // every action sent, in order
  std::unique_ptr<Backend> backend;
  bool quitting = false;  // input has ended for good: every loop ends
  // The user asked to stop the running work (the progress window's
  // Cancel); the procedure runner takes it at its next poll.
  bool cancel = false;
  Hwnd main_window = 0;
  bool main_busy = false;  // one of the main window's commands is running
};

inline WinState& Win() {
  return Current<WinState>::Get();
}
inline WinSys& Sys() {
  return Win().sys;
}

// Makes b the current window layer's backend (none: no drawing, no input)
// and takes the screen size from it.
void InstallBackend(std::unique_ptr<Backend> b);

// A fresh window layer for a run or a test, with the given backend (none:
// no drawing, no input, a clock that only moves when told).
class WinScope {
 public:
  explicit WinScope(std::unique_ptr<Backend> backend = nullptr);
  WinState& operator*() { return *state_; }
  WinState* operator->() { return &*state_; }

 private:
  StateScope<WinState> state_;
};

}  // namespace tol
