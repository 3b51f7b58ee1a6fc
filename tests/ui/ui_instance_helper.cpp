// A tiny program for the single-instance test: it runs the guard, then a
// main window, and reports on standard output what a test needs to see:
// "ready" once its window is up, "restored active=<0|1>" when a later start
// brought its minimised window back, and "message: <line>" for each line a
// message window would show.
#include <QApplication>
#include <QTimer>

#include <cstdio>

#include "services/user_interface.h"
#include "ui/dialog.h"
#include "ui/single_instance.h"

namespace {

using namespace corvalinde;

void say(const char* text) {
  std::printf("%s\n", text);
  std::fflush(stdout);
}

class PrintingPort final : public UserInterface {
 public:
  int choose_from_list(std::string_view, const std::vector<std::string>&) override { return 0; }
  void progress_window(int, std::string_view) override {}
  int message_window(const std::vector<std::string>& lines, int, const std::vector<std::string>&) override {
    for (const std::string& line : lines) std::printf("message: %s\n", line.c_str());
    std::fflush(stdout);
    return 1;
  }
};

class MainProcedure final : public ui::DialogProcedure {
 public:
  void initialise(ui::Dialog& dialog) override {
    dialog.resize_client(QSize(300, 200));
    QTimer::singleShot(0, &dialog, [&dialog, this] {
      dialog.showMinimized();
      was_minimised_ = true;
      say("ready");
    });
    auto* watch = new QTimer(&dialog);
    QObject::connect(watch, &QTimer::timeout, &dialog, [&dialog, this] {
      if (was_minimised_ && !dialog.isMinimized()) {
        was_minimised_ = false;
        say(dialog.isActiveWindow() ? "restored active=1" : "restored active=0");
      }
    });
    watch->start(20);
  }
  void command(ui::Dialog&, std::uint32_t, QWidget*) override {}

 private:
  bool was_minimised_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  PrintingPort port;
  set_user_interface(&port);
  ui::ensure_single_instance();
  MainProcedure procedure;
  ui::DialogDescription description;
  description.procedure = &procedure;
  return ui::run_main_window(description);
}
