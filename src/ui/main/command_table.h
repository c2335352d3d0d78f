// The main window's commands in one table: each menu item's name (the action's object name,
// the batch command and the handler's name), its caption, its menu, its shortcut and what it
// does. The menus, the batch mode and the dispatch are all built from it.
#pragma once

#include <span>
#include <string_view>

namespace curvalis {

class Tervano;

enum class MainMenu { File, Scala, Zoom, Traslazione, Calcola, Asintoti, MenuBar };

struct MainCommand {
  const char* name;      // mGrafico, m1, mZoommeno, ...
  const char* caption;   // the menu item's text
  MainMenu menu;         // where the item stands; MenuBar: a plain item of the menu bar
  int key;               // a Qt::Key (with modifiers) for the window-wide shortcut, 0 for none
  bool separatorBefore;  // a separator line above the item (or above its submenu)
  bool scriptable;       // the batch mode runs it (all but leaving, the about box, a dialog)
  void (*run)(Tervano& window);
};

// Every command, in menu order.
std::span<const MainCommand> MainCommandTable();
// The command named `name`, or nullptr.
const MainCommand* FindMainCommand(std::string_view name);

}  // namespace curvalis
