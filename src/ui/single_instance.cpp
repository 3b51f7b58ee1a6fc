#include "ui/single_instance.h"

#include <unistd.h>

#include <QApplication>
#include <QCryptographicHash>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QMainWindow>

#include <memory>
#include <utility>

#include "services/diagnostic_log.h"
#include "services/settings_store.h"

namespace corvalinde::ui {
namespace {

constexpr int kConnectTimeoutMs = 1000;
constexpr int kWriteTimeoutMs = 1000;
constexpr int kNameHashChars = 16;
// The requests of a later start, one line each: show the window, or show it
// and open a design ("open " and the absolute path, percent-encoded so that
// any file name fits on one line).
const QByteArray kShowRequest = QByteArrayLiteral("show\n");
const QByteArray kOpenRequest = QByteArrayLiteral("open ");

// What the first instance keeps for its whole life.
struct InstanceGuard {
  std::unique_ptr<QLockFile> lock;
  std::unique_ptr<QLocalServer> server;
  std::function<void(const QString&)> open_design;
};

InstanceGuard& guard() {
  static InstanceGuard instance;
  return instance;
}

void read_requests(QLocalSocket* socket) {
  while (socket->canReadLine()) {
    const QByteArray line = socket->readLine();
    if (line == kShowRequest) {
      show_running_window();
    } else if (line.startsWith(kOpenRequest) && line.endsWith('\n')) {
      show_running_window();
      const QString path =
          QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(kOpenRequest.size()).chopped(1)));
      // Opening may show a message window: not inside this socket's signal.
      QMetaObject::invokeMethod(
          QCoreApplication::instance(),
          [path] {
            if (guard().open_design) guard().open_design(path);
          },
          Qt::QueuedConnection);
    }
  }
}

void serve(QLocalServer& server) {
  QObject::connect(&server, &QLocalServer::newConnection, &server, [&server] {
    while (QLocalSocket* socket = server.nextPendingConnection()) {
      QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket] { read_requests(socket); });
      read_requests(socket);  // what arrived with the connection
    }
  });
}

// Asks the running instance to show itself and open the file, if any; false
// when it cannot be reached.
bool ask_running_instance(const QString& file) {
  QLocalSocket socket;
  socket.connectToServer(QString::fromStdString(single_instance_server_name()));
  if (!socket.waitForConnected(kConnectTimeoutMs)) return false;
  socket.write(file.isEmpty()
                   ? kShowRequest
                   : kOpenRequest + QFileInfo(file).absoluteFilePath().toUtf8().toPercentEncoding() + '\n');
  const bool sent = socket.waitForBytesWritten(kWriteTimeoutMs);
  socket.disconnectFromServer();
  return sent;
}

}  // namespace

std::string single_instance_lock_path() {
  return settings_path(application_base_name("lock"));
}

std::string single_instance_server_name() {
  // Socket names share one folder for all users: the user and the settings
  // folder make the name this user's own.
  const QString folder = QFileInfo(QString::fromStdString(single_instance_lock_path())).absolutePath();
  const QByteArray hash = QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha1).toHex();
  return application_base_name() + "-" + std::to_string(::getuid()) + "-" +
         hash.left(kNameHashChars).toStdString();
}

void show_running_window() {
  QMainWindow* main = nullptr;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* window = qobject_cast<QMainWindow*>(widget)) main = window;
  }
  if (main == nullptr) return;
  if (main->isMinimized()) {
    main->showNormal();
  } else {
    main->show();
  }
  QWidget* front = QApplication::activeModalWidget();
  if (front == nullptr) front = main;
  front->raise();
  front->activateWindow();
}

void on_design_handed_over(std::function<void(const QString& path)> handler) {
  guard().open_design = std::move(handler);
}

void ensure_single_instance(const QString& file) {
  InstanceGuard& instance = guard();
  if (instance.lock != nullptr) return;
  auto lock = std::make_unique<QLockFile>(QString::fromStdString(single_instance_lock_path()));
  // Only a live holder counts: a lock whose process is gone is stale at once.
  lock->setStaleLockTime(0);
  if (lock->tryLock(0)) {
    instance.lock = std::move(lock);
    const QString name = QString::fromStdString(single_instance_server_name());
    QLocalServer::removeServer(name);
    instance.server = std::make_unique<QLocalServer>();
    instance.server->setSocketOptions(QLocalServer::UserAccessOption);
    if (instance.server->listen(name)) {
      serve(*instance.server);
    } else {
      write_log("single instance: cannot listen on", name.toStdString());
      instance.server.reset();
    }
    return;
  }
  if (lock->error() != QLockFile::LockFailedError) {
    // No lock can be made here (a read-only folder): run unguarded rather
    // than refuse to start.
    write_log("single instance: no lock file", single_instance_lock_path());
    return;
  }
  if (ask_running_instance(file)) {
    QApplication::beep();
    QGuiApplication::sync();
    fatal_error("");
  }
  fatal_error(kAlreadyRunningText);
}

}  // namespace corvalinde::ui
