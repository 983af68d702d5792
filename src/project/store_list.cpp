#include "project/store_list.h"

namespace tesmiro {

StoreList& StoreList::operator=(const StoreList& other) {
  if (this != &other) {
    items_ = other.items_;
    invalidate();
  }
  return *this;
}

StoreList& StoreList::operator=(StoreList&& other) noexcept {
  if (this != &other) {
    items_ = std::move(other.items_);
    invalidate();
    other.invalidate();
  }
  return *this;
}

StoreList& StoreList::operator=(const OneBased<StoreItem>& items) {
  items_ = items;
  invalidate();
  return *this;
}

StoreList& StoreList::operator=(OneBased<StoreItem>&& items) {
  items_ = std::move(items);
  invalidate();
  return *this;
}

void StoreList::handOut(int32_t position) {
  index_.handedOut.push_back(position);
  // A long run of writes without a lookup: one rebuild is cheaper.
  if (index_.handedOut.size() > 64 + static_cast<size_t>(items_.count())) invalidate();
}

void StoreList::insert(int32_t i, StoreItem value) {
  if (i == count() + 1) {
    push_back(std::move(value));
    return;
  }
  items_.insert(i, std::move(value));
  invalidate();
}

void StoreList::insertRange(int32_t i, const std::vector<StoreItem>& block) {
  if (i == count() + 1) {
    for (const auto& item : block) push_back(item);
    return;
  }
  items_.insertRange(i, block);
  invalidate();
}

void StoreList::erase(int32_t i) {
  items_.erase(i);
  invalidate();
}

void StoreList::eraseRange(int32_t i, int32_t n) {
  items_.eraseRange(i, n);
  invalidate();
}

void StoreList::push_back(StoreItem value) {
  const int32_t id = value.id;
  items_.push_back(std::move(value));
  if (!index_.current) return;
  // Positions before the new one stay, so the index takes it as it is.
  index_.ids.push_back(id);
  if (!index_.positions.emplace(id, items_.count()).second) index_.duplicates = true;
}

void StoreList::clear() {
  items_.clear();
  invalidate();
}

std::vector<StoreItem>& StoreList::items() {
  invalidate();
  return items_.items();
}

int32_t StoreList::indexOf(int32_t id) const {
  if (!index_.current) {
    rebuild();
  } else if (!index_.handedOut.empty()) {
    rereadHandedOut();
  }
  auto it = index_.positions.find(id);
  return it == index_.positions.end() ? 0 : it->second;
}

void StoreList::rebuild() const {
  const auto& items = items_.items();
  index_.positions.clear();
  index_.positions.reserve(items.size());
  index_.ids.resize(items.size());
  index_.duplicates = false;
  for (size_t p = 0; p < items.size(); ++p) {
    const int32_t id = items[p].id;
    index_.ids[p] = id;
    if (!index_.positions.emplace(id, static_cast<int32_t>(p) + 1).second) index_.duplicates = true;
  }
  index_.handedOut.clear();
  index_.current = true;
}

void StoreList::rereadHandedOut() const {
  for (int32_t p : index_.handedOut) {
    const size_t at = static_cast<size_t>(p - 1);
    const int32_t was = index_.ids[at];
    const int32_t now = items_.at(p).id;
    if (was == now) continue;
    // With IDs shared by several items, "first position" needs a full pass;
    // so does an ID that now lands on an item that already has it.
    if (index_.duplicates || index_.positions.count(now) != 0) {
      rebuild();
      return;
    }
    index_.positions.erase(was);
    index_.positions.emplace(now, p);
    index_.ids[at] = now;
  }
  index_.handedOut.clear();
}

}  // namespace tesmiro
