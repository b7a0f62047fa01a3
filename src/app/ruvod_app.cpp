#include "app/ruvod_app.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QDesktopServices>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QSocketNotifier>
#include <QTimer>
#include <QTranslator>
#include <cstdio>

#include "app/dialogs.h"
#include "app/main_frame.h"
#include "app/qt_host.h"
#include "app/settings/app_settings.h"
#include "app/single_instance.h"
#include "document/lifecycle/document.h"
#include "platform/folders.h"

namespace lexova::app {
namespace {

// BackupOrgFileName, written as soon as it changes.
class StoreBackupOrigin final : public BackupOrigin {
 public:
  StoreBackupOrigin(SettingsStore& store, settings::AllSettings& values) : store_(store), values_(values) {}
  std::u16string get() override { return values_.backup.backupOrgFileName; }
  void set(std::u16string_view path) override {
    values_.backup.backupOrgFileName = path;
    store_.writeNow(values_, QStringLiteral("Backup/BackupOrgFileName"));
  }

 private:
  SettingsStore& store_;
  settings::AllSettings& values_;
};

// SIGTERM and SIGINT (a logout, a kill) close the window as the close box does,
// so the settings are written; they reach the event loop through a pipe.
int signalPipe[2] = {-1, -1};
void onSignal(int) {
  const char c = 1;
  [[maybe_unused]] const auto n = ::write(signalPipe[1], &c, 1);
}

}  // namespace

CRuvodEdararApp::CRuvodEdararApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("lexova-editor"));
  setApplicationVersion(QStringLiteral(LEXOVA_VERSION));
  setDesktopFileName(QStringLiteral("lexova-editor"));
  setWindowIcon(QIcon(QStringLiteral(":/lexova-editor.svg")));
  // The program speaks Japanese: Qt's own buttons and dialogs too, when its
  // translations are installed.
  auto* qtText = new QTranslator(this);
  if (qtText->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    installTranslator(qtText);
  }
}

int CRuvodEdararApp::run() {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Lexova PRO 訂正プログラム"));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("the work file to open"),
                               QStringLiteral("[file]"));
  parser.process(*this);
  const QStringList files = parser.positionalArguments();
  const QString file = files.isEmpty() ? QString() : QFileInfo(files.front()).absoluteFilePath();

  // From here on SIGTERM and SIGINT end the program through its normal exit.
  if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
  }

  QtHost host;
  // One copy a user: a later one hands its file to the running one.
  SingleInstance instance(QString::fromStdString(platform::runtimeFolder()));
  const SingleInstance::Role role = instance.claim(file);
  if (role == SingleInstance::Role::Forwarded) return 0;
  if (role == SingleInstance::Role::NoAnswer) {
    static_cast<Host&>(host).message(std::u16string(kApplicationName) + u" は既に起動しています。", kApplicationName,
                                     MessageIcon::Information);
    return 0;
  }

  SettingsStore store;
  std::optional<ApplicationSettings> loaded = loadApplicationSettings(store, host);
  if (!loaded) return settings::kParameterExitCode;
  ApplicationSettings& app = *loaded;
  settings::settleDisplayValues(app.values.settings);

  StoreBackupOrigin origin(store, app.values);
  SteadyClock clock;
  // Without a user data folder there is nowhere private to keep a backup.
  DAdovoVodovoDez doc(host, clock, origin, documentOptionsFor(app.values, app.userDataFolder));
  QtFrameDialogs dialogs(host);
  CMainFrame frame(
      FrameServices{host, store, app, doc, dialogs, [](const QUrl& url) { return QDesktopServices::openUrl(url); }});
  host.setWindow(&frame);
  connect(&instance, &SingleInstance::requested, &frame, &CMainFrame::openRequested);

  // A signal that came before the window existed closes it as soon as it does.
  std::unique_ptr<QSocketNotifier> signalNotifier;
  if (signalPipe[0] >= 0) {
    signalNotifier = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    connect(signalNotifier.get(), &QSocketNotifier::activated, &frame, [&frame] {
      char buffer[16];
      while (::read(signalPipe[0], buffer, sizeof buffer) > 0) {
      }
      frame.close();
    });
  }

  if (app.values.window.zoomed == 1) {
    frame.showMaximized();
  } else {
    frame.show();
  }
  // Once the window is up: recovery, then the file of the command line.
  QTimer::singleShot(0, &frame, [&frame, file] { frame.startSession(file); });
  const int status = exec();
  // Only the copy that owns the session removes its backup (and, as the lock's
  // holder, the lock with it).
  if (role == SingleInstance::Role::Primary) doc.removeBackupAtExit();
  return status;
}

}  // namespace lexova::app
