// The event list in the main window: keys, mouse, the Edit menu's event
// commands through the clipboard, the wheel, the tab strip and what the
// list paints.
#include <QAction>
#include <QApplication>
#include <QImage>
#include <QScrollBar>

#include "project/event_colors.h"
#include "project/event_list_view.h"
#include "project/event_list_input.h"
#include "project/events.h"
#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/preferences.h"
#include "project/store.h"
#include "project/timelines.h"
#include "support/main_gui_fixture.h"
#include "ui/common/qt_text.h"
#include "ui/main/wheel_hook.h"

namespace tesmiro::testing {
namespace {

namespace elm = EventListModule;

class EventListTest : public MainGuiTest {
 protected:
  // Eight events: rows 0-2 images, row 3 the label "top", rows 4-7 images,
  // row 8 the end row. The list has the focus.
  gui::MainGUI& StartWithEvents() {
    gui::MainGUI& w = startActive();
    std::string path = "/a.jpg";
    int32_t row = 1, mode = 0;
    image = GUICore::AddStoreItem(path, "jpg", row, mode);
    GUICore::RefreshFileList();
    for (int i = 0; i < 8; ++i) {
      EventRecord e;
      e.itemId = i == 3 ? 0 : image;
      e.frameCount = i + 1;
      if (i == 3) {
        e.kind = static_cast<int16_t>(ActionKind::Label);
        e.text1 = "top";
      }
      GUICore::InsertEvent(e, GUICore::EventCount());
    }
    elm::LoadRows();
    elm::Current().currentRow = 0;
    list = Control<QWidget>(w, "PictEventList");
    list->setFocus();
    Settle();
    return w;
  }
  QPoint At(int32_t row) const {
    return QPoint(120, (row - elm::ScrollValue() + 1) * elm::GetRowHeight() + elm::GetRowHeight() / 2);
  }
  void Click(int32_t row, Qt::KeyboardModifiers mods = Qt::NoModifier, Qt::MouseButton b = Qt::LeftButton) {
    tesmiro::testing::Click(list, At(row), b, mods);
  }
  static std::vector<int32_t> Selected() {
    std::vector<int32_t> rows;
    for (int32_t r = 0; r < elm::RowCount(); ++r)
      if (elm::Current().rows[static_cast<size_t>(r)].selected) rows.push_back(r);
    return rows;
  }
  static std::vector<int32_t> Counts() {
    std::vector<int32_t> c;
    for (const auto& e : GUICore::State().events) c.push_back(e.frameCount);
    return c;
  }
  QImage Grab() {
    list->repaint();
    return list->grab().toImage();
  }
  int32_t image = 0;
  QWidget* list = nullptr;
};

using Rows = std::vector<int32_t>;

TEST_F(EventListTest, KeysMoveSelectAndJumpToLabels) {
  StartWithEvents();
  SendKey(list, Qt::Key_Down);
  SendKey(list, Qt::Key_Down);
  for (int i = 0; i < 3; ++i) SendKey(list, Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(Selected(), (Rows{2, 3, 4, 5}));
  EXPECT_EQ(elm::Current().currentRow, 5);
  SendKey(list, Qt::Key_Up, Qt::ShiftModifier);
  EXPECT_EQ(Selected(), (Rows{2, 3, 4}));
  SendKey(list, Qt::Key_Down);
  EXPECT_EQ(Selected(), (Rows{5}));
  SendKey(list, Qt::Key_Up, Qt::AltModifier);
  EXPECT_EQ(elm::Current().currentRow, 3);  // the label
  SendKey(list, Qt::Key_End);
  EXPECT_EQ(elm::Current().currentRow, 8);
  SendKey(list, Qt::Key_Down);
  EXPECT_EQ(elm::Current().currentRow, 8);  // the end row stays
  // The key release shows the current row's material.
  SendKey(list, Qt::Key_Home);
  EXPECT_EQ(GUICore::State().infoItemId, image);
}

TEST_F(EventListTest, MouseSelectsAndOpensTheEditMenu) {
  gui::MainGUI& w = StartWithEvents();
  Click(5);
  Click(2, Qt::ShiftModifier);
  EXPECT_EQ(Selected(), (Rows{2, 3, 4, 5}));

  // A band drag, then a Ctrl drag that takes rows out of it.
  Drag(list, {At(1), At(6)});
  EXPECT_EQ(Selected(), (Rows{1, 2, 3, 4, 5, 6}));
  Drag(list, {At(3), At(4)}, Qt::ControlModifier);
  EXPECT_EQ(Selected(), (Rows{1, 2, 5, 6}));

  // A right click inside the selection keeps it and opens the Edit menu,
  // whose Delete runs on all of it.
  desktop.popups.choices.push_back("deleteEventsAction");
  Click(5, Qt::NoModifier, Qt::RightButton);
  ASSERT_EQ(desktop.popups.opened.size(), 1u);
  EXPECT_EQ(desktop.popups.opened[0], "editMenu");
  EXPECT_EQ(Counts(), (std::vector<int32_t>{1, 4, 5, 8}));
  Control<QAction>(w, "undoAction")->trigger();
  EXPECT_EQ(Counts(), (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_F(EventListTest, EditCommandsGoThroughTheClipboardAndUndoInOneStep) {
  gui::MainGUI& w = StartWithEvents();
  Click(1);
  Click(2, Qt::ShiftModifier);
  ASSERT_TRUE(Control<QAction>(w, "copyEventsAction")->isEnabled());
  Control<QAction>(w, "copyEventsAction")->trigger();
  const QString copied = desktop.clipboard.content;
  EXPECT_EQ(copied.count(QStringLiteral("\r\n")), 2);
  EXPECT_TRUE(copied.endsWith(QStringLiteral("\r\n")));

  Control<QAction>(w, "cutEventsAction")->trigger();
  EXPECT_EQ(desktop.clipboard.content, copied);
  EXPECT_EQ(Counts(), (std::vector<int32_t>{1, 4, 5, 6, 7, 8}));
  SendKey(list, Qt::Key_End);
  Control<QAction>(w, "pasteEventsAction")->trigger();
  EXPECT_EQ(Counts(), (std::vector<int32_t>{1, 4, 5, 6, 7, 8, 2, 3}));
  Control<QAction>(w, "undoAction")->trigger();
  EXPECT_EQ(Counts(), (std::vector<int32_t>{1, 4, 5, 6, 7, 8}));
  Control<QAction>(w, "undoAction")->trigger();
  EXPECT_EQ(Counts(), (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8}));

  Click(0);
  Control<QAction>(w, "insertActionEventAction")->trigger();
  EXPECT_EQ(GUICore::GetEvent(1).itemId, 0);
  EXPECT_EQ(GUICore::EventCount(), 9);
  Control<QAction>(w, "undoAction")->trigger();
  EXPECT_EQ(GUICore::EventCount(), 8);
  Control<QAction>(w, "redoAction")->trigger();
  EXPECT_EQ(GUICore::EventCount(), 9);

  // Leaving the list turns the commands off.
  Control<QWidget>(w, "PictFileList")->setFocus();
  Settle();
  EXPECT_FALSE(Control<QAction>(w, "copyEventsAction")->isEnabled());
  EXPECT_FALSE(Control<QAction>(w, "undoAction")->isEnabled());
}

TEST_F(EventListTest, StepKeysChangeOnlyWhatTheyCan) {
  StartWithEvents();
  Click(0);
  GUICore::SetModified(false);
  SendKey(list, Qt::Key_Colon, Qt::ShiftModifier, "*");  // 186 with Shift: frame count + 1
  EXPECT_EQ(GUICore::GetEvent(1).frameCount, 2);
  SendKey(list, Qt::Key_Semicolon, Qt::NoModifier, ";");  // 187: depth - 1
  EXPECT_EQ(GUICore::GetEvent(1).depth, -1);
  Click(3);  // the label: neither key changes it
  GUICore::SetModified(false);
  SendKey(list, Qt::Key_Colon, Qt::ShiftModifier, "*");
  SendKey(list, Qt::Key_Colon, Qt::NoModifier, ":");
  EXPECT_FALSE(GUICore::HasUnsavedChanges());
}

TEST_F(EventListTest, WheelScrollsOnlyTheFocusedList) {
  gui::MainGUI& w = StartWithEvents();
  for (int i = 0; i < 40; ++i) {
    EventRecord e;
    e.itemId = image;
    GUICore::InsertEvent(e, 0);
  }
  elm::LoadRows();
  Prefs::Current().mouseWheelScroll = 3;
  ASSERT_GE(elm::Current().vBar.max, 10);
  // The file list still holds the wheel (its loss of focus went unheard
  // while the window was inactive); the list that gets the focus takes it.
  BasWheelMouse::WheelState& wheel = w.findChild<gui::WheelHook*>()->state();
  BasWheelMouse::UnhookWheel(wheel);
  BasWheelMouse::HookWheel(wheel, BasWheelMouse::kFileList);
  w.eventList().onFocusIn();
  SendWheel(list, -120);
  EXPECT_EQ(elm::ScrollValue(), 4);
  SendWheel(list, -40);  // a touchpad: whole notches only
  SendWheel(list, -40);
  EXPECT_EQ(elm::ScrollValue(), 4);
  SendWheel(list, -40);
  EXPECT_EQ(elm::ScrollValue(), 7);
  SendWheel(Control<QScrollBar>(w, "eventListVScrollBar"), 120);  // over the list's own bar: still by notches
  EXPECT_EQ(elm::ScrollValue(), 4);
  EXPECT_EQ(Control<QScrollBar>(w, "eventListVScrollBar")->value(), 4);
  SendWheel(Control<QWidget>(w, "PictFileList"), -120);  // over the other list: the focused one scrolls
  EXPECT_EQ(elm::ScrollValue(), 7);
  EXPECT_EQ(FileListModule::Current().scrollTop, 1);

  Control<QWidget>(w, "PictFileList")->setFocus();
  Settle();
  SendWheel(list, -120);
  EXPECT_EQ(elm::ScrollValue(), 7);
}

TEST_F(EventListTest, PaintsLabelColourHighlightAndFocusFrame) {
  gui::MainGUI& w = StartWithEvents();
  const int rh = elm::GetRowHeight();
  const int x = list->width() - 40;
  Click(5);
  QImage picture = Grab();
  const QColor labelBack = gui::ToQColor(elm::EventColors()[0].backColor);
  EXPECT_EQ(picture.pixelColor(x, 3 * rh + rh / 2), labelBack);
  EXPECT_EQ(picture.pixelColor(x, 5 * rh + rh / 2), gui::ToQColor(kSysHighlight));
  EXPECT_EQ(picture.pixelColor(x, 1 * rh + rh / 2), gui::ToQColor(kSysWindowBackground));
  // Below the end row: the window background.
  EXPECT_EQ(picture.pixelColor(x, 9 * rh + 3), gui::ToQColor(kSysWindowBackground));

  auto framePixels = [&](const QImage& img) {
    int n = 0;
    for (int px = 0; px < list->width() - 1; ++px)
      if (img.pixelColor(px, 5 * rh) != gui::ToQColor(kSysHighlight)) ++n;
    return n;
  };
  const int withFocus = framePixels(picture);
  Control<QWidget>(w, "PictFileList")->setFocus();
  Settle();
  // Without the focus only the column lines cross the row's top edge.
  EXPECT_GT(withFocus, framePixels(Grab()) + 10);
}

TEST_F(EventListTest, TabStripSwitchesAndClosesThroughItsPopups) {
  gui::MainGUI& w = StartWithEvents();
  Prefs::Current().dispSpriteTab = 1;
  w.SizeControlsCall();
  std::vector<int32_t> sprites;
  for (int i = 0; i < 2; ++i) {
    std::string name;
    int32_t row = FileListModule::RowCount() + 1, mode = 0;
    sprites.push_back(GUICore::AddStoreItem(name, "sprite", row, mode));
    GUICore::ShowTimeline(sprites.back(), true);
  }
  w.eventList().drawTabsAndHeader();
  const auto& tabs = GUICore::State().tabs;
  ASSERT_EQ(tabs.size(), 3u);
  QWidget* head = Control<QWidget>(w, "ListEventHead");
  const QPoint main((tabs[0].left + tabs[0].right) / 2, 10);
  const QPoint second((tabs[1].left + tabs[1].right) / 2, 10);

  tesmiro::testing::Click(head, main);
  EXPECT_EQ(GUICore::State().shownTimeline, 0);

  // The main tab's popup lists the sprites with the shown timeline first.
  tesmiro::testing::Click(head, main, Qt::RightButton);
  ASSERT_EQ(desktop.popups.opened.back(), "timelineMenu");
  EXPECT_EQ(desktop.popups.defaults.back(), "timelineActions_0");

  desktop.popups.choices.push_back("closeSpriteTabAction");
  tesmiro::testing::Click(head, second, Qt::RightButton);
  EXPECT_EQ(desktop.popups.opened.back(), "spriteTabMenu");
  EXPECT_EQ(GUICore::State().tabs.size(), 2u);
  EXPECT_EQ(GUICore::State().shownTimeline, GUICore::FindTimelineOfSprite(sprites[0]));
}

TEST_F(EventListTest, ATabComesBackAtItsScrollPosition) {
  gui::MainGUI& w = StartWithEvents();
  for (int i = 0; i < 80; ++i) {
    EventRecord e;
    e.itemId = image;
    GUICore::InsertEvent(e, 0);
  }
  elm::LoadRows();
  elm::SetScrollValue(10);
  Control<QWidget>(w, "PictFileList")->setFocus();  // nothing else repaints the list
  Settle();
  std::string name;
  int32_t row = FileListModule::RowCount() + 1, mode = 0;
  const int32_t sprite = GUICore::AddStoreItem(name, "sprite", row, mode);
  GUICore::ShowTimeline(sprite, true);
  EXPECT_EQ(Control<QScrollBar>(w, "eventListVScrollBar")->value(), 1);
  GUICore::ShowTimeline(0, false);
  EXPECT_EQ(elm::ScrollValue(), 10);
  EXPECT_EQ(Control<QScrollBar>(w, "eventListVScrollBar")->value(), 10);
}

}  // namespace
}  // namespace tesmiro::testing
