// Test support for the toolkit's Qt tests: a dialog procedure driven by
// lambdas that records every command it receives, the message-id table, and
// a look-up of the framework dialog a modal runner has on screen.
#pragma once

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <functional>
#include <utility>
#include <vector>

#include "services/message_table.h"
#include "services/settings_store.h"
#include "ui/dialog.h"

namespace corvalinde::ui::testing_support {

struct Command {
  int identifier = 0;
  int notification = 0;
  int event = 0;  // what command_event made of it
};

class ScriptedProcedure final : public DialogProcedure {
 public:
  std::function<void(Dialog&)> on_initialise;
  // Called with the translated event; the default ends the dialog on accept
  // (with 1) and on cancel (with 27).
  std::function<void(Dialog&, std::uint32_t, int)> on_event;
  std::function<void(Dialog&)> on_destroyed;
  std::vector<Command> commands;

  void initialise(Dialog& dialog) override {
    if (on_initialise) on_initialise(dialog);
  }
  void command(Dialog& dialog, std::uint32_t packed_command, QWidget* source) override {
    const int event = command_event(dialog, packed_command, source);
    commands.push_back({command_identifier(packed_command), notification_code(packed_command), event});
    if (on_event) {
      on_event(dialog, packed_command, event);
    } else if (event == kEventAccept) {
      end_dialog(dialog, 1);
    } else if (event == kEventCancel) {
      end_dialog(dialog, kEventCancel);
    }
  }
  void destroyed(Dialog& dialog) override {
    if (on_destroyed) on_destroyed(dialog);
  }

  // The last command (identifier -1 when there was none).
  Command last() const { return commands.empty() ? Command{-1, -1, -999} : commands.back(); }

  bool received(int identifier, int notification) const {
    for (const Command& c : commands) {
      if (c.identifier == identifier && c.notification == notification) return true;
    }
    return false;
  }
};

// A framework dialog of the given kind that is on screen (with several, any
// one: top-level widgets come in no particular order).
inline Dialog* open_dialog(DialogKind kind = DialogKind::kModal) {
  const QWidgetList windows = QApplication::topLevelWidgets();
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    auto* dialog = qobject_cast<Dialog*>(*it);
    if (dialog != nullptr && dialog->kind() == kind && dialog->isVisible()) return dialog;
  }
  return nullptr;
}

// Runs action once the modal loop that follows is running.
inline void when_shown(std::function<void()> action) {
  QTimer::singleShot(0, qApp, std::move(action));
}

// The result a modal dialog gets when a test failed to end it in time.
inline constexpr int kAbandoned = -999;
inline constexpr int kAbandonAfterMs = 3000;

// Runs action on the modal framework dialog once it is on screen; a dialog
// the action leaves open (a failed check) is ended with kAbandoned, so that
// a failure never hangs the test.
inline void with_open_dialog(std::function<void(Dialog&)> action) {
  when_shown([action = std::move(action)] {
    Dialog* dialog = open_dialog();
    if (dialog == nullptr) return;
    QTimer::singleShot(kAbandonAfterMs, dialog, [dialog] {
      if (!dialog->close_flag()) end_dialog(*dialog, kAbandoned);
    });
    action(*dialog);
  });
}

inline void use_message_ids() {
  if (message_table_state() != MessageTableState::kNotInitialised) return;
  select_message_language(MessageLanguage::kIds);
  (void)message_text(0, 0);
}

}  // namespace corvalinde::ui::testing_support
