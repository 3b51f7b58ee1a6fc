// Keeps the program's one main window: shows it, and when the user picks
// another language rebuilds it in that language, carrying the reviews shown
// over (their listings stay in the language they were written in).
#pragma once

#include <QObject>
#include <QPointer>

#include <memory>
#include <vector>

#include "ui/main_window.h"

namespace corvalinde::ui {

class WindowKeeper final : public QObject {
  Q_OBJECT

 public:
  // Shows a new window with the reviews (none: the start page), the one at
  // index first. The window deletes itself when closed.
  void show(std::vector<std::shared_ptr<ReviewResult>> results, int index);
  MainWindow* window() const { return window_; }

 private:
  void switch_language(MainWindow* window, const QString& language);

  QPointer<MainWindow> window_;
};

}  // namespace corvalinde::ui
