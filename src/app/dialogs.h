// The file dialogs of the main frame: open (with "現在の文書に追加する"), save as
// and export (with the page-range panel), and the image-folder dialog. They hold
// no rules: names and ranges are checked by the functions the lexova tool uses.
#pragma once

#include <QDialog>
#include <QFileDialog>
#include <QString>
#include <optional>

#include "app/settings_sheet.h"
#include "document/page_range.h"
#include "host/host.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace lexova::app {

// The panel "保存範囲": all pages, the current page, or a range from ~ to.
class RangePanel : public QWidget {
  Q_OBJECT

 public:
  explicit RangePanel(QWidget* parent = nullptr);
  void setMode(RangeMode mode);
  RangeChoice choice() const;
  // After a refused range: both fields enabled, the first focused.
  void focusRange();

 private:
  void follow();

  QRadioButton* all_;
  QRadioButton* current_;
  QRadioButton* range_;
  QLineEdit* from_;
  QLineEdit* to_;
};

// "XMLファイルを開く".
class OpenDialog : public QFileDialog {
  Q_OBJECT

 public:
  OpenDialog(QWidget* parent, Host& host, const QString& folder, bool append);
  QString path() const;
  bool append() const;

 public slots:
  void accept() override;

 private:
  Host& host_;
  QCheckBox* append_;
};

// Save as (work file) or the export dialog CExtFileSave: a file name, a file type
// and a page range.
class RangeSaveDialog : public QFileDialog {
  Q_OBJECT

 public:
  enum class Kind { SaveAs, Export };
  RangeSaveDialog(QWidget* parent, Host& host, Kind kind, int pageCount, int fileType, RangeMode mode);
  QString path() const;
  int fileType() const;  // the index of the selected type in the filter
  RangeChoice range() const { return panel_->choice(); }

 public slots:
  void accept() override;

 private:
  Host& host_;
  int pageCount_;
  QStringList filters_;
  RangePanel* panel_;
};

// "画像フォルダの変更".
class ImageFolderDialog : public QDialog {
  Q_OBJECT

 public:
  ImageFolderDialog(QWidget* parent, const QString& before, const QString& after);
  QString before() const;
  QString after() const;

 private:
  QLineEdit* before_;
  QLineEdit* after_;
};

// Save as: the work file, hOCR, ALTO and PAGE XML, in the order of interchange::Format
// from WorkFile on.
inline constexpr char16_t kSaveAsFilter[] =
    u"Xml (*.xml)|*.xml|hOCR (*.hocr)|*.hocr|ALTO (*.xml)|*.xml|PAGE XML (*.xml)|*.xml||";
// The open dialog: work files, and the results of other engines (known by content).
inline constexpr char16_t kOpenFilter[] =
    u"XMLファイル(*.xml)|*.xml|OCR結果 (*.xml *.hocr *.html *.htm)|*.xml;*.hocr;*.html;*.htm|すべてのファイル "
    u"(*.*)|*.*||";

// The Qt name filters of a filter string written "text|pattern|text|pattern||".
QStringList filterList(std::u16string_view filter);

}  // namespace lexova::app

namespace lexova::app {

// What the main frame asks through dialogs; the editor shows the dialogs above,
// tests answer from a script.
class FrameDialogs {
 public:
  virtual ~FrameDialogs() = default;
  struct OpenChoice {
    QString path;
    bool append = false;
  };
  struct SaveChoice {
    QString path;
    RangeChoice range;
    int fileType = 0;
  };
  struct FolderChoice {
    QString before, after;
  };
  virtual std::optional<OpenChoice> askOpen(QWidget* parent, const QString& folder, bool append) = 0;
  // fileType: the entry of kSaveAsFilter selected first (the document's own format).
  virtual std::optional<SaveChoice> askSaveAs(QWidget* parent, int pageCount, int fileType) = 0;
  virtual std::optional<SaveChoice> askExport(QWidget* parent, int pageCount, int fileType, RangeMode mode) = 0;
  virtual std::optional<FolderChoice> askImageFolder(QWidget* parent, const QString& before, const QString& after) = 0;
  // The settings sheet, run modally (QDialog::Accepted on OK), and the choosers its pages open.
  virtual int runSettings(QDialog& sheet) { return sheet.exec(); }
  virtual SheetChoosers sheetChoosers() { return SheetChoosers::qt(); }
};

class QtFrameDialogs final : public FrameDialogs {
 public:
  explicit QtFrameDialogs(Host& host) : host_(host) {}
  std::optional<OpenChoice> askOpen(QWidget* parent, const QString& folder, bool append) override;
  std::optional<SaveChoice> askSaveAs(QWidget* parent, int pageCount, int fileType) override;
  std::optional<SaveChoice> askExport(QWidget* parent, int pageCount, int fileType, RangeMode mode) override;
  std::optional<FolderChoice> askImageFolder(QWidget* parent, const QString& before, const QString& after) override;

 private:
  Host& host_;
};

}  // namespace lexova::app
