// Every persistent setting of the system as plain values, with its default, and
// the rules that apply when values are read: clamps, number lists, colours, the
// start-up check of the Parameter section and the user data folder. The store
// that reads and writes them lives in the application; the core receives these.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/host.h"

namespace lexova::settings {

// Colours hold red in the lowest byte, then green, then blue.
using Colour = std::uint32_t;
constexpr Colour rgb(unsigned r, unsigned g, unsigned b) {
  return r | (g << 8) | (b << 16);
}
constexpr Colour kWhite = rgb(255, 255, 255);

inline constexpr int kCharKinds = 15;  // character classes of the colour mode and fonts
inline constexpr int kUserColours = 16;

struct ViewValues {
  int line = 0;  // Line: frame every ordinary line
  int fast = 1;  // Fast: draw with fonts (0: stretch glyphs into boxes)
};

struct OutputValues {
  int encoding = 0;  // Encoding: 0 the file's own, 1 Shift_JIS, 2 EUC-JP
};

struct BackupValues {
  int doBackup = 1;
  int backupInterval = 5;  // minutes
  std::u16string backupOrgFileName;
};

struct ParameterValues {
  double maxFont = 1.5;
  double minFont = 0.35;
  std::u16string wareki = u"明治|大正|昭和|平成";
  std::u16string rWareki = u"治明|正大|和昭";
};

struct WindowValues {
  int x = 0, y = 0, width = 800, height = 800;
  int zoomed = 0;
  int imagePaneHeight = -1, imagePaneWidth = -1, selViewWidth = -1;  // -1: not yet known
};

// A font of the text view: a face name and a height (0: the face's default).
struct FontChoice {
  std::u16string name;
  int height = 0;
};

struct SettingsValues {
  int nMaxMRU = 5;
  std::u16string xmlFolder;
  int displayScale = 50;  // 表示縮尺, percent
  int textDisplayMode = 0;
  std::array<int, kCharKinds> kindColourIndex = {0, 0, 11, 4, 0, 0, 0, 0, 0, 11, 11, 11, 4, 2, 9};
  std::array<Colour, kUserColours> userColours = filledWhite();
  std::array<std::u16string, kCharKinds> kindFonts = filledMincho();
  // The main frame's values.
  int placement = 0, previousPlacement = 0;
  int textLayout = 2;  // View表示: 0 horizontal, 1 vertical, 2 page layout
  int imageMode = 0;   // View画像表示: 0 text only, 1 one-line image, 2 image parallel
  // The application's values.
  int showBlockNumbers = 1;
  Colour editLineColour = 0;
  Colour otherLineColour = rgb(192, 192, 192);
  Colour textBackground = rgb(160, 255, 255);
  int horizontalImagePosition = 0, verticalImagePosition = 0;
  int showRejectMark = 1;
  int rejectLevel = 2;
  int rejectColour = 1;
  int monoRuby = 1, smallKanaToNormal = 1;
  int blankLinesBetweenBlocks = 1, indentWithSpaces = 1, naturalLineBreaks = 1, noBreakAtBlockEnd = 1;
  int registerReplacements = 0;
  int wordColumns = 1;
  int externalFileType = 1;
  int pdfImageQuality = 0;
  std::u16string pdfAuthor, pdfKeywords, pdfFileTitle, pdfFileSubtitle;
  int pdfAuthorCheck = 0;
  std::u16string registeredTableName;
  std::u16string fontJapanese, fontJapaneseVertical, fontWestern, fontSimplified, fontTraditional, fontHangul;
  int sizeSimplified = -13, sizeTraditional = -13, sizeHangul = -13;

  static std::array<Colour, kUserColours> filledWhite() {
    std::array<Colour, kUserColours> a;
    a.fill(kWhite);
    return a;
  }
  static std::array<std::u16string, kCharKinds> filledMincho() {
    std::array<std::u16string, kCharKinds> a;
    a.fill(u"ＭＳ 明朝");
    return a;
  }
};

struct FolderPathValues {
  std::u16string userDataFolder;
};

struct AllSettings {
  ViewValues view;
  OutputValues output;
  BackupValues backup;
  ParameterValues parameter;
  WindowValues window;
  SettingsValues settings;
  FolderPathValues folderPath;
  std::vector<std::u16string> recentFiles;  // newest first, at most nMaxMRU
};

// ---- what the parts of the core receive ---------------------------------------------

struct ReconstructionOptions {
  bool blankLinesBetweenBlocks = true;
  bool indentWithSpaces = true;
  int naturalLineBreaks = 1;  // counts only when it equals 1
  bool noBreakAtBlockEnd = true;
  bool monoRuby = true;
  bool smallKanaToNormal = true;
};
ReconstructionOptions reconstructionOptions(const SettingsValues& s);

struct BackupOptions {
  bool enabled = true;
  int intervalMinutes = 5;
  int encoding = 0;
};
BackupOptions backupOptions(const AllSettings& s);

// The output fonts of the text view after start-up defaults (see applyFontDefaults).
struct OutputFonts {
  FontChoice japanese, japaneseVertical, western, simplified, traditional, hangul;
};

// ---- rules ----------------------------------------------------------------------------

// nMaxMRU: values above 15 give 16.
int clampMaxMru(int v);
// BackupInterval: 14401 and above read as 14400.
int clampBackupInterval(int v);

// The display values as the document and the main frame take them when they are
// created: 表示縮尺 in steps of 10 from 10 to 100 (50 outside that), View表示,
// View画像表示 and View配置 0..2, View前配置 0..1, リジェクト値 1..9 (an out-of-range value
// gets its default).
void settleDisplayValues(SettingsValues& s);

// A comma-separated list of decimal integers; the numbers up to the first one that
// does not parse replace the defaults, the rest keep theirs.
template <std::size_t N>
std::array<int, N> parseNumberList(std::u16string_view text, const std::array<int, N>& defaults);
std::vector<int> parseNumberPrefix(std::u16string_view text, std::size_t most);
std::u16string joinNumbers(const int* values, std::size_t n);

// 文字種別色: palette indexes 0..31 (16 basic colours, then the 16 user colours);
// an index outside the palette keeps its default.
std::array<int, kCharKinds> parseKindColours(std::u16string_view text);
// 文字種別色定義: "not define", or the 16 user colours as decimal numbers.
std::array<Colour, kUserColours> parseUserColours(std::u16string_view text);
std::u16string formatUserColours(const std::array<Colour, kUserColours>& colours);

// MAX_FONT and MIN_FONT: read as the C library reads a number (a leading decimal
// prefix; nothing usable is 0), written with "%f" in the C locale.
double parseParameterNumber(std::u16string_view text);
std::u16string formatParameterNumber(double v);
// An era list is valid when empty or neither starting nor ending with "|".
bool validEraList(std::u16string_view text);

// The start-up check of section Parameter: shows the first problem under the caption
// "パラメータエラー" and returns false (the program then ends with exit code -1).
bool checkParameters(const ParameterValues& p, Host& host);
inline constexpr int kParameterExitCode = -1;

// Empty output font names get their defaults: "ＭＳ 明朝" and "@ＭＳ 明朝" for Japanese,
// the first installed font of the character set (height -19) for the others.
enum class Charset { Ansi, Gb2312, Big5, Hangul };
using FontLookup = std::function<std::u16string(Charset)>;
OutputFonts applyFontDefaults(SettingsValues& s, const FontLookup& firstInstalledFont);
inline constexpr int kDefaultFontHeight = -19;

// The user data folder. `stored` is UserDataFolder, `appDataBase` the per-user
// application-data folder (empty when the system has none), `programDir` the
// program's folder, `productName` the product name ("Lexova PRO").
struct UserDataFolder {
  std::u16string path;     // empty: no user data folder
  bool writeBack = false;  // UserDataFolder named a missing folder: store the new path
};
UserDataFolder resolveUserDataFolder(std::u16string_view stored, std::u16string_view appDataBase,
                                     std::u16string_view programDir, std::u16string_view productName);

inline constexpr char16_t kProductName[] = u"Lexova PRO";
inline constexpr const char16_t* kApplicationTitle = kApplicationName;
inline constexpr char16_t kRegisteredTableFileName[] = u"registTable.csv";

// The table file: 登録テーブル名, or registTable.csv in the user data folder.
std::u16string registeredTablePath(const SettingsValues& s, std::u16string_view userDataFolder);

}  // namespace lexova::settings
