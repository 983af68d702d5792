#include "project/event_property_exchange.h"

#include <cstdint>
#include <limits>
#include <map>

#include "model_fixture.h"
#include "project/build_lock.h"
#include "project/events.h"
#include "project/filter_work_area.h"

namespace tesmiro::testing {
namespace {

namespace ep = EventProperty;
using ep::Box;
using ep::List;
using ep::Part;
using ep::Slider;
using ep::Tick;

// The dialog's fields as plain values, with the dialog's own reset and
// percent boxes.
class FakeDialog final : public ep::EventDialogFields {
 public:
  std::string text(Box b) const override { return texts.count(b) ? texts.at(b) : ""; }
  void setText(Box b, const std::string& t) override {
    texts[b] = t;
    if (b == Box::ItemId) itemIdWrites.push_back(t);
  }
  int check(Tick t) const override { return checks.count(t) ? checks.at(t) : 2; }
  void setCheck(Tick t, int v) override { checks[t] = v; }
  int listIndex(List l) const override { return lists.count(l) ? lists.at(l) : -1; }
  void setListIndex(List l, int i) override { lists[l] = i; }
  int scroll(Slider s) const override { return scrolls.count(s) ? scrolls.at(s) : 0; }
  void setScroll(Slider s, int v) override { scrolls[s] = v; }
  void setShown(Part p, bool s) override { shown[p] = s; }
  void setEnabled(Part p, bool e) override { enabled[p] = e; }
  void setCaption(const std::string& c) override { caption = c; }
  void initialize() override {
    texts.clear();
    checks.clear();
    lists.erase(List::Action);
    lists.erase(List::BlendMode);
  }
  void updateScrolls() override {
    const std::pair<Box, Slider> boxes[] = {{Box::DrawBrightness, Slider::DrawBrightness},
                                            {Box::DrawOpacity, Slider::DrawOpacity},
                                            {Box::MoveBrightness, Slider::MoveBrightness},
                                            {Box::MoveOpacity, Slider::MoveOpacity}};
    for (const auto& [box, slider] : boxes) texts[box] = std::to_string(scroll(slider)) + "%";
    texts[Box::Easing] = std::to_string(scroll(Slider::Easing));
  }
  void activate() override { fillingWhenActivated = ep::Current().filling; }

  std::map<Box, std::string> texts;
  std::map<Tick, int> checks;
  std::map<List, int> lists;
  std::map<Slider, int> scrolls;
  std::map<Part, bool> shown;
  std::map<Part, bool> enabled;
  std::vector<std::string> itemIdWrites;
  std::string caption;
  bool fillingWhenActivated = true;
};

class ExchangeTest : public ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    GUICore::SetCaption("[ a ] - Tesmiro");
  }

  static void Item(int32_t id, StoreItemKind kind) {
    StoreItem item = NewStoreItem(kind);
    item.id = id;
    item.name = "item" + std::to_string(id);
    GUICore::State().store.push_back(item);
  }
  static void Events(std::initializer_list<EventRecord> events) {
    for (const EventRecord& e : events) GUICore::State().events.push_back(e);
    EventListModule::LoadRows();
  }
  // Selects the rows (the first given becomes the current row) and recounts.
  static void Select(std::initializer_list<int32_t> rows) {
    auto& v = EventListModule::Current();
    EventListModule::ClearRowSelection();
    for (int32_t r : rows) v.rows[static_cast<size_t>(r)].selected = -1;
    v.currentRow = *rows.begin();
    EventListModule::DrawEventList();
  }
  static EventRecord Image(int32_t id, float scaleX, float scaleY) {
    EventRecord e = NewEventFor(StoreItemKind::RasterImage);
    e.itemId = id;
    e.frameCount = 10;
    e.startScaleX = scaleX;
    e.startScaleY = scaleY;
    return e;
  }
  static EventRecord ActionEvent(ActionKind kind, const std::string& p1 = "") {
    EventRecord e;
    e.itemId = 0;
    e.kind = static_cast<int16_t>(kind);
    e.text1 = p1;
    return e;
  }
  static EventRecord Ev(int32_t index) { return GUICore::GetEvent(index); }

  FakeDialog dialog;
};

TEST_F(ExchangeTest, TwoImagesTakeARelativeSizeEachFromItsOwnAsOneUndoStep) {
  Item(1, StoreItemKind::RasterImage);
  Item(2, StoreItemKind::RasterImage);
  EventRecord a = Image(1, 1.0f, 2.0f);
  a.startFilters.blur = 1;
  a.anchors = {{0, 0}, {200, 300}};
  Events({a, Image(2, 1.0f, 1.0f)});
  Select({0, 1});
  ep::Load(dialog);
  EXPECT_EQ(dialog.caption, "イベントのプロパティ (複数選択)");
  EXPECT_EQ(dialog.itemIdWrites, (std::vector<std::string>{" ", ""}));
  for (const auto& [box, text] : dialog.texts) EXPECT_EQ(text, "") << static_cast<int>(box);
  EXPECT_EQ(ep::Current().selectedFileKind, 1);

  dialog.texts[Box::DrawSize] = "+0.5";
  EXPECT_EQ(ep::Apply(dialog).stored, 2);
  EXPECT_FLOAT_EQ(Ev(1).startScaleY, 2.5f);
  EXPECT_FLOAT_EQ(Ev(1).startScaleX, 1.5f);
  EXPECT_FLOAT_EQ(Ev(2).startScaleY, 1.5f);
  EXPECT_FLOAT_EQ(Ev(2).startScaleX, 1.5f);
  EXPECT_EQ(Ev(1).startFilters.blur, 1);  // filters and guides: one event only
  EXPECT_EQ(Ev(1).anchors.size(), 2u);

  GUICore::EventUndo();
  EXPECT_FALSE(GUICore::CanEventUndo());
  EXPECT_FLOAT_EQ(Ev(1).startScaleY, 2.0f);
  EXPECT_FLOAT_EQ(Ev(1).startScaleX, 1.0f);
  EXPECT_FLOAT_EQ(Ev(2).startScaleY, 1.0f);
}

TEST_F(ExchangeTest, AnApplyThatChangesNothingStoresNothing) {
  Item(1, StoreItemKind::RasterImage);
  EventRecord e = Image(1, 1.5f, 1.5f);
  e.startX = -12;
  // More digits than a box shows: the loaded text must not round them.
  e.startAngle = 1.2345678f;
  e.endScaleX = 0.33333334f;
  e.endScaleY = 2.7182817f;
  e.buttonFlag = 1;
  e.kind = 3;
  e.downItemId = 4;
  e.startFilters.inUse = -1;
  e.startFilters.glow = 1;
  Events({e});
  Select({0});
  ep::Load(dialog);
  EXPECT_EQ(dialog.caption, "イベントのプロパティ");
  EXPECT_EQ(dialog.texts[Box::DrawX], "-12");
  EXPECT_TRUE(dialog.enabled[Part::EventPreviewButton]);
  EXPECT_FALSE(dialog.fillingWhenActivated);

  EXPECT_EQ(ep::Apply(dialog).stored, 0);
  EXPECT_EQ(GUICore::Caption(), "[ a ] - Tesmiro");
  EXPECT_FALSE(GUICore::CanEventUndo());
  EXPECT_TRUE(GUICore::EventsEqual(Ev(1), e));

  // Typing over the seven digits does change the value.
  ep::Load(dialog);
  dialog.texts[Box::DrawAngle] = "1.2345";
  EXPECT_EQ(ep::Apply(dialog).stored, 1);
  EXPECT_FLOAT_EQ(Ev(1).startAngle, 1.2345f);
}

TEST_F(ExchangeTest, OnlyTheLoadedMaterialGetsTheWorkAreaBack) {
  Item(1, StoreItemKind::RasterImage);
  EventRecord image = Image(1, 1, 1);
  image.startFilters.inUse = -1;
  image.startFilters.bevel = 1;
  image.guideMode = 2;
  Events({image, ActionEvent(ActionKind::Stop)});
  Select({0});
  ep::Load(dialog);
  EXPECT_EQ(GUICore::WorkArea().states[0].bevel, 1);
  EXPECT_EQ(GUICore::WorkArea().guideMode, 2);

  // The action event shows nothing of the work area and gets none of it.
  Select({1});
  ep::Load(dialog);
  EXPECT_EQ(dialog.texts[Box::ItemId], "0");
  EXPECT_EQ(dialog.lists[List::Action], 4);
  EXPECT_EQ(ep::Apply(dialog).stored, 0);
  EXPECT_EQ(Ev(2).startFilters.bevel, 0);
  EXPECT_EQ(Ev(2).guideMode, 0);
  EXPECT_FALSE(GUICore::HasUnsavedChanges());

  // The image edited in the work area gets it back.
  Select({0});
  ep::Load(dialog);
  GUICore::WorkArea().states[1].blur = 1;
  EXPECT_EQ(ep::Apply(dialog).stored, 1);
  EXPECT_EQ(Ev(1).endFilters.blur, 1);
}

TEST_F(ExchangeTest, TheEndRowShowsNoEventAndTakesNothing) {
  ep::Load(dialog);
  EXPECT_EQ(dialog.caption, "イベントのプロパティ");
  EXPECT_EQ(dialog.texts[Box::ItemId], "0");
  for (Part p : {Part::ItemIdBox, Part::FrameCountBox, Part::ItemIdLabel, Part::FrameCountLabel,
                 Part::DrawPositionGroup, Part::DepthGroup, Part::EasingGroup}) {
    EXPECT_FALSE(dialog.shown.at(p));
  }
  EXPECT_FALSE(dialog.enabled.at(Part::EventPreviewButton));
  EXPECT_EQ(ep::Current().loaded, ep::Loaded::NoEvent);
  EXPECT_EQ(ep::Apply(dialog).stored, 0);

  // A selection run down to the end row with the end row current shows no
  // fields either; its hidden "0" must not turn the events into actions.
  Item(1, StoreItemKind::RasterImage);
  Events({Image(1, 1, 1), Image(1, 1, 1)});
  Select({2, 0, 1});
  ep::Load(dialog);
  EXPECT_EQ(ep::Apply(dialog).stored, 0);
  EXPECT_EQ(Ev(1).itemId, 1);
  EXPECT_EQ(Ev(2).itemId, 1);

  // With an event row current, the same selection writes its events only.
  Select({0, 1, 2});
  ep::Load(dialog);
  EXPECT_EQ(ep::Current().selectedFileKind, 0);  // the end row counts as an action
  dialog.texts[Box::Depth] = "5";
  EXPECT_EQ(ep::Apply(dialog).stored, 2);
  EXPECT_EQ(Ev(2).depth, 5);
  EXPECT_EQ(EventListModule::Current().rows[2].itemId, -1);
}

TEST_F(ExchangeTest, ActionFrameCountsFollowTheirParameters) {
  Events({ActionEvent(ActionKind::DoNothing), ActionEvent(ActionKind::Rollback), ActionEvent(ActionKind::Label, "x"),
          ActionEvent(ActionKind::Label, "新しいラベル")});
  auto applyParameter = [&](int32_t row, const std::string& p1) {
    Select({row});
    ep::Load(dialog);
    EXPECT_EQ(ep::Current().selectedFileKind, -1);
    dialog.texts[Box::FirstParameter] = p1;
    ep::Apply(dialog);
    return Ev(row + 1);
  };
  EXPECT_EQ(applyParameter(0, "30").frameCount, 30);
  EXPECT_EQ(applyParameter(0, "abc").frameCount, 1);
  EXPECT_EQ(applyParameter(1, "5").frameCount, -5);
  EXPECT_EQ(applyParameter(1, "-5").frameCount, -5);
  EXPECT_EQ(applyParameter(1, "0").frameCount, 0);
  EXPECT_EQ(applyParameter(1, "-1e30").frameCount, INT32_MIN);
  EXPECT_EQ(applyParameter(1, "1e30").frameCount, INT32_MIN);
  const EventRecord label = applyParameter(2, "");
  EXPECT_EQ(label.text1, "新しいラベル(2)");  // made unique
  EXPECT_EQ(label.frameCount, 0);
}

TEST_F(ExchangeTest, SoundVolumesLoadAndComeBackUnchanged) {
  Item(3, StoreItemKind::Sound);
  EventRecord s = NewEventFor(StoreItemKind::Sound);
  s.itemId = 3;
  s.text1 = "vol80;80";
  EventRecord t = s;
  t.text1 = "vol30;70";
  Events({s, t});
  Select({0});
  ep::Load(dialog);
  EXPECT_EQ(dialog.texts[Box::RightVolume], "80");
  EXPECT_EQ(dialog.checks[Tick::SeparateVolumes], 0);
  EXPECT_EQ(dialog.lists[List::SoundMode], 0);
  EXPECT_EQ(ep::Apply(dialog).stored, 0);

  Select({1});
  ep::Load(dialog);
  EXPECT_EQ(dialog.checks[Tick::SeparateVolumes], 1);
  dialog.texts[Box::RightVolume] = "55";
  dialog.texts[Box::FrameCount] = "12";  // a sound keeps no frame count
  ASSERT_EQ(ep::Apply(dialog).stored, 1);
  EXPECT_EQ(Ev(2).text1, "vol30;55");
  EXPECT_EQ(Ev(2).frameCount, 0);
}

TEST_F(ExchangeTest, ButtonStatesOfSeveralEventsFollowTheirCheckBoxes) {
  Item(1, StoreItemKind::RasterImage);
  EventRecord a = Image(1, 1, 1), b = Image(1, 1, 1);
  a.downItemId = 7;
  b.downItemId = 8;
  a.overItemId = 5;
  a.hitItemId = 6;
  b.hitItemId = 9;
  Events({a, b});
  Select({0, 1});
  ep::Load(dialog);
  dialog.checks[Tick::ButtonDown] = 2;  // grey: each keeps its own
  dialog.checks[Tick::ButtonOver] = 1;  // ticked, empty box: kept
  dialog.checks[Tick::ButtonHit] = 0;  // cleared: none
  dialog.texts[Box::Depth] = "1";
  ASSERT_EQ(ep::Apply(dialog).stored, 2);
  EXPECT_EQ(Ev(1).downItemId, 7);
  EXPECT_EQ(Ev(2).downItemId, 8);
  EXPECT_EQ(Ev(1).overItemId, 5);
  EXPECT_EQ(Ev(1).hitItemId, 0);
  EXPECT_EQ(Ev(2).hitItemId, 0);
}

TEST_F(ExchangeTest, SpriteNamesAreWrittenForOneSpriteOnly) {
  Item(4, StoreItemKind::Sprite);
  EventRecord a;
  a.itemId = 4;
  a.text1 = "clip";
  a.text2 = "onClipEvent(load){}";
  Events({a, a});
  Select({0});
  ep::Load(dialog);
  EXPECT_EQ(dialog.texts[Box::InstanceName], "clip");
  EXPECT_EQ(dialog.texts.count(Box::FirstParameter), 0u);
  EXPECT_EQ(dialog.checks.count(Tick::Button), 0u);  // a sprite is never a button
  dialog.texts[Box::InstanceName] = "";
  ep::Apply(dialog);
  EXPECT_EQ(Ev(1).text1, "");
  EXPECT_EQ(Ev(1).text2, "onClipEvent(load){}");

  Select({0, 1});
  ep::Load(dialog);
  dialog.texts[Box::InstanceName] = "other";
  dialog.texts[Box::Depth] = "3";
  ep::Apply(dialog);
  EXPECT_EQ(Ev(2).text1, "clip");
  EXPECT_EQ(Ev(2).depth, 3);
}

TEST_F(ExchangeTest, TheSelectionKindIsSharedOrMixed) {
  Item(1, StoreItemKind::RasterImage);
  Item(2, StoreItemKind::RasterImage);
  Events({Image(1, 1, 1), Image(2, 1, 1), ActionEvent(ActionKind::Stop), ActionEvent(ActionKind::Play)});
  Select({0, 1});
  EXPECT_EQ(ep::SelectionKind(ep::SubjectRow()), 1);
  Select({2, 3, 4});  // the end row counts as an action event
  EXPECT_EQ(ep::SelectionKind(ep::SubjectRow()), -1);
  Select({0, 2});
  EXPECT_EQ(ep::SelectionKind(ep::SubjectRow()), 0);
  // The current row unselected: the last selected row is the subject.
  Select({3, 1});
  EventListModule::Current().rows[3].selected = 0;
  EXPECT_EQ(ep::SubjectRow(), 1);
}

TEST_F(ExchangeTest, ApplyWaitsWhileABuildReadsTheModel) {
  Item(1, StoreItemKind::RasterImage);
  Events({Image(1, 1, 1)});
  Select({0});
  ep::Load(dialog);
  dialog.texts[Box::Depth] = "9";
  {
    GUICore::BuildLock build;
    EXPECT_TRUE(ep::Apply(dialog).refused);
    EXPECT_EQ(Ev(1).depth, 0);
  }
  EXPECT_EQ(ep::Apply(dialog).stored, 1);
}

TEST_F(ExchangeTest, SizesAndPositionsReadRelativeFormsAndSaturate) {
  Item(1, StoreItemKind::RasterImage);
  Events({Image(1, 1.5f, 1.5f), Image(1, 0.5f, 2.0f)});
  Select({0});
  ep::Load(dialog);
  EXPECT_EQ(dialog.texts[Box::DrawSize], "1.5");
  Select({1});
  ep::Load(dialog);
  EXPECT_EQ(dialog.texts[Box::DrawSize], "2:0.5");
  // +1:0.5 adds to Y and sets X; +5 moves, -5 is absolute.
  dialog.texts[Box::DrawSize] = "+1:0.5";
  dialog.texts[Box::DrawX] = "+5";
  dialog.texts[Box::DrawY] = "-5";
  ASSERT_EQ(ep::Apply(dialog).stored, 1);
  EXPECT_FLOAT_EQ(Ev(2).startScaleY, 3.0f);
  EXPECT_FLOAT_EQ(Ev(2).startScaleX, 0.5f);
  EXPECT_EQ(Ev(2).startX, 5);
  EXPECT_EQ(Ev(2).startY, -5);

  dialog.texts[Box::DrawX] = "1e30";
  dialog.texts[Box::MoveX] = "+1e30";
  dialog.texts[Box::DrawAngle] = "-1e300";
  dialog.texts[Box::MoveSize] = "1e300:-1e300";
  ASSERT_EQ(ep::Apply(dialog).stored, 1);
  EXPECT_EQ(Ev(2).startX, INT32_MAX);
  EXPECT_EQ(Ev(2).endX, INT32_MAX);
  EXPECT_EQ(Ev(2).startAngle, -std::numeric_limits<float>::max());
  EXPECT_EQ(Ev(2).endScaleY, std::numeric_limits<float>::max());
  EXPECT_EQ(Ev(2).endScaleX, -std::numeric_limits<float>::max());
}

}  // namespace
}  // namespace tesmiro::testing
