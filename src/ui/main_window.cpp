#include "ui/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <fstream>
#include <utility>

#include "analysis/sight_parameters.h"
#include "draw/diagram_export.h"
#include "draw/report_export.h"
#include "output/listings.h"
#include "output/road_model_export.h"
#include "road/axis_point.h"
#include "services/diagnostic_log.h"
#include "services/message_table.h"
#include "ui/console_view.h"
#include "ui/diagram_view.h"
#include "ui/findings_model.h"
#include "ui/help.h"
#include "ui/languages.h"
#include "ui/selection_dialog.h"
#include "ui/system_information.h"
#include "ui/verdict_style.h"

namespace corvalinde::ui {
namespace {

constexpr int kMaxRecentFiles = 8;
constexpr double kExportStep = 10.0;  // m between the exported road-model points
constexpr int kNativeFileMessage = 121;
constexpr int kLandXmlFileMessage = 122;
constexpr int kIfcFileMessage = 110;
constexpr int kPointsFileMessage = 65;
// How near a click (share of the shown range) a finding's stretch must be.
constexpr double kClickTolerance = 0.005;
constexpr const char* kSampleName = "route-des-cretes.txt";
constexpr const char* kClosingLogLine = "ON_CLOSE_WIN_APP";

const QString kGeometryKey = QStringLiteral("window/geometry");
const QString kStateKey = QStringLiteral("window/state");
const QString kOuterSplitKey = QStringLiteral("window/outerSplit");
const QString kInnerSplitKey = QStringLiteral("window/innerSplit");
const QString kRecentKey = QStringLiteral("recentFiles");
const QString kLastFolderKey = QStringLiteral("lastFolder");
const QString kLanguageKey = QStringLiteral("language");

QString message(int n) {
  return QString::fromStdString(message_trimmed(n));
}

draw::DiagramLanguage diagram_language() {
  return current_language() == QStringLiteral("fr") ? draw::DiagramLanguage::kFrench
                                                    : draw::DiagramLanguage::kEnglish;
}

QIcon themed(const char* name, QStyle::StandardPixmap fallback, const QWidget* widget) {
  return QIcon::fromTheme(QString::fromLatin1(name), widget->style()->standardIcon(fallback));
}

// What a review gives the diagrams (pointing into the review, which the
// window keeps while they are shown).
draw::DiagramSource diagram_source(const ReviewResult& result) {
  draw::DiagramSource source;
  source.model = &result.app->model();
  source.findings = &result.app->console().records();
  source.series = &result.app->console().series();
  if (result.outcome.selection) {
    source.design_speed = sight_parameters(SightKind::kObstacle, result.outcome.selection->road_type,
                                           result.outcome.selection->cross_section)
                              .speed_limit;
  }
  return source;
}

std::string file_sha256(const QString& path) {
  QFile file(path);
  QCryptographicHash hash(QCryptographicHash::Sha256);
  if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file)) return {};
  return hash.result().toHex().toStdString();
}

// The title block of the report, as the command line's report has it.
ReportTitle report_title(const ReviewResult& result) {
  ReportTitle title;
  title.file = QDir::toNativeSeparators(result.path).toStdString();
  title.file_sha256 = file_sha256(result.path);
  title.alignment = result.alignment.toStdString();
  title.profile = result.profile.toStdString();
  title.crossfall_source = result.surface.toStdString();
  if (title.crossfall_source.empty() && result.app->model().has_crossfall())
    title.crossfall_source = QFileInfo(result.path).fileName().toStdString();
  if (const auto& selection = result.outcome.selection) {
    title.road_type = QStringLiteral("%1 (%2)")
                          .arg(road_type_label_text(selection->road_type))
                          .arg(selection->road_type)
                          .toStdString();
    static constexpr int kReviewTitles[] = {161, 301, 231, 371};
    QStringList reviews;
    for (std::size_t k = 0; k < selection->run_analysis.size(); ++k) {
      if (selection->run_analysis[k] != 0) reviews << message(kReviewTitles[k]);
    }
    const CrossSection& c = selection->cross_section;
    title.selection =
        QStringLiteral("%1; %2 %3; %4 %5; %6: %7; %8 %9")
            .arg(reviews.join(QStringLiteral(", ")), message(137),
                 QString::number(c.lane_width_dm / 10.0, 'f', 1), message(138),
                 QString::number(c.median_width_dm / 10.0, 'f', 1), message(139),
                 QString::fromStdString(yes_no_word(c.median_blocks_sight != 0 ? 1 : 0)).trimmed(),
                 message(140), QString::number(c.side_clearance_dm / 10.0, 'f', 1))
            .toStdString();
  }
  title.program_version = CORVALINDE_VERSION;
  title.date =
      QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd HH:mm 'UTC'")).toStdString();
  return title;
}

}  // namespace

int design_file_type(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QStringLiteral("ifc")) return kIfcFile;
  if (suffix == QStringLiteral("xml") || suffix == QStringLiteral("landxml")) return kLandXmlFile;
  return kNativeDesignFile;
}

QString sample_design_path() {
  const QString folder = QCoreApplication::applicationDirPath();
  const QString name = QString::fromLatin1(kSampleName);
  for (const QString& candidate :
       {folder + QLatin1Char('/') + name, folder + QStringLiteral("/../share/corvalinde/samples/") + name}) {
    if (QFileInfo(candidate).isFile()) return QFileInfo(candidate).canonicalFilePath();
  }
  return {};
}

MainWindow::MainWindow(StoredSelectionStep::Editor editor, QWidget* parent) : QMainWindow(parent) {
  if (!editor) editor = [](SelectionModel& model) { return run_selection_dialog(model); };
  runner_ = std::make_unique<ReviewRunner>(std::move(editor));
  setWindowIcon(QIcon(QStringLiteral(":/corvalinde.svg")));
  setAcceptDrops(true);
  build_actions();
  build_menus();

  pages_ = new QStackedWidget(this);
  pages_->addWidget(build_start_page());
  pages_->addWidget(build_review_page());
  setCentralWidget(pages_);

  design_label_ = new QLabel(this);
  alignment_label_ = new QLabel(this);
  road_type_label_ = new QLabel(this);
  counts_label_ = new QLabel(this);
  progress_ = new QProgressBar(this);
  progress_->setMaximumWidth(220);
  cancel_ = new QPushButton(tr("Cancel"), this);
  cancel_->setShortcut(QKeySequence(Qt::Key_Escape));
  for (QWidget* widget : {static_cast<QWidget*>(design_label_), static_cast<QWidget*>(alignment_label_),
                          static_cast<QWidget*>(road_type_label_), static_cast<QWidget*>(counts_label_),
                          static_cast<QWidget*>(progress_), static_cast<QWidget*>(cancel_)}) {
    statusBar()->addPermanentWidget(widget);
  }
  set_running(false);

  connect(runner_.get(), &ReviewRunner::progress, this, &MainWindow::show_progress);
  connect(runner_.get(), &ReviewRunner::finished, this,
          [this](std::vector<std::shared_ptr<ReviewResult>> results) {
            set_running(false);
            show_results(std::move(results));
          });
  connect(runner_.get(), &ReviewRunner::cancelled, this, [this] {
    set_running(false);
    statusBar()->showMessage(tr("Review cancelled."), 5000);
  });
  connect(cancel_, &QPushButton::clicked, runner_.get(), &ReviewRunner::cancel);

  update_title();
  update_status();
  restore_layout();
}

MainWindow::~MainWindow() {
  runner_->cancel();
  runner_->wait_all();
  // The console view watches shown_console_, which goes before the child
  // widgets would.
  delete console_;
}

void MainWindow::build_actions() {
  open_ =
      new QAction(themed("document-open", QStyle::SP_DialogOpenButton, this), tr("&Open a design..."), this);
  open_->setShortcut(QKeySequence::Open);
  open_->setStatusTip(tr("Open a road design and review it"));
  connect(open_, &QAction::triggered, this, &MainWindow::choose_and_open);

  open_sample_ = new QAction(tr("Open the &sample design"), this);
  open_sample_->setEnabled(!sample_design_path().isEmpty());
  connect(open_sample_, &QAction::triggered, this, [this] { open_file(sample_design_path()); });

  review_again_ =
      new QAction(themed("view-refresh", QStyle::SP_BrowserReload, this), tr("&Review again..."), this);
  review_again_->setShortcut(QKeySequence::Refresh);
  review_again_->setStatusTip(tr("Review the open design again with another selection"));
  connect(review_again_, &QAction::triggered, this, &MainWindow::review_again);

  export_report_ = new QAction(themed("document-export", QStyle::SP_FileDialogDetailedView, this),
                               tr("Export re&port..."), this);
  export_report_->setStatusTip(tr("Write the review report as a web page or a PDF document"));
  connect(export_report_, &QAction::triggered, this, &MainWindow::export_report);

  export_diagrams_ = new QAction(themed("document-save", QStyle::SP_DialogSaveButton, this),
                                 tr("Export &diagrams..."), this);
  export_diagrams_->setStatusTip(tr("Write the diagrams of the review as SVG and PNG files"));
  connect(export_diagrams_, &QAction::triggered, this, &MainWindow::export_diagrams);

  export_model_ = new QAction(tr("Export road &model..."), this);
  connect(export_model_, &QAction::triggered, this, &MainWindow::export_road_model);

  quit_ = new QAction(tr("&Quit"), this);
  quit_->setShortcut(QKeySequence::Quit);
  connect(quit_, &QAction::triggered, this, &QWidget::close);

  guide_ = new QAction(themed("help-contents", QStyle::SP_DialogHelpButton, this), tr("&User guide"), this);
  guide_->setShortcut(QKeySequence::HelpContents);
  connect(guide_, &QAction::triggered, this,
          [this] { (void)open_guide(this, current_language().toStdString()); });
  system_information_ = new QAction(tr("&System information"), this);
  connect(system_information_, &QAction::triggered, this, [this] { (void)show_system_information(this); });
  about_ = new QAction(tr("&About Corvalinde"), this);
  connect(about_, &QAction::triggered, this, [this] { show_about(this); });
}

void MainWindow::build_menus() {
  QMenu* file = menuBar()->addMenu(tr("&File"));
  file->addAction(open_);
  recent_menu_ = file->addMenu(tr("Open rec&ent"));
  file->addAction(open_sample_);
  file->addSeparator();
  file->addAction(review_again_);
  file->addAction(export_report_);
  file->addAction(export_diagrams_);
  file->addAction(export_model_);
  file->addSeparator();
  file->addAction(quit_);
  refresh_recent_menu();

  QMenu* view = menuBar()->addMenu(tr("&View"));
  QMenu* languages = view->addMenu(tr("&Language"));
  auto* group = new QActionGroup(this);
  const QString chosen = QSettings().value(kLanguageKey).toString();
  QStringList codes{QString()};
  codes << interface_languages();
  for (const QString& code : codes) {
    QAction* action =
        languages->addAction(code.isEmpty() ? tr("As the &system (%1)").arg(language_name(system_language()))
                                            : language_name(code));
    action->setCheckable(true);
    action->setChecked(code == chosen || (code.isEmpty() && !interface_languages().contains(chosen)));
    action->setData(code);
    group->addAction(action);
    language_actions_.push_back(action);
    connect(action, &QAction::triggered, this, [this, code] {
      QSettings().setValue(kLanguageKey, code);
      emit language_requested(code);
    });
  }

  QMenu* help = menuBar()->addMenu(tr("&Help"));
  help->addAction(guide_);
  help->addAction(system_information_);
  help->addSeparator();
  help->addAction(about_);

  QToolBar* tools = addToolBar(tr("Main toolbar"));
  tools->setObjectName(QStringLiteral("mainToolbar"));
  tools->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  tools->addAction(open_);
  tools->addAction(review_again_);
  tools->addAction(export_report_);
  tools->addAction(export_diagrams_);
  alignment_choice_ = new QComboBox(tools);
  alignment_choice_->setToolTip(tr("The alignment shown"));
  alignment_choice_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  tools->addSeparator();
  alignment_action_ = tools->addWidget(alignment_choice_);
  alignment_action_->setVisible(false);
  connect(alignment_choice_, &QComboBox::activated, this, &MainWindow::show_alignment);
}

QWidget* MainWindow::build_start_page() {
  auto* page = new QWidget(this);
  auto* layout = new QVBoxLayout(page);
  layout->addStretch(2);
  auto* title = new QLabel(tr("Review a road design"), page);
  QFont big = title->font();
  big.setPointSizeF(big.pointSizeF() * 1.8);
  big.setBold(true);
  title->setFont(big);
  title->setAlignment(Qt::AlignCenter);
  layout->addWidget(title);
  auto* hint =
      new QLabel(tr("Open a design in the native format (.txt), a LandXML file (.xml) or an IFC file "
                    "(.ifc), or drop one on this window. After you choose the road type and the "
                    "reviews, the findings appear here beside the plan and the long section."),
                 page);
  hint->setWordWrap(true);
  hint->setAlignment(Qt::AlignCenter);
  hint->setMaximumWidth(560);
  layout->addWidget(hint, 0, Qt::AlignHCenter);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  auto* open = new QPushButton(open_->icon(), tr("&Open a design..."), page);
  connect(open, &QPushButton::clicked, open_, &QAction::trigger);
  buttons->addWidget(open);
  auto* sample = new QPushButton(tr("Open the &sample design"), page);
  sample->setEnabled(open_sample_->isEnabled());
  connect(sample, &QPushButton::clicked, open_sample_, &QAction::trigger);
  buttons->addWidget(sample);
  buttons->addStretch();
  layout->addLayout(buttons);
  layout->addStretch(3);
  return page;
}

QWidget* MainWindow::build_review_page() {
  axis_ = new StationAxis(this);
  diagram_tabs_ = new QTabWidget(this);
  for (const DiagramKind kind : kShownDiagrams) {
    auto* view = new DiagramView(kind, *axis_, diagram_tabs_);
    diagram_tabs_->addTab(view, draw::diagram_title(kind, diagram_language()));
    diagrams_.push_back(view);
    connect(view, &DiagramView::station_clicked, this, &MainWindow::select_findings_at);
    connect(view, &DiagramView::hovered, this, [this](std::optional<double> station) {
      if (!station || !result_) {
        statusBar()->clearMessage();
        return;
      }
      statusBar()->showMessage(values_at(*station));
    });
  }

  findings_ = new FindingsModel(this);
  filter_ = new FindingsFilter(this);
  filter_->setSourceModel(findings_);
  auto* findings_panel = new QWidget(this);
  auto* findings_layout = new QVBoxLayout(findings_panel);
  findings_layout->setContentsMargins(0, 0, 0, 0);
  auto* filters = new QHBoxLayout;
  review_filter_ = new QComboBox(findings_panel);
  review_filter_->addItem(tr("All reviews"));
  for (std::size_t r = 0; r < kReviewCount; ++r)
    review_filter_->addItem(review_label(static_cast<Review>(r)));
  verdict_filter_ = new QComboBox(findings_panel);
  verdict_filter_->addItem(tr("All verdicts"));
  for (std::size_t v = 0; v < kVerdictCount; ++v) {
    const auto verdict = static_cast<Verdict>(v);
    verdict_filter_->addItem(verdict_icon(verdict), verdict_label(verdict));
  }
  auto* review_label_widget = new QLabel(tr("Re&view:"), findings_panel);
  review_label_widget->setBuddy(review_filter_);
  auto* verdict_label_widget = new QLabel(tr("Ver&dict:"), findings_panel);
  verdict_label_widget->setBuddy(verdict_filter_);
  filters->addWidget(review_label_widget);
  filters->addWidget(review_filter_);
  filters->addWidget(verdict_label_widget);
  filters->addWidget(verdict_filter_);
  filters->addStretch();
  findings_layout->addLayout(filters);
  connect(review_filter_, &QComboBox::currentIndexChanged, this, [this](int index) {
    filter_->set_review(index <= 0 ? std::nullopt : std::optional<Review>(static_cast<Review>(index - 1)));
  });
  connect(verdict_filter_, &QComboBox::currentIndexChanged, this, [this](int index) {
    filter_->set_verdict(index <= 0 ? std::nullopt : std::optional<Verdict>(static_cast<Verdict>(index - 1)));
  });

  table_ = new QTableView(findings_panel);
  table_->setModel(filter_);
  table_->setSortingEnabled(true);
  table_->sortByColumn(FindingsModel::kFrom, Qt::AscendingOrder);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  table_->setWordWrap(false);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->setAlternatingRowColors(true);
  findings_layout->addWidget(table_);
  connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex&, const QModelIndex&) { finding_selected(); });

  console_ = new ConsoleView(shown_console_, this);
  inner_split_ = new QSplitter(Qt::Horizontal, this);
  inner_split_->addWidget(diagram_tabs_);
  inner_split_->addWidget(findings_panel);
  inner_split_->setStretchFactor(0, 1);
  inner_split_->setStretchFactor(1, 1);
  outer_split_ = new QSplitter(Qt::Vertical, this);
  outer_split_->addWidget(inner_split_);
  outer_split_->addWidget(console_);
  outer_split_->setStretchFactor(0, 3);
  outer_split_->setStretchFactor(1, 2);
  // First start: the diagrams as wide as the table, the listing below.
  inner_split_->setSizes({640, 640});
  outer_split_->setSizes({520, 320});
  return outer_split_;
}

int MainWindow::page() const {
  return pages_->currentIndex();
}

void MainWindow::choose_and_open() {
  if (runner_->running()) return;
  QSettings settings;
  const QString all = tr("Road designs (*.txt *.xml *.ifc)");
  const QStringList filters{all, message(kNativeFileMessage), message(kLandXmlFileMessage),
                            message(kIfcFileMessage), tr("All files (*)")};
  const QString path = QFileDialog::getOpenFileName(
      this, tr("Open a road design"), settings.value(kLastFolderKey, QDir::currentPath()).toString(),
      filters.join(QStringLiteral(";;")));
  if (path.isEmpty()) return;  // cancelled: the open design stays as it is
  settings.setValue(kLastFolderKey, QFileInfo(path).absolutePath());
  open_file(path);
}

void MainWindow::open_file(const QString& path) {
  if (runner_->running() || path.isEmpty()) return;
  const QFileInfo info(path);
  if (!info.isFile()) {
    QMessageBox::warning(this, tr("Open a road design"),
                         tr("%1 is not a file that can be read.").arg(QDir::toNativeSeparators(path)));
    return;
  }
  running_path_ = info.absoluteFilePath();
  remember_recent(running_path_);
  set_running(true);
  runner_->start(running_path_, design_file_type(running_path_));
}

void MainWindow::review_again() {
  if (result_) open_file(result_->path);
}

QString MainWindow::values_at(double station) const {
  const RoadModel& model = result_->app->model();
  QStringList parts{tr("Station %1")
                        .arg(QString::fromStdString(format_designer_station(
                            designer_station(model.station_equations(), station), 2)))};
  AxisPoint point;
  const int plan_kind = evaluate_axis_point(model, station, 1, nullptr, point);
  const QLocale locale;
  if (point.profile_kind != 0) {
    parts << tr("elevation %1 m").arg(locale.toString(point.z, 'f', 2))
          << tr("grade %1 %").arg(locale.toString(100.0 * point.grade, 'f', 2));
  }
  if (plan_kind != 0) {
    parts << (point.curvature > 0.0 ? tr("radius %1 m").arg(locale.toString(1.0 / point.curvature, 'f', 0))
                                    : tr("straight"));
  }
  if (model.has_crossfall()) {
    parts << tr("crossfall %1 % / %2 %")
                 .arg(locale.toString(100.0 * point.left_crossfall, 'f', 2),
                      locale.toString(100.0 * point.right_crossfall, 'f', 2));
  }
  return parts.join(QStringLiteral(" · "));
}

void MainWindow::show_results(std::vector<std::shared_ptr<ReviewResult>> results, int index) {
  std::erase_if(results, [](const auto& result) { return !result || !result->app; });
  if (results.empty()) return;
  results_ = std::move(results);
  alignment_choice_->clear();
  for (const auto& result : results_) {
    // Name, length and the designer's stations of each alignment.
    const RoadModel& model = result->app->model();
    const draw::StationRange range = model_range(model);
    const StationEquations& equations = model.station_equations();
    auto station = [&equations](double internal) {
      return QString::fromStdString(format_designer_station(designer_station(equations, internal), 2));
    };
    QString name = result->alignment.isEmpty() ? QFileInfo(result->path).fileName() : result->alignment;
    if (!range.empty()) {
      name = tr("%1 — %2 m (%3 to %4)")
                 .arg(name, QLocale().toString(range.to - range.from, 'f', 1), station(range.from),
                      station(range.to));
    }
    alignment_choice_->addItem(name);
  }
  alignment_action_->setVisible(results_.size() > 1);
  show_alignment(std::clamp(index, 0, static_cast<int>(results_.size()) - 1));
}

int MainWindow::shown_index() const {
  const auto found = std::find(results_.begin(), results_.end(), result_);
  return found == results_.end() ? -1 : static_cast<int>(found - results_.begin());
}

void MainWindow::show_alignment(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= results_.size()) return;
  result_ = results_[static_cast<std::size_t>(index)];
  alignment_choice_->setCurrentIndex(index);
  const RoadModel& model = result_->app->model();
  const Console& console = result_->app->console();
  shown_console_.write(kConsoleClear);
  shown_console_.append(console);
  findings_->set_findings(console.records(), model.station_equations());
  axis_->set_full(model_range(model));
  for (DiagramView* view : diagrams_) view->set_content(diagram_source(*result_), diagram_language());
  table_->resizeColumnsToContents();
  pages_->setCurrentIndex(1);
  update_title();
  update_status();
  emit review_shown();
}

void MainWindow::finding_selected() {
  const QModelIndex current = table_->currentIndex();
  if (!current.isValid()) {
    for (DiagramView* view : diagrams_) view->set_highlight(std::nullopt);
    return;
  }
  const int row = filter_->data(current, FindingsModel::kRecordRole).toInt();
  if (row < 0 || static_cast<std::size_t>(row) >= findings_->records().size()) return;
  const FindingRecord& record = findings_->records()[static_cast<std::size_t>(row)];
  const std::pair<double, double> stretch{std::min(record.from, record.to), std::max(record.from, record.to)};
  for (DiagramView* view : diagrams_) view->set_highlight(stretch);
  // Bring the stretch into view when it lies outside the shown range.
  const draw::StationRange shown = axis_->shown();
  if (stretch.second < shown.from || stretch.first > shown.to) axis_->show_all();
  console_->show_line(record.line);
}

void MainWindow::select_findings_at(double station) {
  const draw::StationRange shown = axis_->shown();
  const double tolerance = kClickTolerance * (shown.to - shown.from);
  QItemSelection selection;
  QModelIndex first;
  for (int row = 0; row < filter_->rowCount(); ++row) {
    const QModelIndex index = filter_->index(row, 0);
    const int source = filter_->data(index, FindingsModel::kRecordRole).toInt();
    const FindingRecord& record = findings_->records()[static_cast<std::size_t>(source)];
    if (station < std::min(record.from, record.to) - tolerance ||
        station > std::max(record.from, record.to) + tolerance)
      continue;
    selection.select(index, filter_->index(row, FindingsModel::kColumnCount - 1));
    if (!first.isValid()) first = index;
  }
  if (!first.isValid()) {
    statusBar()->showMessage(tr("No finding here."), 3000);
    return;
  }
  table_->selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
  table_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  table_->scrollTo(first);
  finding_selected();
}

void MainWindow::export_diagrams() {
  if (!result_) {
    QMessageBox::information(this, tr("Export diagrams"), tr("Review a design first."));
    return;
  }
  const QString folder = QFileDialog::getExistingDirectory(this, tr("Folder for the diagrams"),
                                                           QFileInfo(result_->path).absolutePath());
  if (folder.isEmpty()) return;
  const draw::DiagramSource source = diagram_source(*result_);
  QString base = QFileInfo(result_->path).completeBaseName();
  if (results_.size() > 1) base += QLatin1Char('-') + result_->alignment;
  QStringList written;
  QStringList failed;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  for (const DiagramKind kind : kShownDiagrams) {
    const draw::PreparedDiagram diagram(kind, source, draw::StationRange{}, diagram_language());
    const QString stem = QString::fromUtf8(draw::diagram_file_stem(kind).data(),
                                           static_cast<qsizetype>(draw::diagram_file_stem(kind).size()));
    for (const auto& [format, suffix] : {std::pair{draw::DiagramFormat::kSvg, QStringLiteral("svg")},
                                         std::pair{draw::DiagramFormat::kPng, QStringLiteral("png")}}) {
      const QString path = QDir(folder).filePath(base + QLatin1Char('-') + stem + QLatin1Char('.') + suffix);
      const draw::ExportStatus status = draw::write_diagram(
          path, format, draw::diagram_title(kind, diagram_language()),
          [&diagram](QPainter& painter, const QRectF& area) { diagram.paint(painter, area); });
      (status == draw::ExportStatus::kOk ? written : failed) << QDir::toNativeSeparators(path);
    }
  }
  QApplication::restoreOverrideCursor();
  if (failed.isEmpty()) {
    statusBar()->showMessage(tr("%n diagram file(s) written.", nullptr, static_cast<int>(written.size())),
                             5000);
  } else {
    QMessageBox::warning(this, tr("Export diagrams"),
                         tr("These files could not be written:\n%1").arg(failed.join(QLatin1Char('\n'))));
  }
}

bool MainWindow::write_report_file(const QString& path, ReportFormat format) const {
  if (!result_) return false;
  draw::ReportRequest request;
  request.title = report_title(*result_);
  request.source = diagram_source(*result_);
  request.console = &result_->app->console();
  request.language = diagram_language();
  return draw::write_report(path, format, request) == draw::ExportStatus::kOk;
}

void MainWindow::export_report() {
  if (!result_) {
    QMessageBox::information(this, tr("Export report"), tr("Review a design first."));
    return;
  }
  const QString suggested = QFileInfo(result_->path).absolutePath() + QLatin1Char('/') +
                            QFileInfo(result_->path).completeBaseName() + QStringLiteral("-report.html");
  const QString path = QFileDialog::getSaveFileName(this, tr("Export report"), suggested,
                                                    tr("Web page (*.html *.htm);;PDF document (*.pdf)"));
  if (path.isEmpty()) return;
  const std::optional<ReportFormat> format = report_format_of(path.toStdString());
  if (!format) {
    QMessageBox::warning(
        this, tr("Export report"),
        tr("Give the report a name ending in .html or .pdf: %1").arg(QDir::toNativeSeparators(path)));
    return;
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const bool written = write_report_file(path, *format);
  QApplication::restoreOverrideCursor();
  if (!written) {
    QMessageBox::warning(this, tr("Export report"),
                         tr("%1 could not be written.").arg(QDir::toNativeSeparators(path)));
    return;
  }
  statusBar()->showMessage(tr("Report written: %1").arg(QDir::toNativeSeparators(path)), 5000);
}

void MainWindow::export_road_model() {
  if (!result_) {
    QMessageBox::information(this, tr("Export road model"), tr("Review a design first."));
    return;
  }
  const QString path =
      QFileDialog::getSaveFileName(this, tr("Export road model"), QFileInfo(result_->path).absolutePath(),
                                   message(kPointsFileMessage) + QStringLiteral(";;") + tr("All files (*)"));
  if (path.isEmpty()) return;
  std::ofstream out(path.toStdString(), std::ios::binary | std::ios::trunc);
  if (!out || write_road_model_points(result_->app->model(), kExportStep, out) != PointsStatus::kOk) {
    write_log("export road model failed", path.toStdString());
    QMessageBox::warning(this, tr("Export road model"),
                         tr("%1 could not be written.").arg(QDir::toNativeSeparators(path)));
  }
}

void MainWindow::remember_recent(const QString& path) {
  QSettings settings;
  QStringList recent = settings.value(kRecentKey).toStringList();
  recent.removeAll(path);
  recent.prepend(path);
  while (recent.size() > kMaxRecentFiles) recent.removeLast();
  settings.setValue(kRecentKey, recent);
  refresh_recent_menu();
}

void MainWindow::refresh_recent_menu() {
  recent_menu_->clear();
  const QStringList recent = QSettings().value(kRecentKey).toStringList();
  int number = 0;
  for (const QString& path : recent) {
    ++number;
    QAction* action = recent_menu_->addAction(QStringLiteral("&%1 %2").arg(number).arg(
        QDir::toNativeSeparators(path).replace(QLatin1Char('&'), QStringLiteral("&&"))));
    action->setEnabled(QFileInfo(path).isFile());
    connect(action, &QAction::triggered, this, [this, path] { open_file(path); });
  }
  recent_menu_->setEnabled(!recent.isEmpty());
}

void MainWindow::update_title() {
  if (result_) {
    setWindowTitle(tr("%1 — Corvalinde").arg(QFileInfo(result_->path).fileName()));
  } else {
    setWindowTitle(QStringLiteral("Corvalinde"));
  }
}

void MainWindow::update_status() {
  const bool shown = result_ != nullptr;
  design_label_->setVisible(shown);
  alignment_label_->setVisible(shown && !result_->alignment.isEmpty());
  road_type_label_->setVisible(shown && result_->outcome.selection.has_value());
  counts_label_->setVisible(shown);
  review_again_->setEnabled(shown && !runner_->running());
  export_diagrams_->setEnabled(shown);
  export_report_->setEnabled(shown);
  export_model_->setEnabled(shown);
  if (!shown) return;
  design_label_->setText(QFileInfo(result_->path).fileName());
  design_label_->setToolTip(QDir::toNativeSeparators(result_->path));
  alignment_label_->setText(tr("Alignment: %1").arg(result_->alignment));
  if (result_->outcome.selection) {
    road_type_label_->setText(road_type_label_text(result_->outcome.selection->road_type));
  }
  std::array<int, kVerdictCount> counts{};
  for (const FindingRecord& record : result_->app->console().records())
    ++counts[static_cast<std::size_t>(record.verdict)];
  QStringList parts;
  for (const Verdict verdict : {Verdict::kFail, Verdict::kWarning, Verdict::kNotAssessable, Verdict::kOk}) {
    parts << QStringLiteral("<span style=\"color:%1\">%2 %3</span>")
                 .arg(verdict_colour(verdict).name(), verdict_symbol(verdict))
                 .arg(counts[static_cast<std::size_t>(verdict)]);
  }
  counts_label_->setText(parts.join(QStringLiteral("&nbsp;&nbsp;")));
  QStringList tip;
  for (std::size_t v = 0; v < kVerdictCount; ++v)
    tip << QStringLiteral("%1: %2").arg(verdict_label(static_cast<Verdict>(v))).arg(counts[v]);
  counts_label_->setToolTip(tip.join(QLatin1Char('\n')));
}

void MainWindow::set_running(bool running) {
  progress_->setVisible(running);
  cancel_->setVisible(running);
  progress_->setRange(0, 0);  // busy until the reader gives a scale
  open_->setEnabled(!running);
  open_sample_->setEnabled(!running && !sample_design_path().isEmpty());
  recent_menu_->setEnabled(!running && !QSettings().value(kRecentKey).toStringList().isEmpty());
  for (QAction* action : language_actions_) action->setEnabled(!running);
  if (running) {
    statusBar()->showMessage(tr("Reviewing %1...").arg(QFileInfo(running_path_).fileName()));
  } else {
    statusBar()->clearMessage();
  }
  update_status();
}

void MainWindow::show_progress(int value, int maximum, const QString& text) {
  if (maximum < 0) {
    progress_->setRange(0, 0);
    return;
  }
  if (!text.isEmpty()) {
    progress_->setRange(0, std::max(1, maximum));
    progress_->setValue(0);
    progress_->setFormat(text.trimmed() + QStringLiteral(" %p%"));
  } else if (value >= 1 && maximum >= 1) {
    progress_->setValue(std::min(value, maximum));
  }
}

void MainWindow::save_layout() const {
  QSettings settings;
  settings.setValue(kGeometryKey, saveGeometry());
  settings.setValue(kStateKey, saveState());
  settings.setValue(kOuterSplitKey, outer_split_->saveState());
  settings.setValue(kInnerSplitKey, inner_split_->saveState());
}

void MainWindow::restore_layout() {
  QSettings settings;
  if (!restoreGeometry(settings.value(kGeometryKey).toByteArray())) resize(1280, 820);
  (void)restoreState(settings.value(kStateKey).toByteArray());
  (void)outer_split_->restoreState(settings.value(kOuterSplitKey).toByteArray());
  (void)inner_split_->restoreState(settings.value(kInnerSplitKey).toByteArray());
}

void MainWindow::closeEvent(QCloseEvent* event) {
  save_layout();
  runner_->cancel();
  write_log(kClosingLogLine);
  event->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (!runner_->running() && !urls.isEmpty() && urls.front().isLocalFile()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.isEmpty() || !urls.front().isLocalFile()) return;
  event->acceptProposedAction();
  open_file(urls.front().toLocalFile());
}

}  // namespace corvalinde::ui
