#pragma once
// A store item stood in for by another record for a while (a preview built
// from what a dialog shows): the stored record comes back when the scope
// ends, on every path.
#include <cstdint>

#include "project/records.h"

namespace tesmiro::GUICore {

// Whether a store item is stood in for now: the automatic backup waits
// meanwhile, so that it never keeps a record the user has not applied.
bool StoreItemSwapped();

class ScopedStoreItemSwap {
 public:
  // Puts `stand_in` in the place of the stored item with its ID. Without a
  // single item of that ID (several items are edited at once and no ID is
  // shown, or the ID names no item) nothing is swapped.
  explicit ScopedStoreItemSwap(const StoreItem& stand_in);
  ~ScopedStoreItemSwap();
  ScopedStoreItemSwap(const ScopedStoreItemSwap&) = delete;
  ScopedStoreItemSwap& operator=(const ScopedStoreItemSwap&) = delete;

  bool swapped() const { return swapped_; }

 private:
  StoreItem kept_;
  bool swapped_ = false;
};

}  // namespace tesmiro::GUICore
