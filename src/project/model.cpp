#include "project/model.h"

namespace tesmiro::GUICore {
namespace {
Model gModel;
}  // namespace

Model& State() { return gModel; }

void ResetState() { gModel = Model{}; }

uint64_t NewTimelineKey() { return gModel.nextTimelineKey++; }

void EnsureTimelineKeys() {
  for (auto& t : gModel.timelines) {
    if (t.key == 0) t.key = NewTimelineKey();
  }
}

}  // namespace tesmiro::GUICore
