#pragma once
#include <utility>

namespace tesmiro {

// Puts an object in a module's slot for the holder's lifetime; whatever was
// there before comes back after, so scopes nest and each test window
// leaves the module as it found it.
template <class T>
class ScopedInstall {
 public:
  ScopedInstall(T*& slot, T& installed) : slot_(slot), previous_(slot) { slot_ = &installed; }
  ~ScopedInstall() { slot_ = previous_; }
  ScopedInstall(const ScopedInstall&) = delete;
  ScopedInstall& operator=(const ScopedInstall&) = delete;

 private:
  T*& slot_;
  T* previous_;
};

// Gives a module's setting another value for the holder's lifetime (tests
// that make a call fail or a limit small); the previous value comes back.
template <class T>
class ScopedValue {
 public:
  ScopedValue(T& slot, T value) : slot_(slot), previous_(std::exchange(slot, std::move(value))) {}
  ~ScopedValue() { slot_ = std::move(previous_); }
  ScopedValue(const ScopedValue&) = delete;
  ScopedValue& operator=(const ScopedValue&) = delete;

 private:
  T& slot_;
  T previous_;
};

}  // namespace tesmiro
