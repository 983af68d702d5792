// Loading KVG files. The file comes from another program, so every count is
// measured against the text that is left before anything is allocated, and
// any flaw turns the whole file into an empty image.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "media/vector/kvg.h"
#include "media/vector/vector_shape.h"
#include "platform/encoding.h"
#include "platform/file_io.h"
#include "platform/numeric.h"

namespace tesmiro::ShapeModule {
namespace {

// Larger files are not drawings; they are refused before being read whole.
constexpr uint64_t kMaxFileBytes = 64ull << 20;

// Edges whose deltas do not fit an edge record are split, so far-flung
// points cost many records; an image may need at most this many.
constexpr int64_t kMaxEdgeRecords = int64_t{1} << 20;

// Fewest bytes a value takes in the text: itself empty, then its delimiter.
constexpr size_t kMinValueBytes = 1;

int32_t StyleValueCount(std::string_view version) {
  if (version == "010") return 14;
  if (version == "020") return 16;
  if (version == "030") return 17;
  return 0;
}

Failure BadFile(std::string reason) { return Failure{std::move(reason)}; }

std::string VersionOf(std::string_view firstLine) {
  return std::string(firstLine.size() <= 3 ? firstLine : firstLine.substr(firstLine.size() - 3));
}

}  // namespace

Result<KvgImage> LoadKVG(const std::filesystem::path& path) {
  auto bytes = fileio::ReadAll(path, kMaxFileBytes);
  if (!bytes) return BadFile(bytes.message());
  return LoadKVGFromBytes(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

Result<KvgImage> LoadKVGFromBytes(std::string_view bytes) {
  const std::string text = enc::DecodeTextFile(bytes);
  KvgTextReader file(text);

  std::string first, skipped;
  if (!file.line(first) || first.substr(0, 3) != "KVG") return BadFile("KVGファイルではありません");
  const std::string version = VersionOf(first);
  if (!file.line(skipped) || !file.line(skipped)) return BadFile("KVGファイルの見出しが途中で切れています");

  int32_t count = 0;
  if (!file.readInt32(count)) return BadFile(file.error());
  // A shape needs its style values and at least one point of three values.
  const size_t minShapeBytes = (static_cast<size_t>(StyleValueCount(version)) + 3) * kMinValueBytes;
  if (count < 0 || count > kMaxShapes || static_cast<size_t>(count) > file.remaining() / minShapeBytes + 1)
    return BadFile("図形の数が正しくありません: " + std::to_string(count));

  KvgImage image;
  image.shapes.reserve(static_cast<size_t>(count));
  for (int32_t i = 1; i <= count; ++i) {
    KvgShape& shape = image.shapes.emplace_back();
    if (!ReadKVGShape(shape, file, version)) return BadFile(file.error());
  }
  image.count = RemoveEmptyShapes(image.shapes);

  int64_t records = 0;
  for (const KvgShape& shape : image.shapes) records += SWFMakeCore::EdgeRecordBound(shape);
  if (records > kMaxEdgeRecords) return BadFile("図形の座標が大きすぎます");
  return image;
}

bool ReadKVGShape(KvgShape& shape, KvgTextReader& file, std::string_view version) {
  const bool known = version == "010" || version == "020" || version == "030";
  if (known) {
    file.readInt32(shape.lastPoint);
    file.readBool(shape.closed);
    file.readInt32(shape.lineWidth);
    file.readInt16(shape.outline);
    file.readInt32(shape.lineColor);
    file.readInt16(shape.fillKind);
    file.readInt32(shape.color1);
    file.readInt32(shape.centerX);
    file.readInt32(shape.centerY);
    file.readFloat(shape.angle);
    file.readFloat(shape.scaleX);
    if (version == "030") {
      file.readFloat(shape.scaleY);
    } else {
      shape.scaleY = shape.scaleX;
    }
    file.readInt32(shape.color2);
    file.readBool(shape.spareFlag);
    file.readInt32(shape.spareNumber);
    if (version != "010") {
      file.readBool(shape.compound);
      file.readInt32(shape.group);
    }
    if (version == "030" && file.readInt32(shape.stopCount)) {
      if (shape.stopCount < 0 || static_cast<size_t>(shape.stopCount) > file.remaining() / (2 * kMinValueBytes) + 1)
        return file.fail("グラデーションの色の数が正しくありません: " + std::to_string(shape.stopCount));
      shape.stops.resize(static_cast<size_t>(shape.stopCount));
      for (KvgStop& stop : shape.stops) {
        file.readInt32(stop.ratio);
        file.readInt32(stop.color);
      }
    }
  }
  if (!file.ok()) return false;

  if (shape.lastPoint < 0 ||
      static_cast<uint64_t>(shape.lastPoint) + 1 > file.remaining() / (3 * kMinValueBytes) + 1)
    return file.fail("点の数が正しくありません: " + std::to_string(shape.lastPoint));
  shape.points.resize(static_cast<size_t>(shape.lastPoint) + 1);
  for (KvgPoint& p : shape.points) {
    file.readInt16(p.kind);
    file.readInt32(p.x);
    file.readInt32(p.y);
    if (!file.ok()) return false;
  }
  shape.encodingState.clear();
  return true;
}

int32_t RemoveEmptyShapes(std::vector<KvgShape>& shapes) {
  std::erase_if(shapes, [](const KvgShape& s) { return s.lastPoint < 1; });
  return static_cast<int32_t>(shapes.size());
}

KvgBounds GetKVGBounds(const KvgImage& image) {
  if (image.count < 1) return {};
  int64_t minX = 0, minY = 0, maxX = 0, maxY = 0;
  bool first = true;
  const int32_t count = std::min(image.count, static_cast<int32_t>(image.shapes.size()));
  for (int32_t i = 1; i <= count; ++i) {
    const KvgShape& shape = image.shape(i);
    // The width the outline is drawn with, so that the box holds it.
    const int64_t w = SWFMakeCore::DrawnLineWidth(shape.lineWidth);
    for (const KvgPoint& p : shape.points) {
      const int64_t x = SWFMakeCore::ClampCoordinate(p.x), y = SWFMakeCore::ClampCoordinate(p.y);
      if (first) {
        minX = maxX = x;
        minY = maxY = y;
        first = false;
      }
      minX = std::min(minX, x - w);
      maxX = std::max(maxX, x + w);
      minY = std::min(minY, y - w);
      maxY = std::max(maxY, y + w);
    }
  }
  return {static_cast<int32_t>(minX), static_cast<int32_t>(minY), static_cast<int32_t>(maxX),
          static_cast<int32_t>(maxY)};
}

KvgDeclaredSize ReadKVGDeclaredSize(const std::filesystem::path& path) {
  auto bytes = fileio::ReadAll(path, kMaxFileBytes);
  if (!bytes) return {};
  const std::string text =
      enc::DecodeTextFile(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
  KvgTextReader file(text);
  std::string first;
  KvgDeclaredSize size;
  if (!file.line(first) || first.substr(0, 3) != "KVG") return {};
  if (!file.readInt32(size.width) || !file.readInt32(size.height)) return {};
  return size;
}

// ---- the sequential text input ----------------------------------------------

bool KvgTextReader::fail(std::string message) {
  if (error_.empty()) error_ = std::move(message);
  return false;
}

bool KvgTextReader::line(std::string& out) {
  out.clear();
  if (!ok()) return false;
  if (in_.atEnd()) return fail("KVGファイルが途中で切れています");
  while (!in_.atEnd() && !atLineEnd()) out.push_back(static_cast<char>(in_.u8()));
  skipLineEnd();
  return true;
}

void KvgTextReader::skipLineEnd() {
  if (in_.peek() == '\r' && !in_.atEnd()) in_.skip(1);
  if (in_.peek() == '\n' && !in_.atEnd()) in_.skip(1);
}

bool KvgTextReader::value(std::string& out) {
  out.clear();
  if (!ok()) return false;
  // Blanks and empty lines before a value are passed over.
  while (!in_.atEnd() && (in_.peek() == ' ' || in_.peek() == '\t' || atLineEnd())) in_.skip(1);
  if (in_.atEnd()) return fail("KVGファイルの値が足りません");

  if (in_.peek() == '"') {
    in_.skip(1);
    while (!in_.atEnd() && in_.peek() != '"') out.push_back(static_cast<char>(in_.u8()));
    if (in_.atEnd()) return fail("KVGファイルの文字列が閉じていません");
    in_.skip(1);
    while (!in_.atEnd() && (in_.peek() == ' ' || in_.peek() == '\t')) in_.skip(1);
    if (!in_.atEnd() && in_.peek() != ',' && !atLineEnd()) return fail("KVGファイルの値の形が正しくありません");
  } else {
    while (!in_.atEnd() && in_.peek() != ',' && !atLineEnd()) out.push_back(static_cast<char>(in_.u8()));
    while (!out.empty() && (out.back() == ' ' || out.back() == '\t')) out.pop_back();
  }
  if (in_.peek() == ',' && !in_.atEnd()) {
    in_.skip(1);
  } else {
    skipLineEnd();
  }
  return true;
}

bool KvgTextReader::number(double& out, std::string_view what) {
  std::string text;
  if (!value(text)) return false;
  out = 0;
  if (text.empty()) return true;  // an empty value reads as 0
  std::string_view digits = text;
  if (digits.front() == '+') digits.remove_prefix(1);
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), out,
                                         std::chars_format::general);
  if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() || !std::isfinite(out))
    return fail("KVGファイルの" + std::string(what) + "が数値ではありません: " + text);
  return true;
}

bool KvgTextReader::readInt32(int32_t& out) {
  double v = 0;
  if (!number(v, "整数")) return false;
  v = num::RoundHalfEven(v);
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
    return fail("KVGファイルの値が大きすぎます: " + num::CStr(v));
  out = static_cast<int32_t>(v);
  return true;
}

bool KvgTextReader::readInt16(int16_t& out) {
  double v = 0;
  if (!number(v, "整数")) return false;
  v = num::RoundHalfEven(v);
  if (v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max())
    return fail("KVGファイルの値が大きすぎます: " + num::CStr(v));
  out = static_cast<int16_t>(v);
  return true;
}

bool KvgTextReader::readFloat(float& out) {
  double v = 0;
  if (!number(v, "実数")) return false;
  if (std::fabs(v) > std::numeric_limits<float>::max()) return fail("KVGファイルの値が大きすぎます: " + num::CStr(v));
  out = static_cast<float>(v);
  return true;
}

bool KvgTextReader::readBool(bool& out) {
  if (!ok()) return false;
  // Look at the value without consuming it twice: spelled-out forms first.
  const size_t start = in_.pos();
  std::string text;
  if (!value(text)) return false;
  std::string lower;
  for (char c : text) lower.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
  if (lower == "#true#" || lower == "true") {
    out = true;
    return true;
  }
  if (lower == "#false#" || lower == "false") {
    out = false;
    return true;
  }
  in_.seek(start);
  double v = 0;
  if (!number(v, "真偽値")) return false;
  out = v != 0;
  return true;
}

}  // namespace tesmiro::ShapeModule
