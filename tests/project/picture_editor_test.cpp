// The live picture's handles and guide editor: reach, moving, scaling and
// turning the image, the write-back into the boxes, anchors inserted,
// dragged, snapped and deleted, and the two events the picture shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "model_fixture.h"
#include "project/live_picture_records.h"
#include "project/picture_editor.h"

namespace tesmiro::LivePicture {
namespace {

constexpr float kZoom = 1.0f;
TwipPoint Px(double x, double y) { return {x * 20, y * 20}; }

// An editor in handle mode over an image of w x h pixels placed at (x, y).
struct Handles {
  Handles(int32_t w, int32_t h, int32_t x = 0, int32_t y = 0, MaterialSize extra = {}) {
    size = {w, h, extra.refX, extra.refY};
    editor.operated = ZeroEvent();
    editor.operated.itemId = 7;
    editor.operated.startX = x;
    editor.operated.startY = y;
    editor.operated.startScaleX = editor.operated.startScaleY = 1.0f;
    recompute();
  }
  void recompute() {
    HandleSource s;
    s.itemId = "7";
    editor.ComputeHandles(s, sizeOf());
  }
  MaterialSizeFn sizeOf() const {
    return [s = size](int32_t id) { return id == 7 ? s : MaterialSize{}; };
  }
  // Presses where `from` is, drags to `to` and releases there (pixels).
  FieldWrites drag(TwipPoint from, TwipPoint to, int32_t shift = 0, bool right = false) {
    editor.Hover(from, kZoom);
    editor.Press(from, false, shift);
    EXPECT_TRUE(editor.DragTo(to, false, right, shift));
    editor.Release(to, false, right, shift);
    return editor.ApplyDragToFields(false, 0, 0, sizeOf());
  }
  PictureEditor editor;
  MaterialSize size;
};

TEST(PictureEditorTest, HandlesSurroundTheImageAboutItsCentre) {
  Handles h(100, 50, 100, 50);
  h.editor.operated.centerX = 50;
  h.editor.operated.centerY = 25;
  h.recompute();
  const auto& p = h.editor.points();
  ASSERT_EQ(p.size(), 9u);
  EXPECT_EQ(p[0], Px(50, 25));
  EXPECT_EQ(p[2], Px(150, 25));
  EXPECT_EQ(p[4], Px(100, 50));
  EXPECT_EQ(p[8], Px(150, 75));

  // Turned a quarter clockwise and doubled about the position point.
  h.editor.operated.startAngle = 90;
  h.editor.operated.startScaleX = 2;
  h.recompute();
  EXPECT_NEAR(p[0].x, 100 * 20 + 25 * 20, 1e-6);
  EXPECT_NEAR(p[0].y, 50 * 20 - 100 * 20, 1e-6);
  EXPECT_EQ(p[4], Px(100, 50));
}

TEST(PictureEditorTest, ReachIsThreePanePixelsAtAnyZoom) {
  Handles h(100, 50);
  PictureEditor& e = h.editor;
  ASSERT_EQ(e.points()[8], Px(100, 50));
  EXPECT_EQ(e.FindAnchorAt({2059, 1000}, 1.0f), 9);
  EXPECT_EQ(e.FindAnchorAt({2060, 1000}, 1.0f), 0);  // exactly 60 / zoom does not react
  EXPECT_EQ(e.FindAnchorAt({2000, 1029}, 2.0f), 9);
  EXPECT_EQ(e.FindAnchorAt({2000, 1030}, 2.0f), 0);
  // The first handle and the position point coincide: the later one wins.
  EXPECT_EQ(e.FindAnchorAt({0, 0}, 1.0f), 5);
  // A zero-sized image has every handle in one place: the last one wins.
  Handles dot(0, 0);
  EXPECT_EQ(dot.editor.FindAnchorAt({0, 0}, 1.0f), 9);
}

TEST(PictureEditorTest, CornerAndEdgeHandlesScaleFromTheOppositeHandle) {
  Handles h(100, 50);
  FieldWrites w = h.drag(Px(100, 50), Px(150, 75));
  EXPECT_EQ(w.text(Box::DrawSize), "1.5");
  EXPECT_EQ(w.text(Box::DrawX), "0");
  EXPECT_EQ(w.text(Box::DrawY), "0");
  EXPECT_EQ(h.editor.changedFields(), kChangedPosition | kChangedScaleX | kChangedScaleY);

  // The top edge changes the height only; the position point rises with it.
  Handles top(100, 50);
  w = top.drag(Px(50, 0), Px(50, -50));
  EXPECT_EQ(w.text(Box::DrawSize), "2:1");
  EXPECT_EQ(w.text(Box::DrawY), "-50");
  EXPECT_EQ(top.editor.changedFields(), kChangedPosition | kChangedScaleY);

  // Ctrl keeps the proportions with the larger factor.
  Handles ctrl(100, 50);
  w = ctrl.drag(Px(100, 50), Px(120, 80), kCtrlKey);
  EXPECT_EQ(w.text(Box::DrawSize), "1.6");

  // With the right button the position point is the pivot and stays.
  Handles right(100, 50, 10, 10);
  w = right.drag(Px(110, 60), Px(210, 60), 0, true);
  EXPECT_EQ(w.text(Box::DrawSize), "1:2");
  EXPECT_EQ(w.text(Box::DrawX), "10");
}

TEST(PictureEditorTest, ScalingAZeroSizedImageDividesByNothing) {
  Handles h(0, 50);
  // Every handle lies on the pivot's vertical line: the X factor stays 1.
  const FieldWrites w = h.drag(Px(0, 50), Px(40, 100));
  EXPECT_EQ(w.text(Box::DrawSize), "2:1");
  for (const TwipPoint& p : h.editor.points()) {
    EXPECT_TRUE(std::isfinite(p.x));
    EXPECT_TRUE(std::isfinite(p.y));
  }
  // A zero scale is un-scaled as 1.
  Handles flat(100, 50);
  flat.editor.operated.startScaleX = 0;
  flat.recompute();
  const FieldWrites moved = flat.drag(Px(0, 0), Px(5, 5));
  EXPECT_EQ(moved.text(Box::DrawSize), "1:0");
  EXPECT_EQ(moved.text(Box::CentreX), "5");
}

TEST(PictureEditorTest, ShiftTurnsTheImageAboutItsMiddleOrItsPositionPoint) {
  Handles h(100, 100);
  FieldWrites w = h.drag(Px(100, 0), Px(100, 100), kShiftKey);
  EXPECT_EQ(w.text(Box::DrawAngle), "90");
  EXPECT_EQ(w.text(Box::DrawX), "100");  // the position point turned about the middle
  EXPECT_EQ(w.text(Box::DrawY), "0");

  Handles right(100, 100);
  w = right.drag(Px(100, 0), Px(100, 100), kShiftKey, true);
  EXPECT_EQ(w.text(Box::DrawAngle), "45");
  EXPECT_EQ(w.text(Box::DrawX), "0");
  EXPECT_EQ(w.text(Box::DrawY), "0");

  // The angle is written back as a whole number of degrees below one turn.
  Handles turned(100, 100);
  turned.editor.operated.startAngle = 370.4f;
  turned.recompute();
  const TwipPoint corner = turned.editor.points()[8];
  EXPECT_EQ(turned.drag(corner, corner, kShiftKey, true).text(Box::DrawAngle), "10");
  Handles back(100, 100);
  back.editor.operated.startAngle = -30;
  back.recompute();
  const TwipPoint other = back.editor.points()[8];
  EXPECT_EQ(back.drag(other, other, kShiftKey, true).text(Box::DrawAngle), "-30");
}

TEST(PictureEditorTest, PositionPointMovesWithoutMovingThePicture) {
  for (MaterialSize ref : {MaterialSize{}, MaterialSize{0, 0, 7, 3}}) {
    Handles h(100, 50, 100, 50, ref);
    const TwipPoint corner = h.editor.points()[0];
    const FieldWrites w = h.drag(Px(100, 50), Px(110, 55));
    EXPECT_EQ(w.text(Box::DrawX), "110");
    EXPECT_EQ(w.text(Box::DrawY), "55");
    EXPECT_EQ(w.text(Box::CentreX), "10");
    EXPECT_EQ(w.text(Box::CentreY), "5");
    // The handles made from the written values lie where they were.
    h.recompute();
    EXPECT_EQ(h.editor.points()[0], corner);
  }
  // Beside the handles the whole image moves; the move target's boxes.
  Handles h(100, 50, 100, 50);
  h.editor.Hover(Px(300, 300), kZoom);
  h.editor.Press(Px(300, 300), false, 0);
  h.editor.DragTo(Px(310, 290), false, false, 0);
  const FieldWrites w = h.editor.ApplyDragToFields(false, 1, 0, h.sizeOf());
  EXPECT_EQ(w.text(Box::MoveX), "110");
  EXPECT_EQ(w.text(Box::MoveY), "40");
  EXPECT_FALSE(w.text(Box::DrawX));
}

TEST(PictureEditorTest, HandleModeWithoutHandlesChangesNothing) {
  PictureEditor e;
  HandleSource s;
  s.itemId = "0";  // an action event: no list
  e.ComputeHandles(s, {});
  e.Press(Px(1, 1), false, 0);
  EXPECT_FALSE(e.DragTo(Px(5, 5), false, false, 0));
  EXPECT_TRUE(e.ApplyDragToFields(false, 0, 0, {}).texts.empty());
  EXPECT_TRUE(e.DrawGuideAndHandles(PaneView{}, true, false, false, 0, false).handles.empty());
}

// An editor in guide mode from (0, 0) to (100, 0) pixels.
struct Guide {
  explicit Guide(int16_t mode = 0, std::vector<GuideAnchor> anchors = {}) {
    source.itemId = "3";
    source.guideEditing = true;
    source.motion = true;
    source.guideMode = mode;
    source.anchors = std::move(anchors);
    source.drawX = "0";
    source.drawY = "0";
    source.moveX = "100";
    source.moveY = "0";
    editor.ComputeHandles(source, {});
  }
  void click(TwipPoint at, bool right, int32_t shift = 0) {
    editor.Hover(at, kZoom);
    editor.Press(at, true, shift);
    editor.Release(at, true, right, shift);
  }
  FieldWrites writeBack() { return editor.ApplyDragToFields(true, 0, source.guideMode, {}); }
  HandleSource source;
  PictureEditor editor;
};

TEST(PictureEditorTest, RightButtonInsertsAndDeletesAnchors) {
  Guide g;
  ASSERT_EQ(g.editor.points().size(), 2u);
  g.click(Px(50, 1), true);
  ASSERT_EQ(g.editor.points().size(), 3u);
  EXPECT_EQ(g.editor.points()[1], Px(50, 1));
  FieldWrites w = g.writeBack();
  EXPECT_EQ(w.guideMode, 1);
  ASSERT_TRUE(w.anchors);
  ASSERT_EQ(w.anchors->size(), 1u);
  EXPECT_EQ((*w.anchors)[0].x, 1000);
  EXPECT_EQ((*w.anchors)[0].y, 20);

  g.click(Px(0, 0), true);  // the start point stays
  g.click(Px(100, 0), true);  // and so does the end
  EXPECT_EQ(g.editor.points().size(), 3u);

  g.click(Px(50, 1), true);
  EXPECT_EQ(g.editor.points().size(), 2u);
  w = g.writeBack();
  EXPECT_EQ(w.guideMode, 0);
  // The deleted anchor is gone from the event too, so that making the guide
  // a curve again cannot bring it back.
  ASSERT_TRUE(w.anchors);
  EXPECT_TRUE(w.anchors->empty());
  EXPECT_EQ(w.text(Box::MoveX), "100");

  // A one-point list has no segment to insert into.
  Guide still;
  still.source.motion = false;
  still.editor.ComputeHandles(still.source, {});
  still.click(Px(50, 50), true);
  EXPECT_EQ(still.editor.points().size(), 1u);
  EXPECT_EQ(still.editor.FindGuideSegmentAt(Px(50, 50)), -1);
}

TEST(PictureEditorTest, AnchorsDragSnapAndTheWholePathMoves) {
  Guide g(1, {{95, 95}});
  ASSERT_EQ(g.editor.points().size(), 3u);
  g.editor.Hover({95, 95}, kZoom);
  g.editor.Press({95, 95}, true, kShiftKey);
  g.editor.DragTo({100, 96}, true, false, kShiftKey);
  g.editor.Release({100, 96}, true, false, kShiftKey);
  EXPECT_EQ(g.editor.points()[1], (TwipPoint{100, 80}));  // whole pixels toward zero

  // Shift with the insertion snaps the new anchor, not a neighbour.
  g.click({1035, 47}, true, kShiftKey);
  ASSERT_EQ(g.editor.points().size(), 4u);
  EXPECT_EQ(g.editor.points()[1], (TwipPoint{100, 80}));
  EXPECT_EQ(g.editor.points()[2], (TwipPoint{1020, 40}));

  // Beside every point the whole path moves.
  g.editor.Hover(Px(40, 40), kZoom);
  g.editor.Press(Px(40, 40), true, 0);
  g.editor.DragTo(Px(50, 45), true, false, 0);
  g.editor.Release(Px(50, 45), true, false, 0);
  const FieldWrites w = g.writeBack();
  EXPECT_EQ(w.text(Box::DrawX), "10");
  EXPECT_EQ(w.text(Box::DrawY), "5");
  EXPECT_EQ(w.text(Box::MoveX), "110");
  EXPECT_EQ(w.text(Box::MoveY), "5");
  ASSERT_EQ(w.anchors->size(), 2u);
  EXPECT_EQ((*w.anchors)[0].x, 300);
  EXPECT_EQ(w.guideMode, 1);
}

TEST(PictureEditorTest, ClearingAnchorsLeavesAStraightGuide) {
  Guide g(2, {{400, 400}, {800, -400}, {1200, 400}});
  ASSERT_EQ(g.editor.points().size(), 5u);
  ASSERT_TRUE(g.editor.ClearAnchors());
  ASSERT_EQ(g.editor.points().size(), 2u);
  EXPECT_EQ(g.editor.points()[1], Px(100, 0));
  const FieldWrites w = g.writeBack();
  EXPECT_EQ(w.guideMode, 0);
  EXPECT_TRUE(w.anchors && w.anchors->empty());
  // Twice is harmless; a guide of two points has nothing to clear but keeps
  // the event's anchors.
  Guide plain;
  EXPECT_TRUE(plain.editor.ClearAnchors());
  EXPECT_FALSE(plain.writeBack().anchors);
}

TEST(PictureEditorTest, DrawingGuidesAndHandles) {
  PaneView view;
  view.stageWidth = view.stageHeight = 200;
  view.paneWidth = view.paneHeight = 200;
  Guide curve(2, {{1000, 1000}});
  Scene s = curve.editor.DrawGuideAndHandles(view, true, true, true, 2, false);
  EXPECT_TRUE(s.lines.empty());
  ASSERT_EQ(s.bezier.size(), 4u);
  EXPECT_EQ(s.bezier.front(), (PanePoint{0, 0}));
  EXPECT_EQ(s.bezier.back(), (PanePoint{100, 0}));
  EXPECT_EQ(s.anchors.size(), 3u);
  s = curve.editor.DrawGuideAndHandles(view, true, true, true, 1, false);
  EXPECT_EQ(s.lines.size(), 2u);
  EXPECT_TRUE(s.bezier.empty());
  EXPECT_TRUE(curve.editor.DrawGuideAndHandles(view, true, true, false, 1, false).anchors.empty());

  Guide labelled(1, {{1234, -5}});
  labelled.editor.Hover({1234, -5}, kZoom);
  s = labelled.editor.DrawGuideAndHandles(view, true, true, true, 1, true);
  ASSERT_TRUE(s.label);
  EXPECT_EQ(s.label->xLine, "X:061.70");
  EXPECT_EQ(s.label->yLine, "Y:-000.25");
  EXPECT_EQ(s.label->box.right - s.label->box.left, 48);
  EXPECT_EQ(s.label->box.bottom - s.label->box.top, 22);

  Handles h(100, 50, 20, 20);
  s = h.editor.DrawGuideAndHandles(view, true, false, true, 0, false);
  EXPECT_EQ(s.lines.size(), 8u);
  EXPECT_EQ(std::count_if(s.lines.begin(), s.lines.end(), [](const Scene::Line& l) { return l.dotted; }), 2);
  ASSERT_EQ(s.handles.size(), 9u);
  EXPECT_EQ(s.handles[4].right - s.handles[4].left, 2);  // the position mark is smaller
  EXPECT_EQ(s.handles[8].left, 120 - 2);
  EXPECT_TRUE(h.editor.DrawGuideAndHandles(view, false, false, true, 0, false).lines.empty());
}

class PreviewRecordsTest : public testing::ModelTest {};

PictureFields Fields() {
  PictureFields f;
  f.itemId = "1";
  f.frameCount = "10";
  f.drawX = "10";
  f.drawY = "20";
  f.moveX = "110";
  f.moveY = "120";
  f.drawAngle = "15";
  f.drawSize = "2";
  f.moveAngle = "30";
  f.moveSize = "+0.5";
  f.centreX = "5";
  f.centreY = "6";
  f.startOpacity = 40;
  f.endOpacity = 80;
  f.blendMode = -1;
  return f;
}

TEST_F(PreviewRecordsTest, DrawPositionAndMoveTarget) {
  PreviewRecords r = BuildPreviewRecords(Fields(), {}, {}, 0, false);
  EXPECT_TRUE(r.motion);
  EXPECT_EQ(r.draw.itemId, 1);
  EXPECT_EQ(r.draw.frameCount, 0);
  EXPECT_EQ(r.draw.startScaleX, 2.0f);
  EXPECT_EQ(r.draw.depth, 0);
  EXPECT_EQ(r.draw.blendMode, 0);
  EXPECT_EQ(r.move.itemId, 1);
  EXPECT_EQ(r.move.startX, 110);
  EXPECT_EQ(r.move.startScaleY, 2.5f);  // relative to the draw position's size
  EXPECT_EQ(r.move.startAlpha, 80);
  EXPECT_EQ(r.move.depth, -1);  // the operated image lies in front
  EXPECT_EQ(r.move.centerX, 5);

  r = BuildPreviewRecords(Fields(), {}, {}, 1, true);
  EXPECT_EQ(r.draw.itemId, 0);
  EXPECT_EQ(r.move.itemId, 1);
  EXPECT_EQ(OperatedRecord(r, 1).startX, 110);

  PictureFields fixed = Fields();
  for (const char* count : {"1", "0", "abc"}) {
    fixed.frameCount = count;
    r = BuildPreviewRecords(fixed, {}, {}, 0, false);
    EXPECT_FALSE(r.motion);
    EXPECT_EQ(r.move.itemId, 0) << count;
    EXPECT_EQ(r.draw.itemId, 1);
  }
}

TEST_F(PreviewRecordsTest, MorphTargetAndMovingPictures) {
  const int32_t target = AddItem("kvg", (dir.path() / "b.kvg").string());
  const int32_t shape = AddItem("kvg", (dir.path() / "a.kvg").string());
  StoreItem item = GUICore::GetStoreItemByID(shape);
  item.flags = 1;
  item.param = target;
  GUICore::SetStoreItem(shape, item);
  PictureFields f = Fields();
  f.itemId = std::to_string(shape);
  EXPECT_EQ(BuildPreviewRecords(f, {}, {}, 0, false).move.itemId, target);
  f.frameCount = "1";
  EXPECT_EQ(BuildPreviewRecords(f, {}, {}, 0, false).move.itemId, 0);

  EventRecord e = ZeroEvent();
  e.itemId = shape;
  EXPECT_FALSE(PictureMoves(e, false));
  EXPECT_TRUE(PictureMoves(e, true));
  e.itemId = AddItem("sprite", "s");
  EXPECT_TRUE(PictureMoves(e, false));
  WriteFile(dir.path() / "t.txt", "text");
  e.itemId = AddItem("txt", (dir.path() / "t.txt").string());
  EXPECT_FALSE(PictureMoves(e, false));
  item = GUICore::GetStoreItemByID(e.itemId);
  item.flags |= 0x2000;
  GUICore::SetStoreItem(e.itemId, item);
  EXPECT_TRUE(PictureMoves(e, false));
}

}  // namespace
}  // namespace tesmiro::LivePicture
