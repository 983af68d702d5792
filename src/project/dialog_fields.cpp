#include "project/dialog_fields.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/numeric.h"
#include "platform/ui.h"
#include "project/gui_core.h"
#include "project/model.h"
#include "project/paths.h"
#include "project/project_file.h"
#include "project/record_bytes.h"
#include "project/sorting.h"
#include "project/store.h"

namespace tesmiro::GUICore {
namespace {

constexpr const char* kErrorTitle = "エラー";
constexpr std::array<char, 4> kVersionLetters{'4', ' ', '7', '8'};

int32_t Tick(int32_t value) { return value == 1 ? 1 : 0; }

// A switch keeps its stored value while the box shows it unchanged: files
// may hold values other than 0 and 1, and OK alone must not alter them.
int16_t KeepSwitch(int16_t old, int32_t box) {
  return (old == 1) == (box == 1) ? old : static_cast<int16_t>(box == 1 ? 1 : 0);
}

int32_t VersionIndex(char letter) {
  switch (letter) {
    case '4': return 0;
    case '7': return 2;
    case '8': return 3;
    default: return 1;
  }
}

std::optional<int32_t> StageSize(const std::string& text) {
  const int32_t v = num::RoundToInt32(num::Val(text));
  if (v < 1 || v > kMaxStageSize) return std::nullopt;
  return v;
}

// Restores the project's settings when it ends, whatever happened between.
class SettingsSwap {
 public:
  explicit SettingsSwap(const ProjectSettings& temporary) : saved_(State().settings) {
    State().settings = temporary;
  }
  ~SettingsSwap() { State().settings = saved_; }
  SettingsSwap(const SettingsSwap&) = delete;
  SettingsSwap& operator=(const SettingsSwap&) = delete;

 private:
  ProjectSettings saved_;
};

bool Refused(const ProjectDialogFields& fields, int32_t doubleClickProperty, ProjectSettings& edited) {
  if (auto error = ApplyProjectFields(fields, doubleClickProperty, edited)) {
    ui::Current().messages->message(kErrorTitle, error->message, ui::Icon::Exclamation);
    return true;
  }
  return false;
}

}  // namespace

ProjectDialogFields ProjectFieldsFrom(const ProjectSettings& s) {
  ProjectDialogFields f;
  f.width = num::CStr(s.width);
  f.height = num::CStr(s.height);
  f.frameRate = num::CStr(s.frameRate);
  f.background = {s.backgroundRed, s.backgroundGreen, s.backgroundBlue};
  f.soundSync = Tick(s.soundSync);
  f.preloader = Tick(s.preloader);
  f.forceJpeg = Tick(s.forceJpegRecompression);
  f.jpegQuality = std::clamp(s.jpegQuality, 1, 100);
  f.compress = s.option(1) == 'C' ? 1 : 0;
  f.version = VersionIndex(s.option(3));
  f.relativePaths = s.option(4) == 'R' ? 1 : 0;
  return f;
}

std::optional<ProjectFieldError> ApplyProjectFields(const ProjectDialogFields& f, int32_t doubleClickProperty,
                                                    ProjectSettings& settings) {
  const auto width = StageSize(f.width);
  if (!width) {
    return ProjectFieldError{ProjectField::Width,
                             "幅は 1 から " + std::to_string(kMaxStageSize) + " までの数値で指定してください。"};
  }
  const auto height = StageSize(f.height);
  if (!height) {
    return ProjectFieldError{ProjectField::Height,
                             "高さは 1 から " + std::to_string(kMaxStageSize) + " までの数値で指定してください。"};
  }
  const double rate = num::Val(f.frameRate);
  if (!(rate >= kMinFrameRate && rate < kMaxFrameRateExclusive)) {
    return ProjectFieldError{ProjectField::FrameRate, "FPSは 0 より大きく 256 未満の数値で指定してください。"};
  }

  settings.width = *width;
  settings.height = *height;
  settings.frameRate = static_cast<float>(rate);
  settings.backgroundRed = static_cast<uint8_t>(std::clamp(f.background[0], 0, 255));
  settings.backgroundGreen = static_cast<uint8_t>(std::clamp(f.background[1], 0, 255));
  settings.backgroundBlue = static_cast<uint8_t>(std::clamp(f.background[2], 0, 255));
  settings.soundSync = KeepSwitch(settings.soundSync, f.soundSync);
  settings.preloader = KeepSwitch(settings.preloader, f.preloader);
  settings.forceJpegRecompression = KeepSwitch(settings.forceJpegRecompression, f.forceJpeg);
  settings.jpegQuality = std::clamp(f.jpegQuality, 1, 100);

  std::string letters;
  letters += f.compress == 1 ? 'C' : ' ';
  letters += doubleClickProperty == 1 ? 'D' : ' ';
  letters += f.version >= 0 && f.version <= 3 ? kVersionLetters[static_cast<size_t>(f.version)] : ' ';
  letters += f.relativePaths == 1 ? 'R' : ' ';
  if (settings.options.size() > 4) letters += settings.options.substr(4);
  settings.options = letters;
  return std::nullopt;
}

std::string VersionHint(int32_t version) {
  switch (version) {
    case 0: return "FLASH4 相当\r\n携帯電話向けはこちらを使用してください";
    case 2: return "MX 2004 相当\r\nSWF6とのASの仕様の違いに注意してください";
    case 3: return "FLASH8 相当\r\nﾌｨﾙﾀｴﾌｪｸﾄなどのASを使用することが出来ます";
    default: return "FLASH MX相当\r\n通常はこちらを使用してください";
  }
}

bool CommitProjectDialog(const ProjectDialogFields& fields, int32_t doubleClickProperty) {
  ProjectSettings edited = State().settings;
  if (Refused(fields, doubleClickProperty, edited)) return false;
  if (RecordBytes(edited) != RecordBytes(State().settings)) {
    State().settings = edited;
    SetModified(true);
  }
  return true;
}

bool StoreDefaultProject(const ProjectDialogFields& fields, int32_t doubleClickProperty) {
  ProjectSettings edited = State().settings;
  if (Refused(fields, doubleClickProperty, edited)) return false;
  const std::filesystem::path folder = State().paths.config;
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);  // a failure shows in the write
  bool written = false;
  {
    SettingsSwap swap(edited);
    written = WriteEmptyProject(folder / kDefaultSettingsFile).ok();
  }
  if (written) ui::Current().messages->message("Tesmiro", kDefaultStoredText, ui::Icon::Information);
  return written;
}

OptionValues OptionValuesFrom(const Preferences& p) {
  OptionValues v;
  v.doubleClickProperty = p.doubleClickProperty;
  v.dispEventProperty = p.dispEventProperty;
  v.posEventDialog = p.posEventDialog;
  v.posFilelistWindow = p.posFilelistWindow;
  v.alwaysEventSync = p.alwaysEventSync;
  v.filelistMultiSelect = p.filelistMultiSelect;
  v.useVerticalFont = p.useVerticalFont;
  v.saveHTML = p.saveHTML;
  v.filelistHistoryMax = p.filelistHistoryMax;
  v.mouseWheelScroll = p.mouseWheelScroll;
  v.windowTopward = p.windowTopward;
  return v;
}

void StoreOptionValues(const OptionValues& v, Preferences& p) {
  p.doubleClickProperty = v.doubleClickProperty;
  p.dispEventProperty = v.dispEventProperty;
  p.posEventDialog = v.posEventDialog;
  p.posFilelistWindow = v.posFilelistWindow;
  p.alwaysEventSync = v.alwaysEventSync;
  p.filelistMultiSelect = v.filelistMultiSelect;
  p.useVerticalFont = v.useVerticalFont;
  p.saveHTML = v.saveHTML;
  p.filelistHistoryMax = v.filelistHistoryMax;
  p.mouseWheelScroll = v.mouseWheelScroll;
  p.windowTopward = v.windowTopward;
  State().filelistHistoryMax = v.filelistHistoryMax;
}

OptionDialogFields OptionFieldsFrom(const OptionValues& v) {
  OptionDialogFields f;
  f.doubleClickProperty = Tick(v.doubleClickProperty);
  f.dispEventProperty = Tick(v.dispEventProperty);
  f.posEventDialog = Tick(v.posEventDialog);
  f.posFilelistWindow = Tick(v.posFilelistWindow);
  f.alwaysEventSync = Tick(v.alwaysEventSync);
  f.filelistMultiSelect = Tick(v.filelistMultiSelect);
  f.useVerticalFont = Tick(v.useVerticalFont);
  f.saveHTML = Tick(v.saveHTML);
  f.historyMax = std::to_string(v.filelistHistoryMax);
  f.wheelRows = std::to_string(v.mouseWheelScroll);
  for (size_t i = 0; i < f.topward.size(); ++i) f.topward[i] = (v.windowTopward >> (2 * i)) & 1;
  return f;
}

void ApplyOptionFields(const OptionDialogFields& f, OptionValues& v) {
  v.doubleClickProperty = Tick(f.doubleClickProperty);
  v.dispEventProperty = Tick(f.dispEventProperty);
  v.posEventDialog = Tick(f.posEventDialog);
  v.saveHTML = Tick(f.saveHTML);
  v.useVerticalFont = Tick(f.useVerticalFont);
  v.alwaysEventSync = Tick(f.alwaysEventSync);
  v.filelistMultiSelect = Tick(f.filelistMultiSelect);
  v.posFilelistWindow = Tick(f.posFilelistWindow);
  v.filelistHistoryMax = num::RoundToInt32(num::Val(f.historyMax));
  v.mouseWheelScroll = std::clamp(num::RoundToInt32(num::Val(f.wheelRows)), kMinWheelRows, kMaxWheelRows);
  // Keeps the ticked states (odd bits); bits from 8 up are dropped.
  int32_t topward = v.windowTopward & 234;
  for (size_t i = 0; i < f.topward.size(); ++i) {
    if (f.topward[i] == 1) topward |= 1 << (2 * i);
  }
  v.windowTopward = topward;
}

int32_t NextImportID(int32_t rangeStart, bool overwrite) {
  if (!overwrite || rangeStart == 0) rangeStart = kImportRangeDefault;
  int32_t id = NextFreeStoreID(rangeStart);
  if (id > kMaxStoreItemId) id = NextFreeStoreID(kImportRangeDefault);
  return id - 1;
}

std::string ImportAfterCaption(int32_t lastId) {
  const std::string digits = "0000" + std::to_string(static_cast<int64_t>(lastId) + 1);
  return "ID：" + digits.substr(digits.size() - 4) + " 以降に追加";
}

std::string ImportSpriteName(const std::string& path) {
  std::string name = GetFileNamePart(path);
  std::replace(name.begin(), name.end(), '.', '_');
  return name;
}

std::string UpdateImportIds(ImportDialogFields& f) {
  const int32_t n = NextImportID(num::RoundToInt32(num::Val(f.rangeStart)), f.overwrite == 1);
  if (num::Val(f.addValue) < n) f.addValue = num::CStr(n);
  return ImportAfterCaption(n);
}

ImportRequest MakeImportRequest(const ImportDialogFields& f) {
  ImportRequest r;
  r.path = f.path;
  const int32_t rangeStart = num::RoundToInt32(num::Val(f.rangeStart));
  switch (f.idMode) {
    case 1: r.idBase = NextImportID(rangeStart, f.overwrite == 1); break;
    case 2: r.idBase = num::RoundToInt32(num::Val(f.addValue)); break;
    default: r.idBase = 0; break;
  }
  r.rangeStart = f.overwrite == 1 ? rangeStart : kImportNoRange;
  r.flags = Tick(f.skipEvents) + 2 * Tick(f.asSprite) + 4 * Tick(f.reuseFiles);
  r.spriteName = f.spriteName;
  r.spriteId = num::RoundToInt32(num::Val(f.spriteId));
  return r;
}

bool SearchItem(const SearchSettings& s) {
  if (s.text.empty()) return false;
  return s.inFileList ? SearchStoreList(s.text, s.byText) : SearchEventList(s.text, s.byText);
}

}  // namespace tesmiro::GUICore
