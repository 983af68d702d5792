#pragma once
// Vector images as SWF shapes: DefineShape3 with each path's own fill and
// line styles (or, for masks, every path in one style table), and
// DefineMorphShape between two images of matching paths.
#include <cstdint>
#include <string>
#include <vector>

#include "media/vector/kvg.h"
#include "swf/bit_writer.h"

namespace tesmiro::SWFMakeCore {

using ShapeModule::KvgBounds;
using ShapeModule::KvgImage;
using ShapeModule::KvgShape;

// Appends a DefineShape3: the whole image (each path, or compound group, an
// element with its own styles; element encodings are cached in the shapes),
// or with `whole` false the paths alone in one style table (mask use).
void WriteVectorShape(int32_t id, KvgImage& image, const KvgBounds& bounds, bool whole);
int32_t EncodeVectorImage(KvgImage& image, std::vector<uint8_t>& out);
// Modes: 0 one shape, 1 first shape of a compound group, 3 a further shape
// of the group, 2 close the group (the shape is not looked at).
void EncodeVectorElement(BitWriter& w, const KvgShape& shape, int32_t mode);
int32_t EncodeVectorPaths(const KvgImage& image, std::vector<uint8_t>& out);
void EncodePath(BitWriter& w, const KvgShape& shape, int32_t styleIndex, bool movesOnly);
void EncodeEdges(BitWriter& w, const KvgShape& shape, int32_t& penX, int32_t& penY);
void WriteColorBits(BitWriter& w, int32_t color);
void WriteGradientMatrix(BitWriter& w, float sx, float sy, float r0, float r1, int32_t tx, int32_t ty);

// Why a morph was not written.
enum class MorphResult { Written, Empty, ShapeCountDiffers, EdgesDiffer };
// Appends a DefineMorphShape from `start` to `end`. Images whose paths do not
// pair up edge for edge are refused (no tag) with a "警告" message, except
// an empty image, which is left out silently.
MorphResult WriteDefineMorphShape(int32_t id, const KvgImage& start, const KvgImage& end,
                                  const KvgBounds& startBounds, const KvgBounds& endBounds);
int32_t EncodeMorphPaths(const KvgImage& start, const KvgImage& end, std::vector<uint8_t>& out);

// A path as edges in absolute twips: what a shape's points make once kinds,
// implied anchors and closing are worked out. An edge too long for one record
// is split when written.
struct PathEdge {
  bool curved = false;
  int64_t cx = 0, cy = 0;  // control point (curves)
  int64_t ax = 0, ay = 0;  // where the edge ends
};
struct PathOutline {
  int64_t startX = 0, startY = 0;
  std::vector<PathEdge> edges;
};
// Empty (no edges, start 0) for a shape of fewer than two points.
PathOutline TracePath(const KvgShape& shape);

// The element buffers that gather one compound group over several calls of
// EncodeVectorElement.
struct VectorElementState {
  BitWriter style;  // style-change record with the new fill styles
  BitWriter lines;  // line styles
  struct Member {
    PathOutline path;
    int32_t fillIndex = 0;
    int32_t lineIndex = 0;
  };
  std::vector<Member> members;
  int32_t fillCount = 0;
  int32_t lineCount = 0;
};
VectorElementState& VectorElements();
void ResetVectorElements();

// ---- limits shared with the loader ------------------------------------------
// Coordinates beyond this many twips are pulled in to it: the widest position
// field (31 bits) then holds every coordinate and bound.
constexpr int32_t kCoordinateLimit = (1 << 29) - 1;
inline int32_t ClampCoordinate(int64_t v) {
  return static_cast<int32_t>(v < -kCoordinateLimit ? -kCoordinateLimit : v > kCoordinateLimit ? kCoordinateLimit : v);
}
// The width a line style can carry (16 bits, not negative).
inline int32_t DrawnLineWidth(int32_t w) { return w < 0 ? 0 : w > 65535 ? 65535 : w; }
// An upper bound on the edge records a shape's path takes once edges too long
// for one record are split.
int64_t EdgeRecordBound(const KvgShape& shape);

}  // namespace tesmiro::SWFMakeCore
