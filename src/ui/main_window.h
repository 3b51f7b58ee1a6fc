// The main window of the desktop program: the file and help menus, the
// console filling the client area, and the commands that open a design, quit,
// open the guide and show the About window. The procedure uses the process's
// CoreApplication (not owned) and runs the analysis inside the open command.
// Commands never fail: a cancelled choice changes nothing, and errors of
// reading and analysis are reported by the run on the console.
#pragma once

#include "app/core_application.h"
#include "app/selection_step.h"
#include "ui/dialog.h"

namespace corvalinde::ui {

class ConsoleView;

inline constexpr int kMenuBarMessage = 111;
inline constexpr int kFileMenuMessage = 112;
inline constexpr int kHelpMenuMessage = 113;
inline constexpr int kNativeFileMessage = 121;
inline constexpr int kLandXmlFileMessage = 122;
inline constexpr int kIfcFileMessage = 110;
inline constexpr int kFileMenu = 1;
inline constexpr int kHelpMenu = 2;
inline constexpr int kOpenCommand = 17;    // file, item 1
inline constexpr int kExportCommand = 49;  // file, item 3
inline constexpr int kQuitCommand = 65;    // file, item 4
inline constexpr int kPointsFileMessage = 65;
// Step (m) of the road-model points the desktop exports.
inline constexpr double kExportStep = 10.0;
inline constexpr int kCloseCommand = 8;  // what the close box sends
inline constexpr int kConsoleControl = 0;
inline constexpr const char* kClosingLogLine = "ON_CLOSE_WIN_APP";

class MainWindowProcedure final : public DialogProcedure {
 public:
  // editor: what the selection step runs (the selection dialog by default).
  explicit MainWindowProcedure(CoreApplication& core, StoredSelectionStep::Editor editor = {});

  void initialise(Dialog& dialog) override;
  void command(Dialog& dialog, std::uint32_t packed_command, QWidget* source) override;
  void resized(Dialog& dialog, QSize client) override;
  QSize minimum_size(Dialog& dialog) override;
  void destroyed(Dialog& dialog) override;
  bool close_requested(Dialog& dialog) override;

  // The analysis runs started by the open command so far.
  int runs() const { return runs_; }

 private:
  void file_command(Dialog& dialog, int item);
  void open_design(Dialog& dialog);
  void export_road_model(Dialog& dialog);

  CoreApplication& core_;
  StoredSelectionStep::Editor editor_;
  ConsoleView* console_ = nullptr;
  int runs_ = 0;
  bool running_ = false;
};

}  // namespace corvalinde::ui
