#include "ui/progress_window.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>

#include "output/utf8.h"
#include "ui/dialog.h"

namespace corvalinde::ui {
namespace {

constexpr int kTextControl = 0;
constexpr int kBarControl = 1;
constexpr int kWindowColumns = 44;
constexpr int kMargin = 10;

class ProgressProcedure final : public DialogProcedure {
 public:
  ProgressProcedure(QString text, int scale) : text_(std::move(text)), scale_(scale) {}

  void initialise(Dialog& dialog) override {
    auto* frame = new QFrame(dialog.client());
    frame->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    auto* label = new QLabel(text_, frame);
    label->setTextFormat(Qt::PlainText);
    bar_ = new QProgressBar(frame);
    bar_->setRange(0, scale_);
    bar_->setValue(0);
    layout->addWidget(label);
    layout->addWidget(bar_);
    dialog.register_control(control_identifier(kTextControl), label);
    dialog.register_control(control_identifier(kBarControl), bar_);
    const int width = std::max(kWindowColumns * dialog_units().cell().width(), frame->sizeHint().width());
    const QSize size(width, frame->sizeHint().height());
    frame->setGeometry(QRect(QPoint(0, 0), size));
    dialog.resize_client(size);
  }
  void command(Dialog&, std::uint32_t, QWidget*) override {}
  bool close_requested(Dialog&) override { return true; }  // only the loader closes it

  QProgressBar* bar() const { return bar_; }
  int scale() const { return scale_; }

 private:
  QString text_;
  int scale_;
  QProgressBar* bar_ = nullptr;
};

}  // namespace

struct ProgressStack::Level {
  std::unique_ptr<ProgressProcedure> procedure;
  std::unique_ptr<Dialog> window;
  QPointer<QWidget> previous_focus;
  QPointer<QWidget> owner;
  bool disabled_owner = false;
};

ProgressStack::ProgressStack() = default;
ProgressStack::~ProgressStack() {
  // Windows still open when the process ends outlive the application object;
  // they are left to the end of the process rather than destroyed without it.
  if (qApp != nullptr) return;
  for (auto& level : levels_) {
    (void)level->window.release();
    (void)level->procedure.release();
  }
}

int ProgressStack::depth() const {
  return static_cast<int>(levels_.size());
}

Dialog* ProgressStack::newest() const {
  return levels_.empty() ? nullptr : levels_.back()->window.get();
}

int ProgressStack::newest_value() const {
  return levels_.empty() ? 0 : levels_.back()->procedure->bar()->value();
}

int ProgressStack::newest_scale() const {
  return levels_.empty() ? 0 : levels_.back()->procedure->scale();
}

void ProgressStack::request(int value, std::string_view text) {
  if (value == kProgressClose || value == kProgressCloseKeepFocus) {
    close(value == kProgressClose);
    return;
  }
  if (value < 1) return;
  if (!is_blank(text)) {
    open(value, text);
    return;
  }
  // Progress of a window that was never shown moves nothing.
  if (ignored_ > 0 || levels_.empty()) return;
  QProgressBar* bar = levels_.back()->procedure->bar();
  bar->setValue(std::clamp(value, 0, levels_.back()->procedure->scale()));
  bar->repaint();
}

void ProgressStack::open(int scale, std::string_view text) {
  if (qApp == nullptr || depth() + ignored_ >= kMaxProgressWindows) {
    ++ignored_;
    return;
  }
  auto level = std::make_unique<Level>();
  level->previous_focus = QApplication::focusWidget();
  // Nested windows share the owner of the first one.
  QWidget* owner = default_owner();
  for (const auto& below : levels_) {
    if (owner == below->window.get()) owner = below->owner;
  }
  level->owner = owner;
  const std::string_view shown = trim_right(text);
  level->procedure = std::make_unique<ProgressProcedure>(
      QString::fromUtf8(shown.data(), static_cast<qsizetype>(shown.size())), scale);
  level->window =
      std::make_unique<Dialog>(DialogKind::kPopup, *level->procedure, kModalPointSize, nullptr, false);
  Dialog& window = *level->window;
  window.initialise();
  if (owner != nullptr) {
    window.winId();
    if (window.windowHandle() != nullptr && owner->windowHandle() != nullptr) {
      window.windowHandle()->setTransientParent(owner->windowHandle());
    }
    QRect frame = window.frameGeometry();
    frame.moveCenter(owner->frameGeometry().center());
    window.move(frame.topLeft());
  }
  window.show();
  if (owner != nullptr && owner->isEnabled()) {
    owner->setEnabled(false);
    level->disabled_owner = true;
  }
  levels_.push_back(std::move(level));
  // The reader works on this thread: let the window reach the screen now.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  window.repaint();
}

void ProgressStack::close(bool restore_focus) {
  if (ignored_ > 0) {
    --ignored_;
    return;
  }
  if (levels_.empty()) return;
  std::unique_ptr<Level> level = std::move(levels_.back());
  levels_.pop_back();
  if (level->disabled_owner && level->owner != nullptr) level->owner->setEnabled(true);
  level->window->hide();
  level->window.reset();
  if (restore_focus && level->previous_focus != nullptr) {
    level->previous_focus->activateWindow();
    level->previous_focus->setFocus(Qt::OtherFocusReason);
  }
}

ProgressStack& progress_stack() {
  static ProgressStack stack;
  return stack;
}

void progress_window(int value, std::string_view text) {
  progress_stack().request(value, text);
}

}  // namespace corvalinde::ui
