// The settings store: every value of the system in sections of a per-user store
// (QSettings: the registry key Software\Tessaly\Lexova PRO 訂正プログラム on Windows,
// the per-user configuration file elsewhere), read into plain values with their
// defaults and rules, and written back at close in the described order.
#pragma once

#include <QString>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "settings/values.h"

class QSettings;

namespace lexova::app {

// A value as the program holds it: a number, a decimal, a text or a list.
using SettingValue = std::variant<long long, double, std::u16string, std::vector<long long>>;

enum class Owner {
  Frame,        // section Settings, held by the main frame: written first at close
  Window,       // section Window: written second
  Application,  // everything else: written last
  OnChange,     // written when it changes, never at close
};

struct SettingEntry {
  const char* section;
  const char16_t* name;
  Owner owner;
  // The value as held.
  SettingValue (*get)(const settings::AllSettings&);
  // Reads the stored text into the values; false, changing nothing, when it cannot
  // be read (the default then stays).
  bool (*set)(settings::AllSettings&, const QString& stored);
  // The text the store keeps.
  QString (*store)(const settings::AllSettings&);

  QString key() const;  // "Section/Name"
};

class SettingsStore {
 public:
  // The user's own store (organisation "Tessaly", application "Lexova PRO 訂正プログラム").
  SettingsStore();
  // A store in a private file, for tests and tools.
  explicit SettingsStore(const QString& iniFile);
  ~SettingsStore();
  SettingsStore(const SettingsStore&) = delete;
  SettingsStore& operator=(const SettingsStore&) = delete;

  // Every value, in the order the sections are described.
  static const std::vector<SettingEntry>& schema();
  static const SettingEntry* find(const QString& key);

  // For this run only: a value given as text overrides the store ("Section/Name").
  // False when no such value exists.
  bool setOverride(const QString& key, const QString& value);
  // For this run only: stored values are ignored (defaults and overrides remain).
  void setIgnoreStored(bool ignore) { ignoreStored_ = ignore; }

  // All values, with defaults for what is absent or unreadable and the clamps applied.
  settings::AllSettings load() const;

  // The writes made when the main window closes, in order: the frame's values of
  // section Settings, the window geometry, then the application's values.
  std::vector<std::pair<QString, QString>> closeWrites(const settings::AllSettings& s) const;
  void saveAtClose(const settings::AllSettings& s);
  // A value written when it changes (XmlFolder, 表示縮尺, 文字表示モード,
  // BackupOrgFileName, UserDataFolder); false for any other key.
  bool writeNow(const settings::AllSettings& s, const QString& key);
  void saveRecentFiles(const std::vector<std::u16string>& files);

  QString fileName() const;
  void sync();

 private:
  std::optional<QString> stored(const QString& key) const;

  std::unique_ptr<QSettings> qs_;
  std::map<QString, QString> overrides_;
  bool ignoreStored_ = false;
};

// The text shown for a value: numbers in decimal, lists comma-separated.
std::u16string displayText(const SettingValue& v);

}  // namespace lexova::app
