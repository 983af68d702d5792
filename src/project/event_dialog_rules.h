#pragma once
// The event property dialog's decisions that need no window: which groups
// of fields an event offers, what the frame count and the action list show,
// the clamped depth, the volume bars, the spins, the easing curve, the
// position and centre shortcuts, the keep-on-top guard and how the dialog
// opens. The window reads its boxes, asks here, and writes the answer.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "project/records.h"

namespace tesmiro::EventDialogRules {

// Controls whose visibility the layouts decide.
enum class Ctl {
  Label1, Text1, Label2, Text2, VScroll1, Check1, Check3, Check9, Combo4, Label32,
  Command5, Command9, Command10_0, Command10_1, Command13, Option1_1,
  Frame1, Frame2, Frame3, Frame4, Frame5, Frame6, Frame7, Frame8, Frame9, Frame10,
};
// The final visibility of every control a layout touches.
using Visibility = std::map<Ctl, bool>;

// What the file-ID box shows, by the kind of its material.
struct KindLayout {
  Visibility visible;
  std::optional<int> check1;  // the button box is set to this
  std::optional<int> check3;  // the mask box
  std::optional<bool> previewControls;  // the picture pane's controls shown or hidden
  bool frameCountLayout = false;  // run the frame-count layout afterwards
  bool actionPlacement = false;  // the action frame alone, at the top
};
// kind: of the material whose ID is in the box, else the selection's kind.
// The action layout is chosen only while the program fills the fields.
KindLayout LayoutForKind(int32_t kind, const std::string& text1, bool filling, int32_t selCount,
                         int16_t swfVersion);

// What the frame-count box shows: a motion, one frame or a fixed screen.
struct FrameCountLayout {
  bool skip = false;  // an action event: nothing changes
  Visibility visible;
  std::string command9Caption;
  std::string frame5Caption;
  std::optional<int> check9;  // guide editing unticked
  std::optional<int> operatedImage;  // 0: the draw position
  std::optional<std::string> depthText;  // an empty depth box becomes this
};
FrameCountLayout LayoutForFrameCount(const std::string& text1, const std::string& text2, bool guideTicked,
                                     const std::string& depthText);

// What the action list shows for its selection.
struct ActionLayout {
  bool refused = false;  // the action is no button's: clear the selection
  bool label22Shown = false;
  std::string label22Caption;
  bool text13Shown = false;
  bool label23Shown = false;
  std::string label23Caption;
  bool text14Shown = false;
  bool command7Shown = false;
};
inline constexpr const char* kChooseActionHint = "アクションを選択してください";
// The action captions of the list, by ActionKind.
extern const char* const kActionNames[15];
extern const char* const kSoundModeNames[5];
extern const char* const kBlendModeNames[15];
// button: the value of the button box (1 ticked).
ActionLayout LayoutForAction(int listIndex, int button, int16_t soundSync);
// The text a press on the second parameter's hint writes into the first
// parameter, if any (y and height in the hint's own pixels).
std::optional<std::string> ParameterShortcut(int listIndex, int y, int height);

// The depth box's text clamped to -256..256; nullopt when it may stay.
std::optional<std::string> ClampDepthText(const std::string& text);
inline constexpr int32_t kMinDepth = -256;
inline constexpr int32_t kMaxDepth = 256;

// The upside-down volume bar's value for a volume box, nullopt when the
// box holds no volume of 0 to 100.
std::optional<int> VolumeBarValue(const std::string& text);
// The volume box's text for a bar value.
std::string VolumeText(int barValue);

// Spin buttons: value -1 (the upper arrow) counts up, 1 counts down; the
// new text of the box, saturating at the field's limits.
std::string SpinFrameCount(const std::string& text, int value);
std::string SpinDepth(const std::string& text, int value);

// A number box beside a slider: the slider's new value, nullopt when the
// number lies outside min..max.
std::optional<int> SliderValueFromBox(const std::string& text, int min, int max);

// x of each frame's line on the easing curve, left to right, in a drawing
// `width` pixels wide; none for a frame count below 1. Neighbouring frames
// that fall on one column give one line.
std::vector<int32_t> EasingLines(int32_t frameCount, int32_t easing, int32_t width);
// The frame count the curve is drawn for: the box's leading number.
int32_t EasingFrameCount(const std::string& text2);

// A click on a position caption: "0" unless the box is 0, then half the
// stage edge (rounded down).
std::string TogglePosition(const std::string& text, int32_t stageEdge);
// The centre button: both boxes exactly "0" give the middle of the
// material (halves toward zero), anything else the top left.
std::pair<std::string, std::string> ToggleCentre(const std::string& x, const std::string& y, int32_t width,
                                                 int32_t height);
std::string CentreCaption(const std::string& x, const std::string& y);
inline constexpr const char* kCentreToMiddle = "画像の中央に設定(&C)";
inline constexpr const char* kCentreToTopLeft = "画像の左上に設定(&C)";

// The fixed-screen button: the new frame count and, when it changes, the
// depth box's new text.
struct FixedScreenToggle {
  std::string frameCount;
  std::optional<std::string> depthText;
};
FixedScreenToggle ToggleFixedScreen(const std::string& text2, const std::string& depthText);

// The material kind for the ID box: its item's when the number is above 0,
// else the selection's kind.
int32_t FileKind(const std::string& text1, int32_t selectedFileKind);

// The movie settings as the dialog's previews see them: a sprite's stage
// while its timeline is shown, without the loading screen.
ProjectSettings StageInfo();

// Width, height and reference point of a material: image, vector and video
// files by their contents, texts and sprites as stored; zero otherwise.
struct ImageSize {
  int32_t width = 0;
  int32_t height = 0;
  int32_t refX = 0;
  int32_t refY = 0;
};
ImageSize GetImageSize(int32_t itemId);

// Opening the dialog from the event list.
struct OpenPlan {
  bool open = false;      // the current row lies in the list
  bool place = false;     // move the window before showing it
  bool atCursor = false;  // at the mouse (else at the stored place)
  bool showAndLoad = false;
};
OpenPlan PlanOpen(int32_t currentRow, int32_t rowCount, int32_t dispEventProperty, int32_t posEventDialog,
                  bool visible);

// The live-preview bits of the preference PictEventPreview.
inline bool PaneExpanded(int32_t pictEventPreview) { return (pictEventPreview & 1) != 0; }
inline bool RealTimeRedraw(int32_t pictEventPreview) { return (pictEventPreview & 2) != 0; }
// WindowTopward bits of this dialog: the box offered, the box ticked.
inline bool KeepOnTopOffered(int32_t windowTopward) { return (windowTopward & 1) != 0; }
inline bool KeepOnTopTicked(int32_t windowTopward) { return (windowTopward & 2) != 0; }
inline int32_t WithKeepOnTopTicked(int32_t windowTopward, bool ticked) {
  return (windowTopward & ~2) | (ticked ? 2 : 0);
}

}  // namespace tesmiro::EventDialogRules
