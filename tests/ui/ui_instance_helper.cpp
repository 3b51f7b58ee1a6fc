// A tiny program for the single-instance test: it runs the guard, then a
// main window, and reports on standard output what a test needs to see:
// "ready" once its window is up, "restored active=<0|1>" when a later start
// brought its minimised window back, "open: <path>" for a design a later
// start handed over, and "message: <line>" for each line a message window
// would show. Its first argument, if any, is the design it was given.
#include <QApplication>
#include <QMainWindow>
#include <QTimer>

#include <cstdio>

#include "services/user_interface.h"
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

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  PrintingPort port;
  set_user_interface(&port);
  ui::ensure_single_instance(QCoreApplication::arguments().value(1));
  ui::on_design_handed_over([](const QString& path) { say(("open: " + path.toStdString()).c_str()); });
  QMainWindow window;
  window.resize(300, 200);
  bool was_minimised = false;
  QTimer::singleShot(0, &window, [&window, &was_minimised] {
    window.showMinimized();
    was_minimised = true;
    say("ready");
  });
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, &window, [&window, &was_minimised] {
    if (was_minimised && !window.isMinimized()) {
      was_minimised = false;
      say(window.isActiveWindow() ? "restored active=1" : "restored active=0");
    }
  });
  watch.start(20);
  return QApplication::exec();
}
