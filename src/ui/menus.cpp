#include "ui/menus.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include "services/message_table.h"
#include "ui/dialog.h"
#include "ui/item_text.h"
#include "ui/numbering.h"

namespace corvalinde::ui {
namespace {

QString entry_label(const std::string& item, const MenuEntry& entry) {
  QString label = QString::fromStdString(item);
  if (!entry.key.empty()) {
    const QKeySequence key =
        QKeySequence::fromString(QString::fromStdString(entry.key), QKeySequence::PortableText);
    const QString shown =
        key.isEmpty() ? QString::fromStdString(entry.key) : key.toString(QKeySequence::NativeText);
    label += QLatin1Char('\t') + shown;
  }
  return label;
}

}  // namespace

QMenu* create_popup_menu_from_text(Dialog& window, int position, std::string_view text,
                                   const std::vector<MenuEntry>& entries) {
  auto* menu = new QMenu(&window);
  const std::vector<std::string> items = split_items(text);
  for (std::size_t i = 0; i < items.size(); ++i) {
    const int item = static_cast<int>(i) + 1;
    if (items[i] == kSeparatorItem) {
      menu->addSeparator();
      continue;
    }
    const MenuEntry entry = i < entries.size() ? entries[i] : MenuEntry{};
    QAction* action = menu->addAction(entry_label(items[i], entry));
    action->setEnabled(!entry.disabled);
    const std::uint32_t word = command_word(menu_command(position, item), kNotifyClicked);
    QObject::connect(action, &QAction::triggered, &window,
                     [&window, word] { window.send_command(word, nullptr); });
  }
  return menu;
}

QMenu* create_popup_menu(Dialog& window, int position, int message, const std::vector<MenuEntry>& entries) {
  return create_popup_menu_from_text(window, position, message_trimmed(message), entries);
}

QMenuBar* create_menu_bar(Dialog& window, int message, const std::vector<QMenu*>& popups) {
  auto* bar = new QMenuBar(&window);
  const std::vector<std::string> titles = split_items(message_trimmed(message));
  for (std::size_t i = 0; i < popups.size(); ++i) {
    QMenu* popup = popups[i];
    if (popup == nullptr) continue;
    popup->setTitle(i < titles.size() ? QString::fromStdString(titles[i]) : QString());
    bar->addMenu(popup);
  }
  window.set_menu_bar(bar);
  return bar;
}

bool grey_menu_command(Dialog& window, int command, bool greyed) {
  QMenuBar* bar = window.menu_bar();
  if (bar == nullptr || command <= 0) return false;
  QList<QAction*> level = bar->actions();
  QAction* entry = nullptr;
  bool in_bar = true;
  for (int path = command; path != 0; path >>= kMenuGroupBits) {
    const int place = path & kMenuGroupMask;
    if (entry != nullptr) {
      if (entry->menu() == nullptr) return false;
      level = entry->menu()->actions();
      in_bar = false;
    }
    if (place < 1 || place > level.size()) return false;
    entry = level[place - 1];
  }
  if (entry == nullptr || entry->isSeparator()) return false;
  const bool changed = entry->isEnabled() == greyed;
  entry->setEnabled(!greyed);
  if (in_bar && changed) bar->update();
  return true;
}

}  // namespace corvalinde::ui
