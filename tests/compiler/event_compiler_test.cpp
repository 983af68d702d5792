#include <climits>
#include <cmath>

#include "compiler/event_compiler.h"
#include "compiler_test_util.h"

namespace tesmiro::testing {
namespace {

namespace W = SWFMakeCore;
using GUICore::BuildMotionFrames;
using GUICore::CompileEvent;
using GUICore::EaseRatio;

class EventCompilerTest : public CompilerTest {
 protected:
  void SetUp() override {
    CompilerTest::SetUp();
    AddSprite(1, "s");
    W::WriteSWFHeader(6, 320, 320, 12.0f);
    // The movie goes to its file as a build writes it, so that its frames
    // can be read back.
    ASSERT_TRUE(W::WriteMovieFile(dir / "x.swf", W::MovieStage::Open));
  }
  void Compile(const EventRecord& e, GUICore::EmitMode mode = GUICore::EmitMode::Movie, int32_t index = 1) {
    CompileEvent(dir / "x.swf", e, mode, index);
  }
  // Labels the frame the writer stands on, for FrameOf.
  static void Mark(const std::string& name) { W::WriteFrameLabel(name); }
  // The movie finished and read back: the tags of each frame.
  std::vector<std::vector<Tag>> Frames(int* frameCount = nullptr) {
    W::WriteMovieFile(dir / "x.swf", W::MovieStage::WriteFrames);
    W::WriteEnd();
    EXPECT_TRUE(W::WriteMovieFile(dir / "x.swf", W::MovieStage::Finish));
    std::vector<std::vector<Tag>> frames(1);
    for (Tag& t : ReadTags(Movie("x.swf"), frameCount)) {
      if (t.code == 1) {
        frames.emplace_back();
      } else if (t.code != 0) {
        frames.back().push_back(std::move(t));
      }
    }
    return frames;
  }
  static int Placements(const std::vector<Tag>& frame) { return CountCode(frame, 26); }
  static int FrameOf(const std::vector<std::vector<Tag>>& frames, const std::string& mark) {
    std::vector<uint8_t> body(mark.begin(), mark.end());
    body.push_back(0);
    for (size_t f = 0; f < frames.size(); ++f) {
      for (const Tag& t : frames[f]) {
        if (t.code == 43 && t.body == body) return static_cast<int>(f);
      }
    }
    return -1;
  }
};

TEST(EaseTest, LinearAndEasedRatios) {
  EXPECT_FLOAT_EQ(EaseRatio(0, 0, 10), 0.0f);
  EXPECT_FLOAT_EQ(EaseRatio(0, 9, 10), 0.9f);
  EXPECT_FLOAT_EQ(EaseRatio(255, 5, 10), 0.75f);  // 2t - t^2
  EXPECT_FLOAT_EQ(EaseRatio(-255, 5, 10), 0.25f);  // t^2
  EXPECT_FLOAT_EQ(EaseRatio(100, 10, 10), 1.0f);
  EXPECT_FLOAT_EQ(EaseRatio(100, 3, 0), 0.0f);
}

TEST(MotionTest, StraightAndSegmentedPaths) {
  float x = 0, y = 0;
  BuildMotionFrames(0, {GuideAnchor{}}, 0, 0, 100, 50, 0.5f, x, y);
  EXPECT_FLOAT_EQ(x, 1000.0f);
  EXPECT_FLOAT_EQ(y, 500.0f);
  // Anchors on the straight line: the same as no guide.
  BuildMotionFrames(1, {GuideAnchor{200, 100}, GuideAnchor{1600, 800}}, 0, 0, 100, 50, 0.5f, x, y);
  EXPECT_NEAR(x, 1000.0f, 0.01f);
  EXPECT_NEAR(y, 500.0f, 0.01f);
  // Half of the whole length, not half of the segments: 0..100 then 100..300.
  BuildMotionFrames(1, {GuideAnchor{2000, 0}}, 0, 0, 300, 0, 0.5f, x, y);
  EXPECT_NEAR(x, 3000.0f, 0.01f);
}

TEST(MotionTest, ZeroLengthPathStaysAtTheStart) {
  float x = -1, y = -1;
  BuildMotionFrames(1, {GuideAnchor{200, 200}}, 10, 10, 10, 10, 0.7f, x, y);
  EXPECT_FLOAT_EQ(x, 200.0f);
  EXPECT_FLOAT_EQ(y, 200.0f);
  BuildMotionFrames(2, {GuideAnchor{200, 200}}, 10, 10, 10, 10, 0.7f, x, y);
  EXPECT_FLOAT_EQ(x, 200.0f);
}

TEST(MotionTest, SmoothCurvePassesThroughItsEnds) {
  float x = 0, y = 0;
  const std::vector<GuideAnchor> anchors{GuideAnchor{1000, 2000}};
  BuildMotionFrames(2, anchors, 0, 0, 100, 0, 0.0f, x, y);
  EXPECT_NEAR(x, 0.0f, 1.0f);
  BuildMotionFrames(2, anchors, 0, 0, 100, 0, 1.0f, x, y);
  EXPECT_NEAR(x, 2000.0f, 1.0f);
  EXPECT_NEAR(y, 0.0f, 1.0f);
  BuildMotionFrames(2, anchors, 0, 0, 100, 0, 0.5f, x, y);
  EXPECT_GT(y, 500.0f);  // the middle of the path bends towards the anchor
}

TEST_F(EventCompilerTest, FixedEventsShareTheFrameUnlessPreviewing) {
  Compile(Place(1, 0, 1));
  Compile(Place(1, 0, 2));
  Mark("fixed");
  Compile(Place(1, 0, 3), GUICore::EmitMode::EventPreview);
  Mark("previewed");
  const auto frames = Frames();
  EXPECT_EQ(FrameOf(frames, "fixed"), 0);
  EXPECT_EQ(Placements(frames[0]), 3);
  EXPECT_EQ(FrameOf(frames, "previewed"), 1);
}

TEST_F(EventCompilerTest, ActionsThatAdvanceAndThoseThatDoNot) {
  Compile(Action(ActionKind::Play));
  Compile(Action(ActionKind::GetURL, "u"));
  Mark("play, get");
  Compile(Action(ActionKind::Stop));
  Mark("stop");
  Compile(Action(ActionKind::DoNothing, "", 4));
  Mark("wait");
  Compile(Action(ActionKind::Rollback, "", -5));
  Mark("rollback");
  Compile(Place(1, 2, 4));
  int frameCount = 0;
  const auto frames = Frames(&frameCount);
  EXPECT_EQ(FrameOf(frames, "play, get"), 0);
  EXPECT_EQ(FrameOf(frames, "stop"), 1);
  EXPECT_EQ(FrameOf(frames, "wait"), 5);
  EXPECT_EQ(FrameOf(frames, "rollback"), 0);
  EXPECT_EQ(Placements(frames[0]), 1);
  EXPECT_EQ(Placements(frames[1]), 1);
  EXPECT_EQ(frameCount, 5);  // a rollback never grows the movie
}

TEST_F(EventCompilerTest, OutOfRangeDepthsAreClampedWithAWarning) {
  Compile(Place(1, 1, 400));
  EXPECT_TRUE(W::DepthOccupied(256));
  ASSERT_FALSE(W::WriterState().diagnostics.empty());
  EXPECT_NE(W::WriterState().diagnostics[0].text.find("400"), std::string::npos);
  EXPECT_EQ(Placements(Frames()[0]), 1);
}

TEST_F(EventCompilerTest, RelativeLabelsResolveAroundTheEvent) {
  auto& events = GUICore::State().events;
  events.push_back(Action(ActionKind::Label, "a"));
  events.push_back(Action(ActionKind::JumpToLabel, "_NextLabel"));
  events.push_back(Action(ActionKind::Label, ""));
  events.push_back(Action(ActionKind::Label, "b"));
  EXPECT_EQ(GUICore::ResolveRelativeLabel(2, 1), "b");
  EXPECT_EQ(GUICore::ResolveRelativeLabel(2, -1), "a");
  EXPECT_EQ(GUICore::ResolveRelativeLabel(2, 0), "");
  EXPECT_EQ(GUICore::ResolveRelativeLabel(-3, 1), "");
}

TEST_F(EventCompilerTest, FiltersTweenOnlyWhenBothStatesAreInUse) {
  FilterState a, b, out;
  a.inUse = b.inUse = -1;
  a.add = {0, 0, 0, 0};
  b.add = {100, -100, 3, 0};
  a.glowParams.color1 = static_cast<int32_t>(0xFF000000u);
  b.glowParams.color1 = 0x000000FF;
  GUICore::InterpolateFilterState(out, a, b, 0.5f);
  EXPECT_EQ(out.add[0], 50);
  EXPECT_EQ(out.add[1], -50);
  EXPECT_EQ(out.add[2], 2);  // 1.5 to even
  EXPECT_EQ(static_cast<uint32_t>(out.glowParams.color1), 0x80000080u);  // 127.5 -> 128 both ways
}

TEST_F(EventCompilerTest, FontKeysAndTheirTexts) {
  auto& store = GUICore::State().store;
  StoreItem t;
  t.kind = StoreItemKind::Text;
  t.font = "Sans";
  t.flags = 1 | 0x1000;
  t.name = "ab";
  store.push_back(t);
  t.name = "cd";
  store.push_back(t);
  t.flags = 2;
  t.name = "ef";
  store.push_back(t);
  EXPECT_EQ(GUICore::FontKey(store.at(2)), "Sans0Bo");
  EXPECT_EQ(GUICore::FontKey(store.at(4)), "Sans1It");
  EXPECT_EQ(GUICore::CollectTextsForFont("Sans0Bo"), "abcd");
  EXPECT_EQ(GUICore::CollectTextsForFont("none"), "");
}

}  // namespace
}  // namespace tesmiro::testing

namespace tesmiro::testing {
namespace {

TEST(MotionTest, PathsBetweenTheEndsOfTheRange) {
  float x = 0, y = 0;
  BuildMotionFrames(0, {GuideAnchor{}}, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN, 0.5f, x, y);
  EXPECT_NEAR(x, -10.0f, 1.0f);  // halfway from -2^31 to 2^31 - 1 pixels, in twips
  EXPECT_NEAR(y, -10.0f, 1.0f);
  const std::vector<GuideAnchor> anchors{GuideAnchor{INT32_MAX, INT32_MIN}, GuideAnchor{INT32_MIN, INT32_MAX}};
  for (int16_t mode : {1, 2}) {
    BuildMotionFrames(mode, anchors, INT32_MAX, INT32_MIN, INT32_MIN, INT32_MAX, 0.25f, x, y);
    EXPECT_TRUE(std::isfinite(x) && std::isfinite(y)) << mode;
  }
}

TEST(FilterTweenTest, OffsetsAtTheEndsOfTheRange) {
  FilterState a, b, out;
  a.add = {INT32_MIN, INT32_MAX, INT32_MIN, 0};
  b.add = {INT32_MAX, INT32_MIN, INT32_MIN, INT32_MAX};
  GUICore::InterpolateFilterState(out, a, b, 0.5f);
  EXPECT_EQ(out.add[0], 0);  // halfway, half rounded to even
  EXPECT_EQ(out.add[1], 0);
  EXPECT_EQ(out.add[2], INT32_MIN);
  GUICore::InterpolateFilterState(out, a, b, 1.0f);
  EXPECT_EQ(out.add[3], INT32_MAX);
}

TEST_F(EventCompilerTest, FramesPastTheMovieDoNotPileUpInItsLastFrame) {
  Compile(Place(1, W::kMaxFrames, 1));
  Mark("end");
  Compile(Place(1, 1000, 2));
  EXPECT_FALSE(W::WriterState().diagnostics.empty());
  const auto frames = Frames();
  EXPECT_EQ(FrameOf(frames, "end"), W::kMaxFrames);
  EXPECT_EQ(Placements(frames.at(W::kMaxFrames)), 1);
}

TEST_F(EventCompilerTest, AnOverflowIsReportedOnceHoweverManyEventsFollow) {
  Compile(Place(1, W::kMaxFrames - 1, 1));
  for (int i = 0; i < 3; ++i) {
    Compile(Place(1, 5, 1));
    Compile(Action(ActionKind::DoNothing, "", 2));
    Compile(Action(ActionKind::Stop));
    Compile(Action(ActionKind::Rollback, "", 10));
  }
  int reports = 0;
  for (const W::Diagnostic& d : W::WriterState().diagnostics) reports += d.text == "フレーム数が 65535 を超えています";
  EXPECT_EQ(reports, 1);
}

// An event with nothing to place, its material left out of the movie or its
// button not made, keeps its frames: later events keep their timing.
TEST_F(EventCompilerTest, EventsWithNothingToPlaceKeepTheirFrames) {
  GUICore::CompilerState().leftOut.insert(1);
  Compile(Place(1, 3, 1));
  Mark("after the left-out material");
  GUICore::CompilerState().leftOut.clear();
  W::WriterState().autoID = W::kPreviewSpriteID;  // no ID left for the button
  EventRecord button = Place(1, 2, 2);
  button.buttonFlag = 1;
  Compile(button);
  Mark("after the button");
  const auto frames = Frames();
  EXPECT_EQ(FrameOf(frames, "after the left-out material"), 3);
  EXPECT_EQ(FrameOf(frames, "after the button"), 5);
  for (const auto& frame : frames) EXPECT_EQ(Placements(frame), 0);
}

}  // namespace
}  // namespace tesmiro::testing
