#include "project/recent_files.h"

#include <gtest/gtest.h>

#include "project/ini_file.h"

namespace tesmiro {
namespace {

std::vector<std::string> List() {
  std::vector<std::string> out;
  for (int i = 1; i <= GUICore::kRecentFileCount; ++i) out.push_back(GUICore::RecentFile(i));
  return out;
}

TEST(RecentFiles, MovesToTopShiftsAndDrops) {
  GUICore::ResetRecentFiles();
  int changes = 0;
  GUICore::ScopedRecentFilesHook hook([&] { ++changes; });
  for (const char* p : {"e", "d", "c", "b", "a"}) GUICore::AddRecentFile(p);
  EXPECT_EQ(List(), (std::vector<std::string>{"a", "b", "c", "d", "e"}));
  GUICore::AddRecentFile("a");
  EXPECT_EQ(List(), (std::vector<std::string>{"a", "b", "c", "d", "e"}));
  GUICore::AddRecentFile("c");
  EXPECT_EQ(List(), (std::vector<std::string>{"c", "a", "b", "d", "e"}));
  GUICore::AddRecentFile("new");
  EXPECT_EQ(List(), (std::vector<std::string>{"new", "c", "a", "b", "d"}));
  GUICore::AddRecentFile("C");  // exact comparison: another entry
  EXPECT_EQ(List(), (std::vector<std::string>{"C", "new", "c", "a", "b"}));
  EXPECT_EQ(changes, 9);
  EXPECT_EQ(GUICore::RecentFile(0), "");
  EXPECT_EQ(GUICore::RecentFile(6), "");
}

TEST(RecentFiles, TravelThroughTheSettingsFile) {
  GUICore::ResetRecentFiles();
  GUICore::AddRecentFile("C:\\作品\\b.tsm");
  GUICore::AddRecentFile("/home/u/a.tsm");
  IniFile ini = IniFile::Parse("[Tesmiro]\nMouseWheelScroll=3\n");
  GUICore::SaveRecentFiles(ini);
  EXPECT_EQ(ini.get("Tesmiro", "MostRecentUsedFiles1"), "/home/u/a.tsm");
  EXPECT_EQ(ini.get("Tesmiro", "MostRecentUsedFiles2"), "C:\\作品\\b.tsm");
  EXPECT_EQ(ini.get("Tesmiro", "MostRecentUsedFiles5"), "");
  EXPECT_EQ(ini.get("Tesmiro", "MouseWheelScroll"), "3");
  GUICore::ResetRecentFiles();
  GUICore::LoadRecentFiles(IniFile::Parse(ini.encode()));
  EXPECT_EQ(List(), (std::vector<std::string>{"/home/u/a.tsm", "C:\\作品\\b.tsm", "", "", ""}));
}

}  // namespace
}  // namespace tesmiro
