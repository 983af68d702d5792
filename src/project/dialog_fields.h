#pragma once
// The exchanges between the settings-type dialogs and what they edit: the
// project properties (movie settings, stored as the defaults for new
// projects), the options (preferences), the import dialog's ID rules and
// the search dialog's settings. The dialogs read and write these fields and
// call these functions; every decision about values lives here.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "project/preferences.h"
#include "project/records.h"

namespace tesmiro::GUICore {

// ---- project properties ----------------------------------------------------

// The largest stage edge the movie header can hold (its twips, 20 per
// pixel, stay within the writer's rectangle fields).
inline constexpr int32_t kMaxStageSize = (1 << 29) / 20;
// The header keeps the frame rate as 8.8 fixed point: below 1/256 it would
// read as 0, and 256 does not fit.
inline constexpr float kMinFrameRate = 1.0f / 256.0f;
inline constexpr float kMaxFrameRateExclusive = 256.0f;

inline constexpr const char* kDefaultStoredText =
    "デフォルトのプロジェクトに設定されました。\r\n新規作成時には現在の設定が使用されます。";

// Check boxes hold 0 or 1; the version is the list index (0 SWF4, 1 SWF6,
// 2 SWF7, 3 SWF8).
struct ProjectDialogFields {
  std::string width;      // decimal texts, read with Val
  std::string height;
  std::string frameRate;
  std::array<int32_t, 3> background{255, 255, 255};  // R, G, B bars 0..255
  int32_t soundSync = 0;
  int32_t preloader = 0;
  int32_t compress = 0;       // option letter 1 "C"
  int32_t relativePaths = 0;  // option letter 4 "R"
  int32_t version = 1;
  int32_t forceJpeg = 0;
  int32_t jpegQuality = 90;  // bar 1..100
};

enum class ProjectField { Width, Height, FrameRate };

struct ProjectFieldError {
  ProjectField field;
  std::string message;
};

ProjectDialogFields ProjectFieldsFrom(const ProjectSettings& settings);
// The settings with the fields written in (option letter 2 from the
// double-click preference, letters from the fifth on kept). A width, height
// or frame rate that is 0, negative or too large for the movie header is an
// error, and then `settings` is left as it was.
std::optional<ProjectFieldError> ApplyProjectFields(const ProjectDialogFields& fields, int32_t doubleClickProperty,
                                                    ProjectSettings& settings);
// The two lines of the version hint under the list.
std::string VersionHint(int32_t version);

// OK: the fields go into the project's settings; the project is marked
// modified when they changed. A refused value is reported ("エラー" box) and
// changes nothing; result false then.
bool CommitProjectDialog(const ProjectDialogFields& fields, int32_t doubleClickProperty);
// "デフォルトに設定": writes "_default.tsm" in the config folder with the
// edited settings and confirms only after the write succeeded (a failure is
// reported by the writer). The project's own settings are the same
// afterwards on every path. Result: written.
bool StoreDefaultProject(const ProjectDialogFields& fields, int32_t doubleClickProperty);

// ---- options -----------------------------------------------------------------

// The preferences the options dialog edits.
struct OptionValues {
  int32_t doubleClickProperty = 0;
  int32_t dispEventProperty = 0;
  int32_t posEventDialog = 1;
  int32_t posFilelistWindow = 0;
  int32_t alwaysEventSync = 0;
  int32_t filelistMultiSelect = 0;
  int32_t useVerticalFont = 0;
  int32_t saveHTML = 0;
  int32_t filelistHistoryMax = 50;
  int32_t mouseWheelScroll = 1;
  int32_t windowTopward = 63;
};

inline constexpr int32_t kMinWheelRows = 1;
inline constexpr int32_t kMaxWheelRows = 16;

// Check boxes 0/1; the two numbers as the user typed them; the three "前面"
// boxes (event property dialog, script editor, preview window).
struct OptionDialogFields {
  int32_t doubleClickProperty = 0;  // propertyOnDoubleClickCheck
  int32_t dispEventProperty = 0;    // eventPropertyAlwaysShownCheck
  int32_t posEventDialog = 0;       // eventDialogPositionCheck
  int32_t posFilelistWindow = 0;    // propertyDialogPositionCheck
  int32_t alwaysEventSync = 0;      // syncToggleCheck
  int32_t filelistMultiSelect = 0;  // dragMultiSelectCheck
  int32_t useVerticalFont = 0;      // verticalFontCheck
  int32_t saveHTML = 0;             // saveHtmlCheck
  std::string historyMax;           // undoDepthBox
  std::string wheelRows;            // wheelRowsBox
  std::array<int32_t, 3> topward{};  // keepOnTopChecks
};

// The values from the preferences, and back (the file-list undo depth also
// into the model, which applies it and is where the preferences take it
// from when they are saved).
OptionValues OptionValuesFrom(const Preferences& preferences);
void StoreOptionValues(const OptionValues& values, Preferences& preferences);

OptionDialogFields OptionFieldsFrom(const OptionValues& values);
// Text that is no number reads as 0 (its leading number, like every number
// the program reads); the wheel rows are clamped to 1..16; of the keep-on-top
// bits only the offered ones (0, 2, 4) change.
void ApplyOptionFields(const OptionDialogFields& fields, OptionValues& values);
// Ticking "イベントのプロパティを常時表示する" ticks and locks the position box.
inline bool PositionBoxLocked(int32_t dispEventProperty) { return dispEventProperty == 1; }

// ---- import ----------------------------------------------------------------

inline constexpr int32_t kImportRangeDefault = 9000;
inline constexpr int32_t kImportNoRange = 10000;  // above every store ID

struct ImportDialogFields {
  std::string path;        // projectFileBox
  int32_t skipEvents = 0;  // skipEventsCheck
  int32_t asSprite = 0;    // asSpriteCheck
  int32_t reuseFiles = 0;  // reuseFilesCheck
  int32_t idMode = 0;      // idModeOptions: 0 automatic, 1 after an ID, 2 add a value
  std::string addValue;    // addValueBox
  std::string rangeStart = "9000";  // rangeStartBox
  int32_t overwrite = 0;   // overwriteRangeCheck
  std::string spriteName;  // spriteNameBox
  std::string spriteId;    // spriteIdBox
};

struct ImportRequest {
  std::string path;
  int32_t idBase = 0;
  int32_t rangeStart = kImportNoRange;
  int32_t flags = 0;
  std::string spriteName;
  int32_t spriteId = 0;
};

// The ID after which imported items are added: one below the first free ID
// under the range start (9000 without overwriting or for 0), searched again
// under 9000 when that would pass 9999.
int32_t NextImportID(int32_t rangeStart, bool overwrite);
// "ID：" + the first ID the import will use, four digits, + " 以降に追加".
std::string ImportAfterCaption(int32_t lastId);
// The sprite name proposed for a file: its name with "." made "_".
std::string ImportSpriteName(const std::string& path);
// The range start or the overwrite box changed: the add value is raised to
// the ID the import would add after, and the caption of that mode comes back.
std::string UpdateImportIds(ImportDialogFields& fields);
ImportRequest MakeImportRequest(const ImportDialogFields& fields);

// ---- search ----------------------------------------------------------------

struct SearchSettings {
  std::string text;     // searchTextBox
  bool inFileList = true;  // fileListOption; else the event list
  bool byText = true;      // byTextOption; else by ID
};

// Searches with the settings; an empty text does nothing (false).
bool SearchItem(const SearchSettings& settings);

}  // namespace tesmiro::GUICore
