// The desktop program: prepares the services, makes sure it is the only
// instance, and runs the main window until the user quits.
// The core's headers come first, then Qt's.
#include "app/core_application.h"

#include <QApplication>

#include "services/diagnostic_log.h"
#include "services/settings_store.h"
#include "ui/dialog.h"
#include "ui/gui_user_interface.h"
#include "ui/main_window.h"
#include "ui/single_instance.h"

int main(int argc, char** argv) {
  using namespace corvalinde;
  QApplication application(argc, argv);
  // The arrow is Qt's default cursor; Linux has no critical-error boxes to
  // silence, so start-up goes straight to the single-instance check.
  ui::GuiUserInterface port;
  (void)set_user_interface(&port);
  ui::ensure_single_instance();
  open_diagnostic_log(argc, argv);
  write_log_record(application_base_name());

  CoreApplication core;
  ui::MainWindowProcedure procedure(core);
  ui::DialogDescription description;
  description.procedure = &procedure;
  description.flags = ui::kSavePlacement;
  description.point_size = ui::kMainPointSize;
  description.accelerators = {{"Ctrl+O", ui::kOpenCommand}, {"F1", ui::menu_command(ui::kHelpMenu, 1)}};
  const int code = ui::run_main_window(description);
  (void)set_user_interface(nullptr);
  return code;
}
