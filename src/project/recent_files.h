#pragma once
// The five most recently opened project files, kept in the settings file
// under [Tesmiro] MostRecentUsedFiles1 to MostRecentUsedFiles5.
#include <array>
#include <functional>
#include <string>

namespace tesmiro {
class IniFile;
}

namespace tesmiro::GUICore {

inline constexpr int kRecentFileCount = 5;

struct RecentFilesState {
  std::array<std::string, kRecentFileCount> entries;  // entries[0] is entry 1, the most recent
  // Called after every change so that the window rebuilds its menu.
  std::function<void()> changed;
};

RecentFilesState& RecentFiles();
void ResetRecentFiles();

// Entry i (1 to 5); "" outside.
std::string RecentFile(int i);

// Puts the path at the top: an entry already holding it (exact comparison)
// moves up, the others shift down, and a new path drops the fifth.
void AddRecentFile(const std::string& path);

void LoadRecentFiles(const IniFile& ini);
void SaveRecentFiles(IniFile& ini);

}  // namespace tesmiro::GUICore
