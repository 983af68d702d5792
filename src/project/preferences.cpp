#include "project/preferences.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <optional>

#include "platform/numeric.h"
#include "platform/ui.h"
#include "project/ini_file.h"
#include "project/recent_files.h"

namespace tesmiro::Prefs {
namespace {

constexpr const char* kMain = "Tesmiro";
constexpr const char* kEventList = "EventList";
// A value was read through a buffer of this many characters.
constexpr size_t kMaxValueChars = 254;

Preferences gPrefs;
// The settings file that was there at the start but could not be read: the
// user was told then that the settings would not be saved into it.
std::filesystem::path gUnreadFile;

class Reader {
 public:
  explicit Reader(const IniFile& ini) : ini_(ini) {}
  std::optional<std::string> text(const char* section, const std::string& key) const {
    auto v = ini_.get(section, key);
    if (v && v->size() > kMaxValueChars) v->resize(kMaxValueChars);
    return v;
  }
  void get(const char* key, int32_t& v) const {
    if (auto t = text(kMain, key)) v = num::RoundToInt32(num::Val(*t));
  }
  void get(const char* key, int16_t& v) const {
    if (auto t = text(kMain, key)) v = num::RoundToInt16(num::Val(*t));
  }
  void get(const char* key, float& v) const {
    // A number beyond a single's range would not convert; it is kept at the
    // largest one (the window code then fits it to the screen).
    constexpr double kMax = std::numeric_limits<float>::max();
    if (auto t = text(kMain, key)) v = static_cast<float>(std::clamp(num::Val(*t), -kMax, kMax));
  }
  void get(const char* key, std::string& v) const {
    if (auto t = text(kMain, key)) v = *t;
  }

 private:
  const IniFile& ini_;
};

// Remembers each key the file could not take, so that the save can say so.
class Writer {
 public:
  explicit Writer(IniFile& ini) : ini_(ini) {}
  void put(const char* key, int32_t v) { put(kMain, key, std::to_string(v)); }
  void put(const char* key, int16_t v) { put(kMain, key, std::to_string(v)); }
  void put(const char* key, float v) { put(kMain, key, num::CStr(v)); }
  void put(const char* key, const std::string& v) { put(kMain, key, v); }
  void put(const char* section, const std::string& key, const std::string& v) {
    if (!ini_.set(section, key, v)) refused_.push_back(key);
  }
  // Keys refused by a writer of its own (the recent projects).
  void addRefused(const std::vector<std::string>& more) { refused_.insert(refused_.end(), more.begin(), more.end()); }
  std::vector<std::string> takeRefused() { return std::move(refused_); }

 private:
  IniFile& ini_;
  std::vector<std::string> refused_;
};

std::string ColorSetKey(int i) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "ColorSet%02d", i);
  return buf;
}

}  // namespace

Preferences& Current() { return gPrefs; }
void ResetState() {
  gPrefs = Preferences{};
  gUnreadFile.clear();
}

void Load(const IniFile& ini, Preferences& p) {
  const Reader r(ini);
  r.get("WindowState", p.windowState);
  if (p.windowState == 0) {
    r.get("Left", p.left);
    r.get("Top", p.top);
    r.get("Width", p.width);
    r.get("Height", p.height);
  }
  r.get("Splitter1", p.columnSplit);
  r.get("Splitter2", p.infoPanelSplit);
  r.get("Splitter3", p.scriptPanelSplit);
  r.get("EPLeft", p.epLeft);
  r.get("EPTop", p.epTop);
  r.get("EPWidth", p.epWidth);
  r.get("EPHeight", p.epHeight);
  r.get("PWLeft", p.pwLeft);
  r.get("PWTop", p.pwTop);
  r.get("FWLeft", p.fwLeft);
  r.get("FWTop", p.fwTop);

  // Keys with a fixed default take it when missing.
  auto fixed = [&](const char* key, auto& v, auto def) {
    v = def;
    r.get(key, v);
  };
  fixed("PosFilelistWindow", p.posFilelistWindow, 0);
  r.get("SELeft", p.seLeft);
  r.get("SETop", p.seTop);
  r.get("SEWidth", p.seWidth);
  r.get("SEHeight", p.seHeight);
  fixed("DispScriptEditor", p.dispScriptEditor, int16_t{0});
  r.get("TWLeft", p.twLeft);
  r.get("TWTop", p.twTop);
  r.get("TWWidth", p.twWidth);
  r.get("TWHeight", p.twHeight);
  fixed("MouseWheelScroll", p.mouseWheelScroll, 1);
  p.mouseWheelScroll = std::clamp(p.mouseWheelScroll, 1, 16);
  fixed("FilelistHistoryMax", p.filelistHistoryMax, 50);
  fixed("FilelistMultiSelect", p.filelistMultiSelect, 0);
  fixed("AlwaysEventSync", p.alwaysEventSync, 0);
  fixed("SortFileList", p.sortFileList, 1);
  fixed("PictEventPreview", p.pictEventPreview, 0);
  fixed("DoubleClickProperty", p.doubleClickProperty, 0);
  fixed("DispEventProperty", p.dispEventProperty, 0);
  fixed("PosEventDialog", p.posEventDialog, 1);
  fixed("WindowTopward", p.windowTopward, 63);
  fixed("UseVerticalFont", p.useVerticalFont, 0);
  fixed("DockScriptEditor", p.dockScriptEditor, 0);
  fixed("PreviewFilePath", p.previewFilePath, 0);
  fixed("AutoBackUpInterval", p.autoBackUpInterval, 1.0f);
  fixed("DispSpriteTab", p.dispSpriteTab, 0);
  fixed("PreviewUseIE", p.previewUseIE, 0);
  fixed("PreviewSAPlayer", p.previewSAPlayer, 0);
  fixed("SaveHTML", p.saveHTML, 0);
  fixed("SAPlayerFileName", p.saPlayerFileName, std::string());
  fixed("PreviewStreamSound", p.previewStreamSound, 1);
  fixed("PreviewAttachSprite", p.previewAttachSprite, 0);
  fixed("PreviewSelectedPlayer", p.previewSelectedPlayer, 0);
  GUICore::LoadRecentFiles(ini);

  auto& colors = EventListModule::EventColors();
  for (int i = 0; i < kEventColorCount; ++i) {
    if (auto t = r.text(kEventList, ColorSetKey(i))) EventListModule::ParseColorSet(*t, colors[static_cast<size_t>(i)]);
  }
  p.iconFilePath = r.text(kEventList, "IconFilePath").value_or("");
  p.eventListIcon = 1;
  if (auto t = r.text(kEventList, "EventListIcon")) p.eventListIcon = num::RoundToInt32(num::Val(*t));
}

std::vector<std::string> Save(IniFile& ini, const Preferences& p) {
  Writer w(ini);
  w.put("WindowState", p.windowState);
  w.put("Left", p.left);
  w.put("Top", p.top);
  w.put("Width", p.width);
  w.put("Height", p.height);
  w.put("Splitter1", p.columnSplit);
  w.put("Splitter2", p.infoPanelSplit);
  w.put("Splitter3", p.scriptPanelSplit);
  w.put("PictEventPreview", p.pictEventPreview);
  w.put("DoubleClickProperty", p.doubleClickProperty);
  w.put("DispEventProperty", p.dispEventProperty);
  w.put("PosEventDialog", p.posEventDialog);
  w.put("WindowTopward", p.windowTopward);
  w.put("UseVerticalFont", p.useVerticalFont);
  w.put("DispScriptEditor", static_cast<int16_t>(p.dispScriptEditor != 0 ? -1 : 0));
  w.put("DockScriptEditor", p.dockScriptEditor);
  w.put("PreviewFilePath", p.previewFilePath);
  w.put("AutoBackUpInterval", p.autoBackUpInterval);
  w.put("AlwaysEventSync", p.alwaysEventSync);
  w.put("FilelistHistoryMax", p.filelistHistoryMax);
  w.put("FilelistMultiSelect", p.filelistMultiSelect);
  w.put("MouseWheelScroll", p.mouseWheelScroll);
  w.put("DispSpriteTab", p.dispSpriteTab);
  w.put("EPLeft", p.epLeft);
  w.put("EPTop", p.epTop);
  w.put("EPWidth", p.epWidth);
  w.put("EPHeight", p.epHeight);
  w.put("PWLeft", p.pwLeft);
  w.put("PWTop", p.pwTop);
  w.put("FWLeft", p.fwLeft);
  w.put("FWTop", p.fwTop);
  w.put("PosFilelistWindow", p.posFilelistWindow);
  w.put("SELeft", p.seLeft);
  w.put("SETop", p.seTop);
  w.put("SEWidth", p.seWidth);
  w.put("SEHeight", p.seHeight);
  w.put("TWLeft", p.twLeft);
  w.put("TWTop", p.twTop);
  w.put("TWWidth", p.twWidth);
  w.put("TWHeight", p.twHeight);
  w.put("SortFileList", p.sortFileList);
  w.put("PreviewUseIE", p.previewUseIE);
  w.put("PreviewSAPlayer", p.previewSAPlayer);
  w.put("SaveHTML", p.saveHTML);
  w.put("SAPlayerFileName", p.saPlayerFileName);
  w.put("PreviewStreamSound", p.previewStreamSound);
  w.put("PreviewAttachSprite", p.previewAttachSprite);
  w.put("PreviewSelectedPlayer", p.previewSelectedPlayer);
  w.addRefused(GUICore::SaveRecentFiles(ini));

  const auto& colors = EventListModule::EventColors();
  for (int i = 0; i < kEventColorCount; ++i)
    w.put(kEventList, ColorSetKey(i), EventListModule::FormatColorSet(colors[static_cast<size_t>(i)]));
  w.put(kEventList, "IconFilePath", p.iconFilePath);
  w.put(kEventList, "EventListIcon", std::to_string(p.eventListIcon));
  return w.takeRefused();
}

void LoadFile(const std::filesystem::path& path, Preferences& p) {
  const Result<IniFile> ini = IniFile::Read(path);
  if (!ini) {
    gUnreadFile = path;
    ui::Current().messages->message(
        "警告", "設定ファイルを読み込めません。\n" + ini.message() + "\n既定の設定で続けます。設定は保存されません。",
        ui::Icon::Exclamation);
  }
  Load(ini ? *ini : IniFile{}, p);
}

Result<void> SaveFile(const std::filesystem::path& path, const Preferences& p) {
  // A file that cannot be read (or is too large to be settings) is kept, as
  // a write would lose what it holds. One that could not be read at the
  // start stays as promised then, without a second message.
  if (!gUnreadFile.empty() && path == gUnreadFile)
    return Failure{"設定ファイルを読み込めなかったため、設定は保存されません。"};
  Result<IniFile> ini = IniFile::Read(path);
  std::string why = ini ? std::string() : "設定ファイルを読み込めないため、設定を保存できませんでした。\n" + ini.message();
  if (ini) {
    const std::vector<std::string> refused = Save(*ini, p);
    const Result<void> saved = ini->save(path);
    if (saved && refused.empty()) return {};
    if (saved) {
      // The rest is written; these keep the values the file had.
      why = "次の設定は設定ファイルの文字コードで表せないため、保存できませんでした。";
      for (const std::string& key : refused) why += "\n" + key;
    } else {
      why = "設定を保存できませんでした。\n" + saved.message();
    }
  }
  ui::Current().messages->message("エラー", why, ui::Icon::Critical);
  return Failure{why};
}

int32_t BackupIntervalMs(double minutes) {
  if (!(minutes > 0)) return 0;
  const double ms = num::RoundHalfEven(minutes * 60000.0);
  if (!(ms < kMaxBackupIntervalMs)) return kMaxBackupIntervalMs;
  // A positive interval below one millisecond still means "on".
  return std::max<int32_t>(1, static_cast<int32_t>(ms));
}

}  // namespace tesmiro::Prefs
