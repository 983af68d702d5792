// The rules of the event list's mouse and keys that its window tests do not
// reach (drags past the edges, odd modifiers, an empty list, pages), the
// Edit-menu states and the wheel, without a window.
#include <gtest/gtest.h>

#include "project/event_list_input.h"
#include "project/events.h"
#include "project/model_fixture.h"

namespace tesmiro {
namespace {

namespace elm = EventListModule;
using elm::kAlt;
using elm::kCtrl;
using elm::kLeftButton;
using elm::kRightButton;
using elm::kShift;

class EventListInputTest : public testing::ModelTest {
 protected:
  // Ten events (row 10 is the end row); rows 13 pixels high, 100 visible.
  void SetUp() override {
    ModelTest::SetUp();
    image = AddItem("jpg", "/a.jpg");
    for (int i = 0; i < 10; ++i) {
      EventRecord e;
      e.itemId = i == 7 ? 0 : image;
      if (i == 7) e.kind = static_cast<int16_t>(ActionKind::Label);
      GUICore::InsertEvent(e, GUICore::EventCount());
    }
    elm::ClearRowSelection();
    elm::EventListGeometry g;
    g.width = 300;
    g.height = 100;
    elm::SetGeometry(g);
  }
  static int32_t Y(int32_t row) { return (row - elm::ScrollValue() + 1) * 13 + 6; }
  static std::vector<int32_t> Selected() {
    std::vector<int32_t> rows;
    for (int32_t r = 0; r < elm::RowCount(); ++r) {
      if (elm::Current().rows[static_cast<size_t>(r)].selected) rows.push_back(r);
    }
    return rows;
  }
  static void Click(int32_t row, int32_t shift = 0, int32_t button = kLeftButton) {
    elm::MouseDown(button, shift, Y(row));
    elm::MouseUp(button, shift, 0, Y(row));
  }
  static int32_t Current() { return elm::Current().currentRow; }
  int32_t image = 0;
};

using Rows = std::vector<int32_t>;

TEST_F(EventListInputTest, BelowTheEndRow) {
  Click(4);
  Click(3, kShift);
  elm::SetScrollValue(elm::Current().vBar.max);  // the end row ends at y 91
  elm::MouseDown(kLeftButton, 0, 94);
  EXPECT_TRUE(Selected().empty());
  EXPECT_FALSE(elm::Current().mouseSelecting);

  // A band dragged past the end row and released there leaves the current
  // row on the end row, inside the list.
  elm::MouseDown(kLeftButton, 0, Y(8));
  elm::MouseMove(kLeftButton, 0, 10, Y(9));
  elm::MouseMove(kLeftButton, 0, 10, 94);
  elm::MouseUp(kLeftButton, 0, 10, 94);
  EXPECT_EQ(Current(), 10);
  EXPECT_EQ(Selected(), (Rows{8, 9}));
}

TEST_F(EventListInputTest, AltOrCtrlShiftPressStartsAPlainDrag) {
  Click(2);
  elm::MouseDown(kLeftButton, kCtrl, Y(2));  // deselects: paint value False
  elm::MouseUp(kLeftButton, kCtrl, 0, Y(2));
  Click(6, kCtrl);
  for (int32_t mods : {int32_t{kAlt}, int32_t{kCtrl | kShift}}) {
    elm::MouseDown(kLeftButton, mods, Y(3));
    EXPECT_EQ(Selected(), (Rows{6}));  // the press keeps the selection
    elm::MouseMove(kLeftButton, mods, 10, Y(5));
    EXPECT_EQ(Selected(), (Rows{3, 4, 5}));
    elm::MouseUp(kLeftButton, mods, 10, Y(5));
    Click(6);
  }
}

TEST_F(EventListInputTest, DragScrollsOneRowPerMoveNearTheBottom) {
  elm::MouseDown(kLeftButton, 0, Y(2));
  elm::MouseMove(kLeftButton, 0, 10, 97);
  EXPECT_EQ(elm::ScrollValue(), 2);
  elm::MouseMove(kLeftButton, 0, 10, 97);
  EXPECT_EQ(elm::ScrollValue(), 3);
  elm::MouseMove(kLeftButton, 0, 10, 3);
  EXPECT_EQ(elm::ScrollValue(), 2);
  elm::MouseUp(kLeftButton, 0, 10, 3);
}

TEST_F(EventListInputTest, PagesAndLabelsWithAlt) {
  elm::Current().currentRow = 6;
  elm::KeyDown(elm::kKeyDown, kAlt);
  EXPECT_EQ(Current(), 7);  // the label
  elm::KeyDown(elm::kKeyDown, kAlt);
  EXPECT_EQ(Current(), 10);  // no label below: the end row
  elm::KeyDown(elm::kKeyPageUp, 0);
  EXPECT_EQ(Current(), 10 - elm::Current().vBar.largeChange);
  EXPECT_EQ(elm::ScrollValue(), 3);  // scrolled up to show it
  EXPECT_FALSE(elm::KeyDown(65, 0));
}

TEST_F(EventListInputTest, NoRowsNoInput) {
  elm::ResetState();
  EXPECT_TRUE(elm::KeyDown(elm::kKeyDown, kShift));
  elm::MouseDown(kLeftButton, 0, 5);
  elm::MouseMove(kLeftButton, 0, 5, 50);
  EXPECT_FALSE(elm::MouseUp(kRightButton, 0, 5, 50));
  EXPECT_EQ(elm::RowCount(), 0);
}

TEST_F(EventListInputTest, FocusMenuStates) {
  Click(7);  // the label: no material
  auto m = elm::FocusMenuState(false, true, false, true);
  EXPECT_FALSE(m.syncChecked);
  EXPECT_FALSE(m.syncEnabled);
  EXPECT_FALSE(m.undo);
  EXPECT_FALSE(m.paste);
  EXPECT_TRUE(m.copy && m.cut && m.remove && m.selectAll && m.property && m.insertAction);
  Click(1);
  m = elm::FocusMenuState(false, true, false, true);
  EXPECT_TRUE(m.syncEnabled);
  m = elm::FocusMenuState(true, true, false, false);
  EXPECT_TRUE(m.syncChecked && m.syncEnabled);
  EXPECT_FALSE(m.insertAction);
  m = elm::BlurMenuState(true);
  EXPECT_FALSE(m.undo || m.redo || m.copy || m.cut || m.paste || m.selectAll || m.remove || m.property ||
               m.syncEnabled || m.insertAction);
}

TEST(WheelTest, WholeNotchesPerListTheSameBothWays) {
  BasWheelMouse::WheelState wheel;
  BasWheelMouse::HookWheel(wheel, BasWheelMouse::kFileList);
  BasWheelMouse::HookWheel(wheel, BasWheelMouse::kEventList);  // the file list keeps it
  EXPECT_EQ(wheel.hooked, BasWheelMouse::kFileList);
  BasWheelMouse::UnhookWheel(wheel);
  EXPECT_EQ(wheel.hooked, "");

  const std::string list = BasWheelMouse::kEventList;
  EXPECT_EQ(BasWheelMouse::WheelRows(wheel, list, -120, 3), 3);
  EXPECT_EQ(BasWheelMouse::WheelRows(wheel, list, 120, 3), -3);
  EXPECT_EQ(BasWheelMouse::WheelRows(wheel, list, 40, 1), 0);
  EXPECT_EQ(BasWheelMouse::WheelRows(wheel, list, 40, 1), 0);
  EXPECT_EQ(BasWheelMouse::WheelRows(wheel, list, 40, 1), -1);
  EXPECT_EQ(BasWheelMouse::WheelRows(wheel, list, -40, 1), 0);
  EXPECT_EQ(BasWheelMouse::WheelRows(wheel, list, -40, 1), 0);
  EXPECT_EQ(BasWheelMouse::WheelRows(wheel, list, -40, 1), 1);
  // A turn drops the part notch; the other list sums on its own.
  EXPECT_EQ(BasWheelMouse::WheelRows(wheel, list, 100, 1), 0);
  EXPECT_EQ(BasWheelMouse::WheelRows(wheel, BasWheelMouse::kFileList, 100, 1), 0);
  EXPECT_EQ(BasWheelMouse::WheelRows(wheel, list, -100, 1), 0);
  EXPECT_EQ(BasWheelMouse::WheelRows(wheel, list, -20, 1), 1);
  EXPECT_EQ(BasWheelMouse::WheelRows(wheel, BasWheelMouse::kFileList, 20, 1), -1);
  EXPECT_EQ(BasWheelMouse::WheelRows(wheel, list, 2147483647, 16), -286331152);
}

}  // namespace
}  // namespace tesmiro
