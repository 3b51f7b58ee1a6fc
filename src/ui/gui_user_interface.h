// The user-interface port of the desktop program. On the user-interface
// thread GuiUserInterface asks directly: a list dialog for the readers'
// choices and a message box; progress goes to whoever listens (the window's
// progress bar). ReviewPort is the port of a review running on a worker
// thread: it puts the same questions to the user-interface thread and waits
// for the answer, unless the review is cancelled first.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "services/user_interface.h"

class QWidget;

namespace corvalinde::ui {

// The list dialog of the readers' choices: 1-based choice, 0 when cancelled.
int ask_choice(QWidget* parent, const QString& title, const QStringList& items);
// A message box with the lines; returns the 1-based button pressed.
int ask_message(QWidget* parent, const QStringList& lines, int presentation, const QStringList& buttons);

// An alignment as its choice shows it: the name, the length and the station
// range ("001 — 25 620.630 m, 0.000 to 25 620.630"), unknown where the file
// does not give them.
QString alignment_option_text(const AlignmentOption& option);

class GuiUserInterface final : public UserInterface {
 public:
  int choose_from_list(std::string_view title, const std::vector<std::string>& items) override;
  int choose_alignment(std::string_view title, const std::vector<AlignmentOption>& options) override;
  void progress_window(int value, std::string_view text) override;
  int message_window(const std::vector<std::string>& lines, int presentation,
                     const std::vector<std::string>& buttons) override;
};

// What the user-interface thread and one review's worker share. Cancelling
// wakes the worker out of any wait; the worker never leaves a question while
// the user-interface thread is answering it.
class ReviewLink : public std::enable_shared_from_this<ReviewLink> {
 public:
  // Owned through a shared pointer (the question keeps it alive).
  // Runs question on the user-interface thread (through context) and returns
  // its answer, or when_cancelled once the review is cancelled and the
  // question is not being answered.
  int ask(QObject* context, std::function<int()> question, int when_cancelled);
  void cancel();
  bool cancelled() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable answered_;
  bool cancelled_ = false;
};

class ReviewPort final : public UserInterface {
 public:
  // Progress: value >= 1 with a text opens (value is the scale), without a
  // text moves; -1 and -2 close. Called on the worker thread.
  using ProgressSink = std::function<void(int value, const QString& text)>;

  ReviewPort(std::shared_ptr<ReviewLink> link, QObject* context, ProgressSink progress)
      : link_(std::move(link)), context_(context), progress_(std::move(progress)) {}

  // The first question of a reading is the alignment. When it offers several,
  // the list ends with "All alignments"; choosing it reviews the first now
  // (every later question answered with its first entry) and all_chosen()
  // tells the caller to review the others. A port made for alignment k
  // (1-based) answers the first question with k and the others with 1.
  void answer_first_with(int alignment) { fixed_alignment_ = alignment; }
  bool all_chosen() const { return all_chosen_; }
  int alignment_count() const { return alignment_count_; }

  int choose_from_list(std::string_view title, const std::vector<std::string>& items) override;
  int choose_alignment(std::string_view title, const std::vector<AlignmentOption>& options) override;
  bool accept_only_candidate(std::string_view title, std::string_view item) override;
  void progress_window(int value, std::string_view text) override;
  int message_window(const std::vector<std::string>& lines, int presentation,
                     const std::vector<std::string>& buttons) override;

  // The n-th choice of the reading (0 the alignment, 1 the profile, 2 the
  // crossfall surface), trimmed; empty when none was made.
  QString choice(std::size_t n) const { return n < choices_.size() ? choices_[n] : QString(); }

 private:
  void remember(std::size_t question, const QString& choice);
  // Asks with `shown` in the list and remembers the chosen entry of `names`.
  int ask_list(std::string_view title, const QStringList& names, QStringList shown);

  std::shared_ptr<ReviewLink> link_;
  QObject* context_;
  ProgressSink progress_;
  std::vector<QString> choices_;
  int questions_ = 0;
  int fixed_alignment_ = 0;
  bool all_chosen_ = false;
  int alignment_count_ = 0;
};

}  // namespace corvalinde::ui
