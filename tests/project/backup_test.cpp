#include "project/backup.h"

#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>

#include "model_fixture.h"
#include "project/build_lock.h"
#include "project/project_file.h"
#include "project/store_item_swap.h"
#include "project/timelines.h"
#include "support/user_text.h"
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

  // The backup another program left at `name` for the project `project`.
  void LeaveBackup(const std::string& name, const std::string& project) {
    MakeSmallProject();
    GUICore::State().projectPath = (dir / project).string();
    GUICore::WriteAutoBackup(dir / name, false);
    GUICore::NewProject();
  }
};

// Whether the lock file is there and free, as a program that ended leaves it.
bool Free(const fs::path& lockFile) {
  const int fd = ::open(lockFile.c_str(), O_RDONLY);
  const bool free = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  ::close(fd);
  return free;
}

// A tick of the backup timer, as a modal box's event loop lets it come.
void Tick() { GUICore::WriteAutoBackup(GUICore::AutoBackupPath(), false); }

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

  // Declining is no failure: nothing but the question, nothing on the status line.
  ui.answers.push_back(ui::Answer::No);
  EXPECT_FALSE(GUICore::RestoreAutoBackup(backup()));
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_TRUE(ui.statusLines.empty());
  EXPECT_EQ(GUICore::Caption(), "(新規) - Tesmiro");
  EXPECT_EQ(GUICore::State().store.count(), 0);

  // Cut in the head (no question), and in the body (after Yes).
  for (size_t cut : {size_t{3}, size_t{20}, good.size() - 1}) {
    TsmBuilder b;
    b.bytes.assign(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
    b.save(backup());
    GUICore::State().projectPath = "/somewhere.tsm";
    ui.messages.clear();
    ui.statusLines.clear();
    EXPECT_FALSE(GUICore::RestoreAutoBackup(backup())) << cut;
    ASSERT_FALSE(ui.messages.empty()) << cut;
    const testing::RecordedMessage& told = ui.messages.back();
    EXPECT_EQ(told.title, "エラー");
    EXPECT_EQ(told.icon, ui::Icon::Critical);
    EXPECT_EQ(told.text, "自動バックアップを読み込めません。\nファイル [" + backup().string() + "] は壊れています。");
    EXPECT_JAPANESE(told.text, {backup().string()});
    EXPECT_EQ(ui.statusLines, std::vector<std::string>{"プロジェクトの復元に失敗しました"}) << cut;
    EXPECT_TRUE(GUICore::State().projectPath.empty());  // a later save asks for a name
    EXPECT_EQ(GUICore::State().store.count(), 0);
  }
  TsmBuilder wrong;
  wrong.raw("TSM0A3").bytes.insert(wrong.bytes.end(), good.begin() + 6, good.end());
  wrong.save(backup());
  EXPECT_FALSE(GUICore::RestoreAutoBackup(backup()));
  EXPECT_EQ(ui.statusLines.back(), "プロジェクトの復元に失敗しました");

  fs::remove(backup());
  ui.messages.clear();
  ui.statusLines.clear();
  EXPECT_FALSE(GUICore::RestoreAutoBackup(backup()));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(ui.statusLines.empty());
}

// A modal box runs the backup timer: while the question or the message of a
// damaged backup is up, the backup stays; once answered, the next tick
// removes the declined or damaged one as before.
TEST_F(BackupTest, TicksWhileTheStartAsksOrTellsLeaveTheBackup) {
  MakeSmallProject();
  GUICore::WriteAutoBackup(backup(), false);
  GUICore::NewProject();
  const auto good = ReadBytes(backup());
  ui.whileShown = Tick;
  for (const bool damaged : {false, true}) {
    TsmBuilder b;
    b.bytes.assign(good.begin(), good.begin() + (damaged ? 20 : static_cast<std::ptrdiff_t>(good.size())));
    b.save(backup());
    ui.messages.clear();
    ui.answers = {ui::Answer::No};
    EXPECT_FALSE(GUICore::RestoreAutoBackup(backup()));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, damaged ? "エラー" : "Tesmiro");
    EXPECT_TRUE(fs::exists(backup())) << damaged;
    GUICore::WriteAutoBackup(GUICore::AutoBackupPath(), false);
    EXPECT_FALSE(fs::exists(backup())) << damaged;
  }
}

// The backups of ended programs are asked about one by one, this program's
// own name first, until one is restored; the running program's is skipped.
// The restored and declined ones go once this program's own is written; the
// one not asked about stays, free for the next start.
TEST_F(BackupTest, TheStartOffersTheBackupsOfEndedProgramsUntilOneIsRestored) {
  LeaveBackup("_autobackup.tmp", "a.tsm");
  LeaveBackup("_autobackup-3.tmp", "c.tsm");
  LeaveBackup("_autobackup-4.tmp", "d.tsm");
  const int running = ::open((dir / "_autobackup-2.lock").c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_EQ(::flock(running, LOCK_EX | LOCK_NB), 0);  // another running program's
  LeaveBackup("_autobackup-2.tmp", "b.tsm");

  ui.answers = {ui::Answer::No, ui::Answer::Yes};
  EXPECT_TRUE(GUICore::RestoreAutoBackups());
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_NE(ui.messages[0].text.find(" [ a.tsm ] ("), std::string::npos) << ui.messages[0].text;
  EXPECT_NE(ui.messages[1].text.find(" [ c.tsm ] ("), std::string::npos) << ui.messages[1].text;
  EXPECT_EQ(ui.statusLines, std::vector<std::string>{"プロジェクトを復元しました：c.tsm"});
  EXPECT_EQ(GUICore::Caption(), "[ c.tsm ] - Tesmiro *");

  ASSERT_EQ(backup(), dir / "_autobackup.tmp");
  GUICore::WriteAutoBackup(backup(), false);
  const auto bytes = ReadBytes(backup());
  EXPECT_NE(std::string(bytes.begin(), bytes.end()).find((dir / "c.tsm").string()), std::string::npos);
  EXPECT_FALSE(fs::exists(dir / "_autobackup-3.tmp"));
  EXPECT_TRUE(Free(dir / "_autobackup-3.lock"));
  EXPECT_TRUE(fs::exists(dir / "_autobackup-2.tmp"));
  EXPECT_TRUE(fs::exists(dir / "_autobackup-4.tmp"));
  EXPECT_TRUE(Free(dir / "_autobackup-4.lock"));
  ::close(running);
}

// The lock step as a network file system's client carries it out: a write
// lock, refused on a file open only for reading (EBADF), or refused on any
// where no lock service answers (ENOLCK).
int lockFailure = 0;
int NetworkLock(int fd, int operation) {
  if (lockFailure == EBADF && (::fcntl(fd, F_GETFL) & O_ACCMODE) != O_RDONLY) return ::flock(fd, operation);
  errno = lockFailure;
  return -1;
}

// On such a file system, whether or not the locks work, no backup a crash
// left goes unasked: a start with a project named keeps it through its
// ticks, and a start that offers asks about every backup and keeps each
// until answered. Where no lock works that is said once, and the ticks
// make no lock file per number.
TEST_F(BackupTest, OnANetworkFileSystemNoBackupGoesUnasked) {
  for (const int error : {EBADF, ENOLCK}) {
    lockFailure = error;
    const bool locks = error == EBADF;
    const GUICore::ScopedLockCall network(NetworkLock);
    for (const bool offering : {false, true}) {
      const std::string folder = std::to_string(error) + (offering ? "offering" : "given");
      const fs::path state = dir / folder;
      fs::create_directories(state);
      GUICore::State().paths.state = state;
      LeaveBackup(folder + "/_autobackup.tmp", "a.tsm");
      LeaveBackup(folder + "/_autobackup-3.tmp", "c.tsm");
      ui.messages.clear();
      ui.statusLines.clear();
      if (offering) {
        ui.whileShown = Tick;
        ui.answers = {ui::Answer::No, ui::Answer::No};
        EXPECT_FALSE(GUICore::RestoreAutoBackups());
        ASSERT_EQ(ui.messages.size(), 2u) << error;  // both
        ui.whileShown = nullptr;
      }
      EXPECT_TRUE(fs::exists(state / "_autobackup.tmp")) << folder;
      EXPECT_TRUE(fs::exists(state / "_autobackup-3.tmp")) << folder;
      for (int ticks = 0; ticks < 3; ++ticks) Tick();
      // Those answered go with the own backup; the others stay.
      EXPECT_EQ(fs::exists(state / "_autobackup.tmp"), !offering) << folder;
      EXPECT_EQ(fs::exists(state / "_autobackup-3.tmp"), !offering) << folder;
      MakeSmallProject();
      Tick();
      EXPECT_EQ(backup(), state / (offering && locks ? "_autobackup.tmp" : "_autobackup-2.tmp")) << folder;
      EXPECT_TRUE(fs::exists(backup()));

      const std::string note = "フォルダ [" + state.string() +
                               "] ではファイルをロックできないため、複数のウィンドウの自動バックアップを区別できません";
      EXPECT_EQ(ui.statusLines, locks ? std::vector<std::string>{} : std::vector<std::string>{note}) << folder;
      EXPECT_JAPANESE(note, {state.string()});
      fs::directory_iterator listing(state);
      EXPECT_LE(std::count_if(begin(listing), end(listing),
                              [](const fs::directory_entry& e) { return e.path().extension() == ".lock"; }),
                2);
      GUICore::NewProject();
    }
  }
}

TEST_F(BackupTest, AFailedWriteIsToldOnceAndSoIsTheFirstOneThatWorksAgain) {
  const fs::path state = dir / "state";
  fs::create_directories(state);
  GUICore::State().paths.state = state;
  MakeSmallProject();
  const std::string caption = GUICore::Caption();
  const fs::path path = GUICore::AutoBackupPath();
  fs::remove_all(state);
  for (int tick = 0; tick < 3; ++tick) GUICore::WriteAutoBackup(GUICore::AutoBackupPath(), false);
  ASSERT_EQ(ui.statusLines.size(), 1u);
  EXPECT_EQ(ui.statusLines[0],
            "自動バックアップを保存できません。ファイル [" + path.string() + "] を書き込めません：フォルダがありません");
  EXPECT_JAPANESE(ui.statusLines[0], {path.string()});
  EXPECT_EQ(GUICore::Caption(), caption);

  fs::create_directories(state);
  for (int tick = 0; tick < 2; ++tick) GUICore::WriteAutoBackup(GUICore::AutoBackupPath(), false);
  EXPECT_EQ(ui.statusLines, (std::vector<std::string>{ui.statusLines[0], "自動バックアップを保存しました"}));
  EXPECT_EQ(GUICore::AutoBackupPath(), path);
  EXPECT_TRUE(fs::exists(path));
}

}  // namespace
}  // namespace tesmiro
