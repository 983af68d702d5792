#pragma once
// The material property exchange: the material dialog's fields filled from
// the items selected in the file list, and read back into them after OK.
// With several items selected, a box left empty or a check box left grey
// keeps that field of every item; an ID typed into the dialog renumbers the
// selected items from that ID upwards; a static text with an embedded font
// gets the box size its text measures.
//
// Each field is what one of the dialog's controls holds, so that the window
// maps them one to one; the window shows and reads them, this module decides.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "project/records.h"

namespace tesmiro::StoreProperty {

// Check box values: off, on, grey ("leave each item's field as it is").
enum CheckValue : int { kOff = 0, kOn = 1, kGrey = 2 };

// The kind frame the dialog shows; at most one.
enum class Frame { None, Text, Sprite, Sound, Video, Image, Folder, Vector };

inline constexpr const char* kDesignCaption = "ピクチャのプロパティ";
inline constexpr const char* kCaption = "ファイルのプロパティ";
inline constexpr const char* kMultipleSuffix = " (複数選択)";
// The font box's own entries, before the installed fonts.
inline constexpr std::array<const char*, 6> kDeviceFonts = {"_sans", "_serif", "_typewriter",
                                                           "_ゴシック", "_等幅", "_明朝"};
inline constexpr std::array<const char*, 3> kAlignments = {"左寄せ", "右寄せ", "中央"};
inline constexpr std::array<const char*, 2> kSofteningModes = {"にじみ", "ｱﾝﾁｴｲﾘｱｽ"};

// The name the type box shows for a selection kind (0: mixed or clone).
std::string KindName(int32_t kind);

// The six colour sliders: red, green and blue of an image's key colour and
// of a text's colour.
enum ColourChannel : int { KeyRed, KeyGreen, KeyBlue, TextRed, TextGreen, TextBlue };

// Everything the exchange reads and writes of the dialog, in its loaded
// state: check boxes grey, boxes empty (the colour boxes show their
// sliders' 0), nothing chosen in the lists, kind frames hidden.
struct Fields {
  std::string caption = kDesignCaption;
  int32_t kind = 0;     // of the selection; 0 when mixed
  bool single = false;  // exactly one row selected
  Frame frame = Frame::None;

  std::string itemId;
  bool idVisible = true;  // the ID box and its caption
  bool itemIdEnabled = true;
  std::string kindName;
  std::string path;  // of the material's file
  bool pathVisible = true;  // the path box, its caption and the browse button
  bool pathEnabled = false;
  bool browseEnabled = false;

  int keyColour = kGrey;
  bool keyColourVisible = true;
  std::array<int32_t, 6> colourSliders{};  // by ColourChannel
  std::array<std::string, 6> colourBoxes{"0", "0", "0", "0", "0", "0"};  // their value boxes

  // Image frame.
  int softenEdges = kGrey;
  int softeningModeIndex = -1;  // list position
  std::string softeningAmount;
  int lossless = kGrey;
  bool losslessVisible = true;
  std::string imageName;  // export name

  // Sound frame.
  std::string soundName;  // export name

  // Text frame.
  std::string text;
  int bold = kGrey, italic = kGrey;
  std::vector<std::string> fonts;  // the font box's list: device fonts, then installed ones
  int fontIndex = -1;  // chosen font, list position
  std::string fontSize, lineSpacing;
  int alignmentIndex = -1;  // list position
  int autoSize = kGrey;
  std::string boxWidth, boxHeight;
  int textInput = kGrey;
  int password = kGrey;
  int multiline = kGrey;
  int wrap = kGrey;
  int html = kGrey;
  int border = kGrey;
  int selectable = kGrey;
  int dynamicText = kGrey;
  int textEffect = kGrey;
  std::string variableName;
  std::string textEffectSettings;
  // Set by ApplyFontRule.
  bool dynamicTextVisible = true;
  bool inputOptionsVisible = true;  // input options and the variable name
  bool autoSizeVisible = true;
  bool boxSizeEnabled = true;  // the box width and height
  bool textEffectVisible = false;
  bool textEffectPanelVisible = false;  // text-effect settings

  // Sprite frame.
  std::string spriteName, spriteWidth, spriteHeight, referenceX, referenceY;

  // Vector frame.
  int morph = kGrey;
  bool morphVisible = false;
  std::string morphTarget;  // ID of the picture the morph ends with
  std::string vectorName;   // export name

  // Video frame.
  int noSound = kGrey;
  std::string startFrame;
  std::string videoName;  // instance name

  // Folder frame.
  std::string folderName;

  // The chosen font's name, "" when none is chosen.
  std::string fontText() const;
};

// What the text frame shows for its font: a device font or a dynamic text
// is an edit field (input options, auto size, typed box); an embedded font
// on a static text has a measured box and may carry a text effect. Sets the
// auto-size and text-effect boxes and the visibility flags, as the font
// box, the dynamic-text box and the text-effect box do when they change.
void ApplyFontRule(Fields& fields);
// Whether the width and height boxes show (auto size not ticked).
inline bool BoxSizeVisible(const Fields& fields) { return fields.autoSize != kOn; }

// Fills the fields from the item on the file list's cursor row (and the
// kinds of the other selected rows). `installedFonts` follow the device
// fonts in the font box. False, with the fields untouched, when the cursor
// row holds no item.
bool FillFields(Fields& fields, const std::vector<std::string>& installedFonts);

// A number box whose text does not fit the field it is written into, for the
// dialog to refuse OK with. `box` is the control's name.
struct NumberProblem {
  std::string box;
  std::string message;
};
// The first such box of the fields that would be written, or nullopt.
std::optional<NumberProblem> CheckNumbers(const Fields& fields);

// The box of a static text (pixels), as its glyphs lay it out; nullopt when
// it cannot be measured now.
struct TextBox {
  int32_t width = 0;
  int32_t height = 0;
};
using TextMeasurer = std::function<std::optional<TextBox>(const StoreItem& item)>;

// Writes the fields back into every selected item (kind by kind), measures
// static texts with embedded fonts, renumbers from the typed ID, and when
// anything changed rebuilds the file list with the same items selected.
// One store undo step with the caller's (it joins an open one). True when
// an item was stored with other contents or got another ID. Refused (false,
// nothing changed) while a build runs, and for numbers that do not fit.
bool ApplyFields(const Fields& fields, const TextMeasurer& measure);

// ---- the dialog's own value rules --------------------------------------------

// The softening amount box after a change: above 255 gives "255", below 0
// "0"; nullopt when the text stays.
std::optional<std::string> ClampSoftening(const std::string& text);
// The amount a chosen softening mode starts from ("1", "30"), and the
// caption of its amount ("にじみ強度", "色の範囲"); nothing for no mode.
struct SofteningDefaults {
  std::string amount;
  std::string label;
};
std::optional<SofteningDefaults> SofteningModeDefaults(int softeningModeIndex);
// The browse dialog's filter ("description" NUL "patterns" NUL) for the
// kind the type box names; empty for kinds without one.
std::string BrowseFilter(const std::string& kindName, int16_t swfVersion);
// R + 256 G + 65536 B of three slider values.
int32_t ColourValue(int32_t r, int32_t g, int32_t b);
// The sprite's reference point at its centre: width \ 2, height \ 2.
std::pair<std::string, std::string> SpriteCentre(const std::string& width, const std::string& height);

}  // namespace tesmiro::StoreProperty
