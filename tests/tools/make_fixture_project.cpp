// Writes the end-to-end fixture project that tests/js/movie_compiler.test.mjs
// compiles and plays:
//   make_fixture_project OUT.tsm VERSION [C] [--backup BACKUP]
// VERSION is 4, 6, 7 or 8; "C" sets the compression option. The materials
// (KVG squares, a short WAV, a small BMP) are written beside the project by this tool.
// With --backup the project is also left in BACKUP as the automatic backup
// of its unsaved changes, for the program to offer at its next start.
//
// Main timeline, frames counted from 1 (the loading screen comes before them,
// so movie frame = main frame + 1):
//   F1  label "top", fscommand seq 1, music sync on, a sound, jump _NextLabel (-> "b")
//   F2  never played: fscommand seq 9, play/next/previous/stop-sounds, sound modes
//   F3  label "b", fscommand seq 2, jump to movie frame 7 (= F6)
//   F4  label "c", fscommand seq 4, jump to label "motion"
//   F5  never played
//   F6  fscommand seq 3, jump _PrevLabel (-> "c")
//   F7  label "motion", fscommand seq 5, script trace("motion")
//   F8..F17  ten-frame motions laid over each other with rollbacks, fixed
//            objects (mask, blend, colour transform, nested sprites, button)
//   F13 fscommand "stopped" and stop: every motion stands at t = 0.5
// The test's pixel expectations are worked out in its own comments.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/app_paths.h"
#include "platform/file_io.h"
#include "project/backup.h"
#include "project/gui_core.h"
#include "project/model.h"
#include "project/project_file.h"

namespace {

using namespace tesmiro;
namespace fs = std::filesystem;

// KVG colours hold red in the lowest byte, alpha in the highest.
int32_t Kvg(uint32_t r, uint32_t g, uint32_t b) { return static_cast<int32_t>(r | (g << 8) | (b << 16) | (255u << 24)); }

// One filled rectangle without an outline, corners in twips.
void WriteKvgRect(const fs::path& path, int32_t w, int32_t h, int32_t colour) {
  std::ofstream f(path, std::ios::binary);
  f << "KVG030\r\n" << w / 20 << "\r\n" << h / 20 << "\r\n1\r\n";
  // last point, closed, line width, outline, line colour, fill kind, colour 1,
  // centre x, centre y, angle, scale x, scale y, colour 2, spare, spare, compound, group
  f << "3,#TRUE#,20,0," << Kvg(0, 0, 0) << ",1," << colour << ",0,0,0,1,1," << Kvg(0, 0, 0)
    << ",#FALSE#,0,#FALSE#,0\r\n0\r\n";
  f << "0,0,0\r\n0," << w << ",0\r\n0," << w << "," << h << "\r\n0,0," << h << "\r\n";
}

// 0.1 s of 8-bit mono PCM at 11025 Hz.
void WriteWav(const fs::path& path) {
  const uint32_t samples = 1102;
  std::ofstream f(path, std::ios::binary);
  auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) f.put(static_cast<char>((v >> (8 * i)) & 255)); };
  auto u16 = [&](uint16_t v) { f.put(static_cast<char>(v & 255)); f.put(static_cast<char>(v >> 8)); };
  f << "RIFF";
  u32(36 + samples);
  f << "WAVEfmt ";
  u32(16);
  u16(1);
  u16(1);
  u32(11025);
  u32(11025);
  u16(1);
  u16(8);
  f << "data";
  u32(samples);
  for (uint32_t i = 0; i < samples; ++i) f.put(static_cast<char>(i % 25 < 12 ? 0xA0 : 0x60));
}

// An 8 x 8 magenta picture, 24-bit, rows bottom-up.
void WriteBmp(const fs::path& path) {
  std::ofstream f(path, std::ios::binary);
  auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) f.put(static_cast<char>((v >> (8 * i)) & 255)); };
  auto u16 = [&](uint16_t v) { f.put(static_cast<char>(v & 255)); f.put(static_cast<char>(v >> 8)); };
  const uint32_t pixels = 8 * 8 * 3;
  f << "BM";
  u32(54 + pixels);
  u32(0);
  u32(54);
  u32(40);
  u32(8);
  u32(8);
  u16(1);
  u16(24);
  u32(0);
  u32(pixels);
  u32(2835);
  u32(2835);
  u32(0);
  u32(0);
  for (uint32_t i = 0; i < 64; ++i) f << '\xFF' << '\x00' << '\xFF';  // blue, green, red
}

StoreItem Item(int32_t id, StoreItemKind kind, const std::string& name) {
  StoreItem it = NewStoreItem(kind);
  it.id = id;
  it.name = name;
  return it;
}

EventRecord Action(ActionKind kind, const std::string& text1 = "", const std::string& text2 = "", int32_t frames = 1) {
  EventRecord e;
  e.itemId = 0;
  e.kind = static_cast<int16_t>(kind);
  e.text1 = text1;
  e.text2 = text2;
  e.frameCount = frames;
  return e;
}

EventRecord Seq(const std::string& n) { return Action(ActionKind::GetURL, "FSCommand:seq", n); }

// A material placed at (x, y) pixels; frames 0 = fixed.
EventRecord Place(int32_t item, int32_t depth, int32_t x, int32_t y, int32_t frames = 0) {
  EventRecord e;
  e.itemId = item;
  e.depth = depth;
  e.startX = e.endX = x;
  e.startY = e.endY = y;
  e.frameCount = frames;
  return e;
}

EventRecord Sound(int32_t item, SoundMode mode) {
  EventRecord e = Place(item, 0, 0, 0);
  e.kind = static_cast<int16_t>(mode);
  return e;
}

FilterState BlueFromRed(float factor) {
  FilterState s;
  s.inUse = 1;
  s.colorMatrix = -1;
  s.matrix.fill(0.0f);
  s.matrix[10] = factor;  // blue row, red column
  s.matrix[18] = 1.0f;    // alpha row, alpha column
  return s;
}

enum : int32_t { kRed = 1, kGreen = 2, kBlue = 3, kMask = 4, kBeep = 5, kLabel = 6, kDot = 7, kInner = 10, kOuter = 11 };

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s OUT.tsm VERSION [C] [--backup BACKUP]\n", argv[0]);
    return 2;
  }
  const fs::path out = fs::absolute(argv[1]);
  const std::string version = argv[2];
  bool compress = false;
  fs::path backup;
  for (int i = 3; i < argc; ++i) {
    if (std::string(argv[i]) == "C") compress = true;
    if (std::string(argv[i]) == "--backup" && i + 1 < argc) backup = fs::absolute(argv[++i]);
  }
  const fs::path dir = out.parent_path();
  WriteKvgRect(dir / "red.kvg", 800, 800, Kvg(255, 0, 0));
  WriteKvgRect(dir / "green.kvg", 800, 800, Kvg(0, 255, 0));
  WriteKvgRect(dir / "blue.kvg", 800, 800, Kvg(0, 0, 255));
  WriteKvgRect(dir / "mask.kvg", 400, 800, Kvg(0, 0, 0));
  WriteWav(dir / "beep.wav");
  WriteBmp(dir / "dot.bmp");

  GUICore::State().paths = AppPaths::InFolder(dir);
  GUICore::NewProject();
  GUICore::Model& m = GUICore::State();
  m.settings.width = 400;
  m.settings.height = 300;
  m.settings.frameRate = 12.0f;
  m.settings.options = std::string(compress ? "C" : " ") + " " + version + " ";
  m.settings.soundSync = 1;
  m.settings.preloader = 1;

  m.store.push_back(Item(kRed, StoreItemKind::VectorImage, (dir / "red.kvg").string()));
  m.store.push_back(Item(kGreen, StoreItemKind::VectorImage, (dir / "green.kvg").string()));
  m.store.push_back(Item(kBlue, StoreItemKind::VectorImage, (dir / "blue.kvg").string()));
  m.store.push_back(Item(kMask, StoreItemKind::VectorImage, (dir / "mask.kvg").string()));
  m.store.push_back(Item(kBeep, StoreItemKind::Sound, (dir / "beep.wav").string()));
  StoreItem label = Item(kLabel, StoreItemKind::Text, "Hi");
  label.font = "_sans";
  label.size = 12;
  label.width = 60;
  label.height = 20;
  m.store.push_back(label);
  m.store.push_back(Item(kDot, StoreItemKind::RasterImage, (dir / "dot.bmp").string()));

  // inner: a blue square sliding 80 px in 8 frames, stopped at its frame 5 (x = 40).
  Timeline inner;
  inner.owner = kInner;
  EventRecord slide = Place(kBlue, 1, 0, 0, 8);
  slide.endX = 80;
  inner.events.push_back(slide);
  inner.events.push_back(Action(ActionKind::Rollback, "", "", -4));
  inner.events.push_back(Action(ActionKind::Stop));
  // outer: inner at (20, 10) less the reference point (10, 10), one frame.
  Timeline outer;
  outer.owner = kOuter;
  EventRecord placeInner = Place(kInner, 1, 20, 10);
  placeInner.text1 = "inner";
  outer.events.push_back(placeInner);
  outer.events.push_back(Action(ActionKind::Stop));
  // loading screen: a green square in the top left corner.
  Timeline loader;
  loader.owner = kPreloaderItemId;
  loader.events.push_back(Place(kGreen, 1, 0, 0));
  loader.events.push_back(Action(ActionKind::Stop));

  m.timelines.push_back(outer);
  m.timelines.push_back(inner);
  m.timelines.push_back(loader);
  StoreItem outerItem = Item(kOuter, StoreItemKind::Sprite, "outer");
  outerItem.param = 1;
  outerItem.refX = 10;
  outerItem.refY = 10;
  StoreItem innerItem = Item(kInner, StoreItemKind::Sprite, "inner");
  innerItem.param = 2;
  StoreItem loaderItem = Item(kPreloaderItemId, StoreItemKind::Sprite, "loader");
  loaderItem.param = 3;
  m.store.push_back(innerItem);
  m.store.push_back(outerItem);
  m.store.push_back(loaderItem);

  auto& ev = m.events;
  // F1
  ev.push_back(Action(ActionKind::Label, "top"));
  ev.push_back(Seq("1"));
  ev.push_back(Action(ActionKind::StartMusicSync));
  ev.push_back(Sound(kBeep, SoundMode::Play));
  ev.push_back(Action(ActionKind::JumpToLabel, "_NextLabel"));
  // F2, never played
  ev.push_back(Seq("9"));
  ev.push_back(Action(ActionKind::Play));
  ev.push_back(Action(ActionKind::NextFrame));
  ev.push_back(Action(ActionKind::PreviousFrame));
  ev.push_back(Action(ActionKind::StopSounds));
  ev.push_back(Sound(kBeep, SoundMode::Loop));
  ev.push_back(Sound(kBeep, SoundMode::Stop));
  ev.push_back(Sound(kBeep, SoundMode::Streaming));
  ev.push_back(Sound(kBeep, SoundMode::StopStreaming));
  ev.push_back(Action(ActionKind::DoNothing, "", "", 1));
  // F3
  ev.push_back(Action(ActionKind::Label, "b"));
  ev.push_back(Seq("2"));
  ev.push_back(Action(ActionKind::JumpToFrame, "7"));
  // F4
  ev.push_back(Action(ActionKind::Label, "c"));
  ev.push_back(Seq("4"));
  ev.push_back(Action(ActionKind::JumpToLabel, "motion"));
  // F5, never played
  ev.push_back(Seq("9"));
  ev.push_back(Action(ActionKind::DoNothing, "", "", 1));
  // F6
  ev.push_back(Seq("3"));
  ev.push_back(Action(ActionKind::JumpToLabel, "_PrevLabel"));
  // F7
  ev.push_back(Action(ActionKind::Label, "motion"));
  ev.push_back(Seq("5"));
  ev.push_back(Action(ActionKind::Script, "", "trace(\"motion\");"));

  // F8..F17: each motion takes ten frames; a rollback brings the next one
  // back to F8.
  const EventRecord back = Action(ActionKind::Rollback, "", "", -10);
  EventRecord eased = Place(kRed, 10, 100, 50, 10);  // easing 255: r(0.5) = 0.75
  eased.endX = 200;
  eased.easing = 255;
  ev.push_back(eased);
  ev.push_back(back);
  EventRecord segments = Place(kGreen, 11, 20, 120, 10);  // easing -255: r(0.5) = 0.25
  segments.endX = 80;
  segments.endY = 140;
  segments.easing = -255;
  segments.guideMode = static_cast<int16_t>(GuideMode::Segments);
  segments.anchors = {GuideAnchor{80 * 20, 120 * 20}};
  ev.push_back(segments);
  ev.push_back(back);
  EventRecord curve = Place(kBlue, 12, 240, 120, 10);
  curve.endX = 320;
  curve.guideMode = static_cast<int16_t>(GuideMode::Smooth);
  curve.anchors = {GuideAnchor{280 * 20, 100 * 20}};
  ev.push_back(curve);
  ev.push_back(back);
  EventRecord turn = Place(kRed, 13, 340, 220, 10);  // about its centre: 45 degrees, scale 1.5
  turn.centerX = turn.centerY = 20;
  turn.endAngle = 90;
  turn.endScaleX = turn.endScaleY = 2;
  ev.push_back(turn);
  ev.push_back(back);
  EventRecord fade = Place(kRed, 14, 20, 200, 10);
  fade.endAlpha = 0;
  ev.push_back(fade);
  ev.push_back(back);
  EventRecord darken = Place(kGreen, 15, 80, 200, 10);
  darken.endBrightness = -100;
  ev.push_back(darken);
  ev.push_back(back);
  EventRecord tinted = Place(kBlue, 16, 20, 250, 10);  // colour transform: blue becomes yellow
  tinted.startFilters.inUse = 1;
  tinted.startFilters.colorTransform = -1;
  tinted.startFilters.multiply = {0.0f, 0.0f, 0.0f, 1.0f};
  tinted.startFilters.add = {255, 255, 0, 0};
  ev.push_back(tinted);
  ev.push_back(back);
  EventRecord filtered = Place(kRed, 32, 260, 200, 10);  // SWF 8: red -> blue 255 .. 0
  filtered.startFilters = BlueFromRed(1.0f);
  filtered.endFilters = BlueFromRed(0.0f);
  ev.push_back(filtered);
  ev.push_back(back);
  // A slow easing in between keeps the remaining easing form in the movie.
  EventRecord slow = Place(kBlue, 17, 360, 270, 10);
  slow.endY = 280;
  slow.easing = 128;
  ev.push_back(slow);
  ev.push_back(back);

  // Fixed objects in F8.
  EventRecord mask = Place(kMask, 20, 140, 200);
  mask.maskFlag = 1;
  mask.maskDepth = 21;
  ev.push_back(mask);
  ev.push_back(Place(kRed, 21, 140, 200));
  ev.push_back(Place(kGreen, 30, 200, 200));
  EventRecord blended = Place(kRed, 31, 210, 200);
  blended.blendMode = static_cast<int32_t>(BlendMode::Difference);
  ev.push_back(blended);
  EventRecord sprite = Place(kOuter, 35, 200, 10);
  sprite.text1 = "outer";
  sprite.text2 = "onClipEvent (load) {\r\n  trace(\"outer loaded\");\r\n}";
  ev.push_back(sprite);
  EventRecord button = Place(kRed, 40, 340, 20);
  button.buttonFlag = 1;
  button.kind = kEventKindScripted;
  button.text2 = "on (release) {\r\n  trace(\"released\");\r\n}";
  ev.push_back(button);
  ev.push_back(Place(kLabel, 45, 300, 280));
  ev.push_back(Place(kDot, 46, 360, 140));
  // Placed in F8, erased in F11.
  ev.push_back(Place(kBlue, 50, 100, 140));
  ev.push_back(Action(ActionKind::DoNothing, "", "", 3));
  ev.push_back(Action(ActionKind::EraseImages, "50"));
  ev.push_back(Action(ActionKind::Rollback, "", "", -3));

  // F13: the picture the test samples.
  ev.push_back(Action(ActionKind::DoNothing, "", "", 5));
  ev.push_back(Action(ActionKind::GetURL, "FSCommand:stopped", ""));
  ev.push_back(Action(ActionKind::Stop));
  ev.push_back(Action(ActionKind::StopMusicSync));

  m.timelines[0].events = m.events;
  if (!GUICore::SaveProject(out.string())) return 1;
  if (backup.empty()) return 0;
  m.projectPath = out.string();
  GUICore::SetModified(true);
  GUICore::WriteAutoBackup(backup, false);
  return fileio::Exists(backup) ? 0 : 1;
}
