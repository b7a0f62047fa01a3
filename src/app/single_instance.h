// One editor a user: the first copy holds a lock file and listens on a local
// socket in the user's private runtime folder; a later copy hands its file to it
// and ends. The lock is released only by the copy that holds it.
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

namespace lexova::app {

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  // folder: the private runtime folder; empty: no single-instance check.
  explicit SingleInstance(const QString& folder, QObject* parent = nullptr);
  ~SingleInstance() override;

  enum class Role {
    Primary,      // this copy runs the session
    Forwarded,    // the running copy took the file (or was raised): end quietly
    NoAnswer,     // another copy holds the lock but did not answer
    Unavailable,  // no lock could be made: run without the check
  };
  // Takes the lock, or hands `file` (an absolute path, or empty just to raise the
  // window) to the copy that holds it, waiting up to waitMs for its answer.
  Role claim(const QString& file, int waitMs = 4000);

  QString socketPath() const;
  QString lockPath() const;

 signals:
  // Another copy was started: raise the window and open `file` when not empty.
  void requested(const QString& file);

 private:
  void serve();
  bool forward(const QString& file, int waitMs);

  QString folder_;
  std::unique_ptr<QLockFile> lock_;
  QLocalServer server_;
};

}  // namespace lexova::app
