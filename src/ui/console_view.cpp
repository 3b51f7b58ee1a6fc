#include "ui/console_view.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QSaveFile>
#include <QScrollBar>
#include <QtMath>

#include <algorithm>

#include "services/diagnostic_log.h"
#include "ui/verdict_style.h"

namespace corvalinde::ui {
namespace {

constexpr int kTextPointSize = 10;
constexpr int kMinimumColumns = 20;
constexpr int kMinimumRows = 4;
// A computation writes lines without returning to the event loop; the view
// paints synchronously at most this often (milliseconds) so that output
// shows as it comes without a paint per line.
constexpr qint64 kSynchronousPaintInterval = 40;
constexpr int kSelectionAlpha = 110;

RunStyle style_of(char selector) {
  switch (selector) {
    case 'A':
      return RunStyle::kSatisfactory;
    case 'C':
      return RunStyle::kDeficient;
    case 'G':
      return RunStyle::kNotAssessable;
    case '2':
      return RunStyle::kPassing;
    default:
      return RunStyle::kPlain;
  }
}

QString from_utf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Trailing blanks (heading lines are padded) never widen the view.
int shown_length(const ConsoleLine& line) {
  QString text = shown_text(line.text);
  while (!text.isEmpty() && text.back() == QLatin1Char(' ')) text.chop(1);
  return static_cast<int>(text.size());
}

bool is_word_char(QChar c) {
  return !c.isSpace();
}

}  // namespace

std::vector<TextRun> console_runs(std::string_view line) {
  std::vector<TextRun> runs;
  RunStyle style = RunStyle::kPlain;
  std::size_t start = 0;
  auto flush = [&](std::size_t end) {
    if (end > start) runs.push_back(TextRun{from_utf8(line.substr(start, end - start)), style});
  };
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] != kMarker) continue;
    flush(i);
    style = i + 1 < line.size() ? style_of(line[i + 1]) : RunStyle::kPlain;
    i = std::min(i + 1, line.size());
    start = i + 1;
  }
  flush(line.size());
  return runs;
}

QString shown_text(std::string_view line) {
  QString text;
  for (const TextRun& run : console_runs(line)) text += run.text;
  return text;
}

ConsoleView::ConsoleView(Console& console, QWidget* parent, int columns, int rows)
    : QAbstractScrollArea(parent), console_(console), wanted_cells_(std::max(columns, 1), std::max(rows, 1)) {
  text_font_ = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  text_font_.setStyleHint(QFont::Monospace);
  text_font_.setFixedPitch(true);
  text_font_.setPointSize(kTextPointSize);
  heading_font_ = text_font_;
  heading_font_.setBold(true);
  const QFontMetrics metrics(text_font_);
  // Text is laid out on a grid of the font's exact advance; the whole-pixel
  // cell only sizes the view.
  advance_ = std::max(1.0, QFontMetricsF(text_font_).horizontalAdvance(QLatin1Char('M')));
  cell_ = QSize(std::max(1, qCeil(advance_)), std::max(1, metrics.height()));
  ascent_ = metrics.ascent();
  write_log("TTY font", QFontInfo(text_font_).family().toStdString(), cell_.height());

  setFocusPolicy(Qt::StrongFocus);
  setBackgroundRole(QPalette::Base);
  viewport()->setCursor(Qt::IBeamCursor);
  verticalScrollBar()->setSingleStep(1);
  horizontalScrollBar()->setSingleStep(cell_.width());
  since_paint_.start();
  for (std::size_t i = 0; i < console_.line_count(); ++i) {
    longest_line_ = std::max(longest_line_, shown_length(console_.line(i)));
  }
  console_.add_observer(this);
  update_scroll_ranges();
}

ConsoleView::~ConsoleView() {
  console_.remove_observer(this);
}

int ConsoleView::first_visible_line() const {
  return verticalScrollBar()->value();
}

int ConsoleView::visible_rows() const {
  return std::max(1, viewport()->height() / cell_.height());
}

QSize ConsoleView::sizeHint() const {
  const int edge = 2 * frameWidth();
  return {wanted_cells_.width() * cell_.width() + edge + verticalScrollBar()->sizeHint().width(),
          wanted_cells_.height() * cell_.height() + edge};
}

QSize ConsoleView::minimumSizeHint() const {
  const int edge = 2 * frameWidth();
  return {kMinimumColumns * cell_.width() + edge + verticalScrollBar()->sizeHint().width(),
          kMinimumRows * cell_.height() + edge};
}

void ConsoleView::update_scroll_ranges() {
  const int lines = static_cast<int>(std::min<std::size_t>(console_.line_count(), INT_MAX));
  const int rows = visible_rows();
  verticalScrollBar()->setPageStep(rows);
  verticalScrollBar()->setRange(0, std::max(0, lines - rows));
  const int width = viewport()->width();
  horizontalScrollBar()->setPageStep(std::max(1, width));
  horizontalScrollBar()->setRange(0, std::max(0, qCeil(longest_line_ * advance_) - width));
}

QRect ConsoleView::row_rect(int line) const {
  return {0, (line - first_visible_line()) * cell_.height(), viewport()->width(), cell_.height()};
}

void ConsoleView::show_changes(const QRect& region) {
  if (region.intersects(viewport()->rect())) viewport()->update(region);
  if (isVisible() && since_paint_.elapsed() >= kSynchronousPaintInterval) {
    viewport()->repaint();
    verticalScrollBar()->repaint();
    since_paint_.restart();
  }
}

void ConsoleView::console_changed(const Console& console, Change change, std::size_t index) {
  (void)console;
  const int line = static_cast<int>(std::min<std::size_t>(index, INT_MAX));
  switch (change) {
    case Change::kCleared:
      longest_line_ = 0;
      anchor_ = cursor_ = TextPosition{};
      update_scroll_ranges();
      verticalScrollBar()->setValue(0);
      horizontalScrollBar()->setValue(0);
      show_changes(viewport()->rect());
      return;
    case Change::kAppended: {
      const bool last_page_shown = verticalScrollBar()->value() >= verticalScrollBar()->maximum();
      longest_line_ = std::max(longest_line_, shown_length(console_.line(index)));
      update_scroll_ranges();
      if (follow_ && last_page_shown && verticalScrollBar()->value() != verticalScrollBar()->maximum()) {
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
        show_changes(viewport()->rect());
      } else {
        show_changes(row_rect(line));
      }
      return;
    }
    case Change::kReplaced:
      longest_line_ = std::max(longest_line_, shown_length(console_.line(index)));
      update_scroll_ranges();
      show_changes(row_rect(line));
      return;
  }
}

void ConsoleView::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  // The active colours also while the window is disabled (its owner is
  // disabled while a file loads): the output being written stays readable.
  painter.fillRect(event->rect(), palette().color(QPalette::Active, QPalette::Base));
  const int first = first_visible_line();
  const int count = static_cast<int>(std::min<std::size_t>(console_.line_count(), INT_MAX));
  const int last = std::min(count, first + visible_rows() + 1);
  const int offset = horizontalScrollBar()->value();
  const TextPosition from = std::min(anchor_, cursor_);
  const TextPosition to = std::max(anchor_, cursor_);
  QColor selection = palette().color(QPalette::Active, QPalette::Highlight);
  selection.setAlpha(kSelectionAlpha);
  const QColor plain = palette().color(QPalette::Active, QPalette::Text);

  for (int i = first; i < last; ++i) {
    const QRect row = row_rect(i);
    if (!row.intersects(event->rect())) continue;
    const ConsoleLine& line = console_.line(static_cast<std::size_t>(i));
    const std::vector<TextRun> runs = console_runs(line.text);
    if (has_selection() && i >= from.line && i <= to.line) {
      int length = 0;
      for (const TextRun& run : runs) length += static_cast<int>(run.text.size());
      const int begin = i == from.line ? from.column : 0;
      const int end = i == to.line ? to.column : length + 1;  // the line break counts as one cell
      if (end > begin) {
        painter.fillRect(QRectF(begin * advance_ - offset, row.top(), (end - begin) * advance_, row.height()),
                         selection);
      }
    }
    painter.setFont(line.heading ? heading_font_ : text_font_);
    int column = 0;
    for (const TextRun& run : runs) {
      // The verdict of the line's record colours the text after its marker;
      // a line without a record stays plain.
      const QColor colour =
          run.style != RunStyle::kPlain && line.has_verdict() ? verdict_colour(line.verdict) : plain;
      painter.setPen(colour);
      painter.drawText(QPointF(column * advance_ - offset, row.top() + ascent_), run.text);
      column += static_cast<int>(run.text.size());
    }
  }
}

void ConsoleView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  const bool last_page_shown = verticalScrollBar()->value() >= verticalScrollBar()->maximum();
  update_scroll_ranges();
  if (follow_ && last_page_shown) verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void ConsoleView::scrollContentsBy(int dx, int dy) {
  (void)dx;
  (void)dy;
  viewport()->update();
}

TextPosition ConsoleView::position_at(QPoint point) const {
  const int count = static_cast<int>(std::min<std::size_t>(console_.line_count(), INT_MAX));
  if (count == 0) return {};
  const int row = point.y() < 0 ? -1 : point.y() / cell_.height();
  const int line = std::clamp(first_visible_line() + row, 0, count - 1);
  const int length = shown_length(console_.line(static_cast<std::size_t>(line)));
  const int x = point.x() + horizontalScrollBar()->value();
  const int column = std::clamp(qRound(x / advance_), 0, length);
  return {line, column};
}

void ConsoleView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QAbstractScrollArea::mousePressEvent(event);
    return;
  }
  const TextPosition at = position_at(event->position().toPoint());
  if ((event->modifiers() & Qt::ShiftModifier) == 0) anchor_ = at;
  cursor_ = at;
  selecting_ = true;
  viewport()->update();
}

void ConsoleView::mouseMoveEvent(QMouseEvent* event) {
  if (!selecting_ || (event->buttons() & Qt::LeftButton) == 0) return;
  const QPoint point = event->position().toPoint();
  if (point.y() < 0) {
    verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
  } else if (point.y() >= viewport()->height()) {
    verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  }
  cursor_ = position_at(point);
  viewport()->update();
}

void ConsoleView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  selecting_ = false;
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (has_selection() && clipboard != nullptr && clipboard->supportsSelection()) {
    clipboard->setText(selected_text(), QClipboard::Selection);
  }
}

void ConsoleView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || console_.line_count() == 0) return;
  const TextPosition at = position_at(event->position().toPoint());
  const QString text = shown_text(console_.line(static_cast<std::size_t>(at.line)).text);
  int begin = std::min(at.column, static_cast<int>(text.size()));
  int end = begin;
  while (begin > 0 && is_word_char(text[begin - 1])) --begin;
  while (end < text.size() && is_word_char(text[end])) ++end;
  anchor_ = {at.line, begin};
  cursor_ = {at.line, end};
  selecting_ = false;
  viewport()->update();
}

void ConsoleView::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy)) {
    copy();
    return;
  }
  if (event->matches(QKeySequence::SelectAll)) {
    select_all();
    return;
  }
  if (event->key() == Qt::Key_Home) {
    verticalScrollBar()->setValue(0);
    return;
  }
  if (event->key() == Qt::Key_End) {
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    return;
  }
  QAbstractScrollArea::keyPressEvent(event);
}

void ConsoleView::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  QAction* copy_action = menu.addAction(tr("&Copy") + QLatin1Char('\t') +
                                        QKeySequence(QKeySequence::Copy).toString(QKeySequence::NativeText));
  copy_action->setEnabled(has_selection());
  QAction* all_action =
      menu.addAction(tr("Select &all") + QLatin1Char('\t') +
                     QKeySequence(QKeySequence::SelectAll).toString(QKeySequence::NativeText));
  menu.addSeparator();
  QAction* save_action = menu.addAction(tr("&Save as text..."));
  QAction* chosen = menu.exec(event->globalPos());
  if (chosen == copy_action) {
    copy();
  } else if (chosen == all_action) {
    select_all();
  } else if (chosen == save_action) {
    save_as_text_interactively();
  }
}

void ConsoleView::select_all() {
  const std::size_t count = console_.line_count();
  if (count == 0) return;
  anchor_ = {0, 0};
  cursor_ = {static_cast<int>(count - 1), shown_length(console_.line(count - 1))};
  viewport()->update();
}

void ConsoleView::show_line(std::size_t line) {
  if (line >= console_.line_count()) return;
  const int index = static_cast<int>(std::min<std::size_t>(line, INT_MAX));
  constexpr int kLinesAbove = 3;
  verticalScrollBar()->setValue(std::max(0, index - kLinesAbove));
  anchor_ = {index, 0};
  cursor_ = {index, shown_length(console_.line(line))};
  viewport()->update();
}

void ConsoleView::clear_selection() {
  anchor_ = cursor_ = TextPosition{};
  viewport()->update();
}

QString ConsoleView::selected_text() const {
  if (!has_selection()) return {};
  const TextPosition from = std::min(anchor_, cursor_);
  const TextPosition to = std::max(anchor_, cursor_);
  QStringList lines;
  const int count = static_cast<int>(std::min<std::size_t>(console_.line_count(), INT_MAX));
  for (int i = from.line; i <= to.line && i < count; ++i) {
    const QString text = shown_text(console_.line(static_cast<std::size_t>(i)).text);
    const int begin = i == from.line ? from.column : 0;
    const int end = i == to.line ? to.column : static_cast<int>(text.size());
    QString part = text.mid(begin, std::max(0, end - begin));
    while (!part.isEmpty() && part.back() == QLatin1Char(' ')) part.chop(1);
    lines << part;
  }
  return lines.join(QLatin1Char('\n'));
}

void ConsoleView::copy() const {
  if (QClipboard* clipboard = QGuiApplication::clipboard(); clipboard != nullptr && has_selection()) {
    clipboard->setText(selected_text());
  }
}

bool ConsoleView::save_as_text(const QString& path) const {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) return false;
  for (const ConsoleLine& line : console_.lines()) {
    QString text = shown_text(line.text);
    while (!text.isEmpty() && text.back() == QLatin1Char(' ')) text.chop(1);
    text += QLatin1Char('\n');
    if (file.write(text.toUtf8()) < 0) return false;
  }
  return file.commit();
}

void ConsoleView::save_as_text_interactively() {
  const QString path =
      QFileDialog::getSaveFileName(this, tr("Save as text"), QDir::currentPath(), tr("Text files (*.txt)"),
                                   nullptr, QFileDialog::DontUseNativeDialog);
  if (path.isEmpty()) return;
  if (!save_as_text(path)) {
    write_log("TTY save failed", path.toStdString());
    QApplication::beep();
  }
}

}  // namespace corvalinde::ui
