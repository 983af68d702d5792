// What Make SWF writes besides the movie, and the movie itself, when it
// cannot be written as asked: a page or a compressed file in a folder that
// takes no more, a template that cannot be read, a movie the writer refuses
// to finish, a picture JPEG cannot hold. Nothing of it may look as if it
// worked, and every box says which file and why.
#include <random>

#include "compiler/movie_compiler.h"
#include "compiler_test_util.h"
#include "project/store.h"
#include "support/file_size_limit.h"
#include "support/user_text.h"

namespace tesmiro::testing {
namespace {

namespace fs = std::filesystem;
using GUICore::BuildResult;

class FailedOutputTest : public CompilerTest {
 protected:
  void AddPicture(const std::string& name, const std::vector<uint8_t>& bytes) {
    ASSERT_TRUE(fileio::WriteAtomic(dir / name, bytes));
    StoreItem image = NewStoreItem(StoreItemKind::RasterImage);
    image.id = GUICore::State().store.count() + 1;
    image.name = (dir / name).string();
    GUICore::State().store.push_back(image);
    GUICore::State().events.push_back(Place(image.id, 1));
  }
  bool SaidDone() const {
    for (const std::string& line : ui.statusLines)
      if (line.find("完了") != std::string::npos) return true;
    return false;
  }
};

// The movie does not wait for its page: a page that cannot be written is
// told as such, and the movie is the new one all the same.
TEST_F(FailedOutputTest, APageThatCannotBeWrittenLeavesTheNewMovieAndSaysSo) {
  const std::vector<uint8_t> old = {'o', 'l', 'd'};
  ASSERT_TRUE(fileio::WriteAtomic(dir / "out.swf", old));
  fs::create_symlink(dir / "gone" / "out.html", dir / "out.html");  // into a folder that is not there
  GUICore::State().settings.options = "C 8 ";
  GUICore::State().events.push_back(Action(ActionKind::Stop));
  EXPECT_EQ(GUICore::MakeMovieFile(dir / "out.swf", true).result, BuildResult::Done);
  EXPECT_EQ(Movie()[0], 'C');
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages.back().title, "エラー");
  EXPECT_EQ(ui.messages.back().text, "ファイル [" + (dir / "out.html").string() + "] を書き込めません：フォルダがありません");
  EXPECT_JAPANESE(ui.messages.back().text, {(dir / "out.html").string()});
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
  AddPicture("noise.jpg", jpeg);
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
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "エラー");
  const std::string movie = (dir / "out.swf").string();
  EXPECT_EQ(ui.messages[0].text,
            "ファイル [" + movie + "] を圧縮できません：ファイルが大きすぎます\r\nSWFファイルは保存されませんでした。");
  EXPECT_JAPANESE(ui.messages[0].text, {movie});
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
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "警告");
  EXPECT_EQ(ui.messages[0].text,
            "ファイル [" + page.string() + "] が大きすぎます\r\nHTMLファイルは組み込みのページで書き出しました。");
  EXPECT_JAPANESE(ui.messages[0].text, {page.string()});
  EXPECT_EQ(ui.statusLines.back().rfind("完了 (", 0), 0u);
}

// Past its last frame the writer refuses to finish a movie; the box says so
// after the file's name.
TEST_F(FailedOutputTest, AMovieTheWriterRefusesToFinishSaysWhy) {
  // The compiler never gets there by itself: the writer is pushed past the
  // limit between two events.
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
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "エラー");
  const std::string movie = (dir / "out.swf").string();
  EXPECT_EQ(ui.messages[0].text, "ファイル [" + movie + "] を書き込めません：フレーム数が 65535 を超えています\r\n");
  EXPECT_FALSE(SaidDone());
}

// A picture wider than JPEG allows is left out with the build's own warning.
TEST_F(FailedOutputTest, APictureJpegCannotHoldIsToldInJapanese) {
  constexpr uint32_t kWidth = 65501, kRow = (kWidth * 3 + 3) / 4 * 4;
  std::vector<uint8_t> bmp = {'B', 'M'};
  auto u32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) bmp.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  u32(54 + kRow);
  u32(0);
  u32(54);
  u32(40);
  u32(kWidth);
  u32(1);
  bmp.insert(bmp.end(), {1, 0, 24, 0});
  for (int i = 0; i < 6; ++i) u32(0);
  bmp.resize(bmp.size() + kRow, 0x80);
  AddPicture("wide.bmp", bmp);
  ASSERT_EQ(GUICore::MakeMovieFile(dir / "out.swf", false).result, BuildResult::Done);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "警告");
  const std::string picture = (dir / "wide.bmp").string();
  EXPECT_EQ(ui.messages[0].text, "ファイル [" + picture +
                                     "] をJPEGに変換できません：画像が大きすぎます（JPEGは一辺 65500 ピクセルまで）"
                                     "\r\nこの画像は使われません。");
  EXPECT_JAPANESE(ui.messages[0].text, {picture});
}

}  // namespace
}  // namespace tesmiro::testing
