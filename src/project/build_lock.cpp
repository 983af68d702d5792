#include "project/build_lock.h"

namespace tesmiro::GUICore {
namespace {
bool gBuilding = false;
}

bool BuildInProgress() { return gBuilding; }

BuildLock::BuildLock() : acquired_(!gBuilding) { gBuilding = true; }

BuildLock::~BuildLock() {
  if (acquired_) gBuilding = false;
}

}  // namespace tesmiro::GUICore
