#include "ui/main/event_list_view.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>

#include "project/event_colors.h"
#include "project/list_models.h"
#include "project/preferences.h"
#include "ui/common/icon_strip.h"
#include "ui/common/qt_text.h"
#include "ui/main/list_input.h"

namespace tesmiro::gui {
namespace {

namespace elm = EventListModule;

constexpr int kFontPoints = 9;

struct RowLook {
  QColor back;
  QColor text;
  bool bold = false;
};

RowLook LookOf(const EventListRow& row, const elm::EventRowText& text) {
  RowLook look;
  const int16_t category = text.category;
  if (category >= 0 && category < kEventColorCount) {
    const EventColorSet& set = elm::EventColors()[static_cast<size_t>(category)];
    look.back = ToQColor(set.backColor);
    look.text = ToQColor(set.textColor);
    look.bold = set.bold == 1;
  } else {
    look.back = ToQColor(kSysWindowBackground);
    look.text = ToQColor(kSysWindowText);
  }
  if (row.selected != 0) {
    look.back = ToQColor(kSysHighlight);
    look.text = ToQColor(kSysHighlightText);
  }
  return look;
}

}  // namespace

EventListView::EventListView(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFont(ListFont(kFontPoints));
}

void EventListView::setScrollBars(QScrollBar* vertical, QScrollBar* horizontal) {
  vBar_ = vertical;
  hBar_ = horizontal;
}

void EventListView::reportGeometry() {
  elm::EventListGeometry g;
  g.width = width();
  g.height = height();
  g.hBarHeight = hBar_ ? hBar_->sizeHint().height() : 0;
  g.vBarWidth = vBar_ ? vBar_->sizeHint().width() : 0;
  g.icons = Prefs::Current().eventListIcon == 1;
  elm::SetGeometry(g);
}

void EventListView::drawEventList() {
  auto& state = elm::Current();
  // The display settings may have switched the icons on or off.
  const bool icons = Prefs::Current().eventListIcon == 1;
  if (state.geometry.icons != icons) {
    state.geometry.icons = icons;
    elm::UpdateEventScrollBars();
  }
  const elm::PaintPlan plan = elm::PlanPaint();
  int widest = 0;
  if (!plan.clear) {
    QFont boldFont = font();
    boldFont.setBold(true);
    const QFontMetrics normal(font()), bold(boldFont);
    for (int i = plan.first; i < plan.last; ++i) {
      const elm::EventRowText& text = elm::RowText(i);
      const QFontMetrics& fm = LookOf(state.rows[static_cast<size_t>(i)], text).bold ? bold : normal;
      const int w = elm::kOriginX + elm::kColDetail + fm.horizontalAdvance(ToQ(text.detail));
      widest = std::max(widest, w);
    }
  }
  bottomLimit_ = elm::FinishPaint(widest);
  if (vBar_) {
    const QSignalBlocker block(vBar_);
    vBar_->setRange(1, std::max(1, state.vBar.max));
    vBar_->setPageStep(std::max(1, state.vBar.largeChange));
    vBar_->setValue(elm::ScrollValue());
    vBar_->setVisible(state.vBar.visible);
  }
  if (hBar_) {
    const QSignalBlocker block(hBar_);
    hBar_->setRange(0, std::max(0, state.hBar.max));
    hBar_->setPageStep(std::max(1, state.hBar.largeChange));
    hBar_->setSingleStep(8);
    hBar_->setValue(state.hScroll);
    hBar_->setVisible(state.hBar.visible);
  }
  update();
}

void EventListView::paintList(QPainter& p) {
  auto& state = elm::Current();
  const QColor windowBack = ToQColor(kSysWindowBackground);
  const elm::PaintPlan plan = elm::PlanPaint();
  const int W = width();
  const int H = height();
  if (plan.clear) {
    p.fillRect(rect(), windowBack);
    return;
  }
  const int rh = elm::GetRowHeight();
  const int x0 = elm::OriginX();
  const bool icons = state.geometry.icons;
  QFont normal = font();
  QFont bold = normal;
  bold.setBold(true);
  const int ascent = QFontMetrics(normal).ascent();
  const QPixmap& strip = IconStrip();
  const bool focusFrame = hasFocus();

  int y = 0;
  for (int i = plan.first; i < plan.last && y < H; ++i) {
    const EventListRow& row = state.rows[static_cast<size_t>(i)];
    const elm::EventRowText& rowText = elm::RowText(i);
    const RowLook look = LookOf(row, rowText);
    p.fillRect(0, y, W, rh, look.back);
    p.setPen(look.text);
    const int baseline = y + (rh - elm::kTextHeight) / 2 + ascent;
    auto text = [&](int column, const std::string& s) {
      if (!s.empty()) p.drawText(x0 + column, baseline, ToQ(s));
    };
    text(elm::kColFrame, row.frameText);
    text(elm::kColCount, rowText.count);
    if (icons && rowText.icon >= 1 && rowText.icon <= kIconCells) {
      p.drawPixmap(x0 + elm::kColIcon, y, strip, IconCell(rowText.icon).x(), 0, kIconSize, kIconSize);
    }
    text(elm::kColKind, rowText.kind);
    text(elm::kColId, rowText.id);
    text(elm::kColDepth, rowText.depth);
    if (look.bold) p.setFont(bold);
    text(elm::kColDetail, rowText.detail);
    if (look.bold) p.setFont(normal);
    for (int line : elm::kColumnLines) p.drawLine(x0 + line, y, x0 + line, y + rh);
    if (focusFrame && i == state.currentRow) {
      p.setPen(QPen(look.text, 1, Qt::DotLine));
      p.drawRect(0, y, W - 1, rh - 1);
    }
    y += rh;
  }
  // Wipe what lay below the last row (also when the list became shorter).
  if (y < bottomLimit_ || state.hBar.visible) p.fillRect(QRect(QPoint(0, y), QPoint(W - 1, bottomLimit_ - 1)), windowBack);
  // Under the horizontal bar and in the corner beside it.
  if (bottomLimit_ < H) p.fillRect(QRect(QPoint(0, std::max(y, bottomLimit_)), QPoint(W - 1, H - 1)), windowBack);
}

void EventListView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setFont(font());
  paintList(p);
}

void EventListView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (onResize) {
    onResize();
  } else {
    reportGeometry();
  }
}

void EventListView::mousePressEvent(QMouseEvent* event) {
  pressedButtons_ |= MouseButtonCode(event->button());
  const QPoint pos = event->position().toPoint();
  if (onMouseDown) onMouseDown(MouseButtonCode(event->button()), ShiftCode(event->modifiers()), pos.x(), pos.y());
}

void EventListView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (onMouseMove) onMouseMove(MouseButtonsCode(event->buttons()), ShiftCode(event->modifiers()), pos.x(), pos.y());
}

void EventListView::mouseReleaseEvent(QMouseEvent* event) {
  const int button = MouseButtonCode(event->button());
  pressedButtons_ &= ~button;
  const QPoint pos = event->position().toPoint();
  if (onMouseUp) onMouseUp(button, ShiftCode(event->modifiers()), pos.x(), pos.y());
  if (afterDoubleClick_) {
    afterDoubleClick_ = false;
    return;
  }
  if (onClick && rect().contains(pos)) onClick();
}

void EventListView::mouseDoubleClickEvent(QMouseEvent* event) {
  // The second press of a double-click raises the double-click instead.
  afterDoubleClick_ = true;
  if (event->button() == Qt::LeftButton && onDblClick) onDblClick();
}

void EventListView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (onKeyPress) onKeyPress(13);
    return;
  }
  const KeyCode k = MapKey(*event);
  if (k.code != 0 && onKeyDown && onKeyDown(k.code, k.shift)) return;
  QWidget::keyPressEvent(event);
}

void EventListView::keyReleaseEvent(QKeyEvent* event) {
  if (event->isAutoRepeat()) return;
  const KeyCode k = MapKey(*event);
  if (k.code != 0 && onKeyUp) onKeyUp(k.code, k.shift);
}

void EventListView::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  if (onGotFocus) onGotFocus();
}

void EventListView::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  // A menu opening over the window takes no focus from the list.
  if (IsTransientFocusLoss(event->reason())) return;
  if (onLostFocus) onLostFocus();
}

}  // namespace tesmiro::gui
