// The main window of the desktop program. A start page says how to begin;
// once a design is reviewed the window shows its diagrams (tabs sharing one
// station range) beside the table of findings, over the console listing.
// Selecting a finding marks its stretch in the diagrams and its line in the
// listing; clicking a diagram selects the findings there. Reviews run off
// the user-interface thread (ReviewRunner) with a progress bar and Cancel.
// Geometry, layout, recent files and the language persist in QSettings.
#pragma once

#include <QMainWindow>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

#include "app/selection_step.h"
#include "output/console.h"
#include "output/review_report.h"
#include "ui/review_runner.h"

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QSplitter;
class QStackedWidget;
class QTabWidget;
class QTableView;

namespace corvalinde::ui {

class ConsoleView;
class DiagramView;
class FindingsFilter;
class FindingsModel;
class StationAxis;

// The file type the readers expect for a path, from its extension: .xml and
// .landxml LandXML, .ifc IFC, anything else the native format.
int design_file_type(const QString& path);

// The bundled sample design (beside the program or in the installed share
// folder); empty when it is not there.
QString sample_design_path();

class MainWindow final : public QMainWindow {
  Q_OBJECT

 public:
  // editor: what the selection step shows (the selection dialog by default).
  explicit MainWindow(StoredSelectionStep::Editor editor = {}, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Reviews the file (its type from its extension). Ignored while a review runs.
  void open_file(const QString& path);
  // Shows finished reviews, one per alignment (also those carried over from
  // a window of another language), the one at index first.
  void show_results(std::vector<std::shared_ptr<ReviewResult>> results, int index = 0);
  // The review shown, and all of them.
  std::shared_ptr<ReviewResult> result() const { return result_; }
  const std::vector<std::shared_ptr<ReviewResult>>& results() const { return results_; }
  int shown_index() const;
  // Shows the review of another alignment (index into results()).
  void show_alignment(int index);

  ReviewRunner& runner() { return *runner_; }
  FindingsModel& findings() { return *findings_; }
  FindingsFilter& filter() { return *filter_; }
  QTableView* table() const { return table_; }
  ConsoleView* console_view() const { return console_; }
  const std::vector<DiagramView*>& diagrams() const { return diagrams_; }
  StationAxis& axis() { return *axis_; }
  QAction* export_report_action() const { return export_report_; }
  // The page shown: 0 the start page, 1 the review.
  int page() const;

  // Writes the report of the review shown (false when there is none or the
  // file cannot be written).
  bool write_report_file(const QString& path, ReportFormat format) const;

  // Selects the findings whose stretch holds the internal station.
  void select_findings_at(double station);

 signals:
  // The user chose a language in the menu: "fr", "en", or "" for the system's.
  void language_requested(const QString& language);
  void review_shown();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void build_actions();
  void build_menus();
  QWidget* build_start_page();
  QWidget* build_review_page();
  void choose_and_open();
  void review_again();
  void export_diagrams();
  void export_report();
  void export_road_model();
  void remember_recent(const QString& path);
  void refresh_recent_menu();
  void update_status();
  void update_title();
  void finding_selected();
  void set_running(bool running);
  void show_progress(int value, int maximum, const QString& text);
  // The station (the designer's) and the road's values there, for the status bar.
  QString values_at(double station) const;
  void save_layout() const;
  void restore_layout();

  std::unique_ptr<ReviewRunner> runner_;
  std::shared_ptr<ReviewResult> result_;
  std::vector<std::shared_ptr<ReviewResult>> results_;
  Console shown_console_;
  QString running_path_;

  QStackedWidget* pages_ = nullptr;
  QSplitter* outer_split_ = nullptr;
  QSplitter* inner_split_ = nullptr;
  QTabWidget* diagram_tabs_ = nullptr;
  std::vector<DiagramView*> diagrams_;
  StationAxis* axis_ = nullptr;
  FindingsModel* findings_ = nullptr;
  FindingsFilter* filter_ = nullptr;
  QTableView* table_ = nullptr;
  QComboBox* review_filter_ = nullptr;
  QComboBox* verdict_filter_ = nullptr;
  QComboBox* alignment_choice_ = nullptr;
  QAction* alignment_action_ = nullptr;
  ConsoleView* console_ = nullptr;

  QLabel* design_label_ = nullptr;
  QLabel* alignment_label_ = nullptr;
  QLabel* road_type_label_ = nullptr;
  QLabel* counts_label_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* cancel_ = nullptr;

  QAction* open_ = nullptr;
  QAction* open_sample_ = nullptr;
  QAction* review_again_ = nullptr;
  QAction* export_report_ = nullptr;
  QAction* export_diagrams_ = nullptr;
  QAction* export_model_ = nullptr;
  QAction* quit_ = nullptr;
  QAction* guide_ = nullptr;
  QAction* system_information_ = nullptr;
  QAction* about_ = nullptr;
  QMenu* recent_menu_ = nullptr;
  std::vector<QAction*> language_actions_;
};

}  // namespace corvalinde::ui
