#include <zlib.h>

#include "compiler/html_page.h"
#include "compiler/movie_compiler.h"
#include "project/build_lock.h"
#include "project/gui_core.h"
#include "project/import.h"
#include "project/project_file.h"
#include "compiler_test_util.h"

namespace tesmiro::testing {
namespace {

using GUICore::BuildResult;
using GUICore::MakeSWF;

TEST_F(CompilerTest, EmptyProjectIsHeaderBackgroundAndEnd) {
  ASSERT_EQ(MakeSWF(dir / "out.swf", true), BuildResult::Done);
  int frames = -1;
  const auto tags = ReadTags(Movie(), &frames);
  EXPECT_EQ(frames, 0);
  ASSERT_EQ(tags.size(), 2u);
  EXPECT_EQ(tags[0].code, 9);
  EXPECT_EQ(tags[1].code, 0);
  EXPECT_EQ(ui.statusLines.back(), "完了 (0KB)");
  EXPECT_EQ(ui.calls.front(), "buildRunning");
  EXPECT_EQ(ui.calls.back(), "buildEnded");
}

TEST_F(CompilerTest, SpritesAreDefinedExportedAndPlacedFrameByFrame) {
  const int32_t t = AddSprite(3, "box");
  auto& m = GUICore::State();
  m.timelines[static_cast<size_t>(t)].events.push_back(Action(ActionKind::Stop));
  m.events.push_back(Action(ActionKind::Label, "intro"));
  EventRecord e = Place(3, 3, 1);
  e.endX = 30;
  m.events.push_back(e);
  ASSERT_EQ(MakeSWF(dir / "out.swf", true), BuildResult::Done);
  int frames = 0;
  const auto tags = ReadTags(Movie(), &frames);
  EXPECT_EQ(frames, 3);
  EXPECT_EQ(CountCode(tags, 39), 1);  // DefineSprite
  EXPECT_EQ(CountCode(tags, 56), 1);  // ExportAssets
  EXPECT_EQ(CountCode(tags, 43), 1);  // FrameLabel
  EXPECT_EQ(CountCode(tags, 26), 3);  // one placement per frame
  EXPECT_EQ(CountCode(tags, 28), 1);  // the depth cleared first
  EXPECT_EQ(CountCode(tags, 1), 3);
  // The sprite's character is 2 x ID and its frame count its own.
  for (const Tag& tag : tags)
    if (tag.code == 39) {
      EXPECT_EQ(tag.body[0] | tag.body[1] << 8, 6);
      EXPECT_EQ(tag.body[2] | tag.body[3] << 8, 1);
    }
}

TEST_F(CompilerTest, ASpritePlacedInsideItselfIsReportedAndLeftOut) {
  const int32_t t = AddSprite(5, "loop");
  auto& m = GUICore::State();
  m.timelines[static_cast<size_t>(t)].events.push_back(Place(5, 1));
  m.events.push_back(Place(5, 1));
  ASSERT_EQ(MakeSWF(dir / "out.swf", false), BuildResult::Done);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "エラー");
  EXPECT_EQ(ui.messages[0].text,
            "スプライト [loop] (ID:0005) 内にこのスプライトが配置されています。\r\n"
            "無限ループを回避するために、スプライトの配置は無視されます。");
}

TEST_F(CompilerTest, SpritesThatPlaceEachOtherEndTheWalk) {
  const int32_t a = AddSprite(1, "a");
  const int32_t b = AddSprite(2, "b");
  auto& m = GUICore::State();
  m.timelines[static_cast<size_t>(a)].events.push_back(Place(2, 1));
  m.timelines[static_cast<size_t>(b)].events.push_back(Place(1, 1));
  m.events.push_back(Place(1, 1));
  ASSERT_EQ(MakeSWF(dir / "out.swf", false), BuildResult::Done);
  EXPECT_EQ(CountCode(ReadTags(Movie()), 39), 2);
  for (StoreItem& item : m.store) item.mark = 0;  // the build leaves its marks
  EXPECT_TRUE(GUICore::SpriteContainsItem(1, a, false));
  EXPECT_FALSE(GUICore::SpriteContainsItem(7, a, true));
}

TEST_F(CompilerTest, UnusedSpritesOnlyWithAttach) {
  AddSprite(1, "used");
  AddSprite(2, "spare");
  GUICore::State().events.push_back(Place(1, 1));
  ASSERT_EQ(MakeSWF(dir / "out.swf", false), BuildResult::Done);
  EXPECT_EQ(CountCode(ReadTags(Movie()), 39), 1);
  ASSERT_EQ(MakeSWF(dir / "out.swf", true), BuildResult::Done);
  const auto tags = ReadTags(Movie());
  EXPECT_EQ(CountCode(tags, 39), 2);
  EXPECT_EQ(CountCode(tags, 56), 2);  // each exported, also when another sprite follows
}

TEST_F(CompilerTest, LoadingScreenFrameIsCountedOnlyWhenWritten) {
  auto& m = GUICore::State();
  m.settings.preloader = 1;
  m.events.push_back(Action(ActionKind::DoNothing, "", 2));
  ASSERT_EQ(MakeSWF(dir / "out.swf", false), BuildResult::Done);
  int frames = 0;
  ReadTags(Movie(), &frames);
  EXPECT_EQ(frames, 2);  // no item 9999: no loading frame

  AddSprite(kPreloaderItemId, "loading");
  ASSERT_EQ(MakeSWF(dir / "out.swf", false), BuildResult::Done);
  const auto tags = ReadTags(Movie(), &frames);
  EXPECT_EQ(frames, 3);
  EXPECT_EQ(CountCode(tags, 1), 3);
  EXPECT_NE(std::find(ui.progressLines.begin(), ui.progressLines.end(), "ロード画面処理中"), ui.progressLines.end());
}

// A movie past the frame limit is cut at its last frame, with one warning
// however many timelines go past it; the loading screen's frame counts.
TEST_F(CompilerTest, TheFrameLimitIsOneWarningForTheMovie) {
  auto& m = GUICore::State();
  m.settings.preloader = 1;
  AddSprite(kPreloaderItemId, "loading");
  const int32_t sprite = AddSprite(1, "long");
  for (auto* events : {&m.timelines[static_cast<size_t>(sprite)].events, &m.events}) {
    events->push_back(Action(ActionKind::DoNothing, "", SWFMakeCore::kMaxFrames));
    events->push_back(Action(ActionKind::Stop));
  }
  ASSERT_EQ(MakeSWF(dir / "out.swf", true), BuildResult::Done);
  int frames = 0;
  ReadTags(Movie(), &frames);
  EXPECT_EQ(frames, SWFMakeCore::kMaxFrames);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "フレーム数が 65535 を超えています\r\n");
}

TEST_F(CompilerTest, CancelLeavesNoFileAndTheProjectAsItWas) {
  AddSprite(1, "s");
  auto& m = GUICore::State();
  for (int i = 0; i < 5; ++i) m.events.push_back(Place(1, 2, i));
  const auto before = m.events.items().size();
  ui.cancelAtStep = 3;
  EXPECT_EQ(MakeSWF(dir / "out.swf", true), BuildResult::Cancelled);
  EXPECT_EQ(ui.statusLines.back(), "SWF生成キャンセル");
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  EXPECT_EQ(m.events.items().size(), before);
  EXPECT_EQ(ui.calls.back(), "buildEnded");
  EXPECT_NE(std::find(ui.calls.begin(), ui.calls.end(), "buildEnded"), ui.calls.end());
  EXPECT_FALSE(GUICore::BuildInProgress());
}

TEST_F(CompilerTest, AnUnwritableFileIsAFailureNotDone) {
  GUICore::State().events.push_back(Action(ActionKind::Stop));
  EXPECT_EQ(MakeSWF(dir / "no-such-folder" / "out.swf", true), BuildResult::Failed);
  ASSERT_FALSE(ui.messages.empty());
  EXPECT_EQ(ui.messages.back().title, "エラー");
  for (const auto& line : ui.statusLines) EXPECT_EQ(line.find("完了"), std::string::npos);
}

TEST_F(CompilerTest, StagesTheHeaderCannotHoldAreRefusedBeforeWriting) {
  GUICore::State().settings.frameRate = 300.0f;
  EXPECT_EQ(MakeSWF(dir / "out.swf", true), BuildResult::Failed);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  GUICore::State().settings.frameRate = 12.0f;
  GUICore::State().settings.width = 0;
  EXPECT_EQ(MakeSWF(dir / "out.swf", true), BuildResult::Failed);
  EXPECT_EQ(ui.messages.size(), 2u);
}

TEST_F(CompilerTest, WideStagesStillBuild) {
  GUICore::State().settings.width = 2000;
  GUICore::State().events.push_back(Action(ActionKind::Stop));
  ASSERT_EQ(MakeSWF(dir / "out.swf", true), BuildResult::Done);
  int frames = 0;
  ReadTags(Movie(), &frames);
  EXPECT_EQ(frames, 1);
}

TEST_F(CompilerTest, CompressedMovieInflatesToTheOriginalBody) {
  GUICore::State().events.push_back(Action(ActionKind::Stop));
  ASSERT_EQ(MakeSWF(dir / "out.swf", true), BuildResult::Done);
  const auto plain = Movie();
  ASSERT_TRUE(GUICore::CompressSWF(dir / "out.swf"));
  const auto packed = Movie();
  EXPECT_EQ(packed[0], 'C');
  EXPECT_EQ(std::vector<uint8_t>(packed.begin() + 1, packed.begin() + 8),
            std::vector<uint8_t>(plain.begin() + 1, plain.begin() + 8));
  std::vector<uint8_t> body(plain.size() - 8);
  uLongf n = body.size();
  ASSERT_EQ(uncompress(body.data(), &n, packed.data() + 8, packed.size() - 8), Z_OK);
  EXPECT_EQ(body, std::vector<uint8_t>(plain.begin() + 8, plain.end()));
  // A file that is not a plain SWF is refused and left as it was.
  EXPECT_FALSE(GUICore::CompressSWF(dir / "out.swf"));
  EXPECT_EQ(Movie(), packed);
}

// What File > Make SWF does after the build: compression only with the "C"
// option and never for SWF 4, the page only when asked, neither after a
// cancel; the compressed size comes back for the window to show.
TEST_F(CompilerTest, MakeMovieFileCompressesAndWritesThePageOnlyWhenItShould) {
  GUICore::State().events.push_back(Action(ActionKind::Stop));
  const std::filesystem::path page = dir / "out.html";
  GUICore::State().settings.options = "  8 ";
  GUICore::MovieFileResult made = GUICore::MakeMovieFile(dir / "out.swf", false);
  ASSERT_EQ(made.result, BuildResult::Done);
  EXPECT_EQ(Movie()[0], 'F');
  EXPECT_FALSE(made.compressedBytes);
  EXPECT_FALSE(std::filesystem::exists(page));

  GUICore::State().settings.options = "C 8 ";
  made = GUICore::MakeMovieFile(dir / "out.swf", true);
  ASSERT_EQ(made.result, BuildResult::Done);
  EXPECT_EQ(Movie()[0], 'C');
  ASSERT_TRUE(made.compressedBytes);
  EXPECT_EQ(*made.compressedBytes, Movie().size());
  const GUICore::MovieFileResult sized{BuildResult::Done, 5 * 1024 + 1023};
  EXPECT_EQ(sized.compressedLine(), "圧縮 (5KB)");
  EXPECT_EQ(ui.statusLines.back().rfind("完了 (", 0), 0u);  // the build's line stays the last
  EXPECT_TRUE(std::filesystem::exists(page));
  EXPECT_TRUE(ui.messages.empty());

  std::filesystem::remove(page);
  GUICore::State().settings.options = "C 4 ";
  made = GUICore::MakeMovieFile(dir / "out.swf", false);
  ASSERT_EQ(made.result, BuildResult::Done);
  EXPECT_EQ(Movie()[0], 'F');
  EXPECT_FALSE(made.compressedBytes);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "SWF4ではファイルを圧縮することは出来ません。\r\n圧縮は実施されませんでした。");

  GUICore::State().settings.options = "C 8 ";
  ui.cancelAtStep = 1;
  made = GUICore::MakeMovieFile(dir / "out.swf", true);
  EXPECT_EQ(made.result, BuildResult::Cancelled);
  EXPECT_FALSE(made.compressedBytes);
  EXPECT_FALSE(std::filesystem::exists(page));
  EXPECT_EQ(Movie()[0], 'F');  // the last finished movie stays
}

TEST_F(CompilerTest, HtmlTemplateIsWrittenOnceAndFilled) {
  const std::string page = GUICore::LoadHTMLTemplate();
  EXPECT_EQ(page.substr(0, 12), "<html><body>");
  EXPECT_EQ(std::count(page.begin(), page.end(), '\n'), 7);
  const auto stored = fileio::ReadAll(dir / "template.txt");
  ASSERT_TRUE(stored);
  EXPECT_EQ(std::string(stored->begin(), stored->end()), page + "\r\n");
  ASSERT_TRUE(fileio::WriteAtomic(dir / "template.txt", std::vector<uint8_t>{'<', '<', 'W', 'I', 'D', 'T', 'H', '>', '>'}));
  EXPECT_EQ(GUICore::LoadHTMLTemplate(), "<<WIDTH>>");
  EXPECT_EQ(GUICore::FillHTMLTemplate("<<WIDTH>>x<<HEIGHT>> <<FILENAME>><<WIDTH>>", 320, 240, "a.swf"),
            "320x240 a.swf320");
  EXPECT_EQ(GUICore::FillHTMLTemplate("<<FILENAME>>", 1, 1, "a\"><b>&.swf"), "a&quot;&gt;&lt;b&gt;&amp;.swf");
  ASSERT_TRUE(GUICore::WriteHTMLPage(dir / "m.swf", 1, 2));
  EXPECT_TRUE(fileio::Exists(dir / "m.html"));
}

TEST_F(CompilerTest, TheHtmlPageNeverReplacesTheMovieItself) {
  const std::vector<uint8_t> movie = {'F', 'W', 'S', 8};
  ASSERT_TRUE(fileio::WriteAtomic(dir / "p.html", movie));
  ASSERT_TRUE(GUICore::WriteHTMLPage(dir / "p.html", 1, 2));
  EXPECT_EQ(fileio::ReadAll(dir / "p.html").value(), movie);
  const auto page = fileio::ReadAll(dir / "p.html.html");
  ASSERT_TRUE(page);
  EXPECT_NE(std::string(page->begin(), page->end()).find("p.html"), std::string::npos);
}

}  // namespace
}  // namespace tesmiro::testing

namespace tesmiro::testing {
namespace {

// A 2 x 2 24-bit bottom-up BMP, written byte by byte.
std::vector<uint8_t> TinyBmp() {
  std::vector<uint8_t> b = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0,
                            1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0,
                            0, 0, 0, 0};
  for (int row = 0; row < 2; ++row) {
    for (int px = 0; px < 2; ++px) b.insert(b.end(), {0, 0, 255});
    b.insert(b.end(), {0, 0});  // rows padded to 4 bytes
  }
  return b;
}

TEST_F(CompilerTest, RasterImagesAreDefinedWithTheirShapeAndMissingFilesLeftOut) {
  ASSERT_TRUE(fileio::WriteAtomic(dir / "red.bmp", TinyBmp()));
  auto& m = GUICore::State();
  StoreItem image = NewStoreItem(StoreItemKind::RasterImage);
  image.id = 1;
  image.name = (dir / "red.bmp").string();
  m.store.push_back(image);
  image.id = 2;
  image.name = (dir / "gone.bmp").string();
  m.store.push_back(image);
  m.events.push_back(Place(1, 1));
  m.events.push_back(Place(2, 1, 1));
  ASSERT_EQ(GUICore::MakeSWF(dir / "out.swf", false), GUICore::BuildResult::Done);
  const auto tags = ReadTags(Movie());
  EXPECT_EQ(CountCode(tags, 21), 1);  // DefineBitsJPEG2, re-encoded
  int shapes = 0;
  for (const Tag& t : tags)
    if (t.code == 2 || t.code == 22 || t.code == 32) {
      ++shapes;
      EXPECT_EQ(t.body[0] | t.body[1] << 8, 2);  // the displayable object is 2 x ID
    }
  EXPECT_EQ(shapes, 1);
  EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
}  // namespace tesmiro::testing

namespace tesmiro::testing {
namespace {

TEST_F(CompilerTest, WhileABuildRunsTheModelIsNotReplaced) {
  GUICore::State().events.push_back(Action(ActionKind::Stop));
  GUICore::BuildLock running;
  EXPECT_EQ(GUICore::MakeSWF(dir / "out.swf", true), GUICore::BuildResult::Failed);
  EXPECT_FALSE(GUICore::OpenProject((dir / "any.tsm").string()));
  EXPECT_FALSE(GUICore::ImportProject((dir / "any.tsm").string(), 0, 10000, 0, "", 0).ok());
  GUICore::NewProject();
  EXPECT_EQ(GUICore::State().events.count(), 1);
}

// Scripts, jumps to labels and links go through the script compiler; each
// frame's DoAction holds what it made.
TEST_F(CompilerTest, ScriptedEventsCompileToTheirActions) {
  auto& m = GUICore::State();
  EventRecord script = Action(ActionKind::Script);
  script.text2 = "trace(\"s\");";
  m.events.push_back(script);
  m.events.push_back(Action(ActionKind::JumpToLabel, "_NextLabel"));
  m.events.push_back(Action(ActionKind::Label, "b"));
  EventRecord link = Action(ActionKind::GetURL, "u");
  link.text2 = "_top";
  m.events.push_back(link);
  ASSERT_EQ(MakeSWF(dir / "out.swf", true), BuildResult::Done);
  std::vector<std::vector<uint8_t>> actions;
  for (const Tag& tag : ReadTags(Movie()))
    if (tag.code == 12) actions.push_back(tag.body);
  EXPECT_EQ(actions, (std::vector<std::vector<uint8_t>>{
                         // constant pool "s", push constant 0, trace
                         {0x88, 0x04, 0x00, 0x01, 0x00, 's', 0x00, 0x96, 0x02, 0x00, 0x08, 0x00, 0x26, 0x00},
                         {0x8C, 0x02, 0x00, 'b', 0x00, 0x06, 0x00},        // go to label "b", play
                         {0x83, 0x07, 0x00, 'u', 0x00, '_', 't', 'o', 'p', 0x00, 0x00},  // get URL
                     }));
  EXPECT_TRUE(ui.messages.empty());
}

// What the writer records to be told is shown as the build goes, each under
// its own title; values it adjusted are listed once the movie is done.
TEST_F(CompilerTest, WriterMessagesAreShownInTheOrderTheyHappened) {
  auto& m = GUICore::State();
  m.settings.options = "  4";
  AddSprite(1, "mc");
  EventRecord script = Action(ActionKind::Script);
  script.text2 = "x = ;";
  m.events.push_back(script);
  EventRecord placed = Place(1, 1);
  placed.text1 = "mc";
  placed.text2 = "onClipEvent (load) { }";
  placed.maskFlag = 1;
  placed.maskDepth = 999;
  m.events.push_back(placed);
  ASSERT_EQ(MakeSWF(dir / "out.swf", false), BuildResult::Done);

  ASSERT_EQ(ui.messages.size(), 3u);
  EXPECT_EQ(ui.messages[0].title, "スクリプトエラー");
  EXPECT_EQ(ui.messages[0].icon, ui::Icon::Critical);
  EXPECT_EQ(ui.messages[0].text.rfind("文法に誤りがあります：Line ", 0), 0u) << ui.messages[0].text;
  EXPECT_EQ(ui.messages[1].title, "警告");
  EXPECT_EQ(ui.messages[1].icon, ui::Icon::Exclamation);
  EXPECT_EQ(ui.messages[1].text, "クリップアクションはSWF4では使用できません。 [mc]\r\n無視して続行します。");
  EXPECT_EQ(ui.messages[2].title, "警告");
  EXPECT_EQ(ui.messages[2].text, "マスク深度 999 を 256 にしました\r\n");
  EXPECT_EQ(ui.statusLines.back().rfind("完了", 0), 0u);

  // Told once: the next build shows nothing of them.
  m.events.clear();
  ui.messages.clear();
  ASSERT_EQ(MakeSWF(dir / "out.swf", false), BuildResult::Done);
  EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
}  // namespace tesmiro::testing
