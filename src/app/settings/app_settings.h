// What the application object loads at start-up and writes back at exit: the
// settings, the output fonts, the user data folder and the registered-character table.
#pragma once

#include <optional>

#include "app/settings/settings_store.h"
#include "editing/registered_table.h"
#include "host/host.h"
#include "platform/fonts.h"

namespace lexova::app {

struct ApplicationSettings {
  settings::AllSettings values;
  settings::OutputFonts fonts;
  std::u16string userDataFolder;  // empty: none could be made
  RegisteredTable table;
};

// Start-up, in the described order: the values (with the check of section
// Parameter), the registered-table path and table, the output fonts with their
// defaults. A stale UserDataFolder is written back. Nothing when the Parameter
// check failed: the program then ends with exit code -1.
std::optional<ApplicationSettings> loadApplicationSettings(
    SettingsStore& store, Host& host, const settings::FontLookup& fonts = platform::firstInstalledFont);

// The user data folder of the values, writing UserDataFolder back when it named a
// missing folder.
std::u16string settleUserDataFolder(SettingsStore& store, settings::AllSettings& values);

// Exit: the settings in the order of the close writes, then the table when modified.
void saveApplicationSettings(SettingsStore& store, ApplicationSettings& app, Host& host);

}  // namespace lexova::app
