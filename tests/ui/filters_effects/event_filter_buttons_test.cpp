// The event dialog's filter buttons: the filter dialog opens at the cursor
// over the event dialog, and its result reaches both ends of the motion.
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "project/events.h"
#include "project/filter_work_area.h"
#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/preferences.h"
#include "support/find_control.h"
#include "support/main_gui_fixture.h"
#include "ui/common/dialog_support.h"
#include "ui/dialogs/event_dialog.h"
#include "ui/dialogs/filter_dialog.h"

namespace tesmiro::testing {
namespace {

using gui::EventDialog;
using gui::FilterDialog;
using Work = GUICore::FilterWorkArea;

class EventFilterButtonsTest : public MainGuiTest {
 protected:
  void SetUp() override {
    start();
    Prefs::Current().windowTopward = 1;  // the keep-on-top box offered, not ticked
    GUICore::State().settings.options = "  8 ";
    StoreItem item = NewStoreItem(StoreItemKind::RasterImage);
    item.id = 1;
    GUICore::State().store.push_back(item);
    EventRecord e = NewEventFor(StoreItemKind::RasterImage);
    e.itemId = 1;
    e.frameCount = 10;
    GUICore::State().events.push_back(e);
    EventListModule::LoadRows();
    auto& v = EventListModule::Current();
    EventListModule::ClearRowSelection();
    v.rows[0].selected = -1;
    v.currentRow = 0;
    window().ListEventProperty();
    Settle();
    ASSERT_NE(EventDialog::instance(), nullptr);
  }
  static EventDialog& Dialog() { return *EventDialog::instance(); }
};

TEST_F(EventFilterButtonsTest, OkGivesBothEndsTheSameFiltersAndCancelChangesNothing) {
  EventDialog& d = Dialog();
  // The move target is in use already, with a glow of its own.
  FilterState& end = GUICore::WorkArea().states[Work::kEnd];
  end.inUse = -1;
  end.glow = -1;
  end.glowParams.blurX = 30;
  end.blurParams.blurX = 2;
  end.blurParams.knockout = 0;
  Control<QPushButton>(d, "applyButton")->setEnabled(false);
  desktop.placement.cursor = QPoint(120, 90);

  QWidget* owner = nullptr;
  QPoint corner;
  int opened = 0;
  gui::ScopedModalRunner runner([&](QDialog& dialog) {
    auto* f = qobject_cast<FilterDialog*>(&dialog);
    EXPECT_NE(f, nullptr);
    if (!f) return int(QDialog::Rejected);
    ++opened;
    owner = f->parentWidget();
    corner = f->frameGeometry().topLeft();
    Control<QListWidget>(f, "filterList")->item(2)->setCheckState(Qt::Checked);  // blur
    Control<QLineEdit>(f, "blurXBox")->setText(QStringLiteral("9"));
    Control<QCheckBox>(f, "knockoutCheck")->setChecked(true);
    Control<QPushButton>(f, "okButton")->click();
    return dialog.result();
  });
  QTest::mouseClick(Control<QPushButton>(d, "filterButtons_0"), Qt::LeftButton);
  ASSERT_EQ(opened, 1);
  EXPECT_EQ(owner, &d);
  EXPECT_EQ(corner, QPoint(120, 90));

  const FilterState& start = GUICore::WorkArea().states[Work::kStart];
  EXPECT_EQ(start.inUse, -1);
  EXPECT_NE(start.blur, 0);
  EXPECT_EQ(start.blurParams.blurX, 9.0f);
  EXPECT_NE(start.blurParams.knockout, 0);
  // The other end takes the switches and keeps its own values.
  EXPECT_EQ(end.blur, start.blur);
  EXPECT_EQ(end.glow, 0);
  EXPECT_EQ(end.blurParams.blurX, 2.0f);
  EXPECT_EQ(end.glowParams.blurX, 30.0f);
  EXPECT_EQ(end.blurParams.knockout, start.blurParams.knockout);
  EXPECT_TRUE(Control<QPushButton>(d, "applyButton")->isEnabled());  // changed

  // Cancel on the move target: nothing moves, nothing is marked changed.
  const auto before = GUICore::WorkArea().states;
  Control<QPushButton>(d, "applyButton")->setEnabled(false);
  gui::ScopedModalRunner cancel([&](QDialog& dialog) {
    auto* f = qobject_cast<FilterDialog*>(&dialog);
    if (!f) return int(QDialog::Rejected);
    Control<QListWidget>(f, "filterList")->item(0)->setCheckState(Qt::Checked);
    Control<QPushButton>(f, "cancelButton")->click();
    return dialog.result();
  });
  QTest::mouseClick(Control<QPushButton>(d, "filterButtons_1"), Qt::LeftButton);
  EXPECT_EQ(GUICore::WorkArea().states[Work::kStart], before[Work::kStart]);
  EXPECT_EQ(GUICore::WorkArea().states[Work::kEnd], before[Work::kEnd]);
  EXPECT_EQ(GUICore::WorkArea().states[Work::kEdited].inUse, 0);
  EXPECT_FALSE(Control<QPushButton>(d, "applyButton")->isEnabled());
}

TEST_F(EventFilterButtonsTest, AnEndNeverEditedTakesAWholeCopyAndTheWindowIsOnTopAgain) {
  EventDialog& d = Dialog();
  QTest::mouseClick(Control<QCheckBox>(d, "keepOnTopCheck"), Qt::LeftButton);
  ASSERT_TRUE(d.keptOnTop());
  desktop.placement.keepOnTop.clear();

  bool onTopMeanwhile = true;
  gui::ScopedModalRunner runner([&](QDialog& dialog) {
    auto* f = qobject_cast<FilterDialog*>(&dialog);
    if (!f) return int(QDialog::Rejected);
    onTopMeanwhile = d.keptOnTop();
    Control<QListWidget>(f, "filterList")->item(3)->setCheckState(Qt::Checked);  // glow
    Control<QLineEdit>(f, "blurXBox")->setText(QStringLiteral("12"));
    Control<QPushButton>(f, "okButton")->click();
    return dialog.result();
  });
  QTest::mouseClick(Control<QPushButton>(d, "filterButtons_1"), Qt::LeftButton);
  EXPECT_FALSE(onTopMeanwhile);
  EXPECT_TRUE(d.keptOnTop());
  ASSERT_FALSE(desktop.placement.keepOnTop.empty());
  EXPECT_TRUE(desktop.placement.keepOnTop.back().second);

  const auto& states = GUICore::WorkArea().states;
  EXPECT_NE(states[Work::kEnd].glow, 0);
  EXPECT_EQ(states[Work::kEnd].glowParams.blurX, 12.0f);
  EXPECT_EQ(states[Work::kStart], states[Work::kEnd]);
}

}  // namespace
}  // namespace tesmiro::testing
