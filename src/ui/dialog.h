// The dialog framework: every window of the application is a Dialog built in
// code whose behaviour is a DialogProcedure of the application. The framework
// owns the windows it runs (main window, modal dialogs) and destroys them when
// they end; procedures are not owned. Commands reach the procedure as command
// words (numbering.h) that command_event translates. Nothing here throws; a
// runner without a procedure or without a QApplication returns at once.
#pragma once

#include <QDialog>
#include <QPointer>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/numbering.h"

class QEventLoop;
class QMenuBar;

namespace corvalinde::ui {

// 0 embedded in another window, 1 modal, 2 other popups, 3 the main window.
enum class DialogKind { kChild = 0, kModal = 1, kPopup = 2, kMain = 3 };

// Flags of a DialogDescription.
enum DialogFlags : unsigned {
  kSavePlacement = 1,  // may start maximised; "Placement" is stored when it closes
  kModalDialog = 8,    // what run_modal_dialog's short form carries
};

// What a dialog's style allows; adjust_system_menu applies it once.
enum WindowAbility : unsigned {
  kCanResize = 1,
  kCanMinimise = 2,
  kCanMaximise = 4,
};

inline constexpr int kModalPointSize = 8;
inline constexpr int kMainPointSize = 9;

// The screen's logical pixels per inch, each divided by 8 and by 10 (rounded
// toward zero), read once on first use. A character cell is x10 wide and y8
// high.
struct DialogUnits {
  int x8 = 12;
  int y8 = 12;
  int x10 = 9;
  int y10 = 9;
  QSize cell() const { return {x10, y8}; }
};
const DialogUnits& dialog_units();

// A key (Qt's portable text: "Ctrl+O", "F10") that sends command with
// notification 0.
struct Accelerator {
  std::string key;
  int command = 0;
};

class Dialog;

// The application's side of a dialog. The framework calls these on the user-
// interface thread; the dialog outlives every call.
class DialogProcedure {
 public:
  virtual ~DialogProcedure() = default;
  // Creates the controls and sizes the dialog (resize_client).
  virtual void initialise(Dialog& dialog) = 0;
  // A command word from a control, a menu, an accelerator or the keyboard;
  // source is the control that sent it (nullptr for menus and keys).
  virtual void command(Dialog& dialog, std::uint32_t packed_command, QWidget* source) = 0;
  // The client area changed size.
  virtual void resized(Dialog&, QSize /*client*/) {}
  // The smallest client size allowed (an invalid size: no minimum).
  virtual QSize minimum_size(Dialog&) { return {}; }
  // The dialog is being destroyed; its controls still exist.
  virtual void destroyed(Dialog&) {}
  // The close box was used. Return true when handled; otherwise the framework
  // presses the cancel button (user word 27), or sends command 2 without one.
  virtual bool close_requested(Dialog&) { return false; }
};

struct DialogDescription {
  DialogProcedure* procedure = nullptr;  // not owned
  unsigned flags = kModalDialog;         // DialogFlags
  std::vector<Accelerator> accelerators;
  int point_size = kModalPointSize;
  bool start_maximised = false;  // honoured with kSavePlacement only
  QWidget* owner = nullptr;      // nullptr: the active window
};

class Dialog : public QDialog {
  Q_OBJECT

 public:
  // parent: for kChild the window it is embedded in; for the others nullptr
  // (a top-level window; the runners give it its owner).
  Dialog(DialogKind kind, DialogProcedure& procedure, int point_size, QWidget* parent = nullptr,
         bool caption = true);
  ~Dialog() override;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  DialogKind kind() const { return kind_; }
  DialogProcedure& procedure() { return procedure_; }
  int point_size() const { return point_size_; }

  // The parent of every control; the area below the menu bar.
  QWidget* client() const { return client_; }
  void resize_client(QSize size);

  // Runs the procedure's initialisation with its trace records, then applies
  // the procedure's minimum size. Called once by whoever creates the dialog.
  void initialise();
  // Asks the procedure for its minimum client size again.
  void update_minimum_size();

  // Delivers one command word to the procedure.
  void send_command(std::uint32_t packed_command, QWidget* source);

  // Close flag and result slot (end_dialog sets both).
  bool close_flag() const { return close_flag_; }
  int result() const { return result_; }
  void end(int result);

  // Controls by identifier (numbering.h); the dialog does not own them beyond
  // Qt's parent ownership.
  void register_control(int identifier, QWidget* widget);
  QWidget* control_by_identifier(int identifier) const;
  std::optional<int> identifier_of(const QWidget* widget) const;
  const std::map<int, QPointer<QWidget>>& controls() const { return controls_; }
  // The next free framework number (-1, -2, ...).
  int next_framework_number() const;

  void set_menu_bar(QMenuBar* bar);
  QMenuBar* menu_bar() const { return menu_bar_; }

  void set_abilities(unsigned abilities) { abilities_ = abilities; }
  unsigned abilities() const { return abilities_; }
  bool system_menu_adjusted() const { return system_menu_adjusted_; }
  void mark_system_menu_adjusted() { system_menu_adjusted_ = true; }

  // The given keys, and the framework's own system-information key.
  void install_accelerators(const std::vector<Accelerator>& accelerators);

  // Number-field validation support (number_field.h). While forced, a
  // validation acts although the focus has not moved.
  bool validation_forced() const { return validation_forced_; }
  void set_validation_forced(bool forced) { validation_forced_ = forced; }
  void note_refusal() { refused_ = true; }
  bool take_refusal();
  // Gives the focus back to widget without validating anything on the way.
  void refocus(QWidget* widget);

  // The modal runner's local loop (not owned).
  void set_loop(QEventLoop* loop) { loop_ = loop; }

  // Posts the framework's private "shown" event.
  void post_shown();

 signals:
  void ended();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void customEvent(QEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void focus_changed(QWidget* old_focus, QWidget* new_focus);
  void send_destroy();

  DialogKind kind_;
  DialogProcedure& procedure_;
  int point_size_;
  QWidget* client_ = nullptr;
  QMenuBar* menu_bar_ = nullptr;
  std::map<int, QPointer<QWidget>> controls_;
  bool close_flag_ = false;
  int result_ = 0;
  unsigned abilities_ = 0;
  bool system_menu_adjusted_ = false;
  bool validation_forced_ = false;
  bool refused_ = false;
  bool refocusing_ = false;
  bool destroy_sent_ = false;
  QEventLoop* loop_ = nullptr;
  QMetaObject::Connection focus_connection_;
};

// The window class name of a kind ("DialogueC", "DialogueS", "Dialogue", and
// the base name + "Main").
QString dialog_class_name(DialogKind kind);

// Every control keeps one integer, its user word (a push button keeps its
// return code there). 0 when never set.
void set_user_word(QWidget* widget, int word);
int user_word(const QWidget* widget);

// Translates a command word (see numbering.h): a menu command or user word
// (0 means: read the menu command from packed_command), kEventControl for control
// notifications, kEventOptionChanged / kEventSwallowed for option buttons.
// Validates a focused number field first, as the framework's rule requires;
// a refusal gives kEventSwallowed.
int command_event(Dialog& dialog, std::uint32_t packed_command, QWidget* source);

// Ends a dialog with result; returns kHandled. The window stays on screen
// until its runner takes it down.
int end_dialog(Dialog& dialog, int result);

// Runs a modal kind-1 dialog and returns the result given to end_dialog
// (kEventCancel when the loop ends without one, e.g. at application quit).
int run_modal_dialog(DialogProcedure& procedure);
int run_modal_dialog(const DialogDescription& description);

// Runs the main window until the application's loop ends. Reads "CurDir"
// first and stores the current directory at the end unless it is removable.
// Returns the code given to post_quit, or 0 when the main window ended
// without one.
int run_main_window(const DialogDescription& description);
void post_quit(int code);

// The running main window (nullptr when none) and the popup that was active
// last (nullptr when none is open).
Dialog* main_window();
Dialog* last_active_popup();

// The owner a new modal or progress window gets: the active window; between
// two windows (none is active) the popup active last, else the main window.
QWidget* default_owner();

// Once per window: applies the window's abilities to its frame buttons.
void adjust_system_menu(Dialog& window);

// The "Placement" text of a window: show state (1 normal, 2 minimised, 3
// maximised), then left, top, right, bottom of its normal rectangle.
std::string placement_text(const QWidget& window);

// Framework trace helpers: the hexadecimal handle of a window in the log.
std::string window_handle_text(const QWidget* window);

}  // namespace corvalinde::ui
