// A bar and its number box kept in step, with the ways the dialogs differ:
// the box's own text form, a box the user is typing in, a loading pause and
// the box's change caused by the bar's own write.
#include <QLineEdit>
#include <QScrollBar>
#include <QStringList>
#include <QWidget>
#include <gtest/gtest.h>

#include "ui/common/slider_with_box.h"

namespace tesmiro::testing {
namespace {

using gui::SliderWithBox;

struct Pair {
  explicit Pair(SliderWithBox::Options options) {
    slider->setRange(0, 100);
    joined = new SliderWithBox(slider, box, std::move(options), &window);
    joined->onMoved([this] { events << QStringLiteral("moved ") + box->text(); });
    joined->onEdited([this] { events << QStringLiteral("edited %1").arg(slider->value()); });
  }
  QWidget window;
  QScrollBar* slider = new QScrollBar(&window);
  QLineEdit* box = new QLineEdit(&window);
  SliderWithBox* joined = nullptr;
  QStringList events;
};

SliderWithBox::Options Percent() {
  SliderWithBox::Options o;
  o.text = [](int v) { return QString::number(v) + QStringLiteral("%"); };
  o.value = [](const std::string& text, int min, int max) -> std::optional<int> {
    const int v = QString::fromStdString(text).remove(QLatin1Char('%')).toInt();
    if (v < min || v > max) return std::nullopt;
    return v;
  };
  return o;
}

TEST(SliderWithBox, TypedTextIsKeptOnlyWhenAskedAndWhileItSaysTheValue) {
  Pair plain(Percent());
  plain.box->setText(QStringLiteral("07"));
  EXPECT_EQ(plain.slider->value(), 7);
  EXPECT_EQ(plain.box->text(), QStringLiteral("7%"));  // the bar's move rewrote it

  SliderWithBox::Options keep = Percent();
  keep.keepTypedText = true;
  Pair typing(keep);
  typing.box->setText(QStringLiteral("07"));
  EXPECT_EQ(typing.box->text(), QStringLiteral("07"));
  EXPECT_EQ(typing.events, QStringList({QStringLiteral("moved 07"), QStringLiteral("edited 7")}));
  typing.slider->setValue(8);
  EXPECT_EQ(typing.box->text(), QStringLiteral("8%"));
}

TEST(SliderWithBox, APauseStopsBothWaysButTheHandlersStillRun) {
  bool loading = true;
  SliderWithBox::Options o = Percent();
  o.paused = &loading;
  Pair pair(o);
  pair.slider->setValue(40);
  pair.box->setText(QStringLiteral("60"));
  EXPECT_EQ(pair.slider->value(), 40);
  EXPECT_EQ(pair.box->text(), QStringLiteral("60"));
  EXPECT_EQ(pair.events, QStringList({QStringLiteral("moved ")}));  // the box was still empty
  loading = false;
  pair.joined->showValue();
  EXPECT_EQ(pair.box->text(), QStringLiteral("40%"));
}

TEST(SliderWithBox, TheBarsOwnWriteCanBeKeptFromReachingBack) {
  SliderWithBox::Options o = Percent();
  o.muteOwnWrite = true;
  Pair pair(o);
  pair.slider->setValue(30);
  EXPECT_EQ(pair.events, QStringList({QStringLiteral("moved 30%")}));
  pair.box->setText(QStringLiteral("55"));
  EXPECT_EQ(pair.slider->value(), 55);
  EXPECT_EQ(pair.box->text(), QStringLiteral("55%"));
  pair.box->setText(QStringLiteral("500"));  // off the bar: left alone
  EXPECT_EQ(pair.slider->value(), 55);
}

}  // namespace
}  // namespace tesmiro::testing
