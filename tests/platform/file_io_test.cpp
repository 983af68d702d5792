#include "platform/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/temp_dir.h"

namespace tesmiro {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using Bytes = std::vector<uint8_t>;

mode_t Mode(const fs::path& p) {
  struct stat st {};
  ::stat(p.c_str(), &st);
  return st.st_mode & 07777;
}

TEST(FileIo, ReplacingThroughALinkKeepsTheLinkAndTheFilesMode) {
  TempDir dir;
  fs::create_directory(dir / "real");
  ASSERT_TRUE(fileio::WriteAtomic(dir / "real" / "p.tsm", Bytes{1}, nullptr));
  ::chmod((dir / "real" / "p.tsm").c_str(), 0640);
  fs::create_symlink("real/p.tsm", dir / "link.tsm");  // relative to the link's folder
  fs::create_symlink(dir / "link.tsm", dir / "chain.tsm");
  ASSERT_TRUE(fileio::WriteAtomic(dir / "chain.tsm", Bytes{2, 2}, nullptr));
  EXPECT_TRUE(fs::is_symlink(dir / "chain.tsm"));
  EXPECT_TRUE(fs::is_symlink(dir / "link.tsm"));
  EXPECT_EQ(*fileio::ReadAll(dir / "real" / "p.tsm"), (Bytes{2, 2}));
  EXPECT_EQ(Mode(dir / "real" / "p.tsm"), 0640u);
  // A link to a file not yet there makes that file.
  fs::create_symlink("new.tsm", dir / "dangling.tsm");
  ASSERT_TRUE(fileio::WriteAtomic(dir / "dangling.tsm", Bytes{3}, nullptr));
  EXPECT_EQ(*fileio::ReadAll(dir / "new.tsm"), Bytes{3});
}

}  // namespace
}  // namespace tesmiro
