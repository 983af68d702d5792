#include "project/geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "platform/numeric.h"

namespace tesmiro {

namespace GUICore {

float ToSingle(double v) {
  if (std::isnan(v)) return 0.0f;
  constexpr double kMax = std::numeric_limits<float>::max();
  return static_cast<float>(std::clamp(v, -kMax, kMax));
}

double ParseRelativeValue(const std::string& text, double base) {
  if (!text.empty() && text[0] == '+') return base + num::Val(std::string_view(text).substr(1));
  return num::Val(text);
}

void ParseXYPair(const std::string& text, float& a, float& b) {
  size_t colon = text.find(':');
  if (colon != std::string::npos) {
    b = ToSingle(ParseRelativeValue(text.substr(0, colon), b));
    a = ToSingle(ParseRelativeValue(text.substr(colon + 1), a));
  } else {
    a = ToSingle(ParseRelativeValue(text, a));
    b = ToSingle(ParseRelativeValue(text, b));
  }
}

}  // namespace GUICore

namespace MathModule {
namespace {

// A difference rounded to an integer, kept within +-(2^31 - 1) so that the
// sum of two products of such values fits in 64 bits.
int64_t Component(double a, double b) {
  int32_t v = num::RoundToInt32(a - b);
  return v == std::numeric_limits<int32_t>::min() ? -std::numeric_limits<int32_t>::max() : v;
}

PointL Rounded(double x, double y) { return {num::RoundToInt32(x), num::RoundToInt32(y)}; }

}  // namespace

void RotateScalePoint(double& x, double& y, double cx, double cy, double angle, double sx, double sy) {
  double dx = num::RoundHalfEven((x - cx) * sx);
  double dy = num::RoundHalfEven((y - cy) * sy);
  x = dx * std::cos(angle) - dy * std::sin(angle) + cx;
  y = dx * std::sin(angle) + dy * std::cos(angle) + cy;
}

float Hypot(double dx, double dy) { return static_cast<float>(std::sqrt(dx * dx + dy * dy)); }

double AngleDegrees(double x0, double y0, double x1, double y1) {
  double dx = x1 - x0, dy = y1 - y0;
  if (dx == 0) return dy >= 0 ? 90.0 : -90.0;
  double a = std::atan(dy / dx) / 0.017453292519943278;
  return dx < 0 ? a + 180.0 : a;
}

float PointToSegmentDistance(double x1, double y1, double x2, double y2, double px, double py) {
  int64_t ux = Component(px, x2), uy = Component(py, y2);
  int64_t wx = Component(x1, x2), wy = Component(y1, y2);
  if (wx * ux + wy * uy < 1) return Hypot(static_cast<double>(ux), static_cast<double>(uy));
  ux = Component(px, x1);
  uy = Component(py, y1);
  wx = Component(x2, x1);
  wy = Component(y2, y1);
  if (wx * ux + wy * uy < 1) return Hypot(static_cast<double>(ux), static_cast<double>(uy));
  double cross = std::fabs(static_cast<double>(wx * uy - wy * ux));
  return static_cast<float>(cross / std::sqrt(static_cast<double>(wx) * wx + static_cast<double>(wy) * wy));
}

int32_t SmoothCurveControlPoints(const std::vector<PointD>& points, std::vector<PointL>& out) {
  const int32_t n = static_cast<int32_t>(points.size()) - 1;
  if (n < 2) {
    // No segment: two points give the single (0, 0) the callers expect, and
    // a lone point stands for itself.
    out.assign(1, n == 0 ? Rounded(points[0].x, points[0].y) : PointL{});
    return 0;
  }
  out.assign(static_cast<size_t>(3 * (n - 1)) + 1, PointL{});
  auto at = [&](int32_t i) -> const PointD& { return points[static_cast<size_t>(i)]; };
  for (int32_t i = 0; i <= n - 2; ++i) {
    const size_t k = static_cast<size_t>(3 * i);
    const PointD& q = at(i + 1);
    PointD s;
    if (i == 0) {
      s = at(0);
      out[k] = Rounded(s.x, s.y);
    } else {
      out[k] = Rounded((at(i).x + at(i + 1).x) / 2, (at(i).y + at(i + 1).y) / 2);
      s = {static_cast<double>(out[k].x), static_cast<double>(out[k].y)};
    }
    out[k + 1] = Rounded((s.x + 2 * q.x) / 3, (s.y + 2 * q.y) / 3);
    if (i == n - 2) {
      out[k + 2] = Rounded((2 * q.x + at(n).x) / 3, (2 * q.y + at(n).y) / 3);
      out[k + 3] = Rounded(at(n).x, at(n).y);
    } else {
      out[k + 2] = Rounded((5 * q.x + at(i + 2).x) / 6, (5 * q.y + at(i + 2).y) / 6);
    }
  }
  return 3 * (n - 1);
}

void SplitColor(int32_t value, uint8_t& b0, uint8_t& b1, uint8_t& b2, uint8_t& b3) {
  uint32_t v = static_cast<uint32_t>(value);
  b0 = static_cast<uint8_t>(v & 255);
  b1 = static_cast<uint8_t>((v >> 8) & 255);
  b2 = static_cast<uint8_t>((v >> 16) & 255);
  b3 = static_cast<uint8_t>((v >> 24) & 255);
}

}  // namespace MathModule
}  // namespace tesmiro
