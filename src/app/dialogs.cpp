#include "app/dialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/qt_host.h"
#include "document/lifecycle/file_checks.h"
#include "export/export_rules.h"

namespace lexova::app {
namespace {

// Adds a widget below the file dialog's own controls (the dialog is Qt's own, not
// the desktop's, so that it can carry it).
void addBelow(QFileDialog* dialog, QWidget* widget) {
  if (auto* grid = qobject_cast<QGridLayout*>(dialog->layout())) {
    grid->addWidget(widget, grid->rowCount(), 0, 1, grid->columnCount());
  }
}

// The extension of a name filter's first pattern: "Word2007以降(*.docx)" gives "docx".
QString suffixOf(const QString& filter) {
  const qsizetype star = filter.indexOf(QStringLiteral("*."));
  if (star < 0) return {};
  qsizetype end = star + 2;
  while (end < filter.size() && filter[end].isLetterOrNumber()) ++end;
  return filter.mid(star + 2, end - star - 2);
}

}  // namespace

QStringList filterList(std::u16string_view filter) {
  const QStringList parts = qs(filter).split(QLatin1Char('|'));
  QStringList out;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty()) break;
    QString text = parts[i];
    // Qt reads the patterns from the parentheses: give them when the text has none.
    if (!text.contains(QLatin1Char('('))) text += QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')');
    out << text;
  }
  return out;
}

// ---- the range panel -------------------------------------------------------------------------

RangePanel::RangePanel(QWidget* parent) : QWidget(parent) {
  auto* box = new QGroupBox(QStringLiteral("保存範囲"), this);
  all_ = new QRadioButton(QStringLiteral("全ページ(&A)"), box);
  current_ = new QRadioButton(QStringLiteral("現ページ(&C)"), box);
  range_ = new QRadioButton(QStringLiteral("範囲指定(&G)"), box);
  from_ = new QLineEdit(box);
  to_ = new QLineEdit(box);
  for (QLineEdit* field : {from_, to_}) {
    field->setValidator(new QIntValidator(0, 999999, field));
    field->setMaximumWidth(80);
  }
  auto* row = new QHBoxLayout(box);
  row->addWidget(all_);
  row->addWidget(current_);
  row->addWidget(range_);
  row->addWidget(from_);
  row->addWidget(new QLabel(QStringLiteral("~"), box));
  row->addWidget(to_);
  row->addStretch(1);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(box);
  for (QRadioButton* b : {all_, current_, range_}) connect(b, &QRadioButton::toggled, this, &RangePanel::follow);
  all_->setChecked(true);
  follow();
}

void RangePanel::setMode(RangeMode mode) {
  (mode == RangeMode::CurrentPage ? current_ : mode == RangeMode::PageRange ? range_ : all_)->setChecked(true);
  follow();
}

void RangePanel::follow() {
  const bool range = range_->isChecked();
  from_->setEnabled(range);
  to_->setEnabled(range);
}

RangeChoice RangePanel::choice() const {
  RangeChoice c;
  c.mode = range_->isChecked()     ? RangeMode::PageRange
           : current_->isChecked() ? RangeMode::CurrentPage
                                   : RangeMode::AllPages;
  c.from = pageFieldValue(u16(from_->text()));
  c.to = pageFieldValue(u16(to_->text()));
  return c;
}

void RangePanel::focusRange() {
  from_->setEnabled(true);
  to_->setEnabled(true);
  from_->setFocus();
  from_->selectAll();
}

// ---- open ------------------------------------------------------------------------------------

OpenDialog::OpenDialog(QWidget* parent, Host& host, const QString& folder, bool append)
    : QFileDialog(parent, QStringLiteral("XMLファイルを開く"), folder), host_(host) {
  setOption(QFileDialog::DontUseNativeDialog);
  setAcceptMode(QFileDialog::AcceptOpen);
  // Names are checked here, with the described messages, not by the dialog.
  setFileMode(QFileDialog::AnyFile);
  setNameFilters(filterList(kOpenFilter));
  append_ = new QCheckBox(QStringLiteral("現在の文書に追加する(&D)"), this);
  append_->setChecked(append);
  addBelow(this, append_);
}

QString OpenDialog::path() const {
  return selectedFiles().value(0);
}
bool OpenDialog::append() const {
  return append_->isChecked();
}

void OpenDialog::accept() {
  const QString name = path();
  if (!name.isEmpty() && QFileInfo(name).isDir()) {
    QFileDialog::accept();  // into the folder
    return;
  }
  if (selectedFiles().size() > 1) {
    host_.message(u"ファイル名が長すぎるか、または複数選択されたファイル数が多すぎます。", kApplicationName,
                  MessageIcon::Warning);
    return;
  }
  const auto error = openDialogNameError(u16(name), [](const std::u16string& p) { return QFileInfo(qs(p)).isFile(); });
  if (error) {
    host_.message(*error, kApplicationName, MessageIcon::Warning);
    return;
  }
  QFileDialog::accept();
}

// ---- save as and export ----------------------------------------------------------------------

RangeSaveDialog::RangeSaveDialog(QWidget* parent, Host& host, Kind kind, int pageCount, int fileType, RangeMode mode)
    : QFileDialog(parent), host_(host), pageCount_(pageCount) {
  setOption(QFileDialog::DontUseNativeDialog);
  setAcceptMode(QFileDialog::AcceptSave);
  setFileMode(QFileDialog::AnyFile);
  if (kind == Kind::SaveAs) {
    setWindowTitle(QStringLiteral("名前を付けて保存"));
    // The work file first, then the other engines' formats the document may go back to.
    filters_ = filterList(kSaveAsFilter);
  } else {
    setWindowTitle(QStringLiteral("外部ファイルに保存"));
    filters_ = filterList(exporting::kExportFilter);
    setLabelText(QFileDialog::Reject, QStringLiteral("キャンセル"));
  }
  setNameFilters(filters_);
  fileType = std::clamp(fileType, 0, static_cast<int>(filters_.size()) - 1);
  selectNameFilter(filters_.value(fileType));
  // A name typed without an extension takes the one of the selected type.
  setDefaultSuffix(suffixOf(filters_.value(fileType)));
  connect(this, &QFileDialog::filterSelected, this, [this](const QString& f) { setDefaultSuffix(suffixOf(f)); });
  panel_ = new RangePanel(this);
  panel_->setMode(mode);
  addBelow(this, panel_);
}

QString RangeSaveDialog::path() const {
  return selectedFiles().value(0);
}

int RangeSaveDialog::fileType() const {
  return static_cast<int>(std::max<qsizetype>(0, filters_.indexOf(selectedNameFilter())));
}

void RangeSaveDialog::accept() {
  const QString name = path();
  if (!name.isEmpty() && QFileInfo(name).isDir()) {
    QFileDialog::accept();
    return;
  }
  const RangeChoice choice = panel_->choice();
  if (!confirmPageRange(choice, pageCount_, host_)) {
    if (choice.mode == RangeMode::PageRange) panel_->focusRange();
    return;
  }
  QFileDialog::accept();  // with the question before an existing file is replaced
}

// ---- image folder ----------------------------------------------------------------------------

ImageFolderDialog::ImageFolderDialog(QWidget* parent, const QString& before, const QString& after) : QDialog(parent) {
  setWindowTitle(QStringLiteral("画像フォルダの変更"));
  before_ = new QLineEdit(before, this);
  after_ = new QLineEdit(after, this);
  auto* browse = new QPushButton(QStringLiteral("参照...(&R)"), this);
  auto* beforeLabel = new QLabel(QStringLiteral("変更前(&B)"), this);
  auto* afterLabel = new QLabel(QStringLiteral("変更後(&A)"), this);
  beforeLabel->setBuddy(before_);
  afterLabel->setBuddy(after_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
  auto* grid = new QGridLayout(this);
  grid->addWidget(beforeLabel, 0, 0);
  grid->addWidget(before_, 0, 1);
  grid->addWidget(afterLabel, 1, 0);
  grid->addWidget(after_, 1, 1);
  grid->addWidget(browse, 1, 2);
  grid->addWidget(buttons, 2, 0, 1, 3);
  before_->setMinimumWidth(360);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(browse, &QPushButton::clicked, this, [this] {
    QFileDialog pick(this, QStringLiteral("画像フォルダの変更"), after_->text());
    pick.setOption(QFileDialog::DontUseNativeDialog);
    pick.setFileMode(QFileDialog::ExistingFile);
    pick.setNameFilters(filterList(u"Tiff file (*.tif)|*.tif|All Files (*.*)|*.*||"));
    if (pick.exec() != QDialog::Accepted || pick.selectedFiles().isEmpty()) return;
    after_->setText(QFileInfo(pick.selectedFiles().front()).absolutePath() + QLatin1Char('/'));
  });
}

QString ImageFolderDialog::before() const {
  return before_->text();
}
QString ImageFolderDialog::after() const {
  return after_->text();
}

}  // namespace lexova::app

namespace lexova::app {

std::optional<FrameDialogs::OpenChoice> QtFrameDialogs::askOpen(QWidget* parent, const QString& folder, bool append) {
  OpenDialog dialog(parent, host_, folder, append);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return OpenChoice{dialog.path(), dialog.append()};
}

std::optional<FrameDialogs::SaveChoice> QtFrameDialogs::askSaveAs(QWidget* parent, int pageCount, int fileType) {
  RangeSaveDialog dialog(parent, host_, RangeSaveDialog::Kind::SaveAs, pageCount, fileType, RangeMode::AllPages);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return SaveChoice{dialog.path(), dialog.range(), dialog.fileType()};
}

std::optional<FrameDialogs::SaveChoice> QtFrameDialogs::askExport(QWidget* parent, int pageCount, int fileType,
                                                                  RangeMode mode) {
  RangeSaveDialog dialog(parent, host_, RangeSaveDialog::Kind::Export, pageCount, fileType, mode);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return SaveChoice{dialog.path(), dialog.range(), dialog.fileType()};
}

std::optional<FrameDialogs::FolderChoice> QtFrameDialogs::askImageFolder(QWidget* parent, const QString& before,
                                                                         const QString& after) {
  ImageFolderDialog dialog(parent, before, after);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return FolderChoice{dialog.before(), dialog.after()};
}

}  // namespace lexova::app
