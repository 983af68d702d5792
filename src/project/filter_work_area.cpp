#include "project/filter_work_area.h"

namespace tesmiro::GUICore {
namespace {
FilterWorkArea gWorkArea;
}

FilterWorkArea& WorkArea() { return gWorkArea; }
void ResetWorkArea() { gWorkArea = FilterWorkArea{}; }

}  // namespace tesmiro::GUICore
