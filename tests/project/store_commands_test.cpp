// The file list's commands: adding paths and dropped folders, deleting,
// new folders, texts and sprites with their property dialog, duplicating,
// the add-file filter, and events made from the selected materials.
#include <gtest/gtest.h>

#include <tuple>

#include "project/events.h"
#include "project/file_list_view.h"
#include "project/model_fixture.h"
#include "project/project_file.h"
#include "project/store_commands.h"
#include "project/timelines.h"
#include "support/unreadable.h"
#include "support/user_text.h"

namespace tesmiro {
namespace {

class StoreCommandsTest : public testing::ModelTest {
 protected:
  static std::vector<int32_t> Ids() {
    std::vector<int32_t> ids;
    for (const auto& item : GUICore::State().store) ids.push_back(item.id);
    return ids;
  }
  static std::vector<int32_t> SelectedRows() {
    std::vector<int32_t> rows;
    for (int32_t r = 1; r <= FileListModule::RowCount(); ++r) {
      if (FileListModule::Current().rows.at(r).selected != 0) rows.push_back(r);
    }
    return rows;
  }
  static void SelectOnly(std::initializer_list<int32_t> rows) {
    FileListModule::ClearRowMarks();
    for (int32_t r : rows) FileListModule::Current().rows.at(r).selected = -1;
  }
  std::string File(const std::string& name, const std::string& text = "x") {
    WriteFile(dir.path() / name, text);
    return (dir.path() / name).string();
  }
};

TEST_F(StoreCommandsTest, PathsGoBeforeTheRowInOrderEvenBeforeTheLastRow) {
  AddItem("png", "/m/a.png");
  int32_t closed = AddItem("folder");
  AddIntoFolder(closed, "png", "/m/in.png");
  GUICore::SetFolderOpen(GUICore::FindStoreIndexByID(closed), 0);
  AddItem("png", "/m/b.png");
  ASSERT_EQ(FileListModule::RowCount(), 3);  // a, the closed folder, b
  const std::vector<std::string> paths = {File("p.png"), File("q.mp3"), File("r.kvg"), File("s.unknown")};
  int32_t row = 3, mode = 0;
  EXPECT_TRUE(StoreCommands::ListJpegStoreAddFiles(paths, row, mode));
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, -1, 2, 4, 5, 6, 3}));
  EXPECT_EQ(row, 6);
  EXPECT_EQ(SelectedRows(), (std::vector<int32_t>{3, 4, 5}));
  EXPECT_EQ(FileListModule::Current().cursorRow, 5);

  // Before a row that follows a closed folder.
  row = 2;
  EXPECT_TRUE(StoreCommands::ListJpegStoreAddFiles({File("t.png"), File("u.png")}, row, mode));
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 7, 8, -1, 2, 4, 5, 6, 3}));

  // A path already in the store is not added again, but its row is selected.
  row = 1;
  EXPECT_FALSE(StoreCommands::ListJpegStoreAddFiles({paths[0]}, row, mode));
  EXPECT_EQ(GUICore::StoreItemCount(), 9);
  EXPECT_EQ(SelectedRows(), (std::vector<int32_t>{5}));
}

TEST_F(StoreCommandsTest, ADroppedFolderBecomesAnOpenFolderOfItsPlainFiles) {
  AddItem("png", "/m/a.png");
  const auto folder = dir.path() / "Pictures";
  std::filesystem::create_directories(folder / "sub");
  WriteFile(folder / "b.png", "x");
  WriteFile(folder / "a.jpg", "x");
  WriteFile(folder / ".hidden.png", "x");
  WriteFile(folder / "sub" / "c.png", "x");
  int32_t row = 1, mode = 0;
  EXPECT_TRUE(StoreCommands::ListJpegStoreAddFiles({folder.string(), File("other.png")}, row, mode));
  const auto& store = GUICore::State().store;
  ASSERT_EQ(store.count(), 4);
  EXPECT_EQ(store.at(1).name, "Pictures");
  EXPECT_EQ(store.at(1).flags, 1);
  EXPECT_EQ(store.at(1).param, 2);
  EXPECT_EQ(store.at(2).name, (folder / "a.jpg").string());
  EXPECT_EQ(store.at(3).name, (folder / "b.png").string());
  EXPECT_TRUE(SelectedRows().empty());

  // Onto a folder row (mode 1) the files go into that folder.
  const auto more = dir.path() / "More";
  std::filesystem::create_directories(more);
  WriteFile(more / "d.png", "x");
  row = 1;
  mode = 1;
  EXPECT_TRUE(StoreCommands::ListJpegStoreAddFiles({more.string()}, row, mode));
  EXPECT_EQ(store.count(), 5);
  EXPECT_EQ(store.at(1).param, 3);
  EXPECT_EQ(store.at(4).name, (more / "d.png").string());
}

TEST_F(StoreCommandsTest, AFullStoreRefusesAFolderOnceAndKeepsThePosition) {
  auto& store = GUICore::State().store;
  for (int32_t i = 1; i <= kMaxStoreItems; ++i) {
    StoreItem item = NewStoreItem(StoreItemKind::RasterImage);
    item.id = i;
    item.name = "/m/" + std::to_string(i) + ".png";
    store.push_back(item);
  }
  GUICore::RefreshFileList();
  const auto folder = dir.path() / "Many";
  std::filesystem::create_directories(folder);
  for (int i = 0; i < 5; ++i) WriteFile(folder / (std::to_string(i) + ".png"), "x");
  int32_t row = 2, mode = 0;
  EXPECT_FALSE(StoreCommands::ListJpegStoreAddFiles({folder.string()}, row, mode));
  EXPECT_EQ(ui.messages.size(), 1u);  // told once, not once per file
  EXPECT_EQ(row, 2);
  EXPECT_EQ(mode, 0);
  EXPECT_EQ(store.count(), kMaxStoreItems);
  EXPECT_EQ(store.at(1).flags, 0);
}

// Many files dropped at once: each takes the first free ID as it comes, a
// file already in the list (or earlier in the same drop) is not added again,
// and all of it is one undo step.
TEST_F(StoreCommandsTest, DroppedFilesIntoAFolderFillIdGapsAndSkipDuplicates) {
  auto& store = GUICore::State().store;
  const std::string known = File("known.png");
  for (auto [id, name, size] : std::vector<std::tuple<int32_t, std::string, int32_t>>{
           {1, "/m/a.png", 0}, {-1, "F", 2}, {3, known, 0}, {4, "/m/in.png", 0}, {-3, "G", 0}, {7, "/m/b.png", 0}}) {
    StoreItem item = NewStoreItem(id < 0 ? StoreItemKind::Folder : StoreItemKind::RasterImage);
    std::tie(item.id, item.name, item.param, item.flags) = std::tuple(id, name, size, int16_t{id < 0});
    store.push_back(item);
  }
  GUICore::RefreshFileList();
  GUICore::ClearStoreUndo();
  const std::vector<std::string> paths = {File("p.png"), File("q.mp3"),   File("p.png"),      known,
                                          File("r.xyz"), File("s.folder"), File("t.txt", "hi"), File("u.sprite"),
                                          File("v.kvg")};
  auto& fl = FileListModule::Current();
  fl.insertRow = 2;  // into the folder F, at its end
  fl.insertMode = 1;
  EXPECT_TRUE(StoreCommands::AddFilesAtInsertPosition(paths));
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, -1, 3, 4, 2, 5, -2, 6, 8, 9, -3, 7}));
  EXPECT_EQ(store.at(2).param, 8);
  EXPECT_EQ(store.at(8).name, "hi");
  EXPECT_EQ(store.at(9).name, "スプライト(" + std::to_string(store.at(9).param) + ")");
  EXPECT_EQ(std::pair(fl.insertRow, fl.insertMode), std::pair(2, 1));
  EXPECT_EQ(SelectedRows(), (std::vector<int32_t>{3, 5, 6, 7, 10}));
  EXPECT_EQ(fl.cursorRow, 10);
  // Only the file of no kind the store holds is named, after the add.
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text,
            "次のファイルは追加されませんでした。\nファイル [" + paths[4] + "] は素材にできない種類のファイルです");
  GUICore::StoreUndo();
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, -1, 3, 4, -3, 7}));
  EXPECT_FALSE(GUICore::CanStoreUndo());
}

// Files the store does not take, a text that cannot be read and a folder
// that cannot be listed are named once after the add, each with its reason;
// what it takes is added as before.
TEST_F(StoreCommandsTest, WhatAnAddLeavesOutIsNamedInOneWarningWithTheReason) {
  const auto folder = dir.path() / "sub";
  std::filesystem::create_directories(folder);
  const std::vector<std::string> paths = {File("a.png"), File("b.jpe"),      File("c.webp"),  File("d.svg"),
                                          File("e.ogg"), File("f.gif", "GIF"), File("g.txt", "hi"), folder.string()};
  auto addWhileUnreadable = [](const std::filesystem::path& locked, const std::vector<std::string>& files) {
    testing::ScopedUnreadable guard(locked);
    return StoreCommands::AddFilesAtInsertPosition(files);
  };
  EXPECT_TRUE(addWhileUnreadable(paths[6], paths));
  const auto& store = GUICore::State().store;
  ASSERT_EQ(store.count(), 2);
  EXPECT_EQ(store.at(2).name, paths[5]);  // the writer converts GIF pictures
  EXPECT_EQ(store.at(2).kind, StoreItemKind::RasterImage);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "警告");
  EXPECT_EQ(ui.messages[0].icon, ui::Icon::Exclamation);
  const std::string& text = ui.messages[0].text;
  std::string expected = "次のファイルは追加されませんでした。";
  for (int i : {1, 2, 3, 4}) expected += "\nファイル [" + paths[i] + "] は素材にできない種類のファイルです";
  expected += "\nファイル [" + paths[6] + "] を読み込めません：";
  EXPECT_EQ(text.rfind(expected, 0), 0u) << text;
  EXPECT_NE(text.find("\nフォルダ [" + paths[7] + "] はファイルと一緒には追加できません"), std::string::npos) << text;
  EXPECT_JAPANESE(text, paths);
  GUICore::StoreUndo();
  EXPECT_EQ(store.count(), 0);

  // A drop of only such files adds nothing, records no step, and says so.
  ui.messages.clear();
  EXPECT_FALSE(StoreCommands::AddFilesAtInsertPosition({paths[2]}));
  EXPECT_FALSE(GUICore::CanStoreUndo());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].text.find(paths[2]), std::string::npos);

  // Nor does a folder that cannot be listed: no empty folder stands for it.
  ui.messages.clear();
  WriteFile(folder / "a.png", "x");
  EXPECT_FALSE(addWhileUnreadable(folder, {folder.string(), paths[0]}));
  EXPECT_EQ(GUICore::StoreItemCount(), 0);
  EXPECT_FALSE(GUICore::CanStoreUndo());
  ASSERT_EQ(ui.messages.size(), 1u);
  const std::string& unlisted = ui.messages[0].text;
  EXPECT_EQ(unlisted.rfind("次のファイルは追加されませんでした。\nフォルダ [" + paths[7] + "] の中を読み込めません：", 0), 0u)
      << unlisted;
  EXPECT_NE(unlisted.find("\nファイル [" + paths[0] + "] はフォルダと一緒には追加できません"), std::string::npos) << unlisted;
  EXPECT_JAPANESE(unlisted, paths);
}

TEST_F(StoreCommandsTest, ADropThatFillsTheStoreStopsThereWithOneMessage) {
  auto& store = GUICore::State().store;
  for (int32_t id = 1; id < kMaxStoreItems; ++id) {
    StoreItem item = NewStoreItem(StoreItemKind::RasterImage);
    std::tie(item.id, item.name) = std::tuple(id, "/m/" + std::to_string(id) + ".png");
    if (id != 5000) store.push_back(item);  // one gap: 9,997 items
  }
  GUICore::RefreshFileList();
  GUICore::ClearStoreUndo();
  auto& fl = FileListModule::Current();
  fl.insertRow = 2;  // before the second item
  fl.insertMode = 0;
  // The repeated path is passed over once the store is full; the next new one is refused.
  EXPECT_TRUE(StoreCommands::AddFilesAtInsertPosition(
      {File("a.png"), File("b.png"), File("a.png"), File("c.png"), File("d.png")}));
  const auto ids = Ids();
  EXPECT_EQ(ids.size(), size_t{kMaxStoreItems});
  EXPECT_EQ(std::vector<int32_t>(ids.begin(), ids.begin() + 4), (std::vector<int32_t>{1, 5000, 9999, 2}));
  EXPECT_EQ(fl.insertRow, 4);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, GUICore::kStoreFullText);
  GUICore::StoreUndo();
  EXPECT_EQ(store.count(), kMaxStoreItems - 2);
}

TEST_F(StoreCommandsTest, DeletingAFolderAndItsContentsDeletesThemOnce) {
  AddItem("png", "/m/a.png");
  int32_t folder = AddItem("folder");
  AddIntoFolder(folder, "png", "/m/in.png");
  AddItem("png", "/m/b.png");
  ASSERT_EQ(FileListModule::RowCount(), 4);
  SelectOnly({2, 3, 4});
  FileListModule::Current().cursorRow = 4;
  GUICore::ClearStoreUndo();
  EXPECT_TRUE(StoreCommands::DeleteSelected());
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1}));
  EXPECT_EQ(FileListModule::Current().cursorRow, 1);
  EXPECT_EQ(SelectedRows(), (std::vector<int32_t>{1}));
  GUICore::StoreUndo();
  EXPECT_EQ(GUICore::StoreItemCount(), 4);

  GUICore::NewProject();
  EXPECT_FALSE(StoreCommands::DeleteSelected());
  EXPECT_FALSE(GUICore::CanStoreUndo());
}

TEST_F(StoreCommandsTest, ANewFolderInAnEmptyListIsSelectedAndItsDialogOpens) {
  int dialogs = 0;
  int32_t id = StoreCommands::AddNewItem("folder", [&] {
    ++dialogs;
    EXPECT_EQ(SelectedRows(), (std::vector<int32_t>{1}));
    return false;
  });
  EXPECT_EQ(id, -1);
  EXPECT_EQ(dialogs, 1);
  EXPECT_EQ(FileListModule::Current().cursorRow, 1);
  EXPECT_TRUE(GUICore::CanStoreUndo());
  // A text goes before the cursor's item.
  id = StoreCommands::AddNewItem("txt", nullptr);
  EXPECT_EQ(Ids(), (std::vector<int32_t>{id, -1}));
}

TEST_F(StoreCommandsTest, ASpriteRenumberedByItsDialogKeepsItsTimelineThroughUndoAndRedo) {
  GUICore::ClearStoreUndo();
  const int32_t timelines = GUICore::TimelineCount();
  int32_t id = StoreCommands::AddNewItem("sprite", [] {
    int32_t cursorId = FileListModule::GetJpegListID(FileListModule::Current().cursorRow);
    GUICore::RecordStoreUndoChange(GUICore::kStoreUndoIdChange, cursorId, GUICore::ChangeStoreItemID(cursorId, 50));
    return true;
  });
  ASSERT_EQ(id, 50);
  ASSERT_EQ(GUICore::TimelineCount(), timelines + 1);
  const int32_t t = GUICore::FindTimelineOfSprite(50);
  ASSERT_GE(t, 1);

  GUICore::StoreUndo();
  EXPECT_EQ(GUICore::StoreItemCount(), 0);
  EXPECT_EQ(GUICore::TimelineCount(), timelines);
  GUICore::StoreRedo();
  ASSERT_EQ(GUICore::StoreItemCount(), 1);
  const StoreItem sprite = GUICore::GetStoreItemByID(50);
  EXPECT_EQ(sprite.kind, StoreItemKind::Sprite);
  EXPECT_EQ(GUICore::TimelineCount(), timelines + 1);
  EXPECT_GE(GUICore::FindTimelineOfSprite(50), 1);
  EXPECT_EQ(GUICore::GetTimeline(sprite.param).owner, 50);
}

// Undoing a drop takes a dropped sprite's timeline and tab away with it, as
// for a sprite made from the menu, so that none of it stays shown or saved.
TEST_F(StoreCommandsTest, UndoingADroppedSpriteTakesItsTimelineAway) {
  GUICore::ClearStoreUndo();
  ASSERT_TRUE(StoreCommands::AddFilesAtInsertPosition({File("a.png"), File("x.sprite")}));
  const StoreItem sprite = GUICore::GetStoreItem(2);
  ASSERT_EQ(sprite.kind, StoreItemKind::Sprite);
  GUICore::ShowTimeline(sprite.id, true);
  EventRecord placed = NewEventFor(StoreItemKind::RasterImage);
  placed.itemId = 1;
  GUICore::InsertEvent(placed, 0);
  ASSERT_EQ(GUICore::State().tabs.size(), 2u);
  GUICore::StoreUndo();
  EXPECT_EQ(GUICore::StoreItemCount(), 0);
  EXPECT_EQ(GUICore::TimelineCount(), 1);
  EXPECT_EQ(GUICore::State().shownTimeline, 0);
  EXPECT_EQ(GUICore::State().tabs.size(), 1u);
  const std::string path = (dir.path() / "p.tsm").string();
  ASSERT_TRUE(GUICore::SaveProject(path));
  auto saved = TSMModule::LoadProjectFile(path);
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->timelines.size(), 1u);

  GUICore::StoreRedo();
  const StoreItem back = GUICore::GetStoreItemByID(sprite.id);
  ASSERT_EQ(back.kind, StoreItemKind::Sprite);
  EXPECT_EQ(GUICore::TimelineCount(), 2);
  EXPECT_EQ(GUICore::GetTimeline(back.param).owner, sprite.id);
}

TEST_F(StoreCommandsTest, DuplicatesGoToTheInsertPosition) {
  AddItem("png", "/m/a.png");
  AddItem("png", "/m/b.png");
  SelectOnly({1});
  FileListModule::Current().cursorRow = 1;
  FileListModule::Current().insertRow = 3;
  FileListModule::Current().insertMode = 0;
  GUICore::ClearStoreUndo();
  EXPECT_TRUE(StoreCommands::DuplicateSelected());
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2, 3}));
  EXPECT_EQ(GUICore::GetStoreItemByID(3).name, "/m/a.png");
  GUICore::StoreUndo();
  EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2}));
  FileListModule::ClearRowMarks();
  EXPECT_FALSE(StoreCommands::DuplicateSelected());
}

TEST_F(StoreCommandsTest, TheAddFileFilterOffersPhoneSoundsForSwf4Only) {
  const std::string v4 = StoreCommands::AddFileFilter(4);
  EXPECT_NE(v4.find("*.mp3;*.wav;*.mld;*.mid;*.mmf"), std::string::npos);
  EXPECT_EQ(StoreCommands::AddFileFilter(6).find("*.mld"), std::string::npos);
  EXPECT_EQ(DialogModule::ParseFilter(v4).size(), 6u);
}

TEST_F(StoreCommandsTest, SelectedMaterialsBecomeEventsAtTheCurrentRow) {
  for (int i = 0; i < 6; ++i) {
    EventRecord e = NewEventFor(StoreItemKind::RasterImage);
    e.itemId = 100 + i;
    GUICore::InsertEvent(e, i);
  }
  int32_t image = AddItem("png", "/m/a.png");
  int32_t folder = AddItem("folder");
  int32_t sound = AddItem("mp3", "/m/s.mp3");
  int32_t video = AddItem("flv", "/m/v.flv");
  SelectOnly({1, 2, 3, 4});
  auto& el = EventListModule::Current();
  EventListModule::ClearRowSelection();
  el.currentRow = 4;  // the fifth event
  GUICore::ClearEventUndo();

  int32_t inserted = StoreCommands::ListJpegStoreAddEvent([&](const StoreItem& item) { return item.id == video ? 90 : 0; });
  EXPECT_EQ(inserted, 3);
  ASSERT_EQ(GUICore::EventCount(), 9);
  EXPECT_EQ(GUICore::GetEvent(5).itemId, image);
  EXPECT_EQ(GUICore::GetEvent(5).frameCount, 1);
  EXPECT_EQ(GUICore::GetEvent(6).itemId, sound);
  EXPECT_EQ(GUICore::GetEvent(6).kind, 0);
  EXPECT_EQ(GUICore::GetEvent(6).frameCount, 0);
  EXPECT_EQ(GUICore::GetEvent(7).itemId, video);
  EXPECT_EQ(GUICore::GetEvent(7).frameCount, 90);
  EXPECT_EQ(GUICore::GetEvent(8).itemId, 104);  // the former fifth event
  EXPECT_EQ(el.currentRow, 7);
  EXPECT_NE(folder, 0);
  GUICore::EventUndo();
  EXPECT_EQ(GUICore::EventCount(), 6);
  EXPECT_EQ(GUICore::GetEvent(5).itemId, 104);

  // Only folders selected: nothing, and no undo step.
  GUICore::ClearEventUndo();
  SelectOnly({2});
  EXPECT_EQ(StoreCommands::ListJpegStoreAddEvent(nullptr), 0);
  EXPECT_FALSE(GUICore::CanEventUndo());
}

TEST_F(StoreCommandsTest, SelectAllAndTheCursorsFile) {
  EXPECT_FALSE(StoreCommands::SelectAllStore());
  const std::string real = File("a.png");
  AddItem("png", real);
  AddItem("png", "/m/missing.png");
  EXPECT_TRUE(StoreCommands::SelectAllStore());
  EXPECT_EQ(SelectedRows(), (std::vector<int32_t>{1, 2}));
  FileListModule::Current().cursorRow = 1;
  EXPECT_EQ(StoreCommands::CursorMaterialFile().path, real);
  EXPECT_TRUE(StoreCommands::CursorMaterialFile().found);
  FileListModule::Current().cursorRow = 2;
  EXPECT_EQ(StoreCommands::CursorMaterialFile().path, "/m/missing.png");
  EXPECT_FALSE(StoreCommands::CursorMaterialFile().found);
}

}  // namespace
}  // namespace tesmiro
