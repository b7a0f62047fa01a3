// The text view (CImageView), with the main frame's other panes: the page list
// (CPSelectView) and the page image view (CDrawView).
#pragma once

#include <QFrame>
#include <QImage>
#include <QInputMethodEvent>
#include <QScrollArea>
#include <functional>

#include "document/lifecycle/document.h"
#include "layout/page_layout.h"
#include "textview/text_view_model.h"
#include "views/image_view.h"
#include "views/page_list.h"

class QDialog;

namespace lexova::views {

class SearchDialog;

// The text view: the current page's text laid out and painted, and the place
// where correction happens. The page is painted once into an off-screen image at
// the screen's pixel ratio; scrolling and window painting only copy from it, and
// an edit paints again only the line it damaged. Keys, input-method text, the
// mouse and the context menus go to the view's model, which runs the editing
// operations; the caret, the selection and the input method's text are drawn over
// the image.
class CImageView final : public QScrollArea {
  Q_OBJECT

 public:
  explicit CImageView(QWidget* parent);
  ~CImageView() override;
  // The model the view's input goes to, and where its layout settings come from
  // (nullptr: a view that only shows pages).
  void setModel(textview::TextViewModel* model, std::function<layout::LayoutSettings()> settings);
  textview::TextViewModel* model() const { return model_; }
  // Lays out and paints `page` (nullptr: nothing) with the view's settings.
  void showPage(const COcrPage* page, const layout::LayoutSettings& settings);
  // After an edit of one line (index in the geometry's lines, as before the
  // edit): only what that line covered and covers now is painted again.
  void redrawLine(const COcrPage* page, const layout::LayoutSettings& settings, std::size_t line);
  // The model's current page laid out and painted again.
  void refreshPage();
  // The page image the line and block images and the one-line window are cut from.
  void setPageImage(pageview::PageImage* image);
  // The one-line image window (tests), and its place and image again.
  CImgWindow* lineWindow() const { return lineWindow_; }
  void updateLineWindow();
  // Repaints what an input changed and tells the frame (edited) when the
  // document changed.
  void applyUpdate(const textview::Update& u);
  // The commands the view carries out: copy, paste, find, replace, the reject
  // characters, the ruby dialog.
  void runCommand(int id);
  const layout::PageGeometry& geometry() const;
  // The canvas' off-screen image (null when painted in parts or empty).
  const QImage& image() const;
  // The canvas (mouse events are given to it) and its point for a page-pixel
  // position of the layout display.
  QWidget* canvas() const;
  // The dialogs, while open (tests drive them).
  QDialog* findDialog() const;
  // The input method's text being composed (drawn at the caret).
  QString preeditText() const { return preedit_; }

  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

  // The character replace dialog's "登録文字テーブルに追加(&A)" choice, to be kept
  // in the settings.
  std::function<void(bool)> onRegisterChoice;

 signals:
  // A message for the status bar ("" clears it).
  void status(const QString& text);
  // The document changed (an edit, another page): marks, caption and commands.
  void edited(bool pageChanged);
  // The cursor may have moved (the image view's frame and the preview's follow it).
  void cursorMoved();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  class Canvas;
  friend class Canvas;
  void mousePressed(QMouseEvent* event);
  void mouseMoved(QMouseEvent* event);
  void mouseReleased(QMouseEvent* event);
  void contextMenuAt(const QPoint& canvasPoint, const QPoint& globalPoint);
  void openReplaceCharDialog();
  void openRubyDialog();
  void openSearchDialog(bool replace);
  void updateVisibility();
  void scrollToCaret();
  void paintOverlay(QPainter& p, const QRect& area);
  void updateCursorShape(const QPoint& canvasPoint);

  Canvas* canvas_;
  textview::TextViewModel* model_ = nullptr;
  std::function<layout::LayoutSettings()> settings_;
  const COcrLine* emphasised_ = nullptr;
  textview::WheelSteps wheel_;
  QString preedit_;
  QList<QInputMethodEvent::Attribute> preeditAttributes_;
  SearchDialog* search_ = nullptr;
  pageview::PageImage* pageImage_ = nullptr;
  CImgWindow* lineWindow_ = nullptr;
  // The part of the page image the window shows, and the image and scale it was cut at.
  layout::Rect windowSource_;
  std::uint64_t windowGeneration_ = 0;
  double windowScale_ = 0;
};

}  // namespace lexova::views
