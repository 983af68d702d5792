#include "project/event_property_exchange.h"

#include <cmath>

#include "media/sound/id3.h"
#include "platform/numeric.h"
#include "project/events.h"
#include "project/filter_work_area.h"
#include "project/geometry.h"
#include "project/model.h"
#include "project/list_models.h"
#include "project/store.h"
#include "project/undo_scopes.h"

namespace tesmiro::EventProperty {
namespace {

State gState;

namespace elm = EventListModule;

StoreItemKind KindOf(int32_t itemId) { return GUICore::GetStoreItemByID(itemId).kind; }

bool IsPlacedMaterial(StoreItemKind k) {
  return k == StoreItemKind::RasterImage || k == StoreItemKind::Text || k == StoreItemKind::Sprite ||
         k == StoreItemKind::VectorImage || k == StoreItemKind::Video;
}

bool RowSelected(int32_t row) {
  const auto& rows = elm::Current().rows;
  return row >= 0 && row < static_cast<int32_t>(rows.size()) && rows[static_cast<size_t>(row)].selected != 0;
}

bool IsEndRow(int32_t row) { return row == elm::RowCount() - 1; }

// The end row stands for an action event without an item.
EventRecord EventOfRow(int32_t row) { return IsEndRow(row) ? ZeroEvent() : GUICore::GetEvent(row + 1); }

int32_t LongOf(const std::string& text) { return num::RoundToInt32(num::Val(text)); }

// ---- load --------------------------------------------------------------------------

void LoadNoEvent(EventDialogFields& d) {
  d.setCaption(kCaption);
  d.setText(Box::ItemId, "0");
  for (Part p : {Part::ItemIdBox, Part::FrameCountBox, Part::ItemIdLabel, Part::FrameCountLabel,
                 Part::DrawPositionGroup, Part::MoveTargetGroup, Part::CentreGroup, Part::SoundGroup, Part::DepthGroup,
                 Part::ActionGroup, Part::ButtonImagesGroup, Part::SpriteGroup, Part::EasingGroup}) {
    d.setShown(p, false);
  }
  d.setEnabled(Part::EventPreviewButton, false);
  gState.loaded = Loaded::NoEvent;
}

void LoadAction(EventDialogFields& d, const EventRecord& e) {
  d.setText(Box::ItemId, "0");
  d.setListIndex(List::SoundMode, -1);
  d.setListIndex(List::Action, e.kind);
  d.setText(Box::FirstParameter, e.text1);
  d.setText(Box::SecondParameter, e.text2);
}

void LoadSound(EventDialogFields& d, const EventRecord& e) {
  d.setText(Box::ItemId, LongText(e.itemId));
  d.setListIndex(List::SoundMode, e.kind);
  d.setListIndex(List::Action, -1);
  int32_t left = 100, right = 100;
  ID3Module::ParseVolumeParam(e.text1, left, right);
  d.setCheck(Tick::SeparateVolumes, left != right ? 1 : 0);
  d.setText(Box::LeftVolume, LongText(left));
  d.setText(Box::RightVolume, LongText(right));
}

void LoadMaterial(EventDialogFields& d, const EventRecord& e, StoreItemKind kind) {
  d.setText(Box::ItemId, LongText(e.itemId));
  d.setText(Box::FrameCount, LongText(e.frameCount));
  d.setText(Box::DrawX, LongText(e.startX));
  d.setText(Box::DrawY, LongText(e.startY));
  d.setText(Box::MoveX, LongText(e.endX));
  d.setText(Box::MoveY, LongText(e.endY));
  d.setText(Box::DrawAngle, SingleText(e.startAngle));
  d.setText(Box::DrawSize, ScaleText(e.startScaleX, e.startScaleY));
  d.setText(Box::MoveAngle, SingleText(e.endAngle));
  d.setText(Box::MoveSize, ScaleText(e.endScaleX, e.endScaleY));
  d.setText(Box::CentreX, LongText(e.centerX));
  d.setText(Box::CentreY, LongText(e.centerY));
  d.setEnabled(Part::CentreButton, true);
  d.setEnabled(Part::EventPreviewButton, true);
  d.setScroll(Slider::DrawBrightness, e.startBrightness);
  d.setScroll(Slider::DrawOpacity, e.startAlpha);
  d.setScroll(Slider::MoveBrightness, e.endBrightness);
  d.setScroll(Slider::MoveOpacity, e.endAlpha);
  d.setScroll(Slider::Easing, e.easing);
  d.setText(Box::Depth, LongText(e.depth));
  d.updateScrolls();
  const bool sprite = kind == StoreItemKind::Sprite;
  if (!sprite) d.setCheck(Tick::Button, e.buttonFlag);
  d.setListIndex(List::SoundMode, -1);
  d.setListIndex(List::Action, e.kind);
  if (sprite) {
    d.setText(Box::InstanceName, e.text1);
    d.setText(Box::ClipScript, e.text2);
  } else {
    d.setText(Box::FirstParameter, e.text1);
    d.setText(Box::SecondParameter, e.text2);
  }
  const int32_t states[3] = {e.downItemId, e.overItemId, e.hitItemId};
  constexpr Tick kChecks[3] = {Tick::ButtonDown, Tick::ButtonOver, Tick::ButtonHit};
  constexpr Box kBoxes[3] = {Box::ButtonDownId, Box::ButtonOverId, Box::ButtonHitId};
  for (int i = 0; i < 3; ++i) {
    if (states[i] > 0) {
      d.setCheck(kChecks[i], 1);
      d.setText(kBoxes[i], LongText(states[i]));
    } else {
      d.setCheck(kChecks[i], 0);
    }
  }
  if (kind == StoreItemKind::RasterImage || kind == StoreItemKind::Text || kind == StoreItemKind::VectorImage) {
    d.setText(Box::MaskTo, LongText(e.maskDepth));
    d.setCheck(Tick::Mask, e.maskFlag);
  }
  d.setListIndex(List::BlendMode, e.blendMode);
  GUICore::FilterWorkArea& work = GUICore::WorkArea();
  work.states[GUICore::FilterWorkArea::kStart] = e.startFilters;
  work.states[GUICore::FilterWorkArea::kEnd] = e.endFilters;
  work.guideMode = e.guideMode;
  work.anchors = e.anchors;
  gState.workAreaLoaded = true;
}

// ---- apply -------------------------------------------------------------------------

// Reads one event's fields from the dialog in the order of the dialog's
// boxes; `changed` is set by every field that applies.
class FieldReader {
 public:
  FieldReader(const EventDialogFields& d, bool single) : d_(d), single_(single) {}

  bool apply(EventRecord& n) {
    changed_ = false;
    idAndSprite(n);
    frameCount(n);
    positions(n);
    angleAndScale(Box::DrawAngle, Box::DrawSize, n.startAngle, n.startScaleX, n.startScaleY);
    angleAndScale(Box::MoveAngle, Box::MoveSize, n.endAngle, n.endScaleX, n.endScaleY);
    longBox(Box::CentreX, n.centerX);
    longBox(Box::CentreY, n.centerY);
    sliders(n);
    longBox(Box::Depth, n.depth);
    if (const int i = d_.listIndex(List::SoundMode); i >= 0) set(n.kind, static_cast<int16_t>(i));
    if (const int c = d_.check(Tick::Button); c == 0 || c == 1) set(n.buttonFlag, static_cast<int16_t>(c));
    action(n);
    buttonStates(n);
    if (const int c = d_.check(Tick::Mask); c == 0 || c == 1) set(n.maskFlag, static_cast<int16_t>(c));
    longBox(Box::MaskTo, n.maskDepth);
    if (const int i = d_.listIndex(List::BlendMode); i >= 0) set(n.blendMode, i);
    workArea(n);
    volume(n);
    frameCountByKind(n);
    return changed_;
  }

 private:
  template <class T>
  void set(T& field, T value) {
    field = value;
    changed_ = true;
  }

  bool has(Box b) const { return !d_.text(b).empty(); }

  void longBox(Box b, int32_t& field) {
    if (has(b)) set(field, LongOf(d_.text(b)));
  }

  void idAndSprite(EventRecord& n) {
    if (!has(Box::ItemId)) return;
    set(n.itemId, LongOf(d_.text(Box::ItemId)));
    if (KindOf(n.itemId) == StoreItemKind::Sprite) {
      n.text1 = d_.text(Box::InstanceName);
      n.text2 = d_.text(Box::ClipScript);
    }
  }

  void frameCount(EventRecord& n) { longBox(Box::FrameCount, n.frameCount); }

  void relativeLong(Box b, int32_t& field) {
    if (has(b)) set(field, num::RoundToInt32(GUICore::ParseRelativeValue(d_.text(b), field)));
  }

  void positions(EventRecord& n) {
    relativeLong(Box::DrawX, n.startX);
    relativeLong(Box::DrawY, n.startY);
    relativeLong(Box::MoveX, n.endX);
    relativeLong(Box::MoveY, n.endY);
  }

  // A box that still shows the field as a load writes it keeps the field's
  // exact value: the text holds only seven digits of a single.
  void angleAndScale(Box angleBox, Box scaleBox, float& angle, float& sx, float& sy) {
    if (has(angleBox)) {
      const std::string t = d_.text(angleBox);
      set(angle, t == SingleText(angle) ? angle : GUICore::ToSingle(GUICore::ParseRelativeValue(t, angle)));
    }
    if (has(scaleBox)) {
      const std::string t = d_.text(scaleBox);
      if (t != ScaleText(sx, sy)) GUICore::ParseXYPair(t, sx, sy);
      changed_ = true;
    }
  }

  void sliders(EventRecord& n) {
    if (has(Box::DrawBrightness)) set(n.startBrightness, static_cast<int16_t>(d_.scroll(Slider::DrawBrightness)));
    if (has(Box::DrawOpacity)) set(n.startAlpha, static_cast<int16_t>(d_.scroll(Slider::DrawOpacity)));
    if (has(Box::MoveBrightness)) set(n.endBrightness, static_cast<int16_t>(d_.scroll(Slider::MoveBrightness)));
    if (has(Box::MoveOpacity)) set(n.endAlpha, static_cast<int16_t>(d_.scroll(Slider::MoveOpacity)));
    if (has(Box::Easing)) set(n.easing, d_.scroll(Slider::Easing));
  }

  void action(EventRecord& n) {
    const int i = d_.listIndex(List::Action);
    if (i < 0 || KindOf(n.itemId) == StoreItemKind::Sprite) return;
    set(n.kind, static_cast<int16_t>(i));
    if (has(Box::FirstParameter) || single_) n.text1 = d_.text(Box::FirstParameter);
    if (has(Box::SecondParameter) || single_) n.text2 = d_.text(Box::SecondParameter);
  }

  void buttonStates(EventRecord& n) {
    int32_t* fields[3] = {&n.downItemId, &n.overItemId, &n.hitItemId};
    constexpr Tick kChecks[3] = {Tick::ButtonDown, Tick::ButtonOver, Tick::ButtonHit};
    constexpr Box kBoxes[3] = {Box::ButtonDownId, Box::ButtonOverId, Box::ButtonHitId};
    for (int i = 0; i < 3; ++i) {
      const int c = d_.check(kChecks[i]);
      if (c == 1 && has(kBoxes[i])) {
        set(*fields[i], LongOf(d_.text(kBoxes[i])));
      } else if (c == 0) {
        set(*fields[i], 0);
      }
    }
  }

  void workArea(EventRecord& n) {
    if (!single_ || !gState.workAreaLoaded) return;
    const GUICore::FilterWorkArea& work = GUICore::WorkArea();
    n.startFilters = work.states[GUICore::FilterWorkArea::kStart];
    n.endFilters = work.states[GUICore::FilterWorkArea::kEnd];
    n.guideMode = work.guideMode;
    n.anchors = work.anchors;
    changed_ = true;
  }

  void volume(EventRecord& n) {
    if (!has(Box::LeftVolume) || !has(Box::RightVolume)) return;
    set(n.text1,
        "vol" + LongText(LongOf(d_.text(Box::LeftVolume))) + ";" + LongText(LongOf(d_.text(Box::RightVolume))));
  }

  static void frameCountByKind(EventRecord& n) {
    if (KindOf(n.itemId) == StoreItemKind::Sound) n.frameCount = 0;
    if (n.itemId != 0) return;
    switch (static_cast<ActionKind>(n.kind)) {
      case ActionKind::JumpToLabel:
      case ActionKind::Stop:
      case ActionKind::JumpToFrame:
      case ActionKind::DoNothing:
      case ActionKind::Script: n.frameCount = 1; break;
      default: n.frameCount = 0; break;
    }
    const double parameter = num::Val(n.text1);
    if (n.kind == static_cast<int16_t>(ActionKind::DoNothing) && parameter > 0) {
      n.frameCount = num::RoundToInt32(parameter);
    }
    // Negated before rounding, so that the most negative count is reachable
    // from either sign.
    if (n.kind == static_cast<int16_t>(ActionKind::Rollback)) n.frameCount = num::RoundToInt32(-std::abs(parameter));
    if (n.kind == static_cast<int16_t>(ActionKind::Label) && n.text1.empty()) n.text1 = kNewLabelName;
  }

  const EventDialogFields& d_;
  bool single_;
  bool changed_ = false;
};

}  // namespace

State& Current() { return gState; }
void ResetState() { gState = State{}; }

std::string LongText(int32_t v) { return std::to_string(v); }
std::string SingleText(float v) { return num::CStr(v); }
std::string ScaleText(float x, float y) { return x == y ? SingleText(x) : SingleText(y) + ":" + SingleText(x); }

int32_t SubjectRow() {
  const int32_t current = elm::Current().currentRow;
  if (RowSelected(current)) return current;
  for (int32_t r = elm::RowCount() - 1; r >= 0; --r) {
    if (RowSelected(r)) return r;
  }
  return current;
}

int32_t SelectionKind(int32_t subjectRow) {
  const EventRecord subject = EventOfRow(subjectRow);
  const int32_t rows = elm::RowCount();
  if (subject.itemId > 0) {
    const StoreItemKind kind = KindOf(subject.itemId);
    for (int32_t r = 0; r < rows; ++r) {
      if (RowSelected(r) && KindOf(EventOfRow(r).itemId) != kind) return 0;
    }
    return static_cast<int32_t>(kind);
  }
  for (int32_t r = 0; r < rows; ++r) {
    if (RowSelected(r) && EventOfRow(r).itemId != 0) return 0;
  }
  return -1;
}

void Load(EventDialogFields& d) {
  // A build that runs meanwhile keeps the dialog idle after the load too.
  const bool wasFilling = gState.filling;
  gState.filling = true;
  d.initialize();
  d.setListIndex(List::SoundMode, -1);
  const int32_t subject = SubjectRow();
  if (subject < 0 || subject >= elm::RowCount() - 1) {
    LoadNoEvent(d);
  } else {
    d.setCaption(kCaption);
    for (Part p : {Part::CentreButton, Part::ActionScriptButton, Part::ClipScriptButton, Part::EventPreviewButton})
      d.setEnabled(p, false);
    gState.selectedFileKind = SelectionKind(subject);
    gState.workAreaLoaded = false;
    if (elm::Current().selCount > 1) {
      gState.loaded = Loaded::Several;
      d.setCaption(std::string(kCaption) + kSeveralSuffix);
      // Through a change, so that the ID box's handler lays the frames out
      // by the selection's kind.
      d.setText(Box::ItemId, " ");
      d.setText(Box::ItemId, "");
    } else {
      gState.loaded = Loaded::One;
      d.setEnabled(Part::ActionScriptButton, true);
      d.setEnabled(Part::ClipScriptButton, true);
      const EventRecord e = GUICore::GetEvent(subject + 1);
      const StoreItemKind kind = KindOf(e.itemId);
      if (e.itemId == 0) {
        LoadAction(d, e);
      } else if (kind == StoreItemKind::Sound) {
        LoadSound(d, e);
      } else if (IsPlacedMaterial(kind)) {
        LoadMaterial(d, e, kind);
      }
    }
  }
  gState.filling = wasFilling;
  d.activate();
}

ApplyResult Apply(const EventDialogFields& d) {
  ApplyResult result;
  auto& view = elm::Current();
  const int32_t rowCount = elm::RowCount();
  // The end row shows no fields: there is nothing of the dialog to write.
  if (view.currentRow < 0 || view.currentRow >= rowCount || gState.loaded == Loaded::NoEvent) return result;
  GUICore::EventUndoScope undo;
  if (!undo) {
    result.refused = true;
    return result;
  }
  FieldReader reader(d, view.selCount == 1);
  for (int32_t r = 0; r + 1 < rowCount; ++r) {
    if (!RowSelected(r)) continue;
    const EventRecord stored = GUICore::GetEvent(r + 1);
    EventRecord n = stored;
    if (!reader.apply(n) || GUICore::EventsEqual(n, stored)) continue;
    undo.add(r + 1, stored, EventUndoStep::kChanged);
    GUICore::SetEvent(r + 1, n);
    elm::SetRow(n, r, true);
    ++result.stored;
  }
  if (result.stored > 0) {
    elm::RenumberFrames();
    elm::DrawEventList();
  }
  undo.commit();
  return result;
}

}  // namespace tesmiro::EventProperty
