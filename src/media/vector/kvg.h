#pragma once
// KVG vector images: the text files of the separate drawing tool, loaded into
// paths with their styles, and the one-frame preview movie of such a file.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "media/vector/kvg_text_reader.h"
#include "platform/app_paths.h"
#include "platform/result.h"
#include "swf/bit_writer.h"

namespace tesmiro::ShapeModule {

// Point kinds: an on-curve anchor, or an off-curve quadratic control point.
// Other kinds are kept but make no edge.
constexpr int16_t kAnchorPoint = 0;
constexpr int16_t kControlPoint = 1;

// Fill kinds of a shape.
constexpr int16_t kFillNone = 0;
constexpr int16_t kFillSolid = 1;
constexpr int16_t kFillLinear = 2;
constexpr int16_t kFillReflected = 3;
constexpr int16_t kFillRadial = 4;

// A shape's style index must fit the 15-bit style fields of the paths-only
// and morph encodings, so an image holds at most this many shapes.
constexpr int32_t kMaxShapes = 32767;

struct KvgPoint {
  int32_t x = 0;  // twips
  int32_t y = 0;
  int16_t kind = kAnchorPoint;
};

struct KvgStop {
  int32_t color = 0;  // bytes from the lowest: red, green, blue, alpha
  int32_t ratio = 0;  // 0..255
};

// One path of a vector image. Colours are 32-bit values whose bytes, lowest
// first, are red, green, blue and alpha.
struct KvgShape {
  std::vector<KvgPoint> points;  // indices 0..lastPoint
  int32_t lastPoint = 0;
  bool closed = false;
  int32_t lineWidth = 0;  // twips
  int16_t outline = 0;    // > 0: the path has an outline
  int32_t lineColor = 0;
  int16_t fillKind = kFillNone;
  int32_t color1 = 0;
  int32_t centerX = 0, centerY = 0;  // gradient centre, twips
  float angle = 0;                   // gradient rotation, degrees
  float scaleX = 0, scaleY = 0;
  int32_t color2 = 0;
  int32_t stopCount = 0;
  std::vector<KvgStop> stops;  // stop(1)..stop(stopCount)
  // "" after loading; "1" when the shape's element is cached below, "COMPO"
  // when it was drawn as a member of an earlier shape's compound group.
  std::string encodingState;
  SWFMakeCore::BitWriter cachedEncoding;
  int32_t cachedLineBits = 8;  // style-index width the cached element leaves behind
  bool spareFlag = false;
  int32_t spareNumber = 0;
  bool compound = false;
  int32_t group = 0;

  // 1-based, as the file numbers the stops.
  const KvgStop& stop(int32_t i) const { return stops.at(static_cast<size_t>(i - 1)); }
};

struct KvgImage {
  int32_t count = 0;
  std::vector<KvgShape> shapes;  // shape(1)..shape(count)

  KvgShape& shape(int32_t i) { return shapes.at(static_cast<size_t>(i - 1)); }
  const KvgShape& shape(int32_t i) const { return shapes.at(static_cast<size_t>(i - 1)); }
};

// Minimum and maximum corners in twips.
struct KvgBounds {
  int32_t minX = 0, minY = 0, maxX = 0, maxY = 0;
  bool operator==(const KvgBounds&) const = default;
};

// Loads a KVG file, or why not (missing, unreadable or malformed); shapes of
// fewer than two points are dropped. Callers that draw what they can take a
// refused file as an empty image.
Result<KvgImage> LoadKVG(const std::filesystem::path& path);
// The same on the file's bytes (in any encoding the program's text files may have).
Result<KvgImage> LoadKVGFromBytes(std::string_view bytes);

// Reads one shape's style values, stops and points for a version ("010",
// "020", "030"; any other reads a single point). False on a read error.
bool ReadKVGShape(KvgShape& shape, KvgTextReader& file, std::string_view version);
// Drops the shapes with fewer than two points; the result is the new count.
int32_t RemoveEmptyShapes(std::vector<KvgShape>& shapes);
// The box around every point, widened on each side by the shape's whole line
// width; all 0 for an empty image.
KvgBounds GetKVGBounds(const KvgImage& image);

// The declared size in pixels from the file's header lines; {0, 0} when the
// file is not a KVG file.
struct KvgDeclaredSize {
  int32_t width = 0, height = 0;
};
KvgDeclaredSize ReadKVGDeclaredSize(const std::filesystem::path& path);

// Writes a one-frame movie of the file into the scratch folder under a name
// no other preview uses, and returns its path; the caller deletes it. Empty
// when the movie could not be written.
std::filesystem::path MakeKVGPreviewSWF(const std::filesystem::path& path, const AppPaths& paths);

// The definitions of one vector store item (character IDs 2·id − 1 and 2·id),
// for the movie compiler. `morphTarget` is the target item's file when the
// item morphs into an existing vector item, else empty. `usage` has bit 1 for
// a normal use and bit 2 for a use as mask; `mode` 2 is the event dialog's
// live preview. False when nothing could be defined. A file that cannot be
// read is defined as an empty shape all the same; `problem` then says why,
// as it says why a morph could not be defined.
struct VectorItem {
  int32_t id = 0;
  std::filesystem::path path;
  std::filesystem::path morphTarget;
  int32_t usage = 0;
  int32_t mode = 0;
  std::string exportName;
};
bool EmitVectorItem(const VectorItem& item, std::string* problem = nullptr);

}  // namespace tesmiro::ShapeModule
