#include "project/picture_editor.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>

#include "platform/numeric.h"
#include "project/geometry.h"

namespace tesmiro::LivePicture {
namespace {

constexpr double kPi = 3.14159265358979;
constexpr int32_t kHandleCount = 9;
constexpr size_t kPositionPoint = 4;
constexpr double kReachTwips = 60.0;  // three pane pixels at any zoom

double Radians(double degrees) { return degrees * kPi / 180.0; }

float ToSingle(double v) {
  if (std::isnan(v)) return 0.0f;
  return static_cast<float>(std::clamp(v, -static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX)));
}

// Round(v, 2), halves to even.
double RoundTo2(double v) { return num::RoundHalfEven(v * 100.0) / 100.0; }

void Turn(TwipPoint& p, TwipPoint pivot, double angle, double sx = 1, double sy = 1) {
  MathModule::RotateScalePoint(p.x, p.y, pivot.x, pivot.y, angle, sx, sy);
}

TwipPoint Offset(TwipPoint p, double dx, double dy) { return {p.x + dx, p.y + dy}; }

std::string PixelText(double twips) { return num::CStr(num::IntDiv(twips, kTwipsPerPixel)); }

std::string SizeText(float sx, float sy) {
  if (sx == sy) return num::CStr(sx);
  return num::CStr(sy) + ":" + num::CStr(sx);
}

}  // namespace

std::optional<std::string> FieldWrites::text(Box box) const {
  for (const auto& [b, t] : texts) {
    if (b == box) return t;
  }
  return std::nullopt;
}

std::string FormatCoordinate(double twips) {
  const double pixels = std::floor(twips) / kTwipsPerPixel;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f", std::fabs(pixels));
  std::string text = buf;
  const size_t dot = text.find('.');
  if (dot < 3) text.insert(0, 3 - dot, '0');
  if (pixels < 0 && text.find_first_not_of("0.") != std::string::npos) text.insert(0, 1, '-');
  return text;
}

// ---- the point list --------------------------------------------------------

void PictureEditor::ComputeHandles(const HandleSource& source, const MaterialSizeFn& sizeOf) {
  const double fileId = num::Val(source.itemId);
  if (!source.paneVisible || !(fileId > 0)) return;
  if (source.guideEditing) {
    guideList_ = true;
    if (!source.motion) {
      points_.assign(1, TwipPoint{});
    } else if (source.guideMode <= 0) {
      points_.assign(2, TwipPoint{});
    } else {
      points_.assign(source.anchors.size() + 2, TwipPoint{});
      for (size_t i = 0; i < source.anchors.size(); ++i)
        points_[i + 1] = {static_cast<double>(source.anchors[i].x), static_cast<double>(source.anchors[i].y)};
    }
    points_.back() = {num::Val(source.moveX) * kTwipsPerPixel, num::Val(source.moveY) * kTwipsPerPixel};
    points_.front() = {num::Val(source.drawX) * kTwipsPerPixel, num::Val(source.drawY) * kTwipsPerPixel};
    saved_.assign(points_.size(), TwipPoint{});
    return;
  }
  guideList_ = false;
  points_.assign(kHandleCount, TwipPoint{});
  saved_.assign(kHandleCount, TwipPoint{});
  const MaterialSize size = sizeOf ? sizeOf(num::RoundToInt32(fileId)) : MaterialSize{};
  const TwipPoint p{operated.startX * 20.0, operated.startY * 20.0};
  const double angle = Radians(operated.startAngle);
  for (int j = 0; j < 3; ++j) {
    for (int i = 0; i < 3; ++i) {
      TwipPoint& q = points_[static_cast<size_t>(3 * j + i)];
      q.x = p.x + i * size.width * 10.0 - operated.centerX * 20.0 - size.refX * 20.0;
      q.y = p.y + j * size.height * 10.0 - operated.centerY * 20.0 - size.refY * 20.0;
      Turn(q, p, angle, operated.startScaleX, operated.startScaleY);
    }
  }
  points_[kPositionPoint] = p;
}

int32_t PictureEditor::FindAnchorAt(TwipPoint p, float zoom) const {
  const float reach = ToSingle(kReachTwips / zoom);
  int32_t found = 0;
  for (size_t i = 0; i < points_.size(); ++i) {
    if (MathModule::Hypot(p.x - points_[i].x, p.y - points_[i].y) < reach) found = static_cast<int32_t>(i + 1);
  }
  return found;
}

int32_t PictureEditor::FindGuideSegmentAt(TwipPoint p) const {
  if (points_.size() < 2) return -1;
  int32_t best = 0;
  float bestDistance = 0;
  for (size_t i = 0; i + 1 < points_.size(); ++i) {
    const TwipPoint& a = points_[i];
    const TwipPoint& b = points_[i + 1];
    const float d = MathModule::PointToSegmentDistance(a.x, a.y, b.x, b.y, p.x, p.y);
    if (i == 0 || d < bestDistance) {
      best = static_cast<int32_t>(i);
      bestDistance = d;
    }
  }
  return best;
}

// ---- the mouse -------------------------------------------------------------

int32_t PictureEditor::Hover(TwipPoint m, float zoom) {
  if (!mouseDown_) hover_ = FindAnchorAt(m, zoom);
  return hover_;
}

void PictureEditor::Press(TwipPoint m, bool guideEditing, int32_t shift) {
  changed_ = 0;
  mouseDown_ = true;
  press_ = m;
  const bool handles = !guideList_ && points_.size() >= kHandleCount;
  if (!guideEditing && handles && hover_ > 0 && hover_ != 5) {
    saved_ = points_;
    if ((shift & kShiftKey) != 0) {
      dragMode_ = DragMode::Rotate;
      savedAngle_ = operated.startAngle;
    } else {
      dragMode_ = DragMode::MoveOrScale;
    }
  }
}

bool PictureEditor::DragTo(TwipPoint m, bool guideEditing, bool rightButton, int32_t shift) {
  if (!mouseDown_) return false;
  if (guideEditing) {
    if (!guideList_) return false;
    dragGuide(m);
    return true;
  }
  if (guideList_ || points_.size() < kHandleCount) return false;
  dragHandles(m, rightButton, shift);
  return true;
}

void PictureEditor::dragGuide(TwipPoint m) {
  const double dx = m.x - press_.x, dy = m.y - press_.y;
  if (hover_ < 1) {
    for (TwipPoint& p : points_) p = Offset(p, dx, dy);
  } else if (static_cast<size_t>(hover_) <= points_.size()) {
    TwipPoint& p = points_[static_cast<size_t>(hover_ - 1)];
    p = Offset(p, dx, dy);
  }
  press_ = m;
  changed_ = kChangedPosition;
}

void PictureEditor::dragHandles(TwipPoint m, bool rightButton, int32_t shift) {
  const double dx = m.x - press_.x, dy = m.y - press_.y;
  if (hover_ == 0) {
    for (TwipPoint& p : points_) p = Offset(p, dx, dy);
    press_ = m;
    changed_ = kChangedPosition;
    return;
  }
  if (hover_ == 5) {
    points_[kPositionPoint] = Offset(points_[kPositionPoint], dx, dy);
    press_ = m;
    changed_ = kChangedPosition | kChangedCentre;
    return;
  }
  if (hover_ < 1 || hover_ > kHandleCount || saved_.size() < kHandleCount) return;
  // Every step is measured from the press, so rounding never piles up.
  points_ = saved_;
  if (dragMode_ == DragMode::Rotate) {
    TwipPoint pivot;
    if (rightButton) {
      pivot = points_[kPositionPoint];
      changed_ |= kChangedAngle;
    } else {
      // The image's middle: the position point turns with the image.
      pivot = {(points_[0].x + points_[8].x) / 2, (points_[0].y + points_[8].y) / 2};
      changed_ |= kChangedAngle | kChangedPosition;
    }
    const double delta = MathModule::AngleDegrees(pivot.x, pivot.y, m.x, m.y) -
                         MathModule::AngleDegrees(pivot.x, pivot.y, press_.x, press_.y);
    for (TwipPoint& p : points_) Turn(p, pivot, Radians(delta));
    operated.startAngle = ToSingle(delta + savedAngle_);
    return;
  }
  const int32_t h = hover_;
  TwipPoint pivot;
  if (rightButton) {
    pivot = points_[kPositionPoint];
  } else {
    pivot = points_[static_cast<size_t>(9 - h)];  // the opposite handle
    changed_ |= kChangedPosition;
  }
  // Measured in the image's own upright frame.
  const double upright = -Radians(operated.startAngle);
  TwipPoint p = press_, q = m;
  for (TwipPoint& point : points_) Turn(point, pivot, upright);
  Turn(p, pivot, upright);
  Turn(q, pivot, upright);
  // A press on the pivot's own line keeps that factor.
  double sx = p.x == pivot.x ? 1.0 : (q.x - pivot.x) / (p.x - pivot.x);
  double sy = p.y == pivot.y ? 1.0 : (q.y - pivot.y) / (p.y - pivot.y);
  if (h == 2 || h == 8) {
    sx = 1;
    changed_ |= kChangedScaleY;
  } else if (h == 4 || h == 6) {
    sy = 1;
    changed_ |= kChangedScaleX;
  } else {
    changed_ |= kChangedScaleX | kChangedScaleY;
    if ((shift & kCtrlKey) != 0) sx = sy = std::max(sx, sy);
  }
  for (TwipPoint& point : points_) {
    point = {pivot.x + (point.x - pivot.x) * sx, pivot.y + (point.y - pivot.y) * sy};
    Turn(point, pivot, -upright);
  }
}

void PictureEditor::Release(TwipPoint m, bool guideEditing, bool rightButton, int32_t shift) {
  mouseDown_ = false;
  if (!guideEditing || !guideList_) return;
  if (rightButton) {
    const int32_t upper = static_cast<int32_t>(points_.size()) - 1;
    if (hover_ > 0) {
      // The start and the end stay; only anchors go.
      if (hover_ >= 2 && hover_ <= upper) {
        points_.erase(points_.begin() + (hover_ - 1));
        anchorsDeleted_ = true;
        hover_ = 0;
      }
    } else {
      const int32_t s = FindGuideSegmentAt(m);
      if (s >= 0) {
        points_.insert(points_.begin() + (s + 1), m);
        // The pointer is over the new anchor, which Shift snaps below.
        hover_ = s + 2;
      }
    }
    saved_.resize(points_.size());
  }
  if (hover_ > 0 && shift == kShiftKey && static_cast<size_t>(hover_) <= points_.size()) {
    TwipPoint& p = points_[static_cast<size_t>(hover_ - 1)];
    p.x = static_cast<double>(num::IntDiv(p.x, kTwipsPerPixel)) * kTwipsPerPixel;
    p.y = static_cast<double>(num::IntDiv(p.y, kTwipsPerPixel)) * kTwipsPerPixel;
  }
}

bool PictureEditor::ClearAnchors() {
  if (!guideList_ || points_.size() < 2) return false;
  if (points_.size() > 2) anchorsDeleted_ = true;
  points_[1] = points_.back();
  points_.resize(2);
  saved_.resize(2);
  hover_ = 0;
  return true;
}

// ---- the write-back ----------------------------------------------------------

FieldWrites PictureEditor::ApplyDragToFields(bool guideEditing, int operatedImage, int16_t guideMode,
                                             const MaterialSizeFn& sizeOf) {
  FieldWrites w;
  if (guideEditing) {
    if (!guideList_ || points_.empty()) return w;
    const size_t upper = points_.size() - 1;
    if (upper > 1) {
      w.guideMode = guideMode == 0 ? int16_t{1} : guideMode;
      std::vector<GuideAnchor> anchors;
      for (size_t i = 1; i < upper; ++i)
        anchors.push_back({num::RoundToInt32(points_[i].x), num::RoundToInt32(points_[i].y)});
      w.anchors = std::move(anchors);
    } else {
      w.guideMode = 0;
      if (anchorsDeleted_ && upper == 1) w.anchors = std::vector<GuideAnchor>{};
    }
    anchorsDeleted_ = false;
    w.texts.push_back({Box::DrawX, PixelText(points_.front().x)});
    w.texts.push_back({Box::DrawY, PixelText(points_.front().y)});
    if (points_.size() > 1) {
      w.texts.push_back({Box::MoveX, PixelText(points_.back().x)});
      w.texts.push_back({Box::MoveY, PixelText(points_.back().y)});
    }
    return w;
  }
  if (guideList_ || points_.size() < kHandleCount) return w;

  const MaterialSize size = sizeOf ? sizeOf(operated.itemId) : MaterialSize{};
  const double width = size.width * 20.0, height = size.height * 20.0;
  const TwipPoint pivot = points_[kPositionPoint];
  std::vector<TwipPoint> work(points_.begin(), points_.begin() + kHandleCount);
  const double upright = -Radians(operated.startAngle);
  for (size_t i = 0; i < work.size(); ++i) {
    if (i != kPositionPoint) Turn(work[i], pivot, upright);
  }
  if (width != 0 && (changed_ & kChangedScaleX) != 0)
    operated.startScaleX = ToSingle(RoundTo2((work[8].x - work[0].x) / width));
  if (height != 0 && (changed_ & kChangedScaleY) != 0)
    operated.startScaleY = ToSingle(RoundTo2((work[8].y - work[0].y) / height));
  // A zero scale is taken as 1 rather than divided by.
  const double fx = operated.startScaleX == 0 ? 1.0 : operated.startScaleX;
  const double fy = operated.startScaleY == 0 ? 1.0 : operated.startScaleY;
  for (size_t i = 0; i < work.size(); ++i) {
    if (i != kPositionPoint) Turn(work[i], pivot, 0, 1 / fx, 1 / fy);
  }
  if ((changed_ & kChangedPosition) != 0) {
    operated.startX = num::IntDiv(pivot.x, kTwipsPerPixel);
    operated.startY = num::IntDiv(pivot.y, kTwipsPerPixel);
  }
  if ((changed_ & kChangedCentre) != 0) {
    operated.centerX = num::IntDiv(pivot.x - work[0].x, kTwipsPerPixel) - size.refX;
    operated.centerY = num::IntDiv(pivot.y - work[0].y, kTwipsPerPixel) - size.refY;
  }
  if ((changed_ & kChangedAngle) != 0) operated.startAngle = static_cast<float>(num::Mod(operated.startAngle, 360));

  const bool target = operatedImage == 1;
  w.texts.push_back({target ? Box::MoveX : Box::DrawX, num::CStr(operated.startX)});
  w.texts.push_back({target ? Box::MoveY : Box::DrawY, num::CStr(operated.startY)});
  w.texts.push_back({Box::CentreX, num::CStr(operated.centerX)});
  w.texts.push_back({Box::CentreY, num::CStr(operated.centerY)});
  w.texts.push_back({target ? Box::MoveAngle : Box::DrawAngle, num::CStr(operated.startAngle)});
  w.texts.push_back({target ? Box::MoveSize : Box::DrawSize, SizeText(operated.startScaleX, operated.startScaleY)});
  return w;
}

// ---- drawing -----------------------------------------------------------------

Scene PictureEditor::DrawGuideAndHandles(const PaneView& view, bool paneVisible, bool guideEditing, bool motion,
                                         int16_t guideMode, bool showCoordinates) const {
  Scene s;
  if (!paneVisible) return s;
  auto pane = [&](const TwipPoint& p) { return PosTwipToScr(view, p.x, p.y); };
  if (guideEditing) {
    if (!motion || !guideList_) return s;
    if (points_.size() >= 2) {
      if (points_.size() < 3 || guideMode == 1) {
        for (size_t i = 0; i + 1 < points_.size(); ++i) s.lines.push_back({pane(points_[i]), pane(points_[i + 1])});
      } else {
        std::vector<MathModule::PointD> in;
        for (const TwipPoint& p : points_) in.push_back({p.x, p.y});
        std::vector<MathModule::PointL> out;
        const int32_t last = MathModule::SmoothCurveControlPoints(in, out);
        for (int32_t i = 0; i <= last && static_cast<size_t>(i) < out.size(); ++i)
          s.bezier.push_back(PosTwipToScr(view, out[static_cast<size_t>(i)].x, out[static_cast<size_t>(i)].y));
      }
    }
    for (size_t i = 0; i < points_.size(); ++i) {
      const PanePoint c = pane(points_[i]);
      s.anchors.push_back(c);
      if (showCoordinates && static_cast<int32_t>(i) == hover_ - 1) {
        Scene::Label label;
        label.box = {c.x - 51, c.y - 25, c.x - 3, c.y - 3};
        label.origin = {c.x - 51, c.y - 25};
        label.xLine = "X:" + FormatCoordinate(points_[i].x);
        label.yLine = "Y:" + FormatCoordinate(points_[i].y);
        s.label = label;
      }
    }
    return s;
  }
  if (guideList_ || points_.size() < kHandleCount) return s;
  std::vector<PanePoint> p;
  for (size_t i = 0; i < kHandleCount; ++i) p.push_back(pane(points_[i]));
  s.lines.push_back({p[1], p[7], true});
  s.lines.push_back({p[3], p[5], true});
  s.lines.push_back({p[0], p[2]});
  s.lines.push_back({p[2], p[8]});
  s.lines.push_back({p[8], p[6]});
  s.lines.push_back({p[6], p[0]});
  const PanePoint c = p[kPositionPoint];
  s.lines.push_back({{c.x - 3, c.y}, {c.x + 4, c.y}});
  s.lines.push_back({{c.x, c.y - 3}, {c.x, c.y + 4}});
  for (size_t i = 0; i < kHandleCount; ++i) {
    const int32_t r = i == kPositionPoint ? 1 : 2;
    s.handles.push_back({p[i].x - r, p[i].y - r, p[i].x + r, p[i].y + r});
  }
  return s;
}

void PictureEditor::Reset() {
  points_.clear();
  saved_.clear();
  guideList_ = false;
  mouseDown_ = false;
  dragMode_ = DragMode::None;
  press_ = {};
  savedAngle_ = 0;
  hover_ = 0;
  changed_ = 0;
  anchorsDeleted_ = false;
}

}  // namespace tesmiro::LivePicture
