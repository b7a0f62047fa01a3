#include "app/settings/settings_store.h"

#include <QSettings>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "text/utf.h"

namespace lexova::app {
namespace {

using settings::AllSettings;

QString q(std::u16string_view s) {
  return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}
std::u16string u(const QString& s) {
  return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), s.size());
}

// Integers as QSettings gives them back (text in a file, numbers in a registry).
bool toInt(const QString& s, int& out) {
  bool ok = false;
  const long long v = s.trimmed().toLongLong(&ok);
  if (!ok || v < INT32_MIN || v > UINT32_MAX) return false;
  out = static_cast<int>(static_cast<std::uint32_t>(v));
  return true;
}

// ---- entry makers -----------------------------------------------------------------

#define INT_ENTRY(SECTION, NAME, OWNER, FIELD, CLAMP)                                                           \
  SettingEntry {                                                                                                \
    SECTION, NAME, OWNER, [](const AllSettings& s) -> SettingValue { return static_cast<long long>(s.FIELD); }, \
        [](AllSettings& s, const QString& v) {                                                                  \
          int n;                                                                                                \
          if (!toInt(v, n)) return false;                                                                       \
          s.FIELD = CLAMP(n);                                                                                   \
          return true;                                                                                          \
        },                                                                                                      \
        [](const AllSettings& s) { return QString::number(static_cast<long long>(s.FIELD)); }                   \
  }

#define COLOUR_ENTRY(SECTION, NAME, OWNER, FIELD)                                                               \
  SettingEntry {                                                                                                \
    SECTION, NAME, OWNER, [](const AllSettings& s) -> SettingValue { return static_cast<long long>(s.FIELD); }, \
        [](AllSettings& s, const QString& v) {                                                                  \
          int n;                                                                                                \
          if (!toInt(v, n)) return false;                                                                       \
          s.FIELD = static_cast<settings::Colour>(n);                                                           \
          return true;                                                                                          \
        },                                                                                                      \
        [](const AllSettings& s) { return QString::number(static_cast<int>(s.FIELD)); }                         \
  }

#define STRING_ENTRY(SECTION, NAME, OWNER, FIELD)                                       \
  SettingEntry {                                                                        \
    SECTION, NAME, OWNER, [](const AllSettings& s) -> SettingValue { return s.FIELD; }, \
        [](AllSettings& s, const QString& v) {                                          \
          s.FIELD = u(v);                                                               \
          return true;                                                                  \
        },                                                                              \
        [](const AllSettings& s) { return q(s.FIELD); }                                 \
  }

#define NUMBER_ENTRY(SECTION, NAME, FIELD)                                                           \
  SettingEntry {                                                                                     \
    SECTION, NAME, Owner::Application, [](const AllSettings& s) -> SettingValue { return s.FIELD; }, \
        [](AllSettings& s, const QString& v) {                                                       \
          s.FIELD = settings::parseParameterNumber(u(v));                                            \
          return true;                                                                               \
        },                                                                                           \
        [](const AllSettings& s) { return q(settings::formatParameterNumber(s.FIELD)); }             \
  }

int same(int v) {
  return v;
}

template <std::size_t I>
SettingEntry kindFontEntry() {
  static const std::u16string name = u"文字種フォント" + text::fromUtf8(std::to_string(I));
  return SettingEntry{"Settings",
                      name.c_str(),
                      Owner::Application,
                      [](const AllSettings& s) -> SettingValue { return s.settings.kindFonts[I]; },
                      [](AllSettings& s, const QString& v) {
                        s.settings.kindFonts[I] = u(v);
                        return true;
                      },
                      [](const AllSettings& s) { return q(s.settings.kindFonts[I]); }};
}

template <std::size_t... I>
void addKindFonts(std::vector<SettingEntry>& out, std::index_sequence<I...>) {
  (out.push_back(kindFontEntry<I>()), ...);
}

std::vector<SettingEntry> makeSchema() {
  using settings::kCharKinds;
  std::vector<SettingEntry> e = {
      INT_ENTRY("View", u"Line", Owner::Application, view.line, same),
      INT_ENTRY("View", u"Fast", Owner::Application, view.fast, same),
      INT_ENTRY("Output", u"Encoding", Owner::Application, output.encoding, same),
      INT_ENTRY("Backup", u"DoBackup", Owner::Application, backup.doBackup, same),
      INT_ENTRY("Backup", u"BackupInterval", Owner::Application, backup.backupInterval, settings::clampBackupInterval),
      STRING_ENTRY("Backup", u"BackupOrgFileName", Owner::OnChange, backup.backupOrgFileName),
      NUMBER_ENTRY("Parameter", u"MAX_FONT", parameter.maxFont),
      NUMBER_ENTRY("Parameter", u"MIN_FONT", parameter.minFont),
      STRING_ENTRY("Parameter", u"WAREKI", Owner::Application, parameter.wareki),
      STRING_ENTRY("Parameter", u"R_WAREKI", Owner::Application, parameter.rWareki),
      INT_ENTRY("Window", u"x", Owner::Window, window.x, same),
      INT_ENTRY("Window", u"y", Owner::Window, window.y, same),
      INT_ENTRY("Window", u"width", Owner::Window, window.width, same),
      INT_ENTRY("Window", u"height", Owner::Window, window.height, same),
      INT_ENTRY("Window", u"zoomed", Owner::Window, window.zoomed, same),
      INT_ENTRY("Window", u"ImagePaneHeight", Owner::Window, window.imagePaneHeight, same),
      INT_ENTRY("Window", u"ImagePaneWidth", Owner::Window, window.imagePaneWidth, same),
      INT_ENTRY("Window", u"SelViewWidth", Owner::Window, window.selViewWidth, same),
      INT_ENTRY("Settings", u"nMaxMRU", Owner::Application, settings.nMaxMRU, settings::clampMaxMru),
      STRING_ENTRY("Settings", u"XmlFolder", Owner::OnChange, settings.xmlFolder),
      INT_ENTRY("Settings", u"表示縮尺", Owner::OnChange, settings.displayScale, same),
      INT_ENTRY("Settings", u"文字表示モード", Owner::OnChange, settings.textDisplayMode, same),
      SettingEntry{
          "Settings", u"文字種別色", Owner::Application,
          [](const AllSettings& s) -> SettingValue {
            return std::vector<long long>(s.settings.kindColourIndex.begin(), s.settings.kindColourIndex.end());
          },
          [](AllSettings& s, const QString& v) {
            s.settings.kindColourIndex = settings::parseKindColours(u(v));
            return true;
          },
          [](const AllSettings& s) { return q(settings::joinNumbers(s.settings.kindColourIndex.data(), kCharKinds)); }},
      SettingEntry{"Settings", u"文字種別色定義", Owner::Application,
                   [](const AllSettings& s) -> SettingValue {
                     return std::vector<long long>(s.settings.userColours.begin(), s.settings.userColours.end());
                   },
                   [](AllSettings& s, const QString& v) {
                     s.settings.userColours = settings::parseUserColours(u(v));
                     return true;
                   },
                   [](const AllSettings& s) {
                     // Never changed colours stay "not define", as a fresh store has them.
                     if (s.settings.userColours == settings::SettingsValues::filledWhite())
                       return QString("not define");
                     return q(settings::formatUserColours(s.settings.userColours));
                   }},
  };
  addKindFonts(e, std::make_index_sequence<kCharKinds>());
  const std::vector<SettingEntry> rest = {
      INT_ENTRY("Settings", u"View配置", Owner::Frame, settings.placement, same),
      INT_ENTRY("Settings", u"View前配置", Owner::Frame, settings.previousPlacement, same),
      INT_ENTRY("Settings", u"View表示", Owner::Frame, settings.textLayout, same),
      INT_ENTRY("Settings", u"View画像表示", Owner::Frame, settings.imageMode, same),
      INT_ENTRY("Settings", u"ブロック番号表示", Owner::Application, settings.showBlockNumbers, same),
      COLOUR_ENTRY("Settings", u"編集行文字色", Owner::Application, settings.editLineColour),
      COLOUR_ENTRY("Settings", u"非編集行文字色", Owner::Application, settings.otherLineColour),
      COLOUR_ENTRY("Settings", u"テキスト背景色", Owner::Application, settings.textBackground),
      INT_ENTRY("Settings", u"横書き画像表示位置", Owner::Application, settings.horizontalImagePosition, same),
      INT_ENTRY("Settings", u"縦書き画像表示位置", Owner::Application, settings.verticalImagePosition, same),
      INT_ENTRY("Settings", u"リジェクト表示文字", Owner::Application, settings.showRejectMark, same),
      INT_ENTRY("Settings", u"リジェクト値", Owner::Application, settings.rejectLevel, same),
      INT_ENTRY("Settings", u"リジェクト色換え", Owner::Application, settings.rejectColour, same),
      INT_ENTRY("Settings", u"モノルビ", Owner::Application, settings.monoRuby, same),
      INT_ENTRY("Settings", u"ルビ拗音促音処理", Owner::Application, settings.smallKanaToNormal, same),
      INT_ENTRY("Settings", u"行間改行挿入", Owner::Application, settings.blankLinesBetweenBlocks, same),
      INT_ENTRY("Settings", u"行頭空白挿入", Owner::Application, settings.indentWithSpaces, same),
      INT_ENTRY("Settings", u"自然改行", Owner::Application, settings.naturalLineBreaks, same),
      INT_ENTRY("Settings", u"ブロック終端の改行", Owner::Application, settings.noBreakAtBlockEnd, same),
      INT_ENTRY("Settings", u"置換文字文字テーブル登録", Owner::Application, settings.registerReplacements, same),
      INT_ENTRY("Settings", u"Word段組み出力", Owner::Application, settings.wordColumns, same),
      INT_ENTRY("Settings", u"外部ファイル", Owner::Application, settings.externalFileType, same),
      INT_ENTRY("Settings", u"PDFImageQuality", Owner::Application, settings.pdfImageQuality, same),
      STRING_ENTRY("Settings", u"PDFAuthor", Owner::Application, settings.pdfAuthor),
      STRING_ENTRY("Settings", u"PDFKeywords", Owner::Application, settings.pdfKeywords),
      STRING_ENTRY("Settings", u"PDFFileTitle", Owner::Application, settings.pdfFileTitle),
      STRING_ENTRY("Settings", u"PDFFileSubtitle", Owner::Application, settings.pdfFileSubtitle),
      INT_ENTRY("Settings", u"PDFAuthorCheck", Owner::Application, settings.pdfAuthorCheck, same),
      STRING_ENTRY("Settings", u"登録テーブル名", Owner::Application, settings.registeredTableName),
      STRING_ENTRY("Settings", u"日本語フォント", Owner::Application, settings.fontJapanese),
      STRING_ENTRY("Settings", u"日本語縦フォント", Owner::Application, settings.fontJapaneseVertical),
      STRING_ENTRY("Settings", u"欧文フォント", Owner::Application, settings.fontWestern),
      STRING_ENTRY("Settings", u"簡体字フォント名", Owner::Application, settings.fontSimplified),
      STRING_ENTRY("Settings", u"繁体字フォント名", Owner::Application, settings.fontTraditional),
      STRING_ENTRY("Settings", u"ハングルフォント名", Owner::Application, settings.fontHangul),
      INT_ENTRY("Settings", u"簡体字フォントサイズ", Owner::Application, settings.sizeSimplified, same),
      INT_ENTRY("Settings", u"繁体字フォントサイズ", Owner::Application, settings.sizeTraditional, same),
      INT_ENTRY("Settings", u"ハングルフォントサイズ", Owner::Application, settings.sizeHangul, same),
      STRING_ENTRY("FolderPath", u"UserDataFolder", Owner::OnChange, folderPath.userDataFolder),
  };
  e.insert(e.end(), rest.begin(), rest.end());
  return e;
}

// The recent-file list, kept the way the application framework keeps it.
constexpr char kRecentSection[] = "Recent File List";
constexpr int kMaxRecent = 16;

}  // namespace

QString SettingEntry::key() const {
  return QString::fromLatin1(section) + u'/' + QString::fromUtf16(name);
}

const std::vector<SettingEntry>& SettingsStore::schema() {
  static const std::vector<SettingEntry> s = makeSchema();
  return s;
}

const SettingEntry* SettingsStore::find(const QString& key) {
  for (const SettingEntry& e : schema()) {
    if (e.key() == key) return &e;
  }
  return nullptr;
}

SettingsStore::SettingsStore()
    : qs_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, "Tessaly",
                                      q(settings::kApplicationTitle))) {}

SettingsStore::SettingsStore(const QString& iniFile)
    : qs_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {}

SettingsStore::~SettingsStore() = default;

bool SettingsStore::setOverride(const QString& key, const QString& value) {
  if (!find(key)) return false;
  overrides_[key] = value;
  return true;
}

std::optional<QString> SettingsStore::stored(const QString& key) const {
  if (const auto it = overrides_.find(key); it != overrides_.end()) return it->second;
  if (ignoreStored_ || !qs_->contains(key)) return std::nullopt;
  const QVariant v = qs_->value(key);
  // An unquoted comma list in a hand-edited file comes back as a list.
  if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(u',');
  if (!v.canConvert<QString>()) return std::nullopt;  // unreadable: as if absent
  return v.toString();
}

settings::AllSettings SettingsStore::load() const {
  AllSettings s;
  for (const SettingEntry& e : schema()) {
    // A setter that cannot read its text changes nothing: the default stays.
    if (const auto v = stored(e.key())) e.set(s, *v);
  }
  if (!ignoreStored_) {
    for (int i = 1; i <= kMaxRecent && static_cast<int>(s.recentFiles.size()) < s.settings.nMaxMRU; ++i) {
      const QString path = qs_->value(QString("%1/File%2").arg(kRecentSection).arg(i)).toString();
      if (!path.isEmpty()) s.recentFiles.push_back(u(path));
    }
  }
  return s;
}

std::vector<std::pair<QString, QString>> SettingsStore::closeWrites(const AllSettings& s) const {
  std::vector<std::pair<QString, QString>> out;
  for (Owner owner : {Owner::Frame, Owner::Window, Owner::Application}) {
    for (const SettingEntry& e : schema()) {
      if (e.owner == owner) out.emplace_back(e.key(), e.store(s));
    }
  }
  return out;
}

void SettingsStore::saveAtClose(const AllSettings& s) {
  for (const auto& [key, value] : closeWrites(s)) qs_->setValue(key, value);
  saveRecentFiles(s.recentFiles);
  qs_->sync();
}

bool SettingsStore::writeNow(const AllSettings& s, const QString& key) {
  const SettingEntry* e = find(key);
  if (!e || e->owner != Owner::OnChange) return false;
  qs_->setValue(key, e->store(s));
  qs_->sync();
  return true;
}

void SettingsStore::saveRecentFiles(const std::vector<std::u16string>& files) {
  for (int i = 1; i <= kMaxRecent; ++i) {
    const QString key = QString("%1/File%2").arg(kRecentSection).arg(i);
    if (i <= static_cast<int>(files.size())) {
      qs_->setValue(key, q(files[static_cast<std::size_t>(i - 1)]));
    } else {
      qs_->remove(key);
    }
  }
}

QString SettingsStore::fileName() const {
  return qs_->fileName();
}
void SettingsStore::sync() {
  qs_->sync();
}

std::u16string displayText(const SettingValue& v) {
  if (const auto* n = std::get_if<long long>(&v)) return text::fromUtf8(std::to_string(*n));
  if (const auto* d = std::get_if<double>(&v)) return settings::formatParameterNumber(*d);
  if (const auto* s = std::get_if<std::u16string>(&v)) return *s;
  const auto& list = std::get<std::vector<long long>>(v);
  std::string out;
  for (std::size_t i = 0; i < list.size(); ++i) out += (i ? "," : "") + std::to_string(list[i]);
  return text::fromUtf8(out);
}

}  // namespace lexova::app
