// The rules of the settings sheet "環境設定" without Qt. The sheet edits a draft:
// copies of the settings and output fonts its pages show. OK puts the draft back,
// Cancel drops it; the values of the page 表示テキスト情報 are shown in the views
// while the sheet is open and put back on Cancel. The registered-character table
// page edits its own rows, applied to the table on OK.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editing/registered_table.h"
#include "host/host.h"
#include "settings/values.h"

namespace lexova::shell {

struct SettingsDraft {
  settings::SettingsValues values;
  settings::OutputFonts fonts;
};

// ---- 文字種別表示色/フォント設定 -----------------------------------------------------------

struct KindEntry {
  int kind;  // index into the 15 classes of 文字種別色 and 文字種フォント%d
  std::u16string_view name;
};
// The 13 character classes in the page's list order (the control codes are not shown).
const std::array<KindEntry, 13>& kindList();
// The name of any of the 15 classes (13 and 14: タブ and 改行).
std::u16string_view kindName(int kind);

inline constexpr int kBasicColourCount = 16;
inline constexpr int kColourCount = 32;  // 16 basic, then the 16 user colours
// The colour of a palette index in the draft (its user colours).
settings::Colour colourOfIndex(const SettingsDraft& d, int index);
// "文字の色設定(&S)..." is enabled while a user colour button is selected.
bool canDefineColour(int selectedIndex);
// A colour button clicked: the class takes its index (0..31).
void assignKindColour(SettingsDraft& d, int kind, int index);
// "文字の色設定": the chosen colour replaces user colour `index` (16..31).
void defineUserColour(SettingsDraft& d, int index, settings::Colour colour);
// "すべて基本色に戻す(&R)": every class back to "0,0,11,4,0,0,0,0,0,11,11,11,4,2,9".
void resetKindColours(SettingsDraft& d);

// ---- フォント ------------------------------------------------------------------------------

enum class FontSlot { Japanese, JapaneseVertical, Western, Simplified, Traditional, Hangul };
settings::FontChoice& fontOf(SettingsDraft& d, FontSlot slot);
// The sample shown beside each font.
std::u16string_view fontSample(FontSlot slot);

// ---- 表示テキスト情報 ------------------------------------------------------------------------

// The reject level as the slider and the field keep it: 1..9.
int clampRejectLevel(int level);
// The values of the page that the views show while the sheet is open.
void applyLiveValues(const settings::SettingsValues& from, settings::SettingsValues& to);
bool liveValuesDiffer(const settings::SettingsValues& a, const settings::SettingsValues& b);

// ---- OK ------------------------------------------------------------------------------------

SettingsDraft draftOf(const settings::SettingsValues& values, const settings::OutputFonts& fonts);
// OK: every value of the draft into the settings; the output fonts' names and
// sizes into the stored values too.
void applyDraft(const SettingsDraft& d, settings::SettingsValues& values, settings::OutputFonts& fonts);

// ---- 登録文字テーブル ------------------------------------------------------------------------

class RegisteredTablePage {
 public:
  explicit RegisteredTablePage(const RegisteredTable& table);

  const std::vector<RegisteredPair>& rows() const { return rows_; }
  int selected() const { return selected_; }
  std::u16string search, replacement;  // the fields 登録文字 and 置換文字
  const std::u16string& fileName() const { return fileName_; }

  bool canAdd() const { return !search.empty(); }
  bool canDelete() const { return selected_ >= 0 && selected_ < static_cast<int>(rows_.size()); }
  // A row selected: its words go into the fields.
  void select(int row);
  // "登録(&A)": the message to show when there is nothing to add, else nothing.
  std::optional<std::u16string> add();
  // "削除(&D)".
  void remove();
  // The rows into the table (OK, and before loading or saving).
  void applyTo(RegisteredTable& table);
  // "読込み(&L)...": the page applied, a modified table saved to its file, then the
  // chosen file read. Only a file that gives at least one pair replaces the rows,
  // the table and its file name; a failed load changes nothing. Returns whether
  // the table was replaced.
  bool load(RegisteredTable& table, std::u16string_view path, Host& host);
  // "保存(&S)...": the page applied and the table written to the chosen file, which
  // becomes the table's file. A failed save keeps the table marked modified.
  bool save(RegisteredTable& table, std::u16string_view path, Host& host);

 private:
  std::vector<RegisteredPair> rows_;
  int selected_ = -1;
  std::u16string fileName_;
  bool changed_ = false;
};

}  // namespace lexova::shell
