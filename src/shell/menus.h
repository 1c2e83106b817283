// Menu files as menu data: the list form (PMT, tabs as levels) and the
// structured form (PPN menu modules), with command entries numbered from 0,
// identifiers 1500 + n and their commands in slot group 5.  The window
// layer turns the tree into a menu bar.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/strref.h"

namespace tol {

inline constexpr uint16_t kMenuFirstId = 1500;
inline constexpr uint16_t kMenuCommands = 200;  // 1500-1699
inline constexpr uint16_t kGroupMenuCommands = 5;

// A menu item: a popup (id 0, with children) or a command entry.  An entry
// past the 200 that identifiers can name is kept but disabled.
struct MenuEntry {
  std::string caption;  // CP1252
  uint16_t id = 0;
  bool enabled = true;
  std::vector<MenuEntry> children;
  bool popup() const { return id == 0 && enabled; }
};

struct MenuTree {
  std::vector<MenuEntry> items;  // the menu bar
  uint16_t entries = 0;          // command entries numbered
};

// The list form from the lines of a text (each tab at a line's start is one
// level).  145 when the scratch stack runs short.
[[nodiscard]] ErrCode BuildMenuFromLines(const std::vector<std::string>& lines, MenuTree* menu);
// A menu file: list form for the extension PMT, structured form for PPN.
[[nodiscard]] ErrCode BuildMenuFile(StrRef file, MenuTree* menu);
// The structured form turned into list-form lines.
[[nodiscard]] ErrCode StructuredMenuLines(StrRef file, std::vector<std::string>* lines);
// The start program's menu file: its first comma item with the extension
// PMT, then PPN, in the definitions folder; empty when neither exists.
StrRef MenuFileOf(StrRef start_program);
// The command of entry n (slot group 5).
StrRef MenuCommand(uint16_t n);

}  // namespace tol
