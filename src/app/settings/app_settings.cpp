#include "app/settings/app_settings.h"

#include "platform/folders.h"

namespace lexova::app {

std::u16string settleUserDataFolder(SettingsStore& store, settings::AllSettings& values) {
  const settings::UserDataFolder folder = platform::userDataFolder(values);
  if (folder.writeBack) {
    values.folderPath.userDataFolder = folder.path;
    store.writeNow(values, "FolderPath/UserDataFolder");
  }
  return folder.path;
}

std::optional<ApplicationSettings> loadApplicationSettings(SettingsStore& store, Host& host,
                                                           const settings::FontLookup& fonts) {
  ApplicationSettings app;
  app.values = store.load();
  if (!settings::checkParameters(app.values.parameter, host)) return std::nullopt;
  app.userDataFolder = settleUserDataFolder(store, app.values);
  app.table.loadAtStartUp(settings::registeredTablePath(app.values.settings, app.userDataFolder), host);
  app.fonts = settings::applyFontDefaults(app.values.settings, fonts);
  return app;
}

void saveApplicationSettings(SettingsStore& store, ApplicationSettings& app, Host& host) {
  store.saveAtClose(app.values);
  app.table.saveAtProgramEnd(host);
}

}  // namespace lexova::app
