#pragma once
// An independent reader of the shape tags the vector encoder writes
// (DefineShape3, DefineMorphShape), written from the file format alone so
// that the tests do not check the encoder against itself.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tesmiro::testing {

struct ReadRect {
  int32_t nbits = 0;
  int64_t xmin = 0, xmax = 0, ymin = 0, ymax = 0;
};

struct ReadMatrix {
  double sx = 1, sy = 1, r0 = 0, r1 = 0;
  int64_t tx = 0, ty = 0;
  int32_t scaleBits = 0, translateBits = 0;
};

struct ReadGradientRecord {
  int ratio = 0;
  uint32_t rgba = 0;  // red in the high byte
  int endRatio = 0;
  uint32_t endRgba = 0;
};

struct ReadFill {
  int type = 0;
  uint32_t rgba = 0, endRgba = 0;
  ReadMatrix matrix, endMatrix;
  std::vector<ReadGradientRecord> records;
};

struct ReadLine {
  int width = 0, endWidth = 0;
  uint32_t rgba = 0, endRgba = 0;
};

struct ReadEdge {
  bool curved = false;
  int64_t cx = 0, cy = 0, ax = 0, ay = 0;  // absolute
};

// One run of edges after a move.
struct ReadPath {
  int styleTable = 0;  // which style table (0 = the shape's own, n = the n-th new-styles record)
  int64_t fill0 = 0, fill1 = 0, line = 0;
  int64_t startX = 0, startY = 0;
  int32_t moveBits = 0;
  std::vector<ReadEdge> edges;
  bool closes() const {
    const int64_t x = edges.empty() ? startX : edges.back().ax, y = edges.empty() ? startY : edges.back().ay;
    return x == startX && y == startY;
  }
};

struct ReadStyles {
  std::vector<ReadFill> fills;
  std::vector<ReadLine> lines;
  int fillBits = 0, lineBits = 0;
};

struct ReadShape {
  int id = 0;
  ReadRect bounds, endBounds;
  std::vector<ReadStyles> tables;  // [0] the shape's own
  std::vector<ReadPath> paths;
  std::vector<ReadPath> endPaths;  // morph shapes
  uint32_t endEdgesOffset = 0;     // morph shapes, as stored
  size_t endEdgesAt = 0;           // morph shapes, where the end edges were found (from the end of the offset field)
};

// Parses a tag body (after the tag header). An error text on failure.
std::optional<ReadShape> ReadDefineShape3(const std::vector<uint8_t>& body, std::string* error);
std::optional<ReadShape> ReadDefineMorphShape(const std::vector<uint8_t>& body, std::string* error);
// Parses the shape data alone (SHAPEWITHSTYLE of DefineShape3, or just
// SHAPE when withStyles is false).
std::optional<ReadShape> ReadShapeData(const std::vector<uint8_t>& data, std::string* error);

}  // namespace tesmiro::testing
