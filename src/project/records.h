#pragma once
// The records of a project: movie settings, store items (materials), events,
// timelines, sprite tabs and the event clipboard. Field order, widths and
// signedness are those of the project file, which writes every record member
// by member (record_bytes.h). 16-bit switches keep their raw values: some use
// 1 and some -1 for "on", and files hand back whatever they stored.
#include <cstdint>
#include <string>
#include <vector>

#include "project/one_based.h"
#include "swf/action_kind.h"
#include "swf/filter_state.h"

namespace tesmiro {

// The highest store item ID: 9999 is the loading-screen item, and character
// IDs 2 x ID - 1 and 2 x ID must stay below the SWF writer's automatic IDs.
inline constexpr int32_t kMaxStoreItemId = 9999;
// Number of store items a project (and its file) can hold.
inline constexpr int32_t kMaxStoreItems = 9999;
inline constexpr int32_t kPreloaderItemId = 9999;

struct ProjectSettings {
  int32_t width = 320;  // stage, pixels
  int32_t height = 320;
  float frameRate = 12.0f;
  uint8_t backgroundRed = 255;
  uint8_t backgroundGreen = 255;
  uint8_t backgroundBlue = 255;
  // One character per option: 1 "C" compress, 2 "D" double-click behaviour,
  // 3 SWF version ("4", "7", "8", anything else 6), 4 "R" relative paths.
  // A missing character counts as a blank.
  std::string options = "    ";
  int16_t soundSync = 0;   // 1 = silent stream keeps playback in step with sound
  int16_t preloader = 0;   // 1 = the movie starts with item 9999 as loading screen
  int16_t forceJpegRecompression = 0;  // 1 = JPEG files re-encoded at jpegQuality
  int32_t jpegQuality = 90;

  // Option letter at 1-based position pos, ' ' when the string is shorter.
  char option(size_t pos) const { return pos >= 1 && pos <= options.size() ? options[pos - 1] : ' '; }
};

enum class StoreItemKind : int16_t {
  Folder = -1,
  Clone = 0,
  RasterImage = 1,
  Sound = 2,
  Text = 3,
  Sprite = 4,
  VectorImage = 5,
  Video = 6,
};

// Kinds whose Name is the path of a material file.
inline bool IsFileKind(StoreItemKind k) {
  return k == StoreItemKind::RasterImage || k == StoreItemKind::Sound || k == StoreItemKind::VectorImage ||
         k == StoreItemKind::Video;
}

struct StoreItem {
  int32_t id = 0;  // files, texts, sprites, clones 1..9999; folders -1, -2, ...
  StoreItemKind kind = StoreItemKind::Clone;
  std::string name;  // file kinds: path; text: the text; folder, sprite, clone: caption
  int16_t flags = 0;  // bit field by kind (folder: 1 open)
  int32_t param = 0;  // folder: subtree size; sprite: timeline index; video: start frame; ...
  std::string font;   // text: font name ("_" prefix = device font)
  float size = 0.0f;  // text: points; raster image: edge softening
  float lineSpacing = 0.0f;
  std::string option;  // text: variable or "@" effect settings; image/video: export name
  int32_t width = 0;   // sprite: stage; text: box
  int32_t height = 0;
  int32_t refX = 0;
  int32_t refY = 0;
  int16_t mark = 0;  // work mark, 0 or -1; saved with the rest

  bool isFolder() const { return kind == StoreItemKind::Folder; }
};

// The values a freshly added item of the kind starts from (ID, name and the
// sprite's timeline are filled by the caller).
StoreItem NewStoreItem(StoreItemKind kind);

enum class SoundMode : int16_t {
  Play = 0,
  Stop = 1,
  Loop = 2,
  Streaming = 3,
  StopStreaming = 4,
  SkipStreamFrames = 99,  // only in preview copies
};

enum class GuideMode : int16_t {
  Straight = 0,
  Segments = 1,  // straight segments through the anchors
  Smooth = 2,    // smooth curve through the anchors
};

enum class BlendMode : int32_t {
  None = 0,
  Normal = 1,
  Layer = 2,
  Multiply = 3,
  Screen = 4,
  Lighten = 5,
  Darken = 6,
  Difference = 7,
  Add = 8,
  Subtract = 9,
  Invert = 10,
  Alpha = 11,
  Erase = 12,
  Overlay = 13,
  HardLight = 14,
};

// A point of an event's motion guide, in twips (unlike the event's own
// positions, which are pixels).
struct GuideAnchor {
  int32_t x = 0;
  int32_t y = 0;
};

// The kind value of a material event whose text2 is the script of a button or
// placed sprite.
inline constexpr int16_t kEventKindScripted = 13;
inline constexpr int16_t kEventKindNone = -1;

// Defaults are those of an event made for a material; see NewEventFor and
// ZeroEvent for the other starting points.
struct EventRecord {
  int32_t itemId = 0;  // 0 = action event
  int32_t frameCount = 1;  // 0 = fixed, placed once
  int32_t startX = 0;  // pixels
  int32_t startY = 0;
  int32_t endX = 0;
  int32_t endY = 0;
  int32_t centerX = 0;
  int32_t centerY = 0;
  float startScaleX = 1.0f;
  float endScaleX = 1.0f;
  float startScaleY = 1.0f;
  float endScaleY = 1.0f;
  float startAngle = 0.0f;  // degrees
  float endAngle = 0.0f;
  int16_t buttonFlag = 0;  // 1 = button; the three state IDs below apply
  int16_t kind = kEventKindNone;  // ActionKind, SoundMode, -1, or 13 (scripted)
  std::string text1;  // label, target, URL, frame, erase list, volume, instance name
  std::string text2;  // URL window, or a script
  int32_t downItemId = 0;  // <= 0: the normal item
  int32_t overItemId = 0;
  int32_t hitItemId = 0;
  int16_t startBrightness = 0;  // -100..100
  int16_t endBrightness = 0;
  int16_t startAlpha = 100;  // per cent
  int16_t endAlpha = 100;
  int32_t easing = 0;  // -255..255, 0 linear
  int16_t maskFlag = 0;  // 1 = mask
  int32_t maskDepth = 0;  // last depth clipped by the mask
  int32_t depth = 0;  // -256..256
  FilterState startFilters;
  FilterState endFilters;
  int32_t blendMode = 0;  // BlendMode, SWF 8 only
  int16_t guideMode = 0;  // GuideMode
  std::vector<GuideAnchor> anchors{GuideAnchor{}};  // indices from 0, path order

  bool isAction() const { return itemId == 0; }
  bool isLabel() const { return itemId == 0 && kind == static_cast<int16_t>(ActionKind::Label); }
};

// The event the main window creates for a material of the kind: the record
// defaults, and for a sound Kind 0 (play) with FrameCount 0.
EventRecord NewEventFor(StoreItemKind kind);
// What reading an event outside the list gives: every number 0 (scales,
// alpha and filter multipliers included), empty strings, no anchors.
EventRecord ZeroEvent();
// The empty store item that lookups of a missing ID or position give.
inline StoreItem EmptyStoreItem() { return StoreItem{}; }

// The events of the main movie (owner 0) or of one sprite.
struct Timeline {
  OneBased<EventRecord> events;  // 1-based
  int32_t owner = 0;  // ID of the sprite item; 0 for the main movie
  // In-memory identity, never saved: lets undo steps find "their" timeline
  // after other timelines were removed or re-created. Copies keep it;
  // new and cloned timelines get a fresh one.
  uint64_t key = 0;
};

struct SpriteTab {
  int32_t spriteId = 0;  // 0 = main movie
  int32_t left = 0;  // pixel edges on the strip, set by its painter
  int32_t right = 0;
  int16_t active = 0;  // boolean: the tab of the shown timeline
  int32_t savedRow = 0;  // event-list current row when the tab was left
  int32_t savedScroll = 0;  // event-list scroll value when the tab was left
};

inline constexpr int kMaxSpriteTabs = 8;  // besides the main movie's tab

// Events copied inside the program, in copy order (1-based).
struct EventClipboard {
  OneBased<EventRecord> events;
};

// Version from the third option letter: "4", "7", "8"; anything else is 6.
int16_t SWFVersionFromOptions(const std::string& options);

}  // namespace tesmiro
