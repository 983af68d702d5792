#include "ui/main/file_list_widget.h"

#include <QDragEnterEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QUrl>
#include <QWheelEvent>
#include <algorithm>

#include "project/file_list_input.h"
#include "project/file_list_view.h"
#include "project/list_models.h"
#include "project/preferences.h"
#include "ui/common/qt_text.h"
#include "ui/main/main_gui.h"

namespace tesmiro::gui {
namespace {

namespace FL = FileListModule;

constexpr int kPointSize = 9;
constexpr int kWheelNotch = 120;

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

// A picture of the kind in a 16 x 16 cell.
void DrawIcon(QPainter& p, int cell) {
  p.save();
  p.translate(cell * 16, 0);
  p.setRenderHint(QPainter::Antialiasing);
  const QPen outline(QColor(60, 60, 60));
  switch (cell) {
    case 0:  // picture
      p.fillRect(2, 3, 12, 10, QColor(150, 200, 255));
      p.setBrush(QColor(70, 160, 70));
      p.setPen(Qt::NoPen);
      p.drawPolygon(QPolygon({QPoint(2, 13), QPoint(7, 7), QPoint(14, 13)}));
      p.setPen(outline);
      p.setBrush(Qt::NoBrush);
      p.drawRect(2, 3, 12, 10);
      break;
    case 1:  // sound
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(40, 40, 40));
      p.drawEllipse(QRectF(3, 10, 5, 4));
      p.drawRect(7, 2, 2, 10);
      p.drawRect(7, 2, 6, 2);
      break;
    case 2:  // text
      p.setPen(outline);
      p.setBrush(Qt::white);
      p.drawRect(2, 2, 12, 12);
      p.drawLine(5, 5, 11, 5);
      p.drawLine(5, 8, 11, 8);
      p.drawLine(5, 11, 9, 11);
      break;
    case 3:  // sprite
      p.setPen(outline);
      p.setBrush(QColor(255, 190, 90));
      p.drawRect(2, 3, 12, 10);
      p.drawLine(6, 3, 6, 13);
      p.drawLine(10, 3, 10, 13);
      break;
    case 4: {  // vector image
      QPainterPath curve;
      curve.moveTo(2, 13);
      curve.cubicTo(4, 0, 12, 16, 14, 3);
      p.setPen(QPen(QColor(140, 60, 180), 2));
      p.drawPath(curve);
      break;
    }
    case 5:  // video
      p.fillRect(2, 3, 12, 10, QColor(50, 50, 50));
      for (int y : {4, 7, 10}) {
        p.fillRect(3, y, 2, 2, Qt::white);
        p.fillRect(11, y, 2, 2, Qt::white);
      }
      break;
    case 6:  // closed folder
    case 7: {  // open folder
      p.setPen(outline);
      p.setBrush(QColor(240, 200, 80));
      p.drawRect(1, 4, 13, 9);
      p.drawRect(1, 3, 5, 1);
      if (cell == 7) {
        p.setBrush(QColor(255, 225, 130));
        p.drawPolygon(QPolygon({QPoint(3, 7), QPoint(15, 7), QPoint(13, 13), QPoint(1, 13)}));
      }
      break;
    }
    default:
      break;
  }
  p.restore();
}

}  // namespace

FileListWidget::FileListWidget(MainGUI* owner, QWidget* parent)
    : QWidget(parent), owner_(owner), icons_(IconStrip()) {
  setObjectName("PictFileList");
  setFocusPolicy(Qt::StrongFocus);
  setAcceptDrops(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFont(ListFont(kPointSize));
  FL::CurrentView().measure = [fm = QFontMetrics(font())](std::string_view text) {
    return fm.horizontalAdvance(ToQ(text));
  };
}

FileListWidget::~FileListWidget() { FL::CurrentView().measure = nullptr; }

QPixmap FileListWidget::IconStrip() {
  QPixmap strip(128, 16);
  strip.fill(Qt::transparent);
  QPainter p(&strip);
  for (int cell = 0; cell < 8; ++cell) DrawIcon(p, cell);
  return strip;
}

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
  const auto& bars = FL::CurrentView().bars;
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
  const auto& paint = FL::CurrentView().paint;
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
      p.drawPixmap(x + FL::kIconOffset, row.y, icons_, row.iconCell * FL::kIconSize, 0, FL::kIconSize,
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
  owner_->PictFileList_MouseDown(Buttons(e->button()), Shift(e->modifiers()), p.x(), p.y());
}

void FileListWidget::mouseMoveEvent(QMouseEvent* e) {
  const QPoint p = Pos(e);
  owner_->PictFileList_MouseMove(Buttons(e->buttons()), Shift(e->modifiers()), p.x(), p.y());
}

void FileListWidget::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint p = Pos(e);
  owner_->PictFileList_MouseUp(Buttons(e->button()), Shift(e->modifiers()), p.x(), p.y());
  // The release that completes a double click makes no click of its own.
  if (pressed_) owner_->PictFileList_Click();
  pressed_ = false;
}

void FileListWidget::mouseDoubleClickEvent(QMouseEvent* e) {
  pressed_ = false;
  if (e->button() == Qt::LeftButton) {
    owner_->PictFileList_DblClick(true);
  } else {
    mousePressEvent(e);
  }
}

void FileListWidget::keyPressEvent(QKeyEvent* e) {
  const KeyCode k = MapKey(*e);
  if (k.code == 0) return QWidget::keyPressEvent(e);
  owner_->PictFileList_KeyDown(k.code, k.shift);
}

void FileListWidget::keyReleaseEvent(QKeyEvent* e) {
  const KeyCode k = MapKey(*e);
  if (k.code == 0 || e->isAutoRepeat()) return QWidget::keyReleaseEvent(e);
  owner_->PictFileList_KeyUp(k.code, k.shift);
}

void FileListWidget::wheelEvent(QWheelEvent* e) {
  // Touchpads send small steps: they scroll once they add up to a notch.
  wheelAngle_ += e->angleDelta().y();
  const int notches = wheelAngle_ / kWheelNotch;
  wheelAngle_ -= notches * kWheelNotch;
  if (notches != 0) {
    const int rows = std::clamp(Prefs::Current().mouseWheelScroll, 1, 16);
    FL::ScrollFileListBy(-notches * rows);
  }
  e->accept();
}

void FileListWidget::focusInEvent(QFocusEvent*) { owner_->PictFileList_GotFocus(); }

void FileListWidget::focusOutEvent(QFocusEvent* e) {
  // Opening a menu or another window is no loss of focus.
  const Qt::FocusReason r = e->reason();
  if (r == Qt::PopupFocusReason || r == Qt::MenuBarFocusReason || r == Qt::ActiveWindowFocusReason) return;
  owner_->PictFileList_LostFocus();
}

void FileListWidget::dragEnterEvent(QDragEnterEvent* e) {
  if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void FileListWidget::dragMoveEvent(QDragMoveEvent* e) {
  if (!e->mimeData()->hasUrls()) return;
  owner_->PictFileList_OLEDragOver(e->position().toPoint().y());
  e->acceptProposedAction();
}

void FileListWidget::dragLeaveEvent(QDragLeaveEvent*) { FileListInput::DropLeave(); }

void FileListWidget::dropEvent(QDropEvent* e) {
  std::vector<std::string> paths;
  for (const QUrl& url : e->mimeData()->urls()) {
    // Only files of this machine can become materials.
    if (url.isLocalFile() && !url.toLocalFile().isEmpty()) paths.push_back(FromQ(url.toLocalFile()));
  }
  e->acceptProposedAction();
  owner_->PictFileList_OLEDragDrop(e->position().toPoint().y(), paths);
}

// ---------------------------------------------------------------------------

FileListHeader::FileListHeader(MainGUI* owner, QWidget* parent) : QWidget(parent), owner_(owner) {
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
  owner_->ListJpegStoreHead_MouseUp(Buttons(e->button()), Shift(e->modifiers()), e->position().x(),
                                    static_cast<int>(e->position().y()));
}

}  // namespace tesmiro::gui
