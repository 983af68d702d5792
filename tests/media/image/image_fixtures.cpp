#include "image_fixtures.h"

#include <png.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include <fstream>
#include <iterator>

namespace tesmiro::image_test {
namespace {

void Le16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void Le32(Bytes& b, uint32_t v) {
  Le16(b, v & 0xFFFF);
  Le16(b, v >> 16);
}
void Be32(Bytes& b, uint32_t v) {
  for (int i = 3; i >= 0; --i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Be24(Bytes& b, uint32_t v) {
  for (int i = 2; i >= 0; --i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }

void PngChunk(Bytes& out, const char* type, const Bytes& data) {
  Be32(out, static_cast<uint32_t>(data.size()));
  Bytes typed(type, type + 4);
  Append(typed, data);
  Append(out, typed);
  Be32(out, static_cast<uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
}

}  // namespace

void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// ---- BMP -------------------------------------------------------------------

Bytes PadRows(const std::vector<Bytes>& rows) {
  Bytes out;
  for (const auto& row : rows) {
    Append(out, row);
    while (out.size() % 4) out.push_back(0);
  }
  return out;
}

Bytes MakeBmp(const BmpLayout& layout) {
  Bytes header;
  const bool core = layout.headerSize == 12;
  Le32(header, layout.headerSize);
  if (core) {
    Le16(header, static_cast<uint32_t>(layout.width));
    Le16(header, static_cast<uint32_t>(layout.height));
    Le16(header, 1);
    Le16(header, layout.bits);
  } else {
    Le32(header, static_cast<uint32_t>(layout.width));
    Le32(header, static_cast<uint32_t>(layout.height));
    Le16(header, 1);
    Le16(header, layout.bits);
    Le32(header, layout.compression);
    Le32(header, static_cast<uint32_t>(layout.pixelData.size()));
    Le32(header, 2835);
    Le32(header, 2835);
    Le32(header, static_cast<uint32_t>(layout.palette.size()));
    Le32(header, 0);
    while (header.size() < layout.headerSize) header.push_back(0);
  }
  for (uint32_t m : layout.masks) Le32(header, m);
  for (uint32_t c : layout.palette) {
    header.push_back(static_cast<uint8_t>(c));
    header.push_back(static_cast<uint8_t>(c >> 8));
    header.push_back(static_cast<uint8_t>(c >> 16));
    if (!core) header.push_back(0);
  }
  Bytes file = {'B', 'M'};
  Le32(file, static_cast<uint32_t>(14 + header.size() + layout.pixelData.size()));
  Le32(file, 0);
  Le32(file, static_cast<uint32_t>(14 + header.size()));
  Append(file, header);
  Append(file, layout.pixelData);
  return file;
}

// ---- PNG -------------------------------------------------------------------

Bytes MakePng(const PngLayout& layout) {
  static const int kChannels[] = {1, 0, 3, 1, 2, 0, 4};
  const size_t bitsPerPixel = static_cast<size_t>(kChannels[layout.colourType]) * layout.depth;
  Bytes raw;
  if (!layout.interlaced) {
    for (const auto& row : layout.rows) {
      raw.push_back(0);
      Append(raw, row);
    }
  } else {
    // Adam7, for whole-byte pixels.
    const size_t bpp = bitsPerPixel / 8;
    const int xs[] = {0, 4, 0, 2, 0, 1, 0}, ys[] = {0, 0, 4, 0, 2, 0, 1};
    const int dx[] = {8, 8, 4, 4, 2, 2, 1}, dy[] = {8, 8, 8, 4, 4, 2, 2};
    for (int pass = 0; pass < 7; ++pass) {
      if (static_cast<uint32_t>(xs[pass]) >= layout.width) continue;
      for (uint32_t y = static_cast<uint32_t>(ys[pass]); y < layout.height; y += static_cast<uint32_t>(dy[pass])) {
        raw.push_back(0);
        for (uint32_t x = static_cast<uint32_t>(xs[pass]); x < layout.width; x += static_cast<uint32_t>(dx[pass]))
          raw.insert(raw.end(), layout.rows[y].begin() + static_cast<long>(x * bpp),
                     layout.rows[y].begin() + static_cast<long>((x + 1) * bpp));
      }
    }
  }
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  Bytes compressed(size);
  compress(compressed.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
  compressed.resize(size);

  Bytes out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  Bytes ihdr;
  Be32(ihdr, layout.width);
  Be32(ihdr, layout.height);
  ihdr.push_back(layout.depth);
  ihdr.push_back(layout.colourType);
  ihdr.push_back(0);
  ihdr.push_back(0);
  ihdr.push_back(layout.interlaced ? 1 : 0);
  PngChunk(out, "IHDR", ihdr);
  if (!layout.palette.empty()) PngChunk(out, "PLTE", layout.palette);
  if (!layout.trns.empty()) PngChunk(out, "tRNS", layout.trns);
  PngChunk(out, "IDAT", compressed);
  PngChunk(out, "IEND", {});
  return out;
}

bool ReadPngRgba(const Bytes& file, Rgba& out) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) return false;
  image.format = PNG_FORMAT_RGBA;
  out.width = image.width;
  out.height = image.height;
  out.pixels.resize(PNG_IMAGE_SIZE(image));
  bool ok = png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr) != 0;
  png_image_free(&image);
  return ok;
}

// ---- GIF -------------------------------------------------------------------

namespace {

// LZW with 9-bit codes only: a clear code before the table would grow, so
// every pixel is a literal.
Bytes LzwLiterals(const Bytes& indices) {
  Bytes out;
  uint32_t accumulator = 0;
  int bits = 0;
  auto emit = [&](uint32_t code) {
    accumulator |= code << bits;
    bits += 9;
    while (bits >= 8) {
      out.push_back(static_cast<uint8_t>(accumulator));
      accumulator >>= 8;
      bits -= 8;
    }
  };
  emit(256);
  int sinceClear = 0;
  for (uint8_t index : indices) {
    if (sinceClear == 250) {
      emit(256);
      sinceClear = 0;
    }
    emit(index);
    ++sinceClear;
  }
  emit(257);
  if (bits > 0) out.push_back(static_cast<uint8_t>(accumulator));
  return out;
}

}  // namespace

Bytes MakeGif(const GifLayout& layout) {
  Bytes out = {'G', 'I', 'F', '8', '9', 'a'};
  Le16(out, layout.screenWidth);
  Le16(out, layout.screenHeight);
  int sizeBits = 0;
  while ((size_t{2} << sizeBits) < layout.globalPalette.size()) ++sizeBits;
  out.push_back(static_cast<uint8_t>(layout.globalPalette.empty() ? 0 : (0x80 | 0x70 | sizeBits)));
  out.push_back(layout.background);
  out.push_back(0);
  for (size_t i = 0; i < (layout.globalPalette.empty() ? 0 : (size_t{2} << sizeBits)); ++i) {
    uint32_t c = i < layout.globalPalette.size() ? layout.globalPalette[i] : 0;
    out.push_back(static_cast<uint8_t>(c >> 16));
    out.push_back(static_cast<uint8_t>(c >> 8));
    out.push_back(static_cast<uint8_t>(c));
  }
  if (layout.transparentIndex >= 0)
    Append(out, {0x21, 0xF9, 0x04, 0x01, 0x00, 0x00, static_cast<uint8_t>(layout.transparentIndex), 0x00});
  out.push_back(0x2C);
  Le16(out, layout.left);
  Le16(out, layout.top);
  Le16(out, layout.width);
  Le16(out, layout.height);
  out.push_back(layout.interlaced ? 0x40 : 0x00);
  out.push_back(8);  // minimum code size

  Bytes ordered;
  std::vector<int> rows;
  if (layout.interlaced) {
    const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
      for (int y = start[pass]; y < layout.height; y += step[pass]) rows.push_back(y);
  } else {
    for (int y = 0; y < layout.height; ++y) rows.push_back(y);
  }
  for (int y : rows)
    ordered.insert(ordered.end(), layout.indices.begin() + y * layout.width,
                   layout.indices.begin() + (y + 1) * layout.width);
  Bytes lzw = LzwLiterals(ordered);
  for (size_t i = 0; i < lzw.size(); i += 255) {
    size_t n = std::min<size_t>(255, lzw.size() - i);
    out.push_back(static_cast<uint8_t>(n));
    out.insert(out.end(), lzw.begin() + static_cast<long>(i), lzw.begin() + static_cast<long>(i + n));
  }
  out.push_back(0);
  out.push_back(0x3B);
  return out;
}

// ---- JPEG ------------------------------------------------------------------

Bytes MakeJpeg(int width, int height, uint32_t (*colourAt)(int, int), int quality, bool grey) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = grey ? 1 : 3;
  info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  Bytes row(static_cast<size_t>(width) * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint32_t c = colourAt(x, y);
      if (grey) {
        row[static_cast<size_t>(x)] = static_cast<uint8_t>(c);
      } else {
        row[static_cast<size_t>(x) * 3] = static_cast<uint8_t>(c >> 16);
        row[static_cast<size_t>(x) * 3 + 1] = static_cast<uint8_t>(c >> 8);
        row[static_cast<size_t>(x) * 3 + 2] = static_cast<uint8_t>(c);
      }
    }
    JSAMPROW pointer = row.data();
    jpeg_write_scanlines(&info, &pointer, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

bool ReadJpegRgb(const Bytes& file, int& width, int& height, Bytes& rgb) {
  jpeg_decompress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  width = static_cast<int>(info.output_width);
  height = static_cast<int>(info.output_height);
  rgb.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = &rgb[static_cast<size_t>(info.output_scanline) * static_cast<size_t>(width) * 3];
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

// ---- FLV -------------------------------------------------------------------

Bytes MakeFlv(const std::vector<FlvTag>& tags, uint8_t flags) {
  Bytes out = {'F', 'L', 'V', 1, flags};
  Be32(out, 9);
  Be32(out, 0);
  for (const auto& tag : tags) {
    out.push_back(tag.type);
    Be24(out, static_cast<uint32_t>(tag.data.size()));
    Be24(out, tag.timestamp);
    out.push_back(0);
    Be24(out, 0);
    Append(out, tag.data);
    Be32(out, static_cast<uint32_t>(11 + tag.data.size()));
  }
  return out;
}

Bytes Inflate(const Bytes& stream, size_t expected) {
  Bytes out(expected + 1);
  uLongf size = static_cast<uLongf>(out.size());
  if (uncompress(out.data(), &size, stream.data(), static_cast<uLong>(stream.size())) != Z_OK) return {};
  out.resize(size);
  return out;
}

}  // namespace tesmiro::image_test
