// The event property dialog in the window: opened from the event list, filled
// from the events, edited through its controls and applied; its place on
// the screen, its keep-on-top box, its script buttons and the event preview.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <filesystem>

#include "compiler/event_preview.h"
#include "project/build_lock.h"
#include "project/event_list_view.h"
#include "project/events.h"
#include "project/filter_work_area.h"
#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/preferences.h"
#include "project/script_editor.h"
#include "support/fake_flash_host.h"
#include "support/find_control.h"
#include "support/main_gui_fixture.h"
#include "ui/common/dialog_support.h"
#include "ui/dialogs/event_dialog.h"
#include "ui/dialogs/preview_window.h"
#include "ui/main/main_gui.h"

namespace tesmiro::testing {
namespace {

using gui::EventDialog;

class EventDialogTest : public MainGuiTest {
 protected:
  ~EventDialogTest() override {
    gui::PreviewWindow::unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  void SetUp() override {
    start();
    Prefs::Current().windowTopward = 1;  // the box offered, not ticked
  }
  void TearDown() override {
    if (HasFailure() && EventDialog::instance()) {
      SaveGrab(EventDialog::instance(),
               std::string("EventDialog-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    MainGuiTest::TearDown();
  }

  static void Item(int32_t id, StoreItemKind kind, int32_t width = 0, int32_t height = 0) {
    StoreItem item = NewStoreItem(kind);
    item.id = id;
    item.width = width;
    item.height = height;
    GUICore::State().store.push_back(item);
  }
  static void Events(std::initializer_list<EventRecord> events) {
    for (const EventRecord& e : events) GUICore::State().events.push_back(e);
    EventListModule::LoadRows();
  }
  static void Select(std::initializer_list<int32_t> rows) {
    auto& v = EventListModule::Current();
    EventListModule::ClearRowSelection();
    for (int32_t r : rows) v.rows[static_cast<size_t>(r)].selected = -1;
    v.currentRow = *rows.begin();
    EventListModule::DrawEventList();
  }
  static EventRecord Image(int32_t id) {
    EventRecord e = NewEventFor(StoreItemKind::RasterImage);
    e.itemId = id;
    e.frameCount = 10;
    e.startX = 40;
    e.startScaleX = 0.5f;
    e.startScaleY = 2.0f;
    e.depth = 3;
    e.startAlpha = 80;
    return e;
  }
  // One image event, selected, and the dialog opened on it.
  EventDialog& OpenImage() {
    Item(1, StoreItemKind::RasterImage);
    Events({Image(1)});
    Select({0});
    return Open();
  }
  void FocusList() {
    QApplication::setActiveWindow(&window());
    Control<QWidget>(window(), "PictEventList")->setFocus();
    Settle();
  }
  EventDialog& Open() {
    window().ListEventProperty();
    Settle();
    EXPECT_NE(EventDialog::instance(), nullptr);
    return *EventDialog::instance();
  }
  static void Type(QLineEdit* box, const QString& text) {
    box->selectAll();
    QTest::keyClicks(box, text);
  }
  FakeFlashHosts hosts;
};

// The list's own mouse, as the user drives it.
void ClickRow(QWidget* list, int32_t row, bool twice) {
  const int32_t h = EventListModule::GetRowHeight();
  const QPoint at(60, row * h + h / 2);
  if (twice)
    DoubleClick(list, at);
  else
    Click(list, at);
}

TEST_F(EventDialogTest, ADoubleClickOnARowOpensItFilledAndItFollowsTheSelection) {
  Item(1, StoreItemKind::RasterImage);
  Item(2, StoreItemKind::RasterImage);
  EventRecord second = Image(2);
  second.depth = -8;
  Events({Image(1), second});
  QApplication::setActiveWindow(&window());
  QWidget* list = Control<QWidget>(window(), "PictEventList");
  list->setFocus();
  Settle();
  ClickRow(list, 1, true);
  Settle();
  EventDialog* d = EventDialog::instance();
  ASSERT_NE(d, nullptr);
  EXPECT_TRUE(d->isVisible());
  EXPECT_EQ(d->windowTitle(), QStringLiteral("イベントのプロパティ"));
  EXPECT_EQ(Control<QLineEdit>(d, "itemIdBox")->text(), "2");
  EXPECT_EQ(Control<QLineEdit>(d, "frameCountBox")->text(), "10");
  EXPECT_EQ(Control<QLineEdit>(d, "drawSizeBox")->text(), "2:0.5");
  EXPECT_EQ(Control<QLineEdit>(d, "depthBox")->text(), "-8");
  EXPECT_EQ(Control<QLineEdit>(d, "drawOpacityBox")->text(), "80%");
  EXPECT_EQ(Control<gui::GreyCheckBox>(d, "buttonCheck")->value(), 0);
  EXPECT_TRUE(Control<QGroupBox>(d, "moveTargetGroup")->isVisibleTo(d));  // a motion
  EXPECT_TRUE(Control<gui::GreyCheckBox>(d, "maskCheck")->isVisibleTo(d));  // an image can mask
  EXPECT_FALSE(Control<QComboBox>(d, "blendModeList")->isVisibleTo(d));  // SWF 6 has no blend modes
  EXPECT_FALSE(Control<QPushButton>(d, "applyButton")->isEnabled());  // nothing changed yet
  EXPECT_EQ(d->focusWidget(), Control<QLineEdit>(d, "itemIdBox"));
  EXPECT_EQ(Control<gui::EasingCurve>(d, "easingCurve")->lines().size(), 10u);

  // A click on another row while it is shown loads that row.
  ClickRow(list, 0, false);
  EXPECT_EQ(Control<QLineEdit>(d, "itemIdBox")->text(), "1");
  EXPECT_EQ(Control<QLineEdit>(d, "depthBox")->text(), "3");

  // Enter on the list opens it too.
  d->Unload();
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Return);
  Settle();
  ASSERT_NE(EventDialog::instance(), nullptr);
  EXPECT_EQ(Control<QLineEdit>(EventDialog::instance(), "itemIdBox")->text(), "1");
}

TEST_F(EventDialogTest, AnEditedFieldIsAppliedToTheEventAndItsRow) {
  EventDialog& d = OpenImage();
  Type(Control<QLineEdit>(d, "depthBox"), "7");
  EXPECT_TRUE(Control<QPushButton>(d, "applyButton")->isEnabled());
  Prefs::Current().dispEventProperty = 1;  // stays open
  QTest::mouseClick(Control<QPushButton>(d, "applyButton"), Qt::LeftButton);
  EXPECT_EQ(GUICore::GetEvent(1).depth, 7);
  EXPECT_EQ(EventListModule::Current().rows[0].depth, 7);
  EXPECT_TRUE(GUICore::HasUnsavedChanges());
  EXPECT_TRUE(EventDialog::isShownNow());

  Prefs::Current().dispEventProperty = 0;  // closes
  Type(Control<QLineEdit>(d, "drawXBox"), "+5");
  QTest::mouseClick(Control<QPushButton>(d, "applyButton"), Qt::LeftButton);
  EXPECT_EQ(GUICore::GetEvent(1).startX, 45);
  EXPECT_EQ(EventDialog::instance(), nullptr);
}

TEST_F(EventDialogTest, CommandsThatChangeTheSelectedEventsReloadTheShownDialog) {
  Prefs::Current().dispEventProperty = 1;
  EventDialog& d = OpenImage();
  FocusList();
  window().eventList().stepValue(1);
  EXPECT_EQ(Control<QLineEdit>(d, "frameCountBox")->text(), "11");
  window().eventList().stepTargets(-1);
  EXPECT_EQ(Control<QLineEdit>(d, "depthBox")->text(), "2");
  Type(Control<QLineEdit>(d, "drawXBox"), "7");
  QTest::mouseClick(Control<QPushButton>(d, "applyButton"), Qt::LeftButton);
  EXPECT_EQ(GUICore::GetEvent(1).frameCount, 11);

  // Select all: several events shown, so that Apply writes only what is typed.
  Item(2, StoreItemKind::Sound);
  EventRecord sound = NewEventFor(StoreItemKind::Sound);
  sound.itemId = 2;
  GUICore::State().events.push_back(sound);
  EventListModule::LoadRows();
  Control<QAction>(window(), "selectAllEventsAction")->trigger();
  EXPECT_EQ(d.windowTitle(), QStringLiteral("イベントのプロパティ (複数選択)"));
  EXPECT_EQ(Control<QLineEdit>(d, "itemIdBox")->text(), "");

  // A paste selects the new events: the dialog shows them.
  Select({1});
  window().eventList().copy();
  Select({0});
  window().eventList().paste();
  EXPECT_EQ(GUICore::GetEvent(1).itemId, 2);
  EXPECT_EQ(Control<QLineEdit>(d, "itemIdBox")->text(), "2");
  EXPECT_TRUE(Control<QGroupBox>(d, "soundGroup")->isVisibleTo(&d));
}

TEST_F(EventDialogTest, ApplyWhileABuildRunsKeepsTheDialogAndItsFields) {
  EventDialog& d = OpenImage();
  Type(Control<QLineEdit>(d, "depthBox"), "9");
  {
    // What Make SWF does while it runs.
    GUICore::BuildLock build;
    window().ListEventPropertyLoad();  // the list follows its selection meanwhile
    Type(Control<QLineEdit>(d, "depthBox"), "9");
    EXPECT_FALSE(Control<QPushButton>(d, "applyButton")->isEnabled());
    d.applyChanges();
    EXPECT_EQ(EventDialog::instance(), &d);
    EXPECT_EQ(Control<QLineEdit>(d, "depthBox")->text(), "9");
    EXPECT_EQ(GUICore::GetEvent(1).depth, 3);
  }
  Type(Control<QLineEdit>(d, "depthBox"), "8");
  QTest::mouseClick(Control<QPushButton>(d, "applyButton"), Qt::LeftButton);
  EXPECT_EQ(GUICore::GetEvent(1).depth, 8);
}

// As the main window's own controls: while a build runs, Apply and the
// event preview are off and come back as they were, or with an edit made
// meanwhile, once it has finished.
TEST_F(EventDialogTest, ApplyAndTheEventPreviewAreOffWhileABuildRuns) {
  EventDialog& d = OpenImage();
  auto* apply = Control<QPushButton>(d, "applyButton");
  auto* preview = Control<QPushButton>(d, "eventPreviewButton");
  ASSERT_TRUE(preview->isEnabled());
  {
    GUICore::BuildLock build;
    EXPECT_FALSE(apply->isEnabled());
    EXPECT_FALSE(preview->isEnabled());
    window().ListEventPropertyLoad();  // the fill keeps the preview off
    EXPECT_FALSE(preview->isEnabled());
    Type(Control<QLineEdit>(d, "depthBox"), "8");
  }
  EXPECT_TRUE(apply->isEnabled());
  EXPECT_TRUE(preview->isEnabled());
  QTest::mouseClick(apply, Qt::LeftButton);
  EXPECT_EQ(GUICore::GetEvent(1).depth, 8);
}

TEST_F(EventDialogTest, SeveralEventsShowGreyBoxesAndKeepWhatIsNotTyped) {
  Item(1, StoreItemKind::RasterImage);
  EventRecord b = Image(1);
  b.depth = -4;
  b.buttonFlag = 1;
  Events({Image(1), b});
  Select({0, 1});
  EventDialog& d = Open();
  EXPECT_EQ(d.windowTitle(), QStringLiteral("イベントのプロパティ (複数選択)"));
  EXPECT_EQ(Control<QLineEdit>(d, "itemIdBox")->text(), "");
  EXPECT_EQ(Control<QLineEdit>(d, "drawOpacityBox")->text(), "");
  EXPECT_EQ(Control<gui::GreyCheckBox>(d, "buttonCheck")->checkState(), Qt::PartiallyChecked);
  EXPECT_TRUE(Control<QGroupBox>(d, "drawPositionGroup")->isVisibleTo(&d));  // both are images
  EXPECT_FALSE(Control<QPushButton>(d, "filterButtons_0")->isVisibleTo(&d));  // filters: one event at a time
  EXPECT_FALSE(Control<QPushButton>(d, "eventPreviewButton")->isEnabled());
  // A new selection empties every box but an editable list's (the zoom).
  auto* zoom = new QComboBox(&d);
  zoom->setEditable(true);
  zoom->setEditText(QStringLiteral("150%"));
  window().ListEventPropertyLoad();
  EXPECT_EQ(zoom->currentText(), QStringLiteral("150%"));
  delete zoom;
  Prefs::Current().dispEventProperty = 1;
  Type(Control<QLineEdit>(d, "drawSizeBox"), "+0.5");
  QTest::mouseClick(Control<QPushButton>(d, "applyButton"), Qt::LeftButton);
  EXPECT_FLOAT_EQ(GUICore::GetEvent(1).startScaleY, 2.5f);
  EXPECT_FLOAT_EQ(GUICore::GetEvent(2).startScaleX, 1.0f);
  EXPECT_EQ(GUICore::GetEvent(2).depth, -4);
  EXPECT_EQ(GUICore::GetEvent(2).buttonFlag, 1);
}

TEST_F(EventDialogTest, AButtonRefusesActionsItCannotRunWithTheExactHint) {
  EventDialog& d = OpenImage();
  QTest::mouseClick(Control<gui::GreyCheckBox>(d, "buttonCheck"), Qt::LeftButton);
  ASSERT_EQ(Control<gui::GreyCheckBox>(d, "buttonCheck")->value(), 1);
  EXPECT_TRUE(Control<QGroupBox>(d, "actionGroup")->isVisibleTo(&d));
  Control<QComboBox>(d, "actionList")->setCurrentIndex(12);  // 何もしない
  EXPECT_EQ(Control<QComboBox>(d, "actionList")->currentIndex(), -1);
  EXPECT_TRUE(Control<QLabel>(d, "parameterHintLabel")->isVisibleTo(&d));
  EXPECT_EQ(Control<QLabel>(d, "parameterHintLabel")->text(),
            QStringLiteral("「何もしない」はボタンでは使用できないアクションです"));
  EXPECT_FALSE(Control<QLineEdit>(d, "firstParameterBox")->isVisibleTo(&d));

  Control<QComboBox>(d, "actionList")->setCurrentIndex(2);  // URL: both parameters
  EXPECT_TRUE(Control<QLineEdit>(d, "firstParameterBox")->isVisibleTo(&d));
  EXPECT_TRUE(Control<QLineEdit>(d, "secondParameterBox")->isVisibleTo(&d));

  // The hint under "jump to label" writes a special label.
  Control<QComboBox>(d, "actionList")->setCurrentIndex(1);
  QTest::mousePress(Control<QLabel>(d, "parameterHintLabel"), Qt::LeftButton, {}, QPoint(20, 2));
  EXPECT_EQ(Control<QLineEdit>(d, "firstParameterBox")->text(), "_NextLabel");
  QTest::mousePress(Control<QLabel>(d, "parameterHintLabel"), Qt::LeftButton, {},
                    QPoint(20, Control<QLabel>(d, "parameterHintLabel")->height() - 2));
  EXPECT_EQ(Control<QLineEdit>(d, "firstParameterBox")->text(), "_PrevLabel");
}

TEST_F(EventDialogTest, ActionSoundAndTheEndRowEachShowTheirOwnFields) {
  Item(3, StoreItemKind::Sound);
  EventRecord action;
  action.itemId = 0;
  action.kind = static_cast<int16_t>(ActionKind::GetURL);
  action.text2 = "_blank";
  EventRecord sound = NewEventFor(StoreItemKind::Sound);
  sound.itemId = 3;
  sound.text1 = "vol80;80";
  Events({action, sound});
  Select({0});
  EventDialog& d = Open();
  EXPECT_FALSE(Control<QLineEdit>(d, "itemIdBox")->isVisibleTo(&d));
  EXPECT_FALSE(Control<QGroupBox>(d, "drawPositionGroup")->isVisibleTo(&d));
  EXPECT_EQ(Control<QGroupBox>(d, "actionGroup")->y(), 8);  // the action frame alone, at the top
  EXPECT_EQ(Control<QComboBox>(d, "actionList")->currentIndex(), 2);
  EXPECT_EQ(Control<QLineEdit>(d, "secondParameterBox")->text(), "_blank");
  EXPECT_EQ(d.focusWidget(), Control<QComboBox>(d, "actionList"));

  Select({1});
  window().ListEventPropertyLoad();
  EXPECT_TRUE(Control<QGroupBox>(d, "soundGroup")->isVisibleTo(&d));
  EXPECT_TRUE(Control<QGroupBox>(d, "volumeGroup")->isVisibleTo(&d));
  EXPECT_FALSE(Control<QGroupBox>(d, "actionGroup")->isVisibleTo(&d));
  EXPECT_FALSE(Control<gui::GreyCheckBox>(d, "buttonCheck")->isVisibleTo(&d));
  EXPECT_EQ(Control<QScrollBar>(d, "volumeSliders_0")->value(), 20);
  // Both sides follow one value until they are made independent.
  Type(Control<QLineEdit>(d, "volumeBoxes_0"), "30");
  EXPECT_EQ(Control<QLineEdit>(d, "volumeBoxes_1")->text(), "30");
  EXPECT_EQ(Control<QScrollBar>(d, "volumeSliders_1")->value(), 70);
  Control<QCheckBox>(d, "separateVolumesCheck")->setChecked(true);
  Type(Control<QLineEdit>(d, "volumeBoxes_0"), "45");
  EXPECT_EQ(Control<QLineEdit>(d, "volumeBoxes_1")->text(), "30");

  Select({2});
  window().ListEventPropertyLoad();
  EXPECT_FALSE(Control<QLineEdit>(d, "itemIdBox")->isVisibleTo(&d));
  EXPECT_FALSE(Control<QGroupBox>(d, "soundGroup")->isVisibleTo(&d));
  EXPECT_FALSE(Control<QPushButton>(d, "eventPreviewButton")->isEnabled());
}

TEST_F(EventDialogTest, SpinsShortcutsAndCopyButtons) {
  EventDialog& d = OpenImage();
  Type(Control<QLineEdit>(d, "frameCountBox"), "0");
  EXPECT_EQ(Control<QGroupBox>(d, "depthGroup")->title(), QStringLiteral("固定画面"));
  Control<QScrollBar>(d, "frameCountSpin")->triggerAction(QAbstractSlider::SliderSingleStepAdd);  // the lower arrow
  EXPECT_EQ(Control<QLineEdit>(d, "frameCountBox")->text(), "0");
  Control<QScrollBar>(d, "frameCountSpin")->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(Control<QLineEdit>(d, "frameCountBox")->text(), "1");
  EXPECT_EQ(Control<QScrollBar>(d, "frameCountSpin")->value(), 0);
  Type(Control<QLineEdit>(d, "depthBox"), "300");
  EXPECT_EQ(Control<QLineEdit>(d, "depthBox")->text(), "256");
  Control<QScrollBar>(d, "depthSpin")->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(Control<QLineEdit>(d, "depthBox")->text(), "256");

  QTest::mouseClick(Control<QLabel>(d, "drawXLabel"), Qt::LeftButton);
  EXPECT_EQ(Control<QLineEdit>(d, "drawXBox")->text(), "0");
  QTest::mouseClick(Control<QLabel>(d, "drawXLabel"), Qt::LeftButton);
  EXPECT_EQ(Control<QLineEdit>(d, "drawXBox")->text(), "160");

  // Without filters in use the copy is made at once; with them it asks.
  QTest::mouseClick(Control<QPushButton>(d, "copyToMoveButton"), Qt::LeftButton);
  EXPECT_TRUE(desktop.popups.opened.empty());
  EXPECT_EQ(Control<QLineEdit>(d, "moveXBox")->text(), "160");
  EXPECT_EQ(Control<QScrollBar>(d, "moveOpacitySlider")->value(), 80);
  GUICore::WorkArea().states[0].inUse = -1;
  GUICore::WorkArea().states[0].glow = 1;
  Type(Control<QLineEdit>(d, "moveXBox"), "7");
  desktop.popups.choices.push_back("copyDetailAction");
  QTest::mouseClick(Control<QPushButton>(d, "copyToMoveButton"), Qt::LeftButton);
  ASSERT_EQ(desktop.popups.opened.size(), 1u);
  EXPECT_EQ(desktop.popups.opened[0], "copyParametersMenu");
  EXPECT_EQ(GUICore::WorkArea().states[1].glow, 1);
  EXPECT_EQ(Control<QLineEdit>(d, "moveXBox")->text(), "7");  // the filters only
  // Dismissing the popup copies nothing; "全てコピー" copies both.
  GUICore::WorkArea().states[0].blur = 1;
  QTest::mouseClick(Control<QPushButton>(d, "copyToMoveButton"), Qt::LeftButton);
  EXPECT_EQ(GUICore::WorkArea().states[1].blur, 0);
  EXPECT_EQ(Control<QLineEdit>(d, "moveXBox")->text(), "7");
  desktop.popups.choices.push_back("copyAllAction");
  QTest::mouseClick(Control<QPushButton>(d, "copyToMoveButton"), Qt::LeftButton);
  EXPECT_EQ(GUICore::WorkArea().states[1].blur, 1);
  EXPECT_EQ(Control<QLineEdit>(d, "moveXBox")->text(), "160");
}

TEST_F(EventDialogTest, OpensWhollyOnTheScreenAtTheStoredPlaceOrAtTheCursor) {
  Events({});
  desktop.placement.area = QRect(50, 40, 1000, 700);
  const QRect area = desktop.placement.area;
  Prefs::Current().epLeft = 200000;  // far beyond the right edge
  Prefs::Current().epTop = -30000;
  EXPECT_TRUE(area.contains(Open().frameGeometry()));
  EventDialog::UnloadInstance();

  Prefs::Current().posEventDialog = 0;
  desktop.placement.cursor = QPoint(1040, 730);  // bottom right
  EventDialog& near = Open();
  EXPECT_EQ(near.frameGeometry().bottomRight(), area.bottomRight());
  near.Unload();
  desktop.placement.cursor = QPoint(10, 5);  // left of and above the work area
  EXPECT_EQ(Open().frameGeometry().topLeft(), area.topLeft());
}

TEST_F(EventDialogTest, EscapeUnloadsAndRemembersThePlace) {
  Events({});
  EventDialog& d = Open();
  d.move(300, 150);
  const QPoint at = d.frameGeometry().topLeft();
  QTest::keyClick(&d, Qt::Key_Escape);
  EXPECT_EQ(EventDialog::instance(), nullptr);
  EXPECT_EQ(Prefs::Current().epLeft, at.x() * 15);
  EXPECT_EQ(Prefs::Current().epTop, at.y() * 15);
}

TEST_F(EventDialogTest, TheKeepOnTopBoxAndTheWindowNeverDisagree) {
  Events({});
  EventDialog& d = Open();
  EXPECT_TRUE(Control<QCheckBox>(d, "keepOnTopCheck")->isVisibleTo(&d));
  desktop.placement.keepOnTop.clear();
  QTest::mouseClick(Control<QCheckBox>(d, "keepOnTopCheck"), Qt::LeftButton);
  ASSERT_EQ(desktop.placement.keepOnTop.size(), 1u);
  EXPECT_TRUE(d.keptOnTop());
  // At once again (the clock stands still): the window follows the box.
  QTest::mouseClick(Control<QCheckBox>(d, "keepOnTopCheck"), Qt::LeftButton);
  ASSERT_EQ(desktop.placement.keepOnTop.size(), 2u);
  EXPECT_FALSE(desktop.placement.keepOnTop.back().second);
  EXPECT_FALSE(d.keptOnTop());
  // A modal dialog of this window drops it for a while; the box puts it back.
  QTest::mouseClick(Control<QCheckBox>(d, "keepOnTopCheck"), Qt::LeftButton);
  d.dropKeepOnTop();
  d.onKeepOnTopToggled();
  EXPECT_TRUE(d.keptOnTop());
  EXPECT_TRUE(desktop.placement.keepOnTop.back().second);
  d.Unload();
  EXPECT_EQ(Prefs::Current().windowTopward & 2, 2);

  // Without the option the box is not offered and the main window owns it.
  Prefs::Current().windowTopward = 2;
  EventDialog& plain = Open();
  EXPECT_FALSE(Control<QCheckBox>(plain, "keepOnTopCheck")->isVisibleTo(&plain));
  EXPECT_FALSE(plain.keptOnTop());
  EXPECT_EQ(plain.parentWidget(), &window());
}

TEST_F(EventDialogTest, TheEventPreviewRestoresTheSettingsWhenItsBuildFails) {
  GUICore::State().settings.preloader = 1;
  EventDialog& d = OpenImage();
  auto& m = GUICore::State();
  m.paths.scratch = temp.path() / "no" / "such" / "folder";
  QTest::mouseClick(Control<QPushButton>(d, "eventPreviewButton"), Qt::LeftButton);
  EXPECT_EQ(m.settings.width, 320);
  EXPECT_EQ(m.settings.preloader, 1);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "エラー");

  // While Make SWF runs, the preview writes nothing.
  m.paths.scratch = temp.path();
  {
    GUICore::BuildLock build;
    QTest::mouseClick(Control<QPushButton>(d, "eventPreviewButton"), Qt::LeftButton);
  }
  EXPECT_FALSE(std::filesystem::exists(temp.path() / GUICore::kEventPreviewMovie));
  EXPECT_FALSE(gui::PreviewWindow::isLoaded());
  QTest::mouseClick(Control<QPushButton>(d, "eventPreviewButton"), Qt::LeftButton);
  const std::filesystem::path movie = temp.path() / GUICore::kEventPreviewMovie;
  EXPECT_TRUE(std::filesystem::exists(movie));
  // The movie plays in the preview window, at the stage's size.
  ASSERT_TRUE(gui::PreviewWindow::isShownNow());
  ASSERT_NE(hosts.last(), nullptr);
  EXPECT_EQ(hosts.last()->calls.value(0), QStringLiteral("load ") + QString::fromStdString(movie.string()));
  EXPECT_EQ(hosts.last()->calls.value(1), QStringLiteral("play"));
  EXPECT_EQ(gui::PreviewWindow::instance()->flash()->size(), QSize(320, 320));
  // A second preview replaces the window that shows the first.
  const int made = hosts.made();
  QTest::mouseClick(Control<QPushButton>(d, "eventPreviewButton"), Qt::LeftButton);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(hosts.made(), made + 1);
  EXPECT_TRUE(gui::PreviewWindow::isShownNow());
  EXPECT_EQ(m.settings.preloader, 1);
}

TEST_F(EventDialogTest, CtrlPAndInsertingAnActionOpenItFromTheList) {
  Item(1, StoreItemKind::RasterImage);
  Events({Image(1)});
  Select({0});
  FocusList();
  ASSERT_TRUE(Control<QAction>(window(), "eventPropertiesAction")->isEnabled());
  QTest::keyClick(Control<QWidget>(window(), "PictEventList"), Qt::Key_P, Qt::ControlModifier);
  Settle();
  ASSERT_TRUE(EventDialog::isShownNow());
  EXPECT_EQ(Control<QLineEdit>(EventDialog::instance(), "itemIdBox")->text(), "1");
  EventDialog::UnloadInstance();

  // A new action event opens the dialog on itself, at its action list.
  FocusList();
  Control<QAction>(window(), "insertActionEventAction")->trigger();
  Settle();
  ASSERT_TRUE(EventDialog::isShownNow());
  EventDialog& d = *EventDialog::instance();
  EXPECT_EQ(GUICore::GetEvent(1).itemId, 0);
  EXPECT_TRUE(Control<QGroupBox>(d, "actionGroup")->isVisibleTo(&d));
  EXPECT_EQ(Control<QComboBox>(d, "actionList")->currentIndex(), -1);
  EXPECT_EQ(Control<QLabel>(d, "parameterHintLabel")->text(), QStringLiteral("アクションを選択してください"));
  EXPECT_EQ(d.focusWidget(), Control<QComboBox>(d, "actionList"));
}

TEST_F(EventDialogTest, EventsAddedFromTheFileListRefreshTheDialogAndTheScriptPanel) {
  Item(1, StoreItemKind::RasterImage);
  EventRecord script;
  script.itemId = 0;
  script.kind = static_cast<int16_t>(ActionKind::Script);
  script.text2 = "stop();";
  Events({script});
  Prefs::Current().dockScriptEditor = 1;
  Prefs::Current().dispEventProperty = 1;
  Select({0});
  Control<QAction>(window(), "scriptEditorAction")->trigger();  // the panel shows the selection's script
  Settle();
  ASSERT_EQ(ScriptEditorModule::ModuleState().target.index, 1);
  EventDialog& d = Open();
  ASSERT_EQ(Control<QComboBox>(d, "actionList")->currentIndex(), 13);

  FileListModule::BuildFileRows(false);
  auto& files = FileListModule::Current().rows;
  for (int32_t r = 1; r <= files.count(); ++r) files.at(r).selected = files.at(r).id == 1 ? -1 : 0;
  Control<QAction>(window(), "addToEventsAction")->trigger();
  ASSERT_EQ(GUICore::EventCount(), 2);
  ASSERT_EQ(GUICore::GetEvent(1).itemId, 1);
  // The dialog shows the new event; the panel follows the script, which
  // moved one row down.
  EXPECT_EQ(EventDialog::instance(), &d);
  EXPECT_EQ(Control<QLineEdit>(d, "itemIdBox")->text(), "1");
  EXPECT_TRUE(Control<QGroupBox>(d, "drawPositionGroup")->isVisibleTo(&d));
  EXPECT_EQ(ScriptEditorModule::ModuleState().target.index, 2);
  EXPECT_EQ(Control<QPlainTextEdit>(window().centralWidget(), "scriptEdit")->toPlainText(), QStringLiteral("stop();"));
}

TEST_F(EventDialogTest, ScriptButtonsOpenTheEditorAndItsEditsComeBackIntoTheBoxes) {
  Item(4, StoreItemKind::Sprite);
  EventRecord script;
  script.itemId = 0;
  script.kind = static_cast<int16_t>(ActionKind::Script);
  script.text2 = "stop();\r\nplay();";
  EventRecord sprite;
  sprite.itemId = 4;
  sprite.text2 = "onClipEvent(load){}";
  Events({script, sprite});
  Prefs::Current().dockScriptEditor = 1;
  Prefs::Current().dispEventProperty = 1;
  Select({0});
  EventDialog& d = Open();
  EXPECT_EQ(Control<QLineEdit>(d, "secondParameterBox")->text(),
            QStringLiteral("stop();\r\nplay();"));  // the script, kept exactly
  ASSERT_TRUE(Control<QPushButton>(d, "actionScriptButton")->isVisibleTo(&d));
  QTest::mouseClick(Control<QPushButton>(d, "actionScriptButton"), Qt::LeftButton);
  EXPECT_TRUE(Control<QAction>(window(), "scriptEditorAction")->isChecked());
  QPlainTextEdit* const panel = Control<QPlainTextEdit>(window().centralWidget(), "scriptEdit");
  EXPECT_EQ(panel->toPlainText(), QStringLiteral("stop();\nplay();"));

  // An edit in the panel reaches the event and the dialog's hidden box, so
  // that Apply does not write the old script back.
  panel->setPlainText(QStringLiteral("gotoAndPlay(2);"));
  EXPECT_EQ(Control<QLineEdit>(d, "secondParameterBox")->text(), QStringLiteral("gotoAndPlay(2);"));
  Type(Control<QLineEdit>(d, "firstParameterBox"), "note");
  QTest::mouseClick(Control<QPushButton>(d, "applyButton"), Qt::LeftButton);
  EXPECT_EQ(GUICore::GetEvent(1).text1, "note");
  EXPECT_EQ(GUICore::GetEvent(1).text2, "gotoAndPlay(2);");

  // With both scripts selected the dialog shows neither, and an edit in the
  // panel stays with its own event when the dialog is applied.
  EventRecord other = script;
  other.text2 = "nextFrame();";
  GUICore::SetEvent(2, other);
  EventListModule::LoadRows();
  Select({0, 1});
  window().ListEventPropertyLoad();
  panel->setPlainText(QStringLiteral("prevFrame();"));
  EXPECT_EQ(Control<QLineEdit>(d, "secondParameterBox")->text(), QString());
  Control<QComboBox>(d, "actionList")->setCurrentIndex(static_cast<int>(ActionKind::Script));
  QTest::mouseClick(Control<QPushButton>(d, "applyButton"), Qt::LeftButton);
  EXPECT_EQ(GUICore::GetEvent(1).text2, "prevFrame();");
  EXPECT_EQ(GUICore::GetEvent(2).text2, "nextFrame();");
  GUICore::SetEvent(2, sprite);
  EventListModule::LoadRows();

  Select({1});
  window().ListEventPropertyLoad();
  QTest::mouseClick(Control<QPushButton>(d, "clipScriptButton"), Qt::LeftButton);
  EXPECT_EQ(panel->toPlainText(), QStringLiteral("onClipEvent(load){}"));
  // A script far longer than a line box usually takes comes back whole.
  std::string longScript;
  while (longScript.size() < 70000) longScript += "trace(\"a line of the script\");\r\n";
  sprite.text2 = longScript;
  GUICore::SetEvent(2, sprite);
  window().ListEventPropertyLoad();
  Type(Control<QLineEdit>(d, "instanceNameBox"), "clip");
  QTest::mouseClick(Control<QPushButton>(d, "applyButton"), Qt::LeftButton);
  EXPECT_EQ(GUICore::GetEvent(2).text1, "clip");
  EXPECT_EQ(GUICore::GetEvent(2).text2.size(), longScript.size());
}

}  // namespace
}  // namespace tesmiro::testing
