#pragma once
// The handles and the guide-path editor of the live picture. The editor
// keeps a list of points in stage twips: in handle mode the nine handles of
// the operated image (0 top left ... 4 its position point ... 8 bottom
// right, in the image's own unrotated rows), in guide mode the path from
// the draw position (point 0) through the anchors to the move target (the
// last point). The pane feeds it the pointer in twips; a drag moves, scales
// or rotates the handles or moves guide points; the write-back turns the
// list into the dialog's boxes and the event's guide.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "project/live_picture_view.h"
#include "project/records.h"

namespace tesmiro::LivePicture {

// Width, height and reference point of a material in pixels (the reference
// point is not 0 for sprites only).
struct MaterialSize {
  int32_t width = 0;
  int32_t height = 0;
  int32_t refX = 0;
  int32_t refY = 0;
};
using MaterialSizeFn = std::function<MaterialSize(int32_t itemId)>;

// What a drag changed, for the write-back.
enum ChangedField : int32_t {
  kChangedPosition = 1,
  kChangedCentre = 2,
  kChangedScaleX = 4,
  kChangedScaleY = 8,
  kChangedAngle = 16,
};

enum class DragMode : int32_t { None = 0, MoveOrScale = 1, Rotate = 2 };

// The boxes a write-back fills.
enum class Box { DrawX, DrawY, MoveX, MoveY, DrawAngle, DrawSize, MoveAngle, MoveSize, CentreX, CentreY };

// What the write-back puts into the dialog: boxes in writing order, and
// the guide of the event when guide editing wrote it.
struct FieldWrites {
  std::vector<std::pair<Box, std::string>> texts;
  std::optional<int16_t> guideMode;
  std::optional<std::vector<GuideAnchor>> anchors;
  // The text written into a box, or nothing.
  std::optional<std::string> text(Box box) const;
};

// What the point list is computed from.
struct HandleSource {
  bool paneVisible = true;
  std::string itemId;  // the file ID box
  bool guideEditing = false;  // "ｶﾞｲﾄﾞ" ticked
  bool motion = false;  // the move target can be chosen (a motion event)
  int16_t guideMode = 0;  // of the event being edited
  std::vector<GuideAnchor> anchors;
  std::string drawX, drawY, moveX, moveY;  // draw and move-target positions
};

// Modifier bits as the mouse handlers receive them.
inline constexpr int32_t kShiftKey = 1;
inline constexpr int32_t kCtrlKey = 2;

// What to draw over the picture, in pane pixels.
struct Scene {
  struct Line {
    PanePoint from;
    PanePoint to;
    bool dotted = false;
  };
  struct Box {
    int32_t left = 0, top = 0, right = 0, bottom = 0;  // inclusive corners
  };
  struct Label {
    Box box;  // filled with the label colour
    PanePoint origin;  // where the first line of text starts
    std::string xLine, yLine;
  };
  std::vector<Line> lines;
  // A smooth guide: the first point, then three per cubic segment.
  std::vector<PanePoint> bezier;
  std::vector<PanePoint> anchors;  // a small circle each
  std::vector<Box> handles;  // filled boxes
  std::optional<Label> label;  // coordinates of the point under the pointer
};
inline constexpr int32_t kAnchorRadius = 2;
inline constexpr uint32_t kAnchorColor = 0xFF0000;  // 0x00BBGGRR
inline constexpr uint32_t kLabelColor = 0xE0FFFF;

// A coordinate of the label: pixels with two decimals, three digits at
// least ("061.70" for 1234 twips).
std::string FormatCoordinate(double twips);

class PictureEditor {
 public:
  // ---- the point list ----------------------------------------------------
  // Rebuilds the list from the fields and the operated record; with a hidden
  // pane or no material the list stays as it was.
  void ComputeHandles(const HandleSource& source, const MaterialSizeFn& sizeOf);
  const std::vector<TwipPoint>& points() const { return points_; }
  // The guide list or the nine handles, as the last ComputeHandles made it.
  bool guideList() const { return guideList_; }

  // The 1-based number of the last point within reach (60 / zoom twips,
  // three pane pixels), 0 for none.
  int32_t FindAnchorAt(TwipPoint p, float zoom) const;
  // The segment (from its first point, 0-based) nearest to p; -1 for a list
  // of one point or none.
  int32_t FindGuideSegmentAt(TwipPoint p) const;

  // ---- the mouse -----------------------------------------------------------
  // The pointer moved with no button down: the point under it (also the
  // answer), which a press then drags.
  int32_t Hover(TwipPoint m, float zoom);
  // A button went down at m. guideEditing: "ｶﾞｲﾄﾞ" ticked.
  void Press(TwipPoint m, bool guideEditing, int32_t shift);
  // The pointer moved with a button down. False when the editor is not
  // dragging (nothing changed).
  bool DragTo(TwipPoint m, bool guideEditing, bool rightButton, int32_t shift);
  // The button came up: right-button anchor insertion and deletion, Shift
  // snapping. The caller writes back and rebuilds afterwards.
  void Release(TwipPoint m, bool guideEditing, bool rightButton, int32_t shift);
  bool mouseDown() const { return mouseDown_; }
  int32_t hover() const { return hover_; }
  int32_t changedFields() const { return changed_; }
  DragMode dragMode() const { return dragMode_; }

  // "アンカーを全て削除": the guide from the start straight to the end. False
  // (nothing changed) with fewer than two points or outside guide editing.
  bool ClearAnchors();

  // ---- the write-back --------------------------------------------------------
  // The list as boxes (and as the guide while guide editing): the guide's
  // start and end into the position boxes; the handles into the boxes of the
  // operated image (0 draw position, 1 move target), as far as the drag
  // changed them. guideMode: the event's guide mode now.
  FieldWrites ApplyDragToFields(bool guideEditing, int operatedImage, int16_t guideMode,
                                const MaterialSizeFn& sizeOf);

  // ---- drawing -----------------------------------------------------------------
  // showCoordinates: "アンカーの座標を表示" checked.
  Scene DrawGuideAndHandles(const PaneView& view, bool paneVisible, bool guideEditing, bool motion,
                            int16_t guideMode, bool showCoordinates) const;

  // The record of the operated image, as the last rebuild made it; a
  // rotating drag changes its angle.
  EventRecord operated;

  // Forgets the drag and the list (a new selection).
  void Reset();

 private:
  void dragGuide(TwipPoint m);
  void dragHandles(TwipPoint m, bool rightButton, int32_t shift);

  std::vector<TwipPoint> points_;
  std::vector<TwipPoint> saved_;
  bool guideList_ = false;
  bool mouseDown_ = false;
  DragMode dragMode_ = DragMode::None;
  TwipPoint press_;
  double savedAngle_ = 0;
  int32_t hover_ = 0;
  int32_t changed_ = 0;
  // Anchors were deleted since the last write-back: when none is left the
  // event's anchors go too, so that making the guide a curve again does not
  // bring them back.
  bool anchorsDeleted_ = false;
};

}  // namespace tesmiro::LivePicture
