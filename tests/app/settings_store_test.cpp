// The settings store against a private file: defaults, clamps, parse rules, the
// write-back order and the values written when they change.
#include "app/settings/settings_store.h"

#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "app/settings/app_settings.h"
#include "host/scripted_host.h"
#include "text/utf.h"

using lexova::app::Owner;
using lexova::app::SettingsStore;
using lexova::settings::AllSettings;

class SettingsStoreTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  QString file() const { return dir_.filePath("settings.ini"); }
  void write(const QString& key, const QVariant& v) {
    QSettings s(file(), QSettings::IniFormat);
    s.setValue(key, v);
  }

 private slots:
  void init() { QFile::remove(file()); }

  void absentValuesGiveTheirDefaults() {
    const AllSettings s = SettingsStore(file()).load();
    QCOMPARE(s.settings.nMaxMRU, 5);
    QCOMPARE(s.backup.backupInterval, 5);
    QCOMPARE(s.settings.displayScale, 50);
    QCOMPARE(s.settings.textLayout, 2);
    QCOMPARE(s.settings.rejectLevel, 2);
    QCOMPARE(s.settings.otherLineColour, 0xC0C0C0u);
    QCOMPARE(s.settings.textBackground, 0xFFFFA0u);
    QCOMPARE(s.window.width, 800);
    QCOMPARE(s.window.imagePaneHeight, -1);
    QVERIFY(s.parameter.wareki == u"明治|大正|昭和|平成");
    QVERIFY(s.settings.kindFonts[14] == u"ＭＳ 明朝");
    QCOMPARE(s.settings.sizeHangul, -13);
    QVERIFY(s.settings.userColours == lexova::settings::SettingsValues::filledWhite());
  }

  void clampsApplyWhenReading() {
    write("Settings/nMaxMRU", 20);
    write("Backup/BackupInterval", 20000);
    const AllSettings s = SettingsStore(file()).load();
    QCOMPARE(s.settings.nMaxMRU, 16);
    QCOMPARE(s.backup.backupInterval, 14400);
  }

  void unreadableValuesGiveTheirDefaults() {
    write("Settings/nMaxMRU", "many");
    write("Settings/リジェクト値", "");
    write(QString::fromUtf8("Settings/文字種別色"), "3,4,x,9");
    const AllSettings s = SettingsStore(file()).load();
    QCOMPARE(s.settings.nMaxMRU, 5);
    QCOMPARE(s.settings.rejectLevel, 2);
    QCOMPARE(s.settings.kindColourIndex[0], 3);
    QCOMPARE(s.settings.kindColourIndex[1], 4);
    QCOMPARE(s.settings.kindColourIndex[2], 11);  // the default after the bad number
  }

  void handEditedUnquotedListsAreRead() {
    {
      QFile f(file());
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write("[Settings]\n%U6587%U5B57%U7A2E%U5225%U8272=1,2,3\n");
    }
    const AllSettings s = SettingsStore(file()).load();
    QCOMPARE(s.settings.kindColourIndex[0], 1);
    QCOMPARE(s.settings.kindColourIndex[2], 3);
    QCOMPARE(s.settings.kindColourIndex[3], 4);
  }

  void japaneseNamesAndTextsSurviveTheFile() {
    SettingsStore store(file());
    AllSettings s = store.load();
    s.settings.pdfAuthor = u"芥川龍之介";
    s.settings.kindFonts[3] = u"ＭＳ ゴシック";
    s.settings.userColours[2] = lexova::settings::rgb(1, 2, 3);
    s.parameter.maxFont = 2.25;
    store.saveAtClose(s);
    const AllSettings back = SettingsStore(file()).load();
    QVERIFY(back.settings.pdfAuthor == u"芥川龍之介");
    QVERIFY(back.settings.kindFonts[3] == u"ＭＳ ゴシック");
    QCOMPARE(back.settings.userColours[2], lexova::settings::rgb(1, 2, 3));
    QCOMPARE(back.parameter.maxFont, 2.25);
    QSettings raw(file(), QSettings::IniFormat);
    QCOMPARE(raw.value("Parameter/MAX_FONT").toString(), QString("2.250000"));
    QCOMPARE(raw.value(QString::fromUtf8("Settings/文字種フォント3")).toString(), QString::fromUtf8("ＭＳ ゴシック"));
    QCOMPARE(raw.value("Settings/PDFAuthor").toString(), QString::fromUtf8("芥川龍之介"));
  }

  void neverChangedUserColoursStayNotDefined() {
    SettingsStore store(file());
    store.saveAtClose(store.load());
    QSettings raw(file(), QSettings::IniFormat);
    QCOMPARE(raw.value(QString::fromUtf8("Settings/文字種別色定義")).toString(), QString("not define"));
  }

  void closeWritesTheFrameThenTheWindowThenTheApplication() {
    SettingsStore store(file());
    const auto writes = store.closeWrites(AllSettings{});
    QCOMPARE(writes.front().first, QString::fromUtf8("Settings/View配置"));
    auto indexOf = [&](const QString& key) {
      for (std::size_t i = 0; i < writes.size(); ++i) {
        if (writes[i].first == key) return static_cast<int>(i);
      }
      return -1;
    };
    QVERIFY(indexOf(QString::fromUtf8("Settings/View画像表示")) < indexOf("Window/x"));
    QVERIFY(indexOf("Window/SelViewWidth") < indexOf("View/Line"));
    QVERIFY(indexOf("View/Line") < indexOf("Backup/DoBackup"));
    // The values written when they change are not written at close.
    for (const char* k : {"Settings/XmlFolder", "Settings/表示縮尺", "Settings/文字表示モード",
                          "Backup/BackupOrgFileName", "FolderPath/UserDataFolder"}) {
      QCOMPARE(indexOf(QString::fromUtf8(k)), -1);
    }
  }

  void valuesWrittenWhenTheyChange() {
    SettingsStore store(file());
    AllSettings s = store.load();
    s.settings.xmlFolder = u"/home/u/作業";
    s.settings.displayScale = 75;
    QVERIFY(store.writeNow(s, "Settings/XmlFolder"));
    QVERIFY(store.writeNow(s, QString::fromUtf8("Settings/表示縮尺")));
    QVERIFY(!store.writeNow(s, "Settings/nMaxMRU"));  // written at close only
    QVERIFY(!store.writeNow(s, "Settings/NoSuchValue"));
    const AllSettings back = SettingsStore(file()).load();
    QVERIFY(back.settings.xmlFolder == u"/home/u/作業");
    QCOMPARE(back.settings.displayScale, 75);
    QSettings raw(file(), QSettings::IniFormat);
    QVERIFY(!raw.contains("Settings/nMaxMRU"));
  }

  void overridesAndDefaultsNeverWriteTheStore() {
    write("Settings/nMaxMRU", 9);
    SettingsStore store(file());
    QVERIFY(store.setOverride("Backup/DoBackup", "0"));
    QVERIFY(!store.setOverride("Backup/Nonsense", "0"));
    AllSettings s = store.load();
    QCOMPARE(s.backup.doBackup, 0);
    QCOMPARE(s.settings.nMaxMRU, 9);
    store.setIgnoreStored(true);
    s = store.load();
    QCOMPARE(s.settings.nMaxMRU, 5);
    QCOMPARE(s.backup.doBackup, 0);  // the override still applies
    QSettings raw(file(), QSettings::IniFormat);
    QVERIFY(!raw.contains("Backup/DoBackup"));
  }

  void recentFilesFollowTheListLength() {
    SettingsStore store(file());
    store.saveRecentFiles({u"/a.xml", u"/b.xml", u"/c.xml"});
    store.sync();
    write("Settings/nMaxMRU", 2);
    const AllSettings s = SettingsStore(file()).load();
    QCOMPARE(s.recentFiles.size(), std::size_t{2});
    QVERIFY(s.recentFiles[1] == u"/b.xml");
  }

  void startUpLoadsTheTableAndDefaultsTheFonts() {
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    write("FolderPath/UserDataFolder", data.filePath("moved-away"));
    SettingsStore store(file());
    lexova::ScriptedHost host;
    auto app = lexova::app::loadApplicationSettings(
        store, host, [](lexova::settings::Charset) { return std::u16string(u"Some Font"); });
    QVERIFY(app.has_value());
    const QString expected = data.filePath("tessaly/Lexova PRO User Data");
    QCOMPARE(QString::fromStdString(lexova::text::toUtf8(app->userDataFolder)), expected);
    // The stale folder value was written back when it was resolved.
    QCOMPARE(QSettings(file(), QSettings::IniFormat).value("FolderPath/UserDataFolder").toString(), expected);
    QVERIFY(app->fonts.western.name == u"Some Font");
    QVERIFY(app->table.registeredTableFile == lexova::text::fromUtf8((expected + "/registTable.csv").toStdString()));
    QVERIFY(app->table.registeredPairs.empty());
    QVERIFY(host.messages.empty());  // a missing table is simply empty

    app->table.AddRegisteredPair(u"亞", u"亜");
    app->values.settings.nMaxMRU = 7;
    lexova::app::saveApplicationSettings(store, *app, host);
    QVERIFY(QFile::exists(expected + "/registTable.csv"));
    QCOMPARE(QSettings(file(), QSettings::IniFormat).value("Settings/nMaxMRU").toInt(), 7);
    qunsetenv("XDG_DATA_HOME");
  }

  void startUpStopsOnAnInvalidParameter() {
    write("Parameter/WAREKI", "|x");
    SettingsStore store(file());
    lexova::ScriptedHost host;
    QVERIFY(!lexova::app::loadApplicationSettings(store, host).has_value());
    QCOMPARE(host.messages.size(), std::size_t{1});
    QVERIFY(host.messages[0].caption == u"パラメータエラー");
  }

  void everyValueHasOneEntry() {
    QSet<QString> keys;
    for (const auto& e : SettingsStore::schema()) {
      QVERIFY2(!keys.contains(e.key()), qPrintable(e.key()));
      keys.insert(e.key());
    }
    // View 2, Output 1, Backup 3, Parameter 4, Window 8, Settings 59, FolderPath 1.
    QCOMPARE(keys.size(), 78);
  }
};

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "settings_store_test.moc"
