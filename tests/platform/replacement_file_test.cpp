// What writes leave and follow: a killed writer's temporary does not
// outlive the next write of the same file, nobody else's is touched, and a
// link planted in a shared folder is not written through, wherever it
// stands in the path.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <tuple>

#include "platform/file_io.h"
#include "support/temp_dir.h"

namespace tesmiro {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
constexpr uid_t kOtherUser = 4242;

std::set<std::string> Names(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

// A child process starts replacing `path`, writes a megabyte, says so and
// is killed there, as a crash in the middle of a save leaves it.
void KillWriterMidway(const fs::path& path) {
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    fileio::ReplacementFile file(path);
    if (file.write(Bytes(1 << 20, 5)) && ::write(ready[1], "w", 1) == 1) ::pause();
    ::_exit(1);
  }
  ASSERT_GT(child, 0);
  char wrote = 0;
  EXPECT_EQ(::read(ready[0], &wrote, 1), 1);
  ::kill(child, SIGKILL);
  EXPECT_EQ(::waitpid(child, nullptr, 0), child);
  ::close(ready[0]);
  ::close(ready[1]);
}

TEST(ReplacementFileTest, AKilledWritersTemporaryGoesWithItOrWithTheNextWriteOfTheFile) {
  testing::TempDir dir;
  const fs::path path = dir / "p.tsm";
  ASSERT_TRUE(fileio::WriteAtomic(path, Bytes{1}));
  KillWriterMidway(path);
  if (const int unnamed = ::open(dir.path().c_str(), O_TMPFILE | O_RDWR, 0600); unnamed >= 0) {
    ::close(unnamed);
    EXPECT_EQ(Names(dir.path()), std::set<std::string>{"p.tsm"});
  }
  fileio::ScopedNamedTemporaries named;
  KillWriterMidway(path);
  KillWriterMidway(path);  // the second removes what the first left
  EXPECT_EQ(Names(dir.path()).size(), 2u);
  // Only the user's own temporaries of this file that no writer holds go.
  std::set<std::string> kept = {"p.tsm", ".p.tsm.1x.tmp", ".q.tsm.1.tmp", "p.tsm.1.tmp", "_autobackup.tmp"};
  for (const std::string& name : kept) std::ofstream(dir / name) << "keep";
  if (::geteuid() == 0) {  // another user's, where one can be made
    std::ofstream(dir / ".p.tsm.2.tmp") << "theirs";
    ASSERT_EQ(::chown((dir / ".p.tsm.2.tmp").c_str(), kOtherUser, kOtherUser), 0);
    kept.insert(".p.tsm.2.tmp");
  }
  fileio::ReplacementFile running(path);
  ASSERT_TRUE(running.write(Bytes{9})) << running.error();
  ASSERT_TRUE(fileio::WriteAtomic(path, Bytes{2}));
  ASSERT_TRUE(running.commit()) << running.error();
  EXPECT_EQ(Names(dir.path()), kept);
  EXPECT_EQ(*fileio::ReadAll(path), Bytes{9});
}

// In a sticky folder anyone may write to, only the user's links and the
// folder owner's are followed: `check` runs for each case of owners and
// modes of `shared` and its `link`, told whether the link is followed.
template <class Check>
void ForEachOwnership(const fs::path& shared, const fs::path& link, Check check) {
  for (const auto& [folderOwner, linkOwner, mode, follow] :
       {std::tuple{0u, kOtherUser, 01777, false}, std::tuple{kOtherUser, kOtherUser, 01777, true},
        std::tuple{kOtherUser, 0u, 01777, true}, std::tuple{0u, kOtherUser, 0777, true}}) {
    ASSERT_EQ(::chown(shared.c_str(), folderOwner, folderOwner), 0);
    ASSERT_EQ(::chmod(shared.c_str(), static_cast<mode_t>(mode)), 0);
    ASSERT_EQ(::lchown(link.c_str(), linkOwner, linkOwner), 0);
    check(follow);
  }
}

std::string Refused(const fs::path& path) {
  return fileio::WriteFailureText(path, "共有フォルダにある他のユーザーのシンボリックリンクです");
}

TEST(ReplacementFileTest, ALinkPlantedInASharedFolderIsNotWrittenThrough) {
  if (::geteuid() != 0) GTEST_SKIP() << "a link owned by another user can only be made by root";
  testing::TempDir dir;
  const fs::path shared = dir / "shared", victim = dir / "victim.tsm", link = shared / "out.swf";
  fs::create_directory(shared);
  fs::create_symlink(victim, link);
  uint8_t n = 0;
  ForEachOwnership(shared, link, [&](bool follow) {
    const Result<void> written = fileio::WriteAtomic(link, Bytes{++n});
    EXPECT_EQ(written.ok(), follow) << +n;
    EXPECT_EQ(written.message(), follow ? "" : Refused(link));
    EXPECT_EQ(fileio::ReadAll(victim).value_or(Bytes{}) == Bytes{n}, follow) << +n;
    EXPECT_EQ(Names(shared), std::set<std::string>{"out.swf"});
  });
}

TEST(ReplacementFileTest, AFolderLinkPlantedInASharedFolderIsNotWrittenThroughAnywhereInThePath) {
  if (::geteuid() != 0) GTEST_SKIP() << "a link owned by another user can only be made by root";
  testing::TempDir dir;
  const fs::path shared = dir / "shared", victim = dir / "victim", link = shared / "sub";
  fs::create_directory(shared);
  fs::create_directory(victim);
  ASSERT_TRUE(fileio::WriteAtomic(victim / "out.swf", Bytes{0}));
  fs::create_symlink(victim, link);
  // A link of the user's own, in a folder nobody else writes to, that leads
  // through the shared one.
  fs::create_symlink("shared/sub", dir / "mine");
  uint8_t n = 0;
  ForEachOwnership(shared, link, [&](bool follow) {
    for (const fs::path& path :
         {link / "out.swf", dir / "mine" / "." / "out.swf", shared / "sub" / ".." / "victim" / "out.swf"}) {
      const Bytes before = *fileio::ReadAll(victim / "out.swf");
      const Result<void> written = fileio::WriteAtomic(path, Bytes{++n});
      EXPECT_EQ(written.ok(), follow) << path << " " << +n;
      EXPECT_EQ(written.message(), follow ? "" : Refused(path));
      EXPECT_EQ(*fileio::ReadAll(victim / "out.swf"), follow ? Bytes{n} : before) << path;
      EXPECT_EQ(Names(victim), std::set<std::string>{"out.swf"});
      EXPECT_EQ(Names(shared), std::set<std::string>{"sub"});
    }
  });
}

}  // namespace
}  // namespace tesmiro
