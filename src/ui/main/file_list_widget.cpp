#include "ui/main/file_list_widget.h"

#include <QDragEnterEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QUrl>
#include <algorithm>

#include "project/file_list_view.h"
#include "project/list_models.h"
#include "project/preferences.h"
#include "ui/common/icon_strip.h"
#include "ui/common/qt_text.h"
#include "ui/main/file_list_area.h"

namespace tesmiro::gui {
namespace {

namespace FL = FileListModule;

constexpr int kPointSize = 9;

int Buttons(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
  }
}

int Buttons(Qt::MouseButtons buttons) {
  return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) | (buttons & Qt::MiddleButton ? 4 : 0);
}

int Shift(Qt::KeyboardModifiers m) {
  return (m & Qt::ShiftModifier ? kShiftMask : 0) | (m & Qt::ControlModifier ? kCtrlMask : 0) |
         (m & Qt::AltModifier ? kAltMask : 0);
}

QPoint Pos(const QMouseEvent* e) { return e->position().toPoint(); }

void Text(QPainter& p, const QFontMetrics& fm, int x, int top, const std::string& text) {
  p.drawText(x, top + fm.ascent(), ToQ(text));
}

}  // namespace

// The list takes over the view as the core left it before the window.
FileListWidget::FileListWidget(FileListArea* owner, QWidget* parent)
    : QWidget(parent), owner_(owner), view_(FL::CurrentView()), viewInstalled_(view_) {
  setObjectName("PictFileList");
  setFocusPolicy(Qt::StrongFocus);
  setAcceptDrops(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFont(ListFont(kPointSize));
  view_.measure = [fm = QFontMetrics(font())](std::string_view text) { return fm.horizontalAdvance(ToQ(text)); };
}

FileListWidget::~FileListWidget() = default;

void FileListWidget::attachScrollBars(QScrollBar* vertical, QScrollBar* horizontal) {
  vertical_ = vertical;
  horizontal_ = horizontal;
  horizontal_->setSingleStep(8);
  connect(vertical_, &QScrollBar::valueChanged, this, [this](int v) {
    if (!syncing_) FL::SetScrollTop(v);
  });
  connect(horizontal_, &QScrollBar::valueChanged, this, [this](int v) {
    if (!syncing_) FL::SetHScroll(v);
  });
  updateViewSize();
}

int FileListWidget::rowsWidth() const {
  const int bar = vertical_ ? vertical_->sizeHint().width() : 0;
  return std::max(0, width() - bar);
}

void FileListWidget::updateViewSize() {
  const int barHeight = horizontal_ ? horizontal_->sizeHint().height() : 16;
  FL::SetViewSize(rowsWidth(), height(), barHeight);
}

void FileListWidget::syncScrollBars() {
  if (!vertical_ || !horizontal_) return;
  const auto& bars = view_.bars;
  const auto& list = FL::Current();
  syncing_ = true;
  vertical_->setRange(1, bars.vMax);
  vertical_->setPageStep(bars.vLargeChange);
  vertical_->setEnabled(bars.vEnabled);
  vertical_->setValue(list.scrollTop);
  horizontal_->setRange(0, std::max(bars.hMax, list.hScroll));
  horizontal_->setPageStep(bars.hLargeChange);
  horizontal_->setValue(list.hScroll);
  horizontal_->setVisible(bars.hVisible);
  syncing_ = false;
}

void FileListWidget::paintEvent(QPaintEvent*) {
  syncScrollBars();
  const auto& paint = view_.paint;
  const int w = rowsWidth();
  QPainter p(this);
  const QFontMetrics fm(font());
  const QColor window = ToQColor(FL::kSysWindow);
  const QColor text = ToQColor(FL::kSysWindowText);
  if (w < width()) p.fillRect(w, 0, width() - w, height(), window);

  if (paint.content != FL::FileListPaint::Content::Rows) {
    p.fillRect(0, 0, w, height(), window);
    if (paint.content == FL::FileListPaint::Content::EmptyHint) {
      QFont bold = font();
      bold.setBold(true);
      p.setFont(bold);
      p.setPen(text);
      p.drawText(30, 30 + QFontMetrics(bold).ascent(), ToQ(FL::kEmptyHint));
      p.setPen(ToQColor(FL::kHintShadow));
      p.drawRect(19, 19, 200, 30);
      p.setPen(text);
      p.drawRect(20, 20, 200, 30);
    }
    return;
  }

  for (const auto& row : paint.rows) {
    const QColor fore = ToQColor(row.fore);
    p.fillRect(0, row.y, w, FL::kRowHeight, ToQColor(row.back));
    p.setPen(fore);
    if (!row.idText.empty()) Text(p, fm, row.x0, row.y + FL::kTextTop, row.idText);
    p.drawLine(row.x0 + FL::kFirstRuleX, row.y, row.x0 + FL::kFirstRuleX, row.y + FL::kRowHeight - 1);
    if (!row.kindText.empty()) Text(p, fm, row.x0 + FL::kKindTextX, row.y + FL::kTextTop, row.kindText);
    p.drawLine(row.x0 + FL::kSecondRuleX, row.y, row.x0 + FL::kSecondRuleX, row.y + FL::kRowHeight - 1);
    const int x = row.treeX;
    if (row.expander != 0) {
      p.drawRect(x, row.y + 4, 8, 8);
      p.drawLine(x + 2, row.y + 8, x + 6, row.y + 8);
      if (row.expander < 0) p.drawLine(x + 4, row.y + 6, x + 4, row.y + 10);
    }
    if (row.iconCell >= 0) {
      // The strip both lists share (the user's, when the preferences name one).
      p.drawPixmap(x + FL::kIconOffset, row.y, IconStrip(), row.iconCell * FL::kIconSize, 0, FL::kIconSize,
                   FL::kIconSize);
    }
    Text(p, fm, x + FL::kCaptionOffset, row.y + FL::kTextTop, row.caption);
    if (row.focusFrame) {
      p.setPen(QPen(fore, 1, Qt::DotLine));
      p.drawRect(0, row.y, w - 1, FL::kRowHeight - 1);
      p.setPen(fore);
    }
  }
  if (paint.marker) {
    p.setPen(text);
    p.drawLine(paint.markerX, paint.markerY - 3, paint.markerX, paint.markerY + 2);
    p.fillRect(paint.markerX, paint.markerY - 1, std::max(0, w - paint.markerX), 2, text);
  }
  if (paint.fillBottom > paint.fillTop) p.fillRect(0, paint.fillTop, w, paint.fillBottom - paint.fillTop, window);
}

void FileListWidget::resizeEvent(QResizeEvent*) { updateViewSize(); }

void FileListWidget::mousePressEvent(QMouseEvent* e) {
  pressed_ = true;
  const QPoint p = Pos(e);
  owner_->onMouseDown(Buttons(e->button()), Shift(e->modifiers()), p.x(), p.y());
}

void FileListWidget::mouseMoveEvent(QMouseEvent* e) {
  const QPoint p = Pos(e);
  owner_->onMouseMove(Buttons(e->buttons()), Shift(e->modifiers()), p.x(), p.y());
}

void FileListWidget::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint p = Pos(e);
  owner_->onMouseUp(Buttons(e->button()), Shift(e->modifiers()), p.x(), p.y());
  // The release that completes a double click makes no click of its own.
  if (pressed_) owner_->onClicked();
  pressed_ = false;
}

void FileListWidget::mouseDoubleClickEvent(QMouseEvent* e) {
  pressed_ = false;
  if (e->button() == Qt::LeftButton) {
    owner_->onDoubleClick(true);
  } else {
    mousePressEvent(e);
  }
}

void FileListWidget::keyPressEvent(QKeyEvent* e) {
  const KeyCode k = MapKey(*e);
  if (k.code == 0) return QWidget::keyPressEvent(e);
  owner_->onKeyDown(k.code, k.shift);
}

void FileListWidget::keyReleaseEvent(QKeyEvent* e) {
  const KeyCode k = MapKey(*e);
  if (k.code == 0 || e->isAutoRepeat()) return QWidget::keyReleaseEvent(e);
  owner_->onKeyUp(k.code, k.shift);
}

void FileListWidget::focusInEvent(QFocusEvent*) { owner_->onFocusIn(); }

void FileListWidget::focusOutEvent(QFocusEvent* e) {
  // Opening a menu or another window is no loss of focus.
  const Qt::FocusReason r = e->reason();
  if (r == Qt::PopupFocusReason || r == Qt::MenuBarFocusReason || r == Qt::ActiveWindowFocusReason) return;
  owner_->onFocusOut();
}

void FileListWidget::dragEnterEvent(QDragEnterEvent* e) {
  if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void FileListWidget::dragMoveEvent(QDragMoveEvent* e) {
  if (!e->mimeData()->hasUrls()) return;
  owner_->onDragOver(e->position().toPoint().y());
  e->acceptProposedAction();
}

void FileListWidget::dragLeaveEvent(QDragLeaveEvent*) { FileListInput::DropLeave(drag_); }

void FileListWidget::dropEvent(QDropEvent* e) {
  std::vector<std::string> paths, links;
  for (const QUrl& url : e->mimeData()->urls()) {
    // Only files of this machine can become materials; the rest (a link
    // from a browser) is named in the warning.
    if (url.isLocalFile() && !url.toLocalFile().isEmpty()) {
      paths.push_back(FromQ(url.toLocalFile()));
    } else if (!url.isEmpty()) {
      links.push_back(FromQ(url.toDisplayString()));
    }
  }
  e->acceptProposedAction();
  owner_->onDrop(e->position().toPoint().y(), paths, links);
}

// ---------------------------------------------------------------------------

FileListHeader::FileListHeader(FileListArea* owner, QWidget* parent) : QWidget(parent), owner_(owner) {
  setObjectName("ListJpegStoreHead");
  setFont(ListFont(kPointSize));
  setAutoFillBackground(true);
}

void FileListHeader::setSortFrame(std::optional<QRect> frame) {
  frame_ = frame;
  repaint();
}

void FileListHeader::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QFontMetrics fm(font());
  const QColor fore = palette().color(QPalette::WindowText);
  p.setPen(fore);
  const auto header = FL::PlanFileListHeader(FL::Current().hScroll);
  for (const auto& t : header.texts) Text(p, fm, t.x, t.y, t.text);
  for (int x : header.rules) p.drawLine(x, 0, x, height());
  if (frame_) {
    // A three-pixel frame round the clicked column.
    p.setPen(QPen(fore, 3));
    p.drawRect(*frame_);
  }
}

void FileListHeader::mouseReleaseEvent(QMouseEvent* e) {
  owner_->onHeadMouseUp(Buttons(e->button()), Shift(e->modifiers()), e->position().x(),
                        static_cast<int>(e->position().y()));
}

}  // namespace tesmiro::gui
