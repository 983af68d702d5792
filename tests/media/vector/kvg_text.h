#pragma once
// Writes KVG texts for the tests, the way the drawing tool lays them out:
// a header of three lines, the shape count, then per shape its style values
// on one line, the stops (version "030") and one line per point.
#include <cstdint>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace tesmiro::testing {

// A KVG colour: red in the lowest byte, alpha in the highest.
constexpr int32_t KvgColor(uint32_t r, uint32_t g, uint32_t b, uint32_t a = 255) {
  return static_cast<int32_t>(r | (g << 8) | (b << 16) | (a << 24));
}

struct TestPoint {
  int kind = 0;
  int64_t x = 0, y = 0;
};

struct TestShape {
  std::vector<TestPoint> points;
  bool closed = true;
  int64_t lineWidth = 20;
  int outline = 1;
  int32_t lineColor = KvgColor(0, 0, 0);
  int fillKind = 1;
  int32_t color1 = KvgColor(255, 0, 0);
  int64_t centerX = 0, centerY = 0;
  double angle = 0, scaleX = 1, scaleY = 1;
  int32_t color2 = KvgColor(0, 0, 255);
  bool spareFlag = false;
  int spareNumber = 0;
  bool compound = false;
  int group = 0;
  std::vector<std::pair<int, int32_t>> stops;  // ratio, colour
  // Overrides the written last point index (points.size() - 1 otherwise).
  int64_t lastPointOverride = -2;
};

inline TestShape Rectangle(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
  TestShape s;
  s.points = {{0, x0, y0}, {0, x1, y0}, {0, x1, y1}, {0, x0, y1}};
  return s;
}

struct KvgTextOptions {
  std::string eol = "\r\n";
  bool wordBooleans = true;  // "#TRUE#" rather than -1
  int width = 320, height = 240;
};

inline std::string KvgText(const std::string& version, const std::vector<TestShape>& shapes,
                           const KvgTextOptions& o = {}) {
  std::ostringstream t;
  auto flag = [&](bool b) { return o.wordBooleans ? std::string(b ? "#TRUE#" : "#FALSE#") : std::string(b ? "-1" : "0"); };
  t << "KVG" << version << o.eol << o.width << o.eol << o.height << o.eol << shapes.size() << o.eol;
  for (const TestShape& s : shapes) {
    const int64_t last = s.lastPointOverride != -2 ? s.lastPointOverride : static_cast<int64_t>(s.points.size()) - 1;
    t << last << "," << flag(s.closed) << "," << s.lineWidth << "," << s.outline << "," << s.lineColor << ","
      << s.fillKind << "," << s.color1 << "," << s.centerX << "," << s.centerY << "," << s.angle << "," << s.scaleX;
    if (version == "030") t << "," << s.scaleY;
    t << "," << s.color2 << "," << flag(s.spareFlag) << "," << s.spareNumber;
    if (version != "010") t << "," << flag(s.compound) << "," << s.group;
    t << o.eol;
    if (version == "030") {
      t << s.stops.size() << o.eol;
      for (const auto& [ratio, color] : s.stops) t << ratio << "," << color << o.eol;
    }
    for (const TestPoint& p : s.points) t << p.kind << "," << p.x << "," << p.y << o.eol;
  }
  return t.str();
}

}  // namespace tesmiro::testing
