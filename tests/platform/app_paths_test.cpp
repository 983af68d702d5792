// Where the program keeps its files: beside the program in portable mode,
// else in the XDG folders (or their usual places under the home folder).
#include "platform/app_paths.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <optional>
#include <string>

#include "support/temp_dir.h"

namespace tesmiro {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

// Sets (or with nullopt removes) environment variables for one test.
class ScopedEnv {
 public:
  ~ScopedEnv() {
    for (const auto& [name, value] : saved_) {
      if (value)
        ::setenv(name.c_str(), value->c_str(), 1);
      else
        ::unsetenv(name.c_str());
    }
  }
  void set(const std::string& name, std::optional<std::string> value) {
    if (!saved_.count(name)) {
      const char* old = std::getenv(name.c_str());
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value)
      ::setenv(name.c_str(), value->c_str(), 1);
    else
      ::unsetenv(name.c_str());
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

class AppPathsTest : public ::testing::Test {
 protected:
  // Paths for a program installed at <dir>/bin/tesmiro; the scratch folder
  // each call makes is removed with the test.
  AppPaths ForProgram() {
    AppPaths p = AppPaths::ForExecutable(dir / "bin" / "tesmiro");
    scratches_.push_back(p.scratch);
    return p;
  }
  void TearDown() override {
    for (const fs::path& s : scratches_) {
      std::error_code ec;
      if (s.filename().string().starts_with("tesmiro-")) fs::remove_all(s, ec);
    }
  }

  TempDir dir;
  ScopedEnv env;

 private:
  std::vector<fs::path> scratches_;
};

TEST_F(AppPathsTest, AWritableSettingsFileBesideTheProgramMeansPortable) {
  fs::create_directories(dir / "bin");
  EXPECT_NE(ForProgram().config, dir / "bin");
  std::ofstream(dir / "bin" / "tesmiro.ini") << "[x]\n";
  const AppPaths p = ForProgram();
  for (const fs::path* role : {&p.resources, &p.config, &p.userData, &p.state, &p.scratch})
    EXPECT_EQ(*role, dir / "bin");
  // A folder of that name is no settings file.
  fs::remove(dir / "bin" / "tesmiro.ini");
  fs::create_directory(dir / "bin" / "tesmiro.ini");
  EXPECT_NE(ForProgram().config, dir / "bin");
}

TEST_F(AppPathsTest, XdgFoldersWhenSetAndAbsolute) {
  env.set("HOME", (dir / "home").string());
  env.set("XDG_CONFIG_HOME", (dir / "cfg").string());
  env.set("XDG_DATA_HOME", (dir / "data").string());
  env.set("XDG_STATE_HOME", (dir / "state").string());
  AppPaths p = ForProgram();
  EXPECT_EQ(p.config, dir / "cfg" / "tesmiro");
  EXPECT_EQ(p.userData, dir / "data" / "tesmiro");
  EXPECT_EQ(p.state, dir / "state" / "tesmiro");
  EXPECT_EQ(p.resources, dir / "bin" / "resources");  // the build tree
  EXPECT_EQ(p.effectRoots(), (std::vector<fs::path>{dir / "data" / "tesmiro" / "effect",
                                                    dir / "bin" / "resources" / "effect"}));

  // Relative or empty values are ignored, as the XDG rules say.
  env.set("XDG_CONFIG_HOME", "relative/cfg");
  env.set("XDG_DATA_HOME", "");
  env.set("XDG_STATE_HOME", std::nullopt);
  fs::create_directories(dir / "share" / "tesmiro");  // installed under a prefix
  p = ForProgram();
  EXPECT_EQ(p.config, dir / "home" / ".config" / "tesmiro");
  EXPECT_EQ(p.userData, dir / "home" / ".local" / "share" / "tesmiro");
  EXPECT_EQ(p.state, dir / "home" / ".local" / "state" / "tesmiro");
  EXPECT_EQ(p.resources, dir / "share" / "tesmiro");
}

TEST_F(AppPathsTest, EachRunGetsItsOwnScratchFolderAndEnsureMakesTheRest) {
  env.set("HOME", (dir / "home").string());
  env.set("XDG_CONFIG_HOME", std::nullopt);
  env.set("XDG_DATA_HOME", std::nullopt);
  env.set("XDG_STATE_HOME", std::nullopt);
  const AppPaths a = ForProgram(), b = ForProgram();
  EXPECT_NE(a.scratch, b.scratch);
  EXPECT_TRUE(fs::is_directory(a.scratch));
  EXPECT_EQ(a.ensure(), std::vector<std::string>{});
  for (const fs::path* role : {&a.config, &a.userData, &a.state}) EXPECT_TRUE(fs::is_directory(*role)) << *role;
  // A folder that cannot be made is reported, in words, and the others are
  // still made.
  std::ofstream(dir / "home" / "file") << "";
  AppPaths bad = a;
  bad.config = dir / "home" / "file" / "tesmiro";
  bad.state = dir / "home" / "new-state";
  EXPECT_EQ(bad.ensure(), std::vector<std::string>{"設定用のフォルダ [" + bad.config.string() +
                                                   "] を作成できません：フォルダではありません\n"
                                                   "既定の設定で続けます。設定は保存されません。"});
  EXPECT_TRUE(fs::is_directory(bad.state));
}

TEST_F(AppPathsTest, AMissingTemporaryFolderFallsBackToTmpAndNoneAtAllIsReported) {
  env.set("HOME", std::nullopt);
  env.set("TMPDIR", (dir / "missing").string());
  AppPaths p;
  ASSERT_NO_THROW(p = ForProgram());
  EXPECT_EQ(p.scratch.parent_path(), fs::path("/tmp"));
  EXPECT_TRUE(fs::is_directory(p.scratch));
  // Where none could be made, previews have nowhere to go, and say so.
  p.scratch = AppPaths::kNoScratch;
  EXPECT_EQ(p.ensure(), std::vector<std::string>{"一時ファイル用のフォルダを作成できません（TMPDIR と /tmp）。\n"
                                                 "プレビューは表示できません。"});
}

// A run of the program, in a child process: it makes its scratch folder
// as the program does, says which, and runs until it is killed.
struct OtherRun {
  pid_t pid = -1;
  fs::path scratch;

  explicit OtherRun(const fs::path& exe) {
    int said[2];
    if (::pipe(said) != 0) return;
    pid = ::fork();
    if (pid == 0) {
      const AppPaths paths = AppPaths::ForExecutable(exe);
      const std::string folder = paths.scratch.string();
      if (::write(said[1], folder.data(), folder.size()) == static_cast<ssize_t>(folder.size())) {
        ::close(said[1]);
        ::pause();
      }
      ::_exit(1);
    }
    ::close(said[1]);
    char buf[256];
    for (ssize_t n; (n = ::read(said[0], buf, sizeof buf)) > 0;) scratch += std::string(buf, static_cast<size_t>(n));
    ::close(said[0]);
  }
  void kill() {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
  }
};

TEST_F(AppPathsTest, AStartRemovesTheScratchFoldersOfEndedRunsAndNothingElse) {
  env.set("TMPDIR", (dir / "tmp").string());
  fs::create_directory(dir / "tmp");
  // This machine as the test has it: its boot, its machine id and the kind
  // of the temporary folder's file system, first a shared one (NFS).
  const std::string boot = "0b0e1d00-1111-4222-8333-444455556666", machine = "0123456789abcdef0123456789abcdef";
  std::ofstream(dir / "boot_id") << boot << "\n";
  std::ofstream(dir / "machine-id") << machine << "\n";
  uint32_t kind = 0x6969;
  const ScopedMachineFacts facts({dir / "boot_id", dir / "machine-id", [&kind](int) { return kind; }});
  const fs::path exe = dir / "bin" / "tesmiro";
  OtherRun killed(exe), running(exe);
  ASSERT_EQ(killed.scratch.parent_path(), dir / "tmp");
  ASSERT_EQ(running.scratch.parent_path(), dir / "tmp");
  std::ofstream(killed.scratch / "_preview.swf") << "movie";
  killed.kill();
  const AppPaths mine = ForProgram();

  // A lock file holds the pid, the host name, the boot id and the machine id.
  char hostName[256] = {};
  EXPECT_EQ(::gethostname(hostName, sizeof hostName - 1), 0);
  const std::string host = hostName;
  const std::string system = host + "\n" + boot + "\n" + machine + "\n";
  std::ifstream lock(mine.scratch / ".running");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(lock), {}), std::to_string(::getpid()) + "\n" + system);

  // Left as a killed run leaves its folder: a lock file with content that
  // nobody holds, here or (as far as this machine can tell) anywhere.
  auto left = [&](const std::string& name, const std::optional<std::string>& owner = std::nullopt) {
    fs::create_directory(dir / "tmp" / name);
    std::ofstream(dir / "tmp" / name / ".running") << owner.value_or("1\n" + system);
    return dir / "tmp" / name;
  };
  const std::string earlierBoot = "00000000-0000-0000-0000-000000000000";
  const std::vector<fs::path> gone = {left("tesmiro-Ab1234"),
                                      left("tesmiro-reboot", "1\n" + host + "\n" + earlierBoot + "\n" + machine + "\n"),
                                      left("tesmiro-3lines", "1\n" + host + "\n" + boot + "\n")};
  std::vector<fs::path> kept = {left("tesmiro-long123"), left("other-Ab1234"), dir / "tmp" / "tesmiro-nolock",
                                dir / "tmp" / "tesmiro-empty1", dir / "tmp" / "tesmiro-linked"};
  // Another machine's, on a shared folder whose locks it keeps to itself:
  // its host name, or the same name and another machine id.
  kept.push_back(left("tesmiro-host01", "1\nanother-host\n" + boot + "\n" + machine + "\n"));
  kept.push_back(left("tesmiro-mach01", "1\n" + host + "\n" + earlierBoot + "\nfedcba9876543210fedcba9876543210\n"));
  kept.push_back(left("tesmiro-longer", "1\n" + system + "more\n"));
  fs::create_directory(kept[2]);  // no lock: an older program's, or made by hand
  fs::create_directory(kept[3]);
  std::ofstream(kept[3] / ".running");  // a run still starting
  fs::create_directory_symlink(left("target"), kept[4]);
  kept.push_back(dir / "tmp" / "target");
  kept.push_back(left("tesmiro-lnkout"));
  fs::remove(kept.back() / ".running");
  fs::create_symlink(kept[0] / ".running", kept.back() / ".running");
  if (::geteuid() == 0) {  // another user's, where one can be made
    kept.push_back(left("tesmiro-theirs"));
    ASSERT_EQ(::chown(kept.back().c_str(), 4242, 4242), 0);
    ASSERT_EQ(::chown((kept.back() / ".running").c_str(), 4242, 4242), 0);
  }
  // Locks that name no machine id, of an earlier boot of this host name or
  // of an earlier version (a pid alone): on a shared folder another
  // machine's for all this one can tell, on a disk of its own its own.
  const std::vector<fs::path> unnamed = {left("tesmiro-boot01", "1\n" + host + "\n" + earlierBoot + "\n"),
                                         left("tesmiro-pid001", "1\n")};

  AppPaths::RemoveLeftScratch();
  EXPECT_FALSE(fs::exists(killed.scratch));
  for (const fs::path& folder : gone) EXPECT_FALSE(fs::exists(folder)) << folder;
  EXPECT_TRUE(fs::exists(running.scratch / ".running"));
  EXPECT_TRUE(fs::exists(mine.scratch / ".running"));
  for (const fs::path& folder : kept) EXPECT_TRUE(fs::exists(folder)) << folder;
  for (const fs::path& folder : unnamed) EXPECT_TRUE(fs::exists(folder)) << folder;
  EXPECT_TRUE(fs::is_symlink(kept[4]));

  kind = 0xEF53;  // ext4
  AppPaths::RemoveLeftScratch();
  for (const fs::path& folder : unnamed) EXPECT_FALSE(fs::exists(folder)) << folder;
  for (const fs::path& folder : kept) EXPECT_TRUE(fs::exists(folder)) << folder;
  EXPECT_TRUE(fs::exists(running.scratch / ".running"));

  running.kill();
  AppPaths::RemoveLeftScratch();
  EXPECT_FALSE(fs::exists(running.scratch));
  EXPECT_TRUE(fs::exists(mine.scratch / ".running"));
}

}  // namespace
}  // namespace tesmiro
