#pragma once
// The two events the live picture shows: the draw position (start state)
// and, for a motion, the move target (end state), built afresh from the
// dialog's fields on every rebuild. The operated one lies in front.
#include <cstdint>
#include <string>

#include "project/records.h"
#include "swf/filter_state.h"

namespace tesmiro::LivePicture {

// The fields of the event property dialog the picture is made of.
struct PictureFields {
  // The boxes' texts as typed.
  std::string itemId;
  std::string frameCount;
  std::string drawX, drawY;
  std::string moveX, moveY;
  std::string drawAngle, drawSize;  // size: "y:x" or one value
  std::string moveAngle, moveSize;
  std::string centreX, centreY;
  // The sliders' values.
  int32_t startBrightness = 0;
  int32_t startOpacity = 100;
  int32_t endBrightness = 0;
  int32_t endOpacity = 100;
  int32_t blendMode = 0;  // list index of the blend list, -1 for none
};

struct PreviewRecords {
  EventRecord draw;
  EventRecord move;  // item 0 unless the event is a motion
  bool motion = false;  // the frame count is above 1
};

// operatedImage: 0 the draw position, 1 the move target. onlyOperated
// ("ｱｸﾃｨﾌﾞ"): the other image is left out. A morphing vector image shows
// its morph target at the move target.
PreviewRecords BuildPreviewRecords(const PictureFields& fields, const FilterState& startFilters,
                                   const FilterState& endFilters, int operatedImage, bool onlyOperated);

// The record the handles act on.
inline const EventRecord& OperatedRecord(const PreviewRecords& r, int operatedImage) {
  return operatedImage == 1 ? r.move : r.draw;
}

// Whether the operated material moves by itself (a sprite, a text with an
// effect) or the movie underneath is shown, so that the pane must follow it.
bool PictureMoves(const EventRecord& operated, bool withMovie);

}  // namespace tesmiro::LivePicture
