// The toolkit's numbering: control identifiers, menu command identifiers,
// the command word a control sends its dialog, and the event codes the
// framework reports. Pure arithmetic shared by the dialogs and their
// procedures; nothing here can fail.
#pragma once

#include <cstdint>

namespace corvalinde::ui {

// Control n of the application has the identifier n + kControlBase; the
// framework's own controls carry negative numbers, so their identifiers lie
// below kControlBase with the menus. Option buttons managed as a group have
// the identifiers kOptionBase + i.
inline constexpr int kControlBase = 4096;
inline constexpr int kOptionBase = 8192;

// Codes that command_event reports besides a user word or a menu command.
inline constexpr int kEventAccept = -68;        // the accept push button
inline constexpr int kEventCancel = 27;         // the cancel push button (Esc)
inline constexpr int kEventControl = -1;        // a control notification: see control_number
inline constexpr int kEventOptionChanged = -2;  // an option button of a group became checked
inline constexpr int kEventSwallowed = -3;      // nothing to do (refused or ignored click)

// The value a procedure gives back for "handled" (what end_dialog returns).
inline constexpr int kHandled = -1;

// Identifiers below kControlBase sent by the keyboard when the dialog has no
// push button for them: Enter and Esc.
inline constexpr int kDefaultCommand = 1;
inline constexpr int kCancelCommand = 2;

// Notification codes a control sends with its identifier.
enum Notification : int {
  kNotifyClicked = 0,           // push button, option button, menu, accelerator
  kNotifySelectionChanged = 1,  // drop-down list or list: the user chose another entry
  kNotifyDoubleClicked = 2,     // list: an entry was double-clicked
  kNotifyCheckChanged = 5,      // check box: the user (or set_check) changed the state
  kNotifyKillFocus = 512,       // number field: the focus left it (validate now)
  kNotifyTextChanged = 768,     // number field: its text changed
};

constexpr int control_identifier(int n) {
  return n + kControlBase;
}

// The command word: identifier in the low 16 bits, notification in the high 16.
constexpr std::uint32_t command_word(int identifier, int notification) {
  return (static_cast<std::uint32_t>(identifier) & 0xFFFFu) |
         ((static_cast<std::uint32_t>(notification) & 0xFFFFu) << 16);
}

constexpr int command_identifier(std::uint32_t packed_command) {
  return static_cast<int>(packed_command & 0xFFFFu);
}
constexpr int notification_code(std::uint32_t packed_command) {
  return static_cast<int>(packed_command >> 16);
}
constexpr int control_number(std::uint32_t packed_command) {
  return command_identifier(packed_command) - kControlBase;
}

// Menu commands: menu + 16 x item, both 1-based. Deeper paths put one 4-bit
// group per level, least significant first.
inline constexpr int kMenuGroupBits = 4;
inline constexpr int kMenuGroupMask = 0xF;

constexpr int menu_command(int menu, int item) {
  return menu + (item << kMenuGroupBits);
}
constexpr int menu_of(int command) {
  return command & kMenuGroupMask;
}
constexpr int menu_item_of(int command) {
  return command >> kMenuGroupBits;
}

}  // namespace corvalinde::ui
