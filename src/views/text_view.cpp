// The text view (CImageView): painting the page from its off-screen image, and
// the caret, the selection and the input method's text over it; keys, text, the
// mouse, the context menus and the editing dialogs through the view's model.
#include "views/text_view.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QTextCharFormat>
#include <memory>

#include "editing/cursor.h"
#include "pageview/image_geometry.h"
#include "pageview/page_image.h"
#include "shell/commands.h"
#include "views/edit_dialogs.h"
#include "views/page_painter.h"
#include "views/picture.h"

namespace lexova::views {
namespace {

QRect qrect(const layout::Rect& r) {
  return {static_cast<int>(r.x), static_cast<int>(r.y), static_cast<int>(r.width), static_cast<int>(r.height)};
}

textview::Key keyOf(int key) {
  switch (key) {
    case Qt::Key_Left:
      return textview::Key::Left;
    case Qt::Key_Right:
      return textview::Key::Right;
    case Qt::Key_Up:
      return textview::Key::Up;
    case Qt::Key_Down:
      return textview::Key::Down;
    case Qt::Key_Backspace:
      return textview::Key::Backspace;
    case Qt::Key_Delete:
      return textview::Key::Delete;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return textview::Key::Enter;
    case Qt::Key_Escape:
      return textview::Key::Escape;
    case Qt::Key_Tab:
      return textview::Key::Tab;
    default:
      return textview::Key::Other;
  }
}

textview::KeyPress keyPressOf(const QKeyEvent* e) {
  textview::KeyPress k;
  k.key = keyOf(e->key());
  k.shift = (e->modifiers() & Qt::ShiftModifier) != 0;
  k.ctrl = (e->modifiers() & Qt::ControlModifier) != 0;
  k.alt = (e->modifiers() & Qt::AltModifier) != 0;
  k.text = e->text().toStdU16String();
  k.autoRepeat = e->isAutoRepeat();
  return k;
}

}  // namespace

class CImageView::Canvas final : public QWidget {
 public:
  Canvas(CImageView* view, QWidget* parent) : QWidget(parent), view_(view) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    setMouseTracking(true);  // the cursor's shape follows what lies under it
  }

  void show(const COcrPage* page, const layout::LayoutSettings& settings) {
    geometry_ = page ? layout::layoutPage(*page, settings) : layout::PageGeometry{};
    // The widget has the whole page's size; a widget cannot be larger than this.
    constexpr long long kWidgetMax = 16'000'000;
    resize(static_cast<int>(std::min(kWidgetMax, std::max<long long>(1, geometry_.fullWidth))),
           static_cast<int>(std::min(kWidgetMax, std::max<long long>(1, geometry_.fullHeight))));
    if (page && !geometry_.limited) {
      // The image is kept while its size stays: making a new one costs more than painting.
      const qreal ratio = devicePixelRatioF();
      const QSize size(static_cast<int>(geometry_.width * ratio), static_cast<int>(geometry_.height * ratio));
      if (image_.size() != size || image_.devicePixelRatio() != ratio) {
        image_ = QImage(size, QImage::Format_RGB32);
      }
      if (!image_.isNull()) {
        image_.setDevicePixelRatio(ratio);
        image_.fill(Qt::white);
        QPainter p(&image_);
        painter_.paint(p, geometry_);
      }
    } else {
      image_ = QImage();
    }
    update();
  }

  const layout::PageGeometry& geometry() const { return geometry_; }
  const QImage& image() const { return image_; }
  void setPageImage(const pageview::PageImage* image) { painter_.setPageImage(image); }

  void redrawLine(const COcrPage* page, const layout::LayoutSettings& settings, std::size_t line) {
    if (!page || image_.isNull() || line >= geometry_.lines.size()) {
      show(page, settings);
      return;
    }
    layout::Rect area = layout::lineBounds(geometry_, line);
    layout::PageGeometry next = layout::layoutPage(*page, settings);
    if (next.width != geometry_.width || next.height != geometry_.height ||
        next.lines.size() != geometry_.lines.size()) {
      show(page, settings);
      return;
    }
    geometry_ = std::move(next);
    repaintArea(layout::unite(area, layout::lineBounds(geometry_, line)));
  }

  // The page laid out again; only what the draw list changed is painted again
  // (a new image when its size changed).
  void relayout(const COcrPage* page, const layout::LayoutSettings& settings) {
    if (!page || image_.isNull()) {
      show(page, settings);
      return;
    }
    layout::PageGeometry next = layout::layoutPage(*page, settings);
    if (next.width != geometry_.width || next.height != geometry_.height || next.limited) {
      show(page, settings);
      return;
    }
    const layout::Rect area = layout::changedArea(geometry_, next);
    geometry_ = std::move(next);
    if (area.width > 0 && area.height > 0) repaintArea(area);
  }

 private:
  // Paints an area of the off-screen image again from the draw list.
  void repaintArea(const layout::Rect& area) {
    const QRect r = qrect(area);
    QPainter p(&image_);
    p.setClipRect(r);
    p.fillRect(r, Qt::white);
    painter_.paint(p, geometry_, &area);
    p.end();
    update(r);
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QPainter p(this);
    p.fillRect(event->rect(), Qt::white);
    if (!image_.isNull()) {
      const qreal ratio = image_.devicePixelRatio();
      const QRect r = event->rect();
      p.drawImage(r, image_, QRectF(r.x() * ratio, r.y() * ratio, r.width() * ratio, r.height() * ratio));
    } else if (geometry_.limited) {
      // Too large for one image: the visible part is painted from the draw list.
      p.save();
      p.setClipRect(event->rect());
      painter_.paint(p, geometry_);
      p.restore();
    }
    view_->paintOverlay(p, event->rect());
  }
  void mousePressEvent(QMouseEvent* e) override { view_->mousePressed(e); }
  void mouseMoveEvent(QMouseEvent* e) override {
    view_->updateCursorShape(e->position().toPoint());
    view_->mouseMoved(e);
  }
  void mouseReleaseEvent(QMouseEvent* e) override { view_->mouseReleased(e); }
  void contextMenuEvent(QContextMenuEvent* e) override { view_->contextMenuAt(e->pos(), e->globalPos()); }

 private:
  CImageView* view_;
  layout::PageGeometry geometry_;
  QImage image_;
  PagePainter painter_;
};

CImageView::CImageView(QWidget* parent) : QScrollArea(parent), canvas_(new Canvas(this, this)) {
  setWidget(canvas_);
  setWidgetResizable(false);
  setBackgroundRole(QPalette::Base);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled);
  canvas_->setFocusProxy(this);
  // Outside the page: the view's background colour.
  QPalette pal = viewport()->palette();
  pal.setColor(QPalette::Window, QColor(192, 192, 127));
  viewport()->setPalette(pal);
  viewport()->setBackgroundRole(QPalette::Window);
  viewport()->setAutoFillBackground(true);
  // The one-line image window lies over the text and moves with it.
  lineWindow_ = new CImgWindow(viewport());
  for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()}) {
    connect(bar, &QScrollBar::valueChanged, this, &CImageView::updateLineWindow);
  }
}

CImageView::~CImageView() = default;

void CImageView::setModel(textview::TextViewModel* model, std::function<layout::LayoutSettings()> settings) {
  model_ = model;
  settings_ = std::move(settings);
  updateVisibility();
}

void CImageView::showPage(const COcrPage* page, const layout::LayoutSettings& settings) {
  canvas_->show(page, settings);
  if (model_) emphasised_ = model_->emphasisedLine();
  emit status(canvas_->geometry().limited ? QStringLiteral("ページが大きいため、表示されている部分だけを描いています。")
                                          : QString());
  // Another scale or display keeps the caret in view.
  if (model_ && page) scrollToCaret();
  updateLineWindow();
  emit cursorMoved();
}

void CImageView::setPageImage(pageview::PageImage* image) {
  pageImage_ = image;
  canvas_->setPageImage(image);
}

void CImageView::updateLineWindow() {
  const auto hide = [this] {
    lineWindow_->hide();
    windowSource_ = {};
  };
  if (!model_ || !settings_ || !pageImage_ || !isVisible()) return hide();
  const layout::LayoutSettings s = settings_();
  const layout::PageGeometry& g = canvas_->geometry();
  const editing::EditCursor& cursor = model_->state().cursor;
  const int index = cursor.set() ? model_->cursorLineIndex(g) : -1;
  if (!pageview::lineWindowWanted(s.display, s.editMode, s.imageMode, index >= 0)) return hide();
  const layout::LineGeometry& lg = g.lines[static_cast<std::size_t>(index)];
  const COcrLine& line = *lg.line;
  const COcrLine* previous = cursor.line != cursor.lines().begin() ? &*std::prev(cursor.line) : nullptr;
  const layout::Rect source = pageview::clipToImage(pageview::lineImageSource(previous, line, lg.vertical),
                                                    pageImage_->width(), pageImage_->height());
  if (pageview::isEmpty(source)) return hide();
  if (source != windowSource_ || pageImage_->generation() != windowGeneration_ || g.scale != windowScale_) {
    windowSource_ = source;
    windowGeneration_ = pageImage_->generation();
    windowScale_ = g.scale;
    QImage image = toQImage(pageImage_->cut(source));
    const pageview::Size size = pageview::lineImageSize(source, g.scale);
    const QSize shown(static_cast<int>(size.width), static_cast<int>(size.height));
    if (!image.isNull() && image.size() != shown) {
      image = image.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    lineWindow_->setImage(image);
  }
  pageview::LineWindowInput in;
  in.line = {lg.vertical ? lg.originX - line.width : lg.originX, lg.originY, line.width, line.height};
  in.vertical = lg.vertical;
  in.table = lg.block != nullptr && lg.block->type == kBlockTable;
  in.scale = g.scale;
  in.scrollX = horizontalScrollBar()->value();
  in.scrollY = verticalScrollBar()->value();
  in.horizontalPlace = s.values.horizontalImagePosition;
  in.verticalPlace = s.values.verticalImagePosition;
  in.width = lineWindow_->width();
  in.height = lineWindow_->height();
  in.viewportWidth = viewport()->width();
  in.viewportHeight = viewport()->height();
  const std::optional<layout::Rect> at = pageview::lineWindowRect(in);
  if (!at) return lineWindow_->hide();
  lineWindow_->move(static_cast<int>(at->x), static_cast<int>(at->y));
  lineWindow_->show();
  lineWindow_->raise();
}

void CImageView::redrawLine(const COcrPage* page, const layout::LayoutSettings& settings, std::size_t line) {
  canvas_->redrawLine(page, settings, line);
}

void CImageView::refreshPage() {
  if (!model_ || !settings_) return;
  editing::EditTarget& t = model_->target();
  showPage(t.pageCount() > 0 ? t.page(t.currentPageIndex()) : nullptr, settings_());
}

const layout::PageGeometry& CImageView::geometry() const {
  return canvas_->geometry();
}
const QImage& CImageView::image() const {
  return canvas_->image();
}
QWidget* CImageView::canvas() const {
  return canvas_;
}
QDialog* CImageView::findDialog() const {
  return search_;
}

// ---- updates --------------------------------------------------------------------------------

void CImageView::applyUpdate(const textview::Update& u) {
  if (!model_) return;
  editing::EditTarget& t = model_->target();
  const COcrPage* page = t.pageCount() > 0 ? t.page(t.currentPageIndex()) : nullptr;
  const layout::LayoutSettings settings = settings_();
  const COcrLine* emphasis = model_->emphasisedLine();
  if (u.pageChanged) {
    showPage(page, settings);
  } else if (u.damage != editing::Damage::None ||
             (emphasis != emphasised_ && settings.colourMode == layout::kEditLineColours)) {
    // Laid out again; what changed on the page (the edited line, ruby moved with
    // it, the emphasis) is painted again, nothing else.
    canvas_->relayout(page, settings);
  }
  emphasised_ = emphasis;
  if (u.caret || u.damage != editing::Damage::None) {
    canvas_->update();
    scrollToCaret();
  }
  if (u.changed || u.pageChanged) emit edited(u.pageChanged);
  if (u.caret && QGuiApplication::inputMethod()) QGuiApplication::inputMethod()->update(Qt::ImQueryAll);
  if (u.caret || u.pageChanged || u.damage != editing::Damage::None) {
    updateLineWindow();
    emit cursorMoved();
  }
}

void CImageView::scrollToCaret() {
  const textview::Caret c = model_->caret(canvas_->geometry());
  if (!c.shown) return;
  const QRect r = qrect(c.cell).united(qrect(c.bar));
  ensureVisible(r.center().x(), r.center().y(), r.width() / 2 + 20, r.height() / 2 + 20);
}

void CImageView::paintOverlay(QPainter& p, const QRect& area) {
  if (!model_) return;
  const layout::PageGeometry& g = canvas_->geometry();
  // The selection, inverted.
  p.save();
  p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  for (const layout::Rect& r : model_->selectionCells(g)) {
    const QRect q = qrect(r);
    if (q.intersects(area)) p.fillRect(q, Qt::white);
  }
  p.restore();
  if (model_->banding()) {
    p.setPen(QPen(Qt::black, 1, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(qrect(model_->band()));
  }
  const textview::Caret c = model_->caret(g);
  if (!c.shown || !hasFocus()) return;
  if (!preedit_.isEmpty()) {
    // The input method's text at the caret: on white, down the column in vertical
    // text, with the underlines it asks for.
    // As large as the line's characters: the caret cell's thickness across the line.
    const int thickness = static_cast<int>(c.vertical ? c.cell.width : c.cell.height);
    QFont font = p.font();
    font.setPixelSize(std::max(8, thickness - 2));
    p.setFont(font);
    const QFontMetrics fm(font);
    const int step = std::max(8, thickness);
    int caretAt = preedit_.size();
    for (const QInputMethodEvent::Attribute& a : preeditAttributes_) {
      if (a.type == QInputMethodEvent::Cursor) caretAt = a.start;
    }
    QList<QPair<int, int>> thick;  // the converted segment
    for (const QInputMethodEvent::Attribute& a : preeditAttributes_) {
      if (a.type != QInputMethodEvent::TextFormat) continue;
      const QTextCharFormat f = qvariant_cast<QTextFormat>(a.value).toCharFormat();
      if (f.background().style() != Qt::NoBrush || f.fontWeight() > QFont::Normal) thick.append({a.start, a.length});
    }
    const auto inThick = [&](int i) {
      for (const auto& [s, n] : thick) {
        if (i >= s && i < s + n) return true;
      }
      return false;
    };
    int x = static_cast<int>(c.cell.x), y = static_cast<int>(c.cell.y);
    const int across = step;
    for (int i = 0; i < preedit_.size(); ++i) {
      const int len = preedit_.at(i).isHighSurrogate() && i + 1 < preedit_.size() ? 2 : 1;
      const QString ch = preedit_.mid(i, len);
      const int along = c.vertical ? step : std::max(fm.horizontalAdvance(ch), 1);
      const QRect box = c.vertical ? QRect(x, y, across, along) : QRect(x, y, along, across);
      p.fillRect(box, Qt::white);
      p.setPen(Qt::black);
      p.drawText(box, Qt::AlignCenter, ch);
      const int w = inThick(i) ? 2 : 1;
      if (c.vertical) {
        p.fillRect(box.right() - w + 1, box.top() + 1, w, box.height() - 2, Qt::black);
      } else {
        p.fillRect(box.left() + 1, box.bottom() - w + 1, box.width() - 2, w, Qt::black);
      }
      if (i == caretAt) p.fillRect(c.vertical ? QRect(x, y, across, 2) : QRect(x, y, 2, across), Qt::black);
      (c.vertical ? y : x) += along;
      i += len - 1;
    }
    if (caretAt >= preedit_.size()) p.fillRect(c.vertical ? QRect(x, y, across, 2) : QRect(x, y, 2, across), Qt::black);
    return;
  }
  p.fillRect(qrect(c.bar), Qt::black);
}

// ---- keys and the input method ----------------------------------------------------------------

void CImageView::keyPressEvent(QKeyEvent* event) {
  if (!model_) {
    QScrollArea::keyPressEvent(event);
    return;
  }
  const textview::KeyPress k = keyPressOf(event);
  const textview::Update u = model_->keyPress(k);
  applyUpdate(u);
  // Keys the view does not use (page keys, Esc) keep their default handling.
  if (k.key == textview::Key::Other && k.text.empty()) QScrollArea::keyPressEvent(event);
  event->accept();
}

void CImageView::keyReleaseEvent(QKeyEvent* event) {
  if (model_) applyUpdate(model_->keyRelease(keyPressOf(event)));
  event->accept();
}

void CImageView::inputMethodEvent(QInputMethodEvent* event) {
  if (!model_) return;
  preedit_ = event->preeditString();
  preeditAttributes_ = event->attributes();
  if (event->replacementLength() > 0) {
    // Reconversion: the input method replaces text around the caret.
    applyUpdate(model_->replaceAroundCaret(event->replacementStart(), event->replacementLength(),
                                           event->commitString().toStdU16String()));
  } else if (!event->commitString().isEmpty()) {
    applyUpdate(model_->typeText(event->commitString().toStdU16String()));
  }
  canvas_->update();
  event->accept();
}

QVariant CImageView::inputMethodQuery(Qt::InputMethodQuery query) const {
  if (!model_) return QScrollArea::inputMethodQuery(query);
  const textview::Caret c = model_->caret(canvas_->geometry());
  switch (query) {
    case Qt::ImEnabled:
      return model_->state().mode == editing::EditMode::Character && model_->state().cursor.set() && model_->visible();
    case Qt::ImCursorRectangle: {
      if (!c.shown) return QRect();
      // The candidate window goes beside the caret's cell.
      const QRect r = qrect(c.cell).united(qrect(c.bar));
      return QRect(canvas_->mapTo(this, r.topLeft()), r.size());
    }
    case Qt::ImFont: {
      QFont f = font();
      if (settings_) {
        const layout::LayoutSettings s = settings_();
        if (!s.fonts.japanese.name.empty()) f.setFamily(QString::fromStdU16String(s.fonts.japanese.name));
      }
      if (c.fontHeight > 0) f.setPixelSize(c.fontHeight);
      return f;
    }
    case Qt::ImSurroundingText:
    case Qt::ImCursorPosition:
    case Qt::ImAnchorPosition: {
      // The cursor line's text, for reconversion.
      int caret = 0;
      const QString text = QString::fromStdU16String(model_->surroundingText(&caret));
      if (query == Qt::ImSurroundingText) return text;
      return caret;
    }
    case Qt::ImHints:
      return static_cast<int>(Qt::ImhMultiLine);
    default:
      return QScrollArea::inputMethodQuery(query);
  }
}

void CImageView::contextMenuEvent(QContextMenuEvent* event) {
  // From the keyboard (the menu key, Shift+F10): the menu of the character at the caret.
  if (event->reason() == QContextMenuEvent::Keyboard && model_) {
    const textview::Caret c = model_->caret(canvas_->geometry());
    const QPoint at =
        c.shown ? QPoint(static_cast<int>(c.cell.x + c.cell.width / 2), static_cast<int>(c.cell.y + c.cell.height / 2))
                : QPoint(0, 0);
    applyUpdate(model_->rightPress(canvas_->geometry(), at.x(), at.y()));
    contextMenuAt(at, canvas_->mapToGlobal(at));
    event->accept();
    return;
  }
  QScrollArea::contextMenuEvent(event);
}

namespace {

// The text cursor for vertical writing: an I-beam lying across the column.
QCursor verticalTextCursor() {
  static const QCursor cursor = [] {
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(4, 12, 20, 12);
    p.drawLine(4, 9, 4, 15);
    p.drawLine(20, 9, 20, 15);
    p.end();
    return QCursor(pixmap, 12, 12);
  }();
  return cursor;
}

}  // namespace

void CImageView::updateCursorShape(const QPoint& canvasPoint) {
  if (!model_) return;
  const layout::PageGeometry& g = canvas_->geometry();
  const bool onPage = canvasPoint.x() < g.width && canvasPoint.y() < g.height;
  if (model_->state().mode == editing::EditMode::Block) {
    canvas_->setCursor(onPage ? Qt::CrossCursor : Qt::ArrowCursor);
    return;
  }
  if (model_->textLayout() != layout::kLayoutDisplay) {
    if (model_->textLayout() == layout::kVerticalText) {
      canvas_->setCursor(verticalTextCursor());
    } else {
      canvas_->setCursor(Qt::IBeamCursor);
    }
    return;
  }
  if (!onPage) {
    canvas_->setCursor(Qt::ArrowCursor);
    return;
  }
  canvas_->setCursor(model_->verticalBlockAt(g, canvasPoint.x(), canvasPoint.y()) ? verticalTextCursor()
                                                                                  : QCursor(Qt::IBeamCursor));
}

// ---- size ----------------------------------------------------------------------------------------

void CImageView::updateVisibility() {
  if (model_) model_->setVisible(isVisible() && width() > 0 && height() > 0);
}
void CImageView::resizeEvent(QResizeEvent* event) {
  QScrollArea::resizeEvent(event);
  updateVisibility();
  updateLineWindow();
}
void CImageView::showEvent(QShowEvent* event) {
  QScrollArea::showEvent(event);
  updateVisibility();
  updateLineWindow();
}
void CImageView::hideEvent(QHideEvent* event) {
  QScrollArea::hideEvent(event);
  updateVisibility();
}

// ---- the mouse ---------------------------------------------------------------------------------

void CImageView::mousePressed(QMouseEvent* event) {
  if (!model_) return;
  setFocus(Qt::MouseFocusReason);
  const QPoint p = event->position().toPoint();
  const bool shift = (event->modifiers() & Qt::ShiftModifier) != 0;
  if (event->button() == Qt::LeftButton) {
    applyUpdate(model_->leftPress(canvas_->geometry(), p.x(), p.y(), shift));
  } else if (event->button() == Qt::RightButton) {
    applyUpdate(model_->rightPress(canvas_->geometry(), p.x(), p.y()));
  }
}

void CImageView::mouseMoved(QMouseEvent* event) {
  if (!model_ || !(event->buttons() & Qt::LeftButton)) return;
  const QPoint p = event->position().toPoint();
  applyUpdate(model_->leftDrag(canvas_->geometry(), p.x(), p.y()));
}

void CImageView::mouseReleased(QMouseEvent* event) {
  if (!model_ || event->button() != Qt::LeftButton) return;
  const QPoint p = event->position().toPoint();
  applyUpdate(model_->leftRelease(canvas_->geometry(), p.x(), p.y(), (event->modifiers() & Qt::ShiftModifier) != 0));
}

void CImageView::wheelEvent(QWheelEvent* event) {
  QScrollBar* bar = verticalScrollBar();
  if (!bar || bar->maximum() <= bar->minimum()) {
    event->ignore();
    return;
  }
  // A line step is a hundredth of what the bar scrolls.
  const int line = std::max(1, (bar->maximum() - bar->minimum() + bar->pageStep()) / 100);
  const int steps = wheel_.add(event->angleDelta().y());
  if (steps != 0) bar->setValue(bar->value() + steps * line);
  event->accept();
}

void CImageView::contextMenuAt(const QPoint& canvasPoint, const QPoint& globalPoint) {
  if (!model_) return;
  const textview::Menu entries = model_->contextMenu(canvas_->geometry(), canvasPoint.x(), canvasPoint.y());
  if (entries.empty()) return;
  QMenu menu(this);
  menu.setSeparatorsCollapsible(false);
  std::vector<textview::MenuEntry> chosen;  // what each action stands for
  const std::function<void(QMenu*, const textview::Menu&)> fill = [&](QMenu* m, const textview::Menu& list) {
    for (const textview::MenuEntry& e : list) {
      if (e.action == textview::MenuEntry::Separator) {
        m->addSeparator();
      } else if (e.action == textview::MenuEntry::Submenu) {
        fill(m->addMenu(QString::fromStdU16String(e.text)), e.children);
      } else {
        QAction* a = m->addAction(QString::fromStdU16String(e.text));
        a->setEnabled(e.enabled);
        a->setCheckable(e.checked);
        a->setChecked(e.checked);
        a->setData(static_cast<int>(chosen.size()));
        chosen.push_back(e);
      }
    }
  };
  fill(&menu, entries);
  QAction* picked = menu.exec(globalPoint);
  if (!picked) return;
  const textview::MenuEntry& e = chosen.at(static_cast<std::size_t>(picked->data().toInt()));
  if (e.action == textview::MenuEntry::ReplaceChar) {
    openReplaceCharDialog();
  } else if (e.action == textview::MenuEntry::RubyEdit) {
    openRubyDialog();
  } else {
    applyUpdate(model_->choose(e));
  }
}

// ---- commands and dialogs -------------------------------------------------------------------------

void CImageView::runCommand(int id) {
  if (!model_ || !model_->visible()) return;
  switch (id) {
    case shell::kFind:
    case shell::kReplace:
      openSearchDialog(id == shell::kReplace);
      return;
    case shell::kRubyEdit:
      openRubyDialog();
      return;
    case shell::kPaste:
      // With a search dialog focused, the clipboard's text goes into its field.
      if (search_ && search_->isActiveWindow()) {
        const QString text = QGuiApplication::clipboard()->text();
        if (text.size() <= 79) search_->searchField()->setText(text);
        return;
      }
      break;
    default:
      break;
  }
  applyUpdate(model_->command(id));
}

void CImageView::openSearchDialog(bool replace) {
  if (search_) {
    // One dialog at a time: the open one comes forward.
    search_->raise();
    search_->activateWindow();
    return;
  }
  editing::SearchState& st = model_->search();
  const bool opened = replace ? editing::OpenReplaceDialog(st, model_->state(), model_->target())
                              : editing::OpenFindDialog(st, model_->state(), model_->target());
  if (!opened) return;
  search_ = new SearchDialog(
      this, st, replace,
      [this](SearchDialog::Act a) {
        using Act = SearchDialog::Act;
        applyUpdate(a == Act::FindNext  ? model_->findNext()
                    : a == Act::Replace ? model_->replaceOne()
                                        : model_->replaceAll());
      },
      [this] {
        search_ = nullptr;
        editing::CloseSearchDialog(model_->search(), model_->state());
        textview::Update u;
        u.caret = true;
        applyUpdate(u);
      });
  search_->show();
}

void CImageView::openReplaceCharDialog() {
  editing::EditState& s = model_->state();
  if (!s.cursor.set() || s.cursor.atEnd()) return;
  const bool registerPair = model_->target().editSettings().registerReplacements;
  CharReplaceDialog dialog(this, QString::fromStdU16String(std::u16string(codeText(s.cursor.ch->code))), registerPair);
  // Its top-left corner at the centre of the text view.
  dialog.move(mapToGlobal(rect().center()));
  if (dialog.exec() != QDialog::Accepted) return;
  if (onRegisterChoice) onRegisterChoice(dialog.registerPair());
  applyUpdate(model_->replaceChar(dialog.entered().toStdU16String(), dialog.registerPair()));
}

void CImageView::openRubyDialog() {
  editing::RubyDialog& d = model_->ruby();
  d = editing::OpenRubyCorrection(model_->state(), model_->target());
  if (!d.open) return;
  RubyCorrectionDialog dialog(this, d, model_->target());
  if (dialog.exec() == QDialog::Accepted) {
    applyUpdate(model_->rubyOk());
  } else {
    model_->rubyCancel();
    textview::Update u;
    u.damage = editing::Damage::Page;
    u.caret = true;
    applyUpdate(u);
  }
}

}  // namespace lexova::views
