#include "shell/settings_sheet.h"

#include <algorithm>

#include "layout/metrics.h"

namespace lexova::shell {

const std::array<KindEntry, 13>& kindList() {
  static const std::array<KindEntry, 13> list = {{{0, u"漢字"},
                                                  {1, u"ひらがな"},
                                                  {6, u"ひらがな濁音"},
                                                  {7, u"ひらがな半濁音"},
                                                  {8, u"ひらがな促音拗音"},
                                                  {2, u"カタカナ"},
                                                  {9, u"カタカナ濁音"},
                                                  {10, u"カタカナ半濁音"},
                                                  {11, u"カタカナ促音拗音"},
                                                  {3, u"英字大文字"},
                                                  {12, u"英小文字"},
                                                  {4, u"数字"},
                                                  {5, u"記号"}}};
  return list;
}

std::u16string_view kindName(int kind) {
  for (const KindEntry& e : kindList()) {
    if (e.kind == kind) return e.name;
  }
  return kind == 13 ? u"タブ" : kind == 14 ? u"改行" : u"";
}

settings::Colour colourOfIndex(const SettingsDraft& d, int index) {
  return layout::paletteColour(index, d.values.userColours);
}

bool canDefineColour(int selectedIndex) {
  return selectedIndex >= kBasicColourCount && selectedIndex < kColourCount;
}

void assignKindColour(SettingsDraft& d, int kind, int index) {
  if (kind < 0 || kind >= settings::kCharKinds || index < 0 || index >= kColourCount) return;
  d.values.kindColourIndex[static_cast<std::size_t>(kind)] = index;
}

void defineUserColour(SettingsDraft& d, int index, settings::Colour colour) {
  if (!canDefineColour(index)) return;
  d.values.userColours[static_cast<std::size_t>(index - kBasicColourCount)] = colour;
}

void resetKindColours(SettingsDraft& d) {
  d.values.kindColourIndex = settings::SettingsValues{}.kindColourIndex;
}

settings::FontChoice& fontOf(SettingsDraft& d, FontSlot slot) {
  switch (slot) {
    case FontSlot::Japanese:
      return d.fonts.japanese;
    case FontSlot::JapaneseVertical:
      return d.fonts.japaneseVertical;
    case FontSlot::Western:
      return d.fonts.western;
    case FontSlot::Simplified:
      return d.fonts.simplified;
    case FontSlot::Traditional:
      return d.fonts.traditional;
    case FontSlot::Hangul:
      break;
  }
  return d.fonts.hangul;
}

std::u16string_view fontSample(FontSlot slot) {
  switch (slot) {
    case FontSlot::Japanese:
    case FontSlot::JapaneseVertical:
      return u"あいうえおアイウ安以宇";
    case FontSlot::Simplified:
      return u"ABCDEabcd12345";
    default:
      return u"ABCDEabcde12345";
  }
}

int clampRejectLevel(int level) {
  return std::clamp(level, 1, 9);
}

void applyLiveValues(const settings::SettingsValues& from, settings::SettingsValues& to) {
  to.editLineColour = from.editLineColour;
  to.otherLineColour = from.otherLineColour;
  to.textBackground = from.textBackground;
  to.horizontalImagePosition = from.horizontalImagePosition;
  to.verticalImagePosition = from.verticalImagePosition;
  to.rejectLevel = from.rejectLevel;
  to.rejectColour = from.rejectColour;
  to.showRejectMark = from.showRejectMark;
}

bool liveValuesDiffer(const settings::SettingsValues& a, const settings::SettingsValues& b) {
  return a.editLineColour != b.editLineColour || a.otherLineColour != b.otherLineColour ||
         a.textBackground != b.textBackground || a.horizontalImagePosition != b.horizontalImagePosition ||
         a.verticalImagePosition != b.verticalImagePosition || a.rejectLevel != b.rejectLevel ||
         a.rejectColour != b.rejectColour || a.showRejectMark != b.showRejectMark;
}

SettingsDraft draftOf(const settings::SettingsValues& values, const settings::OutputFonts& fonts) {
  return {values, fonts};
}

void applyDraft(const SettingsDraft& d, settings::SettingsValues& values, settings::OutputFonts& fonts) {
  values = d.values;
  values.rejectLevel = clampRejectLevel(values.rejectLevel);
  fonts = d.fonts;
  // What the store keeps of the output fonts.
  values.fontJapanese = fonts.japanese.name;
  values.fontJapaneseVertical = fonts.japaneseVertical.name;
  values.fontWestern = fonts.western.name;
  values.fontSimplified = fonts.simplified.name;
  values.fontTraditional = fonts.traditional.name;
  values.fontHangul = fonts.hangul.name;
  values.sizeSimplified = fonts.simplified.height;
  values.sizeTraditional = fonts.traditional.height;
  values.sizeHangul = fonts.hangul.height;
}

RegisteredTablePage::RegisteredTablePage(const RegisteredTable& table)
    : rows_(table.registeredPairs), fileName_(table.registeredTableFile) {}

void RegisteredTablePage::select(int row) {
  if (row < 0 || row >= static_cast<int>(rows_.size())) {
    selected_ = -1;
    return;
  }
  selected_ = row;
  search = rows_[static_cast<std::size_t>(row)].first;
  replacement = rows_[static_cast<std::size_t>(row)].second;
}

std::optional<std::u16string> RegisteredTablePage::add() {
  if (search.empty()) return std::u16string(u"追加する登録文字を入力してください。");
  rows_.emplace_back(search, replacement);
  changed_ = true;
  search.clear();
  replacement.clear();
  return std::nullopt;
}

void RegisteredTablePage::remove() {
  if (!canDelete()) return;
  rows_.erase(rows_.begin() + selected_);
  selected_ = -1;
  changed_ = true;
}

void RegisteredTablePage::applyTo(RegisteredTable& table) {
  if (!changed_ && table.registeredPairs == rows_) return;
  table.registeredPairs = rows_;
  table.registeredTableModified = true;
  changed_ = false;
}

bool RegisteredTablePage::load(RegisteredTable& table, std::u16string_view path, Host& host) {
  applyTo(table);
  if (table.registeredTableModified && table.SaveRegisteredTable(table.registeredTableFile, host) == 0) {
    table.registeredTableModified = false;
  }
  // Read beside the table: a file that fails leaves the table as it is.
  RegisteredTable read;
  if (read.LoadRegisteredTable(path, host) <= 0) return false;
  table.registeredPairs = std::move(read.registeredPairs);
  table.registeredTableFile = std::u16string(path);
  table.registeredTableModified = false;
  rows_ = table.registeredPairs;
  fileName_ = table.registeredTableFile;
  selected_ = -1;
  return true;
}

bool RegisteredTablePage::save(RegisteredTable& table, std::u16string_view path, Host& host) {
  applyTo(table);
  if (table.SaveRegisteredTable(path, host) != 0) {
    table.registeredTableModified = true;
    return false;
  }
  table.registeredTableFile = std::u16string(path);
  table.registeredTableModified = false;
  fileName_ = table.registeredTableFile;
  return true;
}

}  // namespace lexova::shell
