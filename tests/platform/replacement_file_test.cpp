// Which links a write follows: a link planted in a shared folder is not
// written through.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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

TEST(ReplacementFileTest, ALinkPlantedInASharedFolderIsNotWrittenThrough) {
  if (::geteuid() != 0) GTEST_SKIP() << "a link owned by another user can only be made by root";
  testing::TempDir dir;
  const fs::path shared = dir / "shared", victim = dir / "victim.tsm", link = shared / "out.swf";
  fs::create_directory(shared);
  fs::create_symlink(victim, link);
  // In a sticky folder anyone may write to, only the user's links and the
  // folder owner's are followed.
  uint8_t n = 0;
  for (const auto& [folderOwner, linkOwner, mode, follow] :
       {std::tuple{0u, kOtherUser, 01777, false}, std::tuple{kOtherUser, kOtherUser, 01777, true},
        std::tuple{kOtherUser, 0u, 01777, true}, std::tuple{0u, kOtherUser, 0777, true}}) {
    ASSERT_EQ(::chown(shared.c_str(), folderOwner, folderOwner), 0);
    ASSERT_EQ(::chmod(shared.c_str(), static_cast<mode_t>(mode)), 0);
    ASSERT_EQ(::lchown(link.c_str(), linkOwner, linkOwner), 0);
    std::string error;
    EXPECT_EQ(fileio::WriteAtomic(link, Bytes{++n}, &error), follow) << +n;
    EXPECT_EQ(error, follow ? "" : fileio::WriteFailureText(link, "共有フォルダにある他のユーザーのシンボリックリンクです"));
    EXPECT_EQ(fileio::ReadAll(victim).value_or(Bytes{}) == Bytes{n}, follow) << +n;
    EXPECT_EQ(Names(shared), std::set<std::string>{"out.swf"});
  }
}

}  // namespace
}  // namespace tesmiro
