#include "app/single_instance.h"

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QThread>

namespace lexova::app {
namespace {

// The request: "open\t" and the path, or "raise"; one line of UTF-8.
QByteArray request(const QString& file) {
  return file.isEmpty() ? QByteArray("raise\n") : "open\t" + file.toUtf8() + "\n";
}

// sun_path holds 108 bytes with its terminating zero.
constexpr qsizetype kSocketPathMax = 107;

}  // namespace

SingleInstance::SingleInstance(const QString& folder, QObject* parent) : QObject(parent), folder_(folder) {
  connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::serve);
}

SingleInstance::~SingleInstance() {
  server_.close();
  // The lock file goes with its owner only (QLockFile never removes another's).
  lock_.reset();
}

QString SingleInstance::socketPath() const {
  return folder_ + QStringLiteral("/editor.socket");
}
QString SingleInstance::lockPath() const {
  return folder_ + QStringLiteral("/editor.lock");
}

SingleInstance::Role SingleInstance::claim(const QString& file, int waitMs) {
  if (folder_.isEmpty()) return Role::Unavailable;
  lock_ = std::make_unique<QLockFile>(lockPath());
  // A lock left by a copy that was killed names a process that is gone: QLockFile
  // takes it over. No age makes a live copy's lock stale.
  lock_->setStaleLockTime(0);
  const QDeadlineTimer deadline(waitMs);
  while (true) {
    if (lock_->tryLock(0)) {
      if (socketPath().toLocal8Bit().size() <= kSocketPathMax) {
        QLocalServer::removeServer(socketPath());
        server_.setSocketOptions(QLocalServer::UserAccessOption);
        server_.listen(socketPath());
      }
      return Role::Primary;
    }
    if (lock_->error() != QLockFile::LockFailedError) {
      lock_.reset();
      return Role::Unavailable;
    }
    // The holder may still be starting: its socket comes a moment after its lock.
    if (forward(file, static_cast<int>(std::min<qint64>(deadline.remainingTime(), 1000)))) return Role::Forwarded;
    if (deadline.hasExpired()) break;
    QThread::msleep(100);
  }
  lock_.reset();
  return Role::NoAnswer;
}

bool SingleInstance::forward(const QString& file, int waitMs) {
  if (waitMs <= 0) return false;
  QLocalSocket socket;
  socket.connectToServer(socketPath());
  if (!socket.waitForConnected(waitMs)) return false;
  socket.write(request(file));
  if (!socket.waitForBytesWritten(waitMs)) return false;
  QByteArray answer;
  const QDeadlineTimer deadline(waitMs);
  while (!answer.contains('\n') && !deadline.hasExpired()) {
    if (!socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) break;
    answer += socket.readAll();
  }
  return answer.startsWith("ok\n");
}

void SingleInstance::serve() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      if (!socket->canReadLine()) {
        // A request is one short line; anything longer is not from our editor.
        if (socket->bytesAvailable() > 64 * 1024) socket->abort();
        return;
      }
      const QByteArray line = socket->readLine().chopped(1);
      QString file;
      if (line.startsWith("open\t")) {
        file = QString::fromUtf8(line.mid(5));
      } else if (line != "raise") {
        socket->abort();
        return;
      }
      socket->write("ok\n");
      socket->flush();
      socket->disconnectFromServer();
      // Opened after the answer: the other copy does not wait for the questions.
      QMetaObject::invokeMethod(
          this, [this, file] { emit requested(file); }, Qt::QueuedConnection);
    });
  }
}

}  // namespace lexova::app
