// Relative and paired values, and the geometry helpers.
#include <gtest/gtest.h>

#include <cmath>

#include "project/geometry.h"

namespace tesmiro {
namespace {

using MathModule::PointD;
using MathModule::PointL;

TEST(GeometryTest, RelativeAndPairedValues) {
  EXPECT_EQ(GUICore::ParseRelativeValue("+10", 5), 15);
  EXPECT_EQ(GUICore::ParseRelativeValue("10", 5), 10);
  EXPECT_EQ(GUICore::ParseRelativeValue("-10", 5), -10);
  EXPECT_EQ(GUICore::ParseRelativeValue("+-3", 5), 2);
  EXPECT_EQ(GUICore::ParseRelativeValue("", 5), 0);
  float a = 0, b = 0;
  GUICore::ParseXYPair("2:3", a, b);
  EXPECT_EQ(a, 3.0f);
  EXPECT_EQ(b, 2.0f);
  a = 1;
  b = 2;
  GUICore::ParseXYPair("+1", a, b);
  EXPECT_EQ(a, 2.0f);
  EXPECT_EQ(b, 3.0f);
  GUICore::ParseXYPair("+1:4:9", a, b);  // only the first ":" splits
  EXPECT_EQ(b, 4.0f);
  EXPECT_EQ(a, 4.0f);
}

TEST(GeometryTest, AnglesAndDistances) {
  EXPECT_DOUBLE_EQ(MathModule::AngleDegrees(0, 0, -1, 0), 180);
  EXPECT_DOUBLE_EQ(MathModule::AngleDegrees(0, 0, 0, -5), -90);
  EXPECT_DOUBLE_EQ(MathModule::AngleDegrees(0, 0, 0, 0), 90);
  EXPECT_NEAR(MathModule::AngleDegrees(0, 0, 1, 1), 45, 1e-9);
  EXPECT_NEAR(MathModule::AngleDegrees(0, 0, -1, -1), 225, 1e-9);
  EXPECT_FLOAT_EQ(MathModule::PointToSegmentDistance(0, 0, 10, 0, 5, 5), 5);
  EXPECT_FLOAT_EQ(MathModule::PointToSegmentDistance(0, 0, 10, 0, -3, 4), 5);
  EXPECT_FLOAT_EQ(MathModule::PointToSegmentDistance(0, 0, 10, 0, 13, 4), 5);
  EXPECT_FLOAT_EQ(MathModule::Hypot(3, 4), 5);
  // Coordinates far beyond the stage: 32-bit products would overflow.
  EXPECT_FLOAT_EQ(MathModule::PointToSegmentDistance(0, 0, 200000, 0, 100000, 100000), 100000);
  EXPECT_FLOAT_EQ(MathModule::PointToSegmentDistance(-2e9, 0, 2e9, 0, 0, 1e9), 1e9f);
}

TEST(GeometryTest, RotateScalePointRoundsBeforeRotating) {
  double x = 10.6, y = 0;
  MathModule::RotateScalePoint(x, y, 0, 0, 0, 1, 1);
  EXPECT_DOUBLE_EQ(x, 11);
  x = 10;
  y = 0;
  MathModule::RotateScalePoint(x, y, 5, 0, M_PI / 2, 2, 1);  // dx = 10: down the screen
  EXPECT_NEAR(x, 5, 1e-9);
  EXPECT_NEAR(y, 10, 1e-9);
  x = 2.5, y = 0;
  MathModule::RotateScalePoint(x, y, 0, 0, 0, 1, 1);
  EXPECT_DOUBLE_EQ(x, 2);  // halves to even
}

TEST(GeometryTest, SmoothCurveThroughThePoints) {
  std::vector<PointL> out;
  EXPECT_EQ(MathModule::SmoothCurveControlPoints({{0, 0}, {30, 30}, {60, 0}}, out), 3);
  EXPECT_EQ(out, (std::vector<PointL>{{0, 0}, {20, 20}, {40, 20}, {60, 0}}));
  EXPECT_EQ(MathModule::SmoothCurveControlPoints({{0, 0}, {30, 30}, {60, 30}, {90, 0}}, out), 6);
  ASSERT_EQ(out.size(), 7u);
  EXPECT_EQ(out[3], (PointL{45, 30}));  // the midpoint of P1 and P2
  EXPECT_EQ(out[6], (PointL{90, 0}));
  EXPECT_EQ(MathModule::SmoothCurveControlPoints({{5, 5}, {9, 9}}, out), 0);
  EXPECT_EQ(out, (std::vector<PointL>{{0, 0}}));
  EXPECT_EQ(MathModule::SmoothCurveControlPoints({{5, 5}}, out), 0);
  EXPECT_EQ(MathModule::SmoothCurveControlPoints({}, out), 0);
}

TEST(GeometryTest, SplitColor) {
  uint8_t b0, b1, b2, b3;
  MathModule::SplitColor(-1, b0, b1, b2, b3);
  EXPECT_EQ(b0 + b1 + b2 + b3, 4 * 255);
  MathModule::SplitColor(0x80C0E0FF, b0, b1, b2, b3);
  EXPECT_EQ(b0, 0xFF);
  EXPECT_EQ(b1, 0xE0);
  EXPECT_EQ(b2, 0xC0);
  EXPECT_EQ(b3, 0x80);
}

}  // namespace
}  // namespace tesmiro
