#pragma once
// Small independent writers for the image and video files the tests feed to
// the product: BMP, PNG (zlib), GIF (uncompressed LZW), JPEG (libjpeg) and
// FLV, plus a PNG and JPEG reader built on the libraries' own simple calls.
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tesmiro::image_test {

using Bytes = std::vector<uint8_t>;

void WriteFile(const std::filesystem::path& path, const Bytes& bytes);
Bytes ReadFile(const std::filesystem::path& path);

// ---- BMP -------------------------------------------------------------------
struct BmpLayout {
  int32_t width = 1;
  int32_t height = 1;  // negative: top-down
  uint16_t bits = 24;
  uint32_t compression = 0;
  uint32_t headerSize = 40;         // 12 for the OS/2 core header
  std::vector<uint32_t> palette{};  // 0x00RRGGBB entries
  std::vector<uint32_t> masks{};    // bit-field masks written after a 40-byte header
  Bytes pixelData{};                // exactly as stored in the file
};
Bytes MakeBmp(const BmpLayout& layout);
// Pads each row to 4 bytes and joins them (rows in file order).
Bytes PadRows(const std::vector<Bytes>& rows);

// ---- PNG -------------------------------------------------------------------
struct PngLayout {
  uint32_t width = 1;
  uint32_t height = 1;
  uint8_t depth = 8;
  uint8_t colourType = 6;
  bool interlaced = false;
  Bytes palette{};            // RGB triples (PLTE)
  Bytes trns{};               // tRNS chunk data
  std::vector<Bytes> rows{};  // unfiltered sample bytes of each row, top first
};
Bytes MakePng(const PngLayout& layout);

// Reads a PNG with libpng's simplified interface as RGBA rows.
struct Rgba {
  uint32_t width = 0, height = 0;
  Bytes pixels{};  // r, g, b, a
};
bool ReadPngRgba(const Bytes& file, Rgba& out);

// ---- GIF -------------------------------------------------------------------
struct GifLayout {
  uint16_t screenWidth = 1, screenHeight = 1;
  std::vector<uint32_t> globalPalette{};  // 0x00RRGGBB, a power of two entries
  uint8_t background = 0;
  int transparentIndex = -1;  // a graphic control extension when >= 0
  uint16_t left = 0, top = 0, width = 1, height = 1;
  bool interlaced = false;
  Bytes indices{};  // width x height, rows top first in display order
};
Bytes MakeGif(const GifLayout& layout);

// ---- JPEG ------------------------------------------------------------------
// A JPEG of width x height where pixel (x, y) has colour colourAt(x, y)
// (0x00RRGGBB), or a grey-scale one.
Bytes MakeJpeg(int width, int height, uint32_t (*colourAt)(int, int), int quality = 95, bool grey = false);
// Decodes with libjpeg into RGB.
bool ReadJpegRgb(const Bytes& file, int& width, int& height, Bytes& rgb);

// ---- FLV -------------------------------------------------------------------
struct FlvTag {
  uint8_t type = 9;
  uint32_t timestamp = 0;
  Bytes data{};
};
Bytes MakeFlv(const std::vector<FlvTag>& tags, uint8_t flags = 5);

// Inflates a zlib stream (empty on failure).
Bytes Inflate(const Bytes& stream, size_t expected);

}  // namespace tesmiro::image_test
