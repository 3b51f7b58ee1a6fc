#include "ui/review_runner.h"

#include <utility>

namespace corvalinde::ui {
struct ReviewRunner::Job {
  std::shared_ptr<ReviewLink> link = std::make_shared<ReviewLink>();
  int maximum = 0;  // scale of the open progress window (worker thread only)
};

ReviewRunner::ReviewRunner(StoredSelectionStep::Editor editor, QObject* parent)
    : QObject(parent), editor_(std::move(editor)) {}

ReviewRunner::~ReviewRunner() {
  cancel();
  wait_all();
}

void ReviewRunner::start(const QString& path, int file_type) {
  if (current_) return;
  auto job = std::make_shared<Job>();
  current_ = job;
  const std::string file = path.toStdString();
  QThread* thread = QThread::create([this, job, file, file_type, path] {
    std::vector<std::shared_ptr<ReviewResult>> results;
    // Alignment 0: the user answers the questions; k >= 1: alignment k of
    // all, with the selection accepted for the first.
    int alignments = 1;
    for (int k = 0; k < alignments && !job->link->cancelled(); ++k) {
      auto result = std::make_shared<ReviewResult>();
      result->app = std::make_unique<CoreApplication>();
      result->path = path;
      ReviewPort port(job->link, this, [this, job](int value, const QString& text) {
        if (value >= 1 && !text.isEmpty()) job->maximum = value;
        const int maximum = value < 0 ? -1 : job->maximum;
        const int shown = value >= 1 && !text.isEmpty() ? 0 : value;
        QMetaObject::invokeMethod(
            this,
            [this, job, shown, maximum, text] {
              if (current_ == job) emit progress(shown, maximum, text);
            },
            Qt::QueuedConnection);
      });
      if (k > 0) port.answer_first_with(k + 1);
      const ScopedUserInterface installed(port);
      StoredSelectionStep::Editor editor = [this, job, k](SelectionModel& model) {
        if (k > 0) return job->link->cancelled() ? kCancelled : 0;
        return job->link->ask(
            this, [this, &model] { return editor_(model); }, kCancelled);
      };
      StoredSelectionStep stored(result->app->model(), editor, StoredSelectionStep::Policy{});
      SerialisedSelectionStep step(stored);
      result->outcome = result->app->open_design(file, file_type, step);
      result->alignment = port.choice(0);
      result->profile = port.choice(1);
      result->surface = port.choice(2);
      if (k == 0 && port.all_chosen() && result->outcome.selection_accepted)
        alignments = port.alignment_count();
      results.push_back(std::move(result));
    }
    QMetaObject::invokeMethod(
        this,
        [this, job, results] {
          if (current_ != job) return;
          current_.reset();
          if (job->link->cancelled()) return;
          emit finished(results);
        },
        Qt::QueuedConnection);
  });
  thread->setParent(this);  // deleted with the runner at the latest
  threads_.push_back(thread);
  connect(thread, &QThread::finished, this, [this, thread] {
    std::erase(threads_, thread);
    thread->deleteLater();
  });
  thread->start();
}

void ReviewRunner::cancel() {
  if (!current_) return;
  current_->link->cancel();
  current_.reset();
  emit cancelled();
}

void ReviewRunner::wait_all() {
  for (QThread* thread : threads_) thread->wait();
}

}  // namespace corvalinde::ui
