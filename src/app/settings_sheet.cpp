#include "app/settings_sheet.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cmath>

#include "app/dialogs.h"
#include "export/pdf/pdf_export.h"
#include "views/page_painter.h"

namespace lexova::app {
namespace {

QString qs(std::u16string_view s) {
  return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}
std::u16string u16(const QString& s) {
  return s.toStdU16String();
}
QColor qcolour(settings::Colour c) {
  return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}
settings::Colour colourOf(const QColor& c) {
  return settings::rgb(static_cast<unsigned>(c.red()), static_cast<unsigned>(c.green()),
                       static_cast<unsigned>(c.blue()));
}
QIcon swatch(settings::Colour c, int size = 14) {
  QPixmap pixmap(size, size);
  pixmap.fill(qcolour(c));
  QPainter p(&pixmap);
  p.setPen(Qt::gray);
  p.drawRect(0, 0, size - 1, size - 1);
  return QIcon(pixmap);
}
QLabel* buddyLabel(const QString& text, QWidget* buddy) {
  auto* label = new QLabel(text);
  label->setBuddy(buddy);
  return label;
}
QCheckBox* boundCheck(const QString& text, int& value, QWidget* parent) {
  auto* box = new QCheckBox(text, parent);
  box->setChecked(value != 0);
  QObject::connect(box, &QCheckBox::toggled, parent, [&value](bool on) { value = on ? 1 : 0; });
  return box;
}
// A font as the chooser takes it: negative heights are character heights in pixels.
QFont qfont(const settings::FontChoice& f) {
  QFont font(qs(f.name));
  if (f.height != 0) font.setPixelSize(std::abs(f.height));
  return font;
}

}  // namespace

SheetChoosers SheetChoosers::qt() {
  SheetChoosers c;
  c.colour = [](settings::Colour initial, QWidget* parent) -> std::optional<settings::Colour> {
    const QColor chosen = QColorDialog::getColor(qcolour(initial), parent);
    if (!chosen.isValid()) return std::nullopt;
    return colourOf(chosen);
  };
  c.font = [](const settings::FontChoice& initial, QWidget* parent) -> std::optional<settings::FontChoice> {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, qfont(initial), parent);
    if (!ok) return std::nullopt;
    settings::FontChoice out;
    out.name = u16(chosen.family());
    const int pixels =
        chosen.pixelSize() > 0 ? chosen.pixelSize() : static_cast<int>(std::lround(chosen.pointSizeF() * 96 / 72));
    out.height = initial.height == 0 ? 0 : -pixels;
    return out;
  };
  c.tableFile = [](bool save, const QString& current, QWidget* parent) {
    const QStringList filters = filterList(u"csv file (*.csv)|*.csv|All Files (*.*)|*.*||");
    QFileDialog dialog(parent);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.selectFile(current);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().front();
  };
  c.documentInfo = [](settings::SettingsValues& values, QWidget* parent) {
    DocumentInfoDialog dialog(parent, values);
    if (dialog.exec() != QDialog::Accepted) return false;
    dialog.storeInto(values);
    return true;
  };
  return c;
}

// ---- 保存ファイル情報の入力 ------------------------------------------------------------------

DocumentInfoDialog::DocumentInfoDialog(QWidget* parent, const settings::SettingsValues& values) : QDialog(parent) {
  setWindowTitle(QStringLiteral("保存ファイル情報の入力"));
  auto* form = new QFormLayout;
  const std::u16string* texts[4] = {&values.pdfFileTitle, &values.pdfFileSubtitle, &values.pdfAuthor,
                                    &values.pdfKeywords};
  const QString labels[4] = {QStringLiteral("タイトル(&T):"), QStringLiteral("サブタイトル(&S):"),
                             QStringLiteral("作成者(&A):"), QStringLiteral("キーワード(&K):")};
  for (int i = 0; i < 4; ++i) {
    fields_[i] = new QLineEdit(qs(*texts[i]), this);
    form->addRow(buddyLabel(labels[i], fields_[i]), fields_[i]);
  }
  form->addRow(QStringLiteral("作成:"), new QLabel(qs(pdf::kPdfProduct), this));
  form->addRow(QStringLiteral("ファイル変換:"), new QLabel(qs(pdf::kPdfProduct), this));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

void DocumentInfoDialog::storeInto(settings::SettingsValues& values) const {
  std::u16string* texts[4] = {&values.pdfFileTitle, &values.pdfFileSubtitle, &values.pdfAuthor, &values.pdfKeywords};
  for (int i = 0; i < 4; ++i) *texts[i] = u16(fields_[i]->text());
}

// ---- the sheet --------------------------------------------------------------------------------

CSetting::CSetting(QWidget* parent, shell::SettingsDraft draft, RegisteredTable& table, Host& host,
                   SheetChoosers choosers)
    : QDialog(parent),
      draft_(std::move(draft)),
      table_(table),
      host_(host),
      choose_(std::move(choosers)),
      tablePage_(table) {
  setWindowTitle(QStringLiteral("環境設定"));
  setMinimumWidth(820);  // every page title visible
  tabs_ = new QTabWidget(this);
  tabs_->addTab(loadConvPage(), QStringLiteral("条件設定"));
  tabs_->addTab(kindPage(), QStringLiteral("文字種別表示色/フォント設定"));
  tabs_->addTab(searchPage(), QStringLiteral("検索・置換"));
  tabs_->addTab(tablePage(), QStringLiteral("登録文字テーブル"));
  tabs_->addTab(outputPage(), QStringLiteral("保存・外部出力"));
  tabs_->addTab(fontPage(), QStringLiteral("フォント"));
  tabs_->addTab(textInfoPage(), QStringLiteral("表示テキスト情報"));
  // No Apply button: OK and Cancel.
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
  connect(buttons, &QDialogButtonBox::accepted, this, &CSetting::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addWidget(buttons);
}

CSetting::~CSetting() = default;

void CSetting::accept() {
  draft_.values.rejectLevel = shell::clampRejectLevel(rejectField_->value());
  tablePage_.applyTo(table_);
  QDialog::accept();
}

QWidget* CSetting::loadConvPage() {
  auto* page = new QWidget;
  auto* group = new QGroupBox(QStringLiteral("読込み、領域結合時のオプション"), page);
  auto* inner = new QVBoxLayout(group);
  settings::SettingsValues& v = draft_.values;
  const std::pair<const char16_t*, int*> items[6] = {{u"ルビをモノルビとして処理する(&M)", &v.monoRuby},
                                                     {u"拗音、促音を通常文字にする(&Y)", &v.smallKanaToNormal},
                                                     {u"ブロック間に改行を挿入する(&B)", &v.blankLinesBetweenBlocks},
                                                     {u"行頭に空白を挿入する(&S)", &v.indentWithSpaces},
                                                     {u"自然改行を挿入する(&N)", &v.naturalLineBreaks},
                                                     {u"ブロックの終わりには改行を入れない(&E)", &v.noBreakAtBlockEnd}};
  for (int i = 0; i < 6; ++i) {
    options_[i] = boundCheck(QString::fromUtf16(items[i].first), *items[i].second, page);
    inner->addWidget(options_[i]);
  }
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(group);
  layout->addStretch();
  return page;
}

int CSetting::selectedKind() const {
  const int row = kinds_->currentRow();
  return row >= 0 ? shell::kindList()[static_cast<std::size_t>(row)].kind : -1;
}

QWidget* CSetting::kindPage() {
  auto* page = new QWidget;
  kinds_ = new QListWidget(page);
  for (const shell::KindEntry& e : shell::kindList()) kinds_->addItem(qs(e.name));
  colours_ = new QButtonGroup(page);
  colours_->setExclusive(true);
  auto grid = [&](int first) {
    auto* g = new QGridLayout;
    g->setSpacing(2);
    for (int i = 0; i < 16; ++i) {
      auto* b = new QPushButton(page);
      b->setCheckable(true);
      b->setFixedSize(24, 22);
      b->setAccessibleName(QStringLiteral("色 %1").arg(first + i));
      colours_->addButton(b, first + i);
      g->addWidget(b, i / 8, i % 8);
    }
    return g;
  };
  QGridLayout* basic = grid(0);
  QGridLayout* user = grid(16);
  defineColour_ = new QPushButton(QStringLiteral("文字の色設定(&S)..."), page);
  kindFont_ = new QPushButton(QStringLiteral("フォント設定(&F)..."), page);
  resetColours_ = new QPushButton(QStringLiteral("すべて基本色に戻す(&R)"), page);
  auto* sampleBox = new QGroupBox(QStringLiteral("--選択された文字種の現在の色とフォント--"), page);
  kindSample_ = new QLabel(sampleBox);
  kindSample_->setAlignment(Qt::AlignCenter);
  kindSample_->setMinimumHeight(48);
  kindSample_->setAutoFillBackground(true);
  (new QVBoxLayout(sampleBox))->addWidget(kindSample_);

  auto* right = new QVBoxLayout;
  right->addWidget(buddyLabel(QStringLiteral("設定色(&C):"), colours_->button(0)));
  right->addLayout(basic);
  right->addWidget(buddyLabel(QStringLiteral("定義色(&U):"), colours_->button(16)));
  right->addLayout(user);
  right->addWidget(defineColour_);
  right->addWidget(kindFont_);
  right->addWidget(resetColours_);
  right->addWidget(sampleBox);
  right->addStretch();
  auto* left = new QVBoxLayout;
  left->addWidget(buddyLabel(QStringLiteral("文字種(&M)"), kinds_));
  left->addWidget(kinds_);
  auto* layout = new QHBoxLayout(page);
  layout->addLayout(left, 1);
  layout->addLayout(right);

  connect(kinds_, &QListWidget::currentRowChanged, this, [this] { showKind(); });
  connect(colours_, &QButtonGroup::idClicked, this, [this](int index) {
    shell::assignKindColour(draft_, selectedKind(), index);
    showKind();
  });
  connect(defineColour_, &QPushButton::clicked, this, [this] {
    const int index = colours_->checkedId();
    if (!shell::canDefineColour(index) || !choose_.colour) return;
    if (auto c = choose_.colour(shell::colourOfIndex(draft_, index), this)) {
      shell::defineUserColour(draft_, index, *c);
      showColourButtons();
      showKind();
    }
  });
  connect(kindFont_, &QPushButton::clicked, this, [this] {
    const int kind = selectedKind();
    if (kind < 0 || !choose_.font) return;
    std::u16string& face = draft_.values.kindFonts[static_cast<std::size_t>(kind)];
    if (auto f = choose_.font(settings::FontChoice{face, 0}, this)) {
      face = f->name;
      showKind();
    }
  });
  connect(resetColours_, &QPushButton::clicked, this, [this] {
    shell::resetKindColours(draft_);
    showKind();
  });
  showColourButtons();
  kinds_->setCurrentRow(0);
  return page;
}

void CSetting::showColourButtons() {
  for (int i = 0; i < shell::kColourCount; ++i) {
    colours_->button(i)->setIcon(swatch(shell::colourOfIndex(draft_, i)));
  }
}

void CSetting::showKind() {
  const int kind = selectedKind();
  if (kind < 0) return;
  const int index = draft_.values.kindColourIndex[static_cast<std::size_t>(kind)];
  if (QAbstractButton* b = colours_->button(index)) b->setChecked(true);
  defineColour_->setEnabled(shell::canDefineColour(colours_->checkedId()));
  // The sample: the class's name in its colour and font.
  views::PagePainter fonts;
  QFont font(fonts.familyFor(draft_.values.kindFonts[static_cast<std::size_t>(kind)]));
  font.setPixelSize(24);
  kindSample_->setFont(font);
  kindSample_->setText(qs(shell::kindName(kind)));
  QPalette pal = kindSample_->palette();
  pal.setColor(QPalette::WindowText, qcolour(shell::colourOfIndex(draft_, index)));
  pal.setColor(QPalette::Window, Qt::white);
  kindSample_->setPalette(pal);
}

QWidget* CSetting::searchPage() {
  auto* page = new QWidget;
  registerReplacements_ =
      boundCheck(QStringLiteral("置換文字を登録する(&R)"), draft_.values.registerReplacements, page);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(registerReplacements_);
  layout->addStretch();
  return page;
}

QWidget* CSetting::tablePage() {
  auto* page = new QWidget;
  tableList_ = new QTreeWidget(page);
  tableList_->setColumnCount(2);
  tableList_->setHeaderLabels({QStringLiteral("検索語"), QStringLiteral("置換語")});
  tableList_->setRootIsDecorated(false);
  tableList_->setSelectionBehavior(QAbstractItemView::SelectRows);
  tableList_->header()->resizeSection(0, 120);
  tableList_->header()->resizeSection(1, 120);
  searchField_ = new QLineEdit(page);
  replacementField_ = new QLineEdit(page);
  addPair_ = new QPushButton(QStringLiteral("登録(&A)"), page);
  deletePair_ = new QPushButton(QStringLiteral("削除(&D)"), page);
  tableFile_ = new QLineEdit(page);
  tableFile_->setReadOnly(true);
  loadTable_ = new QPushButton(QStringLiteral("読込み(&L)..."), page);
  saveTable_ = new QPushButton(QStringLiteral("保存(&S)..."), page);

  auto* fields = new QFormLayout;
  fields->addRow(buddyLabel(QStringLiteral("登録文字(&C)"), searchField_), searchField_);
  fields->addRow(buddyLabel(QStringLiteral("置換文字(&R)"), replacementField_), replacementField_);
  auto* edit = new QHBoxLayout;
  edit->addWidget(addPair_);
  edit->addWidget(deletePair_);
  edit->addStretch();
  auto* file = new QHBoxLayout;
  file->addWidget(new QLabel(QStringLiteral("テーブルファイル名"), page));
  file->addWidget(tableFile_, 1);
  auto* fileButtons = new QHBoxLayout;
  fileButtons->addStretch();
  fileButtons->addWidget(loadTable_);
  fileButtons->addWidget(saveTable_);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(tableList_, 1);
  layout->addLayout(fields);
  layout->addLayout(edit);
  layout->addLayout(file);
  layout->addLayout(fileButtons);

  connect(tableList_, &QTreeWidget::currentItemChanged, this, [this] {
    tablePage_.select(tableList_->currentIndex().row());
    searchField_->setText(qs(tablePage_.search));
    replacementField_->setText(qs(tablePage_.replacement));
    showTableButtons();
  });
  connect(searchField_, &QLineEdit::textChanged, this, [this](const QString& t) {
    tablePage_.search = u16(t);
    showTableButtons();
  });
  connect(replacementField_, &QLineEdit::textChanged, this,
          [this](const QString& t) { tablePage_.replacement = u16(t); });
  connect(addPair_, &QPushButton::clicked, this, [this] {
    if (auto message = tablePage_.add()) {
      host_.message(*message, kApplicationName, MessageIcon::Warning);
      return;
    }
    showTable();
    searchField_->clear();
    replacementField_->clear();
  });
  connect(deletePair_, &QPushButton::clicked, this, [this] {
    tablePage_.remove();
    showTable();
  });
  connect(loadTable_, &QPushButton::clicked, this, [this] {
    const QString path = choose_.tableFile ? choose_.tableFile(false, tableFile_->text(), this) : QString();
    if (path.isEmpty()) return;
    tablePage_.load(table_, u16(path), host_);
    showTable();
  });
  connect(saveTable_, &QPushButton::clicked, this, [this] {
    const QString path = choose_.tableFile ? choose_.tableFile(true, tableFile_->text(), this) : QString();
    if (path.isEmpty()) return;
    tablePage_.save(table_, u16(path), host_);
    showTable();
  });
  showTable();
  return page;
}

void CSetting::showTable() {
  tableList_->clear();
  for (const RegisteredPair& p : tablePage_.rows()) {
    tableList_->addTopLevelItem(new QTreeWidgetItem({qs(p.first), qs(p.second)}));
  }
  tableFile_->setText(qs(tablePage_.fileName()));
  showTableButtons();
}

void CSetting::showTableButtons() {
  addPair_->setEnabled(tablePage_.canAdd());
  deletePair_->setEnabled(tablePage_.canDelete());
}

QWidget* CSetting::outputPage() {
  auto* page = new QWidget;
  settings::SettingsValues& v = draft_.values;
  wordColumns_ = boundCheck(QStringLiteral("段組みを優先する(&D)"), v.wordColumns, page);
  imageQuality_ = new QSlider(Qt::Horizontal, page);
  imageQuality_->setRange(0, 2);
  imageQuality_->setPageStep(1);
  imageQuality_->setTickPosition(QSlider::TicksBelow);
  imageQuality_->setValue(std::clamp(v.pdfImageQuality, 0, 2));
  connect(imageQuality_, &QSlider::valueChanged, this, [this](int q) { draft_.values.pdfImageQuality = q; });
  authorCheck_ =
      boundCheck(QStringLiteral("書類情報の作成者欄が空白のときユーザ名を設定する(&U)"), v.pdfAuthorCheck, page);
  documentInfo_ = new QPushButton(QStringLiteral("書類情報(&J)..."), page);
  connect(documentInfo_, &QPushButton::clicked, this, [this] {
    if (choose_.documentInfo) choose_.documentInfo(draft_.values, this);
  });
  auto* word = new QGroupBox(QStringLiteral("Word"), page);
  (new QVBoxLayout(word))->addWidget(wordColumns_);
  auto* pdf = new QGroupBox(QStringLiteral("PDF"), page);
  auto* quality = new QHBoxLayout;
  quality->addWidget(new QLabel(QStringLiteral("コンパクト"), page));
  quality->addWidget(imageQuality_, 1);
  quality->addWidget(new QLabel(QStringLiteral("きれい"), page));
  auto* pdfLayout = new QVBoxLayout(pdf);
  pdfLayout->addWidget(buddyLabel(QStringLiteral("図領域の画像品質(&Q)"), imageQuality_));
  pdfLayout->addLayout(quality);
  pdfLayout->addWidget(authorCheck_);
  pdfLayout->addWidget(documentInfo_, 0, Qt::AlignLeft);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(word);
  layout->addWidget(pdf);
  layout->addStretch();
  return page;
}

QWidget* CSetting::fontPage() {
  auto* page = new QWidget;
  struct Row {
    shell::FontSlot slot;
    const char16_t* button;
  };
  auto group = [&](const QString& title, std::initializer_list<Row> rows) {
    auto* box = new QGroupBox(title, page);
    auto* grid = new QGridLayout(box);
    int r = 0;
    for (const Row& row : rows) {
      const int i = static_cast<int>(row.slot);
      fontButtons_[i] = new QPushButton(QString::fromUtf16(row.button), box);
      fontSamples_[i] = new QLabel(box);
      fontSamples_[i]->setFrameShape(QFrame::StyledPanel);
      fontSamples_[i]->setMinimumWidth(220);
      grid->addWidget(fontButtons_[i], r, 0);
      grid->addWidget(fontSamples_[i], r, 1);
      const shell::FontSlot slot = row.slot;
      connect(fontButtons_[i], &QPushButton::clicked, this, [this, slot] {
        if (!choose_.font) return;
        settings::FontChoice& f = shell::fontOf(draft_, slot);
        if (auto chosen = choose_.font(f, this)) {
          f = *chosen;
          showFonts();
        }
      });
      ++r;
    }
    return box;
  };
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(
      group(QStringLiteral("日本語フォント"), {{shell::FontSlot::Japanese, u"横書フォント設定(&J)..."},
                                               {shell::FontSlot::JapaneseVertical, u"縦書フォント設定(&J)..."}}));
  layout->addWidget(group(QStringLiteral("欧文フォント"), {{shell::FontSlot::Western, u"フォント設定(&E)..."}}));
  layout->addWidget(
      group(QStringLiteral("アジア言語フォント"), {{shell::FontSlot::Simplified, u"簡体字フォント設定(&S)..."},
                                                   {shell::FontSlot::Traditional, u"繁体字フォント設定(&R)..."},
                                                   {shell::FontSlot::Hangul, u"ハングルフォント設定(&H)..."}}));
  layout->addStretch();
  showFonts();
  return page;
}

void CSetting::showFonts() {
  views::PagePainter fonts;
  for (int i = 0; i < 6; ++i) {
    const auto slot = static_cast<shell::FontSlot>(i);
    const settings::FontChoice& f = shell::fontOf(draft_, slot);
    QFont font(fonts.familyFor(f.name));
    font.setPixelSize(f.height != 0 ? std::clamp(std::abs(f.height), 8, 40) : 16);
    fontSamples_[i]->setFont(font);
    fontSamples_[i]->setText(qs(shell::fontSample(slot)));
    fontSamples_[i]->setToolTip(qs(f.name));
  }
}

QWidget* CSetting::textInfoPage() {
  auto* page = new QWidget;
  editLineColour_ = new QPushButton(QStringLiteral("編集行の表示色(&A)..."), page);
  otherLineColour_ = new QPushButton(QStringLiteral("非編集行の表示色(&N)..."), page);
  auto* lineBox = new QGroupBox(QStringLiteral("--設定されている文字色--"), page);
  lineColourSample_ = new QLabel(QStringLiteral("編集行\n非編集行"), lineBox);
  lineColourSample_->setTextFormat(Qt::RichText);
  (new QVBoxLayout(lineBox))->addWidget(lineColourSample_);
  auto* colourRow = new QHBoxLayout;
  auto* colourButtons = new QVBoxLayout;
  colourButtons->addWidget(editLineColour_);
  colourButtons->addWidget(otherLineColour_);
  colourRow->addLayout(colourButtons);
  colourRow->addWidget(lineBox, 1);

  auto* placeBox = new QGroupBox(QStringLiteral("一行画像の配置位置"), page);
  const QString placeTexts[4] = {QStringLiteral("テキストの下に表示(&B)"), QStringLiteral("テキストの上に表示(&U)"),
                                 QStringLiteral("テキストの左に表示(&L)"), QStringLiteral("テキストの右に表示(&R)")};
  auto* horizontal = new QGroupBox(QStringLiteral("横書き"), placeBox);
  auto* vertical = new QGroupBox(QStringLiteral("縦書き"), placeBox);
  auto* hl = new QVBoxLayout(horizontal);
  auto* vl = new QVBoxLayout(vertical);
  for (int i = 0; i < 4; ++i) {
    places_[i] = new QRadioButton(placeTexts[i], i < 2 ? horizontal : vertical);
    (i < 2 ? hl : vl)->addWidget(places_[i]);
  }
  auto* placeLayout = new QHBoxLayout(placeBox);
  placeLayout->addWidget(horizontal);
  placeLayout->addWidget(vertical);

  background_ = new QPushButton(QStringLiteral("背景色設定(&S)..."), page);
  auto* backBox = new QGroupBox(QStringLiteral("--設定されている背景色--"), page);
  backgroundSample_ = new QLabel(backBox);
  backgroundSample_->setAutoFillBackground(true);
  backgroundSample_->setMinimumHeight(20);
  (new QVBoxLayout(backBox))->addWidget(backgroundSample_);
  auto* backGroup = new QGroupBox(QStringLiteral("画像並列表示時の文字背景色"), page);
  auto* backLayout = new QHBoxLayout(backGroup);
  backLayout->addWidget(background_);
  backLayout->addWidget(backBox, 1);

  rejectSlider_ = new QSlider(Qt::Horizontal, page);
  rejectSlider_->setRange(1, 9);
  rejectSlider_->setPageStep(1);
  rejectSlider_->setTickPosition(QSlider::TicksBelow);
  rejectField_ = new QSpinBox(page);
  rejectField_->setRange(1, 9);
  rejectColour_ = new QCheckBox(QStringLiteral("リジェクト文字を色換え表示する(&C)"), page);
  rejectMark_ = new QCheckBox(QStringLiteral("リジェクト文字を「〓」で表示する(&M)"), page);
  auto* rejectGroup = new QGroupBox(QStringLiteral("リジェクトレベル"), page);
  auto* rejectRow = new QHBoxLayout;
  rejectRow->addWidget(rejectSlider_, 1);
  rejectRow->addWidget(buddyLabel(QStringLiteral("レベル値(&V)"), rejectField_));
  rejectRow->addWidget(rejectField_);
  auto* rejectLayout = new QVBoxLayout(rejectGroup);
  rejectLayout->addLayout(rejectRow);
  rejectLayout->addWidget(rejectColour_);
  rejectLayout->addWidget(rejectMark_);

  auto* layout = new QVBoxLayout(page);
  layout->addLayout(colourRow);
  layout->addWidget(placeBox);
  layout->addWidget(backGroup);
  layout->addWidget(rejectGroup);
  layout->addStretch();

  showTextInfo();
  auto chooseColour = [this](settings::Colour& target) {
    if (!choose_.colour) return;
    if (auto c = choose_.colour(target, this)) {
      target = *c;
      showTextInfo();
      live();
    }
  };
  connect(editLineColour_, &QPushButton::clicked, this,
          [this, chooseColour] { chooseColour(draft_.values.editLineColour); });
  connect(otherLineColour_, &QPushButton::clicked, this,
          [this, chooseColour] { chooseColour(draft_.values.otherLineColour); });
  connect(background_, &QPushButton::clicked, this,
          [this, chooseColour] { chooseColour(draft_.values.textBackground); });
  for (int i = 0; i < 4; ++i) {
    connect(places_[i], &QRadioButton::toggled, this, [this, i](bool on) {
      if (!on) return;
      if (i < 2) {
        draft_.values.horizontalImagePosition = i;
      } else {
        draft_.values.verticalImagePosition = i - 2;
      }
      live();
    });
  }
  // The slider and the field show one value.
  connect(rejectSlider_, &QSlider::valueChanged, this, [this](int level) {
    if (rejectField_->value() != level) rejectField_->setValue(level);
    if (draft_.values.rejectLevel == level) return;
    draft_.values.rejectLevel = level;
    live();
  });
  connect(rejectField_, &QSpinBox::valueChanged, this, [this](int level) {
    if (rejectSlider_->value() != level) rejectSlider_->setValue(level);
  });
  connect(rejectColour_, &QCheckBox::toggled, this, [this](bool on) {
    draft_.values.rejectColour = on ? 1 : 0;
    live();
  });
  connect(rejectMark_, &QCheckBox::toggled, this, [this](bool on) {
    draft_.values.showRejectMark = on ? 1 : 0;
    live();
  });
  return page;
}

void CSetting::showTextInfo() {
  const settings::SettingsValues& v = draft_.values;
  lineColourSample_->setText(QStringLiteral("<span style=\"color:%1\">編集行</span><br>"
                                            "<span style=\"color:%2\">非編集行</span>")
                                 .arg(qcolour(v.editLineColour).name(), qcolour(v.otherLineColour).name()));
  QPalette pal = backgroundSample_->palette();
  pal.setColor(QPalette::Window, qcolour(v.textBackground));
  backgroundSample_->setPalette(pal);
  places_[v.horizontalImagePosition == 1 ? 1 : 0]->setChecked(true);
  places_[v.verticalImagePosition == 1 ? 3 : 2]->setChecked(true);
  const int level = shell::clampRejectLevel(v.rejectLevel);
  rejectSlider_->setValue(level);
  rejectField_->setValue(level);
  rejectColour_->setChecked(v.rejectColour != 0);
  rejectMark_->setChecked(v.showRejectMark != 0);
}

void CSetting::live() {
  if (onLiveChange) onLiveChange(draft_.values);
}

}  // namespace lexova::app
