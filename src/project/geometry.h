#pragma once
// Typed values that may be relative ("+5") or paired ("2:3"), and the
// geometry of the guide-path editor and the event compiler.
#include <cstdint>
#include <string>
#include <vector>

namespace tesmiro {

namespace GUICore {

// A double as a single, saturated at the largest finite singles (NaN 0):
// boxes accept any number, and a record field cannot hold more.
float ToSingle(double v);
// "+" followed by a number adds it to base; any other text is absolute.
double ParseRelativeValue(const std::string& text, double base);
// "b:a" sets b from the part before the first ":" and a from the part
// after it; a text without ":" sets both. Each part may be relative.
void ParseXYPair(const std::string& text, float& a, float& b);

}  // namespace GUICore

namespace MathModule {

struct PointD {
  double x = 0;
  double y = 0;
};
struct PointL {
  int32_t x = 0;
  int32_t y = 0;
  bool operator==(const PointL&) const = default;
};

// Scales (x, y) about the centre, rounds, then rotates by angle (radians;
// with y pointing down a positive angle turns clockwise).
void RotateScalePoint(double& x, double& y, double cx, double cy, double angle, double sx, double sy);
float Hypot(double dx, double dy);
// Direction of (x1 - x0, y1 - y0) in degrees, -90 to 270.
double AngleDegrees(double x0, double y0, double x1, double y1);
// Distance from (px, py) to the segment, on integer components; products
// are 64-bit, so stage-wide coordinates cannot overflow.
float PointToSegmentDistance(double x1, double y1, double x2, double y2, double px, double py);
// The cubic segments of a smooth curve through the control polygon
// points[0..n]: the first point, then three points per segment. Result the
// last output index, 3 x (n - 1); with fewer than three points there is no
// segment (result 0).
int32_t SmoothCurveControlPoints(const std::vector<PointD>& points, std::vector<PointL>& out);
// The four bytes of the value, lowest first (red of a 0xAABBGGRR colour).
void SplitColor(int32_t value, uint8_t& b0, uint8_t& b1, uint8_t& b2, uint8_t& b3);

}  // namespace MathModule
}  // namespace tesmiro
