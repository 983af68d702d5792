// The event list of the main window: its widgets in place of the
// placeholders, the adaptors of its mouse, keys, focus and scroll bars, the
// tab strip with its popups, and the Edit menu's event commands. Every
// decision is the core's (project/event_list_*.h, project/event_commands.h);
// the handlers read the widgets, call the core and put text on the
// clipboard.
#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QScrollBar>

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
#include "ui/main/event_list_head.h"
#include "ui/main/event_list_view.h"
#include "ui/main/main_gui.h"
#include "ui/main/wheel_hook.h"

namespace tesmiro::gui {
namespace {

namespace elm = EventListModule;

Preferences& P() { return Prefs::Current(); }
bool TabsShown() { return P().dispSpriteTab == 1; }

// The Edit menu's states follow each command while the list has the focus,
// so that a shortcut right after Copy pastes and one after Delete undoes.
void FollowCommand(MainGUI& w) {
  if (w.eventListView() && w.eventListView()->hasFocus()) w.onEventListFocusIn();
}

// A shown property dialog holds every field of its event: left as it was,
// its Apply would write the old values over what the command just did.
void EventsChangedUnderDialog(MainGUI& w) {
  if (w.eventPropertyVisible()) w.ListEventPropertyLoad();
}

}  // namespace

void MainGUI::setupEventListArea() {
  auto* view = new EventListView;
  replaceEventList(view);
  view->setScrollBars(eventListVScrollBar, eventListHScrollBar);
  view->onMouseDown = [this](int b, int s, int x, int y) { onEventListMouseDown(b, s, x, y); };
  view->onMouseMove = [this](int b, int s, int x, int y) { onEventListMouseMove(b, s, x, y); };
  view->onMouseUp = [this](int b, int s, int x, int y) { onEventListMouseUp(b, s, x, y); };
  view->onClick = [this] { onEventListClicked(); };
  view->onDblClick = [this] { onEventListDoubleClick(); };
  view->onGotFocus = [this] { onEventListFocusIn(); };
  view->onLostFocus = [this] { onEventListFocusOut(); };
  view->onKeyDown = [this](int k, int s) { return onEventListKeyDown(k, s); };
  view->onKeyUp = [this](int k, int s) { onEventListKeyUp(k, s); };
  view->onKeyPress = [this](int ascii) { onEventListKeyPress(ascii); };
  view->onResize = [this] { onEventListResized(); };
  connect(eventListVScrollBar, &QScrollBar::valueChanged, this, [this](int v) { onEventListVScroll(v); });
  connect(eventListHScrollBar, &QScrollBar::valueChanged, this, [this](int v) { onEventListHScroll(v); });

  auto* head = new EventListHead(ListEventHead->parentWidget());
  head->setObjectName(ListEventHead->objectName());
  head->setGeometry(ListEventHead->geometry());
  head->setPalette(ListEventHead->palette());
  head->show();
  delete ListEventHead;
  ListEventHead = head;
  head->onMouseDown = [this](int b, int s, int x, int y) { onEventListHeadMouseDown(b, s, x, y); };
  head->onMouseMove = [this](int b, int s, int x, int y) { onEventListHeadMouseMove(b, s, x, y); };
  head->onMouseUp = [this](int b, int s, int x, int y) { onEventListHeadMouseUp(b, s, x, y); };
  head->onDblClick = [this] { onEventListHeadDoubleClick(); };

  wheelHook = new WheelHook(this);
  wheelHook->addList(BasWheelMouse::kEventList, view, [](int rows) { elm::ScrollEventListBy(rows); });

  connect(copyEventsAction, &QAction::triggered, this, [this] { ListEventCopy(); });
  connect(cutEventsAction, &QAction::triggered, this, [this] { ListEventCut(); });
  connect(pasteEventsAction, &QAction::triggered, this, [this] { ListEventPaste(); });
  connect(deleteEventsAction, &QAction::triggered, this, [this] { ListEventDelete(); });
  connect(insertActionEventAction, &QAction::triggered, this, [this] { ListEventAddAction(); });
  connect(closeSpriteTabAction, &QAction::triggered, this, [this] { closeSpriteTab(); });
  connect(timelineActions.front(), &QAction::triggered, this, [this] { showTimeline(0); });
  timelineActions.front()->setData(0);
}

EventListView* MainGUI::eventListView() const { return qobject_cast<EventListView*>(PictEventList); }

// ---- painting -----------------------------------------------------------------

void MainGUI::DrawEventList() {
  if (EventListView* v = eventListView()) v->drawEventList();
}

void MainGUI::DrawTabsAndHeader() {
  if (auto* head = qobject_cast<EventListHead*>(ListEventHead)) {
    head->drawTabsAndHeader();
  } else {
    ListEventHead->update();
  }
}

void MainGUI::onEventListResized() {
  if (EventListView* v = eventListView()) v->reportGeometry();
}

void MainGUI::onEventListVScroll(int value) { elm::SetScrollValue(value); }

void MainGUI::onEventListHScroll(int value) { elm::SetHorizontalScroll(value); }

// ---- mouse ----------------------------------------------------------------------

void MainGUI::onEventListMouseDown(int button, int shift, int, int y) {
  if (buildRunning()) return;
  elm::MouseDown(button, shift, y);
}

void MainGUI::onEventListMouseMove(int button, int shift, int x, int y) {
  if (buildRunning()) return;
  elm::MouseMove(button, shift, x, y);
}

void MainGUI::onEventListMouseUp(int button, int shift, int x, int y) {
  if (buildRunning()) return;
  const bool menu = elm::MouseUp(button, shift, x, y);
  onEventListFocusIn();
  if (menu) Desktop().popups->exec(editMenu, PictEventList->mapToGlobal(QPoint(x, y)), nullptr);
}

void MainGUI::onEventListDoubleClick() {
  if (buildRunning() || eventPropertyVisible()) return;
  ListEventProperty();
}

// ---- keys -------------------------------------------------------------------------

bool MainGUI::onEventListKeyDown(int keyCode, int shift) {
  if (buildRunning()) return false;
  return elm::KeyDown(keyCode, shift);
}

void MainGUI::onEventListKeyUp(int keyCode, int) {
  if (!buildRunning() && elm::IsNavigationKey(keyCode) && elm::RowCount() > 0) onEventListClicked();
}

void MainGUI::onEventListKeyPress(int ascii) {
  if (ascii == 13) onEventListDoubleClick();
}

// ---- selection and focus ---------------------------------------------------------------

void MainGUI::onEventListClicked() {
  if (elm::RowCount() == 0) return;
  const bool follow = elm::SelectionChanged(syncWithFileListAction->isChecked());
  FollowCommand(*this);
  if (!follow) return;
  ScriptEditorModule::ShowEventScript(0, "");
  if (eventPropertyVisible()) ListEventPropertyLoad();
}

void MainGUI::onEventListFocusIn() {
  if (!buildRunning()) {
    const elm::EventEditMenu m = elm::FocusMenuState(P().alwaysEventSync == 1, syncWithFileListAction->isChecked(),
                                                     insertActionEventAction->isEnabled(), PictEventList->isEnabled());
    undoAction->setEnabled(m.undo);
    redoAction->setEnabled(m.redo);
    copyEventsAction->setEnabled(m.copy);
    cutEventsAction->setEnabled(m.cut);
    deleteEventsAction->setEnabled(m.remove);
    selectAllEventsAction->setEnabled(m.selectAll);
    pasteEventsAction->setEnabled(m.paste);
    eventPropertiesAction->setEnabled(m.property);
    syncWithFileListAction->setChecked(m.syncChecked);
    syncWithFileListAction->setEnabled(m.syncEnabled);
    insertActionEventAction->setEnabled(m.insertAction);
  }
  DrawEventList();
  wheelHook->take(BasWheelMouse::kEventList);
}

void MainGUI::onEventListFocusOut() {
  // Only the list's own hook: the file list may hold the wheel already.
  wheelHook->release(BasWheelMouse::kEventList);
  const elm::EventEditMenu m = elm::BlurMenuState(syncWithFileListAction->isChecked());
  for (QAction* a : {undoAction, redoAction, copyEventsAction, cutEventsAction, deleteEventsAction, selectAllEventsAction,
                     pasteEventsAction, eventPropertiesAction, syncWithFileListAction, insertActionEventAction})
    a->setEnabled(false);
  syncWithFileListAction->setChecked(m.syncChecked);
  DrawEventList();
}

// ---- commands ------------------------------------------------------------------------

void MainGUI::ListEventStepValue(int step) {
  if (buildRunning() || !EventCommands::StepValue(step)) return;
  FollowCommand(*this);
  EventsChangedUnderDialog(*this);
}

void MainGUI::ListEventStepTargets(int step) {
  if (buildRunning() || !EventCommands::StepTargets(step)) return;
  FollowCommand(*this);
  EventsChangedUnderDialog(*this);
}

void MainGUI::ListEventCopy() {
  if (buildRunning()) return;
  Desktop().clipboard->setText(ToQ(EventCommands::Copy()));
  FollowCommand(*this);
}

void MainGUI::ListEventCut() {
  if (buildRunning()) return;
  Desktop().clipboard->setText(ToQ(EventCommands::Cut()));
  onEventListClicked();
}

void MainGUI::ListEventDelete() {
  if (buildRunning()) return;
  EventCommands::Delete();
  onEventListClicked();
}

void MainGUI::ListEventPaste() {
  if (buildRunning() || !EventCommands::Paste()) return;
  FollowCommand(*this);
  EventsChangedUnderDialog(*this);
}

void MainGUI::ListEventAddAction() {
  if (buildRunning() || !EventCommands::AddAction()) return;
  FollowCommand(*this);
  ListEventPropertyLoad();
  ListEventProperty();
}

// ---- tab strip -------------------------------------------------------------------------

namespace {
// The head was made an EventListHead when the area was set up.
elm::TabStripMouse& HeldTab(QWidget* head) { return static_cast<EventListHead*>(head)->tabMouse(); }
}  // namespace

void MainGUI::onEventListHeadMouseDown(int, int, int x, int y) {
  if (buildRunning()) return;
  elm::TabMouseDown(HeldTab(ListEventHead), x, y, TabsShown());
}

void MainGUI::onEventListHeadMouseMove(int, int, int x, int) {
  if (elm::TabMouseMove(HeldTab(ListEventHead), x)) ListEventHead->setCursor(Qt::DragMoveCursor);
}

void MainGUI::onEventListHeadMouseUp(int button, int, int x, int y) {
  if (buildRunning()) return;
  const elm::TabPopup popup = elm::TabMouseUp(HeldTab(ListEventHead), button == elm::kRightButton, x, y, TabsShown());
  DrawTabsAndHeader();
  const QPoint at = ListEventHead->mapToGlobal(QPoint(x, y));
  if (popup == elm::TabPopup::TabMenu) {
    Desktop().popups->exec(spriteTabMenu, at, nullptr);
  } else if (popup == elm::TabPopup::SpriteMenu) {
    if (QAction* shown = BuildSpriteMenu()) Desktop().popups->exec(timelineMenu, at, shown);
  }
  if (P().dispEventProperty != 1) ui::Windows().unloadEventDialog();
  ListEventHead->unsetCursor();
  elm::TabMouseFinish(HeldTab(ListEventHead));
}

void MainGUI::onEventListHeadDoubleClick() {
  if (!buildRunning()) elm::TabDoubleClick(TabsShown());
}

void MainGUI::closeSpriteTab() {
  elm::CloseHeldTab(HeldTab(ListEventHead));
  DrawTabsAndHeader();
}

QAction* MainGUI::BuildSpriteMenu() {
  while (timelineActions.size() > 1) {
    delete timelineActions.back();
    timelineActions.pop_back();
  }
  std::vector<GUICore::SpriteMenuEntry> entries;
  int32_t position = 0;
  if (!GUICore::BuildSpriteMenu(entries, position)) return nullptr;
  for (size_t k = 0; k < entries.size(); ++k) {
    auto* a = new QAction(ToQ(entries[k].caption), timelineMenu);
    a->setObjectName(QStringLiteral("timelineActions_%1").arg(k + 1));
    a->setData(entries[k].timeline);
    timelineMenu->addAction(a);
    const int index = static_cast<int>(k + 1);
    connect(a, &QAction::triggered, this, [this, index] { showTimeline(index); });
    timelineActions.push_back(a);
  }
  // The entry of the shown timeline is the default; the main timeline's
  // entry when a sprite's is not listed.
  return timelineActions[static_cast<size_t>(position) < timelineActions.size() ? static_cast<size_t>(position) : 0];
}

void MainGUI::showTimeline(int k) {
  if (buildRunning() || k < 0 || static_cast<size_t>(k) >= timelineActions.size()) return;
  GUICore::ShowTimeline(timelineActions[static_cast<size_t>(k)]->data().toInt(), false);
}

}  // namespace tesmiro::gui
