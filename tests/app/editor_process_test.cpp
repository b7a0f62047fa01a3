// The editor as a process, on the offscreen platform with private configuration,
// data and runtime folders: a second copy hands its file to the running one and
// ends, the lock goes with its owner, and restarts leave the settings unchanged.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class EditorProcessTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  QString runtime() const { return dir_.filePath("run"); }
  QString settingsFile() const {
    return dir_.filePath(QStringLiteral("config/Tessaly/Lexova PRO 訂正プログラム.conf"));
  }
  QString socket() const { return runtime() + "/lexova/editor.socket"; }
  QString lock() const { return runtime() + "/lexova/editor.lock"; }

  void prepare(QProcess& p) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", dir_.filePath("config"));
    env.insert("XDG_DATA_HOME", dir_.filePath("data"));
    env.insert("XDG_CACHE_HOME", dir_.filePath("cache"));
    env.insert("XDG_RUNTIME_DIR", runtime());
    p.setProcessEnvironment(env);
    p.setProgram(LEXOVA_EDITOR);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  }
  // Starts a first copy and waits until it listens for others.
  void startFirst(QProcess& p, const QStringList& args = {}) {
    prepare(p);
    p.setArguments(args);
    p.start();
    QVERIFY(p.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socket()), 10000);
  }
  // Closes it as a logout does, and waits for its normal end.
  void endFirst(QProcess& p) {
    p.terminate();
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
  }
  QByteArray settings() const {
    QFile f(settingsFile());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

 private slots:
  void initTestCase() {
    QVERIFY(QDir().mkpath(runtime()));
    QVERIFY(QFile::setPermissions(runtime(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY(QFile::copy(LEXOVA_SOURCE_DIR "/samples/kumono_ito.xml", dir_.filePath("kumono.xml")));
  }

  void secondCopyHandsItsFileToTheRunningOne() {
    QProcess first;
    startFirst(first);
    QProcess second;
    prepare(second);
    second.setArguments({dir_.filePath("kumono.xml")});
    QElapsedTimer t;
    t.start();
    second.start();
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitCode(), 0);
    QVERIFY2(t.elapsed() < 3000, "the running copy answers at once");
    // The lock stays with the first copy.
    QVERIFY(QFile::exists(lock()));
    QCOMPARE(first.state(), QProcess::Running);
    // The running copy opened the file: it is first in the recent-file list it saves.
    QTest::qWait(300);
    endFirst(first);
    QVERIFY(settings().contains("File1=" + dir_.filePath("kumono.xml").toUtf8()));
    QVERIFY(!QFile::exists(lock()));
    QVERIFY(!QFile::exists(socket()));
  }

  void lockOfAKilledCopyIsTakenOver() {
    QProcess killed;
    startFirst(killed);
    killed.kill();  // SIGKILL: the lock file stays behind
    QVERIFY(killed.waitForFinished(10000));
    QVERIFY(QFile::exists(lock()));
    QFile::remove(socket());
    QProcess next;
    startFirst(next);
    endFirst(next);
  }

  void fiveRestartsLeaveTheSettingsFileByteIdentical() {
    QFile::remove(settingsFile());
    QByteArray first;
    for (int run = 0; run < 5; ++run) {
      QProcess p;
      startFirst(p, {dir_.filePath("kumono.xml")});
      QTest::qWait(200);
      endFirst(p);
      if (run == 0) {
        first = settings();
        QVERIFY(first.contains("[Window]"));
      } else {
        QCOMPARE(settings(), first);
      }
    }
  }
};

QTEST_GUILESS_MAIN(EditorProcessTest)
#include "editor_process_test.moc"
