// The settings sheet's rules: the class list and colours, the draft applied on
// OK, the values shown live, and the registered-character table page, whose
// failed loads and saves must not lose the table.
#include "shell/settings_sheet.h"

#include <gtest/gtest.h>

#include <fstream>

#include "host/scripted_host.h"
#include "support/temp_dir.h"
#include "text/utf.h"

namespace lexova::shell {
namespace {

TEST(SettingsSheet, KindColoursUserColoursAndTheirReset) {
  SettingsDraft d = draftOf(settings::SettingsValues{}, settings::OutputFonts{});
  // The list shows 13 classes, the voiced kana after their plain ones.
  ASSERT_EQ(kindList().size(), 13u);
  EXPECT_EQ(kindList()[2].name, u"ひらがな濁音");
  EXPECT_EQ(kindList()[2].kind, 6);
  EXPECT_EQ(kindList()[12].name, u"記号");
  // A user colour defined and given to ひらがな: index 18, its colour.
  EXPECT_FALSE(canDefineColour(4));
  EXPECT_TRUE(canDefineColour(18));
  defineUserColour(d, 18, settings::rgb(200, 10, 30));
  defineUserColour(d, 3, settings::rgb(1, 2, 3));  // a basic colour is never redefined
  assignKindColour(d, 1, 18);
  assignKindColour(d, 1, 40);  // outside the palette: ignored
  EXPECT_EQ(d.values.kindColourIndex[1], 18);
  EXPECT_EQ(colourOfIndex(d, 18), settings::rgb(200, 10, 30));
  EXPECT_EQ(colourOfIndex(d, 3), settings::rgb(0, 255, 0));
  // Applied, the store's list holds 18 for class 1 (it accepts 0..31).
  settings::SettingsValues values;
  settings::OutputFonts fonts;
  applyDraft(d, values, fonts);
  const std::u16string stored = settings::joinNumbers(values.kindColourIndex.data(), values.kindColourIndex.size());
  EXPECT_EQ(settings::parseKindColours(stored)[1], 18);
  resetKindColours(d);
  EXPECT_EQ(settings::joinNumbers(d.values.kindColourIndex.data(), 15), u"0,0,11,4,0,0,0,0,0,11,11,11,4,2,9");
  EXPECT_EQ(d.values.userColours[2], settings::rgb(200, 10, 30));  // the user colours stay defined
}

TEST(SettingsSheet, OkStoresTheOutputFontsAndOnlyTheTextInfoValuesAreLive) {
  settings::SettingsValues values;
  settings::OutputFonts fonts;
  SettingsDraft d = draftOf(values, fonts);
  fontOf(d, FontSlot::Hangul) = {u"Noto Sans CJK KR", -15};
  fontOf(d, FontSlot::Japanese).name = u"IPAMincho";
  EXPECT_EQ(fontSample(FontSlot::JapaneseVertical), u"あいうえおアイウ安以宇");
  EXPECT_EQ(fontSample(FontSlot::Simplified), u"ABCDEabcd12345");
  EXPECT_EQ(fontSample(FontSlot::Hangul), u"ABCDEabcde12345");
  d.values.rejectLevel = 12;
  d.values.monoRuby = 0;
  d.values.otherLineColour = settings::rgb(1, 2, 3);
  // Live: the colours and reject values reach the shown settings, nothing else.
  settings::SettingsValues shown = values;
  applyLiveValues(d.values, shown);
  EXPECT_EQ(shown.otherLineColour, settings::rgb(1, 2, 3));
  EXPECT_EQ(shown.monoRuby, 1);
  EXPECT_TRUE(liveValuesDiffer(shown, values));
  applyDraft(d, values, fonts);
  EXPECT_EQ(values.fontHangul, u"Noto Sans CJK KR");
  EXPECT_EQ(values.sizeHangul, -15);
  EXPECT_EQ(values.fontJapanese, u"IPAMincho");
  EXPECT_EQ(values.rejectLevel, 9);
  EXPECT_EQ(values.monoRuby, 0);
}

class TablePage : public ::testing::Test {
 protected:
  std::u16string file(const std::string& name, const std::u16string& text) {
    std::u16string bom = u"\uFEFF" + text;
    std::ofstream(dir_ / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bom.data()), static_cast<std::streamsize>(bom.size() * 2));
    return path(name);
  }
  std::u16string path(const std::string& name) const { return text::fromUtf8((dir_ / name).string()); }
  lexova::testing::TempDir dir_;
  ScriptedHost host_;
};

TEST_F(TablePage, RowsAreEditedThenAppliedOnOk) {
  RegisteredTable table;
  table.registeredPairs = {{u"斉", u"齊"}};
  table.registeredTableFile = path("table.csv");
  RegisteredTablePage page(table);
  EXPECT_FALSE(page.canAdd());
  EXPECT_EQ(page.add(), u"追加する登録文字を入力してください。");
  page.search = u"辺";
  page.replacement = u"邊";
  EXPECT_TRUE(page.canAdd());
  EXPECT_FALSE(page.add());
  EXPECT_TRUE(page.search.empty());
  page.select(0);
  EXPECT_EQ(page.search, u"斉");
  EXPECT_TRUE(page.canDelete());
  page.remove();
  EXPECT_FALSE(page.canDelete());
  // Nothing reaches the table before OK.
  EXPECT_EQ(table.registeredPairs.size(), 1u);
  page.applyTo(table);
  EXPECT_EQ(table.registeredPairs, (std::vector<RegisteredPair>{{u"辺", u"邊"}}));
  EXPECT_TRUE(table.registeredTableModified);
}

TEST_F(TablePage, AFailedLoadOrSaveLosesNothing) {
  RegisteredTable table;
  table.registeredPairs = {{u"斉", u"齊"}};
  table.registeredTableFile = file("table.csv", u"斉,齊\r\n");
  RegisteredTablePage page(table);
  // A file with an empty line fails with its message: the table and its file stay.
  EXPECT_FALSE(page.load(table, file("broken.csv", u"a,b\r\n\r\nc,d\r\n"), host_));
  EXPECT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(table.registeredPairs, (std::vector<RegisteredPair>{{u"斉", u"齊"}}));
  EXPECT_EQ(table.registeredTableFile, path("table.csv"));
  EXPECT_EQ(page.rows().size(), 1u);
  EXPECT_EQ(page.fileName(), path("table.csv"));
  EXPECT_FALSE(page.load(table, path("missing.csv"), host_));
  EXPECT_EQ(table.registeredPairs.size(), 1u);
  // A failed save keeps the table marked modified.
  page.search = u"辺";
  page.add();
  EXPECT_FALSE(page.save(table, path("no-such-folder/t.csv"), host_));
  EXPECT_TRUE(table.registeredTableModified);
  EXPECT_EQ(table.registeredTableFile, path("table.csv"));
  // A good file replaces the rows and becomes the table's file; the modified
  // table was written to its own file first.
  EXPECT_TRUE(page.load(table, file("other.csv", u"x,y\r\nz\r\n"), host_));
  EXPECT_EQ(table.registeredPairs, (std::vector<RegisteredPair>{{u"x", u"y"}, {u"z", u""}}));
  EXPECT_EQ(page.fileName(), path("other.csv"));
  EXPECT_FALSE(table.registeredTableModified);
  RegisteredTable saved;
  EXPECT_EQ(saved.LoadRegisteredTable(path("table.csv"), host_), 2);
  EXPECT_TRUE(page.save(table, path("copy.csv"), host_));
  EXPECT_EQ(table.registeredTableFile, path("copy.csv"));
}

}  // namespace
}  // namespace lexova::shell
