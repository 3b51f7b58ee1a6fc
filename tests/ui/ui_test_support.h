// Test support for the desktop program's Qt tests: the message-id table, and
// answering a modal dialog once it is on screen.
#pragma once

#include <QApplication>
#include <QTimer>

#include <functional>
#include <utility>

#include "services/message_table.h"

namespace corvalinde::ui::testing_support {

inline void use_message_ids() {
  if (message_table_state() != MessageTableState::kNotInitialised) return;
  select_message_language(MessageLanguage::kIds);
  (void)message_text(0, 0);
}

// Calls action with the modal widget as soon as one is shown.
inline void when_modal(std::function<void(QWidget*)> action) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, action = std::move(action)] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      timer->stop();
      timer->deleteLater();
      action(modal);
    }
  });
  timer->start(10);
}

}  // namespace corvalinde::ui::testing_support
