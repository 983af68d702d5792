// GIF through giflib, fed from the bounds-checked reader. Only the first
// image is decoded, line by line into our own buffer, so that a hostile image
// descriptor never makes giflib allocate a raster for it.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "media/image/decoders.h"
#include "platform/byte_reader.h"

namespace tesmiro::image {
namespace {

int ReadFromReader(GifFileType* gif, GifByteType* buffer, int length) {
  auto* reader = static_cast<ByteReader*>(gif->UserData);
  size_t n = std::min(static_cast<size_t>(length < 0 ? 0 : length), reader->remaining());
  if (n == 0) return 0;
  auto bytes = reader->bytes(n);
  std::memcpy(buffer, bytes.data(), n);
  return static_cast<int>(n);
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};

bool SkipExtension(GifFileType* gif) {
  int code = 0;
  GifByteType* block = nullptr;
  if (DGifGetExtension(gif, &code, &block) != GIF_OK) return false;
  while (block != nullptr) {
    if (DGifGetExtensionNext(gif, &block) != GIF_OK) return false;
  }
  return true;
}

// Row order of an interlaced image: every 8th row from 0, every 8th from 4,
// every 4th from 2, every 2nd from 1.
std::vector<int> RowOrder(int height, bool interlaced) {
  std::vector<int> order;
  order.reserve(static_cast<size_t>(height));
  if (!interlaced) {
    for (int y = 0; y < height; ++y) order.push_back(y);
    return order;
  }
  const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (int y = start[pass]; y < height; y += step[pass]) order.push_back(y);
  return order;
}

constexpr char kBroken[] = "不正なGIFファイルです";

Result<Picture> DecodeFirstImage(GifFileType* gif) {
  if (DGifGetImageDesc(gif) != GIF_OK) return Failure{kBroken};
  const GifImageDesc& desc = gif->Image;
  const ColorMapObject* map = desc.ColorMap != nullptr ? desc.ColorMap : gif->SColorMap;
  if (map == nullptr || map->Colors == nullptr || desc.Width <= 0 || desc.Height <= 0) return Failure{kBroken};

  int canvasWidth = gif->SWidth > 0 ? gif->SWidth : desc.Width;
  int canvasHeight = gif->SHeight > 0 ? gif->SHeight : desc.Height;
  if (!PictureSizeAllowed(static_cast<uint64_t>(canvasWidth), static_cast<uint64_t>(canvasHeight)))
    return Failure{SizeOutOfRange("GIF")};

  Picture picture = MakeOpaquePicture(canvasWidth, canvasHeight);
  const ColorMapObject* screenMap = gif->SColorMap;
  if (screenMap != nullptr && screenMap->Colors != nullptr && gif->SBackGroundColor >= 0 &&
      gif->SBackGroundColor < screenMap->ColorCount) {
    const GifColorType& c = screenMap->Colors[gif->SBackGroundColor];
    for (size_t i = 0; i < picture.bgra.size(); i += 4) {
      picture.bgra[i] = c.Blue;
      picture.bgra[i + 1] = c.Green;
      picture.bgra[i + 2] = c.Red;
    }
  }

  std::vector<GifPixelType> line(static_cast<size_t>(desc.Width));
  for (int row : RowOrder(desc.Height, desc.Interlace)) {
    if (DGifGetLine(gif, line.data(), desc.Width) != GIF_OK) return Failure{kBroken};
    int64_t y = int64_t{desc.Top} + row;
    if (y < 0 || y >= canvasHeight) continue;
    for (int i = 0; i < desc.Width; ++i) {
      int64_t x = int64_t{desc.Left} + i;
      if (x < 0 || x >= canvasWidth) continue;
      uint8_t* p = &picture.bgra[static_cast<size_t>((y * canvasWidth + x) * 4)];
      if (line[static_cast<size_t>(i)] < map->ColorCount) {
        const GifColorType& c = map->Colors[line[static_cast<size_t>(i)]];
        p[0] = c.Blue;
        p[1] = c.Green;
        p[2] = c.Red;
      } else {
        p[0] = p[1] = p[2] = 0;
      }
    }
  }
  return picture;
}

}  // namespace

Result<Picture> DecodeGIF(std::span<const uint8_t> file) {
  ByteReader reader(file);
  int error = 0;
  std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&reader, ReadFromReader, &error));
  if (!gif) return Failure{kBroken};
  for (;;) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif.get(), &type) != GIF_OK) return Failure{kBroken};
    switch (type) {
      case IMAGE_DESC_RECORD_TYPE:
        return DecodeFirstImage(gif.get());
      case EXTENSION_RECORD_TYPE:
        if (!SkipExtension(gif.get())) return Failure{kBroken};
        break;
      default:
        return Failure{kBroken};  // end of file without an image
    }
  }
}

}  // namespace tesmiro::image
