// CRuvodEdararApp: the editor's application object. It keeps to one copy a user,
// loads the settings, makes the one document and its main frame, offers recovery
// before it opens the command-line file, and at a normal exit removes the backup
// it owns.
#pragma once

#include <QApplication>

namespace lexova::app {

class CRuvodEdararApp final : public QApplication {
  Q_OBJECT

 public:
  CRuvodEdararApp(int& argc, char** argv);
  // The whole start-up, the session and the exit; the process's exit status.
  int run();
};

}  // namespace lexova::app
