// Projects made outside the program, with numbers at the ends of their
// types: they build, or fail with a message, and never write anywhere but
// their own target.
#include <unistd.h>

#include <climits>
#include <cmath>
#include <limits>

#include "compiler/movie_compiler.h"
#include "compiler_test_util.h"
#include "media/action_compiler.h"
#include "project/gui_core.h"
#include "project/project_file.h"
#include "project/tsm_builder.h"
#include "swf/sound_test_files.h"

namespace tesmiro::testing {
namespace {

namespace fs = std::filesystem;
namespace W = SWFMakeCore;
using GUICore::BuildResult;

// A 2 x 2 24-bit bottom-up BMP, written byte by byte.
std::vector<uint8_t> TinyBmp() {
  std::vector<uint8_t> b = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0,
                            1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0,
                            0, 0, 0, 0};
  for (int row = 0; row < 2; ++row) {
    for (int px = 0; px < 2; ++px) b.insert(b.end(), {0, 0, 255});
    b.insert(b.end(), {0, 0});
  }
  return b;
}

// Character IDs of the PlaceObject2/3 tags of a tag list that place one.
std::vector<int> PlacedCharacters(const std::vector<Tag>& tags) {
  std::vector<int> ids;
  for (const Tag& t : tags) {
    if (t.code != 26 && t.code != 70) continue;
    const size_t flagsAt = 0, idAt = t.code == 26 ? 3 : 4;
    if (t.body[flagsAt] & 2) ids.push_back(t.body[idAt] | t.body[idAt + 1] << 8);
  }
  return ids;
}

class HostileProjectTest : public CompilerTest {
 protected:
  StoreItem& AddImage(int32_t id, const std::string& file) {
    StoreItem image = NewStoreItem(StoreItemKind::RasterImage);
    image.id = id;
    image.name = (dir / file).string();
    GUICore::State().store.push_back(image);
    return GUICore::State().store.at(GUICore::State().store.count());
  }
  std::string Warnings() const {
    std::string all;
    for (const RecordedMessage& m : ui.messages) all += m.title + ":" + m.text + "\n";
    return all;
  }
};

TEST_F(HostileProjectTest, ButtonStatesOutsideTheStoreLeaveTheUpLook) {
  ASSERT_TRUE(fileio::WriteAtomic(dir / "red.bmp", TinyBmp()));
  AddImage(1, "red.bmp");
  AddImage(2, "gone.bmp");
  EventRecord button = Place(1, 1);
  button.buttonFlag = 1;
  button.kind = static_cast<int16_t>(ActionKind::Play);
  button.downItemId = INT32_MAX;
  button.overItemId = INT32_MIN;
  button.hitItemId = 2;  // a material the movie leaves out
  GUICore::State().events.push_back(button);
  ASSERT_EQ(GUICore::MakeSWF(dir / "out.swf", false), BuildResult::Done);
  const auto tags = ReadTags(Movie());
  int buttons = 0;
  for (const Tag& t : tags) {
    if (t.code != 7) continue;
    ++buttons;
    EXPECT_EQ(t.body[2], 15);  // one record, up, with every state's bit
    EXPECT_EQ(t.body[3] | t.body[4] << 8, 2);
    EXPECT_EQ(t.body[8], 0);  // the records end after the first one's depth and matrix
  }
  EXPECT_EQ(buttons, 1);
}

TEST_F(HostileProjectTest, EventsOfALeftOutMaterialPlaceNothing) {
  ASSERT_TRUE(fileio::WriteAtomic(dir / "red.bmp", TinyBmp()));
  AddImage(1, "red.bmp");
  AddImage(2, "gone.bmp");
  StoreItem video = NewStoreItem(StoreItemKind::Video);
  video.id = 3;
  video.name = (dir / "gone.flv").string();
  GUICore::State().store.push_back(video);
  AddImage(kPreloaderItemId, "gone.gif");
  GUICore::State().settings.preloader = 1;
  auto& events = GUICore::State().events;
  events.push_back(Place(2, 2, 1));
  events.push_back(Place(3, 2, 2));
  events.push_back(Place(1, 2, 3));
  ASSERT_EQ(GUICore::MakeSWF(dir / "out.swf", false), BuildResult::Done);
  EXPECT_EQ(PlacedCharacters(ReadTags(Movie())), std::vector<int>{2});
}

// The movie's timing is the same with or without a material it leaves out.
TEST_F(HostileProjectTest, ALeftOutVideoKeepsItsFrames) {
  GUICore::State().settings.options = "  4";  // SWF 4, which holds no video
  std::vector<sound::FlvTag> tags;
  for (int i = 0; i < 3; ++i) tags.push_back({9, static_cast<uint32_t>(i * 100), sound::H263Packet(i == 0, 5, 1)});
  ASSERT_TRUE(fileio::WriteAtomic(dir / "clip.flv", sound::Flv(1, tags)));
  StoreItem video = NewStoreItem(StoreItemKind::Video);
  video.id = 1;
  video.name = (dir / "clip.flv").string();
  GUICore::State().store.push_back(video);
  GUICore::State().events.push_back(Place(1, 3, 1));
  GUICore::State().events.push_back(Action(ActionKind::Stop));
  ASSERT_EQ(GUICore::MakeSWF(dir / "out.swf", false), BuildResult::Done);
  ASSERT_FALSE(ui.messages.empty());
  EXPECT_EQ(ui.messages[0].text, "SWF4ではFLVビデオは使用できません。");
  int frames = 0;
  const auto movie = ReadTags(Movie(), &frames);
  EXPECT_EQ(frames, 4);  // the video's three and the stop's
  EXPECT_EQ(CountCode(movie, 12), 1);
  EXPECT_TRUE(PlacedCharacters(movie).empty());
}

TEST_F(HostileProjectTest, ASpritesReferencePointMovesEventsWithoutOverflow) {
  const int32_t t = AddSprite(1, "s");
  GUICore::State().store.at(1).refX = INT32_MIN;
  GUICore::State().store.at(1).refY = INT32_MAX;
  EventRecord e = Place(3, 1);
  e.startX = e.endX = INT32_MAX;
  e.startY = e.endY = INT32_MIN;
  GUICore::State().timelines[static_cast<size_t>(t)].events.push_back(e);
  GUICore::State().events.push_back(Place(1, 1));
  ASSERT_EQ(GUICore::MakeSWF(dir / "out.swf", true), BuildResult::Done);
  const std::string warnings = Warnings();
  EXPECT_NE(warnings.find("位置 4294967295 を 2147483647 にしました"), std::string::npos) << warnings;
  EXPECT_NE(warnings.find("位置 -4294967295 を -2147483648 にしました"), std::string::npos) << warnings;
}

TEST_F(HostileProjectTest, TextSizesBeyondTheirFieldsAreClampedWithAWarning) {
  StoreItem text = NewStoreItem(StoreItemKind::Text);
  text.id = 1;
  text.name = "abc";
  text.font = "_sans";
  text.flags = 0x1000;
  text.size = 1e7f;
  text.lineSpacing = -1e7f;
  text.width = INT32_MAX;
  text.height = INT32_MIN;
  GUICore::State().store.push_back(text);
  // A measured text far wider than the bounds can say.
  text.id = 2;
  text.name = std::string(300, 'W');
  text.font = "DejaVu Sans";
  text.flags = 0;
  text.size = 3000.0f;
  text.lineSpacing = 0;
  text.width = text.height = 0;
  GUICore::State().store.push_back(text);
  GUICore::State().events.push_back(Place(1, 1));
  GUICore::State().events.push_back(Place(2, 1, 1));
  ASSERT_EQ(GUICore::MakeSWF(dir / "out.swf", false), BuildResult::Done);
  const std::string warnings = Warnings();
  EXPECT_NE(warnings.find("文字サイズ (twips) 200000000 を 65535 にしました"), std::string::npos) << warnings;
  EXPECT_NE(warnings.find("行間 (twips) -200000000 を -32768 にしました"), std::string::npos);
  EXPECT_NE(warnings.find("テキストの幅 2147483647 を 419430 にしました"), std::string::npos);
  EXPECT_NE(warnings.find("テキストの高さ -2147483648 を -419430 にしました"), std::string::npos);
  int texts = 0;
  for (const Tag& t : ReadTags(Movie())) {
    if (t.code != 37 && t.code != 33) continue;
    ++texts;
    // The bounds after the ID: 5 bits of field size, then Xmin and Xmax.
    uint64_t bits = 0;
    for (size_t i = 2; i < 10; ++i) bits = bits << 8 | t.body[i];
    EXPECT_EQ(bits >> 59, 24u);
    EXPECT_EQ(bits >> 11 & 0xFFFFFF, 419430u * 20) << "tag " << t.code;  // the widest 24-bit twips
  }
  EXPECT_EQ(texts, 2);
}

TEST_F(HostileProjectTest, TextEffectIntervalsAtTheirLimitsBuild) {
  StoreItem text = NewStoreItem(StoreItemKind::Text);
  text.id = 1;
  text.name = "ab";
  text.font = "DejaVu Sans";
  text.flags = 0x2000;
  for (const std::string interval : {"-2147483648", "2147483647"}) {
    text.option = "@;5;" + interval + ";0;;5;" + interval + ";1;3";
    GUICore::State().store.items().assign(1, text);
    GUICore::State().events.items().assign(1, Place(1, 1));
    ASSERT_EQ(GUICore::MakeSWF(dir / "out.swf", false), BuildResult::Done) << interval;
    int sprites = 0;
    for (const Tag& t : ReadTags(Movie())) sprites += t.code == 39;
    EXPECT_EQ(sprites, 3) << interval;  // two letters and the effect
  }
}

// Every number of every record at one end of its type, in the current file
// layout and in the two older ones.
std::vector<uint8_t> ExtremeProject(const std::string& version, int32_t v, int16_t s, float f) {
  TsmBuilder b;
  b.header(version);
  b.i32(320).i32(240).f32(12.0f).u8(0).u8(0).u8(0).str("C 8 ").i16(1).i16(1).i16(1).i32(v);
  b.i32(3);
  b.i32(1).i16(1).str(".\\red.bmp").i16(s).i32(v).str("").f32(f).f32(f).str("").i32(v).i32(v).i32(v).i32(v).i16(s);
  b.i32(2).i16(3).str("t").i16(0x1000).i32(v).str("_sans").f32(f).f32(f).str("").i32(v).i32(v).i32(v).i32(v).i16(s);
  b.i32(3).i16(4).str("sp").i16(s).i32(1).str("").f32(f).f32(f).str("").i32(v).i32(v).i32(v).i32(v).i16(s);
  b.i32(1);
  auto event = [&](int32_t item, int16_t button, int16_t kind) {
    b.i32(item).i32(3);
    for (int i = 0; i < 6; ++i) b.i32(v);
    for (int i = 0; i < 6; ++i) b.f32(f);
    b.i16(button).i16(kind).str("").str("");
    b.i32(v).i32(v).i32(v).i16(s).i16(s).i16(s).i16(s).i32(v).i16(1).i32(v).i32(v);
    if (version == "091") return;
    for (int state = 0; state < 2; ++state) {
      b.i16(-1).i16(-1);
      for (int i = 0; i < 4; ++i) b.f32(f);
      for (int i = 0; i < 4; ++i) b.i32(v);
      for (int filter = 0; filter < 4; ++filter) {
        b.i16(-1).i32(v).i32(v).f32(f).f32(f).f32(f).f32(f).f32(f).i32(v).i16(s).i16(s).i32(v);
      }
      b.i16(-1);
      for (int i = 0; i < 20; ++i) b.f32(f);
    }
    b.i32(v);
    if (version == "0A1") return;
    b.i16(2).i16(1).i32(2).i32(0).i32(v).i32(~v).i32(~v).i32(v);
  };
  b.i32(0).i32(4);
  event(1, 1, 3);
  event(2, 0, -1);
  event(3, 0, -1);
  event(0, 0, 14);
  b.i32(3).i32(1);
  event(1, 0, -1);
  return b.bytes;
}

TEST_F(HostileProjectTest, ProjectsOfEveryLayoutWithExtremeNumbersBuild) {
  ActionCompiler::InstallBinding();
  ASSERT_TRUE(fileio::WriteAtomic(dir / "red.bmp", TinyBmp()));
  for (const std::string version : {"0A3", "0A1", "091"}) {
    struct Ends {
      int32_t i32;
      int16_t i16;
      float f32;
    };
    for (const Ends& e : {Ends{INT32_MAX, INT16_MAX, std::numeric_limits<float>::max()},
                          Ends{INT32_MIN, INT16_MIN, -std::numeric_limits<float>::infinity()},
                          Ends{-1, -1, std::nanf("")}}) {
      SCOPED_TRACE(version + " " + std::to_string(e.i32));
      ASSERT_TRUE(fileio::WriteAtomic(dir / "p.tsm", ExtremeProject(version, e.i32, e.i16, e.f32)));
      ASSERT_TRUE(GUICore::OpenProject((dir / "p.tsm").string()));
      const BuildResult result = GUICore::MakeMovieFile(dir / "out.swf", true).result;
      EXPECT_EQ(result, BuildResult::Done) << Warnings();
      EXPECT_EQ(Movie()[0], 'C');
    }
  }
}

TEST_F(HostileProjectTest, AProjectOpenedByARelativePathFindsItsMaterials) {
  ASSERT_TRUE(fileio::WriteAtomic(dir / "red.bmp", TinyBmp()));
  TsmBuilder b;
  b.header().settings().i32(1).item(1, 1, ".\\red.bmp").i32(0);
  b.i32(0).i32(1).event("0A3", 1);
  b.save(dir / "p.tsm");
  const fs::path before = fs::current_path();
  fs::current_path(dir.path());
  const bool opened = GUICore::OpenProject("p.tsm");
  fs::current_path(before);  // the build runs from elsewhere, as a window program's may
  ASSERT_TRUE(opened);
  EXPECT_EQ(GUICore::State().projectPath, (dir / "p.tsm").string());
  ASSERT_EQ(GUICore::MakeSWF(dir / "out.swf", false), BuildResult::Done);
  EXPECT_EQ(CountCode(ReadTags(Movie()), 21), 1);  // the bitmap was found
}

}  // namespace
}  // namespace tesmiro::testing
