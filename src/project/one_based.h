#pragma once
// A list that the project's rules number from 1 (store items, events of a
// timeline, the clipboard). Element i lives at vector index i - 1; there is
// no dummy element 0. Out-of-range positions are the caller's to check with
// valid(); at() asserts through std::vector::at.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tesmiro {

template <typename T>
class OneBased {
 public:
  OneBased() = default;
  explicit OneBased(std::vector<T> items) : items_(std::move(items)) {}

  int32_t count() const { return static_cast<int32_t>(items_.size()); }
  bool empty() const { return items_.empty(); }
  bool valid(int32_t i) const { return i >= 1 && i <= count(); }

  // 1-based access.
  T& at(int32_t i) { return items_.at(static_cast<size_t>(i - 1)); }
  const T& at(int32_t i) const { return items_.at(static_cast<size_t>(i - 1)); }

  // Inserts so that the new element becomes element i (1 <= i <= count + 1).
  void insert(int32_t i, T value) { items_.insert(items_.begin() + (i - 1), std::move(value)); }
  // Inserts a block so that it starts at element i.
  void insertRange(int32_t i, const std::vector<T>& block) {
    items_.insert(items_.begin() + (i - 1), block.begin(), block.end());
  }
  void erase(int32_t i) { items_.erase(items_.begin() + (i - 1)); }
  // Removes elements i .. i + n - 1.
  void eraseRange(int32_t i, int32_t n) {
    items_.erase(items_.begin() + (i - 1), items_.begin() + (i - 1 + n));
  }
  void push_back(T value) { items_.push_back(std::move(value)); }
  void clear() { items_.clear(); }

  // The elements in order, for loops and bulk copies.
  std::vector<T>& items() { return items_; }
  const std::vector<T>& items() const { return items_; }
  auto begin() { return items_.begin(); }
  auto end() { return items_.end(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<T> items_;
};

}  // namespace tesmiro
