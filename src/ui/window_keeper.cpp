#include "ui/window_keeper.h"

#include <utility>

#include "ui/languages.h"

namespace corvalinde::ui {

void WindowKeeper::show(std::vector<std::shared_ptr<ReviewResult>> results, int index) {
  auto* window = new MainWindow;
  window->setAttribute(Qt::WA_DeleteOnClose);
  if (!results.empty()) window->show_results(std::move(results), index);
  connect(window, &MainWindow::language_requested, this,
          [this, window](const QString& language) { switch_language(window, language); });
  window->show();
  window_ = window;
}

void WindowKeeper::switch_language(MainWindow* window, const QString& language) {
  // No review may read the message table while it is reloaded.
  window->runner().cancel();
  window->runner().wait_all();
  (void)apply_language(language);
  const auto kept = window->results();
  const int shown = window->shown_index();
  window->hide();
  window->deleteLater();
  show(kept, shown);
}

}  // namespace corvalinde::ui
