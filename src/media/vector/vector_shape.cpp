// Shape and morph-shape tags of vector images.
//
// Field widths: the format's usual widths are kept whenever a value fits
// them, so ordinary drawings give the usual bytes; a value that does not fit
// widens its field (move and translate bit counts, scale bits, style-index
// bits, extended style counts) or, for edges, is split into several records.
#include "media/vector/vector_shape.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "platform/gcc_quirks.h"
#include "swf/swf_records.h"
#include "swf/swf_writer.h"

namespace tesmiro::SWFMakeCore {
namespace {

constexpr int32_t kElementFillBits = 8;
constexpr int32_t kPathStyleBits = 15;
constexpr int32_t kMoveBits = 17;
constexpr int32_t kTranslateBits = 23;
constexpr int32_t kRectBits = 24;
// An edge record's deltas take at most 17 bits (a 4-bit count plus 2).
constexpr int32_t kEdgeBits = 17;

VectorElementState gElements;

void WriteSigned(BitWriter& w, int64_t value, int32_t bits);
void AppendRect(const KvgBounds& b);
void AppendBytes(const BitWriter& w);
void WriteStyleCount(BitWriter& w, int32_t n);
void WriteFillStyle(BitWriter& w, const KvgShape& shape, int32_t kind);
void WriteLineStyle(BitWriter& w, const KvgShape& shape);
void WriteShapeGradientMatrix(BitWriter& w, const KvgShape& shape);
struct GradientRecord {
  int32_t ratio;
  int32_t color;
};
std::vector<GradientRecord> GradientRecords(const KvgShape& shape, int32_t kind, int32_t k);
int32_t StopsKept(const KvgShape& shape, int32_t kind);
void WriteMove(BitWriter& w, int32_t flags, int64_t x, int64_t y);
void WriteEdges(BitWriter& w, const PathOutline& path, int64_t& penX, int64_t& penY,
                const std::vector<int32_t>* depths);
std::vector<int32_t> SplitDepths(const PathOutline& path);
void WritePathRecords(BitWriter& w, const PathOutline& path, int32_t flags, int32_t fillIndex, int32_t lineIndex,
                      int32_t styleBits, const std::vector<int32_t>* depths);
void AppendElement(BitWriter& w, const KvgShape& shape, int32_t previousStyleBits);
bool HasPath(const KvgShape& shape) { return shape.lastPoint >= 1 && shape.points.size() >= 2; }
int32_t FillKindOf(const KvgShape& s) { return s.closed ? s.fillKind : 0; }
int32_t OutlineOf(const KvgShape& s) { return s.closed ? s.outline : 1; }
int32_t UsableShapes(const KvgImage& image) {
  return std::min({image.count, static_cast<int32_t>(image.shapes.size()), ShapeModule::kMaxShapes});
}
int32_t CompoundStyleIndex(const KvgImage& image, int32_t i);
// An element's line-style indices take 8 bits unless it has more styles.
int32_t ElementLineBits(int32_t lineCount) {
  return lineCount > 255 ? SignedBitsNeeded({lineCount}) - 1 : 8;
}

}  // namespace

VectorElementState& VectorElements() { return gElements; }
void ResetVectorElements() { gElements = VectorElementState{}; }

void WriteVectorShape(int32_t id, KvgImage& image, const KvgBounds& bounds, bool whole) {
  const size_t lengthAt = WriteTagHeader(TagCode::DefineShape3, 0, TagForm::Long);
  WriteU16(id);
  AppendRect(bounds);
  std::vector<uint8_t> data;
  if (whole) {
    EncodeVectorImage(image, data);
  } else {
    EncodeVectorPaths(image, data);
  }
  OutputBuffer().insert(OutputBuffer().end(), data.begin(), data.end());
  PatchTagLength(lengthAt);
}

int32_t EncodeVectorImage(KvgImage& image, std::vector<uint8_t>& out) {
  const int32_t count = UsableShapes(image);
  BitWriter w;
  WriteBits(w, 136, 24);  // no shape-level styles; 8-bit style indices

  // Each compound group becomes one element, cached in its first shape.
  for (int32_t i = 1; i <= count; ++i) {
    KvgShape& first = image.shape(i);
    if (!first.compound || !HasPath(first)) continue;
    bool pending = false;
    for (int32_t j = i; j <= count && !pending; ++j) {
      const KvgShape& s = image.shape(j);
      pending = s.encodingState.empty() && s.compound && s.group == first.group && HasPath(s);
    }
    if (!pending) continue;
    BitWriter element;
    for (int32_t j = i; j <= count; ++j) {
      KvgShape& member = image.shape(j);
      if (!member.compound || member.group != first.group || !HasPath(member)) continue;
      EncodeVectorElement(element, member, j == i ? 1 : 3);
      if (j != i) member.encodingState = "COMPO";
    }
    EncodeVectorElement(element, first, 2);
    first.cachedEncoding = element;
    first.cachedLineBits = ElementLineBits(gElements.lineCount);
    TESMIRO_GCC12_COPY_WARNINGS_OFF
    first.encodingState = "1";
    TESMIRO_GCC12_COPY_WARNINGS_ON
  }

  int32_t previousStyleBits = 16;
  for (int32_t i = 1; i <= count; ++i) {
    KvgShape& shape = image.shape(i);
    if (shape.encodingState == "COMPO" || !HasPath(shape)) continue;
    if (shape.encodingState != "1") {
      BitWriter element;
      EncodeVectorElement(element, shape, 0);
      shape.cachedEncoding = element;
      shape.cachedLineBits = ElementLineBits(gElements.lineCount);
      TESMIRO_GCC12_COPY_WARNINGS_OFF
      shape.encodingState = "1";
      TESMIRO_GCC12_COPY_WARNINGS_ON
    }
    AppendElement(w, shape, previousStyleBits);
    previousStyleBits = kElementFillBits + shape.cachedLineBits;
  }
  WriteBits(w, 0, 6);
  out = w.bytes();
  return w.length();
}

void EncodeVectorElement(BitWriter& w, const KvgShape& shape, int32_t mode) {
  VectorElementState& st = gElements;
  if (mode != 2) {
    if (!HasPath(shape)) return;
    if (mode == 0 || mode == 1) ResetVectorElements();
    const int32_t f = FillKindOf(shape);
    const int32_t o = OutlineOf(shape);
    if (mode == 0 || mode == 1) {
      // A style-change record with new styles; its two style indices (0) are
      // the bytes after the flags.
      WriteBits(st.style, 0x1A0000, 24);
      if (f >= 1 && f <= 4) {
        st.fillCount += 1;
        WriteBits(st.style, st.fillCount, 8);
        WriteFillStyle(st.style, shape, f);
      } else {
        WriteBits(st.style, st.fillCount, 8);
      }
    }
    VectorElementState::Member member{TracePath(shape), f >= 1 ? st.fillCount : 0, 0};
    // Line-style indices have at most 15 bits.
    if (o > 0 && st.lineCount < ShapeModule::kMaxShapes) {
      st.lineCount += 1;
      WriteLineStyle(st.lines, shape);
      member.lineIndex = st.lineCount;
    }
    st.members.push_back(std::move(member));
  }
  if (mode == 0 || mode == 2) {
    if (st.members.empty()) return;
    AppendBits(w, st.style);
    WriteStyleCount(w, st.lineCount);
    if (st.lineCount > 0) AppendBits(w, st.lines);
    const int32_t lineBits = ElementLineBits(st.lineCount);
    WriteBits(w, kElementFillBits * 16 + lineBits, 8);
    for (const auto& m : st.members) {
      // Flags: line style, fill style 0 and move.
      WriteMove(w, 11, m.path.startX, m.path.startY);
      WriteBits(w, m.fillIndex, kElementFillBits);
      WriteBits(w, m.lineIndex, lineBits);
      int64_t penX = m.path.startX, penY = m.path.startY;
      WriteEdges(w, m.path, penX, penY, nullptr);
    }
  }
}

int32_t EncodeVectorPaths(const KvgImage& image, std::vector<uint8_t>& out) {
  const int32_t count = UsableShapes(image);
  BitWriter w;
  WriteStyleCount(w, count);
  for (int32_t i = 1; i <= count; ++i) {
    const KvgShape& s = image.shape(i);
    const int32_t f = FillKindOf(s);
    WriteFillStyle(w, s, f >= 1 && f <= 4 ? f : ShapeModule::kFillSolid);
  }
  WriteStyleCount(w, count);
  for (int32_t i = 1; i <= count; ++i) WriteLineStyle(w, image.shape(i));
  WriteBits(w, 0xFF, 8);  // 15-bit fill and line indices
  for (int32_t i = 1; i <= count; ++i) EncodePath(w, image.shape(i), i, false);
  WriteBits(w, 0, 6);
  out = w.bytes();
  return w.length();
}

void EncodePath(BitWriter& w, const KvgShape& shape, int32_t styleIndex, bool movesOnly) {
  if (!HasPath(shape)) return;
  const int32_t fill = FillKindOf(shape) >= 1 ? styleIndex : 0;
  const int32_t line = OutlineOf(shape) >= 1 ? styleIndex : 0;
  WritePathRecords(w, TracePath(shape), movesOnly ? 1 : 11, fill, line, movesOnly ? 0 : kPathStyleBits, nullptr);
}

void EncodeEdges(BitWriter& w, const KvgShape& shape, int32_t& penX, int32_t& penY) {
  if (!HasPath(shape)) return;
  int64_t x = penX, y = penY;
  WriteEdges(w, TracePath(shape), x, y, nullptr);
  penX = static_cast<int32_t>(x);
  penY = static_cast<int32_t>(y);
}

void WriteColorBits(BitWriter& w, int32_t color) {
  for (int shift = 0; shift < 32; shift += 8) WriteBits(w, (color >> shift) & 255, 8);
}

void WriteGradientMatrix(BitWriter& w, float sx, float sy, float r0, float r1, int32_t tx, int32_t ty) {
  // Both pairs of terms always, their integer parts 8 bits wide unless they
  // need more.
  Matrix m;
  m.hasScale = true;
  m.scaleX = Fixed16(sx);
  m.scaleY = Fixed16(sy);
  m.hasRotate = true;
  m.rotateSkew0 = Fixed16(r0);
  m.rotateSkew1 = Fixed16(r1);
  m.translateX = Twips(tx);
  m.translateY = Twips(ty);
  WriteMatrix(w, m, {.minTermBits = 8, .minTranslateBits = kTranslateBits});
  if (w.bits > 0 && w.bits < 8) w.bits = 8;  // what follows starts on a byte boundary
}

MorphResult WriteDefineMorphShape(int32_t id, const KvgImage& start, const KvgImage& end,
                                  const KvgBounds& startBounds, const KvgBounds& endBounds) {
  const int32_t count = UsableShapes(start);
  if (count == 0 || UsableShapes(end) == 0) return MorphResult::Empty;
  auto refuse = [](MorphResult why, const std::string& detail) {
    WriterState().diagnostics.push_back(
        {Diagnostic::Kind::Warning,
         "モーフィングの開始と終了のベクタ画像が対応していないため、モーフィング図形を作成できません。\r\n" + detail});
    return why;
  };
  if (UsableShapes(end) != count)
    return refuse(MorphResult::ShapeCountDiffers, "パスの数: " + std::to_string(count) + " と " +
                                                      std::to_string(UsableShapes(end)));

  // Each start edge needs its end edge: the paths must pair up edge for edge,
  // and an edge split on one side is split the same way on the other.
  std::vector<PathOutline> from(static_cast<size_t>(count)), to(static_cast<size_t>(count));
  std::vector<std::vector<int32_t>> depths(static_cast<size_t>(count));
  for (int32_t i = 1; i <= count; ++i) {
    const auto k = static_cast<size_t>(i - 1);
    from[k] = TracePath(start.shape(i));
    to[k] = TracePath(end.shape(i));
    if (from[k].edges.size() != to[k].edges.size() || HasPath(start.shape(i)) != HasPath(end.shape(i)))
      return refuse(MorphResult::EdgesDiffer, "パス " + std::to_string(i) + " の辺の数: " +
                                                  std::to_string(from[k].edges.size()) + " と " +
                                                  std::to_string(to[k].edges.size()));
    depths[k] = SplitDepths(from[k]);
    const std::vector<int32_t> other = SplitDepths(to[k]);
    for (size_t e = 0; e < depths[k].size(); ++e) depths[k][e] = std::max(depths[k][e], other[e]);
  }

  const size_t lengthAt = WriteTagHeader(TagCode::DefineMorphShape, 0, TagForm::Long);
  WriteU16(id);
  AppendRect(startBounds);
  AppendRect(endBounds);
  const int32_t offsetAt = Reserve(4);
  std::vector<uint8_t> styles;
  EncodeMorphPaths(start, end, styles);
  OutputBuffer().insert(OutputBuffer().end(), styles.begin(), styles.end());

  BitWriter edges;
  WriteBits(edges, 0xFF, 8);  // 15-bit fill and line indices
  for (int32_t i = 1; i <= count; ++i) {
    const KvgShape& s = start.shape(i);
    if (!HasPath(s)) continue;
    const int32_t index = CompoundStyleIndex(start, i);
    WritePathRecords(edges, from[static_cast<size_t>(i - 1)], 11, FillKindOf(s) >= 1 ? index : 0,
                     OutlineOf(s) >= 1 ? index : 0, kPathStyleBits, &depths[static_cast<size_t>(i - 1)]);
  }
  WriteBits(edges, 0, 6);
  AppendBytes(edges);

  const auto endEdgesAt = static_cast<int32_t>(OutputBuffer().size());
  BitWriter moves;
  WriteBits(moves, 0xFF, 8);
  for (int32_t i = 1; i <= count; ++i) {
    if (!HasPath(end.shape(i))) continue;
    WritePathRecords(moves, to[static_cast<size_t>(i - 1)], 1, 0, 0, 0, &depths[static_cast<size_t>(i - 1)]);
  }
  WriteBits(moves, 0, 6);
  AppendBytes(moves);

  PatchU32(static_cast<size_t>(offsetAt), endEdgesAt - (offsetAt + 4));
  PatchTagLength(lengthAt);
  return MorphResult::Written;
}

int32_t EncodeMorphPaths(const KvgImage& start, const KvgImage& end, std::vector<uint8_t>& out) {
  const int32_t count = std::min(UsableShapes(start), UsableShapes(end));
  BitWriter w;
  WriteStyleCount(w, count);
  for (int32_t i = 1; i <= count; ++i) {
    const KvgShape& a = start.shape(i);
    const KvgShape& b = end.shape(i);
    const int32_t f = FillKindOf(a);
    if (f < 2 || f > 4) {
      WriteBits(w, 0, 8);
      WriteColorBits(w, a.color1);
      WriteColorBits(w, b.color1);
      continue;
    }
    WriteBits(w, f == ShapeModule::kFillRadial ? 0x12 : 0x10, 8);
    WriteShapeGradientMatrix(w, a);
    WriteShapeGradientMatrix(w, b);
    const int32_t k = std::min(StopsKept(a, f), StopsKept(b, f));
    const auto from = GradientRecords(a, f, k);
    const auto to = GradientRecords(b, f, k);
    WriteBits(w, static_cast<int32_t>(from.size()), 8);
    for (size_t r = 0; r < from.size(); ++r) {
      WriteBits(w, from[r].ratio, 8);
      WriteColorBits(w, from[r].color);
      WriteBits(w, to[r].ratio, 8);
      WriteColorBits(w, to[r].color);
    }
  }
  WriteStyleCount(w, count);
  for (int32_t i = 1; i <= count; ++i) {
    const int32_t a = DrawnLineWidth(start.shape(i).lineWidth), b = DrawnLineWidth(end.shape(i).lineWidth);
    WriteBits(w, a & 255, 8);
    WriteBits(w, a >> 8, 8);
    WriteBits(w, b & 255, 8);
    WriteBits(w, b >> 8, 8);
    WriteColorBits(w, start.shape(i).lineColor);
    WriteColorBits(w, end.shape(i).lineColor);
  }
  out = w.bytes();
  return w.length();
}

PathOutline TracePath(const KvgShape& shape) {
  PathOutline path;
  if (!HasPath(shape)) return path;
  const auto& pts = shape.points;
  const int32_t n = std::min(shape.lastPoint, static_cast<int32_t>(pts.size()) - 1);
  auto px = [&](int32_t i) { return static_cast<int64_t>(ClampCoordinate(pts[static_cast<size_t>(i)].x)); };
  auto py = [&](int32_t i) { return static_cast<int64_t>(ClampCoordinate(pts[static_cast<size_t>(i)].y)); };
  auto kind = [&](int32_t i) { return pts[static_cast<size_t>(i)].kind; };

  path.startX = px(0);
  path.startY = py(0);
  if (shape.closed && kind(0) == ShapeModule::kControlPoint) {
    if (kind(1) != ShapeModule::kControlPoint) {
      path.startX = px(1);
      path.startY = py(1);
    } else {
      path.startX = (px(0) + px(1)) / 2;
      path.startY = (py(0) + py(1)) / 2;
    }
  }
  int64_t penX = path.startX, penY = path.startY;
  for (int32_t step = 1; step <= n + (shape.closed ? 1 : 0); ++step) {
    const int32_t i = step % (n + 1);
    const bool lastOfOpen = i == n && !shape.closed;
    if (kind(i) == ShapeModule::kAnchorPoint || lastOfOpen) {
      path.edges.push_back({false, 0, 0, px(i), py(i)});
    } else if (kind(i) == ShapeModule::kControlPoint) {
      const int32_t j = (i + 1) % (n + 1);
      PathEdge e{true, px(i), py(i), px(j), py(j)};
      if (!(kind(j) == ShapeModule::kAnchorPoint || (j == n && !shape.closed))) {
        e.ax = (px(i) + px(j)) / 2;
        e.ay = (py(i) + py(j)) / 2;
      }
      path.edges.push_back(e);
    } else {
      continue;
    }
    penX = path.edges.back().ax;
    penY = path.edges.back().ay;
  }
  // Points of unknown kinds can leave a closed path short of its start; a
  // fill needs it closed.
  if (shape.closed && (penX != path.startX || penY != path.startY))
    path.edges.push_back({false, 0, 0, path.startX, path.startY});
  return path;
}

int64_t EdgeRecordBound(const KvgShape& shape) {
  if (shape.points.empty()) return 0;
  int64_t minX = std::numeric_limits<int64_t>::max(), maxX = std::numeric_limits<int64_t>::min();
  int64_t minY = minX, maxY = maxX;
  for (const auto& p : shape.points) {
    minX = std::min<int64_t>(minX, ClampCoordinate(p.x));
    maxX = std::max<int64_t>(maxX, ClampCoordinate(p.x));
    minY = std::min<int64_t>(minY, ClampCoordinate(p.y));
    maxY = std::max<int64_t>(maxY, ClampCoordinate(p.y));
  }
  // Every delta of every edge lies within the span of the points.
  const int64_t span = std::max(maxX - minX, maxY - minY);
  int64_t pieces = 1;
  if (span > 65535)
    while ((span / pieces) > 32767) pieces *= 2;
  return (static_cast<int64_t>(shape.points.size()) + 1) * pieces;
}

namespace {

// A signed field of up to 31 bits (the bit writer takes 30 at a time).
void WriteSigned(BitWriter& w, int64_t value, int32_t bits) {
  if (bits <= 30) {
    WriteBits(w, static_cast<int32_t>(value), bits);
  } else {
    WriteBits(w, static_cast<int32_t>(value >> 16), bits - 16);
    WriteBits(w, static_cast<int32_t>(value & 0xFFFF), 16);
  }
}

void AppendBytes(const BitWriter& w) {
  const auto bytes = w.bytes();
  OutputBuffer().insert(OutputBuffer().end(), bytes.begin(), bytes.end());
}

// A RECT with 24-bit fields, wider when a bound needs it.
void AppendRect(const KvgBounds& b) {
  constexpr int32_t limit = (1 << 30) - 1;
  auto bound = [&](int32_t v) { return Twips(std::clamp(v, -limit, limit)); };
  BitWriter w;
  WriteRect(w, Rect{bound(b.minX), bound(b.maxX), bound(b.minY), bound(b.maxY)}, {.minBits = kRectBits, .maxBits = 31});
  AppendBytes(w);
}

// A style array's count: one byte, or FF and 16 bits from 255 on.
void WriteStyleCount(BitWriter& w, int32_t n) {
  if (n < 255) {
    WriteBits(w, n, 8);
  } else {
    WriteBits(w, 255, 8);
    WriteBits(w, n & 255, 8);
    WriteBits(w, (n >> 8) & 255, 8);
  }
}

void WriteFillStyle(BitWriter& w, const KvgShape& shape, int32_t kind) {
  if (kind == ShapeModule::kFillSolid) {
    WriteBits(w, 0x00, 8);
    WriteColorBits(w, shape.color1);
    return;
  }
  WriteBits(w, kind == ShapeModule::kFillRadial ? 0x12 : 0x10, 8);
  WriteShapeGradientMatrix(w, shape);
  const auto records = GradientRecords(shape, kind, StopsKept(shape, kind));
  WriteBits(w, static_cast<int32_t>(records.size()), 8);
  for (const auto& r : records) {
    WriteBits(w, r.ratio, 8);
    WriteColorBits(w, r.color);
  }
}

void WriteLineStyle(BitWriter& w, const KvgShape& shape) {
  const int32_t width = DrawnLineWidth(shape.lineWidth);
  WriteBits(w, width & 255, 8);
  WriteBits(w, width >> 8, 8);
  WriteColorBits(w, shape.lineColor);
}

void WriteShapeGradientMatrix(BitWriter& w, const KvgShape& shape) {
  const double a = static_cast<double>(shape.angle) * std::numbers::pi / 180.0;
  const double sx = shape.scaleX, sy = shape.scaleY;
  WriteGradientMatrix(w, static_cast<float>(sx * std::cos(a)), static_cast<float>(sy * std::cos(a)),
                      static_cast<float>(sx * std::sin(a)), static_cast<float>(-sy * std::sin(a)), shape.centerX,
                      shape.centerY);
}

// Stops a gradient keeps: six between the two end colours, or two mirrored
// on each side of a reflected one.
int32_t StopsKept(const KvgShape& shape, int32_t kind) {
  const int32_t have = std::clamp(std::min(shape.stopCount, static_cast<int32_t>(shape.stops.size())), 0, 6);
  return kind == ShapeModule::kFillReflected ? std::min(have, 2) : have;
}

std::vector<GradientRecord> GradientRecords(const KvgShape& shape, int32_t kind, int32_t k) {
  auto ratio = [&](int32_t i) { return std::clamp(shape.stop(i).ratio, 0, 255); };
  std::vector<GradientRecord> r{{0, shape.color1}};
  if (kind == ShapeModule::kFillReflected) {
    for (int32_t i = 1; i <= k; ++i) r.push_back({ratio(i) / 2, shape.stop(i).color});
    r.push_back({128, shape.color2});
    for (int32_t i = k; i >= 1; --i) r.push_back({255 - ratio(i) / 2, shape.stop(i).color});
    r.push_back({255, shape.color1});
  } else {
    for (int32_t i = 1; i <= k; ++i) r.push_back({ratio(i), shape.stop(i).color});
    r.push_back({255, shape.color2});
  }
  return r;
}

int32_t CompoundStyleIndex(const KvgImage& image, int32_t i) {
  const KvgShape& s = image.shape(i);
  if (!s.compound) return i;
  for (int32_t j = 1; j < i; ++j) {
    const KvgShape& t = image.shape(j);
    if (t.compound && t.group == s.group) return j;
  }
  return i;
}

// A style-change record that moves the pen; the move field keeps 17 bits
// unless the point needs more.
void WriteMove(BitWriter& w, int32_t flags, int64_t x, int64_t y) {
  WriteBits(w, flags, 6);
  const int32_t n = std::max(kMoveBits, SignedBitsNeeded({static_cast<int32_t>(x), static_cast<int32_t>(y)}));
  WriteBits(w, n, 5);
  WriteSigned(w, x, n);
  WriteSigned(w, y, n);
}

void WritePathRecords(BitWriter& w, const PathOutline& path, int32_t flags, int32_t fillIndex, int32_t lineIndex,
                      int32_t styleBits, const std::vector<int32_t>* depths) {
  WriteMove(w, flags, path.startX, path.startY);
  if (styleBits > 0) {
    WriteBits(w, fillIndex, styleBits);
    WriteBits(w, lineIndex, styleBits);
  }
  int64_t penX = path.startX, penY = path.startY;
  WriteEdges(w, path, penX, penY, depths);
}

void WriteStraight(BitWriter& w, int64_t dx, int64_t dy) {
  const int32_t x = static_cast<int32_t>(dx), y = static_cast<int32_t>(dy);
  const int32_t b = std::max(2, SignedBitsNeeded({x, y}));
  WriteBits(w, 3, 2);
  WriteBits(w, b - 2, 4);
  WriteBits(w, 1, 1);  // general line
  WriteBits(w, x, b);
  WriteBits(w, y, b);
}

void WriteCurve(BitWriter& w, int64_t cdx, int64_t cdy, int64_t adx, int64_t ady) {
  const int32_t v[4] = {static_cast<int32_t>(cdx), static_cast<int32_t>(cdy), static_cast<int32_t>(adx),
                        static_cast<int32_t>(ady)};
  const int32_t b = std::max(2, SignedBitsNeeded({v[0], v[1], v[2], v[3]}));
  WriteBits(w, 2, 2);
  WriteBits(w, b - 2, 4);
  for (int32_t d : v) WriteBits(w, d, b);
}

// How many times an edge from the pen is halved so that its deltas fit.
int32_t SplitDepth(const PathEdge& e, int64_t penX, int64_t penY) {
  int64_t deltas[4] = {e.ax - penX, e.ay - penY, 0, 0};
  if (e.curved) deltas[0] = e.cx - penX, deltas[1] = e.cy - penY, deltas[2] = e.ax - e.cx, deltas[3] = e.ay - e.cy;
  int64_t most = 0;
  bool fits = true;
  for (int64_t d : deltas) {
    most = std::max(most, d < 0 ? -d : d);
    fits = fits && d >= -(int64_t{1} << (kEdgeBits - 1)) && d < (int64_t{1} << (kEdgeBits - 1));
  }
  if (fits) return 0;
  // Halves of at most 2^15 leave room for the rounding of each cut.
  int32_t depth = 1;
  while ((most >> depth) > 32767) ++depth;
  return depth;
}

std::vector<int32_t> SplitDepths(const PathOutline& path) {
  std::vector<int32_t> depths;
  int64_t penX = path.startX, penY = path.startY;
  for (const PathEdge& e : path.edges) {
    depths.push_back(SplitDepth(e, penX, penY));
    penX = e.ax;
    penY = e.ay;
  }
  return depths;
}

void WriteCurvePieces(BitWriter& w, int64_t px, int64_t py, int64_t cx, int64_t cy, int64_t ax, int64_t ay,
                      int32_t depth) {
  if (depth == 0) {
    WriteCurve(w, cx - px, cy - py, ax - cx, ay - cy);
    return;
  }
  // Halve the curve at its middle.
  const int64_t m1x = (px + cx) >> 1, m1y = (py + cy) >> 1;
  const int64_t m2x = (cx + ax) >> 1, m2y = (cy + ay) >> 1;
  const int64_t mx = (m1x + m2x) >> 1, my = (m1y + m2y) >> 1;
  WriteCurvePieces(w, px, py, m1x, m1y, mx, my, depth - 1);
  WriteCurvePieces(w, mx, my, m2x, m2y, ax, ay, depth - 1);
}

void WriteEdges(BitWriter& w, const PathOutline& path, int64_t& penX, int64_t& penY,
                const std::vector<int32_t>* depths) {
  for (size_t k = 0; k < path.edges.size(); ++k) {
    const PathEdge& e = path.edges[k];
    const int32_t depth = depths ? (*depths)[k] : SplitDepth(e, penX, penY);
    if (e.curved) {
      WriteCurvePieces(w, penX, penY, e.cx, e.cy, e.ax, e.ay, depth);
    } else {
      const int64_t pieces = int64_t{1} << depth;
      int64_t x = penX, y = penY;
      for (int64_t p = 1; p <= pieces; ++p) {
        const int64_t nx = penX + (((e.ax - penX) * p) >> depth);
        const int64_t ny = penY + (((e.ay - penY) * p) >> depth);
        WriteStraight(w, nx - x, ny - y);
        x = nx;
        y = ny;
      }
    }
    penX = e.ax;
    penY = e.ay;
  }
}

// Appends a cached element after the previous one. The element starts with
// a style-change record whose two indices are 0: with the usual 8-bit
// indices the element's own bytes hold them after its six flag bits; wider
// indices of the element before need more zero bits before the style arrays.
void AppendElement(BitWriter& w, const KvgShape& shape, int32_t previousStyleBits) {
  const BitWriter& element = shape.cachedEncoding;
  if (previousStyleBits <= 16) {
    AppendAccumulator(w, element, 6);
    return;
  }
  WriteBits(w, element.data[0] & 63, 6);
  WriteBits(w, 0, previousStyleBits);
  if (w.bits > 0 && w.bits < 8) w.bits = 8;
  for (int32_t i = 3; i < element.index; ++i) WriteBits(w, element.data[static_cast<size_t>(i)], 8);
  if (element.index >= 3 && element.bits > 0)
    WriteBits(w, element.data[static_cast<size_t>(element.index)] >> (8 - element.bits), element.bits);
}

}  // namespace
}  // namespace tesmiro::SWFMakeCore
