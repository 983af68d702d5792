#pragma once
// The item information panel above the file list: what it shows of one
// material (a title on a white band, then by kind a scaled picture, a
// vector image, video facts, sound facts with play and stop, a text's font
// and content, a sprite's size or a folder's count), laid out in pixels.
// What the material files hold is probed by the caller and handed in, so
// the layout itself needs no file.
#include <cstdint>
#include <string>
#include <vector>

#include "project/records.h"

namespace tesmiro::InfoPanel {

// Layout of the panel, pixels.
inline constexpr int32_t kBandHeight = 12;   // white band (0, 0)-(width - 1, 12)
inline constexpr int32_t kTitleY = 1;
inline constexpr int32_t kBodyY = 14;        // second line; top of the picture area
inline constexpr int32_t kSoundX = 2;        // sound facts, below the play and stop buttons
inline constexpr int32_t kSoundY = 35;
inline constexpr uint32_t kBandColour = 0xFFFFFF;

// What the probes found in the material's file.
struct ImageFacts {
  int32_t width = 0;
  int32_t height = 0;
  // Why a raster picture of this size cannot be drawn; empty when it may be.
  std::string sizeProblem = {};
};
struct VideoFacts {
  bool ok = false;  // an FLV file
  int32_t version = 0;
  int32_t typeFlags = 0;  // 1 video, 4 audio
  float frameRate = 0;
  int32_t frameCount = 0;
  std::string videoCodec;
  std::string audioCodec;
};
struct SoundFacts {
  bool ok = false;  // read and of a known format
  int32_t kind = 0;  // phone formats -1 SMAF, -2 MFi, -3 SMF; -16 PCM WAV; MPEG 3, 2, 0
  int32_t rateOrBits = 0;  // MPEG: bits per second; WAV: bits per sample
  int32_t sampleRate = 0;
  int32_t stereo = 0;
  std::string title, album, artist;
};
struct MaterialFacts {
  std::string path;  // the file found for the item; empty when there is none
  ImageFacts image;
  VideoFacts video;
  SoundFacts sound;
};

enum class Picture { None, Raster, Vector };

struct Layout {
  std::string title;       // on the band, from (0, 1)
  std::string titleExtra;  // the line under the title (a morphing vector's target)
  // Lines printed one under the other from (linesX, linesY), at the font's
  // line height.
  std::vector<std::string> lines;
  int32_t linesX = 0;
  int32_t linesY = kBodyY;
  Picture picture = Picture::None;
  int32_t pictureLeft = 0, pictureTop = 0, pictureWidth = 0, pictureHeight = 0;
  std::string tooltip;
  bool soundButtons = false;  // play and stop
  bool spriteButton = false;  // "edit sprite"
  std::string soundPath;      // the file play and stop act on
};

// The panel for an item (an empty record with ID 0 when there is none) in a
// panel of the given client size.
Layout LayoutItemInfo(const StoreItem& item, const MaterialFacts& facts, int32_t panelWidth, int32_t panelHeight,
                      int16_t swfVersion);

// A picture of w x h fitted into the area below the band of a panel of
// pw x (ph + 14): the whole height when the panel is relatively wider,
// else the whole width; enlarged when smaller. False (nothing to draw) when
// a size is 0 or negative.
bool ScalePicture(int32_t w, int32_t h, int32_t pw, int32_t ph, int32_t& dw, int32_t& dh);

std::vector<std::string> SoundLines(const SoundFacts& sound, int16_t swfVersion);
std::vector<std::string> VideoLines(const VideoFacts& video, const StoreItem& item);

}  // namespace tesmiro::InfoPanel
