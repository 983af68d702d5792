// The information panel's layout: picture scaling, the title and lines of
// each kind, and the sound and video facts.
#include <gtest/gtest.h>

#include "project/info_panel.h"

namespace tesmiro {
namespace {

using InfoPanel::LayoutItemInfo;
using InfoPanel::MaterialFacts;

StoreItem Item(StoreItemKind kind, int32_t id, const std::string& name) {
  StoreItem item = NewStoreItem(kind);
  item.id = id;
  item.name = name;
  return item;
}

TEST(InfoPanelTest, PicturesFitTheAreaBelowTheBand) {
  int32_t dw = 0, dh = 0;
  MaterialFacts facts;
  facts.path = "/m/wide.png";
  facts.image = {400, 100};
  // A 200 x 100 picture area is a panel of 200 x 114.
  auto l = LayoutItemInfo(Item(StoreItemKind::RasterImage, 3, facts.path), facts, 200, 114, 6);
  EXPECT_EQ(l.picture, InfoPanel::Picture::Raster);
  EXPECT_EQ(l.pictureWidth, 200);
  EXPECT_EQ(l.pictureHeight, 50);
  EXPECT_EQ(l.pictureLeft, 0);
  EXPECT_EQ(l.pictureTop, 39);
  EXPECT_EQ(l.title, " ( 400 x 100 ) : wide.png");
  EXPECT_EQ(l.tooltip, "/m/wide.png");

  facts.image = {10, 10};
  l = LayoutItemInfo(Item(StoreItemKind::RasterImage, 3, facts.path), facts, 200, 114, 6);
  EXPECT_EQ(l.pictureWidth, 100);
  EXPECT_EQ(l.pictureHeight, 100);
  EXPECT_EQ(l.pictureLeft, 50);
  EXPECT_EQ(l.pictureTop, 14);

  // Nothing to scale by: no picture, and no division by zero.
  EXPECT_FALSE(InfoPanel::ScalePicture(0, 10, 200, 100, dw, dh));
  EXPECT_FALSE(InfoPanel::ScalePicture(10, 0, 200, 100, dw, dh));
  EXPECT_FALSE(InfoPanel::ScalePicture(10, 10, 0, 100, dw, dh));
  EXPECT_FALSE(InfoPanel::ScalePicture(10, 10, 200, 0, dw, dh));
  l = LayoutItemInfo(Item(StoreItemKind::RasterImage, 3, facts.path), facts, 200, 14, 6);
  EXPECT_EQ(l.picture, InfoPanel::Picture::None);
  EXPECT_EQ(l.title, " ( 10 x 10 ) : wide.png");
  facts.image = {0, 0};
  l = LayoutItemInfo(Item(StoreItemKind::VectorImage, 3, facts.path), facts, 200, 114, 6);
  EXPECT_EQ(l.picture, InfoPanel::Picture::None);
}

TEST(InfoPanelTest, TitlesAndLinesByKind) {
  MaterialFacts none;
  auto l = LayoutItemInfo(StoreItem{}, none, 200, 100, 6);
  EXPECT_EQ(l.title, "No File");
  EXPECT_TRUE(l.lines.empty());
  l = LayoutItemInfo(Item(StoreItemKind::Sound, 2, "/m/gone.mp3"), none, 200, 100, 6);
  EXPECT_EQ(l.title, "No File");
  EXPECT_FALSE(l.soundButtons);

  StoreItem folder = Item(StoreItemKind::Folder, -1, "画像");
  folder.param = 12;
  l = LayoutItemInfo(folder, none, 200, 100, 6);
  EXPECT_EQ(l.title, "フォルダ : [画像]");
  EXPECT_EQ(l.lines, (std::vector<std::string>{"　(12個のアイテム)"}));

  StoreItem sprite = Item(StoreItemKind::Sprite, 5, "歩く");
  sprite.width = 320;
  sprite.height = 240;
  sprite.refX = 10;
  sprite.refY = -4;
  l = LayoutItemInfo(sprite, none, 200, 100, 6);
  EXPECT_EQ(l.title, "スプライト : [歩く]");
  EXPECT_EQ(l.lines, (std::vector<std::string>{"サイズ：(320x240)　基準点：(10,-4)"}));
  EXPECT_TRUE(l.spriteButton);

  StoreItem text = Item(StoreItemKind::Text, 6, "一行目\r\n二行目");
  text.font = "IPAGothic";
  text.size = 10.5f;
  text.option = "score";
  l = LayoutItemInfo(text, none, 200, 100, 6);
  EXPECT_EQ(l.title, "テキスト(score) : IPAGothic (10.5pt)");
  EXPECT_EQ(l.lines, (std::vector<std::string>{"一行目", "二行目"}));
  text.option = "@effect";
  text.width = 100;
  text.height = 20;
  l = LayoutItemInfo(text, none, 200, 100, 6);
  EXPECT_EQ(l.title, "テキスト[ｴﾌｪｸﾄ] : IPAGothic (10.5pt) (100x20)");

  MaterialFacts vector;
  vector.path = "/m/star.kvg";
  vector.image = {100, 50};
  StoreItem morph = Item(StoreItemKind::VectorImage, 7, vector.path);
  morph.flags = 1;
  morph.param = 12;
  l = LayoutItemInfo(morph, vector, 200, 114, 6);
  EXPECT_EQ(l.picture, InfoPanel::Picture::Vector);
  EXPECT_EQ(l.titleExtra, "ID:0012へモーフィング");
}

TEST(InfoPanelTest, SoundFacts) {
  MaterialFacts facts;
  facts.path = "/m/voice.wav";
  facts.sound = {true, -16, 16, 48000, 0, "", "", ""};
  StoreItem sound = Item(StoreItemKind::Sound, 4, facts.path);
  sound.option = "voice";
  auto l = LayoutItemInfo(sound, facts, 200, 100, 6);
  EXPECT_EQ(l.title, "サウンド : voice.wav (voice)");
  EXPECT_TRUE(l.soundButtons);
  EXPECT_EQ(l.soundPath, facts.path);
  EXPECT_EQ(l.linesX, 2);
  EXPECT_EQ(l.linesY, 35);
  EXPECT_EQ(l.lines, (std::vector<std::string>{"[ PCM 16bit 48000Hz モノラル ]", "　※このｻﾝﾌﾟﾘﾝｸﾞﾚｰﾄのサウンドは",
                                               "　　Tesmiroでは正しく再生されません。", "　　44100/22050/11025Hzのサウンドを",
                                               "　　使用してください。"}));

  InfoPanel::SoundFacts mp3{true, 3, 128000, 44100, 1, "Song", "", "Band"};
  EXPECT_EQ(InfoPanel::SoundLines(mp3, 6),
            (std::vector<std::string>{"[ MPEG1 128kbps 44100Hz ステレオ ]", "　|Title: Song", "　|Artist: Band"}));
  InfoPanel::SoundFacts mpeg25{true, 0, 8000, 11025, 0, "", "", ""};
  EXPECT_EQ(InfoPanel::SoundLines(mpeg25, 6), (std::vector<std::string>{"[ MPEG2 8kbps 11025Hz モノラル ]"}));

  InfoPanel::SoundFacts smaf{true, -1, 0, 0, 0, "", "", ""};
  EXPECT_EQ(InfoPanel::SoundLines(smaf, 6), (std::vector<std::string>{"[ SMAF (*.mmf) ]", "　※携帯電話でのみ使用可能",
                                                                        "　※この種類のファイルは", "　　プレビューできません。"}));
  EXPECT_EQ(InfoPanel::SoundLines(smaf, 4).size(), 3u);
  InfoPanel::SoundFacts smf{true, -3, 0, 0, 0, "", "", ""};
  EXPECT_EQ(InfoPanel::SoundLines(smf, 6), (std::vector<std::string>{"[ SMF (*.mid) ]", "　※携帯電話でのみ使用可能"}));
  EXPECT_EQ(InfoPanel::SoundLines({}, 6), (std::vector<std::string>{"[ 不正なサウンドファイル ]"}));
}

TEST(InfoPanelTest, VideoFacts) {
  StoreItem video = Item(StoreItemKind::Video, 8, "/m/clip.flv");
  video.param = 5;
  video.flags = 1;
  InfoPanel::VideoFacts v{true, 1, 5, 15.0f, 120, "H.263", "MP3"};
  EXPECT_EQ(InfoPanel::VideoLines(v, video),
            (std::vector<std::string>{"FLVバージョン: 1", "フレームレート: 15", "総フレーム数: 120", "　(5フレーム目から開始)",
                                      "ビデオ形式: H.263", "音声形式: MP3 (使用しない)"}));
  v.videoCodec = "ScreenVideo";
  v.audioCodec = "ADPCM";
  video.param = 1;
  EXPECT_EQ(InfoPanel::VideoLines(v, video),
            (std::vector<std::string>{"FLVバージョン: 1", "フレームレート: 15", "総フレーム数: 120", "ビデオ形式: ScreenVideo",
                                      "　(未対応形式)", "音声形式: ADPCM　(未対応形式)", " (使用しない)"}));
  EXPECT_EQ(InfoPanel::VideoLines({}, video), (std::vector<std::string>{"不正なFLVビデオ"}));

  MaterialFacts facts;
  facts.path = video.name;
  facts.image = {176, 144};
  facts.video = v;
  auto l = InfoPanel::LayoutItemInfo(video, facts, 300, 200, 6);
  EXPECT_EQ(l.picture, InfoPanel::Picture::None);
  EXPECT_EQ(l.title, " ( 176 x 144 ) : clip.flv");
  EXPECT_EQ(l.linesY, 14);
  EXPECT_EQ(l.lines.front(), "FLVバージョン: 1");
}

}  // namespace
}  // namespace tesmiro
