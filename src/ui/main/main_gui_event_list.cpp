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
  if (w.PictEventList->hasFocus()) w.PictEventList_GotFocus();
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
  view->setScrollBars(VScroll2, HScroll2);
  view->onMouseDown = [this](int b, int s, int x, int y) { PictEventList_MouseDown(b, s, x, y); };
  view->onMouseMove = [this](int b, int s, int x, int y) { PictEventList_MouseMove(b, s, x, y); };
  view->onMouseUp = [this](int b, int s, int x, int y) { PictEventList_MouseUp(b, s, x, y); };
  view->onClick = [this] { PictEventList_Click(); };
  view->onDblClick = [this] { PictEventList_DblClick(); };
  view->onGotFocus = [this] { PictEventList_GotFocus(); };
  view->onLostFocus = [this] { PictEventList_LostFocus(); };
  view->onKeyDown = [this](int k, int s) { return PictEventList_KeyDown(k, s); };
  view->onKeyUp = [this](int k, int s) { PictEventList_KeyUp(k, s); };
  view->onKeyPress = [this](int ascii) { PictEventList_KeyPress(ascii); };
  view->onResize = [this] { PictEventList_Resize(); };
  connect(VScroll2, &QScrollBar::valueChanged, this, [this](int v) { VScroll2_Change(v); });
  connect(HScroll2, &QScrollBar::valueChanged, this, [this](int v) { HScroll2_Change(v); });

  auto* head = new EventListHead(ListEventHead->parentWidget());
  head->setObjectName(ListEventHead->objectName());
  head->setGeometry(ListEventHead->geometry());
  head->setPalette(ListEventHead->palette());
  head->show();
  delete ListEventHead;
  ListEventHead = head;
  head->onMouseDown = [this](int b, int s, int x, int y) { ListEventHead_MouseDown(b, s, x, y); };
  head->onMouseMove = [this](int b, int s, int x, int y) { ListEventHead_MouseMove(b, s, x, y); };
  head->onMouseUp = [this](int b, int s, int x, int y) { ListEventHead_MouseUp(b, s, x, y); };
  head->onDblClick = [this] { ListEventHead_DblClick(); };

  wheelHook = new WheelHook(this);
  wheelHook->addList(BasWheelMouse::kEventList, view, [](int rows) { elm::ScrollEventListBy(rows); });

  connect(mnuCopyEvent, &QAction::triggered, this, [this] { ListEventCopy(); });
  connect(mnuCutEvent, &QAction::triggered, this, [this] { ListEventCut(); });
  connect(mnuPasteEvent, &QAction::triggered, this, [this] { ListEventPaste(); });
  connect(mnuDeleteEvent, &QAction::triggered, this, [this] { ListEventDelete(); });
  connect(mnuInsertAction, &QAction::triggered, this, [this] { ListEventAddAction(); });
  connect(mnuSpriteTagClose, &QAction::triggered, this, [this] { mnuSpriteTagClose_Click(); });
  connect(mnuEventSelect.front(), &QAction::triggered, this, [this] { mnuEventSelect_Click(0); });
  mnuEventSelect.front()->setData(0);
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

void MainGUI::PictEventList_Resize() {
  if (EventListView* v = eventListView()) v->reportGeometry();
}

void MainGUI::VScroll2_Change(int value) { elm::SetScrollValue(value); }

void MainGUI::HScroll2_Change(int value) { elm::SetHorizontalScroll(value); }

// ---- mouse ----------------------------------------------------------------------

void MainGUI::PictEventList_MouseDown(int button, int shift, int, int y) {
  if (buildRunning_) return;
  elm::MouseDown(button, shift, y);
}

void MainGUI::PictEventList_MouseMove(int button, int shift, int x, int y) {
  if (buildRunning_) return;
  elm::MouseMove(button, shift, x, y);
}

void MainGUI::PictEventList_MouseUp(int button, int shift, int x, int y) {
  if (buildRunning_) return;
  const bool menu = elm::MouseUp(button, shift, x, y);
  PictEventList_GotFocus();
  if (menu) Desktop().popups->exec(mnuEvent, PictEventList->mapToGlobal(QPoint(x, y)), nullptr);
}

void MainGUI::PictEventList_DblClick() {
  if (buildRunning_ || eventPropertyVisible()) return;
  ListEventProperty();
}

// ---- keys -------------------------------------------------------------------------

bool MainGUI::PictEventList_KeyDown(int keyCode, int shift) {
  if (buildRunning_) return false;
  return elm::KeyDown(keyCode, shift);
}

void MainGUI::PictEventList_KeyUp(int keyCode, int) {
  if (!buildRunning_ && elm::IsNavigationKey(keyCode) && elm::RowCount() > 0) PictEventList_Click();
}

void MainGUI::PictEventList_KeyPress(int ascii) {
  if (ascii == 13) PictEventList_DblClick();
}

// ---- selection and focus ---------------------------------------------------------------

void MainGUI::PictEventList_Click() {
  if (elm::RowCount() == 0) return;
  const bool follow = elm::SelectionChanged(mnuEventSync->isChecked());
  FollowCommand(*this);
  if (!follow) return;
  ScriptEditorModule::ShowEventScript(0, "");
  if (eventPropertyVisible()) ListEventPropertyLoad();
}

void MainGUI::PictEventList_GotFocus() {
  if (!buildRunning_) {
    const elm::EventEditMenu m = elm::FocusMenuState(P().alwaysEventSync == 1, mnuEventSync->isChecked(),
                                                     mnuInsertAction->isEnabled(), PictEventList->isEnabled());
    mnuEditUndo->setEnabled(m.undo);
    mnuEditRedo->setEnabled(m.redo);
    mnuCopyEvent->setEnabled(m.copy);
    mnuCutEvent->setEnabled(m.cut);
    mnuDeleteEvent->setEnabled(m.remove);
    mnuSelAllEvent->setEnabled(m.selectAll);
    mnuPasteEvent->setEnabled(m.paste);
    mnuEventProperty->setEnabled(m.property);
    mnuEventSync->setChecked(m.syncChecked);
    mnuEventSync->setEnabled(m.syncEnabled);
    mnuInsertAction->setEnabled(m.insertAction);
  }
  DrawEventList();
  WheelHook::take(BasWheelMouse::kEventList);
}

void MainGUI::PictEventList_LostFocus() {
  // Only the list's own hook: the file list may hold the wheel already.
  if (BasWheelMouse::HookedControl() == BasWheelMouse::kEventList) BasWheelMouse::UnhookWheel();
  const elm::EventEditMenu m = elm::BlurMenuState(mnuEventSync->isChecked());
  for (QAction* a : {mnuEditUndo, mnuEditRedo, mnuCopyEvent, mnuCutEvent, mnuDeleteEvent, mnuSelAllEvent,
                     mnuPasteEvent, mnuEventProperty, mnuEventSync, mnuInsertAction})
    a->setEnabled(false);
  mnuEventSync->setChecked(m.syncChecked);
  DrawEventList();
}

// ---- commands ------------------------------------------------------------------------

void MainGUI::ListEventStepValue(int step) {
  if (buildRunning_ || !EventCommands::StepValue(step)) return;
  FollowCommand(*this);
  EventsChangedUnderDialog(*this);
}

void MainGUI::ListEventStepTargets(int step) {
  if (buildRunning_ || !EventCommands::StepTargets(step)) return;
  FollowCommand(*this);
  EventsChangedUnderDialog(*this);
}

void MainGUI::ListEventCopy() {
  if (buildRunning_) return;
  Desktop().clipboard->setText(ToQ(EventCommands::Copy()));
  FollowCommand(*this);
}

void MainGUI::ListEventCut() {
  if (buildRunning_) return;
  Desktop().clipboard->setText(ToQ(EventCommands::Cut()));
  PictEventList_Click();
}

void MainGUI::ListEventDelete() {
  if (buildRunning_) return;
  EventCommands::Delete();
  PictEventList_Click();
}

void MainGUI::ListEventPaste() {
  if (buildRunning_ || !EventCommands::Paste()) return;
  FollowCommand(*this);
  EventsChangedUnderDialog(*this);
}

void MainGUI::ListEventAddAction() {
  if (buildRunning_ || !EventCommands::AddAction()) return;
  FollowCommand(*this);
  ListEventPropertyLoad();
  ListEventProperty();
}

// ---- tab strip -------------------------------------------------------------------------

void MainGUI::ListEventHead_MouseDown(int, int, int x, int y) {
  if (buildRunning_) return;
  elm::TabMouseDown(x, y, TabsShown());
}

void MainGUI::ListEventHead_MouseMove(int, int, int x, int) {
  if (elm::TabMouseMove(x)) ListEventHead->setCursor(Qt::DragMoveCursor);
}

void MainGUI::ListEventHead_MouseUp(int button, int, int x, int y) {
  if (buildRunning_) return;
  const elm::TabPopup popup = elm::TabMouseUp(button == elm::kRightButton, x, y, TabsShown());
  DrawTabsAndHeader();
  const QPoint at = ListEventHead->mapToGlobal(QPoint(x, y));
  if (popup == elm::TabPopup::TabMenu) {
    Desktop().popups->exec(mnuSpriteTag, at, nullptr);
  } else if (popup == elm::TabPopup::SpriteMenu) {
    if (QAction* shown = BuildSpriteMenu()) Desktop().popups->exec(mnuEventSelectRoot, at, shown);
  }
  if (P().dispEventProperty != 1) ui::Windows().unloadEventDialog();
  ListEventHead->unsetCursor();
  elm::TabMouseFinish();
}

void MainGUI::ListEventHead_DblClick() {
  if (!buildRunning_) elm::TabDoubleClick(TabsShown());
}

void MainGUI::mnuSpriteTagClose_Click() {
  elm::CloseHeldTab();
  DrawTabsAndHeader();
}

QAction* MainGUI::BuildSpriteMenu() {
  while (mnuEventSelect.size() > 1) {
    delete mnuEventSelect.back();
    mnuEventSelect.pop_back();
  }
  std::vector<GUICore::SpriteMenuEntry> entries;
  int32_t position = 0;
  if (!GUICore::BuildSpriteMenu(entries, position)) return nullptr;
  for (size_t k = 0; k < entries.size(); ++k) {
    auto* a = new QAction(ToQ(entries[k].caption), mnuEventSelectRoot);
    a->setObjectName(QStringLiteral("mnuEventSelect_%1").arg(k + 1));
    a->setData(entries[k].timeline);
    mnuEventSelectRoot->addAction(a);
    const int index = static_cast<int>(k + 1);
    connect(a, &QAction::triggered, this, [this, index] { mnuEventSelect_Click(index); });
    mnuEventSelect.push_back(a);
  }
  // The entry of the shown timeline is the default; the main timeline's
  // entry when a sprite's is not listed.
  return mnuEventSelect[static_cast<size_t>(position) < mnuEventSelect.size() ? static_cast<size_t>(position) : 0];
}

void MainGUI::mnuEventSelect_Click(int k) {
  if (buildRunning_ || k < 0 || static_cast<size_t>(k) >= mnuEventSelect.size()) return;
  GUICore::ShowTimeline(mnuEventSelect[static_cast<size_t>(k)]->data().toInt(), false);
}

}  // namespace tesmiro::gui
