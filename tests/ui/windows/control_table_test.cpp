// A dialog's controls declared as rows: each row's control is made in its
// member, sits in the control its row names, and takes its caption by kind;
// the rows' order is the tab order.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <gtest/gtest.h>
#include <vector>

#include "ui/common/dialog_support.h"

namespace tesmiro::testing {
namespace {

using gui::PlaceControls;
using gui::Row;

struct Controls {
  QWidget window;
  QGroupBox* group = nullptr;
  QLabel* label = nullptr;
  QLineEdit* box = nullptr;
  QCheckBox* check = nullptr;
  QPushButton* button = nullptr;
};

TEST(ControlTable, RowsMakeNamePlaceAndCaptionTheirControls) {
  Controls c;
  std::vector<QWidget*> finished;
  PlaceControls(&c.window,
                {
                    Row(c.group, "group", {}, {4, 6, 200, 100}, QStringLiteral("枠")),
                    Row(c.label, "label", "group", {8, 20, 40, 18}, QStringLiteral("名前")),
                    Row(c.box, "box", "group", {50, 18, 60, 20}),
                    Row(c.check, "check", "group", {8, 44, 80, 20}, QStringLiteral("前面")),
                    Row(c.button, "button", {}, {120, 110, 80, 24}, QStringLiteral("閉じる(&X)")),
                },
                [&finished](QWidget* w) { finished.push_back(w); });

  ASSERT_TRUE(c.group && c.label && c.box && c.check && c.button);
  EXPECT_EQ(c.group->parentWidget(), &c.window);
  EXPECT_EQ(c.label->parentWidget(), c.group);
  EXPECT_EQ(c.check->parentWidget(), c.group);
  EXPECT_EQ(c.button->parentWidget(), &c.window);
  EXPECT_EQ(c.box->objectName(), QStringLiteral("box"));
  EXPECT_EQ(c.box->geometry(), QRect(50, 18, 60, 20));
  EXPECT_EQ(c.button->geometry(), QRect(120, 110, 80, 24));
  EXPECT_EQ(c.group->title(), QStringLiteral("枠"));
  EXPECT_EQ(c.label->text(), QStringLiteral("名前"));
  EXPECT_EQ(c.check->text(), QStringLiteral("前面"));
  EXPECT_EQ(c.button->text(), QStringLiteral("閉じる(&X)"));
  EXPECT_TRUE(c.box->text().isEmpty());
  EXPECT_EQ(finished, (std::vector<QWidget*>{c.group, c.label, c.box, c.check, c.button}));
}

TEST(ControlTable, TabOrderFollowsTheRows) {
  Controls c;
  // The box comes before the check box in the rows though it lies below it.
  PlaceControls(&c.window, {
                               Row(c.box, "box", {}, {8, 40, 60, 20}),
                               Row(c.check, "check", {}, {8, 8, 80, 20}, QStringLiteral("前面")),
                               Row(c.button, "button", {}, {8, 70, 80, 24}, QStringLiteral("OK")),
                           });
  EXPECT_EQ(c.box->nextInFocusChain(), c.check);
  EXPECT_EQ(c.check->nextInFocusChain(), c.button);
}

}  // namespace
}  // namespace tesmiro::testing
