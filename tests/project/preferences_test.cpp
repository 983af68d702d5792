#include "project/preferences.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "project/ini_file.h"
#include "project/project_state.h"
#include "project/recent_files.h"
#include "support/recording_ui.h"
#include "support/temp_dir.h"
#include "support/user_text.h"

namespace tesmiro {
namespace {

namespace fs = std::filesystem;

class PreferencesTest : public ::testing::Test {
 protected:
  void SetUp() override { GUICore::ResetProjectState(); }
  void TearDown() override { SetUp(); }
  static Preferences Loaded(const std::string& text, Preferences p = {}) {
    Prefs::Load(IniFile::Parse(text), p);
    return p;
  }
};

TEST_F(PreferencesTest, MissingKeysKeepTheCurrentWindowsAndTakeFixedDefaults) {
  Preferences current;
  current.left = 150;
  current.width = 9000;
  current.epLeft = 1234;
  current.infoPanelSplit = 180;
  current.posEventDialog = 0;  // fixed default 1 wins over the current value
  current.mouseWheelScroll = 7;
  current.windowTopward = 0;
  const Preferences p = Loaded("", current);
  EXPECT_EQ(p.left, 150);
  EXPECT_EQ(p.width, 9000);
  EXPECT_EQ(p.epLeft, 1234);
  EXPECT_EQ(p.infoPanelSplit, 180);
  EXPECT_EQ(p.posEventDialog, 1);
  EXPECT_EQ(p.mouseWheelScroll, 1);
  EXPECT_EQ(p.windowTopward, 63);
  EXPECT_EQ(p.filelistHistoryMax, 50);
  EXPECT_EQ(p.previewStreamSound, 1);
  EXPECT_EQ(p.sortFileList, 1);
  EXPECT_EQ(p.eventListIcon, 1);
  EXPECT_FLOAT_EQ(p.autoBackUpInterval, 1.0f);
}

TEST_F(PreferencesTest, ValuesReadLikeTheRuntimeReadsNumbers) {
  const Preferences p = Loaded(
      "[Tesmiro]\nMouseWheelScroll=40\nFilelistHistoryMax=12px\nWindowTopward=abc\n"
      "AutoBackUpInterval=0.5\nDispScriptEditor=-1\nSAPlayerFileName= /usr/bin/player \n");
  EXPECT_EQ(p.mouseWheelScroll, 16);
  EXPECT_EQ(p.filelistHistoryMax, 12);
  EXPECT_EQ(p.windowTopward, 0);
  EXPECT_FLOAT_EQ(p.autoBackUpInterval, 0.5f);
  EXPECT_EQ(p.dispScriptEditor, -1);
  EXPECT_EQ(p.saPlayerFileName, "/usr/bin/player");
  EXPECT_EQ(Loaded("[Tesmiro]\nMouseWheelScroll=0\n").mouseWheelScroll, 1);
  // A value is seen through a buffer of 254 characters.
  EXPECT_EQ(Loaded("[Tesmiro]\nSAPlayerFileName=" + std::string(300, 'x') + "\n").saPlayerFileName.size(), 254u);
}

TEST_F(PreferencesTest, AMaximisedWindowIgnoresTheStoredRectangle) {
  Preferences current;
  current.left = 1;
  const Preferences p = Loaded("[Tesmiro]\nWindowState=2\nLeft=3000\nTop=4000\n", current);
  EXPECT_EQ(p.windowState, 2);
  EXPECT_EQ(p.left, 1);
  EXPECT_EQ(Loaded("[Tesmiro]\nWindowState=0\nLeft=3000\n").left, 3000);
}

TEST_F(PreferencesTest, ColourSetsRecentFilesAndIconStrip) {
  Loaded(
      "[Tesmiro]\nMostRecentUsedFiles1=/p/a.tsm\nMostRecentUsedFiles3=/p/c.tsm\n"
      "[EventList]\nColorSet05=\nColorSet07=000000FF0000FFFF1\nColorSet09=0000FF\n"
      "IconFilePath=/nowhere/icons.bmp\nEventListIcon=0\n");
  const auto& colors = EventListModule::EventColors();
  const auto defaults = EventListModule::DefaultDisplayColors();
  EXPECT_EQ(colors[5].textColor, defaults[5].textColor);
  EXPECT_EQ(colors[7].textColor, 0x000000FFu);
  EXPECT_EQ(colors[7].backColor, 0x0000FFFFu);
  EXPECT_EQ(colors[7].bold, 1);
  // A short value gives zero for what it lacks.
  EXPECT_EQ(colors[9].textColor, 0xFFu);
  EXPECT_EQ(colors[9].backColor, 0u);
  EXPECT_EQ(GUICore::RecentFile(1), "/p/a.tsm");
  EXPECT_EQ(GUICore::RecentFile(2), "");
  EXPECT_EQ(GUICore::RecentFile(3), "/p/c.tsm");
  Preferences p;
  Prefs::Load(IniFile::Parse("[EventList]\nIconFilePath=/nowhere/icons.bmp\nEventListIcon=0\n"), p);
  EXPECT_EQ(p.iconFilePath, "/nowhere/icons.bmp");
  EXPECT_EQ(p.eventListIcon, 0);
}

// The keys of a new file stand in the order the program writes them.
TEST_F(PreferencesTest, ANewFileListsEveryKeyInWriteOrder) {
  testing::TempDir dir;
  const auto path = dir / "tesmiro.ini";
  Preferences p;
  p.mouseWheelScroll = 3;
  p.autoBackUpInterval = 2.5f;
  p.dispScriptEditor = 1;
  GUICore::AddRecentFile("/p/a.tsm");
  const Result<void> saved = Prefs::SaveFile(path, p);
  ASSERT_TRUE(saved) << saved.message();
  std::ifstream in(path);
  std::vector<std::string> keys;
  std::string line, text;
  while (std::getline(in, line)) {
    text += line + "\n";
    if (line.empty() || line[0] == '[') {
      keys.push_back(line);
      continue;
    }
    keys.push_back(line.substr(0, line.find('=')));
  }
  std::vector<std::string> want = {
      "[Tesmiro]", "WindowState", "Left", "Top", "Width", "Height", "Splitter1", "Splitter2", "Splitter3",
      "PictEventPreview", "DoubleClickProperty", "DispEventProperty", "PosEventDialog", "WindowTopward",
      "UseVerticalFont", "DispScriptEditor", "DockScriptEditor", "PreviewFilePath", "AutoBackUpInterval",
      "AlwaysEventSync", "FilelistHistoryMax", "FilelistMultiSelect", "MouseWheelScroll", "DispSpriteTab",
      "EPLeft", "EPTop", "EPWidth", "EPHeight", "PWLeft", "PWTop", "FWLeft", "FWTop", "PosFilelistWindow",
      "SELeft", "SETop", "SEWidth", "SEHeight", "TWLeft", "TWTop", "TWWidth", "TWHeight", "SortFileList",
      "PreviewUseIE", "PreviewSAPlayer", "SaveHTML", "SAPlayerFileName", "PreviewStreamSound",
      "PreviewAttachSprite", "PreviewSelectedPlayer", "MostRecentUsedFiles1", "MostRecentUsedFiles2",
      "MostRecentUsedFiles3", "MostRecentUsedFiles4", "MostRecentUsedFiles5"};
  // Sections may be separated by a blank line.
  std::vector<std::string> got;
  for (const auto& k : keys)
    if (!k.empty()) got.push_back(k);
  want.push_back("[EventList]");
  for (int i = 0; i < 25; ++i) want.push_back((i < 10 ? "ColorSet0" : "ColorSet") + std::to_string(i));
  want.push_back("IconFilePath");
  want.push_back("EventListIcon");
  EXPECT_EQ(got, want);
  EXPECT_NE(text.find("DispScriptEditor=-1\n"), std::string::npos);
  EXPECT_NE(text.find("AutoBackUpInterval=2.5\n"), std::string::npos);
  EXPECT_NE(text.find("ColorSet00=80000008" "00DFDFFF" "1\n"), std::string::npos);
  EXPECT_NE(text.find("ColorSet01=80000008800000050\n"), std::string::npos);

  // And it reads back to the same values.
  Preferences back;
  Prefs::LoadFile(path, back);
  EXPECT_EQ(back.mouseWheelScroll, 3);
  EXPECT_FLOAT_EQ(back.autoBackUpInterval, 2.5f);
  EXPECT_EQ(back.dispScriptEditor, -1);
}

TEST_F(PreferencesTest, AnUnwritableOrOversizedFileIsReportedToTheUserAndTheOldOneStays) {
  testing::TempDir dir;
  testing::RecordingUi ui;
  const fs::path missing = dir / "no-such-folder" / "tesmiro.ini";
  const Result<void> saved = Prefs::SaveFile(missing, Preferences{});
  EXPECT_FALSE(saved);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "設定を保存できませんでした。\nファイル [" + missing.string() +
                                     "] を書き込めません：フォルダがありません");
  EXPECT_EQ(saved.message(), ui.messages[0].text);
  // A file too large to be settings is not read, so not replaced either.
  const fs::path large = dir / "tesmiro.ini";
  std::ofstream(large) << "[Tesmiro]\n";
  fs::resize_file(large, (16u << 20) + 1);
  EXPECT_FALSE(Prefs::SaveFile(large, Preferences{}));
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_NE(ui.messages[1].text.find("が大きすぎます"), std::string::npos) << ui.messages[1].text;
}

// Told at the start, with the reason and that nothing will be saved; the
// exit then keeps that promise without a second message.
TEST_F(PreferencesTest, AFileThatCannotBeReadIsToldAtTheStartAndLeftAlone) {
  testing::TempDir dir;
  testing::RecordingUi ui;
  const fs::path path = dir / "tesmiro.ini";
  std::ofstream(path) << "[Tesmiro]\n";
  fs::resize_file(path, (16u << 20) + 1);
  Preferences p;
  Prefs::LoadFile(path, p);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "警告");
  EXPECT_EQ(ui.messages[0].text, "設定ファイルを読み込めません。\nファイル [" + path.string() +
                                     "] が大きすぎます\n既定の設定で続けます。設定は保存されません。");
  EXPECT_JAPANESE(ui.messages[0].text, {path.string()});

  EXPECT_FALSE(Prefs::SaveFile(path, p));
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(fs::file_size(path), (16u << 20) + 1);
}

// A CP932 file with a stray byte cannot move to UTF-8, so a path with a
// character CP932 lacks cannot go into it: the rest is saved, the user hears
// which settings were not, and the save does not call itself done.
TEST_F(PreferencesTest, AValueTheFilesEncodingCannotHoldIsReportedAndTheRestIsSaved) {
  testing::TempDir dir;
  testing::RecordingUi ui;
  const fs::path path = dir / "tesmiro.ini";
  std::ofstream(path, std::ios::binary) << "[Tesmiro]\r\nOdd=\xA0\x81\r\nMouseWheelScroll=1\r\n";
  Preferences p;
  p.mouseWheelScroll = 5;
  p.saPlayerFileName = "/home/a/☃/player";
  GUICore::AddRecentFile("/home/a/☃.tsm");
  const Result<void> saved = Prefs::SaveFile(path, p);
  EXPECT_FALSE(saved);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text,
            "次の設定は設定ファイルの文字コードで表せないため、保存できませんでした。\n"
            "SAPlayerFileName\nMostRecentUsedFiles1");
  EXPECT_EQ(saved.message(), ui.messages[0].text);
  Preferences back;
  Prefs::LoadFile(path, back);
  EXPECT_EQ(back.mouseWheelScroll, 5) << "the other settings were written";
  EXPECT_EQ(back.saPlayerFileName, "");
}

TEST_F(PreferencesTest, BackupIntervalIsClampedToWhatATimerCanDo) {
  EXPECT_EQ(Prefs::BackupIntervalMs(1), 60000);
  EXPECT_EQ(Prefs::BackupIntervalMs(0.5), 30000);
  EXPECT_EQ(Prefs::BackupIntervalMs(0), 0);
  EXPECT_EQ(Prefs::BackupIntervalMs(-3), 0);
  EXPECT_EQ(Prefs::BackupIntervalMs(std::nan("")), 0);
  EXPECT_EQ(Prefs::BackupIntervalMs(1e12), Prefs::kMaxBackupIntervalMs);
  EXPECT_EQ(Prefs::BackupIntervalMs(24 * 60), Prefs::kMaxBackupIntervalMs);
  // Far below a millisecond is still on.
  EXPECT_EQ(Prefs::BackupIntervalMs(1e-9), 1);
}

}  // namespace
}  // namespace tesmiro
