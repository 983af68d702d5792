// Writes the seed corpus of project_build_fuzz and the media files its
// projects name:
//   make_project_build_seeds CORPUS_DIR MEDIA_DIR
// Every project holds one item of each kind (the loading-screen item 9999
// among them), a sprite, buttons, masks, guides, filters, sounds, every
// action kind and scripts with an include; each seed sets the numeric fields
// to one extreme (largest, smallest, zero, infinities and NaN, frame counts
// at and past what a movie holds), in the current and the two older layouts
// and for each SWF version. The media files come from the test helpers,
// which share no code with the product.
#include <iconv.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "media/image/image_fixtures.h"
#include "media/vector/kvg_text.h"
#include "project/tsm_builder.h"
#include "swf/sound_test_files.h"

namespace {

namespace fs = std::filesystem;
using tesmiro::testing::TsmBuilder;
namespace snd = tesmiro::testing::sound;
namespace img = tesmiro::image_test;

std::string Cp932(const std::string& utf8) {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  std::string in = utf8, out(utf8.size() * 2 + 4, '\0');
  char* src = in.data();
  char* dst = out.data();
  size_t left = in.size(), room = out.size();
  iconv(cd, &src, &left, &dst, &room);
  iconv_close(cd);
  out.resize(out.size() - room);
  return out;
}

void Save(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// One extreme for every field of a kind.
struct Profile {
  std::string name;
  int32_t i32;     // positions, sizes, IDs of button states, easing, colours
  int16_t i16;     // brightness, opacity, flags, switches
  float f32;       // scales, angles, filter terms
  int32_t frames;  // frame counts
};

void Media(const fs::path& dir) {
  fs::create_directories(dir);
  img::PngLayout png;
  png.width = 4;
  png.height = 4;
  png.rows.assign(4, img::Bytes(16, 0x80));
  Save(dir / "img.png", img::MakePng(png));
  Save(dir / "img.jpg", img::MakeJpeg(8, 8, [](int x, int y) { return static_cast<uint32_t>(x * 30 + y * 7000); }));
  img::BmpLayout bmp;
  bmp.width = 2;
  bmp.height = 2;
  bmp.pixelData = img::PadRows({img::Bytes(6, 0x40), img::Bytes(6, 0xC0)});
  Save(dir / "img.bmp", img::MakeBmp(bmp));
  img::GifLayout gif;
  gif.globalPalette = {0x000000, 0xFF0000};
  gif.screenWidth = gif.width = 2;
  gif.screenHeight = gif.height = 2;
  gif.transparentIndex = 0;
  gif.indices = {0, 1, 1, 0};
  Save(dir / "img.gif", img::MakeGif(gif));
  Save(dir / "snd.mp3", snd::MpegFrames({}, 30));
  Save(dir / "snd.wav", snd::Wave(1, 11025, 16, snd::Bytes(400, 0x10)));
  const std::string kvg = tesmiro::testing::KvgText("030", {tesmiro::testing::Rectangle(0, 0, 200, 100)});
  Save(dir / "shape.kvg", std::vector<uint8_t>(kvg.begin(), kvg.end()));
  const std::string kvg2 = tesmiro::testing::KvgText("030", {tesmiro::testing::Rectangle(-50, -50, 50, 300)});
  Save(dir / "shape2.kvg", std::vector<uint8_t>(kvg2.begin(), kvg2.end()));
  Save(dir / "video.flv", snd::Flv(5, {{9, 0, snd::H263Packet(true, 5, 1)},
                                       {8, 0, snd::AudioPacket(2, snd::MpegFrame({}))},
                                       {9, 100, snd::H263Packet(false, 5, 2)}}));
  const std::string script = "var a = 1;\r\ntrace(a);\r\n";
  Save(dir / "include.as", std::vector<uint8_t>(script.begin(), script.end()));
}

void FilterParams(TsmBuilder& b, const Profile& p) {
  b.i32(p.i32).i32(p.i32).f32(p.f32).f32(p.f32).f32(p.f32).f32(p.f32).f32(p.f32).i32(p.i32);
  b.i16(p.i16).i16(p.i16).i32(p.i32);
}

void FilterState(TsmBuilder& b, const Profile& p) {
  b.i16(p.i16 == 0 ? 0 : -1).i16(p.i16 == 0 ? 0 : -1);
  for (int i = 0; i < 4; ++i) b.f32(p.f32);
  for (int i = 0; i < 4; ++i) b.i32(p.i32);
  for (int f = 0; f < 4; ++f) {
    b.i16(p.i16 == 0 ? 0 : 1);
    FilterParams(b, p);
  }
  b.i16(p.i16 == 0 ? 0 : 1);
  for (int i = 0; i < 20; ++i) b.f32(p.f32);
}

struct Event {
  int32_t item = 0;
  int16_t kind = -1;
  int16_t button = 0;
  int16_t mask = 0;
  int16_t guide = 0;
  std::string text1, text2;
  int32_t frames = 0;
};

void WriteEvent(TsmBuilder& b, const std::string& version, const Event& e, const Profile& p) {
  b.i32(e.item).i32(e.frames);
  for (int i = 0; i < 6; ++i) b.i32(p.i32);  // start, end, centre
  for (int i = 0; i < 6; ++i) b.f32(p.f32);  // scales, angles
  b.i16(e.button).i16(e.kind).str(Cp932(e.text1)).str(Cp932(e.text2));
  b.i32(p.i32).i32(p.i32).i32(p.i32);  // button state items
  b.i16(p.i16).i16(p.i16).i16(p.i16).i16(p.i16);
  b.i32(p.i32).i16(e.mask).i32(p.i32).i32(p.i32);  // easing, mask, mask depth, depth
  if (version == "091") return;
  FilterState(b, p);
  FilterState(b, p);
  b.i32(p.i32);  // blend mode
  if (version == "0A1") return;
  b.i16(e.guide).i16(1).i32(3).i32(0);
  for (int i = 0; i < 3; ++i) b.i32(p.i32).i32(i % 2 == 0 ? -p.i32 : p.i32);
}

void WriteItem(TsmBuilder& b, int32_t id, int16_t kind, const std::string& name, int16_t flags, int32_t param,
               const std::string& font, const std::string& option, const Profile& p) {
  b.i32(id).i16(kind).str(Cp932(name)).i16(flags).i32(param).str(Cp932(font)).f32(p.f32).f32(p.f32);
  b.str(Cp932(option)).i32(p.i32).i32(p.i32).i32(p.i32).i32(p.i32).i16(p.i16);
}

std::vector<uint8_t> Project(const std::string& version, const Profile& p, const std::string& options,
                             float rate, int32_t stage) {
  TsmBuilder b;
  b.header(version);
  b.i32(stage).i32(stage).f32(rate).u8(10).u8(20).u8(30).str(options);
  b.i16(1).i16(1).i16(1).i32(p.i32);  // sound sync, loading screen, JPEG re-encoding, quality

  const std::string effect = "@スライド;" + std::to_string(p.frames) + ";" + std::to_string(p.i32) + ";" +
                             std::to_string(p.i16) + ";フェード;" + std::to_string(p.frames) + ";" +
                             std::to_string(p.i32) + ";4;" + std::to_string(p.i32) + ";0:x=" +
                             std::to_string(p.f32) + ";1:y=" + std::to_string(p.i32);
  struct Item {
    int32_t id;
    int16_t kind;
    std::string name;
    int16_t flags;
    int32_t param;
    std::string font, option;
  };
  const std::vector<Item> items = {
      {-1, -1, "フォルダ", 1, 2, "", ""},
      {1, 1, ".\\img.png", p.i16, p.i32, "", "exported"},
      {2, 1, ".\\IMG.JPG", 0, 0, "", ""},
      {3, 2, ".\\snd.mp3", p.i16, p.i32, "", "music"},
      {4, 2, ".\\snd.wav", 0, 0, "", ""},
      {5, 3, "デバイス\r\n文字", static_cast<int16_t>(0x1000 | (p.i16 & 0xFFF)), p.i32, "_sans", "var"},
      {6, 3, "Embedded 埋め込み", p.i16, p.i32, "DejaVu Sans", ""},
      {7, 3, "効果", 0x2000, p.i32, "DejaVu Sans", effect},
      {8, 5, ".\\shape.kvg", 0, 0, "", "vector"},
      {9, 5, ".\\shape2.kvg", 1, 8, "", ""},
      {10, 6, ".\\video.flv", p.i16, p.i32, "", "clip"},
      {11, 4, "スプライト", p.i16, 1, "", ""},
      {12, 0, "clone", p.i16, p.i32, "", ""},
      {13, 1, ".\\img.bmp", 0, 0, "", ""},
      {14, 1, "missing.png", 0, 0, "", ""},
      {9999, 1, ".\\img.gif", 0, 0, "", ""},
  };
  b.i32(static_cast<int32_t>(items.size()));
  for (const Item& it : items) WriteItem(b, it.id, it.kind, it.name, it.flags, it.param, it.font, it.option, p);

  std::vector<Event> main;
  for (int32_t id : {1, 2, 5, 6, 7, 8, 9, 10, 11, 13, 14, 9999}) main.push_back({id, -1, 0, 0, 0, "", "", p.frames});
  main.push_back({1, 13, 1, 0, 0, "", "on (release) {\r\n  play();\r\n}\r\n-\r\non (rollOver) {\r\n  stop();\r\n}", 2});
  main.push_back({8, 1, 1, 0, 0, "_NextLabel", "", 2});
  main.push_back({8, -1, 0, 1, 1, "", "", p.frames});
  main.push_back({9, -1, 0, 1, 2, "", "", p.frames});
  main.push_back({11, -1, 0, 0, 2, "inst", "onClipEvent (enterFrame) {\r\n  _x += 1;\r\n}", p.frames});
  for (int16_t mode : {0, 1, 2, 3, 4, 99}) main.push_back({3, mode, 0, 0, 0, "50;100", "", p.frames});
  main.push_back({4, 0, 0, 0, 0, "", "", 0});
  for (int16_t kind = -1; kind <= 15; ++kind) {
    Event a{0, kind, 0, 0, 0, "label" + std::to_string(kind), "_blank", p.frames};
    if (kind == 1) a.text1 = "_PrevLabel";
    if (kind == 7) a.text1 = std::to_string(p.i32);
    if (kind == 9) a.text1 = "ALL";
    if (kind == 13) a.text2 = "#file \"include.as\"";
    main.push_back(a);
  }
  std::vector<Event> sprite = {{1, -1, 0, 0, 0, "", "", p.frames}, {11, -1, 0, 0, 0, "", "", 1},
                               {0, 12, 0, 0, 0, "", "", p.frames}, {0, 14, 0, 0, 0, "", "", p.frames}};
  // A movie's worth of frames takes seconds to build: those profiles fill
  // the movie once, then go past its end and back.
  if (std::abs(static_cast<int64_t>(p.frames)) > 1000) {
    main = {{1, -1, 0, 0, 0, "", "", p.frames},
            {0, 12, 0, 0, 0, "", "", p.frames},
            {0, 14, 0, 0, 0, "", "", p.frames},
            {11, -1, 0, 0, 0, "", "", 2},
            {2, -1, 0, 0, 0, "", "", 2}};
    sprite = {{2, -1, 0, 0, 0, "", "", 1}, {0, 12, 0, 0, 0, "", "", p.frames}};
  }

  b.i32(1);  // highest timeline index
  for (const auto& [owner, events] : {std::pair{0, &main}, std::pair{11, &sprite}}) {
    b.i32(owner).i32(static_cast<int32_t>(events->size()));
    for (const Event& e : *events) WriteEvent(b, version, e, p);
  }
  return b.bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s CORPUS_DIR MEDIA_DIR\n", argv[0]);
    return 2;
  }
  const fs::path corpus = argv[1];
  fs::create_directories(corpus);
  Media(argv[2]);
  const float nan = std::nanf("");
  const float inf = INFINITY;
  const std::vector<Profile> profiles = {
      {"largest", INT32_MAX, INT16_MAX, FLT_MAX, 3},
      {"smallest", INT32_MIN, INT16_MIN, -FLT_MAX, 3},
      {"zero", 0, 0, 0.0f, 0},
      {"infinite", INT32_MAX, -1, inf, 2},
      {"minus-infinite", INT32_MIN, 1, -inf, 2},
      {"nan", -1, -1, nan, 1},
      {"tiny", 1, 1, FLT_MIN, 1},
      {"movie-limits", 65535, 256, 65535.0f, 65535},
      {"past-movie-limits", 65536, 257, 65536.0f, 65536},
      {"frames-largest", 20, 1, 1.0f, INT32_MAX},
      {"frames-smallest", 20, 1, 1.0f, INT32_MIN},
  };
  const std::vector<std::pair<std::string, std::string>> versions = {{"4", "C 4R"}, {"6", "C 6 "}, {"7", "  7R"},
                                                                     {"8", "C 8R"}};
  for (const Profile& p : profiles) {
    for (const std::string& layout : {"0A3", "0A1", "091"}) {
      for (const auto& [swf, options] : versions) {
        if (layout != "0A3" && swf != "8") continue;
        // A movie's worth of frames takes seconds to build: one layout is enough.
        if (std::abs(static_cast<int64_t>(p.frames)) > 1000 && (layout != "0A3" || swf != "8")) continue;
        Save(corpus / (p.name + "-" + layout + "-swf" + swf + ".tsm"), Project(layout, p, options, 255.99f, 1));
      }
    }
  }
  // The stage and frame rate at their limits.
  const Profile plain{"plain", 1, 1, 1.0f, 2};
  for (const auto& [name, rate, stage] :
       std::vector<std::tuple<std::string, float, int32_t>>{{"rate-zero", 0.0f, 320},
                                                            {"rate-tiny", FLT_MIN, 320},
                                                            {"rate-nan", nan, 320},
                                                            {"stage-largest", 12.0f, 0x7FFFFFF / 20},
                                                            {"stage-past", 12.0f, INT32_MAX},
                                                            {"stage-smallest", 12.0f, INT32_MIN}})
    Save(corpus / (name + ".tsm"), Project("0A3", plain, "C 8R", rate, stage));
  return 0;
}
