#include "ui/main_window.h"

#include <QFileInfo>
#include <QTimer>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "output/road_model_export.h"
#include "services/diagnostic_log.h"
#include "services/message_table.h"
#include "ui/console_view.h"
#include "ui/controls.h"
#include "ui/file_selection.h"
#include "ui/help.h"
#include "ui/menus.h"
#include "ui/selection_dialog.h"

namespace corvalinde::ui {

MainWindowProcedure::MainWindowProcedure(CoreApplication& core, StoredSelectionStep::Editor editor)
    : core_(core), editor_(std::move(editor)) {
  if (!editor_) editor_ = [](SelectionModel& model) { return run_selection_dialog(model); };
}

void MainWindowProcedure::initialise(Dialog& dialog) {
  // Message 0 loads the table, but releases one already loaded: ask only once.
  if (message_table_state() == MessageTableState::kNotInitialised) (void)message_text(0, 0);
  QMenu* file = create_popup_menu(dialog, kFileMenu, kFileMenuMessage, {MenuEntry{false, "Ctrl+O"}});
  QMenu* help = create_popup_menu(dialog, kHelpMenu, kHelpMenuMessage,
                                  {MenuEntry{!help_file_usable(help_file_path()), "F1"}});
  create_menu_bar(dialog, kMenuBarMessage, {file, help});
  set_title_text(&dialog, {});
  console_ = create_console(dialog, kConsoleControl, core_.console(), QRect());
  dialog.resize_client(console_->sizeHint());
  console_->setGeometry(QRect(QPoint(), dialog.client()->size()));
  dialog.set_abilities(kCanResize | kCanMinimise | kCanMaximise);
  QTimer::singleShot(0, &dialog, [&dialog] { focus_control(dialog, kConsoleControl); });
}

void MainWindowProcedure::resized(Dialog&, QSize client) {
  if (console_ != nullptr) console_->setGeometry(QRect(QPoint(), client));
}

QSize MainWindowProcedure::minimum_size(Dialog&) {
  return console_ != nullptr ? console_->minimumSizeHint() : QSize();
}

void MainWindowProcedure::destroyed(Dialog&) {
  write_log(kClosingLogLine);
}

bool MainWindowProcedure::close_requested(Dialog& dialog) {
  dialog.send_command(command_word(kCloseCommand, kNotifyClicked), nullptr);
  return true;
}

void MainWindowProcedure::command(Dialog& dialog, std::uint32_t packed_command, QWidget* source) {
  const int event = command_event(dialog, packed_command, source);
  // Control notifications (the console) stay with the toolkit; a refused
  // field or an ignored click leaves nothing to do.
  if (event == kEventControl || event == kEventSwallowed || event == kEventOptionChanged) return;
  const int identifier = event == 0 ? command_identifier(packed_command) : event;
  switch (identifier) {
    case kDefaultCommand:
      return;  // Enter never closes the main window
    case kCancelCommand:
    case kEventCancel:
    case kCloseCommand:
      file_command(dialog, menu_item_of(kQuitCommand));
      return;
    default:
      break;
  }
  if (menu_of(identifier) == kFileMenu) {
    file_command(dialog, menu_item_of(identifier));
  } else if (menu_of(identifier) == kHelpMenu) {
    show_help(menu_item_of(identifier));
  }
}

void MainWindowProcedure::file_command(Dialog& dialog, int item) {
  if (item == menu_item_of(kOpenCommand)) {
    open_design(dialog);
  } else if (item == menu_item_of(kExportCommand)) {
    export_road_model(dialog);
  } else if (item == menu_item_of(kQuitCommand)) {
    (void)end_dialog(dialog, -1);
  }
}

void MainWindowProcedure::open_design(Dialog& dialog) {
  if (running_) return;  // the accelerator, too, waits for the run to end
  std::string path;
  const std::vector<std::string> types{message_trimmed(kNativeFileMessage),
                                       message_trimmed(kLandXmlFileMessage),
                                       message_trimmed(kIfcFileMessage)};
  const int type = select_file(path, types, 0, &dialog);
  if (type == 0) return;

  (void)grey_menu_command(dialog, kOpenCommand, true);
  set_title_text(&dialog, QFileInfo(QString::fromStdString(path)).fileName().toStdString());
  StoredSelectionStep step(core_.model(), editor_, StoredSelectionStep::Policy{});
  ++runs_;
  running_ = true;
  (void)core_.open_design(path, type, step);
  running_ = false;
  (void)grey_menu_command(dialog, kOpenCommand, false);
}

// Title bits of select_file that show "Save a file".
constexpr unsigned kSaveFileTitle = 16;

void MainWindowProcedure::export_road_model(Dialog& dialog) {
  if (running_) return;
  std::string path;
  const std::vector<std::string> types{message_trimmed(kPointsFileMessage)};
  if (select_file(path, types, kFileForWriting | kAskBeforeReplacing | kSaveFileTitle, &dialog) == 0) return;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  // The table goes out as the model holds it (an empty model gives the header
  // alone); a file that cannot be written is logged.
  if (!out || write_road_model_points(core_.model(), kExportStep, out) != PointsStatus::kOk) {
    write_log("export road model failed", path);
  }
}

}  // namespace corvalinde::ui
