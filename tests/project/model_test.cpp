// The project model: a new project, the SWF version, the modified state with
// its caption, record defaults and their byte layout.
#include <gtest/gtest.h>

#include "project/events.h"
#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/record_bytes.h"
#include "project/script_editor.h"
#include "project/store.h"
#include "project/timelines.h"
#include "project/model_fixture.h"

namespace tesmiro {
namespace {

using testing::ModelTest;

TEST_F(ModelTest, NewProjectStartsFromTheBuiltInDefaults) {
  const auto& m = GUICore::State();
  EXPECT_EQ(m.settings.width, 320);
  EXPECT_EQ(m.settings.height, 320);
  EXPECT_EQ(m.settings.frameRate, 12.0f);
  EXPECT_EQ(m.settings.backgroundRed, 255);
  EXPECT_EQ(m.settings.backgroundGreen, 255);
  EXPECT_EQ(m.settings.backgroundBlue, 255);
  EXPECT_EQ(m.settings.options, "    ");
  EXPECT_EQ(m.settings.jpegQuality, 90);
  EXPECT_EQ(m.timelines.size(), 1u);
  EXPECT_TRUE(m.timelines[0].events.empty());
  EXPECT_TRUE(m.store.empty());
  EXPECT_EQ(m.tabs.size(), 1u);
  EXPECT_EQ(m.tabs[0].spriteId, 0);
  EXPECT_FALSE(GUICore::CanEventUndo());
  EXPECT_FALSE(GUICore::CanEventRedo());
  EXPECT_FALSE(GUICore::CanStoreUndo());
  EXPECT_FALSE(GUICore::CanStoreRedo());
  EXPECT_EQ(ui.caption, "(新規) - Tesmiro");
  EXPECT_EQ(m.modified, 0);
  EXPECT_EQ(EventListModule::RowCount(), 1);
  EXPECT_EQ(FileListModule::Current().cursorRow, -1);
}

TEST_F(ModelTest, NewProjectDropsTheOldProjectAndItsWindows) {
  // The script panel's clearing, in order among the window calls.
  struct ScriptPanel : ScriptEditorModule::View {
    explicit ScriptPanel(std::vector<std::string>& into) : calls(into) {}
    void clearPanel() override { calls.push_back("clearScriptPane"); }
    std::vector<std::string>& calls;
  } panel{ui.calls};
  ScriptEditorModule::ScopedView scoped{panel};
  std::string text;
  int32_t row = 1, mode = 0;
  GUICore::AddStoreItem(text, "sprite", row, mode);
  EventRecord e;
  GUICore::InsertEvent(e, 0);
  GUICore::CopyEventToClipboard(0);
  ui.calls.clear();
  GUICore::NewProject();
  const auto& m = GUICore::State();
  EXPECT_TRUE(m.store.empty());
  EXPECT_TRUE(m.events.empty());
  EXPECT_FALSE(GUICore::EventClipboardHasData());
  EXPECT_EQ(m.timelines.size(), 1u);
  EXPECT_EQ(ui.calls.front(), "clearScriptPane");
  EXPECT_NE(std::find(ui.calls.begin(), ui.calls.end(), "unloadEventDialog"), ui.calls.end());
  EXPECT_NE(std::find(ui.calls.begin(), ui.calls.end(), "showItemInfo 0"), ui.calls.end());
  EXPECT_FALSE(GUICore::HasUnsavedChanges());
}

TEST_F(ModelTest, SWFVersionComesFromTheThirdOptionLetter) {
  auto version = [](const char* options) {
    GUICore::State().settings.options = options;
    return GUICore::GetSWFVersion();
  };
  EXPECT_EQ(version("  8 "), 8);
  EXPECT_EQ(version("  7"), 7);
  EXPECT_EQ(version("C 4R"), 4);
  EXPECT_EQ(version(""), 6);
  EXPECT_EQ(version("CD"), 6);
  EXPECT_EQ(version("  5 "), 6);
  EXPECT_EQ(version("    "), 6);
}

TEST_F(ModelTest, ModifiedFlagKeepsOneSuffixOnTheCaption) {
  GUICore::SetModified(true);
  GUICore::SetModified(true);
  EXPECT_EQ(ui.caption, "(新規) - Tesmiro *");
  EXPECT_TRUE(GUICore::HasUnsavedChanges());
  GUICore::SetModified(false);
  EXPECT_EQ(ui.caption, "(新規) - Tesmiro");
  GUICore::SetModified(false);
  EXPECT_EQ(ui.caption, "(新規) - Tesmiro");
  // The backup marker is not the modified marker: the flag goes behind it.
  GUICore::SetCaption("[ a.tsm ] - Tesmiro +");
  EXPECT_FALSE(GUICore::HasUnsavedChanges());
  GUICore::SetModified(true);
  EXPECT_EQ(ui.caption, "[ a.tsm ] - Tesmiro + *");
  EXPECT_EQ(GUICore::State().modified, -1);
}

TEST_F(ModelTest, FileExistsOnlyForFiles) {
  EXPECT_FALSE(GUICore::FileExists(""));
  EXPECT_FALSE(GUICore::FileExists(dir.path().string()));
  EXPECT_FALSE(GUICore::FileExists((dir / "none.txt").string()));
  WriteFile(dir / "a.txt", "x");
  EXPECT_TRUE(GUICore::FileExists((dir / "a.txt").string()));
}

TEST_F(ModelTest, SpriteTakesTheStageSizeWhenCreatedOnly) {
  GUICore::State().settings.width = 550;
  GUICore::State().settings.height = 400;
  int32_t id = AddItem("sprite");
  GUICore::State().settings.width = 100;
  StoreItem s = GUICore::GetStoreItemByID(id);
  EXPECT_EQ(s.width, 550);
  EXPECT_EQ(s.height, 400);
  EXPECT_EQ(s.param, 1);
  EXPECT_EQ(s.name, "スプライト(1)");
  EXPECT_EQ(GUICore::State().timelines[1].owner, id);
}

TEST_F(ModelTest, NewItemsStartFromTheirKindsDefaults) {
  StoreItem text = GUICore::GetStoreItemByID(AddItem("txt"));
  EXPECT_EQ(text.kind, StoreItemKind::Text);
  EXPECT_EQ(text.font, "_ゴシック");
  EXPECT_EQ(text.size, 12.0f);
  EXPECT_EQ(text.lineSpacing, 2.0f);
  StoreItem video = GUICore::GetStoreItemByID(AddItem("flv", "/v.flv"));
  EXPECT_EQ(video.param, 1);
  EXPECT_EQ(video.font, "");
  StoreItem folder = GUICore::GetStoreItemByID(AddItem("folder"));
  EXPECT_EQ(folder.id, -1);
  EXPECT_EQ(folder.name, "フォルダ1");
}

TEST_F(ModelTest, EventDefaultsByKindAndTheZeroEvent) {
  EventRecord image = NewEventFor(StoreItemKind::RasterImage);
  EXPECT_EQ(image.frameCount, 1);
  EXPECT_EQ(image.kind, -1);
  EXPECT_EQ(image.startAlpha, 100);
  EXPECT_EQ(image.startScaleY, 1.0f);
  ASSERT_EQ(image.anchors.size(), 1u);
  EventRecord sound = NewEventFor(StoreItemKind::Sound);
  EXPECT_EQ(sound.frameCount, 0);
  EXPECT_EQ(sound.kind, 0);

  EventRecord zero = GUICore::GetEvent(1);
  EXPECT_EQ(zero.kind, 0);
  EXPECT_EQ(zero.frameCount, 0);
  EXPECT_EQ(zero.startScaleX, 0.0f);
  EXPECT_EQ(zero.endAlpha, 0);
  EXPECT_TRUE(zero.anchors.empty());
  EXPECT_EQ(zero.startFilters.multiply[0], 0.0f);
  EXPECT_TRUE(GUICore::EventsEqual(zero, ZeroEvent()));
  EXPECT_TRUE(GUICore::EventsEqual(GUICore::GetEvent(-1), ZeroEvent()));
}

TEST_F(ModelTest, RemovingAFoldersLastItemLeavesItCountedByItsParent) {
  int32_t outer = AddItem("folder");
  int32_t inner = AddIntoFolder(outer, "folder");
  int32_t item = AddIntoFolder(inner, "jpg", "/a.jpg");
  EXPECT_EQ(GUICore::GetStoreItemByID(outer).param, 2);
  EXPECT_EQ(GUICore::GetStoreItemByID(inner).param, 1);
  GUICore::DeleteStoreItem(item);
  EXPECT_EQ(GUICore::GetStoreItemByID(inner).param, 0);
  EXPECT_EQ(GUICore::GetStoreItemByID(outer).param, 1);
}

// --- byte layout of the records ---------------------------------------------

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
  std::vector<uint8_t> v;
  for (int x : values) v.push_back(static_cast<uint8_t>(x));
  return v;
}

TEST(RecordBytesTest, DefaultSettingsAreThirtyOneBytes) {
  ByteWriter w;
  ASSERT_TRUE(WriteProjectSettings(w, ProjectSettings{}));
  EXPECT_EQ(w.data(), Bytes({0x40, 0x01, 0, 0, 0x40, 0x01, 0, 0, 0, 0, 0x40, 0x41, 0xFF, 0xFF, 0xFF, 4, 0, 0x20, 0x20,
                             0x20, 0x20, 0, 0, 0, 0, 0, 0, 0x5A, 0, 0, 0}));
}

TEST(RecordBytesTest, StoreItemIsFortyFourBytesPlusItsStrings) {
  StoreItem item = NewStoreItem(StoreItemKind::Text);
  item.id = 7;
  item.name = "表";  // 95 5C in CP932: the second byte is a backslash
  item.option = "ab";
  item.mark = -1;
  ByteWriter w;
  ASSERT_TRUE(WriteStoreItem(w, item));
  ASSERT_EQ(w.size(), 44u + 2 + 9 + 2);  // "_ゴシック" is 9 bytes in CP932
  const auto& d = w.data();
  EXPECT_EQ(Bytes({d[0], d[1], d[2], d[3], d[4], d[5]}), Bytes({7, 0, 0, 0, 3, 0}));
  EXPECT_EQ(Bytes({d[6], d[7], d[8], d[9]}), Bytes({2, 0, 0x95, 0x5C}));
  EXPECT_EQ(Bytes({d[16], d[17]}), Bytes({9, 0}));  // font count at 14 + p
  EXPECT_EQ(Bytes({d[d.size() - 2], d[d.size() - 1]}), Bytes({0xFF, 0xFF}));
}

TEST(RecordBytesTest, EventIsSixHundredEightySixBytesPlusStringsAndAnchors) {
  EventRecord e;
  e.text1 = "abc";
  e.anchors = {{20, 40}, {-20, 0}};
  e.startFilters.dropShadowParams.mode = 2;
  ByteWriter w;
  ASSERT_TRUE(WriteEventRecord(w, e));
  ASSERT_EQ(w.size(), 686u + 3 + 16);
  ByteReader r(std::span<const uint8_t>(w.data()));
  const size_t b = 64 + 3;
  r.seek(b + 34 + 36 + 2 + 36);
  EXPECT_EQ(r.i32(), 2);  // start drop shadow mode, last member of its params
  r.seek(b + 610);
  EXPECT_EQ(r.i16(), 0);  // guide mode
  EXPECT_EQ(r.i16(), 1);  // dimensions
  EXPECT_EQ(r.i32(), 2);  // anchors
  EXPECT_EQ(r.i32(), 0);  // lower bound
  EXPECT_EQ(r.i32(), 20);
  EXPECT_EQ(r.i32(), 40);
  EXPECT_EQ(r.i32(), -20);

  ByteWriter f;
  WriteFilterState(f, FilterState{});
  EXPECT_EQ(f.size(), kFilterStateBytes);
}

TEST(RecordBytesTest, TextsThatShiftJisCannotHoldAreReportedNotReplaced) {
  EventRecord e;
  e.text2 = "emoji \xF0\x9F\x98\x80";
  ByteWriter w;
  const Result<void> unwritable = WriteEventRecord(w, e);
  EXPECT_FALSE(unwritable);
  EXPECT_NE(unwritable.message().find("emoji"), std::string::npos);
  StoreItem long_text;
  long_text.name.assign(70000, 'a');
  ByteWriter w2;
  EXPECT_FALSE(WriteStoreItem(w2, long_text));
}

TEST(RecordBytesTest, EqualityIsByteEqualityOfTheWholeRecord) {
  EventRecord a, b;
  EXPECT_TRUE(GUICore::EventsEqual(a, b));
  b.text1 = "a";
  a.text1 = "";
  EXPECT_FALSE(GUICore::EventsEqual(a, b));  // strings of different lengths
  a.text1 = "a";
  EXPECT_TRUE(GUICore::EventsEqual(a, b));
  b.anchors.push_back({0, 0});
  EXPECT_FALSE(GUICore::EventsEqual(a, b));
  b = a;
  b.endFilters.matrix[19] = -0.0f;  // bytes differ even where the floats compare equal
  EXPECT_FALSE(GUICore::EventsEqual(a, b));
  StoreItem x, y;
  y.mark = -1;
  EXPECT_FALSE(GUICore::StoreItemsEqual(x, y));
  // Texts that Shift-JIS would store alike are still different edits.
  x.name = "\xEF\xBD\x9E";  // FULLWIDTH TILDE
  y = x;
  y.name = "\xE3\x80\x9C";  // WAVE DASH
  EXPECT_FALSE(GUICore::StoreItemsEqual(x, y));
}

}  // namespace
}  // namespace tesmiro
