// Menus built from message texts: a menu bar whose titles come from one
// message and pop-up menus whose entries come from one message each (items
// separated by '|', "-" a separator, '&' before the access letter). Entry i
// of pop-up menu m sends the command menu_command(m, i). The window owns its
// menus. Building never fails: a blank message gives an empty menu.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class QMenu;
class QMenuBar;

namespace corvalinde::ui {

class Dialog;

// Options of one entry: greyed, and an accelerator key name shown after the
// label (Qt's portable text: "Ctrl+O", "Esc", "F10"). Showing a key does not
// bind it; the window's accelerators do.
struct MenuEntry {
  bool disabled = false;
  std::string key;
};

// Pop-up menu number `position` (1-based place in the menu bar) of window.
// entries[i - 1] holds the options of item i (missing ones: defaults).
QMenu* create_popup_menu(Dialog& window, int position, int message,
                         const std::vector<MenuEntry>& entries = {});
QMenu* create_popup_menu_from_text(Dialog& window, int position, std::string_view text,
                                   const std::vector<MenuEntry>& entries = {});

// The menu bar of window: title i from item i of message, over popups[i - 1].
// Replaces a menu bar the window had.
QMenuBar* create_menu_bar(Dialog& window, int message, const std::vector<QMenu*>& popups);

// Greys (or enables) the entry that command's 4-bit path names, one group a
// level, the menu-bar position first. Returns false when no entry is there.
bool grey_menu_command(Dialog& window, int command, bool greyed);

}  // namespace corvalinde::ui
