// The settings sheet "環境設定" (CSetting) and its seven pages, and the document
// information dialog "保存ファイル情報の入力". The pages only show the draft and the
// rules of src/shell/settings_sheet.h; the colour, font and file choosers can be
// replaced (tests answer them from a script).
#pragma once

#include <QDialog>
#include <functional>
#include <optional>

#include "editing/registered_table.h"
#include "host/host.h"
#include "shell/settings_sheet.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QTabWidget;
class QTreeWidget;

namespace lexova::app {

struct SheetChoosers {
  // The system's colour chooser; nothing when cancelled.
  std::function<std::optional<settings::Colour>(settings::Colour initial, QWidget* parent)> colour;
  // The font chooser; nothing when cancelled.
  std::function<std::optional<settings::FontChoice>(const settings::FontChoice& initial, QWidget* parent)> font;
  // A table file to read (save false) or to write (save true); empty when cancelled.
  std::function<QString(bool save, const QString& current, QWidget* parent)> tableFile;
  // The document information dialog over the four texts; false when cancelled.
  std::function<bool(settings::SettingsValues& values, QWidget* parent)> documentInfo;
  static SheetChoosers qt();
};

// "保存ファイル情報の入力": title, subtitle, author and keywords of the PDF output,
// with the creator and producer texts shown beside them.
class DocumentInfoDialog final : public QDialog {
  Q_OBJECT

 public:
  DocumentInfoDialog(QWidget* parent, const settings::SettingsValues& values);
  // OK: the four texts into values.
  void storeInto(settings::SettingsValues& values) const;
  QLineEdit* field(int i) const { return fields_[i]; }

 private:
  QLineEdit* fields_[4];
};

class CSetting final : public QDialog {
  Q_OBJECT

 public:
  CSetting(QWidget* parent, shell::SettingsDraft draft, RegisteredTable& table, Host& host, SheetChoosers choosers);
  ~CSetting() override;

  const shell::SettingsDraft& draft() const { return draft_; }
  QTabWidget* pages() const { return tabs_; }
  // The values of 表示テキスト情報 changed: the views show them at once.
  std::function<void(const settings::SettingsValues&)> onLiveChange;

  // ---- the controls (tests drive them) ----
  QCheckBox* option(int i) const { return options_[i]; }  // 条件設定, in the page's order
  QListWidget* kindList() const { return kinds_; }
  QButtonGroup* colourButtons() const { return colours_; }
  QPushButton* defineColourButton() const { return defineColour_; }
  QPushButton* resetColoursButton() const { return resetColours_; }
  QPushButton* kindFontButton() const { return kindFont_; }
  QLabel* kindSample() const { return kindSample_; }
  QCheckBox* registerReplacements() const { return registerReplacements_; }
  QTreeWidget* tableList() const { return tableList_; }
  QLineEdit* searchField() const { return searchField_; }
  QLineEdit* replacementField() const { return replacementField_; }
  QPushButton* addButton() const { return addPair_; }
  QPushButton* deleteButton() const { return deletePair_; }
  QLineEdit* tableFileField() const { return tableFile_; }
  QPushButton* loadTableButton() const { return loadTable_; }
  QPushButton* saveTableButton() const { return saveTable_; }
  QCheckBox* wordColumns() const { return wordColumns_; }
  QSlider* imageQuality() const { return imageQuality_; }
  QCheckBox* authorCheck() const { return authorCheck_; }
  QPushButton* documentInfoButton() const { return documentInfo_; }
  QPushButton* fontButton(shell::FontSlot slot) const { return fontButtons_[static_cast<int>(slot)]; }
  QLabel* fontSampleLabel(shell::FontSlot slot) const { return fontSamples_[static_cast<int>(slot)]; }
  QPushButton* editLineColourButton() const { return editLineColour_; }
  QPushButton* otherLineColourButton() const { return otherLineColour_; }
  QPushButton* backgroundButton() const { return background_; }
  QRadioButton* imagePlace(int i) const { return places_[i]; }  // below, above, left, right
  QSlider* rejectSlider() const { return rejectSlider_; }
  QSpinBox* rejectField() const { return rejectField_; }
  QCheckBox* rejectColour() const { return rejectColour_; }
  QCheckBox* rejectMark() const { return rejectMark_; }

 public slots:
  void accept() override;

 private:
  QWidget* loadConvPage();
  QWidget* kindPage();
  QWidget* searchPage();
  QWidget* tablePage();
  QWidget* outputPage();
  QWidget* fontPage();
  QWidget* textInfoPage();
  void showKind();
  void showColourButtons();
  void showTable();
  void showTableButtons();
  void showFonts();
  void showTextInfo();
  void live();
  int selectedKind() const;

  shell::SettingsDraft draft_;
  RegisteredTable& table_;
  Host& host_;
  SheetChoosers choose_;
  shell::RegisteredTablePage tablePage_;
  QTabWidget* tabs_ = nullptr;
  QCheckBox* options_[6] = {};
  QListWidget* kinds_ = nullptr;
  QButtonGroup* colours_ = nullptr;
  QPushButton* defineColour_ = nullptr;
  QPushButton* resetColours_ = nullptr;
  QPushButton* kindFont_ = nullptr;
  QLabel* kindSample_ = nullptr;
  QCheckBox* registerReplacements_ = nullptr;
  QTreeWidget* tableList_ = nullptr;
  QLineEdit* searchField_ = nullptr;
  QLineEdit* replacementField_ = nullptr;
  QPushButton* addPair_ = nullptr;
  QPushButton* deletePair_ = nullptr;
  QLineEdit* tableFile_ = nullptr;
  QPushButton* loadTable_ = nullptr;
  QPushButton* saveTable_ = nullptr;
  QCheckBox* wordColumns_ = nullptr;
  QSlider* imageQuality_ = nullptr;
  QCheckBox* authorCheck_ = nullptr;
  QPushButton* documentInfo_ = nullptr;
  QPushButton* fontButtons_[6] = {};
  QLabel* fontSamples_[6] = {};
  QPushButton* editLineColour_ = nullptr;
  QPushButton* otherLineColour_ = nullptr;
  QPushButton* background_ = nullptr;
  QLabel* lineColourSample_ = nullptr;
  QLabel* backgroundSample_ = nullptr;
  QRadioButton* places_[4] = {};
  QSlider* rejectSlider_ = nullptr;
  QSpinBox* rejectField_ = nullptr;
  QCheckBox* rejectColour_ = nullptr;
  QCheckBox* rejectMark_ = nullptr;
};

}  // namespace lexova::app
