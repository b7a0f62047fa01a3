#include "views/edit_dialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace lexova::views {
namespace {

QString qs(const std::u16string& s) {
  return QString::fromStdU16String(s);
}
std::u16string u16(const QString& s) {
  return s.toStdU16String();
}

// The number of characters (a surrogate pair is one) in the first `units` units.
int charactersBefore(const QString& text, int units) {
  int n = 0;
  for (int i = 0; i < units && i < text.size(); ++i) {
    if (!text.at(i).isLowSurrogate()) ++n;
  }
  return n;
}

}  // namespace

// ---- find and replace ---------------------------------------------------------------------

SearchDialog::SearchDialog(QWidget* parent, editing::SearchState& state, bool replace, std::function<void(Act)> act,
                           std::function<void()> closed)
    : QDialog(parent), state_(state), replace_(replace), act_(std::move(act)), closed_(std::move(closed)) {
  setWindowTitle(replace ? QStringLiteral("置換") : QStringLiteral("検索"));
  setModal(false);
  setAttribute(Qt::WA_DeleteOnClose);
  auto* grid = new QGridLayout;
  search_ = new QLineEdit(this);
  search_->setMaxLength(79);
  auto* searchLabel = new QLabel(QStringLiteral("検索する文字列(&N):"), this);
  searchLabel->setBuddy(search_);
  grid->addWidget(searchLabel, 0, 0);
  grid->addWidget(search_, 0, 1);
  if (replace) {
    replacement_ = new QLineEdit(this);
    replacement_->setMaxLength(79);
    auto* replaceLabel = new QLabel(QStringLiteral("置換後の文字列(&P):"), this);
    replaceLabel->setBuddy(replacement_);
    grid->addWidget(replaceLabel, 1, 0);
    grid->addWidget(replacement_, 1, 1);
  }
  matchCase_ = new QCheckBox(QStringLiteral("大文字と小文字を区別する(&C)"), this);
  auto* left = new QVBoxLayout;
  left->addLayout(grid);
  auto* options = new QHBoxLayout;
  options->addWidget(matchCase_);
  if (!replace) {
    auto* direction = new QGroupBox(QStringLiteral("方向"), this);
    up_ = new QRadioButton(QStringLiteral("上へ(&U)"), direction);
    auto* down = new QRadioButton(QStringLiteral("下へ(&D)"), direction);
    down->setChecked(true);
    auto* d = new QHBoxLayout(direction);
    d->addWidget(up_);
    d->addWidget(down);
    options->addWidget(direction);
  }
  left->addLayout(options);
  left->addStretch();
  auto* buttons = new QVBoxLayout;
  findNext_ = new QPushButton(QStringLiteral("次を検索(&F)"), this);
  findNext_->setDefault(true);
  buttons->addWidget(findNext_);
  if (replace) {
    replaceOne_ = new QPushButton(QStringLiteral("置換して次に(&R)"), this);
    replaceAll_ = new QPushButton(QStringLiteral("すべて置換(&A)"), this);
    buttons->addWidget(replaceOne_);
    buttons->addWidget(replaceAll_);
  }
  auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
  buttons->addWidget(cancel);
  buttons->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left, 1);
  layout->addLayout(buttons);

  const auto run = [this](Act a) {
    take();
    act_(a);
  };
  connect(findNext_, &QPushButton::clicked, this, [run] { run(Act::FindNext); });
  if (replace) {
    connect(replaceOne_, &QPushButton::clicked, this, [run] { run(Act::Replace); });
    connect(replaceAll_, &QPushButton::clicked, this, [run] { run(Act::ReplaceAll); });
  }
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  const auto enable = [this] {
    const bool any = !search_->text().isEmpty();
    findNext_->setEnabled(any);
    if (replaceOne_) replaceOne_->setEnabled(any);
    if (replaceAll_) replaceAll_->setEnabled(any);
  };
  connect(search_, &QLineEdit::textChanged, this, enable);
  showState();
  enable();
}

QPushButton* SearchDialog::button(Act a) const {
  return a == Act::FindNext ? findNext_ : a == Act::Replace ? replaceOne_ : replaceAll_;
}

void SearchDialog::showState() {
  search_->setText(qs(state_.search));
  if (replacement_) replacement_->setText(qs(state_.replacement));
  matchCase_->setChecked(state_.matchCase);
  search_->selectAll();
}

void SearchDialog::take() {
  state_.search = u16(search_->text()).substr(0, 79);
  if (replacement_) state_.replacement = u16(replacement_->text()).substr(0, 79);
  state_.matchCase = matchCase_->isChecked();
  state_.backward = up_ != nullptr && up_->isChecked();
}

void SearchDialog::done(int r) {
  state_.matchCase = matchCase_->isChecked();
  QDialog::done(r);
  if (closed_) closed_();
}

// ---- the character replace dialog -----------------------------------------------------------

CharReplaceDialog::CharReplaceDialog(QWidget* parent, const QString& current, bool registerPair) : QDialog(parent) {
  setWindowTitle(QStringLiteral("文字置換"));
  auto* old = new QLineEdit(current, this);
  old->setReadOnly(true);
  old->setObjectName(QStringLiteral("control1032"));
  new_ = new QLineEdit(this);
  new_->setObjectName(QStringLiteral("control1025"));
  new_->setMaxLength(2);
  register_ = new QCheckBox(QStringLiteral("登録文字テーブルに追加(&A)"), this);
  register_->setChecked(registerPair);
  auto* row = new QHBoxLayout;
  row->addWidget(old);
  row->addWidget(new QLabel(QStringLiteral("→"), this));
  row->addWidget(new_);
  auto* box = new QDialogButtonBox(this);
  ok_ = box->addButton(QDialogButtonBox::Ok);
  box->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
  connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(register_);
  layout->addWidget(box);
  ok_->setEnabled(false);
  connect(new_, &QLineEdit::textChanged, this, [this](const QString& t) { ok_->setEnabled(!t.isEmpty()); });
  new_->setFocus();
}

QString CharReplaceDialog::entered() const {
  return new_->text();
}
bool CharReplaceDialog::registerPair() const {
  return register_->isChecked();
}

// ---- the ruby dialog ------------------------------------------------------------------------

RubyCorrectionDialog::RubyCorrectionDialog(QWidget* parent, editing::RubyDialog& state, editing::EditTarget& target)
    : QDialog(parent), d_(state), t_(target) {
  setWindowTitle(QStringLiteral("ルビ修正"));
  ruby_ = new QLineEdit(this);
  ruby2_ = new QLineEdit(this);
  base_ = new QLineEdit(this);
  base2_ = new QLineEdit(this);
  base_->setReadOnly(true);
  base2_->setReadOnly(true);
  guidance_ = new QLabel(this);
  mark_ = new QPushButton(QStringLiteral("分割位置設定(&D)"), this);
  split_ = new QPushButton(QStringLiteral("ルビ分割(&R)"), this);
  prev_ = new QPushButton(QStringLiteral("前の文字を追加(&P)"), this);
  dropFirst_ = new QPushButton(QStringLiteral("先頭文字を除外(&T)"), this);
  next_ = new QPushButton(QStringLiteral("次の文字を追加(&N)"), this);
  dropLast_ = new QPushButton(QStringLiteral("最終文字を除外(&L)"), this);
  for (QPushButton* b : {mark_, split_, prev_, dropFirst_, next_, dropLast_}) b->setAutoDefault(false);
  auto* box = new QDialogButtonBox(this);
  ok_ = box->addButton(QDialogButtonBox::Ok);
  box->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
  connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QStringLiteral("ルビ"), this), 0, 0);
  grid->addWidget(ruby_, 0, 1);
  grid->addWidget(ruby2_, 0, 2);
  grid->addWidget(new QLabel(QStringLiteral("本文"), this), 1, 0);
  grid->addWidget(base_, 1, 1);
  grid->addWidget(base2_, 1, 2);
  auto* splitRow = new QHBoxLayout;
  splitRow->addWidget(mark_);
  splitRow->addWidget(split_);
  auto* rangeRow = new QHBoxLayout;
  for (QPushButton* b : {prev_, dropFirst_, next_, dropLast_}) rangeRow->addWidget(b);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(splitRow);
  layout->addLayout(rangeRow);
  layout->addWidget(guidance_);
  layout->addWidget(box);

  connect(ruby_, &QLineEdit::textEdited, this, [this] {
    editing::SetRubyText(d_, u16(ruby_->text()), u16(ruby2_->text()));
    ok_->setEnabled(d_.okEnabled);
  });
  connect(ruby2_, &QLineEdit::textEdited, this, [this] {
    editing::SetRubyText(d_, u16(ruby_->text()), u16(ruby2_->text()));
    ok_->setEnabled(d_.okEnabled);
  });
  const auto range = [this](void (*f)(editing::RubyDialog&, editing::EditTarget&)) {
    return [this, f] {
      f(d_, t_);
      showState();
    };
  };
  connect(prev_, &QPushButton::clicked, this, range(editing::ExtendPrev));
  connect(dropFirst_, &QPushButton::clicked, this, range(editing::DropFirst));
  connect(next_, &QPushButton::clicked, this, range(editing::ExtendNext));
  connect(dropLast_, &QPushButton::clicked, this, range(editing::DropLast));
  connect(mark_, &QPushButton::clicked, this, [this] {
    const int caret = ruby_->hasSelectedText() ? ruby_->selectionEnd() : ruby_->cursorPosition();
    editing::MarkSplit(d_, t_, charactersBefore(ruby_->text(), caret));
    showState();
    // The text up to the marker is selected.
    const int marker = ruby_->text().indexOf(QLatin1Char('*'));
    if (marker > 0) ruby_->setSelection(0, marker);
  });
  connect(split_, &QPushButton::clicked, this, [this] {
    editing::SplitRuby(d_, charactersBefore(base_->text(), base_->cursorPosition()));
    showState();
  });
  showState();
  ruby_->setFocus();
}

QWidget* RubyCorrectionDialog::control(int id) const {
  switch (id) {
    case 1047:
      return ruby_;
    case 1052:
      return ruby2_;
    case 1048:
      return base_;
    case 1053:
      return base2_;
    case 1051:
      return guidance_;
    case 1046:
      return mark_;
    case 1054:
      return split_;
    case 1045:
      return prev_;
    case 1050:
      return dropFirst_;
    case 1044:
      return next_;
    case 1049:
      return dropLast_;
    case 1:
      return ok_;
    default:
      return nullptr;
  }
}

void RubyCorrectionDialog::showState() {
  if (ruby_->text() != qs(d_.rubyText)) ruby_->setText(qs(d_.rubyText));
  if (ruby2_->text() != qs(d_.rubyText2)) ruby2_->setText(qs(d_.rubyText2));
  base_->setText(qs(d_.baseText));
  base2_->setText(qs(d_.baseText2));
  guidance_->setText(qs(d_.guidance));
  ruby_->setEnabled(d_.rubyEditEnabled);
  ruby2_->setEnabled(d_.rubyEdit2Enabled);
  mark_->setEnabled(d_.markEnabled);
  split_->setEnabled(d_.splitEnabled);
  for (QPushButton* b : {prev_, dropFirst_, next_, dropLast_}) b->setEnabled(d_.rangeButtonsEnabled);
  ok_->setEnabled(d_.okEnabled);
}

}  // namespace lexova::views
