// Two real processes of a small program that runs the single-instance guard:
// the second start brings the first back, hands over its design as an
// absolute path, and ends with status 1; a lock left
// by a killed instance does not block the next start; an instance that holds
// the lock but cannot be reached ends a start with the fixed text.
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QTest>

#include "ui/single_instance.h"

namespace {

constexpr int kWaitMs = 10000;

// Reads the process's output until it holds text (or the process ends).
bool wait_for_output(QProcess& process, QByteArray& seen, const QByteArray& text) {
  QElapsedTimer clock;
  clock.start();
  while (!seen.contains(text) && clock.elapsed() < kWaitMs) {
    if (!process.waitForReadyRead(100) && process.state() == QProcess::NotRunning) break;
    seen += process.readAllStandardOutput();
  }
  return seen.contains(text);
}

// One run of the helper program, killed at the end as a crash would (the
// lock file stays behind).
class Helper {
 public:
  explicit Helper(const QStringList& arguments = {}) {
    process_.setProgram(QStringLiteral(UI_INSTANCE_HELPER));
    process_.setArguments(arguments);
    process_.start();
  }
  ~Helper() { stop(); }
  Helper(const Helper&) = delete;
  Helper& operator=(const Helper&) = delete;

  QProcess& process() { return process_; }
  bool wait_for(const QByteArray& text) { return wait_for_output(process_, seen_, text); }
  const QByteArray& seen() const { return seen_; }
  void stop() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished(kWaitMs);
  }

 private:
  QProcess process_;
  QByteArray seen_;
};

}  // namespace

class UiSingleInstanceTest : public QObject {
  Q_OBJECT

 private slots:
  void second_start_raises_the_first_and_ends_with_status_1() {
    Helper first;
    QVERIFY(first.wait_for("ready"));

    Helper second;
    QVERIFY(second.process().waitForFinished(kWaitMs));
    QCOMPARE(second.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.process().exitCode(), 1);
    const QByteArray second_output = second.process().readAllStandardOutput();
    QVERIFY(!second_output.contains("ready"));
    QVERIFY(!second_output.contains("message:"));  // nothing shown
    QVERIFY2(first.wait_for("restored active=1"), first.seen().constData());

    // A later start with a design hands it over (relative to where it started, with
    // a character that needs encoding) and ends as before.
    const QString design = QStringLiteral("dossier é/route 1.xml");
    Helper with_design({design});
    QVERIFY(with_design.process().waitForFinished(kWaitMs));
    QCOMPARE(with_design.process().exitCode(), 1);
    const QByteArray expected = "open: " + QFileInfo(design).absoluteFilePath().toUtf8();
    QVERIFY2(first.wait_for(expected), first.seen().constData());

    // The first one dies without cleaning up; the next start takes over.
    first.stop();
    QVERIFY(QFile::exists(QString::fromStdString(corvalinde::ui::single_instance_lock_path())));
    Helper third;
    QVERIFY(third.wait_for("ready"));
  }

  void holder_that_cannot_be_reached_ends_the_start_with_a_text() {
    QLockFile held(QString::fromStdString(corvalinde::ui::single_instance_lock_path()));
    QVERIFY(held.tryLock(0));
    Helper start;
    QVERIFY(start.process().waitForFinished(kWaitMs));
    QCOMPARE(start.process().exitCode(), 1);
    QCOMPARE(QString::fromUtf8(start.process().readAllStandardOutput()).trimmed(),
             QStringLiteral("message: ") + QString::fromUtf8(corvalinde::ui::kAlreadyRunningText));
  }
};

QTEST_GUILESS_MAIN(UiSingleInstanceTest)
#include "ui_single_instance_test.moc"
