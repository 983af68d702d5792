// Our own BMP reader: the formats Windows paint programs write, read through
// the bounds-checked byte reader only.
#include <array>
#include <bit>
#include <optional>

#include "media/image/decoders.h"
#include "platform/byte_reader.h"

namespace tesmiro::image {
namespace {

constexpr uint32_t kRGB = 0, kRLE8 = 1, kRLE4 = 2, kBitFields = 3, kAlphaBitFields = 6;

struct BmpHeader {
  int64_t width = 0;
  int64_t height = 0;  // negative: rows from the top
  uint16_t bits = 0;
  uint32_t compression = kRGB;
  uint32_t coloursUsed = 0;
  std::array<uint32_t, 3> masks{};  // red, green, blue
  bool core = false;                // 12-byte OS/2 header: 3-byte palette entries
  size_t paletteAt = 0;
};

// One colour channel of a bit-field pixel, scaled to 8 bits.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int width = 0;

  explicit Channel(uint32_t m) : mask(m) {
    if (m == 0) return;
    shift = std::countr_zero(m);
    width = std::popcount(m);
  }
  uint8_t operator()(uint32_t v) const {
    if (width == 0) return 0;
    uint32_t value = (v & mask) >> shift;
    if (width >= 8) return static_cast<uint8_t>(value >> (width - 8));
    uint32_t maxValue = (1u << width) - 1;
    return static_cast<uint8_t>((value * 255 + maxValue / 2) / maxValue);
  }
};

constexpr char kBroken[] = "不正なBMPファイルです";

std::optional<BmpHeader> ReadHeader(ByteReader& r) {
  BmpHeader h;
  if (r.str(2) != "BM") return std::nullopt;
  r.skip(12);
  uint32_t headerSize = r.u32();
  if (!r.ok()) return std::nullopt;
  if (headerSize == 12) {
    h.core = true;
    h.width = r.u16();
    h.height = r.u16();
    r.skip(2);
    h.bits = r.u16();
  } else if (headerSize >= 40 && headerSize <= 124) {
    h.width = r.i32();
    h.height = r.i32();
    r.skip(2);
    h.bits = r.u16();
    h.compression = r.u32();
    r.skip(12);
    h.coloursUsed = r.u32();
    r.skip(4);
    // Later header versions carry the masks inside the header; version 1
    // puts them right after it.
    bool masksFollow = headerSize == 40 && (h.compression == kBitFields || h.compression == kAlphaBitFields);
    if (headerSize >= 52 || masksFollow) {
      for (auto& m : h.masks) m = r.u32();
    }
    if (masksFollow && h.compression == kAlphaBitFields) r.skip(4);
  } else {
    return std::nullopt;
  }
  if (!r.ok()) return std::nullopt;
  h.paletteAt = headerSize == 40 ? r.pos() : 14 + headerSize;
  return h;
}

bool PixelFormatKnown(const BmpHeader& h) {
  switch (h.compression) {
    case kRGB:
      return h.bits == 1 || h.bits == 4 || h.bits == 8 || h.bits == 16 || h.bits == 24 || h.bits == 32;
    case kRLE8:
      return h.bits == 8;
    case kRLE4:
      return h.bits == 4;
    case kBitFields:
    case kAlphaBitFields:
      return h.bits == 16 || h.bits == 32;
    default:
      return false;
  }
}

using Palette = std::vector<std::array<uint8_t, 3>>;  // blue, green, red

std::optional<Palette> ReadPalette(ByteReader& r, const BmpHeader& h) {
  Palette palette;
  if (h.bits > 8) return palette;
  size_t count = h.coloursUsed != 0 ? h.coloursUsed : (size_t{1} << h.bits);
  if (count > 256) count = 256;
  size_t entry = h.core ? 3 : 4;
  if (!r.seek(h.paletteAt) || !r.has(count * entry)) return std::nullopt;
  palette.resize(count);
  for (auto& c : palette) {
    auto b = r.bytes(entry);
    c = {b[0], b[1], b[2]};
  }
  return palette;
}

class PixelSink {
 public:
  PixelSink(Picture& picture, bool topDown) : picture_(picture), topDown_(topDown) {}
  // (x, fileRow) where fileRow counts rows in file order.
  void put(int64_t x, int64_t fileRow, uint8_t b, uint8_t g, uint8_t r) {
    if (x < 0 || x >= picture_.width || fileRow < 0 || fileRow >= picture_.height) return;
    int64_t y = topDown_ ? fileRow : picture_.height - 1 - fileRow;
    uint8_t* p = &picture_.bgra[static_cast<size_t>((y * picture_.width + x) * 4)];
    p[0] = b;
    p[1] = g;
    p[2] = r;
  }
  void putIndex(int64_t x, int64_t fileRow, const Palette& palette, uint32_t index) {
    if (index < palette.size()) {
      const auto& c = palette[index];
      put(x, fileRow, c[0], c[1], c[2]);
    } else {
      put(x, fileRow, 0, 0, 0);
    }
  }

 private:
  Picture& picture_;
  bool topDown_;
};

bool DecodeUncompressed(ByteReader& r, const BmpHeader& h, const Palette& palette, PixelSink& sink) {
  uint64_t rowBytes = ((static_cast<uint64_t>(h.bits) * static_cast<uint64_t>(h.width) + 31) / 32) * 4;
  uint64_t rows = static_cast<uint64_t>(h.height < 0 ? -h.height : h.height);
  if (rowBytes * rows > r.remaining()) return false;

  std::array<uint32_t, 3> masks = h.masks;
  if (h.compression == kRGB && h.bits == 16) masks = {0x7C00, 0x03E0, 0x001F};
  if (h.compression == kRGB && h.bits == 32) masks = {0xFF0000, 0xFF00, 0xFF};
  Channel red(masks[0]), green(masks[1]), blue(masks[2]);

  for (uint64_t row = 0; row < rows; ++row) {
    ByteReader line(r.bytes(rowBytes));
    auto y = static_cast<int64_t>(row);
    for (int64_t x = 0; x < h.width; ++x) {
      switch (h.bits) {
        case 1:
        case 4:
        case 8: {
          int64_t bitPos = x * h.bits;
          uint8_t byte = line.peek(static_cast<size_t>(bitPos / 8));
          uint32_t index = (byte >> (8 - h.bits - bitPos % 8)) & ((1u << h.bits) - 1);
          sink.putIndex(x, y, palette, index);
          break;
        }
        case 16: {
          uint32_t v = line.u16();
          sink.put(x, y, blue(v), green(v), red(v));
          break;
        }
        case 24: {
          auto p = line.bytes(3);
          sink.put(x, y, p[0], p[1], p[2]);
          break;
        }
        case 32: {
          uint32_t v = line.u32();
          sink.put(x, y, blue(v), green(v), red(v));
          break;
        }
      }
    }
    if (!line.ok()) return false;
  }
  return true;
}

// Run-length data: pixels that the stream skips (delta, early end of line or
// of bitmap) keep palette colour 0. A stream that stops inside a record is a
// broken file; one that merely lacks its end-of-bitmap mark is accepted.
bool DecodeRunLength(ByteReader& r, const BmpHeader& h, const Palette& palette, PixelSink& sink) {
  const bool four = h.compression == kRLE4;
  const int64_t rows = h.height < 0 ? -h.height : h.height;
  for (int64_t row = 0; row < rows; ++row)
    for (int64_t x = 0; x < h.width; ++x) sink.putIndex(x, row, palette, 0);

  int64_t x = 0, y = 0;
  while (y < rows && r.has(2)) {
    uint8_t count = r.u8();
    uint8_t value = r.u8();
    if (count > 0) {
      for (int i = 0; i < count; ++i, ++x) {
        uint32_t index = four ? ((i % 2 == 0) ? value >> 4 : value & 15) : value;
        sink.putIndex(x, y, palette, index);
      }
      continue;
    }
    if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      return true;
    } else if (value == 2) {
      x += r.u8();
      y += r.u8();
    } else {
      size_t bytes = four ? (value + 1u) / 2 : value;
      auto run = r.bytes(bytes + (bytes & 1));
      if (!r.ok()) return false;
      for (int i = 0; i < value; ++i, ++x) {
        uint32_t index = four ? ((i % 2 == 0) ? run[i / 2] >> 4 : run[i / 2] & 15) : run[i];
        sink.putIndex(x, y, palette, index);
      }
    }
    if (!r.ok()) return false;
  }
  return r.ok();
}

}  // namespace

Result<Picture> DecodeBMP(std::span<const uint8_t> file) {
  ByteReader r(file);
  r.skip(10);
  uint32_t dataAt = r.u32();
  r.seek(0);
  auto header = ReadHeader(r);
  if (!header || !PixelFormatKnown(*header)) return Failure{kBroken};
  const BmpHeader& h = *header;
  int64_t rows = h.height < 0 ? -h.height : h.height;
  if (!PictureSizeAllowed(static_cast<uint64_t>(h.width < 0 ? 0 : h.width), static_cast<uint64_t>(rows)))
    return Failure{SizeOutOfRange("BMP")};

  auto palette = ReadPalette(r, h);
  if (!palette) return Failure{kBroken};
  // Some writers leave the data offset 0 or point it into the header; the
  // pixels then follow the palette.
  size_t paletteEnd = h.paletteAt + palette->size() * (h.core ? 3 : 4);
  if (h.bits > 8) paletteEnd = h.paletteAt;
  if (!r.seek(dataAt >= paletteEnd ? dataAt : paletteEnd)) return Failure{kBroken};

  Picture picture = MakeOpaquePicture(static_cast<int32_t>(h.width), static_cast<int32_t>(rows));
  PixelSink sink(picture, h.height < 0);
  bool ok = (h.compression == kRLE8 || h.compression == kRLE4) ? DecodeRunLength(r, h, *palette, sink)
                                                               : DecodeUncompressed(r, h, *palette, sink);
  if (!ok) return Failure{kBroken};
  return picture;
}

}  // namespace tesmiro::image
