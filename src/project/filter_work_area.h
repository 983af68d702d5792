#pragma once
// The filters and guide of the event being edited in the event property
// dialog, kept apart from the records while the dialog, its picture and the
// filter dialog change them. The exchange copies them from the one loaded
// event and back on Apply.
#include <array>
#include <cstdint>
#include <vector>

#include "project/records.h"

namespace tesmiro::GUICore {

struct FilterWorkArea {
  static constexpr int kStart = 0;   // the draw position
  static constexpr int kEnd = 1;     // the move target
  static constexpr int kEdited = 2;  // the copy the filter dialog edits
  std::array<FilterState, 3> states{};
  int16_t guideMode = 0;
  std::vector<GuideAnchor> anchors{GuideAnchor{}};
};

FilterWorkArea& WorkArea();
void ResetWorkArea();

}  // namespace tesmiro::GUICore
