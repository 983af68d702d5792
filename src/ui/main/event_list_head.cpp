#include "ui/main/event_list_head.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "project/event_colors.h"
#include "project/event_list_view.h"
#include "project/preferences.h"
#include "project/timelines.h"
#include "ui/common/qt_text.h"
#include "ui/main/list_input.h"

namespace tesmiro::gui {
namespace {

namespace elm = EventListModule;

bool TabsShown() { return Prefs::Current().dispSpriteTab == 1; }

struct Head {
  int x;
  const char* text;
};
constexpr Head kHeads[] = {
    {elm::kColFrame, "ﾌﾚｰﾑ"},
    {elm::kColCount, "ｶｳﾝﾄ"},
    {elm::kColKind, "種別"},
    {elm::kColDepth, "深度"},
};

}  // namespace

EventListHead::EventListHead(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFont(ListFont(9));
}

void EventListHead::drawTabsAndHeader() {
  layout_ = elm::LayoutTabs(width(), TabsShown());
  update();
}

std::string EventListHead::fitText(const std::string& text, int width) const {
  const QFontMetrics fm(font());
  return elm::FitText(text, width, [&fm](const std::string& s) { return fm.horizontalAdvance(ToQ(s)); });
}

void EventListHead::drawTab(QPainter& p, const elm::TabFace& tab, bool bare) {
  // The strip itself is one raised box; each tab a box inside it.
  const int l = bare ? 0 : tab.left + 1;
  const int t = bare ? 0 : elm::kTabTop;
  const int r = bare ? width() - 1 : tab.right - 1;
  const int b = bare ? elm::kTabStripHeight - 1 : elm::kTabBottom;
  const bool active = !bare && tab.active;
  const QColor light = ToQColor(SystemColor(20));
  const QColor dark = ToQColor(SystemColor(21));
  const QColor face = active ? ToQColor(elm::MeanColor(SystemColor(20), SystemColor(15))) : ToQColor(SystemColor(15));
  p.fillRect(QRect(QPoint(l, t), QPoint(r, b)), face);
  // Sunken when active: dark top and left, light bottom and right.
  p.setPen(active ? dark : light);
  p.drawLine(r, t, l, t);
  p.drawLine(l, t, l, b);
  p.setPen(active ? light : dark);
  p.drawLine(l, b, r, b);
  p.drawLine(r, b, r, t);
  if (bare) return;

  const int d = active ? 1 : 0;
  p.fillRect(QRect(QPoint(l + 2 + d, t + 2 + d), QPoint(l + 11 + d, t + 16 + d)), Qt::white);
  p.setPen(Qt::black);
  p.drawRect(QRect(QPoint(l + 2 + d, t + 2 + d), QPoint(l + 10 + d, t + 15 + d)));
  const int ascent = QFontMetrics(font()).ascent();
  p.drawText(l + 4 + d, t + 4 + d + ascent, QString::number(tab.number));
  p.setPen(palette().color(QPalette::WindowText));
  p.drawText(l + 14 + d, t + 3 + d + ascent, ToQ(fitText(tab.caption, r - l - 17 - d)));
}

void EventListHead::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setFont(font());
  p.fillRect(rect(), ToQColor(GUICore::TimelineHeaderColor()));
  if (!layout_.tabs.empty()) drawTab(p, layout_.tabs[0], true);
  for (const auto& tab : layout_.tabs) drawTab(p, tab, false);
  const int top = layout_.headTop;
  const int x0 = elm::OriginX();
  const int baseline = top + 1 + QFontMetrics(font()).ascent();
  const QColor ink = ToQColor(kSysWindowText);
  p.setPen(ink);
  for (const Head& h : kHeads) p.drawText(x0 + h.x, baseline, QString::fromUtf8(h.text));
  // The event column's head stays in view however far the list scrolls.
  const int detailX = std::max(x0 + elm::kHeadDetailX, elm::kOriginX);
  p.drawText(detailX, baseline, QStringLiteral("イベント　") + ToQ(GUICore::TimelineHeaderText()));
  for (int line : elm::kColumnLines) p.drawLine(x0 + line, top, x0 + line, height());
}

void EventListHead::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  drawTabsAndHeader();
}

void EventListHead::mousePressEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  if (onMouseDown) onMouseDown(MouseButtonCode(e->button()), ShiftCode(e->modifiers()), pos.x(), pos.y());
}

void EventListHead::mouseMoveEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  if (onMouseMove) onMouseMove(MouseButtonsCode(e->buttons()), ShiftCode(e->modifiers()), pos.x(), pos.y());
}

void EventListHead::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  if (onMouseUp) onMouseUp(MouseButtonCode(e->button()), ShiftCode(e->modifiers()), pos.x(), pos.y());
}

void EventListHead::mouseDoubleClickEvent(QMouseEvent*) {
  if (onDblClick) onDblClick();
}

}  // namespace tesmiro::gui
