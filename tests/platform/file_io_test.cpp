#include "platform/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>

#include "support/temp_dir.h"
#include "support/user_text.h"

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
  // A loop of links leads to no file: the write fails and the links stay.
  fs::create_symlink("loop-b.tsm", dir / "loop-a.tsm");
  fs::create_symlink("loop-a.tsm", dir / "loop-b.tsm");
  EXPECT_FALSE(fileio::WriteAtomic(dir / "loop-a.tsm", Bytes{4}));
  EXPECT_TRUE(fs::is_symlink(dir / "loop-a.tsm"));
  EXPECT_TRUE(fs::is_symlink(dir / "loop-b.tsm"));
}

// The reasons the system words only in English get Japanese ones; any
// other is told by its number.
TEST(FileIo, EveryWriteFailureIsToldInJapanese) {
  TempDir dir;
  fs::create_symlink("loop-b.tsm", dir / "loop-a.tsm");
  fs::create_symlink("loop-a.tsm", dir / "loop-b.tsm");
  fs::create_directory(dir / "folder.tsm");
  const std::string longName(300, 'n');
  for (const auto& [path, reason] : std::vector<std::pair<fs::path, std::string>>{
           {dir / "loop-a.tsm", "シンボリックリンクが循環しています"},
           {dir / (longName + ".tsm"), "ファイル名かパスが長すぎます"},
           {dir / "folder.tsm", "ファイルではなくフォルダです"}}) {
    const Result<void> written = fileio::WriteAtomic(path, Bytes{1});
    ASSERT_FALSE(written) << path;
    EXPECT_EQ(written.message(), "ファイル [" + path.string() + "] を書き込めません：" + reason);
    EXPECT_JAPANESE(written.message(), {path.string()});
  }
  EXPECT_EQ(fileio::ReasonText(EIO), "入出力エラーが発生しました");
  EXPECT_EQ(fileio::ReasonText(EMFILE), "開いているファイルが多すぎます");
  EXPECT_EQ(fileio::ReasonText(ENFILE), fileio::ReasonText(EMFILE));
  EXPECT_EQ(fileio::ReasonText(EPROTO), "エラーが発生しました（エラー番号 " + std::to_string(EPROTO) + "）");
  for (int errnum = 1; errnum < 134; ++errnum) EXPECT_JAPANESE(fileio::ReasonText(errnum));
}

Bytes AsVector(const fileio::FileBytes& bytes) { return Bytes(bytes.begin(), bytes.end()); }
Bytes AsVector(const Bytes& bytes) { return bytes; }

// ReadAll and ReadAllBytes answer alike; only where the bytes live differs.
template <class Read>
void ExpectWhyThereAreNoBytes(Read read) {
  TempDir dir;
  const fs::path file = dir / "three.bin";
  ASSERT_TRUE(fileio::WriteAtomic(file, Bytes{1, 2, 3}));
  EXPECT_EQ(AsVector(*read(file, 3)), (Bytes{1, 2, 3}));
  const auto large = read(file, 2);
  ASSERT_FALSE(large);
  EXPECT_EQ(large.message(), "ファイル [" + file.string() + "] が大きすぎます");
  for (const fs::path& none : {dir / "missing.bin", dir.path()}) {
    const auto missing = read(none, 100);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.message(), "ファイル [" + none.string() + "] がありません");
  }
  // A file that may be there, behind a loop of links, is not called missing.
  fs::create_symlink("loop", dir / "loop");
  const auto looped = read(dir / "loop" / "x.bin", 100);
  ASSERT_FALSE(looped);
  EXPECT_EQ(looped.message(), "ファイル [" + (dir / "loop" / "x.bin").string() +
                                  "] を読み込めません：シンボリックリンクが循環しています");
  ASSERT_TRUE(fileio::WriteAtomic(dir / "empty.bin", Bytes{}));
  const auto empty = read(dir / "empty.bin", 100);
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty->empty());
  EXPECT_EQ(empty.message(), "");
}

TEST(FileIo, ReadAllSaysWhyThereAreNoBytes) {
  ExpectWhyThereAreNoBytes([](const fs::path& p, uint64_t max) { return fileio::ReadAll(p, max); });
  ExpectWhyThereAreNoBytes([](const fs::path& p, uint64_t max) { return fileio::ReadAllBytes(p, max); });
}

// A file of several huge pages, ending just short of the last, comes back
// whole, and stays whole when its bytes are handed on.
TEST(FileIo, ReadAllBytesReadsALargeFileWhole) {
  TempDir dir;
  Bytes content((size_t{6} << 20) - 100);
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<uint8_t>(i * 7 + i / 4096);
  ASSERT_TRUE(fileio::WriteAtomic(dir / "large.bin", content));
  auto read = fileio::ReadAllBytes(dir / "large.bin");
  ASSERT_TRUE(read);
  EXPECT_TRUE(AsVector(*read) == content);
  fileio::FileBytes kept = std::move(*read);
  EXPECT_TRUE(read->empty());
  EXPECT_TRUE(AsVector(kept) == content);
  kept = fileio::FileBytes(3);
  EXPECT_EQ(kept.size(), 3u);
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
