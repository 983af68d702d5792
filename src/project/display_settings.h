#pragma once
// The event-list display settings: a working copy of the 25 colour sets,
// the icon switch and the icon strip's file, edited apart from the live
// table and written back only on OK. Also the geometry of the dialog's
// preview list (one 16-pixel row per category) and its hit test.
#include <array>
#include <cstdint>
#include <string>

#include "project/event_colors.h"

namespace tesmiro::GUICore {

inline constexpr const char* kDisplaySettingsCaption = "イベントリスト表示設定";
inline constexpr const char* kResetAllQuestion = "全ての表示設定を初期状態に戻します";
inline constexpr const char* kIconSizeMessage = "アイコンファイルは 128x16ドットの画像ファイルである必要があります";
inline constexpr const char* kIconFileFilter = "画像ファイル (*.jpg;*.bmp)";
inline constexpr const char* kIconFilePattern = "*.jpg;*.jpeg;*.bmp";

// The category names of the preview list, by EventColorCategory.
const std::array<std::string, kEventColorCount>& EventCategoryNames();

// ---- the preview list ------------------------------------------------------

inline constexpr int32_t kCategoryRowHeight = 16;
inline constexpr int32_t kCategoryTextX = 20;
inline constexpr int32_t kCategoryIconX = 2;
inline constexpr int32_t kIconStripWidth = 128;
inline constexpr int32_t kIconStripHeight = 16;

struct CategoryRow {
  int32_t top = 0;     // the row fills top to top + 15
  int32_t textX = 0, textY = 0;
  int32_t iconCell = 0;  // the strip's cell 1 to 8; 0: no icon
  int32_t iconX = 0, iconY = 0;
};

// Row i of the preview; material kinds (rows 15 to 20) carry the icon of
// their kind when icons are shown.
CategoryRow CategoryRowAt(int32_t category, bool showIcons);
// The category under a point of the preview, or -1 below the last row (or
// above the first): such a click selects nothing.
int32_t CategoryAt(int32_t y);
// Up (38) and Down (40) move the selection within the rows; other keys and
// steps beyond the ends keep it. True when it moved.
bool StepCategory(int32_t keyCode, int32_t& selected);

// ---- the icon strip ----------------------------------------------------------

enum class IconStripCheck { Usable, WrongImage };
// A BMP or JPEG picture of exactly 128 x 16, told by its content.
IconStripCheck CheckIconStrip(const std::string& path);

// ---- the working copy --------------------------------------------------------

class DisplaySettingsEditor {
 public:
  // From the live table and the preferences.
  DisplaySettingsEditor();

  const EventListModule::EventColorTable& colors() const { return colors_; }
  const EventColorSet& selectedSet() const { return colors_[static_cast<size_t>(selected_)]; }
  int32_t selected() const { return selected_; }
  void select(int32_t category);
  const std::string& iconPath() const { return iconPath_; }
  int32_t showIcons() const { return showIcons_; }
  void setShowIcons(int32_t value) { showIcons_ = value; }

  // Text (0) or back (1) colour of the selected set, 0x00BBGGRR.
  void setColor(int32_t which, uint32_t colour);
  // The colour the picker starts from: the swatch as painted.
  uint32_t shownColor(int32_t which) const;
  void setBold(int32_t bold);
  // "リセット": the selected set to plain window colours.
  void resetSelected();
  // "初期設定に戻す", after the user agreed: the defaults and the built-in
  // icons (the live table is not touched). False when the user cancelled.
  bool resetAll();
  // "ｱｲｺﾝ初期化" and a loaded strip.
  void useBuiltInIcons() { iconPath_.clear(); }
  // A strip file the user chose: refused with the message when it is not
  // a 128 x 16 BMP or JPEG. True when taken.
  bool loadIconStrip(const std::string& path);

  // OK: the live table, the icon path and switch take the copy; both lists
  // are rebuilt. They reach the settings file at the next normal exit.
  void commit() const;

 private:
  EventListModule::EventColorTable colors_;
  int32_t selected_ = 0;
  std::string iconPath_;
  int32_t showIcons_ = 1;
};

}  // namespace tesmiro::GUICore
