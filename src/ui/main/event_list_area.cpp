// The event list of the main window: its widgets in place of the
// placeholders, the adaptors of its mouse, keys, focus and scroll bars, the
// tab strip with its popups, and the Edit menu's event commands. Every
// decision is the core's (project/event_list_*.h, project/event_commands.h);
// the handlers read the widgets, call the core and put text on the
// clipboard.
#include "ui/main/event_list_area.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QScrollBar>

#include "project/current_event.h"
#include "project/event_commands.h"
#include "project/event_list_input.h"
#include "project/event_list_tabs.h"
#include "project/event_list_view.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/preferences.h"
#include "project/script_editor.h"
#include "project/timelines.h"
#include "project/window_services.h"
#include "ui/common/qt_text.h"
#include "ui/common/services.h"
#include "ui/main/area_geometry.h"
#include "ui/main/event_list_head.h"
#include "ui/main/event_list_view.h"
#include "ui/main/main_gui.h"
#include "ui/main/wheel_hook.h"

namespace tesmiro::gui {
namespace {

namespace elm = EventListModule;

Preferences& P() { return Prefs::Current(); }
bool TabsShown() { return P().dispSpriteTab == 1; }

// A shown property dialog holds every field of its event: left as it was,
// its Apply would write the old values over what the command just did.
void EventsChangedUnderDialog(MainGUI& w) {
  if (w.eventPropertyVisible()) w.ListEventPropertyLoad();
}

}  // namespace

// ---- set-up ---------------------------------------------------------------

EventListArea::EventListArea(MainGUI* w, QWidget* central) : QObject(w), w_(w) {
  MakeListControls(central, {"ListEventHead", "PictEventList", "eventListVScrollBar", "eventListHScrollBar"}, head_,
                   list_, eventListVScrollBar, eventListHScrollBar);
}

void EventListArea::setUp(const Menus& menus) {
  menus_ = menus;
  auto* view = new EventListView;
  w_->replaceList(list_, view, eventListVScrollBar, eventListHScrollBar);
  view->setScrollBars(eventListVScrollBar, eventListHScrollBar);
  view->onMouseDown = [this](int b, int s, int x, int y) { onMouseDown(b, s, x, y); };
  view->onMouseMove = [this](int b, int s, int x, int y) { onMouseMove(b, s, x, y); };
  view->onMouseUp = [this](int b, int s, int x, int y) { onMouseUp(b, s, x, y); };
  view->onClick = [this] { onClicked(); };
  view->onDblClick = [this] { onDoubleClick(); };
  view->onGotFocus = [this] { onFocusIn(); };
  view->onLostFocus = [this] { onFocusOut(); };
  view->onKeyDown = [this](int k, int s) { return onKeyDown(k, s); };
  view->onKeyUp = [this](int k, int s) { onKeyUp(k, s); };
  view->onKeyPress = [this](int ascii) { onKeyPress(ascii); };
  view->onResize = [this] {
    if (EventListView* v = this->view()) v->reportGeometry();
  };
  connect(eventListVScrollBar, &QScrollBar::valueChanged, this, [](int v) { elm::SetScrollValue(v); });
  connect(eventListHScrollBar, &QScrollBar::valueChanged, this, [](int v) { elm::SetHorizontalScroll(v); });

  auto* head = new EventListHead(head_->parentWidget());
  head->setObjectName(head_->objectName());
  head->setGeometry(head_->geometry());
  head->setPalette(head_->palette());
  head->show();
  delete head_;
  head_ = head;
  head->onMouseDown = [this](int b, int s, int x, int y) { onHeadMouseDown(b, s, x, y); };
  head->onMouseMove = [this](int b, int s, int x, int y) { onHeadMouseMove(b, s, x, y); };
  head->onMouseUp = [this](int b, int s, int x, int y) { onHeadMouseUp(b, s, x, y); };
  head->onDblClick = [this] { onHeadDoubleClick(); };

  w_->wheelHook->addList(BasWheelMouse::kEventList, view, [](int rows) { elm::ScrollEventListBy(rows); });

  connect(menus_.copy, &QAction::triggered, this, [this] { copy(); });
  connect(menus_.cut, &QAction::triggered, this, [this] { cut(); });
  connect(menus_.paste, &QAction::triggered, this, [this] { paste(); });
  connect(menus_.deleteEvents, &QAction::triggered, this, [this] { deleteEvents(); });
  connect(menus_.insertAction, &QAction::triggered, this, [this] { addAction(); });
  connect(menus_.closeSpriteTab, &QAction::triggered, this, [this] { closeSpriteTab(); });
  timelineActions.push_back(menus_.mainTimeline);
  connect(menus_.mainTimeline, &QAction::triggered, this, [this] { showTimeline(0); });
  menus_.mainTimeline->setData(0);
}

void EventListArea::place(int x, int width, int bottom) {
  const int vw = eventListVScrollBar->sizeHint().width();
  const int hh = eventListHScrollBar->sizeHint().height();
  const int headH = P().dispSpriteTab == 1 ? 41 : 17;
  Place(head_, x, 0, width, headH);
  Place(list_, x, headH, width, bottom - headH);
  Place(eventListVScrollBar, list_->width() - vw, 0, vw, list_->height());
  Place(eventListHScrollBar, 0, list_->height() - hh, list_->width() - vw, hh);
}

EventListView* EventListArea::view() const { return qobject_cast<EventListView*>(list_); }

// ---- painting -----------------------------------------------------------------

void EventListArea::draw() {
  if (EventListView* v = view()) v->drawEventList();
}

void EventListArea::drawTabsAndHeader() {
  if (auto* head = qobject_cast<EventListHead*>(head_)) {
    head->drawTabsAndHeader();
  } else {
    head_->update();
  }
}

// ---- mouse ----------------------------------------------------------------------

void EventListArea::onMouseDown(int button, int shift, int, int y) {
  if (w_->buildRunning()) return;
  elm::MouseDown(button, shift, y);
}

void EventListArea::onMouseMove(int button, int shift, int x, int y) {
  if (w_->buildRunning()) return;
  elm::MouseMove(button, shift, x, y);
}

void EventListArea::onMouseUp(int button, int shift, int x, int y) {
  if (w_->buildRunning()) return;
  const bool menu = elm::MouseUp(button, shift, x, y);
  onFocusIn();
  if (menu) Desktop().popups->exec(menus_.edit, list_->mapToGlobal(QPoint(x, y)), nullptr);
}

void EventListArea::onDoubleClick() {
  if (w_->buildRunning() || w_->eventPropertyVisible()) return;
  w_->ListEventProperty();
}

// ---- keys -------------------------------------------------------------------------

bool EventListArea::onKeyDown(int keyCode, int shift) {
  if (w_->buildRunning()) return false;
  return elm::KeyDown(keyCode, shift);
}

void EventListArea::onKeyUp(int keyCode, int) {
  if (!w_->buildRunning() && elm::IsNavigationKey(keyCode) && elm::RowCount() > 0) onClicked();
}

void EventListArea::onKeyPress(int ascii) {
  if (ascii == 13) onDoubleClick();
}

// ---- selection and focus ---------------------------------------------------------------

// The Edit menu's states follow each command while the list has the focus,
// so that a shortcut right after Copy pastes and one after Delete undoes.
void EventListArea::followCommand() {
  if (view() && view()->hasFocus()) onFocusIn();
}

void EventListArea::onClicked() {
  // Whatever moved the current event before, the views now load it.
  elm::TakeCurrentEventMoved();
  if (elm::RowCount() == 0) return;
  const bool follow = elm::SelectionChanged(menus_.syncWithFileList->isChecked());
  followCommand();
  if (!follow) return;
  ScriptEditorModule::ShowEventScript(0, "");
  if (w_->eventPropertyVisible()) w_->ListEventPropertyLoad();
}

void EventListArea::followCurrentEvent() {
  if (elm::TakeCurrentEventMoved()) onClicked();
}

void EventListArea::onFocusIn() {
  if (!w_->buildRunning()) {
    const elm::EventEditMenu m = elm::FocusMenuState(P().alwaysEventSync == 1, menus_.syncWithFileList->isChecked(),
                                                     menus_.insertAction->isEnabled(), list_->isEnabled());
    menus_.undo->setEnabled(m.undo);
    menus_.redo->setEnabled(m.redo);
    menus_.copy->setEnabled(m.copy);
    menus_.cut->setEnabled(m.cut);
    menus_.deleteEvents->setEnabled(m.remove);
    menus_.selectAll->setEnabled(m.selectAll);
    menus_.paste->setEnabled(m.paste);
    menus_.properties->setEnabled(m.property);
    menus_.syncWithFileList->setChecked(m.syncChecked);
    menus_.syncWithFileList->setEnabled(m.syncEnabled);
    menus_.insertAction->setEnabled(m.insertAction);
  }
  draw();
  w_->wheelHook->take(BasWheelMouse::kEventList);
}

void EventListArea::onFocusOut() {
  // Only the list's own hook: the file list may hold the wheel already.
  w_->wheelHook->release(BasWheelMouse::kEventList);
  const elm::EventEditMenu m = elm::BlurMenuState(menus_.syncWithFileList->isChecked());
  for (QAction* a : {menus_.undo, menus_.redo, menus_.copy, menus_.cut, menus_.deleteEvents, menus_.selectAll,
                     menus_.paste, menus_.properties, menus_.syncWithFileList, menus_.insertAction})
    a->setEnabled(false);
  menus_.syncWithFileList->setChecked(m.syncChecked);
  draw();
}

// ---- commands ------------------------------------------------------------------------

void EventListArea::stepValue(int step) {
  if (w_->buildRunning() || !EventCommands::StepValue(step)) return;
  followCommand();
  EventsChangedUnderDialog(*w_);
}

void EventListArea::stepTargets(int step) {
  if (w_->buildRunning() || !EventCommands::StepTargets(step)) return;
  followCommand();
  EventsChangedUnderDialog(*w_);
}

void EventListArea::copy() {
  if (w_->buildRunning()) return;
  Desktop().clipboard->setText(ToQ(EventCommands::Copy()));
  followCommand();
}

void EventListArea::cut() {
  if (w_->buildRunning()) return;
  Desktop().clipboard->setText(ToQ(EventCommands::Cut()));
  onClicked();
}

void EventListArea::deleteEvents() {
  if (w_->buildRunning()) return;
  EventCommands::Delete();
  onClicked();
}

void EventListArea::paste() {
  if (w_->buildRunning() || !EventCommands::Paste()) return;
  followCommand();
  EventsChangedUnderDialog(*w_);
}

void EventListArea::addAction() {
  if (w_->buildRunning() || !EventCommands::AddAction()) return;
  followCommand();
  w_->ListEventPropertyLoad();
  w_->ListEventProperty();
}

// ---- tab strip -------------------------------------------------------------------------

namespace {
// The head was made an EventListHead when the area was set up.
elm::TabStripMouse& HeldTab(QWidget* head) { return static_cast<EventListHead*>(head)->tabMouse(); }
}  // namespace

void EventListArea::onHeadMouseDown(int, int, int x, int y) {
  if (w_->buildRunning()) return;
  elm::TabMouseDown(HeldTab(head_), x, y, TabsShown());
  followCurrentEvent();
}

void EventListArea::onHeadMouseMove(int, int, int x, int) {
  if (elm::TabMouseMove(HeldTab(head_), x)) head_->setCursor(Qt::DragMoveCursor);
}

void EventListArea::onHeadMouseUp(int button, int, int x, int y) {
  if (w_->buildRunning()) return;
  const elm::TabPopup popup = elm::TabMouseUp(HeldTab(head_), button == elm::kRightButton, x, y, TabsShown());
  drawTabsAndHeader();
  const QPoint at = head_->mapToGlobal(QPoint(x, y));
  if (popup == elm::TabPopup::TabMenu) {
    Desktop().popups->exec(menus_.spriteTab, at, nullptr);
  } else if (popup == elm::TabPopup::SpriteMenu) {
    if (QAction* shown = BuildSpriteMenu()) Desktop().popups->exec(menus_.timeline, at, shown);
  }
  if (P().dispEventProperty != 1) ui::Windows().unloadEventDialog();
  head_->unsetCursor();
  elm::TabMouseFinish(HeldTab(head_));
}

void EventListArea::onHeadDoubleClick() {
  if (w_->buildRunning()) return;
  elm::TabDoubleClick(TabsShown());
  followCurrentEvent();
}

void EventListArea::closeSpriteTab() {
  elm::CloseHeldTab(HeldTab(head_));
  drawTabsAndHeader();
}

QAction* EventListArea::BuildSpriteMenu() {
  while (timelineActions.size() > 1) {
    delete timelineActions.back();
    timelineActions.pop_back();
  }
  std::vector<GUICore::SpriteMenuEntry> entries;
  int32_t position = 0;
  if (!GUICore::BuildSpriteMenu(entries, position)) return nullptr;
  for (size_t k = 0; k < entries.size(); ++k) {
    auto* a = new QAction(ToQ(entries[k].caption), menus_.timeline);
    a->setObjectName(QStringLiteral("timelineActions_%1").arg(k + 1));
    a->setData(entries[k].timeline);
    menus_.timeline->addAction(a);
    const int index = static_cast<int>(k + 1);
    connect(a, &QAction::triggered, this, [this, index] { showTimeline(index); });
    timelineActions.push_back(a);
  }
  // The entry of the shown timeline is the default; the main timeline's
  // entry when a sprite's is not listed.
  return timelineActions[static_cast<size_t>(position) < timelineActions.size() ? static_cast<size_t>(position) : 0];
}

void EventListArea::showTimeline(int k) {
  if (w_->buildRunning() || k < 0 || static_cast<size_t>(k) >= timelineActions.size()) return;
  GUICore::ShowTimeline(timelineActions[static_cast<size_t>(k)]->data().toInt(), false);
  followCurrentEvent();
}

}  // namespace tesmiro::gui
