// A project opened on another machine than the one it was made on: its
// pictures, sounds, vector images and videos missing or broken, its effect
// templates and fonts not installed. The movie leaves them out as it always
// did; the user is told once the build has ended, in one box after Make SWF
// and the browser and player previews, in a line for the others.
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "compiler/event_preview.h"
#include "compiler/left_out.h"
#include "compiler/live_picture_build.h"
#include "compiler/movie_compiler.h"
#include "compiler/previews.h"
#include "compiler_test_util.h"
#include "media/text/font_surface.h"
#include "project/store.h"
#include "support/checkers.h"
#include "support/user_text.h"

namespace tesmiro::testing {
namespace {

std::string Crc(const std::vector<uint8_t>& bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%08lx/%zu", crc32(0, bytes.data(), static_cast<uInt>(bytes.size())),
                bytes.size());
  return text;
}

// A PNG whose header is whole and whose image data never comes.
std::string CutPng() {
  const std::string header("IHDR\0\0\0\x10\0\0\0\x10\x08\x02\0\0\0", 17);
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(header.data()), static_cast<uInt>(header.size()));
  std::string png = std::string("\x89PNG\r\n\x1a\n\0\0\0\x0d", 12) + header;
  for (int shift : {24, 16, 8, 0}) png += static_cast<char>((crc >> shift) & 0xFF);
  return png;
}

// A BMP header for a picture of 70000 x 70000, larger than pictures may be.
std::string HugeBmp() {
  return std::string("BM") + std::string(12, '\0') +
         std::string("\x28\0\0\0\x70\x11\x01\0\x70\x11\x01\0\x01\0\x18\0", 16) + std::string(24, '\0');
}

const char kSquare[] =
    "KVG030\r\n20\r\n20\r\n1\r\n"
    "3,#TRUE#,20,0,-16777216,1,-16776961,0,0,0,1,1,-16777216,#FALSE#,0,#FALSE#,0\r\n0\r\n"
    "0,0,0\r\n0,400,0\r\n0,400,400\r\n0,0,400\r\n";

class LeftOutTest : public CompilerTest {
 protected:
  int32_t Add(StoreItemKind kind, const std::string& name, int16_t flags = 0) {
    StoreItem item = NewStoreItem(kind);
    item.id = static_cast<int32_t>(GUICore::State().store.count()) + 1;
    item.name = name;
    item.flags = flags;
    GUICore::State().store.push_back(item);
    return item.id;
  }
  int32_t AddText(const std::string& text, const std::string& font, int16_t flags = 0) {
    const int32_t id = Add(StoreItemKind::Text, text, flags);
    GUICore::State().store.at(id).font = font;
    return id;
  }
  std::string File(const std::string& name, const std::string& bytes) {
    std::ofstream(dir / name, std::ios::binary) << bytes;
    return (dir / name).string();
  }
  void Show(int32_t id) { GUICore::State().events.push_back(Place(id, 1, GUICore::State().events.count())); }
  void Sound(int32_t id, SoundMode mode) {
    EventRecord e = Place(id, 0);
    e.kind = static_cast<int16_t>(mode);
    GUICore::State().events.push_back(e);
  }
  std::string In(const std::string& name) const { return (dir / name).string(); }

  // Every way a moved project's materials fail, each placed once; fonts
  // that are there, so that the movie is the same on every machine.
  void AddMovedProject() {
    Show(Add(StoreItemKind::RasterImage, kAway + "photo.png"));
    Sound(Add(StoreItemKind::Sound, kAway + "bgm.wav"), SoundMode::Play);
    Show(Add(StoreItemKind::VectorImage, kAway + "logo.kvg"));
    Show(Add(StoreItemKind::Video, kAway + "clip.flv"));
    Sound(Add(StoreItemKind::Sound, kAway + "talk.mp3"), SoundMode::Streaming);
    Show(Add(StoreItemKind::RasterImage, File("cut.png", CutPng())));
    Show(Add(StoreItemKind::RasterImage, File("huge.bmp", HugeBmp())));
    Show(Add(StoreItemKind::VectorImage, File("broken.kvg", "KVG030\r\n20\r\n20\r\nabc\r\n")));
    const int32_t morph = Add(StoreItemKind::VectorImage, File("morph.kvg", kSquare), 1);
    GUICore::State().store.at(morph).param = Add(StoreItemKind::VectorImage, File("target.kvg", "KVG030\r\n"));
    Show(morph);
    Show(Add(StoreItemKind::Video, File("notes.flv", "not a video")));
    const int32_t effect = AddText("ABC", "IPAGothic", 0x2000);
    GUICore::State().store.at(effect).option = "@NoSuchEffect;10;0;0;なし;0;0;0;0";
    Show(effect);
    Show(AddText("あ한", "IPAGothic"));
  }
  std::vector<std::string> MovedProjectLines() const {
    return {
        "ファイル [" + kAway + "photo.png] がありません",
        "ファイル [" + kAway + "bgm.wav] がありません",
        "ファイル [" + kAway + "logo.kvg] がありません",
        "ファイル [" + In("cut.png") + "] を読み込めません：不正なPNGファイルです",
        "ファイル [" + In("huge.bmp") + "] を読み込めません：BMP画像の大きさが扱える範囲にありません",
        "ファイル [" + In("broken.kvg") + "] を読み込めません：KVGファイルの整数が数値ではありません: abc",
        "ファイル [" + In("morph.kvg") + "] はモーフィングできません：変形先のファイル [" + In("target.kvg") +
            "] を読み込めません：KVGファイルの見出しが途中で切れています",
        "テキスト効果のテンプレート [NoSuchEffect] がインストールされていません",
        "フォント [IPAGothic] にない文字は表示されません：한",
        "ファイル [" + kAway + "clip.flv] がありません",
        "ファイル [" + kAway + "talk.mp3] がありません",
        "ファイル [" + In("notes.flv") + "] はFLVビデオではありません",
    };
  }
  std::vector<std::string> Paths() const {
    std::vector<std::string> paths;
    for (const StoreItem& item : GUICore::State().store) paths.push_back(item.name);
    return paths;
  }

  const std::string kAway = "C:\\Users\\kaori\\sozai\\";
};

TEST_F(LeftOutTest, AMovedProjectIsToldInOneBoxAfterTheBuildAndItsMovieIsAsBefore) {
  AddMovedProject();
  ASSERT_EQ(GUICore::MakeMovieFile(dir / "out.swf", false).result, GUICore::BuildResult::Done);
  EXPECT_EQ(Crc(Movie()), "b80ceb9c/1150");  // the movie as it was before the list was told
  EXPECT_EQ(ui.statusLines.back(), "完了 (1KB)");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "警告");
  EXPECT_EQ(ui.messages[0].icon, ui::Icon::Exclamation);
  std::string expected = "次のものはムービーに含まれていません。\r\n";
  for (const std::string& line : MovedProjectLines()) expected += line + "\r\n";
  EXPECT_EQ(ui.messages[0].text, expected);
  EXPECT_JAPANESE(ui.messages[0].text, Paths(), {"IPAGothic", "NoSuchEffect", "abc"});

  // Each event's own previews are what they were too.
  const char* const kPreviews[][2] = {
      {"4a92cca9/1789", "8b8b6003/1797"}, {"bb7e03ba/1783", "93c2d90b/1785"}, {"d218e157/1789", "d3786235/1797"},
      {"ecb287eb/1789", "1614e574/1797"}, {"bb7e03ba/1783", "93c2d90b/1785"}, {"7438aa15/1789", "4ee7e742/1797"},
      {"387dbcea/1789", "629e6659/1797"}, {"4034909f/1825", "dde501ff/1844"}, {"45297192/1789", "33366e9a/1797"},
      {"91e64a93/1789", "47bcedb7/1797"}, {"fdd58535/2746", "d13d37bf/2767"}, {"e666ef8f/2386", "210104c4/2410"},
  };
  const auto& events = GUICore::State().events;
  for (int32_t i = 1; i <= events.count(); ++i) {
    ASSERT_TRUE(GUICore::BuildSingleEventPreviewSWF(events.at(i), "one.swf"));
    EXPECT_EQ(Crc(Movie("one.swf")), kPreviews[i - 1][0]) << "event " << i;
    ASSERT_TRUE(GUICore::BuildEventPreviewSWF(events.at(i), events.at(i), dir / "live.swf", false, false, 0));
    EXPECT_EQ(Crc(Movie("live.swf")), kPreviews[i - 1][1]) << "event " << i;
  }
  EXPECT_EQ(ui.messages.size(), 1u);
  REQUIRE_CHECKER(MissingSwfParser());
  const std::string check = "node " + std::string(TESMIRO_TEST_JS_DIR) + "/check_swf.mjs '" + In("out.swf") +
                            "' > /dev/null 2>&1";
  EXPECT_EQ(std::system(check.c_str()), 0) << "swf-parser refuses the movie";
}

TEST_F(LeftOutTest, AProjectWhoseMaterialsAreAllThereShowsNoBox) {
  Show(Add(StoreItemKind::VectorImage, File("square.kvg", kSquare)));
  const int32_t morph = Add(StoreItemKind::VectorImage, File("from.kvg", kSquare), 1);
  GUICore::State().store.at(morph).param = 1;
  Show(morph);
  Show(AddText("あいう ABC", "IPAGothic"));
  Show(AddText("かな", "ＭＳ ゴシック"));  // mapped to the installed IPA font on purpose
  Show(AddText("デバイス", "_ゴシック"));
  const int32_t effect = AddText("效", "IPAGothic", 0x2000);
  GUICore::State().store.at(effect).option = "@なし;10;0;0;なし;0;0;0;0";
  Show(effect);
  ASSERT_EQ(GUICore::MakeMovieFile(dir / "out.swf", false).result, GUICore::BuildResult::Done);
  EXPECT_TRUE(ui.messages.empty()) << ui.messages[0].text;
  EXPECT_TRUE(GUICore::LeftOutLines().empty());
}

TEST_F(LeftOutTest, PastTwentyLinesTheBoxCountsTheRest) {
  for (int i = 1; i <= 23; ++i) Show(Add(StoreItemKind::RasterImage, kAway + std::to_string(i) + ".png"));
  ASSERT_EQ(GUICore::MakeMovieFile(dir / "out.swf", false).result, GUICore::BuildResult::Done);
  ASSERT_EQ(ui.messages.size(), 1u);
  const std::string& text = ui.messages[0].text;
  EXPECT_NE(text.find("[" + kAway + "20.png] がありません\r\n…ほか 3 件"), std::string::npos) << text;
  EXPECT_EQ(text.find("21.png"), std::string::npos);
}

// A font that is not installed is named with the one used instead; letters a
// font lacks are named once per font, whichever texts hold them.
TEST_F(LeftOutTest, FontsAreNamedOnceWithTheLettersTheyLack) {
  const std::string absent = "Tesmiro Absent Gothic";
  Show(AddText("abc", absent));
  Show(AddText("def", absent, 1));  // bold: a font of its own in the movie, the same name
  Show(AddText("한", "IPAGothic"));
  Show(AddText("글한あ", "IPAGothic", 0x1000));  // an edit text
  ASSERT_EQ(GUICore::MakeMovieFile(dir / "out.swf", false).result, GUICore::BuildResult::Done);
  text::ResolvedFont used;
  ASSERT_TRUE(text::ResolveFont(text::FontSurface{absent, 64, false, false}, used));
  const std::vector<std::string> lines = GUICore::LeftOutLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "フォント [" + absent + "] はインストールされていません（代わりに " + used.family + " を使いました）");
  EXPECT_EQ(lines.back(), "フォント [IPAGothic] にない文字は表示されません：한글");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_JAPANESE(ui.messages[0].text, {absent, used.family, "IPAGothic"});
}

// F5, the event preview and the live picture have their line; the browser
// and the player previews have the box Make SWF has.
TEST_F(LeftOutTest, PreviewsTellTheListWithoutABoxWhereTheyHaveALine) {
  const int32_t photo = Add(StoreItemKind::RasterImage, kAway + "photo.png");
  Show(photo);
  const std::string line = "ムービーに含まれていないもの 1 件：ファイル [" + kAway + "photo.png] がありません";
  ASSERT_EQ(GUICore::RunPreview(GUICore::PreviewMode::Window, GUICore::kPreviewMovie), GUICore::BuildResult::Done);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(GUICore::LeftOutLine(), line);
  ASSERT_EQ(GUICore::RunEventPreview(GUICore::State().events.at(1)), GUICore::EventPreviewResult::Shown);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(GUICore::LeftOutLine(), line);

  LivePicture::BuildRequest request;
  request.fields.itemId = std::to_string(photo);
  request.fields.frameCount = "1";
  request.fields.drawSize = request.fields.moveSize = "1";
  request.stage = GUICore::State().settings;
  request.path = dir / LivePicture::kPictureFile;
  EXPECT_EQ(LivePicture::BuildLivePicture(request).leftOut, line);
  request.fields.drawX = "5";  // from the definitions kept of the last picture
  EXPECT_EQ(LivePicture::BuildLivePicture(request).leftOut, line);
  EXPECT_TRUE(ui.messages.empty());

  for (auto mode : {GUICore::PreviewMode::Browser, GUICore::PreviewMode::Player}) {
    ui.messages.clear();
    ASSERT_EQ(GUICore::RunPreview(mode, GUICore::kPreviewMovie), GUICore::BuildResult::Done);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "警告");
    EXPECT_NE(ui.messages[0].text.find("photo.png] がありません"), std::string::npos);
  }
}

}  // namespace
}  // namespace tesmiro::testing
