#include "ui/gui_user_interface.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <optional>
#include <utility>

namespace corvalinde::ui {
namespace {

constexpr int kMinimumRows = 10;
constexpr int kMaximumRows = 15;
constexpr int kLongestItem = 255;

QString from_utf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QStringList texts(const std::vector<std::string>& items) {
  QStringList list;
  for (const std::string& item : items) list << from_utf8(item);
  return list;
}

QWidget* active_window() {
  return QApplication::activeWindow();
}

// Metres with three decimals, the thousands set apart by a space.
QString metres_text(double value) {
  QString text = QString::number(value, 'f', 3);
  const qsizetype sign = text.startsWith(QLatin1Char('-')) ? 1 : 0;
  for (qsizetype at = text.indexOf(QLatin1Char('.')) - 3; at > sign; at -= 3)
    text.insert(at, QLatin1Char(' '));
  return text;
}

QString known_or_unknown(const std::optional<double>& value) {
  return value ? metres_text(*value) : QCoreApplication::translate("AlignmentChoice", "unknown");
}

}  // namespace

QString alignment_option_text(const AlignmentOption& option) {
  std::optional<double> end;
  if (option.start_station && option.length) end = *option.start_station + *option.length;
  return QCoreApplication::translate("AlignmentChoice", "%1 — %2 m, %3 to %4")
      .arg(from_utf8(option.name).trimmed(), known_or_unknown(option.length),
           known_or_unknown(option.start_station), known_or_unknown(end));
}

int ask_choice(QWidget* parent, const QString& title, const QStringList& items) {
  QDialog dialog(parent);
  dialog.setWindowTitle(title);
  auto* layout = new QVBoxLayout(&dialog);
  auto* list = new QListWidget(&dialog);
  for (QString item : items) {
    while (item.endsWith(QLatin1Char(' '))) item.chop(1);
    list->addItem(item.left(kLongestItem));
  }
  if (list->count() > 0) list->setCurrentRow(0);
  const int rows = std::clamp(static_cast<int>(items.size()), kMinimumRows, kMaximumRows);
  list->setMinimumHeight(rows * list->fontMetrics().height() + 2 * list->frameWidth());
  layout->addWidget(list);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(list, &QListWidget::itemActivated, &dialog, &QDialog::accept);
  if (dialog.exec() != QDialog::Accepted || list->currentRow() < 0) return 0;
  return list->currentRow() + 1;
}

int ask_message(QWidget* parent, const QStringList& lines, int presentation, const QStringList& buttons) {
  QMessageBox box(parent);
  static constexpr QMessageBox::Icon kIcons[] = {QMessageBox::Information, QMessageBox::Question,
                                                 QMessageBox::Warning, QMessageBox::Critical};
  box.setIcon(presentation >= 0 && presentation < 4 ? kIcons[presentation] : QMessageBox::Information);
  box.setWindowTitle(QApplication::applicationDisplayName());
  box.setText(lines.join(QLatin1Char('\n')).trimmed());
  std::vector<QAbstractButton*> added;
  for (const QString& label : buttons)
    added.push_back(box.addButton(label.trimmed(), QMessageBox::AcceptRole));
  if (added.empty()) added.push_back(box.addButton(QMessageBox::Ok));
  box.setEscapeButton(added.back());
  QApplication::beep();
  (void)box.exec();
  for (std::size_t i = 0; i < added.size(); ++i) {
    if (box.clickedButton() == added[i]) return static_cast<int>(i) + 1;
  }
  return static_cast<int>(added.size());
}

int GuiUserInterface::choose_from_list(std::string_view title, const std::vector<std::string>& items) {
  return ask_choice(active_window(), from_utf8(title), texts(items));
}

int GuiUserInterface::choose_alignment(std::string_view title, const std::vector<AlignmentOption>& options) {
  QStringList shown;
  for (const AlignmentOption& option : options) shown << alignment_option_text(option);
  return ask_choice(active_window(), from_utf8(title), shown);
}

void GuiUserInterface::progress_window(int, std::string_view) {
  // Reviews report progress through their own port; nothing else does.
}

int GuiUserInterface::message_window(const std::vector<std::string>& lines, int presentation,
                                     const std::vector<std::string>& buttons) {
  return ask_message(active_window(), texts(lines), presentation, texts(buttons));
}

int ReviewLink::ask(QObject* context, std::function<int()> question, int when_cancelled) {
  struct Answer {
    enum class State { kPending, kAnswering, kDone } state = State::kPending;
    int value = 0;
  };
  auto answer = std::make_shared<Answer>();
  {
    const std::lock_guard lock(mutex_);
    if (cancelled_) return when_cancelled;
  }
  QMetaObject::invokeMethod(
      context,
      [self = shared_from_this(), answer, question = std::move(question), when_cancelled] {
        {
          const std::lock_guard lock(self->mutex_);
          if (self->cancelled_ || answer->state != Answer::State::kPending) {
            answer->state = Answer::State::kDone;
            self->answered_.notify_all();
            return;
          }
          answer->state = Answer::State::kAnswering;
        }
        const int value = question();
        const std::lock_guard lock(self->mutex_);
        answer->value = value;
        answer->state = Answer::State::kDone;
        self->answered_.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock lock(mutex_);
  answered_.wait(lock, [&] {
    return answer->state == Answer::State::kDone || (cancelled_ && answer->state == Answer::State::kPending);
  });
  if (answer->state != Answer::State::kDone) {
    // Cancelled before the question was shown: it will not be.
    answer->state = Answer::State::kDone;
    return when_cancelled;
  }
  return cancelled_ ? when_cancelled : answer->value;
}

void ReviewLink::cancel() {
  const std::lock_guard lock(mutex_);
  cancelled_ = true;
  answered_.notify_all();
}

bool ReviewLink::cancelled() const {
  const std::lock_guard lock(mutex_);
  return cancelled_;
}

void ReviewPort::remember(std::size_t question, const QString& choice) {
  if (choices_.size() <= question) choices_.resize(question + 1);
  choices_[question] = choice.trimmed();
}

int ReviewPort::choose_from_list(std::string_view title, const std::vector<std::string>& items) {
  return ask_list(title, texts(items), texts(items));
}

int ReviewPort::choose_alignment(std::string_view title, const std::vector<AlignmentOption>& options) {
  QStringList names;
  QStringList shown;
  for (const AlignmentOption& option : options) {
    names << from_utf8(option.name);
    shown << alignment_option_text(option);
  }
  return ask_list(title, names, shown);
}

int ReviewPort::ask_list(std::string_view title, const QStringList& names, QStringList shown_items) {
  const auto question = static_cast<std::size_t>(questions_++);
  const bool first_question = question == 0;
  const QString shown_title = from_utf8(title);
  const auto size = static_cast<int>(names.size());
  if (first_question && fixed_alignment_ > 0) {
    if (fixed_alignment_ > size) return 0;
    remember(question, names[fixed_alignment_ - 1]);
    return fixed_alignment_;
  }
  if (fixed_alignment_ > 0 || all_chosen_) {  // the first profile and surface
    if (size < 1) return 0;
    remember(question, names[0]);
    return 1;
  }
  const bool offer_all = first_question && size > 1;
  if (offer_all) shown_items << QCoreApplication::translate("ReviewPort", "All alignments");
  int chosen = link_->ask(
      context_, [shown_title, shown_items] { return ask_choice(active_window(), shown_title, shown_items); },
      0);
  if (offer_all && chosen == size + 1) {
    all_chosen_ = true;
    alignment_count_ = size;
    chosen = 1;
  }
  if (chosen >= 1 && chosen <= size) remember(question, names[chosen - 1]);
  return chosen;
}

bool ReviewPort::accept_only_candidate(std::string_view, std::string_view item) {
  remember(static_cast<std::size_t>(questions_++), from_utf8(item));
  return true;
}

void ReviewPort::progress_window(int value, std::string_view text) {
  if (progress_ && !link_->cancelled()) progress_(value, from_utf8(text));
}

int ReviewPort::message_window(const std::vector<std::string>& lines, int presentation,
                               const std::vector<std::string>& buttons) {
  const QStringList shown_lines = texts(lines);
  const QStringList shown_buttons = texts(buttons);
  const int cancelled_answer = std::max<int>(1, static_cast<int>(buttons.size()));
  return link_->ask(
      context_,
      [shown_lines, presentation, shown_buttons] {
        return ask_message(active_window(), shown_lines, presentation, shown_buttons);
      },
      cancelled_answer);
}

}  // namespace corvalinde::ui
