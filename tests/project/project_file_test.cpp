#include "project/project_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <future>

#include "model_fixture.h"
#include "project/backup.h"
#include "project/paths.h"
#include "project/record_bytes.h"
#include "project/recent_files.h"
#include "project/timelines.h"
#include "tsm_builder.h"

namespace tesmiro {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TsmBuilder;

// CP932 bytes with a trail byte 0x5C: 表 = 95 5C, ソ = 83 5C.
const std::string kHyou = "\x95\x5C";
const std::string kSo = "\x83\x5C";

class ProjectFileTest : public testing::ModelTest {
 protected:
  TSMModule::ProjectData Parse(const TsmBuilder& b, bool expectOk = true) {
    Result<TSMModule::ProjectData> data = TSMModule::ParseProjectFile(b.bytes, dir.path().string());
    message = data.message();
    EXPECT_EQ(data.ok(), expectOk) << message;
    return data ? std::move(*data) : TSMModule::ProjectData{};
  }

  fs::path Touch(const fs::path& p) {
    fs::create_directories(p.parent_path());
    WriteFile(p, "data");
    return p;
  }

  // Every material kind, a folder, a sprite with its own timeline, a
  // script, filters, anchors and Japanese texts, built through the records.
  void BuildRichProject() {
    auto& m = GUICore::State();
    m.settings.options = "C 8R";
    m.settings.frameRate = 29.97f;
    m.settings.backgroundRed = 10;
    auto add = [&](StoreItemKind kind, int32_t id, std::string name) {
      StoreItem it = NewStoreItem(kind);
      it.id = id;
      it.name = std::move(name);
      m.store.push_back(it);
      return m.store.count();
    };
    add(StoreItemKind::RasterImage, 1, Touch(dir / "表" / "ソフト.jpg").string());
    m.store.at(1).option = "export_表";
    m.store.at(1).flags = 9;
    add(StoreItemKind::Folder, -1, "素材フォルダ");
    m.store.at(2).param = 2;
    add(StoreItemKind::Sound, 2, Touch(dir / "snd" / "bgm.mp3").string());
    add(StoreItemKind::VectorImage, 3, Touch(dir / "v.kvg").string());
    add(StoreItemKind::Text, 4, "ソフト表示\r\n二行目");
    m.store.at(5).flags = 8192 | 1;
    m.store.at(5).option = "@in=fade;out=slide";
    add(StoreItemKind::Sprite, 5, "スプライト");
    m.store.at(6).param = 1;
    add(StoreItemKind::Video, 6, "/nowhere/else/movie.flv");  // missing: stays absolute
    add(StoreItemKind::Clone, 7, "複製");

    EventRecord image = NewEventFor(StoreItemKind::RasterImage);
    image.itemId = 1;
    image.startFilters.inUse = -1;
    image.startFilters.glow = -1;
    image.startFilters.glowParams.color1 = static_cast<int32_t>(0x80FF00FF);
    image.startFilters.matrix[4] = 0.5f;
    image.endFilters.multiply = {0.5f, 1, 1, 0.25f};
    image.guideMode = 2;
    image.anchors = {{0, 0}, {200, -40}, {400, 400}};
    image.buttonFlag = 1;
    image.downItemId = 3;
    image.blendMode = 14;
    EventRecord script;
    script.itemId = 0;
    script.kind = static_cast<int16_t>(ActionKind::Script);
    script.text2 = "trace(\"表示\");\r\nstop();";
    EventRecord label;
    label.itemId = 0;
    label.kind = static_cast<int16_t>(ActionKind::Label);
    label.text1 = "ソ";
    m.events.push_back(image);
    m.events.push_back(script);
    m.events.push_back(label);

    Timeline sprite;
    sprite.owner = 5;
    EventRecord inner = NewEventFor(StoreItemKind::Sound);
    inner.itemId = 2;
    sprite.events.push_back(inner);
    m.timelines.push_back(sprite);
  }

  std::string message;
};

TEST_F(ProjectFileTest, NewProjectSavesAsTheExactEmptyFile) {
  auto path = dir / "new.tsm";
  ASSERT_TRUE(GUICore::SaveProject(path.string()));
  std::vector<uint8_t> expected = {'T',  'S',  'M',  '0',  'A',  '3',  0x40, 0x01, 0x00, 0x00, 0x40, 0x01,
                                   0x00, 0x00, 0x00, 0x00, 0x40, 0x41, 0xFF, 0xFF, 0xFF, 0x04, 0x00, 0x20,
                                   0x20, 0x20, 0x20, 0,    0,    0,    0,    0,    0,    0x5A, 0,    0,
                                   0};
  expected.resize(53, 0);
  EXPECT_EQ(ReadBytes(path), expected);
  ASSERT_TRUE(GUICore::WriteEmptyProject(dir / "_default.tsm"));
  EXPECT_EQ(ReadBytes(dir / "_default.tsm"), expected);
}

TEST_F(ProjectFileTest, ReadsAWindowsWrittenFile) {
  Touch(dir / "表" / "A.JPG");
  Touch(dir / "Logo.png");
  TsmBuilder b;
  b.header().settings(550, 400, 24.0f, "C 8R");
  b.i32(4);
  b.item(1, 1, ".\\" + kHyou + "\\a.jpg");                          // relative, case differs on disk
  b.item(2, 3, kSo + "\x83\x74\x83\x67", 0, 0, "_\x83\x53\x83\x56\x83\x62\x83\x4E");  // ソフト, _ゴシック
  b.item(3, 2, "C:\\snd\\" + kHyou + ".wav");                        // absolute Windows path
  b.item(4, 1, "C:\\Users\\me\\logo.png");
  b.i32(0);  // only the main timeline
  b.i32(0).i32(2);
  b.event("0A3", 1, kHyou, "trace(\"" + kSo + "\");", 5, {{0, 0}, {20, 40}});
  b.event("0A3", 0, "C:\\" + kHyou);
  TSMModule::ProjectData d = Parse(b);
  EXPECT_EQ(d.settings.width, 550);
  EXPECT_EQ(d.settings.frameRate, 24.0f);
  EXPECT_EQ(d.settings.options, "C 8R");
  ASSERT_EQ(d.store.count(), 4);
  EXPECT_EQ(d.store.at(1).name, (dir / "表" / "A.JPG").string());
  EXPECT_EQ(d.store.at(2).name, "ソフト");
  EXPECT_EQ(d.store.at(2).font, "_ゴシック");
  EXPECT_EQ(d.store.at(3).name, "C:\\snd\\表.wav");  // kept until the user changes it
  EXPECT_EQ(PathModule::LocateFile(d.store.at(4).name, dir.path().string()), (dir / "Logo.png").string());
  ASSERT_EQ(d.timelines.size(), 1u);
  ASSERT_EQ(d.timelines[0].events.count(), 2);
  const EventRecord& e = d.timelines[0].events.at(1);
  EXPECT_EQ(e.text1, "表");
  EXPECT_EQ(e.text2, "trace(\"ソ\");");
  EXPECT_EQ(e.depth, 5);
  EXPECT_EQ(e.startScaleX, 1.5f);
  EXPECT_EQ(e.endAngle, 90.0f);
  EXPECT_EQ(e.startFilters.inUse, -1);
  EXPECT_EQ(e.startFilters.multiply[3], 0.5f);
  EXPECT_EQ(e.blendMode, 3);
  EXPECT_EQ(e.guideMode, 2);
  ASSERT_EQ(e.anchors.size(), 2u);
  EXPECT_EQ(e.anchors[1].y, 40);
  EXPECT_EQ(d.timelines[0].events.at(2).text1, "C:\\表");

  // Opened into the model.
  auto path = dir / "win.tsm";
  b.save(path);
  ASSERT_TRUE(GUICore::OpenProject(path.string()));
  EXPECT_EQ(GUICore::Caption(), "[ win.tsm ] - Tesmiro");
  EXPECT_FALSE(GUICore::HasUnsavedChanges());
  EXPECT_EQ(GUICore::State().projectPath, path.string());
  EXPECT_EQ(GUICore::State().events.count(), 2);
  EXPECT_EQ(GUICore::RecentFile(1), path.string());
}

TEST_F(ProjectFileTest, SaveLoadSaveIsByteIdentical) {
  BuildRichProject();
  auto first = dir / "p.tsm";
  ASSERT_TRUE(GUICore::SaveProject(first.string()));
  auto bytes1 = ReadBytes(first);
  // Relative paths on disk, absolute in memory.
  std::string text(bytes1.begin(), bytes1.end());
  EXPECT_NE(text.find(".\\\x95\x5C\\\x83\\\x83\x74\x83\x67.jpg"), std::string::npos);
  EXPECT_NE(text.find(".\\snd\\bgm.mp3"), std::string::npos);
  EXPECT_NE(text.find("/nowhere/else/movie.flv"), std::string::npos);
  EXPECT_EQ(GUICore::State().store.at(1).name, (dir / "表" / "ソフト.jpg").string());

  const auto before = GUICore::State();
  ASSERT_TRUE(GUICore::OpenProject(first.string()));
  const auto& after = GUICore::State();
  ASSERT_EQ(after.store.count(), before.store.count());
  for (int32_t i = 1; i <= before.store.count(); ++i)
    EXPECT_EQ(RecordBytes(after.store.at(i)), RecordBytes(before.store.at(i))) << "item " << i;
  ASSERT_EQ(after.timelines.size(), 2u);
  EXPECT_EQ(after.timelines[1].owner, 5);
  ASSERT_EQ(after.events.count(), 3);
  for (int32_t j = 1; j <= 3; ++j)
    EXPECT_EQ(RecordBytes(after.events.at(j)), RecordBytes(before.timelines[0].events.at(j))) << "event " << j;
  EXPECT_EQ(after.settings.frameRate, 29.97f);

  auto second = dir / "again.tsm";
  ASSERT_TRUE(GUICore::SaveProject(second.string()));
  EXPECT_EQ(ReadBytes(second), bytes1);
}

TEST_F(ProjectFileTest, ConvertsTheTwoOlderVersions) {
  for (std::string version : {"0A1", "091"}) {
    SCOPED_TRACE(version);
    TsmBuilder b;
    b.header(version).settings();
    b.i32(1).item(1, 3, "text");
    b.i32(0).i32(0).i32(2);
    b.event(version, 1, kHyou, "", -3);
    b.event(version, 0, "label");
    TSMModule::ProjectData d = Parse(b);
    ASSERT_EQ(d.timelines[0].events.count(), 2);
    const EventRecord& e = d.timelines[0].events.at(1);
    EXPECT_EQ(e.text1, "表");
    EXPECT_EQ(e.depth, -3);
    EXPECT_EQ(e.endAlpha, 50);
    EXPECT_EQ(e.guideMode, 0);
    ASSERT_EQ(e.anchors.size(), 1u);
    EXPECT_EQ(e.anchors[0].x, 0);
    EXPECT_EQ(e.anchors[0].y, 0);
    if (version == "0A1") {
      EXPECT_EQ(e.startFilters.inUse, -1);
      EXPECT_EQ(e.startFilters.multiply[0], 0.5f);
      EXPECT_EQ(e.blendMode, 3);
    } else {
      FilterState zero;
      zero.multiply = {0, 0, 0, 0};
      EXPECT_EQ(e.startFilters, zero);
      EXPECT_EQ(e.endFilters, zero);
      EXPECT_EQ(e.blendMode, 0);
    }
    // Saved again in the current version.
    auto path = dir / (version + ".tsm");
    b.save(path);
    ASSERT_TRUE(GUICore::OpenProject(path.string()));
    ASSERT_TRUE(GUICore::SaveProject(path.string()));
    auto saved = ReadBytes(path);
    EXPECT_EQ(std::string(saved.begin(), saved.begin() + 6), "TSM0A3");
  }
}

TEST_F(ProjectFileTest, RefusesWrongMagicAndVersions) {
  TsmBuilder v;
  v.header("0A2").settings().i32(0).i32(0).i32(0).i32(0);
  Parse(v, false);
  EXPECT_EQ(message, "はこのバージョンのTesmiroでは開けません。(Ver0.Aa2)");
  TsmBuilder m;
  m.raw("tsm0A3").settings().i32(0).i32(0).i32(0).i32(0);
  Parse(m, false);
  EXPECT_EQ(message, TSMModule::kInvalidFileText);
  Parse(TsmBuilder{}, false);
  EXPECT_EQ(message, TSMModule::kInvalidFileText);
}

TEST_F(ProjectFileTest, RefusesEveryTruncationAndTrailingBytes) {
  TsmBuilder b;
  b.header().settings();
  b.i32(2).item(1, 3, kHyou).item(-1, -1, "f", 0);
  b.i32(0).i32(0).i32(1).event("0A3", 1, "a", "b", 0, {{1, 2}, {3, 4}});
  Parse(b);
  for (size_t n = 0; n < b.bytes.size(); ++n) {
    TsmBuilder cut;
    cut.bytes.assign(b.bytes.begin(), b.bytes.begin() + static_cast<std::ptrdiff_t>(n));
    const auto d = TSMModule::ParseProjectFile(cut.bytes, "");
    EXPECT_FALSE(d) << "length " << n;
    EXPECT_FALSE(d.message().empty());
  }
  TsmBuilder extra = b;
  extra.u8(0);
  Parse(extra, false);
  EXPECT_EQ(message, TSMModule::kInvalidFileText);
}

TEST_F(ProjectFileTest, HugeAndNegativeCountsFailWithoutAllocating) {
  auto body = [](int32_t items, int32_t upper, int32_t events) {
    TsmBuilder b;
    b.header().settings().i32(items);
    if (items == 0) b.i32(upper).i32(0).i32(events);
    return b;
  };
  Parse(body(9999, 0, 0), false);
  Parse(body(10000, 0, 0), false);
  Parse(body(-1, 0, 0), false);
  Parse(body(0, 0x7FFFFFFF, 0), false);
  Parse(body(0, -1, 0), false);
  Parse(body(0, 0, 0x7FFFFFFF), false);
  Parse(body(0, 0, -5), false);

  TsmBuilder timelines;  // more timelines than there can be sprites
  timelines.header().settings().i32(0).i32(10000);
  for (int t = 0; t <= 10000; ++t) timelines.i32(0).i32(0);
  Parse(timelines, false);

  TsmBuilder anchors;
  anchors.header().settings().i32(0).i32(0).i32(0).i32(1);
  anchors.event("0A3", 0, "", "", 0, {});
  anchors.bytes.erase(anchors.bytes.end() - 8, anchors.bytes.end());  // drop count and lower bound
  anchors.i32(0x7FFFFFFF).i32(0);
  Parse(anchors, false);

  TsmBuilder bound;  // anchors must start at index 0, in one dimension
  bound.header().settings().i32(0).i32(0).i32(0).i32(1);
  bound.event("0A3", 0, "", "", 0, {{1, 1}});
  bound.bytes[bound.bytes.size() - 12] = 1;  // lower bound 1
  Parse(bound, false);

  TsmBuilder str;  // a string running past the end
  str.header().settings().i32(1).i32(1).i16(1).i16(-1);
  Parse(str, false);
}

TEST_F(ProjectFileTest, ReadsTheLargestStoreAndRefusesOneMore) {
  for (int32_t n : {9999, 10000}) {
    TsmBuilder b;
    b.header().settings().i32(n);
    for (int32_t i = 1; i <= n; ++i) b.item(i, 3, "t");
    b.i32(0).i32(0).i32(0);
    TSMModule::ProjectData d = Parse(b, n == 9999);
    EXPECT_EQ(d.store.count(), n == 9999 ? 9999 : 0);
  }
}

TEST_F(ProjectFileTest, ValidatesCrossReferences) {
  {
    TsmBuilder dup;
    dup.header().settings().i32(2).item(3, 3, "a").item(3, 3, "b").i32(0).i32(0).i32(0);
    Parse(dup, false);
    EXPECT_NE(message.find("素材ID 3 が重複しています"), std::string::npos) << message;
    TsmBuilder big;
    big.header().settings().i32(1).item(10000, 3, "a").i32(0).i32(0).i32(0);
    Parse(big, false);
    TsmBuilder zero;
    zero.header().settings().i32(1).item(0, 3, "a").i32(0).i32(0).i32(0);
    Parse(zero, false);
  }
  // Folders: A (1) claims 2 items, B (2) overlaps A's end and claims 3,
  // C (5) claims more than the list holds.
  TsmBuilder b;
  b.header().settings();
  b.i32(7);
  b.item(-1, -1, "A", 2).item(-2, -1, "B", 3).item(1, 3, "x").item(-3, -1, "C", 99);
  // Sprites with crossed links, one pointing nowhere.
  b.item(10, 4, "s10", 2).item(11, 4, "s11", 1).item(12, 4, "s12", 7);
  b.i32(2);
  b.i32(0).i32(1).event("0A3", 10, "", "", 300);
  b.i32(10).i32(1).event("0A3", 11, "", "", -999);  // timeline 1: owned by 10, places 11
  b.i32(11).i32(1).event("0A3", 10);                 // timeline 2: owned by 11, places 10
  TSMModule::ProjectData d = Parse(b);
  EXPECT_EQ(d.store.at(1).param, 2);
  EXPECT_EQ(d.store.at(2).param, 1);  // cut back to end inside A
  EXPECT_EQ(d.store.at(4).param, 3);
  EXPECT_EQ(d.store.at(5).param, 1);
  EXPECT_EQ(d.store.at(6).param, 2);
  ASSERT_EQ(d.timelines.size(), 4u);  // s12 got an empty timeline of its own
  EXPECT_EQ(d.store.at(7).param, 3);
  EXPECT_EQ(d.timelines[3].owner, 12);
  EXPECT_EQ(d.timelines[3].events.count(), 0);
  EXPECT_EQ(d.timelines[0].events.at(1).depth, 256);
  EXPECT_EQ(d.timelines[1].events.at(1).depth, -256);
}

TEST_F(ProjectFileTest, FailedSaveKeepsEverything) {
  BuildRichProject();
  GUICore::SetModified(true);
  auto path = dir / "p.tsm";
  ASSERT_TRUE(GUICore::SaveProject(path.string()));
  auto saved = ReadBytes(path);

  GUICore::SetModified(true);
  GUICore::WriteAutoBackup(GUICore::AutoBackupPath(), false);
  ASSERT_TRUE(fs::exists(GUICore::AutoBackupPath()));
  GUICore::State().store.at(8).name = "雪だるま☃";  // no CP932 form
  ui.messages.clear();
  EXPECT_FALSE(GUICore::SaveProject(path.string()));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "エラー");
  EXPECT_NE(ui.messages[0].text.find("ID 7"), std::string::npos) << ui.messages[0].text;
  EXPECT_EQ(ReadBytes(path), saved);
  EXPECT_TRUE(GUICore::HasUnsavedChanges());
  EXPECT_TRUE(fs::exists(GUICore::AutoBackupPath()));

  // A folder that cannot be written to (its "folder" is a file).
  GUICore::State().store.at(8).name = "複製";
  ui.messages.clear();
  ui.statusLines.clear();
  EXPECT_FALSE(GUICore::SaveProject((path / "inside.tsm").string()));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "エラー");
  EXPECT_TRUE(ui.statusLines.empty());
  EXPECT_TRUE(GUICore::HasUnsavedChanges());
  EXPECT_TRUE(fs::exists(GUICore::AutoBackupPath()));

  // A read-only folder (root writes anyway, so only checked for others).
  if (::geteuid() != 0) {
    fs::create_directories(dir / "ro");
    fs::permissions(dir / "ro", fs::perms::owner_read | fs::perms::owner_exec);
    ui.messages.clear();
    EXPECT_FALSE(GUICore::SaveProject((dir / "ro" / "p.tsm").string()));
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(GUICore::HasUnsavedChanges());
    fs::permissions(dir / "ro", fs::perms::owner_all);
  }

  // A text longer than its 16-bit count can say, in a sprite's timeline.
  GUICore::State().timelines[1].events.at(1).text2 = std::string(70000, 'a');
  ui.messages.clear();
  EXPECT_FALSE(GUICore::SaveProject(path.string()));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].text.find("スプライト (ID 5)のイベント 1"), std::string::npos) << ui.messages[0].text;
  EXPECT_EQ(ReadBytes(path), saved);
  GUICore::State().timelines[1].events.at(1).text2.clear();

  ASSERT_TRUE(GUICore::SaveProject(path.string()));
  EXPECT_EQ(ui.statusLines.back(), "プロジェクトを保存しました：p.tsm");
  EXPECT_FALSE(GUICore::HasUnsavedChanges());
  EXPECT_FALSE(fs::exists(GUICore::AutoBackupPath()));
}

TEST_F(ProjectFileTest, SaveAndTheBackupWriteNothingOpenRefuses) {
  BuildRichProject();
  const fs::path path = dir / "p.tsm";
  ASSERT_TRUE(GUICore::SaveProject(path.string()));
  const std::vector<uint8_t> saved = ReadBytes(path);
  // The limit at this very length: the project saves and opens as it is,
  // and a byte more is refused by the writers and the reader alike.
  TSMModule::ScopedProjectFileLimit limit(saved.size());
  ASSERT_TRUE(GUICore::SaveProject(path.string()));
  ASSERT_TRUE(GUICore::OpenProject(path.string()));
  GUICore::State().events.at(3).text1 += "x";
  GUICore::SetModified(true);
  ui.messages.clear();
  ui.statusLines.clear();
  EXPECT_FALSE(GUICore::SaveProject(path.string()));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "ファイル [" + path.string() + "] を書き込めません：ファイルが大きすぎます");
  EXPECT_TRUE(ui.statusLines.empty());
  EXPECT_EQ(ReadBytes(path), saved);
  EXPECT_TRUE(GUICore::HasUnsavedChanges());
  WriteFile(dir / "longer.tsm", std::string(saved.begin(), saved.end()) + "x");
  EXPECT_EQ(TSMModule::LoadProjectFile(dir / "longer.tsm").message(), "が大きすぎます");

  // The backup holds more than the file (its path, its time, absolute paths).
  GUICore::WriteAutoBackup(GUICore::AutoBackupPath(), false);
  EXPECT_FALSE(fs::exists(GUICore::AutoBackupPath()));
  ASSERT_EQ(ui.statusLines.size(), 1u);
  EXPECT_EQ(ui.statusLines[0], "自動バックアップを保存できません。ファイル [" + GUICore::AutoBackupPath().string() +
                                   "] を書き込めません：ファイルが大きすぎます");
}

TEST_F(ProjectFileTest, OpenFailureLeavesANewProject) {
  BuildRichProject();
  auto path = dir / "broken.tsm";
  WriteFile(path, "TSM0A3garbage");
  EXPECT_FALSE(GUICore::OpenProject(path.string()));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "ファイルオープンエラー");
  EXPECT_EQ(ui.messages[0].text, "ファイル [broken.tsm] は不正なTesmiroプロジェクトファイルです。");
  EXPECT_EQ(GUICore::Caption(), "(新規) - Tesmiro");
  EXPECT_TRUE(GUICore::State().projectPath.empty());
  EXPECT_EQ(GUICore::State().store.count(), 0);
  EXPECT_EQ(GUICore::RecentFile(1), "");
}

TEST_F(ProjectFileTest, DefaultSettingsSeedNewProjects) {
  GUICore::State().settings.width = 640;
  GUICore::State().settings.options = "C 4 ";
  ASSERT_TRUE(GUICore::WriteEmptyProject(dir / "_default.tsm"));
  GUICore::NewProject();
  EXPECT_EQ(GUICore::State().settings.width, 640);
  EXPECT_EQ(GUICore::GetSWFVersion(), 4);
  EXPECT_FALSE(GUICore::LoadProjectHeader(dir / "missing.tsm"));

  WriteFile(dir / "_default.tsm", "TSM0A3");  // unreadable: built-in defaults, silently
  GUICore::NewProject();
  EXPECT_EQ(GUICore::State().settings.width, 320);
  EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
}  // namespace tesmiro

namespace tesmiro {
namespace {

// Peak resident memory of this process so far, in bytes.
int64_t PeakRss() {
  struct rusage u {};
  ::getrusage(RUSAGE_SELF, &u);
  return static_cast<int64_t>(u.ru_maxrss) * 1024;
}

TEST_F(ProjectFileTest, IdsTheStoreCannotHoldAreRefused) {
  // Materials go from 1 to 9999 and folders are negative: anything else
  // would be doubled into character IDs that do not exist or overflow.
  for (const auto& [id, kind] : std::vector<std::pair<int32_t, int16_t>>{
           {INT32_MIN, 4}, {-5, 1}, {INT32_MAX, 3}, {7, -1}}) {
    TsmBuilder b;
    b.header().settings().i32(1).item(id, kind, "x").i32(0).i32(0).i32(0);
    Parse(b, false);
    EXPECT_NE(message.find("素材ID " + std::to_string(id) + " は使えません"), std::string::npos) << message;
  }
  TsmBuilder folder;
  folder.header().settings().i32(1).item(INT32_MIN, -1, "x").i32(0).i32(0).i32(0);
  Parse(folder);
}

TEST_F(ProjectFileTest, SavingThroughALinkKeepsTheLinkAndTheFilesMode) {
  BuildRichProject();
  const fs::path real = dir / "real.tsm", link = dir / "link.tsm";
  ASSERT_TRUE(GUICore::SaveProject(real.string()));
  ::chmod(real.c_str(), 0600);
  fs::create_symlink(real, link);
  GUICore::State().settings.width = 123;
  ASSERT_TRUE(GUICore::SaveProject(link.string()));
  EXPECT_TRUE(fs::is_symlink(link));
  struct stat st {};
  ASSERT_EQ(::stat(real.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  const auto data = TSMModule::LoadProjectFile(real);
  ASSERT_TRUE(data) << data.message();
  EXPECT_EQ(data->settings.width, 123);
}

TEST_F(ProjectFileTest, AProjectPathThatIsNoRegularFileIsRefusedAtOnce) {
  const fs::path fifo = dir / "fifo.tsm";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // Loaded aside: a load that waits for a writer fails the test, and
  // writers that come and go then let it end.
  auto load = std::async(std::launch::async, [&] { return TSMModule::LoadProjectFile(fifo).message(); });
  EXPECT_EQ(load.wait_for(std::chrono::seconds(20)), std::future_status::ready) << "a FIFO was waited on";
  while (load.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready)
    ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
  EXPECT_EQ(load.get(), "がありません");
  EXPECT_EQ(TSMModule::LoadProjectFile(dir.path()).message(), "がありません");
}

TEST_F(ProjectFileTest, AFileFarLargerThanAnyProjectIsRefusedUnread) {
  // Sparse files: they take no disk, but reading them would take memory.
  const int64_t before = PeakRss();
  for (const auto& [head, reason] : {std::pair{"NOTTSM", TSMModule::kInvalidFileText}, {"TSM0A3", "が大きすぎます"}}) {
    const fs::path path = dir / "huge.tsm";
    WriteFile(path, head);
    fs::resize_file(path, TSMModule::kMaxProjectFileBytes + 1);
    const auto data = TSMModule::LoadProjectFile(path);
    EXPECT_FALSE(data) << head;
    EXPECT_EQ(data.message(), reason);
  }
  EXPECT_LT(PeakRss() - before, int64_t{64} << 20);
  // An unknown version is told from its six bytes.
  WriteFile(dir / "v.tsm", "TSM0B1");
  fs::resize_file(dir / "v.tsm", uint64_t{1} << 30);
  const auto data = TSMModule::LoadProjectFile(dir / "v.tsm");
  EXPECT_FALSE(data);
  EXPECT_EQ(data.message(), "はこのバージョンのTesmiroでは開けません。(Ver0.Ba1)");
}

}  // namespace
}  // namespace tesmiro
