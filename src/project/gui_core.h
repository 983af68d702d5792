#pragma once
// Project-wide operations of GUICore: a new project, the SWF version, the
// modified state with its caption suffix, and the information panel.
#include <cstdint>
#include <string>

#include "project/model.h"

namespace tesmiro::GUICore {

inline constexpr const char* kNewProjectCaption = "(新規) - Tesmiro";
inline constexpr const char* kDefaultSettingsFile = "_default.tsm";

// Resets the model to an empty project without unsaved changes: windows that
// hold parts of the old one closed, store, timelines, clipboard, tabs and
// both histories emptied, settings from the built-in defaults replaced by
// "_default.tsm" in the config folder when it can be read. The project path
// is left alone.
void NewProject();

// 4, 6, 7 or 8 from the third option letter.
int16_t GetSWFVersion();

// Stores the flag (0 / -1) and keeps the caption's " *" in step with it.
void SetModified(int16_t flag);
inline void SetModified(bool flag) { SetModified(static_cast<int16_t>(flag ? -1 : 0)); }
// Whether the project has unsaved changes, as the caption tells.
bool HasUnsavedChanges();

// The main window's caption: kept in the model, pushed to the window when it
// changes.
const std::string& Caption();
void SetCaption(const std::string& caption);

// Whether a regular file exists at the path.
bool FileExists(const std::string& path);

// Remembers the item shown in the information panel (0 = none) and has the
// panel redrawn.
void ShowItemInfo(int32_t itemId);
void RefreshItemInfo();

}  // namespace tesmiro::GUICore
