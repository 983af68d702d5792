// The texts, categories and start frames of the event list's rows.
#include <gtest/gtest.h>

#include "project/event_list_rows.h"
#include "project/events.h"
#include "project/model_fixture.h"

namespace tesmiro {
namespace {

using EventListModule::FormatEventRow;

class EventRowsTest : public testing::ModelTest {
 protected:
  static EventRecord Material(int32_t id, int32_t frames = 1) {
    EventRecord e;
    e.itemId = id;
    e.frameCount = frames;
    return e;
  }
  static EventRecord Action(ActionKind kind, int32_t frames = 1, std::string text = "") {
    EventRecord e;
    e.itemId = 0;
    e.kind = static_cast<int16_t>(kind);
    e.frameCount = frames;
    e.text1 = std::move(text);
    return e;
  }
  static void Append(EventRecord e) { GUICore::InsertEvent(e, GUICore::EventCount()); }
  static const EventListRow& Row(int32_t r) { return EventListModule::Current().rows.at(static_cast<size_t>(r)); }
  static const EventListModule::EventRowText& Text(int32_t r) { return EventListModule::RowText(r); }
};

TEST_F(EventRowsTest, EmptyTimelineShowsTheEndRowFromFrameOneOrTwo) {
  ASSERT_EQ(EventListModule::RowCount(), 1);
  EXPECT_EQ(Text(0).kind, "────");
  EXPECT_EQ(Row(0).itemId, -1);
  EXPECT_EQ(Row(0).startFrame, 1);
  GUICore::State().settings.preloader = 1;
  EventListModule::LoadRows();
  EXPECT_EQ(Row(0).startFrame, 2);
  EXPECT_EQ(Row(0).frameText, "    2");
}

TEST_F(EventRowsTest, RowsAreFormattedWhenFirstRead) {
  int32_t image = AddItem("jpg", "/a.jpg");
  for (int i = 0; i < 3; ++i) Append(Material(image));
  EventListModule::LoadRows();
  EXPECT_FALSE(Row(1).text.ready());
  EXPECT_EQ(Text(1).kind, "画像  　 ");
  EXPECT_TRUE(Row(1).text.ready());
  // A changed event is formatted again from the working list.
  EventRecord e = Action(ActionKind::Play);
  GUICore::SetEvent(2, e);
  EventListModule::SetRow(e, 1, false);
  EXPECT_EQ(Text(1).id, "再生");
  EXPECT_EQ(Text(3).kind, "────");
}

TEST_F(EventRowsTest, StartFramesSkipRowsOnTheFrameAbove) {
  int32_t image = AddItem("jpg", "/a.jpg");
  Append(Material(image, 0));
  Append(Material(image, 5));
  Append(Action(ActionKind::Label, 3, "L"));
  EXPECT_EQ(Row(0).frameText, "    1");
  EXPECT_EQ(Row(1).frameText, "");
  EXPECT_EQ(Row(1).startFrame, -1);
  EXPECT_EQ(Row(2).frameText, "    6");
  EXPECT_EQ(Row(3).startFrame, 9);
  EXPECT_EQ(Text(0).count, "");
  EXPECT_EQ(Text(1).count, "   5");
}

TEST_F(EventRowsTest, SoundDetailsWithModeAndVolume) {
  int32_t sound = AddItem("mp3", "/s.mp3");
  EventRecord e = Material(sound, 0);
  e.kind = static_cast<int16_t>(SoundMode::Loop);
  e.text1 = "vol80;80";
  auto t = FormatEventRow(e);
  EXPECT_EQ(t.detail, "＞[再生] (ループ) [音量：80]");
  EXPECT_EQ(t.kind, "ｻｳﾝﾄﾞ");
  EXPECT_EQ(t.id, " 0001");
  EXPECT_EQ(t.depth, "");
  EXPECT_EQ(t.icon, 2);
  EXPECT_EQ(t.category, kColorSound);
  e.text1 = "vol100;100";
  EXPECT_EQ(FormatEventRow(e).detail, "＞[再生] (ループ)");
  e.text1 = "vol80;60";
  EXPECT_EQ(FormatEventRow(e).detail, "＞[再生] (ループ) [音量：L80 R60]");
  e.kind = static_cast<int16_t>(SoundMode::Stop);
  EXPECT_EQ(FormatEventRow(e).detail, "□[停止]");
  e.kind = static_cast<int16_t>(SoundMode::StopStreaming);
  EXPECT_EQ(FormatEventRow(e).detail, "□[停止] (ストリーミング)");
  e.kind = -1;
  EXPECT_EQ(FormatEventRow(e).detail, "     ");
  // Modes a foreign file may hold show nothing rather than a stray slice.
  for (int16_t mode : {-2, -300, 5, 99}) {
    e.kind = mode;
    EXPECT_EQ(FormatEventRow(e).detail, "") << mode;
  }
}

TEST_F(EventRowsTest, MaterialStatesInFixedWidthFields) {
  int32_t image = AddItem("jpg", "/a.jpg");
  EventRecord e = Material(image, 1);
  e.startX = 10;
  e.startY = 20;
  e.startScaleX = 1;
  e.startScaleY = 2;
  e.startAngle = 45;
  e.depth = -3;
  const std::string start = "[     (10,20)       x1:2   45ﾟ ]";
  auto t = FormatEventRow(e);
  EXPECT_EQ(t.detail, start);
  EXPECT_EQ(t.kind, "画像  　 ");
  EXPECT_EQ(t.depth, "  -3");
  EXPECT_EQ(t.icon, 1);
  EXPECT_EQ(t.category, kColorRasterImage);
  e.frameCount = 0;
  EXPECT_EQ(FormatEventRow(e).detail, start + " (固定)");
  e.frameCount = 3;
  e.endScaleX = e.endScaleY = 0.5f;
  e.endAngle = -123456.0f;  // too wide: loses its leading characters
  EXPECT_EQ(FormatEventRow(e).detail, start + "⇒[       (0,0)       x0.523456ﾟ ]");
  e.guideMode = 1;
  e.anchors.resize(2);
  EXPECT_EQ(FormatEventRow(e).detail.substr(start.size(), 9), "→(2)→");
  e.frameCount = 123456;
  EXPECT_EQ(FormatEventRow(e).count, "3456");
}

TEST_F(EventRowsTest, MarksAndTheirCategoriesOverrideInOrder) {
  int32_t sprite = AddItem("sprite");
  EventRecord e = Material(sprite);
  e.buttonFlag = 1;
  EXPECT_EQ(FormatEventRow(e).category, kColorButton);
  EXPECT_EQ(FormatEventRow(e).kind, "ｽﾌﾟﾗｲﾄ◎ ");
  e.text2 = "stop();";
  EXPECT_EQ(FormatEventRow(e).category, kColorSpriteWithScript);
  e.maskFlag = 1;
  e.maskDepth = 7;
  e.text1 = "clip";
  e.startFilters.inUse = -1;
  e.startFilters.colorTransform = -1;
  e.startFilters.glow = 1;
  e.startFilters.blur = 1;
  auto t = FormatEventRow(e);
  EXPECT_EQ(t.kind, "ｽﾌﾟﾗｲﾄ●MB");
  EXPECT_EQ(t.category, kColorMask);
  EXPECT_EQ(EventListModule::EventRowCategory(e), kColorMask);
  EXPECT_NE(t.detail.find(" ﾏｽｸ(7) [clip]"), std::string::npos);
  e.startFilters.inUse = 0;  // filters of an unused state show no letter
  EXPECT_EQ(FormatEventRow(e).kind, "ｽﾌﾟﾗｲﾄ●M");
}

TEST_F(EventRowsTest, MissingMaterialIsUnknown) {
  auto t = FormatEventRow(Material(77));
  EXPECT_EQ(t.kind, " ???? 　 ");
  EXPECT_EQ(t.category, kColorUnknownKind);
  EXPECT_EQ(t.icon, 0);
  EXPECT_EQ(t.id, " 0077");
}

TEST_F(EventRowsTest, ActionRows) {
  auto t = FormatEventRow(Action(ActionKind::DoNothing, 3));
  EXPECT_EQ(t.detail, "何もしない (3ﾌﾚｰﾑ)");
  EXPECT_EQ(t.count, "   3");
  EXPECT_EQ(t.category, 12);
  EXPECT_EQ(t.icon, 0);
  EXPECT_EQ(FormatEventRow(Action(ActionKind::Label, 1, "top")).detail, "■[top]");
  EXPECT_EQ(FormatEventRow(Action(ActionKind::Label)).kind, "ﾗﾍﾞﾙ");
  EventRecord url = Action(ActionKind::GetURL, 1, "http://x");
  url.text2 = "_blank";
  EXPECT_EQ(FormatEventRow(url).detail, "URL:[http://x] ﾀｰｹﾞｯﾄ:[_blank]");
  EXPECT_EQ(FormatEventRow(Action(ActionKind::EraseImages, 1, "1,2")).detail, "対象:[ 1,2 ]");
  EXPECT_EQ(FormatEventRow(Action(ActionKind::StopSounds)).id, "全停止");
  auto unknown = FormatEventRow(Action(static_cast<ActionKind>(15)));
  EXPECT_EQ(unknown.kind, "未定義");
  EXPECT_EQ(unknown.category, EventListModule::kNoColorCategory);
}

TEST_F(EventRowsTest, InsertRowAddsASelectedRowBeforeTheEndRow) {
  int32_t image = AddItem("jpg", "/a.jpg");
  Append(Material(image));
  Append(Material(image));
  EventListModule::ClearRowSelection();
  EventRecord stop = Action(ActionKind::Stop);
  GUICore::InsertEvent(stop, 0);
  ASSERT_EQ(EventListModule::RowCount(), 4);
  EXPECT_NE(Row(0).selected, 0);
  EXPECT_EQ(Text(0).id, "停止");
  EXPECT_EQ(Text(3).kind, "────");
}

}  // namespace
}  // namespace tesmiro
