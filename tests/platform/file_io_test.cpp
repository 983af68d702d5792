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
  ASSERT_TRUE(fileio::WriteAtomic(dir / "real" / "p.tsm", Bytes{1}));
  ::chmod((dir / "real" / "p.tsm").c_str(), 0640);
  fs::create_symlink("real/p.tsm", dir / "link.tsm");  // relative to the link's folder
  fs::create_symlink(dir / "link.tsm", dir / "chain.tsm");
  ASSERT_TRUE(fileio::WriteAtomic(dir / "chain.tsm", Bytes{2, 2}));
  EXPECT_TRUE(fs::is_symlink(dir / "chain.tsm"));
  EXPECT_TRUE(fs::is_symlink(dir / "link.tsm"));
  EXPECT_EQ(*fileio::ReadAll(dir / "real" / "p.tsm"), (Bytes{2, 2}));
  EXPECT_EQ(Mode(dir / "real" / "p.tsm"), 0640u);
  // A link to a file not yet there makes that file.
  fs::create_symlink("new.tsm", dir / "dangling.tsm");
  ASSERT_TRUE(fileio::WriteAtomic(dir / "dangling.tsm", Bytes{3}));
  EXPECT_EQ(*fileio::ReadAll(dir / "new.tsm"), Bytes{3});
}

TEST(FileIo, ReadAllSaysWhyThereAreNoBytes) {
  TempDir dir;
  const fs::path file = dir / "three.bin";
  ASSERT_TRUE(fileio::WriteAtomic(file, Bytes{1, 2, 3}));
  EXPECT_EQ(*fileio::ReadAll(file, 3), (Bytes{1, 2, 3}));
  const auto large = fileio::ReadAll(file, 2);
  ASSERT_FALSE(large);
  EXPECT_EQ(large.message(), "ファイル [" + file.string() + "] が大きすぎます");
  for (const fs::path& none : {dir / "missing.bin", dir.path()}) {
    const auto read = fileio::ReadAll(none);
    ASSERT_FALSE(read);
    EXPECT_EQ(read.message(), "ファイル [" + none.string() + "] がありません");
  }
  ASSERT_TRUE(fileio::WriteAtomic(dir / "empty.bin", Bytes{}));
  const auto empty = fileio::ReadAll(dir / "empty.bin");
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty->empty());
  EXPECT_EQ(empty.message(), "");
}

// A string value and a message are told apart by how they were made.
TEST(Result, AStringValueIsNoFailure) {
  Result<std::string> value = std::string("text");
  ASSERT_TRUE(value);
  EXPECT_EQ(*value, "text");
  EXPECT_EQ(value.message(), "");
  Result<std::string> failure = Failure{"why"};
  EXPECT_FALSE(failure);
  EXPECT_EQ(failure.message(), "why");
  EXPECT_THROW((void)failure.value(), std::bad_variant_access);
  const std::string taken = *std::move(value);
  EXPECT_EQ(taken, "text");
}

}  // namespace
}  // namespace tesmiro
