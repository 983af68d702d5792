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
  d.setText(Box::Text1, "0");
  for (Part p : {Part::Text1, Part::Text2, Part::Label1, Part::Label2, Part::Frame1, Part::Frame2, Part::Frame3,
                 Part::Frame4, Part::Frame5, Part::Frame6, Part::Frame7, Part::Frame8, Part::Frame9}) {
    d.setShown(p, false);
  }
  d.setEnabled(Part::Command4, false);
  gState.loaded = Loaded::NoEvent;
}

void LoadAction(EventDialogFields& d, const EventRecord& e) {
  d.setText(Box::Text1, "0");
  d.setListIndex(List::Combo1, -1);
  d.setListIndex(List::Combo2, e.kind);
  d.setText(Box::Text13, e.text1);
  d.setText(Box::Text14, e.text2);
}

void LoadSound(EventDialogFields& d, const EventRecord& e) {
  d.setText(Box::Text1, LongText(e.itemId));
  d.setListIndex(List::Combo1, e.kind);
  d.setListIndex(List::Combo2, -1);
  int32_t left = 100, right = 100;
  ID3Module::ParseVolumeParam(e.text1, left, right);
  d.setCheck(Tick::Check10, left != right ? 1 : 0);
  d.setText(Box::Text26_0, LongText(left));
  d.setText(Box::Text26_1, LongText(right));
}

void LoadMaterial(EventDialogFields& d, const EventRecord& e, StoreItemKind kind) {
  d.setText(Box::Text1, LongText(e.itemId));
  d.setText(Box::Text2, LongText(e.frameCount));
  d.setText(Box::Text3, LongText(e.startX));
  d.setText(Box::Text4, LongText(e.startY));
  d.setText(Box::Text5, LongText(e.endX));
  d.setText(Box::Text6, LongText(e.endY));
  d.setText(Box::Text7, SingleText(e.startAngle));
  d.setText(Box::Text8, ScaleText(e.startScaleX, e.startScaleY));
  d.setText(Box::Text9, SingleText(e.endAngle));
  d.setText(Box::Text10, ScaleText(e.endScaleX, e.endScaleY));
  d.setText(Box::Text11, LongText(e.centerX));
  d.setText(Box::Text12, LongText(e.centerY));
  d.setEnabled(Part::Command3, true);
  d.setEnabled(Part::Command4, true);
  d.setScroll(Slider::HScroll1, e.startBrightness);
  d.setScroll(Slider::HScroll2, e.startAlpha);
  d.setScroll(Slider::HScroll4, e.endBrightness);
  d.setScroll(Slider::HScroll3, e.endAlpha);
  d.setScroll(Slider::HScroll5, e.easing);
  d.setText(Box::Text15, LongText(e.depth));
  d.updateScrolls();
  const bool sprite = kind == StoreItemKind::Sprite;
  if (!sprite) d.setCheck(Tick::Check1, e.buttonFlag);
  d.setListIndex(List::Combo1, -1);
  d.setListIndex(List::Combo2, e.kind);
  if (sprite) {
    d.setText(Box::Text18, e.text1);
    d.setText(Box::Text17, e.text2);
  } else {
    d.setText(Box::Text13, e.text1);
    d.setText(Box::Text14, e.text2);
  }
  const int32_t states[3] = {e.downItemId, e.overItemId, e.hitItemId};
  constexpr Tick kChecks[3] = {Tick::Check2_0, Tick::Check2_1, Tick::Check2_2};
  constexpr Box kBoxes[3] = {Box::Text16_0, Box::Text16_1, Box::Text16_2};
  for (int i = 0; i < 3; ++i) {
    if (states[i] > 0) {
      d.setCheck(kChecks[i], 1);
      d.setText(kBoxes[i], LongText(states[i]));
    } else {
      d.setCheck(kChecks[i], 0);
    }
  }
  if (kind == StoreItemKind::RasterImage || kind == StoreItemKind::Text || kind == StoreItemKind::VectorImage) {
    d.setText(Box::Text19, LongText(e.maskDepth));
    d.setCheck(Tick::Check3, e.maskFlag);
  }
  d.setListIndex(List::Combo4, e.blendMode);
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
    angleAndScale(Box::Text7, Box::Text8, n.startAngle, n.startScaleX, n.startScaleY);
    angleAndScale(Box::Text9, Box::Text10, n.endAngle, n.endScaleX, n.endScaleY);
    longBox(Box::Text11, n.centerX);
    longBox(Box::Text12, n.centerY);
    sliders(n);
    longBox(Box::Text15, n.depth);
    if (const int i = d_.listIndex(List::Combo1); i >= 0) set(n.kind, static_cast<int16_t>(i));
    if (const int c = d_.check(Tick::Check1); c == 0 || c == 1) set(n.buttonFlag, static_cast<int16_t>(c));
    action(n);
    buttonStates(n);
    if (const int c = d_.check(Tick::Check3); c == 0 || c == 1) set(n.maskFlag, static_cast<int16_t>(c));
    longBox(Box::Text19, n.maskDepth);
    if (const int i = d_.listIndex(List::Combo4); i >= 0) set(n.blendMode, i);
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
    if (!has(Box::Text1)) return;
    set(n.itemId, LongOf(d_.text(Box::Text1)));
    if (KindOf(n.itemId) == StoreItemKind::Sprite) {
      n.text1 = d_.text(Box::Text18);
      n.text2 = d_.text(Box::Text17);
    }
  }

  void frameCount(EventRecord& n) { longBox(Box::Text2, n.frameCount); }

  void relativeLong(Box b, int32_t& field) {
    if (has(b)) set(field, num::RoundToInt32(GUICore::ParseRelativeValue(d_.text(b), field)));
  }

  void positions(EventRecord& n) {
    relativeLong(Box::Text3, n.startX);
    relativeLong(Box::Text4, n.startY);
    relativeLong(Box::Text5, n.endX);
    relativeLong(Box::Text6, n.endY);
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
    if (has(Box::Text22)) set(n.startBrightness, static_cast<int16_t>(d_.scroll(Slider::HScroll1)));
    if (has(Box::Text23)) set(n.startAlpha, static_cast<int16_t>(d_.scroll(Slider::HScroll2)));
    if (has(Box::Text24)) set(n.endBrightness, static_cast<int16_t>(d_.scroll(Slider::HScroll4)));
    if (has(Box::Text25)) set(n.endAlpha, static_cast<int16_t>(d_.scroll(Slider::HScroll3)));
    if (has(Box::Text21)) set(n.easing, d_.scroll(Slider::HScroll5));
  }

  void action(EventRecord& n) {
    const int i = d_.listIndex(List::Combo2);
    if (i < 0 || KindOf(n.itemId) == StoreItemKind::Sprite) return;
    set(n.kind, static_cast<int16_t>(i));
    if (has(Box::Text13) || single_) n.text1 = d_.text(Box::Text13);
    if (has(Box::Text14) || single_) n.text2 = d_.text(Box::Text14);
  }

  void buttonStates(EventRecord& n) {
    int32_t* fields[3] = {&n.downItemId, &n.overItemId, &n.hitItemId};
    constexpr Tick kChecks[3] = {Tick::Check2_0, Tick::Check2_1, Tick::Check2_2};
    constexpr Box kBoxes[3] = {Box::Text16_0, Box::Text16_1, Box::Text16_2};
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
    if (!has(Box::Text26_0) || !has(Box::Text26_1)) return;
    set(n.text1, "vol" + LongText(LongOf(d_.text(Box::Text26_0))) + ";" + LongText(LongOf(d_.text(Box::Text26_1))));
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
  d.setListIndex(List::Combo1, -1);
  const int32_t subject = SubjectRow();
  if (subject < 0 || subject >= elm::RowCount() - 1) {
    LoadNoEvent(d);
  } else {
    d.setCaption(kCaption);
    for (Part p : {Part::Command3, Part::Command7, Part::Command8, Part::Command4}) d.setEnabled(p, false);
    gState.selectedFileKind = SelectionKind(subject);
    gState.workAreaLoaded = false;
    if (elm::Current().selCount > 1) {
      gState.loaded = Loaded::Several;
      d.setCaption(std::string(kCaption) + kSeveralSuffix);
      // Through a change, so that the ID box's handler lays the frames out
      // by the selection's kind.
      d.setText(Box::Text1, " ");
      d.setText(Box::Text1, "");
    } else {
      gState.loaded = Loaded::One;
      d.setEnabled(Part::Command7, true);
      d.setEnabled(Part::Command8, true);
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
