#include "project/backup.h"

#include <gtest/gtest.h>

#include "model_fixture.h"
#include "project/build_lock.h"
#include "project/project_file.h"
#include "project/store_item_swap.h"
#include "project/timelines.h"
#include "tsm_builder.h"

namespace tesmiro {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TsmBuilder;

class BackupTest : public testing::ModelTest {
 protected:
  fs::path backup() const { return GUICore::AutoBackupPath(); }

  void MakeSmallProject() {
    auto& m = GUICore::State();
    StoreItem text = NewStoreItem(StoreItemKind::Text);
    text.id = 1;
    text.name = "表示";
    m.store.push_back(text);
    EventRecord e = NewEventFor(StoreItemKind::Text);
    e.itemId = 1;
    m.events.push_back(e);
    GUICore::SetModified(true);
  }
};

TEST_F(BackupTest, NeverKeepsAStoreItemADialogStandsInFor) {
  MakeSmallProject();
  GUICore::State().store.at(1).name = "kept";
  StoreItem shown = GUICore::State().store.at(1);
  shown.name = "shown";
  auto holds = [&](const std::string& text) {
    const auto bytes = ReadBytes(backup());
    return std::string(bytes.begin(), bytes.end()).find(text) != std::string::npos;
  };
  {
    const GUICore::ScopedStoreItemSwap swap(shown);
    ASSERT_TRUE(GUICore::StoreItemSwapped());
    GUICore::WriteAutoBackup(backup(), false);
    EXPECT_FALSE(fs::exists(backup()));
  }
  EXPECT_FALSE(GUICore::StoreItemSwapped());
  GUICore::WriteAutoBackup(backup(), false);
  ASSERT_TRUE(fs::exists(backup()));
  EXPECT_TRUE(holds("kept"));
  EXPECT_FALSE(holds("shown"));
}

TEST_F(BackupTest, WrittenOnlyWhileModifiedAndNeverDuringABuild) {
  WriteFile(backup(), "old backup");
  GUICore::WriteAutoBackup(backup(), false);  // unmodified: the old one goes, none comes
  EXPECT_FALSE(fs::exists(backup()));

  MakeSmallProject();
  {
    GUICore::BuildLock build;
    ASSERT_TRUE(build.acquired());
    GUICore::WriteAutoBackup(backup(), false);
    EXPECT_FALSE(fs::exists(backup()));
  }

  const std::string caption = GUICore::Caption();
  GUICore::WriteAutoBackup(backup(), false);
  ASSERT_TRUE(fs::exists(backup()));
  EXPECT_EQ(GUICore::Caption(), caption);  // the " +" mark is gone again
  auto bytes = ReadBytes(backup());
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "TSMBUP");
  // The committed working list is in the body.
  EXPECT_EQ(GUICore::State().timelines[0].events.count(), 1);

  GUICore::WriteAutoBackup(backup(), true);
  EXPECT_FALSE(fs::exists(backup()));
}

TEST_F(BackupTest, RestoresANeverSavedProject) {
  MakeSmallProject();
  GUICore::WriteAutoBackup(backup(), false);
  GUICore::NewProject();
  ui.answers.push_back(ui::Answer::Yes);
  ASSERT_TRUE(GUICore::RestoreAutoBackup(backup()));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "Tesmiro");
  EXPECT_EQ(ui.messages[0].buttons, ui::Buttons::YesNo);
  EXPECT_EQ(ui.messages[0].icon, ui::Icon::Question);
  EXPECT_EQ(ui.messages[0].text.rfind("前回終了時に編集中だったプロジェクト\n [ (新規) ] (", 0), 0u) << ui.messages[0].text;
  EXPECT_EQ(GUICore::Caption(), "(新規) - Tesmiro *");
  EXPECT_TRUE(GUICore::State().projectPath.empty());
  ASSERT_EQ(GUICore::State().store.count(), 1);
  EXPECT_EQ(GUICore::State().store.at(1).name, "表示");
  EXPECT_EQ(GUICore::State().events.count(), 1);
  EXPECT_EQ(ui.statusLines.back(), "プロジェクトを復元しました：");
  EXPECT_TRUE(fs::exists(backup()));  // the next tick replaces it
}

TEST_F(BackupTest, RestoresASavedProjectUnderItsName) {
  MakeSmallProject();
  GUICore::State().projectPath = (dir / "作品.tsm").string();
  GUICore::WriteAutoBackup(backup(), false);
  GUICore::NewProject();
  ui.answers.push_back(ui::Answer::Yes);
  ASSERT_TRUE(GUICore::RestoreAutoBackup(backup()));
  EXPECT_NE(ui.messages[0].text.find(" [ 作品.tsm ] ("), std::string::npos);
  EXPECT_EQ(GUICore::Caption(), "[ 作品.tsm ] - Tesmiro *");
  EXPECT_EQ(GUICore::State().projectPath, (dir / "作品.tsm").string());
  EXPECT_EQ(ui.statusLines.back(), "プロジェクトを復元しました：作品.tsm");
}

TEST_F(BackupTest, DeclinedOrDamagedBackupsLeaveANewProject) {
  MakeSmallProject();
  GUICore::State().projectPath = (dir / "p.tsm").string();
  GUICore::WriteAutoBackup(backup(), false);
  auto good = ReadBytes(backup());

  ui.answers.push_back(ui::Answer::No);
  EXPECT_FALSE(GUICore::RestoreAutoBackup(backup()));
  EXPECT_EQ(ui.statusLines.back(), "プロジェクトの復元に失敗しました");
  EXPECT_EQ(GUICore::Caption(), "(新規) - Tesmiro");
  EXPECT_EQ(GUICore::State().store.count(), 0);

  for (size_t cut : {size_t{3}, size_t{20}, good.size() - 1}) {
    TsmBuilder b;
    b.bytes.assign(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
    b.save(backup());
    GUICore::State().projectPath = "/somewhere.tsm";
    ui.statusLines.clear();
    EXPECT_FALSE(GUICore::RestoreAutoBackup(backup())) << cut;
    EXPECT_EQ(ui.statusLines.back(), "プロジェクトの復元に失敗しました");
    EXPECT_TRUE(GUICore::State().projectPath.empty());  // a later save asks for a name
    EXPECT_EQ(GUICore::State().store.count(), 0);
  }
  TsmBuilder wrong;
  wrong.raw("TSM0A3").bytes.insert(wrong.bytes.end(), good.begin() + 6, good.end());
  wrong.save(backup());
  EXPECT_FALSE(GUICore::RestoreAutoBackup(backup()));

  fs::remove(backup());
  ui.statusLines.clear();
  EXPECT_FALSE(GUICore::RestoreAutoBackup(backup()));
  EXPECT_TRUE(ui.statusLines.empty());
}

}  // namespace
}  // namespace tesmiro
