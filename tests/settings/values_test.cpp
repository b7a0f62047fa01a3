#include "settings/values.h"

#include <gtest/gtest.h>
#include <locale.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "host/scripted_host.h"
#include "support/temp_dir.h"
#include "text/utf.h"

namespace lexova::settings {
namespace {

namespace fs = std::filesystem;

TEST(SettingsRules, ClampsOfTheRecentListAndTheBackupInterval) {
  EXPECT_EQ(clampMaxMru(5), 5);
  EXPECT_EQ(clampMaxMru(15), 15);
  EXPECT_EQ(clampMaxMru(16), 16);
  EXPECT_EQ(clampMaxMru(20), 16);
  EXPECT_EQ(clampBackupInterval(14400), 14400);
  EXPECT_EQ(clampBackupInterval(14401), 14400);
  EXPECT_EQ(clampBackupInterval(20000), 14400);
  EXPECT_EQ(clampBackupInterval(0), 0);
}

TEST(SettingsRules, NumberListsKeepTheDefaultsAfterTheFirstBadNumber) {
  const std::array<int, kCharKinds> d = SettingsValues{}.kindColourIndex;
  EXPECT_EQ(parseKindColours(u"0,0,11,4,0,0,0,0,0,11,11,11,4,2,9"), d);
  std::array<int, kCharKinds> expected = d;
  expected[0] = 3, expected[1] = 5;
  EXPECT_EQ(parseKindColours(u"3, 5,x,1,1"), expected);
  EXPECT_EQ(parseKindColours(u""), d);
  EXPECT_EQ(parseKindColours(u"garbage"), d);
  // 16..31 are the user colours; an index outside the 32-colour palette keeps its default.
  expected = d;
  expected[0] = 31;
  expected[1] = 16;
  EXPECT_EQ(parseKindColours(u"31,16,-1,32"), expected);
  // Only the fifteen classes are read.
  EXPECT_EQ(parseNumberPrefix(u"1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16", kCharKinds).size(), 15u);
}

TEST(SettingsRules, UserColoursNotDefinedAreWhite) {
  const auto white = SettingsValues::filledWhite();
  EXPECT_EQ(parseUserColours(u"not define"), white);
  EXPECT_EQ(white[0], 0xFFFFFFu);
  auto c = parseUserColours(u"255,65280,zz,1");
  EXPECT_EQ(c[0], rgb(255, 0, 0));
  EXPECT_EQ(c[1], rgb(0, 255, 0));
  EXPECT_EQ(c[2], kWhite);
  EXPECT_EQ(c[3], kWhite);
  c[15] = rgb(1, 2, 3);
  EXPECT_EQ(parseUserColours(formatUserColours(c)), c);
  EXPECT_EQ(rgb(160, 255, 255), 0xFFFFA0u);
}

TEST(SettingsRules, ParameterNumbersReadLikeTheCLibraryAndWriteWithPercentF) {
  EXPECT_DOUBLE_EQ(parseParameterNumber(u"1.5"), 1.5);
  EXPECT_DOUBLE_EQ(parseParameterNumber(u" 0.35xyz"), 0.35);
  EXPECT_DOUBLE_EQ(parseParameterNumber(u"abc"), 0.0);
  EXPECT_DOUBLE_EQ(parseParameterNumber(u"1,5"), 1.0);
  EXPECT_EQ(formatParameterNumber(1.5), u"1.500000");
  EXPECT_EQ(formatParameterNumber(0.35), u"0.350000");
}

TEST(SettingsRules, ParameterNumbersIgnoreTheUsersLocale) {
  // A German locale, made for the test, writes and reads decimals with a comma.
  const lexova::testing::TempDir tmp;
  const fs::path dir = tmp.path();
  const std::string cmd = "localedef -i de_DE -f UTF-8 '" + (dir / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
  if (std::system(cmd.c_str()) != 0 && !fs::exists(dir / "de_DE.UTF-8")) GTEST_SKIP() << "localedef unavailable";
  ::setenv("LOCPATH", dir.c_str(), 1);
  const locale_t german = newlocale(LC_ALL_MASK, "de_DE.UTF-8", static_cast<locale_t>(nullptr));
  ASSERT_NE(german, static_cast<locale_t>(nullptr));
  const locale_t old = uselocale(german);
  char probe[16];
  std::snprintf(probe, sizeof probe, "%.1f", 1.5);
  const std::string localised = probe;
  const std::u16string written = formatParameterNumber(1.5);
  const double read = parseParameterNumber(u"0.35");
  uselocale(old);
  freelocale(german);
  ::unsetenv("LOCPATH");
  fs::remove_all(dir);
  ASSERT_EQ(localised, "1,5");  // the locale really is in force
  EXPECT_EQ(written, u"1.500000");
  EXPECT_DOUBLE_EQ(read, 0.35);
}

TEST(SettingsRules, EraListsMustNotStartOrEndWithABar) {
  EXPECT_TRUE(validEraList(u""));
  EXPECT_TRUE(validEraList(u"明治|大正"));
  EXPECT_TRUE(validEraList(u"明治"));
  EXPECT_FALSE(validEraList(u"|明治"));
  EXPECT_FALSE(validEraList(u"明治|"));
  EXPECT_FALSE(validEraList(u"|"));
}

TEST(SettingsRules, ParameterCheckShowsTheFirstProblemOnly) {
  ParameterValues p;
  ScriptedHost ok;
  EXPECT_TRUE(checkParameters(p, ok));
  EXPECT_TRUE(ok.messages.empty());

  p.minFont = 0;
  ScriptedHost h;
  EXPECT_FALSE(checkParameters(p, h));
  ASSERT_EQ(h.messages.size(), 1u);
  EXPECT_EQ(h.messages[0].text, u"MIN_FONT を正値に設定してください");
  EXPECT_EQ(h.messages[0].caption, u"パラメータエラー");

  p.maxFont = -1;
  p.wareki = u"|明治";
  ScriptedHost h2;
  EXPECT_FALSE(checkParameters(p, h2));
  EXPECT_EQ(h2.texts(), std::vector<std::u16string>{u"MAX_FONT を正値に設定してください"});

  ParameterValues era;
  era.rWareki = u"治明|";
  ScriptedHost h3;
  EXPECT_FALSE(checkParameters(era, h3));
  EXPECT_EQ(h3.texts(), std::vector<std::u16string>{u"キーワードが不正です"});
  EXPECT_EQ(h3.messages[0].caption, u"パラメータエラー");
}

TEST(SettingsRules, EmptyFontNamesGetTheirDefaults) {
  SettingsValues s;
  s.fontTraditional = u"PMingLiU";
  s.sizeTraditional = -15;
  std::vector<Charset> asked;
  const OutputFonts f = applyFontDefaults(s, [&](Charset c) {
    asked.push_back(c);
    return c == Charset::Ansi ? std::u16string(u"Western") : std::u16string(u"Asian");
  });
  EXPECT_EQ(f.japanese.name, u"ＭＳ 明朝");
  EXPECT_EQ(f.japaneseVertical.name, u"@ＭＳ 明朝");
  EXPECT_EQ(f.western.name, u"Western");
  EXPECT_EQ(f.western.height, -19);
  EXPECT_EQ(f.simplified.name, u"Asian");
  EXPECT_EQ(f.simplified.height, -19);
  EXPECT_EQ(f.traditional.name, u"PMingLiU");  // a stored name keeps its stored size
  EXPECT_EQ(f.traditional.height, -15);
  EXPECT_EQ(asked, (std::vector<Charset>{Charset::Ansi, Charset::Gb2312, Charset::Hangul}));
  EXPECT_EQ(s.fontWestern, u"Western");  // written back at close like any value
}

TEST(SettingsRules, CoreOptionsComeFromTheValues) {
  SettingsValues s;
  s.monoRuby = 0;
  s.naturalLineBreaks = 2;
  const ReconstructionOptions o = reconstructionOptions(s);
  EXPECT_FALSE(o.monoRuby);
  EXPECT_TRUE(o.smallKanaToNormal);
  EXPECT_EQ(o.naturalLineBreaks, 2);
  AllSettings a;
  a.backup.doBackup = 0;
  a.output.encoding = 2;
  EXPECT_FALSE(backupOptions(a).enabled);
  EXPECT_EQ(backupOptions(a).encoding, 2);
}

class UserDataFolderRules : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(root_ / "program"); }
  std::u16string p(const fs::path& x) const { return text::fromUtf8(x.string()); }
  lexova::testing::TempDir tmp_;
  fs::path root_ = tmp_.path();
};

TEST_F(UserDataFolderRules, AnExistingStoredFolderIsUsedAsItIs) {
  fs::create_directories(root_ / "mine");
  const UserDataFolder r =
      resolveUserDataFolder(p(root_ / "mine"), p(root_ / "appdata"), p(root_ / "program"), u"Lexova PRO");
  EXPECT_EQ(r.path, p(root_ / "mine"));
  EXPECT_FALSE(r.writeBack);
  EXPECT_FALSE(fs::exists(root_ / "appdata"));
}

TEST_F(UserDataFolderRules, OtherwiseTheTessalySubFolderIsMadeAndAStaleValueWrittenBack) {
  const UserDataFolder r =
      resolveUserDataFolder(p(root_ / "gone"), p(root_ / "appdata"), p(root_ / "program"), u"Lexova PRO");
  EXPECT_EQ(r.path, p(root_ / "appdata" / "tessaly" / "Lexova PRO User Data"));
  EXPECT_TRUE(fs::is_directory(root_ / "appdata" / "tessaly" / "Lexova PRO User Data"));
  EXPECT_TRUE(r.writeBack);
  const UserDataFolder fresh = resolveUserDataFolder(u"", p(root_ / "appdata"), p(root_ / "program"), u"Lexova PRO");
  EXPECT_EQ(fresh.path, r.path);
  EXPECT_FALSE(fresh.writeBack);  // nothing was stored, nothing is written
}

TEST_F(UserDataFolderRules, AFolderDirectlyInTheBaseIsPreferred) {
  fs::create_directories(root_ / "appdata" / "Lexova PRO User Data");
  EXPECT_EQ(resolveUserDataFolder(u"", p(root_ / "appdata"), p(root_ / "program"), u"Lexova PRO").path,
            p(root_ / "appdata" / "Lexova PRO User Data"));
  // Without a product name the application title names it.
  fs::create_directories(root_ / "appdata" / "Lexova PRO 訂正プログラム User Data");
  EXPECT_EQ(resolveUserDataFolder(u"", p(root_ / "appdata"), p(root_ / "program"), u"").path,
            p(root_ / "appdata" / "Lexova PRO 訂正プログラム User Data"));
}

TEST_F(UserDataFolderRules, WithoutAnApplicationDataFolderTheProgramFolderIsTheBase) {
  EXPECT_EQ(resolveUserDataFolder(u"", u"", p(root_ / "program"), u"Lexova PRO").path,
            p(root_ / "program" / "tessaly" / "Lexova PRO User Data"));
  // A base that cannot be made falls back too.
  std::FILE* f = std::fopen((root_ / "file").c_str(), "w");
  std::fclose(f);
  EXPECT_EQ(resolveUserDataFolder(u"", p(root_ / "file" / "sub"), p(root_ / "program"), u"Lexova PRO").path,
            p(root_ / "program" / "tessaly" / "Lexova PRO User Data"));
}

TEST_F(UserDataFolderRules, FailureToCreateGivesNoFolder) {
  std::FILE* f = std::fopen((root_ / "blocked").c_str(), "w");
  std::fclose(f);
  const UserDataFolder r = resolveUserDataFolder(u"", u"", p(root_ / "blocked"), u"Lexova PRO");
  EXPECT_TRUE(r.path.empty());
  EXPECT_FALSE(r.writeBack);
}

TEST(SettingsRules, TableFileIsTheStoredNameOrTheDefaultInTheUserDataFolder) {
  SettingsValues s;
  EXPECT_EQ(registeredTablePath(s, u"/home/u/data"), u"/home/u/data/registTable.csv");
  EXPECT_EQ(registeredTablePath(s, u"/home/u/data/"), u"/home/u/data/registTable.csv");
  s.registeredTableName = u"/t/mine.csv";
  EXPECT_EQ(registeredTablePath(s, u"/home/u/data"), u"/t/mine.csv");
}

}  // namespace
}  // namespace lexova::settings
