#include "ui/dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <fmt/format.h>

#include <algorithm>
#include <cstdint>

#include "services/diagnostic_log.h"
#include "services/settings_store.h"
#include "ui/controls.h"
#include "ui/number_field.h"
#include "ui/system_information.h"

namespace corvalinde::ui {
namespace {

// The framework's private "shown" message, posted by the runners once the
// window is on screen.
constexpr int kShownMessage = 1283;
const QEvent::Type kShownEvent = static_cast<QEvent::Type>(QEvent::User + kShownMessage);

constexpr const char* kUserWordProperty = "corvalindeUserWord";
constexpr const char* kIdentifierProperty = "corvalindeIdentifier";

// Windows.h show states as the settings file records them.
constexpr int kShowNormal = 1;
constexpr int kShowMinimised = 2;
constexpr int kShowMaximised = 3;

struct FrameworkState {
  QPointer<Dialog> main;
  QPointer<Dialog> last_popup;
  std::optional<int> quit_code;
};

FrameworkState& state() {
  static FrameworkState framework;
  return framework;
}

Qt::WindowFlags flags_of(DialogKind kind, bool caption) {
  switch (kind) {
    case DialogKind::kChild:
      return Qt::Widget;
    case DialogKind::kMain:
      return Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    case DialogKind::kModal:
    case DialogKind::kPopup:
      break;
  }
  if (!caption) return Qt::Dialog | Qt::FramelessWindowHint;
  return Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
}

unsigned default_abilities(DialogKind kind) {
  return kind == DialogKind::kMain ? (kCanResize | kCanMinimise) : 0u;
}

// Places a top-level window centred over its owner's window.
void centre_over(QWidget& window, const QWidget* owner) {
  QRect area;
  if (owner != nullptr && owner->isVisible()) {
    area = owner->window()->frameGeometry();
  } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    area = screen->availableGeometry();
  }
  if (!area.isValid()) return;
  QRect frame = window.frameGeometry();
  frame.moveCenter(area.center());
  window.move(std::max(0, frame.left()), std::max(0, frame.top()));
}

void give_owner(Dialog& dialog, QWidget* owner) {
  if (owner == nullptr) return;
  dialog.winId();  // creates the native window so that it can be given a transient parent
  QWindow* own = owner->window()->windowHandle();
  if (dialog.windowHandle() != nullptr && own != nullptr) dialog.windowHandle()->setTransientParent(own);
}

void store_placement(const QWidget& window) {
  (void)write_setting("Placement", placement_text(window));
}

void show_dialog(Dialog& dialog, const DialogDescription& description) {
  if ((description.flags & kSavePlacement) != 0 && description.start_maximised) {
    dialog.showMaximized();
  } else {
    dialog.show();
  }
}

}  // namespace

const DialogUnits& dialog_units() {
  static const DialogUnits units = [] {
    DialogUnits u;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return u;
    const int x = static_cast<int>(screen->logicalDotsPerInchX());
    const int y = static_cast<int>(screen->logicalDotsPerInchY());
    if (x <= 0 || y <= 0) return u;
    u.x8 = x / 8;
    u.y8 = y / 8;
    u.x10 = x / 10;
    u.y10 = y / 10;
    return u;
  }();
  return units;
}

QString dialog_class_name(DialogKind kind) {
  switch (kind) {
    case DialogKind::kChild:
      return QStringLiteral("DialogueC");
    case DialogKind::kModal:
      return QStringLiteral("DialogueS");
    case DialogKind::kPopup:
      return QStringLiteral("Dialogue");
    case DialogKind::kMain:
      break;
  }
  return QString::fromStdString(application_base_name()) + QStringLiteral("Main");
}

std::string window_handle_text(const QWidget* window) {
  return fmt::format("{:08X}", reinterpret_cast<std::uintptr_t>(window));
}

std::string placement_text(const QWidget& window) {
  const Qt::WindowStates states = window.windowState();
  int show = kShowNormal;
  if (states.testFlag(Qt::WindowMinimized)) {
    show = kShowMinimised;
  } else if (states.testFlag(Qt::WindowMaximized)) {
    show = kShowMaximised;
  }
  const QRect normal = show == kShowNormal ? window.geometry() : window.normalGeometry();
  return fmt::format("{} {} {} {} {}", show, normal.left(), normal.top(), normal.left() + normal.width(),
                     normal.top() + normal.height());
}

void set_user_word(QWidget* widget, int word) {
  if (widget != nullptr) widget->setProperty(kUserWordProperty, word);
}

int user_word(const QWidget* widget) {
  if (widget == nullptr) return 0;
  const QVariant word = widget->property(kUserWordProperty);
  return word.isValid() ? word.toInt() : 0;
}

// ---------------------------------------------------------------------------

Dialog::Dialog(DialogKind kind, DialogProcedure& procedure, int point_size, QWidget* parent, bool caption)
    : QDialog(parent, flags_of(kind, caption)),
      kind_(kind),
      procedure_(procedure),
      point_size_(point_size > 0 ? point_size : kModalPointSize),
      abilities_(default_abilities(kind)) {
  setObjectName(dialog_class_name(kind));
  QFont face = QApplication::font();
  face.setPointSize(point_size_);
  setFont(face);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  client_ = new QWidget(this);
  client_->setObjectName(QStringLiteral("client"));
  client_->installEventFilter(this);
  layout->addWidget(client_, 1);
  focus_connection_ =
      connect(qApp, &QApplication::focusChanged, this,
              [this](QWidget* old_focus, QWidget* new_focus) { focus_changed(old_focus, new_focus); });
}

Dialog::~Dialog() {
  disconnect(focus_connection_);
  send_destroy();
}

void Dialog::send_destroy() {
  if (destroy_sent_) return;
  destroy_sent_ = true;
  write_log("DESTROY DIALOG");
  procedure_.destroyed(*this);
}

void Dialog::resize_client(QSize size) {
  const int menu = menu_bar_ != nullptr ? menu_bar_->sizeHint().height() : 0;
  resize(size.width(), size.height() + menu);
}

void Dialog::initialise() {
  QElapsedTimer clock;
  clock.start();
  write_log("INIT    DIALOG");
  write_log("dlg font  ", font().family().toStdString(), font().pointSize());
  procedure_.initialise(*this);
  update_minimum_size();
  write_log("sortie INIT    DIALOG");
  reopen_log_for_append();
  if (kind_ == DialogKind::kChild) write_log("FIN INIT_DIALOG", clock.elapsed());
}

void Dialog::update_minimum_size() {
  const QSize minimum = procedure_.minimum_size(*this);
  if (minimum.isValid()) client_->setMinimumSize(minimum);
}

void Dialog::send_command(std::uint32_t packed_command, QWidget* source) {
  procedure_.command(*this, packed_command, source);
}

void Dialog::end(int result) {
  result_ = result;
  close_flag_ = true;
  if (loop_ != nullptr) loop_->quit();
  emit ended();
}

void Dialog::register_control(int identifier, QWidget* widget) {
  if (widget == nullptr) return;
  widget->setProperty(kIdentifierProperty, identifier);
  controls_[identifier] = widget;
}

QWidget* Dialog::control_by_identifier(int identifier) const {
  const auto it = controls_.find(identifier);
  return it == controls_.end() ? nullptr : it->second.data();
}

std::optional<int> Dialog::identifier_of(const QWidget* widget) const {
  if (widget == nullptr) return std::nullopt;
  const QVariant id = widget->property(kIdentifierProperty);
  if (!id.isValid()) return std::nullopt;
  const int identifier = id.toInt();
  if (control_by_identifier(identifier) != widget) return std::nullopt;
  return identifier;
}

int Dialog::next_framework_number() const {
  int n = -1;
  while (control_by_identifier(control_identifier(n)) != nullptr) --n;
  return n;
}

void Dialog::set_menu_bar(QMenuBar* bar) {
  if (menu_bar_ == bar) return;
  delete menu_bar_;
  menu_bar_ = bar;
  if (bar != nullptr) layout()->setMenuBar(bar);
}

void Dialog::install_accelerators(const std::vector<Accelerator>& accelerators) {
  for (const Accelerator& accelerator : accelerators) {
    const QKeySequence key =
        QKeySequence::fromString(QString::fromStdString(accelerator.key), QKeySequence::PortableText);
    if (key.isEmpty()) continue;
    auto* shortcut = new QShortcut(key, this);
    shortcut->setContext(Qt::WindowShortcut);
    const std::uint32_t word = command_word(accelerator.command, kNotifyClicked);
    connect(shortcut, &QShortcut::activated, this, [this, word] { send_command(word, nullptr); });
  }
  // The framework's own key, in every window it runs.
  auto* information = new QShortcut(QKeySequence(QString::fromLatin1(kSystemInformationKey)), this);
  information->setContext(Qt::WindowShortcut);
  connect(information, &QShortcut::activated, this, [] { (void)show_system_information(); });
}

bool Dialog::take_refusal() {
  const bool refused = refused_;
  refused_ = false;
  return refused;
}

void Dialog::refocus(QWidget* widget) {
  if (widget == nullptr) return;
  const bool was = refocusing_;
  refocusing_ = true;
  widget->setFocus(Qt::OtherFocusReason);
  refocusing_ = was;
}

void Dialog::post_shown() {
  QCoreApplication::postEvent(this, new QEvent(kShownEvent));
}

void Dialog::focus_changed(QWidget* old_focus, QWidget* new_focus) {
  (void)new_focus;
  if (refocusing_ || close_flag_) return;
  if (qobject_cast<NumberField*>(old_focus) == nullptr) return;
  const std::optional<int> id = identifier_of(old_focus);
  if (!id) return;
  send_command(command_word(*id, kNotifyKillFocus), old_focus);
}

void Dialog::keyPressEvent(QKeyEvent* event) {
  const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  if (plain && event->key() == Qt::Key_Escape) {
    if (!press_button(*this, kEventCancel))
      send_command(command_word(kCancelCommand, kNotifyClicked), nullptr);
    event->accept();
    return;
  }
  if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
    auto* focused = qobject_cast<QPushButton*>(QApplication::focusWidget());
    if (focused != nullptr && identifier_of(focused) && focused->isEnabled()) {
      focused->click();
    } else if (!press_button(*this, kEventAccept)) {
      send_command(command_word(kDefaultCommand, kNotifyClicked), nullptr);
    }
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);  // not QDialog's: Esc and Enter are ours
}

void Dialog::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (close_flag_ || procedure_.close_requested(*this)) return;
  if (!press_button(*this, kEventCancel)) send_command(command_word(kCancelCommand, kNotifyClicked), nullptr);
}

void Dialog::customEvent(QEvent* event) {
  if (event->type() != kShownEvent) {
    QDialog::customEvent(event);
    return;
  }
  write_log(kind_ == DialogKind::kChild ? "FIN APSHOWWINDOW" : "DEB APSHOWWINDOW");
  // Embedded dialogs learn that their window is shown, too.
  for (Dialog* child : client_->findChildren<Dialog*>()) {
    if (child->kind() == DialogKind::kChild) QCoreApplication::sendEvent(child, event);
  }
}

void Dialog::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow() &&
      (kind_ == DialogKind::kModal || kind_ == DialogKind::kPopup)) {
    state().last_popup = this;
  }
  QDialog::changeEvent(event);
}

bool Dialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client_ && event->type() == QEvent::Resize) procedure_.resized(*this, client_->size());
  return QDialog::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------

namespace {

// Asks a focused number field other than source to validate itself; false
// when it refused.
bool focused_field_accepts(Dialog& dialog, QWidget* source) {
  auto* field = qobject_cast<NumberField*>(QApplication::focusWidget());
  if (field == nullptr || field == source) return true;
  const std::optional<int> id = dialog.identifier_of(field);
  if (!id) return true;
  (void)dialog.take_refusal();
  const bool was = dialog.validation_forced();
  dialog.set_validation_forced(true);
  dialog.send_command(command_word(*id, kNotifyKillFocus), field);
  dialog.set_validation_forced(was);
  return !dialog.take_refusal();
}

int option_button_event(Dialog& dialog, int identifier, QWidget* source) {
  if (!focused_field_accepts(dialog, source)) return kEventSwallowed;
  auto* clicked = qobject_cast<QAbstractButton*>(dialog.control_by_identifier(identifier));
  if (clicked == nullptr || !clicked->isEnabled() || user_word(clicked) != 0) return kEventSwallowed;
  // The group: the option buttons with neighbouring identifiers, up to the
  // first missing one on either side.
  auto uncheck = [&dialog](int id) {
    auto* button = qobject_cast<QAbstractButton*>(dialog.control_by_identifier(id));
    if (button == nullptr) return false;
    if (button->isChecked()) button->setChecked(false);
    return true;
  };
  for (int id = identifier - 1; id >= kOptionBase && uncheck(id); --id) {
  }
  for (int id = identifier + 1; uncheck(id); ++id) {
  }
  clicked->setChecked(true);
  if (QWidget* focus = QApplication::focusWidget(); focus != nullptr && dialog.isAncestorOf(focus)) {
    focus->clearFocus();
  }
  return kEventOptionChanged;
}

}  // namespace

int command_event(Dialog& dialog, std::uint32_t packed_command, QWidget* source) {
  const int identifier = command_identifier(packed_command);
  if (identifier >= kOptionBase) return option_button_event(dialog, identifier, source);
  if (identifier >= kControlBase || notification_code(packed_command) != kNotifyClicked) return kEventControl;
  const int result = (source == nullptr || !source->isEnabled()) ? 0 : user_word(source);
  if (result != kEventCancel && !focused_field_accepts(dialog, source)) return kEventSwallowed;
  return result;
}

int end_dialog(Dialog& dialog, int result) {
  dialog.end(result);
  return kHandled;
}

void adjust_system_menu(Dialog& window) {
  if (window.system_menu_adjusted() || window.kind() == DialogKind::kChild) return;
  window.mark_system_menu_adjusted();
  const unsigned abilities = window.abilities();
  Qt::WindowFlags flags = window.windowFlags();
  flags.setFlag(Qt::WindowMinimizeButtonHint, (abilities & kCanMinimise) != 0);
  flags.setFlag(Qt::WindowMaximizeButtonHint, (abilities & kCanMaximise) != 0);
  if ((abilities & (kCanMinimise | kCanMaximise)) != 0) flags |= Qt::CustomizeWindowHint;
  const bool visible = window.isVisible();
  window.setWindowFlags(flags);
  if ((abilities & kCanResize) == 0) window.setFixedSize(window.size());
  if (visible) window.show();
}

Dialog* main_window() {
  return state().main.data();
}

QWidget* default_owner() {
  if (QWidget* active = QApplication::activeWindow()) return active->window();
  if (Dialog* popup = last_active_popup()) return popup;
  Dialog* main = main_window();
  return main != nullptr && main->isVisible() ? main : nullptr;
}

Dialog* last_active_popup() {
  Dialog* popup = state().last_popup.data();
  return popup != nullptr && popup->isVisible() ? popup : nullptr;
}

int run_modal_dialog(DialogProcedure& procedure) {
  DialogDescription description;
  description.procedure = &procedure;
  return run_modal_dialog(description);
}

int run_modal_dialog(const DialogDescription& description) {
  if (description.procedure == nullptr || qApp == nullptr) return kEventCancel;
  const QPointer<QWidget> previous_focus = QApplication::focusWidget();
  QPointer<QWidget> owner = description.owner != nullptr ? description.owner->window() : default_owner();

  auto dialog = std::make_unique<Dialog>(DialogKind::kModal, *description.procedure, description.point_size);
  dialog->install_accelerators(description.accelerators);
  dialog->initialise();
  give_owner(*dialog, owner);
  adjust_system_menu(*dialog);
  if (!dialog->close_flag()) {
    centre_over(*dialog, owner);
    show_dialog(*dialog, description);
    dialog->activateWindow();
    const bool disabled_owner = owner != nullptr && owner->isEnabled();
    if (disabled_owner) owner->setEnabled(false);
    dialog->post_shown();
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    QEventLoop loop;
    dialog->set_loop(&loop);
    if (!dialog->close_flag()) loop.exec();
    dialog->set_loop(nullptr);
    QApplication::restoreOverrideCursor();
    if ((description.flags & kSavePlacement) != 0) store_placement(*dialog);
    // The owner comes back before the dialog goes, so that the window
    // manager hands the activation back to it.
    if (disabled_owner && owner != nullptr) owner->setEnabled(true);
  }
  const int result = dialog->close_flag() ? dialog->result() : kEventCancel;
  dialog->hide();
  dialog.reset();
  if (previous_focus != nullptr && QApplication::focusWidget() != previous_focus) {
    previous_focus->activateWindow();
    previous_focus->setFocus(Qt::OtherFocusReason);
  }
  return result;
}

void post_quit(int code) {
  state().quit_code = code;
  QCoreApplication::exit(code);
}

int run_main_window(const DialogDescription& description) {
  if (description.procedure == nullptr || qApp == nullptr) return 0;
  const std::string directory = read_setting("CurDir");
  if (!directory.empty()) (void)QDir::setCurrent(QString::fromStdString(directory));

  state().quit_code.reset();
  const QPointer<Dialog> main =
      new Dialog(DialogKind::kMain, *description.procedure,
                 description.point_size > 0 ? description.point_size : kMainPointSize);
  state().main = main;
  const bool save = (description.flags & kSavePlacement) != 0;
  main->install_accelerators(description.accelerators);
  // When the main window ends it is taken down from the loop, never inside
  // the procedure's own call, and the loop ends unless a quit was posted.
  QObject::connect(main, &Dialog::ended, main, [main, save] {
    QTimer::singleShot(0, main, [main, save] {
      if (save) store_placement(*main);
      main->hide();
      main->deleteLater();
      if (!state().quit_code) QCoreApplication::exit(0);
    });
  });
  main->initialise();
  adjust_system_menu(*main);
  int code = 0;
  if (!main->close_flag()) {
    centre_over(*main, nullptr);
    show_dialog(*main, description);
    main->activateWindow();
    main->post_shown();
    code = QApplication::exec();
  }
  if (main != nullptr) {
    if (save && !main->close_flag()) store_placement(*main);
    delete main.data();
  }
  if (state().quit_code) code = *state().quit_code;
  (void)store_current_directory(QDir::currentPath().toStdString());
  return code;
}

}  // namespace corvalinde::ui
