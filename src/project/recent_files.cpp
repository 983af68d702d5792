#include "project/recent_files.h"

#include "project/ini_file.h"

namespace tesmiro::GUICore {
namespace {

constexpr const char* kSection = "Tesmiro";
constexpr const char* kKeyPrefix = "MostRecentUsedFiles";

RecentFilesState g_state;

}  // namespace

RecentFilesState& RecentFiles() { return g_state; }
void ResetRecentFiles() { g_state = RecentFilesState{}; }

std::string RecentFile(int i) {
  return i >= 1 && i <= kRecentFileCount ? g_state.entries[static_cast<size_t>(i - 1)] : std::string();
}

void AddRecentFile(const std::string& path) {
  auto& e = g_state.entries;
  int p = kRecentFileCount;
  for (int i = kRecentFileCount; i >= 1; --i)
    if (e[static_cast<size_t>(i - 1)] == path) p = i;
  for (int i = p - 1; i >= 1; --i) e[static_cast<size_t>(i)] = e[static_cast<size_t>(i - 1)];
  e[0] = path;
  if (g_state.changed) g_state.changed();
}

void LoadRecentFiles(const IniFile& ini) {
  for (int i = 1; i <= kRecentFileCount; ++i)
    g_state.entries[static_cast<size_t>(i - 1)] = ini.get(kSection, kKeyPrefix + std::to_string(i)).value_or("");
  if (g_state.changed) g_state.changed();
}

void SaveRecentFiles(IniFile& ini) {
  for (int i = 1; i <= kRecentFileCount; ++i)
    ini.set(kSection, kKeyPrefix + std::to_string(i), g_state.entries[static_cast<size_t>(i - 1)]);
}

}  // namespace tesmiro::GUICore
