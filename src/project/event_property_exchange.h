#pragma once
// The exchange between the selected events of the event list and the fields
// of the event property dialog: Load writes the fields of the selection,
// Apply reads them back into every selected event as one undo step.
//
// One rule throughout: an empty box, a grey check box and a list without a
// selection leave their field of every selected event as it was. One
// selected event fills every field of its kind; several fill nothing, so
// that Apply changes only what the author typed, ticked or chose.
//
// The dialog is reached through EventDialogFields, so that the exchange runs
// (and is tested) without a window. Its change handlers run when a field is
// written, as the window's do, and lay the dialog out for what was filled.
#include <cstdint>
#include <string>

#include "project/records.h"

namespace tesmiro::EventProperty {

inline constexpr const char* kCaption = "イベントのプロパティ";
inline constexpr const char* kSeveralSuffix = " (複数選択)";
inline constexpr const char* kNewLabelName = "新しいラベル";

// The boxes the exchange reads or writes. The first masked depth only
// mirrors the depth and is never read back.
enum class Box {
  ItemId, FrameCount, DrawX, DrawY, MoveX, MoveY, DrawAngle, DrawSize, MoveAngle, MoveSize, CentreX, CentreY,
  FirstParameter, SecondParameter, Depth, ButtonDownId, ButtonOverId, ButtonHitId, ClipScript, InstanceName, MaskTo,
  Easing, DrawBrightness, DrawOpacity, MoveBrightness, MoveOpacity, LeftVolume, RightVolume,
};
// Check boxes hold 0, 1 or 2 (grey: leave unchanged).
enum class Tick { Button, ButtonDown, ButtonOver, ButtonHit, Mask, SeparateVolumes };
// List index, -1 for no selection.
enum class List { SoundMode, Action, BlendMode };
enum class Slider { DrawBrightness, DrawOpacity, MoveOpacity, MoveBrightness, Easing };
// Controls that a load shows, hides, enables or disables.
enum class Part {
  ItemIdLabel, ItemIdBox, FrameCountLabel, FrameCountBox, DrawPositionGroup, MoveTargetGroup, CentreGroup,
  SoundGroup, DepthGroup, ActionGroup, ButtonImagesGroup, SpriteGroup, EasingGroup, CentreButton,
  EventPreviewButton, ActionScriptButton, ClipScriptButton,
};

class EventDialogFields {
 public:
  virtual ~EventDialogFields() = default;
  virtual std::string text(Box box) const = 0;
  virtual void setText(Box box, const std::string& text) = 0;
  virtual int check(Tick tick) const = 0;
  virtual void setCheck(Tick tick, int value) = 0;
  virtual int listIndex(List list) const = 0;
  virtual void setListIndex(List list, int index) = 0;
  virtual int scroll(Slider slider) const = 0;
  virtual void setScroll(Slider slider, int value) = 0;
  virtual void setShown(Part part, bool shown) = 0;
  virtual void setEnabled(Part part, bool enabled) = 0;
  virtual void setCaption(const std::string& caption) = 0;
  // Every box emptied, check boxes grey, the action and blend lists
  // without selection; the zoom stays.
  virtual void initialize() = 0;
  // The percent boxes and the easing curve follow the sliders' values.
  virtual void updateScrolls() = 0;
  // Filled: the picture is rebuilt once.
  virtual void activate() = 0;
};

// What the last load showed.
enum class Loaded {
  Nothing,  // never loaded
  NoEvent,  // the end row: nothing to edit
  One,
  Several,
};

// State the main window and the builds read while the dialog may not exist.
struct State {
  // The item kind that stands for the selection when the ID box holds no
  // number above 0: -1 every selected row an action event, 0 mixed.
  int32_t selectedFileKind = 0;
  // True while fields are written by the program (and while a build runs):
  // the dialog's change handlers leave Apply off and rebuild nothing.
  bool filling = false;
  Loaded loaded = Loaded::Nothing;
  // The filter work area holds the filters and guide of the one placed
  // material last loaded; nothing else may have them written back.
  bool workAreaLoaded = false;
};
State& Current();
void ResetState();

// The row whose event a load shows: the current row when it is selected,
// else the last selected row, else the current row.
int32_t SubjectRow();
// The value for State::selectedFileKind with this subject.
int32_t SelectionKind(int32_t subjectRow);

// Fills the dialog from the event list's selection.
void Load(EventDialogFields& dialog);

struct ApplyResult {
  bool refused = false;  // a build runs: nothing was written
  int32_t stored = 0;    // events that changed
};
// Writes the fields into every selected event (the end row never); the
// events that really changed are stored, redrawn and recorded as one undo
// step. The caller gives the list the focus and runs its click handler.
ApplyResult Apply(const EventDialogFields& dialog);

// How a load writes numbers into the boxes.
std::string LongText(int32_t v);
std::string SingleText(float v);
// A size box: one value when both axes agree, else "Y:X".
std::string ScaleText(float x, float y);

}  // namespace tesmiro::EventProperty
