#include "project/store_item_swap.h"

#include "project/store.h"

namespace tesmiro::GUICore {
namespace {
int gSwaps = 0;
}

bool StoreItemSwapped() { return gSwaps > 0; }

ScopedStoreItemSwap::ScopedStoreItemSwap(const StoreItem& stand_in) {
  if (stand_in.id <= 0 || FindStoreIndexByID(stand_in.id) == 0) return;
  kept_ = GetStoreItemByID(stand_in.id);
  SetStoreItem(stand_in.id, stand_in);
  swapped_ = true;
  ++gSwaps;
}

ScopedStoreItemSwap::~ScopedStoreItemSwap() {
  if (!swapped_) return;
  SetStoreItem(kept_.id, kept_);
  --gSwaps;
}

}  // namespace tesmiro::GUICore
