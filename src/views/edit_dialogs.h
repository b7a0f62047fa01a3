// The editing dialogs of the text view, thin views over the editing state: the
// modeless find and replace dialog, the character replace dialog ("文字置換") and
// the ruby correction dialog ("ルビ修正"). They show the state objects and forward
// what the person does; every rule lives in the editing operations.
#pragma once

#include <QDialog>
#include <functional>

#include "editing/ruby_correction.h"
#include "editing/search.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace lexova::views {

// Find ("検索") or replace ("置換"), modeless. Each button runs `act` with the
// state filled from the fields; closing runs `closed`.
class SearchDialog final : public QDialog {
  Q_OBJECT

 public:
  enum class Act { FindNext, Replace, ReplaceAll };
  SearchDialog(QWidget* parent, editing::SearchState& state, bool replace, std::function<void(Act)> act,
               std::function<void()> closed);
  bool replacing() const { return replace_; }
  QLineEdit* searchField() const { return search_; }
  QLineEdit* replacementField() const { return replacement_; }
  QPushButton* button(Act a) const;
  // The state's strings shown again (a paste into the search field, a new opening).
  void showState();

 protected:
  void done(int r) override;

 private:
  void take();

  editing::SearchState& state_;
  bool replace_;
  std::function<void(Act)> act_;
  std::function<void()> closed_;
  QLineEdit* search_ = nullptr;
  QLineEdit* replacement_ = nullptr;
  QCheckBox* matchCase_ = nullptr;
  QRadioButton* up_ = nullptr;
  QPushButton *findNext_ = nullptr, *replaceOne_ = nullptr, *replaceAll_ = nullptr;
};

// "文字置換": the character on the left, the new one (at most two units) on the
// right, "登録文字テーブルに追加(&A)". OK only while the right box holds something.
class CharReplaceDialog final : public QDialog {
  Q_OBJECT

 public:
  CharReplaceDialog(QWidget* parent, const QString& current, bool registerPair);
  QString entered() const;
  bool registerPair() const;
  QLineEdit* newField() const { return new_; }
  QPushButton* okButton() const { return ok_; }

 private:
  QLineEdit* new_ = nullptr;
  QCheckBox* register_ = nullptr;
  QPushButton* ok_ = nullptr;
};

// "ルビ修正" over the ruby dialog's state; OK and Cancel run `ok` and `cancel`.
class RubyCorrectionDialog final : public QDialog {
  Q_OBJECT

 public:
  RubyCorrectionDialog(QWidget* parent, editing::RubyDialog& state, editing::EditTarget& target);
  // The controls by their numbers (1044..1054, 1 OK).
  QWidget* control(int id) const;
  void showState();

 private:
  editing::RubyDialog& d_;
  editing::EditTarget& t_;
  QLineEdit *ruby_, *ruby2_, *base_, *base2_;
  QLabel* guidance_;
  QPushButton *mark_, *split_, *prev_, *dropFirst_, *next_, *dropLast_, *ok_;
};

}  // namespace lexova::views
