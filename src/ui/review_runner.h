// Reviews run off the user-interface thread: one worker thread per review,
// each with its own CoreApplication (model and console), its own port that
// puts the readers' questions and the selection dialog to the user-interface
// thread, and progress reported back as signals. Cancel drops the review at
// once: its questions are answered "cancelled", its result is never shown,
// and its thread ends in the background. The runner waits for every thread
// it started before it goes.
#pragma once

#include <QObject>
#include <QString>
#include <QThread>

#include <memory>
#include <vector>

#include "app/core_application.h"
#include "app/selection_step.h"
#include "ui/gui_user_interface.h"

namespace corvalinde::ui {

struct ReviewResult {
  std::unique_ptr<CoreApplication> app;
  RunOutcome outcome;
  QString path;
  QString alignment;  // the alignment chosen while reading
  QString profile;    // the profile and the crossfall surface chosen (empty: none asked)
  QString surface;
};

class ReviewRunner final : public QObject {
  Q_OBJECT

 public:
  // editor: what the selection step shows (run on the user-interface thread).
  explicit ReviewRunner(StoredSelectionStep::Editor editor, QObject* parent = nullptr);
  ~ReviewRunner() override;

  bool running() const { return current_ != nullptr; }
  // Starts a review of the file; ignored while one runs.
  void start(const QString& path, int file_type);
  void cancel();
  // Waits for every thread (tests, and the end of the program).
  void wait_all();

 signals:
  void progress(int value, int maximum, const QString& text);
  // One result, or one per alignment when the user chose them all.
  void finished(std::vector<std::shared_ptr<ReviewResult>> results);
  void cancelled();

 private:
  struct Job;
  StoredSelectionStep::Editor editor_;
  std::shared_ptr<Job> current_;
  std::vector<QThread*> threads_;
};

}  // namespace corvalinde::ui
