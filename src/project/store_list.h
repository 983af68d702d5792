#pragma once
// The store's item list (1-based, as OneBased) with an index from item ID to
// position kept beside it, so that the lookup every event needs is O(1).
//
// The index follows every change on its own: inserting, erasing, replacing
// or handing out the whole list makes it stale, and it is rebuilt at the next
// lookup; appending keeps it; an element handed out for writing (at() on a
// non-const list) is re-read at the next lookup, so an ID written through
// that reference is seen. What it cannot see is a reference kept across a
// lookup and written afterwards: take the element again instead.
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "project/one_based.h"
#include "project/records.h"

namespace tesmiro {

class StoreList {
 public:
  StoreList() = default;
  StoreList(const StoreList& other) : items_(other.items_) {}
  StoreList(StoreList&& other) noexcept : items_(std::move(other.items_)) { other.invalidate(); }
  StoreList& operator=(const StoreList& other);
  StoreList& operator=(StoreList&& other) noexcept;
  StoreList& operator=(const OneBased<StoreItem>& items);
  StoreList& operator=(OneBased<StoreItem>&& items);

  // The plain list, for readers that take one (snapshots, the file writer).
  operator const OneBased<StoreItem>&() const { return items_; }
  const OneBased<StoreItem>& list() const { return items_; }

  int32_t count() const { return items_.count(); }
  bool empty() const { return items_.empty(); }
  bool valid(int32_t i) const { return items_.valid(i); }

  const StoreItem& at(int32_t i) const { return items_.at(i); }
  StoreItem& at(int32_t i) {
    StoreItem& item = items_.at(i);
    if (index_.current) handOut(i);
    return item;
  }

  void insert(int32_t i, StoreItem value);
  void insertRange(int32_t i, const std::vector<StoreItem>& block);
  void erase(int32_t i);
  void eraseRange(int32_t i, int32_t n);
  void push_back(StoreItem value);
  void clear();

  // Whole-list access; writing through it leaves the index to be rebuilt.
  std::vector<StoreItem>& items();
  const std::vector<StoreItem>& items() const { return items_.items(); }
  std::vector<StoreItem>::iterator begin() { return items().begin(); }
  std::vector<StoreItem>::iterator end() { return items().end(); }
  std::vector<StoreItem>::const_iterator begin() const { return items_.begin(); }
  std::vector<StoreItem>::const_iterator end() const { return items_.end(); }

  // Position of the first item with the ID, 0 when none.
  int32_t indexOf(int32_t id) const;

 private:
  struct Index {
    bool current = false;
    bool duplicates = false;  // some ID is on more than one item
    std::unordered_map<int32_t, int32_t> positions;  // ID -> first position
    std::vector<int32_t> ids;  // ID of each position when last read
    std::vector<int32_t> handedOut;  // positions given out for writing since
  };

  void invalidate() { index_.current = false; }
  void handOut(int32_t position);
  void rebuild() const;
  void rereadHandedOut() const;

  OneBased<StoreItem> items_;
  mutable Index index_;
};

}  // namespace tesmiro
