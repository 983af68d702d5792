#include "project/display_settings.h"

#include "media/image/get_image.h"
#include "platform/ui.h"
#include "project/preferences.h"
#include "project/sorting.h"

namespace tesmiro::GUICore {

const std::array<std::string, kEventColorCount>& EventCategoryNames() {
  static const std::array<std::string, kEventColorCount> names{
      "アクション：ラベル設定",
      "アクション: ラベルへジャンプ",
      "アクション: URLを取得",
      "アクション: 再生",
      "アクション: 停止",
      "アクション: 次のフレームへ",
      "アクション: 前のフレームへ",
      "アクション: フレームへジャンプ",
      "アクション: サウンド停止",
      "アクション: 画像を消去",
      "アクション: 音楽同期を開始",
      "アクション: 音楽同期を中止",
      "アクション: 何もしない",
      "アクション： ＜スクリプト＞",
      "アクション： ＜ロールバック＞",
      "種別: ラスタ画像",
      "種別: サウンド",
      "種別: テキスト",
      "種別: スプライト",
      "種別: ベクタ画像",
      "種別: ビデオ",
      "種別：????",
      "スプライト (スクリプト有)",
      "ボタン",
      "マスク",
  };
  return names;
}

CategoryRow CategoryRowAt(int32_t category, bool showIcons) {
  CategoryRow row;
  row.top = kCategoryRowHeight * category;
  row.textX = kCategoryTextX;
  row.textY = row.top + 1;
  if (showIcons && category >= kColorRasterImage && category <= kColorVideo) {
    // Rows 15 to 20 are the material kinds 1 to 6, the strip's cells 1 to 6.
    row.iconCell = category - kColorRasterImage + 1;
    row.iconX = kCategoryIconX;
    row.iconY = row.top - 1;
  }
  return row;
}

int32_t CategoryAt(int32_t y) {
  if (y < 0) return -1;
  const int32_t category = y / kCategoryRowHeight;
  return category < kEventColorCount ? category : -1;
}

bool StepCategory(int32_t keyCode, int32_t& selected) {
  if (keyCode == 38 && selected > 0) {
    --selected;
    return true;
  }
  if (keyCode == 40 && selected < kEventColorCount - 1) {
    ++selected;
    return true;
  }
  return false;
}

IconStripCheck CheckIconStrip(const std::string& path) {
  const GetImage::ImageInfo info = GetImage::GetImageInfo(path, GetImage::kByContent);
  const bool bitmapOrJpeg = info.kind == GetImage::kBMP || info.kind == GetImage::kJPEG;
  return bitmapOrJpeg && info.width == kIconStripWidth && info.height == kIconStripHeight ? IconStripCheck::Usable
                                                                                          : IconStripCheck::WrongImage;
}

DisplaySettingsEditor::DisplaySettingsEditor()
    : colors_(EventListModule::EventColors()),
      iconPath_(Prefs::Current().iconFilePath),
      showIcons_(Prefs::Current().eventListIcon) {}

void DisplaySettingsEditor::select(int32_t category) {
  if (category >= 0 && category < kEventColorCount) selected_ = category;
}

void DisplaySettingsEditor::setColor(int32_t which, uint32_t colour) {
  EventColorSet& set = colors_[static_cast<size_t>(selected_)];
  (which == 0 ? set.textColor : set.backColor) = colour & 0xFFFFFFu;
}

uint32_t DisplaySettingsEditor::shownColor(int32_t which) const {
  const EventColorSet& set = selectedSet();
  return EventListModule::TranslateColor(which == 0 ? set.textColor : set.backColor);
}

void DisplaySettingsEditor::setBold(int32_t bold) { colors_[static_cast<size_t>(selected_)].bold = bold == 1 ? 1 : 0; }

void DisplaySettingsEditor::resetSelected() {
  colors_[static_cast<size_t>(selected_)] = EventColorSet{kSysWindowText, kSysWindowBackground, 0};
}

bool DisplaySettingsEditor::resetAll() {
  if (ui::Current().messages->message("Tesmiro", kResetAllQuestion, ui::Icon::None, ui::Buttons::OkCancel) ==
      ui::Answer::Cancel)
    return false;
  colors_ = EventListModule::DefaultDisplayColors();
  iconPath_.clear();
  return true;
}

bool DisplaySettingsEditor::loadIconStrip(const std::string& path) {
  if (path.empty()) return false;
  if (CheckIconStrip(path) != IconStripCheck::Usable) {
    ui::Current().messages->message("Tesmiro", kIconSizeMessage, ui::Icon::Exclamation);
    return false;
  }
  iconPath_ = path;
  return true;
}

void DisplaySettingsEditor::commit() const {
  EventListModule::EventColors() = colors_;
  Prefs::Current().iconFilePath = iconPath_;
  Prefs::Current().eventListIcon = showIcons_;
  ApplyListColors();
}

}  // namespace tesmiro::GUICore
