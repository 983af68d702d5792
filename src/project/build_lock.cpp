#include "project/build_lock.h"

#include "project/window_services.h"

namespace tesmiro::GUICore {
namespace {
bool gBuilding = false;
}

bool BuildInProgress() { return gBuilding; }

BuildLock::BuildLock() : acquired_(!gBuilding) {
  if (!acquired_) return;
  gBuilding = true;
  ui::Windows().buildRunningChanged(true);
}

BuildLock::~BuildLock() {
  if (!acquired_) return;
  gBuilding = false;
  ui::Windows().buildRunningChanged(false);
}

}  // namespace tesmiro::GUICore
