#include "project/file_dialogs.h"

#include <gtest/gtest.h>

#include "support/recording_ui.h"

namespace tesmiro {
namespace {

using namespace DialogModule;
using namespace std::string_literals;

class FakeDialogs final : public FileDialogService {
 public:
  std::optional<std::vector<std::string>> openFile(const std::string& title, const std::vector<FilterEntry>& f,
                                                   const std::string& dir, const std::string& name,
                                                   bool multi) override {
    filters = f;
    initialDir = dir;
    suggested = name;
    multiSelect = multi;
    if (answer.empty()) return std::nullopt;
    return answer;
  }
  std::optional<std::string> saveFile(const std::string& title, const std::vector<FilterEntry>& f,
                                      const std::string& dir, const std::string& name) override {
    filters = f;
    suggested = name;
    if (answer.empty()) return std::nullopt;
    return answer[0];
  }
  std::vector<std::string> answer;
  std::vector<FilterEntry> filters;
  std::string initialDir, suggested;
  bool multiSelect = false;
};

class FileDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallFileDialogs(&fake); }
  void TearDown() override { InstallFileDialogs(nullptr); }
  FakeDialogs fake;
  testing::RecordingUi ui;
};

TEST_F(FileDialogsTest, SaveAppendsTheDefaultExtensionAndClosesWindows) {
  FileDialogRecord r;
  r.filter = "Tesmiro ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙ (*.tsm)\0*.tsm\0"s;
  r.defaultExt = "tsm";
  r.file = "/home/u/作品" + std::string(250, '\0');
  r.flags = kAllowMultiSelect;
  fake.answer = {"/home/u/作品"};
  EXPECT_EQ(SaveFileDialog(r), "/home/u/作品.tsm");
  EXPECT_EQ(r.file, "/home/u/作品.tsm");
  EXPECT_EQ(r.flags, kExplorer | kOverwritePrompt);
  EXPECT_EQ(fake.suggested, "/home/u/作品");
  ASSERT_EQ(fake.filters.size(), 1u);
  EXPECT_EQ(fake.filters[0].description, "Tesmiro ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙ (*.tsm)");
  EXPECT_EQ(ui.calls, (std::vector<std::string>{"unloadEventDialog", "unloadScriptEditor"}));

  fake.answer = {"/x/movie.swf"};
  EXPECT_EQ(SaveFileDialog(r), "/x/movie.swf");
  EXPECT_EQ(r.file, "/x/movie.swf");

  fake.answer.clear();
  r.file = std::string(257, '\0');
  EXPECT_EQ(SaveFileDialog(r), std::nullopt);
  EXPECT_EQ(r.file, "");
}

TEST_F(FileDialogsTest, OpenKeepsMultiSelectionAsAFolderAndNames) {
  FileDialogRecord r;
  r.filter = "画像ファイル (*.jpg;*.bmp)\0*.jpg;*.jpeg;*.bmp\0すべて\0*.*\0"s;
  r.file = std::string(1024, '\0');
  r.flags = kAllowMultiSelect;
  r.initialDir = "/home/u";
  fake.answer = {"/home/u/a.jpg", "/home/u/表.bmp"};
  EXPECT_EQ(OpenFileDialog(r), "/home/u\0a.jpg\0表.bmp"s);
  EXPECT_TRUE(fake.multiSelect);
  EXPECT_EQ(fake.initialDir, "/home/u");
  EXPECT_EQ(r.flags, kAllowMultiSelect | kExplorer | kHideReadOnly);
  EXPECT_EQ(r.file, "/home/u\0a.jpg\0表.bmp"s);
  EXPECT_EQ(SelectedFiles(r.file), (std::vector<std::string>{"/home/u/a.jpg", "/home/u/表.bmp"}));
  ASSERT_EQ(fake.filters.size(), 2u);
  EXPECT_EQ(fake.filters[0].patterns, (std::vector<std::string>{"*.jpg", "*.jpeg", "*.bmp"}));
  EXPECT_EQ(fake.filters[1].patterns, (std::vector<std::string>{"*.*"}));
  EXPECT_EQ(ui.calls, (std::vector<std::string>{"unloadEventDialog", "unloadScriptEditor", "unloadPreviewWindow"}));

  fake.answer = {"/only/one.tsm"};
  r.flags = 0;
  EXPECT_EQ(OpenFileDialog(r), "/only/one.tsm");
  EXPECT_FALSE(fake.multiSelect);
  EXPECT_EQ(r.file, "/only/one.tsm");
  EXPECT_EQ(SelectedFiles(r.file), (std::vector<std::string>{"/only/one.tsm"}));

  fake.answer.clear();
  EXPECT_EQ(OpenFileDialog(r), std::nullopt);
  EXPECT_TRUE(SelectedFiles("").empty());
  EXPECT_EQ(SelectedFiles("/\0root.tsm\0\0"s), (std::vector<std::string>{"/root.tsm"}));
}

}  // namespace
}  // namespace tesmiro
