// What a build could not put in its movie or beside it. A project opened on
// another machine: its materials missing or broken, its effect templates and
// fonts not installed; the movie leaves them out as it always did, and the
// user is told once the build has ended, in one box after Make SWF and the
// browser and player previews, in a line for the others. Make SWF's page,
// compressed movie, template or frames that fail: nothing of it may look as
// if it worked, and every box says which file and why.
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>

#include "compiler/event_preview.h"
#include "compiler/left_out.h"
#include "compiler/live_picture_build.h"
#include "compiler/material_facts.h"
#include "compiler/movie_compiler.h"
#include "compiler/previews.h"
#include "compiler_test_util.h"
#include "media/image/mod_png.h"
#include "media/text/font_surface.h"
#include "project/store.h"
#include "support/checkers.h"
#include "support/file_size_limit.h"
#include "support/unreadable.h"
#include "support/user_text.h"
#include "swf/sound_test_files.h"

namespace tesmiro::testing {
namespace {

namespace fs = std::filesystem;
using GUICore::BuildResult;

std::string Crc(const std::vector<uint8_t>& bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%08lx/%zu", crc32(0, bytes.data(), static_cast<uInt>(bytes.size())),
                bytes.size());
  return text;
}

// A PNG whose header is whole and whose image data never comes.
std::string CutPng(uint32_t side = 16) {
  std::string header("IHDR\0\0\0\x10\0\0\0\x10\x08\x02\0\0\0", 17);
  for (int i = 0; i < 4; ++i) header[4 + i] = header[8 + i] = static_cast<char>(side >> (24 - 8 * i));
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

std::string ByteString(std::initializer_list<int> values) {
  std::string bytes;
  for (int v : values) bytes += static_cast<char>(v);
  return bytes;
}

// A GIF of one pixel on a screen of 10000 x 10000, as far as its first
// image's code size.
std::string HugeGif() {
  return "GIF89a" + ByteString({0x10, 0x27, 0x10, 0x27, 0x80, 0, 0, 0, 0, 0, 255, 255, 255}) +
         ByteString({',', 0, 0, 0, 0, 1, 0, 1, 0, 0, 2});
}

// A JPEG's frame and scan headers of side x side pixels, without its tables
// and data.
std::string JpegHeaders(int side) {
  return ByteString({0xFF, 0xD8, 0xFF, 0xC0, 0, 17, 8, side >> 8, side & 255, side >> 8, side & 255, 3, 1, 0x11, 0,
                     2, 0x11, 0, 3, 0x11, 0}) +
         ByteString({0xFF, 0xDA, 0, 12, 3, 1, 0, 2, 0, 3, 0, 0, 63, 0, 0xFF, 0xD9});
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
  std::string In(const std::string& name) const { return (dir / name).string(); }
  std::string File(const std::string& name, const std::string& bytes) {
    std::ofstream(dir / name, std::ios::binary) << bytes;
    return In(name);
  }
  void Show(int32_t id) { GUICore::State().events.push_back(Place(id, 1, GUICore::State().events.count())); }
  // The event dialog's live picture of one item placed for a frame.
  LivePicture::BuildRequest PictureOf(int32_t id) const {
    LivePicture::BuildRequest request;
    request.fields.itemId = std::to_string(id);
    request.fields.frameCount = "1";
    request.fields.drawSize = request.fields.moveSize = "1";
    request.stage = GUICore::State().settings;
    request.path = dir / LivePicture::kPictureFile;
    return request;
  }
  void Sound(int32_t id, SoundMode mode) {
    EventRecord e = Place(id, 0);
    e.kind = static_cast<int16_t>(mode);
    GUICore::State().events.push_back(e);
  }

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
  void ExpectOneBox(const std::string& title, const std::string& text, const std::string& file) {
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, title);
    EXPECT_EQ(ui.messages[0].text, text);
    EXPECT_JAPANESE(ui.messages[0].text, {file});
  }
  const std::string kAway = "C:\\Users\\kaori\\sozai\\";
  const std::string kHeader = "次のものはムービーに含まれていないか、別の形で含まれています。\r\n";
};
using FailedOutputTest = LeftOutTest;  // Make SWF's own outputs

TEST_F(LeftOutTest, AMovedProjectIsToldInOneBoxAfterTheBuildAndItsMovieIsAsBefore) {
  AddMovedProject();
  ASSERT_EQ(GUICore::MakeMovieFile(dir / "out.swf", false).result, BuildResult::Done);
  EXPECT_EQ(Crc(Movie()), "b80ceb9c/1150");  // the movie as it was before the list was told
  EXPECT_EQ(ui.statusLines.back(), "完了 (1KB)");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "警告");
  EXPECT_EQ(ui.messages[0].icon, ui::Icon::Exclamation);
  EXPECT_EQ(ui.messages[0].text,
            kHeader + "ファイル [" + kAway + "photo.png] がありません\r\n"
            "ファイル [" + kAway + "bgm.wav] がありません\r\n"
            "ファイル [" + kAway + "logo.kvg] がありません\r\n"
            "ファイル [" + In("cut.png") + "] を読み込めません：不正なPNGファイルです\r\n"
            "ファイル [" + In("huge.bmp") + "] を読み込めません：BMP画像の大きさが扱える範囲にありません\r\n"
            "ファイル [" + In("broken.kvg") + "] を読み込めません：KVGファイルの整数が数値ではありません: abc\r\n"
            "ファイル [" + In("morph.kvg") + "] はモーフィングできません：変形先のファイル [" + In("target.kvg") +
                "] を読み込めません：KVGファイルの見出しが途中で切れています\r\n"
            "テキスト効果のテンプレート [NoSuchEffect] がインストールされていません\r\n"
            "フォント [IPAGothic] にない文字は表示されません：한\r\n"
            "ファイル [" + kAway + "clip.flv] がありません\r\n"
            "ファイル [" + kAway + "talk.mp3] がありません\r\n"
            "ファイル [" + In("notes.flv") + "] はFLVビデオではありません\r\n");
  std::vector<std::string> paths;
  for (const StoreItem& item : GUICore::State().store) paths.push_back(item.name);
  EXPECT_JAPANESE(ui.messages[0].text, paths, {"IPAGothic", "NoSuchEffect", "abc"});

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
  ASSERT_EQ(GUICore::MakeMovieFile(dir / "out.swf", false).result, BuildResult::Done);
  EXPECT_TRUE(ui.messages.empty()) << ui.messages[0].text;
  EXPECT_TRUE(GUICore::LeftOutLines().empty());
}

TEST_F(LeftOutTest, PastTwentyLinesTheBoxCountsTheRest) {
  for (int i = 1; i <= 23; ++i) Show(Add(StoreItemKind::RasterImage, kAway + std::to_string(i) + ".png"));
  ASSERT_EQ(GUICore::MakeMovieFile(dir / "out.swf", false).result, BuildResult::Done);
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
  ASSERT_EQ(GUICore::MakeMovieFile(dir / "out.swf", false).result, BuildResult::Done);
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
  const std::string line = "ムービーに含まれていないか別の形で含まれるもの 1 件：ファイル [" + kAway + "photo.png] がありません";
  ASSERT_EQ(GUICore::RunPreview(GUICore::PreviewMode::Window, GUICore::kPreviewMovie), BuildResult::Done);
  EXPECT_EQ(GUICore::LeftOutLine(), line);
  ASSERT_EQ(GUICore::RunEventPreview(GUICore::State().events.at(1)), GUICore::EventPreviewResult::Shown);
  EXPECT_EQ(GUICore::LeftOutLine(), line);

  LivePicture::BuildRequest request = PictureOf(photo);
  EXPECT_EQ(LivePicture::BuildLivePicture(request).leftOut, line);
  request.fields.drawX = "5";  // from the definitions kept of the last picture
  EXPECT_EQ(LivePicture::BuildLivePicture(request).leftOut, line);
  EXPECT_TRUE(ui.messages.empty());  // none of the four has a box

  for (auto mode : {GUICore::PreviewMode::Browser, GUICore::PreviewMode::Player}) {
    ui.messages.clear();
    ASSERT_EQ(GUICore::RunPreview(mode, GUICore::kPreviewMovie), BuildResult::Done);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "警告");
    EXPECT_NE(ui.messages[0].text.find("photo.png] がありません"), std::string::npos);
  }
}

// A material that is there but may not be read is told with the reader's
// reason, as a sound is, never as a file of another kind.
TEST_F(LeftOutTest, AMaterialThatCannotBeReadIsToldWithTheReadersReason) {
  // The build writes its movie as the user the guard lends the thread.
  const fs::path out = dir / "shared";
  fs::create_directory(out);
  fs::permissions(out, fs::perms::all);
  const std::vector<uint8_t> pixel = {0, 0, 255, 255};
  ASSERT_TRUE(ModPNG::SavePNG(pixel, 1, 1, dir / "logo.png"));
  const sound::Bytes flv = sound::Flv(1, {{9, 0, sound::H263Packet(true, 5, 1)}});
  const std::string files[] = {
      File("photo.jpg", JpegHeaders(16)), In("logo.png"),
      File("clip.flv", std::string(flv.begin(), flv.end())), File("shape.kvg", kSquare)};
  Show(Add(StoreItemKind::RasterImage, files[0]));
  Show(Add(StoreItemKind::RasterImage, files[1]));
  Show(Add(StoreItemKind::Video, files[2]));
  Show(Add(StoreItemKind::VectorImage, files[3]));
  // Each is usable: the box names only the one that is locked.
  for (const std::string& file : files) {
    ui.messages.clear();
    {
      ScopedUnreadable locked(file);
      ASSERT_EQ(GUICore::MakeMovieFile(out / "out.swf", false).result, BuildResult::Done) << file;
    }
    ExpectOneBox("警告",
                 kHeader + "ファイル [" + file + "] を読み込めません：アクセスが拒否されました\r\n",
                 file);
  }
}

// A picture larger than pictures may be is told by its size, whatever its
// format, in the list and in the information panel alike.
TEST_F(LeftOutTest, APictureTooLargeIsToldByItsSize) {
  const std::string gif = File("huge.gif", HugeGif());
  const std::string jpeg = File("huge.jpg", JpegHeaders(10000));
  const std::string png = File("huge.png", CutPng(10000));
  Show(Add(StoreItemKind::RasterImage, gif));
  Show(Add(StoreItemKind::RasterImage, jpeg, 1));  // a key colour: a JPEG is decoded only for it
  const int32_t pngId = Add(StoreItemKind::RasterImage, png);
  Show(pngId);
  ASSERT_EQ(GUICore::MakeMovieFile(dir / "out.swf", false).result, BuildResult::Done);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text,
            kHeader + "ファイル [" + gif + "] を読み込めません：GIF画像の大きさが扱える範囲にありません\r\n"
            "ファイル [" + jpeg + "] を読み込めません：JPEG画像の大きさが扱える範囲にありません\r\n"
            "ファイル [" + png + "] を読み込めません：PNG画像の大きさが扱える範囲にありません\r\n");
  EXPECT_JAPANESE(ui.messages[0].text, {gif, jpeg, png});

  const StoreItem item = GUICore::GetStoreItemByID(pngId);
  const InfoPanel::Layout panel = InfoPanel::LayoutItemInfo(item, GUICore::ProbeMaterial(item), 200, 114, 6);
  EXPECT_EQ(panel.lines, std::vector<std::string>{"PNG画像の大きさが扱える範囲にありません"});
}

// The movie does not wait for its page: a page that cannot be written is
// told as such, and the movie is the new one all the same.
TEST_F(FailedOutputTest, APageThatCannotBeWrittenLeavesTheNewMovieAndSaysSo) {
  File("out.swf", "old");
  fs::create_symlink(dir / "gone" / "out.html", dir / "out.html");  // into a folder that is not there
  GUICore::State().settings.options = "C 8 ";
  GUICore::State().events.push_back(Action(ActionKind::Stop));
  EXPECT_EQ(GUICore::MakeMovieFile(dir / "out.swf", true).result, BuildResult::Done);
  EXPECT_EQ(Movie()[0], 'C');
  ExpectOneBox("エラー",
               "ファイル [" + In("out.html") + "] を書き込めません：フォルダがありません\r\nSWFファイルは保存されました。",
               In("out.html"));
  EXPECT_EQ(ui.statusLines.back(), "HTML生成エラー");
  for (const auto& entry : fs::directory_iterator(dir.path()))
    EXPECT_EQ(entry.path().extension() == ".tmp", false) << entry.path();
  fs::remove(dir / "out.html");
  ASSERT_EQ(GUICore::MakeMovieFile(dir / "out.swf", true).result, BuildResult::Done);
  EXPECT_EQ(Movie()[0], 'C');
}

// A movie of random bytes grows when it is compressed; a disk that holds
// the plain movie but not the compressed one keeps the movie that was there.
TEST_F(FailedOutputTest, ACompressedMovieTheDiskCannotHoldIsNotSavedAndSaysSo) {
  std::vector<uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xC0, 0, 17, 8, 0, 16, 0, 16, 3, 1, 0x11, 0, 2, 0x11, 0, 3, 0x11, 0};
  std::mt19937 noise(7);
  for (int i = 0; i < 64 * 1024; ++i) jpeg.push_back(static_cast<uint8_t>(noise() % 255));
  jpeg.insert(jpeg.end(), {0xFF, 0xD9});
  Show(Add(StoreItemKind::RasterImage, File("noise.jpg", std::string(jpeg.begin(), jpeg.end()))));
  GUICore::State().settings.options = "  8 ";
  ASSERT_EQ(GUICore::MakeMovieFile(dir / "out.swf", false).result, BuildResult::Done);
  const std::vector<uint8_t> plain = Movie();
  ui.statusLines.clear();

  GUICore::State().settings.options = "C 8 ";
  {
    ScopedFileSizeLimit full(plain.size() + 1);
    EXPECT_EQ(GUICore::MakeMovieFile(dir / "out.swf", false).result, BuildResult::Failed);
  }
  EXPECT_EQ(Movie(), plain);
  ExpectOneBox("エラー",
               "ファイル [" + In("out.swf") + "] を圧縮できません：ファイルが大きすぎます\r\nSWFファイルは保存されませんでした。",
               In("out.swf"));
  EXPECT_EQ(ui.statusLines.back(), "SWF生成エラー");
}

TEST_F(FailedOutputTest, ATemplateThatCannotBeReadIsReplacedByTheBuiltInPageAndSaysSo) {
  const fs::path page = dir / "template.txt";
  ASSERT_TRUE(fileio::WriteAtomic(page, std::vector<uint8_t>{'x'}));
  fs::resize_file(page, 17u << 20);  // larger than a template may be
  GUICore::State().events.push_back(Action(ActionKind::Stop));
  ASSERT_EQ(GUICore::MakeMovieFile(dir / "out.swf", true).result, BuildResult::Done);
  EXPECT_EQ(fs::file_size(page), 17u << 20);  // left as it was
  const auto written = fileio::ReadAll(dir / "out.html");
  ASSERT_TRUE(written);
  EXPECT_EQ(std::string(written->begin(), written->begin() + 12), "<html><body>");
  const std::string told = "ファイル [" + page.string() + "] が大きすぎます\r\nHTMLファイルは組み込みのページで書き出しました。";
  ExpectOneBox("警告", told, page.string());
  EXPECT_EQ(ui.statusLines.back().rfind("完了 (", 0), 0u);

  // The browser shows the preview's page, and says so the same way, once;
  // the other previews show no page.
  for (auto mode : {GUICore::PreviewMode::Browser, GUICore::PreviewMode::SelectedInBrowser,
                    GUICore::PreviewMode::Window, GUICore::PreviewMode::Player}) {
    SCOPED_TRACE(static_cast<int>(mode));
    ui.messages.clear();
    ASSERT_EQ(GUICore::RunPreview(mode, GUICore::kPreviewMovie), BuildResult::Done);
    const bool browser = mode == GUICore::PreviewMode::Browser || mode == GUICore::PreviewMode::SelectedInBrowser;
    if (browser) ExpectOneBox("警告", told, page.string());
    else EXPECT_TRUE(ui.messages.empty());
  }
}

// The boxes after the build let the window run, and an edit in the open
// event dialog rebuilds its live picture there: the box that follows still
// lists what the Make SWF build left out.
TEST_F(FailedOutputTest, TheListToldIsTheBuildsWhateverRunsInsideTheBoxesBefore) {
  Show(Add(StoreItemKind::RasterImage, kAway + "photo.png"));
  const int32_t other = Add(StoreItemKind::RasterImage, kAway + "other.png");
  const fs::path page = dir / "template.txt";
  ASSERT_TRUE(fileio::WriteAtomic(page, std::vector<uint8_t>{'x'}));
  fs::resize_file(page, 17u << 20);  // larger than a template may be: the page's box
  GUICore::State().settings.options = "C 4 ";  // SWF 4 is not compressed: the compression's box
  int rebuilt = 0;  // counted when the picture was built, with a list of its own
  ui.whileShown = [&, request = PictureOf(other)] {
    if (LivePicture::BuildLivePicture(request).leftOut.find("other.png") != std::string::npos) ++rebuilt;
  };
  ASSERT_EQ(GUICore::MakeMovieFile(dir / "out.swf", true).result, BuildResult::Done);
  ASSERT_EQ(ui.messages.size(), 3u);
  EXPECT_EQ(rebuilt, 3);  // inside every box, the build's lock no longer held
  EXPECT_EQ(ui.messages[2].text,
            kHeader + "ファイル [" + kAway + "photo.png] がありません\r\n");
}

// The compiler never takes the writer past its last frame by itself: it is
// pushed there between two events.
TEST_F(FailedOutputTest, AMovieTheWriterRefusesToFinishSaysWhy) {
  class PastTheLimit final : public ui::BuildProgress {
   public:
    bool step(const std::string& line) override {
      if (line.rfind("イベント処理中:", 0) == 0) {
        SWFMakeCore::State& w = SWFMakeCore::WriterState();
        w.highestFrame = SWFMakeCore::kMaxFrames + 1;
        w.frames.resize(static_cast<size_t>(w.highestFrame) + 1);
      }
      return false;
    }
  } progress;
  ui::ScopedServices services({&ui, &progress, &ui});
  GUICore::State().events.push_back(Action(ActionKind::Stop));
  EXPECT_EQ(GUICore::MakeMovieFile(dir / "out.swf", false).result, BuildResult::Failed);
  EXPECT_FALSE(fs::exists(dir / "out.swf"));
  ExpectOneBox("エラー", "ファイル [" + In("out.swf") + "] を書き込めません：フレーム数が 65535 を超えています\r\n", In("out.swf"));
  for (const std::string& line : ui.statusLines) EXPECT_EQ(line.find("完了"), std::string::npos) << line;
}

// A picture wider than JPEG allows is left out with the build's own warning.
TEST_F(FailedOutputTest, APictureJpegCannotHoldIsToldInJapanese) {
  constexpr uint32_t kWidth = 65501, kRow = (kWidth * 3 + 3) / 4 * 4;
  std::string bmp = "BM";
  auto u32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) bmp += static_cast<char>(v >> (8 * i));
  };
  // Size, reserved, data offset; header size, width, height, one plane of 24 bits, then zeros.
  for (uint32_t v : {54 + kRow, 0u, 54u, 40u, kWidth, 1u, 1u | 24u << 16, 0u, 0u, 0u, 0u, 0u, 0u}) u32(v);
  bmp.append(kRow, '\x80');
  Show(Add(StoreItemKind::RasterImage, File("wide.bmp", bmp)));
  ASSERT_EQ(GUICore::MakeMovieFile(dir / "out.swf", false).result, BuildResult::Done);
  ExpectOneBox("警告",
               "ファイル [" + In("wide.bmp") +
                   "] をJPEGに変換できません：画像が大きすぎます（JPEGは一辺 65500 ピクセルまで）\r\nこの画像は使われません。",
               In("wide.bmp"));
}

}  // namespace
}  // namespace tesmiro::testing
