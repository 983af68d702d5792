// What an atomic replacement leaves when it cannot finish: the old file as it
// was, no temporary file beside it, and a message that names the file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/file_io.h"
#include "support/file_size_limit.h"
#include "support/temp_dir.h"

namespace tesmiro {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using testing::TempDir;

size_t Entries(const fs::path& folder) {
  return static_cast<size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(AtomicWriteTest, AFolderThatCannotHoldFilesIsAFailureThatNamesTheFileAndWhyInJapanese) {
  TempDir dir;
  ASSERT_TRUE(fileio::WriteAtomic(dir / "plain", Bytes{1}));
  // Not even root can create files under a regular file or in a missing
  // folder (/proc takes no new files either).
  for (const auto& [path, reason] : std::vector<std::pair<fs::path, std::string>>{
           {dir / "plain" / "m.swf", "フォルダではありません"},
           {dir / "missing" / "m.swf", "フォルダがありません"},
           {"/proc/tesmiro-test.swf", "フォルダがありません"}}) {
    const Result<void> written = fileio::WriteAtomic(path, Bytes{1, 2});
    EXPECT_FALSE(written) << path;
    EXPECT_EQ(written.message(), "ファイル [" + path.string() + "] を書き込めません：" + reason);
    EXPECT_FALSE(fs::exists(path));
  }
  EXPECT_EQ(*fileio::ReadAll(dir / "plain"), Bytes{1});
  EXPECT_EQ(Entries(dir.path()), 1u);
}

TEST(AtomicWriteTest, AFullDiskKeepsTheOldFile) {
  TempDir dir;
  const fs::path path = dir / "project.tsm";
  ASSERT_TRUE(fileio::WriteAtomic(path, Bytes{1, 2, 3}));
  Result<void> written;
  {
    testing::ScopedFileSizeLimit diskFull(4096);
    written = fileio::WriteAtomic(path, Bytes(100000, 7));
    EXPECT_FALSE(written);
  }
  EXPECT_EQ(written.message(), "ファイル [" + path.string() + "] を書き込めません：ファイルが大きすぎます");
  EXPECT_EQ(*fileio::ReadAll(path), (Bytes{1, 2, 3}));
  EXPECT_EQ(Entries(dir.path()), 1u);
  // With room again the same write goes through.
  EXPECT_TRUE(fileio::WriteAtomic(path, Bytes(100000, 7)));
  EXPECT_EQ(fileio::ReadAll(path)->size(), 100000u);
}

TEST(AtomicWriteTest, AFailedRenameLeavesWhatWasThere) {
  TempDir dir;
  // A folder under the chosen name cannot be replaced by a file.
  const fs::path path = dir / "movie.swf";
  fs::create_directory(path);
  std::ofstream(path / "keep") << "k";
  const Result<void> written = fileio::WriteAtomic(path, Bytes(10, 1));
  EXPECT_FALSE(written);
  EXPECT_NE(written.message().find(path.string()), std::string::npos) << written.message();
  EXPECT_TRUE(fs::is_directory(path));
  EXPECT_EQ(*fileio::ReadAll(path / "keep"), Bytes{'k'});
  EXPECT_EQ(Entries(dir.path()), 1u);
}

}  // namespace
}  // namespace tesmiro
