// The console window: a scrolling view of the console line store in a
// fixed-pitch font. It paints only the rows on screen, follows new lines when
// the last page is shown (and the follow switch is on), draws heading lines
// bold and the text after each verdict marker in its colour, and offers
// mouse selection, copy, select all and saving as text. The store is not
// owned and must outlive the view; the view watches it as an observer.
#pragma once

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QFont>
#include <QString>

#include <cstddef>
#include <string_view>
#include <vector>

#include "output/console.h"

namespace corvalinde::ui {

// What a verdict marker selects for the text after it.
enum class RunStyle {
  kPlain,          // ordinary text (also after a code-11 pair)
  kSatisfactory,   // after code 11 + "A"
  kDeficient,      // after code 11 + "C"
  kNotAssessable,  // after code 11 + "G"
  kPassing,        // after code 11 + "2"
};

struct TextRun {
  QString text;
  RunStyle style = RunStyle::kPlain;
};

// A stored line cut into styled runs; the markers themselves are not shown.
// A code-11 character followed by anything but A, C, G or 2 returns to plain
// text and hides both characters; a trailing one is hidden.
std::vector<TextRun> console_runs(std::string_view line);

// The line as shown (markers removed).
QString shown_text(std::string_view line);

// A place in the text: line index and character column.
struct TextPosition {
  int line = 0;
  int column = 0;
  friend bool operator==(const TextPosition&, const TextPosition&) = default;
  friend bool operator<(const TextPosition& a, const TextPosition& b) {
    return a.line != b.line ? a.line < b.line : a.column < b.column;
  }
};

class ConsoleView final : public QAbstractScrollArea, public ConsoleObserver {
  Q_OBJECT

 public:
  // columns x rows: the size the view asks for at first.
  explicit ConsoleView(Console& console, QWidget* parent = nullptr, int columns = 100, int rows = 30);
  ~ConsoleView() override;
  ConsoleView(const ConsoleView&) = delete;
  ConsoleView& operator=(const ConsoleView&) = delete;

  Console& console() { return console_; }

  // On by default: new lines scroll the view while it shows the last page.
  void set_follow(bool on) { follow_ = on; }
  bool follow() const { return follow_; }

  int first_visible_line() const;
  // Whole rows that fit in the view (at least 1).
  int visible_rows() const;
  QSize cell_size() const { return cell_; }
  const QFont& text_font() const { return text_font_; }

  bool has_selection() const { return anchor_ != cursor_; }
  void select_all();
  void clear_selection();
  // The selected text as shown, lines joined with '\n'.
  QString selected_text() const;
  void copy() const;
  // Scrolls so that the line shows (a few lines below the top) and selects it.
  void show_line(std::size_t line);
  // Writes every line as shown (trailing blanks removed) as UTF-8 text.
  bool save_as_text(const QString& path) const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

  void console_changed(const Console& console, Change change, std::size_t index) override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void update_scroll_ranges();
  TextPosition position_at(QPoint point) const;
  QRect row_rect(int line) const;
  // Repaints region now when the last synchronous paint is old enough (the
  // computation runs on this thread), otherwise schedules it.
  void show_changes(const QRect& region);
  void save_as_text_interactively();

  Console& console_;
  QFont text_font_;
  QFont heading_font_;
  QSize cell_;
  qreal advance_ = 1.0;
  int ascent_ = 0;
  QSize wanted_cells_;
  bool follow_ = true;
  int longest_line_ = 0;
  TextPosition anchor_;
  TextPosition cursor_;
  bool selecting_ = false;
  QElapsedTimer since_paint_;
};

}  // namespace corvalinde::ui
